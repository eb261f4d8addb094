// Vorlith: construction, the host's structural questions, validity, change handling, the
// sub-map side and evaluation through the engine.
#include "vorlith.h"

#include "hold.h"
#include "layer_stack.h"
#include "resource.h"
#include "vorlith_access.h"
#include "vorlith_params.h"

Vorlith::Vorlith()
    : firstVisible(0), paramDlg(NULL), pblock(NULL), layersInterface(this), postLoad(this)
{
    ClearTexDisplay();
    ivalid.SetEmpty();
    SetDefaultOutputSettings(output);
    // A new texture's own set-up is no edit of anything that existed: nothing of it is recorded,
    // so no undo can take its block or its layer away (a step that made it may be open).
    theHold.Suspend();
    GetVorlithDesc()->MakeAutoParamBlocks(this);
    ResetLayers();
    theHold.Resume();
}

Vorlith::~Vorlith()
{
    // The host removes the references before it deletes a texture; only our own storage goes.
    DiscardTexHandles();
    mapList.ZeroCount();
    mapList.Shrink();
    layerValues.Clear();
}

// What was worked out from the texture's values and sub-maps goes: the validity, the layer plan
// and the viewport's stages, each worked out again when next asked for.
void Vorlith::ValuesChanged()
{
    ivalid.SetEmpty();
    plan.Drop();
    DiscardTexHandles();
}

void Vorlith::LayersEdited()
{
    ValuesChanged();
    if (paramDlg) paramDlg->Invalidate();
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

// Animatable -----------------------------------------------------------------------------------

void Vorlith::DeleteThis() { delete this; }

void Vorlith::GetClassName(MSTR& s) { s = LoadResString(IDS_CLASS_NAME); }

SClass_ID Vorlith::SuperClassID() { return TEXMAP_CLASS_ID; }

Class_ID Vorlith::ClassID() { return VORLITH_CLASS_ID; }

int Vorlith::NumSubs() { return mapList.Count(); }

Animatable* Vorlith::SubAnim(int i)
{
    if (i < 0 || i >= mapList.Count()) return NULL;
    return mapList[i];
}

MSTR Vorlith::SubAnimName(int i) { return GetSubTexmapTVName(i); }

int Vorlith::SubNumToRefNum(int subNum)
{
    if (subNum < 0 || subNum >= 2 * VORLITH_MAX_LAYERS) return -1;
    return subNum + 1;
}

int Vorlith::NumParamBlocks() { return 1; }

IParamBlock2* Vorlith::GetParamBlock(int /*i*/) { return pblock; }

IParamBlock2* Vorlith::GetParamBlockByID(BlockID id)
{
    return pblock && pblock->ID() == id ? pblock : NULL;
}

BaseInterface* Vorlith::GetInterface(Interface_ID id)
{
    if (id == VORLITH_LAYERS_INTERFACE) return &layersInterface;
    return MultiTex::GetInterface(id);
}

// References -----------------------------------------------------------------------------------

int Vorlith::NumRefs() { return mapList.Count() + 1; }

RefTargetHandle Vorlith::GetReference(int i)
{
    if (i == VORLITH_PBLOCK_REF) return pblock;
    if (i < 1 || i > mapList.Count()) return NULL;
    return mapList[i - 1];
}

void Vorlith::SetReference(int i, RefTargetHandle rtarg)
{
    // Only a parameter block goes in slot 0 and only textures in the map slots: a target of
    // another kind (a damaged scene), or a slot past the largest stack, is refused and the slot
    // keeps what it held.
    if (i == VORLITH_PBLOCK_REF) {
        if (rtarg == NULL || rtarg->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID)
            pblock = (IParamBlock2*)rtarg;
        return;
    }
    if (i < 1 || i > 2 * VORLITH_MAX_LAYERS) return;
    if (rtarg != NULL && rtarg->SuperClassID() != TEXMAP_CLASS_ID) return;
    // A reference past the end (a scene being restored) grows mapList to hold it; the block's
    // counts are the block's own and are restored with it.
    const int entry = i - 1;
    if (entry >= mapList.Count()) {
        const int old = mapList.Count();
        mapList.SetCount(entry + 1);
        for (int k = old; k <= entry; ++k)
            mapList[k] = NULL;
    }
    mapList[entry] = (Texmap*)rtarg;
    // A slot restored, emptied by a deleted map or put back by an undo: the next Update
    // recomputes, and the viewport shows it at once.
    ValuesChanged();
}

#if MAX_RELEASE >= 17000
RefResult Vorlith::NotifyRefChanged(const Interval& /*changeInt*/, RefTargetHandle hTarget,
                                    PartID& partID, RefMessage message, BOOL /*propagate*/)
{
    return HandleRefChanged(hTarget, partID, message);
}
#else
RefResult Vorlith::NotifyRefChanged(Interval /*changeInt*/, RefTargetHandle hTarget, PartID& partID,
                                    RefMessage message)
{
    return HandleRefChanged(hTarget, partID, message);
}
#endif

RefResult Vorlith::HandleRefChanged(RefTargetHandle /*hTarget*/, PartID& partID, RefMessage message)
{
    switch (message) {
    case REFMSG_CHANGE: {
        if (paramDlg) paramDlg->Invalidate();
        // A table count changed from outside (a script): follow it. Counts that an undo or a
        // redo puts back are not followed: the texture's own record puts its layers back.
        if (pblock && !theHold.RestoreOrRedoing()) {
            const ParamID last = pblock->LastNotifyParamID();
            const int blockMaps = pblock->Count(pb_map_list);
            if (last == pb_map_list && mapList.Count() != blockMaps) {
                SetNumMaps(blockMaps / 2);
            } else if (last == pb_map_enabled) {
                const int blockLayers = pblock->Count(pb_map_enabled);
                if (blockLayers != NumLayers()) SetNumMaps(blockLayers);
            }
        }
        ValuesChanged();
        if (paramDlg && activeCount > 0) {
            IMtlParams* ip = paramDlg->GetMtlParams();
            if (ip) ip->MtlChanged();
        }
        return REF_SUCCEED;
    }
    case REFMSG_GET_PARAM_NAME: {
        GetParamName& gpn = *(GetParamName*)partID;
        gpn.name = GetSubTexmapSlotName(gpn.index);
        return REF_STOP;
    }
    case REFMSG_GET_PARAM_DIM:
        return REF_STOP;
    default:
        return REF_SUCCEED;
    }
}

// MtlBase --------------------------------------------------------------------------------------

void Vorlith::Update(TimeValue t, Interval& valid)
{
    if (ivalid.InInterval(t)) {
        if (!plan.Current()) BuildPlan();
        valid &= ivalid;
        return;
    }
    // One table entry per layer the texture holds. (The block's own count is not followed: a
    // script that set it to 0 would otherwise empty every table and lose every layer's values.)
    const int held = NumUsableLayers();
    if (held != NumLayers()) HoldLayers();
    layerValues.Resize(NumLayers());
    if (held < NumLayers()) {
        // Layers known only by their map slots so far: they have the new-layer values now, get
        // their number, and their maps may show in the viewport.
        for (int i = held; i < NumLayers(); ++i)
            LabelIfUnlabelled(i);
        DiscardTexHandles();
    }
    ivalid.SetInfinite();
    for (int i = 0; i < mapList.Count(); ++i) {
        if (mapList[i]) mapList[i]->Update(t, ivalid);
    }
    BuildPlan();
    valid &= ivalid;
}

Interval Vorlith::Validity(TimeValue t)
{
    Interval scratch;
    Update(t, scratch);
    return ivalid;
}

void Vorlith::Reset()
{
    DeleteAllRefsFromMe();
    GetVorlithDesc()->MakeAutoParamBlocks(this);
    ResetLayers();
}

static VorlithEditorMaker editorMaker = NULL;

void Vorlith::SetEditorMaker(VorlithEditorMaker maker) { editorMaker = maker; }

ParamDlg* Vorlith::CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp)
{
    if (!editorMaker) return NULL;
    VorlithEditor* made = editorMaker(hwMtlEdit, imp, this);
    if (!made) return NULL;
    made->UpdateControls();
    paramDlg = made;
    return made->GetParamDlg();
}

