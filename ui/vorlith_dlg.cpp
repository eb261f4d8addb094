// VorlithDlg: construction, the host's ParamDlg calls, the refresh of the layer rows and the
// messages of the layer-list and About rollouts.
#include "vorlith_dlg.h"

#include "blend_modes.h"
#include "count_dialogs.h"
#include "layer_labels.h"
#include "resource.h"
#include "vorlith_params.h"
#include "vorlith_values.h"

// Set Number offers at least this many layers at its top.
static const int kSetNumberMaximum = 1000;
// The logo's size in pixels.
static const int kLogoWidth = 160;
static const int kLogoHeight = 56;

static bool IsLive(HWND hwnd)
{
    return hwnd != NULL && IsWindow(hwnd) != FALSE;
}

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
    : hwmedit(hwMtlEdit), ip(imp), theTex(m), hPanel(NULL), hAbout(NULL), hOutput(NULL),
      hScroll(NULL), valid(0), aboutImage(NULL), aboutImages(NULL), colorDragLayer(-1),
      colorBeforeDrag(0.0f, 0.0f, 0.0f)
{
    dadMgr.Init(this);
    for (int r = 0; r < LAYER_ROWS; ++r) {
        mapButtons[r][0] = NULL;
        mapButtons[r][1] = NULL;
        indexEdits[r] = NULL;
    }
    if (!ip)
        return;
    // Each rollout's procedure also stores its window when it starts (WM_INITDIALOG).
    hPanel = ip->AddRollupPage(hInstance, MAKEINTRESOURCE(IDD_LAYERS),
                               RolloutProc<&VorlithDlg::hPanel, &VorlithDlg::LayersMessage>,
                               _T("Map layers parameters"), (LPARAM)this, 0, ROLLUP_CAT_STANDARD);
    hOutput = ip->AddRollupPage(hInstance, MAKEINTRESOURCE(IDD_OUTPUT),
                                RolloutProc<&VorlithDlg::hOutput, &VorlithDlg::OutputMessage>,
                                _T("Output"), (LPARAM)this, APPENDROLL_CLOSED, ROLLUP_CAT_STANDARD);
    hAbout = ip->AddRollupPage(hInstance, MAKEINTRESOURCE(IDD_ABOUT),
                               RolloutProc<&VorlithDlg::hAbout, &VorlithDlg::AboutMessage>,
                               _T("About"), (LPARAM)this, APPENDROLL_CLOSED, ROLLUP_CAT_STANDARD);
}

// Forgets the dialog in a rollout window that outlives it.
static void Detach(HWND hwnd)
{
    if (IsLive(hwnd))
        SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
}

VorlithDlg::~VorlithDlg()
{
    if (theTex && theTex->paramDlg == static_cast<VorlithEditor*>(this))
        theTex->paramDlg = NULL;
    ReleaseRowControls();
    Detach(hPanel);
    Detach(hOutput);
    Detach(hAbout);
    hPanel = hOutput = hAbout = hScroll = NULL;
    ReleaseAboutImage();
    if (aboutImages) {
        ImageList_Destroy(aboutImages);
        aboutImages = NULL;
    }
}

void VorlithDlg::DeleteThis()
{
    delete this;
}

// ParamDlg -----------------------------------------------------------------------------------

Class_ID VorlithDlg::ClassID()
{
    return VORLITH_CLASS_ID;
}

void VorlithDlg::SetThing(ReferenceTarget* m)
{
    DbgAssert(m != NULL && m->ClassID() == VORLITH_CLASS_ID);
    DbgAssert(m != NULL && m->SuperClassID() == TEXMAP_CLASS_ID);
    // Only a texture of this class: anything else leaves the dialog as it is.
    if (!m || m->ClassID() != VORLITH_CLASS_ID || m->SuperClassID() != TEXMAP_CLASS_ID)
        return;
    if (theTex && theTex->paramDlg == static_cast<VorlithEditor*>(this))
        theTex->paramDlg = NULL;
    theTex = static_cast<Vorlith*>(m);
    theTex->paramDlg = this;
    colorDragLayer = -1;
    UpdateControls();
}

ReferenceTarget* VorlithDlg::GetThing()
{
    return theTex;
}

