#include "vorlith_fixture.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "hold.h"

namespace {

const Class_ID kTestMapClassID(0x7E57AB01, 0x0000C0DE);
const USHORT kTestMapBaseChunk = 0x0100;
const USHORT kTestMapColorChunk = 0x0110;

class TestMapDesc : public ClassDesc {
public:
    int IsPublic() override { return FALSE; }
    void* Create(BOOL) override { return new TestMap(); }
    const MCHAR* ClassName() override { return L"TestMap"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kTestMapClassID; }
    const MCHAR* Category() override { return L""; }
};

TestMapDesc testMapDesc;

std::wstring PluginPath()
{
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, exe, MAX_PATH);
    std::wstring path(exe, n);
    path = path.substr(0, path.find_last_of(L"\\/") + 1);
    return path + L"plugins\\Vorlith.dlt";
}

struct LoadedPlugin {
    host::PluginManager manager;
    ClassDesc* desc = nullptr;
    HMODULE module = NULL;

    LoadedPlugin()
    {
        std::wstring error;
        if (!manager.LoadPlugin(PluginPath(), &error)) {
            ADD_FAILURE() << "Vorlith.dlt refused: " << MSTR(error.c_str()).ToUTF8();
            return;
        }
        manager.RegisterBuiltIn(&testMapDesc, &error);
        desc = manager.Classes().Find(TEXMAP_CLASS_ID, kVorlithClassID);
        module = manager.Plugins().front().module;
        host::SetDefaultClassDirectory(&manager.Classes());
    }
};

LoadedPlugin& Loaded()
{
    // Kept for the whole program: textures may be alive until its end.
    static LoadedPlugin* loaded = new LoadedPlugin();
    return *loaded;
}

} // namespace

host::PluginManager& Plugins() { return Loaded().manager; }
ClassDesc* VorlithDesc() { return Loaded().desc; }
HMODULE VorlithModule() { return Loaded().module; }

Texmap* NewVorlith()
{
    ClassDesc* desc = VorlithDesc();
    if (!desc) return nullptr;
    return static_cast<Texmap*>(desc->Create(FALSE));
}

IVorlithLayers* Layers(Texmap* tex)
{
    return static_cast<IVorlithLayers*>(tex->GetInterface(VORLITH_LAYERS_INTERFACE));
}

IParamBlock2* Block(Texmap* tex) { return tex->GetParamBlock(0); }

void DeleteTree(ReferenceTarget* target)
{
    if (target) host::DeleteScene({target});
}

RefResult SendRefMessage(ReferenceMaker* maker, RefTargetHandle from, PartID& part,
                         RefMessage message)
{
#if MAX_RELEASE >= 17000
    return maker->NotifyRefChanged(FOREVER, from, part, message, TRUE);
#else
    return maker->NotifyRefChanged(FOREVER, from, part, message);
#endif
}

// TestMap --------------------------------------------------------------------------------------

TestMap::TestMap(const wchar_t* name, AColor c)
    : color(c), perturb(0.0f, 0.0f, 0.0f), validity(FOREVER)
{
    SetName(MSTR(name));
}

TestMap::~TestMap() { Deleted().push_back(GetName().data()); }

std::vector<std::wstring>& TestMap::Deleted()
{
    static std::vector<std::wstring> names;
    return names;
}

bool TestMap::WasDeleted(const std::wstring& name)
{
    const auto& names = Deleted();
    return std::find(names.begin(), names.end(), name) != names.end();
}

Class_ID TestMap::ClassID() { return kTestMapClassID; }

RefResult TestMap::NotifyRefChanged(TEST_NOTIFY_REF_CHANGED_ARGS)
{
    (void)changeInt;
    (void)hTarget;
    (void)partID;
    (void)message;
#if MAX_RELEASE >= 17000
    (void)propagate;
#endif
    return REF_SUCCEED;
}

RefTargetHandle TestMap::Clone(RemapDir& remap)
{
    TestMap* copy = new TestMap();
    *static_cast<MtlBase*>(copy) = *static_cast<MtlBase*>(this);
    copy->color = color;
    copy->perturb = perturb;
    copy->validity = validity;
    BaseClone(this, copy, remap);
    return copy;
}

IOResult TestMap::Save(ISave* isave)
{
    isave->BeginChunk(kTestMapBaseChunk);
    IOResult res = MtlBase::Save(isave);
    isave->EndChunk();
    if (res != IO_OK) return res;
    isave->BeginChunk(kTestMapColorChunk);
    ULONG n = 0;
    float values[7] = {color.r, color.g, color.b, color.a, perturb.x, perturb.y, perturb.z};
    res = isave->Write(values, sizeof(values), &n);
    isave->EndChunk();
    return res;
}

IOResult TestMap::Load(ILoad* iload)
{
    IOResult res;
    while ((res = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kTestMapBaseChunk) {
            res = MtlBase::Load(iload);
        } else if (iload->CurChunkID() == kTestMapColorChunk) {
            float values[7];
            ULONG n = 0;
            res = iload->Read(values, sizeof(values), &n);
            color = AColor(values[0], values[1], values[2], values[3]);
            perturb = Point3(values[4], values[5], values[6]);
        }
        iload->CloseChunk();
        if (res != IO_OK) return res;
    }
    return IO_OK;
}

TestMap* AsTestMap(Texmap* map)
{
    return map && map->ClassID() == kTestMapClassID ? static_cast<TestMap*>(map) : nullptr;
}

std::wstring NameOf(Texmap* map)
{
    return map ? std::wstring(map->GetName().data()) : std::wstring();
}

// Watcher --------------------------------------------------------------------------------------

Watcher::~Watcher() { ReleaseAll(); }

