// MtlBase, Texmap, ISubMap and the base shading context.
#include "imtl.h"

#include <set>

#include "host/shade_context.h"
#include "ioapi.h"
#include "srgb.h"

// ISubMap defaults: no sub-maps.
ISubMap::~ISubMap() { }
int ISubMap::NumSubTexmaps() { return 0; }
Texmap* ISubMap::GetSubTexmap(int) { return NULL; }
void ISubMap::SetSubTexmap(int, Texmap*) { }
int ISubMap::SubTexmapOn(int) { return 1; }
MSTR ISubMap::GetSubTexmapSlotName(int) { return MSTR(); }
MSTR ISubMap::GetSubTexmapTVName(int i) { return GetSubTexmapSlotName(i); }
BOOL ISubMap::SetDlgThing(ParamDlg*) { return FALSE; }

// MtlBase

MtlBase::MtlBase() : mtlFlags(0), defaultSlotType(MAPSLOT_TEXTURE), gbufID(0), activeCount(0) { }

MtlBase::~MtlBase() { }

MtlBase& MtlBase::operator=(const MtlBase& m)
{
    if (this == &m) return *this;
    name = m.name;
    const ULONG kept = MTL_IN_SCENE | MTL_BEING_EDITED; // where this map is, not what it is
    mtlFlags = (mtlFlags & kept) | (m.mtlFlags & ~kept);
    defaultSlotType = m.defaultSlotType;
    gbufID = m.gbufID;
    return *this;
}

void MtlBase::SetName(const MSTR& s) { name = s; }

MSTR MtlBase::GetFullName()
{
    MSTR className;
    GetClassName(className);
    MSTR full = name;
    full += L" (";
    full += className;
    full += L")";
    return full;
}

void MtlBase::SetMtlFlag(int mask, BOOL val)
{
    if (val)
        mtlFlags |= (ULONG)mask;
    else
        mtlFlags &= ~(ULONG)mask;
}
void MtlBase::ClearMtlFlag(int mask) { mtlFlags &= ~(ULONG)mask; }
int MtlBase::TestMtlFlag(int mask) { return (mtlFlags & (ULONG)mask) ? 1 : 0; }

int MtlBase::MapSlotType(int) { return defaultSlotType; }
ULONG MtlBase::Requirements(int subMtlNum) { return LocalRequirements(subMtlNum); }
ULONG MtlBase::LocalRequirements(int) { return 0; }

BOOL MtlBase::SupportTexDisplay() { return FALSE; }
void MtlBase::ActivateTexDisplay(BOOL) { }
BOOL MtlBase::SupportsMultiMapsInViewport() { return FALSE; }
void MtlBase::SetupGfxMultiMaps(TimeValue, Material*, MtlMakerCallback&) { }
DWORD_PTR MtlBase::GetActiveTexHandle(TimeValue, TexHandleMaker&) { return 0; }

int MtlBase::NumSubs() { return NumSubTexmaps(); }
Animatable* MtlBase::SubAnim(int i) { return GetSubTexmap(i); }
MSTR MtlBase::SubAnimName(int i) { return GetSubTexmapTVName(i); }

IOResult MtlBase::Save(ISave* isave)
{
    ULONG nb = 0;
    isave->BeginChunk(MTLBASE_NAME_CHUNK);
    IOResult r = isave->WriteWString(name.data());
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(MTLBASE_GBUFID_CHUNK);
    r = isave->Write(&gbufID, sizeof gbufID, &nb);
    isave->EndChunk();
    return r;
}

IOResult MtlBase::Load(ILoad* iload)
{
    IOResult res;
    while ((res = iload->OpenChunk()) == IO_OK) {
        switch (iload->CurChunkID()) {
        case MTLBASE_NAME_CHUNK: {
            MCHAR* buf = NULL;
            res = iload->ReadWStringChunk(&buf);
            if (res == IO_OK) name = buf;
            break;
        }
        case MTLBASE_GBUFID_CHUNK: {
            ULONG nb = 0;
            ULONG id = 0;
            res = iload->Read(&id, sizeof id, &nb);
            if (res == IO_OK) gbufID = id;
            break;
        }
        default:
            break;
        }
        IOResult closed = iload->CloseChunk();
        if (res != IO_OK) return res;
        if (closed != IO_OK) return closed;
    }
    return res == IO_END ? IO_OK : res;
}

namespace {
void DeactivateTree(MtlBase* mb, std::set<MtlBase*>& seen)
{
    if (!mb || !seen.insert(mb).second) return;
    mb->ActivateTexDisplay(FALSE);
    mb->ClearMtlFlag(MTL_TEX_DISPLAY_ENABLED | MTL_HW_TEX_ENABLED);
    int n = mb->NumSubTexmaps();
    for (int i = 0; i < n; ++i)
        DeactivateTree(mb->GetSubTexmap(i), seen);
}
} // namespace

void DeactivateMapsInTree(MtlBase* mb)
{
    std::set<MtlBase*> seen;
    DeactivateTree(mb, seen);
}

// Texmap

Texmap::Texmap() { }

float Texmap::EvalMono(ShadeContext& sc)
{
    AColor c = EvalColor(sc);
    return (c.g + c.r + c.b) * 0.33333334f;
}

