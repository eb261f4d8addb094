// What the program writes: the sRGB PNG codes, PFM bit for bit, the text of eval's numbers,
// output that appears only when complete, and labels drawn by the embedded font.
#include "app_test_support.h"
#include "file_io.h"
#include "hex_float.h"
#include "image_io.h"
#include "label_font.h"
#include "png_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include <stb/stb_image_write.h>

using namespace quiltra;
using namespace quiltra_test;

namespace {

TEST(Png, ColourChannelsAreSrgbEncodedAndAlphaIsLinear)
{
    // sRGB: 12.92·x up to 0.0031308, then 1.055·x^(1/2.4) − 0.055.
    EXPECT_EQ(SrgbByte(0.0f), 0);
    EXPECT_EQ(SrgbByte(1.0f), 255);
    EXPECT_EQ(SrgbByte(0.5f), 188); // 0.7353569 · 255 = 187.52
    EXPECT_EQ(SrgbByte(0.18f), 118); // 0.4613561 · 255 = 117.65
    EXPECT_EQ(SrgbByte(0.002f), 7); // 0.025840 · 255 = 6.59 (linear segment)
    EXPECT_EQ(LinearByte(0.5f), 128); // 127.5 rounds up
    EXPECT_EQ(LinearByte(0.25f), 64); // 63.75
    // Out of range and not-a-number are limited, never wrapped.
    EXPECT_EQ(SrgbByte(-3.0f), 0);
    EXPECT_EQ(SrgbByte(7.0f), 255);
    EXPECT_EQ(SrgbByte(NAN), 0);
    EXPECT_EQ(LinearByte(INFINITY), 255);

    FloatImage image(2, 1);
    const float left[4] = {0.5f, 0.18f, 1.0f, 0.25f}, right[4] = {0.0f, 2.0f, -1.0f, 1.0f};
    std::memcpy(image.Pixel(0, 0), left, sizeof left);
    std::memcpy(image.Pixel(1, 0), right, sizeof right);
    int w = 0, h = 0;
    std::vector<std::uint8_t> codes;
    ASSERT_TRUE(DecodePng8(EncodePng(image), w, h, codes));
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(codes, (std::vector<std::uint8_t> {188, 118, 255, 64, 0, 255, 0, 255}));
}

TEST(Png, SrgbDecodingUndoesEncodingAtEveryCode)
{
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(SrgbByte((float)SrgbDecode(code / 255.0)), code) << code;
}

TEST(Png, CodesFromTheBoundaryTableAgreeWithTheFormula)
{
    // The PNG writer looks codes up among the 255 boundaries; every float from 0 to a little
    // past 1 (a sweep through the bit patterns, and the floats on either side of each code's
    // start) must get the code the formula gives.
    std::vector<float> values;
    for (std::uint32_t bits = 0; bits < 0x3f900000u; bits += 4093) {
        float x;
        std::memcpy(&x, &bits, 4);
        values.push_back(x);
    }
    values.insert(values.end(), {-0.0f, -1.0f, NAN, INFINITY, -INFINITY, 1.0f, 0.5f});
    // Each code's first float and the float below it, for both transfers.
    for (auto code : {&SrgbByte, &LinearByte})
        for (int k = 1; k < 256; ++k) {
            std::uint32_t low = 0, high = 0x3f800000;
            while (high - low > 1) {
                std::uint32_t middle = low + (high - low) / 2;
                float x;
                std::memcpy(&x, &middle, 4);
                (code(x) >= k ? high : low) = middle;
            }
            for (std::uint32_t bits : {low, high}) {
                float x;
                std::memcpy(&x, &bits, 4);
                values.push_back(x);
            }
        }
    std::vector<float> rgba;
    for (float x : values)
        rgba.insert(rgba.end(), {x, x, x, x});
    std::vector<std::uint8_t> codes(rgba.size());
    PngCodes(rgba.data(), values.size(), codes.data());
    size_t mismatches = 0;
    for (size_t i = 0; i < values.size(); ++i)
        mismatches +=
            codes[i * 4] != SrgbByte(values[i]) || codes[i * 4 + 3] != LinearByte(values[i]);
    EXPECT_EQ(mismatches, 0u) << "of " << values.size();
}

// The PNG as the stb writer makes it (Paeth on every row): the bytes PngStream must give.
std::vector<std::uint8_t> StbPng(int width, int height, const std::vector<std::uint8_t>& codes)
{
    stbi_write_force_png_filter = 4;
    std::vector<std::uint8_t> png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(context);
            out->insert(out->end(), (std::uint8_t*)data, (std::uint8_t*)data + size);
        },
        &png, width, height, 4, codes.data(), width * 4);
    return png;
}

