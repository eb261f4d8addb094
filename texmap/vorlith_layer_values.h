// The per-layer values, in the order of the saved layer record: the one list from which the
// texture's tables, their new-layer values, resize and swap, the saved record, the undo record,
// the clone, the block's table counts and the texture's per-layer get and set operations are
// expanded. Adding a per-layer value is adding a row here, its published get/set pair
// (ivorlith.h, vorlith_interface.cpp), its block declaration (vorlith_params.cpp) when scripts
// reach it by name, and the one place that uses it (the walks, or a row of the editor).
//
// A row is X(TYPE, NAME, PARAM, NEW_VALUE, RULE):
//   TYPE       the value's type: int, float or Color (the saved record writes each as it is)
//   NAME       the table's name, as the block declares the parameter
//   PARAM      the block parameter that carries the table's count (vorlith_params.h)
//   NEW_VALUE  the value of a new layer (published in ivorlith.h)
//   RULE       what a value from outside (a script, a scene) becomes:
//                LayerSwitch   0 or 1, any value but 0 being on;
//                LayerFinite   a value that is not finite is refused from a script and, from a
//                              scene, keeps the value the layer had (channel by channel);
//                LayerAsGiven  kept as given (blend-mode indices this library does not know
//                              included: stored scenes may hold them).
#pragma once

#include <string.h>

#include "color.h"
#include "ivorlith.h"
#include "tab.h"
#include "vorlith_params.h"
#include "vorlith_values.h"

// The values of the saved layer record (32 bytes, in this order).
// clang-format off
#define VORLITH_RECORD_LAYER_VALUES(X) \
    X(int, mapEnabled, pb_map_enabled, VORLITH_NEW_LAYER_SWITCH, LayerSwitch) \
    X(int, maskEnabled, pb_mask_enabled, VORLITH_NEW_LAYER_SWITCH, LayerSwitch) \
    X(int, mapUsed, pb_map_used, VORLITH_NEW_LAYER_SWITCH, LayerSwitch) \
    X(float, opasityList, pb_opasity_list, VORLITH_NEW_LAYER_OPACITY, LayerFinite) \
    X(Color, colorList, pb_color_list, NewLayerColor(), LayerFinite) \
    X(int, modeList, pb_mode_list, VORLITH_NEW_LAYER_MODE, LayerAsGiven)
// clang-format on

// Values added after the record was fixed: each is saved in a chunk of its own (vorlith_io.cpp),
// and a scene without that chunk loads the new-layer value. PARAM is VORLITH_NO_BLOCK_PARAM for a
// value the block does not declare (scripts reach it through the published interface).
// clang-format off
#define VORLITH_ADDED_LAYER_VALUES(X) \
    X(int, spaceList, VORLITH_NO_BLOCK_PARAM, VORLITH_NEW_LAYER_SPACE, LayerSwitch)
// clang-format on

#define VORLITH_LAYER_VALUES(X) VORLITH_RECORD_LAYER_VALUES(X) VORLITH_ADDED_LAYER_VALUES(X)
#define VORLITH_NO_BLOCK_PARAM (-1)

// A layer's opacity in percent, as the block declares it and the layer rows' spinners take it
// (a script may set any finite value).
#define VORLITH_OPACITY_MIN 0.0f
#define VORLITH_OPACITY_MAX 100.0f

inline Color NewLayerColor()
{
    return Color(VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY);
}

// The same bits: a value set to what it holds changes nothing (0 and -0 differ, as they do in
// a saved scene).
template <class T>
inline bool SameValue(const T& a, const T& b)
{
    return memcmp(&a, &b, sizeof(T)) == 0;
}

// The rules -------------------------------------------------------------------------------------

struct LayerSwitch {
    static bool Accept(int value, int& stored)
    {
        stored = value ? 1 : 0;
        return true;
    }
    static int Loaded(int read, int /*current*/) { return read ? 1 : 0; }
};

struct LayerFinite {
    static bool Accept(float value, float& stored)
    {
        if (!IsFiniteFloat(value)) return false;
        stored = value;
        return true;
    }
    static bool Accept(const Color& value, Color& stored)
    {
        if (!IsFiniteFloat(value.r) || !IsFiniteFloat(value.g) || !IsFiniteFloat(value.b))
            return false;
        stored = value;
        return true;
    }
    static float Loaded(float read, float current) { return IsFiniteFloat(read) ? read : current; }
    static Color Loaded(const Color& read, const Color& current)
    {
        return Color(Loaded(read.r, current.r), Loaded(read.g, current.g),
                     Loaded(read.b, current.b));
    }
};

struct LayerAsGiven {
    template <class T>
    static bool Accept(const T& value, T& stored)
    {
        stored = value;
        return true;
    }
    template <class T>
    static T Loaded(const T& read, const T& /*current*/)
    {
        return read;
    }
};

// The tables --------------------------------------------------------------------------------------

// Names a per-layer value in the texture's operations: LAYER_VALUE_mapEnabled and so on.
#define VORLITH_LAYER_VALUE_ID(TYPE, NAME, PARAM, NEW_VALUE, RULE) LAYER_VALUE_##NAME,
enum LayerValueId { VORLITH_LAYER_VALUES(VORLITH_LAYER_VALUE_ID) LAYER_VALUE_COUNT };
#undef VORLITH_LAYER_VALUE_ID