void VorlithDlg::SetTime(TimeValue /*t*/)
{
    // The material editor's own time, whatever the caller's.
    UpdateTexture();
    UpdateControls();
    if (IsLive(hPanel))
        InvalidateRect(hPanel, NULL, FALSE);
}

void VorlithDlg::ReloadDialog()
{
    UpdateTexture();
    UpdateControls();
}

void VorlithDlg::ActivateDlg(BOOL /*onOff*/)
{
}

int VorlithDlg::FindSubTexFromHWND(HWND hwnd)
{
    if (!theTex || !hwnd)
        return -1;
    for (int r = 0; r < LAYER_ROWS; ++r) {
        for (int k = 0; k < 2; ++k) {
            if (mapButtons[r][k] && mapButtons[r][k]->GetHwnd() == hwnd) {
                const int layer = theTex->firstVisible + r;
                return HasLayer(layer) ? 2 * layer + k : -1;
            }
        }
    }
    return -1;
}

int VorlithDlg::FindSubMtlFromHWND(HWND /*hwnd*/)
{
    return -1;
}

INT_PTR VorlithDlg::Execute(int /*cmd*/, ULONG_PTR /*arg1*/, ULONG_PTR /*arg2*/, ULONG_PTR /*arg3*/)
{
    return 0;
}

// VorlithEditor ------------------------------------------------------------------------------

// Every open rollout that shows values is marked, so whichever paints first reloads them all,
// whether the other is open or not.
void VorlithDlg::Invalidate()
{
    valid = 0;
    RECT corner = {0, 0, 10, 10};
    if (IsLive(hPanel))
        InvalidateRect(hPanel, &corner, FALSE);
    if (IsLive(hOutput))
        InvalidateRect(hOutput, &corner, FALSE);
}

// Change notifications only mark the dialog; it reloads once, when a rollout next paints.
void VorlithDlg::PaintingRollout()
{
    if (!valid) {
        valid = 1;
        ReloadDialog();
    }
}

IMtlParams* VorlithDlg::GetMtlParams()
{
    return ip;
}

ParamDlg* VorlithDlg::GetParamDlg()
{
    return this;
}

// A layer the rows can show: inside the stack and inside every per-layer table (a script can
// leave the tables shorter than the stack).
bool VorlithDlg::HasLayer(int layer) const
{
    return theTex && layer >= 0 && layer < theTex->NumUsableLayers();
}

void VorlithDlg::UpdateTexture()
{
    if (!theTex)
        return;
    Interval scratch(TIME_NegInfinity, TIME_NegInfinity);
    theTex->Update(ip ? ip->GetTime() : 0, scratch);
}

// After a write of the texture's tables or Output settings.
void VorlithDlg::Edited()
{
    if (theTex)
        theTex->LayersEdited();
}

// Every action of the editor is one undo step, named for the user: what it records between
// BeginStep and AcceptStep (the texture's values before each write, the references and block
// counts a layer operation changes). An action that changed nothing leaves no step.
void VorlithDlg::BeginStep()
{
    theHold.Begin();
}

// A step that writes the texture's values directly: their record is put first.
void VorlithDlg::BeginValueStep()
{
    BeginStep();
    theTex->HoldLayers();
}

void VorlithDlg::AcceptStep(int labelId)
{
    if (theTex && theTex->HeldStepChangesNothing())
        theHold.Cancel();
    else
        theHold.Accept(ResString(labelId).data());
}

void VorlithDlg::TellMaterialEditor()
{
    if (ip)
        ip->MtlChanged();
}

// The refresh --------------------------------------------------------------------------------

// Keeps the rows inside the stack: 0 <= firstVisible <= max(0, layers - 6).
void VorlithDlg::ClampFirstVisible()
{
    const int layers = theTex->NumLayers();
    if (theTex->firstVisible > layers - LAYER_ROWS)
        theTex->firstVisible = layers - LAYER_ROWS;
    if (theTex->firstVisible < 0)
        theTex->firstVisible = 0;
}

