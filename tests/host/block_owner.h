// A texture with a parameter block declared the way plug-ins declare theirs (every parameter
// type and tag the layered texture uses) and an owner-held table of maps (references 1 and up).
#pragma once

#include <vector>

#include "iparamb2.h"
#include "iparamm2.h"
#include "imtl.h"

#define BLOCK_OWNER_CLASS_ID Class_ID(0x0B10C000, 0x0000CAFE)

enum { owner_params = 0 };
enum {
    pb_maps = 0,
    pb_flags,
    pb_amounts,
    pb_colors,
    pb_modes,
    pb_labels,
    pb_gain = 8,
    pb_enabled = 14,
    pb_limit = 18
};

ClassDesc2* BlockOwnerDesc();

class BlockOwner : public Texmap {
public:
    IParamBlock2* pblock = nullptr;
    std::vector<Texmap*> maps;
    // What its change handler saw.
    std::vector<ParamID> notified;
    int messages = 0;

    BlockOwner(bool makeBlock = true);

    void DeleteThis() override { delete this; }
    Class_ID ClassID() override { return BLOCK_OWNER_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = L"Block Owner"; }
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int) override { return pblock; }
    int NumRefs() override { return 1 + (int)maps.size(); }
    RefTargetHandle GetReference(int i) override
    {
        if (i == 0) return pblock;
        return i - 1 < (int)maps.size() && i >= 1 ? maps[(size_t)i - 1] : nullptr;
    }
    void SetReference(int i, RefTargetHandle t) override
    {
        // Only targets of the expected kind are kept: a damaged scene may offer others.
        if (i == 0) {
            pblock = t && t->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID
                ? static_cast<IParamBlock2*>(t)
                : nullptr;
            return;
        }
        if (i < 1) return;
        if (i - 1 >= (int)maps.size()) maps.resize((size_t)i, nullptr);
        maps[(size_t)i - 1] =
            t && t->SuperClassID() == TEXMAP_CLASS_ID ? static_cast<Texmap*>(t) : nullptr;
    }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle h, PartID&, RefMessage m,
                               BOOL) override
    {
        return Changed(h, m);
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle h, PartID&, RefMessage m) override
    {
        return Changed(h, m);
    }
#endif
    RefResult Changed(RefTargetHandle h, RefMessage m)
    {
        ++messages;
        if (m == REFMSG_CHANGE && h == pblock && pblock)
            notified.push_back(pblock->LastNotifyParamID());
        return REF_SUCCEED;
    }
    void Update(TimeValue, Interval&) override { }
    void Reset() override { }
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    AColor EvalColor(ShadeContext&) override { return AColor(0.0f, 0.0f, 0.0f, 1.0f); }
    Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
};
