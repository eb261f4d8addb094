// What the scene file's writer and reader share beyond the public header: the file's magic and
// the most objects one scene may hold.
#pragma once

#include <stddef.h>

#include "host/scene_file.h"

namespace host {
namespace scene_file {

const unsigned char kMagic[8] = {'Q', 'L', 'T', 'S', 'C', 'E', 'N', 'E'};
const size_t kMagicSize = sizeof kMagic;
const ULONG kMaxObjects = 1u << 20;

} // namespace scene_file
} // namespace host
