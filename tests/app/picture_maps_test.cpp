// The host's picture maps: their colours at known places, the perturbation derived from their
// value, and their parameters through a scene save and load.
#include "app_test_support.h"
#include "fbm_noise.h"
#include "file_io.h"
#include "picture_maps.h"

#include <host/scene_file.h>
#include <host/shade_context.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

using namespace quiltra;
using namespace quiltra_test;

namespace {

struct MapDeleter {
    void operator()(PictureMap* m) const { m->DeleteThis(); }
};
using MapPtr = std::unique_ptr<PictureMap, MapDeleter>;

MapPtr Make(PictureKind kind, const PictureParams& p)
{
    MapPtr m(
        static_cast<PictureMap*>(static_cast<Texmap*>(PictureMapClassDesc(kind)->Create(FALSE))));
    m->SetParams(p);
    return m;
}

void ExpectColor(const AColor& c, float r, float g, float b, float a)
{
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

TEST(PictureMaps, CheckerAlternatesCellsAcrossUAndV)
{
    PictureParams p;
    p.color1 = {1.0f, 0.0f, 0.0f, 1.0f};
    p.color2 = {0.0f, 0.0f, 1.0f, 0.5f};
    p.scale = 4.0f;
    MapPtr m = Make(PictureKind::Checker, p);
    ExpectColor(m->ColorAt(0.1f, 0.1f), 1, 0, 0, 1); // cell (0, 0)
    ExpectColor(m->ColorAt(0.3f, 0.1f), 0, 0, 1, 0.5f); // cell (1, 0)
    ExpectColor(m->ColorAt(0.3f, 0.3f), 1, 0, 0, 1); // cell (1, 1)
    ExpectColor(m->ColorAt(0.25f, 0.0f), 0, 0, 1, 0.5f); // an edge belongs to the cell above it
    ExpectColor(m->ColorAt(-0.1f, 0.1f), 0, 0, 1, 0.5f); // cell (−1, 0) continues the pattern
    ExpectColor(m->ColorAt(1e30f, NAN), 1, 0, 0, 1); // far off or undefined: a defined colour
}

TEST(PictureMaps, GradientInterpolatesEvenlySpacedStops)
{
    PictureParams p;
    p.stops = {{0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.5f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 0.0f}};
    MapPtr u = Make(PictureKind::Gradient, p);
    ExpectColor(u->ColorAt(0.0f, 0.7f), 0, 0, 0, 1);
    ExpectColor(u->ColorAt(0.25f, 0.7f), 0.5f, 0.25f, 0, 1); // half-way to the middle stop
    ExpectColor(u->ColorAt(0.5f, 0.7f), 1, 0.5f, 0, 1);
    ExpectColor(u->ColorAt(0.75f, 0.7f), 1, 0.75f, 0.5f, 0.5f);
    ExpectColor(u->ColorAt(1.0f, 0.7f), 1, 1, 1, 0);
    ExpectColor(u->ColorAt(7.0f, 0.7f), 1, 1, 1, 0); // held past the ends
    ExpectColor(u->ColorAt(-2.0f, 0.7f), 0, 0, 0, 1);
    p.direction = 1;
    MapPtr v = Make(PictureKind::Gradient, p);
    ExpectColor(v->ColorAt(0.9f, 0.25f), 0.5f, 0.25f, 0, 1);
    p.direction = 2;
    MapPtr radial = Make(PictureKind::Gradient, p);
    ExpectColor(radial->ColorAt(0.5f, 0.5f), 0, 0, 0, 1); // centre
    ExpectColor(radial->ColorAt(0.5f, 0.625f), 0.5f, 0.25f, 0, 1); // distance 0.125 → t = 0.25
    ExpectColor(radial->ColorAt(0.0f, 0.0f), 1, 1, 1, 0); // corners lie past t = 1
}

TEST(PictureMaps, NoiseStaysBetweenItsColoursAndDependsOnTheSeed)
{
    PictureParams p;
    p.color1 = {0.0f, 0.0f, 0.0f, 1.0f};
    p.color2 = {1.0f, 1.0f, 1.0f, 1.0f};
    MapPtr a = Make(PictureKind::Noise, p);
    p.seed = 1;
    MapPtr b = Make(PictureKind::Noise, p);
    float lowest = 1.0f, highest = 0.0f;
    int differs = 0;
    for (int i = 0; i < 400; ++i) {
        float u = (float)(i % 20) / 20.0f + 0.013f, v = (float)(i / 20) / 20.0f + 0.007f;
        AColor c = a->ColorAt(u, v);
        ASSERT_GE(c.r, 0.0f);
        ASSERT_LE(c.r, 1.0f);
        lowest = std::fmin(lowest, c.r);
        highest = std::fmax(highest, c.r);
        differs += c.r != b->ColorAt(u, v).r;
        EXPECT_EQ(c.r, a->ColorAt(u, v).r); // the same place gives the same value
    }
    EXPECT_LT(lowest, 0.3f); // it varies over most of the range
    EXPECT_GT(highest, 0.7f);
    EXPECT_GT(differs, 300);
}

// The fast noise answers the reference's bits for every input: random coordinates at the
// scales scenes use, lattice points and cell edges, negative, huge and undefined ones, for every
// octave count and for other lacunarities and gains too.
TEST(PictureMaps, FbmNoiseAnswersTheReferenceBitForBit)
{
    std::mt19937 random(21);
    std::uniform_real_distribution<float> unit(-1.0f, 2.0f);
    std::uniform_int_distribution<int> cell(-300, 300);
    std::uniform_int_distribution<std::uint32_t> anyBits;
    const float specials[] = {0.0f,
                              -0.0f,
                              1.0f,
                              -1.0f,
                              255.0f,
                              256.0f,
                              0.99999994f,
                              -1e-30f,
                              3e9f,
                              -3e9f,
                              16777216.0f,
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    auto coordinate = [&](int kind) -> float {
        switch (kind) {
        case 0:
            return unit(random) * 48.0f; // a scale times u or v
        case 1:
            return (float)cell(random); // on the lattice
        case 2:
            return specials[random() % (sizeof specials / sizeof specials[0])];
        default: {
            std::uint32_t bits = anyBits(random);
            float f;
            std::memcpy(&f, &bits, 4);
            return f;
        }
        }
    };
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 5; ++i) {
        const int kind = i % 16 < 12 ? 0 : i % 16 < 14 ? 1 : i % 16 == 14 ? 2 : 3;
        const float x = coordinate(kind), y = coordinate(i % 3 ? 0 : kind),
                    z = i % 2 ? (float)(i % 4096) * 1.618034f + 0.5f : coordinate(kind);
        const int octaves = 1 + i % 8;
        const float lacunarity = i % 5 ? 2.0f : 1.9f, gain = i % 7 ? 0.5f : 0.65f;
        const float fast = FbmNoise(x, y, z, lacunarity, gain, octaves);
        const float reference = ReferenceFbmNoise(x, y, z, lacunarity, gain, octaves);
        // Undefined answers (from undefined or infinite coordinates) may carry another NaN's
        // payload; the map limits any NaN to its first colour.
        const bool bothUndefined = std::isnan(fast) && std::isnan(reference);
        if (!bothUndefined && std::memcmp(&fast, &reference, 4) != 0) {
            ++mismatches;
            ADD_FAILURE() << "at (" << x << ", " << y << ", " << z << "), " << octaves
                          << " octaves, lacunarity " << lacunarity << ", gain " << gain << ": "
                          << fast << " instead of " << reference;
        }
    }
}

// A noise map's plane with its tables answers what FbmNoise answers, bit for bit: planes of
// every seed's z and others, every octave count, other lacunarities and gains; also a plane
// made when the tables kept are at their limit (it works without them).
TEST(PictureMaps, NoiseFieldAnswersFbmNoiseBitForBit)
{
    std::mt19937 random(2122);
    std::uniform_real_distribution<float> coordinate(-60.0f, 400.0f);
    std::vector<std::shared_ptr<NoiseField>> kept;
    int mismatches = 0;
    for (int plane = 0; plane < 320 && mismatches < 5; ++plane) {
        const float z =
            plane % 3 ? (float)(plane * 977 % 4096) * 1.618034f + 0.5f : coordinate(random) * 3.0f;
        const int octaves = 1 + plane % 8;
        const float lacunarity = plane % 5 ? 2.0f : 2.1f, gain = plane % 7 ? 0.5f : 0.6f;
        kept.push_back(std::make_shared<NoiseField>(z, lacunarity, gain, octaves));
        for (int i = 0; i < (plane < 40 || plane > 300 ? 4000 : 20) && mismatches < 5; ++i) {
            const float x = i % 97 ? coordinate(random) : (float)(i % 300),
                        y = i % 89 ? coordinate(random) : -(float)(i % 300);
            const float fast = kept.back()->At(x, y);
            const float reference = FbmNoise(x, y, z, lacunarity, gain, octaves);
            if (std::memcmp(&fast, &reference, 4) != 0) {
                ++mismatches;
                ADD_FAILURE() << "plane z " << z << ", " << octaves << " octaves, at (" << x << ", "
                              << y << "): " << fast << " instead of " << reference;
            }
        }
    }
}

TEST(PictureMaps, BitmapIsTiledAndDecodedFromSrgb)
{
    // A 2 × 2 picture: top row codes 0 and 255, bottom row 188 (≈ 0.5 linear) and 64, alpha 128.
    FloatImage picture(2, 2);
    const float top[2] = {0.0f, 1.0f},
                bottom[2] = {(float)SrgbDecode(188 / 255.0), (float)SrgbDecode(64 / 255.0)};
    for (int x = 0; x < 2; ++x) {
        for (int c = 0; c < 3; ++c) {
            picture.Pixel(x, 0)[c] = top[x];
            picture.Pixel(x, 1)[c] = bottom[x];
        }
        picture.Pixel(x, 0)[3] = picture.Pixel(x, 1)[3] = 128 / 255.0f;
    }
    PictureParams p;
    p.file = "tile.png";
    p.image = EncodePng(picture);
    MapPtr m = Make(PictureKind::Bitmap, p);
    // Pixel centres: u = 0.25 and 0.75; v = 0.75 is the top row (v grows upwards).
    const float decoded188 = (float)SrgbDecode(188 / 255.0);
    EXPECT_EQ(m->ColorAt(0.25f, 0.75f).r, 0.0f);
    EXPECT_EQ(m->ColorAt(0.75f, 0.75f).g, 1.0f);
    EXPECT_FLOAT_EQ(m->ColorAt(0.25f, 0.25f).b, decoded188);
    EXPECT_FLOAT_EQ(m->ColorAt(0.25f, 0.25f).a, 128 / 255.0f); // alpha is not decoded
    EXPECT_EQ(m->ColorAt(1.25f, -0.25f).r, m->ColorAt(0.25f, 0.75f).r); // tiled
    // Between two centres: the mean of both.
    EXPECT_FLOAT_EQ(m->ColorAt(0.5f, 0.75f).r, 0.5f);

    p.linear = true;
    MapPtr linear = Make(PictureKind::Bitmap, p);
    EXPECT_FLOAT_EQ(linear->ColorAt(0.25f, 0.25f).b, 188 / 255.0f);

    PictureParams broken;
    broken.file = "broken.png";
    broken.image = {0x89, 'P', 'N', 'G', 0, 1, 2};
    EXPECT_THROW(Make(PictureKind::Bitmap, broken), InputError);
}

TEST(PictureMaps, BitmapCodesKeepTheValuesOfTheTransferExactly)
{
    // Pixels are kept as their codes and looked up through a table: each code must give
    // exactly c / max (alpha, or colour taken as linear) or its sRGB decoding, rounded to float
    // once. An 8-bit picture of every code, and a 16-bit one of edge and middle codes.
    struct Row {
        std::vector<std::uint8_t> png;
        std::vector<std::array<int, 4>> codes; // per pixel of the one row
        double maximum;
    };
    std::vector<std::array<int, 4>> everyCode;
    for (int c = 0; c < 256; ++c)
        everyCode.push_back({c, 255 - c, c, c});
    std::vector<std::uint8_t> codes8;
    for (const auto& c : everyCode)
        for (int k : c)
            codes8.push_back((std::uint8_t)k);
    const char png16[] = "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00"
                         "\x00\x03\x00\x00\x00\x01\x10\x06"
                         "\x00\x00\x00\x4b\x70\xc8\xf7\x00\x00\x00\x22\x49\x44\x41\x54\x78\xda\x63"
                         "\x60\x60\x60\x60\xfc\xff\xef\xff"
                         "\x7f\x03\xcb\x39\x0e\x8c\x8c\x0d\x0c\xff\xff\x33\x30\x30\xbf\x60\x60\x04"
                         "\x00\x72\xbd\x08\xae\x40\x28\x6d"
                         "\xd1\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82";
    const Row rows[] = {
        {EncodePngCodes(256, 1, codes8), everyCode, 255.0},
        {std::vector<std::uint8_t>(png16, png16 + sizeof png16 - 1),
         {{0, 1, 65534, 65535}, {12345, 40000, 257, 32768}, {65535, 0, 1000, 1}},
         65535.0},
    };
    for (const Row& row : rows)
        for (bool linear : {false, true}) {
            PictureParams p;
            p.file = "codes.png";
            p.image = row.png;
            p.linear = linear;
            MapPtr m = Make(PictureKind::Bitmap, p);
            const int width = (int)row.codes.size();
            for (int x = 0; x < width; ++x) {
                AColor c = m->ColorAt((x + 0.5f) / (float)width, 0.5f); // the pixel's centre
                const float got[4] = {c.r, c.g, c.b, c.a};
                for (int k = 0; k < 4; ++k) {
                    const double v = row.codes[(size_t)x][(size_t)k] / row.maximum;
                    EXPECT_EQ(got[k], (float)(k == 3 || linear ? v : SrgbDecode(v)))
                        << x << " " << k;
                }
            }
        }
}

TEST(PictureMaps, PerturbationFollowsTheSlopeOfTheValue)
{
    host::SampleShadeContext sc;
    auto perturbAt = [&](PictureMap* m, float u, float v) {
        sc.BeginSample();
        sc.SetUVW(Point3(u, v, 0.0f), kPictureMapChannel);
        return m->EvalNormalPerturb(sc);
    };
    // A ramp from black to white across u: the value rises by 1 per unit of u, so the
    // perturbation points down the slope with the map's strength: about (−bump, 0, 0).
    PictureParams ramp;
    ramp.bump = 0.25f;
    MapPtr gradient = Make(PictureKind::Gradient, ramp);
    Point3 p = perturbAt(gradient.get(), 0.4f, 0.6f);
    EXPECT_NEAR(p.x, -0.25f, 1e-4f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
    // A checker is flat inside its cells and steep across their edges.
    PictureParams checker;
    checker.scale = 2.0f;
    checker.bump = 0.01f;
    MapPtr check = Make(PictureKind::Checker, checker);
    Point3 flat = perturbAt(check.get(), 0.25f, 0.25f);
    EXPECT_EQ(flat.x, 0.0f);
    EXPECT_EQ(flat.y, 0.0f);
    // Across u = 0.5 the value steps from black (cell 0) to white (cell 1) within 2h = 1/512.
    Point3 edge = perturbAt(check.get(), 0.5f, 0.25f);
    EXPECT_NEAR(edge.x, -0.01f * 512.0f, 1e-3f);
    // The constant map answers the perturbation it was given.
    PictureParams constant;
    constant.perturb = {0.5f, -0.25f, 2.0f};
    MapPtr c = Make(PictureKind::Constant, constant);
    EXPECT_EQ(perturbAt(c.get(), 0.1f, 0.2f), Point3(0.5f, -0.25f, 2.0f));
}

TEST(PictureMaps, EveryKindSavesAndLoadsItsParameters)
{
    FloatImage picture(3, 1);
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 4; ++c)
            picture.Pixel(x, 0)[c] = 0.25f * (float)(x + c) / 2.0f;
    PictureParams p;
    p.color = {0.1f, 0.2f, 0.3f, 0.4f};
    p.perturb = {1.0f, 2.0f, 3.0f};
    p.color1 = {0.9f, 0.8f, 0.7f, 0.6f};
    p.color2 = {0.3f, 0.5f, 0.7f, 1.0f};
    p.stops = {{0, 0, 0, 1}, {0.2f, 0.4f, 0.6f, 0.8f}, {1, 1, 1, 1}};
    p.direction = 2;
    p.scale = 3.5f;
    p.octaves = 6;
    p.seed = 42;
    p.bump = 0.07f;
    p.file = "picture.png";
    p.image = EncodePng(picture);

    for (ClassDesc* cd : PictureMapClassDescs()) {
        auto* original = static_cast<PictureMap*>(static_cast<Texmap*>(cd->Create(FALSE)));
        original->SetParams(p);
        std::vector<unsigned char> bytes;
        std::wstring error;
        ASSERT_TRUE(host::WriteScene({original}, &bytes, &error)) << Narrow(error);
        host::SceneLoadResult r =
            host::ReadScene(bytes.data(), bytes.size(), TestHost().Plugins().Classes());
        ASSERT_TRUE(r.ok) << Narrow(r.error);
        ASSERT_EQ(r.roots.size(), 1u);
        ASSERT_EQ(r.roots[0]->ClassID(), cd->ClassID());
        auto* loaded = static_cast<PictureMap*>(static_cast<Texmap*>(r.roots[0]));
        host::SampleShadeContext sc;
        for (float u : {0.1f, 0.37f, 0.5f, 0.93f}) {
            float v = 1.0f - u * 0.7f;
            EXPECT_EQ(loaded->ColorAt(u, v), original->ColorAt(u, v));
            sc.BeginSample();
            sc.SetUVW(Point3(u, v, 0.0f), kPictureMapChannel);
            EXPECT_EQ(loaded->EvalNormalPerturb(sc), original->EvalNormalPerturb(sc));
        }
        EXPECT_EQ(loaded->Params().seed, 42);
        EXPECT_EQ(loaded->Params().image, p.image);

        // Cut anywhere inside the map's own data, the scene does not load and nothing leaks.
        for (size_t cut : {bytes.size() - 1, bytes.size() / 2, (size_t)20}) {
            host::SceneLoadResult bad =
                host::ReadScene(bytes.data(), cut, TestHost().Plugins().Classes());
            EXPECT_FALSE(bad.ok);
            EXPECT_TRUE(bad.roots.empty());
        }
        host::DeleteScene(r.roots);
        host::DeleteScene({original});
    }
}

} // namespace
