// Evaluation through the texture: the same results as the engine given the same tables, the
// shading context's cache and G-buffer id, and a few values worked by hand.
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "layer_stack.h"
#include "vorlith_fixture.h"

namespace {

// The engine driven directly over the texture's sub-maps, without cache or G-buffer.
struct DirectAccess {
    Texmap* tex;
    ShadeContext* sc;
    bool HasMap(int entry) const
    {
        return entry < tex->NumSubTexmaps() && tex->GetSubTexmap(entry);
    }
    AColor EvalColor(int entry) { return tex->GetSubTexmap(entry)->EvalColor(*sc); }
    Point3 EvalNormalPerturb(int entry) { return tex->GetSubTexmap(entry)->EvalNormalPerturb(*sc); }
    bool GetCache(AColor&) { return false; }
    void PutCache(const AColor&) { }
    int GBufferID() const { return 0; }
    void SetGBufferID(int) { }
};

// The texture's tables read back through its published interface.
struct Tables {
    std::vector<int> mapEnabled, maskEnabled, mapUsed, modes;
    std::vector<float> opacity;
    std::vector<Color> colors;
    LayerTables view;
    OutputSettings output;

    explicit Tables(Texmap* tex)
    {
        IVorlithLayers* l = Layers(tex);
        const int n = l->GetNumLayers();
        for (int i = 0; i < n; ++i) {
            mapEnabled.push_back(l->GetMapEnabled(i));
            maskEnabled.push_back(l->GetMaskEnabled(i));
            mapUsed.push_back(l->GetLayerUsed(i));
            modes.push_back(l->GetBlendMode(i));
            opacity.push_back(l->GetOpacity(i));
            colors.push_back(l->GetLayerColor(i));
        }
        view =
            ViewLayerTables(tex->NumSubTexmaps(), TableView<int>(mapEnabled.data(), n),
                            TableView<int>(maskEnabled.data(), n),
                            TableView<int>(mapUsed.data(), n), TableView<float>(opacity.data(), n),
                            TableView<Color>(colors.data(), n), TableView<int>(modes.data(), n));
        output.Output_on = l->GetOutputEnabled() != FALSE;
        output.Clamp = l->GetOutputClamp() != FALSE;
        output.Mono = l->GetOutputMono() ? 1.0f : 0.0f;
        output.alpha = l->GetOutputAlpha();
        output.bright = l->GetOutputBrightness();
        output.contrast = l->GetOutputContrast();
        output.gamma = l->GetOutputGamma();
        Point3 hsv = l->GetOutputShiftHSV(), rgb = l->GetOutputShiftRGB();
        output.outputShiftHSV = AColor(hsv.x, hsv.y, hsv.z, 0.0f);
        output.outputShiftRGB = AColor(rgb.x, rgb.y, rgb.z, 0.0f);
    }
};

bool SameBits(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

class Evaluation : public ::testing::Test {
protected:
    void SetUp() override
    {
        tex = NewVorlith();
        ASSERT_NE(tex, nullptr);
        layers = Layers(tex);
        sc.BeginSample();
    }
    void TearDown() override { DeleteTree(tex); }

    void Refresh()
    {
        Interval valid = FOREVER;
        tex->Update(0, valid);
        sc.BeginSample();
    }

    // Colour, mono and bump of a fresh sample against the engine driven directly over the
    // tables read back through the published interface.
    void ExpectWhatTheEngineGives()
    {
        Tables t(tex);
        DirectAccess direct = {tex, &sc};
        const AColor expected = EvalLayerColor(t.view, t.output, direct);
        const Point3 expectedBump = EvalLayerPerturb(t.view, direct);

        sc.BeginSample();
        const AColor got = tex->EvalColor(sc);
        EXPECT_TRUE(SameBits(&got, &expected, sizeof(AColor)))
            << got.r << " " << got.g << " " << got.b << " " << got.a << " vs " << expected.r << " "
            << expected.g << " " << expected.b << " " << expected.a;
        sc.BeginSample();
        const float mono = tex->EvalMono(sc);
        const float expectedMono = MeanOf(expected);
        EXPECT_TRUE(SameBits(&mono, &expectedMono, sizeof(float)))
            << mono << " vs " << expectedMono;
        sc.BeginSample();
        const Point3 bump = tex->EvalNormalPerturb(sc);
        EXPECT_TRUE(SameBits(&bump, &expectedBump, sizeof(Point3)));
    }

    Texmap* tex = nullptr;
    IVorlithLayers* layers = nullptr;
    host::SampleShadeContext sc;
};

TEST_F(Evaluation, RandomStacksGiveWhatTheEngineGives)
{
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> mode(0, 36);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const int n = 1 + round % 6;
        layers->SetNumLayers(n);
        for (int i = 0; i < n; ++i) {
            layers->SetMapEnabled(i, unit(rng) < 0.7f);
            layers->SetMaskEnabled(i, unit(rng) < 0.6f);
            layers->SetLayerUsed(i, unit(rng) < 0.8f);
            layers->SetOpacity(i, unit(rng) * 100.0f);
            layers->SetLayerColor(i, Color(unit(rng), unit(rng), unit(rng)));
            layers->SetBlendMode(i, mode(rng) - 1);
            TestMap* map = nullptr;
            if (unit(rng) < 0.6f) {
                map = new TestMap(L"", AColor(unit(rng), unit(rng), unit(rng), unit(rng)));
                map->perturb = Point3(unit(rng) - 0.5f, unit(rng) - 0.5f, unit(rng) - 0.5f);
            }
            tex->SetSubTexmap(2 * i, map);
            TestMap* mask = nullptr;
            if (unit(rng) < 0.4f)
                mask = new TestMap(L"", AColor(unit(rng), unit(rng), unit(rng), unit(rng)));
            tex->SetSubTexmap(2 * i + 1, mask);
        }
        layers->SetOutputEnabled(round % 3 == 0);
        layers->SetOutputClamp(round % 2 == 0);
        layers->SetOutputMono(round % 5 == 0);
        layers->SetOutputShiftHSV(
            Point3(unit(rng) * 60.0f - 30.0f, unit(rng) - 0.5f, unit(rng) - 0.5f));
        layers->SetOutputShiftRGB(Point3(unit(rng) - 0.5f, unit(rng) - 0.5f, unit(rng) - 0.5f));
        layers->SetOutputAlpha(unit(rng) - 0.5f);
        layers->SetOutputBrightness(unit(rng) * 2.0f);
        layers->SetOutputContrast(unit(rng) * 2.0f);
        layers->SetOutputGamma(0.5f + unit(rng) * 2.0f);
        Refresh();
        ExpectWhatTheEngineGives();
    }
}

// Every kind of edit made after Update is followed by the next sample without another Update:
// each one drops the texture's layer plan (or the plan follows it), and the rebuilt plan after
// Update agrees again.
TEST_F(Evaluation, EditsAfterUpdateAreFollowedWithOrWithoutAnotherUpdate)
{
    auto expectEngine = [this](const char* step) {
        for (int pass = 0; pass < 2; ++pass) { // as edited, then after Update
            SCOPED_TRACE(std::string(step) + (pass ? " after Update" : ""));
            ExpectWhatTheEngineGives();
            Refresh();
        }
    };
    auto map = [](float r, float g, float b, float a) {
        TestMap* m = new TestMap(L"", AColor(r, g, b, a));
        m->perturb = Point3(r - 0.5f, g - 0.5f, b - 0.5f);
        return m;
    };
    expectEngine("never updated");
    layers->SetNumLayers(3);
    tex->SetSubTexmap(0, map(0.2f, 0.4f, 0.6f, 1.0f));
    tex->SetSubTexmap(2, map(0.9f, 0.1f, 0.3f, 0.8f));
    tex->SetSubTexmap(5, map(0.5f, 0.7f, 0.1f, 1.0f));
    layers->SetBlendMode(1, 1);
    layers->SetBlendMode(2, 22);
    Refresh();
    expectEngine("stack of three");
    layers->SetLayerColor(2, Color(0.1f, 0.9f, 0.4f));
    expectEngine("flat colour");
    layers->SetMapEnabled(2, FALSE);
    layers->SetMaskEnabled(2, FALSE);
    expectEngine("switches");
    layers->SetLayerUsed(1, FALSE);
    expectEngine("layer out of use");
    layers->SetOpacity(2, 30.0f);
    layers->SetBlendMode(2, 13);
    expectEngine("opacity and mode");
    tex->SetSubTexmap(2, map(0.3f, 0.3f, 0.9f, 0.5f));
    expectEngine("map replaced");
    tex->SetSubTexmap(0, nullptr);
    expectEngine("map removed");
    layers->SwapLayers(1, 2);
    expectEngine("layers swapped");
    layers->InsertLayer(1);
    expectEngine("layer inserted");
    layers->DeleteLayer(2);
    expectEngine("layer deleted");
    layers->SetNumLayers(5);
    expectEngine("layers added");
    Block(tex)->SetCount(pb_map_enabled, 2); // a script shortens the stack
    expectEngine("count changed from outside");
    layers->SetOutputEnabled(TRUE);
    layers->SetOutputGamma(2.2f);
    expectEngine("Output on");
    layers->SetOutputGamma(0.5f);
    layers->SetOutputShiftHSV(Point3(30.0f, 0.1f, 0.0f));
    expectEngine("Output settings");

    // A copy evaluates as the original, updated or not.
    Texmap* copy = static_cast<Texmap*>(CloneRefHierarchy(tex));
    std::swap(tex, copy);
    expectEngine("copy");
    std::swap(tex, copy);
    DeleteTree(copy);
}

TEST_F(Evaluation, MultiplyAtHalfOpacityByHand)
{
    layers->SetNumLayers(2);
    layers->SetLayerColor(0, Color(0.2f, 0.4f, 0.6f));
    layers->SetLayerColor(1, Color(1.0f, 0.0f, 0.5f));
    layers->SetBlendMode(1, 1);
    layers->SetOpacity(1, 50.0f);
    Refresh();
    // F = b·l; t = F·0.5 + 0.5·b; coverage 1 keeps t. Alpha: F = 1·1.
    AColor c = tex->EvalColor(sc);
    EXPECT_FLOAT_EQ(c.r, 0.2f);
    EXPECT_FLOAT_EQ(c.g, 0.2f);
    EXPECT_FLOAT_EQ(c.b, 0.45f);
    EXPECT_EQ(c.a, 1.0f);
}

TEST_F(Evaluation, BottomLayerWeightsByAlphaOrMask)
{
    TestMap* map = new TestMap(L"", AColor(0.8f, 0.4f, 0.2f, 0.5f));
    tex->SetSubTexmap(0, map);
    Refresh();
    EXPECT_EQ(tex->EvalColor(sc), AColor(0.4f, 0.2f, 0.1f, 0.25f));

    // A flat bottom layer with a grey mask: colour halved, alpha 0.5. The mask's own alpha
    // plays no part.
    layers->SetMapEnabled(0, FALSE);
    layers->SetLayerColor(0, Color(0.6f, 0.2f, 1.0f));
    tex->SetSubTexmap(1, new TestMap(L"", AColor(0.5f, 0.5f, 0.5f, 0.0f)));
    Refresh();
    const float m = (0.5f + 0.5f + 0.5f) * 0.33333334f;
    EXPECT_EQ(tex->EvalColor(sc), AColor(0.6f * m, 0.2f * m, 1.0f * m, m));
    EXPECT_EQ(map->colorEvals, 1);
}

TEST_F(Evaluation, MonoIsTheMeanOfTheColour)
{
    layers->SetLayerColor(0, Color(0.3f, 0.6f, 0.9f));
    Refresh();
    EXPECT_FLOAT_EQ(tex->EvalMono(sc), 0.6f);
    layers->SetOutputEnabled(TRUE);
    layers->SetOutputMono(TRUE);
    Refresh();
    AColor c = tex->EvalColor(sc);
    EXPECT_FLOAT_EQ(c.r, 0.6f);
    EXPECT_EQ(c.r, c.g);
    EXPECT_EQ(c.g, c.b);
}

TEST_F(Evaluation, CacheAndGBufferOfTheShadingContext)
{
    TestMap* map = new TestMap(L"", AColor(0.1f, 0.2f, 0.3f, 1.0f));
    tex->SetSubTexmap(0, map);
    tex->SetGBufferID(7);
    Refresh();
    const AColor first = tex->EvalColor(sc);
    EXPECT_EQ(sc.GBufferID(), 7);
    EXPECT_EQ(map->colorEvals, 1);

    // Within one sample the cached colour comes back without evaluating anything, even after
    // the texture changed.
    layers->SetLayerColor(0, Color(1.0f, 1.0f, 1.0f));
    layers->SetMapEnabled(0, FALSE);
    EXPECT_EQ(tex->EvalColor(sc), first);
    EXPECT_FLOAT_EQ(tex->EvalMono(sc), MeanOf(first));
    EXPECT_EQ(map->colorEvals, 1);

    sc.BeginSample();
    EXPECT_EQ(tex->EvalColor(sc), AColor(1.0f, 1.0f, 1.0f, 1.0f));

    // The bump walk passes the id too but neither reads nor fills the cache.
    sc.BeginSample();
    tex->EvalNormalPerturb(sc);
    EXPECT_EQ(sc.GBufferID(), 7);
    EXPECT_EQ(sc.CacheCount(), 0);
}

TEST_F(Evaluation, BumpByHand)
{
    layers->SetNumLayers(2);
    TestMap* base = new TestMap();
    base->perturb = Point3(0.1f, 0.2f, 0.3f);
    tex->SetSubTexmap(0, base);
    tex->SetSubTexmap(1, new TestMap(L"", AColor(0.3f, 0.6f, 0.9f, 0.0f)));
    layers->SetLayerUsed(1, FALSE);
    Refresh();
    const float m = (0.6f + 0.3f + 0.9f) * 0.33333334f;
    const Point3 b(0.1f * m, 0.2f * m, 0.3f * m);
    EXPECT_EQ(tex->EvalNormalPerturb(sc), b);

    // "Normal" at full opacity with mask weight 0.5 gives 0.25·P + 0.5·b.
    layers->SetLayerUsed(1, TRUE);
    TestMap* top = new TestMap();
    top->perturb = Point3(1.0f, -1.0f, 0.5f);
    tex->SetSubTexmap(2, top);
    tex->SetSubTexmap(3, new TestMap(L"", AColor(0.5f, 0.5f, 0.5f, 1.0f)));
    Refresh();
    const Point3 got = tex->EvalNormalPerturb(sc);
    EXPECT_FLOAT_EQ(got.x, 0.25f * 1.0f + 0.5f * b.x);
    EXPECT_FLOAT_EQ(got.y, 0.25f * -1.0f + 0.5f * b.y);
    EXPECT_FLOAT_EQ(got.z, 0.25f * 0.5f + 0.5f * b.z);

    // Output settings and flat colours have no effect on the bump.
    layers->SetOutputEnabled(TRUE);
    layers->SetOutputBrightness(3.0f);
    layers->SetLayerColor(1, Color(9.0f, 9.0f, 9.0f));
    Refresh();
    EXPECT_EQ(tex->EvalNormalPerturb(sc), got);
}

} // namespace
