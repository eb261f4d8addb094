// Building textures the way a host does: the layered texture through its class descriptor's
// Create, its layer count and sub-maps through the sub-map interface (SetNumSubTexmaps,
// SetSubTexmap), its per-layer values and Output settings through its published interface
// IVorlithLayers. The host program never links the plug-in.
#pragma once

#include "picture_params.h"
#include "scene_description.h"

#include <host/plugin_manager.h>

#include <memory>
#include <string>
#include <vector>

class Texmap;
class IVorlithLayers;

namespace quiltra {

class PictureMap;

// The host's session: the plug-in manager with the plug-in folder loaded and the host's own
// picture-map classes registered.
class Host {
public:
    // Loads every plug-in of `pluginFolder`. Throws InputError when the folder yields no
    // layered-texture class or its library lacks a blend-mode name.
    explicit Host(const std::string& pluginFolder);
    ~Host();

    host::PluginManager& Plugins() { return *plugins_; }
    ClassDesc* VorlithClass() const { return vorlith_; }
    // The blend modes' names by index, from the plug-in library's string table (UTF-8).
    const std::vector<std::string>& ModeNames() const { return modeNames_; }

    // A new layered texture made by the plug-in's class descriptor.
    Texmap* CreateLayeredTexture();

private:
    std::unique_ptr<host::PluginManager> plugins_;
    ClassDesc* vorlith_ = nullptr;
    std::vector<std::string> modeNames_;
};

// The published interface of a layered texture, or null when the map has none.
IVorlithLayers* LayersOf(Texmap* map);

// A texture tree owned the way a host owns a scene: deleted with its sub-maps.
class SceneTexture {
public:
    SceneTexture() = default;
    explicit SceneTexture(Texmap* root) : root_(root) { }
    SceneTexture(SceneTexture&& other) noexcept : root_(other.root_) { other.root_ = nullptr; }
    SceneTexture& operator=(SceneTexture&& other) noexcept;
    ~SceneTexture();
    Texmap* Get() const { return root_; }
    Texmap* Release()
    {
        Texmap* r = root_;
        root_ = nullptr;
        return r;
    }

private:
    Texmap* root_ = nullptr;
};

// Builds the texture a description describes. Throws InputError (with the sub-map's JSON path)
// when a part cannot be made, and then leaves nothing behind.
SceneTexture BuildTexture(Host& host, const StackDescription& scene, const std::string& fileName);

// A new picture map of the host made through its class descriptor, with the parameters. Throws
// InputError (a bitmap: "file: why") when it cannot be made, leaving nothing behind.
SceneTexture CreatePictureMap(Host& host, PictureKind kind, const PictureParams& params);
// The map as one of the host's picture maps, or null when it is none.
PictureMap* PictureMapOf(Texmap* map);

// Reads a scene file of either kind: a saved host scene (recognised by its magic) or JSON.
// Both are held to the same limits: textures nested at most host::kMaxTextureNesting deep, at
// most host::kMaxTextureEvaluations texture evaluations per sample, and at most
// VORLITH_MAX_LAYERS layers in a layered texture. Throws InputError naming the file.
SceneTexture LoadAnyScene(Host& host, const std::string& path);
// The same for the bytes of a scene file that `path` names (in messages).
SceneTexture LoadSceneBytes(Host& host, const std::vector<std::uint8_t>& bytes,
                            const std::string& path);

// The host scene file bytes of a texture.
std::vector<std::uint8_t> SaveSceneBytes(Texmap* root);

} // namespace quiltra
