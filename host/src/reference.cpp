// The reference system: makers, targets, their links, change notification and copying.
//
// Each reference from a maker to a target is one link, kept on both sides: the target's
// dependents list has the maker once per reference, the maker's links list has the target once
// per reference. The links let either side go away without leaving the other a dangling
// pointer.
#include "ref.h"

#include "hold.h"
#include "host/accounting.h"
#include "host/hold_keeper.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct RefMakerLinks {
    std::vector<ReferenceTarget*> targets;
};

struct RefTargetLinks {
    std::vector<ReferenceMaker*> makers;
};

namespace {

// Removes one occurrence, searching from the back: links are mostly released in the reverse
// order of their making, and a maker that refers to one target many times finds one at once.
template <class T>
bool RemoveOne(std::vector<T*>& v, T* p)
{
    auto it = std::find(v.rbegin(), v.rend(), p);
    if (it == v.rend()) return false;
    v.erase(std::next(it).base());
    return true;
}

// Depth of nested NotifyDependents calls; a loop of references stops here.
thread_local int notifyDepth = 0;
const int kMaxNotifyDepth = 100;

} // namespace

static void ForgetRecords(ReferenceMaker* maker);

// ReferenceMaker

ReferenceMaker::ReferenceMaker() : links(new RefMakerLinks) { }

ReferenceMaker::~ReferenceMaker()
{
    // Unregister from every target still linked, so none keeps a pointer to this maker.
    for (ReferenceTarget* t : links->targets)
        if (t->dependents) RemoveOne(t->dependents->makers, static_cast<ReferenceMaker*>(this));
    ForgetRecords(this);
    delete links;
    links = NULL;
}

void ReferenceMaker::AddLink(RefTargetHandle targ) { links->targets.push_back(targ); }

void ReferenceMaker::RemoveLink(RefTargetHandle targ) { RemoveOne(links->targets, targ); }

// True when maker can be reached from targ by following references: a reference from maker
// to targ would then close a loop. Only a target that something refers to can be reached, so a
// maker without dependents needs no walk; otherwise each object below targ is visited once.
static bool Reaches(RefTargetHandle targ, ReferenceMaker* maker)
{
    if (targ == maker) return true;
    if (!maker->IsRefTarget() || static_cast<ReferenceTarget*>(maker)->NumDependents() == 0)
        return false;
    std::vector<ReferenceMaker*> pending {targ};
    std::unordered_set<ReferenceMaker*> seen {targ};
    while (!pending.empty()) {
        ReferenceMaker* m = pending.back();
        pending.pop_back();
        int n = m->NumRefs();
        for (int i = 0; i < n; ++i) {
            RefTargetHandle t = m->GetReference(i);
            if (!t) continue;
            if (t == maker) return true;
            if (seen.insert(t).second) pending.push_back(t);
        }
    }
    return false;
}

namespace {

class RefRestore;
// The undo records about each maker's references: told when their maker goes, so none keeps a
// pointer to it. Never destroyed: makers and records may go after the program's end.
std::unordered_map<ReferenceMaker*, std::vector<RefRestore*>>& RecordsOfMaker()
{
    static auto* records = new std::unordered_map<ReferenceMaker*, std::vector<RefRestore*>>;
    return *records;
}

// A reference replaced while holding: undo points it at the old target again, redo at the new
// one. Both targets are kept alive by the record. The maker is never kept: a target is watched
// (a watch does not stop its deletion) and any maker tells the record when it goes, which then
// does nothing more; an undo or redo never calls into a maker that was deleted.
class RefRestore : public RestoreObj {
public:
    RefRestore(ReferenceMaker* maker, int which, RefTargetHandle old, RefTargetHandle now)
        : maker(maker), which(which), keeper(3, true)
    {
        if (maker->IsRefTarget()) keeper.Keep(0, static_cast<ReferenceTarget*>(maker));
        keeper.Keep(1, old);
        keeper.Keep(2, now);
        RecordsOfMaker()[maker].push_back(this);
    }
    ~RefRestore() override
    {
        if (maker) {
            auto& all = RecordsOfMaker();
            auto it = all.find(maker);
            if (it != all.end()) {
                RemoveOne(it->second, this);
                if (it->second.empty()) all.erase(it);
            }
        }
        keeper.Release();
    }
    void Restore(int) override { Point(keeper.Kept(1)); }
    void Redo() override { Point(keeper.Kept(2)); }
    MSTR Description() override { return MSTR(L"Reference"); }
    // The maker is going: the record forgets it, and lets go of the targets it kept for it.
    void MakerGone()
    {
        maker = nullptr;
        keeper.Release();
    }

private:
    void Point(RefTargetHandle target)
    {
        if (!maker || maker->TestAFlag(A_IS_DELETED)) return;
        theHold.Suspend();
        maker->ReplaceReference(which, target);
        theHold.Resume();
    }
    ReferenceMaker* maker;
    int which;
    host::HoldKeeper keeper;
};

} // namespace

