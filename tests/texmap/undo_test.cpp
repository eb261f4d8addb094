// Undo and redo of every edit of a texture's values made inside a hold: the published
// interface's setters and the layer operations. Each row does an edit; undoing it gives back
// the whole state before, redoing it the state after.
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "hold.h"
#include "host/viewport.h"
#include "vorlith_fixture.h"

namespace {

struct Edit {
    const char* what;
    std::function<void(Texmap*, IVorlithLayers*)> act;
};

class Undo : public ::testing::Test {
protected:
    void SetUp() override
    {
        theHold.ClearHistory();
        tex = NewVorlith();
        IVorlithLayers* l = Layers(tex);
        l->SetNumLayers(4);
        for (int i = 0; i < 4; ++i) {
            tex->SetSubTexmap(2 * i,
                              new TestMap((L"map" + std::to_wstring(i)).c_str(),
                                          AColor(0.2f * i, 0.5f, 1.0f - 0.2f * i, 1.0f)));
            l->SetOpacity(i, 40.0f + 10.0f * i);
            l->SetBlendMode(i, i);
        }
        tex->SetSubTexmap(3, new TestMap(L"mask1", AColor(0.5f, 0.5f, 0.5f, 1.0f)));
    }
    void TearDown() override
    {
        theHold.ClearHistory();
        DeleteTree(tex);
    }
    Texmap* tex = nullptr;
};

TEST_F(Undo, EveryEditIsUndoneAndRedone)
{
    const Edit edits[] = {
        {"map enabled", [](Texmap*, IVorlithLayers* l) { l->SetMapEnabled(1, FALSE); }},
        {"mask enabled", [](Texmap*, IVorlithLayers* l) { l->SetMaskEnabled(1, FALSE); }},
        {"layer used", [](Texmap*, IVorlithLayers* l) { l->SetLayerUsed(2, FALSE); }},
        {"opacity", [](Texmap*, IVorlithLayers* l) { l->SetOpacity(3, 5.0f); }},
        {"colour", [](Texmap*, IVorlithLayers* l) { l->SetLayerColor(1, Color(1, 0, 0)); }},
        {"mode", [](Texmap*, IVorlithLayers* l) { l->SetBlendMode(2, 13); }},
        {"blend space",
         [](Texmap*, IVorlithLayers* l) { l->SetBlendSpace(2, VORLITH_SPACE_DISPLAY); }},
        {"output on", [](Texmap*, IVorlithLayers* l) { l->SetOutputEnabled(TRUE); }},
        {"output values",
         [](Texmap*, IVorlithLayers* l) {
             l->SetOutputEnabled(TRUE);
             l->SetOutputShiftHSV(Point3(30.0f, 0.1f, 0.0f));
             l->SetOutputShiftRGB(Point3(0.1f, 0.0f, -0.1f));
             l->SetOutputAlpha(0.2f);
             l->SetOutputBrightness(1.5f);
             l->SetOutputContrast(0.5f);
             l->SetOutputGamma(2.2f);
             l->SetOutputMono(TRUE);
             l->SetOutputClamp(TRUE);
         }},
        {"more layers", [](Texmap*, IVorlithLayers* l) { l->SetNumLayers(7); }},
        {"fewer layers", [](Texmap*, IVorlithLayers* l) { l->SetNumLayers(2); }},
        {"insert", [](Texmap*, IVorlithLayers* l) { l->InsertLayer(1); }},
        {"delete", [](Texmap*, IVorlithLayers* l) { l->DeleteLayer(1); }},
        {"swap", [](Texmap*, IVorlithLayers* l) { l->SwapLayers(0, 3); }},
        {"map assigned",
         [](Texmap* t, IVorlithLayers*) { t->SetSubTexmap(5, new TestMap(L"new")); }},
        {"map removed", [](Texmap* t, IVorlithLayers*) { t->SetSubTexmap(2, nullptr); }},
        {"map past the end",
         [](Texmap* t, IVorlithLayers*) { t->SetSubTexmap(11, new TestMap(L"far")); }},
        {"two edits, one step",
         [](Texmap* t, IVorlithLayers* l) {
             l->SetOpacity(0, 1.0f);
             t->SetSubTexmap(0, nullptr);
             l->DeleteLayer(2);
             l->SetLayerColor(0, Color(0, 1, 0));
         }},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        const std::wstring before = DescribeTexture(tex);
        theHold.Begin();
        edit.act(tex, Layers(tex));
        theHold.Accept(L"edit");
        const std::wstring after = DescribeTexture(tex);
        ASSERT_NE(before, after);
        ASSERT_TRUE(theHold.Undo());
        EXPECT_EQ(DescribeTexture(tex), before);
        ASSERT_TRUE(theHold.Redo());
        EXPECT_EQ(DescribeTexture(tex), after);
        ASSERT_TRUE(theHold.Undo());
        EXPECT_EQ(DescribeTexture(tex), before);
    }
}

// An edit that changes nothing (a value set to what it is, a layer swapped with itself, a count
// as it is, a value the rules refuse) records no undo step and tells the dependents nothing;
// each row is then followed by a real change of the same kind, which does both once.
TEST_F(Undo, EditsThatChangeNothingRecordAndTellNothing)
{
    IVorlithLayers* l = Layers(tex);
    l->SetOutputEnabled(TRUE);
    l->SetOutputGamma(2.0f);
    theHold.ClearHistory();
    const Edit nothing[] = {
        {"map enabled", [](Texmap*, IVorlithLayers* l) { l->SetMapEnabled(1, TRUE); }},
        {"map enabled as any true", [](Texmap*, IVorlithLayers* l) { l->SetMapEnabled(1, 7); }},
        {"mask enabled", [](Texmap*, IVorlithLayers* l) { l->SetMaskEnabled(2, TRUE); }},
        {"layer used", [](Texmap*, IVorlithLayers* l) { l->SetLayerUsed(3, TRUE); }},
        {"opacity", [](Texmap*, IVorlithLayers* l) { l->SetOpacity(2, 60.0f); }},
        {"opacity not finite", [](Texmap*, IVorlithLayers* l) { l->SetOpacity(2, NAN); }},
        {"colour", [](Texmap*, IVorlithLayers* l) { l->SetLayerColor(1, l->GetLayerColor(1)); }},
        {"mode", [](Texmap*, IVorlithLayers* l) { l->SetBlendMode(3, 3); }},
        {"layer outside", [](Texmap*, IVorlithLayers* l) { l->SetBlendMode(9, 3); }},
        {"swap with itself", [](Texmap*, IVorlithLayers* l) { l->SwapLayers(2, 2); }},
        {"count as it is", [](Texmap*, IVorlithLayers* l) { l->SetNumLayers(4); }},
        {"insert at the base", [](Texmap*, IVorlithLayers* l) { l->InsertLayer(0); }},
        {"output on", [](Texmap*, IVorlithLayers* l) { l->SetOutputEnabled(TRUE); }},
        {"gamma", [](Texmap*, IVorlithLayers* l) { l->SetOutputGamma(2.0f); }},
        {"shift", [](Texmap*, IVorlithLayers* l) { l->SetOutputShiftRGB(Point3(0, 0, 0)); }},
        {"mono", [](Texmap*, IVorlithLayers* l) { l->SetOutputMono(FALSE); }},
    };
    for (const Edit& edit : nothing) {
        SCOPED_TRACE(edit.what);
        Watcher watcher;
        watcher.Hold(tex);
        const std::wstring before = DescribeTexture(tex);
        theHold.Begin();
        edit.act(tex, l);
        theHold.Accept(L"nothing");
        EXPECT_EQ(theHold.GetUndoCount(), 0);
        EXPECT_EQ(watcher.Count(REFMSG_CHANGE), 0);
        EXPECT_EQ(DescribeTexture(tex), before);
        watcher.ReleaseAll();
    }

    // A value's change tells once; a layer operation also passes on the block's messages.
    const Edit changes[] = {
        {"opacity", [](Texmap*, IVorlithLayers* l) { l->SetOpacity(2, 61.0f); }},
        {"opacity to -0", [](Texmap*, IVorlithLayers* l) { l->SetOpacity(0, -0.0f); }},
        {"colour", [](Texmap*, IVorlithLayers* l) { l->SetLayerColor(1, Color(0, 0, 1)); }},
        {"gamma", [](Texmap*, IVorlithLayers* l) { l->SetOutputGamma(2.5f); }},
        {"swap", [](Texmap*, IVorlithLayers* l) { l->SwapLayers(1, 2); }},
        {"insert", [](Texmap*, IVorlithLayers* l) { l->InsertLayer(2); }},
    };
    l->SetOpacity(0, 0.0f);
    for (const Edit& edit : changes) {
        SCOPED_TRACE(edit.what);
        theHold.ClearHistory();
        Watcher watcher;
        watcher.Hold(tex);
        theHold.Begin();
        edit.act(tex, l);
        theHold.Accept(L"change");
        EXPECT_EQ(theHold.GetUndoCount(), 1);
        if (&edit < &changes[4])
            EXPECT_EQ(watcher.Count(REFMSG_CHANGE), 1);
        else
            EXPECT_GE(watcher.Count(REFMSG_CHANGE), 1);
        watcher.ReleaseAll();
    }
}

TEST_F(Undo, CancelPutsBackAndNestedLevelsCancelAlone)
{
    const std::wstring start = DescribeTexture(tex);
    IVorlithLayers* l = Layers(tex);
    theHold.Begin();
    l->SetOpacity(1, 7.0f);
    theHold.Begin();
    l->SetNumLayers(2);
    theHold.Cancel();
    EXPECT_EQ(l->GetNumLayers(), 4);
    EXPECT_EQ(NameOf(tex->GetSubTexmap(6)), L"map3") << "the released map came back";
    EXPECT_EQ(l->GetOpacity(1), 7.0f) << "the outer level's edit stays";
    theHold.Cancel();
    EXPECT_EQ(DescribeTexture(tex), start);
    EXPECT_EQ(theHold.GetUndoCount(), 0);
}

TEST_F(Undo, EditsOutsideAHoldAreNotRecorded)
{
    Layers(tex)->SetOpacity(1, 7.0f);
    Layers(tex)->SetNumLayers(2);
    EXPECT_EQ(theHold.GetUndoCount(), 0);
    EXPECT_FALSE(theHold.Undo());
}

// A texture the host deletes goes at once, with its maps, its block and its viewport textures,
// though the history still has records of it; undo and redo of those records then do nothing,
// and clearing the history leaves nothing.
TEST(UndoLifetimes, DeletedTextureIsFreedAndTheHistoryCopes)
{
    theHold.ClearHistory();
    TestMap::Deleted().clear();
    const host::LiveCounts before = host::CountLive();
    Texmap* tex = NewVorlith();
    host::Viewport viewport;
    theHold.Begin();
    Layers(tex)->SetNumLayers(3);
    tex->SetSubTexmap(2, new TestMap(L"kept", AColor(1.0f, 1.0f, 1.0f, 1.0f)));
    Layers(tex)->SetOpacity(1, 20.0f);
    theHold.Accept(L"edits");
    viewport.Setup(tex, 0);
    ASSERT_GT(host::CountLive().texHandles, before.texHandles);
    theHold.Begin();
    Layers(tex)->SetBlendMode(1, 3);
    DeleteTree(tex); // the host deletes the scene inside an open step
    theHold.Accept(L"deleted");
    EXPECT_EQ(LiveVorliths(), 0);
    EXPECT_TRUE(TestMap::WasDeleted(L"kept"));
    EXPECT_EQ(host::CountLive().texHandles, before.texHandles);
    while (theHold.Undo()) {
    }
    while (theHold.Redo()) {
    }
    theHold.ClearHistory();
    ExpectNothingLeft(before);
}

// A texture made or copied while a step is open: its own set-up is no edit of anything that
// existed, so nothing of it is recorded, and an undo cannot take its block or layers away.
TEST(UndoLifetimes, MakingOrCopyingATextureIsNoEdit)
{
    theHold.ClearHistory();
    Texmap* source = NewVorlith();
    Layers(source)->SetNumLayers(3);
    source->SetSubTexmap(2, new TestMap(L"copied"));
    theHold.Begin();
    Texmap* made = NewVorlith();
    Texmap* copy = static_cast<Texmap*>(CloneRefHierarchy(source));
    theHold.Accept(L"make");
    EXPECT_EQ(theHold.GetUndoCount(), 0);
    theHold.Undo();
    ASSERT_NE(Block(made), nullptr);
    ASSERT_NE(Block(copy), nullptr);
    EXPECT_EQ(Layers(made)->GetNumLayers(), 1);
    EXPECT_EQ(DescribeTexture(copy), DescribeTexture(source));
    DeleteTree(copy);
    DeleteTree(made);
    DeleteTree(source);
}

} // namespace
