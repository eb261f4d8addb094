#include "scene_build.h"

#include "file_io.h"
#include "picture_cache.h"
#include "picture_maps.h"

#include <ivorlith.h>
#include <imtl.h>
#include <iparamb2.h>
#include <host/scene_file.h>

#include <algorithm>
#include <unordered_set>

#include <windows.h>

namespace quiltra {

// ---- the host session -------------------------------------------------------------------------

Host::Host(const std::string& pluginFolder) : plugins_(std::make_unique<host::PluginManager>())
{
    for (ClassDesc* cd : PictureMapClassDescs())
        plugins_->RegisterBuiltIn(cd);
    std::wstring error;
    plugins_->LoadFolder(Widen(pluginFolder), &error);
    vorlith_ = plugins_->Classes().Find(TEXMAP_CLASS_ID, VORLITH_CLASS_ID);
    if (!vorlith_) {
        std::string why = Narrow(error);
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r'))
            why.pop_back();
        throw InputError(pluginFolder +
                         ": the layered texture plug-in (Vorlith.dlt) is not there or was refused" +
                         (why.empty() ? std::string() : ": " + why));
    }
    // The mode names as the editor shows them: the library's own strings.
    HMODULE library = nullptr;
    std::wstring libraryPath;
    for (const host::PluginInfo& p : plugins_->Plugins())
        for (ClassDesc* cd : p.classes)
            if (cd == vorlith_) library = p.module, libraryPath = p.path;
    for (int i = 0; i < VORLITH_MODE_COUNT; ++i) {
        const wchar_t* text = nullptr;
        int length = library ? LoadStringW(library, VORLITH_MODE_NAME_ID(i), (LPWSTR)&text, 0) : 0;
        if (length <= 0)
            throw InputError(Narrow(libraryPath) + ": the plug-in has no name for blend mode " +
                             std::to_string(i));
        modeNames_.push_back(Narrow(std::wstring(text, (size_t)length)));
    }
}

Host::~Host() = default;

Texmap* Host::CreateLayeredTexture()
{
    Texmap* t = static_cast<Texmap*>(vorlith_->Create(FALSE));
    if (!t) throw InputError("the layered texture's class descriptor created nothing");
    return t;
}

IVorlithLayers* LayersOf(Texmap* map)
{
    return map ? static_cast<IVorlithLayers*>(map->GetInterface(VORLITH_LAYERS_INTERFACE))
               : nullptr;
}

// ---- ownership
// -------------------------------------------------------------------------------------

SceneTexture& SceneTexture::operator=(SceneTexture&& other) noexcept
{
    if (this != &other) {
        SceneTexture old(Release());
        root_ = other.Release();
    }
    return *this;
}

SceneTexture::~SceneTexture()
{
    if (root_) host::DeleteScene({root_});
}

// ---- building
// ------------------------------------------------------------------------------------------

namespace {

class Builder {
public:
    Builder(Host& host, std::string fileName) : host_(host), file_(std::move(fileName)) { }

    SceneTexture Stack(const StackDescription& s)
    {
        SceneTexture texture(host_.CreateLayeredTexture());
        Texmap* t = texture.Get();
        IVorlithLayers* layers = LayersOf(t);
        if (!layers) throw InputError("the layered texture does not publish its layer interface");

        const int n = (int)s.layers.size();
        // The sub-map interface: SetNumSubTexmaps takes the number of layers.
        static_cast<MultiTex*>(t)->SetNumSubTexmaps(n);
        if (layers->GetNumLayers() != n)
            throw InputError("the layered texture refused " + std::to_string(n) + " layers");

        for (int i = 0; i < n; ++i) {
            const LayerDescription& l = s.layers[(size_t)i];
            if (l.map) Attach(t, 2 * i, *l.map);
            if (l.mask) Attach(t, 2 * i + 1, *l.mask);
            if (l.mapEnabled) layers->SetMapEnabled(i, *l.mapEnabled ? TRUE : FALSE);
            if (l.maskEnabled) layers->SetMaskEnabled(i, *l.maskEnabled ? TRUE : FALSE);
            if (l.mapUsed) layers->SetLayerUsed(i, *l.mapUsed ? TRUE : FALSE);
            if (l.opacity) layers->SetOpacity(i, *l.opacity);
            if (l.color)
                layers->SetLayerColor(i, Color((*l.color)[0], (*l.color)[1], (*l.color)[2]));
            if (l.mode) layers->SetBlendMode(i, *l.mode);
            if (l.space) layers->SetBlendSpace(i, *l.space);
        }

        const OutputDescription& o = s.output;
        if (o.on) layers->SetOutputEnabled(*o.on ? TRUE : FALSE);
        if (o.hsv) layers->SetOutputShiftHSV(Point3((*o.hsv)[0], (*o.hsv)[1], (*o.hsv)[2]));
        if (o.rgb) layers->SetOutputShiftRGB(Point3((*o.rgb)[0], (*o.rgb)[1], (*o.rgb)[2]));
        if (o.alpha) layers->SetOutputAlpha(*o.alpha);
        if (o.bright) layers->SetOutputBrightness(*o.bright);
        if (o.contrast) layers->SetOutputContrast(*o.contrast);
        if (o.gamma) layers->SetOutputGamma(*o.gamma);
        if (o.mono) layers->SetOutputMono(*o.mono ? TRUE : FALSE);
        if (o.clamp) layers->SetOutputClamp(*o.clamp ? TRUE : FALSE);
        return texture;
    }

private:
    void Attach(Texmap* parent, int slot, const SubmapDescription& d)
    {
        SceneTexture map = Submap(d);
        parent->SetSubTexmap(slot, map.Get());
        if (parent->GetSubTexmap(slot) != map.Get())
            throw InputError(file_ + ": " + d.where +
                             ": the layered texture did not take the sub-map");
        map.Release(); // the parent's reference owns it now
    }

