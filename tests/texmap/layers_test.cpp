// The layer-list operations: counts, defaults, labels, order, released maps, messages.
#include <gtest/gtest.h>

#include "vorlith_fixture.h"

namespace {

class LayerList : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestMap::Deleted().clear();
        tex = NewVorlith();
        ASSERT_NE(tex, nullptr);
        layers = Layers(tex);
        ASSERT_NE(layers, nullptr);
    }
    void TearDown() override { DeleteTree(tex); }

    // Layers P, Q, R, each with its own map, mask, opacity, colour and mode.
    void MakePQR()
    {
        layers->SetNumLayers(3);
        const wchar_t* names[3] = {L"P", L"Q", L"R"};
        for (int i = 0; i < 3; ++i) {
            tex->SetSubTexmap(2 * i, new TestMap((std::wstring(names[i]) + L"-map").c_str()));
            tex->SetSubTexmap(2 * i + 1, new TestMap((std::wstring(names[i]) + L"-mask").c_str()));
            layers->SetOpacity(i, 10.0f * (i + 1));
            layers->SetLayerColor(i, Color(0.1f * (i + 1), 0.0f, 0.0f));
            layers->SetBlendMode(i, i + 1);
        }
        layers->SetLayerUsed(1, FALSE);
    }

    // The layer's letter as its map's name says, "new" for a layer without maps.
    std::wstring LayerName(int i)
    {
        std::wstring map = NameOf(tex->GetSubTexmap(2 * i));
        if (map.empty()) return L"new";
        return map.substr(0, map.find(L'-'));
    }

    std::wstring Order()
    {
        std::wstring s;
        for (int i = 0; i < layers->GetNumLayers(); ++i)
            s += (i ? L"," : L"") + LayerName(i);
        return s;
    }

    void ExpectNewLayer(int i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(tex->GetSubTexmap(2 * i), nullptr);
        EXPECT_EQ(tex->GetSubTexmap(2 * i + 1), nullptr);
        EXPECT_TRUE(layers->GetMapEnabled(i));
        EXPECT_TRUE(layers->GetMaskEnabled(i));
        EXPECT_TRUE(layers->GetLayerUsed(i));
        EXPECT_EQ(layers->GetOpacity(i), 100.0f);
        EXPECT_EQ(layers->GetLayerColor(i), Color(0.5f, 0.5f, 0.5f));
        EXPECT_EQ(layers->GetBlendMode(i), 0);
    }

    void ExpectBlockCounts(int n)
    {
        IParamBlock2* pb = Block(tex);
        EXPECT_EQ(pb->Count(pb_map_list), 2 * n);
        for (ParamID id = 1; id <= 7; ++id)
            EXPECT_EQ(pb->Count(id), n) << "parameter " << id;
        EXPECT_EQ(tex->NumSubTexmaps(), 2 * n);
        EXPECT_EQ(tex->NumRefs(), 2 * n + 1);
    }

    Texmap* tex = nullptr;
    IVorlithLayers* layers = nullptr;
};

TEST_F(LayerList, GrowingAddsDefaultLayersWithLabels)
{
    layers->SetOpacity(0, 55.0f);
    layers->SetNumLayers(3);
    EXPECT_EQ(layers->GetNumLayers(), 3);
    ExpectBlockCounts(3);
    ExpectNewLayer(1);
    ExpectNewLayer(2);
    EXPECT_EQ(layers->GetOpacity(0), 55.0f);
    IParamBlock2* pb = Block(tex);
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 1), L"1");
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 2), L"2");
}

TEST_F(LayerList, InvalidCountsChangeNothingAndTellNobody)
{
    layers->SetNumLayers(2);
    Watcher watcher;
    watcher.Hold(tex);
    for (int n : {0, -1, 2}) {
        static_cast<MultiTex*>(tex)->SetNumSubTexmaps(n);
        EXPECT_EQ(layers->GetNumLayers(), 2) << n;
    }
    EXPECT_EQ(watcher.Count(REFMSG_CHANGE), 0);
    ExpectBlockCounts(2);
    watcher.ReleaseAll();
}

