// The row menu's actions on the layer stack: duplicate, move, clear a map or mask, copy and
// paste. Like the layer list's other operations each is one record while the host holds and one
// message; those that would change nothing record and tell nothing.
#include "vorlith.h"

#include "hold.h"
#include "layer_clipboard.h"

bool Vorlith::CanAddLayer() const
{
    const bool oddMap = mapList.Count() % 2 != 0 && mapList[mapList.Count() - 1] != NULL;
    return NumLayers() + (oddMap ? 1 : 0) < VORLITH_MAX_LAYERS;
}

int Vorlith::AddLayerAt(int at, const LayerValueTables& values, int entry, Texmap* map,
                        Texmap* mask)
{
    if (at < 1 || at > NumLayers() || !CanAddLayer()) return -1;
    // An odd entry past the last whole layer that holds a map becomes a layer of its own first,
    // as InsertLayer does.
    const bool oddMap = mapList.Count() % 2 != 0 && mapList[mapList.Count() - 1] != NULL;
    const int layers = NumLayers() + (oddMap ? 1 : 0);
    if (oddMap) ResizeStack(layers);
    ResizeStack(layers + 1);
    layerValues.CopyEntry(layers, values, entry);
    // The texture's record holds the maps before and after; one of the reference system's own,
    // redone after it, would put the maps back where they were before the layers moved.
    theHold.Suspend();
    ReplaceReference(2 * layers + 1, map);
    ReplaceReference(2 * layers + 2, mask);
    theHold.Resume();
    for (int i = layers; i > at; --i)
        ExchangeLayers(i, i - 1);
    return at;
}

static Texmap* CopyOfMap(Texmap* map)
{
    if (!map) return NULL;
    // Making the copy is no edit; setting it into the stack is, and is recorded.
    theHold.Suspend();
    Texmap* copy = static_cast<Texmap*>(CloneRefHierarchy(map));
    theHold.Resume();
    return copy;
}

int Vorlith::DuplicateLayer(int k)
{
    if (k < 0 || k >= NumUsableLayers() || k >= NumLayers() || !CanAddLayer()) return -1;
    Texmap* map = CopyOfMap(mapList[2 * k]);
    Texmap* mask = CopyOfMap(mapList[2 * k + 1]);
    const int made = AddLayerAt(k + 1, layerValues, k, map, mask);
    LayersEdited();
    return made;
}

int Vorlith::MoveLayer(int k, int to)
{
    const int layers = NumLayers();
    if (k < 1 || to < 1 || k >= layers || to >= layers || k == to) return -1;
    // Among layers all alike the move changes nothing.
    const int step = to > k ? 1 : -1;
    bool alike = true;
    for (int i = k + step; alike && i != to + step; i += step) {
        alike = layerValues.EntriesAlike(k, i) &&
            LayerValueTables::SameEntries(mapList, 2 * k, 2 * i) &&
            LayerValueTables::SameEntries(mapList, 2 * k + 1, 2 * i + 1);
    }
    if (alike) return -1;
    HoldLayers();
    for (int i = k; i != to; i += step)
        ExchangeLayers(i, i + step);
    LayersEdited();
    return to;
}

int Vorlith::ClearLayerMap(int k, bool mask)
{
    const int entry = 2 * k + (mask ? 1 : 0);
    if (k < 0 || k >= NumLayers() || !mapList[entry]) return -1;
    HoldLayers();
    DeactivateMapsInTree(mapList[entry]);
    ReplaceReference(entry + 1, NULL);
    LayersEdited();
    return k;
}

bool Vorlith::CopyLayer(int k)
{
    if (k < 0 || k >= NumUsableLayers() || k >= NumLayers()) return false;
    LayerClipboard::The().Take(layerValues, k, mapList[2 * k], mapList[2 * k + 1]);
    return true;
}

int Vorlith::PasteLayer(int at)
{
    LayerClipboard& clipboard = LayerClipboard::The();
    if (!clipboard.Full() || at < 1 || at > NumLayers() || !CanAddLayer()) return -1;
    Texmap* map = clipboard.NewCopy(0);
    Texmap* mask = clipboard.NewCopy(1);
    const int made = AddLayerAt(at, clipboard.Values(), 0, map, mask);
    LayersEdited();
    return made;
}