// Evaluation -----------------------------------------------------------------------------------

template <class T>
static TableView<T> ViewOf(const Tab<T>& table)
{
    return TableView<T>(table.Count() > 0 ? table.Addr(0) : NULL, table.Count());
}

LayerTables Vorlith::Tables() const
{
    const LayerValueTables& v = layerValues;
    return ViewLayerTables(mapList.Count(), ViewOf(v.mapEnabled), ViewOf(v.maskEnabled),
                           ViewOf(v.mapUsed), ViewOf(v.opasityList), ViewOf(v.colorList),
                           ViewOf(v.modeList), ViewOf(v.spaceList));
}

// With a current plan (the host ran Update) the walks follow it; otherwise they read the tables.
AColor Vorlith::EvalColor(ShadeContext& sc)
{
    VorlithAccess access(mapList, sc, this);
    if (plan.Current()) return EvalPlannedColor(plan, access);
    return EvalLayerColor(Tables(), output, access);
}

Point3 Vorlith::EvalNormalPerturb(ShadeContext& sc)
{
    VorlithAccess access(mapList, sc, this);
    if (plan.Current()) return EvalPlannedPerturb(plan, access);
    return EvalLayerPerturb(Tables(), access);
}

void Vorlith::SetNumSubTexmaps(int n) { SetNumMaps(n); }

// ISubMap --------------------------------------------------------------------------------------

int Vorlith::NumSubTexmaps() { return mapList.Count(); }

Texmap* Vorlith::GetSubTexmap(int i)
{
    if (i < 0 || i >= mapList.Count()) return NULL;
    return mapList[i];
}

void Vorlith::SetSubTexmap(int i, Texmap* m)
{
    if (i < 0 || i >= 2 * VORLITH_MAX_LAYERS) return;
    // A slot past the end is made with whole new layers (tables, labels and the block's counts
    // in step), so that a later change of the block's counts finds nothing to take back.
    if (i >= mapList.Count()) SetNumMaps(i / 2 + 1);
    ReplaceReference(i + 1, m);
    // A map assigned, replaced or removed shows in the viewport at once.
    ValuesChanged();
    if (paramDlg) paramDlg->UpdateLabels();
}

int Vorlith::SubTexmapOn(int /*i*/) { return 1; }

MSTR Vorlith::GetSubTexmapSlotName(int i)
{
    MSTR name;
    if (i < 0 || i >= 2 * VORLITH_MAX_LAYERS) return name; // no stack has such a slot
    const TCHAR* map = LoadResString(IDS_MAP);
    name.printf(_T("%s %d"), map ? map : _T(""), i + 1);
    return name;
}

BOOL Vorlith::SetDlgThing(ParamDlg* /*dlg*/) { return FALSE; }

ReferenceTarget* Vorlith::GetRefTarget() { return this; }