    SceneTexture Submap(const SubmapDescription& d)
    {
        if (d.stack) return Stack(*d.stack);
        try {
            return CreatePictureMap(host_, d.kind, d.params);
        } catch (const InputError& e) {
            const bool file = d.kind == PictureKind::Bitmap;
            throw InputError(file_ + ": " + d.where + (file ? ".file: " : ": ") + e.what());
        }
    }

    Host& host_;
    std::string file_;
};

} // namespace

SceneTexture CreatePictureMap(Host& host, PictureKind kind, const PictureParams& params)
{
    // A bitmap's picture is decoded before its map is made (the map then takes the same one):
    // a picture that does not load leaves no map to delete, which inside an undo step the
    // host's records would still point at.
    std::shared_ptr<const Picture> picture;
    if (kind == PictureKind::Bitmap)
        picture = SharedPicture(params.image, params.linear, params.file);
    ClassDesc* cd = PictureMapClassDesc(kind);
    auto* created =
        static_cast<Texmap*>(host.Plugins().Classes().Create(TEXMAP_CLASS_ID, cd->ClassID()));
    if (!created) throw InputError("the host could not create the sub-map");
    SceneTexture map(created);
    static_cast<PictureMap*>(created)->SetParams(params);
    return map;
}

PictureMap* PictureMapOf(Texmap* map)
{
    if (!map || map->SuperClassID() != TEXMAP_CLASS_ID) return nullptr;
    for (ClassDesc* cd : PictureMapClassDescs())
        if (map->ClassID() == cd->ClassID()) return static_cast<PictureMap*>(map);
    return nullptr;
}

SceneTexture BuildTexture(Host& host, const StackDescription& scene, const std::string& fileName)
{
    return Builder(host, fileName).Stack(scene);
}

// A layered texture of a loaded scene holds at most VORLITH_MAX_LAYERS layers, and its
// parameter block's tables at most two entries per layer (a map and a mask). Each texture of
// the tree is looked at once.
static void CheckLayerCounts(Texmap* root, const std::string& path)
{
    std::vector<Texmap*> pending {root};
    std::unordered_set<Texmap*> seen {root};
    while (!pending.empty()) {
        Texmap* t = pending.back();
        pending.pop_back();
        if (IVorlithLayers* layers = LayersOf(t)) {
            long long most = layers->GetNumLayers();
            for (int b = 0; b < t->NumParamBlocks(); ++b)
                if (IParamBlock2* pb = t->GetParamBlock(b))
                    for (int k = 0; k < pb->NumParams(); ++k) {
                        ParamID id = pb->IndextoID(k);
                        if (is_tab(pb->GetParameterType(id)))
                            most = std::max(most, (pb->Count(id) + 1ll) / 2);
                    }
            if (most > VORLITH_MAX_LAYERS)
                throw InputError(path + ": a layered texture of the scene holds " +
                                 std::to_string(most) + " layers (at most " +
                                 std::to_string(VORLITH_MAX_LAYERS) + ")");
        }
        for (int i = 0; i < t->NumSubTexmaps(); ++i) {
            Texmap* sub = t->GetSubTexmap(i);
            if (sub && seen.insert(sub).second) pending.push_back(sub);
        }
    }
}

SceneTexture LoadAnyScene(Host& host, const std::string& path)
{
    return LoadSceneBytes(host, ReadFileBytes(path), path);
}

SceneTexture LoadSceneBytes(Host& host, const std::vector<std::uint8_t>& bytes,
                            const std::string& path)
{
    if (!host::IsSceneFile(bytes.data(), bytes.size()))
        return BuildTexture(
            host, ParseSceneJson(std::string(bytes.begin(), bytes.end()), path, host.ModeNames()),
            path);

    host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), host.Plugins().Classes());
    if (!r.ok)
        throw InputError(path + ": byte " + std::to_string(r.offset) +
                         ": not a usable scene: " + Narrow(r.what));
    if (r.roots.size() != 1 || !r.roots[0] || r.roots[0]->SuperClassID() != TEXMAP_CLASS_ID) {
        host::DeleteScene(r.roots);
        throw InputError(path + ": the scene does not hold exactly one texture");
    }
    SceneTexture texture(static_cast<Texmap*>(r.roots[0]));
    CheckLayerCounts(texture.Get(), path);
    return texture;
}

std::vector<std::uint8_t> SaveSceneBytes(Texmap* root)
{
    std::vector<unsigned char> bytes;
    std::wstring error;
    if (!host::WriteScene({root}, &bytes, &error))
        throw InputError("the scene cannot be saved: " + Narrow(error));
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

} // namespace quiltra
