// The library's entry side: its module handle, the string-table lookup and the one class
// descriptor through which the host creates Vorlith textures.
#pragma once

#include "max.h"
#include "iparamb2.h"
#include "ivorlith.h" // VORLITH_CLASS_ID

// The host application that hides the class from its create lists.
enum { VORLITH_HIDDEN_APP_ID = kAPP_VIZR };

class VorlithClassDesc : public ClassDesc2 {
public:
    int IsPublic() override;
    void* Create(BOOL loading = FALSE) override;
    const MCHAR* ClassName() override;
    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    const MCHAR* Category() override;
    const MCHAR* InternalName() override;
    HINSTANCE HInstance() override;
};

// The one class descriptor of the library. Constructed on first use, which static
// initialisation does before the parameter block descriptor registers itself with it.
VorlithClassDesc* GetVorlithDesc();

// The library's module handle: null until the process attaches the library.
extern HINSTANCE hInstance;

// String id from the library's string table, in one shared buffer of 512 characters: the text
// stays valid until the next lookup. Null when the module handle is not known yet or the
// string does not exist. User-interface thread only.
TCHAR* LoadResString(int id);