void VorlithDlg::SetScrollBar()
{
    if (!theTex || !IsLive(hScroll))
        return;
    const int layers = theTex->NumLayers();
    const int last = layers > LAYER_ROWS ? layers - LAYER_ROWS : 0;
    SetScrollRange(hScroll, SB_CTL, 0, last, FALSE);
    SetScrollPos(hScroll, SB_CTL, theTex->firstVisible, TRUE);
    EnableWindow(hScroll, layers > LAYER_ROWS ? TRUE : FALSE);
}

void VorlithDlg::UpdateControls()
{
    if (!theTex)
        return;
    ClampFirstVisible();
    SetScrollBar();
    UpdateTexture();
    UpdateLabels();
    if (!IsLive(hPanel))
        return;
    const int layers = theTex->NumLayers();
    TCHAR count[16];
    _sntprintf(count, sizeof(count) / sizeof(count[0]), _T("%d"), layers);
    count[sizeof(count) / sizeof(count[0]) - 1] = 0;
    SetDlgItemText(hPanel, IDC_LAYER_COUNT, count);
    const int shown = layers < LAYER_ROWS ? layers : LAYER_ROWS;
    for (int r = 0; r < LAYER_ROWS; ++r) {
        if (r < shown)
            ShowRow(r);
        else
            HideRow(r);
    }
}

// Shows or hides one control of a row and enables or disables it.
void VorlithDlg::SetRowControl(int row, RowControl kind, bool shown, bool enabled)
{
    HWND control = GetDlgItem(hPanel, kRowControlIds[kind][row]);
    if (!control)
        return;
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    const BOOL on = enabled ? TRUE : FALSE;
    if (ICustButton* button = GetICustButton(control)) {
        button->Enable(on);
        ReleaseICustButton(button);
    } else if (ICustEdit* edit = GetICustEdit(control)) {
        edit->Enable(on);
        ReleaseICustEdit(edit);
    } else if (ISpinnerControl* spin = GetISpinner(control)) {
        spin->Enable(on);
        ReleaseISpinner(spin);
    } else if (IColorSwatch* swatch = GetIColorSwatch(control)) {
        swatch->Enable(on);
        ReleaseIColorSwatch(swatch);
    } else {
        EnableWindow(control, on);
    }
}

void VorlithDlg::HideRow(int row)
{
    for (int k = 0; k < ROW_CONTROL_KINDS; ++k)
        SetRowControl(row, (RowControl)k, false, true);
}

void VorlithDlg::ShowRow(int row)
{
    const int layer = theTex->firstVisible + row;
    if (!HasLayer(layer)) {
        HideRow(row);
        return;
    }
    if (layer == 0) {
        // The base layer: always composited, so no used switch, opacity or mode. Its map and
        // mask buttons follow their switches; the switches and the swatch stay enabled.
        SetRowControl(row, ROW_FRAME, true, true);
        SetRowControl(row, ROW_INDEX, true, false);
        SetRowControl(row, ROW_USED, false, true);
        SetRowControl(row, ROW_OPACITY_EDIT, false, true);
        SetRowControl(row, ROW_OPACITY_SPIN, false, true);
        SetRowControl(row, ROW_MODE, false, true);
        SetRowControl(row, ROW_COLOR, true, true);
        SetRowControl(row, ROW_MAP, true, theTex->mapEnabled[0] != 0);
        SetRowControl(row, ROW_MAP_ENABLED, true, true);
        SetRowControl(row, ROW_MASK, true, theTex->maskEnabled[0] != 0);
        SetRowControl(row, ROW_MASK_ENABLED, true, true);
        return;
    }
    const bool used = theTex->mapUsed[layer] != 0;
    SetRowControl(row, ROW_FRAME, true, true);
    SetRowControl(row, ROW_INDEX, true, true);
    SetRowControl(row, ROW_USED, true, true);
    SetRowControl(row, ROW_OPACITY_EDIT, true, used);
    SetRowControl(row, ROW_OPACITY_SPIN, true, used);
    SetRowControl(row, ROW_MODE, true, used);
    SetRowControl(row, ROW_COLOR, true, used);
    SetRowControl(row, ROW_MAP, true, used && theTex->mapEnabled[layer] != 0);
    SetRowControl(row, ROW_MAP_ENABLED, true, used);
    SetRowControl(row, ROW_MASK, true, used && theTex->maskEnabled[layer] != 0);
    SetRowControl(row, ROW_MASK_ENABLED, true, used);
}

