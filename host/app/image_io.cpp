#include "image_io.h"

#include "exr_io.h"
#include "file_io.h"
#include "png_stream.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <stb/stb_image.h>

namespace quiltra {

static double Limit01(double x)
{
    if (!(x > 0.0)) return 0.0; // NaN too
    return x < 1.0 ? x : 1.0;
}

double SrgbEncode(double linear)
{
    double x = Limit01(linear);
    return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
}

double SrgbDecode(double encoded)
{
    double x = Limit01(encoded);
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
}

std::uint8_t SrgbByte(float linear)
{
    return (std::uint8_t)std::lround(SrgbEncode(linear) * 255.0);
}

namespace {

// A code function of 0..1 (SrgbByte, LinearByte) without calling it per value: the function
// is monotonic, so the code of x is the number of code boundaries at or below it. Boundary k is
// the least float whose code is k + 1, found once by bisection over the floats with the function
// itself, so both always agree. The search starts from the code at the bottom of x's bucket
// (floats sharing their top 16 bits), which holds at most a boundary or two.
class CodeTable {
public:
    explicit CodeTable(std::uint8_t (*code)(float))
    {
        for (int k = 0; k < 255; ++k) {
            // Floats that are not negative order like their bit patterns.
            std::uint32_t low = 0, high = 0x3f800000; // code(0) = 0, code(1) = 255
            while (high - low > 1) {
                std::uint32_t middle = low + (high - low) / 2;
                float x;
                std::memcpy(&x, &middle, 4);
                (code(x) > k ? high : low) = middle;
            }
            std::memcpy(&boundaries_[k], &high, 4);
        }
        boundaries_[255] = 2.0f; // above every value below 1
        for (std::uint32_t bucket = 0, c = 0; bucket < kBuckets; ++bucket) {
            float lowest;
            const std::uint32_t bits = bucket << kShift;
            std::memcpy(&lowest, &bits, 4);
            while (c < 255 && lowest >= boundaries_[c])
                ++c;
            start_[bucket] = (std::uint8_t)c;
        }
    }
    std::uint8_t Code(float x) const
    {
        if (!(x > 0.0f)) return 0; // NaN too
        if (!(x < 1.0f)) return 255;
        std::uint32_t bits;
        std::memcpy(&bits, &x, 4);
        unsigned c = start_[bits >> kShift];
        while (x >= boundaries_[c])
            ++c;
        return (std::uint8_t)c;
    }

private:
    static const int kShift = 16;
    static const std::uint32_t kBuckets = (0x3f800000u >> kShift) + 1; // up to 1
    float boundaries_[256];
    std::uint8_t start_[kBuckets];
};

} // namespace
std::uint8_t LinearByte(float value) { return (std::uint8_t)std::lround(Limit01(value) * 255.0); }

void PngCodes(const float* rgba, size_t count, std::uint8_t* codes)
{
    static const CodeTable srgb(SrgbByte), linear(LinearByte);
    for (size_t i = 0; i < count * 4; i += 4) {
        codes[i + 0] = srgb.Code(rgba[i + 0]);
        codes[i + 1] = srgb.Code(rgba[i + 1]);
        codes[i + 2] = srgb.Code(rgba[i + 2]);
        codes[i + 3] = linear.Code(rgba[i + 3]);
    }
}

std::vector<std::uint8_t> EncodePngCodes(int width, int height,
                                         const std::vector<std::uint8_t>& codes)
{
    if (width < 1 || height < 1 || codes.size() != (size_t)width * (size_t)height * 4)
        throw InputError("PNG encoding failed");
    PngStream png(width, height);
    png.AddRows(codes.data(), 0, height);
    return png.Finish();
}

std::vector<std::uint8_t> EncodePng(const FloatImage& image)
{
    std::vector<std::uint8_t> codes((size_t)image.width * (size_t)image.height * 4);
    PngCodes(image.rgba.data(), (size_t)image.width * (size_t)image.height, codes.data());
    return EncodePngCodes(image.width, image.height, codes);
}

static std::vector<std::uint8_t> EncodePfm(const FloatImage& image, bool rgb)
{
    std::string header = std::string(rgb ? "PF" : "Pf") + "\n" + std::to_string(image.width) + " " +
        std::to_string(image.height) + "\n-1.0\n";
    const int channels = rgb ? 3 : 1;
    std::vector<std::uint8_t> out(header.begin(), header.end());
    size_t start = out.size();
    out.resize(start + (size_t)image.width * (size_t)image.height * (size_t)channels * 4);
    std::uint8_t* p = out.data() + start;
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const float* px = image.Pixel(x, y);
            for (int c = 0; c < channels; ++c) {
                float v = rgb ? px[c] : px[3];
                std::uint32_t bits;
                std::memcpy(&bits, &v, 4);
                *p++ = (std::uint8_t)bits;
                *p++ = (std::uint8_t)(bits >> 8);
                *p++ = (std::uint8_t)(bits >> 16);
                *p++ = (std::uint8_t)(bits >> 24);
            }
        }
    return out;
}

