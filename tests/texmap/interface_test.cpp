// The published layer interface: each setter an edit as the editor makes it, bad input refused.
#include <cmath>

#include <gtest/gtest.h>

#include "vorlith_fixture.h"

#include <functional>

namespace {

class LayersInterface : public ::testing::Test {
protected:
    void SetUp() override
    {
        tex = NewVorlith();
        ASSERT_NE(tex, nullptr);
        layers = Layers(tex);
        ASSERT_NE(layers, nullptr);
        layers->SetNumLayers(2);
        // A white mask on layer 1 changes no colour; its Update count shows when the texture
        // asks its sub-maps again, that is when its validity was emptied.
        probe = new TestMap(L"probe", AColor(1.0f, 1.0f, 1.0f, 1.0f));
        probe->validity = Interval(0, 10);
        tex->SetSubTexmap(3, probe);
        watcher.Hold(tex);
    }
    void TearDown() override
    {
        watcher.ReleaseAll();
        DeleteTree(tex);
    }

    // Runs the edit on an up-to-date texture and tells whether it was treated as an edit:
    // the dependents are told and the validity is emptied, both or neither.
    template <class Edit>
    bool IsEdit(Edit edit)
    {
        Interval valid = FOREVER;
        tex->Update(0, valid);
        const int updates = probe->updates;
        const int messages = watcher.Count(REFMSG_CHANGE);
        edit();
        const bool notified = watcher.Count(REFMSG_CHANGE) > messages;
        valid = FOREVER;
        tex->Update(0, valid);
        const bool revalidated = probe->updates > updates;
        EXPECT_EQ(notified, revalidated) << "a notified edit empties the validity";
        return notified;
    }

    Texmap* tex = nullptr;
    IVorlithLayers* layers = nullptr;
    TestMap* probe = nullptr;
    Watcher watcher;
};

TEST_F(LayersInterface, IsPublishedUnderItsId)
{
    EXPECT_EQ(layers->GetID(), VORLITH_LAYERS_INTERFACE);
    EXPECT_EQ(tex->GetInterface(Interface_ID(1, 2)), nullptr);
    EXPECT_EQ(layers->GetNumLayers(), 2);
}

TEST_F(LayersInterface, SettersChangeTheValueAndNotify)
{
    EXPECT_TRUE(IsEdit([&] { layers->SetMapEnabled(1, FALSE); }));
    EXPECT_FALSE(layers->GetMapEnabled(1));
    EXPECT_TRUE(IsEdit([&] { layers->SetMaskEnabled(1, FALSE); }));
    EXPECT_FALSE(layers->GetMaskEnabled(1));
    EXPECT_TRUE(IsEdit([&] { layers->SetLayerUsed(1, FALSE); }));
    EXPECT_FALSE(layers->GetLayerUsed(1));
    EXPECT_TRUE(IsEdit([&] { layers->SetOpacity(1, 150.0f); }));
    EXPECT_EQ(layers->GetOpacity(1), 150.0f);
    EXPECT_TRUE(IsEdit([&] { layers->SetLayerColor(1, Color(0.25f, -1.0f, 2.0f)); }));
    EXPECT_EQ(layers->GetLayerColor(1), Color(0.25f, -1.0f, 2.0f));
    EXPECT_TRUE(IsEdit([&] { layers->SetBlendMode(1, 12); }));
    EXPECT_EQ(layers->GetBlendMode(1), 12);
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputEnabled(TRUE); }));
    EXPECT_TRUE(layers->GetOutputEnabled());
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputShiftHSV(Point3(30.0f, 0.5f, -0.5f)); }));
    EXPECT_EQ(layers->GetOutputShiftHSV(), Point3(30.0f, 0.5f, -0.5f));
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputShiftRGB(Point3(0.25f, 0.0f, 1.0f)); }));
    EXPECT_EQ(layers->GetOutputShiftRGB(), Point3(0.25f, 0.0f, 1.0f));
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputAlpha(0.5f); }));
    EXPECT_EQ(layers->GetOutputAlpha(), 0.5f);
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputBrightness(2.0f); }));
    EXPECT_EQ(layers->GetOutputBrightness(), 2.0f);
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputContrast(0.5f); }));
    EXPECT_EQ(layers->GetOutputContrast(), 0.5f);
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputGamma(2.2f); }));
    EXPECT_EQ(layers->GetOutputGamma(), 2.2f);
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputMono(TRUE); }));
    EXPECT_TRUE(layers->GetOutputMono());
    EXPECT_TRUE(IsEdit([&] { layers->SetOutputClamp(TRUE); }));
    EXPECT_TRUE(layers->GetOutputClamp());
}