void VorlithDlg::UpdateLabels()
{
    if (!theTex)
        return;
    const int layers = theTex->NumLayers();
    for (int layer = theTex->firstVisible;
         layer < layers && layer - theTex->firstVisible < LAYER_ROWS; ++layer) {
        if (HasLayer(layer))
            LabelRow(layer - theTex->firstVisible, layer);
    }
    RefreshOutput();
}

// The texts and values of one row. The layer's map and mask carry the row's label in their
// names, so the track view and the material editor show layer, mode and opacity.
void VorlithDlg::LabelRow(int row, int layer)
{
    Texmap* map = theTex->mapList[2 * layer];
    Texmap* mask = theTex->mapList[2 * layer + 1];

    MSTR mapText = map ? map->GetName() : ResString(IDS_NONE);
    const MSTR mapLabel = MapLabel(layer, theTex->modeList[layer], theTex->opasityList[layer],
                                   StripLayerLabel(mapText.data()).data());
    if (map) {
        map->SetName(mapLabel);
        mapText = map->GetFullName();
    }
    if (mapButtons[row][0])
        mapButtons[row][0]->SetText(mapText.data());

    MSTR maskText = mask ? mask->GetName() : ResString(IDS_MASK_NONE);
    const MSTR maskLabel = MaskLabel(layer, StripLayerLabel(maskText.data()).data());
    if (mask) {
        mask->SetName(maskLabel);
        maskText = mask->GetFullName();
    }
    if (mapButtons[row][1])
        mapButtons[row][1]->SetText(maskText.data());

    MSTR index;
    if (layer == 0)
        index = _T("B:");
    else
        index.printf(_T("%d"), layer);
    if (indexEdits[row])
        indexEdits[row]->SetText(index.data());
    StoreIndexLabel(layer, index.data());

    if (!IsLive(hPanel))
        return;
    SetCheckBox(hPanel, kRowControlIds[ROW_MAP_ENABLED][row], theTex->mapEnabled[layer]);
    SetCheckBox(hPanel, kRowControlIds[ROW_MASK_ENABLED][row], theTex->maskEnabled[layer]);
    SetCheckBox(hPanel, kRowControlIds[ROW_USED][row], theTex->mapUsed[layer]);
    SetSwatch(row, layer);
    ISpinnerControl* spin = GetISpinner(GetDlgItem(hPanel, kRowControlIds[ROW_OPACITY_SPIN][row]));
    if (spin) {
        spin->SetValue(theTex->opasityList[layer], FALSE);
        ReleaseISpinner(spin);
    }
    // A mode the list does not have (a script's or a newer scene's) shows no selection.
    const int mode = theTex->modeList[layer];
    HWND list = GetDlgItem(hPanel, kRowControlIds[ROW_MODE][row]);
    if (list)
        SendMessage(list, CB_SETCURSEL, mode >= 0 && mode < BLEND_MODE_COUNT ? mode : -1, 0);
}

// The block's index label of a layer, written only when it changes: a write is a change of the
// block, which would make the texture reload its editor again.
void VorlithDlg::StoreIndexLabel(int layer, const MCHAR* text)
{
    IParamBlock2* pb = theTex->pblock;
    if (!pb || layer >= pb->Count(pb_edit_ids))
        return;
    const MCHAR* stored = NULL;
    Interval ignored = FOREVER;
    if (pb->GetValue(pb_edit_ids, 0, stored, ignored, layer) && stored && _tcscmp(stored, text) == 0)
        return;
    pb->SetValue(pb_edit_ids, 0, text, layer);
}

void VorlithDlg::SetSwatch(int row, int layer)
{
    IColorSwatch* swatch = GetIColorSwatch(GetDlgItem(hPanel, kRowControlIds[ROW_COLOR][row]));
    if (!swatch)
        return;
    swatch->SetColor(SwatchColor(theTex->colorList[layer]), FALSE);
    ReleaseIColorSwatch(swatch);
}

