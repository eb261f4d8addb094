// Parameter block declarations (the variadic tag list) and blocks: defaults, tables, owner-held
// references, notifications.
#include <gtest/gtest.h>

#include "block_owner.h"
#include "host/test_texmap.h"

namespace {

ParamBlockDesc2* Desc() { return BlockOwnerDesc()->GetParamBlockDescByID(owner_params); }

TEST(ParamBlockDeclaration, BlockHeaderAndParameters)
{
    ParamBlockDesc2* d = Desc();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->DeclarationError(), nullptr);
    EXPECT_EQ(BlockOwnerDesc()->NumParamBlockDescs(), 1);
    EXPECT_EQ(d->flags, P_AUTO_CONSTRUCT + P_AUTO_UI);
    EXPECT_EQ(d->ref_no, 0);
    EXPECT_EQ(d->dlg_template, 197);
    EXPECT_EQ(d->title, 4);
    EXPECT_EQ(d->dlgProc, nullptr);
    EXPECT_EQ(d->Count(), 9);
    EXPECT_STREQ(d->int_name, L"parameters");

    ParamDef& maps = d->GetParamDef(pb_maps);
    EXPECT_STREQ(maps.int_name, L"maps");
    EXPECT_EQ(maps.type, TYPE_TEXMAP_TAB);
    EXPECT_EQ(maps.tab_size, 2);
    EXPECT_EQ(maps.flags & 0xffff, (DWORD)(P_VARIABLE_SIZE | P_OWNERS_REF));
    EXPECT_EQ(maps.refno, 1);
    EXPECT_EQ(maps.local_name, 5);
    EXPECT_FALSE(maps.flags & P_HAS_DEFAULT);

    ParamDef& amounts = d->GetParamDef(pb_amounts);
    ASSERT_TRUE(amounts.flags & P_HAS_DEFAULT);
    ASSERT_TRUE(amounts.flags & P_HAS_RANGE);
    EXPECT_EQ(amounts.def.f, 100.0f);
    EXPECT_EQ(amounts.range_low.f, 0.0f);
    EXPECT_EQ(amounts.range_high.f, 100.0f);

    ParamDef& colors = d->GetParamDef(pb_colors);
    ASSERT_NE(colors.def.p, nullptr);
    EXPECT_EQ(*colors.def.p, Point3(0.5f, 0.25f, 0.125f));
    EXPECT_EQ(d->GetParamDef(pb_modes).def.i, 3);
    EXPECT_EQ(d->GetParamDef(pb_flags).def.i, TRUE);
    EXPECT_FALSE(d->GetParamDef(pb_labels).flags & P_HAS_DEFAULT);

    ParamDef& gain = d->GetParamDef(pb_gain);
    EXPECT_EQ(gain.type, (ParamType2)TYPE_FLOAT);
    EXPECT_EQ(gain.tab_size, 0);
    EXPECT_EQ(gain.flags & 0xffff, (DWORD)P_ANIMATABLE);
    EXPECT_EQ(gain.range_low.f, -10000000.0f);
    EXPECT_EQ(gain.ctrl_type, TYPE_SPINNER);
    EXPECT_EQ(gain.spin_type, EDITTYPE_FLOAT);
    ASSERT_EQ(gain.ctrl_count, 2);
    EXPECT_EQ(gain.ctrl_IDs[0], 1013);
    EXPECT_EQ(gain.ctrl_IDs[1], 1020);
    EXPECT_EQ(gain.scale, 0.1f);
    EXPECT_EQ(d->GetParamDef(pb_limit).range_low.f, 0.001f) << "the float nearest 0.001";

    ParamDef& enabled = d->GetParamDef(pb_enabled);
    EXPECT_EQ(enabled.ctrl_type, TYPE_SINGLECHEKBOX);
    ASSERT_EQ(enabled.ctrl_count, 1);
    EXPECT_EQ(enabled.ctrl_IDs[0], 1031);
    EXPECT_EQ(enabled.def.i, FALSE);

    EXPECT_EQ(d->GetParamDef(99).ID, -1) << "an unknown id gives the empty declaration";
}

