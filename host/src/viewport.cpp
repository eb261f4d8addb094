// Recording stand-ins of the viewport's hardware material and texture maker.
#include "host/viewport.h"

#include "text_convert.h"

namespace host {

void RecordingHardwareMaterial::SetNumTexStages(DWORD n) {
    calls.push_back(host_text::Format(L"SetNumTexStages %lu", (unsigned long)n));
}
void RecordingHardwareMaterial::SetTexture(DWORD stage, DWORD_PTR h) {
    calls.push_back(host_text::Format(L"SetTexture %lu %llu", (unsigned long)stage,
                                      (unsigned long long)h));
}
void RecordingHardwareMaterial::SetTextureColorArg(DWORD stage, DWORD arg, DWORD value) {
    calls.push_back(host_text::Format(L"SetTextureColorArg %lu %lu %lu", (unsigned long)stage,
                                      (unsigned long)arg, (unsigned long)value));
}
void RecordingHardwareMaterial::SetTextureColorOp(DWORD stage, DWORD op) {
    calls.push_back(host_text::Format(L"SetTextureColorOp %lu %lu", (unsigned long)stage,
                                      (unsigned long)op));
}
void RecordingHardwareMaterial::SetTextureAlphaArg(DWORD stage, DWORD arg, DWORD value) {
    calls.push_back(host_text::Format(L"SetTextureAlphaArg %lu %lu %lu", (unsigned long)stage,
                                      (unsigned long)arg, (unsigned long)value));
}
void RecordingHardwareMaterial::SetTextureAlphaOp(DWORD stage, DWORD op) {
    calls.push_back(host_text::Format(L"SetTextureAlphaOp %lu %lu", (unsigned long)stage,
                                      (unsigned long)op));
}
void RecordingHardwareMaterial::SetTextureTransformFlag(DWORD stage, DWORD flag) {
    calls.push_back(host_text::Format(L"SetTextureTransformFlag %lu %lu", (unsigned long)stage,
                                      (unsigned long)flag));
}
void RecordingHardwareMaterial::SetDiffuseColor(Color c, float alpha) {
    calls.push_back(host_text::Format(L"SetDiffuseColor %g %g %g %g", c.r, c.g, c.b, alpha));
}
void RecordingHardwareMaterial::SetAmbientColor(Color c, float alpha) {
    calls.push_back(host_text::Format(L"SetAmbientColor %g %g %g %g", c.r, c.g, c.b, alpha));
}

namespace {
class CountedHandle : public TexHandle {
public:
    CountedHandle(ViewportTexMaker* m, DWORD_PTR h) : maker(m), handle(h) {}
    DWORD_PTR GetHandle() override { return handle; }
    void DeleteThis() override {
        ++maker->handlesDeleted;
        delete this;
    }

private:
    ViewportTexMaker* maker;
    DWORD_PTR handle;
};
}  // namespace

ViewportTexMaker::ViewportTexMaker()
    : texturesSupported(4), handlesMade(0), handlesDeleted(0), nullBitmaps(0) {}

ViewportTexMaker::~ViewportTexMaker() {}

TexHandle* ViewportTexMaker::MakeHandle(BITMAPINFO* bminf) {
    if (!bminf) {
        ++nullBitmaps;
        return NULL;
    }
    LocalFree(bminf);
    ++handlesMade;
    return new CountedHandle(this, (DWORD_PTR)handlesMade);
}

void ViewportTexMaker::GetGfxTexInfoFromTexmap(TimeValue, TextureInfo& ti, Texmap* txm) {
    ti.uvwSource = UVSOURCE_MESH;
    ti.mapChannel = 1;
    ti.tiling[0] = ti.tiling[1] = ti.tiling[2] = 0;
    infoRequests.push_back(txm);
}

}  // namespace host