// One table per value, one entry per layer from the bottom.
struct LayerValueTables {
#define VORLITH_LAYER_TABLE(TYPE, NAME, PARAM, NEW_VALUE, RULE) Tab<TYPE> NAME;
    VORLITH_LAYER_VALUES(VORLITH_LAYER_TABLE)
#undef VORLITH_LAYER_TABLE

    // Sizes every table to n (at least 0), keeping their entries; entries added take the
    // new-layer values.
    void Resize(int n)
    {
        if (n < 0) n = 0;
#define VORLITH_RESIZE_TABLE(TYPE, NAME, PARAM, NEW_VALUE, RULE) ResizeKeeping(NAME, n, NEW_VALUE);
        VORLITH_LAYER_VALUES(VORLITH_RESIZE_TABLE)
#undef VORLITH_RESIZE_TABLE
    }

    // The new-layer values at entry layer of every table.
    void SetNewLayer(int layer)
    {
#define VORLITH_NEW_ENTRY(TYPE, NAME, PARAM, NEW_VALUE, RULE) NAME[layer] = NEW_VALUE;
        VORLITH_LAYER_VALUES(VORLITH_NEW_ENTRY)
#undef VORLITH_NEW_ENTRY
    }

    // Exchanges entries a and b of every table that holds both.
    void Swap(int a, int b)
    {
#define VORLITH_SWAP_ENTRIES(TYPE, NAME, PARAM, NEW_VALUE, RULE) SwapEntries(NAME, a, b);
        VORLITH_LAYER_VALUES(VORLITH_SWAP_ENTRIES)
#undef VORLITH_SWAP_ENTRIES
    }

    // The number of entries the shortest table holds.
    int ShortestCount() const
    {
        int n = -1;
#define VORLITH_SHORTEST(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    if (n < 0 || NAME.Count() < n) n = NAME.Count();
        VORLITH_LAYER_VALUES(VORLITH_SHORTEST)
#undef VORLITH_SHORTEST
        return n < 0 ? 0 : n;
    }

    // True when entries a and b hold the same bits in every table: exchanging them changes
    // nothing.
    bool EntriesAlike(int a, int b) const
    {
        bool alike = true;
#define VORLITH_ENTRIES_ALIKE(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    alike = alike && SameEntries(NAME, a, b);
        VORLITH_LAYER_VALUES(VORLITH_ENTRIES_ALIKE)
#undef VORLITH_ENTRIES_ALIKE
        return alike;
    }

    void Clear()
    {
#define VORLITH_CLEAR_TABLE(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    NAME.ZeroCount(); \
    NAME.Shrink();
        VORLITH_LAYER_VALUES(VORLITH_CLEAR_TABLE)
#undef VORLITH_CLEAR_TABLE
    }

    // Resizes one table to n, keeping its entries and giving those it adds the value fill.
    template <class T>
    static void ResizeKeeping(Tab<T>& table, int n, const T& fill)
    {
        const int old = table.Count();
        if (old == n) return;
        table.SetCount(n);
        for (int i = old; i < n; ++i)
            table[i] = fill;
    }

    // True when entries a and b of a table hold the same bits, or the table holds neither.
    template <class T>
    static bool SameEntries(const Tab<T>& table, int a, int b)
    {
        const bool hasA = a >= 0 && a < table.Count();
        const bool hasB = b >= 0 && b < table.Count();
        if (!hasA || !hasB) return hasA == hasB;
        return memcmp(&table[a], &table[b], sizeof(T)) == 0;
    }

    // Exchanges entries a and b of a table, when the table holds both.
    template <class T>
    static void SwapEntries(Tab<T>& table, int a, int b)
    {
        if (a < 0 || b < 0 || a >= table.Count() || b >= table.Count()) return;
        T t = table[a];
        table[a] = table[b];
        table[b] = t;
    }

    // Entry to of every table takes entry at of the same table of from (another texture's, a
    // copied layer's, or these), where both are held.
    void CopyEntry(int to, const LayerValueTables& from, int at)
    {
#define VORLITH_COPY_ENTRY(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    if (to >= 0 && to < NAME.Count() && at >= 0 && at < from.NAME.Count()) NAME[to] = from.NAME[at];
        VORLITH_LAYER_VALUES(VORLITH_COPY_ENTRY)
#undef VORLITH_COPY_ENTRY
    }
};

// What the operations know of each value: LayerValue<LAYER_VALUE_opasityList>::Type is float.
template <int Id>
struct LayerValue;

#define VORLITH_LAYER_VALUE_ROW(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    template <> \
    struct LayerValue<LAYER_VALUE_##NAME> { \
        typedef TYPE Type; \
        typedef RULE Rule; \
        static Tab<TYPE>& Table(LayerValueTables& t) { return t.NAME; } \
        static const Tab<TYPE>& Table(const LayerValueTables& t) { return t.NAME; } \
        static TYPE NewValue() { return NEW_VALUE; } \
    };
VORLITH_LAYER_VALUES(VORLITH_LAYER_VALUE_ROW)
#undef VORLITH_LAYER_VALUE_ROW
