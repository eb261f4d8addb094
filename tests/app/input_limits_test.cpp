// What fuzzing the program's newer inputs found, kept: pictures decoded once per file and
// bounded in all, scenes counted before they are built, and command lines held to one rule
// (whole numbers, empty values, one message line whatever the value held).
#include "app_test_support.h"
#include "cli_rules.h"
#include "file_io.h"
#include "image_io.h"
#include "picture_cache.h"
#include "scene_description.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace quiltra;
using namespace quiltra_test;

namespace {

// A PNG of w × h pixels whose colours depend on `seed`: pictures of different seeds differ.
std::vector<std::uint8_t> TestPng(int w, int h, int seed)
{
    FloatImage image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float* p = image.Pixel(x, y);
            p[0] = (float)((x + seed) % 7) / 7.0f;
            p[1] = (float)(y % 5) / 5.0f;
            p[2] = (float)seed / 16.0f;
            p[3] = 1.0f;
        }
    return EncodePng(image);
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    WriteText(path, std::string(bytes.begin(), bytes.end()));
}

std::string BitmapLayers(const std::vector<std::string>& files)
{
    std::string json = R"({"layers": [{})";
    for (const std::string& f : files)
        json += R"(, {"map": {"type": "bitmap", "file": ")" + f + R"("}})";
    return json + "]}";
}

TEST(InputLimits, OneDecodedPictureServesEveryMapOfTheSameFileAndGoesWithTheLast)
{
    const std::string folder = ScratchFolder("limits-shared");
    WriteBytes(folder + "a.png", TestPng(64, 32, 1));
    WriteBytes(folder + "copy-of-a.png", TestPng(64, 32, 1));
    WriteBytes(folder + "b.png", TestPng(64, 32, 2));
    WriteText(
        folder + "scene.json",
        BitmapLayers({"a.png", "a.png", "copy-of-a.png", "a.png", "b.png", "a.png", "b.png"}));
    const long long bytesBefore = DecodedPictureBytes(), decodedBefore = PicturesDecoded();
    const long long onePicture = 64 * 32 * 4;
    {
        SceneTexture t = LoadAnyScene(TestHost(), folder + "scene.json");
        EXPECT_EQ(PicturesDecoded() - decodedBefore, 2); // a (under two names) and b
        EXPECT_EQ(DecodedPictureBytes() - bytesBefore, 2 * onePicture);
        // A saved scene read back, and a copy, share them too.
        SceneTexture reloaded =
            LoadSceneBytes(TestHost(), SaveSceneBytes(t.Get()), folder + "saved.scene");
        EXPECT_EQ(PicturesDecoded() - decodedBefore, 2);
        const AColor a = EvalColorAt(t.Get(), 0.3f, 0.6f),
                     b = EvalColorAt(reloaded.Get(), 0.3f, 0.6f);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
        t = SceneTexture();
        EXPECT_EQ(DecodedPictureBytes() - bytesBefore, 2 * onePicture); // the reloaded holds them
    }
    EXPECT_EQ(DecodedPictureBytes(), bytesBefore);
}

TEST(InputLimits, PicturesBeyondTheBoundInAllAreRefusedNamingThePlace)
{
    const std::string folder = ScratchFolder("limits-bound");
    for (int i = 0; i < 3; ++i)
        WriteBytes(folder + "p" + std::to_string(i) + ".png", TestPng(256, 256, i));
    WriteText(folder + "fits.json", BitmapLayers({"p0.png", "p1.png", "p0.png", "p1.png"}));
    WriteText(folder + "over.json", BitmapLayers({"p0.png", "p1.png", "p0.png", "p2.png"}));
    const long long onePicture = 256 * 256 * 4;
    const long long kept = DecodedPictureBytes();
    const long long old = SetDecodedPictureLimit(kept + 2 * onePicture);
    EXPECT_NO_THROW(LoadAnyScene(TestHost(), folder + "fits.json"));
    try {
        LoadAnyScene(TestHost(), folder + "over.json");
        ADD_FAILURE() << "three pictures taken where two fit";
    } catch (const InputError& e) {
        const std::string what = e.what();
        EXPECT_NE(
            what.find(folder + "over.json: layers[4].map.file: " + folder + "p2.png: decoded, "),
            std::string::npos)
            << what;
        EXPECT_NE(what.find("may take at most"), std::string::npos) << what;
    }
    EXPECT_EQ(DecodedPictureBytes(), kept); // what was read for the refused scene is let go
    SetDecodedPictureLimit(old);
    EXPECT_EQ(old, kMaxDecodedPictureBytes);
}

