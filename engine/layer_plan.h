// The layer plan: what the walks of a texture's layer stack need, worked out once when the
// texture is brought up to date instead of on every shading sample.
//
// Which layers are in use, whether each has a map and a mask and whether they are switched on,
// the opacity fraction, the mode, where one run of a mode ends: none of that changes between
// two edits of the texture, so the plan holds the answers: the layers in use, in stack order,
// each with the mapList entries to evaluate (or none), its flat colour and its opacity
// fraction, grouped into runs of one mode, and the Output stage's constants. The walks
// (layer_stack.h) follow a plan; without a current one they plan a few layers at a time from
// the tables in a small buffer (TablePlanner) and follow that, the same walk.
//
// Threads: a plan is written only by Build and Drop, which the texture calls on the user-interface
// thread (Update, and the edits that change what the plan was made from); renders only read
// it. Build allocates only when the stack has grown since the last build, never per sample.
#pragma once

#include <vector>

#include "acolor.h"
#include "blend_modes.h"
#include "layer_tables.h"
#include "output_stage.h"

// One layer in use above the base layer.
struct PlannedLayer {
    int map; // mapList entry of its sub-map when enabled and assigned, else −1
    int mask; // mapList entry of its mask when enabled and assigned, else −1
    float opacity; // the opacity fraction, percent × 0.01
    Color color; // the flat colour, taken when map is −1 (colour walk only)
};

// Layer i of the tables as the walks take it (a layer in use above the base layer). maps
// answers bool HasMap(int entry) const for the texture's mapList.
template <class Maps>
inline PlannedLayer PlanLayer(const LayerTables& t, int i, const Maps& maps)
{
    PlannedLayer layer;
    layer.map = t.mapEnabled[i] && maps.HasMap(2 * i) ? 2 * i : -1;
    layer.mask = t.maskEnabled[i] && maps.HasMap(2 * i + 1) ? 2 * i + 1 : -1;
    layer.opacity = OpacityFraction(t.opasityList[i]);
    layer.color = t.colorList[i];
    return layer;
}

// The row of the run rules for a mode index: the mode, or BLEND_MODE_COUNT for an index
// outside the table.
inline int RunRuleOf(int mode)
{
    return (unsigned)mode < (unsigned)BLEND_MODE_COUNT ? mode : BLEND_MODE_COUNT;
}

// Consecutive layers in use of one mode and one blend space.
struct PlannedRun {
    int first; // index of its first layer in LayerPlan's layers
    int end; // one past its last
    int rule; // the mode's row of the planned rules: the mode, or BLEND_MODE_COUNT for an
              // index outside the table
    bool mapsOnly; // every layer of the run has a map and no mask, as most layers have
    bool display; // the run's layers are composited in display space (blend_space.h)
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
        bool runDisplay = false;
        for (int i = 1; i < t.layers; ++i) {
            if (!t.mapUsed[i]) continue;
            const PlannedLayer layer = PlanLayer(t, i, maps);
            const int mode = t.modeList[i];
            const bool display = InDisplaySpace(t, i);
            const int count = (int)layers.size();
            if (runs.empty() || mode != runMode || display != runDisplay) {
                PlannedRun run;
                run.first = count;
                run.end = count;
                run.rule = RunRuleOf(mode);
                run.mapsOnly = true;
                run.display = display;
                runs.push_back(run);
                runMode = mode;
                runDisplay = display;
            }
            layers.push_back(layer);
            runs.back().end = count + 1;
            if (layer.map < 0 || layer.mask >= 0) runs.back().mapsOnly = false;
        }
        PrepareOutputStage(out, output);
        current = true;
    }

    // What the planned walks read.
    AColor start; // the start value: (colorList[0], 1), or opaque black without tables
    bool hasLayers; // at least one usable layer; without, the start value is the result
    int baseMap; // the base layer's map entry (0) when enabled and assigned, else −1
    int baseMask; // its mask entry (1) likewise
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
