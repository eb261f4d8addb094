// Undo of the texture's own values. Before its per-layer tables, its map list or its Output
// settings change while the host is holding, the texture puts a record of them into the host's
// undo system (HoldLayers). A record holds the values before the change and, once the host
// accepts the step, the values after it; undoing or redoing gives the texture those values,
// references included, and tells everyone as an edit does, so the editor, renders and the
// viewport follow. (The reference system records sub-map assignments and the block its counts
// and labels; putting the same reference back twice changes nothing.)
#include "vorlith.h"

#include "hold.h"

namespace {

// The objects a record points at: the texture, watched (reference 0: no real dependency, so
// the texture goes when the host deletes it, and the record lets go of it without deleting it,
// since a texture may be a root nothing refers to), and the maps of its values, kept alive
// while the record exists, so a map released by an edit is still there for an undo, and
// deleted with the record when nothing else refers to it. When the texture goes, the record
// can do nothing more: it lets go of the maps at once. An object deleted anyway is forgotten,
// and its reference reads null. Its own references are not edits: they are never recorded.
class UndoKeeper : public ReferenceMaker {
public:
    explicit UndoKeeper(Vorlith* tex) { Keep(tex); }

    // Appends a reference to target (a null target takes a place too); returns its index.
    int Keep(RefTargetHandle target)
    {
        const int index = refs.Count();
        RefTargetHandle none = NULL;
        refs.Append(1, &none);
        if (target) {
            theHold.Suspend();
            ReplaceReference(index, target);
            theHold.Resume();
        }
        return index;
    }
    RefTargetHandle Kept(int i) { return GetReference(i); }
    Vorlith* Texture() { return static_cast<Vorlith*>(GetReference(0)); }
    void Release()
    {
        theHold.Suspend();
        ReplaceReference(0, NULL, FALSE);
        DeleteAllRefsFromMe();
        theHold.Resume();
    }

    int NumRefs() { return refs.Count(); }
    RefTargetHandle GetReference(int i) { return i >= 0 && i < refs.Count() ? refs[i] : NULL; }

protected:
    void SetReference(int i, RefTargetHandle target)
    {
        if (i >= 0 && i < refs.Count()) refs[i] = target;
    }

public:
    BOOL IsRealDependency(ReferenceTarget* target)
    {
        return refs.Count() > 0 && target == refs[0] ? FALSE : TRUE;
    }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle target, PartID&, RefMessage message,
                               BOOL)
    {
        return Heard(target, message);
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle target, PartID&, RefMessage message)
    {
        return Heard(target, message);
    }
#endif

private:
    RefResult Heard(RefTargetHandle target, RefMessage message)
    {
        if (message == REFMSG_TARGET_DELETED && refs.Count() > 0 && target == refs[0]) {
            theHold.Suspend();
            for (int i = refs.Count() - 1; i >= 1; --i)
                DeleteReference(i);
            theHold.Resume();
        }
        return REF_SUCCEED;
    }

    Tab<RefTargetHandle> refs;
};

} // namespace

// The texture's own values. Its map list is held by the keeper: entries firstMap onwards.
struct VorlithValues {
    int firstMap;
    int mapCount;
    LayerValueTables layerValues;
    OutputSettings output;

    VorlithValues() : firstMap(0), mapCount(0) { SetDefaultOutputSettings(output); }

    void Take(Vorlith& tex, UndoKeeper& keeper)
    {
        mapCount = tex.mapList.Count();
        firstMap = keeper.NumRefs();
        for (int e = 0; e < mapCount; ++e)
            keeper.Keep(tex.mapList[e]);
        layerValues = tex.layerValues;
        output = tex.output;
    }

    // The texture's references are pointed at these maps through the reference system, so
    // every map keeps its dependents right; then the tables and Output settings are copied.
    void Give(Vorlith& tex, UndoKeeper& keeper) const
    {
        theHold.Suspend();
        for (int e = tex.mapList.Count() - 1; e >= mapCount; --e)
            tex.ReplaceReference(e + 1, NULL);
        if (tex.mapList.Count() > mapCount) tex.mapList.SetCount(mapCount);
        for (int e = 0; e < mapCount; ++e) {
            Texmap* map = static_cast<Texmap*>(keeper.Kept(firstMap + e));
            if (e >= tex.mapList.Count() || tex.mapList[e] != map) tex.ReplaceReference(e + 1, map);
        }
        if (tex.mapList.Count() < mapCount) {
            const int old = tex.mapList.Count();
            tex.mapList.SetCount(mapCount);
            for (int e = old; e < mapCount; ++e)
                tex.mapList[e] = NULL;
        }
        theHold.Resume();
        tex.layerValues = layerValues;
        tex.output = output;
        // Told as an edit is, so the editor, renders and the viewport follow.
        tex.LayersEdited();
    }
};

namespace {

class VorlithRestore : public RestoreObj {
public:
    explicit VorlithRestore(Vorlith* tex) : keeper(tex), accepted(false)
    {
        before.Take(*tex, keeper);
    }
    ~VorlithRestore() { keeper.Release(); }

    // The step is accepted: the values it ends with are what a redo gives back.
    void EndHold()
    {
        Vorlith* tex = keeper.Texture();
        if (tex && !accepted) after.Take(*tex, keeper);
        accepted = true;
    }
    void Restore(int /*isUndo*/) { Give(before); }
    void Redo()
    {
        if (accepted) Give(after);
    }
    int Size()
    {
        return before.mapCount + after.mapCount + 8 * before.layerValues.modeList.Count();
    }
    MSTR Description() { return MSTR(_T("Vorlith layers")); }

private:
    void Give(const VorlithValues& values)
    {
        Vorlith* tex = keeper.Texture();
        if (!tex) return;
        values.Give(*tex, keeper);
    }

    UndoKeeper keeper;
    VorlithValues before;
    VorlithValues after;
    bool accepted;
};

} // namespace

void Vorlith::HoldLayers()
{
    if (theHold.Holding()) theHold.Put(new VorlithRestore(this));
}
