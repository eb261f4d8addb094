// Rendering through the plug-in: the examples against values worked out by hand from the
// formulas, the same pictures on any number of threads, and saved scenes that reload to the
// same floats.
#include "app_test_support.h"
#include "file_io.h"
#include "png_stream.h"
#include "render.h"
#include "scene_build.h"

#include <blend_modes.h>
#include <ivorlith.h>
#include <host/scene_file.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace quiltra;
using namespace quiltra_test;

namespace {

FloatImage Render(Texmap* t, int size, int threads, RenderChannel channel = RenderChannel::Color)
{
    RenderSettings s;
    s.width = s.height = size;
    s.threads = threads;
    s.channel = channel;
    return RenderTexture(t, s);
}

SceneTexture LoadExample(const std::string& name)
{
    return LoadAnyScene(TestHost(), SourcePath("examples/" + name));
}

bool SameBits(const FloatImage& a, const FloatImage& b)
{
    return a.width == b.width && a.height == b.height &&
        std::memcmp(a.rgba.data(), b.rgba.data(), a.rgba.size() * sizeof(float)) == 0;
}

TEST(RenderGeometry, PixelCentresCoverTheUnitSquareWithVUpwards)
{
    EXPECT_EQ(PixelU(0, 4), 0.125f);
    EXPECT_EQ(PixelU(3, 4), 0.875f);
    EXPECT_EQ(PixelV(0, 4), 0.875f); // the top row is the top of the square
    EXPECT_EQ(PixelV(3, 4), 0.125f);
    EXPECT_EQ(PixelU(0, 1), 0.5f);
}

// ---- the examples, by hand -------------------------------------------------------------------

// The Output stage of examples/output.json on a composited colour, worked in double precision
// from its definition: HSV turned by 120°, back to RGB, gamma 2 (e^(ln x / 2)), then
// (0.5·x − 0.5)·2 + 0.5 and a clamp to 0..1.
void OutputStageByHand(const double in[3], double out[3])
{
    double r = in[0], g = in[1], b = in[2];
    double mx = std::fmax(r, std::fmax(g, b)), mn = std::fmin(r, std::fmin(g, b)), delta = mx - mn;
    double h = 0.0, s = mx > 0.0 ? delta / mx : 0.0, v = mx;
    if (delta > 0.0) {
        h = r == mx ? (g - b) / delta : g == mx ? (b - r) / delta + 2.0 : (r - g) / delta + 4.0;
        h *= 60.0;
        if (h < 0.0) h += 360.0;
    }
    h += 120.0;
    double rgb[3];
    if (s == 0.0) {
        rgb[0] = rgb[1] = rgb[2] = v;
    } else {
        double hh = h / 60.0, i = std::floor(hh), f = hh - i;
        double p = (1 - s) * v, q = (1 - f * s) * v, t = (1 - (1 - f) * s) * v;
        const double rows[6][3] = {{v, t, p}, {q, v, p}, {p, v, t},
                                   {p, q, v}, {t, p, v}, {v, p, q}};
        int row = (i >= 0 && i <= 4) ? (int)i : 5;
        for (int c = 0; c < 3; ++c)
            rgb[c] = rows[row][c];
    }
    for (int c = 0; c < 3; ++c) {
        double x = rgb[c] == 0.0 ? 0.00001 : rgb[c];
        x = std::exp(std::log(x) / 2.0);
        x = (0.5 * x - 0.5) * 2.0 + 0.5;
        out[c] = std::fmin(1.0, std::fmax(0.0, x));
    }
}

TEST(Examples, OutputSceneMatchesTheFormulas)
{
    SceneTexture t = LoadExample("output.json");
    FloatImage image = Render(t.Get(), 4, 1);
    // Layer 1 is the gradient (0,0,0,0) → (0,1,0,1) over v, in "Normal" at 50 %: with coverage
    // a = v and op = 0.5 each channel becomes (l·0.5 + 0.5·b)·a + (1 − a)·b.
    struct Case {
        int x, y;
        double base[3];
    };
    const Case cases[] = {
        {0, 0, {0.25, 0.25, 0.25}}, // u 0.125, v 0.875: grey square
        {0, 2, {1.0, 0.0, 0.0}}, // u 0.125, v 0.375: red square
        {3, 3, {0.25, 0.25, 0.25}}, // u 0.875, v 0.125: grey square
        {2, 1, {1.0, 0.0, 0.0}}, // u 0.625, v 0.625: red square
    };
    for (const Case& c : cases) {
        const double v = PixelV(c.y, 4), a = v, layer[3] = {0.0, v, 0.0};
        double composite[3], expected[3];
        for (int k = 0; k < 3; ++k)
            composite[k] = (layer[k] * 0.5 + 0.5 * c.base[k]) * a + (1 - a) * c.base[k];
        OutputStageByHand(composite, expected);
        const double alpha = (a * 0.5 + 0.5 * 1.0) * a + (1 - a) * 1.0; // "Normal" mixes alpha too
        const float* p = image.Pixel(c.x, c.y);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(p[k], expected[k], 2e-6) << c.x << "," << c.y << " channel " << k;
        EXPECT_NEAR(p[3], alpha, 1e-7) << c.x << "," << c.y;
    }
    // The red square near the top: red under the green wash has a hue of about 17°; turned by
    // 120° it is green with a little blue, which the contrast then cuts to pure green.
    EXPECT_LT(image.Pixel(2, 1)[0], 0.01f);
    EXPECT_GT(image.Pixel(2, 1)[1], 0.2f);
}

TEST(Examples, NestedSceneMatchesTheFormulas)
{
    SceneTexture t = LoadExample("nested.json");
    FloatImage image = Render(t.Get(), 8, 1);
    // Inner stripes: flat (1, 0.5, 0.25) averaged with the gradient (0, u, 1 − u).
    // Mask: flat grey 0.25 through Output brightness 300 % → (3·0.25 − 0.5)·1 + 0.5 = 0.75,
    // so the coverage is 0.75. Outer "Multiply" at 100 %: x·l·0.75 + 0.25·x on each channel,
    // and alpha 1·0.75·0.75 + 0.25·1 = 0.8125.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const double u = PixelU(x, 8), v = PixelV(y, 8);
            const bool white = ((int)std::floor(u * 4) + (int)std::floor(v * 4)) % 2 == 0;
            const double base = white ? 1.0 : 0.5;
            const double stripe[3] = {(1.0 + 0.0) * 0.5, (0.5 + u) * 0.5, (0.25 + (1.0 - u)) * 0.5};
            const float* p = image.Pixel(x, y);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(p[k], base * stripe[k] * 0.75 + 0.25 * base, 1e-6)
                    << x << "," << y << " channel " << k;
            EXPECT_NEAR(p[3], 0.8125, 1e-7);
        }
}