int Watcher::Hold(ReferenceTarget* target)
{
    refs.push_back(nullptr);
    const int i = (int)refs.size() - 1;
    ReplaceReference(i, target);
    return i;
}

void Watcher::ReleaseAll()
{
    // Released without deleting: what the watcher held belongs to the test's scene.
    for (int i = 0; i < (int)refs.size(); ++i) {
        if (refs[i]) ReplaceReference(i, nullptr, FALSE);
    }
    refs.clear();
}

int Watcher::Count(RefMessage message) const
{
    int n = 0;
    for (const SeenMessage& m : seen)
        n += m.message == message ? 1 : 0;
    return n;
}

RefTargetHandle Watcher::GetReference(int i)
{
    return i >= 0 && i < (int)refs.size() ? refs[i] : nullptr;
}

void Watcher::SetReference(int i, RefTargetHandle rtarg)
{
    if (i >= 0 && i < (int)refs.size()) refs[i] = rtarg;
}

RefResult Watcher::NotifyRefChanged(TEST_NOTIFY_REF_CHANGED_ARGS)
{
    (void)changeInt;
    (void)partID;
#if MAX_RELEASE >= 17000
    (void)propagate;
#endif
    SeenMessage m;
    m.from = hTarget;
    m.message = message;
    m.lastParam = -1;
    if (IParamBlock2* block = dynamic_cast<IParamBlock2*>(hTarget))
        m.lastParam = block->LastNotifyParamID();
    m.disableCount = macroRecorder->DisableCount();
    m.texSubmaps = watchedTexture ? watchedTexture->NumSubTexmaps() : -1;
    seen.push_back(m);
    return REF_SUCCEED;
}

// Scene round trip -----------------------------------------------------------------------------

std::vector<ReferenceTarget*> RoundTrip(const std::vector<ReferenceTarget*>& roots,
                                        const host::SceneSaveOptions& options)
{
    std::vector<unsigned char> bytes;
    std::wstring error;
    if (!host::WriteScene(roots, &bytes, &error, options)) {
        ADD_FAILURE() << "scene not written: " << MSTR(error.c_str()).ToUTF8();
        return {};
    }
    host::SceneLoadResult loaded = host::ReadScene(bytes.data(), bytes.size(), Plugins().Classes());
    if (!loaded.ok) {
        ADD_FAILURE() << "scene not read: " << MSTR(loaded.error.c_str()).ToUTF8();
        return {};
    }
    return loaded.roots;
}

// Everything a user could see of a texture: its layers, their maps, the block's counts and
// labels, the Output settings and a few evaluated samples.
std::wstring DescribeTexture(Texmap* tex)
{
    IVorlithLayers* l = Layers(tex);
    IParamBlock2* pb = Block(tex);
    std::wostringstream s;
    s << l->GetNumLayers() << L" layers, " << tex->NumSubTexmaps() << L" slots;";
    for (ParamID id = 0; id <= 7; ++id)
        s << L" " << pb->Count(id);
    for (int i = 0; i < l->GetNumLayers(); ++i) {
        const Color c = l->GetLayerColor(i);
        const MCHAR* label = i < pb->Count(pb_edit_ids) ? pb->GetStr(pb_edit_ids, 0, i) : nullptr;
        s << L"\n"
          << i << L": " << l->GetMapEnabled(i) << l->GetMaskEnabled(i) << l->GetLayerUsed(i) << L" "
          << l->GetOpacity(i) << L" " << c.r << L"," << c.g << L"," << c.b << L" mode "
          << l->GetBlendMode(i) << L" space " << l->GetBlendSpace(i) << L" ["
          << NameOf(tex->GetSubTexmap(2 * i)) << L"|" << NameOf(tex->GetSubTexmap(2 * i + 1))
          << L"] " << (label ? label : L"-");
    }
    const Point3 hsv = l->GetOutputShiftHSV(), rgb = l->GetOutputShiftRGB();
    s << L"\nout " << l->GetOutputEnabled() << l->GetOutputClamp() << l->GetOutputMono() << L" "
      << hsv.x << L"," << hsv.y << L"," << hsv.z << L" " << rgb.x << L"," << rgb.y << L"," << rgb.z
      << L" " << l->GetOutputAlpha() << L" " << l->GetOutputBrightness() << L" "
      << l->GetOutputContrast() << L" " << l->GetOutputGamma();
    Interval valid = FOREVER;
    tex->Update(0, valid);
    for (float u : {0.25f, 0.75f}) {
        host::SampleShadeContext sc;
        sc.BeginSample();
        sc.SetUVW(Point3(u, 0.5f, 0.0f));
        const AColor c = tex->EvalColor(sc);
        const Point3 p = tex->EvalNormalPerturb(sc);
        s << L"\neval " << c.r << L"," << c.g << L"," << c.b << L"," << c.a << L" " << p.x << L","
          << p.y << L"," << p.z;
    }
    return s.str();
}

namespace {

// A test program that uses these helpers ends with nothing it made left alive: its textures,
// maps, editors and undo history are gone once its tests have run.
class NothingLeftAtTheEnd : public ::testing::Environment {
public:
    void SetUp() override
    {
        Loaded();
        start = host::CountLive();
    }
    void TearDown() override
    {
        theHold.ClearHistory();
        ExpectNothingLeft(start);
    }

private:
    host::LiveCounts start;
};

::testing::Environment* const nothingLeft =
    ::testing::AddGlobalTestEnvironment(new NothingLeftAtTheEnd);

} // namespace

void ExpectNothingLeft(const host::LiveCounts& before)
{
    EXPECT_EQ(host::DescribeLeft(before), "") << "left alive";
}

int LiveVorliths() { return host::CountLiveOfClass(TEXMAP_CLASS_ID, kVorlithClassID); }
