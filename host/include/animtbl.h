// Animatable: the root of everything the host can list, name, save and ask for interfaces.
#pragma once

#include "maxtypes.h"
#include "strclass.h"
#include "baseinterface.h"
#include "interval.h"

class IParamBlock2;
class Animatable;
struct AnimPropertyList;

// Animatable flags (SetAFlag and friends).
#define A_WORK1 (1 << 0)
#define A_WORK2 (1 << 1)
#define A_IS_DELETED (1 << 5)

class CoreExport Animatable : public InterfaceServer {
protected:
    DWORD aflag;
    AnimPropertyList* aprops; // properties set with SetProperty

public:
    Animatable();
    virtual ~Animatable();

    // Frees the object; the host calls it once nothing refers to the object any more.
    virtual void DeleteThis();

    virtual void GetClassName(MSTR& s);
    virtual Class_ID ClassID();
    virtual SClass_ID SuperClassID();

    // Sub-anims: the children shown in the track view.
    virtual int NumSubs();
    virtual Animatable* SubAnim(int i);
    virtual MSTR SubAnimName(int i);
    virtual int SubNumToRefNum(int subNum);

    // Parameter blocks.
    virtual int NumParamBlocks();
    virtual IParamBlock2* GetParamBlock(int i);
    virtual IParamBlock2* GetParamBlockByID(BlockID id);

    // Interfaces: by Interface_ID (published interfaces) and by the older number.
    BaseInterface* GetInterface(Interface_ID id) override;
    virtual void* GetInterface(ULONG id);

    // Properties by number, kept by the object (not owned): SetProperty stores data under id
    // (NULL removes it), GetProperty returns it or NULL. The host's ids are listed where they
    // are used (PROPID_HW_MATERIAL).
    virtual int SetProperty(ULONG id, void* data);
    virtual void* GetProperty(ULONG id);

    virtual void FreeCaches();
    virtual int RenderBegin(TimeValue t, ULONG flags = 0);
    virtual int RenderEnd(TimeValue t);

    void SetAFlag(DWORD mask) { aflag |= mask; }
    void ClearAFlag(DWORD mask) { aflag &= ~mask; }
    BOOL TestAFlag(DWORD mask) const { return (aflag & mask) ? TRUE : FALSE; }
};
