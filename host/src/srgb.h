// The sRGB transfer (IEC 61966-2-1) between linear light and 8-bit codes, as the host's
// viewport bitmaps hold colour.
#pragma once

#include <cmath>
#include <cstdint>

namespace host_srgb {

// Limited to 0..1 (NaN as 0), encoded, rounded to the nearest code.
inline std::uint8_t Encode(float linear)
{
    double x = linear > 0.0f ? (linear < 1.0f ? (double)linear : 1.0) : 0.0;
    double e = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
    return (std::uint8_t)std::lround(e * 255.0);
}

inline float Decode(std::uint8_t code)
{
    double e = code / 255.0;
    return (float)(e <= 0.04045 ? e / 12.92 : std::pow((e + 0.055) / 1.055, 2.4));
}

// Alpha and other linear values: limited to 0..1, rounded to the nearest code.
inline std::uint8_t Linear(float value)
{
    double x = value > 0.0f ? (value < 1.0f ? (double)value : 1.0) : 0.0;
    return (std::uint8_t)std::lround(x * 255.0);
}

} // namespace host_srgb
