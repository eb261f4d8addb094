// The walk of the layer stack for one shading sample, as a colour (EvalColor) and as a bump
// perturbation (EvalNormalPerturb): one walk, one per-layer step and one rule per mode for
// both, over a layer plan (layer_plan.h). With a current plan (EvalPlannedColor,
// EvalPlannedPerturb) it follows that plan; without one (EvalLayerColor, EvalLayerPerturb) it
// plans a few layers at a time from the tables (LayerTables, made by ViewLayerTables) in a
// buffer on the stack and follows those. Both give the same bits and call the sub-maps in the
// same order: stack order, map before mask.
//
// The walk reaches the host side (sub-maps, the shading context, the G-buffer id) through an
// Access object, a template parameter with:
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
#include "blend_rules.h"
#include "blend_space.h"
#include "color.h"
#include "color_mean.h"
#include "layer_plan.h"
#include "layer_tables.h"
#include "output_stage.h"
#include "point3.h"

#include <type_traits>

// A non-zero G-buffer id is passed to the context (every walk).
template <class Access>
inline void PassGBufferID(Access& access)
{
    const int gbufferId = access.GBufferID();
    if (gbufferId != 0) access.SetGBufferID(gbufferId);
}

// Steps 1 and 2 of both colour walks: true on a cache hit, with the cached colour in c;
// otherwise the G-buffer id is passed.
template <class Access>
inline bool CacheHitOrTag(Access& access, AColor& c)
{
    if (access.GetCache(c)) return true;
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
    if (mask >= 0) weight = MeanOf(access.EvalColor(mask));
    base *= weight;
    return base;
}

// Layer 0 of both bump walks: its map's perturbation (or zero) times its mask's mean (or 1).
template <class Access>
inline Point3 BaseLayerPerturb(int map, int mask, Access& access)
{
    Point3 base(0.0f, 0.0f, 0.0f);
    if (map >= 0) base = access.EvalNormalPerturb(map);
    float weight = 1.0f;
    if (mask >= 0) weight = MeanOf(access.EvalColor(mask));
    base *= weight;
    return base;
}

// ---- the per-layer step, one for both walks ---------------------------------------------------

// What the colour walk takes of a layer: its map's colour, or (flat colour, 1); its coverage is
// the mask's mean, or without a mask the colour's own alpha; the coverage is the layer's alpha.
struct ColorWalk {
    typedef AColor Value;
    template <class Access>
    static AColor MapValue(Access& access, int entry)
    {
        return access.EvalColor(entry);
    }
    static AColor Unmapped(const PlannedLayer& p) { return AColor(p.color, 1.0f); }
    static float UnmaskedCoverage(const AColor& layer) { return layer.a; }
    static AColor Covered(AColor layer, float coverage)
    {
        layer.a = coverage;
        return layer;
    }
};

// What the bump walk takes of a layer: its map's perturbation P, or (0, 0, 0); its coverage a
// is the mask's mean, or 1; the layer is l = P·a, so the mask weighs it twice.
struct BumpWalk {
    typedef Point3 Value;
    template <class Access>
    static Point3 MapValue(Access& access, int entry)
    {
        return access.EvalNormalPerturb(entry);
    }
    static Point3 Unmapped(const PlannedLayer&) { return Point3(0.0f, 0.0f, 0.0f); }
    static float UnmaskedCoverage(const Point3&) { return 1.0f; }
    static Point3 Covered(const Point3& p, float a) { return Point3(p.x * a, p.y * a, p.z * a); }
};

// One layer: its map evaluated (when it has one), then its mask (when it has one). In a run of
// maps only (every layer has a map and no mask, as most layers have) without the tests.
template <class Walk, class Access, bool MapsOnly>
inline typename Walk::Value LayerStep(const PlannedLayer& p, Access& access, float& coverage)
{
    const typename Walk::Value value =
        MapsOnly || p.map >= 0 ? Walk::MapValue(access, p.map) : Walk::Unmapped(p);
    coverage =
        !MapsOnly && p.mask >= 0 ? MeanOf(access.EvalColor(p.mask)) : Walk::UnmaskedCoverage(value);
    return Walk::Covered(value, coverage);
}

