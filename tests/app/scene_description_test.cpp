// Reading JSON scenes: defaults, values as given, blend-mode names, and every kind of bad
// input named by file and JSON path.
#include "app_test_support.h"
#include "file_io.h"
#include "scene_build.h"
#include "scene_description.h"

#include <blend_modes.h>
#include <ivorlith.h>

#include <gtest/gtest.h>

using namespace quiltra;
using namespace quiltra_test;

namespace {

StackDescription Parse(const std::string& json)
{
    return ParseSceneJson(json, "dir/scene.json", TestHost().ModeNames());
}

std::string ErrorOf(const std::string& json)
{
    try {
        Parse(json);
    } catch (const InputError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(SceneJson, AbsentValuesStayUnsetSoTheTextureKeepsItsDefaults)
{
    StackDescription s = Parse(R"({"layers": [{}]})");
    ASSERT_EQ(s.layers.size(), 1u);
    const LayerDescription& l = s.layers[0];
    EXPECT_FALSE(l.map || l.mask || l.mapEnabled || l.maskEnabled || l.mapUsed || l.opacity ||
                 l.color || l.mode);
    const OutputDescription& o = s.output;
    EXPECT_FALSE(o.on || o.mono || o.clamp || o.hsv || o.rgb || o.alpha || o.bright || o.contrast ||
                 o.gamma);
}

TEST(SceneJson, ValuesAreReadAsDoubleAndRoundedToFloatOnce)
{
    StackDescription s = Parse(R"({"layers": [{}, {"opacity": 0.1, "color": [0.7, 16777217, -2.5],
        "mapEnabled": false, "maskEnabled": false, "mapUsed": false, "mode": 7}],
        "output": {"on": true, "hsv": [120, -0.5, 0.25], "rgb": [0.1, 0, 1], "alpha": 0.5,
                   "bright": 50, "contrast": 33.3, "gamma": 2.2, "mono": true, "clamp": false}})");
    const LayerDescription& l = s.layers[1];
    EXPECT_EQ(*l.opacity, 0.1f);
    EXPECT_EQ((*l.color)[0], 0.7f);
    EXPECT_EQ((*l.color)[1], 16777216.0f); // 2^24 + 1 rounds to even
    EXPECT_EQ((*l.color)[2], -2.5f);
    EXPECT_FALSE(*l.mapEnabled);
    EXPECT_FALSE(*l.maskEnabled);
    EXPECT_FALSE(*l.mapUsed);
    EXPECT_EQ(*l.mode, 7);
    const OutputDescription& o = s.output;
    EXPECT_TRUE(*o.on);
    EXPECT_EQ((*o.hsv)[0], 120.0f);
    EXPECT_EQ((*o.hsv)[1], -0.5f);
    EXPECT_EQ((*o.rgb)[0], 0.1f);
    EXPECT_EQ(*o.alpha, 0.5f);
    // Brightness and contrast are percent, as the editor shows them; the texture gets
    // (float)percent * 0.01f.
    EXPECT_EQ(*o.bright, 50.0f * 0.01f);
    EXPECT_EQ(*o.contrast, 33.3f * 0.01f);
    EXPECT_EQ(*o.gamma, 2.2f);
    EXPECT_TRUE(*o.mono);
    EXPECT_FALSE(*o.clamp);
}

TEST(SceneJson, EveryModeNameResolvesToItsIndexIgnoringCase)
{
    for (int i = 0; i < BLEND_MODE_COUNT; ++i) {
        std::string name = kBlendModes[i].name;
        EXPECT_EQ(*Parse(R"({"layers": [{}, {"mode": ")" + name + R"("}]})").layers[1].mode, i)
            << name;
        std::string upper = name;
        for (char& c : upper)
            c = (char)toupper((unsigned char)c);
        EXPECT_EQ(BlendModeIndexOf(TestHost().ModeNames(), upper), i) << upper;
    }
    EXPECT_EQ(*Parse(R"({"layers": [{"mode": "RGB red"}]})").layers[0].mode, 30);
    EXPECT_EQ(*Parse(R"({"layers": [{"mode": "Soft Light"}]})").layers[0].mode, 13);
}

