// Materials and textures: MtlBase (name, G-buffer id, activity, sub-maps), Texmap (per-sample
// evaluation), MultiTex, ISubMap, the shading context and the material editor's interfaces.
#pragma once

#include "maxtypes.h"
#include "strclass.h"
#include "interval.h"
#include "tab.h"
#include "ref.h"
#include "acolor.h"
#include "color.h"
#include "point3.h"

class ShadeContext;
class Texmap;
class Mtl;
class MtlBase;
class ParamDlg;
class IMtlParams;
class Material;
class TextureInfo;
class INode;
class UVGen;
class Box3;
class Point2;

// Sub-map slot types.
#define MAPSLOT_TEXTURE 0
#define MAPSLOT_ENVIRON 1
#define MAPSLOT_DISPLACEMENT 2
#define MAPSLOT_BACKGROUND 3

// MtlBase flags.
#define MTL_IN_SCENE (1 << 0)
#define MTL_BEING_EDITED (1 << 1)
#define MTL_TEX_DISPLAY_ENABLED (1 << 17)
#define MTL_HW_TEX_ENABLED (1 << 28)
#define MTL_HW_MAT_ENABLED (1 << 29)

// Chunk ids of the MtlBase base data. MtlBase::Load reads every chunk of the level it is called
// at, so a class that saves chunks of its own wraps the base data in MTL_HDR_CHUNK.
#define MTL_HDR_CHUNK 0x4000
#define MTLBASE_NAME_CHUNK 0x4001
#define MTLBASE_GBUFID_CHUNK 0x4030

// Property id: the viewport's hardware-material interface (IHardwareMaterial), or NULL.
#define PROPID_HW_MATERIAL 115

// A texture of the graphics layer, made for a map's viewport bitmap. Its owner gives it back
// with DeleteThis.
class TexHandle {
public:
    virtual ~TexHandle() { }
    virtual DWORD_PTR GetHandle() = 0;
    virtual void DeleteThis() = 0;
};

// Makes graphics-layer textures from bitmaps.
class TexHandleMaker {
public:
    virtual ~TexHandleMaker() { }
    // A new texture made from the packed DIB bminf (which the maker takes and frees); NULL
    // when it cannot.
    virtual TexHandle* MakeHandle(BITMAPINFO* bminf) = 0;
    virtual BOOL UseClosestPowerOf2() { return TRUE; }
    // Edge length of the textures it makes.
    virtual int Size() = 0;
};

// What the viewport gives a map that sets up several texture stages itself.
class MtlMakerCallback : public TexHandleMaker {
public:
    // Fills the record's mapping data (source, channel, tiling) for txm.
    virtual void GetGfxTexInfoFromTexmap(TimeValue t, TextureInfo& ti, Texmap* txm) = 0;
    // How many texture stages the viewport can use.
    virtual BOOL NumberTexturesSupported() = 0;
};

// The sub-map side of materials and textures.
class CoreExport ISubMap {
public:
    virtual ~ISubMap();
    virtual int NumSubTexmaps();
    virtual Texmap* GetSubTexmap(int i);
    virtual int MapSlotType(int i) = 0;
    virtual void SetSubTexmap(int i, Texmap* m);
    // Whether sub-map i is switched on (used by the renderer to skip it).
    virtual int SubTexmapOn(int i);
    // The slot's name as the material editor shows it.
    virtual MSTR GetSubTexmapSlotName(int i);
    // The name the track view shows: the slot name.
    MSTR GetSubTexmapTVName(int i);
    // TRUE when the sub-map's parameter dialog is taken over by the caller.
    virtual BOOL SetDlgThing(ParamDlg* dlg);
    virtual ReferenceTarget* GetRefTarget() = 0;
};

class CoreExport MtlBase : public ReferenceTarget, public ISubMap {
    MSTR name;
    ULONG mtlFlags;
    int defaultSlotType;

public:
    // The G-buffer (object channel) id the renderer writes for this map or material.
    ULONG gbufID;
    // Activity count: how many places (material editor slots, viewports) use the map now.
    // Non-zero means "active in the host". IncrActive/DecrActive keep it; IsActive reads it.
    int activeCount;

    MtlBase();
    ~MtlBase() override;

    // Copies the base data (name, flags, G-buffer id; not the references or activity).
    MtlBase& operator=(const MtlBase& m);

    MSTR& GetName() { return name; }
    void SetName(const MSTR& s);
    // "name (class name)", as the editor's title shows it.
    virtual MSTR GetFullName();