TEST(ParamBlockDeclaration, UnreadableDeclarationsAreReportedNotGuessed)
{
    struct Desc2 : ClassDesc2 {
        int IsPublic() override { return FALSE; }
        void* Create(BOOL) override { return nullptr; }
        const MCHAR* ClassName() override { return L"bad"; }
        SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
        Class_ID ClassID() override { return Class_ID(1, 2); }
        const MCHAR* Category() override { return L""; }
    } cd;
    ParamBlockDesc2 unknownTag(0, _T("p"), 0, &cd, 0, 0, _T("a"), TYPE_FLOAT, 0, 0, 12345, 1, p_end,
                               p_end);
    ASSERT_NE(unknownTag.DeclarationError(), nullptr);
    EXPECT_NE(wcsstr(unknownTag.DeclarationError(), L"unknown tag 12345"), nullptr);
    EXPECT_EQ(unknownTag.Count(), 0);

    ParamBlockDesc2 duplicate(1, _T("p"), 0, &cd, 0, 0, _T("a"), TYPE_INT, 0, 0, p_end, 0, _T("b"),
                              TYPE_INT, 0, 0, p_end, p_end);
    ASSERT_NE(duplicate.DeclarationError(), nullptr);
    EXPECT_EQ(duplicate.Count(), 1) << "what came before the fault is kept";

    ParamBlockDesc2 badType(2, _T("p"), 0, &cd, 0, 0, _T("a"), 0x0777, 0, 0, p_end, p_end);
    EXPECT_NE(badType.DeclarationError(), nullptr);

    ParamBlockDesc2 ownerWithoutRef(3, _T("p"), 0, &cd, 0, 0, _T("m"), TYPE_TEXMAP_TAB, 0,
                                    P_OWNERS_REF, 0, p_end, p_end);
    EXPECT_NE(ownerWithoutRef.DeclarationError(), nullptr);
    EXPECT_EQ(cd.NumParamBlockDescs(), 4);
}

class ParamBlockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = new BlockOwner;
        pb = owner->pblock;
        ASSERT_NE(pb, nullptr);
    }
    void TearDown() override { owner->DeleteMe(); }
    BlockOwner* owner = nullptr;
    IParamBlock2* pb = nullptr;
};

TEST_F(ParamBlockTest, NewBlockHasDeclaredSizesAndDefaults)
{
    EXPECT_EQ(owner->GetReference(0), pb);
    EXPECT_EQ(pb->GetOwner(), owner);
    EXPECT_EQ(pb->ID(), owner_params);
    EXPECT_EQ(pb->GetDesc(), Desc());
    EXPECT_EQ(owner->GetParamBlockByID(owner_params), pb);
    EXPECT_EQ(owner->GetParamBlockByID(1), nullptr);
    for (ParamID id : {pb_maps, pb_flags, pb_amounts, pb_colors, pb_modes, pb_labels})
        EXPECT_EQ(pb->Count(id), 2) << "parameter " << id;
    EXPECT_EQ(pb->Count(pb_gain), 0) << "a scalar is no table";
    EXPECT_EQ(pb->GetInt(pb_flags, 0, 1), TRUE);
    EXPECT_EQ(pb->GetFloat(pb_amounts, 0, 0), 100.0f);
    EXPECT_EQ(pb->GetColor(pb_colors, 0, 1), Color(0.5f, 0.25f, 0.125f));
    EXPECT_EQ(pb->GetInt(pb_modes, 0, 0), 3);
    EXPECT_EQ(pb->GetStr(pb_labels, 0, 0), nullptr) << "a string entry never set is NULL";
    EXPECT_EQ(pb->GetFloat(pb_limit), 1.0f);
    EXPECT_EQ(pb->GetInt(pb_enabled), FALSE);
    EXPECT_EQ(pb->LastNotifyParamID(), -1);
}