TEST(ModeNames, TheLibrarysStringsAreTheEnginesNamesUnderThePublishedIds)
{
    // The program knows the modes only from the library; the engine's table is the reference.
    const std::vector<std::string>& names = TestHost().ModeNames();
    ASSERT_EQ(VORLITH_MODE_COUNT, BLEND_MODE_COUNT);
    ASSERT_EQ(names.size(), (size_t)BLEND_MODE_COUNT);
    for (int i = 0; i < BLEND_MODE_COUNT; ++i) {
        EXPECT_EQ(names[(size_t)i], kBlendModes[i].name) << i;
        EXPECT_EQ(VORLITH_MODE_NAME_ID(i), kBlendModes[i].nameId) << i;
    }
}

TEST(SceneJson, ModeIndicesOutsideTheTableAreKept)
{
    EXPECT_EQ(*Parse(R"({"layers": [{"mode": 35}]})").layers[0].mode, 35);
    EXPECT_EQ(*Parse(R"({"layers": [{"mode": -1}]})").layers[0].mode, -1);
    EXPECT_EQ(*Parse(R"({"layers": [{"mode": 2147483647}]})").layers[0].mode, 2147483647);
    EXPECT_EQ(*Parse(R"({"layers": [{"mode": 4.0}]})").layers[0].mode, 4);
}

TEST(SceneJson, TheBlendSpaceReachesTheTextureAndChangesOnlyItsLayer)
{
    const std::string stack = R"({"layers": [{"color": [0.2, 0.5, 0.8]},
        {"color": [0.6, 0.3, 0.1], "mode": "Screen")";
    SceneTexture linear = BuildFromJson(stack + "}]}");
    SceneTexture display = BuildFromJson(stack + R"(, "space": "display"}]})");
    SceneTexture named = BuildFromJson(stack + R"(, "space": "linear"}]})");
    EXPECT_EQ(LayersOf(display.Get())->GetBlendSpace(0), VORLITH_SPACE_LINEAR);
    EXPECT_EQ(LayersOf(display.Get())->GetBlendSpace(1), VORLITH_SPACE_DISPLAY);
    EXPECT_EQ(LayersOf(named.Get())->GetBlendSpace(1), VORLITH_SPACE_LINEAR);
    const AColor l = EvalColorAt(linear.Get(), 0.5f, 0.5f);
    const AColor d = EvalColorAt(display.Get(), 0.5f, 0.5f);
    EXPECT_EQ(l, EvalColorAt(named.Get(), 0.5f, 0.5f));
    // Screen on encoded values lightens these colours more than on linear ones.
    EXPECT_GT(d.r, l.r);
    EXPECT_GT(d.g, l.g);
    EXPECT_EQ(d.a, l.a);
}

TEST(SceneJson, SubMapsAndNestedTexturesAreRead)
{
    StackDescription s = Parse(R"({"layers": [
        {"map": {"type": "constant", "color": [1, 0.5, 0.25], "perturb": [0.1, 0.2, 0.3]},
         "mask": {"type": "checker", "color1": [1, 1, 1, 0.5], "scale": 3, "bump": 2}},
        {"map": {"type": "gradient", "direction": "radial", "colors": [[0,0,0],[1,0,0],[1,1,1,0]]},
         "mask": {"type": "noise", "octaves": 2, "seed": -5, "scale": 0.5}},
        {"map": {"type": "layers", "layers": [{"color": [1, 1, 1]}], "output": {"on": true}}}]})");
    const SubmapDescription& c = *s.layers[0].map;
    EXPECT_EQ(c.kind, PictureKind::Constant);
    EXPECT_EQ(c.params.color, (Rgba {1.0f, 0.5f, 0.25f, 1.0f})); // alpha 1 when left out
    EXPECT_EQ(c.params.perturb[2], 0.3f);
    const SubmapDescription& k = *s.layers[0].mask;
    EXPECT_EQ(k.kind, PictureKind::Checker);
    EXPECT_EQ(k.params.color1[3], 0.5f);
    EXPECT_EQ(k.params.scale, 3.0f);
    EXPECT_EQ(k.params.bump, 2.0f);
    EXPECT_EQ(k.where, "layers[0].mask");
    const SubmapDescription& g = *s.layers[1].map;
    EXPECT_EQ(g.params.direction, 2); // radial
    ASSERT_EQ(g.params.stops.size(), 3u);
    EXPECT_EQ(g.params.stops[2][3], 0.0f);
    EXPECT_EQ(s.layers[1].mask->params.seed, -5);
    const SubmapDescription& n = *s.layers[2].map;
    ASSERT_TRUE(n.stack);
    EXPECT_TRUE(*n.stack->output.on);
    EXPECT_EQ((*n.stack->layers[0].color)[0], 1.0f);
}

