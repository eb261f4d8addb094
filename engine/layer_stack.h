// The walks of the layer stack for one shading sample: the colour walk (EvalColor) and the
// bump walk (EvalNormalPerturb).
//
// They read the texture's tables through LayerTables (made by ViewLayerTables) and reach the host side (sub-maps, the
// shading context, the G-buffer id) through an Access object, a template parameter with:
//   bool   HasMap(int entry) const;        // mapList[entry] holds a sub-map
//   AColor EvalColor(int entry);           // that sub-map's EvalColor with the caller's context
//   Point3 EvalNormalPerturb(int entry);   // that sub-map's EvalNormalPerturb
//   bool   GetCache(AColor& c);            // the context's cached colour for this texture
//   void   PutCache(const AColor& c);
//   int    GBufferID() const;              // the texture's G-buffer id
//   void   SetGBufferID(int id);           // pass it to the shading context
// The walks allocate nothing, take no lock and write nothing but what Access writes.
#pragma once

#include "acolor.h"
#include "blend_modes.h"
#include "color.h"
#include "color_mean.h"
#include "output_stage.h"
#include "point3.h"

// One of a texture's tables as the walks see it: its first entry and its number of entries.
// A table with no entries, or no storage, is empty.
template <class T>
struct TableView {
    const T* first;
    int count;
    TableView(const T* first, int count)
        : first(first && count > 0 ? first : 0), count(first && count > 0 ? count : 0) {}
};

// Read-only views of a texture's tables for the walks. The walks take `layers` as given: every
// table holds at least that many entries, and mapList at least twice as many (ViewLayerTables
// makes it so). colorList[0], when colorList is not null, is the start value even of a stack
// with no usable layer.
struct LayerTables {
    int layers;
    const int*   mapEnabled;
    const int*   maskEnabled;
    const int*   mapUsed;
    const float* opasityList;
    const Color* colorList;
    const int*   modeList;
};

// The views the walks read, and the number of usable layers: mapList's entry count / 2, lowered
// to the shortest table, so tables out of step with each other are never read past their end
// (a layer missing from any table is left out). This is the one place where that count is
// worked out.
inline LayerTables ViewLayerTables(int mapCount, TableView<int> mapEnabled,
                                   TableView<int> maskEnabled, TableView<int> mapUsed,
                                   TableView<float> opasityList, TableView<Color> colorList,
                                   TableView<int> modeList)
{
    int n = mapCount / 2;
    const int counts[6] = {mapEnabled.count, maskEnabled.count, mapUsed.count,
                           opasityList.count, colorList.count, modeList.count};
    for (int i = 0; i < 6; ++i)
        if (counts[i] < n)
            n = counts[i];
    LayerTables t;
    t.layers = n < 0 ? 0 : n;
    t.mapEnabled = mapEnabled.first;
    t.maskEnabled = maskEnabled.first;
    t.mapUsed = mapUsed.first;
    t.opasityList = opasityList.first;
    t.colorList = colorList.first;
    t.modeList = modeList.first;
    return t;
}

// The opacity fraction of a layer: percent × 0.01 (the float 0.00999999978), unclamped.
inline float OpacityFraction(float percent)
{
    return percent * 0.01f;
}

// A non-zero G-buffer id is passed to the context (every walk).
template <class Access>
inline void PassGBufferID(Access& access)
{
    const int gbufferId = access.GBufferID();
    if (gbufferId != 0)
        access.SetGBufferID(gbufferId);
}

// Steps 1 and 2 of both colour walks: true on a cache hit, with the cached colour in c;
// otherwise the G-buffer id is passed.
template <class Access>
inline bool CacheHitOrTag(Access& access, AColor& c)
{
    if (access.GetCache(c))
        return true;
    PassGBufferID(access);
    return false;
}

// Layer 0 of both colour walks: its map's colour (all four channels) in place of the start
// value, and all four channels weighted by the map's alpha or, with a mask, the mask's mean.
// map and mask are the mapList entries to evaluate, or −1.
template <class Access>
inline AColor BaseLayerColor(AColor base, int map, int mask, Access& access)
{
    float weight = 1.0f;
    if (map >= 0) {
        base = access.EvalColor(map);
        weight = base.a;
    }
    if (mask >= 0)
        weight = MeanOf(access.EvalColor(mask));
    base *= weight;
    return base;
}

// Layer 0 of both bump walks: its map's perturbation (or zero) times its mask's mean (or 1).
template <class Access>
inline Point3 BaseLayerPerturb(int map, int mask, Access& access)
{
    Point3 base(0.0f, 0.0f, 0.0f);
    if (map >= 0)
        base = access.EvalNormalPerturb(map);
    float weight = 1.0f;
    if (mask >= 0)
        weight = MeanOf(access.EvalColor(mask));
    base *= weight;
    return base;
}

