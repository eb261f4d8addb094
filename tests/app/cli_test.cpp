// The quiltra program as a user runs it: its commands, its output format, and a clear message
// with exit status 2 and no output file for every kind of bad input.
#include "app_test_support.h"
#include "file_io.h"
#include "hex_float.h"
#include "image_io.h"

#include <gtest/gtest.h>

#include <ivorlith.h>
#include <iparamb2.h>

#include <algorithm>
#include <cstring>

using namespace quiltra;
using namespace quiltra_test;

namespace {

std::string Example(const std::string& name) { return SourcePath("examples/" + name); }

std::vector<std::string> SortedFiles(const std::string& folder)
{
    std::vector<std::string> names = FilesIn(folder);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Cli, RenderWritesAnSrgbPngAndTheRawFloats)
{
    std::string folder = ScratchFolder("cli-render");
    RunResult r = RunQuiltra({"render", Example("nested.json"), "-o", folder + "out/nested.png",
                              "--size", "8x4", "--threads", "3", "--pfm", folder + "nested.pfm",
                              "--pfm-alpha", folder + "alpha.pfm"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    int w = 0, h = 0;
    std::vector<std::uint8_t> codes;
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "out/nested.png"), w, h, codes));
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 4);
    FloatImage raw = DecodePfm(ReadBytes(folder + "nested.pfm"), "nested.pfm");
    FloatImage alpha = DecodePfm(ReadBytes(folder + "alpha.pfm"), "alpha.pfm");
    ASSERT_EQ(raw.width, 8);
    // Pixel (0, 1): u = 1/16, v = 5/8, a white square. By hand (see the nested example):
    // red 1·0.5·0.75 + 0.25 = 0.625, alpha 0.8125.
    EXPECT_FLOAT_EQ(raw.Pixel(0, 1)[0], 0.625f);
    EXPECT_FLOAT_EQ(alpha.Pixel(0, 1)[3], 0.8125f);
    for (int i = 0; i < w * h; ++i) {
        const float* p = raw.Pixel(i % w, i / w);
        EXPECT_EQ(codes[(size_t)i * 4 + 0], SrgbByte(p[0]));
        EXPECT_EQ(codes[(size_t)i * 4 + 2], SrgbByte(p[2]));
        EXPECT_EQ(codes[(size_t)i * 4 + 3], LinearByte(alpha.Pixel(i % w, i / w)[3]));
    }
    EXPECT_EQ(SortedFiles(folder), (std::vector<std::string> {"alpha.pfm", "nested.pfm", "out"}));
}

TEST(Cli, EvalPrintsColourMonoAndPerturbationAsHexFloats)
{
    // examples/nested.json at u = 0.0625, v = 0.625 (a white square): colour
    // (0.625, ((0.5 + u)·0.5)·0.75 + 0.25, ((1.25 − u)·0.5)·0.75 + 0.25, 0.8125). Its layers
    // have no bump, so the perturbation is zero.
    RunResult r = RunQuiltra({"eval", Example("nested.json"), "--u", "0.0625", "--v", "0.625"});
    ASSERT_EQ(r.status, 0) << r.err;
    const float u = 0.0625f;
    const float g = ((0.5f + u) * 0.5f) * 0.75f + 0.25f * 1.0f;
    const float b = ((0.25f + (1.0f - u)) * 0.5f) * 0.75f + 0.25f * 1.0f;
    const float mono = (g + 0.625f + b) * 0.33333334f;
    EXPECT_EQ(r.out,
              "color 0x1.4p-1 " + HexFloat(g) + " " + HexFloat(b) + " 0x1.ap-1\n" + "mono " +
                  HexFloat(mono) + "\n" + "perturb 0x0p+0 0x0p+0 0x0p+0\n");
}

