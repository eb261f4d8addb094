// Host-internal facts about parameter blocks that the scene file needs.
#pragma once

namespace host_pb {

// The chunk id under which a block saves parameter paramID.
unsigned short ParamChunkID(short paramID);

}  // namespace host_pb