// ---- the run rules: a run of one mode, each layer's step and the mode's rule inlined -----------

// The colour rules (blend_rules.h) in the bump rules' form: the coverage is the layer's alpha.
template <AColor (*Rule)(AColor base, AColor layer, float op)>
QUILTRA_INLINE_RULE AColor ColorRule(AColor base, AColor layer, float /*coverage*/, float op)
{
    return Rule(base, layer, op);
}

// A colour rule in display space: the base's and the layer's colour encoded, the rule, the
// result decoded (blend_space.h). Alpha passes as it is.
template <AColor (*Rule)(AColor base, AColor layer, float op)>
QUILTRA_INLINE_RULE AColor DisplayColorRule(AColor base, AColor layer, float /*coverage*/, float op)
{
    return DecodeDisplay(Rule(EncodeDisplay(base), EncodeDisplay(layer), op));
}

// An index outside the table, colour: the sub-maps are evaluated, the base stays as it is.
QUILTRA_INLINE_RULE AColor KeepColor(AColor base, AColor, float, float) { return base; }

// A rule as a run applies it: what the run carries from layer to layer (Carried), how the walk's
// value goes in and comes out, and the rule for one layer.
template <class Value, Value (*Rule)(Value base, Value layer, float coverage, float op)>
struct ValueRule {
    typedef Value Carried;
    typedef ValueRule OneLayer;
    QUILTRA_INLINE_RULE static Value In(const Value& value) { return value; }
    QUILTRA_INLINE_RULE static void Out(const Value& carried, Value& value) { value = carried; }
    QUILTRA_INLINE_RULE static Value Apply(Value base, Value layer, float coverage, float op)
    {
        return Rule(base, layer, coverage, op);
    }
};

// The ordinary colour modes: the four channels in one register (BlendColorLanes), the lanes the
// mode leaves alone put back once at the end of the run; a formula not worked four lanes at once,
// or a mode of one channel, channel by channel.
template <BlendFormula F, Float4 (*F4)(const Float4& b, const Float4& l), unsigned Channels,
          bool AtOnce = LanesAtOnce<F>::value != 0 && (Channels & (Channels - 1)) != 0>
struct ChannelRule {
    typedef Float4 Carried;
    // A run of one layer, as most runs of a stack of mixed modes are, channel by channel: the
    // trips into the register and out cost more than the lanes gain on one layer.
    typedef ChannelRule<F, F4, Channels, false> OneLayer;
    // From the fields: the colour was most likely handed over in registers.
    QUILTRA_INLINE_RULE static Float4 In(const AColor& value) { return Float4::Gather(value); }
    QUILTRA_INLINE_RULE static void Out(const Float4& carried, AColor& value)
    {
        KeepLanes<Channels>(carried, Float4::Gather(value)).Store(value);
    }
    QUILTRA_INLINE_RULE static Float4 Apply(const Float4& base, const Float4& layer, float coverage,
                                            float op)
    {
        return BlendColorLanes<F4>(base, layer, coverage, op);
    }
};
template <BlendFormula F, Float4 (*F4)(const Float4& b, const Float4& l), unsigned Channels>
struct ChannelRule<F, F4, Channels, false>
    : ValueRule<AColor, &ColorRule<&BlendColorChannels<F, Channels>>> {
    typedef ChannelRule OneLayer;
};

template <class Walk, class Access, class Rule, bool MapsOnly>
QUILTRA_INLINE_RULE void WalkLayers(typename Walk::Value& base, const PlannedLayer* p,
                                    const PlannedLayer* end, Access& access)
{
    typename Rule::Carried b = Rule::In(base);
    for (; p != end; ++p) {
        float coverage;
        const typename Walk::Value layer = LayerStep<Walk, Access, MapsOnly>(*p, access, coverage);
        b = Rule::Apply(b, Rule::In(layer), coverage, p->opacity);
    }
    Rule::Out(b, base);
}