void VorlithDlg::UpdateColors()
{
    if (!theTex || !IsLive(hPanel))
        return;
    const int layers = theTex->NumLayers();
    for (int layer = theTex->firstVisible;
         layer < layers && layer - theTex->firstVisible < LAYER_ROWS; ++layer) {
        if (HasLayer(layer))
            SetSwatch(layer - theTex->firstVisible, layer);
    }
}

// Scrolling and modes ------------------------------------------------------------------------

void VorlithDlg::OnScroll(int code, int pos)
{
    if (!theTex)
        return;
    int& first = theTex->firstVisible;
    switch (code) {
    case SB_LINEUP: first -= 1; break;
    case SB_LINEDOWN: first += 1; break;
    case SB_PAGEUP: first -= LAYER_ROWS; break;
    case SB_PAGEDOWN: first += LAYER_ROWS; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: first = pos; break;
    default: return;
    }
    ClampFirstVisible();
    UpdateLabels();
    UpdateControls();
}

void VorlithDlg::OnModeSelected(int row)
{
    if (!theTex || !IsLive(hPanel) || row < 0 || row >= LAYER_ROWS)
        return;
    HWND list = GetDlgItem(hPanel, kRowControlIds[ROW_MODE][row]);
    if (!list)
        return;
    const int layer = theTex->firstVisible + row;
    const LRESULT selected = SendMessage(list, CB_GETCURSEL, 0, 0);
    // No selection stores nothing: the layer keeps its mode, known to the list or not.
    if (HasLayer(layer) && selected >= 0 && selected < BLEND_MODE_COUNT) {
        BeginValueStep();
        theTex->modeList[layer] = (int)selected;
        AcceptStep(IDS_PARAM_CHANGE);
        Edited();
    }
    UpdateControls();
    TellMaterialEditor();
}

// Rollout window procedures ------------------------------------------------------------------

// The dialog is taken from WM_INITDIALOG's parameter and kept in the window, and read back for
// every other message; a window without one (before WM_INITDIALOG, after the dialog went)
// answers FALSE.
template <HWND VorlithDlg::*Window, VorlithDlg::RolloutHandler Handler>
INT_PTR CALLBACK VorlithDlg::RolloutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        SetWindowLongPtr(hwnd, GWLP_USERDATA, (LONG_PTR)lParam);
    VorlithDlg* dlg = (VorlithDlg*)GetWindowLongPtr(hwnd, GWLP_USERDATA);
    if (!dlg)
        return FALSE;
    if (msg == WM_INITDIALOG)
        dlg->*Window = hwnd;
    return (dlg->*Handler)(hwnd, msg, wParam, lParam);
}

// Layer-list rollout -------------------------------------------------------------------------

INT_PTR VorlithDlg::LayersMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    switch (msg) {
    case WM_INITDIALOG:
        InitLayers(hwnd);
        return TRUE;
    case WM_DESTROY:
        ReleaseRowControls();
        hPanel = NULL;
        hScroll = NULL;
        break;
    case WM_PAINT:
        PaintingRollout();
        break;
    case WM_VSCROLL:
        OnScroll(LOWORD(wParam), (short)HIWORD(wParam));
        break;
    case WM_COMMAND:
        OnLayersCommand(id, HIWORD(wParam));
        break;
    case CC_SPINNER_BUTTONUP:
        OnOpacitySpinnerUp(id);
        break;
    case CC_COLOR_CHANGE:
        OnColorChange(id, HIWORD(wParam) != 0);
        break;
    case WM_CUSTEDIT_ENTER:
        OnLayersEnter(id);
        break;
    }
    (void)lParam;
    return FALSE;
}

