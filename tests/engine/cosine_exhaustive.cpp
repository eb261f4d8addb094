// Checks the engine's cosine for every float (or the range of bit patterns given, in hex:
// cosine_exhaustive [FIRST [LAST]]) against the C library's double-precision cos of the same
// argument, whose error (under a double's ULP) is far below a float's spacing. Prints the
// largest error in float ULPs, how many results are not the float nearest to the reference
// and how many are not faithfully rounded (not one of the two floats around it), whether NaN
// came exactly for inf and NaN, and the argument whose cosine is smallest (the one nearest to
// a multiple of π/2). Exits 1 on any result that is not faithfully rounded. Not part of the
// test suite: it takes minutes; tests/engine/cosine_test.cpp samples the same range.
#include "cosine.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The spacing of floats around v (v not 0, within the float range).
double UlpAt(double v)
{
    int exponent;
    std::frexp(v, &exponent);
    if (exponent < -125) exponent = -125; // subnormal spacing
    return std::ldexp(1.0, exponent - 24);
}

} // namespace

int main(int argc, char** argv)
{
    const std::uint64_t first = argc > 1 ? std::strtoull(argv[1], nullptr, 16) : 0;
    const std::uint64_t last = argc > 2 ? std::strtoull(argv[2], nullptr, 16) : 0xffffffffull;
    std::uint64_t checked = 0, notNearest = 0, notFaithful = 0, badNaN = 0;
    double worstUlps = 0.0, smallest = 2.0;
    float worstAt = 0.0f, smallestAt = 0.0f;
    for (std::uint64_t bits = first; bits <= last; ++bits) {
        const float x = FloatOfBits((std::uint32_t)bits);
        const float got = CosineOf(x);
        ++checked;
        if (!std::isfinite(x)) {
            if (!std::isnan(got)) ++badNaN;
            continue;
        }
        if (std::isnan(got)) {
            ++badNaN;
            continue;
        }
        const double exact = std::cos((double)x);
        const double ulps = std::fabs((double)got - exact) / UlpAt(exact);
        if (ulps > worstUlps) {
            worstUlps = ulps;
            worstAt = x;
        }
        if (got != (float)exact) ++notNearest;
        const float below = std::nextafter(got, -2.0f), above = std::nextafter(got, 2.0f);
        if (!((double)below < exact && exact < (double)above)) {
            if (++notFaithful <= 10)
                std::printf("not faithful: cos(%a) = %a, exact %a\n", (double)x, (double)got,
                            exact);
        }
        if (std::fabs(exact) < smallest) {
            smallest = std::fabs(exact);
            smallestAt = x;
        }
    }
    std::printf("%llu arguments (0x%08llx..0x%08llx)\n", (unsigned long long)checked,
                (unsigned long long)first, (unsigned long long)last);
    std::printf("largest error %.4f ULP (at %a)\n", worstUlps, (double)worstAt);
    std::printf("not the nearest float: %llu; not faithfully rounded: %llu; NaN wrong: %llu\n",
                (unsigned long long)notNearest, (unsigned long long)notFaithful,
                (unsigned long long)badNaN);
    std::printf("smallest |cos x|: %a (%.3g) at x = %a (%.9g)\n", smallest, smallest,
                (double)smallestAt, (double)smallestAt);
    return notFaithful == 0 && badNaN == 0 ? 0 : 1;
}
