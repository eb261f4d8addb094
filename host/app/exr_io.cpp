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

#include <cmath>
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
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
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
    std::uint32_t bits; // the half's magnitude, before rounding, with `rest` the dropped part
    std::uint32_t rest, halfway;
    if (e <= 0) {
        if (e < -10) return (std::uint16_t)sign; // below half the smallest subnormal
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
    if (rest > halfway || (rest == halfway && (bits & 1u))) ++bits; // may carry into infinity
    return (std::uint16_t)(sign | bits);
}

// Frees what tinyexr allocated for a header and an image, whatever happens.
struct Parsed {
    EXRHeader header;
    EXRImage image;
    bool imageLoaded = false; // a failed load leaves nothing to free
    Parsed()
    {
        InitEXRHeader(&header);
        InitEXRImage(&image);
    }
    Parsed(const Parsed&) = delete;
    Parsed& operator=(const Parsed&) = delete;
    ~Parsed()
    {
        if (imageLoaded) FreeEXRImage(&image);
        // Also after a failed parse, which may leave parts allocated (a zeroed header frees
        // nothing).
        FreeEXRHeader(&header);
    }
};

} // namespace

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
            for (size_t i = 0; i < count; ++i)
                halves[c][i] = HalfOf(image.rgba[i * 4 + source[c]]);
            planes[c] = reinterpret_cast<unsigned char*>(halves[c].data());
        } else {
            floats[c].resize(count);
            for (size_t i = 0; i < count; ++i)
                floats[c][i] = image.rgba[i * 4 + source[c]];
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

namespace {

// The value of a half, exactly (every half is a float).
float HalfToFloat(std::uint16_t h)
{
    const std::uint32_t sign = (std::uint32_t)(h & 0x8000u) << 16;
    const std::uint32_t exponent = (h >> 10) & 31u, mantissa = h & 1023u;
    std::uint32_t bits;
    if (exponent == 31) {
        bits = sign | 0x7f800000u | (mantissa << 13); // infinity, or NaN with its payload
    } else if (exponent == 0) {
        const float magnitude = std::ldexp((float)mantissa, -24); // zero or subnormal
        std::memcpy(&bits, &magnitude, 4);
        bits |= sign;
    } else {
        bits = sign | ((exponent + 112u) << 23) | (mantissa << 13);
    }
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// An EXR's pixels as tinyexr leaves them: one plane per channel (a tiled picture's put
// together from its tiles), halves kept as halves (half the memory of floats), and which
// channel gives red, green, blue and alpha (-1: none).
struct Loaded {
    Parsed p;
    int at[4] = {-1, -1, -1, -1};
    size_t count = 0;
    int width = 0, height = 0;
    std::vector<std::vector<unsigned char>> joined; // a tiled picture's planes

    int Type(int k) const { return p.header.pixel_types[at[k]]; }
    const unsigned char* Plane(int k) const
    {
        return joined.empty() ? p.image.images[at[k]] : joined[(size_t)at[k]].data();
    }
    // Channel k's value at pixel i (k present).
    float Value(int k, size_t i) const
    {
        const unsigned char* plane = Plane(k);
        switch (Type(k)) {
        case TINYEXR_PIXELTYPE_HALF: {
            std::uint16_t h;
            std::memcpy(&h, plane + i * 2, 2);
            return HalfToFloat(h);
        }
        case TINYEXR_PIXELTYPE_UINT: {
            std::uint32_t u;
            std::memcpy(&u, plane + i * 4, 4);
            return (float)u;
        }
        default: {
            float f;
            std::memcpy(&f, plane + i * 4, 4);
            return f;
        }
        }
    }
};

// The first level's tiles of a tiled picture put together into planes (pixels no tile covers
// stay 0).
void Join(Loaded& l)
{
    const EXRHeader& h = l.p.header;
    const EXRImage& image = l.p.image;
    const int tw = h.tile_size_x, th = h.tile_size_y;
    l.joined.resize((size_t)h.num_channels);
    for (int c = 0; c < h.num_channels; ++c) {
        if (c != l.at[0] && c != l.at[1] && c != l.at[2] && c != l.at[3]) continue;
        const size_t size = h.pixel_types[c] == TINYEXR_PIXELTYPE_HALF ? 2 : 4;
        std::vector<unsigned char>& plane = l.joined[(size_t)c];
        plane.assign(l.count * size, 0);
        for (int t = 0; t < image.num_tiles; ++t) {
            const EXRTile& tile = image.tiles[t];
            if (!tile.images || tile.width > tw || tile.height > th) continue;
            const long long x0 = (long long)tile.offset_x * tw, y0 = (long long)tile.offset_y * th;
            for (int j = 0; j < tile.height; ++j) {
                const long long y = y0 + j;
                if (y < 0 || y >= l.height) continue;
                for (int i = 0; i < tile.width; ++i) {
                    const long long x = x0 + i;
                    if (x < 0 || x >= l.width) continue;
                    std::memcpy(&plane[((size_t)y * (size_t)l.width + (size_t)x) * size],
                                tile.images[c] + ((size_t)j * (size_t)tw + (size_t)i) * size, size);
                }
            }
        }
    }
}

void Load(const std::vector<std::uint8_t>& bytes, const std::string& name, Loaded& l)
{
    const std::string cannot = name + ": cannot read picture: ";
    if (!IsExr(bytes)) throw InputError(cannot + "not an OpenEXR file");
    EXRVersion version;
    if (ParseEXRVersionFromMemory(&version, bytes.data(), bytes.size()) != TINYEXR_SUCCESS)
        throw InputError(cannot + "unknown OpenEXR version");
    if (version.multipart || version.non_image)
        throw InputError(cannot + "only single-part OpenEXR files are read (not " +
                         (version.multipart ? "multi-part" : "deep") + ")");
    Parsed& p = l.p;
    const char* err = nullptr;
    int code = ParseEXRHeaderFromMemory(&p.header, &version, bytes.data(), bytes.size(), &err);
    if (code != TINYEXR_SUCCESS) throw InputError(cannot + TakeError(err, code));
    const EXRBox2i& window = p.header.data_window;
    const long long width = (long long)window.max_x - window.min_x + 1;
    const long long height = (long long)window.max_y - window.min_y + 1;
    if (width < 1 || height < 1) throw InputError(cannot + "empty data window");
    // The size first: a small file may describe a picture of gigabytes.
    if (width * height > kMaxPicturePixels)
        throw InputError(name + ": " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels; pictures of at most " + std::to_string(kMaxPicturePixels) +
                         " pixels (8192 x 8192) are read");
    int luminance = -1;
    for (int c = 0; c < p.header.num_channels; ++c) {
        const EXRChannelInfo& info = p.header.channels[c];
        if (info.x_sampling != 1 || info.y_sampling != 1) continue; // chroma planes: ignored
        const std::string n = info.name;
        if (n == "R")
            l.at[0] = c;
        else if (n == "G")
            l.at[1] = c;
        else if (n == "B")
            l.at[2] = c;
        else if (n == "A")
            l.at[3] = c;
        else if (n == "Y")
            luminance = c;
        p.header.requested_pixel_types[c] = p.header.pixel_types[c]; // halves stay halves
    }
    if (l.at[0] < 0 && l.at[1] < 0 && l.at[2] < 0 && luminance >= 0)
        l.at[0] = l.at[1] = l.at[2] = luminance;
    // A failed load is freed by tinyexr itself, and its pixel planes only when the image
    // already says how many there are.
    p.image.num_channels = p.header.num_channels;
    code = LoadEXRImageFromMemory(&p.image, &p.header, bytes.data(), bytes.size(), &err);
    if (code != TINYEXR_SUCCESS) throw InputError(cannot + TakeError(err, code));
    p.imageLoaded = true;
    if ((p.image.images == nullptr && p.image.tiles == nullptr) || p.image.width != width ||
        p.image.height != height)
        throw InputError(cannot + "damaged file");
    l.width = (int)width;
    l.height = (int)height;
    l.count = (size_t)width * (size_t)height;
    if (p.image.tiles) Join(l);
}

} // namespace

FloatImage DecodeExr(const std::vector<std::uint8_t>& bytes, const std::string& name)
{
    Loaded l;
    Load(bytes, name, l);
    FloatImage out(l.width, l.height);
    for (int k = 0; k < 4; ++k) {
        if (l.at[k] < 0) {
            const float fill = k == 3 ? 1.0f : 0.0f;
            for (size_t i = 0; i < l.count; ++i)
                out.rgba[i * 4 + k] = fill;
        } else {
            for (size_t i = 0; i < l.count; ++i)
                out.rgba[i * 4 + k] = l.Value(k, i);
        }
    }
    return out;
}

long long ExrPictureBytes(const std::vector<std::uint8_t>& bytes)
{
    EXRVersion version;
    if (!IsExr(bytes) ||
        ParseEXRVersionFromMemory(&version, bytes.data(), bytes.size()) != TINYEXR_SUCCESS ||
        version.multipart || version.non_image)
        return 0;
    Parsed p;
    const char* err = nullptr;
    if (ParseEXRHeaderFromMemory(&p.header, &version, bytes.data(), bytes.size(), &err) !=
        TINYEXR_SUCCESS) {
        FreeEXRErrorMessage(err);
        return 0;
    }
    const EXRBox2i& window = p.header.data_window;
    const long long width = (long long)window.max_x - window.min_x + 1;
    const long long height = (long long)window.max_y - window.min_y + 1;
    if (width < 1 || height < 1 || width * height > kMaxPicturePixels) return 0;
    bool halves = true;
    for (int c = 0; c < p.header.num_channels; ++c) {
        const std::string n = p.header.channels[c].name;
        if (n == "R" || n == "G" || n == "B" || n == "A" || n == "Y")
            halves = halves && p.header.pixel_types[c] == TINYEXR_PIXELTYPE_HALF;
    }
    return width * height * (halves ? 8 : 16);
}

Picture DecodeExrPicture(const std::vector<std::uint8_t>& bytes, const std::string& name)
{
    Loaded l;
    Load(bytes, name, l);
    Picture picture;
    picture.width_ = l.width;
    picture.height_ = l.height;
    bool halves = true;
    for (int k = 0; k < 4; ++k)
        halves = halves && (l.at[k] < 0 || l.Type(k) == TINYEXR_PIXELTYPE_HALF);
    if (halves) {
        // Kept as half codes (8 bytes a pixel), their values looked up as a 16-bit PNG's are.
        auto codes = std::make_shared<std::vector<std::uint16_t>>(l.count * 4);
        for (int k = 0; k < 4; ++k) {
            std::uint16_t* to = codes->data() + k;
            if (l.at[k] < 0) {
                const std::uint16_t fill = k == 3 ? 0x3c00 : 0; // 1 and 0
                for (size_t i = 0; i < l.count; ++i)
                    to[i * 4] = fill;
            } else {
                const unsigned char* plane = l.Plane(k);
                for (size_t i = 0; i < l.count; ++i)
                    std::memcpy(&to[i * 4], plane + i * 2, 2);
            }
        }
        auto tables = std::make_shared<std::vector<float>>(2 * 65536);
        for (size_t c = 0; c < 65536; ++c)
            (*tables)[c] = (*tables)[65536 + c] = HalfToFloat((std::uint16_t)c);
        picture.wide_ = true;
        picture.tables_ = tables;
        picture.codes_ = std::shared_ptr<const void>(codes, codes->data());
        return picture;
    }
    auto values = std::make_shared<std::vector<float>>(l.count * 4);
    for (int k = 0; k < 4; ++k) {
        float* to = values->data() + k;
        if (l.at[k] < 0) {
            const float fill = k == 3 ? 1.0f : 0.0f;
            for (size_t i = 0; i < l.count; ++i)
                to[i * 4] = fill;
        } else {
            for (size_t i = 0; i < l.count; ++i)
                to[i * 4] = l.Value(k, i);
        }
    }
    picture.floats_ = true;
    picture.codes_ = std::shared_ptr<const void>(values, values->data());
    return picture;
}

} // namespace quiltra
