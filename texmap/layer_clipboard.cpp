// The layer clipboard. Its references are no edits: they are never recorded for undo.
#include "layer_clipboard.h"

#include "hold.h"

LayerClipboard::LayerClipboard() : full(false)
{
    maps[0] = NULL;
    maps[1] = NULL;
}

LayerClipboard& LayerClipboard::The()
{
    // Never destroyed: the host may be gone when the library's statics are.
    static LayerClipboard* clipboard = new LayerClipboard;
    return *clipboard;
}

RefTargetHandle LayerClipboard::GetReference(int i) { return i >= 0 && i < 2 ? maps[i] : NULL; }

void LayerClipboard::SetReference(int i, RefTargetHandle target)
{
    if (i >= 0 && i < 2) maps[i] = static_cast<Texmap*>(target);
}

#if MAX_RELEASE >= 17000
RefResult LayerClipboard::NotifyRefChanged(const Interval&, RefTargetHandle target, PartID&,
                                           RefMessage message, BOOL)
#else
RefResult LayerClipboard::NotifyRefChanged(Interval, RefTargetHandle target, PartID&,
                                           RefMessage message)
#endif
{
    // A copy deleted anyway (a host that frees everything) is forgotten.
    if (message == REFMSG_TARGET_DELETED) {
        for (int i = 0; i < 2; ++i) {
            if (maps[i] == target) maps[i] = NULL;
        }
    }
    return REF_SUCCEED;
}

static Texmap* CopyOf(Texmap* map)
{
    if (!map) return NULL;
    return static_cast<Texmap*>(CloneRefHierarchy(map));
}

void LayerClipboard::Take(const LayerValueTables& from, int layer, Texmap* map, Texmap* mask)
{
    if (layer < 0 || layer >= from.ShortestCount()) return;
    theHold.Suspend();
    Texmap* mapCopy = CopyOf(map);
    Texmap* maskCopy = CopyOf(mask);
    DeleteAllRefsFromMe();
    values.Resize(1);
    values.CopyEntry(0, from, layer);
    ReplaceReference(0, mapCopy);
    ReplaceReference(1, maskCopy);
    full = true;
    theHold.Resume();
}

void LayerClipboard::Clear()
{
    theHold.Suspend();
    DeleteAllRefsFromMe();
    values.Clear();
    full = false;
    theHold.Resume();
}

Texmap* LayerClipboard::NewCopy(int which)
{
    if (which < 0 || which > 1 || !full) return NULL;
    theHold.Suspend();
    Texmap* copy = CopyOf(maps[which]);
    theHold.Resume();
    return copy;
}