BITMAPINFO* Texmap::GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid,
                                    BOOL mono, int forceW, int forceH)
{
    const int width = forceW > 0 ? forceW : thmaker.Size();
    const int height = forceH > 0 ? forceH : thmaker.Size();
    const int kMaxSide = 4096;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return NULL;
    const size_t bytes = sizeof(BITMAPINFOHEADER) + (size_t)width * (size_t)height * 4;
    BITMAPINFO* bmi = static_cast<BITMAPINFO*>(LocalAlloc(LMEM_ZEROINIT, bytes));
    if (!bmi) return NULL;
    BITMAPINFOHEADER& h = bmi->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height; // rows from the bottom
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;

    valid = FOREVER;
    Update(t, valid);
    // The map is sampled as a renderer samples it over the unit square (mapping channels 0
    // and 1), at each pixel's centre.
    host::SampleShadeContext sc;
    sc.SetTime(t);
    sc.SetNormal(Point3(0.0f, 0.0f, 1.0f));
    sc.SetView(Point3(0.0f, 0.0f, -1.0f));
    const Point3 duvw(1.0f / (float)width, 1.0f / (float)height, 0.0f);
    sc.SetDUVW(duvw, 0);
    sc.SetDUVW(duvw, 1);
    unsigned char* px = reinterpret_cast<unsigned char*>(&h + 1);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c, px += 4) {
            const Point3 uvw(((float)c + 0.5f) / (float)width, ((float)r + 0.5f) / (float)height,
                             0.0f);
            sc.BeginSample();
            sc.SetUVW(uvw, 0);
            sc.SetUVW(uvw, 1);
            sc.SetP(uvw);
            AColor color;
            if (mono) {
                const float m = EvalMono(sc);
                color = AColor(m, m, m, 1.0f);
            } else {
                color = EvalColor(sc);
            }
            px[0] = host_srgb::Encode(color.b);
            px[1] = host_srgb::Encode(color.g);
            px[2] = host_srgb::Encode(color.r);
            px[3] = host_srgb::Linear(color.a);
        }
    }
    return bmi;
}

// ShadeContext: a context at the origin, no lights, no cache.

ShadeContext::ShadeContext()
    : mode(SCMODE_NORMAL), doMaps(TRUE), filterMaps(TRUE), shadow(FALSE), backFace(FALSE),
      mtlNum(0), ambientLight(0.0f, 0.0f, 0.0f), nLights(0), rayLevel(0), xshadeID(0)
{ }

ShadeContext::~ShadeContext() { }

namespace {
const Point3 kZero(0.0f, 0.0f, 0.0f);
}

BOOL ShadeContext::InMtlEditor() { return FALSE; }
int ShadeContext::Antialias() { return 0; }
int ShadeContext::ProjType() { return 0; }
TimeValue ShadeContext::CurTime() { return 0; }
int ShadeContext::NodeID() { return -1; }
INode* ShadeContext::Node() { return NULL; }
int ShadeContext::FaceNumber() { return 0; }
Point3 ShadeContext::BarycentricCoords() { return kZero; }
Point3 ShadeContext::Normal() { return Point3(0.0f, 0.0f, 1.0f); }
void ShadeContext::SetNormal(Point3) { }
Point3 ShadeContext::OrigNormal() { return Normal(); }
Point3 ShadeContext::GNormal() { return Normal(); }
float ShadeContext::Curve() { return 0.0f; }
Point3 ShadeContext::V() { return Point3(0.0f, 0.0f, -1.0f); }
void ShadeContext::SetView(Point3) { }
Point3 ShadeContext::OrigView() { return V(); }
Point3 ShadeContext::ReflectVector() { return kZero; }
Point3 ShadeContext::RefractVector(float) { return kZero; }
Point3 ShadeContext::CamPos() { return kZero; }
Point3 ShadeContext::P() { return kZero; }
Point3 ShadeContext::DP() { return kZero; }
Point3 ShadeContext::PObj() { return P(); }
Point3 ShadeContext::DPObj() { return DP(); }
Point3 ShadeContext::PObjRelBox() { return P(); }
Point3 ShadeContext::DPObjRelBox() { return DP(); }
Point3 ShadeContext::UVW(int) { return kZero; }
Point3 ShadeContext::DUVW(int) { return kZero; }
void ShadeContext::DPdUVW(Point3 dP[3], int) { dP[0] = dP[1] = dP[2] = kZero; }
Point3 ShadeContext::PointTo(const Point3& p, RefFrame) { return p; }
Point3 ShadeContext::PointFrom(const Point3& p, RefFrame) { return p; }
Point3 ShadeContext::VectorTo(const Point3& p, RefFrame) { return p; }
Point3 ShadeContext::VectorFrom(const Point3& p, RefFrame) { return p; }
void ShadeContext::SetGBufferID(int) { }
BOOL ShadeContext::GetCache(Texmap*, AColor&) { return FALSE; }
BOOL ShadeContext::GetCache(Texmap*, float&) { return FALSE; }
BOOL ShadeContext::GetCache(Texmap*, Point3&) { return FALSE; }
void ShadeContext::PutCache(Texmap*, const AColor&) { }
void ShadeContext::PutCache(Texmap*, const float) { }
void ShadeContext::PutCache(Texmap*, const Point3&) { }
void ShadeContext::TossCache(Texmap*) { }
