#include "hex_float.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace quiltra {

std::string HexFloat(float value)
{
    if (std::isnan(value)) return "nan";
    const double d = value;
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    std::string s = negative ? "-" : "";
    if (std::isinf(d)) return s + "inf";
    if (d == 0.0) return s + "0x0p+0";

    // A float widened to double is always a normal double: 1.fraction × 2^exponent.
    const int exponent = (int)((bits >> 52) & 0x7ff) - 1023;
    std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
    s += "0x1";
    if (fraction) {
        s += '.';
        static const char digits[] = "0123456789abcdef";
        int nibbles = 13;
        while ((fraction & 0xf) == 0) {
            fraction >>= 4;
            --nibbles;
        }
        for (int i = nibbles - 1; i >= 0; --i)
            s += digits[(fraction >> (4 * i)) & 0xf];
    }
    s += 'p';
    s += exponent < 0 ? '-' : '+';
    s += std::to_string(exponent < 0 ? -exponent : exponent);
    return s;
}

} // namespace quiltra
