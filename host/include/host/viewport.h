// The viewport side of multi-map display, for host programs and tests: a hardware material
// that records every call in order, and a texture maker that numbers its textures and counts
// what it makes and what is given back.
//
//   host::RecordingHardwareMaterial hw;
//   tex->SetProperty(PROPID_HW_MATERIAL, static_cast<IHardwareMaterial*>(&hw));
//   host::ViewportTexMaker maker;
//   Material mtl;
//   mtl.texture.setLengthUsed(1);
//   tex->SetupGfxMultiMaps(t, &mtl, maker);
#pragma once

#include <string>
#include <vector>

#include "../IHardwareMaterial.h"
#include "../imtl.h"
#include "../mtl.h"

namespace host {

class CoreExport RecordingHardwareMaterial : public IHardwareMaterial {
public:
    // One line per call: the operation's name and its arguments in decimal, e.g.
    // "SetTexture 0 3", "SetTextureColorArg 0 1 2", "SetDiffuseColor 1 1 1 1".
    std::vector<std::wstring> calls;

    void SetNumTexStages(DWORD numStages) override;
    void SetTexture(DWORD stage, DWORD_PTR texHandle) override;
    void SetTextureColorArg(DWORD stage, DWORD argNum, DWORD colorArg) override;
    void SetTextureColorOp(DWORD stage, DWORD colorOp) override;
    void SetTextureAlphaArg(DWORD stage, DWORD argNum, DWORD alphaArg) override;
    void SetTextureAlphaOp(DWORD stage, DWORD alphaOp) override;
    void SetTextureTransformFlag(DWORD stage, DWORD flag) override;
    void SetDiffuseColor(Color c, float alpha = 1.0f) override;
    void SetAmbientColor(Color c, float alpha = 1.0f) override;
};

class CoreExport ViewportTexMaker : public MtlMakerCallback {
public:
    ViewportTexMaker();
    // Handles still out must be given back before the maker goes.
    ~ViewportTexMaker() override;

    int texturesSupported;        // what NumberTexturesSupported answers (default 4)
    int handlesMade;              // MakeHandle calls that made a handle (numbered 1, 2, ...)
    int handlesDeleted;           // handles given back with DeleteThis
    int nullBitmaps;              // MakeHandle calls with no bitmap (no handle made)
    std::vector<Texmap*> infoRequests;   // maps of GetGfxTexInfoFromTexmap, in order

    int LiveHandles() const { return handlesMade - handlesDeleted; }

    // Frees bminf (LocalFree) and returns a new handle, or NULL for a NULL bitmap.
    TexHandle* MakeHandle(BITMAPINFO* bminf) override;
    int Size() override { return 64; }
    // Mapping channel 1 from the mesh, no tiling; the map is recorded.
    void GetGfxTexInfoFromTexmap(TimeValue t, TextureInfo& ti, Texmap* txm) override;
    BOOL NumberTexturesSupported() override { return texturesSupported; }
};

}  // namespace host
