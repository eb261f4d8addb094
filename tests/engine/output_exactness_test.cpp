// The HSV conversions, the power and the Output stage against their earlier forms
// (reference_output.h): the same bits for random and special inputs alike, NaN, ±0, ±inf,
// subnormals, negative channels, black and greys included.
#include "reference_output.h"

#include "gamma_power.h"
#include "hsv.h"
#include "output_stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Hex(float f)
{
    char text[48];
    std::snprintf(text, sizeof text, "%a (bits %08x)", (double)f, (unsigned)BitsOfFloat(f));
    return text;
}

// The same bits, except that a NaN may be any NaN: when two NaNs meet in one operation, the
// one that comes out depends on the order in which the compiler put the operands (x86 returns
// the first), and that differs between two compilations of the same expression.
::testing::AssertionResult SameBits(const AColor& expected, const AColor& actual)
{
    for (int c = 0; c < 4; ++c)
        if (BitsOfFloat(expected[c]) != BitsOfFloat(actual[c]) &&
            !(expected[c] != expected[c] && actual[c] != actual[c]))
            return ::testing::AssertionFailure() << "channel " << c << ": expected "
                                                 << Hex(expected[c]) << ", got " << Hex(actual[c]);
    return ::testing::AssertionSuccess();
}

const float kInf = std::numeric_limits<float>::infinity();

// Values where the conversions and the power change course.
const float kSpecials[] = {0.0f,
                           -0.0f,
                           1.0f,
                           -1.0f,
                           0.5f,
                           2.0f,
                           kInf,
                           -kInf,
                           std::numeric_limits<float>::quiet_NaN(),
                           FloatOfBits(0xffc00001u), // a negative NaN with a payload
                           FloatOfBits(1u), // the smallest subnormal
                           FloatOfBits(0x807fffffu), // the largest negative subnormal
                           std::numeric_limits<float>::max(),
                           -std::numeric_limits<float>::max(),
                           1e-30f,
                           359.99997f,
                           360.0f,
                           -360.0f,
                           8388608.0f,
                           -8388607.5f,
                           0.00001f};

// Random floats of every kind: any bit pattern, ordinary colour values, a special value, or
// the previous value again (greys and ties for the maximum).
class FloatSource {
public:
    explicit FloatSource(std::uint32_t seed) : rng_(seed), last_(0.0f) { }
    float Next()
    {
        float f;
        switch (rng_() % 6) {
        case 0:
            f = FloatOfBits(rng_());
            break;
        case 1:
        case 2:
            f = std::uniform_real_distribution<float>(-0.25f, 1.5f)(rng_);
            break;
        case 3:
            f = kSpecials[rng_() % (sizeof kSpecials / sizeof kSpecials[0])];
            break;
        case 4:
            f = std::uniform_real_distribution<float>(-720.0f, 720.0f)(rng_);
            break;
        default:
            f = last_;
            break;
        }
        last_ = f;
        return f;
    }
    AColor NextColor() { return AColor(Next(), Next(), Next(), Next()); }
    std::mt19937& Rng() { return rng_; }

private:
    std::mt19937 rng_;
    float last_;
};

TEST(HsvExactness, ColorToHsvHsvToColorAndTheRoundTripKeepTheirBits)
{
    FloatSource source(21);
    for (int n = 0; n < 200000; ++n) {
        const AColor c = source.NextColor();
        ASSERT_TRUE(SameBits(reference::ColorToHsv(c), ColorToHsv(c))) << "to HSV, case " << n;
        ASSERT_TRUE(SameBits(reference::HsvToColor(c), HsvToColor(c))) << "to RGB, case " << n;
        ASSERT_TRUE(
            SameBits(reference::HsvToColor(reference::ColorToHsv(c)), HsvToColor(ColorToHsv(c))))
            << "round trip, case " << n;
    }
    // Every pair of special values as the channels (the third and alpha from the table too).
    const int count = sizeof kSpecials / sizeof kSpecials[0];
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < count; ++j)
            for (int k = 0; k < count; ++k) {
                const AColor c(kSpecials[i], kSpecials[j], kSpecials[k],
                               kSpecials[(i + j) % count]);
                ASSERT_TRUE(SameBits(reference::ColorToHsv(c), ColorToHsv(c))) << i << j << k;
                ASSERT_TRUE(SameBits(reference::HsvToColor(c), HsvToColor(c))) << i << j << k;
            }
}

