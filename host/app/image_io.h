// Pictures in and out: the float image a render produces, its PNG and PFM encodings, and the
// decoding of a bitmap file for the bitmap texture.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quiltra {

// Four float channels per pixel (r, g, b, a), rows from the top.
struct FloatImage {
    int width = 0, height = 0;
    std::vector<float> rgba;

    FloatImage() = default;
    FloatImage(int w, int h) : width(w), height(h), rgba((size_t)w * (size_t)h * 4, 0.0f) { }
    float* Pixel(int x, int y) { return &rgba[((size_t)y * (size_t)width + (size_t)x) * 4]; }
    const float* Pixel(int x, int y) const
    {
        return &rgba[((size_t)y * (size_t)width + (size_t)x) * 4];
    }
};

// The sRGB transfer: linear light 0..1 to the encoded value 0..1 and back. Values outside
// 0..1 (and NaN, as 0) are limited to 0..1 first.
double SrgbEncode(double linear);
double SrgbDecode(double encoded);

// An 8-bit code for a linear value through the sRGB transfer (colour channels), and for a
// value taken as it is (alpha); both limit to 0..1 and round to nearest.
std::uint8_t SrgbByte(float linear);
std::uint8_t LinearByte(float value);

// PNG, 8 bits per channel with alpha: red, green and blue sRGB-encoded, alpha linear. The
// colour channels are written as the image holds them (not divided by alpha).
std::vector<std::uint8_t> EncodePng(const FloatImage& image);

// The same in two steps, so that the codes can be made where the pixels are made (a render
// thread converts its rows as it finishes them): the 8-bit codes of `count` RGBA pixels, and
// the PNG of a picture's codes.
void PngCodes(const float* rgba, size_t count, std::uint8_t* codes);
std::vector<std::uint8_t> EncodePngCodes(int width, int height,
                                         const std::vector<std::uint8_t>& codes);

// PFM of red, green and blue ("PF", little-endian, rows from the bottom as the format has
// them) or of alpha alone ("Pf"). The floats are written bit for bit (NaN and infinities too).
std::vector<std::uint8_t> EncodePfmRgb(const FloatImage& image);
std::vector<std::uint8_t> EncodePfmAlpha(const FloatImage& image);

// Decodes a PFM written by EncodePfmRgb or EncodePfmAlpha back into an image (missing channels
// 0, alpha 1). Throws InputError for anything else. Used by tests and tools.
FloatImage DecodePfm(const std::vector<std::uint8_t>& bytes, const std::string& name);

// The most pixels of a picture read or written: 64 Mi (8192 × 8192).
const long long kMaxPicturePixels = 64ll * 1024 * 1024;

// A decoded picture as it is kept: its 8-bit or 16-bit codes, four per pixel (r, g, b, a), rows
// from the top, and the tables that give each code its float value, looked up per pixel read.
// Copies share the codes, which never change.
class Picture {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Red, green, blue and alpha of pixel (x, y).
    void Pixel(int x, int y, float rgba[4]) const
    {
        const size_t at = ((size_t)y * (size_t)width_ + (size_t)x) * 4;
        if (floats_) {
            const float* f = static_cast<const float*>(codes_.get()) + at;
            rgba[0] = f[0], rgba[1] = f[1], rgba[2] = f[2], rgba[3] = f[3];
        } else if (wide_)
            Lookup(static_cast<const std::uint16_t*>(codes_.get()) + at, rgba);
        else
            Lookup(static_cast<const std::uint8_t*>(codes_.get()) + at, rgba);
    }

private:
    template <typename Code>
    void Lookup(const Code* c, float rgba[4]) const
    {
        const float* colour = tables_->data();
        const float* alpha = colour + tables_->size() / 2;
        rgba[0] = colour[c[0]];
        rgba[1] = colour[c[1]];
        rgba[2] = colour[c[2]];
        rgba[3] = alpha[c[3]];
    }

    friend Picture DecodePicture(const std::vector<std::uint8_t>&, bool, const std::string&);
    friend Picture DecodeExrPicture(const std::vector<std::uint8_t>&, const std::string&);
    int width_ = 0, height_ = 0;
    bool wide_ = false; // 16-bit codes (8 bytes per pixel), else 8-bit (4)
    bool floats_ = false; // float values as stored (16 bytes per pixel, no tables)
    std::shared_ptr<const void> codes_; // as the decoder made them
    std::shared_ptr<const std::vector<float>> tables_; // colour values of each code, then alpha
};

// Decodes a PNG or JPEG (8 or 16 bits per channel), or an OpenEXR file (its floats as stored,
// linear whatever `linear` says; exr_io.h). A code c of n bits has the value
// c / (2^n − 1) in alpha, and in the colour channels too with `linear`; otherwise the colour
// channels are taken as sRGB-encoded and decoded. Throws InputError("name: why") when the bytes
// are not a picture stb can read or the picture has more than kMaxPicturePixels pixels.
Picture DecodePicture(const std::vector<std::uint8_t>& bytes, bool linear, const std::string& name);

// Decodes a PNG into its 8-bit RGBA codes (tests and tools read written pictures back).
bool DecodePng8(const std::vector<std::uint8_t>& bytes, int& width, int& height,
                std::vector<std::uint8_t>& rgba);

} // namespace quiltra
