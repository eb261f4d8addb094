// Vorlith: the layered texture. It owns the layer stack (maps and masks as references, the
// per-layer switches, opacities, colours and blend modes) and the Output settings, answers the
// host's questions about its sub-maps and references, keeps its validity, saves and loads its
// layers and hands every shading sample to the compositing engine.
#pragma once

#include "max.h"
#include "imtl.h"
#include "iparamb2.h"

#include "ivorlith.h"
#include "layer_plan.h"
#include "layer_stack.h"
#include "output_stage.h"
#include "vorlith_layer_values.h"
#include "vorlith_classdesc.h"

class Vorlith;
class IHardwareMaterial;
struct VorlithValues;

// What the texture asks of its open editor. The editor dialog implements it and makes itself
// the texture's editor (SetEditor) while it shows the texture.
class VorlithEditor {
public:
    // Marks the editor out of date: it reloads its controls when it next paints.
    virtual void Invalidate() = 0;
    // Rewrites the layer rows' texts and the sub-maps' labels.
    virtual void UpdateLabels() = 0;
    // Brings every control in line with the texture.
    virtual void UpdateControls() = 0;
    // The material editor's interface the editor was opened with.
    virtual IMtlParams* GetMtlParams() = 0;
    // The editor as the host sees it.
    virtual ParamDlg* GetParamDlg() = 0;

protected:
    ~VorlithEditor() { }
};

// Makes the editor of a texture for the material editor's window and interface. The library
// wires the editor's maker in when it loads; without one a texture has no editor.
typedef VorlithEditor* (*VorlithEditorMaker)(HWND hwMtlEdit, IMtlParams* imp, Vorlith* tex);

// The published layer interface, answered by GetInterface(VORLITH_LAYERS_INTERFACE). Each setter
// is an edit as the editor makes it: value changed, validity emptied, dependents notified.
class VorlithLayersInterface : public IVorlithLayers {
public:
    explicit VorlithLayersInterface(Vorlith* owner);

    Interface_ID GetID() override;

    int GetNumLayers() override;
    void SetNumLayers(int count) override;
    void InsertLayer(int index) override;
    void DeleteLayer(int index) override;
    void SwapLayers(int a, int b) override;

    BOOL GetMapEnabled(int layer) override;
    void SetMapEnabled(int layer, BOOL on) override;
    BOOL GetMaskEnabled(int layer) override;
    void SetMaskEnabled(int layer, BOOL on) override;
    BOOL GetLayerUsed(int layer) override;
    void SetLayerUsed(int layer, BOOL on) override;
    float GetOpacity(int layer) override;
    void SetOpacity(int layer, float percent) override;
    Color GetLayerColor(int layer) override;
    void SetLayerColor(int layer, Color c) override;
    int GetBlendMode(int layer) override;
    void SetBlendMode(int layer, int mode) override;

    BOOL GetOutputEnabled() override;
    void SetOutputEnabled(BOOL on) override;
    Point3 GetOutputShiftHSV() override;
    void SetOutputShiftHSV(Point3 hsv) override;
    Point3 GetOutputShiftRGB() override;
    void SetOutputShiftRGB(Point3 rgb) override;
    float GetOutputAlpha() override;
    void SetOutputAlpha(float shift) override;
    float GetOutputBrightness() override;
    void SetOutputBrightness(float factor) override;
    float GetOutputContrast() override;
    void SetOutputContrast(float factor) override;
    float GetOutputGamma() override;
    void SetOutputGamma(float gamma) override;
    BOOL GetOutputMono() override;
    void SetOutputMono(BOOL on) override;
    BOOL GetOutputClamp() override;
    void SetOutputClamp(BOOL on) override;
    int GetBlendSpace(int layer) override;
    void SetBlendSpace(int layer, int space) override;

    void DuplicateLayer(int index) override;
    void MoveLayer(int index, int to) override;
    void ClearLayerMap(int layer) override;
    void ClearLayerMask(int layer) override;
    void CopyLayer(int layer) override;
    BOOL CanPasteLayer() override;
    void PasteLayer(int index) override;
    void ClearLayerClipboard() override;

private:
    Vorlith* tex;
};

// Runs when a scene has been loaded, after every reference is restored.
class VorlithPostLoad : public PostLoadCallback {
public:
    explicit VorlithPostLoad(Vorlith* owner) : tex(owner) { }
    void proc(ILoad* iload) override;

private:
    Vorlith* tex;
};

class Vorlith : public MultiTex {
public:
    enum { kMaxViewportStages = 4 };

    Vorlith();
    ~Vorlith();

    // Animatable
    void DeleteThis() override;
    void GetClassName(MSTR& s) override;
    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    int NumSubs() override;
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i) override;
    int SubNumToRefNum(int subNum) override;
    int NumParamBlocks() override;
    IParamBlock2* GetParamBlock(int i) override;
    IParamBlock2* GetParamBlockByID(BlockID id) override;
    BaseInterface* GetInterface(Interface_ID id) override;
    using MultiTex::GetInterface;

    // ReferenceMaker
    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;

