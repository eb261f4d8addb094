#include "png_stream.h"

#include <cstring>

namespace quiltra {

namespace {

const int kQuality = 8; // the stb writer's default compression level
const int kChain = 2 * kQuality; // a full chain drops its older half
const std::uint32_t kHashes = 16384;
const size_t kLookahead = 259; // a byte is compressed once the 258 after it are known
const std::uint8_t kPaeth = 4;

const unsigned short kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11,  13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51,  59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258, 259};
const unsigned char kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const unsigned short kDistanceBase[] = {
    1,   2,   3,   4,   5,    7,    9,    13,   17,   25,   33,   49,    65,    97,    129,  193,
    257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32768};
const unsigned char kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

std::uint32_t Reversed(std::uint32_t code, int bits)
{
    std::uint32_t r = 0;
    while (bits--) {
        r = (r << 1) | (code & 1);
        code >>= 1;
    }
    return r;
}

// The fixed Huffman code of each literal/length symbol (bits reversed, as they are written),
// the length-code index of each match length and the distance-code index of each distance.
struct Tables {
    std::uint16_t code[288];
    std::uint8_t codeBits[288];
    std::uint8_t lengthIndex[259];
    std::uint8_t distanceIndex[32768];
    std::uint32_t crc[256];
    Tables()
    {
        for (int n = 0; n < 288; ++n) {
            int bits = n <= 143 ? 8 : n <= 255 ? 9 : n <= 279 ? 7 : 8;
            std::uint32_t c = n <= 143 ? 0x30 + n
                : n <= 255             ? 0x190 + n - 144
                : n <= 279             ? n - 256
                                       : 0xc0 + n - 280;
            code[n] = (std::uint16_t)Reversed(c, bits);
            codeBits[n] = (std::uint8_t)bits;
        }
        for (int length = 3, j = 0; length <= 258; ++length) {
            while (length > kLengthBase[j + 1] - 1)
                ++j;
            lengthIndex[length] = (std::uint8_t)j;
        }
        for (int d = 1, j = 0; d < 32768; ++d) {
            while (d > kDistanceBase[j + 1] - 1)
                ++j;
            distanceIndex[d] = (std::uint8_t)j;
        }
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            crc[n] = c;
        }
    }
};

const Tables& Table()
{
    static const Tables tables;
    return tables;
}

inline std::uint32_t Hash(const std::uint8_t* p)
{
    std::uint32_t h =
        (std::uint32_t)p[0] + ((std::uint32_t)p[1] << 8) + ((std::uint32_t)p[2] << 16);
    h ^= h << 3;
    h += h >> 5;
    h ^= h << 4;
    h += h >> 17;
    h ^= h << 25;
    h += h >> 6;
    return h & (kHashes - 1);
}

// The number of equal bytes at a and b, at most min(limit, 258).
inline int MatchLength(const std::uint8_t* a, const std::uint8_t* b, size_t limit)
{
    const int most = limit < 258 ? (int)limit : 258;
    int n = 0;
    while (n + 8 <= most) {
        std::uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + __builtin_ctzll(x ^ y) / 8; // little-endian: the first byte lowest
        n += 8;
    }
    while (n < most && a[n] == b[n])
        ++n;
    return n;
}

inline std::uint8_t Paeth(int a, int b, int c)
{
    int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p,
        pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return (std::uint8_t)a;
    if (pb <= pc) return (std::uint8_t)b;
    return (std::uint8_t)c;
}

std::uint32_t Crc(const std::uint8_t* p, size_t n, std::uint32_t crc = ~0u)
{
    const std::uint32_t* table = Table().crc;
    for (size_t i = 0; i < n; ++i)
        crc = (crc >> 8) ^ table[(p[i] ^ crc) & 0xff];
    return crc;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    const std::uint8_t b[4] = {(std::uint8_t)(v >> 24), (std::uint8_t)(v >> 16),
                               (std::uint8_t)(v >> 8), (std::uint8_t)v};
    out.insert(out.end(), b, b + 4);
}

} // namespace

PngStream::PngStream(int width, int height)
    : width_(width), height_(height), rowsGiven_(0),
      filtered_((size_t)height * ((size_t)width * 4 + 1)), available_(0), at_(0), bits_(0),
      bitCount_(0), chains_((size_t)kHashes * kChain), chainLength_(kHashes, 0)
{
    zlib_.reserve(filtered_.size() / 4 + 64);
    zlib_.push_back(0x78); // deflate, 32K window
    zlib_.push_back(0x5e); // level 1
    PutBits(1, 1); // the final block
    PutBits(1, 2); // fixed Huffman codes
}

void PngStream::PutBits(std::uint32_t code, int count)
{
    bits_ |= code << bitCount_;
    bitCount_ += count;
    while (bitCount_ >= 8) {
        zlib_.push_back((std::uint8_t)bits_);
        bits_ >>= 8;
        bitCount_ -= 8;
    }
}

