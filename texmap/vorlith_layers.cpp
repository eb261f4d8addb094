// The layer list: the only code that changes the number or the order of layers. It keeps the
// texture's own tables, its references (mapList) and the parameter block's table counts in step.
#include "vorlith.h"

#include <string.h>

#include <tchar.h>
#include <stdio.h>

#include "macrorec.h"
#include "vorlith_params.h"

static Color NewLayerColor()
{
    return Color(VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY);
}

// A new layer's values (ivorlith.h); its map and mask are the caller's.
void Vorlith::SetNewLayerDefaults(int layer)
{
    mapEnabled[layer] = VORLITH_NEW_LAYER_SWITCH;
    maskEnabled[layer] = VORLITH_NEW_LAYER_SWITCH;
    mapUsed[layer] = VORLITH_NEW_LAYER_SWITCH;
    colorList[layer] = NewLayerColor();
    opasityList[layer] = VORLITH_NEW_LAYER_OPACITY;
    modeList[layer] = VORLITH_NEW_LAYER_MODE;
}

// Resizes one table to n, keeping its entries and giving those it adds the value fill.
template <class T>
static void ResizeKeeping(Tab<T>& table, int n, const T& fill)
{
    const int old = table.Count();
    if (old == n)
        return;
    table.SetCount(n);
    for (int i = old; i < n; ++i)
        table[i] = fill;
}

void Vorlith::ResizeLayerTables(int n)
{
    if (n < 0)
        n = 0;
    ResizeKeeping(mapEnabled, n, VORLITH_NEW_LAYER_SWITCH);
    ResizeKeeping(maskEnabled, n, VORLITH_NEW_LAYER_SWITCH);
    ResizeKeeping(mapUsed, n, VORLITH_NEW_LAYER_SWITCH);
    ResizeKeeping(colorList, n, NewLayerColor());
    ResizeKeeping(opasityList, n, VORLITH_NEW_LAYER_OPACITY);
    ResizeKeeping(modeList, n, VORLITH_NEW_LAYER_MODE);
}

void Vorlith::SetLayerLabel(int layer)
{
    if (!pblock)
        return;
    TCHAR label[16];
    _sntprintf(label, sizeof(label) / sizeof(label[0]), _T("%d"), layer);
    label[sizeof(label) / sizeof(label[0]) - 1] = 0;
    pblock->SetValue(pb_edit_ids, 0, label, layer);
}

void Vorlith::LabelIfUnlabelled(int layer)
{
    if (!pblock || layer >= pblock->Count(pb_edit_ids))
        return;
    const MCHAR* label = NULL;
    Interval scratch;
    pblock->GetValue(pb_edit_ids, 0, label, scratch, layer);
    if (label == NULL || label[0] == 0)
        SetLayerLabel(layer);
}

void Vorlith::SetNumMaps(int n)
{
    const int old = NumLayers();
    if (n < 1 || n > VORLITH_MAX_LAYERS || n == old)
        return;
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
            if (mapList[2 * k])
                DeactivateMapsInTree(mapList[2 * k]);
            if (mapList[2 * k + 1])
                DeactivateMapsInTree(mapList[2 * k + 1]);
            ReplaceReference(2 * k + 1, NULL);
            ReplaceReference(2 * k + 2, NULL);
        }
        for (int e = 2 * old; e < oldEntries; ++e) {
            if (mapList[e])
                DeactivateMapsInTree(mapList[e]);
            ReplaceReference(e + 1, NULL);
        }
    }

    // Our own mapList first: a change message the block sends below then finds its counts
    // equal to ours and starts no second resize. Entries added are empty; an odd entry that
    // already holds a sub-map stays the new layer's map.
    mapList.SetCount(2 * n);
    for (int e = oldEntries; e < 2 * n; ++e)
        mapList[e] = NULL;
    if (pblock)
        pblock->SetCount(pb_map_list, 2 * n);

    macroRecorder->Disable();
    if (pblock) {
        pblock->SetCount(pb_map_enabled, n);
        pblock->SetCount(pb_mask_enabled, n);
        pblock->SetCount(pb_map_used, n);
        pblock->SetCount(pb_color_list, n);
        pblock->SetCount(pb_opasity_list, n);
        pblock->SetCount(pb_mode_list, n);
        pblock->SetCount(pb_edit_ids, n);
    }
    // Entries the tables gain take the new-layer defaults even where the tables were shorter
    // than the layer count, so no layer is ever left with unset values.
    ResizeLayerTables(n);
    macroRecorder->Enable();

    for (int i = firstNew; i < n; ++i) {
        SetLayerLabel(i);
        SetNewLayerDefaults(i);
    }

    ValuesChanged();
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