protected:
    void SetReference(int i, RefTargetHandle rtarg) override;

public:
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;
#else
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
#endif

    // ReferenceTarget
    RefTargetHandle Clone(RemapDir& remap) override;

    // MtlBase
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;

    // Viewport display (vorlith_viewport.cpp): up to four layers' maps as texture stages.
    BOOL SupportTexDisplay() override;
    void ActivateTexDisplay(BOOL onoff) override;
    BOOL SupportsMultiMapsInViewport() override;
    void SetupGfxMultiMaps(TimeValue t, Material* mtl, MtlMakerCallback& cb) override;

    // Texmap
    AColor EvalColor(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;
    bool IsLocalOutputMeaningful(ShadeContext& sc) override;

    // MultiTex: n is the number of layers.
    void SetNumSubTexmaps(int n) override;

    // ISubMap
    int NumSubTexmaps() override;
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    int SubTexmapOn(int i) override;
    MSTR GetSubTexmapSlotName(int i) override;
    BOOL SetDlgThing(ParamDlg* dlg) override;
    ReferenceTarget* GetRefTarget() override;

    // Layer list: the only code that changes the number or order of layers. Each operation is
    // recorded for undo while the host holds, and tells once; one that changes nothing (a
    // count as it is, a layer swapped with itself) records and tells nothing.
    int NumLayers() const { return mapList.Count() / 2; }
    // The layers every per-layer table holds: NumLayers() while the tables are in step, fewer
    // when a table is shorter. Evaluation, saving and the published interface use no others.
    int NumUsableLayers() const { return Tables().layers; }
    // The tables as the engine reads them, with the number of usable layers.
    LayerTables Tables() const;
    void SetNumMaps(int n);

    // The sub-map of mapList entry i (the map of layer i / 2, or its mask when i is odd), or
    // null.
    Texmap* MapEntry(int i) const { return i >= 0 && i < mapList.Count() ? mapList[i] : NULL; }

    // A per-layer value of a usable layer; the new-layer value for any other index.
    template <int Id>
    typename LayerValue<Id>::Type GetLayerValue(int layer) const
    {
        if (layer < 0 || layer >= NumUsableLayers()) return LayerValue<Id>::NewValue();
        return LayerValue<Id>::Table(layerValues)[layer];
    }
    // Sets a per-layer value of a usable layer as the value's rule takes it (a value the rule
    // refuses, or a layer outside the stack, changes nothing): recorded for undo while the host
    // holds, stored, and told once. A value equal to the one the layer has changes nothing and
    // records and tells nothing. True when the value changed.
    template <int Id>
    bool SetLayerValue(int layer, typename LayerValue<Id>::Type value)
    {
        typedef typename LayerValue<Id>::Type Type;
        Type stored;
        if (layer < 0 || layer >= NumUsableLayers() || !LayerValue<Id>::Rule::Accept(value, stored))
            return false;
        Tab<Type>& table = LayerValue<Id>::Table(layerValues);
        if (SameValue(table[layer], stored)) return false;
        HoldLayers();
        table[layer] = stored;
        LayersEdited();
        return true;
    }
    // SetLayerValue for a value the editor has been showing while a control was dragged
    // (stored without a record at each step): the undo step goes from before to value.
    template <int Id>
    bool SetLayerValueAfterDrag(int layer, typename LayerValue<Id>::Type before,
                                typename LayerValue<Id>::Type value)
    {
        typedef typename LayerValue<Id>::Type Type;
        if (layer < 0 || layer >= NumUsableLayers()) return false;
        Tab<Type>& table = LayerValue<Id>::Table(layerValues);
        if (!SameValue(table[layer], before)) {
            // Back to where the step starts, quietly: the record below holds it.
            table[layer] = before;
            ValuesChanged();
        }
        return SetLayerValue<Id>(layer, value);
    }
    void SwapLayers(int a, int b);
    void InsertLayer(int k);
    void DeleteLayer(int k);
    void ResetLayers();
    // The row menu's actions (vorlith_layer_actions.cpp), operations as those above: one record,
    // told once, nothing recorded or told when they change nothing. The base layer (0) is never
    // moved, and no layer goes below it. Each answers the layer it changed or made, -1 for none.
    // A copy of layer k (values, copies of its map and mask) directly above it.
    int DuplicateLayer(int k);
    // Layer k to index to (both 1 .. layers - 1); the layers between move one step.
    int MoveLayer(int k, int to);
    // Layer k's map (mask true: its mask) out of the stack.
    int ClearLayerMap(int k, bool mask);
    // Layer k into the library's layer clipboard (no edit: nothing recorded or told).
    bool CopyLayer(int k);
    // A new layer at index at (1 .. layers) from the layer clipboard.
    int PasteLayer(int at);

    // Gives the viewport's hardware textures back and marks the stages for a rebuild.
    void DiscardTexHandles();

    // The maker CreateParamDlg asks for the editor.
    static void SetEditorMaker(VorlithEditorMaker maker);
    // The editor that shows the texture (null when none); an editor that goes forgets itself.
    VorlithEditor* Editor() const { return paramDlg; }
    void SetEditor(VorlithEditor* shown) { paramDlg = shown; }
    void ForgetEditor(VorlithEditor* gone)
    {
        if (paramDlg == gone) paramDlg = NULL;
    }

    // The layer in the editor's top row: 0 to max(0, layers - rows). Where the editor shows
    // the stack is the texture's (a copy shows it there too), but it is no edit: no undo step,
    // no message.
    int FirstVisibleLayer(int rows) const;
    void ShowLayersFrom(int first, int rows);

    // What the editor writes into the scene where it shows layers first to first + rows - 1:
    // each row's index label into the block (written only when it differs), each layer's
    // label ("L: 2, Screen, 50 | name") into its map's and mask's names, and 0 into the unused
    // fourth components of the Output shifts.
    void LabelForEditor(int first, int rows);

    // The Output settings, and their one setter: recorded for undo while the host holds,
    // stored and told once; settings equal to the texture's change nothing and record and tell
    // nothing. The caller has checked the values (finite, gamma at the lowest or above).
    const OutputSettings& Output() const { return output; }
    bool SetOutput(const OutputSettings& next);

    // After a scene load: mapList holds as many entries as the block's mapList count, the ones
    // the scene restored no map for empty.
    void FinishLoad();

private:
    // Two entries per layer: the map at 2i, the mask at 2i + 1. Entry k is reference k + 1.
    Tab<Texmap*> mapList;
    // The per-layer values (vorlith_layer_values.h), one entry per layer each.
    LayerValueTables layerValues;
    Interval ivalid; // validity at the last Update; empty after every change
    int firstVisible; // the layer in the editor's top row (FirstVisibleLayer)
    VorlithEditor* paramDlg; // the open editor, not owned; null when none
    OutputSettings output; // Output_on, Clamp, alpha, Mono, bright, contrast, gamma, shifts
    IParamBlock2* pblock; // reference 0

    // Viewport display: the hardware textures of stages 0 to 3 (ours; null where none), the
    // layer each stage in use shows, how many stages are in use, and FOREVER once the stages
    // are built, NEVER after a discard.
    TexHandle* texHandle[kMaxViewportStages];
    int stageLayer[kMaxViewportStages];
    int numStagesUsed;
    Interval texHandleValid;

    friend struct VorlithValues; // the undo record (vorlith_undo.cpp)

    // The three steps of every operation that changes the texture's own values (tables, map
    // list, Output settings). HoldLayers, first: while the host is holding, a record of them for
    // undo. LayersEdited, last: validity emptied, viewport textures discarded, an open editor
    // reloads, the dependents hear REFMSG_CHANGE (the texture's writes send it no message of its
    // own). ValuesChanged: what was worked out from the values and sub-maps (validity, layer
    // plan, viewport stages) goes; part of LayersEdited and of every change the texture makes
    // itself.
    void HoldLayers();
    void LayersEdited();
    void ValuesChanged();

    RefResult HandleRefChanged(RefTargetHandle hTarget, PartID& partID, RefMessage message);
    void SetLayerLabel(int layer);
    void StoreIndexLabel(int layer, const MCHAR* text);
    void NameLayerMaps(int layer);
    bool ResizeStack(int n);
    void ExchangeLayers(int a, int b);
    void LabelIfUnlabelled(int layer);
    // The layer plan the evaluations follow (vorlith_plan.cpp): built by Update, dropped by
    // every change of the tables, the sub-maps or the Output settings. Without a current plan
    // the evaluations walk the tables directly.
    void BuildPlan();
    // A new layer at index at (1 .. layers) with entry entry of values and the map and mask
    // given, under the caller's record; -1 when the stack can take none.
    int AddLayerAt(int at, const LayerValueTables& values, int entry, Texmap* map, Texmap* mask);
    bool CanAddLayer() const;

    LayerPlan plan;

    void ClearTexDisplay();
    int PickViewportLayers(int cap, bool needUsed, Texmap* maps[kMaxViewportStages]);
    Texmap* ReusableStageMap(int stage);
    void SetupHardwareStages(TimeValue t, IHardwareMaterial* hw, Material& mtl,
                             MtlMakerCallback& cb);
    void SetupRecordStages(TimeValue t, Material& mtl, MtlMakerCallback& cb);

    // The sub-map each stage was built from, compared (never followed) when stages are reused.
    Texmap* stageMap[kMaxViewportStages];

    VorlithLayersInterface layersInterface;
    VorlithPostLoad postLoad;
};