TEST_F(ParamBlockTest, SetCountNotifiesTheOwnerWithTheParameter)
{
    pb->SetCount(pb_flags, 5);
    ASSERT_EQ(owner->notified.size(), 1u);
    EXPECT_EQ(owner->notified.back(), pb_flags);
    EXPECT_EQ(pb->LastNotifyParamID(), pb_flags);
    EXPECT_EQ(pb->Count(pb_flags), 5);
    EXPECT_EQ(pb->GetInt(pb_flags, 0, 4), TRUE) << "entries added take the default";
    pb->SetCount(pb_flags, 5);
    EXPECT_EQ(owner->notified.size(), 1u) << "no change, no message";
    pb->SetCount(pb_amounts, 1);
    EXPECT_EQ(owner->notified.back(), pb_amounts);
    EXPECT_EQ(pb->Count(pb_amounts), 1);
    pb->SetCount(pb_amounts, -1);
    EXPECT_EQ(pb->Count(pb_amounts), 1) << "a negative count is refused";
    pb->SetCount(pb_gain, 3);
    EXPECT_EQ(pb->Count(pb_gain), 0);
}

TEST_F(ParamBlockTest, ValuesByTypeAndIndex)
{
    EXPECT_TRUE(pb->SetValue(pb_labels, 0, L"7", 1));
    EXPECT_EQ(owner->notified.back(), pb_labels);
    EXPECT_STREQ(pb->GetStr(pb_labels, 0, 1), L"7");
    Interval valid = FOREVER;
    const MCHAR* s = nullptr;
    EXPECT_TRUE(pb->GetValue(pb_labels, 0, s, valid, 1));
    EXPECT_STREQ(s, L"7");
    EXPECT_FALSE(valid.Empty());
    pb->SetCount(pb_labels, 4);
    EXPECT_STREQ(pb->GetStr(pb_labels, 0, 1), L"7") << "entries below stay";
    EXPECT_TRUE(pb->SetValue(pb_gain, 0, 2.5f));
    EXPECT_EQ(pb->GetFloat(pb_gain), 2.5f);
    EXPECT_TRUE(pb->SetValue(pb_enabled, 0, TRUE));
    EXPECT_EQ(pb->GetInt(pb_enabled), TRUE);
    EXPECT_TRUE(pb->SetValue(pb_colors, 0, Color(1.0f, 0.0f, 0.5f), 0));
    EXPECT_EQ(pb->GetColor(pb_colors, 0, 0), Color(1.0f, 0.0f, 0.5f));
    EXPECT_EQ(pb->GetAColor(pb_colors, 0, 0), AColor(1.0f, 0.0f, 0.5f, 1.0f));

    size_t before = owner->notified.size();
    EXPECT_FALSE(pb->SetValue(pb_amounts, 0, 1.0f, 2)) << "index past the table";
    EXPECT_FALSE(pb->SetValue(pb_amounts, 0, 1.0f, -1));
    EXPECT_FALSE(pb->SetValue(pb_labels, 0, 1.0f, 0)) << "a float into a string";
    EXPECT_FALSE(pb->SetValue(77, 0, 1.0f)) << "unknown id";
    EXPECT_EQ(owner->notified.size(), before) << "refused writes notify nobody";
    EXPECT_FALSE(pb->GetValue(pb_amounts, 0, s, valid, 0));
    EXPECT_EQ(pb->GetStr(pb_labels, 0, 10), nullptr);
}

TEST_F(ParamBlockTest, OwnerHeldTableEntriesAreTheOwnersReferences)
{
    host::TestTexmap* m = new host::TestTexmap;
    EXPECT_TRUE(pb->SetValue(pb_maps, 0, static_cast<Texmap*>(m), 1));
    EXPECT_EQ(owner->GetReference(2), m) << "entry 1 is reference refno + 1 = 2";
    EXPECT_EQ(m->NumDependents(), 1);
    EXPECT_EQ(pb->GetTexmap(pb_maps, 0, 1), m);
    EXPECT_EQ(pb->GetTexmap(pb_maps, 0, 0), nullptr);
    EXPECT_EQ(owner->notified.back(), pb_maps);
    int live = host::TestTexmap::LiveCount();
    EXPECT_TRUE(pb->SetValue(pb_maps, 0, static_cast<Texmap*>(nullptr), 1));
    EXPECT_EQ(host::TestTexmap::LiveCount(), live - 1) << "replaced through the owner: released";
    EXPECT_FALSE(pb->SetValue(pb_maps, 0, static_cast<Texmap*>(nullptr), 2)) << "past the count";
    // The count is the block's; the owner keeps its references as it likes.
    owner->SetReference(5, nullptr);
    EXPECT_EQ(pb->Count(pb_maps), 2);
}

