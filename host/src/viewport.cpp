// The viewport stand-ins: the recording hardware material, the texture maker and the viewport
// that combines a texture's stages as the graphics layer's fixed operations do.
#include "host/viewport.h"

#include "host/accounting.h"

#include <cmath>

#include "srgb.h"
#include "text_convert.h"

namespace host {

// ---- hardware material ------------------------------------------------------------------------

RecordingHardwareMaterial::RecordingHardwareMaterial() { Reset(Color(1.0f, 1.0f, 1.0f), 1.0f); }

void RecordingHardwareMaterial::Reset(Color diffuseColor, float alpha)
{
    calls.clear();
    callStage.clear();
    numStages = 0;
    for (int k = 0; k < kViewportStages; ++k) {
        Stage& s = stages[k];
        s.texture = 0;
        s.colorArg[0] = s.alphaArg[0] = 0;
        s.colorArg[1] = s.alphaArg[1] = D3DTA_TEXTURE;
        s.colorArg[2] = s.alphaArg[2] = D3DTA_CURRENT;
        s.colorOp = k == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s.alphaOp = k == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s.transformFlag = D3DTTFF_DISABLE;
    }
    diffuse = ambient = diffuseColor;
    diffuseAlpha = ambientAlpha = alpha;
}

void RecordingHardwareMaterial::Record(int stage, const std::wstring& text)
{
    calls.push_back(text);
    callStage.push_back(stage);
}

RecordingHardwareMaterial::Stage* RecordingHardwareMaterial::StageAt(DWORD stage)
{
    return stage < (DWORD)kViewportStages ? &stages[stage] : nullptr;
}

void RecordingHardwareMaterial::SetNumTexStages(DWORD n)
{
    Record(-1, host_text::Format(L"SetNumTexStages %lu", (unsigned long)n));
    numStages = n;
}
void RecordingHardwareMaterial::SetTexture(DWORD stage, DWORD_PTR h)
{
    Record((int)stage,
           host_text::Format(L"SetTexture %lu %llu", (unsigned long)stage, (unsigned long long)h));
    if (Stage* s = StageAt(stage)) s->texture = h;
}
void RecordingHardwareMaterial::SetTextureColorArg(DWORD stage, DWORD arg, DWORD value)
{
    Record((int)stage,
           host_text::Format(L"SetTextureColorArg %lu %lu %lu", (unsigned long)stage,
                             (unsigned long)arg, (unsigned long)value));
    if (Stage* s = StageAt(stage))
        if (arg == 1 || arg == 2) s->colorArg[arg] = value;
}
void RecordingHardwareMaterial::SetTextureColorOp(DWORD stage, DWORD op)
{
    Record(
        (int)stage,
        host_text::Format(L"SetTextureColorOp %lu %lu", (unsigned long)stage, (unsigned long)op));
    if (Stage* s = StageAt(stage)) s->colorOp = op;
}
void RecordingHardwareMaterial::SetTextureAlphaArg(DWORD stage, DWORD arg, DWORD value)
{
    Record((int)stage,
           host_text::Format(L"SetTextureAlphaArg %lu %lu %lu", (unsigned long)stage,
                             (unsigned long)arg, (unsigned long)value));
    if (Stage* s = StageAt(stage))
        if (arg == 1 || arg == 2) s->alphaArg[arg] = value;
}
void RecordingHardwareMaterial::SetTextureAlphaOp(DWORD stage, DWORD op)
{
    Record(
        (int)stage,
        host_text::Format(L"SetTextureAlphaOp %lu %lu", (unsigned long)stage, (unsigned long)op));
    if (Stage* s = StageAt(stage)) s->alphaOp = op;
}
void RecordingHardwareMaterial::SetTextureTransformFlag(DWORD stage, DWORD flag)
{
    Record((int)stage,
           host_text::Format(L"SetTextureTransformFlag %lu %lu", (unsigned long)stage,
                             (unsigned long)flag));
    if (Stage* s = StageAt(stage)) s->transformFlag = flag;
}
void RecordingHardwareMaterial::SetDiffuseColor(Color c, float alpha)
{
    Record(-1, host_text::Format(L"SetDiffuseColor %g %g %g %g", c.r, c.g, c.b, alpha));
    diffuse = c;
    diffuseAlpha = alpha;
}
void RecordingHardwareMaterial::SetAmbientColor(Color c, float alpha)
{
    Record(-1, host_text::Format(L"SetAmbientColor %g %g %g %g", c.r, c.g, c.b, alpha));
    ambient = c;
    ambientAlpha = alpha;
}

// ---- textures -----------------------------------------------------------------------------------

AColor ViewportTexture::Sample(float u, float v) const
{
    if (width < 1 || height < 1) return AColor(0.0f, 0.0f, 0.0f, 1.0f);
    // Texel centres at (i + 0.5) / size; the lookup wraps around both edges.
    const double x = (double)u * width - 0.5, y = (double)v * height - 0.5;
    if (!std::isfinite(x) || !std::isfinite(y)) return AColor(0.0f, 0.0f, 0.0f, 1.0f);
    const double fx = std::floor(x), fy = std::floor(y);
    const float tx = (float)(x - fx), ty = (float)(y - fy);
    auto wrap = [](double i, int n) {
        double r = std::fmod(i, (double)n); // exact, and below n in size
        if (r < 0.0) r += n;
        return (int)r % n;
    };
    const int x0 = wrap(fx, width), x1 = (x0 + 1) % width;
    const int y0 = wrap(fy, height), y1 = (y0 + 1) % height;
    float out[4];
    for (int c = 0; c < 4; ++c) {
        auto at = [&](int px, int py) { return rgba[((size_t)py * width + px) * 4 + c]; };
        float bottom = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * tx;
        float top = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * tx;
        out[c] = bottom + (top - bottom) * ty;
    }
    return AColor(out[0], out[1], out[2], out[3]);
}

namespace {

// Reads a packed DIB of 32 (blue, green, red, alpha) or 24 (blue, green, red; opaque) bits per
// pixel, BI_RGB, rows from the bottom (positive height) or the top (negative). The DIB's
// allocation must hold what its header claims.
bool ReadDib(const BITMAPINFO* bmi, ViewportTexture& out)
{
    const SIZE_T bytes = LocalSize((HLOCAL)bmi);
    if (bytes < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER& h = bmi->bmiHeader;
    const long long width = h.biWidth,
                    height = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
    const int bits = h.biBitCount;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > bytes || h.biCompression != BI_RGB ||
        h.biPlanes != 1 || (bits != 32 && bits != 24) || width < 1 || height < 1 || width > 16384 ||
        height > 16384)
        return false;
    const long long stride = (width * bits / 8 + 3) / 4 * 4;
    const long long offset =
        (long long)h.biSize + (long long)h.biClrUsed * 4; // past any colour table
    if (offset + stride * height > (long long)bytes) return false;
    const unsigned char* pixels = reinterpret_cast<const unsigned char*>(bmi) + offset;
    out.width = (int)width;
    out.height = (int)height;
    out.rgba.assign((size_t)(width * height * 4), 0.0f);
    for (long long r = 0; r < height; ++r) {
        const unsigned char* row = pixels + stride * (h.biHeight < 0 ? height - 1 - r : r);
        for (long long c = 0; c < width; ++c) {
            const unsigned char* p = row + c * (bits / 8);
            float* q = &out.rgba[(size_t)((r * width + c) * 4)];
            q[0] = host_srgb::Decode(p[2]);
            q[1] = host_srgb::Decode(p[1]);
            q[2] = host_srgb::Decode(p[0]);
            q[3] = bits == 32 ? p[3] / 255.0f : 1.0f;
        }
    }
    return true;
}

} // namespace

// What the maker and its textures share, so that a texture given back after the maker went
// still finds its counts.
struct ViewportTexMaker::Ledger {
    int made = 0, deleted = 0, nullBitmaps = 0, unreadable = 0;
    std::map<DWORD_PTR, ViewportTexture> textures;
};

namespace {
class LedgerHandle : public TexHandle {
public:
    LedgerHandle(std::shared_ptr<ViewportTexMaker::Ledger> l, DWORD_PTR h)
        : ledger(std::move(l)), handle(h)
    {
        host::CountTexHandle(true);
    }
    DWORD_PTR GetHandle() override { return handle; }
    void DeleteThis() override
    {
        host::CountTexHandle(false);
        ++ledger->deleted;
        ledger->textures.erase(handle);
        delete this;
    }

private:
    std::shared_ptr<ViewportTexMaker::Ledger> ledger;
    DWORD_PTR handle;
};
} // namespace

ViewportTexMaker::ViewportTexMaker()
    : texturesSupported(4), textureSize(64), makeHandles(true), ledger(std::make_shared<Ledger>())
{ }

ViewportTexMaker::~ViewportTexMaker() { }

int ViewportTexMaker::HandlesMade() const { return ledger->made; }
int ViewportTexMaker::HandlesDeleted() const { return ledger->deleted; }
int ViewportTexMaker::NullBitmaps() const { return ledger->nullBitmaps; }
int ViewportTexMaker::UnreadableBitmaps() const { return ledger->unreadable; }

const ViewportTexture* ViewportTexMaker::Texture(DWORD_PTR handle) const
{
    auto it = ledger->textures.find(handle);
    return it == ledger->textures.end() ? nullptr : &it->second;
}

TexHandle* ViewportTexMaker::MakeHandle(BITMAPINFO* bminf)
{
    if (!bminf) {
        ++ledger->nullBitmaps;
        return NULL;
    }
    ViewportTexture texture;
    const bool read = ReadDib(bminf, texture);
    LocalFree(bminf);
    if (!read) {
        ++ledger->unreadable;
        return NULL;
    }
    if (!makeHandles) return NULL;
    const DWORD_PTR h = (DWORD_PTR)++ledger->made;
    ledger->textures[h] = std::move(texture);
    return new LedgerHandle(ledger, h);
}

void ViewportTexMaker::GetGfxTexInfoFromTexmap(TimeValue, TextureInfo& ti, Texmap* txm)
{
    ti.uvwSource = UVSOURCE_MESH;
    ti.mapChannel = 1;
    ti.tiling[0] = ti.tiling[1] = ti.tiling[2] = 0;
    infoRequests.push_back(InfoRequest {txm, &ti, ti.useTex});
}

// ---- the viewport -------------------------------------------------------------------------------

Viewport::Viewport() : path(kHardwarePath), current0(1.0f, 1.0f, 1.0f, 1.0f)
{
    // A white, opaque material under full light: what the stages show is the textures'.
    material.Kd = Color(1.0f, 1.0f, 1.0f);
    material.opacity = 1.0f;
}

namespace {

// A record's operation in the hardware material's codes: leave keeps the value from below,
// replace takes the texture, modulate multiplies, alpha blend blends by the named alpha.
DWORD RecordOp(UBYTE op, UBYTE alphaSource)
{
    switch (op) {
    case GW_TEX_LEAVE:
        return D3DTOP_SELECTARG2;
    case GW_TEX_REPLACE:
        return D3DTOP_SELECTARG1;
    case GW_TEX_MODULATE:
        return D3DTOP_MODULATE;
    case GW_TEX_ALPHA_BLEND:
        return alphaSource == GW_TEX_TEXTURE_ALPHA ? D3DTOP_BLENDTEXTUREALPHA
            : alphaSource == GW_TEX_SCENE_ALPHA    ? D3DTOP_BLENDDIFFUSEALPHA
                                                   : D3DTOP_SELECTARG2;
    default:
        return D3DTOP_SELECTARG2; // an operation the viewport does not know leaves the value
    }
}

float RecordScale(UBYTE scale)
{
    return scale == GW_TEX_SCALE_2X ? 2.0f : scale == GW_TEX_SCALE_4X ? 4.0f : 1.0f;
}

} // namespace

void Viewport::Setup(Texmap* texture, TimeValue t)
{
    maker.infoRequests.clear();
    hardware.Reset(material.Kd, material.opacity);
    combine.clear();
    current0 = AColor(material.Kd.r, material.Kd.g, material.Kd.b, material.opacity);
    if (!texture) return;

    Interval valid = FOREVER;
    texture->Update(t, valid);
    if (path == kHardwarePath)
        texture->SetProperty(PROPID_HW_MATERIAL, static_cast<IHardwareMaterial*>(&hardware));
    texture->SetupGfxMultiMaps(t, &material, maker);
    texture->SetProperty(PROPID_HW_MATERIAL, nullptr);

    if (path == kHardwarePath) {
        current0 = AColor(hardware.diffuse.r, hardware.diffuse.g, hardware.diffuse.b,
                          hardware.diffuseAlpha);
        const DWORD n = hardware.numStages < (DWORD)kViewportStages ? hardware.numStages
                                                                    : (DWORD)kViewportStages;
        for (DWORD k = 0; k < n; ++k) {
            const RecordingHardwareMaterial::Stage& s = hardware.stages[k];
            if (s.colorOp == D3DTOP_DISABLE) break; // this stage and those above are off
            Combine c {s.texture,
                       s.colorOp,
                       s.alphaOp,
                       {0, s.colorArg[1], s.colorArg[2]},
                       {0, s.alphaArg[1], s.alphaArg[2]},
                       1.0f,
                       1.0f};
            combine.push_back(c);
        }
    } else {
        for (size_t k = 0; k < material.texture.length(); ++k) {
            const TextureInfo& r = material.texture[k];
            Combine c {r.textHandle,
                       RecordOp(r.colorOp, r.colorAlphaSource),
                       RecordOp(r.alphaOp, r.alphaAlphaSource),
                       {0, D3DTA_TEXTURE, D3DTA_CURRENT},
                       {0, D3DTA_TEXTURE, D3DTA_CURRENT},
                       RecordScale(r.colorScale),
                       RecordScale(r.alphaScale)};
            combine.push_back(c);
        }
    }
}

namespace {

float Saturate(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; } // NaN as 0

// One channel of one stage: arg1, arg2 and the alphas the blending operations use.
float Operate(DWORD op, float a1, float a2, float textureAlpha, float diffuseAlpha, float current)
{
    switch (op) {
    case D3DTOP_SELECTARG1:
        return a1;
    case D3DTOP_SELECTARG2:
        return a2;
    case D3DTOP_MODULATE:
        return a1 * a2;
    case D3DTOP_BLENDTEXTUREALPHA:
        return a1 * textureAlpha + a2 * (1.0f - textureAlpha);
    case D3DTOP_BLENDDIFFUSEALPHA:
        return a1 * diffuseAlpha + a2 * (1.0f - diffuseAlpha);
    default:
        return current; // DISABLE (alpha) and operations not known here keep the value
    }
}

} // namespace

AColor Viewport::Shade(float u, float v) const
{
    AColor current = current0;
    for (const Combine& c : combine) {
        const ViewportTexture* tex = maker.Texture(c.texture);
        const AColor texel = tex ? tex->Sample(u, v) : AColor(0.0f, 0.0f, 0.0f, 1.0f);
        auto arg = [&](DWORD which, int channel) {
            const AColor& src = (which & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? texel
                : (which & D3DTA_SELECTMASK) == D3DTA_DIFFUSE               ? current0
                                                                            : current;
            return channel == 0 ? src.r : channel == 1 ? src.g : channel == 2 ? src.b : src.a;
        };
        AColor next;
        float* out[4] = {&next.r, &next.g, &next.b, &next.a};
        for (int ch = 0; ch < 4; ++ch) {
            const bool alpha = ch == 3;
            const DWORD* args = alpha ? c.alphaArg : c.colorArg;
            const float was = alpha ? current.a
                                    : (ch == 0       ? current.r
                                           : ch == 1 ? current.g
                                                     : current.b);
            float r = Operate(alpha ? c.alphaOp : c.colorOp, arg(args[1], ch), arg(args[2], ch),
                              texel.a, current0.a, was);
            *out[ch] = Saturate(r * (alpha ? c.alphaScale : c.colorScale));
        }
        current = next;
    }
    return current;
}

std::vector<Viewport::StageView> Viewport::Stages() const
{
    std::vector<StageView> views;
    auto mapFor = [&](auto matches) -> Texmap* {
        Texmap* found = nullptr;
        for (const ViewportTexMaker::InfoRequest& r : maker.infoRequests)
            if (matches(r)) found = r.map;
        return found;
    };
    if (path == kHardwarePath) {
        // The calls after the last SetNumTexStages; a material-wide call belongs to the stage
        // set up when it was given.
        size_t first = 0;
        for (size_t i = 0; i < hardware.calls.size(); ++i)
            if (hardware.calls[i].rfind(L"SetNumTexStages", 0) == 0) first = i + 1;
        const DWORD n = hardware.numStages < (DWORD)kViewportStages ? hardware.numStages
                                                                    : (DWORD)kViewportStages;
        for (DWORD k = 0; k < n; ++k) {
            StageView view {
                (int)k,
                mapFor([&](const ViewportTexMaker::InfoRequest& r) { return r.useTex == (int)k; }),
                hardware.stages[k].texture,
                {}};
            int owner = -1;
            for (size_t i = first; i < hardware.calls.size(); ++i) {
                if (hardware.callStage[i] >= 0) owner = hardware.callStage[i];
                if (owner != (int)k || hardware.calls[i].rfind(L"SetTexture ", 0) == 0) continue;
                std::wstring text = hardware.calls[i];
                if (hardware.callStage[i] >= 0) { // the stage number is the line's
                    size_t a = text.find(L' '), b = text.find(L' ', a + 1);
                    text.erase(a, b == std::wstring::npos ? std::wstring::npos : b - a);
                }
                view.ops.push_back(text);
            }
            views.push_back(view);
        }
    } else {
        for (size_t k = 0; k < material.texture.length(); ++k) {
            const TextureInfo& r = material.texture[k];
            StageView view {
                (int)k,
                mapFor([&](const ViewportTexMaker::InfoRequest& q) { return q.record == &r; }),
                r.textHandle,
                {}};
            view.ops = {host_text::Format(L"colorOp %d", r.colorOp),
                        host_text::Format(L"colorAlphaSource %d", r.colorAlphaSource),
                        host_text::Format(L"colorScale %d", r.colorScale),
                        host_text::Format(L"alphaOp %d", r.alphaOp),
                        host_text::Format(L"alphaAlphaSource %d", r.alphaAlphaSource),
                        host_text::Format(L"alphaScale %d", r.alphaScale)};
            views.push_back(view);
        }
    }
    return views;
}

} // namespace host
