// The reference system (links, releases, notification, copying), undo and the macro recorder.
#include <new>

#include <gtest/gtest.h>

#include "hold.h"
#include "host/test_texmap.h"
#include "macrorec.h"

using host::TestTexmap;

namespace {

class ReferenceTest : public ::testing::Test {
protected:
    void SetUp() override { live = TestTexmap::LiveCount(); }
    void TearDown() override { EXPECT_EQ(TestTexmap::LiveCount(), live) << "maps leaked"; }
    int live = 0;
};

TEST_F(ReferenceTest, ReplaceReferenceDeletesATargetNobodyUses)
{
    TestTexmap* owner = new TestTexmap;
    owner->SetNumSubTexmaps(2);
    TestTexmap* a = new TestTexmap;
    TestTexmap* b = new TestTexmap;
    owner->ReplaceReference(0, a);
    EXPECT_EQ(owner->GetReference(0), a);
    EXPECT_EQ(a->NumDependents(), 1);
    EXPECT_EQ(a->GetDependent(0), owner);
    int before = TestTexmap::LiveCount();
    owner->ReplaceReference(0, b);
    EXPECT_EQ(TestTexmap::LiveCount(), before - 1) << "a lost its only dependent";
    EXPECT_EQ(owner->GetReference(0), b);
    // Shared by two references: releasing one keeps it.
    owner->ReplaceReference(1, b);
    EXPECT_EQ(b->NumDependents(), 2);
    owner->DeleteReference(0);
    EXPECT_EQ(owner->GetReference(0), nullptr);
    EXPECT_EQ(b->NumDependents(), 1);
    EXPECT_EQ(TestTexmap::LiveCount(), before - 1);
    // delOld FALSE keeps an unreferenced target alive for the caller.
    owner->ReplaceReference(1, nullptr, FALSE);
    EXPECT_EQ(b->NumDependents(), 0);
    EXPECT_EQ(TestTexmap::LiveCount(), before - 1);
    b->DeleteThis();
    owner->DeleteMe();
}

// A maker that is no target (a host window's holder) and counts the calls it gets.
class Holder : public ReferenceMaker {
public:
    RefTargetHandle ref = nullptr;
    int* calls;
    explicit Holder(int* calls) : calls(calls) { }
    int NumRefs() override
    {
        ++*calls;
        return 1;
    }
    RefTargetHandle GetReference(int) override
    {
        ++*calls;
        return ref;
    }
    void SetReference(int, RefTargetHandle t) override
    {
        ++*calls;
        ref = t;
    }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override
    {
        return REF_SUCCEED;
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override
    {
        return REF_SUCCEED;
    }
#endif
};

// A holder deleted inside an open undo step: the step's undo and redo never call into it, and
// the maps its records kept go with the history. (The holder's place is taken by another
// object after it goes, so that a call meant for it is seen rather than undefined.)
TEST_F(ReferenceTest, UndoNeverCallsAMakerDeletedInsideTheStep)
{
    theHold.ClearHistory();
    const int maps = TestTexmap::LiveCount();
    alignas(Holder) unsigned char place[sizeof(Holder)];
    int calls = 0, strayCalls = 0;
    Holder* holder = new (place) Holder(&calls);
    TestTexmap* a = new TestTexmap;
    TestTexmap* b = new TestTexmap;
    theHold.Begin();
    holder->ReplaceReference(0, a);
    holder->ReplaceReference(0, b);
    holder->DeleteAllRefsFromMe();
    holder->~Holder();
    new (place) Holder(&strayCalls);
    theHold.Accept(L"assign");
    ASSERT_EQ(theHold.GetUndoCount(), 1);
    EXPECT_TRUE(theHold.Undo());
    EXPECT_TRUE(theHold.Redo());
    EXPECT_EQ(strayCalls, 0) << "undo or redo called into the deleted holder";
    theHold.ClearHistory();
    EXPECT_EQ(TestTexmap::LiveCount(), maps);
    reinterpret_cast<Holder*>(place)->~Holder();
}

TEST_F(ReferenceTest, DeleteAllRefsFromMeReleasesAWholeTree)
{
    TestTexmap* root = new TestTexmap;
    TestTexmap* mid = new TestTexmap;
    TestTexmap* leaf = new TestTexmap;
    root->SetSubTexmap(0, mid);
    mid->SetSubTexmap(0, leaf);
    root->SetSubTexmap(1, leaf); // leaf shared by root and mid
    int before = TestTexmap::LiveCount();
    root->DeleteAllRefsFromMe();
    EXPECT_EQ(TestTexmap::LiveCount(), before - 2) << "mid and then leaf go";
    EXPECT_EQ(root->GetReference(0), nullptr);
    EXPECT_EQ(root->GetReference(1), nullptr);
    root->DeleteThis();
}

TEST_F(ReferenceTest, DeletingATargetClearsItsDependentsReferences)
{
    TestTexmap* owner = new TestTexmap;
    TestTexmap* sub = new TestTexmap;
    owner->SetSubTexmap(0, sub);
    sub->DeleteMe();
    EXPECT_EQ(owner->GetReference(0), nullptr);
    EXPECT_EQ(owner->lastMessage, (RefMessage)REFMSG_TARGET_DELETED);
    owner->DeleteMe();
}

TEST_F(ReferenceTest, NotifyDependentsReachesEveryMakerOnceAndPropagates)
{
    TestTexmap* top = new TestTexmap;
    TestTexmap* mid = new TestTexmap;
    TestTexmap* leaf = new TestTexmap;
    top->SetSubTexmap(0, mid);
    mid->SetSubTexmap(0, leaf);
    mid->SetSubTexmap(1, leaf); // two references from mid, one message
    leaf->Changed();
    EXPECT_EQ(mid->changeMessages, 1);
    EXPECT_EQ(top->changeMessages, 1) << "REF_SUCCEED passes the change up";
    // Without propagation only the direct dependents hear it.
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, FALSE);
    EXPECT_EQ(mid->changeMessages, 2);
    EXPECT_EQ(top->changeMessages, 1);
    top->DeleteMe();
}

TEST_F(ReferenceTest, AReferenceThatWouldCloseALoopIsRefused)
{
    TestTexmap* top = new TestTexmap;
    TestTexmap* leaf = new TestTexmap;
    top->SetSubTexmap(0, leaf);
    leaf->SetNumSubTexmaps(1);
    EXPECT_EQ(leaf->ReplaceReference(0, top), REF_FAIL);
    EXPECT_EQ(leaf->GetReference(0), nullptr);
    EXPECT_EQ(top->NumDependents(), 0);
    EXPECT_EQ(leaf->ReplaceReference(0, leaf), REF_FAIL) << "nor to itself";
    top->DeleteMe();
}

TEST_F(ReferenceTest, CloneKeepsSharedTargetsShared)
{
    TestTexmap* root = new TestTexmap;
    TestTexmap* shared = new TestTexmap;
    shared->color = AColor(0.25f, 0.5f, 0.75f, 1.0f);
    root->SetName(L"original");
    root->SetSubTexmap(0, shared);
    root->SetSubTexmap(1, shared);
    TestTexmap* copy = static_cast<TestTexmap*>(CloneRefHierarchy(root));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetReference(0), shared);
    EXPECT_EQ(copy->GetReference(0), copy->GetReference(1));
    EXPECT_EQ(static_cast<TestTexmap*>(copy->GetReference(0))->color, shared->color);
    EXPECT_STREQ(copy->GetName().data(), L"original");
    copy->DeleteMe();
    root->DeleteMe();
}