TEST(PowerExactness, ThePowersKeepTheirBits)
{
    // The blend space's and the gamma step's exponents, and random ones; x of every kind (the
    // exhaustive comparison over all positive floats is bench/power_exhaustive). The double
    // power also for doubles that are no floats, as the display decoding passes.
    std::vector<double> exponents = {1.0 / 2.2, 2.2, 1.0 / 2.4, 2.4, 1.0 / 1000.0, 1000.0, 1.0};
    FloatSource source(2121);
    std::mt19937& rng = source.Rng();
    for (int n = 0; n < 20; ++n)
        exponents.push_back(1.0 /
                            (double)std::uniform_real_distribution<float>(0.001f, 10.0f)(rng));
    std::uniform_real_distribution<double> decoded(0.04045, 1.5);
    for (double y : exponents)
        for (int n = 0; n < 40000; ++n) {
            const float x = n % 3 == 0 ? source.Next() : FloatOfBits(rng() >> 1);
            ASSERT_EQ(BitsOfFloat(reference::PowerOfPositive(x, y)),
                      BitsOfFloat(PowerOfPositive(x, y)))
                << "y " << y << ", x " << Hex(x);
            const double v = n % 2 == 0 ? (double)std::fabs(x) : (decoded(rng) + 0.055) / 1.055;
            if (!(v >= (double)std::numeric_limits<float>::min() &&
                  v <= (double)std::numeric_limits<float>::max()))
                continue; // the double power takes normal floats' range only
            const double want = reference::DoublePowerOfPositive(v, y);
            const double got = DoublePowerOfPositive(v, y);
            ASSERT_EQ(0, std::memcmp(&want, &got, sizeof want)) << "y " << y << ", v " << v;
        }
}

TEST(OutputExactness, TheStageKeepsItsBitsForRandomSettingsAndColours)
{
    FloatSource source(4242);
    std::mt19937& rng = source.Rng();
    const float gammas[] = {1.0f, 2.2f, 0.45454547f, 0.001f, 1000.0f, 1.0000001f};
    for (int settings = 0; settings < 400; ++settings) {
        OutputSettings s;
        SetDefaultOutputSettings(s);
        s.Output_on = true;
        s.Clamp = rng() % 2 == 0;
        s.Mono = rng() % 3 == 0 ? 1.0f : 0.0f;
        s.gamma = settings % 5 == 4 ? std::uniform_real_distribution<float>(0.001f, 10.0f)(rng)
                                    : gammas[rng() % (sizeof gammas / sizeof gammas[0])];
        std::uniform_real_distribution<float> shift(-1.0f, 1.0f);
        s.alpha = shift(rng);
        s.bright = 1.0f + shift(rng);
        s.contrast = 1.0f + shift(rng);
        s.outputShiftHSV = AColor(180.0f * shift(rng), shift(rng), shift(rng), 0.0f);
        s.outputShiftRGB = AColor(shift(rng), shift(rng), shift(rng), 0.0f);
        if (settings % 7 == 6) s.outputShiftHSV.r = source.Next(); // a hue shift of any kind
        OutputStage stage;
        PrepareOutputStage(s, stage);
        for (int n = 0; n < 500; ++n) {
            const AColor c = source.NextColor();
            ASSERT_TRUE(SameBits(reference::AdjustOutput(c, stage), AdjustOutput(c, stage)))
                << "settings " << settings << ", colour " << n;
        }
    }
}

} // namespace
