// The layer plan: what the walks of a texture's layer stack need, worked out once when the
// texture is brought up to date instead of on every shading sample.
//
// The direct walks (layer_stack.h) read the texture's tables on every sample: which layers are
// in use, whether each has a map and a mask and whether they are switched on, the opacity in
// percent, the mode, where one run of a mode ends. None of that changes between two edits of
// the texture, so the plan holds the answers: the layers in use, in stack order, each with the
// mapList entries to evaluate (or none), its flat colour and its opacity fraction, grouped into
// runs of one mode, and the Output stage's constants. The planned walks (EvalPlannedColor,
// EvalPlannedPerturb) give the very bits of the direct ones and call the sub-maps in the same
// order. A run is one loop with the mode's rule inlined that evaluates each layer's sub-maps
// and composites the layer at once, so the base stays in registers (across the sub-map calls
// where the calling convention keeps them, as Windows x64 does) and the mode is dispatched once
// per run.
//
// Threads: a plan is written only by Build and Drop, which the texture calls on the user-interface
// thread (Update, and the edits that change what the plan was made from); renders only read
// it. Build allocates only when the stack has grown since the last build, never per sample.
#pragma once

#include <vector>

#include "blend_rules.h"
#include "layer_stack.h"

// One layer in use above the base layer.
struct PlannedLayer {
    int map;         // mapList entry of its sub-map when enabled and assigned, else −1
    int mask;        // mapList entry of its mask when enabled and assigned, else −1
    float opacity;   // the opacity fraction, percent × 0.01
    Color color;     // the flat colour, taken when map is −1 (colour walk only)
};

// Consecutive layers in use of one mode.
struct PlannedRun {
    int first;   // index of its first layer in LayerPlan's layers
    int end;     // one past its last
    int rule;    // the mode's row of the planned rules: the mode, or BLEND_MODE_COUNT for an
                 // index outside the table
    bool mapsOnly;   // every layer of the run has a map and no mask, as most layers have
};

class LayerPlan {
public:
    LayerPlan() : hasLayers(false), baseMap(-1), baseMask(-1), current(false)
    {
        start = AColor(0.0f, 0.0f, 0.0f, 1.0f);
        PrepareOutputStage(OutputSettingsOff(), output);
    }

    // True between a Build and the next Drop.
    bool Current() const { return current; }
    // Forgets the plan (the tables changed); the walks must not use it until it is built again.
    void Drop() { current = false; }

    // Works the plan out from the tables and the Output settings. maps answers
    // bool HasMap(int entry) const for the texture's mapList, as the walks' Access does.
    template <class Maps>
    void Build(const LayerTables& t, const OutputSettings& out, const Maps& maps)
    {
        current = false;
        layers.clear();
        runs.clear();
        start = t.colorList ? AColor(t.colorList[0], 1.0f) : AColor(0.0f, 0.0f, 0.0f, 1.0f);
        hasLayers = t.layers >= 1;
        baseMap = hasLayers && t.mapEnabled[0] && maps.HasMap(0) ? 0 : -1;
        baseMask = hasLayers && t.maskEnabled[0] && maps.HasMap(1) ? 1 : -1;
        int runMode = 0;
        for (int i = 1; i < t.layers; ++i) {
            if (!t.mapUsed[i])
                continue;
            PlannedLayer layer;
            layer.map = t.mapEnabled[i] && maps.HasMap(2 * i) ? 2 * i : -1;
            layer.mask = t.maskEnabled[i] && maps.HasMap(2 * i + 1) ? 2 * i + 1 : -1;
            layer.opacity = OpacityFraction(t.opasityList[i]);
            layer.color = t.colorList[i];
            const int mode = t.modeList[i];
            const int count = (int)layers.size();
            if (runs.empty() || mode != runMode) {
                PlannedRun run;
                run.first = count;
                run.end = count;
                run.rule = (unsigned)mode < (unsigned)BLEND_MODE_COUNT ? mode : BLEND_MODE_COUNT;
                run.mapsOnly = true;
                runs.push_back(run);
                runMode = mode;
            }
            layers.push_back(layer);
            runs.back().end = count + 1;
            if (layer.map < 0 || layer.mask >= 0)
                runs.back().mapsOnly = false;
        }
        PrepareOutputStage(out, output);
        current = true;
    }

