// The layer list: the only code that changes the number or the order of layers. It keeps the
// texture's own tables, its references (mapList) and the parameter block's table counts in step.
#include "vorlith.h"

#include <tchar.h>
#include <stdio.h>

#include "layer_labels.h"
#include "macrorec.h"
#include "vorlith_params.h"

void Vorlith::SetLayerLabel(int layer)
{
    if (!pblock) return;
    TCHAR label[16];
    _sntprintf(label, sizeof(label) / sizeof(label[0]), _T("%d"), layer);
    label[sizeof(label) / sizeof(label[0]) - 1] = 0;
    pblock->SetValue(pb_edit_ids, 0, label, layer);
}

void Vorlith::LabelIfUnlabelled(int layer)
{
    if (!pblock || layer >= pblock->Count(pb_edit_ids)) return;
    const MCHAR* label = NULL;
    Interval scratch;
    pblock->GetValue(pb_edit_ids, 0, label, scratch, layer);
    if (label == NULL || label[0] == 0) SetLayerLabel(layer);
}

void Vorlith::SetNumMaps(int n)
{
    if (ResizeStack(n)) LayersEdited();
}

// SetNumMaps without its message: true when the number of layers changed.
bool Vorlith::ResizeStack(int n)
{
    const int old = NumLayers();
    if (n < 1 || n > VORLITH_MAX_LAYERS || n == old) return false;
    // Nothing worked out from the old stack is used while the block's messages go out below.
    ValuesChanged();
    const int oldEntries = mapList.Count();
    // Layers the per-layer tables did not hold yet (layers known only by their map slots, as a
    // restored reference past the end leaves them) are made new layers below, like those added.
    const int held = NumUsableLayers();
    const int firstNew = held < old ? held : old;
    HoldLayers();

    // Layers that go: their maps and masks leave the scene's active set and are released. An
    // odd entry left past the last whole layer (a sub-map set by index) is released with them.
    if (n < old) {
        for (int k = n; k < old; ++k) {
            if (mapList[2 * k]) DeactivateMapsInTree(mapList[2 * k]);
            if (mapList[2 * k + 1]) DeactivateMapsInTree(mapList[2 * k + 1]);
            ReplaceReference(2 * k + 1, NULL);
            ReplaceReference(2 * k + 2, NULL);
        }
        for (int e = 2 * old; e < oldEntries; ++e) {
            if (mapList[e]) DeactivateMapsInTree(mapList[e]);
            ReplaceReference(e + 1, NULL);
        }
    }

    // Our own mapList first: a change message the block sends below then finds its counts
    // equal to ours and starts no second resize. Entries added are empty; an odd entry that
    // already holds a sub-map stays the new layer's map.
    mapList.SetCount(2 * n);
    for (int e = oldEntries; e < 2 * n; ++e)
        mapList[e] = NULL;
    if (pblock) pblock->SetCount(pb_map_list, 2 * n);

    macroRecorder->Disable();
    if (pblock) {
#define VORLITH_BLOCK_COUNT(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    if (PARAM != VORLITH_NO_BLOCK_PARAM) pblock->SetCount(PARAM, n);
        VORLITH_LAYER_VALUES(VORLITH_BLOCK_COUNT)
#undef VORLITH_BLOCK_COUNT
        pblock->SetCount(pb_edit_ids, n);
    }
    // Entries the tables gain take the new-layer defaults even where the tables were shorter
    // than the layer count, so no layer is ever left with unset values.
    layerValues.Resize(n);
    macroRecorder->Enable();

    for (int i = firstNew; i < n; ++i) {
        SetLayerLabel(i);
        layerValues.SetNewLayer(i);
    }

    ValuesChanged();
    return true;
}

void Vorlith::SwapLayers(int a, int b)
{
    const int layers = NumLayers();
    if (a < 0 || b < 0 || a >= layers || b >= layers || a == b) return;
    // Two layers just alike, values, map and mask: exchanging them changes nothing.
    if (layerValues.EntriesAlike(a, b) && LayerValueTables::SameEntries(mapList, 2 * a, 2 * b) &&
        LayerValueTables::SameEntries(mapList, 2 * a + 1, 2 * b + 1))
        return;
    HoldLayers();
    ExchangeLayers(a, b);
    LayersEdited();
}

// SwapLayers without its checks or its undo record (the caller's).
void Vorlith::ExchangeLayers(int a, int b)
{
    plan.Drop();

    layerValues.Swap(a, b);
    // Both layers stay ours: the references exchange targets without being released.
    LayerValueTables::SwapEntries(mapList, 2 * a, 2 * b);
    LayerValueTables::SwapEntries(mapList, 2 * a + 1, 2 * b + 1);
    // The viewport's stages show layers by index: they are made again.
    DiscardTexHandles();
}