TEST_F(LayersInterface, AnEditReachesTheNextEvaluation)
{
    host::SampleShadeContext sc;
    Interval valid = FOREVER;
    tex->Update(0, valid);
    sc.BeginSample();
    EXPECT_EQ(tex->EvalColor(sc), AColor(0.5f, 0.5f, 0.5f, 1.0f));
    layers->SetLayerColor(1, Color(1.0f, 0.0f, 0.25f));
    valid = FOREVER;
    tex->Update(0, valid);
    sc.BeginSample();
    EXPECT_EQ(tex->EvalColor(sc), AColor(1.0f, 0.0f, 0.25f, 1.0f));
}

TEST_F(LayersInterface, BadLayerIndexIsIgnored)
{
    for (int layer : {-1, 2, 100}) {
        SCOPED_TRACE(layer);
        EXPECT_FALSE(IsEdit([&] {
            layers->SetMapEnabled(layer, FALSE);
            layers->SetMaskEnabled(layer, FALSE);
            layers->SetLayerUsed(layer, FALSE);
            layers->SetOpacity(layer, 3.0f);
            layers->SetLayerColor(layer, Color(1.0f, 1.0f, 1.0f));
            layers->SetBlendMode(layer, 4);
        }));
        // Getters answer a new layer's defaults.
        EXPECT_TRUE(layers->GetMapEnabled(layer));
        EXPECT_EQ(layers->GetOpacity(layer), 100.0f);
        EXPECT_EQ(layers->GetLayerColor(layer), Color(0.5f, 0.5f, 0.5f));
        EXPECT_EQ(layers->GetBlendMode(layer), 0);
    }
    EXPECT_EQ(layers->GetNumLayers(), 2);
}