TEST(InputLimits, TexturesAreCountedAsTheSceneIsReadBeforeAnythingIsBuilt)
{
    // 245 nested textures of 4095 constant maps each: 1,003,521 textures, then text that is
    // not JSON. Counting as the text is read refuses the scene at the 1,000,000th sub-map,
    // before the malformed end (and the rest of the tree) is reached.
    std::string json = R"({"layers": [)";
    const std::string constant = R"({"map": {"type": "constant"}})";
    for (int t = 0; t < 245; ++t) {
        json += std::string(t ? ", " : "") + R"({"map": {"type": "layers", "layers": [)";
        for (int l = 0; l < 4095; ++l)
            json += (l ? "," : "") + constant;
        json += "]}}";
    }
    json += "]} and then no JSON at all";
    try {
        ParseSceneJson(json, "tree.json", TestHost().ModeNames());
        ADD_FAILURE() << "a scene of a million textures read";
    } catch (const InputError& e) {
        // The 1,000,000th sub-map: 244 nested textures of 4096 sub-maps each come first, then
        // the 245th texture itself and its constants 0 to 574.
        EXPECT_EQ(std::string(e.what()),
                  "tree.json: layers[244].map.layers[574].map: one sample would evaluate more "
                  "than 1000000 textures");
    }
    // Arrays longer than any a scene holds end the reading where they cross that length.
    std::string stops;
    for (int i = 0; i < 5000; ++i)
        stops += (i ? ",1" : "1");
    const std::string longArray = R"({"layers": [{"color": [)" + stops + "]}]} no JSON";
    EXPECT_THROW(
        {
            try {
                ParseSceneJson(longArray, "long.json", TestHost().ModeNames());
            } catch (const InputError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "long.json: layers[0].color[4096]: an array of more than 4096 values, "
                          "more than any scene holds");
                throw;
            }
        },
        InputError);
}

TEST(InputLimits, WholeNumbersArePlainDecimalDigits)
{
    const struct {
        const char* text;
        long long value; // -1: refused
    } cases[] = {
        {"0", 0},
        {"7", 7},
        {"08", 8},
        {"000064", 64},
        {"00000000000000000000000012", 12},
        {"", -1},
        {"+3", -1},
        {"-0", -1},
        {"0x4", -1},
        {" 3", -1},
        {"3 ", -1},
        {"1e2", -1},
        {"3.0", -1},
        {"65", -1},
        {"99999999999999999999", -1},
        {"\xd9\xa3", -1}, // Arabic 3
    };
    for (const auto& c : cases) {
        long long v = -1;
        const bool ok = WholeNumber(c.text, 64, v);
        EXPECT_EQ(ok ? v : -1, c.value) << "\"" << c.text << "\"";
    }
    EXPECT_EQ(OneLine("a\nb\r\tc\x01\x7f"
                      "d"),
              "a\\nb\\r\\tc\\x01\\x7fd");
    EXPECT_EQ(OneLine("\xc3\xa9t\xc3\xa9.png"), "\xc3\xa9t\xc3\xa9.png"); // UTF-8 kept
}

TEST(InputLimits, OptionsFollowOneRuleAndEveryMessageIsOneLine)
{
    const std::string folder = ScratchFolder("limits-cli");
    WriteText(folder + "good.json", R"({"layers": [{}]})");
    const std::string good = folder + "good.json";
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message; // part of stderr; "" for none
    } cases[] = {
        {{"edit", good, "--shot", ""}, 2, "quiltra: edit --shot: empty (write a PNG of the window"},
        {{"shot", good, "-o", ""}, 2, "quiltra: shot --output: empty (PNG to write)"},
        {{"save", good, ""}, 2, "quiltra: save out: empty (scene file to write)"},
        {{"render", "", "-o", folder + "o.png"}, 2, "quiltra: render scene: empty"},
        {{"render", good, "-o", folder + "new\nline.png", "--size", "2x2"}, 2, "new\\nline.png"},
        {{"render", good, "-o", folder + "o.png", "--channel", "mo\nno\x1b[2J"},
         2,
         "mo no\\x1b[2J"},
        {{"eval", folder + "tab\there.json"}, 2, "tab\\there.json"},
        {{"viewport", good, "--describe", "--stages", "0x4"},
         2,
         "--stages: expected a whole number from 0 to 64, found \"0x4\""},
        {{"viewport", good, "--describe", "--stages", "+3"},
         2,
         "--stages: expected a whole number from 0 to 64, found \"+3\""},
        {{"viewport", good, "--describe", "--stages", "65"},
         2,
         "--stages: expected a whole number from 0 to 64"},
        {{"viewport", good, "--describe", "--stages", "08"}, 0, ""},
        {{"render", good, "-o", folder + "o.png", "--size", "08x008", "--threads", "02"},
         0,
         "wrote "},
        {{"modes", "-o", folder + "m.png", "--cell", "0x40"}, 2, "--cell: expected a whole number"},
        {{"shot", good, "-o", folder + "s.png", "--scroll", "+1"},
         2,
         "--scroll: expected a whole number from 0 to 32767"},
    };
    for (const auto& c : cases) {
        const RunResult r = RunQuiltra(c.args);
        std::string line;
        for (const std::string& a : c.args)
            line += "[" + OneLine(a) + "] ";
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << line << "\n" << r.err;
        EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << line << "\n" << r.err;
    }
    for (const std::string& f : FilesIn(folder))
        EXPECT_TRUE(f == "good.json" || f == "o.png") << f;
}

} // namespace