void Vorlith::InsertLayer(int k)
{
    if (k <= 0 || k >= NumLayers()) return;
    // An odd entry past the last whole layer that holds a map (restored by index) becomes a
    // layer of its own first, so that the layer inserted is an empty one and that map stays on
    // top.
    const bool oddMap = mapList.Count() % 2 != 0 && mapList[mapList.Count() - 1] != NULL;
    const int layers = NumLayers() + (oddMap ? 1 : 0);
    if (layers >= VORLITH_MAX_LAYERS) return;
    if (oddMap) ResizeStack(layers);
    ResizeStack(layers + 1);
    for (int i = layers; i > k; --i)
        ExchangeLayers(i, i - 1);
    LayersEdited();
}

void Vorlith::DeleteLayer(int k)
{
    const int layers = NumLayers();
    if (k <= 0 || k >= layers) return;
    HoldLayers();
    for (int i = k; i < layers - 1; ++i)
        ExchangeLayers(i, i + 1);
    ResizeStack(layers - 1);
    LayersEdited();
}

void Vorlith::ResetLayers()
{
    macroRecorder->Disable();
    ValuesChanged();
    firstVisible = 0;

    // Only where no map is referenced (construction, Reset after its references went).
    mapList.ZeroCount();
    mapList.Shrink();
    ResizeStack(1);

    mapList[0] = NULL;
    mapList[1] = NULL;
    layerValues.SetNewLayer(0);

    SetDefaultOutputSettings(output);
    macroRecorder->Enable();
    LayersEdited();
}

// The Output settings --------------------------------------------------------------------------

static bool SameOutput(const OutputSettings& a, const OutputSettings& b)
{
    return a.Output_on == b.Output_on && a.Clamp == b.Clamp && SameValue(a.alpha, b.alpha) &&
        SameValue(a.Mono, b.Mono) && SameValue(a.bright, b.bright) &&
        SameValue(a.contrast, b.contrast) && SameValue(a.gamma, b.gamma) &&
        SameValue(a.outputShiftHSV, b.outputShiftHSV) &&
        SameValue(a.outputShiftRGB, b.outputShiftRGB);
}

bool Vorlith::SetOutput(const OutputSettings& next)
{
    if (SameOutput(output, next)) return false;
    HoldLayers();
    output = next;
    LayersEdited();
    return true;
}

// What the editor shows --------------------------------------------------------------------------

int Vorlith::FirstVisibleLayer(int rows) const
{
    const int last = NumLayers() - rows;
    int first = firstVisible > last ? last : firstVisible;
    return first < 0 ? 0 : first;
}

void Vorlith::ShowLayersFrom(int first, int rows)
{
    firstVisible = first;
    firstVisible = FirstVisibleLayer(rows);
}

// The block's index label of a layer, written only when it changes: a write is a change of the
// block, which would make the texture reload its editor again.
void Vorlith::StoreIndexLabel(int layer, const MCHAR* text)
{
    if (!pblock || layer >= pblock->Count(pb_edit_ids)) return;
    const MCHAR* stored = NULL;
    Interval ignored = FOREVER;
    if (pblock->GetValue(pb_edit_ids, 0, stored, ignored, layer) && stored &&
        _tcscmp(stored, text) == 0)
        return;
    pblock->SetValue(pb_edit_ids, 0, text, layer);
}

// The layer's label in its map's and mask's names, in place of a label they carry already.
void Vorlith::NameLayerMaps(int layer)
{
    Texmap* map = mapList[2 * layer];
    if (map) {
        const MSTR name = map->GetName();
        map->SetName(MapLabel(layer, layerValues.modeList[layer], layerValues.opasityList[layer],
                              StripLayerLabel(name.data()).data()));
    }
    Texmap* mask = mapList[2 * layer + 1];
    if (mask) {
        const MSTR name = mask->GetName();
        mask->SetName(MaskLabel(layer, StripLayerLabel(name.data()).data()));
    }
}

void Vorlith::LabelForEditor(int first, int rows)
{
    const int layers = NumUsableLayers();
    for (int layer = first; layer < layers && layer - first < rows; ++layer) {
        if (layer < 0) continue;
        NameLayerMaps(layer);
        MSTR index;
        if (layer == 0)
            index = _T("B:");
        else
            index.printf(_T("%d"), layer);
        StoreIndexLabel(layer, index.data());
    }
    output.outputShiftHSV.a = 0.0f;
    output.outputShiftRGB.a = 0.0f;
}
