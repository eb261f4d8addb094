// VorlithDlg: the texture's editor in the material editor. It adds three rollouts: the layer
// list ("Map layers parameters", six rows onto the layer stack), "Output" and "About". It writes
// straight into the texture's tables and Output settings, then brings every control in line
// with the texture again; it keeps no copy of layer data.
#pragma once

#include "max.h"

#include <commctrl.h>

#include "layer_rows.h"
#include "vorlith.h"

class VorlithDlg : public ParamDlg, public VorlithEditor {
public:
    HWND hwmedit;                               // the material editor's window
    IMtlParams* ip;                             // the material editor's interface
    Vorlith* theTex;                            // the texture shown, not owned
    HWND hPanel;                                // layer-list rollout
    HWND hAbout;                                // About rollout
    HWND hOutput;                               // Output rollout
    HWND hScroll;                               // the layer rows' scroll bar
    int valid;                                  // 0: reload the controls at the next paint
    ICustButton* mapButtons[LAYER_ROWS][2];     // per row: map button, mask button
    ICustEdit* indexEdits[LAYER_ROWS];          // per row: index field
    ICustImage* aboutImage;                     // the About rollout's logo control
    HIMAGELIST aboutImages;                     // the logo, one 160 x 56 image
    TexDADMgr dadMgr;                           // drag and drop of maps between the buttons

    VorlithDlg(HWND hwMtlEdit, IMtlParams* imp, Vorlith* m);
    ~VorlithDlg();

    // ParamDlg
    Class_ID ClassID() override;
    void SetThing(ReferenceTarget* m) override;
    ReferenceTarget* GetThing() override;
    void SetTime(TimeValue t) override;
    void ReloadDialog() override;
    void DeleteThis() override;
    void ActivateDlg(BOOL onOff) override;
    int FindSubTexFromHWND(HWND hwnd) override;
    int FindSubMtlFromHWND(HWND hwnd) override;
    INT_PTR Execute(int cmd, ULONG_PTR arg1, ULONG_PTR arg2, ULONG_PTR arg3) override;

    // VorlithEditor
    void Invalidate() override;
    // A rollout that shows values paints: the controls reload when the dialog was marked.
    void PaintingRollout();
    void UpdateLabels() override;
    void UpdateControls() override;
    IMtlParams* GetMtlParams() override;
    ParamDlg* GetParamDlg() override;

    // The visible rows' colour swatches from colorList.
    void UpdateColors();
    // Moves the rows: code SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBPOSITION or
    // SB_THUMBTRACK (to pos); other codes change nothing.
    void OnScroll(int code, int pos);
    // Stores the mode selected in the list of row r.
    void OnModeSelected(int row);

private:
    typedef INT_PTR (VorlithDlg::*RolloutHandler)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // A rollout's window procedure: on WM_INITDIALOG it keeps the rollout's window in Window and
    // the dialog in the window (GWLP_USERDATA); every message goes to Handler of that dialog.
    template <HWND VorlithDlg::*Window, RolloutHandler Handler>
    static INT_PTR CALLBACK RolloutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Layer-list rollout
    INT_PTR LayersMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void InitLayers(HWND hwnd);
    void ReleaseRowControls();
    void OnLayersCommand(int id, int code);
    void OnSwitch(int row, RowControl kind, int id);
    void OnMapButton(int row, RowControl kind);
    void OnSetNumber();
    void OnAdd();
    void OnDelete();
    void OnOpacitySpinnerUp(int id);
    void OnColorChange(int id, BOOL released);
    void OnLayersEnter(int id);
    bool MoveLayer(int row);
    void LabelRow(int row, int layer);
    void StoreIndexLabel(int layer, const MCHAR* text);
    void ShowRow(int row);
    void HideRow(int row);
    void SetRowControl(int row, RowControl kind, bool shown, bool enabled);
    void SetSwatch(int row, int layer);
    void SetScrollBar();
    void ClampFirstVisible();
    bool HasLayer(int layer) const;
    void UpdateTexture();
    void Edited();
    void BeginStep();
    void BeginValueStep();
    void AcceptStep(int labelId);
    void TellMaterialEditor();

    // Output rollout (output_rollout.cpp)
    INT_PTR OutputMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void InitOutput(HWND hwnd);
    void OnOutputCommand(int id);
    void OnOutputValue(int id);
    void EnableOutputControls(bool on);
    void RefreshOutput();

    // About rollout
    INT_PTR AboutMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void ReleaseAboutImage();

    // A colour being dragged: the layer and its colour before the drag, for the undo record.
    int colorDragLayer;
    Color colorBeforeDrag;

    VorlithDlg(const VorlithDlg&);
    VorlithDlg& operator=(const VorlithDlg&);
};