TEST(Cli, EvalWritesNotANumberAndInfinitiesAsWords)
{
    std::string folder = ScratchFolder("cli-eval-special");
    // Red: "Soft Light" with a layer of 0.75 takes the square root of the base, −1: not a
    // number. Green and blue: two "Additive" layers of ±3e38 overflow to ±infinity. Alpha:
    // "Additive" adds the layers' alpha too, 1 + 1 + 1 = 3. The mono value of NaN is NaN.
    WriteText(folder + "special.json", R"({"layers": [
        {"color": [-1, 0, 0]},
        {"color": [0.75, 0.5, 0.5], "mode": "Soft Light"},
        {"color": [0, 3e38, -3e38], "mode": "Additive"},
        {"color": [0, 3e38, -3e38], "mode": "Additive"}]})");
    RunResult r = RunQuiltra({"eval", folder + "special.json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "color nan inf -inf 0x1.8p+1\nmono nan\nperturb 0x0p+0 0x0p+0 0x0p+0\n");

    // A constant map's perturbation comes through as it is, exactly.
    WriteText(folder + "lean.json",
              R"({"layers": [{"map": {"type": "constant", "perturb": [0.5, -2, 0.1]}}]})");
    r = RunQuiltra({"eval", folder + "lean.json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "color 0x0p+0 0x0p+0 0x0p+0 0x1p+0\nmono 0x0p+0\nperturb 0x1p-1 -0x1p+1 " +
                  HexFloat(0.1f) + "\n");
}

TEST(Cli, ModesWritesALabelledSheetOfAllThirtyFiveModes)
{
    std::string folder = ScratchFolder("cli-modes");
    RunResult r = RunQuiltra({"modes", "-o", folder + "modes.png", "--cell", "64"});
    ASSERT_EQ(r.status, 0) << r.err;
    int w = 0, h = 0;
    std::vector<std::uint8_t> codes;
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "modes.png"), w, h, codes));
    // 7 columns and 5 rows of 64-pixel cells, 8-pixel gaps, 17-pixel label bands.
    EXPECT_EQ(w, 7 * 64 + 8 * 8);
    EXPECT_EQ(h, 5 * (64 + 17) + 6 * 8);
    // The label band under the first cell has ink (light grey) on the dark background.
    int ink = 0;
    for (int y = 8 + 64; y < 8 + 64 + 17; ++y)
        for (int x = 8; x < 8 + 64; ++x)
            ink += codes[((size_t)y * w + x) * 4] > 200;
    EXPECT_GT(ink, 20);
    // Cell 0 ("Normal" at 100 %) shows the layer alone: its top-left pixel is near the layer's
    // white end, whose red is 1.
    EXPECT_EQ(codes[((size_t)8 * w + 8) * 4], 255);
}

TEST(Cli, SavedScenesRenderAndEvaluateLikeTheirSource)
{
    std::string folder = ScratchFolder("cli-save");
    for (const char* name : {"demo.json", "bump.json"}) {
        std::string saved = folder + name + ".scene";
        RunResult s = RunQuiltra({"save", Example(name), saved});
        ASSERT_EQ(s.status, 0) << s.err;
        for (const char* channel : {"color", "bump"}) {
            RunResult a = RunQuiltra({"render", Example(name), "-o", folder + "a.png", "--size",
                                      "16x16", "--channel", channel, "--pfm", folder + "a.pfm"});
            RunResult b = RunQuiltra({"render", saved, "-o", folder + "b.png", "--size", "16x16",
                                      "--channel", channel, "--pfm", folder + "b.pfm"});
            ASSERT_EQ(a.status, 0) << a.err;
            ASSERT_EQ(b.status, 0) << b.err;
            EXPECT_EQ(ReadBytes(folder + "a.pfm"), ReadBytes(folder + "b.pfm"))
                << name << " " << channel;
            EXPECT_EQ(ReadBytes(folder + "a.png"), ReadBytes(folder + "b.png"))
                << name << " " << channel;
        }
        RunResult e1 = RunQuiltra({"eval", Example(name), "--u", "0.3", "--v", "0.7"});
        RunResult e2 = RunQuiltra({"eval", saved, "--u", "0.3", "--v", "0.7"});
        EXPECT_EQ(e1.out, e2.out);
        // A saved scene saves again to the same bytes.
        RunResult again = RunQuiltra({"save", saved, folder + "again.scene"});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(ReadBytes(saved), ReadBytes(folder + "again.scene"));
    }
}