TEST(SceneJson, NullSubMapsAndCommentsAreAccepted)
{
    StackDescription s =
        Parse("// a comment\n{\"layers\": [{\"map\": null, /* here too */ \"mask\": null}]}");
    EXPECT_FALSE(s.layers[0].map);
    EXPECT_FALSE(s.layers[0].mask);
}

struct BadScene {
    const char* json;
    const char* message; // a part of the message, after "dir/scene.json: "
};

TEST(SceneJson, BadInputIsNamedByFileAndPath)
{
    const BadScene cases[] = {
        {R"({"layers": [{"mode": "Soft Lite"}]})",
         "layers[0].mode: unknown blend mode \"Soft Lite\""},
        {R"({"layers": [{}, {}, {"mode": "Nope"}]})", "layers[2].mode: unknown blend mode"},
        {R"({"layers": [{"mode": 2.5}]})", "layers[0].mode: expected an integer"},
        {R"({"layers": [{"mode": 4294967296}]})", "layers[0].mode: integer out of range"},
        {R"({"layers": [{"mode": true}]})", "layers[0].mode: expected a blend-mode name or index"},
        {R"({"layers": [{}, {"space": "sRGB"}]})", "layers[1].space: expected a blend space"},
        {R"({"layers": [{"space": 1}]})", "layers[0].space: expected a blend space"},
        {R"({"layers": [{"opacity": "50"}]})",
         "layers[0].opacity: expected a number, found a string"},
        {R"({"layers": [{"opacity": 1e39}]})",
         "layers[0].opacity: number out of range for a float"},
        {R"({"layers": [{"color": [1, 2]}]})", "layers[0].color: expected a colour [r, g, b]"},
        {R"({"layers": [{"color": [1, 2, "x"]}]})", "layers[0].color[2]: expected a number"},
        {R"({"layers": [{"mapUsed": 1}]})", "layers[0].mapUsed: expected true or false"},
        {R"({"layers": [{"opasity": 5}]})", "layers[0].opasity: unknown key \"opasity\""},
        {R"({"layers": [{}], "outptu": {}})", "outptu: unknown key"},
        {R"({"layers": [{}], "output": {"gamma": 0}})",
         "output.gamma: gamma must be 0.001 or more"},
        {R"({"layers": [{}], "output": {"hsv": [1, 2, 3, 4]}})", "output.hsv: expected [h, s, v]"},
        {R"({"layers": [{}], "output": {"brightness": 5}})", "output.brightness: unknown key"},
        {R"({"layers": []})", "layers: a layered texture needs at least one layer"},
        {R"({"layers": {}})", "layers: expected an array of layers"},
        {R"({"output": {}})", "(top level): no \"layers\""},
        {R"([1, 2])", "(top level): expected an object"},
        {R"({"layers": [{"map": {"color": [1, 1, 1]}}]})",
         "layers[0].map: sub-map without \"type\""},
        {R"({"layers": [{"map": {"type": "marble"}}]})",
         "layers[0].map.type: unknown sub-map type \"marble\""},
        {R"({"layers": [{"map": {"type": "checker", "scale": 0}}]})",
         "layers[0].map.scale: expected a number above 0"},
        {R"({"layers": [{"map": {"type": "checker", "colour1": [1, 1, 1]}}]})",
         "layers[0].map.colour1: unknown key"},
        {R"({"layers": [{"map": {"type": "constant", "perturb": [1, 1]}}]})",
         "layers[0].map.perturb: expected a vector"},
        {R"({"layers": [{"map": {"type": "gradient", "colors": [[1, 1, 1]]}}]})",
         "layers[0].map.colors: expected an array of 2 to 256 colours"},
        {R"({"layers": [{"map": {"type": "gradient", "direction": "w"}}]})",
         "layers[0].map.direction: expected \"u\", \"v\" or \"radial\""},
        {R"({"layers": [{"map": {"type": "noise", "octaves": 9}}]})",
         "layers[0].map.octaves: expected 1 to 8 octaves"},
        {R"({"layers": [{"map": {"type": "bitmap"}}]})", "layers[0].map: bitmap without \"file\""},
        {R"({"layers": [{"map": {"type": "bitmap", "file": "missing.png"}}]})",
         "layers[0].map.file: bitmap \"missing.png\" not found (looked for dir/missing.png)"},
        {R"({"layers": [{"map": {"type": "layers", "layers": [{"mask": {"type": "layers", "layers": [{"mode": "x"}]}}]}}]})",
         "layers[0].map.layers[0].mask.layers[0].mode: unknown blend mode"},
        {R"({"layers": [{"opacity": 1, "opacity": 2}]})", "layers[0].opacity: key given twice"},
        {R"({"layers": [{}, {"map": {"type": "checker", "scale": 2, "scale": 3}}]})",
         "layers[1].map.scale: key given twice"},
        {R"({"layers": [{"opacity": 1e400}]})", "malformed JSON"},
        {R"({"layers": [)",
         "malformed JSON at line 1, column 13, byte 13: syntax error while parsing value - "
         "unexpected end of input"},
        {"{\"layers\": [{}]}\n  x", "malformed JSON at line 2, column 3"},
        {"", "malformed JSON"},
        {"{\"layers\": [{\"mode\": \"\xff\"}]}", "malformed JSON"},
    };
    for (const BadScene& c : cases) {
        std::string message = ErrorOf(c.json);
        EXPECT_EQ(message.rfind("dir/scene.json: ", 0), 0u) << message;
        EXPECT_NE(message.find(c.message), std::string::npos)
            << "expected: " << c.message << "\n     got: " << message;
    }
}