TEST(Examples, BumpSceneMatchesTheFormulasWhereOnlyTheRampAndTheLeanReachIt)
{
    SceneTexture t = LoadExample("bump.json");
    FloatImage image = Render(t.Get(), 8, 1, RenderChannel::Perturb);
    // Corner pixels: outside the radial mask (weight 0, so the noise layer adds nothing) and
    // inside a checker square (flat, no perturbation). The ramp across u gives about
    // (−0.25, 0, 0); "RGB red" at 50 % with the lean 0.125 makes x = 0.125·0.5 + 0.5·x.
    for (auto [x, y] : {std::pair {0, 0}, std::pair {7, 0}, std::pair {0, 7}, std::pair {7, 7}}) {
        const float* p = image.Pixel(x, y);
        EXPECT_NEAR(p[0], 0.0625 + 0.5 * -0.25, 1e-5) << x << "," << y;
        EXPECT_EQ(p[1], 0.0f) << x << "," << y;
        EXPECT_EQ(p[2], 0.0f) << x << "," << y;
    }
    // The centre has the noise relief as well: y is no longer zero.
    EXPECT_NE(image.Pixel(3, 3)[1], 0.0f);
}

TEST(Examples, DemoIsOpaqueClampedAndVaried)
{
    SceneTexture t = LoadExample("demo.json");
    FloatImage image = Render(t.Get(), 48, 2);
    float lowest = 1.0f, highest = 0.0f;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(image.rgba[i + k], 0.0f); // Output clamp is on
            ASSERT_LE(image.rgba[i + k], 1.0f);
            lowest = std::fmin(lowest, image.rgba[i + k]);
            highest = std::fmax(highest, image.rgba[i + k]);
        }
        ASSERT_NEAR(image.rgba[i + 3], 1.0f, 1e-6f);
    }
    EXPECT_LT(lowest, 0.05f);
    EXPECT_GT(highest, 0.6f);
}