TEST(Cli, BitmapsAreFoundBesideTheSceneAndTravelInsideSavedScenes)
{
    std::string folder = ScratchFolder("cli-bitmap");
    // A 2 × 1 picture: codes 188 (left) and 64 (right), opaque. Decoded from sRGB:
    // 188 → 0.5029..., 64 → 0.0512...
    FloatImage picture(2, 1);
    const double left = SrgbDecode(188 / 255.0), right = SrgbDecode(64 / 255.0);
    for (int c = 0; c < 3; ++c) {
        picture.Pixel(0, 0)[c] = (float)left;
        picture.Pixel(1, 0)[c] = (float)right;
    }
    picture.Pixel(0, 0)[3] = picture.Pixel(1, 0)[3] = 1.0f;
    OutputFiles files;
    files.Stage(folder + "maps/tile.png", EncodePng(picture));
    files.Commit();
    WriteText(folder + "maps/scene.json",
              R"({"layers": [{"map": {"type": "bitmap", "file": "tile.png"}}]})");

    // u = 0.25 is the centre of the left pixel.
    RunResult r = RunQuiltra({"eval", folder + "maps/scene.json", "--u", "0.25", "--v", "0.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string red = HexFloat((float)left);
    EXPECT_EQ(r.out.rfind("color " + red + " " + red + " " + red + " 0x1p+0\n", 0), 0u) << r.out;

    // Saved, the scene keeps the picture: it still renders after the file is gone.
    ASSERT_EQ(RunQuiltra({"save", folder + "maps/scene.json", folder + "tile.scene"}).status, 0);
    RemoveFileQuietly(folder + "maps/tile.png");
    RunResult again = RunQuiltra({"eval", folder + "tile.scene", "--u", "0.25", "--v", "0.5"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, r.out);
}

// A saved scene of levels + 1 layered textures, each the map of the one above (and its mask
// too when shared): nesting and shared sub-textures as a script could build them.
void WriteChainScene(const std::string& path, int levels, bool shared)
{
    SceneTexture root(TestHost().CreateLayeredTexture());
    Texmap* t = root.Get();
    for (int i = 0; i < levels; ++i) {
        Texmap* child = TestHost().CreateLayeredTexture();
        t->SetSubTexmap(0, child);
        if (shared) t->SetSubTexmap(1, child);
        t = child;
    }
    std::vector<std::uint8_t> bytes = SaveSceneBytes(root.Get());
    WriteText(path, std::string(bytes.begin(), bytes.end()));
}

// A saved layered texture whose parameter block has a table of `entries` layer labels.
void WriteLabelledScene(const std::string& path, int entries)
{
    SceneTexture texture(TestHost().CreateLayeredTexture());
    IParamBlock2* pb = texture.Get()->GetParamBlock(0);
    ASSERT_NE(pb, nullptr);
    ParamBlockDesc2* desc = pb->GetDesc();
    for (int i = 0; i < desc->count; ++i)
        if (std::string("edit_ids") == Narrow(desc->paramdefs[i].int_name))
            pb->SetCount(desc->paramdefs[i].ID, entries);
    std::vector<std::uint8_t> bytes = SaveSceneBytes(texture.Get());
    WriteText(path, std::string(bytes.begin(), bytes.end()));
}

struct BadRun {
    std::vector<std::string> args; // "@" is replaced by the scratch folder
    std::string message; // part of stderr ("@" replaced too)
};

// Where the logo (res/logo.bmp, 24 bits per pixel) appears whole in a picture, or {-1, -1}.
std::pair<int, int> FindLogo(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    std::vector<std::uint8_t> bmp = ReadBytes(SourcePath("res/logo.bmp"));
    const int lw = 160, lh = 56, offset = bmp[10] | bmp[11] << 8;
    auto logo = [&](int x, int y) {
        return &bmp[(size_t)offset + ((size_t)(lh - 1 - y) * lw + (size_t)x) * 3];
    };
    auto same = [&](int px, int py, int x, int y) {
        const std::uint8_t* p = &rgba[((size_t)py * (size_t)width + (size_t)px) * 4];
        const std::uint8_t* bgr = logo(x, y);
        return p[0] == bgr[2] && p[1] == bgr[1] && p[2] == bgr[0];
    };
    for (int y0 = 0; y0 + lh <= height; ++y0)
        for (int x0 = 0; x0 + lw <= width; ++x0) {
            bool whole = true;
            for (int y = 0; y < lh && whole; ++y)
                for (int x = 0; x < lw && whole; ++x)
                    whole = same(x0 + x, y0 + y, x, y);
            if (whole) return {x0, y0};
        }
    return {-1, -1};
}

TEST(Cli, ShotCapturesTheEditorAsDrawn)
{
    std::string folder = ScratchFolder("cli-shot");
    RunResult closed = RunQuiltra({"shot", Example("demo.json"), "-o", folder + "closed.png"});
    ASSERT_EQ(closed.status, 0) << closed.err;
    RunResult open = RunQuiltra({"shot", Example("demo.json"), "-o", folder + "open.png", "--open",
                                 "output,about", "--scroll", "3"});
    ASSERT_EQ(open.status, 0) << open.err;
    int w = 0, h = 0, wc = 0, hc = 0;
    std::vector<std::uint8_t> codes, closedCodes;
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "open.png"), w, h, codes));
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "closed.png"), wc, hc, closedCodes));
    EXPECT_EQ(wc, w);
    EXPECT_GT(h, hc + 56) << "the Output and About rollouts opened below the layer list";
    std::pair<int, int> at = FindLogo(w, h, codes);
    EXPECT_GT(at.second, hc)
        << "the About rollout draws the logo whole, below where the closed picture ends";
    EXPECT_EQ(FindLogo(wc, hc, closedCodes).first, -1);
    // A row's menu drawn over the rows: the picture changes where the menu lies, not its size.
    RunResult menu =
        RunQuiltra({"shot", Example("demo.json"), "-o", folder + "menu.png", "--menu", "1"});
    ASSERT_EQ(menu.status, 0) << menu.err;
    int wm = 0, hm = 0;
    std::vector<std::uint8_t> menuCodes;
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "menu.png"), wm, hm, menuCodes));
    EXPECT_EQ(wm, wc);
    EXPECT_EQ(hm, hc);
    EXPECT_NE(menuCodes, closedCodes);
}

