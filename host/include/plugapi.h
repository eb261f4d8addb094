// Plug-in API: version of the SDK, super class identifiers and the class descriptor through
// which the host creates a plug-in's objects.
#pragma once

#include "maxtypes.h"
#include "baseinterface.h"

// The SDK version a plug-in is built against (build setting QUILTRA_SDK_VERSION).
#ifndef QUILTRA_SDK_VERSION
#define QUILTRA_SDK_VERSION 2016
#endif

#if QUILTRA_SDK_VERSION == 2013
#define MAX_RELEASE 15000
#define MAX_API_NUM 40
#elif QUILTRA_SDK_VERSION == 2014
#define MAX_RELEASE 16000
#define MAX_API_NUM 42
#elif QUILTRA_SDK_VERSION == 2015
#define MAX_RELEASE 17000
#define MAX_API_NUM 44
#elif QUILTRA_SDK_VERSION == 2016
#define MAX_RELEASE 18000
#define MAX_API_NUM 46
#else
#error "QUILTRA_SDK_VERSION must be 2013, 2014, 2015 or 2016"
#endif
#define MAX_SDK_REV 0

// What LibVersion returns; the host refuses a library built for another version.
#define VERSION_3DSMAX ((MAX_RELEASE << 16) + (MAX_API_NUM << 8) + MAX_SDK_REV)

// Super class identifiers.
#define GEN_DERIVOB_CLASS_ID 0x00000002
#define REF_MAKER_CLASS_ID 0x00000100
#define REF_TARGET_CLASS_ID 0x00000101
#define PARAMETER_BLOCK2_CLASS_ID 0x00000082
#define MATERIAL_CLASS_ID 0x00000c00
#define TEXMAP_CLASS_ID 0x00000c10
#define UVGEN_CLASS_ID 0x0000c20
#define XYZGEN_CLASS_ID 0x0000c30
#define TEXOUTPUT_CLASS_ID 0x0000c40
#define SOUNDOBJ_CLASS_ID 0x00000d00

class Interface;
class ParamBlockDesc2;
class ReferenceMaker;

// Describes one class of a plug-in library to the host.
class CoreExport ClassDesc {
public:
    virtual ~ClassDesc();
    // FALSE hides the class from the host's create lists.
    virtual int IsPublic() = 0;
    // A new instance; loading is TRUE when the host creates it to load it from a scene.
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual int BeginCreate(Interface* i);
    virtual int EndCreate(Interface* i);
    virtual const MCHAR* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const MCHAR* Category() = 0;
    virtual BOOL OkToCreate(Interface* i);
    virtual BOOL HasClassParams();
    virtual void EditClassParams(HWND hParent);
    virtual void ResetClassParams(BOOL fileReset = FALSE);
    // The scripting name; NULL when the class has none.
    virtual const MCHAR* InternalName();
    virtual HINSTANCE HInstance();

    // Parameter block descriptors (ClassDesc2 keeps them).
    virtual int NumParamBlockDescs();
    virtual ParamBlockDesc2* GetParamBlockDesc(int i);
    virtual ParamBlockDesc2* GetParamBlockDescByID(BlockID id);
    virtual void AddParamBlockDesc(ParamBlockDesc2* pbd);
    virtual void MakeAutoParamBlocks(ReferenceMaker* owner);
    // A resource string of the class's library; the base class has no library and returns
    // NULL.
    virtual const MCHAR* GetRsrcString(INT_PTR id);

    virtual BaseInterface* GetInterface(Interface_ID id);
};
