// VorlithDlg: its lifetime, the host's ParamDlg calls, what the texture asks of its editor, the
// undo steps of its actions, the refresh and the rollouts' window procedure. The rollouts' own
// messages are in layer_list_rollout.cpp, output_rollout.cpp and about_rollout.cpp.
#include "vorlith_dlg.h"

#include "layer_labels.h"
#include "resource.h"

static VorlithEditor* MakeVorlithDlg(HWND hwMtlEdit, IMtlParams* imp, Vorlith* tex)
{
    return new VorlithDlg(hwMtlEdit, imp, tex);
}

// The library's editor: wired into the texture when the library loads.
static struct WireEditor {
    WireEditor() { Vorlith::SetEditorMaker(MakeVorlithDlg); }
} wireEditor;

// Construction and lifetime ------------------------------------------------------------------

VorlithDlg::VorlithDlg(HWND hwMtlEdit, IMtlParams* imp, Vorlith* m)
    : mtlEditWindow(hwMtlEdit), mtlParams(imp), texture(m), layersRollout(NULL), aboutRollout(NULL),
      outputRollout(NULL), layerScrollBar(NULL), upToDate(false), logoControl(NULL),
      logoImages(NULL), colorDragLayer(-1), colorBeforeDrag(0.0f, 0.0f, 0.0f), rowTips(NULL),
      wheelRest(0)
{
    dadMgr.Init(this);
    for (int r = 0; r < LAYER_ROWS; ++r) {
        mapButtons[r][0] = NULL;
        mapButtons[r][1] = NULL;
        indexEdits[r] = NULL;
    }
    if (!mtlParams) return;
    // Each rollout's procedure also stores its window when it starts (WM_INITDIALOG).
    layersRollout = mtlParams->AddRollupPage(
        hInstance, MAKEINTRESOURCE(IDD_LAYERS),
        RolloutProc<&VorlithDlg::layersRollout, &VorlithDlg::LayersMessage>,
        _T("Map layers parameters"), (LPARAM)this, 0, ROLLUP_CAT_STANDARD);
    outputRollout = mtlParams->AddRollupPage(
        hInstance, MAKEINTRESOURCE(IDD_OUTPUT),
        RolloutProc<&VorlithDlg::outputRollout, &VorlithDlg::OutputMessage>, _T("Output"),
        (LPARAM)this, APPENDROLL_CLOSED, ROLLUP_CAT_STANDARD);
    aboutRollout =
        mtlParams->AddRollupPage(hInstance, MAKEINTRESOURCE(IDD_ABOUT),
                                 RolloutProc<&VorlithDlg::aboutRollout, &VorlithDlg::AboutMessage>,
                                 _T("About"), (LPARAM)this, APPENDROLL_CLOSED, ROLLUP_CAT_STANDARD);
}

// Forgets the dialog in a rollout window that outlives it.
static void Detach(HWND hwnd)
{
    if (IsLive(hwnd)) SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
}

VorlithDlg::~VorlithDlg()
{
    if (texture) texture->ForgetEditor(this);
    ReleaseRowControls();
    Detach(layersRollout);
    Detach(outputRollout);
    Detach(aboutRollout);
    layersRollout = outputRollout = aboutRollout = layerScrollBar = NULL;
    ReleaseAboutImage();
    if (logoImages) {
        ImageList_Destroy(logoImages);
        logoImages = NULL;
    }
}

void VorlithDlg::DeleteThis() { delete this; }

// ParamDlg -----------------------------------------------------------------------------------

Class_ID VorlithDlg::ClassID() { return VORLITH_CLASS_ID; }

void VorlithDlg::SetThing(ReferenceTarget* m)
{
    DbgAssert(m != NULL && m->ClassID() == VORLITH_CLASS_ID);
    DbgAssert(m != NULL && m->SuperClassID() == TEXMAP_CLASS_ID);
    // Only a texture of this class: anything else leaves the dialog as it is.
    if (!m || m->ClassID() != VORLITH_CLASS_ID || m->SuperClassID() != TEXMAP_CLASS_ID) return;
    if (texture) texture->ForgetEditor(this);
    texture = static_cast<Vorlith*>(m);
    texture->SetEditor(this);
    colorDragLayer = -1;
    UpdateControls();
}

ReferenceTarget* VorlithDlg::GetThing() { return texture; }

void VorlithDlg::SetTime(TimeValue /*t*/)
{
    // The material editor's own time, whatever the caller's.
    UpdateTexture();
    UpdateControls();
    if (IsLive(layersRollout)) InvalidateRect(layersRollout, NULL, FALSE);
}