    // What the planned walks read.
    AColor start;        // the start value: (colorList[0], 1), or opaque black without tables
    bool hasLayers;      // at least one usable layer; without, the start value is the result
    int baseMap;         // the base layer's map entry (0) when enabled and assigned, else −1
    int baseMask;        // its mask entry (1) likewise
    std::vector<PlannedLayer> layers;
    std::vector<PlannedRun> runs;
    OutputStage output;

private:
    static OutputSettings OutputSettingsOff()
    {
        OutputSettings s;
        SetDefaultOutputSettings(s);
        return s;
    }

    bool current;
};

// ---- the planned rules: a run of layers, their sub-maps evaluated and composited one by one ----

// A layer's colour with its coverage: its map's colour or (flat colour, 1); its mask's mean
// replaces the alpha. In a run of maps only, the map's colour without the tests.
template <class Access, bool MapsOnly>
inline AColor PlannedLayerColor(const PlannedLayer& p, Access& access)
{
    if (MapsOnly)
        return access.EvalColor(p.map);
    AColor layer;
    if (p.map >= 0)
        layer = access.EvalColor(p.map);
    else
        layer = AColor(p.color, 1.0f);
    if (p.mask >= 0)
        layer.a = MeanOf(access.EvalColor(p.mask));
    return layer;
}

// A run of one mode, colour: the mode's single-layer rule (blend_rules.h) inlined into the loop.
template <class Access, AColor (*Rule)(AColor base, AColor layer, float op), bool MapsOnly>
void PlannedColorRun(AColor& base, const PlannedLayer* p, const PlannedLayer* end, Access& access)
{
    AColor b = base;
    for (; p != end; ++p)
        b = Rule(b, PlannedLayerColor<Access, MapsOnly>(*p, access), p->opacity);
    base = b;
}

// An index outside the table: the sub-maps are evaluated, the base stays as it is.
template <class Access, bool MapsOnly>
void PlannedColorUnknown(AColor&, const PlannedLayer* p, const PlannedLayer* end, Access& access)
{
    for (; p != end; ++p)
        PlannedLayerColor<Access, MapsOnly>(*p, access);
}

// A layer's masked perturbation l = P·a and its mask weight a. In a run of maps only, the map's
// perturbation times 1.
template <class Access, bool MapsOnly>
inline Point3 PlannedLayerPerturb(const PlannedLayer& p, Access& access, float& coverage)
{
    if (MapsOnly) {
        coverage = 1.0f;
        const Point3 perturb = access.EvalNormalPerturb(p.map);
        return Point3(perturb.x * coverage, perturb.y * coverage, perturb.z * coverage);
    }
    Point3 perturb(0.0f, 0.0f, 0.0f);
    if (p.map >= 0)
        perturb = access.EvalNormalPerturb(p.map);
    coverage = 1.0f;
    if (p.mask >= 0)
        coverage = MeanOf(access.EvalColor(p.mask));
    return Point3(perturb.x * coverage, perturb.y * coverage, perturb.z * coverage);
}

// A run of one mode, bump.
template <class Access, Point3 (*Rule)(Point3 base, Point3 l, float a, float op), bool MapsOnly>
void PlannedBumpRun(Point3& base, const PlannedLayer* p, const PlannedLayer* end, Access& access)
{
    Point3 b = base;
    for (; p != end; ++p) {
        float a;
        const Point3 l = PlannedLayerPerturb<Access, MapsOnly>(*p, access, a);
        b = Rule(b, l, a, p->opacity);
    }
    base = b;
}

// The planned rules of every mode for one Access, expanded from the mode list like the mode
// table, for runs with any layers ([0]) and for runs of maps only ([1]); the last row is an
// index outside the table (colour: base unchanged; bump: "Normal").
template <class Access>
struct PlannedRules {
    typedef void (*ColorRun)(AColor& base, const PlannedLayer* first, const PlannedLayer* end,
                             Access& access);
    typedef void (*BumpRun)(Point3& base, const PlannedLayer* first, const PlannedLayer* end,
                            Access& access);
    static const ColorRun color[2][BLEND_MODE_COUNT + 1];
    static const BumpRun bump[2][BLEND_MODE_COUNT + 1];
};

#define COLOR_PER_CHANNEL(F, channels) \
    &PlannedColorRun<Access, &BlendColorChannels<&F, channels>, QUILTRA_MAPS_ONLY>
#define COLOR_HSV(components) &PlannedColorRun<Access, &BlendColorHsv<components>, QUILTRA_MAPS_ONLY>
#define COLOR_EXACT_DIFFERENCE \
    &PlannedColorRun<Access, &BlendColorExactDifference, QUILTRA_MAPS_ONLY>
