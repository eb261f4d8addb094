// A tiny texture plug-in for the plug-in manager's tests: one class with a parameter block,
// exported the way every plug-in library is. Built twice: once for this host's SDK version,
// once (TEST_PLUGIN_OTHER_VERSION) claiming another.
#include <windows.h>

#include "iparamb2.h"
#include "host/test_texmap.h"

namespace {

HINSTANCE module = NULL;

#ifdef TEST_PLUGIN_OTHER_VERSION
#define PLUGIN_CLASS_ID Class_ID(0x7E570002, 0x2)
// 2013's number unless this host is 2013, then 2016's.
const ULONG kVersion = VERSION_3DSMAX == 0x3A982800 ? 0x46502E00 : 0x3A982800;
#else
#define PLUGIN_CLASS_ID Class_ID(0x7E570001, 0x1)
const ULONG kVersion = VERSION_3DSMAX;
#endif

class PluginMap : public host::TestTexmap {
public:
    IParamBlock2* pblock = nullptr;
    PluginMap();
    Class_ID ClassID() override { return PLUGIN_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = L"Plugin Map"; }
    void DeleteThis() override { delete this; }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? pblock : NULL; }
    void SetReference(int i, RefTargetHandle t) override
    {
        if (i == 0)
            pblock = t && t->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID
                ? static_cast<IParamBlock2*>(t)
                : NULL;
    }
};

class PluginDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new PluginMap; }
    const MCHAR* ClassName() override { return GetRsrcString(1); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return PLUGIN_CLASS_ID; }
    const MCHAR* Category() override { return L"Test"; }
    const MCHAR* InternalName() override { return L"TestPlugin"; }
    HINSTANCE HInstance() override { return module; }
};

PluginDesc desc;

ParamBlockDesc2 block(0, _T("parameters"), 0, &desc, P_AUTO_CONSTRUCT, 0, 0, _T("gain"), TYPE_FLOAT,
                      P_ANIMATABLE, 5, p_default, 0.5f, p_end, p_end);

PluginMap::PluginMap() { desc.MakeAutoParamBlocks(this); }

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module = h;
        DisableThreadLibraryCalls(h);
    }
    return TRUE;
}

__declspec(dllexport) const MCHAR* LibDescription() { return desc.GetRsrcString(1); }
__declspec(dllexport) int LibNumberClasses() { return 1; }
__declspec(dllexport) ClassDesc* LibClassDesc(int i) { return i == 0 ? &desc : NULL; }
__declspec(dllexport) ULONG LibVersion() { return kVersion; }
__declspec(dllexport) ULONG CanAutoDefer() { return 0; }
}