// examples/demo.json worked pixel by pixel: each picture map is rendered on its own (a
// one-layer texture gives its map's colour unchanged), and the six layers and the Output stage
// are composited here in double precision from the blend formulas.
TEST(Examples, DemoMatchesTheFormulasPixelByPixel)
{
    const int size = 8;
    auto mapImage = [&](const std::string& map) {
        SceneTexture t = BuildFromJson(R"({"layers": [{"map": )" + map + "}]}");
        return Render(t.Get(), size, 1);
    };
    const FloatImage base = mapImage(R"({"type": "gradient", "direction": "v",
        "colors": [[0.05, 0.10, 0.12], [0.30, 0.16, 0.06], [0.60, 0.36, 0.12]]})");
    const FloatImage clouds = mapImage(R"({"type": "noise", "scale": 4, "octaves": 5, "seed": 7,
        "color1": [0.10, 0.04, 0.02], "color2": [1.0, 0.80, 0.45]})");
    const FloatImage tiles = mapImage(R"({"type": "checker", "scale": 6, "color1": [1, 1, 1],
        "color2": [0.22, 0.24, 0.28]})");
    const FloatImage tileMask = mapImage(R"({"type": "gradient", "direction": "radial",
        "colors": [[1, 1, 1], [0.9, 0.9, 0.9], [0.1, 0.1, 0.1]]})");
    const FloatImage glowMask = mapImage(R"({"type": "gradient", "direction": "u",
        "colors": [[1, 1, 1], [0.3, 0.3, 0.3], [0, 0, 0]]})");
    const FloatImage grain = mapImage(R"({"type": "noise", "scale": 48, "octaves": 2, "seed": 3,
        "color1": [0.2, 0.2, 0.2], "color2": [0.8, 0.8, 0.8]})");
    const FloatImage vignette = mapImage(R"({"type": "gradient", "direction": "radial",
        "colors": [[1, 1, 1], [1, 1, 1], [0.75, 0.75, 0.75], [0.20, 0.20, 0.22]]})");
    SceneTexture demo = LoadExample("demo.json");
    const FloatImage image = Render(demo.Get(), size, 2);

    auto mean = [](const float* c) { return ((double)c[1] + c[0] + c[2]) / 3.0; };
    // One layer onto the base: t = F·op + (1 − op)·b, then t·a + (1 − a)·b.
    auto mix = [](double f, double b, double op, double a) {
        return (f * op + (1 - op) * b) * a + (1 - a) * b;
    };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double c[4] = {base.Pixel(x, y)[0], base.Pixel(x, y)[1], base.Pixel(x, y)[2], 1.0};
            for (int k = 0; k < 3; ++k) { // Soft Light, full opacity and coverage
                const double b = c[k], l = clouds.Pixel(x, y)[k];
                c[k] = l >= 0.5 ? std::sqrt(b) * (2 * l - 1) + 2 * b * (1 - l)
                                : (1 - 2 * l) * b * b + 2 * b * l;
            }
            double a = mean(tileMask.Pixel(x, y)); // Multiply at 75 %, alpha included
            for (int k = 0; k < 3; ++k)
                c[k] = mix(c[k] * tiles.Pixel(x, y)[k], c[k], 0.75, a);
            c[3] = mix(c[3] * a, c[3], 0.75, a);
            const double glow[3] = {0.10, 0.40, 1.0}; // Screen at 55 %, alpha included
            a = mean(glowMask.Pixel(x, y));
            for (int k = 0; k < 3; ++k)
                c[k] = mix(1 - (1 - c[k]) * (1 - glow[k]), c[k], 0.55, a);
            c[3] = mix(1 - (1 - c[3]) * (1 - a), c[3], 0.55, a);
            for (int k = 0; k < 3; ++k) { // Overlay at 60 %
                const double b = c[k], l = grain.Pixel(x, y)[k];
                c[k] = mix(b >= 0.5 ? 1 - 2 * (1 - b) * (1 - l) : 2 * b * l, b, 0.6, 1.0);
            }
            for (int k = 0; k < 3; ++k)
                c[k] *= vignette.Pixel(x, y)[k]; // Multiply, full
            // Output: saturation + 0.05 through HSV, alpha + 1, brightness 1.2, clamp.
            const double mx = std::fmax(c[0], std::fmax(c[1], c[2]));
            const double mn = std::fmin(c[0], std::fmin(c[1], c[2]));
            const double s = mx > 0 ? (mx - mn) / mx + 0.05 : 0.05;
            for (int k = 0; k < 3; ++k) {
                // Every colour here is warm or cobalt with distinct channels; scaling each
                // channel's distance from the maximum keeps the hue: x' = v − (v − x)·s'/s.
                const double shifted = mx - (mx - c[k]) * (s / ((mx - mn) / mx));
                const double expected = std::fmin(1.0, std::fmax(0.0, 1.2 * shifted));
                EXPECT_NEAR(image.Pixel(x, y)[k], expected, 2e-4)
                    << x << "," << y << " channel " << k;
            }
            EXPECT_EQ(image.Pixel(x, y)[3], 1.0f) << x << "," << y;
        }
}

