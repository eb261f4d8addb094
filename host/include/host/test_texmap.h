// A small texture for tests and examples: its colour, perturbation and validity are set
// directly, it counts what is asked of it, holds any number of sub-maps as references, saves
// its values as chunks, and reports how many of its kind are alive (to observe releases).
// Its class is registered like any other (TestTexmapClassDesc()).
#pragma once

#include <vector>

#include "../imtl.h"
#include "../iparamb2.h"

namespace host {

#define TEST_TEXMAP_CLASS_ID Class_ID(0x51A7E000, 0x00C0FFEE)

// Chunk ids of its Save.
enum { kTestColorChunk = 0x0100, kTestPerturbChunk = 0x0110, kTestSubCountChunk = 0x0120 };

class CoreExport TestTexmap : public Texmap {
public:
    TestTexmap();
    ~TestTexmap() override;

    // What the texture answers.
    AColor color;
    Point3 perturb;
    Interval validity; // what Update narrows to; FOREVER by default

    // What was asked of it.
    int evalColorCount = 0;
    int evalPerturbCount = 0;
    int updateCount = 0;
    int activateOffCount = 0; // ActivateTexDisplay(FALSE) calls
    int changeMessages = 0; // REFMSG_CHANGE received from its sub-maps
    RefMessage lastMessage = 0;
    BOOL useCache = FALSE; // when TRUE, EvalColor goes through the context's cache

    // Number of sub-map references (empty to start with).
    void SetNumSubTexmaps(int n);
    // Notifies dependents of a change (as an edit would).
    void Changed();

    static int LiveCount();

    // Animatable / ReferenceMaker / ReferenceTarget
    void DeleteThis() override { delete this; }
    void GetClassName(MSTR& s) override { s = L"Test Map"; }
    Class_ID ClassID() override { return TEST_TEXMAP_CLASS_ID; }
    int NumRefs() override { return (int)subs.size(); }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;
#else
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
#endif
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    // MtlBase
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return NULL; }
    void ActivateTexDisplay(BOOL onoff) override;

    // ISubMap
    int NumSubTexmaps() override { return (int)subs.size(); }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i) override;

    // Texmap
    // The host's bitmap of it at 4 x 4, or NULL with noBitmap set.
    BITMAPINFO* GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid,
                                BOOL mono = FALSE, int forceW = 0, int forceH = 0) override;
    BOOL noBitmap = FALSE;
    int bitmapCount = 0;
    AColor EvalColor(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;

private:
    std::vector<Texmap*> subs;
};

CoreExport ClassDesc2* TestTexmapClassDesc();

} // namespace host