TEST_F(LayerList, ShrinkingDeactivatesAndReleasesTheTopLayers)
{
    layers->SetNumLayers(4);
    Watcher holder; // keeps layer 2's map alive to see what was done to it
    TestMap* kept = new TestMap(L"kept");
    kept->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED);
    holder.Hold(kept);
    tex->SetSubTexmap(4, kept);
    tex->SetSubTexmap(7, new TestMap(L"top-mask"));
    tex->SetSubTexmap(2, new TestMap(L"stays"));

    layers->SetNumLayers(2);
    ExpectBlockCounts(2);
    EXPECT_EQ(tex->NumRefs(), 5);
    EXPECT_EQ(kept->displayOffCalls, 1);
    EXPECT_FALSE(kept->TestMtlFlag(MTL_TEX_DISPLAY_ENABLED));
    EXPECT_TRUE(TestMap::WasDeleted(L"top-mask"));
    EXPECT_FALSE(TestMap::WasDeleted(L"kept"));
    EXPECT_EQ(NameOf(tex->GetSubTexmap(2)), L"stays");
    EXPECT_EQ(kept->NumDependents(), 1); // only the holder refers to it now
    holder.ReleaseAll();
    DeleteTree(kept);
}

TEST_F(LayerList, LayersKnownOnlyByTheirSlotsGetDefaultsWhenTheyBecomeLayers)
{
    // A sub-map set past the end makes three layers' worth of slots over one-entry tables.
    tex->SetSubTexmap(5, new TestMap(L"far-mask"));
    layers->SetOpacity(0, 20.0f);
    layers->SetNumLayers(4);
    ExpectBlockCounts(4);
    EXPECT_EQ(layers->GetOpacity(0), 20.0f);
    for (int i = 1; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(layers->GetLayerUsed(i));
        EXPECT_EQ(layers->GetOpacity(i), 100.0f);
        EXPECT_EQ(layers->GetLayerColor(i), Color(0.5f, 0.5f, 0.5f));
        EXPECT_EQ(layers->GetBlendMode(i), 0);
    }
    EXPECT_EQ(NameOf(tex->GetSubTexmap(5)), L"far-mask");
}

TEST_F(LayerList, ASubMapPastTheLastWholeLayerIsNeverDroppedUnreleased)
{
    layers->SetNumLayers(2);
    TestMap* odd = new TestMap(L"odd");
    tex->SetSubTexmap(4, odd); // five entries: the map slot of a third layer
    layers->SetNumLayers(3);
    EXPECT_EQ(tex->GetSubTexmap(4), odd);
    EXPECT_EQ(odd->NumDependents(), 1);
    ExpectBlockCounts(3);

    tex->SetSubTexmap(6, new TestMap(L"odd-too")); // seven entries
    layers->SetNumLayers(1);
    ExpectBlockCounts(1);
    EXPECT_TRUE(TestMap::WasDeleted(L"odd"));
    EXPECT_TRUE(TestMap::WasDeleted(L"odd-too"));
}

TEST_F(LayerList, InsertPutsADefaultLayerBetween)
{
    MakePQR();
    layers->InsertLayer(1);
    EXPECT_EQ(Order(), L"P,new,Q,R");
    ExpectBlockCounts(4);
    ExpectNewLayer(1);
    EXPECT_EQ(layers->GetOpacity(2), 20.0f);
    EXPECT_FALSE(layers->GetLayerUsed(2));
    EXPECT_EQ(layers->GetBlendMode(3), 3);
    EXPECT_EQ(NameOf(tex->GetSubTexmap(5)), L"Q-mask");
    EXPECT_EQ(NameOf(tex->GetSubTexmap(7)), L"R-mask");
}

TEST_F(LayerList, DeleteRemovesTheLayerAndReleasesItsMaps)
{
    MakePQR();
    layers->DeleteLayer(1);
    EXPECT_EQ(Order(), L"P,R");
    ExpectBlockCounts(2);
    EXPECT_TRUE(TestMap::WasDeleted(L"Q-map"));
    EXPECT_TRUE(TestMap::WasDeleted(L"Q-mask"));
    EXPECT_FALSE(TestMap::WasDeleted(L"R-map"));
    EXPECT_EQ(NameOf(tex->GetSubTexmap(3)), L"R-mask");
    EXPECT_EQ(layers->GetOpacity(1), 30.0f);
    EXPECT_EQ(layers->GetBlendMode(1), 3);
    EXPECT_TRUE(layers->GetLayerUsed(1));
}