// ---- threads
// ----------------------------------------------------------------------------------------

TEST(Threads, EveryModeMasksAndNestingRenderTheSameOnAnyNumberOfThreads)
{
    std::vector<std::string> scenes;
    for (int mode = -1; mode <= BLEND_MODE_COUNT; ++mode)
        scenes.push_back(R"({"layers": [
            {"map": {"type": "noise", "scale": 3, "color1": [0.1, 0.7, 0.2, 1], "color2": [1.2, 0.1, 0.6, 0.5]},
             "mask": {"type": "gradient", "direction": "radial", "colors": [[1, 1, 1], [0.2, 0.2, 0.2]]}},
            {"map": {"type": "noise", "scale": 5, "seed": 2, "bump": 0.3}, "mode": )" +
                         std::to_string(mode) + R"(, "opacity": 70,
             "mask": {"type": "checker", "scale": 5, "color1": [1, 1, 1], "color2": [0.3, 0.3, 0.3]}},
            {"map": {"type": "layers", "layers": [{"color": [0.2, 0.4, 0.9]},
                     {"map": {"type": "gradient"}, "mode": )" +
                         std::to_string(mode) + R"(}],
                     "output": {"on": true, "gamma": 1.7}}, "mode": "Overlay", "opacity": 40}]})");
    for (const char* example : {"demo.json", "bump.json", "nested.json", "output.json"}) {
        std::vector<std::uint8_t> text = ReadBytes(SourcePath(std::string("examples/") + example));
        scenes.push_back(std::string(text.begin(), text.end()));
    }
    for (size_t i = 0; i < scenes.size(); ++i) {
        SceneTexture t = BuildFromJson(scenes[i]);
        for (RenderChannel channel :
             {RenderChannel::Color, RenderChannel::Mono, RenderChannel::Perturb}) {
            FloatImage one = Render(t.Get(), 24, 1, channel);
            EXPECT_TRUE(SameBits(one, Render(t.Get(), 24, 2, channel))) << "scene " << i;
            EXPECT_TRUE(SameBits(one, Render(t.Get(), 24, 16, channel))) << "scene " << i;
        }
    }
}

// The rows handed on while the render goes on come in order, each once, with their codes final,
// with the progress reporter on or off and on any number of threads; the PNG compressed from
// them is the one compressed from the finished picture.
TEST(Threads, RowsAreHandedOnInOrderWithTheirCodesFinal)
{
    SceneTexture t = LoadExample("demo.json");
    for (int threads : {1, 2, 5})
        for (bool progress : {false, true}) {
            RenderSettings s;
            s.width = 37;
            s.height = 61;
            s.threads = threads;
            if (progress) s.progress = [](double) {};
            std::vector<std::uint8_t> codes, seen;
            s.pngCodes = &codes;
            int next = 0;
            PngStream png(s.width, s.height);
            s.rowsInOrder = [&](int first, int end) {
                EXPECT_EQ(first, next);
                EXPECT_GT(end, first);
                next = end;
                const size_t stride = (size_t)s.width * 4;
                seen.insert(seen.end(), codes.begin() + (long)(first * stride),
                            codes.begin() + (long)(end * stride));
                png.AddRows(codes.data(), first, end);
            };
            RenderTexture(t.Get(), s);
            EXPECT_EQ(next, s.height);
            EXPECT_EQ(seen, codes) << threads << " threads";
            EXPECT_EQ(png.Finish(), EncodePngCodes(s.width, s.height, codes));
        }
}

// ---- saved scenes
// ---------------------------------------------------------------------------------