void VorlithDlg::InitLayers(HWND hwnd)
{
    hScroll = GetDlgItem(hwnd, IDC_LAYER_SCROLL);
    SetScrollBar();
    for (int r = 0; r < LAYER_ROWS; ++r) {
        mapButtons[r][0] = GetICustButton(GetDlgItem(hwnd, kRowControlIds[ROW_MAP][r]));
        mapButtons[r][1] = GetICustButton(GetDlgItem(hwnd, kRowControlIds[ROW_MASK][r]));
        for (int k = 0; k < 2; ++k) {
            if (mapButtons[r][k])
                mapButtons[r][k]->SetDADMgr(&dadMgr);
        }
        indexEdits[r] = GetICustEdit(GetDlgItem(hwnd, kRowControlIds[ROW_INDEX][r]));
        // The opacity's value is written by every refresh; 100 until then.
        ISpinnerControl* spin = SetupFloatSpinner(hwnd, kRowControlIds[ROW_OPACITY_SPIN][r],
                                                  kRowControlIds[ROW_OPACITY_EDIT][r], 0.0f,
                                                  100.0f, 100.0f, 0.1f);
        if (spin) {
            spin->SetResetValue(100.0f);
            ReleaseISpinner(spin);
        }
        // Inserted at the end, never added: the list's sort style would break index = mode.
        HWND list = GetDlgItem(hwnd, kRowControlIds[ROW_MODE][r]);
        if (!list)
            continue;
        SendMessage(list, CB_RESETCONTENT, 0, 0);
        for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
            const MSTR name = ResString(kBlendModes[mode].nameId);
            SendMessage(list, CB_INSERTSTRING, (WPARAM)-1, (LPARAM)name.data());
        }
    }
}

void VorlithDlg::ReleaseRowControls()
{
    for (int r = 0; r < LAYER_ROWS; ++r) {
        for (int k = 0; k < 2; ++k) {
            if (mapButtons[r][k]) {
                mapButtons[r][k]->SetDADMgr(NULL);
                ReleaseICustButton(mapButtons[r][k]);
                mapButtons[r][k] = NULL;
            }
        }
        if (indexEdits[r]) {
            ReleaseICustEdit(indexEdits[r]);
            indexEdits[r] = NULL;
        }
    }
}

void VorlithDlg::OnLayersCommand(int id, int code)
{
    if (!theTex)
        return;
    int row = 0;
    RowControl kind = ROW_FRAME;
    if (FindRowControl(id, row, kind)) {
        switch (kind) {
        case ROW_MODE:
            // Only a selection by the user stores a mode.
            if (code == CBN_SELCHANGE)
                OnModeSelected(row);
            return;
        case ROW_USED:
        case ROW_MAP_ENABLED:
        case ROW_MASK_ENABLED:
            OnSwitch(row, kind, id);
            return;
        case ROW_MAP:
        case ROW_MASK:
            OnMapButton(row, kind);
            return;
        default:
            return;
        }
    }
    switch (id) {
    case IDC_SET_NUMBER: OnSetNumber(); break;
    case IDC_ADD_LAYER: OnAdd(); break;
    case IDC_DELETE_LAYER: OnDelete(); break;
    }
}

void VorlithDlg::OnSwitch(int row, RowControl kind, int id)
{
    const int layer = theTex->firstVisible + row;
    if (HasLayer(layer) && IsLive(hPanel)) {
        const int on = IsDlgButtonChecked(hPanel, id) == BST_CHECKED ? 1 : 0;
        Tab<int>& table = kind == ROW_USED ? theTex->mapUsed
                        : kind == ROW_MAP_ENABLED ? theTex->mapEnabled : theTex->maskEnabled;
        BeginValueStep();
        table[layer] = on;
        AcceptStep(IDS_PARAM_CHANGE);
        Edited();
    }
    UpdateControls();
    TellMaterialEditor();
}

// A map or mask button hands its slot to the material editor. The message is posted: the
// editor acts on it after this handler has returned (it may close this dialog).
void VorlithDlg::OnMapButton(int row, RowControl kind)
{
    const int layer = theTex->firstVisible + row;
    if (HasLayer(layer) && hwmedit) {
        const int slot = 2 * layer + (kind == ROW_MASK ? 1 : 0);
        PostMessage(hwmedit, WM_TEXMAP_BUTTON, (WPARAM)slot,
                    (LPARAM)static_cast<ReferenceTarget*>(theTex));
    }
    UpdateControls();
}

static bool ControlHeld()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

void VorlithDlg::OnSetNumber()
{
    if (!IsLive(hPanel))
        return;
    const int layers = theTex->NumLayers();
    // Never below the count it shows: OK on a texture of more layers keeps them.
    const int maximum = layers > kSetNumberMaximum ? layers : kSetNumberMaximum;
    const int n = AskLayerNumber(hPanel, IDD_SET_NUMBER, 2, maximum, layers);
    if (n >= 0) {
        BeginStep();
        theTex->SetNumMaps(n);
        AcceptStep(IDS_UNDO_SET_LAYER_COUNT);
        UpdateControls();
        if (theTex->NumLayers() != layers)
            TellMaterialEditor();
    }
    UpdateControls();
}