template <class Walk, class Access, class Rule, bool MapsOnly>
void WalkRun(typename Walk::Value& base, const PlannedLayer* p, const PlannedLayer* end,
             Access& access)
{
    if (!std::is_same<typename Rule::OneLayer, Rule>::value && end - p == 1)
        WalkLayers<Walk, Access, typename Rule::OneLayer, MapsOnly>(base, p, end, access);
    else
        WalkLayers<Walk, Access, Rule, MapsOnly>(base, p, end, access);
}

// The run rules of every mode for one Access, expanded from the mode list like the mode table,
// for runs with any layers ([0]) and for runs of maps only ([1]); the last row is an index
// outside the table (colour: base unchanged; bump: "Normal").
template <class Access>
struct RunRules {
    typedef void (*ColorRun)(AColor& base, const PlannedLayer* first, const PlannedLayer* end,
                             Access& access);
    typedef void (*BumpRun)(Point3& base, const PlannedLayer* first, const PlannedLayer* end,
                            Access& access);
    // [0] linear space, [1] display space.
    static const ColorRun color[2][2][BLEND_MODE_COUNT + 1];
    static const BumpRun bump[2][BLEND_MODE_COUNT + 1];

    static ColorRun Of(const ColorWalk*, const PlannedRun& run)
    {
        return color[run.display][run.mapsOnly][run.rule];
    }
    // Perturbations are not colours: the bump walk ignores the blend space.
    static BumpRun Of(const BumpWalk*, const PlannedRun& run)
    {
        return bump[run.mapsOnly][run.rule];
    }
};

// The ordinary modes in linear space carry the base in one register (BlendColorLanes); in
// display space, where each layer is encoded and decoded anyway, channel by channel.
#define LINEAR_PER_CHANNEL(F, channels) \
    &WalkRun<ColorWalk, Access, ChannelRule<&F, &F, channels>, QUILTRA_MAPS_ONLY>
#define DISPLAY_PER_CHANNEL(F, channels) \
    &WalkRun<ColorWalk, Access, \
             ValueRule<AColor, &DisplayColorRule<&BlendColorChannels<&F, channels>>>, \
             QUILTRA_MAPS_ONLY>
#define COLOR_PER_CHANNEL(F, channels) QUILTRA_SPACE_PER_CHANNEL(F, channels)
#define COLOR_HSV(components) \
    &WalkRun<ColorWalk, Access, \
             ValueRule<AColor, &QUILTRA_SPACE_RULE<&BlendColorHsv<components>>>, \
             QUILTRA_MAPS_ONLY>
#define COLOR_EXACT_DIFFERENCE \
    &WalkRun<ColorWalk, Access, \
             ValueRule<AColor, &QUILTRA_SPACE_RULE<&BlendColorExactDifference>>, \
             QUILTRA_MAPS_ONLY>
#define BUMP_PER_CHANNEL(F, components) \
    &WalkRun<BumpWalk, Access, ValueRule<Point3, &BlendBumpComponents<&F, components>>, \
             QUILTRA_MAPS_ONLY>
#define BUMP_EXACT_DIFFERENCE \
    &WalkRun<BumpWalk, Access, ValueRule<Point3, &BlendBumpExactDifference>, QUILTRA_MAPS_ONLY>
#define QUILTRA_COLOR_RUN_ROW(mode, stringId, name, colour, bump) COLOR_##colour,
#define QUILTRA_BUMP_RUN_ROW(mode, stringId, name, colour, bump) BUMP_##bump,
#define QUILTRA_COLOR_RUN_RULES \
    { \
        QUILTRA_BLEND_MODES(QUILTRA_COLOR_RUN_ROW) \
        &WalkRun<ColorWalk, Access, ValueRule<AColor, &KeepColor>, QUILTRA_MAPS_ONLY> \
    }
#define QUILTRA_BUMP_RUN_RULES \
    { \
        QUILTRA_BLEND_MODES(QUILTRA_BUMP_RUN_ROW) \
        BUMP_PER_CHANNEL(BlendNormal, BLEND_RGB) \
    }