void PngStream::AddRows(const std::uint8_t* codes, int first, int end)
{
    const size_t stride = (size_t)width_ * 4;
    for (int y = first; y < end && y == rowsGiven_; ++y, ++rowsGiven_) {
        const std::uint8_t* z = codes + (size_t)y * stride;
        std::uint8_t* out = filtered_.data() + (size_t)y * (stride + 1);
        *out++ = kPaeth;
        if (y == 0) {
            // Nothing above: the predictor is the pixel to the left.
            for (size_t i = 0; i < 4; ++i)
                out[i] = z[i];
            for (size_t i = 4; i < stride; ++i)
                out[i] = (std::uint8_t)(z[i] - z[i - 4]);
        } else {
            const std::uint8_t* up = z - stride;
            for (size_t i = 0; i < 4; ++i)
                out[i] = (std::uint8_t)(z[i] - up[i]);
            for (size_t i = 4; i < stride; ++i)
                out[i] = (std::uint8_t)(z[i] - Paeth(z[i - 4], up[i], up[i - 4]));
        }
        available_ += stride + 1;
    }
    Compress(rowsGiven_ == height_);
}

void PngStream::Compress(bool all)
{
    const Tables& t = Table();
    const std::uint8_t* data = filtered_.data();
    const size_t total = filtered_.size();
    size_t i = at_;
    while (i + 3 < total && (all || i + kLookahead <= available_)) {
        // The longest match among the chain's earlier bytes within the window (the latest of
        // equals), at least three long.
        std::uint32_t h = Hash(data + i);
        int best = 3;
        long long from = -1;
        std::int32_t* chain = &chains_[(size_t)h * kChain];
        for (int j = 0; j < chainLength_[h]; ++j)
            if ((long long)chain[j] > (long long)i - 32768) {
                int d = MatchLength(data + chain[j], data + i, total - i);
                if (d >= best) {
                    best = d;
                    from = chain[j];
                }
            }
        if (chainLength_[h] == kChain) {
            std::memmove(chain, chain + kQuality, sizeof(chain[0]) * kQuality);
            chainLength_[h] = kQuality;
        }
        chain[chainLength_[h]++] = (std::int32_t)i;

        if (from >= 0) {
            // Lazy matching: a longer match at the next byte makes this one a literal.
            h = Hash(data + i + 1);
            chain = &chains_[(size_t)h * kChain];
            for (int j = 0; j < chainLength_[h]; ++j)
                if ((long long)chain[j] > (long long)i - 32767 &&
                    MatchLength(data + chain[j], data + i + 1, total - i - 1) > best) {
                    from = -1;
                    break;
                }
        }

        if (from >= 0) {
            const int d = (int)((long long)i - from);
            int j = t.lengthIndex[best];
            PutBits(t.code[j + 257], t.codeBits[j + 257]);
            if (kLengthExtra[j]) PutBits((std::uint32_t)(best - kLengthBase[j]), kLengthExtra[j]);
            j = t.distanceIndex[d];
            PutBits(Reversed((std::uint32_t)j, 5), 5);
            if (kDistanceExtra[j])
                PutBits((std::uint32_t)(d - kDistanceBase[j]), kDistanceExtra[j]);
            i += (size_t)best;
        } else {
            PutBits(t.code[data[i]], t.codeBits[data[i]]);
            ++i;
        }
    }
    if (all) {
        for (; i < total; ++i)
            PutBits(t.code[data[i]], t.codeBits[data[i]]);
        PutBits(t.code[256], t.codeBits[256]); // end of block
        if (bitCount_) PutBits(0, 8 - bitCount_);
    }
    at_ = i;
}

std::vector<std::uint8_t> PngStream::Finish()
{
    if (rowsGiven_ != height_) return std::vector<std::uint8_t>();
    const size_t total = filtered_.size();
    if (zlib_.size() > total + 2 + ((total + 32766) / 32767) * 5) {
        // Stored blocks are smaller than the compressed data.
        zlib_.resize(2);
        for (size_t j = 0; j < total;) {
            const size_t length = total - j < 32767 ? total - j : 32767;
            const std::uint8_t head[5] = {(std::uint8_t)(total - j == length), (std::uint8_t)length,
                                          (std::uint8_t)(length >> 8), (std::uint8_t)~length,
                                          (std::uint8_t)(~length >> 8)};
            zlib_.insert(zlib_.end(), head, head + 5);
            zlib_.insert(zlib_.end(), filtered_.begin() + (long)j,
                         filtered_.begin() + (long)(j + length));
            j += length;
        }
    }
    std::uint32_t s1 = 1, s2 = 0;
    for (size_t j = 0; j < total;) {
        const size_t end = total - j < 5552 ? total : j + 5552;
        for (; j < end; ++j) {
            s1 += filtered_[j];
            s2 += s1;
        }
        s1 %= 65521;
        s2 %= 65521;
    }
    Put32(zlib_, (s2 << 16) | s1);

    std::vector<std::uint8_t> png = {137, 80, 78, 71, 13, 10, 26, 10};
    png.reserve(zlib_.size() + 64);
    auto chunk = [&png](const char* tag, const std::uint8_t* data, size_t length) {
        Put32(png, (std::uint32_t)length);
        const size_t start = png.size();
        png.insert(png.end(), tag, tag + 4);
        png.insert(png.end(), data, data + length);
        Put32(png, ~Crc(png.data() + start, length + 4));
    };
    std::vector<std::uint8_t> header;
    Put32(header, (std::uint32_t)width_);
    Put32(header, (std::uint32_t)height_);
    const std::uint8_t rest[5] = {8, 6, 0, 0, 0}; // 8 bits, RGBA, deflate, no interlace
    header.insert(header.end(), rest, rest + 5);
    chunk("IHDR", header.data(), header.size());
    chunk("IDAT", zlib_.data(), zlib_.size());
    chunk("IEND", nullptr, 0);
    return png;
}

} // namespace quiltra
