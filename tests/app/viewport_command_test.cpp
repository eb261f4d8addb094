// `quiltra viewport` on the demo, as a user runs it: the stages it lists, the picture it draws
// (its top stage, opaque, covers the ones below), and bad input refused with nothing written.
#include "app_test_support.h"
#include "file_io.h"
#include "image_io.h"
#include "render.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace quiltra;
using namespace quiltra_test;

namespace {

TEST(ViewportCommand, DemoShowsItsFourLowestMapsTheTopOneOverTheOthers)
{
    const std::string demo = SourcePath("examples/demo.json");
    RunResult d = RunQuiltra({"viewport", demo, "--describe"});
    ASSERT_EQ(d.status, 0) << d.err;
    std::istringstream lines(d.out);
    const char* heads[] = {"stage 0 layer 0 map Gradient | ", "stage 1 layer 1 map Noise | ",
                           "stage 2 layer 2 map Checker | ", "stage 3 layer 4 map Noise | "};
    std::string line;
    for (const char* head : heads) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.rfind(head, 0), 0u) << line;
        EXPECT_NE(line.find("| SetTextureColorOp 13 | SetTextureAlphaOp 3 |"), std::string::npos)
            << line;
    }
    EXPECT_FALSE(std::getline(lines, line));

    // At the viewport's texture size each pixel centre is a texel centre: the picture is layer
    // 4's map as render samples it, to the 8-bit codes.
    const std::string folder = ScratchFolder("viewport-command");
    RunResult p = RunQuiltra({"viewport", demo, "-o", folder + "vp.png", "--size", "256x256"});
    ASSERT_EQ(p.status, 0) << p.err;
    int w = 0, h = 0;
    std::vector<std::uint8_t> shown;
    ASSERT_TRUE(DecodePng8(ReadBytes(folder + "vp.png"), w, h, shown));
    ASSERT_EQ(w, 256);
    ASSERT_EQ(h, 256);
    StackDescription scene = LoadSceneJson(demo, TestHost().ModeNames()), top;
    top.layers.push_back(std::move(scene.layers[4]));
    top.layers[0].mode.reset();
    top.layers[0].opacity.reset();
    SceneTexture map = BuildTexture(TestHost(), top, "layer 4");
    RenderSettings rs;
    rs.width = rs.height = 256;
    FloatImage rendered = RenderTexture(map.Get(), rs);
    std::vector<std::uint8_t> codes(rendered.rgba.size());
    PngCodes(rendered.rgba.data(), (size_t)w * h, codes.data());
    int worst = 0;
    for (size_t i = 0; i < codes.size(); ++i)
        worst = std::max(worst, std::abs((int)codes[i] - (int)shown[i]));
    EXPECT_LE(worst, 1);

    const std::vector<std::vector<std::string>> bad = {
        {"--stages", "-1"}, {"--describe"}, {"--path", "gpu"}, {"--size", "0x4"}};
    for (const std::vector<std::string>& extra : bad) {
        std::vector<std::string> args = {"viewport", demo, "-o", folder + "bad.png"};
        args.insert(args.end(), extra.begin(), extra.end());
        RunResult r = RunQuiltra(args);
        EXPECT_EQ(r.status, 2) << extra[0];
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(RunQuiltra({"viewport", demo}).status, 2) << "neither a picture nor --describe";
    EXPECT_FALSE(Exists(folder + "bad.png"));
}

} // namespace