    ULONG GetGBufID() { return gbufID; }
    void SetGBufID(ULONG id) { gbufID = id; }
    ULONG GetGBufferID() { return gbufID; }
    void SetGBufferID(ULONG id) { gbufID = id; }

    void SetMtlFlag(int mask, BOOL val = TRUE);
    void ClearMtlFlag(int mask);
    int TestMtlFlag(int mask);

    int IsActive() const { return activeCount > 0; }
    void IncrActive() { ++activeCount; }
    void DecrActive()
    {
        if (activeCount > 0) --activeCount;
    }

    int GetDefaultSlotType() const { return defaultSlotType; }
    void SetDefaultSlotType(int t) { defaultSlotType = t; }
    int MapSlotType(int i) override;

    // Brings the map up to date for time t and narrows valid to its validity.
    virtual void Update(TimeValue t, Interval& valid) = 0;
    // Back to the state of a new map.
    virtual void Reset() = 0;
    // Validity of the map at time t.
    virtual Interval Validity(TimeValue t) = 0;
    // The parameter dialog of the material editor.
    virtual ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) = 0;

    virtual ULONG Requirements(int subMtlNum);
    virtual ULONG LocalRequirements(int subMtlNum);

    // Viewport display.
    virtual BOOL SupportTexDisplay();
    virtual void ActivateTexDisplay(BOOL onoff);
    virtual BOOL SupportsMultiMapsInViewport();
    virtual void SetupGfxMultiMaps(TimeValue t, Material* mtl, MtlMakerCallback& cb);
    virtual DWORD_PTR GetActiveTexHandle(TimeValue t, TexHandleMaker& thmaker);

    // Base data: the name and the G-buffer id, each as its own chunk.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    ReferenceTarget* GetRefTarget() override { return this; }
    int NumSubs() override;
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i) override;
};

// Switches off viewport display in mb and every map below it: ActivateTexDisplay(FALSE) on
// each and their display flags cleared. The activity count is not touched.
CoreExport void DeactivateMapsInTree(MtlBase* mb);

class CoreExport Texmap : public MtlBase {
public:
    Texmap();

    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }

    // Colour with alpha for one shading sample.
    virtual AColor EvalColor(ShadeContext& sc) = 0;
    // Mono value: the mean of EvalColor, (g + r + b) * 0.33333334f in that order.
    virtual float EvalMono(ShadeContext& sc);
    // Perturbation of the normal for bump mapping.
    virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;
    virtual BOOL HandleOwnViewPerturb() { return FALSE; }
    virtual UVGen* GetTheUVGen() { return NULL; }
    virtual int IsHighDynamicRange() const { return FALSE; }
    // Whether the map's own output carries information, or only passes on what is below it.
    virtual bool IsLocalOutputMeaningful(ShadeContext& sc)
    {
        (void)sc;
        return false;
    }

    // A viewport bitmap of the map (a packed DIB the caller frees with LocalFree), or NULL.
    // The host's default samples the map's EvalColor (EvalMono with mono) at the pixel centres
    // of a forceW x forceH bitmap, or thmaker.Size() square where they are 0: row r from the
    // bottom is v = (r + 0.5) / height, column c is u = (c + 0.5) / width. 32 bits per pixel
    // (blue, green, red, alpha); colour sRGB-encoded as a display bitmap holds it, alpha linear.
    virtual BITMAPINFO* GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid,
                                        BOOL mono = FALSE, int forceW = 0, int forceH = 0);
};

// A texture made of several sub-maps.
class CoreExport MultiTex : public Texmap {
public:
    virtual void SetNumSubTexmaps(int n) { (void)n; }
    virtual void SetColor(int i, Color c, TimeValue t = 0)
    {
        (void)i;
        (void)c;
        (void)t;
    }
};

// Render and shading constants.
#define SCMODE_NORMAL 0
#define SCMODE_SHADOW 1

enum RefFrame { REF_CAMERA = 0, REF_WORLD, REF_OBJECT };

// What the renderer hands to a texture for one shading sample. A renderer derives its own
// context (one per thread) and fills it before each sample; the defaults here answer as a
// context at the origin with no lights and no cache.
class CoreExport ShadeContext {
public:
    ULONG mode;
    BOOL doMaps;
    BOOL filterMaps;
    BOOL shadow;
    BOOL backFace;
    int mtlNum;
    Color ambientLight;
    int nLights;
    int rayLevel;
    int xshadeID;

    ShadeContext();
    virtual ~ShadeContext();