TEST(Png, StreamWritesTheStbWritersBytesForEveryKindOfPicture)
{
    std::mt19937 random(2121);
    auto below = [&random](int n) { return (int)(random() % (unsigned)n); };
    for (int round = 0; round < 160; ++round) {
        const int kind = round % 8;
        int width = 1 + below(kind == 7 ? 20000 : 70), height = kind == 7 ? 1 : 1 + below(40);
        std::vector<std::uint8_t> codes((size_t)width * (size_t)height * 4);
        switch (kind) {
        case 0: // noise: the stored blocks are smaller
            for (auto& c : codes)
                c = (std::uint8_t)random();
            break;
        case 1: // one colour
            std::fill(codes.begin(), codes.end(), (std::uint8_t)random());
            break;
        case 2: // smooth ramps
            for (size_t i = 0; i < codes.size(); ++i)
                codes[i] =
                    (std::uint8_t)((i / 4 % (size_t)width) * (1 + i % 4) + i / (4 * (size_t)width));
            break;
        case 3: // a few colours in blocks
        case 4: {
            const int cell = 1 + below(9);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < 4; ++c)
                        codes[((size_t)y * (size_t)width + (size_t)x) * 4 + (size_t)c] =
                            (std::uint8_t)(((x / cell + y / cell) % 3) * 70 + c * kind);
            break;
        }
        case 5: // sparse specks on a plain ground
            for (auto& c : codes)
                c = below(50) ? 40 : (std::uint8_t)random();
            break;
        case 6: // short repeats that fill the hash chains
            for (size_t i = 0; i < codes.size(); ++i)
                codes[i] = (std::uint8_t)((i % (size_t)(3 + round % 5)) * 17 + (below(200) == 0));
            break;
        case 7: {
            // One row: its filtered bytes are the differences from the pixel to the left, so
            // they can be chosen: copies from distances around the window's end, noise, runs.
            std::vector<std::uint8_t> f(codes.size());
            for (size_t i = 0; i < f.size();) {
                const int what = below(4);
                const size_t n = std::min(f.size() - i, (size_t)(1 + below(400)));
                const size_t back = 32765 + (size_t)below(6);
                for (size_t k = 0; k < n; ++k, ++i)
                    f[i] = what == 0 && i >= back ? f[i - back]
                        : what == 1               ? (std::uint8_t)random()
                                                  : (std::uint8_t)(what * 9);
            }
            for (size_t i = 0; i < f.size(); ++i)
                codes[i] = (std::uint8_t)(f[i] + (i >= 4 ? codes[i - 4] : 0));
            break;
        }
        }
        // The rows given in runs of any length.
        PngStream stream(width, height);
        for (int y = 0; y < height;) {
            int end = std::min(height, y + 1 + below(5));
            stream.AddRows(codes.data(), y, end);
            y = end;
        }
        ASSERT_EQ(stream.Finish(), StbPng(width, height, codes))
            << "kind " << kind << ", " << width << " x " << height;
    }
}

TEST(Pfm, KeepsEveryFloatBitForBitWithRowsFromTheBottom)
{
    FloatImage image(3, 2);
    const float values[] = {0.1f,   -0.0f,   NAN,  INFINITY, -INFINITY, FLT_MIN,
                            1e-45f, FLT_MAX, 3.0f, 0.5f,     1.0f,      2.0f};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 4; ++c)
                image.Pixel(x, y)[c] = values[(y * 3 + x + c) % 12];
    std::vector<std::uint8_t> rgb = EncodePfmRgb(image), alpha = EncodePfmAlpha(image);
    ASSERT_EQ(std::string(rgb.begin(), rgb.begin() + 12), "PF\n3 2\n-1.0\n");
    ASSERT_EQ(std::string(alpha.begin(), alpha.begin() + 12), "Pf\n3 2\n-1.0\n");
    ASSERT_EQ(rgb.size(), 12u + 3 * 2 * 3 * 4);
    // The first stored pixel is the bottom-left one, red first, little-endian.
    float first;
    std::memcpy(&first, &rgb[12], 4);
    EXPECT_EQ(std::memcmp(&first, image.Pixel(0, 1), 4), 0);

    FloatImage back = DecodePfm(rgb, "rgb.pfm"), backAlpha = DecodePfm(alpha, "a.pfm");
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(std::memcmp(back.Pixel(x, y), image.Pixel(x, y), 12), 0) << x << "," << y;
            EXPECT_EQ(std::memcmp(&backAlpha.Pixel(x, y)[3], &image.Pixel(x, y)[3], 4), 0)
                << x << "," << y;
        }
    std::vector<std::uint8_t> cut(rgb.begin(), rgb.end() - 1);
    EXPECT_THROW(DecodePfm(cut, "cut.pfm"), InputError);
}

