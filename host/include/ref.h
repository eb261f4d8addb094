// The reference system: makers hold references to targets; targets know their dependents and
// tell them of changes. A target that loses its last dependent through ReplaceReference,
// DeleteReference or DeleteAllRefsFromMe is deleted (its own references are released first).
#pragma once

#include "maxtypes.h"
#include "animtbl.h"
#include "plugapi.h"
#include "ioapi.h"

class ReferenceMaker;
class ReferenceTarget;
class RemapDir;
class ISave;
class ILoad;

typedef ReferenceTarget* RefTargetHandle;
typedef ReferenceMaker* RefMakerHandle;

// Which parts of an object a change concerns.
typedef ULONG_PTR PartID;
#define PART_TOPO (1 << 0)
#define PART_GEOM (1 << 1)
#define PART_TEXMAP (1 << 2)
#define PART_MTL (1 << 3)
#define PART_SELECT (1 << 4)
#define PART_SUBSEL_TYPE (1 << 5)
#define PART_DISPLAY (1 << 6)
#define PART_VERTCOLOR (1 << 7)
#define PART_GFX_DATA (1 << 8)
#define PART_DISP_APPROX (1 << 9)
#define PART_EXTENSION (1 << 13)
#define PART_TM_CHAN (1 << 14)
#define PART_MTL_CHAN (1 << 15)
#define PART_OBJECT_TYPE (1 << 16)
#define PART_TM (1 << 17)
#define PART_OBJ (PART_TOPO | PART_GEOM)
#define PART_ALL (ALL_CHANNELS | PART_TM)
#define ALL_CHANNELS 0x0001ffff

enum RefResult { REF_FAIL, REF_SUCCEED, REF_DONTCARE, REF_STOP, REF_INVALID, REF_HALT };

typedef unsigned int RefMessage;
#define REFMSG_LOOPTEST 0x00000010
#define REFMSG_TARGET_DELETED 0x00000020
#define REFMSG_MODAPP_DELETING 0x00000021
#define REFMSG_EVAL 0x00000030
#define REFMSG_RESET_ORIGIN 0x00000040
#define REFMSG_CHANGE 0x00000050
#define REFMSG_FLAGDEPENDENTS 0x00000070
#define REFMSG_TARGET_SELECTIONCHANGE 0x00000080
#define REFMSG_BEGIN_EDIT 0x00000090
#define REFMSG_END_EDIT 0x000000A0
#define REFMSG_DISABLE 0x000000B0
#define REFMSG_ENABLE 0x000000C0
#define REFMSG_TURNON 0x000000D0
#define REFMSG_TURNOFF 0x000000E0
#define REFMSG_SUBANIM_STRUCTURE_CHANGED 0x000000F9
#define REFMSG_REF_DELETED 0x000000FA
#define REFMSG_GET_PARAM_NAME 0x000000FB
#define REFMSG_GET_PARAM_DIM 0x000000FC
#define REFMSG_REF_ADDED 0x00000101
#define REFMSG_NODE_NAMECHANGE 0x00000200
#define REFMSG_USER 0x00010000

// Send a message to dependents of every super class.
#define NOTIFY_ALL 0xfffffff0

#if MAX_RELEASE >= 17000
enum NotifyDependentsOption { REFNOTIFY_ALLOW_OPTIMIZATIONS, REFNOTIFY_DISALLOW_OPTIMIZATIONS };
#endif

class ParamDimension;

// REFMSG_GET_PARAM_NAME: the part argument points to this record; the answer goes into name.
class GetParamName {
public:
    MSTR& name;
    int index;
    GetParamName(MSTR& n, int i) : name(n), index(i) { }

private:
    GetParamName& operator=(const GetParamName&);
};

// REFMSG_GET_PARAM_DIM: the part argument points to this record.
class GetParamDim {
public:
    ParamDimension* dim;
    int index;
    GetParamDim(int i) : dim(NULL), index(i) { }
};

struct RefMakerLinks;
struct RefTargetLinks;

class CoreExport ReferenceMaker : public Animatable {
    friend class ReferenceTarget;
    RefMakerLinks* links; // the targets this maker is registered with

public:
    ReferenceMaker();
    ~ReferenceMaker() override;