    virtual BOOL InMtlEditor();
    virtual int Antialias();
    virtual int ProjType();
    virtual TimeValue CurTime();
    virtual int NodeID();
    virtual INode* Node();
    virtual int FaceNumber();
    virtual Point3 BarycentricCoords();
    virtual Point3 Normal();
    virtual void SetNormal(Point3 p);
    virtual Point3 OrigNormal();
    virtual Point3 GNormal();
    virtual float Curve();
    virtual Point3 V();
    virtual void SetView(Point3 p);
    virtual Point3 OrigView();
    virtual Point3 ReflectVector();
    virtual Point3 RefractVector(float ior);
    virtual Point3 CamPos();
    virtual Point3 P();
    virtual Point3 DP();
    virtual Point3 PObj();
    virtual Point3 DPObj();
    virtual Point3 PObjRelBox();
    virtual Point3 DPObjRelBox();
    // Texture coordinates of a mapping channel and their change across the sample.
    virtual Point3 UVW(int channel = 0);
    virtual Point3 DUVW(int channel = 0);
    virtual void DPdUVW(Point3 dP[3], int channel = 0);
    virtual Point3 PointTo(const Point3& p, RefFrame ito);
    virtual Point3 PointFrom(const Point3& p, RefFrame ifrom);
    virtual Point3 VectorTo(const Point3& p, RefFrame ito);
    virtual Point3 VectorFrom(const Point3& p, RefFrame ifrom);

    // The G-buffer id the renderer writes for this sample.
    virtual void SetGBufferID(int gbid);

    // Per-sample result cache: a texture asks it before evaluating and stores its result
    // after. The base context caches nothing.
    virtual BOOL GetCache(Texmap* map, AColor& c);
    virtual BOOL GetCache(Texmap* map, float& f);
    virtual BOOL GetCache(Texmap* map, Point3& p);
    virtual void PutCache(Texmap* map, const AColor& c);
    virtual void PutCache(Texmap* map, const float f);
    virtual void PutCache(Texmap* map, const Point3& p);
    virtual void TossCache(Texmap* map);
};

// The dialog a map shows in the material editor.
class ParamDlg : public InterfaceServer {
public:
    virtual Class_ID ClassID() = 0;
    virtual void SetThing(ReferenceTarget* m) = 0;
    virtual ReferenceTarget* GetThing() = 0;
    virtual void SetTime(TimeValue t) = 0;
    virtual void ReloadDialog() = 0;
    virtual void DeleteThis() = 0;
    virtual void ActivateDlg(BOOL onOff) = 0;
    virtual int FindSubTexFromHWND(HWND hwnd)
    {
        (void)hwnd;
        return -1;
    }
    virtual int FindSubMtlFromHWND(HWND hwnd)
    {
        (void)hwnd;
        return -1;
    }
    virtual INT_PTR Execute(int cmd, ULONG_PTR arg1 = 0, ULONG_PTR arg2 = 0, ULONG_PTR arg3 = 0)
    {
        (void)cmd;
        (void)arg1;
        (void)arg2;
        (void)arg3;
        return 0;
    }
};

class TimeChangeCallback {
public:
    virtual ~TimeChangeCallback() { }
    virtual void TimeChanged(TimeValue t) = 0;
};

class IRollupWindow;

#define ROLLUP_CAT_STANDARD 4000

// The material editor, as a map's dialog sees it.
class IMtlParams : public InterfaceServer {
public:
    // The map shown in the editor changed: the editor redraws its sample slot.
    virtual void MtlChanged() = 0;
    virtual HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                               const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                               int category = ROLLUP_CAT_STANDARD) = 0;
    virtual HWND ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst, const MCHAR* dlgTemplate,
                                   DLGPROC dlgProc, const MCHAR* title, LPARAM param = 0,
                                   DWORD flags = 0, int category = ROLLUP_CAT_STANDARD) = 0;
    virtual void DeleteRollupPage(HWND hRollup) = 0;
    virtual void RollupMouseMessage(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual int IsRollupPanelOpen(HWND hwnd) = 0;
    virtual int GetRollupScrollPos() = 0;
    virtual void SetRollupScrollPos(int spos) = 0;
    virtual void RegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    virtual void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    virtual void RegisterDlgWnd(HWND hDlg) = 0;
    virtual int UnRegisterDlgWnd(HWND hDlg) = 0;
    virtual TimeValue GetTime() = 0;
    virtual IRollupWindow* GetMtlEditorRollup() = 0;
};