void VorlithDlg::OnAdd()
{
    const int layers = theTex->NumLayers();
    if (ControlHeld()) {
        if (!IsLive(hPanel))
            return;
        // Before layer 1 .. layers - 1: never below the base layer, never at the top.
        const int maximum = layers - 1 > 1 ? layers - 1 : 1;
        const int n = AskLayerNumber(hPanel, IDD_INSERT_LAYER, 1, maximum, 1);
        if (n >= 0) {
            BeginStep();
            theTex->InsertLayer(n);
            AcceptStep(IDS_UNDO_INSERT_LAYER);
            if (theTex->NumLayers() != layers)
                Edited();
            UpdateControls();
        }
    } else {
        BeginStep();
        theTex->SetNumMaps(layers + 1);
        AcceptStep(IDS_UNDO_ADD_LAYER);
    }
    UpdateLabels();
    UpdateControls();
    if (theTex->NumLayers() != layers)
        TellMaterialEditor();
}

void VorlithDlg::OnDelete()
{
    const int layers = theTex->NumLayers();
    if (ControlHeld()) {
        if (!IsLive(hPanel))
            return;
        const int n = AskLayerNumber(hPanel, IDD_DELETE_LAYER, 1, layers - 1, layers - 1);
        if (n >= 0) {
            BeginStep();
            theTex->DeleteLayer(n);
            AcceptStep(IDS_UNDO_DELETE_LAYER);
            if (theTex->NumLayers() != layers)
                Edited();
            UpdateControls();
        }
        UpdateControls();
    } else {
        BeginStep();
        theTex->SetNumMaps(layers - 1);
        AcceptStep(IDS_UNDO_DELETE_LAYER);
        UpdateLabels();
        UpdateControls();
    }
    if (theTex->NumLayers() != layers)
        TellMaterialEditor();
}

void VorlithDlg::OnOpacitySpinnerUp(int id)
{
    int row = 0;
    RowControl kind = ROW_FRAME;
    if (!theTex || !FindRowControl(id, row, kind) || kind != ROW_OPACITY_SPIN)
        return;
    const int layer = theTex->firstVisible + row;
    ISpinnerControl* spin = IsLive(hPanel) ? GetISpinner(GetDlgItem(hPanel, id)) : NULL;
    if (spin) {
        const float percent = spin->GetFVal();
        ReleaseISpinner(spin);
        if (HasLayer(layer) && IsFiniteFloat(percent)) {
            BeginValueStep();
            theTex->opasityList[layer] = percent;
            AcceptStep(IDS_PARAM_CHANGE);
            Edited();
        }
    }
    UpdateControls();
    TellMaterialEditor();
}

// A swatch's colour: stored at every change, inside one undo step ("Param Change") when the
// change is final. A drag (changes without the release flag) is one step from the colour the
// layer had before it.
void VorlithDlg::OnColorChange(int id, BOOL released)
{
    int row = 0;
    RowControl kind = ROW_FRAME;
    if (!theTex || !FindRowControl(id, row, kind) || kind != ROW_COLOR)
        return;
    const int layer = theTex->firstVisible + row;
    if (released)
        BeginStep();
    bool stored = false;
    IColorSwatch* swatch = IsLive(hPanel) ? GetIColorSwatch(GetDlgItem(hPanel, id)) : NULL;
    if (swatch) {
        const Color c = ColorOfSwatch(swatch->GetColor());
        ReleaseIColorSwatch(swatch);
        if (HasLayer(layer)) {
            const bool dragging = colorDragLayer == layer;
            if (released) {
                // The step starts from the colour before the drag.
                if (dragging)
                    theTex->colorList[layer] = colorBeforeDrag;
                theTex->HoldLayers();
                colorDragLayer = -1;
            } else if (!dragging) {
                colorDragLayer = layer;
                colorBeforeDrag = theTex->colorList[layer];
            }
            theTex->colorList[layer] = c;
            stored = true;
        }
    }
    UpdateColors();
    if (released)
        AcceptStep(IDS_PARAM_CHANGE);
    if (stored)
        Edited();
    if (released)
        TellMaterialEditor();
    UpdateControls();
}