TEST(SavedScenes, ReloadToTheSameFloatsAndTheSameBytes)
{
    std::string folder = ScratchFolder("saved-scenes");
    for (const char* example : {"demo.json", "bump.json", "nested.json", "output.json"}) {
        SceneTexture original = LoadExample(example);
        std::vector<std::uint8_t> bytes = SaveSceneBytes(original.Get());
        std::string path = folder + example + ".scene";
        {
            OutputFiles f;
            f.Stage(path, bytes);
            f.Commit();
        }
        SceneTexture reloaded = LoadAnyScene(TestHost(), path);
        for (RenderChannel channel : {RenderChannel::Color, RenderChannel::Perturb})
            EXPECT_TRUE(SameBits(Render(original.Get(), 20, 2, channel),
                                 Render(reloaded.Get(), 20, 2, channel)))
                << example;
        EXPECT_EQ(SaveSceneBytes(reloaded.Get()), bytes) << example;
    }
}

TEST(SavedScenes, EveryLayerValueAndOutputSettingSurvives)
{
    SceneTexture original = BuildFromJson(R"({"layers": [{"color": [0.1, 0.2, 0.3]},
        {"mode": 99, "opacity": 250, "mapEnabled": false, "maskEnabled": false, "mapUsed": false, "color": [-1, 2, 0.5]},
        {"mode": "Hue", "opacity": -20}],
        "output": {"on": true, "hsv": [10, 0.2, -0.1], "rgb": [0.01, 0.02, 0.03], "alpha": -0.5,
                   "bright": 120, "contrast": 80, "gamma": 0.5, "mono": true, "clamp": true}})");
    std::vector<std::uint8_t> bytes = SaveSceneBytes(original.Get());
    host::SceneLoadResult r =
        host::ReadScene(bytes.data(), bytes.size(), TestHost().Plugins().Classes());
    ASSERT_TRUE(r.ok) << Narrow(r.error);
    SceneTexture reloaded(static_cast<Texmap*>(r.roots[0]));
    IVorlithLayers* a = LayersOf(original.Get());
    IVorlithLayers* b = LayersOf(reloaded.Get());
    ASSERT_EQ(b->GetNumLayers(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(b->GetBlendMode(i), a->GetBlendMode(i));
        EXPECT_EQ(b->GetOpacity(i), a->GetOpacity(i));
        EXPECT_EQ(b->GetLayerColor(i), a->GetLayerColor(i));
        EXPECT_EQ(!!b->GetMapEnabled(i), !!a->GetMapEnabled(i));
        EXPECT_EQ(!!b->GetMaskEnabled(i), !!a->GetMaskEnabled(i));
        EXPECT_EQ(!!b->GetLayerUsed(i), !!a->GetLayerUsed(i));
    }
    EXPECT_EQ(b->GetBlendMode(1), 99);
    EXPECT_EQ(b->GetOutputShiftHSV(), a->GetOutputShiftHSV());
    EXPECT_EQ(b->GetOutputShiftRGB(), a->GetOutputShiftRGB());
    EXPECT_EQ(b->GetOutputAlpha(), -0.5f);
    EXPECT_EQ(b->GetOutputBrightness(), 120.0f * 0.01f);
    EXPECT_EQ(b->GetOutputContrast(), 80.0f * 0.01f);
    EXPECT_EQ(b->GetOutputGamma(), 0.5f);
    EXPECT_TRUE(b->GetOutputMono());
    EXPECT_TRUE(b->GetOutputClamp());
    EXPECT_TRUE(b->GetOutputEnabled());
}

TEST(SavedScenes, BrokenFilesAreRefusedWithTheirByteOffset)
{
    std::string folder = ScratchFolder("broken-scenes");
    SceneTexture original = LoadExample("nested.json");
    std::vector<std::uint8_t> bytes = SaveSceneBytes(original.Get());
    for (size_t cut : {(size_t)8, (size_t)12, bytes.size() / 3, bytes.size() - 1}) {
        std::string path = folder + "cut" + std::to_string(cut) + ".scene";
        OutputFiles f;
        f.Stage(path, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + (long)cut));
        f.Commit();
        try {
            LoadAnyScene(TestHost(), path);
            ADD_FAILURE() << "cut at " << cut << " loaded";
        } catch (const InputError& e) {
            std::string m = e.what();
            EXPECT_EQ(m.rfind(path + ": byte ", 0), 0u) << m;
            EXPECT_NE(m.find("not a usable scene"), std::string::npos) << m;
        }
    }
}

} // namespace