// The edit window's picture holds the sample slot, which shows what `render` draws at the
// slot's size: the window is as wide as the pages, the slot that wide less the margins and its
// sunken edge (12 pixels in all).
TEST(Cli, EditShowsTheSceneAsRenderDrawsIt)
{
    std::string folder = ScratchFolder("cli-edit");
    RunResult edit = RunQuiltra({"edit", Example("demo.json"), "--shot", folder + "edit.png"});
    ASSERT_EQ(edit.status, 0) << edit.err;
    int w = 0, h = 0, rw = 0, rh = 0;
    std::vector<std::uint8_t> window, render;
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "edit.png"), w, h, window));
    const int side = w - 12;
    ASSERT_GT(side, 100);
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    ASSERT_EQ(
        RunQuiltra({"render", Example("demo.json"), "-o", folder + "r.png", "--size", size}).status,
        0);
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "r.png"), rw, rh, render));
    bool found = false;
    for (int y0 = 0; y0 < 16 && !found; ++y0)
        for (int x0 = 0; x0 < 16 && !found; ++x0) {
            found = true;
            for (int y = 0; y < side && found; ++y)
                found = std::memcmp(&window[((size_t)(y0 + y) * (size_t)w + (size_t)x0) * 4],
                                    &render[(size_t)y * (size_t)side * 4], (size_t)side * 4) == 0;
        }
    EXPECT_TRUE(found) << "the render, " << size << ", whole near the window's top left corner";
}

