// The layer plan: what the walks of a texture's layer stack need, worked out once when the
// texture is brought up to date instead of on every shading sample.
//
// The direct walks (layer_stack.h) read the texture's tables on every sample: which layers are
// in use, whether each has a map and a mask and whether they are switched on, the opacity in
// percent, the mode, where one run of a mode ends. None of that changes between two edits of
// the texture, so the plan holds the answers: the layers in use, in stack order, each with the
// mapList entries to evaluate (or none), its flat colour and its opacity fraction, grouped into
// runs of one mode with their rules, and the Output stage's constants. The planned walks
// (EvalPlannedColor, EvalPlannedPerturb) give the very bits of the direct ones and call the
// sub-maps in the same order.
//
// Threads: a plan is written only by Build and Drop, which the texture calls on the user-interface
// thread (Update, and the edits that change what the plan was made from); renders only read
// it. Build allocates only when the stack has grown since the last build, never per sample.
#pragma once

#include <vector>

#include "layer_stack.h"

// One layer in use above the base layer.
struct PlannedLayer {
    int map;         // mapList entry of its sub-map when enabled and assigned, else −1
    int mask;        // mapList entry of its mask when enabled and assigned, else −1
    float opacity;   // the opacity fraction, percent × 0.01
    Color color;     // the flat colour, taken when map is −1 (colour walk only)
};

// Consecutive layers in use of one mode, at most LAYER_BATCH of them: the walks gather them
// and apply the mode's run rule once.
struct PlannedRun {
    int first;             // index of its first layer in LayerPlan's layers
    int end;               // one past its last
    ColorRunRule colorRun;
    BumpRunRule bumpRun;
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
            if (runs.empty() || mode != runMode || count - runs.back().first == LAYER_BATCH) {
                PlannedRun run;
                run.first = count;
                run.end = count;
                run.colorRun = ColorRunRuleOf(mode);
                run.bumpRun = BumpRunRuleOf(mode);
                runs.push_back(run);
                runMode = mode;
            }
            layers.push_back(layer);
            runs.back().end = count + 1;
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

// The colour walk of EvalLayerColor (layer_stack.h) over a current plan: the same steps, the
// same sub-map calls in the same order, the same bits.
template <class Access>
AColor EvalPlannedColor(const LayerPlan& plan, Access& access)
{
    AColor base;
    if (access.GetCache(base))
        return base;

    const int gbufferId = access.GBufferID();
    if (gbufferId != 0)
        access.SetGBufferID(gbufferId);

    base = plan.start;
    if (!plan.hasLayers)
        return base;

    float weight = 1.0f;
    if (plan.baseMap >= 0) {
        base = access.EvalColor(plan.baseMap);
        weight = base.a;
    }
    if (plan.baseMask >= 0)
        weight = MeanOf(access.EvalColor(plan.baseMask));
    base *= weight;

    const PlannedLayer* layers = plan.layers.empty() ? 0 : &plan.layers[0];
    const PlannedRun* run = plan.runs.empty() ? 0 : &plan.runs[0];
    const PlannedRun* const lastRun = run + plan.runs.size();
    ColorLayerBatch batch;
    for (; run != lastRun; ++run) {
        int count = 0;
        for (const PlannedLayer* p = layers + run->first; p != layers + run->end; ++p, ++count) {
            AColor layer;
            if (p->map >= 0)
                layer = access.EvalColor(p->map);
            else
                layer = AColor(p->color, 1.0f);
            if (p->mask >= 0)
                layer.a = MeanOf(access.EvalColor(p->mask));
            batch.r[count] = layer.r;
            batch.g[count] = layer.g;
            batch.b[count] = layer.b;
            batch.a[count] = layer.a;
            batch.opacity[count] = p->opacity;
        }
        run->colorRun(base, batch, 0, count);
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
    const int gbufferId = access.GBufferID();
    if (gbufferId != 0)
        access.SetGBufferID(gbufferId);

    Point3 base(0.0f, 0.0f, 0.0f);
    if (!plan.hasLayers)
        return base;

    if (plan.baseMap >= 0)
        base = access.EvalNormalPerturb(plan.baseMap);
    float weight = 1.0f;
    if (plan.baseMask >= 0)
        weight = MeanOf(access.EvalColor(plan.baseMask));
    base *= weight;

    const PlannedLayer* layers = plan.layers.empty() ? 0 : &plan.layers[0];
    const PlannedRun* run = plan.runs.empty() ? 0 : &plan.runs[0];
    const PlannedRun* const lastRun = run + plan.runs.size();
    BumpLayerBatch batch;
    for (; run != lastRun; ++run) {
        int count = 0;
        for (const PlannedLayer* p = layers + run->first; p != layers + run->end; ++p, ++count) {
            Point3 perturb(0.0f, 0.0f, 0.0f);
            if (p->map >= 0)
                perturb = access.EvalNormalPerturb(p->map);
            float coverage = 1.0f;
            if (p->mask >= 0)
                coverage = MeanOf(access.EvalColor(p->mask));
            batch.x[count] = perturb.x * coverage;
            batch.y[count] = perturb.y * coverage;
            batch.z[count] = perturb.z * coverage;
            batch.a[count] = coverage;
            batch.opacity[count] = p->opacity;
        }
        run->bumpRun(base, batch, 0, count);
    }
    return base;
}
