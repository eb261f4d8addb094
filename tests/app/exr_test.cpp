// OpenEXR in and out: renders written as EXR read back bit for bit, the rounding to half, EXR
// bitmap maps against the same picture as PNG, and damaged files refused with one message.
#include "app_test_support.h"
#include "exr_io.h"
#include "file_io.h"
#include "hex_float.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

using namespace quiltra;
using namespace quiltra_test;

namespace {

std::uint32_t Bits(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

float FromBits(std::uint32_t u)
{
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// The value of a half, worked out from its fields.
double HalfValue(std::uint16_t h)
{
    const int e = (h >> 10) & 31, m = h & 1023;
    const double magnitude = e == 0 ? std::ldexp((double)m, -24) : std::ldexp(1024.0 + m, e - 25);
    return (h & 0x8000) ? -magnitude : magnitude;
}

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    OutputFiles files;
    files.Stage(path, bytes);
    files.Commit();
}

TEST(Exr, FloatsRoundTripBitForBit)
{
    // Random bit patterns (NaNs with payloads, infinities, subnormals, negative zero among them).
    std::mt19937 random(7);
    FloatImage image(61, 37);
    for (size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = FromBits((std::uint32_t)random());
    const float specials[] = {0.0f, -0.0f, INFINITY, -INFINITY, NAN, 1e-45f, 3.4e38f};
    for (size_t i = 0; i < sizeof specials / sizeof specials[0]; ++i)
        image.rgba[i] = specials[i];
    FloatImage back = DecodeExr(EncodeExr(image, false), "x.exr");
    ASSERT_EQ(back.width, 61);
    ASSERT_EQ(back.height, 37);
    for (size_t i = 0; i < image.rgba.size(); ++i)
        ASSERT_EQ(Bits(back.rgba[i]), Bits(image.rgba[i])) << "value " << i;
}

TEST(Exr, HalvesAreTheNearestHalfTiesToEven)
{
    // Every value read back is a half, and no half lies nearer to the value written.
    std::mt19937 random(11);
    FloatImage image(128, 64);
    for (size_t i = 0; i < image.rgba.size(); ++i) {
        // Exponents around the half range (subnormals to overflow), any mantissa and sign.
        const std::uint32_t exponent = 127 - 28 + random() % 46;
        image.rgba[i] = FromBits((random() & 0x807fffffu) | exponent << 23);
    }
    // Ties: 1 + 2^-11 lies between 1 and 1 + 2^-10 (even: 1); 1 + 3·2^-11 rounds up to even.
    image.rgba[0] = 1.0f + std::ldexp(1.0f, -11);
    image.rgba[1] = 1.0f + 3 * std::ldexp(1.0f, -11);
    image.rgba[2] = NAN;
    image.rgba[3] = 70000.0f; // beyond the largest half, 65504
    FloatImage back = DecodeExr(EncodeExr(image, true), "h.exr");
    EXPECT_EQ(back.rgba[0], 1.0f);
    EXPECT_EQ(back.rgba[1], 1.0f + std::ldexp(1.0f, -9));
    EXPECT_TRUE(std::isnan(back.rgba[2]));
    EXPECT_EQ(back.rgba[3], INFINITY);
    for (size_t i = 4; i < image.rgba.size(); ++i) {
        const double want = image.rgba[i], got = back.rgba[i];
        if (std::fabs(want) >= 65520.0) { // rounds to infinity
            ASSERT_EQ(got, std::copysign(INFINITY, want)) << want;
            continue;
        }
        // Find the half of that value and compare with its neighbours.
        std::uint16_t h = 0;
        bool found = false;
        for (std::uint32_t c = 0; c < 0x7c00 && !found; ++c)
            if (HalfValue((std::uint16_t)c) == std::fabs(got)) h = (std::uint16_t)c, found = true;
        ASSERT_TRUE(found) << got << " is no half";
        const double error = std::fabs(std::fabs(want) - std::fabs(got));
        if (h > 0) {
            ASSERT_LE(error, std::fabs(std::fabs(want) - HalfValue((std::uint16_t)(h - 1))))
                << want;
        }
        ASSERT_LE(error, std::fabs(std::fabs(want) - HalfValue((std::uint16_t)(h + 1)))) << want;
        if (got != 0.0) {
            ASSERT_EQ(std::signbit(got), std::signbit(want));
        }
    }
}

TEST(Exr, TiledFilesOfAnotherWriterReadAsTheirScanlineOriginal)
{
    const FloatImage original =
        DecodeExr(ReadBytes(SourcePath("tests/app/exr/scanline-half.exr")), "s");
    ASSERT_EQ(original.width, 37);
    ASSERT_EQ(original.height, 23);
    for (const char* name : {"tiled-piz.exr", "tiled-mipmap-zip.exr"}) {
        const std::vector<std::uint8_t> bytes =
            ReadBytes(SourcePath(std::string("tests/app/exr/") + name));
        const FloatImage tiled = DecodeExr(bytes, name);
        ASSERT_EQ(tiled.width, 37) << name;
        ASSERT_EQ(tiled.height, 23) << name;
        EXPECT_EQ(std::memcmp(tiled.rgba.data(), original.rgba.data(), original.rgba.size() * 4), 0)
            << name;
        // As a bitmap's picture: the same values.
        const Picture picture = DecodePicture(bytes, false, name);
        for (int y = 0; y < 23; y += 5)
            for (int x = 0; x < 37; x += 3) {
                float rgba[4];
                picture.Pixel(x, y, rgba);
                EXPECT_EQ(std::memcmp(rgba, original.Pixel(x, y), sizeof rgba), 0)
                    << name << " " << x << ", " << y;
            }
    }
}

TEST(Exr, DamagedFilesAreRefusedWithoutHarm)
{
    FloatImage image(9, 5);
    for (size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = (float)i / 7.0f;
    // Ours as floats and as halves, and another writer's tiled PIZ file.
    for (int kind = 0; kind < 3; ++kind) {
        const bool half = kind == 1;
        const std::vector<std::uint8_t> whole = kind < 2
            ? EncodeExr(image, half)
            : ReadBytes(SourcePath("tests/app/exr/tiled-piz.exr"));
        // Every cut: refused (a cut within the last line's padding may not lose a pixel, so
        // anything read must be the picture).
        for (size_t n = 0; n < whole.size(); ++n) {
            std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + (long)n);
            try {
                FloatImage got = DecodeExr(cut, "cut.exr");
                ADD_FAILURE() << "a file cut to " << n << " of " << whole.size()
                              << " bytes was read";
            } catch (const InputError& e) {
                ASSERT_EQ(std::string(e.what()).find('\n'), std::string::npos);
                ASSERT_EQ(std::string(e.what()).rfind("cut.exr: ", 0), 0u) << e.what();
            }
        }
        // Bytes changed at random: read or refused, never a crash.
        std::mt19937 random((unsigned)kind + 3);
        for (int trial = 0; trial < 2000; ++trial) {
            std::vector<std::uint8_t> bad = whole;
            for (int k = 0; k < 1 + trial % 4; ++k)
                bad[4 + random() % (bad.size() - 4)] = (std::uint8_t)random();
            try {
                DecodeExrPicture(bad, "bad.exr");
            } catch (const InputError&) {
            }
        }
    }
}

// A bitmap scene of the picture in `file` beside it.
void WriteBitmapScene(const std::string& folder, const std::string& scene, const std::string& file)
{
    WriteText(folder + scene,
              R"({"layers": [{"map": {"type": "bitmap", "file": ")" + file + R"("}}]})");
}

TEST(Exr, BitmapOfAnExrSamplesAsTheSamePictureAsPng)
{
    const std::string folder = ScratchFolder("exr-bitmap");
    // A 16 × 16 picture of every 8-bit code; the EXR holds the PNG's decoded values.
    std::vector<std::uint8_t> codes(16 * 16 * 4);
    FloatImage linear(16, 16);
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t code[4] = {(std::uint8_t)i, (std::uint8_t)(255 - i),
                                      (std::uint8_t)(i * 7), (std::uint8_t)(i ^ 0x5a)};
        for (int c = 0; c < 4; ++c) {
            codes[(size_t)i * 4 + c] = code[c];
            linear.rgba[(size_t)i * 4 + c] =
                (float)(c == 3 ? code[c] / 255.0 : SrgbDecode(code[c] / 255.0));
        }
    }
    // As halves (kept as 16-bit codes) and as floats (kept as they are).
    Save(folder + "tile.png", EncodePngCodes(16, 16, codes));
    Save(folder + "half.exr", EncodeExr(linear, true));
    Save(folder + "float.exr", EncodeExr(linear, false));
    WriteBitmapScene(folder, "png.json", "tile.png");
    WriteBitmapScene(folder, "half.json", "half.exr");
    WriteBitmapScene(folder, "float.json", "float.exr");
    for (const char* kind : {"png", "half", "float"}) {
        RunResult r = RunQuiltra({"render", folder + kind + ".json", "-o", folder + kind + ".png",
                                  "--size", "40x24", "--pfm", folder + kind + ".pfm", "--pfm-alpha",
                                  folder + kind + "-a.pfm"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    FloatImage a = DecodePfm(ReadBytes(folder + "png.pfm"), "png.pfm");
    FloatImage aa = DecodePfm(ReadBytes(folder + "png-a.pfm"), "a");
    for (const char* kind : {"half", "float"}) {
        FloatImage b = DecodePfm(ReadBytes(folder + kind + ".pfm"), "b");
        FloatImage ba = DecodePfm(ReadBytes(folder + kind + "-a.pfm"), "b");
        ASSERT_EQ(a.rgba.size(), b.rgba.size());
        // Floats hold the PNG's decoded values exactly, so they sample to the same bits.
        const double step = std::string(kind) == "float" ? 0.0 : 1.0 / 255;
        for (size_t i = 0; i < a.rgba.size(); ++i) {
            ASSERT_NEAR(a.rgba[i], b.rgba[i], step) << kind << " value " << i;
            ASSERT_NEAR(aa.rgba[i], ba.rgba[i], step) << kind << " alpha " << i;
        }
    }
}

TEST(Exr, RenderWritesTheRawFloatsThePfmHas)
{
    const std::string folder = ScratchFolder("exr-render");
    // NaN, infinities and an alpha above 1 (as in the eval test of special values), with a
    // noise over them at half opacity.
    WriteText(folder + "special.json", R"({"layers": [
        {"color": [-1, 0, 0]},
        {"color": [0.75, 0.5, 0.5], "mode": "Soft Light"},
        {"color": [0, 3e38, -3e38], "mode": "Additive"},
        {"color": [0, 3e38, -3e38], "mode": "Additive"},
        {"map": {"type": "noise"}, "opacity": 50}]})");
    for (bool half : {false, true}) {
        std::vector<std::string> args {"render",      folder + "special.json",
                                       "-o",          folder + "out.png",
                                       "--size",      "33x17",
                                       "--pfm",       folder + "out.pfm",
                                       "--pfm-alpha", folder + "alpha.pfm",
                                       "--exr",       folder + "out.exr"};
        if (half) args.push_back("--exr-half");
        RunResult r = RunQuiltra(args);
        ASSERT_EQ(r.status, 0) << r.err;
        FloatImage exr = DecodeExr(ReadBytes(folder + "out.exr"), "out.exr");
        FloatImage rgb = DecodePfm(ReadBytes(folder + "out.pfm"), "out.pfm");
        FloatImage alpha = DecodePfm(ReadBytes(folder + "alpha.pfm"), "alpha.pfm");
        ASSERT_EQ(exr.width, 33);
        ASSERT_EQ(exr.height, 17);
        int nans = 0;
        for (size_t p = 0; p < rgb.rgba.size() / 4; ++p)
            for (int c = 0; c < 4; ++c) {
                const float want = c < 3 ? rgb.rgba[p * 4 + c] : alpha.rgba[p * 4 + 3];
                const float got = exr.rgba[p * 4 + c];
                nans += std::isnan(want);
                if (!half) {
                    ASSERT_EQ(Bits(got), Bits(want)) << "pixel " << p << " channel " << c;
                } else if (std::isnan(want)) {
                    ASSERT_TRUE(std::isnan(got));
                } else if (std::fabs(want) > 65504) {
                    ASSERT_EQ(got, std::copysign(INFINITY, want));
                } else {
                    ASSERT_NEAR(got, want, std::fabs(want) / 1024 + 1e-7)
                        << "pixel " << p << " channel " << c;
                }
            }
        EXPECT_GT(nans, 0); // the special values are there to be kept
    }
    // --exr-half alone, and --exr on the scene itself, are refused.
    EXPECT_EQ(RunQuiltra({"render", folder + "special.json", "-o", folder + "o.png", "--exr-half"})
                  .status,
              2);
    EXPECT_EQ(RunQuiltra({"render", folder + "special.json", "-o", folder + "o.png", "--exr",
                          folder + "special.json"})
                  .status,
              2);
}

TEST(Exr, DamagedOrHugeBitmapsGiveOneMessageAndNoOutput)
{
    const std::string folder = ScratchFolder("exr-bad");
    FloatImage image(4, 4);
    const std::vector<std::uint8_t> whole = EncodeExr(image, false);
    Save(folder + "cut.exr",
         std::vector<std::uint8_t>(whole.begin(), whole.begin() + (long)whole.size() - 9));
    std::vector<std::uint8_t> bad = whole;
    bad[4] = 9; // an unknown version
    Save(folder + "bad.exr", bad);
    // The data window says 12000 × 12000: refused before any pixel is read.
    std::vector<std::uint8_t> huge = whole;
    const char window[] = "dataWindow\0box2i";
    auto at = std::search(huge.begin(), huge.end(), window, window + sizeof window);
    ASSERT_NE(at, huge.end());
    const size_t box = (size_t)(at - huge.begin()) + sizeof window + 4; // after the size
    const std::int32_t last = 11999;
    std::memcpy(&huge[box + 8], &last, 4);
    std::memcpy(&huge[box + 12], &last, 4);
    Save(folder + "huge.exr", huge);
    const std::pair<const char*, const char*> rows[] = {
        {"cut.exr", "cut.exr: cannot read picture: "},
        {"bad.exr", "bad.exr: cannot read picture: "},
        {"huge.exr", "huge.exr: 12000 x 12000 pixels; pictures of at most"},
    };
    for (const auto& row : rows) {
        WriteBitmapScene(folder, "scene.json", row.first);
        RunResult r = RunQuiltra({"render", folder + "scene.json", "-o", folder + "out.png",
                                  "--exr", folder + "out.exr"});
        EXPECT_EQ(r.status, 2) << row.first;
        EXPECT_NE(r.err.find(row.second), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(Exists(folder + "out.png"));
        EXPECT_FALSE(Exists(folder + "out.exr"));
    }
}

} // namespace

// An EXR bitmap counts in the bound on decoded pictures as what it is kept as: four halves or
// four floats a pixel.
TEST(Exr, PicturesCountInTheDecodedBoundAsKept)
{
    FloatImage image(40, 30);
    for (size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = 0.25f;
    EXPECT_EQ(ExrPictureBytes(EncodeExr(image, true)), 40 * 30 * 8);
    EXPECT_EQ(ExrPictureBytes(EncodeExr(image, false)), 40 * 30 * 16);
    std::vector<std::uint8_t> cut = EncodeExr(image, false);
    cut.resize(20);
    EXPECT_EQ(ExrPictureBytes(cut), 0);
}