TEST(Cli, BadInputGivesOneMessageStatusTwoAndNoOutput)
{
    std::string folder = ScratchFolder("cli-bad");
    WriteText(folder + "malformed.json", "{\"layers\": [{\"mode\": \"Normal\",}]}");
    WriteText(folder + "wrongtype.json", R"({"layers": [{}, {"opacity": [50]}]})");
    WriteText(folder + "unknownkey.json", R"({"layers": [{"colour": [1, 0, 0]}]})");
    WriteText(folder + "unknownmode.json", R"({"layers": [{}, {}, {"mode": "Vivid Light"}]})");
    WriteText(folder + "nobitmap.json",
              R"({"layers": [{"map": {"type": "bitmap", "file": "gone.png"}}]})");
    WriteText(folder + "notapicture.png", "this is text, not a picture");
    WriteText(folder + "badbitmap.json",
              R"({"layers": [{}, {"mask": {"type": "bitmap", "file": "notapicture.png"}}]})");
    WriteText(folder + "garbage.bin", std::string("\x00\x01\x02\xff\xfe garbage", 14));
    WriteText(folder + "good.json", R"({"layers": [{}]})");
    WriteText(folder + "scene.png", R"({"layers": [{}]})");
    {
        RunResult s = RunQuiltra({"save", Example("nested.json"), folder + "whole.scene"});
        ASSERT_EQ(s.status, 0) << s.err;
        std::vector<std::uint8_t> whole = ReadBytes(folder + "whole.scene");
        WriteText(folder + "truncated.scene",
                  std::string(whole.begin(), whole.begin() + (long)whole.size() / 2));
        WriteText(folder + "magiconly.scene", "QLTSCENE");
    }
    WriteText(folder + "device.json",
              R"({"layers": [{}, {"mask": {"type": "bitmap", "file": "aux.png"}}]})");
    WriteText(folder + "com.json", R"({"layers": [{"map": {"type": "bitmap", "file": "COM1"}}]})");
    CreateDirectoryW(Widen(folder + "afolder").c_str(), nullptr);
    // A picture's header alone says its size: 12000 × 12000 pixels in 45 bytes.
    const char huge[] =
        "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x2e\xe0\0\0\x2e\xe0\x08\x06\0\0\0\0\0\0\0"
        "\0\0\0\0IEND\xae\x42\x60\x82";
    WriteText(folder + "huge.png", std::string(huge, sizeof huge - 1));
    WriteText(folder + "huge.json",
              R"({"layers": [{"map": {"type": "bitmap", "file": "huge.png"}}]})");
    WriteChainScene(folder + "deep.scene", 33, false);
    WriteChainScene(folder + "shared.scene", 19, true);
    WriteLabelledScene(folder + "labels.scene", 2 * VORLITH_MAX_LAYERS + 1);
    const std::vector<std::string> before = SortedFiles(folder);

    const BadRun cases[] = {
        {{"render", "@malformed.json", "-o", "@o.png"},
         "@malformed.json: malformed JSON at line 1, column 31"},
        {{"render", "@wrongtype.json", "-o", "@o.png"},
         "@wrongtype.json: layers[1].opacity: expected a number, found an array"},
        {{"render", "@unknownkey.json", "-o", "@o.png"},
         "@unknownkey.json: layers[0].colour: unknown key \"colour\""},
        {{"eval", "@unknownmode.json"},
         "@unknownmode.json: layers[2].mode: unknown blend mode \"Vivid Light\""},
        {{"render", "@nobitmap.json", "-o", "@o.png"},
         "@nobitmap.json: layers[0].map.file: bitmap \"gone.png\" not found"},
        {{"render", "@badbitmap.json", "-o", "@o.png"},
         "@badbitmap.json: layers[1].mask.file: @notapicture.png: cannot read picture"},
        {{"render", "@truncated.scene", "-o", "@o.png"}, "@truncated.scene: byte "},
        {{"eval", "@magiconly.scene"}, "@magiconly.scene: byte "},
        {{"save", "@truncated.scene", "@o.scene"}, "not a usable scene"},
        {{"render", "@garbage.bin", "-o", "@o.png"}, "@garbage.bin: malformed JSON"},
        {{"render", "@missing.json", "-o", "@o.png"}, "@missing.json: no such file"},
        {{"render", "@good.json", "-o", "@o.png", "--bogus"}, "--bogus"},
        {{"render", "@good.json", "-o", "@o.png", "--size", "0x10"}, "--size: 0x10 is outside"},
        {{"render", "@good.json", "-o", "@o.png", "--size", "big"},
         "--size: expected WIDTHxHEIGHT"},
        {{"render", "@good.json", "-o", "@o.png", "--size", "20000x20000"},
         "--size: 20000x20000 is outside"},
        {{"render", "@good.json", "-o", "@o.png", "--threads", "0"}, "--threads"},
        {{"render", "@good.json", "-o", "@o.png", "--channel", "alpha"}, "--channel"},
        {{"render", "@good.json", "-o", "@o.jpg"}, "@o.jpg: the picture is written as PNG"},
        {{"render", "@good.json"}, "--output is required"},
        {{"render", "@scene.png", "-o", "@scene.png"}, "would overwrite the scene file"},
        {{"save", "@good.json", "@good.json"}, "would overwrite the scene file"},
        {{"eval", "@good.json", "--u", "x"}, "--u"},
        {{"eval", "@good.json", "--u", "nan"}, "--u and --v must be finite numbers"},
        {{"paint", "@good.json"}, "unknown command \"paint\""},
        {{}, "A subcommand is required"},
        {{"modes", "-o", "@o.png", "--cell", "5"}, "--cell: expected 32 to 1024"},
        {{"shot", "@good.json", "-o", "@o.jpg"}, "@o.jpg: the picture is written as PNG"},
        {{"shot", "@missing.json", "-o", "@o.png"}, "@missing.json: no such file"},
        {{"shot", "@good.json", "-o", "@o.png", "--open", "output,colour"},
         "--open: no rollout called \"colour\""},
        {{"shot", "@good.json", "-o", "@o.png", "--scroll", "-1"}, "--scroll"},
        {{"shot", "@good.json", "-o", "@o.png", "--menu", "6"}, "--menu"},
        // edit: bad input is told before any window opens.
        {{"edit", "@malformed.json"}, "@malformed.json: malformed JSON at line 1, column 31"},
        {{"edit", "@missing.json", "-o", "@o.scene"}, "@missing.json: no such file"},
        {{"edit", "@good.json", "-o", "@good.json"}, "@good.json: would overwrite the JSON scene"},
        {{"edit", "@good.json", "-o", "@afolder"}, "@afolder: is a folder, not a file"},
        {{"edit", "@good.json", "--shot", "@o.jpg"}, "@o.jpg: the picture is written as PNG"},
        {{"edit", "@good.json", "--channel", "mono"}, "--channel"},
        {{"render", "@good.json", "-o", "@o.png", "--plugins", "@nowhere"},
         "@nowhere: the layered texture plug-in (Vorlith.dlt) is not there"},
        // Devices and folders are not files: refused without being opened, by scene and place.
        {{"eval", "@device.json"},
         "@device.json: layers[1].mask.file: bitmap \"aux.png\" names a device, not a file"},
        {{"render", "@com.json", "-o", "@o.png"},
         "@com.json: layers[0].map.file: bitmap \"COM1\" names a device"},
        {{"eval", "@NUL.json"}, "@NUL.json: names a device, not a file"},
        {{"render", "@good.json", "-o", "@lpt1.png"}, "@lpt1.png: names a device, not a file"},
        {{"eval", "@afolder"}, "@afolder: is a folder, not a file"},
        {{"render", "@huge.json", "-o", "@o.png"},
         "@huge.json: layers[0].map.file: @huge.png: 12000 x 12000 pixels; pictures of at most "
         "67108864 pixels"},
        // Limits of every scene, saved or not: nesting, shared sub-textures, layers.
        {{"eval", "@deep.scene"},
         "@deep.scene: byte 36: not a usable scene: textures nested 33 levels deep (at most 32)"},
        {{"render", "@shared.scene", "-o", "@o.png", "--size", "1x1"},
         "sub-textures shared by several slots would make one sample evaluate more than 1000000 "
         "textures"},
        {{"eval", "@labels.scene"},
         "@labels.scene: a layered texture of the scene holds 100001 layers (at most 100000)"},
        // Outputs: one file under two names, and folders made for an output that then fails.
        {{"render", "@good.json", "-o", "@o.png", "--pfm-alpha", "@x/../O.PNG"},
         "--pfm-alpha and -o name the same file"},
        {{"render", "@good.json", "-o", "@new/deeper/o.png", "--pfm", "@good.json/o.pfm"},
         "@good.json: cannot create folder"},
        // Options: strict numbers, one line each.
        {{"render", "@good.json", "-o", "@o.png", "--threads", "abc"},
         "quiltra: --threads: expected a whole number from 1 to 256, found \"abc\"\n"},
        {{"render", "@good.json", "-o", "@o.png", "--size", " 8x8"},
         "--size: expected WIDTHxHEIGHT"},
        {{"render", "@good.json", "-o", "@o.png", "--size", "+8x+8"},
         "--size: expected WIDTHxHEIGHT"},
        {{"eval", "@good.json", "--v", "1e39"}, "--u and --v must be finite numbers"},
    };
    for (const BadRun& c : cases) {
        std::vector<std::string> args;
        for (std::string a : c.args) {
            if (!a.empty() && a[0] == '@') a = folder + a.substr(1);
            args.push_back(a);
        }
        std::string message = c.message;
        for (size_t at; (at = message.find('@')) != std::string::npos;)
            message.replace(at, 1, folder);
        RunResult r = RunQuiltra(args);
        std::string line =
            args.empty() ? "(no arguments)" : args[0] + " " + (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(r.status, 2) << line << "\n" << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos)
            << line << "\nexpected: " << message << "\n     got: " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << line << ": one line\n"
                                                                   << r.err;
        EXPECT_EQ(r.err.find("byte "), r.err.rfind("byte ")) << line << ": the offset once\n"
                                                             << r.err;
        EXPECT_EQ(r.out, "") << line;
        EXPECT_EQ(SortedFiles(folder), before) << line << ": something was left behind";
    }
}

TEST(Cli, ScenesJustWithinTheLimitsLoad)
{
    std::string folder = ScratchFolder("cli-limits");
    WriteChainScene(folder + "deepest.scene", 32, false);
    WriteChainScene(folder + "shared.scene", 18, true);
    for (const char* name : {"deepest.scene", "shared.scene"}) {
        RunResult r = RunQuiltra({"eval", folder + name});
        EXPECT_EQ(r.status, 0) << name << "\n" << r.err;
    }
}

} // namespace