// Tells the records about a maker that it is going.
static void ForgetRecords(ReferenceMaker* maker)
{
    auto& all = RecordsOfMaker();
    if (all.empty()) return;
    auto it = all.find(maker);
    if (it == all.end()) return;
    std::vector<RefRestore*> records;
    records.swap(it->second);
    all.erase(it);
    for (RefRestore* r : records)
        r->MakerGone();
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld)
{
    if (which < 0) return REF_FAIL;
    if (TestAFlag(A_IS_DELETED) && newtarg) return REF_FAIL;
    if (newtarg && Reaches(newtarg, this)) return REF_FAIL;
    RefTargetHandle old = which < NumRefs() ? GetReference(which) : NULL;
    if (old == newtarg) return REF_SUCCEED;
    if (newtarg) newtarg->AddDependent(this);
    SetReference(which, newtarg);
    // A maker may refuse a target of the wrong kind (a damaged scene): then it holds no
    // reference to it, and the dependency just made is taken back.
    RefTargetHandle now = which < NumRefs() ? GetReference(which) : NULL;
    if (now != newtarg && newtarg)
        newtarg->RemoveDependent(this); // refused: it stays whatever it was before
    // Recorded before the old target may go: the record keeps it for an undo.
    if (now != old && theHold.Holding()) theHold.Put(new RefRestore(this, which, old, now));
    if (old && now != old) {
        old->RemoveDependent(this);
        if (delOld) old->MaybeAutoDelete();
    }
    return now == newtarg ? REF_SUCCEED : REF_FAIL;
}

RefResult ReferenceMaker::DeleteReference(int i)
{
    if (i < 0 || i >= NumRefs()) return REF_FAIL;
    RefTargetHandle old = GetReference(i);
    if (!old) return REF_SUCCEED;
    SetReference(i, NULL);
    old->RemoveDependent(this);
    old->MaybeAutoDelete();
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteAllRefsFromMe()
{
    for (int i = NumRefs() - 1; i >= 0; --i) {
        if (i >= NumRefs()) continue; // a release may have shrunk the maker
        DeleteReference(i);
    }
    return REF_SUCCEED;
}

void ReferenceMaker::DeleteMe()
{
    if (TestAFlag(A_IS_DELETED)) return;
    SetAFlag(A_IS_DELETED);
    DeleteAllRefsFromMe();
    if (IsRefTarget()) static_cast<ReferenceTarget*>(this)->DeleteAllRefsToMe();
    DeleteThis();
}

int ReferenceMaker::NumRefs() { return 0; }
RefTargetHandle ReferenceMaker::GetReference(int) { return NULL; }
void ReferenceMaker::SetReference(int, RefTargetHandle) { }
IOResult ReferenceMaker::Save(ISave*) { return IO_OK; }
IOResult ReferenceMaker::Load(ILoad*) { return IO_OK; }

int ReferenceMaker::FindRef(RefTargetHandle targ)
{
    if (!targ) return -1;
    int n = NumRefs();
    for (int i = 0; i < n; ++i)
        if (GetReference(i) == targ) return i;
    return -1;
}

void ReferenceMaker::BaseClone(ReferenceTarget*, ReferenceTarget*, RemapDir&) { }

// ReferenceTarget

ReferenceTarget::ReferenceTarget() : dependents(new RefTargetLinks)
{
    host::CountTarget(this, true);
}

ReferenceTarget::~ReferenceTarget()
{
    host::CountTarget(this, false);
    // Makers that still refer to this target lose the reference (set to NULL) instead of
    // keeping a pointer to a deleted object.
    std::vector<ReferenceMaker*> makers;
    makers.swap(dependents->makers);
    delete dependents;
    dependents = NULL;
    for (ReferenceMaker* m : makers) {
        if (!m->links) continue;
        if (!RemoveOne(m->links->targets, static_cast<ReferenceTarget*>(this))) continue;
        int n = m->NumRefs();
        for (int i = 0; i < n; ++i)
            if (m->GetReference(i) == this) {
                m->SetReference(i, NULL);
                break;
            }
    }
}

void ReferenceTarget::AddDependent(ReferenceMaker* rm)
{
    dependents->makers.push_back(rm);
    rm->AddLink(this);
}

void ReferenceTarget::RemoveDependent(ReferenceMaker* rm)
{
    if (dependents && RemoveOne(dependents->makers, rm)) rm->RemoveLink(this);
}

int ReferenceTarget::NumDependents() { return dependents ? (int)dependents->makers.size() : 0; }

ReferenceMaker* ReferenceTarget::GetDependent(int i)
{
    if (!dependents || i < 0 || i >= (int)dependents->makers.size()) return NULL;
    return dependents->makers[(size_t)i];
}

// Only real dependents keep a target: watches (an undo record's look at the object it is
// about) are told of the deletion and let go.
BOOL ReferenceTarget::MaybeAutoDelete()
{
    if (TestAFlag(A_IS_DELETED) || !dependents) return FALSE;
    for (ReferenceMaker* m : dependents->makers)
        if (m->IsRealDependency(this)) return FALSE;
    SetAFlag(A_IS_DELETED);
    DeleteAllRefsFromMe();
    DeleteAllRefsToMe();
    DeleteThis();
    return TRUE;
}

RefResult ReferenceTarget::DeleteAllRefsToMe()
{
    while (NumDependents() > 0) {
        ReferenceMaker* m = dependents->makers.back();
        PartID part = PART_ALL;
#if MAX_RELEASE >= 17000
        m->NotifyRefChanged(FOREVER, this, part, REFMSG_TARGET_DELETED, FALSE);
#else
        m->NotifyRefChanged(FOREVER, this, part, REFMSG_TARGET_DELETED);
#endif
        // The maker may have dropped the reference itself while handling the message.
        if (NumDependents() == 0 || dependents->makers.back() != m) continue;
        int i = m->FindRef(this);
        if (i >= 0) m->SetReference(i, NULL);
        RemoveDependent(m);
    }
    return REF_SUCCEED;
}

#if MAX_RELEASE >= 17000
RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID,
                                            RefMessage message, SClass_ID sclass, BOOL propagate,
                                            RefTargetHandle hTarg, NotifyDependentsOption)