TEST_F(LayersInterface, NonFiniteFloatsAreRefused)
{
    const float nan = std::nanf("");
    const float inf = INFINITY;
    layers->SetOpacity(1, 40.0f);
    layers->SetOutputGamma(1.5f);
    EXPECT_FALSE(IsEdit([&] {
        layers->SetOpacity(1, nan);
        layers->SetOpacity(1, -inf);
        layers->SetLayerColor(1, Color(0.0f, nan, 0.0f));
        layers->SetOutputShiftHSV(Point3(inf, 0.0f, 0.0f));
        layers->SetOutputShiftRGB(Point3(0.0f, 0.0f, nan));
        layers->SetOutputAlpha(nan);
        layers->SetOutputBrightness(inf);
        layers->SetOutputContrast(-inf);
        layers->SetOutputGamma(nan);
    }));
    EXPECT_EQ(layers->GetOpacity(1), 40.0f);
    EXPECT_EQ(layers->GetLayerColor(1), Color(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(layers->GetOutputGamma(), 1.5f);
    EXPECT_EQ(layers->GetOutputBrightness(), 1.0f);
    EXPECT_EQ(layers->GetOutputShiftHSV(), Point3(0.0f, 0.0f, 0.0f));
}

TEST_F(LayersInterface, GammaStaysAtTheEditorsLowerLimit)
{
    layers->SetOutputGamma(0.0f);
    EXPECT_EQ(layers->GetOutputGamma(), 0.001f);
    layers->SetOutputGamma(-3.0f);
    EXPECT_EQ(layers->GetOutputGamma(), 0.001f);
    layers->SetOutputGamma(0.002f);
    EXPECT_EQ(layers->GetOutputGamma(), 0.002f);
}

TEST_F(LayersInterface, ModesOutsideTheTableAreKept)
{
    layers->SetBlendMode(1, 35);
    EXPECT_EQ(layers->GetBlendMode(1), 35);
    layers->SetBlendMode(1, -7);
    EXPECT_EQ(layers->GetBlendMode(1), -7);
    // Such a layer leaves the base as it is.
    layers->SetLayerColor(0, Color(0.2f, 0.4f, 0.6f));
    layers->SetLayerColor(1, Color(1.0f, 1.0f, 1.0f));
    host::SampleShadeContext sc;
    sc.BeginSample();
    EXPECT_EQ(tex->EvalColor(sc), AColor(0.2f, 0.4f, 0.6f, 1.0f));
}

TEST_F(LayersInterface, StructuralEditsNotifyOnlyWhenSomethingChanged)
{
    EXPECT_TRUE(IsEdit([&] { layers->SetNumLayers(3); }));
    EXPECT_TRUE(IsEdit([&] { layers->InsertLayer(1); }));
    EXPECT_EQ(layers->GetNumLayers(), 4);
    // Two layers just alike exchange to nothing; once they differ, the exchange is an edit.
    EXPECT_FALSE(IsEdit([&] { layers->SwapLayers(1, 3); }));
    layers->SetOpacity(3, 50.0f);
    EXPECT_TRUE(IsEdit([&] { layers->SwapLayers(1, 3); }));
    EXPECT_TRUE(IsEdit([&] { layers->DeleteLayer(3); }));
    EXPECT_EQ(tex->GetSubTexmap(5), probe);
    EXPECT_EQ(layers->GetNumLayers(), 3);
    EXPECT_FALSE(IsEdit([&] { layers->SetNumLayers(0); }));
    EXPECT_FALSE(IsEdit([&] { layers->SetNumLayers(3); }));
    EXPECT_FALSE(IsEdit([&] { layers->SwapLayers(0, 3); }));
    EXPECT_FALSE(IsEdit([&] { layers->InsertLayer(0); }));
    EXPECT_FALSE(IsEdit([&] { layers->DeleteLayer(3); }));
    EXPECT_EQ(layers->GetNumLayers(), 3);
}

// The layer actions: an edit where they act, nothing where the base layer's rules or the
// indices forbid it. Layers here: 0, 1 (the probe as its mask), 2.
TEST_F(LayersInterface, LayerActionsNotifyOnlyWhenSomethingChanged)
{
    layers->SetNumLayers(3);
    layers->ClearLayerClipboard();
    const struct {
        const char* what;
        std::function<void()> act;
    } nothing[] = {
        {"duplicate below the stack", [&] { layers->DuplicateLayer(-1); }},
        {"duplicate above the stack", [&] { layers->DuplicateLayer(3); }},
        {"base moved", [&] { layers->MoveLayer(0, 1); }},
        {"moved below the base", [&] { layers->MoveLayer(1, 0); }},
        {"moved past the top", [&] { layers->MoveLayer(1, 3); }},
        {"moved onto itself", [&] { layers->MoveLayer(2, 2); }},
        {"empty map cleared", [&] { layers->ClearLayerMap(1); }},
        {"map outside cleared", [&] { layers->ClearLayerMap(3); }},
        {"mask outside cleared", [&] { layers->ClearLayerMask(-1); }},
        {"nothing copied, pasted", [&] { layers->PasteLayer(1); }},
        {"copy outside", [&] { layers->CopyLayer(7); }},
    };
    for (const auto& c : nothing) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(IsEdit(c.act));
    }
    EXPECT_FALSE(layers->CanPasteLayer());
    layers->CopyLayer(1);
    ASSERT_TRUE(layers->CanPasteLayer());
    EXPECT_FALSE(IsEdit([&] { layers->PasteLayer(0); })); // below the base
    EXPECT_FALSE(IsEdit([&] { layers->PasteLayer(4); })); // past the top
    EXPECT_EQ(layers->GetNumLayers(), 3);

    EXPECT_TRUE(IsEdit([&] { layers->MoveLayer(1, 2); }));
    EXPECT_EQ(tex->GetSubTexmap(5), probe);
    EXPECT_TRUE(IsEdit([&] { layers->PasteLayer(3); })); // on top
    EXPECT_EQ(layers->GetNumLayers(), 4);
    EXPECT_EQ(AsTestMap(tex->GetSubTexmap(7))->color.r, 1.0f);
    EXPECT_NE(tex->GetSubTexmap(7), probe);
    EXPECT_TRUE(IsEdit([&] { layers->DuplicateLayer(0); }));
    EXPECT_EQ(layers->GetNumLayers(), 5);
    // Layers now: 0, its copy, 1 (emptied by the move), 1's old values with the probe, the
    // pasted copy of them.
    EXPECT_EQ(tex->GetSubTexmap(7), probe);
    EXPECT_TRUE(IsEdit([&] { layers->ClearLayerMask(4); }));
    EXPECT_EQ(tex->GetSubTexmap(9), nullptr);
    EXPECT_EQ(tex->GetSubTexmap(7), probe);
    layers->ClearLayerClipboard();
}

} // namespace
