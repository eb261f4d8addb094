// Host-internal facts about parameter blocks that the scene file needs.
#pragma once

namespace host_pb {

// How a parameter type's values are held, by the declaration reader and by the blocks alike.
enum ValueKind { kFloat, kInt, kColor, kPoint3, kPoint4, kString, kPointer, kUnsupported };

// The kind of a parameter type (its table flag ignored).
ValueKind KindOf(int type);

// The chunk id under which a block saves parameter paramID.
unsigned short ParamChunkID(short paramID);

}  // namespace host_pb
