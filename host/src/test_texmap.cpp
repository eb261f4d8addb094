// The test texture.
#include "host/test_texmap.h"

#include <atomic>

#include "ioapi.h"

namespace host {

namespace {
std::atomic<int> live(0);

class TestTexmapDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new TestTexmap; }
    const MCHAR* ClassName() override { return L"Test Map"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return TEST_TEXMAP_CLASS_ID; }
    const MCHAR* Category() override { return L"Test"; }
    const MCHAR* InternalName() override { return L"TestMap"; }
};
} // namespace

TestTexmap::TestTexmap()
    : color(0.0f, 0.0f, 0.0f, 1.0f), perturb(0.0f, 0.0f, 0.0f), validity(FOREVER)
{
    ++live;
}

TestTexmap::~TestTexmap() { --live; }

int TestTexmap::LiveCount() { return live.load(); }

void TestTexmap::SetNumSubTexmaps(int n)
{
    if (n < 0) n = 0;
    for (int i = n; i < (int)subs.size(); ++i)
        ReplaceReference(i, NULL);
    subs.resize((size_t)n, nullptr);
}

void TestTexmap::Changed() { NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE); }

RefTargetHandle TestTexmap::GetReference(int i)
{
    return i >= 0 && i < (int)subs.size() ? subs[(size_t)i] : NULL;
}

void TestTexmap::SetReference(int i, RefTargetHandle rtarg)
{
    if (i < 0) return;
    if (i >= (int)subs.size()) subs.resize((size_t)i + 1, nullptr);
    subs[(size_t)i] =
        rtarg && rtarg->SuperClassID() == TEXMAP_CLASS_ID ? static_cast<Texmap*>(rtarg) : nullptr;
}

#if MAX_RELEASE >= 17000
RefResult TestTexmap::NotifyRefChanged(const Interval&, RefTargetHandle, PartID&,
                                       RefMessage message, BOOL)
#else
RefResult TestTexmap::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message)
#endif
{
    lastMessage = message;
    if (message == REFMSG_CHANGE) ++changeMessages;
    return REF_SUCCEED;
}

RefTargetHandle TestTexmap::Clone(RemapDir& remap)
{
    TestTexmap* m = new TestTexmap;
    *static_cast<MtlBase*>(m) = *this;
    m->color = color;
    m->perturb = perturb;
    m->validity = validity;
    m->useCache = useCache;
    m->SetNumSubTexmaps((int)subs.size());
    for (size_t i = 0; i < subs.size(); ++i)
        if (subs[i]) m->ReplaceReference((int)i, remap.CloneRef(subs[i]));
    BaseClone(this, m, remap);
    return m;
}

IOResult TestTexmap::Save(ISave* isave)
{
    ULONG nb = 0;
    isave->BeginChunk(MTL_HDR_CHUNK);
    IOResult r = MtlBase::Save(isave);
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(kTestColorChunk);
    r = isave->Write(&color, sizeof color, &nb);
    isave->EndChunk();
    if (r != IO_OK) return r;
    isave->BeginChunk(kTestPerturbChunk);
    r = isave->Write(&perturb, sizeof perturb, &nb);
    isave->EndChunk();
    if (r != IO_OK) return r;
    int n = (int)subs.size();
    isave->BeginChunk(kTestSubCountChunk);
    r = isave->Write(&n, sizeof n, &nb);
    isave->EndChunk();
    return r;
}

IOResult TestTexmap::Load(ILoad* iload)
{
    IOResult res;
    ULONG nb = 0;
    while ((res = iload->OpenChunk()) == IO_OK) {
        switch (iload->CurChunkID()) {
        case MTL_HDR_CHUNK:
            res = MtlBase::Load(iload);
            break;
        case kTestColorChunk:
            res = iload->Read(&color, sizeof color, &nb);
            break;
        case kTestPerturbChunk:
            res = iload->Read(&perturb, sizeof perturb, &nb);
            break;
        case kTestSubCountChunk: {
            int n = 0;
            res = iload->Read(&n, sizeof n, &nb);
            if (res == IO_OK && (n < 0 || n > 1 << 16)) res = IO_ERROR;
            if (res == IO_OK && n > (int)subs.size()) subs.resize((size_t)n, nullptr);
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

void TestTexmap::Update(TimeValue t, Interval& valid)
{
    ++updateCount;
    valid &= validity;
    for (Texmap* m : subs)
        if (m) m->Update(t, valid);
}

void TestTexmap::Reset()
{
    color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
    perturb = Point3(0.0f, 0.0f, 0.0f);
    validity = FOREVER;
}

Interval TestTexmap::Validity(TimeValue t)
{
    Interval v = FOREVER;
    Update(t, v);
    return v;
}

void TestTexmap::ActivateTexDisplay(BOOL onoff)
{
    if (!onoff) ++activateOffCount;
}

Texmap* TestTexmap::GetSubTexmap(int i)
{
    return i >= 0 && i < (int)subs.size() ? subs[(size_t)i] : nullptr;
}

void TestTexmap::SetSubTexmap(int i, Texmap* m)
{
    if (i < 0) return;
    if (i >= (int)subs.size()) subs.resize((size_t)i + 1, nullptr);
    ReplaceReference(i, m);
}

MSTR TestTexmap::GetSubTexmapSlotName(int i)
{
    MSTR s;
    s.printf(L"Sub %d", i + 1);
    return s;
}

AColor TestTexmap::EvalColor(ShadeContext& sc)
{
    AColor c;
    if (useCache && sc.GetCache(this, c)) return c;
    ++evalColorCount;
    if (gbufID) sc.SetGBufferID((int)gbufID);
    if (useCache) sc.PutCache(this, color);
    return color;
}

Point3 TestTexmap::EvalNormalPerturb(ShadeContext&)
{
    ++evalPerturbCount;
    return perturb;
}

BITMAPINFO* TestTexmap::GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid,
                                        BOOL mono, int, int)
{
    if (noBitmap) return NULL;
    ++bitmapCount;
    return Texmap::GetVPDisplayDIB(t, thmaker, valid, mono, 4, 4);
}

ClassDesc2* TestTexmapClassDesc()
{
    static TestTexmapDesc desc;
    return &desc;
}

} // namespace host