// In display space an index outside the table still keeps the base as it is.
template <class Access>
const typename RunRules<Access>::ColorRun RunRules<Access>::color[2][2][BLEND_MODE_COUNT + 1] = {
#define QUILTRA_SPACE_RULE ColorRule
#define QUILTRA_SPACE_PER_CHANNEL LINEAR_PER_CHANNEL
    {
#define QUILTRA_MAPS_ONLY false
        QUILTRA_COLOR_RUN_RULES,
#undef QUILTRA_MAPS_ONLY
#define QUILTRA_MAPS_ONLY true
        QUILTRA_COLOR_RUN_RULES
#undef QUILTRA_MAPS_ONLY
    },
#undef QUILTRA_SPACE_RULE
#undef QUILTRA_SPACE_PER_CHANNEL
#define QUILTRA_SPACE_RULE DisplayColorRule
#define QUILTRA_SPACE_PER_CHANNEL DISPLAY_PER_CHANNEL
    {
#define QUILTRA_MAPS_ONLY false
        QUILTRA_COLOR_RUN_RULES,
#undef QUILTRA_MAPS_ONLY
#define QUILTRA_MAPS_ONLY true
        QUILTRA_COLOR_RUN_RULES
#undef QUILTRA_MAPS_ONLY
    }
#undef QUILTRA_SPACE_RULE
#undef QUILTRA_SPACE_PER_CHANNEL
};

template <class Access>
const typename RunRules<Access>::BumpRun RunRules<Access>::bump[2][BLEND_MODE_COUNT + 1] = {
#define QUILTRA_MAPS_ONLY false
    QUILTRA_BUMP_RUN_RULES,
#undef QUILTRA_MAPS_ONLY
#define QUILTRA_MAPS_ONLY true
    QUILTRA_BUMP_RUN_RULES
#undef QUILTRA_MAPS_ONLY
};

#undef QUILTRA_COLOR_RUN_RULES
#undef QUILTRA_BUMP_RUN_RULES
#undef QUILTRA_COLOR_RUN_ROW
#undef QUILTRA_BUMP_RUN_ROW
#undef LINEAR_PER_CHANNEL
#undef DISPLAY_PER_CHANNEL
#undef COLOR_PER_CHANNEL
#undef COLOR_HSV
#undef COLOR_EXACT_DIFFERENCE
#undef BUMP_PER_CHANNEL
#undef BUMP_EXACT_DIFFERENCE

// ---- what the walk follows: a current plan, or the tables planned as it goes -------------------

// A current plan: its start value, base layer and runs.
class PlanFollower {
public:
    explicit PlanFollower(const LayerPlan& plan)
        : plan(plan), next(0), layers(plan.layers.empty() ? 0 : &plan.layers[0])
    { }

    AColor Start() const { return plan.start; }
    bool HasLayers() const { return plan.hasLayers; }
    int BaseMap() const { return plan.baseMap; }
    int BaseMask() const { return plan.baseMask; }
    bool OutputOn() const { return plan.output.settings.Output_on; }
    AColor Adjust(const AColor& c) const { return AdjustOutput(c, plan.output); }

    // The next run: its layers and its row of the run rules; false after the last.
    bool NextRun(const PlannedLayer*& first, const PlannedLayer*& end, PlannedRun& run)
    {
        if (next >= plan.runs.size()) return false;
        run = plan.runs[next++];
        first = layers + run.first;
        end = layers + run.end;
        return true;
    }

private:
    const LayerPlan& plan;
    size_t next;
    const PlannedLayer* layers;

    PlanFollower& operator=(const PlanFollower&);
};

// The tables, planned as the walk goes: each run (up to kLayers layers of one mode; a longer
// run is followed in parts, which composites the same) is planned into a buffer on the stack
// when the walk asks for it. Nothing is allocated.
template <class Access>
class TablePlanner {
public:
    enum { kLayers = 32 };

