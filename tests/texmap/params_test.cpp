// The parameter block as the host reads its declaration, and a new texture's block.
#include <gtest/gtest.h>

#include "vorlith_fixture.h"

namespace {

ParamBlockDesc2* Desc()
{
    return VorlithDesc() ? VorlithDesc()->GetParamBlockDescByID(0) : nullptr;
}

TEST(ParamBlock, DeclarationReadsBackWhole)
{
    ParamBlockDesc2* d = Desc();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->DeclarationError(), nullptr);
    EXPECT_STREQ(d->int_name, L"parameters");
    EXPECT_EQ(d->flags, P_AUTO_CONSTRUCT | P_AUTO_UI);
    EXPECT_EQ(d->dlg_template, 197);
    EXPECT_EQ(d->title, 4);
    ASSERT_EQ(d->Count(), 21);
    // Declaration order is ID order, and the last parameter is whole: its control was read.
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(d->IndextoID(i), i);
    ParamDef& maps = d->GetParamDef(pb_map_list);
    EXPECT_TRUE(maps.flags & P_OWNERS_REF);
    EXPECT_EQ(maps.refno, 1);
    ParamDef& clamp = d->GetParamDef(20);
    EXPECT_STREQ(clamp.int_name, L"Clamp");
    ASSERT_EQ(clamp.ctrl_count, 1);
    EXPECT_EQ(clamp.ctrl_IDs[0], 1036);
}

TEST(ParamBlock, DefaultsAndRangesAreSinglePrecision)
{
    ParamBlockDesc2* d = Desc();
    ParamDef& color = d->GetParamDef(pb_color_list);
    ASSERT_NE(color.def.p, nullptr);
    EXPECT_EQ(*color.def.p, Point3(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(d->GetParamDef(pb_opasity_list).range_high.f, 100.0f);
    EXPECT_EQ(d->GetParamDef(pb_gamma).range_low.f, 0.001f);
    EXPECT_EQ(d->GetParamDef(pb_gamma).def.f, 1.0f);
    EXPECT_EQ(d->GetParamDef(pb_bright).def.f, 100.0f);
    for (ParamID id : {pb_hsv_h, pb_rgb_b, pb_alpha, pb_bright, pb_contrast})
        EXPECT_EQ(d->GetParamDef(id).range_low.f, -10000000.0f) << id;
    // The spinner steps are the Output rollout's.
    EXPECT_EQ(d->GetParamDef(pb_hsv_h).scale, 0.1f);
    EXPECT_EQ(d->GetParamDef(pb_bright).scale, 1.0f);
    EXPECT_EQ(d->GetParamDef(pb_gamma).scale, 0.01f);
    ParamDef& hue = d->GetParamDef(pb_hsv_h);
    ASSERT_EQ(hue.ctrl_count, 2);
    EXPECT_EQ(hue.ctrl_IDs[0], 1013);
    EXPECT_EQ(hue.ctrl_IDs[1], 1020);
}

TEST(ParamBlock, NewTextureHasOneLayerInItsCounts)
{
    Texmap* tex = NewVorlith();
    IParamBlock2* pb = Block(tex);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->ID(), 0);
    EXPECT_EQ(pb->Count(pb_map_list), 2);
    for (ParamID id = 1; id <= 7; ++id)
        EXPECT_EQ(pb->Count(id), 1) << "parameter " << id;
    EXPECT_STREQ(pb->GetStr(pb_edit_ids, 0, 0), L"0");
    EXPECT_EQ(tex->GetParamBlockByID(0), pb);
    EXPECT_EQ(tex->GetParamBlockByID(1), nullptr);
    EXPECT_EQ(tex->GetParamBlock(7), pb);
    EXPECT_EQ(tex->NumParamBlocks(), 1);
    DeleteTree(tex);
}

} // namespace