#define BUMP_PER_CHANNEL(F, components) \
    &PlannedBumpRun<Access, &BlendBumpComponents<&F, components>, QUILTRA_MAPS_ONLY>
#define BUMP_EXACT_DIFFERENCE &PlannedBumpRun<Access, &BlendBumpExactDifference, QUILTRA_MAPS_ONLY>
#define QUILTRA_PLANNED_COLOR_ROW(mode, stringId, name, colour, bump) COLOR_##colour,
#define QUILTRA_PLANNED_BUMP_ROW(mode, stringId, name, colour, bump) BUMP_##bump,
#define QUILTRA_PLANNED_COLOR_RULES                                                             \
    {                                                                                           \
        QUILTRA_BLEND_MODES(QUILTRA_PLANNED_COLOR_ROW)                                          \
        &PlannedColorUnknown<Access, QUILTRA_MAPS_ONLY>                                         \
    }
#define QUILTRA_PLANNED_BUMP_RULES                                                              \
    {                                                                                           \
        QUILTRA_BLEND_MODES(QUILTRA_PLANNED_BUMP_ROW)                                           \
        &PlannedBumpRun<Access, &BlendBumpComponents<&BlendNormal, BLEND_RGB>, QUILTRA_MAPS_ONLY> \
    }

template <class Access>
const typename PlannedRules<Access>::ColorRun PlannedRules<Access>::color[2][BLEND_MODE_COUNT + 1] = {
#define QUILTRA_MAPS_ONLY false
    QUILTRA_PLANNED_COLOR_RULES,
#undef QUILTRA_MAPS_ONLY
#define QUILTRA_MAPS_ONLY true
    QUILTRA_PLANNED_COLOR_RULES
#undef QUILTRA_MAPS_ONLY
};

template <class Access>
const typename PlannedRules<Access>::BumpRun PlannedRules<Access>::bump[2][BLEND_MODE_COUNT + 1] = {
#define QUILTRA_MAPS_ONLY false
    QUILTRA_PLANNED_BUMP_RULES,
#undef QUILTRA_MAPS_ONLY
#define QUILTRA_MAPS_ONLY true
    QUILTRA_PLANNED_BUMP_RULES
#undef QUILTRA_MAPS_ONLY
};

#undef QUILTRA_PLANNED_COLOR_RULES
#undef QUILTRA_PLANNED_BUMP_RULES
#undef QUILTRA_PLANNED_COLOR_ROW
#undef QUILTRA_PLANNED_BUMP_ROW
#undef COLOR_PER_CHANNEL
#undef COLOR_HSV
#undef COLOR_EXACT_DIFFERENCE
#undef BUMP_PER_CHANNEL
#undef BUMP_EXACT_DIFFERENCE

// ---- the planned walks --------------------------------------------------------------------------

// The colour walk of EvalLayerColor (layer_stack.h) over a current plan: the same steps, the
// same sub-map calls in the same order, the same bits.
template <class Access>
AColor EvalPlannedColor(const LayerPlan& plan, Access& access)
{
    AColor base;
    if (CacheHitOrTag(access, base))
        return base;
    if (!plan.hasLayers)
        return plan.start;
    base = BaseLayerColor(plan.start, plan.baseMap, plan.baseMask, access);

    const PlannedLayer* layers = plan.layers.empty() ? 0 : &plan.layers[0];
    for (size_t r = 0; r < plan.runs.size(); ++r) {
        const PlannedRun& run = plan.runs[r];
        PlannedRules<Access>::color[run.mapsOnly][run.rule](base, layers + run.first,
                                                            layers + run.end, access);
    }

    if (plan.output.settings.Output_on)
        base = AdjustOutput(base, plan.output);
    access.PutCache(base);
    return base;
}

// The bump walk of EvalLayerPerturb over a current plan: the same bits.
template <class Access>
Point3 EvalPlannedPerturb(const LayerPlan& plan, Access& access)
{
    PassGBufferID(access);

    if (!plan.hasLayers)
        return Point3(0.0f, 0.0f, 0.0f);
    Point3 base = BaseLayerPerturb(plan.baseMap, plan.baseMask, access);

    const PlannedLayer* layers = plan.layers.empty() ? 0 : &plan.layers[0];
    for (size_t r = 0; r < plan.runs.size(); ++r) {
        const PlannedRun& run = plan.runs[r];
        PlannedRules<Access>::bump[run.mapsOnly][run.rule](base, layers + run.first,
                                                           layers + run.end, access);
    }
    return base;
}