TEST_F(ReferenceTest, MtlBaseNameAndBaseData)
{
    TestTexmap* a = new TestTexmap;
    a->SetName(L"Bricks");
    EXPECT_STREQ(a->GetFullName().data(), L"Bricks (Test Map)");
    a->SetGBufferID(7);
    a->activeCount = 2;
    TestTexmap* b = new TestTexmap;
    *static_cast<MtlBase*>(b) = *a;
    EXPECT_STREQ(b->GetName().data(), L"Bricks");
    EXPECT_EQ(b->GetGBufferID(), 7u);
    EXPECT_EQ(b->activeCount, 0) << "activity belongs to the object, not its data";
    EXPECT_TRUE(a->IsActive());
    // The track view name defaults to the slot name, sub-anims to sub-maps.
    EXPECT_STREQ(a->GetSubTexmapTVName(2).data(), L"Sub 3");
    a->DeleteThis();
    b->DeleteThis();
}

TEST_F(ReferenceTest, DeactivateMapsInTreeReachesEveryMapOnce)
{
    TestTexmap* root = new TestTexmap;
    TestTexmap* a = new TestTexmap;
    TestTexmap* b = new TestTexmap;
    root->SetSubTexmap(0, a);
    root->SetSubTexmap(1, b);
    a->SetSubTexmap(0, b);
    b->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED);
    DeactivateMapsInTree(root);
    EXPECT_EQ(root->activateOffCount, 1);
    EXPECT_EQ(a->activateOffCount, 1);
    EXPECT_EQ(b->activateOffCount, 1);
    EXPECT_FALSE(b->TestMtlFlag(MTL_TEX_DISPLAY_ENABLED));
    DeactivateMapsInTree(nullptr);
    root->DeleteMe();
}