// The colour of one shading sample.
//   1. A cached colour is returned at once.
//   2. A non-zero G-buffer id is passed to the context.
//   3. The base starts as (colorList[0], 1); an empty stack returns it as it is (not adjusted,
//      not cached).
//   4. Layer 0 is always used: its map's colour (all four channels) replaces the base, and the
//      weight m is that map's alpha, or its mask's mean when it has one; all four channels of
//      the base are multiplied by m. Its mapUsed flag, opacity and mode are not consulted.
//   5. Each higher layer in use: L = (colorList[i], 1), or its map's colour; the mask's mean
//      replaces L's alpha (the coverage); composited with its mode and opacity.
//   6. The Output stage when on; the result is cached and returned.
// Each used map and mask is evaluated once, map before mask.
template <class Access>
AColor EvalLayerColor(const LayerTables& t, const OutputSettings& out, Access& access)
{
    AColor base;
    if (CacheHitOrTag(access, base))
        return base;

    const int layers = t.layers;
    if (t.colorList)
        base = AColor(t.colorList[0], 1.0f);
    else
        base = AColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (layers < 1)
        return base;
    base = BaseLayerColor(base, t.mapEnabled[0] && access.HasMap(0) ? 0 : -1,
                          t.maskEnabled[0] && access.HasMap(1) ? 1 : -1, access);

    // Consecutive layers of one mode are gathered (their sub-maps called in stack order, map
    // before mask) and composited together by that mode's run rule: one dispatch per run, and
    // the base stays in registers from one layer of the run to the next. A layer of another
    // mode, or a full batch, first composites the run gathered so far.
    ColorLayerBatch batch;
    int count = 0;
    for (int i = 1; i < layers; ++i) {
        if (!t.mapUsed[i])
            continue;
        const int mode = t.modeList[i];
        if (count > 0 && (mode != batch.mode[0] || count == LAYER_BATCH)) {
            ColorRunRuleOf(batch.mode[0])(base, batch, 0, count);
            count = 0;
        }
        AColor layer;
        if (t.mapEnabled[i] && access.HasMap(2 * i))
            layer = access.EvalColor(2 * i);
        else
            layer = AColor(t.colorList[i], 1.0f);
        if (t.maskEnabled[i] && access.HasMap(2 * i + 1))
            layer.a = MeanOf(access.EvalColor(2 * i + 1));
        batch.r[count] = layer.r;
        batch.g[count] = layer.g;
        batch.b[count] = layer.b;
        batch.a[count] = layer.a;
        batch.opacity[count] = OpacityFraction(t.opasityList[i]);
        batch.mode[count] = mode;
        ++count;
    }
    if (count > 0)
        ColorRunRuleOf(batch.mode[0])(base, batch, 0, count);

    if (out.Output_on)
        base = AdjustOutput(base, out);
    access.PutCache(base);
    return base;
}

// The bump perturbation of one shading sample. No cache, no Output stage, no flat colours.
//   1. A non-zero G-buffer id is passed to the context.
//   2. The base starts as (0, 0, 0); an empty stack returns it.
//   3. Layer 0 is always used: its map's perturbation times its mask's mean (weight 1 without).
//   4. Each higher layer in use: P is its map's perturbation or (0, 0, 0); a is its mask's
//      mean or 1; l = P·a is combined with its mode, coverage a and opacity, so the mask
//      weighs the layer twice.
template <class Access>
Point3 EvalLayerPerturb(const LayerTables& t, Access& access)
{
    PassGBufferID(access);
    const int layers = t.layers;
    if (layers < 1)
        return Point3(0.0f, 0.0f, 0.0f);
    Point3 base = BaseLayerPerturb(t.mapEnabled[0] && access.HasMap(0) ? 0 : -1,
                                   t.maskEnabled[0] && access.HasMap(1) ? 1 : -1, access);

    // Runs of one mode gathered and combined as in the colour walk.
    BumpLayerBatch batch;
    int count = 0;
    for (int i = 1; i < layers; ++i) {
        if (!t.mapUsed[i])
            continue;
        const int mode = t.modeList[i];
        if (count > 0 && (mode != batch.mode[0] || count == LAYER_BATCH)) {
            BumpRunRuleOf(batch.mode[0])(base, batch, 0, count);
            count = 0;
        }
        Point3 perturb(0.0f, 0.0f, 0.0f);
        if (t.mapEnabled[i] && access.HasMap(2 * i))
            perturb = access.EvalNormalPerturb(2 * i);
        float coverage = 1.0f;
        if (t.maskEnabled[i] && access.HasMap(2 * i + 1))
            coverage = MeanOf(access.EvalColor(2 * i + 1));
        batch.x[count] = perturb.x * coverage;
        batch.y[count] = perturb.y * coverage;
        batch.z[count] = perturb.z * coverage;
        batch.a[count] = coverage;
        batch.opacity[count] = OpacityFraction(t.opasityList[i]);
        batch.mode[count] = mode;
        ++count;
    }
    if (count > 0)
        BumpRunRuleOf(batch.mode[0])(base, batch, 0, count);
    return base;
}