TEST(SceneJson, UnknownModeMessageListsTheKnownNames)
{
    std::string message = ErrorOf(R"({"layers": [{"mode": "Lighter"}]})");
    EXPECT_NE(message.find("Normal, Multiply"), std::string::npos) << message;
    EXPECT_NE(message.find("Exact Difference, Subtraction"), std::string::npos) << message;
}

TEST(SceneJson, DeepNestingIsRefusedWithoutExhaustingTheStack)
{
    // Nested textures: 33 levels is one too many.
    std::string json = R"({"layers": [{}]})";
    for (int i = 0; i < 33; ++i)
        json = R"({"layers": [{"map": {"type": "layers", )" + json.substr(1) + "}]}";
    EXPECT_NE(ErrorOf(json).find("nested deeper than 32"), std::string::npos);
    // Plain JSON nesting far beyond any scene: an error, not a crash.
    std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_NE(ErrorOf(deep).find("(top level): expected an object"), std::string::npos);
    std::string deepValue =
        R"({"layers": [{"opacity": )" + std::string(100000, '[') + std::string(100000, ']') + "}]}";
    EXPECT_NE(ErrorOf(deepValue).find("layers[0].opacity: expected a number, found an array"),
              std::string::npos);
}

TEST(SceneJson, BitmapPathsAreRelativeToTheSceneFile)
{
    std::string folder = ScratchFolder("bitmap-path");
    WriteText(folder + "tile.png", "not read here");
    WriteText(folder + "scene.json",
              R"({"layers": [{"map": {"type": "bitmap", "file": "tile.png"}}]})");
    StackDescription s = LoadSceneJson(folder + "scene.json", TestHost().ModeNames());
    EXPECT_EQ(s.layers[0].map->params.file, folder + "tile.png");
}

TEST(SceneJson, AMissingSceneFileIsAnInputError)
{
    std::string folder = ScratchFolder("missing-scene");
    try {
        LoadSceneJson(folder + "nothing.json", TestHost().ModeNames());
        FAIL() << "no error";
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find("nothing.json: no such file"), std::string::npos)
            << e.what();
    }
}

} // namespace