TEST(MacroRecorder, DisableNestsAndEnableWithoutDisableIsIgnored)
{
    ASSERT_NE(macroRecorder, nullptr);
    EXPECT_TRUE(macroRecorder->Enabled());
    macroRecorder->Disable();
    macroRecorder->Disable();
    EXPECT_FALSE(macroRecorder->EmitScript(L"x = 1"));
    macroRecorder->Enable();
    EXPECT_FALSE(macroRecorder->Enabled()) << "still one Disable open";
    macroRecorder->Enable();
    EXPECT_TRUE(macroRecorder->Enabled());
    macroRecorder->Enable();
    EXPECT_EQ(macroRecorder->DisableCount(), 0);
    macroRecorder->Disable();
    EXPECT_FALSE(macroRecorder->Enabled()) << "the stray Enable did not bank a credit";
    macroRecorder->Enable();
}

// A record of one integer edit.
struct IntRestore : RestoreObj {
    int* target;
    int before, after;
    IntRestore(int* t, int b, int a) : target(t), before(b), after(a) { }
    void Restore(int) override { *target = before; }
    void Redo() override { *target = after; }
};

void Edit(int& value, int to)
{
    if (theHold.Holding()) theHold.Put(new IntRestore(&value, value, to));
    value = to;
}

TEST(Hold, AcceptMakesOneStepCancelRestores)
{
    theHold.ClearHistory();
    int v = 1;
    EXPECT_FALSE(theHold.Holding());
    Edit(v, 2); // not holding: nothing recorded
    theHold.Begin();
    EXPECT_TRUE(theHold.Holding());
    Edit(v, 3);
    theHold.Begin(); // nested level joins the outer step
    Edit(v, 4);
    theHold.Accept(L"inner");
    EXPECT_EQ(theHold.GetUndoCount(), 0);
    theHold.Accept(L"Param Change");
    EXPECT_EQ(theHold.GetUndoCount(), 1);
    EXPECT_STREQ(theHold.GetUndoLabel(0).data(), L"Param Change");
    EXPECT_TRUE(theHold.Undo());
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(theHold.Redo());
    EXPECT_EQ(v, 4);

    theHold.Begin();
    Edit(v, 5);
    Edit(v, 6);
    theHold.Cancel();
    EXPECT_EQ(v, 4) << "cancel restores newest first back to the start";
    EXPECT_EQ(theHold.GetUndoCount(), 1);
    theHold.Accept(L"stray"); // nothing open: ignored
    theHold.Cancel();
    EXPECT_FALSE(theHold.Holding());

    theHold.Begin();
    theHold.Suspend();
    EXPECT_FALSE(theHold.Holding());
    Edit(v, 7);
    theHold.Resume();
    theHold.Accept(L"empty");
    EXPECT_EQ(theHold.GetUndoCount(), 1) << "a step with no records is not kept";
    theHold.ClearHistory();
}

TEST(Hold, SuperGroupsSeveralAcceptsIntoOneStep)
{
    theHold.ClearHistory();
    int v = 0;
    theHold.SuperBegin();
    theHold.Begin();
    Edit(v, 1);
    theHold.Accept(L"first");
    theHold.Begin();
    Edit(v, 2);
    theHold.Accept(L"second");
    EXPECT_EQ(theHold.GetUndoCount(), 0) << "the group is still open";
    theHold.SuperAccept(L"both");
    ASSERT_EQ(theHold.GetUndoCount(), 1);
    EXPECT_STREQ(theHold.GetUndoLabel(0).data(), L"both");
    theHold.Begin();
    EXPECT_FALSE(theHold.Undo()) << "no undo in the middle of an edit";
    theHold.Cancel();
    EXPECT_TRUE(theHold.Undo());
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(theHold.Undo());

    theHold.SuperBegin();
    theHold.Begin();
    Edit(v, 5);
    theHold.Accept(L"gone");
    theHold.SuperCancel();
    EXPECT_EQ(v, 0) << "cancelling the group restores its accepted edits";
    EXPECT_EQ(theHold.GetUndoCount(), 0);
    EXPECT_EQ(theHold.GetRedoCount(), 1) << "the redo of the undone step survives a cancel";
    theHold.ClearHistory();
}

TEST(Hold, NewStepClearsRedo)
{
    theHold.ClearHistory();
    int v = 0;
    theHold.Begin();
    Edit(v, 1);
    theHold.Accept(L"a");
    theHold.Undo();
    EXPECT_EQ(theHold.GetRedoCount(), 1);
    theHold.Begin();
    Edit(v, 2);
    theHold.Accept(L"b");
    EXPECT_EQ(theHold.GetRedoCount(), 0);
    EXPECT_FALSE(theHold.Redo());
    EXPECT_EQ(v, 2);
    theHold.ClearHistory();
}

} // namespace