TEST_F(ParamBlockTest, ResetAllReturnsToTheDeclaration)
{
    pb->SetCount(pb_modes, 7);
    pb->SetValue(pb_modes, 0, 11, 0);
    pb->ResetAll();
    EXPECT_EQ(pb->Count(pb_modes), 2);
    EXPECT_EQ(pb->GetInt(pb_modes, 0, 0), 3);
}

TEST(ClassDesc2, MakeAutoParamBlocksReplacesTheBlock)
{
    BlockOwner* owner = new BlockOwner;
    IParamBlock2* first = owner->pblock;
    first->SetValue(pb_gain, 0, 4.0f);
    BlockOwnerDesc()->MakeAutoParamBlocks(owner);
    EXPECT_NE(owner->pblock, first);
    EXPECT_EQ(owner->pblock->GetFloat(pb_gain), 0.0f);
    EXPECT_EQ(owner->pblock->NumDependents(), 1);
    EXPECT_EQ(BlockOwnerDesc()->GetRsrcString(4), nullptr) << "no library, no strings";
    owner->DeleteMe();
}

TEST_F(ParamBlockTest, DeleteResetAndNames)
{
    pb->SetCount(pb_modes, 4);
    for (int i = 0; i < 4; ++i)
        pb->SetValue(pb_modes, 0, 10 + i, i);
    EXPECT_EQ(pb->Delete(pb_modes, 1, 2), 2);
    EXPECT_EQ(pb->GetInt(pb_modes, 0, 0), 10);
    EXPECT_EQ(pb->GetInt(pb_modes, 0, 1), 13);
    EXPECT_EQ(pb->Delete(pb_modes, 5, 1), 2) << "a start past the end deletes nothing";
    pb->Reset(pb_modes, 1);
    EXPECT_EQ(pb->GetInt(pb_modes, 0, 1), 3) << "one entry back to the default";
    EXPECT_EQ(pb->LastNotifyParamID(), pb_modes);
    int tab = -5;
    pb->SetValue(pb_amounts, 0, 5.0f, 1);
    EXPECT_EQ(pb->LastNotifyParamID(tab), pb_amounts);
    EXPECT_EQ(tab, 1);
    // Without a library the display names fall back to the internal names.
    EXPECT_STREQ(pb->GetLocalName(pb_gain).data(), L"gain");
    EXPECT_STREQ(pb->GetLocalName(pb_labels, 2).data(), L"labels 3");
    EXPECT_EQ(pb->GetParameterType(pb_colors), TYPE_RGBA_TAB);
    EXPECT_EQ(pb->NumParams(), 9);
    EXPECT_EQ(pb->IndextoID(6), pb_gain);
}

TEST_F(ParamBlockTest, CloneCopiesValuesNotTheOwnersReferences)
{
    host::TestTexmap* m = new host::TestTexmap;
    pb->SetValue(pb_maps, 0, static_cast<Texmap*>(m), 0);
    pb->SetValue(pb_labels, 0, L"kept", 1);
    pb->SetCount(pb_maps, 6);
    RemapDir* remap = NewRemapDir();
    IParamBlock2* copy = static_cast<IParamBlock2*>(remap->CloneRef(pb));
    remap->DeleteThis();
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->GetStr(pb_labels, 0, 1), L"kept");
    EXPECT_EQ(copy->Count(pb_maps), 6);
    EXPECT_EQ(copy->GetOwner(), nullptr);
    EXPECT_EQ(copy->GetTexmap(pb_maps, 0, 0), nullptr) << "no owner, no references";
    copy->DeleteThis();
}

} // namespace
