// The library's entry: module handle, the five exported functions, the string-table lookup
// and the class descriptor.
#include "vorlith_classdesc.h"

#include "blend_mode_list.h"
#include "blend_modes.h"
#include "resource.h"
#include "vorlith.h"

// The published header states the modes without the mode list: it must agree with it.
static_assert(VORLITH_MODE_COUNT == BLEND_MODE_COUNT, "ivorlith.h's mode count");
#define VORLITH_CHECK_MODE_NAME(mode, stringId, name, colour, bump) \
    static_assert(VORLITH_MODE_NAME_ID(mode) == stringId, "ivorlith.h's name string of " name);
QUILTRA_BLEND_MODES(VORLITH_CHECK_MODE_NAME)
#undef VORLITH_CHECK_MODE_NAME

HINSTANCE hInstance = NULL;

// Every lookup shares this buffer; a text stays valid until the next one.
static TCHAR resStringBuffer[512];

BOOL WINAPI DllMain(HINSTANCE hinstDLL, ULONG fdwReason, LPVOID /*lpvReserved*/)
{
    if (fdwReason == DLL_PROCESS_ATTACH) {
        hInstance = hinstDLL;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

TCHAR* LoadResString(int id)
{
    if (!hInstance) return NULL;
    if (LoadString(hInstance, id, resStringBuffer,
                   sizeof(resStringBuffer) / sizeof(resStringBuffer[0])) <= 0)
        return NULL;
    return resStringBuffer;
}

// Class descriptor ----------------------------------------------------------------------------

int VorlithClassDesc::IsPublic() { return GetAppID() != VORLITH_HIDDEN_APP_ID ? TRUE : FALSE; }

void* VorlithClassDesc::Create(BOOL /*loading*/)
{
    // A texture made for a scene load is fully built too; Load and the references fill it.
    return new Vorlith();
}

const MCHAR* VorlithClassDesc::ClassName() { return LoadResString(IDS_CLASS_NAME); }

SClass_ID VorlithClassDesc::SuperClassID() { return TEXMAP_CLASS_ID; }

Class_ID VorlithClassDesc::ClassID() { return VORLITH_CLASS_ID; }

const MCHAR* VorlithClassDesc::Category() { return LoadResString(IDS_CATEGORY); }

const MCHAR* VorlithClassDesc::InternalName() { return _T("Quiltra"); }

HINSTANCE VorlithClassDesc::HInstance() { return hInstance; }

VorlithClassDesc* GetVorlithDesc()
{
    static VorlithClassDesc vorlithDesc;
    return &vorlithDesc;
}

// Exports (unmangled; Vorlith.def lists them) --------------------------------------------------

extern "C" {

const TCHAR* LibDescription() { return LoadResString(IDS_LIB_DESCRIPTION); }

int LibNumberClasses() { return 1; }

ClassDesc* LibClassDesc(int i) { return i == 0 ? GetVorlithDesc() : NULL; }

ULONG LibVersion() { return VERSION_3DSMAX; }

// The host must load the library at start-up, never defer it.
ULONG CanAutoDefer() { return 0; }
}
