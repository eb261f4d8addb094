// The texture's structure as the host asks for it: references, sub-maps, sub-anims, change
// messages, validity and Reset.
#include <gtest/gtest.h>

#include "vorlith_fixture.h"

namespace {

class Texture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestMap::Deleted().clear();
        tex = NewVorlith();
        ASSERT_NE(tex, nullptr);
    }
    void TearDown() override { DeleteTree(tex); }
    Texmap* tex = nullptr;
};

TEST_F(Texture, NewTextureHasOneLayer)
{
    EXPECT_EQ(tex->NumRefs(), 3);
    EXPECT_EQ(tex->NumSubs(), 2);
    EXPECT_EQ(tex->NumSubTexmaps(), 2);
    EXPECT_EQ(tex->GetReference(0), Block(tex));
    EXPECT_EQ(tex->GetReference(1), nullptr);
    EXPECT_EQ(tex->GetReference(2), nullptr);
    EXPECT_EQ(tex->GetSubTexmap(0), nullptr);
    EXPECT_EQ(tex->SubAnim(0), nullptr);
    EXPECT_EQ(Layers(tex)->GetNumLayers(), 1);
}

TEST_F(Texture, SlotNamesCountSubMapsFromOne)
{
    EXPECT_STREQ(tex->GetSubTexmapSlotName(0).data(), L"Map 1");
    EXPECT_STREQ(tex->GetSubTexmapSlotName(1).data(), L"Map 2");
    EXPECT_STREQ(tex->GetSubTexmapSlotName(4).data(), L"Map 5");
    EXPECT_STREQ(tex->SubAnimName(1).data(), L"Map 2");
    EXPECT_EQ(tex->SubNumToRefNum(0), 1);
    EXPECT_EQ(tex->SubNumToRefNum(3), 4);
    EXPECT_EQ(tex->SubTexmapOn(0), 1);
    EXPECT_EQ(tex->SubTexmapOn(7), 1);
    EXPECT_EQ(tex->GetRefTarget(), tex);
    EXPECT_FALSE(tex->SetDlgThing(nullptr));
}

TEST_F(Texture, SubMapsAreReferencesFromOne)
{
    TestMap* map = new TestMap(L"m");
    TestMap* mask = new TestMap(L"k");
    tex->SetSubTexmap(0, map);
    tex->SetSubTexmap(1, mask);
    EXPECT_EQ(tex->GetReference(1), map);
    EXPECT_EQ(tex->GetReference(2), mask);
    EXPECT_EQ(tex->GetSubTexmap(1), mask);
    EXPECT_EQ(tex->SubAnim(0), map);

    // A negative slot is no slot.
    TestMap* stray = new TestMap(L"stray");
    tex->SetSubTexmap(-1, stray);
    EXPECT_EQ(stray->NumDependents(), 0);
    EXPECT_EQ(tex->NumSubTexmaps(), 2);
    stray->DeleteThis();

    // Replacing a sub-map releases the one it held.
    tex->SetSubTexmap(0, new TestMap(L"m2"));
    EXPECT_TRUE(TestMap::WasDeleted(L"m"));
    EXPECT_EQ(NameOf(tex->GetSubTexmap(0)), L"m2");
}

TEST_F(Texture, ReferencesOfTheWrongKindAreRefused)
{
    // A damaged scene could point a map slot at a parameter block, or the block slot at a
    // texture: the texture keeps what it held and the host's dependency is taken back.
    Texmap* other = NewVorlith();
    IParamBlock2* foreignBlock = Block(other);
    const int before = foreignBlock->NumDependents();
    EXPECT_EQ(tex->ReplaceReference(1, foreignBlock), REF_FAIL);
    EXPECT_EQ(tex->GetReference(1), nullptr);
    EXPECT_EQ(foreignBlock->NumDependents(), before);

    TestMap* map = new TestMap(L"held");
    tex->SetSubTexmap(0, map);
    EXPECT_EQ(tex->ReplaceReference(1, foreignBlock), REF_FAIL);
    EXPECT_EQ(tex->GetReference(1), map);
    EXPECT_EQ(map->NumDependents(), 1);

    IParamBlock2* own = Block(tex);
    EXPECT_EQ(tex->ReplaceReference(0, other), REF_FAIL);
    EXPECT_EQ(tex->GetReference(0), own);
    EXPECT_EQ(other->NumDependents(), 0);
    DeleteTree(other);
}

