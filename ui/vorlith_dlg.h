// VorlithDlg: the texture's editor in the material editor. It adds three rollouts: the layer
// list ("Map layers parameters", six rows onto the layer stack), "Output" and "About". Its
// actions change the texture through the texture's operations, one undo step each; then every
// control is brought in line with the texture again (the refresh only reads). It keeps no copy
// of layer data.
#pragma once

#include "max.h"

#include <commctrl.h>

#include "layer_rows.h"
#include "vorlith.h"

// A window that is there (not null, not destroyed).
inline bool IsLive(HWND hwnd) { return hwnd != NULL && IsWindow(hwnd) != FALSE; }

class VorlithDlg : public ParamDlg, public VorlithEditor {
public:
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
    void UpdateLabels() override;
    void UpdateControls() override;
    IMtlParams* GetMtlParams() override;
    ParamDlg* GetParamDlg() override;

private:
    HWND mtlEditWindow; // the material editor's window
    IMtlParams* mtlParams; // the material editor's interface
    Vorlith* texture; // the texture shown, not owned
    HWND layersRollout; // the rollouts' windows; null once destroyed
    HWND aboutRollout;
    HWND outputRollout;
    HWND layerScrollBar; // the layer rows' scroll bar
    bool upToDate; // false: reload the controls at the next paint
    ICustButton* mapButtons[LAYER_ROWS][2]; // per row: map button, mask button
    ICustEdit* indexEdits[LAYER_ROWS]; // per row: index field
    ICustImage* logoControl; // the About rollout's logo control
    HIMAGELIST logoImages; // the logo, one 160 x 56 image
    TexDADMgr dadMgr; // drag and drop of maps between the buttons
    // A colour being dragged: the layer and its colour before the drag, for the undo step.
    int colorDragLayer;
    Color colorBeforeDrag;
    HWND rowTips; // the rows' tooltips, owned by the rollout
    int wheelRest; // wheel turned over the rows short of a notch
    MSTR tipText; // the tooltip text last given out

    typedef INT_PTR (VorlithDlg::*RolloutHandler)(HWND hwnd, UINT msg, WPARAM wParam,
                                                  LPARAM lParam);
    // A rollout's window procedure: on WM_INITDIALOG it keeps the rollout's window in Window and
    // the dialog in the window (GWLP_USERDATA); every message goes to Handler of that dialog.
    template <HWND VorlithDlg::*Window, RolloutHandler Handler>
    static INT_PTR CALLBACK RolloutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Layer-list rollout (layer_list_rollout.cpp)
    INT_PTR LayersMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void InitLayers(HWND hwnd);
    void ReleaseRowControls();
    void OnLayersCommand(int id, int code);
    void OnSwitch(int row, RowControl kind, int id);
    void OnMapButton(int row, RowControl kind);
    void LayerListStep(int labelId, void (Vorlith::*operation)(int), int argument);
    void OnSetNumber();
    void OnAdd();
    void OnDelete();
    void OnOpacitySpinnerUp(int id);
    void OnColorChange(int id, BOOL released);
    void OnLayersEnter(int id);
    void MoveLayer(int row);
    // Moves the rows: code SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBPOSITION or
    // SB_THUMBTRACK (to pos); other codes change nothing.
    void OnScroll(int code, int pos);
    // Stores the mode selected in the list of row r.
    void OnModeSelected(int row);
    void RefreshLayerList();
    void RefreshRowTexts();
    void RefreshRow(int row, int layer);
    void ShowRow(int row);
    void HideRow(int row);
    void SetRowControl(int row, RowControl kind, bool shown, bool enabled);
    void SetSwatch(int row, int layer);
    void SetScrollBar();

    // Row menu, wheel and tooltips (row_menu.cpp)
    void InitRowExtras(HWND hwnd);
    int RowOfControl(HWND control, RowControl& kind) const;
    bool RowActionAllowed(int action, int layer) const;
    bool InDisplaySpace(int layer) const;
    bool OnRowContextMenu(HWND from, LPARAM where);
    bool OnRowMenuCommand(int id);
    void ShowLayerInRows(int layer);
    bool OnRowsWheel(WPARAM wParam, LPARAM lParam);
    MSTR RowTip(HWND control) const;
    bool OnRowTipNeeded(NMHDR* header);

    // The dialog (vorlith_dlg.cpp)
    int FirstRowLayer() const;
    bool HasLayer(int layer) const;
    void UpdateTexture();
    void Refresh();
    void ReloadIfInvalid();
    void BeginStep();
    void AcceptStep(int labelId);
    void TellMaterialEditor();

    // Output rollout (output_rollout.cpp)
    INT_PTR OutputMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void InitOutput(HWND hwnd);
    void OnOutputCommand(int id);
    void OnOutputValue(int id);
    void EnableOutputControls(bool on);
    void RefreshOutput();

    // About rollout (about_rollout.cpp)
    INT_PTR AboutMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void ReleaseAboutImage();

    VorlithDlg(const VorlithDlg&);
    VorlithDlg& operator=(const VorlithDlg&);
};
