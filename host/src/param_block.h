// Host-internal facts about parameter blocks that the scene file needs.
#pragma once

#include <stddef.h>

#include "ioapi.h"

class IParamBlock2;

namespace host_pb {

// How a parameter type's values are held, by the declaration reader and by the blocks alike.
enum ValueKind { kFloat, kInt, kColor, kPoint3, kPoint4, kString, kPointer, kUnsupported };

// The kind of a parameter type (its table flag ignored).
ValueKind KindOf(int type);

// Loads a block (made by CreateParameterBlock2) from a scene in which its owner saved
// ownerReferences references: a table of the owner's references counts no more entries than
// the owner saved from the table's first reference on, or than its declared size.
IOResult LoadBlock(IParamBlock2* pb, ILoad* iload, size_t ownerReferences);

// The chunk id under which a block saves parameter paramID.
unsigned short ParamChunkID(short paramID);

} // namespace host_pb