void VorlithDlg::OnLayersEnter(int id)
{
    if (!theTex)
        return;
    const int first = theTex->firstVisible;
    bool edited = false;
    for (int r = 0; r < LAYER_ROWS; ++r) {
        if (id == kRowControlIds[ROW_OPACITY_EDIT][r]) {
            ISpinnerControl* spin = IsLive(hPanel)
                ? GetISpinner(GetDlgItem(hPanel, kRowControlIds[ROW_OPACITY_SPIN][r])) : NULL;
            if (spin) {
                const float percent = spin->GetFVal();
                ReleaseISpinner(spin);
                if (HasLayer(first + r) && IsFiniteFloat(percent)) {
                    BeginValueStep();
                    theTex->opasityList[first + r] = percent;
                    AcceptStep(IDS_PARAM_CHANGE);
                    edited = true;
                }
            }
        }
        if (id == kRowControlIds[ROW_INDEX][r]) {
            BeginStep();
            if (MoveLayer(r))
                edited = true;
            AcceptStep(IDS_UNDO_MOVE_LAYER);
        }
    }
    if (edited)
        Edited();
    UpdateControls();
    TellMaterialEditor();
}

// Moving a layer by its number: the number typed into row r's index field and the number the
// row showed (its block label) exchange their layers. Text that is not a whole number moves
// nothing; the refresh writes the row's number back into the field.
bool VorlithDlg::MoveLayer(int row)
{
    const int layer = theTex->firstVisible + row;
    IParamBlock2* pb = theTex->pblock;
    if (!indexEdits[row] || !pb || !HasLayer(layer) || layer >= pb->Count(pb_edit_ids))
        return false;
    TCHAR text[20];
    text[0] = 0;
    indexEdits[row]->GetText(text, sizeof(text) / sizeof(text[0]));
    int target = 0;
    if (!ParseWholeNumber(text, target))
        return false;
    const MCHAR* shown = NULL;
    Interval ignored = FOREVER;
    if (!pb->GetValue(pb_edit_ids, 0, shown, ignored, layer) || !shown)
        return false;
    const int from = _wtoi(shown);
    const int layers = theTex->NumLayers();
    const bool moves = target >= 0 && target < layers && from >= 0 && from < layers
                    && target != from;
    theTex->SwapLayers(target, from);
    UpdateLabels();
    return moves;
}

// About rollout ------------------------------------------------------------------------------

INT_PTR VorlithDlg::AboutMessage(HWND hwnd, UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    switch (msg) {
    case WM_INITDIALOG: {
        HWND logo = GetDlgItem(hwnd, IDC_ABOUT_LOGO);
        if (logo) {
            // The logo in its own pixels, in the middle of the rollout.
            RECT client;
            GetClientRect(hwnd, &client);
            SetWindowPos(logo, NULL, (client.right - kLogoWidth) / 2,
                         (client.bottom - kLogoHeight) / 2, kLogoWidth, kLogoHeight,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        aboutImage = GetICustImage(logo);
        if (!aboutImages) {
            aboutImages = ImageList_Create(kLogoWidth, kLogoHeight, ILC_COLOR24, 1, 0);
            HBITMAP bitmap = LoadBitmap(hInstance, MAKEINTRESOURCE(IDB_LOGO));
            if (aboutImages && bitmap)
                ImageList_Add(aboutImages, bitmap, NULL);
            if (bitmap)
                DeleteObject(bitmap);
        }
        if (aboutImage && aboutImages)
            aboutImage->SetImage(aboutImages, 0, kLogoWidth, kLogoHeight);
        return TRUE;
    }
    case WM_DESTROY:
        ReleaseAboutImage();
        hAbout = NULL;
        break;
    }
    return FALSE;
}

void VorlithDlg::ReleaseAboutImage()
{
    if (!aboutImage)
        return;
    aboutImage->SetImage(NULL, 0, 0, 0);
    ReleaseICustImage(aboutImage);
    aboutImage = NULL;
}
