// What an undo record points at, kept alive for as long as the record exists: the record holds
// references to its objects, so a map released by an edit is not deleted while an undo could
// bring it back, and is deleted with the record when nothing else refers to it. An object
// deleted anyway (DeleteMe) is forgotten: the record then does nothing for it. Place 0 can be
// a watch only (the object the record is about, which may be a root nothing refers to): the
// watch is no real dependency, so it never keeps the object alive, and the record lets go of it
// without deleting it. When a watched object is deleted, the record can do nothing more and
// lets go of the rest at once. The keeper's own references are never recorded.
#pragma once

#include <vector>

#include "../hold.h"
#include "../ref.h"

namespace host {

class HoldKeeper : public ReferenceMaker {
public:
    HoldKeeper(int count, bool watchFirst)
        : refs((size_t)count, nullptr), watchFirst(watchFirst) { }
    // Keeps target in place i (null keeps nothing).
    void Keep(int i, RefTargetHandle target)
    {
        theHold.Suspend();
        ReplaceReference(i, target);
        theHold.Resume();
    }
    RefTargetHandle Kept(int i) { return GetReference(i); }
    // Lets go of everything: targets nothing else refers to are deleted.
    void Release()
    {
        theHold.Suspend();
        if (watchFirst) ReplaceReference(0, nullptr, FALSE);
        DeleteAllRefsFromMe();
        theHold.Resume();
    }

    int NumRefs() override { return (int)refs.size(); }
    RefTargetHandle GetReference(int i) override
    {
        return i >= 0 && i < (int)refs.size() ? refs[(size_t)i] : nullptr;
    }
    void SetReference(int i, RefTargetHandle target) override
    {
        if (i >= 0 && i < (int)refs.size()) refs[(size_t)i] = target;
    }
    BOOL IsRealDependency(ReferenceTarget* target) override
    {
        return watchFirst && !refs.empty() && target == refs[0] ? FALSE : TRUE;
    }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle target, PartID&, RefMessage message,
                               BOOL) override
    {
        return Heard(target, message);
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle target, PartID&,
                               RefMessage message) override
    {
        return Heard(target, message);
    }
#endif

private:
    RefResult Heard(RefTargetHandle target, RefMessage message)
    {
        if (message == REFMSG_TARGET_DELETED && watchFirst && !refs.empty() && target == refs[0]) {
            theHold.Suspend();
            for (int i = (int)refs.size() - 1; i >= 1; --i)
                DeleteReference(i);
            theHold.Resume();
        }
        return REF_SUCCEED;
    }
    std::vector<RefTargetHandle> refs;
    bool watchFirst;
};

} // namespace host
