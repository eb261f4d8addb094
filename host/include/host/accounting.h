// Object accounting: how many of the host's objects are alive, for tests that check a scene,
// its editor and its history leave nothing behind. Counts are of live objects, by kind:
// reference targets (and of them sub-maps, and parameter blocks), undo records and the
// viewport's texture handles.
#pragma once

#include <string>

#include "../maxtypes.h"
#include "../plugapi.h"

namespace host {

struct LiveCounts {
    int targets = 0; // every reference target
    int texmaps = 0; // targets of the sub-map super class (textures and maps)
    int blocks = 0; // parameter blocks
    int undoRecords = 0; // RestoreObj instances (open, in the history or anywhere else)
    int texHandles = 0; // viewport texture handles made and not given back
};

CoreExport LiveCounts CountLive();
// Live targets of one class.
CoreExport int CountLiveOfClass(SClass_ID superClass, Class_ID classID);
// What is alive now beyond before, as "N textures/maps, N blocks, ..." ("" when nothing):
// each kind that grew, and the classes of targets alive now that were not counted before.
CoreExport std::string DescribeLeft(const LiveCounts& before);

// Called by the host's own code as objects come and go.
void CountTarget(void* target, bool alive);
void CountRecord(bool alive);
void CountTexHandle(bool alive);

} // namespace host