void VorlithDlg::ReloadDialog()
{
    UpdateTexture();
    UpdateControls();
}

void VorlithDlg::ActivateDlg(BOOL /*onOff*/) { }

int VorlithDlg::FindSubTexFromHWND(HWND hwnd)
{
    if (!texture || !hwnd) return -1;
    for (int r = 0; r < LAYER_ROWS; ++r) {
        for (int k = 0; k < 2; ++k) {
            if (mapButtons[r][k] && mapButtons[r][k]->GetHwnd() == hwnd) {
                const int layer = FirstRowLayer() + r;
                return HasLayer(layer) ? 2 * layer + k : -1;
            }
        }
    }
    return -1;
}

int VorlithDlg::FindSubMtlFromHWND(HWND /*hwnd*/) { return -1; }

INT_PTR VorlithDlg::Execute(int /*cmd*/, ULONG_PTR /*arg1*/, ULONG_PTR /*arg2*/, ULONG_PTR /*arg3*/)
{
    return 0;
}

// VorlithEditor ------------------------------------------------------------------------------

// Both rollouts are marked: whichever of them is open reloads the editor when it next paints,
// whether the other is open or closed.
void VorlithDlg::Invalidate()
{
    upToDate = false;
    RECT corner = {0, 0, 10, 10};
    if (IsLive(layersRollout)) InvalidateRect(layersRollout, &corner, FALSE);
    if (IsLive(outputRollout)) InvalidateRect(outputRollout, &corner, FALSE);
}

// A rollout paints: a change the texture told of is shown now, once.
void VorlithDlg::ReloadIfInvalid()
{
    if (!upToDate) {
        upToDate = true;
        ReloadDialog();
    }
}

int VorlithDlg::FirstRowLayer() const
{
    return texture ? texture->FirstVisibleLayer(LAYER_ROWS) : 0;
}

IMtlParams* VorlithDlg::GetMtlParams() { return mtlParams; }

ParamDlg* VorlithDlg::GetParamDlg() { return this; }

// A layer the rows can show: inside the stack and inside every per-layer table (a script can
// leave the tables shorter than the stack).
bool VorlithDlg::HasLayer(int layer) const
{
    return texture && layer >= 0 && layer < texture->NumUsableLayers();
}

void VorlithDlg::UpdateTexture()
{
    if (!texture) return;
    Interval scratch(TIME_NegInfinity, TIME_NegInfinity);
    texture->Update(mtlParams ? mtlParams->GetTime() : 0, scratch);
}

// Every action of the editor is one undo step, named for the user: what the texture's
// operations record between BeginStep and AcceptStep (its values before each change, the
// references and block counts a layer operation changes). An action that changed nothing
// leaves no step.
void VorlithDlg::BeginStep() { theHold.Begin(); }

void VorlithDlg::AcceptStep(int labelId) { theHold.Accept(ResString(labelId).data()); }

void VorlithDlg::TellMaterialEditor()
{
    if (mtlParams) mtlParams->MtlChanged();
}

// The refresh --------------------------------------------------------------------------------

// The texture brought up to date and its labels written where the rows show it (the texture's
// operations), then the refresh.
void VorlithDlg::UpdateControls()
{
    if (!texture) return;
    UpdateTexture();
    texture->LabelForEditor(FirstRowLayer(), LAYER_ROWS);
    Refresh();
}

// The refresh: every control of both rollouts from the texture. It only reads.
void VorlithDlg::Refresh()
{
    if (!texture) return;
    RefreshLayerList();
    RefreshOutput();
}

// The labels written again (a sub-map was assigned or renamed) and the rows' texts shown.
void VorlithDlg::UpdateLabels()
{
    if (!texture) return;
    texture->LabelForEditor(FirstRowLayer(), LAYER_ROWS);
    RefreshRowTexts();
    RefreshOutput();
}

// Rollout window procedures ------------------------------------------------------------------

// The dialog is taken from WM_INITDIALOG's parameter and kept in the window, and read back for
// every other message; a window without one (before WM_INITDIALOG, after the dialog went)
// answers FALSE.
template <HWND VorlithDlg::*Window, VorlithDlg::RolloutHandler Handler>
INT_PTR CALLBACK VorlithDlg::RolloutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) SetWindowLongPtr(hwnd, GWLP_USERDATA, (LONG_PTR)lParam);
    VorlithDlg* dlg = (VorlithDlg*)GetWindowLongPtr(hwnd, GWLP_USERDATA);
    if (!dlg) return FALSE;
    if (msg == WM_INITDIALOG) dlg->*Window = hwnd;
    return (dlg->*Handler)(hwnd, msg, wParam, lParam);
}