std::vector<std::uint8_t> EncodePfmRgb(const FloatImage& image) { return EncodePfm(image, true); }
std::vector<std::uint8_t> EncodePfmAlpha(const FloatImage& image)
{
    return EncodePfm(image, false);
}

FloatImage DecodePfm(const std::vector<std::uint8_t>& bytes, const std::string& name)
{
    std::string text(bytes.begin(), bytes.begin() + (long)std::min<size_t>(bytes.size(), 64));
    int width = 0, height = 0, consumed = 0;
    char kind[3] = {0, 0, 0};
    double scale = 0.0;
    if (std::sscanf(text.c_str(), "%2s %d %d %lf%n", kind, &width, &height, &scale, &consumed) !=
            4 ||
        (std::strcmp(kind, "PF") != 0 && std::strcmp(kind, "Pf") != 0) || width <= 0 ||
        height <= 0 || scale >= 0.0)
        throw InputError(name + ": not a little-endian PFM");
    const int channels = kind[1] == 'F' ? 3 : 1;
    size_t start = (size_t)consumed + 1;
    if (bytes.size() - start != (size_t)width * (size_t)height * (size_t)channels * 4)
        throw InputError(name + ": PFM size does not match its header");
    FloatImage image(width, height);
    const std::uint8_t* p = bytes.data() + start;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            float* px = image.Pixel(x, y);
            px[3] = 1.0f;
            for (int c = 0; c < channels; ++c) {
                std::uint32_t bits = (std::uint32_t)p[0] | (std::uint32_t)p[1] << 8 |
                    (std::uint32_t)p[2] << 16 | (std::uint32_t)p[3] << 24;
                p += 4;
                std::memcpy(&px[channels == 3 ? c : 3], &bits, 4);
            }
        }
    return image;
}

Picture DecodePicture(const std::vector<std::uint8_t>& bytes, bool linear, const std::string& name)
{
    if (bytes.size() > (size_t)0x7fffffff) throw InputError(name + ": picture file too large");
    if (IsExr(bytes)) return DecodeExrPicture(bytes, name);
    const int length = (int)bytes.size();
    int width = 0, height = 0, channels = 0;
    // The size first: a small file may describe a picture of gigabytes.
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels))
        throw InputError(name + ": cannot read picture: " + stbi_failure_reason());
    if ((long long)width * height > kMaxPicturePixels)
        throw InputError(name + ": " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels; pictures of at most " + std::to_string(kMaxPicturePixels) +
                         " pixels (8192 x 8192) are read");
    Picture picture;
    const bool wide = stbi_is_16_bit_from_memory(bytes.data(), length) != 0;
    const size_t values = wide ? 65536 : 256;
    const double maximum = (double)(values - 1);
    auto tables = std::make_shared<std::vector<float>>(2 * values);
    for (size_t c = 0; c < values; ++c) {
        const double v = (double)c / maximum;
        (*tables)[c] = (float)(linear ? v : SrgbDecode(v));
        (*tables)[values + c] = (float)v;
    }
    void* codes = wide
        ? (void*)stbi_load_16_from_memory(bytes.data(), length, &width, &height, &channels, 4)
        : (void*)stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 4);
    if (!codes) throw InputError(name + ": cannot read picture: " + stbi_failure_reason());
    picture.codes_ = std::shared_ptr<const void>(
        codes, [](const void* c) { stbi_image_free(const_cast<void*>(c)); });
    picture.tables_ = tables;
    picture.wide_ = wide;
    picture.width_ = width;
    picture.height_ = height;
    return picture;
}

bool DecodePng8(const std::vector<std::uint8_t>& bytes, int& width, int& height,
                std::vector<std::uint8_t>& rgba)
{
    int channels = 0;
    stbi_uc* codes =
        stbi_load_from_memory(bytes.data(), (int)bytes.size(), &width, &height, &channels, 4);
    if (!codes) return false;
    rgba.assign(codes, codes + (size_t)width * (size_t)height * 4);
    stbi_image_free(codes);
    return true;
}

} // namespace quiltra
