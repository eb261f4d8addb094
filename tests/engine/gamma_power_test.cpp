// The gamma step's power function: within 1 ULP of the exact power over the whole float range
// (checked against the C library's double-precision pow, whose own error is some 10^-16, far
// below a float's spacing), the same bits in every build, and its special values.
#include "gamma_power.h"
#include "output_stage.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// True when f is one of the two floats around the exact value (the nearest float to it, or
// the next one on the other side), or the exact value itself.
bool Faithful(float f, double exact)
{
    if (std::isinf(f)) return exact > FLT_MAX;
    const float below = std::nextafter(f, -std::numeric_limits<float>::infinity());
    const float above = std::nextafter(f, std::numeric_limits<float>::infinity());
    if (f == FLT_MAX) return exact > (double)below;
    return (double)below < exact && exact < (double)above;
}

// Gammas from the editor's lowest to far beyond its range, 1/2.2 and 2.2, and both floats next
// to 1.
const float kGammas[] = {0.001f, 0.01f, 0.45454547f, 0.5f,  0.99999994f, 1.0000001f,
                         2.0f,   2.2f,  3.0f,        37.5f, 1000.0f,     1e30f};

TEST(GammaPower, WithinOneUlpOfTheExactPowerOverTheWholeFloatRange)
{
    // Every 4099th positive float from the smallest subnormal to the largest finite one (all
    // exponents, all 128 table intervals), and every float within 2^15 steps of 1.
    for (float gamma : kGammas) {
        const double y = 1.0 / (double)gamma;
        int failures = 0;
        for (std::uint32_t bits = 1; bits < 0x7f800000u && failures < 5; bits += 4099) {
            const float x = FloatOfBits(bits);
            const float got = PowerOfPositive(x, y);
            if (!Faithful(got, std::pow((double)x, y))) {
                ++failures;
                ADD_FAILURE() << "gamma " << gamma << ", x " << std::hexfloat << x << ": got "
                              << got << ", exact " << std::pow((double)x, y);
            }
        }
        for (std::uint32_t bits = 0x3f800000u - 32768; bits < 0x3f800000u + 32768; ++bits) {
            const float x = FloatOfBits(bits);
            ASSERT_TRUE(Faithful(PowerOfPositive(x, y), std::pow((double)x, y)))
                << "gamma " << gamma << ", x " << std::hexfloat << x;
        }
    }
}

TEST(GammaPower, GivesTheSameBitsInEveryBuild)
{
    // A digest (FNV-1a) of the powers of every 65537th float for three gammas. The constant was
    // taken from the native build; the Windows build must agree with it bit for bit.
    std::uint32_t digest = 2166136261u;
    for (float gamma : {0.45454547f, 2.2f, 0.001f}) {
        const double y = 1.0 / (double)gamma;
        for (std::uint32_t bits = 1; bits < 0x7f800000u; bits += 65537) {
            const float p = PowerOfPositive(FloatOfBits(bits), y);
            std::uint32_t u;
            std::memcpy(&u, &p, sizeof u);
            for (int byte = 0; byte < 4; ++byte)
                digest = (digest ^ ((u >> (8 * byte)) & 0xffu)) * 16777619u;
        }
    }
    EXPECT_EQ(148826104u, digest);
}

TEST(GammaPower, SpecialValuesAndTheMirroredNegativeChannel)
{
    const float inf = std::numeric_limits<float>::infinity();
    const double half = 0.5;
    EXPECT_EQ(inf, GammaPower(inf, half));
    EXPECT_EQ(-inf, GammaPower(-inf, half));
    EXPECT_TRUE(std::isnan(GammaPower(std::nanf(""), half)));
    EXPECT_EQ(0.5f, GammaPower(0.25f, half));
    EXPECT_EQ(-0.5f, GammaPower(-0.25f, half));
    EXPECT_EQ(1.0f, GammaPower(1.0f, 1.0 / 2.2));
    EXPECT_EQ(8.0f, GammaPower(2.0f, 3.0));
    // Beyond the float range: +inf; below half the smallest subnormal: 0; the smallest subnormal
    // itself to the power 1 comes back.
    EXPECT_EQ(inf, GammaPower(2.0f, 1000.0));
    EXPECT_EQ(0.0f, GammaPower(0.5f, 1000.0));
    EXPECT_EQ(FloatOfBits(1), GammaPower(FloatOfBits(1), 1.0));
    EXPECT_EQ(FLT_MAX, GammaPower(FLT_MAX, 1.0));
}

} // namespace