TEST_F(LayerList, InsertAndDeleteRefuseTheBaseAndTheTop)
{
    MakePQR();
    Watcher watcher;
    watcher.Hold(tex);
    for (int k : {0, 3, -1, 9}) {
        layers->InsertLayer(k);
        layers->DeleteLayer(k);
    }
    EXPECT_EQ(Order(), L"P,Q,R");
    EXPECT_EQ(watcher.Count(REFMSG_CHANGE), 0);
    watcher.ReleaseAll();
}

TEST_F(LayerList, SwapExchangesEverythingButTheLabels)
{
    MakePQR();
    IParamBlock2* pb = Block(tex);
    pb->SetValue(pb_edit_ids, 0, L"first", 0);
    pb->SetValue(pb_edit_ids, 0, L"third", 2);
    layers->SwapLayers(0, 2);
    EXPECT_EQ(Order(), L"R,Q,P");
    EXPECT_EQ(NameOf(tex->GetSubTexmap(1)), L"R-mask");
    EXPECT_EQ(NameOf(tex->GetSubTexmap(5)), L"P-mask");
    // The references exchanged targets: none was released or added.
    EXPECT_EQ(tex->GetReference(1), tex->GetSubTexmap(0));
    EXPECT_EQ(tex->GetSubTexmap(0)->NumDependents(), 1);
    EXPECT_EQ(layers->GetOpacity(0), 30.0f);
    EXPECT_EQ(layers->GetOpacity(2), 10.0f);
    EXPECT_EQ(layers->GetLayerColor(0), Color(0.3f, 0.0f, 0.0f));
    EXPECT_EQ(layers->GetBlendMode(0), 3);
    EXPECT_EQ(layers->GetBlendMode(2), 1);
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 0), L"first");
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 2), L"third");

    // Out-of-range swaps change nothing.
    layers->SwapLayers(-1, 0);
    layers->SwapLayers(0, 3);
    EXPECT_EQ(Order(), L"R,Q,P");
}

TEST_F(LayerList, SetNumMapsMessages)
{
    IParamBlock2* pb = Block(tex);
    Watcher texWatcher;
    texWatcher.Hold(tex);
    Watcher blockWatcher;
    blockWatcher.watchedTexture = tex;
    blockWatcher.Hold(pb);

    layers->SetNumLayers(3);

    // The texture's own mapList has its new size before the block's first count changes, and
    // the per-layer counts change with the macro recorder off, in the order of the per-layer
    // value list (texmap/vorlith_layer_values.h).
    std::vector<ParamID> order;
    for (const SeenMessage& m : blockWatcher.seen) {
        if (m.message != REFMSG_CHANGE) continue;
        EXPECT_EQ(m.texSubmaps, 6);
        if (order.empty() || order.back() != m.lastParam) order.push_back(m.lastParam);
        // (edit_ids also changes after, when the new layers get their labels.)
        if (m.lastParam != pb_map_list && m.lastParam != pb_edit_ids) {
            EXPECT_GT(m.disableCount, 0) << "parameter " << m.lastParam;
        }
    }
    ASSERT_GE(order.size(), 7u);
    const ParamID expected[] = {pb_map_list,     pb_map_enabled, pb_mask_enabled, pb_map_used,
                                pb_opasity_list, pb_color_list,  pb_mode_list,    pb_edit_ids};
    for (size_t i = 0; i < order.size() && i < 8; ++i)
        EXPECT_EQ(order[i], expected[i]) << i;
    EXPECT_EQ(macroRecorder->DisableCount(), 0);

    // The texture's dependents hear of it, the last time once everything is in place.
    ASSERT_GE(texWatcher.Count(REFMSG_CHANGE), 1);
    EXPECT_EQ(texWatcher.seen.back().message, (RefMessage)REFMSG_CHANGE);
    EXPECT_EQ(texWatcher.seen.back().from, tex);
    blockWatcher.ReleaseAll();
    texWatcher.ReleaseAll();
}

} // namespace