#else
RefResult ReferenceTarget::NotifyDependents(Interval changeInt, PartID partID, RefMessage message,
                                            SClass_ID sclass, BOOL propagate, RefTargetHandle hTarg)
#endif
{
    if (notifyDepth >= kMaxNotifyDepth || !dependents) return REF_STOP;
    ++notifyDepth;
    RefTargetHandle from = hTarg ? hTarg : this;
    std::vector<ReferenceMaker*> makers = dependents->makers;
    std::vector<ReferenceMaker*> told;
    for (ReferenceMaker* m : makers) {
        // One message per maker, however many references it holds to this target.
        if (std::find(told.begin(), told.end(), m) != told.end()) continue;
        told.push_back(m);
        // Skip makers that went away or let go while earlier ones were told.
        if (!dependents ||
            std::find(dependents->makers.begin(), dependents->makers.end(), m) ==
                dependents->makers.end())
            continue;
        if (m->TestAFlag(A_IS_DELETED)) continue;
        if (sclass != NOTIFY_ALL && m->SuperClassID() != sclass) continue;
        PartID part = partID;
#if MAX_RELEASE >= 17000
        RefResult r = m->NotifyRefChanged(changeInt, from, part, message, propagate);
#else
        RefResult r = m->NotifyRefChanged(changeInt, from, part, message);
#endif
        if (r != REF_STOP && propagate && m->IsRefTarget())
            static_cast<ReferenceTarget*>(m)->NotifyDependents(changeInt, partID, message, sclass,
                                                               propagate, NULL);
    }
    --notifyDepth;
    return REF_SUCCEED;
}

RefTargetHandle ReferenceTarget::Clone(RemapDir&) { return NULL; }

void ReferenceTarget::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap)
{
    ReferenceMaker::BaseClone(from, to, remap);
}

// Remap directory of one copy operation.
namespace {

class HostRemapDir : public RemapDir {
public:
    RefTargetHandle FindMapping(RefTargetHandle oldTarg) override
    {
        auto it = map.find(oldTarg);
        return it == map.end() ? NULL : it->second;
    }
    RefTargetHandle CloneRef(RefTargetHandle oldTarg) override
    {
        if (!oldTarg) return NULL;
        if (RefTargetHandle copy = FindMapping(oldTarg)) return copy;
        RefTargetHandle copy = oldTarg->Clone(*this);
        if (copy) map[oldTarg] = copy;
        return copy;
    }
    void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) override
    {
        if (hfrom) map[hfrom] = hto;
    }
    void PatchPointer(RefTargetHandle* patchThis, RefTargetHandle oldTarg) override
    {
        if (!patchThis) return;
        if (RefTargetHandle copy = FindMapping(oldTarg)) *patchThis = copy;
    }
    void DeleteThis() override { delete this; }

private:
    std::map<RefTargetHandle, RefTargetHandle> map;
};

} // namespace

RemapDir* NewRemapDir(BOOL) { return new HostRemapDir; }

RefTargetHandle CloneRefHierarchy(RefTargetHandle rtarg)
{
    if (!rtarg) return NULL;
    RemapDir* remap = NewRemapDir();
    RefTargetHandle copy = remap->CloneRef(rtarg);
    remap->DeleteThis();
    return copy;
}
