// The viewport side of multi-map display, for host programs and tests: a hardware material
// that records every call in order and keeps the stage state they set, a texture maker that
// numbers its textures, keeps their pixels and counts what it makes and what is given back, and
// a viewport that drives a texture through either and shows what the graphics layer would.
//
//   host::Viewport vp;
//   vp.path = host::Viewport::kRecordPath;     // or kHardwarePath (the default)
//   vp.maker.texturesSupported = 8;
//   vp.Setup(tex, 0);                          // the texture sets its stages up
//   AColor c = vp.Shade(u, v);                 // the stages combined at (u, v)
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../IHardwareMaterial.h"
#include "../imtl.h"
#include "../mtl.h"

namespace host {

// Texture stages the viewport keeps state for; calls for higher stages are recorded only.
const int kViewportStages = 8;

class CoreExport RecordingHardwareMaterial : public IHardwareMaterial {
public:
    RecordingHardwareMaterial();

    // One line per call: the operation's name and its arguments in decimal, e.g.
    // "SetTexture 0 3", "SetTextureColorArg 0 1 2", "SetDiffuseColor 1 1 1 1".
    std::vector<std::wstring> calls;
    // For each call, the stage it names, or -1 for the material-wide colours.
    std::vector<int> callStage;

    // What the calls set, starting from the graphics layer's defaults: stage 0 modulates its
    // texture with the current colour and selects the texture's alpha, higher stages are off;
    // arguments texture and current; no texture; no coordinate transform.
    struct Stage {
        DWORD_PTR texture;
        DWORD colorArg[3]; // [1], [2]: arguments 1 and 2
        DWORD alphaArg[3];
        DWORD colorOp;
        DWORD alphaOp;
        DWORD transformFlag;
    };
    DWORD numStages;
    Stage stages[kViewportStages];
    Color diffuse, ambient;
    float diffuseAlpha, ambientAlpha;

    // Forgets the calls and goes back to the defaults, with the given material colour.
    void Reset(Color diffuseColor, float alpha);

    void SetNumTexStages(DWORD numStages) override;
    void SetTexture(DWORD stage, DWORD_PTR texHandle) override;
    void SetTextureColorArg(DWORD stage, DWORD argNum, DWORD colorArg) override;
    void SetTextureColorOp(DWORD stage, DWORD colorOp) override;
    void SetTextureAlphaArg(DWORD stage, DWORD argNum, DWORD alphaArg) override;
    void SetTextureAlphaOp(DWORD stage, DWORD alphaOp) override;
    void SetTextureTransformFlag(DWORD stage, DWORD flag) override;
    void SetDiffuseColor(Color c, float alpha = 1.0f) override;
    void SetAmbientColor(Color c, float alpha = 1.0f) override;

private:
    void Record(int stage, const std::wstring& text);
    Stage* StageAt(DWORD stage);
};

// A texture of the viewport: its pixels decoded to linear floats (r, g, b, a), rows from the
// bottom (row r holds v = (r + 0.5) / height), and its bilinear, wrapping lookup.
struct CoreExport ViewportTexture {
    int width = 0, height = 0;
    std::vector<float> rgba;

    AColor Sample(float u, float v) const;
};

class CoreExport ViewportTexMaker : public MtlMakerCallback {
public:
    ViewportTexMaker();
    ~ViewportTexMaker() override;

    int texturesSupported; // what NumberTexturesSupported answers (default 4)
    int textureSize; // what Size answers (default 64)
    bool makeHandles; // false: MakeHandle takes the bitmap and gives no texture
    // One GetGfxTexInfoFromTexmap call: the map, the record it filled and that record's useTex
    // at the time (the stage, on the hardware path).
    struct InfoRequest {
        Texmap* map;
        const TextureInfo* record;
        int useTex;
    };
    std::vector<InfoRequest> infoRequests;

    // Counts, kept across the maker's life.
    int HandlesMade() const;
    int HandlesDeleted() const;
    int LiveHandles() const { return HandlesMade() - HandlesDeleted(); }
    int NullBitmaps() const; // MakeHandle calls with no bitmap
    int UnreadableBitmaps() const; // bitmaps in a format it cannot read (no texture made)

    // The pixels of a live texture, or null for 0, a texture given back or one never made.
    const ViewportTexture* Texture(DWORD_PTR handle) const;

    // Takes bminf (freed with LocalFree) and returns a new texture of it, numbered 1, 2, ...;
    // NULL for no bitmap, a bitmap it cannot read (32 or 24 bits per pixel, BI_RGB, either row
    // order, are read), or with makeHandles off. Textures may outlive the maker.
    TexHandle* MakeHandle(BITMAPINFO* bminf) override;
    int Size() override { return textureSize; }
    // Mapping channel 1 from the mesh, no tiling; the request is recorded.
    void GetGfxTexInfoFromTexmap(TimeValue t, TextureInfo& ti, Texmap* txm) override;
    BOOL NumberTexturesSupported() override { return texturesSupported; }

    struct Ledger;

private:
    std::shared_ptr<Ledger> ledger;
};

// A viewport of our own: it owns the material (and its texture records) it draws a texture
// with, offers the texture its hardware material on the hardware path and none on the record
// path, and combines the stages the texture set up per pixel as the graphics layer's fixed
// operations do. Stage 0's current value is the material's diffuse colour (white, opaque,
// unless the texture sets another); a stage without a texture reads opaque black. Colours are
// combined in linear light: textures are decoded from sRGB when they are read.
class CoreExport Viewport {
public:
    enum Path { kHardwarePath, kRecordPath };

    Viewport();

    Path path;
    ViewportTexMaker maker;
    RecordingHardwareMaterial hardware;
    Material material;

    // A redraw at time t: the texture is brought up to date, then sets its stages up through
    // the hardware material (hardware path; offered as the texture's PROPID_HW_MATERIAL
    // property for the call) or the material's records. The calls and requests of the previous
    // setup are forgotten; the texture keeps the textures it made until it discards them.
    void Setup(Texmap* texture, TimeValue t);

    // One stage in use after the last Setup, as the graphics layer will combine it.
    struct StageView {
        int stage;
        Texmap* map; // the map whose mapping data the stage asked for
        DWORD_PTR texture; // 0: none
        std::vector<std::wstring> ops; // the operations given for the stage
    };
    std::vector<StageView> Stages() const;

    // The stages of the last Setup combined at (u, v): linear colour and alpha.
    AColor Shade(float u, float v) const;

private:
    // One stage as the combiner runs it, in the hardware material's codes.
    struct Combine {
        DWORD_PTR texture;
        DWORD colorOp, alphaOp;
        DWORD colorArg[3], alphaArg[3];
        float colorScale, alphaScale;
    };
    std::vector<Combine> combine;
    AColor current0; // stage 0's current value: the diffuse colour
};

} // namespace host
