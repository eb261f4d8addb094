// The texture's per-layer tables as the walks and the layer plan read them.
#pragma once

#include "blend_space.h"
#include "color.h"

// One of a texture's tables as the walks see it: its first entry and its number of entries.
// A table with no entries, or no storage, is empty.
template <class T>
struct TableView {
    const T* first;
    int count;
    TableView(const T* first, int count)
        : first(first && count > 0 ? first : 0), count(first && count > 0 ? count : 0)
    { }
};

// Read-only views of a texture's tables for the walks. The walks take `layers` as given: every
// table holds at least that many entries, and mapList at least twice as many (ViewLayerTables
// makes it so). colorList[0], when colorList is not null, is the start value even of a stack
// with no usable layer.
struct LayerTables {
    int layers;
    const int* mapEnabled;
    const int* maskEnabled;
    const int* mapUsed;
    const float* opasityList;
    const Color* colorList;
    const int* modeList;
    const int* spaceList; // BlendSpace of each layer; null: every layer in linear space
};

// The views the walks read, and the number of usable layers: mapList's entry count / 2, lowered
// to the shortest table, so tables out of step with each other are never read past their end
// (a layer missing from any table is left out). This is the one place where that count is
// worked out. Without a spaceList (no storage) every layer is in linear space; a spaceList with
// storage counts like the other tables.
inline LayerTables ViewLayerTables(int mapCount, TableView<int> mapEnabled,
                                   TableView<int> maskEnabled, TableView<int> mapUsed,
                                   TableView<float> opasityList, TableView<Color> colorList,
                                   TableView<int> modeList,
                                   TableView<int> spaceList = TableView<int>(0, 0))
{
    int n = mapCount / 2;
    const int counts[6] = {mapEnabled.count,  maskEnabled.count, mapUsed.count,
                           opasityList.count, colorList.count,   modeList.count};
    for (int i = 0; i < 6; ++i)
        if (counts[i] < n) n = counts[i];
    if (spaceList.first && spaceList.count < n) n = spaceList.count;
    LayerTables t;
    t.layers = n < 0 ? 0 : n;
    t.mapEnabled = mapEnabled.first;
    t.maskEnabled = maskEnabled.first;
    t.mapUsed = mapUsed.first;
    t.opasityList = opasityList.first;
    t.colorList = colorList.first;
    t.modeList = modeList.first;
    t.spaceList = spaceList.first;
    return t;
}

// True when layer i is composited in display space.
inline bool InDisplaySpace(const LayerTables& t, int i)
{
    return t.spaceList && t.spaceList[i] == BLEND_SPACE_DISPLAY;
}

// The opacity fraction of a layer: percent × 0.01 (the float 0.00999999978), unclamped.
inline float OpacityFraction(float percent) { return percent * 0.01f; }
