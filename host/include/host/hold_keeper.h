// What an undo record points at, kept alive for as long as the record exists: the record holds
// references to its objects, so a map released by an edit is not deleted while an undo could
// bring it back, and is deleted with the record when nothing else refers to it. An object
// deleted anyway (DeleteMe) is forgotten: the record then does nothing for it. Place 0 can be
// a watch only (the object the record is about, which may be a root nothing refers to): the
// record lets go of it without deleting it. The keeper's own references are never recorded.
#pragma once

#include <vector>

#include "../hold.h"
#include "../ref.h"

namespace host {

class HoldKeeper : public ReferenceMaker {
public:
    HoldKeeper(int count, bool watchFirst) : refs((size_t)count, nullptr), watchFirst(watchFirst) {}
    // Keeps target in place i (null keeps nothing).
    void Keep(int i, RefTargetHandle target) {
        theHold.Suspend();
        ReplaceReference(i, target);
        theHold.Resume();
    }
    RefTargetHandle Kept(int i) { return GetReference(i); }
    // Lets go of everything: targets nothing else refers to are deleted.
    void Release() {
        theHold.Suspend();
        if (watchFirst) ReplaceReference(0, nullptr, FALSE);
        DeleteAllRefsFromMe();
        theHold.Resume();
    }

    int NumRefs() override { return (int)refs.size(); }
    RefTargetHandle GetReference(int i) override {
        return i >= 0 && i < (int)refs.size() ? refs[(size_t)i] : nullptr;
    }
    void SetReference(int i, RefTargetHandle target) override {
        if (i >= 0 && i < (int)refs.size()) refs[(size_t)i] = target;
    }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
#endif

private:
    std::vector<RefTargetHandle> refs;
    bool watchFirst;
};

}  // namespace host
