// The engine's cosine: faithfully rounded against the C library's double-precision cos (whose
// own error is far below a float's spacing) over a sample of the whole float range and the hard
// cases, NaN for inf and NaN, and the same bits in every build.
// tests/engine/cosine_exhaustive.cpp checks every float.
#include "cosine.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// True when f is one of the two floats around the exact value (or the value itself).
bool Faithful(float f, double exact)
{
    const float below = std::nextafter(f, -2.0f), above = std::nextafter(f, 2.0f);
    return (double)below < exact && exact < (double)above;
}

// The C library's cos of the double is the reference. glibc's is accurate for every argument;
// mingw's loses its accuracy for huge ones (beyond some 10^9), so there those are left to the
// native run, and GivesTheSameBitsInEveryBuild ties every build's bits to the native ones.
bool ReferenceHolds(float x)
{
#ifdef __GLIBC__
    (void)x;
    return true;
#else
    return std::fabs(x) < 1073741824.0f; // 2^30
#endif
}

::testing::AssertionResult FaithfulCosine(float x)
{
    if (!ReferenceHolds(x)) return ::testing::AssertionSuccess();
    const float got = CosineOf(x);
    const double exact = std::cos((double)x);
    if (Faithful(got, exact)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << std::hexfloat << "cos(" << x << ") gave " << got << ", exact " << exact;
}

TEST(Cosine, FaithfullyRoundedOverASampleOfEveryFloat)
{
    // Every 1021st bit pattern, both signs, all exponents (NaNs and infinities among them).
    int failures = 0;
    for (std::uint64_t bits = 0; bits <= 0xffffffffu && failures < 5; bits += 1021) {
        const float x = FloatOfBits((std::uint32_t)bits);
        if (!std::isfinite(x)) {
            EXPECT_TRUE(std::isnan(CosineOf(x))) << std::hexfloat << x;
            continue;
        }
        const ::testing::AssertionResult ok = FaithfulCosine(x);
        if (!ok) {
            ++failures;
            ADD_FAILURE() << ok.message();
        }
    }
}

TEST(Cosine, FaithfullyRoundedInTheHardCases)
{
    std::vector<float> cases;
    // The floats around k·π/2, where the cosine comes close to 0, 1 or −1 and the reduction
    // cancels most: 256 floats on each side of each, from small k to far beyond the fast path.
    const double ks[] = {1,     2,      3,      4,      5,   7,   64,  101,  1000,
                         12345, 333333, 667544, 667545, 1e6, 3e7, 1e9, 1e12, 1e20};
    for (double k : ks) {
        const std::uint32_t middle = BitsOfFloat((float)(k * 1.5707963267948966));
        for (std::uint32_t bits = middle - 256; bits <= middle + 256; ++bits)
            cases.push_back(FloatOfBits(bits));
    }
    // Both sides of the fast path's end (2^20) and of powers of two around it.
    for (std::uint32_t bits = 0x49800000u - 4096; bits < 0x49800000u + 4096; ++bits)
        cases.push_back(FloatOfBits(bits));
    // Arguments whose cosine is nearest to 0 (found by cosine_exhaustive), huge ones, the
    // largest float, the smallest normal and subnormal ones, and values just off 0.
    const float listed[] = {1.0e30f,
                            -1.0e30f,
                            FLT_MAX,
                            -FLT_MAX,
                            1.0e38f,
                            8388608.0f,
                            16777216.0f,
                            1.0e7f,
                            3.14159274f,
                            1.57079637f,
                            FLT_MIN,
                            -FLT_MIN,
                            1e-45f,
                            1e-30f,
                            1e-10f,
                            0.000244140625f,
                            1e-4f,
                            0.5f,
                            0.78539819f,
                            0.78539813f,
                            1.0e5f * 3.14159274f,
                            -1.0e5f * 3.14159274f};
    cases.insert(cases.end(), listed, listed + sizeof listed / sizeof listed[0]);
    int failures = 0;
    for (float x : cases) {
        if (failures >= 5) break;
        const ::testing::AssertionResult ok = FaithfulCosine(x);
        const ::testing::AssertionResult negated = FaithfulCosine(-x);
        if (!ok || !negated) ++failures;
        EXPECT_TRUE(ok);
        EXPECT_TRUE(negated);
    }
}

TEST(Cosine, SpecialValues)
{
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(1.0f, CosineOf(0.0f));
    EXPECT_EQ(1.0f, CosineOf(-0.0f));
    EXPECT_EQ(1.0f, CosineOf(FloatOfBits(1))); // the smallest subnormal
    EXPECT_TRUE(std::isnan(CosineOf(inf)));
    EXPECT_TRUE(std::isnan(CosineOf(-inf)));
    EXPECT_TRUE(std::isnan(CosineOf(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(CosineOf(-std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(CosineOf(FloatOfBits(0x7f800001u)))); // signalling
    // Even, for every float of a stretch spanning both paths.
    for (std::uint32_t bits = 0x49700000u; bits < 0x49900000u; bits += 7)
        ASSERT_EQ(BitsOfFloat(CosineOf(FloatOfBits(bits))),
                  BitsOfFloat(CosineOf(-FloatOfBits(bits))));
    // cos 0.5 and cos π: the exact cosines lie between floats; the nearest ones come out.
    EXPECT_EQ((float)std::cos(0.5), CosineOf(0.5f));
    EXPECT_EQ(-1.0f, CosineOf(3.14159274f));
}

TEST(Cosine, TwoAtOnceGiveTheSameBitsAsOneAtATime)
{
    // Pairs from a sample of all floats, each against its neighbour in the sample and against
    // values of every path (small, huge, NaN), so that both halves meet both paths.
    const float others[] = {0.0f,
                            0.7f,
                            -2.5f,
                            1e5f,
                            1e30f,
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};
    float previous = 0.0f;
    int failures = 0;
    for (std::uint64_t bits = 0; bits <= 0xffffffffu && failures < 5; bits += 4093) {
        const float x = FloatOfBits((std::uint32_t)bits);
        for (float y : others)
            for (int swap = 0; swap < 2; ++swap) {
                const float a = swap ? y : x, b = swap ? x : y;
                float cosA, cosB;
                CosineOfTwo(a, b, cosA, cosB);
                if (BitsOfFloat(cosA) != BitsOfFloat(CosineOf(a)) ||
                    BitsOfFloat(cosB) != BitsOfFloat(CosineOf(b))) {
                    ++failures;
                    ADD_FAILURE() << std::hexfloat << a << ", " << b << ": " << cosA << ", "
                                  << cosB;
                }
            }
        float cosX, cosPrevious;
        CosineOfTwo(x, previous, cosX, cosPrevious);
        if (BitsOfFloat(cosX) != BitsOfFloat(CosineOf(x)) ||
            BitsOfFloat(cosPrevious) != BitsOfFloat(CosineOf(previous))) {
            ++failures;
            ADD_FAILURE() << std::hexfloat << x << ", " << previous;
        }
        previous = x;
    }
}

TEST(Cosine, GivesTheSameBitsInEveryBuild)
{
    // A digest (FNV-1a) of the cosines of every 65537th float (both paths, every quadrant). The
    // constant was taken from the native build; the Windows builds must agree with it bit for
    // bit.
    std::uint32_t digest = 2166136261u;
    for (std::uint64_t bits = 0; bits <= 0xffffffffu; bits += 65537) {
        const std::uint32_t u = BitsOfFloat(CosineOf(FloatOfBits((std::uint32_t)bits)));
        for (int byte = 0; byte < 4; ++byte)
            digest = (digest ^ ((u >> (8 * byte)) & 0xffu)) * 16777619u;
    }
    EXPECT_EQ(2359541020u, digest);
}

} // namespace