    // out: the Output settings, or null for the bump walk.
    TablePlanner(const LayerTables& t, const OutputSettings* out, const Access& access)
        : t(t), out(out), access(access), next(1)
    { }

    AColor Start() const
    {
        return t.colorList ? AColor(t.colorList[0], 1.0f) : AColor(0.0f, 0.0f, 0.0f, 1.0f);
    }
    bool HasLayers() const { return t.layers >= 1; }
    int BaseMap() const { return t.mapEnabled[0] && access.HasMap(0) ? 0 : -1; }
    int BaseMask() const { return t.maskEnabled[0] && access.HasMap(1) ? 1 : -1; }
    bool OutputOn() const { return out && out->Output_on; }
    AColor Adjust(const AColor& c) const { return AdjustOutput(c, *out); }

    bool NextRun(const PlannedLayer*& first, const PlannedLayer*& end, PlannedRun& run)
    {
        int count = 0;
        int mode = 0;
        bool display = false;
        run.mapsOnly = true;
        for (; next < t.layers && count < kLayers; ++next) {
            if (!t.mapUsed[next]) continue;
            if (count > 0 && (t.modeList[next] != mode || InDisplaySpace(t, next) != display))
                break;
            mode = t.modeList[next];
            display = InDisplaySpace(t, next);
            buffer[count] = PlanLayer(t, next, access);
            if (buffer[count].map < 0 || buffer[count].mask >= 0) run.mapsOnly = false;
            ++count;
        }
        if (count == 0) return false;
        run.first = 0;
        run.end = count;
        run.rule = RunRuleOf(mode);
        run.display = display;
        first = buffer;
        end = buffer + count;
        return true;
    }

private:
    const LayerTables& t;
    const OutputSettings* out;
    const Access& access;
    int next;
    PlannedLayer buffer[kLayers];

    TablePlanner& operator=(const TablePlanner&);
};

// ---- the walk ---------------------------------------------------------------------------------

// The layers above the base layer, run by run, onto base.
template <class Walk, class Plan, class Access>
inline void WalkLayers(typename Walk::Value& base, Plan& plan, Access& access)
{
    const PlannedLayer* first;
    const PlannedLayer* end;
    PlannedRun run;
    while (plan.NextRun(first, end, run))
        RunRules<Access>::Of((const Walk*)0, run)(base, first, end, access);
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
template <class Plan, class Access>
AColor WalkColor(Plan& plan, Access& access)
{
    AColor base;
    if (CacheHitOrTag(access, base)) return base;
    if (!plan.HasLayers()) return plan.Start();
    base = BaseLayerColor(plan.Start(), plan.BaseMap(), plan.BaseMask(), access);
    WalkLayers<ColorWalk>(base, plan, access);
    if (plan.OutputOn()) base = plan.Adjust(base);
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
template <class Plan, class Access>
Point3 WalkPerturb(Plan& plan, Access& access)
{
    PassGBufferID(access);
    if (!plan.HasLayers()) return Point3(0.0f, 0.0f, 0.0f);
    Point3 base = BaseLayerPerturb(plan.BaseMap(), plan.BaseMask(), access);
    WalkLayers<BumpWalk>(base, plan, access);
    return base;
}

// Over a current plan (the host ran Update).
template <class Access>
AColor EvalPlannedColor(const LayerPlan& plan, Access& access)
{
    PlanFollower follower(plan);
    return WalkColor(follower, access);
}

template <class Access>
Point3 EvalPlannedPerturb(const LayerPlan& plan, Access& access)
{
    PlanFollower follower(plan);
    return WalkPerturb(follower, access);
}

// Without a current plan: the tables and the Output settings as they are.
template <class Access>
AColor EvalLayerColor(const LayerTables& t, const OutputSettings& out, Access& access)
{
    TablePlanner<Access> planner(t, &out, access);
    return WalkColor(planner, access);
}

template <class Access>
Point3 EvalLayerPerturb(const LayerTables& t, Access& access)
{
    TablePlanner<Access> planner(t, 0, access);
    return WalkPerturb(planner, access);
}