TEST_F(Texture, SetSubTexmapPastTheEndGrowsWholeLayers)
{
    // Index 5 is layer 2's mask: layers 1 and 2 are made as new layers would be, so the block's
    // counts and the tables stay in step with the map list.
    TestMap* map = new TestMap(L"grow");
    tex->SetSubTexmap(5, map);
    EXPECT_EQ(tex->NumSubTexmaps(), 6);
    EXPECT_EQ(tex->NumRefs(), 7);
    EXPECT_EQ(tex->GetReference(6), map);
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(tex->GetSubTexmap(i), nullptr);
    IParamBlock2* pb = Block(tex);
    EXPECT_EQ(pb->Count(pb_map_list), 6);
    EXPECT_EQ(pb->Count(pb_map_enabled), 3);
    EXPECT_EQ(pb->Count(pb_mode_list), 3);
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 2), L"2");

    // Layer 2 is a layer now: its black mask is asked for and gives it no coverage.
    Interval valid = FOREVER;
    tex->Update(0, valid);
    host::SampleShadeContext sc;
    sc.BeginSample();
    AColor c = tex->EvalColor(sc);
    EXPECT_EQ(c, AColor(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(map->colorEvals, 1);
}

TEST_F(Texture, SetReferencePastTheEndGrowsTheMapListOnly)
{
    TestMap* map = new TestMap(L"late");
    Watcher holder;
    holder.Hold(map);
    static_cast<ReferenceMaker*>(tex)->SetReference(4, map);
    EXPECT_EQ(tex->NumSubTexmaps(), 4);
    EXPECT_EQ(tex->GetSubTexmap(3), map);
    EXPECT_EQ(tex->GetSubTexmap(2), nullptr);
    EXPECT_EQ(Block(tex)->Count(pb_map_list), 2);
    static_cast<ReferenceMaker*>(tex)->SetReference(4, nullptr);
    holder.ReleaseAll();
    DeleteTree(map);
}

TEST_F(Texture, OutsideCountChangesAreFollowed)
{
    IParamBlock2* pb = Block(tex);
    // mapList count set from outside to 8 entries: four layers.
    pb->SetCount(pb_map_list, 8);
    PartID part = PART_ALL;
    SendRefMessage(tex, pb, part, REFMSG_CHANGE);
    EXPECT_EQ(tex->NumSubTexmaps(), 8);
    EXPECT_EQ(Layers(tex)->GetNumLayers(), 4);
    EXPECT_EQ(pb->Count(pb_map_enabled), 4);
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 3), L"3");

    // mapEnabled count set from outside to 3: three layers.
    pb->SetCount(pb_map_enabled, 3);
    SendRefMessage(tex, pb, part, REFMSG_CHANGE);
    EXPECT_EQ(Layers(tex)->GetNumLayers(), 3);
    EXPECT_EQ(tex->NumSubTexmaps(), 6);
    EXPECT_EQ(pb->Count(pb_map_list), 6);
}

TEST_F(Texture, ParamNameMessageAnswersTheSlotName)
{
    MSTR name;
    GetParamName gpn(name, 1);
    PartID part = (PartID)&gpn;
    EXPECT_EQ(SendRefMessage(tex, Block(tex), part, REFMSG_GET_PARAM_NAME), REF_STOP);
    EXPECT_STREQ(name.data(), L"Map 2");

    GetParamDim gpd(0);
    part = (PartID)&gpd;
    EXPECT_EQ(SendRefMessage(tex, Block(tex), part, REFMSG_GET_PARAM_DIM), REF_STOP);
    EXPECT_EQ(gpd.dim, nullptr);
    part = 0;
    EXPECT_EQ(SendRefMessage(tex, Block(tex), part, REFMSG_TARGET_SELECTIONCHANGE), REF_SUCCEED);
}

TEST_F(Texture, ValidityIsNarrowedBySubMapsOnly)
{
    EXPECT_EQ(tex->Validity(0), FOREVER);

    Layers(tex)->SetNumLayers(2);
    TestMap* map = new TestMap(L"a");
    map->validity = Interval(0, 100);
    TestMap* mask = new TestMap(L"b");
    mask->validity = Interval(50, 400);
    tex->SetSubTexmap(2, map);
    tex->SetSubTexmap(3, mask);

    Interval valid = FOREVER;
    tex->Update(60, valid);
    EXPECT_EQ(valid, Interval(50, 100));
    EXPECT_EQ(map->updates, 1);
    EXPECT_EQ(tex->Validity(60), Interval(50, 100));

    // Inside the kept interval Update only narrows the caller's interval.
    Interval caller(70, 1000);
    tex->Update(80, caller);
    EXPECT_EQ(caller, Interval(70, 100));
    EXPECT_EQ(map->updates, 1);

    // Outside it, and after any change message, the sub-maps are asked again.
    valid = FOREVER;
    tex->Update(200, valid);
    EXPECT_EQ(map->updates, 2);
    PartID part = PART_ALL;
    SendRefMessage(tex, map, part, REFMSG_CHANGE);
    valid = FOREVER;
    tex->Update(60, valid);
    EXPECT_EQ(map->updates, 3);
}

TEST_F(Texture, SetNumSubTexmapsCountsLayers)
{
    static_cast<MultiTex*>(tex)->SetNumSubTexmaps(4);
    EXPECT_EQ(tex->NumSubTexmaps(), 8);
    EXPECT_EQ(Layers(tex)->GetNumLayers(), 4);
}

TEST_F(Texture, ResetGoesBackToANewTexture)
{
    Layers(tex)->SetNumLayers(3);
    tex->SetSubTexmap(2, new TestMap(L"reset-map"));
    Layers(tex)->SetOpacity(0, 10.0f);
    Layers(tex)->SetOutputEnabled(TRUE);
    Layers(tex)->SetOutputGamma(2.0f);
    IParamBlock2* oldBlock = Block(tex);
    (void)oldBlock;

    tex->Reset();
    EXPECT_TRUE(TestMap::WasDeleted(L"reset-map"));
    EXPECT_EQ(tex->NumRefs(), 3);
    ASSERT_NE(Block(tex), nullptr);
    EXPECT_EQ(Block(tex)->Count(pb_map_list), 2);
    EXPECT_EQ(Block(tex)->Count(pb_mode_list), 1);
    IVorlithLayers* layers = Layers(tex);
    EXPECT_EQ(layers->GetNumLayers(), 1);
    EXPECT_EQ(layers->GetOpacity(0), 100.0f);
    EXPECT_EQ(layers->GetLayerColor(0), Color(0.5f, 0.5f, 0.5f));
    EXPECT_FALSE(layers->GetOutputEnabled());
    EXPECT_EQ(layers->GetOutputGamma(), 1.0f);
}

} // namespace
