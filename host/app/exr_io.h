// OpenEXR in and out: a render's raw float RGBA written as 32-bit float or 16-bit half channels,
// and EXR files read back, as floats (tests and tools) or as a bitmap map's picture.
#pragma once

#include "image_io.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quiltra {

// True when the bytes start with the EXR magic number.
bool IsExr(const std::vector<std::uint8_t>& bytes);

// A single-part scanline EXR of the image's R, G, B and A channels, ZIP compressed, rows from
// the top. The floats are kept bit for bit (NaN and infinities too); with `half` each is rounded
// to the nearest 16-bit half (ties to even; NaN stays NaN, beyond the half range infinity).
std::vector<std::uint8_t> EncodeExr(const FloatImage& image, bool half);

// The data window of a single-part scanline EXR as floats: channels R, G, B and A (a lone Y
// channel gives grey), missing colour channels 0, missing alpha 1, other channels ignored.
// Throws InputError("name: why") for a file that is not such an EXR, is damaged or cut short,
// or holds more than kMaxPicturePixels pixels.
FloatImage DecodeExr(const std::vector<std::uint8_t>& bytes, const std::string& name);

// What DecodeExrPicture's picture of these bytes takes: 8 bytes a pixel when every colour and
// alpha channel is half, else 16; 0 when the header does not read (decoding then says why).
long long ExrPictureBytes(const std::vector<std::uint8_t>& bytes);

// The same as a bitmap map's picture: values as stored (linear, no sRGB decoding).
Picture DecodeExrPicture(const std::vector<std::uint8_t>& bytes, const std::string& name);

} // namespace quiltra