// Exchanges entries a and b of a table, when the table holds both.
template <class T>
static void SwapEntries(Tab<T>& table, int a, int b)
{
    if (a >= table.Count() || b >= table.Count())
        return;
    T t = table[a];
    table[a] = table[b];
    table[b] = t;
}

// True when layers a and b hold the same values, map and mask: exchanging them changes nothing.
template <class T>
static bool SameEntries(const Tab<T>& table, int a, int b)
{
    if (a >= table.Count() || b >= table.Count())
        return a >= table.Count() && b >= table.Count();
    return memcmp(&table[a], &table[b], sizeof(T)) == 0;
}

static bool LayersAlike(Vorlith& tex, int a, int b)
{
    return SameEntries(tex.opasityList, a, b) && SameEntries(tex.colorList, a, b)
        && SameEntries(tex.mapUsed, a, b) && SameEntries(tex.mapEnabled, a, b)
        && SameEntries(tex.maskEnabled, a, b) && SameEntries(tex.modeList, a, b)
        && SameEntries(tex.mapList, 2 * a, 2 * b) && SameEntries(tex.mapList, 2 * a + 1, 2 * b + 1);
}

void Vorlith::SwapLayers(int a, int b)
{
    const int layers = NumLayers();
    // A layer exchanged with itself or with one just like it: nothing changes, nothing is
    // recorded.
    if (a < 0 || b < 0 || a >= layers || b >= layers || a == b || LayersAlike(*this, a, b))
        return;
    HoldLayers();
    ExchangeLayers(a, b);
}

// SwapLayers without its checks or its undo record (the caller's).
void Vorlith::ExchangeLayers(int a, int b)
{
    plan.Drop();

    SwapEntries(opasityList, a, b);
    SwapEntries(colorList, a, b);
    SwapEntries(mapUsed, a, b);
    SwapEntries(mapEnabled, a, b);
    SwapEntries(maskEnabled, a, b);
    SwapEntries(modeList, a, b);
    if (a < mapUsed.Count())
        mapUsed[a] = mapUsed[a] ? 1 : 0;
    if (a < mapEnabled.Count())
        mapEnabled[a] = mapEnabled[a] ? 1 : 0;
    if (a < maskEnabled.Count())
        maskEnabled[a] = maskEnabled[a] ? 1 : 0;

    // Both layers stay ours: the references exchange targets without being released.
    SwapEntries(mapList, 2 * a, 2 * b);
    SwapEntries(mapList, 2 * a + 1, 2 * b + 1);
    // The viewport's stages show layers by index: they are made again.
    DiscardTexHandles();
}

void Vorlith::InsertLayer(int k)
{
    if (k <= 0 || k >= NumLayers())
        return;
    // An odd entry past the last whole layer that holds a map (restored by index) becomes a
    // layer of its own first, so that the layer inserted is an empty one and that map stays on
    // top.
    const bool oddMap = mapList.Count() % 2 != 0 && mapList[mapList.Count() - 1] != NULL;
    const int layers = NumLayers() + (oddMap ? 1 : 0);
    if (layers >= VORLITH_MAX_LAYERS)
        return;
    if (oddMap)
        SetNumMaps(layers);
    SetNumMaps(layers + 1);
    for (int i = layers; i > k; --i)
        ExchangeLayers(i, i - 1);
}

void Vorlith::DeleteLayer(int k)
{
    const int layers = NumLayers();
    if (k <= 0 || k >= layers)
        return;
    HoldLayers();
    for (int i = k; i < layers - 1; ++i)
        ExchangeLayers(i, i + 1);
    SetNumMaps(layers - 1);
}

void Vorlith::ResetLayers()
{
    macroRecorder->Disable();
    ValuesChanged();
    firstVisible = 0;

    // Only where no map is referenced (construction, Reset after its references went).
    mapList.ZeroCount();
    mapList.Shrink();
    SetNumMaps(1);

    mapList[0] = NULL;
    mapList[1] = NULL;
    mapEnabled[0] = VORLITH_NEW_LAYER_SWITCH;
    maskEnabled[0] = VORLITH_NEW_LAYER_SWITCH;
    mapUsed[0] = VORLITH_NEW_LAYER_SWITCH;
    colorList[0] = NewLayerColor();
    modeList[0] = VORLITH_NEW_LAYER_MODE;

    SetDefaultOutputSettings(output);
    macroRecorder->Enable();
}
