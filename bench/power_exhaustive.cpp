// Compares the engine's power function with its former form (tests/engine/reference_output.h)
// over every positive float, bit for bit: PowerOfPositive for the exponents the texture uses (the
// sRGB 1/2.4 and 2.4, gammas 2.2 and 1/2.2, the extremes 1/1000 and 1000, and 1), and the display
// encoding and decoding, whose doubles go through DoublePowerOfPositive. Prints the count of floats
// compared and of differences; exits 1 on any difference. Takes some minutes: run it once after
// changing gamma_power.h.
#include "blend_space.h"
#include "gamma_power.h"
#include "reference_output.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

float ReferenceEncode(float x)
{
    const double v = x < 0.0f ? -(double)x : (double)x;
    const double e =
        v <= 0.0031308 ? 12.92 * v : 1.055 * reference::DoublePowerOfPositive(v, 1.0 / 2.4) - 0.055;
    return (float)(x < 0.0f ? -e : e);
}

float ReferenceDecode(float x)
{
    const double v = x < 0.0f ? -(double)x : (double)x;
    const double d =
        v <= 0.04045 ? v / 12.92 : reference::DoublePowerOfPositive((v + 0.055) / 1.055, 2.4);
    return (float)(x < 0.0f ? -d : d);
}

} // namespace

int main()
{
    const double exponents[] = {1.0 / 2.2, 2.2, 1.0 / 2.4, 2.4, 1.0 / 1000.0, 1000.0, 1.0};
    unsigned long long differences = 0;
    for (double y : exponents) {
        unsigned long long scalar = 0;
        // Every float with the sign bit clear: +0, subnormals, normals, +inf and the NaNs.
        for (std::uint64_t u = 0; u < 0x80000000ull; ++u) {
            const float x = FloatOfBits((std::uint32_t)u);
            if (BitsOfFloat(PowerOfPositive(x, y)) !=
                    BitsOfFloat(reference::PowerOfPositive(x, y)) &&
                scalar++ < 5)
                std::printf("y %.17g x %a differs\n", y, (double)x);
        }
        std::printf("y = %.17g: 2^31 floats, %llu differences\n", y, scalar);
        std::fflush(stdout);
        differences += scalar;
    }
    unsigned long long encode = 0, decode = 0;
    for (std::uint64_t u = 0; u < 0x80000000ull; ++u) {
        const float x = FloatOfBits((std::uint32_t)u);
        if (BitsOfFloat(EncodeDisplay(x)) != BitsOfFloat(ReferenceEncode(x)) && encode++ < 5)
            std::printf("encode %a differs\n", (double)x);
        if (BitsOfFloat(DecodeDisplay(x)) != BitsOfFloat(ReferenceDecode(x)) && decode++ < 5)
            std::printf("decode %a differs\n", (double)x);
    }
    std::printf("display encoding and decoding: 2^31 floats, %llu and %llu differences\n", encode,
                decode);
    differences += encode + decode;
    return differences == 0 ? 0 : 1;
}
