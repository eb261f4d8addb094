#include "exr_io.h"

#include "file_io.h"

#include <zlib.h>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wcast-function-type"
#endif
#define TINYEXR_USE_MINIZ 0
#define TINYEXR_USE_THREAD 0
#define TINYEXR_USE_OPENMP 0
#define TINYEXR_USE_PIZ 1
#define TINYEXR_IMPLEMENTATION
#include <tinyexr.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <cstdlib>
#include <cstring>
#include <memory>

namespace quiltra {
namespace {

// tinyexr's messages as one line (a message on stderr is one line).
std::string OneLine(const char* text)
{
    std::string s = text ? text : "damaged file";
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s.empty() ? "damaged file" : s;
}

std::string TakeError(const char* err, int code)
{
    std::string why = err ? OneLine(err) : "error " + std::to_string(code);
    if (err) FreeEXRErrorMessage(err);
    return why;
}

// Nearest half, ties to even; NaN stays NaN (quiet, sign kept), beyond the range infinity.
std::uint16_t HalfOf(float value)
{
    std::uint32_t f = 0;
    std::memcpy(&f, &value, 4);
    const std::uint32_t sign = (f >> 16) & 0x8000u;
    const std::uint32_t exponent = (f >> 23) & 0xffu;
    std::uint32_t mantissa = f & 0x7fffffu;
    if (exponent == 0xff)
        return (std::uint16_t)(sign | 0x7c00u | (mantissa ? 0x200u | (mantissa >> 13) : 0u));
    const int e = (int)exponent - 127 + 15;
    if (e >= 31) return (std::uint16_t)(sign | 0x7c00u);
    std::uint32_t bits;  // the half's magnitude, before rounding, with `rest` the dropped part
    std::uint32_t rest, halfway;
    if (e <= 0) {
        if (e < -10) return (std::uint16_t)sign;  // below half the smallest subnormal
        mantissa |= 0x800000u;
        const int shift = 14 - e;
        bits = mantissa >> shift;
        rest = mantissa & ((1u << shift) - 1u);
        halfway = 1u << (shift - 1);
    } else {
        bits = ((std::uint32_t)e << 10) | (mantissa >> 13);
        rest = mantissa & 0x1fffu;
        halfway = 0x1000u;
    }
    if (rest > halfway || (rest == halfway && (bits & 1u))) ++bits;  // may carry into infinity
    return (std::uint16_t)(sign | bits);
}

// Frees what tinyexr allocated for a header and an image, whatever happens.
struct Parsed {
    EXRHeader header;
    EXRImage image;
    bool headerParsed = false, imageLoaded = false;
    Parsed()
    {
        InitEXRHeader(&header);
        InitEXRImage(&image);
    }
    ~Parsed()
    {
        if (imageLoaded) FreeEXRImage(&image);
        if (headerParsed) FreeEXRHeader(&header);
    }
};

}  // namespace

bool IsExr(const std::vector<std::uint8_t>& bytes)
{
    return bytes.size() >= 4 && bytes[0] == 0x76 && bytes[1] == 0x2f && bytes[2] == 0x31 &&
           bytes[3] == 0x01;
}

std::vector<std::uint8_t> EncodeExr(const FloatImage& image, bool half)
{
    const size_t count = (size_t)image.width * (size_t)image.height;
    // Channels in the file's order (sorted by name): A, B, G, R.
    const int source[4] = {3, 2, 1, 0};
    const char* names[4] = {"A", "B", "G", "R"};
    std::vector<std::vector<float>> floats(half ? 0 : 4);
    std::vector<std::vector<std::uint16_t>> halves(half ? 4 : 0);
    unsigned char* planes[4];
    for (int c = 0; c < 4; ++c) {
        if (half) {
            halves[c].resize(count);
            for (size_t i = 0; i < count; ++i) halves[c][i] = HalfOf(image.rgba[i * 4 + source[c]]);
            planes[c] = reinterpret_cast<unsigned char*>(halves[c].data());
        } else {
            floats[c].resize(count);
            for (size_t i = 0; i < count; ++i) floats[c][i] = image.rgba[i * 4 + source[c]];
            planes[c] = reinterpret_cast<unsigned char*>(floats[c].data());
        }
    }
    EXRHeader header;
    InitEXRHeader(&header);
    EXRChannelInfo channels[4];
    int types[4], requested[4];
    for (int c = 0; c < 4; ++c) {
        std::memset(&channels[c], 0, sizeof channels[c]);
        std::strcpy(channels[c].name, names[c]);
        channels[c].x_sampling = channels[c].y_sampling = 1;
        types[c] = requested[c] = half ? TINYEXR_PIXELTYPE_HALF : TINYEXR_PIXELTYPE_FLOAT;
    }
    header.num_channels = 4;
    header.channels = channels;
    header.pixel_types = types;
    header.requested_pixel_types = requested;
    header.compression_type = TINYEXR_COMPRESSIONTYPE_ZIP;

    EXRImage exr;
    InitEXRImage(&exr);
    exr.num_channels = 4;
    exr.images = planes;
    exr.width = image.width;
    exr.height = image.height;

    unsigned char* memory = nullptr;
    const char* err = nullptr;
    const size_t size = SaveEXRImageToMemory(&exr, &header, &memory, &err);
    if (size == 0 || !memory) {
        std::free(memory);
        throw std::runtime_error("EXR encoding failed: " + TakeError(err, 0));
    }
    std::vector<std::uint8_t> bytes(memory, memory + size);
    std::free(memory);
    return bytes;
}

FloatImage DecodeExr(const std::vector<std::uint8_t>& bytes, const std::string& name)
{
    const std::string cannot = name + ": cannot read picture: ";
    if (!IsExr(bytes)) throw InputError(cannot + "not an OpenEXR file");
    EXRVersion version;
    if (ParseEXRVersionFromMemory(&version, bytes.data(), bytes.size()) != TINYEXR_SUCCESS)
        throw InputError(cannot + "unknown OpenEXR version");
    if (version.multipart || version.non_image || version.tiled)
        throw InputError(cannot + "only single-part scanline OpenEXR files are read (not " +
                         (version.multipart ? "multi-part" : version.non_image ? "deep" : "tiled") +
                         ")");
    Parsed p;
    const char* err = nullptr;
    int code = ParseEXRHeaderFromMemory(&p.header, &version, bytes.data(), bytes.size(), &err);
    if (code != TINYEXR_SUCCESS) throw InputError(cannot + TakeError(err, code));
    p.headerParsed = true;
    const EXRBox2i& window = p.header.data_window;
    const long long width = (long long)window.max_x - window.min_x + 1;
    const long long height = (long long)window.max_y - window.min_y + 1;
    if (width < 1 || height < 1) throw InputError(cannot + "empty data window");
    // The size first: a small file may describe a picture of gigabytes.
    if (width * height > kMaxPicturePixels)
        throw InputError(name + ": " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels; pictures of at most " + std::to_string(kMaxPicturePixels) +
                         " pixels (8192 x 8192) are read");
    int at[4] = {-1, -1, -1, -1}, luminance = -1;
    for (int c = 0; c < p.header.num_channels; ++c) {
        const EXRChannelInfo& info = p.header.channels[c];
        if (info.x_sampling != 1 || info.y_sampling != 1) continue;  // chroma planes: ignored
        const std::string n = info.name;
        if (n == "R") at[0] = c;
        else if (n == "G") at[1] = c;
        else if (n == "B") at[2] = c;
        else if (n == "A") at[3] = c;
        else if (n == "Y") luminance = c;
        if (p.header.pixel_types[c] == TINYEXR_PIXELTYPE_HALF)
            p.header.requested_pixel_types[c] = TINYEXR_PIXELTYPE_FLOAT;
    }
    if (at[0] < 0 && at[1] < 0 && at[2] < 0 && luminance >= 0) at[0] = at[1] = at[2] = luminance;
    code = LoadEXRImageFromMemory(&p.image, &p.header, bytes.data(), bytes.size(), &err);
    if (code != TINYEXR_SUCCESS) throw InputError(cannot + TakeError(err, code));
    p.imageLoaded = true;
    if (p.image.images == nullptr || p.image.width != width || p.image.height != height)
        throw InputError(cannot + "damaged file");

    FloatImage out((int)width, (int)height);
    const size_t count = (size_t)width * (size_t)height;
    for (int k = 0; k < 4; ++k) {
        const int c = at[k];
        if (c < 0) {
            const float fill = k == 3 ? 1.0f : 0.0f;
            for (size_t i = 0; i < count; ++i) out.rgba[i * 4 + k] = fill;
            continue;
        }
        const unsigned char* plane = p.image.images[c];
        if (p.header.pixel_types[c] == TINYEXR_PIXELTYPE_UINT) {
            for (size_t i = 0; i < count; ++i) {
                std::uint32_t u;
                std::memcpy(&u, plane + i * 4, 4);
                out.rgba[i * 4 + k] = (float)u;
            }
        } else {
            for (size_t i = 0; i < count; ++i) std::memcpy(&out.rgba[i * 4 + k], plane + i * 4, 4);
        }
    }
    return out;
}

Picture DecodeExrPicture(const std::vector<std::uint8_t>& bytes, const std::string& name)
{
    auto image = std::make_shared<FloatImage>(DecodeExr(bytes, name));
    Picture picture;
    picture.width_ = image->width;
    picture.height_ = image->height;
    picture.floats_ = true;
    picture.codes_ = std::shared_ptr<const void>(image, image->rgba.data());
    return picture;
}

}  // namespace quiltra
