// What scripts and damaged or hostile scenes may do to a texture: indices and counts past the
// largest stack, block counts changed behind the texture's back, maps set past the end,
// references restored past the end, and copies. Nothing is lost, nothing overflows.
#include <climits>

#include <gtest/gtest.h>

#include "vorlith_fixture.h"

namespace {

class Hardening : public ::testing::Test {
protected:
    void SetUp() override
    {
        tex = NewVorlith();
        layers = Layers(tex);
    }
    void TearDown() override { DeleteTree(tex); }

    // Three layers with values of their own, told apart by opacity.
    void MakeThreeLayers()
    {
        layers->SetNumLayers(3);
        for (int i = 0; i < 3; ++i) {
            layers->SetOpacity(i, 10.0f + i);
            layers->SetBlendMode(i, 3 + i);
        }
    }
    void ExpectThreeLayers()
    {
        ASSERT_EQ(layers->GetNumLayers(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(layers->GetOpacity(i), 10.0f + i) << i;
            EXPECT_EQ(layers->GetBlendMode(i), 3 + i) << i;
        }
    }
    void Update()
    {
        Interval valid = FOREVER;
        tex->Update(0, valid);
    }

    Texmap* tex = nullptr;
    IVorlithLayers* layers = nullptr;
};

TEST_F(Hardening, IndicesAndCountsPastTheLargestStackAreRefused)
{
    const int lastSlot = 2 * VORLITH_MAX_LAYERS - 1;
    TestMap* map = new TestMap(L"refused");
    Watcher holder;
    holder.Hold(map);
    struct Row {
        const char* what;
        std::function<void()> act;
    } rows[] = {
        {"sub-map slot INT_MAX", [&] { tex->SetSubTexmap(INT_MAX, map); }},
        {"sub-map slot past the last", [&] { tex->SetSubTexmap(lastSlot + 1, map); }},
        {"reference INT_MAX", [&] { tex->ReplaceReference(INT_MAX, map); }},
        {"reference past the last slot", [&] { tex->ReplaceReference(lastSlot + 2, map); }},
        {"2^30 layers", [&] { static_cast<MultiTex*>(tex)->SetNumSubTexmaps(1 << 30); }},
        {"one layer too many", [&] { layers->SetNumLayers(VORLITH_MAX_LAYERS + 1); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.act();
        EXPECT_EQ(tex->NumSubTexmaps(), 2);
        EXPECT_EQ(layers->GetNumLayers(), 1);
        EXPECT_EQ(map->NumDependents(), 1) << "only the holder refers to it";
    }
    EXPECT_EQ(tex->SubNumToRefNum(INT_MAX), -1);
    EXPECT_STREQ(tex->GetSubTexmapSlotName(INT_MAX).data(), L"");
    EXPECT_STREQ(tex->GetSubTexmapSlotName(lastSlot).data(), L"Map 200000");
    holder.ReleaseAll();
    DeleteTree(map);
}

TEST_F(Hardening, TheLargestStackTakesNoInsertedLayer)
{
    layers->SetNumLayers(VORLITH_MAX_LAYERS);
    ASSERT_EQ(layers->GetNumLayers(), VORLITH_MAX_LAYERS);
    tex->SetSubTexmap(2 * VORLITH_MAX_LAYERS - 2, new TestMap(L"top"));
    layers->InsertLayer(1);
    EXPECT_EQ(layers->GetNumLayers(), VORLITH_MAX_LAYERS);
    EXPECT_EQ(NameOf(tex->GetSubTexmap(2 * VORLITH_MAX_LAYERS - 2)), L"top");
}

TEST_F(Hardening, ABlockCountOfZeroLosesNoLayerValues)
{
    MakeThreeLayers();
    Block(tex)->SetCount(pb_map_enabled, 0); // a script; the texture keeps its three layers
    Update();
    ExpectThreeLayers();
    layers->SetNumLayers(4);
    Update();
    EXPECT_EQ(layers->GetOpacity(2), 12.0f);
    EXPECT_EQ(layers->GetOpacity(3), VORLITH_NEW_LAYER_OPACITY);
}

TEST_F(Hardening, AMapSetPastTheEndSurvivesALaterScriptWrite)
{
    TestMap* map = new TestMap(L"far");
    tex->SetSubTexmap(4, map); // layer 2's map on a one-layer texture
    EXPECT_EQ(layers->GetNumLayers(), 3);
    Block(tex)->SetValue(pb_map_enabled, 0, FALSE, 0);
    EXPECT_EQ(tex->GetSubTexmap(4), map);
    EXPECT_EQ(layers->GetNumLayers(), 3);
    EXPECT_TRUE(layers->GetLayerUsed(2));
}

TEST_F(Hardening, LayersKnownOnlyByTheirSlotsGetTheirNumber)
{
    // A reference restored past the end leaves layers 1 and 2 as slots only; whichever makes
    // them layers (a new count, or the next update) numbers them like new layers.
    for (int path = 0; path < 2; ++path) {
        SCOPED_TRACE(path ? "update" : "new count");
        Texmap* t = NewVorlith();
        Block(t)->SetCount(pb_edit_ids, 3);
        static_cast<ReferenceMaker*>(t)->ReplaceReference(6, new TestMap(L"late"));
        if (path) {
            Interval valid = FOREVER;
            t->Update(0, valid);
        } else {
            Layers(t)->SetNumLayers(4);
        }
        IParamBlock2* pb = Block(t);
        EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 1), L"1");
        EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 2), L"2");
        EXPECT_EQ(Layers(t)->GetOpacity(2), VORLITH_NEW_LAYER_OPACITY);
        EXPECT_EQ(NameOf(t->GetSubTexmap(5)), L"late");
        DeleteTree(t);
    }
}

TEST_F(Hardening, InsertingBesideAnOddTrailingMapMakesAnEmptyLayer)
{
    layers->SetNumLayers(2);
    tex->SetSubTexmap(2, new TestMap(L"one"));
    static_cast<ReferenceMaker*>(tex)->ReplaceReference(5, new TestMap(L"odd")); // entry 4
    ASSERT_EQ(tex->NumSubTexmaps(), 5);
    layers->InsertLayer(1);
    ASSERT_EQ(layers->GetNumLayers(), 4);
    EXPECT_EQ(tex->GetSubTexmap(2), nullptr) << "the inserted layer is empty";
    EXPECT_EQ(NameOf(tex->GetSubTexmap(4)), L"one");
    EXPECT_EQ(NameOf(tex->GetSubTexmap(6)), L"odd");
}

TEST_F(Hardening, ACopysBlockReadsAndWritesTheCopysMaps)
{
    layers->SetNumLayers(2);
    tex->SetSubTexmap(2, new TestMap(L"original"));
    Texmap* copy = static_cast<Texmap*>(CloneRefHierarchy(tex));
    IParamBlock2* pb = Block(copy);
    Texmap* seen = nullptr;
    Interval scratch;
    ASSERT_TRUE(pb->GetValue(pb_map_list, 0, seen, scratch, 2));
    EXPECT_EQ(seen, copy->GetSubTexmap(2));
    EXPECT_NE(seen, nullptr);
    TestMap* replacement = new TestMap(L"replacement");
    EXPECT_TRUE(pb->SetValue(pb_map_list, 0, (Texmap*)replacement, 1));
    EXPECT_EQ(copy->GetSubTexmap(1), replacement);
    EXPECT_EQ(tex->GetSubTexmap(1), nullptr);
    DeleteTree(copy);
}

} // namespace