    // Makes reference which point at newtarg, registering this maker as its dependent. The
    // old target loses this dependent and, with delOld and no dependent left, is deleted.
    // REF_FAIL, changing nothing, when newtarg refers (directly or not) to this maker: the
    // reference would close a loop.
    RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
    // Clears every reference of this maker, deleting targets left without dependents.
    RefResult DeleteAllRefsFromMe();
    // Clears reference i, deleting its target when it has no dependent left.
    RefResult DeleteReference(int i);
    // Deletes this maker: clears its references, tells its dependents (when it is a target)
    // and calls DeleteThis.
    virtual void DeleteMe();

    virtual int NumRefs();
    virtual RefTargetHandle GetReference(int i);
    // Stores rtarg as reference i. Called by the reference system only.
    virtual void SetReference(int i, RefTargetHandle rtarg);

    // The object's own data, written and read as chunks.
    virtual IOResult Save(ISave* isave);
    virtual IOResult Load(ILoad* iload);

    // A target this maker refers to changed (or asks something: REFMSG_GET_PARAM_NAME ...).
#if MAX_RELEASE >= 17000
    virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget,
                                       PartID& partID, RefMessage message, BOOL propagate) = 0;
#else
    virtual RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                       RefMessage message) = 0;
#endif

    // Index of the reference that points at targ, or -1.
    int FindRef(RefTargetHandle targ);
    virtual BOOL IsRefTarget() { return FALSE; }
    virtual BOOL IsRealDependency(ReferenceTarget* rtarg)
    {
        (void)rtarg;
        return TRUE;
    }
    // Copies the reference maker's base data from another (nothing beyond its class here).
    virtual void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);
    SClass_ID SuperClassID() override { return REF_MAKER_CLASS_ID; }

    // Reference-system internals: links a maker to a target without touching references.
    void AddLink(RefTargetHandle targ);
    void RemoveLink(RefTargetHandle targ);
};

class CoreExport ReferenceTarget : public ReferenceMaker {
    friend class ReferenceMaker;
    RefTargetLinks* dependents;

public:
    ReferenceTarget();
    ~ReferenceTarget() override;

    BOOL IsRefTarget() override { return TRUE; }
    SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }

    // Tells every dependent of a change (NotifyRefChanged with this target). sclass limits it
    // to dependents of that super class; propagate lets dependents pass it on.
#if MAX_RELEASE >= 17000
    virtual RefResult
    NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message,
                     SClass_ID sclass = NOTIFY_ALL, BOOL propagate = TRUE,
                     RefTargetHandle hTarg = NULL,
                     NotifyDependentsOption notifyDependentsOption = REFNOTIFY_ALLOW_OPTIMIZATIONS);
#else
    virtual RefResult NotifyDependents(Interval changeInt, PartID partID, RefMessage message,
                                       SClass_ID sclass = NOTIFY_ALL, BOOL propagate = TRUE,
                                       RefTargetHandle hTarg = NULL);
#endif

    // Dependents: the makers that refer to this target.
    int NumDependents();
    ReferenceMaker* GetDependent(int i);
    BOOL HasDependents() { return NumDependents() > 0; }
    // Clears every reference that points at this target (dependents get
    // REFMSG_TARGET_DELETED first).
    RefResult DeleteAllRefsToMe();
    // Deletes the target when nothing refers to it any more; returns TRUE when it did.
    BOOL MaybeAutoDelete();

    // A copy of this target; references are copied through remap so that shared targets stay
    // shared. The base class cannot copy and returns NULL.
    virtual RefTargetHandle Clone(RemapDir& remap);
    void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) override;

    // Reference-system internals.
    void AddDependent(ReferenceMaker* rm);
    void RemoveDependent(ReferenceMaker* rm);
};

// Maps originals to their copies during one Clone, so shared targets are copied once.
class RemapDir {
public:
    virtual ~RemapDir() { }
    // The copy made for oldTarg in this clone operation, or NULL.
    virtual RefTargetHandle FindMapping(RefTargetHandle oldTarg) = 0;
    // The copy of oldTarg: made with its Clone the first time, the same copy afterwards.
    virtual RefTargetHandle CloneRef(RefTargetHandle oldTarg) = 0;
    virtual void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) = 0;
    // After the clone: makes *patchThis point at the copy of oldTarg if there is one.
    virtual void PatchPointer(RefTargetHandle* patchThis, RefTargetHandle oldTarg) = 0;
    virtual void DeleteThis() = 0;
};

// A new remap directory for one copy operation; the caller ends it with DeleteThis.
CoreExport RemapDir* NewRemapDir(BOOL use_A_WORK2_flag = FALSE);
// A copy of rtarg and everything it refers to, shared targets copied once.
CoreExport RefTargetHandle CloneRefHierarchy(RefTargetHandle rtarg);