TEST(HexFloatText, FollowsTheC99FormOfTheValueWidenedToDouble)
{
    EXPECT_EQ(HexFloat(1.0f), "0x1p+0");
    EXPECT_EQ(HexFloat(3.0f), "0x1.8p+1");
    EXPECT_EQ(HexFloat(0.1f), "0x1.99999ap-4");
    EXPECT_EQ(HexFloat(-0.33333334f), "-0x1.555556p-2");
    EXPECT_EQ(HexFloat(0.0f), "0x0p+0");
    EXPECT_EQ(HexFloat(-0.0f), "-0x0p+0");
    EXPECT_EQ(HexFloat(FLT_MAX), "0x1.fffffep+127");
    EXPECT_EQ(HexFloat(1e-45f), "0x1p-149"); // the smallest float is a normal double
    EXPECT_EQ(HexFloat(100.0f), "0x1.9p+6");
    EXPECT_EQ(HexFloat(NAN), "nan");
    EXPECT_EQ(HexFloat(-NAN), "nan");
    EXPECT_EQ(HexFloat(INFINITY), "inf");
    EXPECT_EQ(HexFloat(-INFINITY), "-inf");
}

TEST(OutputFiles, AppearOnlyWhenEveryOneIsComplete)
{
    std::string folder = ScratchFolder("output-files");
    WriteText(folder + "old.png", "previous picture");
    {
        OutputFiles files;
        files.Stage(folder + "old.png", {1, 2, 3});
        files.Stage(folder + "sub/dir/new.pfm", {4, 5}); // missing folders are made
        EXPECT_EQ(ReadBytes(folder + "old.png").size(), std::string("previous picture").size());
        EXPECT_FALSE(Exists(folder + "sub/dir/new.pfm"));
        files.Commit();
    }
    EXPECT_EQ(ReadBytes(folder + "old.png"), (std::vector<std::uint8_t> {1, 2, 3}));
    EXPECT_EQ(ReadBytes(folder + "sub/dir/new.pfm"), (std::vector<std::uint8_t> {4, 5}));

    // Abandoned (an error before Commit): no target changes, no temporary stays.
    {
        OutputFiles files;
        files.Stage(folder + "old.png", {9});
        files.Stage(folder + "never.png", {9});
    }
    EXPECT_EQ(ReadBytes(folder + "old.png"), (std::vector<std::uint8_t> {1, 2, 3}));
    EXPECT_FALSE(Exists(folder + "never.png"));
    std::vector<std::string> names = FilesIn(folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {"old.png", "sub"}));

    // A folder where the file should go is refused before anything is written.
    OutputFiles files;
    EXPECT_THROW(files.Stage(folder + "sub", {1}), InputError);
}

TEST(Labels, DrawInkOnlyInsideTheirBox)
{
    FloatImage image(80, 20);
    const float ink[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    DrawLabel(image, 2, 3, "Hue 22", 1, ink);
    int inked = 0;
    const int width = LabelWidth("Hue 22", 1);
    EXPECT_GT(width, 20);
    EXPECT_LT(width, 50);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.Pixel(x, y);
            if (p[0] == 0.0f) continue;
            ++inked;
            EXPECT_EQ(p[1], 0.5f);
            EXPECT_GE(x, 2);
            EXPECT_LT(x, 2 + width);
            EXPECT_GE(y, 3);
            EXPECT_LT(y, 3 + LabelHeight(1) + 3); // descenders may go below the cap height
        }
    EXPECT_GT(inked, 30);
    // Scale 2 doubles the box; text past the picture's edge is clipped, not a crash.
    EXPECT_EQ(LabelWidth("Hue 22", 2), 2 * width);
    DrawLabel(image, 70, 15, "Exact Difference", 2, ink);
}

} // namespace
