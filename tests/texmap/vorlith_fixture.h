// What the texture tests share: the plug-in loaded as the host loads it, textures made through
// its class descriptor, a small sub-map whose results the test sets, a reference holder that
// watches messages, and a scene round trip through the host's file format.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "max.h"
#include "iparamb2.h"
#include "macrorec.h"
#include "host/accounting.h"
#include "host/class_directory.h"
#include "host/plugin_manager.h"
#include "host/scene_file.h"
#include "host/shade_context.h"
#include "ivorlith.h"

// The texture's identity and block layout as the host sees them.
const Class_ID kVorlithClassID(0x9B340D4D, 0xA443AC6A);
enum {
    pb_map_list = 0,
    pb_map_enabled = 1,
    pb_map_used = 2,
    pb_opasity_list = 3,
    pb_color_list = 4,
    pb_mode_list = 5,
    pb_edit_ids = 6,
    pb_mask_enabled = 7,
    pb_hsv_h = 8,
    pb_hsv_s = 9,
    pb_hsv_v = 10,
    pb_rgb_r = 11,
    pb_rgb_g = 12,
    pb_rgb_b = 13,
    pb_output_on = 14,
    pb_alpha = 15,
    pb_bright = 16,
    pb_contrast = 17,
    pb_gamma = 18,
    pb_mono = 19,
    pb_clamp = 20
};

#if MAX_RELEASE >= 17000
#define TEST_NOTIFY_REF_CHANGED_ARGS \
    const Interval &changeInt, RefTargetHandle hTarget, PartID &partID, RefMessage message, \
        BOOL propagate
#else
#define TEST_NOTIFY_REF_CHANGED_ARGS \
    Interval changeInt, RefTargetHandle hTarget, PartID &partID, RefMessage message
#endif

// The plug-in, loaded once for the test program.
host::PluginManager& Plugins();
ClassDesc* VorlithDesc();
HMODULE VorlithModule();

// A new texture made by the class descriptor, as the host makes one.
Texmap* NewVorlith();
IVorlithLayers* Layers(Texmap* tex);
IParamBlock2* Block(Texmap* tex);
// Deletes a texture (or any target) the way the host deletes a scene.
void DeleteTree(ReferenceTarget* target);

// Calls the texture's NotifyRefChanged with the SDK version's signature.
RefResult SendRefMessage(ReferenceMaker* maker, RefTargetHandle from, PartID& part,
                         RefMessage message);

// A sub-map whose colour, perturbation and validity the test sets, and which counts what is
// asked of it. Named maps find themselves again after a scene round trip (MtlBase saves names).
class TestMap : public Texmap {
public:
    AColor color;
    Point3 perturb;
    Interval validity;
    int colorEvals = 0;
    int perturbEvals = 0;
    int updates = 0;
    int displayOffCalls = 0;

    explicit TestMap(const wchar_t* name = L"", AColor c = AColor(0.0f, 0.0f, 0.0f, 1.0f));
    ~TestMap() override;

    // Names of the test maps deleted since the last ClearDeleted.
    static std::vector<std::wstring>& Deleted();
    static bool WasDeleted(const std::wstring& name);

    Class_ID ClassID() override;
    void GetClassName(MSTR& s) override { s = L"TestMap"; }
    void DeleteThis() override { delete this; }
    AColor EvalColor(ShadeContext&) override
    {
        ++colorEvals;
        return color;
    }
    Point3 EvalNormalPerturb(ShadeContext&) override
    {
        ++perturbEvals;
        return perturb;
    }
    void Update(TimeValue, Interval& valid) override
    {
        ++updates;
        valid &= validity;
    }
    void Reset() override { }
    Interval Validity(TimeValue) override { return validity; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    void ActivateTexDisplay(BOOL on) override
    {
        if (!on) ++displayOffCalls;
    }
    RefResult NotifyRefChanged(TEST_NOTIFY_REF_CHANGED_ARGS) override;
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
};

TestMap* AsTestMap(Texmap* map);
// The name of a sub-map, or "" for an empty slot.
std::wstring NameOf(Texmap* map);

// One message a Watcher received.
struct SeenMessage {
    RefTargetHandle from;
    RefMessage message;
    ParamID lastParam; // the block's LastNotifyParamID when from is a block
    int disableCount; // macroRecorder->DisableCount() at that moment
    int texSubmaps; // NumSubTexmaps of the watched texture at that moment
};

// Holds references to targets (keeping them alive) and records every message they send.
class Watcher : public ReferenceMaker {
public:
    Watcher() = default;
    ~Watcher() override;
    Texmap* watchedTexture = nullptr;
    std::vector<SeenMessage> seen;

    int Hold(ReferenceTarget* target);
    void ReleaseAll();
    int Count(RefMessage message) const;

    int NumRefs() override { return (int)refs.size(); }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(TEST_NOTIFY_REF_CHANGED_ARGS) override;

private:
    std::vector<RefTargetHandle> refs;
};

// Everything a user could see of a texture, as text: its layers' values, maps and labels, the
// block's counts, the Output settings, and its colour and bump at two samples.
std::wstring DescribeTexture(Texmap* tex);

// Saves the roots through the host's scene format and loads them back; returns the loaded
// roots (the caller deletes them) and fails the test on an error.
std::vector<ReferenceTarget*> RoundTrip(const std::vector<ReferenceTarget*>& roots,
                                        const host::SceneSaveOptions& options = {});

// After a scene, its editor and its history are gone: fails the test when any object the host
// counts (targets, blocks, undo records, viewport texture handles) is alive beyond before.
void ExpectNothingLeft(const host::LiveCounts& before);
// Live textures of the plug-in's class.
int LiveVorliths();
