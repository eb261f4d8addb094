// Scene files of this host: a graph of reference targets saved with their classes, their own
// chunks (Save), their parameter blocks and their references, and loaded back through the
// class descriptors.
//
// Layout (little-endian). A file is the 8 bytes "QLTSCENE", then one container chunk. Every
// chunk is: USHORT id, ULONG length (header included; top bit set for a container), contents.
//   SCENE (container)
//     HEADER (data): ULONG format version (1), ULONG writer's VERSION_3DSMAX,
//                    ULONG object count, ULONG root count
//     OBJECT (container), once per object, in index order:
//       CLASS (data): ULONG super class, ULONG class ID part A, ULONG part B
//       PBLOCK (data, parameter blocks only): owner class (3 ULONGs), block ID, then per
//               parameter: USHORT id, USHORT type, ULONG count, values
//       DATA (container): the chunks the object's Save wrote
//       REFS (data): ULONG count, then one LONG object index per reference (-1 = none)
//     ROOTS (data): one ULONG object index per root
// Every length is checked against its parent; a file that is cut short, has a length or
// index that does not fit, a count its bytes do not back, textures nested or shared beyond the
// limits below, an unknown class, or a Load that fails gives an error with the byte offset and
// nothing of it survives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../ref.h"
#include "class_directory.h"

namespace host {

// Chunk ids of the scene file.
enum SceneChunk : unsigned short {
    kSceneChunk = 0x5C00,
    kSceneHeaderChunk = 0x5C01,
    kObjectChunk = 0x5C10,
    kClassChunk = 0x5C11,
    kDataChunk = 0x5C12,
    kRefsChunk = 0x5C13,
    kParamBlockChunk = 0x5C14,
    kRootsChunk = 0x5C20
};

constexpr unsigned long kSceneFormatVersion = 1;

struct SceneSaveOptions {
    // When set and true for (object, chunk id): the object's top-level chunk is left out, as
    // an older version of its class would not have written it.
    std::function<bool(ReferenceTarget* object, unsigned short chunkID)> dropChunk;
    // When set and true for (block, parameter id): the parameter is left out of the block.
    std::function<bool(IParamBlock2* block, short paramID)> dropParam;
};

// Limits of what a scene may ask of the host, checked before any object is made. Textures
// inside one another (a texture's sub-maps, theirs, and so on) nest at most kMaxTextureNesting
// levels below the outermost. One sample evaluates every sub-texture once for each slot that
// reaches it, so sub-textures shared by several slots multiply with every level: at most
// kMaxTextureEvaluations evaluations per sample of any texture of the scene.
constexpr int kMaxTextureNesting = 32;
constexpr unsigned long kMaxTextureEvaluations = 1000000;

struct SceneLoadResult {
    bool ok = false;
    std::wstring error; // what went wrong, with the byte offset
    std::wstring what; // the same without the offset
    size_t offset = 0; // byte offset of the fault
    std::vector<ReferenceTarget*> roots; // on success; the caller deletes them (DeleteScene)
};

// The scene as bytes: roots and everything they refer to, each object once. False with error
// set when an object cannot be saved (its Save fails, a block without a class).
CoreExport bool WriteScene(const std::vector<ReferenceTarget*>& roots,
                           std::vector<unsigned char>* bytes, std::wstring* error,
                           const SceneSaveOptions& options = {});
// Writes the scene to path; false with error set when the file cannot be written.
CoreExport bool SaveScene(const std::wstring& path, const std::vector<ReferenceTarget*>& roots,
                          std::wstring* error, const SceneSaveOptions& options = {});

// Rebuilds a scene from bytes, creating objects through classes.
CoreExport SceneLoadResult ReadScene(const unsigned char* data, size_t size,
                                     const ClassDirectory& classes);
CoreExport SceneLoadResult LoadScene(const std::wstring& path, const ClassDirectory& classes);

// True when the bytes start like a scene file (its magic).
CoreExport bool IsSceneFile(const unsigned char* data, size_t size);
CoreExport bool IsSceneFile(const std::wstring& path);

// Deletes roots the way the host deletes a scene: every root that nothing else refers to is
// deleted, its references released first, and with them every target left without a
// dependent. Roots that other objects still refer to stay.
CoreExport void DeleteScene(const std::vector<ReferenceTarget*>& roots);

} // namespace host
