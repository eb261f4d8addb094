// The layer-list rollout of VorlithDlg ("Map layers parameters"): six rows onto the layer stack,
// the scroll bar, the layer count and its buttons.
#include "vorlith_dlg.h"

#include "blend_modes.h"
#include "count_dialogs.h"
#include "layer_labels.h"
#include "resource.h"
#include "row_texts.h"
#include "vorlith_params.h"
#include "vorlith_values.h"

// Set Number offers at least this many layers at its top.
static const int kSetNumberMaximum = 1000;

// Part of every refresh: the scroll bar, the count and the rows from the texture.
void VorlithDlg::RefreshLayerList()
{
    SetScrollBar();
    RefreshRowTexts();
    if (!IsLive(layersRollout)) return;
    const int layers = texture->NumLayers();
    TCHAR count[16];
    _sntprintf(count, sizeof(count) / sizeof(count[0]), _T("%d"), layers);
    count[sizeof(count) / sizeof(count[0]) - 1] = 0;
    SetDlgItemText(layersRollout, IDC_LAYER_COUNT, count);
    const int shown = layers < LAYER_ROWS ? layers : LAYER_ROWS;
    for (int r = 0; r < LAYER_ROWS; ++r) {
        if (r < shown)
            ShowRow(r);
        else
            HideRow(r);
    }
}

// The rows --------------------------------------------------------------------------------

void VorlithDlg::SetScrollBar()
{
    if (!texture || !IsLive(layerScrollBar)) return;
    const int layers = texture->NumLayers();
    const int last = layers > LAYER_ROWS ? layers - LAYER_ROWS : 0;
    SetScrollRange(layerScrollBar, SB_CTL, 0, last, FALSE);
    SetScrollPos(layerScrollBar, SB_CTL, FirstRowLayer(), TRUE);
    EnableWindow(layerScrollBar, layers > LAYER_ROWS ? TRUE : FALSE);
}

// Shows or hides one control of a row and enables or disables it.
void VorlithDlg::SetRowControl(int row, RowControl kind, bool shown, bool enabled)
{
    HWND control = GetDlgItem(layersRollout, kRowControlIds[kind][row]);
    if (!control) return;
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
    const int layer = FirstRowLayer() + row;
    if (!HasLayer(layer)) {
        HideRow(row);
        return;
    }
    const bool mapOn = texture->GetLayerValue<LAYER_VALUE_mapEnabled>(layer) != 0;
    const bool maskOn = texture->GetLayerValue<LAYER_VALUE_maskEnabled>(layer) != 0;
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
        SetRowControl(row, ROW_MAP, true, mapOn);
        SetRowControl(row, ROW_MAP_ENABLED, true, true);
        SetRowControl(row, ROW_MASK, true, maskOn);
        SetRowControl(row, ROW_MASK_ENABLED, true, true);
        return;
    }
    const bool used = texture->GetLayerValue<LAYER_VALUE_mapUsed>(layer) != 0;
    SetRowControl(row, ROW_FRAME, true, true);
    SetRowControl(row, ROW_INDEX, true, true);
    SetRowControl(row, ROW_USED, true, true);
    SetRowControl(row, ROW_OPACITY_EDIT, true, used);
    SetRowControl(row, ROW_OPACITY_SPIN, true, used);
    SetRowControl(row, ROW_MODE, true, used);
    SetRowControl(row, ROW_COLOR, true, used);
    SetRowControl(row, ROW_MAP, true, used && mapOn);
    SetRowControl(row, ROW_MAP_ENABLED, true, used);
    SetRowControl(row, ROW_MASK, true, used && maskOn);
    SetRowControl(row, ROW_MASK_ENABLED, true, used);
}

void VorlithDlg::RefreshRowTexts()
{
    const int first = FirstRowLayer();
    const int layers = texture->NumLayers();
    for (int layer = first; layer < layers && layer - first < LAYER_ROWS; ++layer) {
        if (HasLayer(layer)) RefreshRow(layer - first, layer);
    }
}

// The texts and values of one row, the map and mask buttons with their sub-maps' names.
void VorlithDlg::RefreshRow(int row, int layer)
{
    Texmap* map = texture->MapEntry(2 * layer);
    Texmap* mask = texture->MapEntry(2 * layer + 1);
    if (mapButtons[row][0])
        mapButtons[row][0]->SetText((map ? map->GetFullName() : ResString(IDS_NONE)).data());
    if (mapButtons[row][1])
        mapButtons[row][1]->SetText((mask ? mask->GetFullName() : ResString(IDS_MASK_NONE)).data());

    MSTR index;
    if (layer == 0)
        index = _T("B:");
    else
        index.printf(_T("%d"), layer);
    if (indexEdits[row]) indexEdits[row]->SetText(index.data());

    if (!IsLive(layersRollout)) return;
    SetCheckBox(layersRollout, kRowControlIds[ROW_MAP_ENABLED][row],
                texture->GetLayerValue<LAYER_VALUE_mapEnabled>(layer));
    SetCheckBox(layersRollout, kRowControlIds[ROW_MASK_ENABLED][row],
                texture->GetLayerValue<LAYER_VALUE_maskEnabled>(layer));
    SetCheckBox(layersRollout, kRowControlIds[ROW_USED][row],
                texture->GetLayerValue<LAYER_VALUE_mapUsed>(layer));
    SetSwatch(row, layer);
    ISpinnerControl* spin =
        GetISpinner(GetDlgItem(layersRollout, kRowControlIds[ROW_OPACITY_SPIN][row]));
    if (spin) {
        spin->SetValue(texture->GetLayerValue<LAYER_VALUE_opasityList>(layer), FALSE);
        ReleaseISpinner(spin);
    }
    // A mode the list does not have (a script's or a newer scene's) shows no selection.
    const int mode = texture->GetLayerValue<LAYER_VALUE_modeList>(layer);
    HWND list = GetDlgItem(layersRollout, kRowControlIds[ROW_MODE][row]);
    if (list) SendMessage(list, CB_SETCURSEL, mode >= 0 && mode < BLEND_MODE_COUNT ? mode : -1, 0);
}

void VorlithDlg::SetSwatch(int row, int layer)
{
    IColorSwatch* swatch =
        GetIColorSwatch(GetDlgItem(layersRollout, kRowControlIds[ROW_COLOR][row]));
    if (!swatch) return;
    swatch->SetColor(SwatchColor(texture->GetLayerValue<LAYER_VALUE_colorList>(layer)), FALSE);
    ReleaseIColorSwatch(swatch);
}

// Scrolling and modes ------------------------------------------------------------------------

void VorlithDlg::OnScroll(int code, int pos)
{
    if (!texture) return;
    int first = FirstRowLayer();
    switch (code) {
    case SB_LINEUP:
        first -= 1;
        break;
    case SB_LINEDOWN:
        first += 1;
        break;
    case SB_PAGEUP:
        first -= LAYER_ROWS;
        break;
    case SB_PAGEDOWN:
        first += LAYER_ROWS;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        first = pos;
        break;
    default:
        return;
    }
    texture->ShowLayersFrom(first, LAYER_ROWS);
    UpdateControls();
}

void VorlithDlg::OnModeSelected(int row)
{
    if (!texture || !IsLive(layersRollout) || row < 0 || row >= LAYER_ROWS) return;
    HWND list = GetDlgItem(layersRollout, kRowControlIds[ROW_MODE][row]);
    if (!list) return;
    const int layer = FirstRowLayer() + row;
    const LRESULT selected = SendMessage(list, CB_GETCURSEL, 0, 0);
    // No selection stores nothing: the layer keeps its mode, known to the list or not.
    if (selected >= 0 && selected < BLEND_MODE_COUNT) {
        BeginStep();
        texture->SetLayerValue<LAYER_VALUE_modeList>(layer, (int)selected);
        AcceptStep(IDS_PARAM_CHANGE);
    }
    UpdateControls();
    TellMaterialEditor();
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
        rowTips = NULL; // destroyed with the rollout that owns it
        layersRollout = NULL;
        layerScrollBar = NULL;
        break;
    case WM_PAINT:
        // Change notifications only mark the dialog; it reloads once, when it next paints.
        ReloadIfInvalid();
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
    case WM_CONTEXTMENU:
        if (OnRowContextMenu((HWND)wParam, lParam)) return TRUE;
        break;
    case WM_MOUSEWHEEL:
        if (OnRowsWheel(wParam, lParam)) {
            SetWindowLongPtr(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        break;
    case WM_NOTIFY:
        if (OnRowTipNeeded((NMHDR*)lParam)) return TRUE;
        break;
    }
    (void)lParam;
    return FALSE;
}

void VorlithDlg::InitLayers(HWND hwnd)
{
    layerScrollBar = GetDlgItem(hwnd, IDC_LAYER_SCROLL);
    SetScrollBar();
    InitRowExtras(hwnd);
    for (int r = 0; r < LAYER_ROWS; ++r) {
        mapButtons[r][0] = GetICustButton(GetDlgItem(hwnd, kRowControlIds[ROW_MAP][r]));
        mapButtons[r][1] = GetICustButton(GetDlgItem(hwnd, kRowControlIds[ROW_MASK][r]));
        for (int k = 0; k < 2; ++k) {
            if (mapButtons[r][k]) mapButtons[r][k]->SetDADMgr(&dadMgr);
        }
        indexEdits[r] = GetICustEdit(GetDlgItem(hwnd, kRowControlIds[ROW_INDEX][r]));
        // The opacity's value is written by every refresh; a new layer's until then.
        ISpinnerControl* spin = SetupFloatSpinner(
            hwnd, kRowControlIds[ROW_OPACITY_SPIN][r], kRowControlIds[ROW_OPACITY_EDIT][r],
            VORLITH_OPACITY_MIN, VORLITH_OPACITY_MAX, VORLITH_NEW_LAYER_OPACITY, 0.1f);
        if (spin) {
            spin->SetResetValue(VORLITH_NEW_LAYER_OPACITY);
            ReleaseISpinner(spin);
        }
        // Inserted at the end, never added: the list's sort style would break index = mode.
        HWND list = GetDlgItem(hwnd, kRowControlIds[ROW_MODE][r]);
        if (!list) continue;
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
    if (!texture) return;
    int row = 0;
    RowControl kind = ROW_FRAME;
    if (OnRowMenuCommand(id)) return;
    if (FindRowControl(id, row, kind)) {
        switch (kind) {
        case ROW_MODE:
            // Only a selection by the user stores a mode.
            if (code == CBN_SELCHANGE) OnModeSelected(row);
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
    case IDC_SET_NUMBER:
        OnSetNumber();
        break;
    case IDC_ADD_LAYER:
        OnAdd();
        break;
    case IDC_DELETE_LAYER:
        OnDelete();
        break;
    }
}

void VorlithDlg::OnSwitch(int row, RowControl kind, int id)
{
    const int layer = FirstRowLayer() + row;
    if (IsLive(layersRollout)) {
        const int on = IsDlgButtonChecked(layersRollout, id) == BST_CHECKED ? 1 : 0;
        BeginStep();
        if (kind == ROW_USED)
            texture->SetLayerValue<LAYER_VALUE_mapUsed>(layer, on);
        else if (kind == ROW_MAP_ENABLED)
            texture->SetLayerValue<LAYER_VALUE_mapEnabled>(layer, on);
        else
            texture->SetLayerValue<LAYER_VALUE_maskEnabled>(layer, on);
        AcceptStep(IDS_PARAM_CHANGE);
    }
    UpdateControls();
    TellMaterialEditor();
}

// A map or mask button hands its slot to the material editor. The message is posted: the
// editor acts on it after this handler has returned (it may close this dialog).
void VorlithDlg::OnMapButton(int row, RowControl kind)
{
    const int layer = FirstRowLayer() + row;
    if (HasLayer(layer) && mtlEditWindow) {
        const int slot = 2 * layer + (kind == ROW_MASK ? 1 : 0);
        PostMessage(mtlEditWindow, WM_TEXMAP_BUTTON, (WPARAM)slot,
                    (LPARAM) static_cast<ReferenceTarget*>(texture));
    }
    UpdateControls();
}

static bool ControlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// One action on the layer list, one undo step named labelId; the rows are shown again and the
// material editor hears of a changed count.
void VorlithDlg::LayerListStep(int labelId, void (Vorlith::*operation)(int), int argument)
{
    const int layers = texture->NumLayers();
    BeginStep();
    (texture->*operation)(argument);
    AcceptStep(labelId);
    UpdateControls();
    if (texture->NumLayers() != layers) TellMaterialEditor();
}

void VorlithDlg::OnSetNumber()
{
    if (!IsLive(layersRollout)) return;
    const int layers = texture->NumLayers();
    // Never below the count it shows: OK on a texture of more layers keeps them.
    const int maximum = layers > kSetNumberMaximum ? layers : kSetNumberMaximum;
    const int n = AskLayerNumber(layersRollout, IDD_SET_NUMBER, 2, maximum, layers);
    if (n >= 0)
        LayerListStep(IDS_UNDO_SET_LAYER_COUNT, &Vorlith::SetNumMaps, n);
    else
        UpdateControls();
}

// Add puts a layer on top; with Ctrl held it asks where to insert one.
void VorlithDlg::OnAdd()
{
    const int layers = texture->NumLayers();
    if (!ControlHeld()) {
        LayerListStep(IDS_UNDO_ADD_LAYER, &Vorlith::SetNumMaps, layers + 1);
        return;
    }
    if (!IsLive(layersRollout)) return;
    // Before layer 1 .. layers - 1: never below the base layer, never at the top.
    const int maximum = layers - 1 > 1 ? layers - 1 : 1;
    const int n = AskLayerNumber(layersRollout, IDD_INSERT_LAYER, 1, maximum, 1);
    if (n >= 0)
        LayerListStep(IDS_UNDO_INSERT_LAYER, &Vorlith::InsertLayer, n);
    else
        UpdateControls();
}

// Delete takes the top layer away; with Ctrl held it asks which layer.
void VorlithDlg::OnDelete()
{
    const int layers = texture->NumLayers();
    if (!ControlHeld()) {
        LayerListStep(IDS_UNDO_DELETE_LAYER, &Vorlith::SetNumMaps, layers - 1);
        return;
    }
    if (!IsLive(layersRollout)) return;
    const int n = AskLayerNumber(layersRollout, IDD_DELETE_LAYER, 1, layers - 1, layers - 1);
    if (n >= 0)
        LayerListStep(IDS_UNDO_DELETE_LAYER, &Vorlith::DeleteLayer, n);
    else
        UpdateControls();
}

void VorlithDlg::OnOpacitySpinnerUp(int id)
{
    int row = 0;
    RowControl kind = ROW_FRAME;
    if (!texture || !FindRowControl(id, row, kind) || kind != ROW_OPACITY_SPIN) return;
    const int layer = FirstRowLayer() + row;
    ISpinnerControl* spin =
        IsLive(layersRollout) ? GetISpinner(GetDlgItem(layersRollout, id)) : NULL;
    if (spin) {
        const float percent = spin->GetFVal();
        ReleaseISpinner(spin);
        BeginStep();
        texture->SetLayerValue<LAYER_VALUE_opasityList>(layer, percent);
        AcceptStep(IDS_PARAM_CHANGE);
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
    if (!texture || !FindRowControl(id, row, kind) || kind != ROW_COLOR) return;
    const int layer = FirstRowLayer() + row;
    IColorSwatch* swatch =
        IsLive(layersRollout) ? GetIColorSwatch(GetDlgItem(layersRollout, id)) : NULL;
    if (swatch) {
        const Color c = ColorOfSwatch(swatch->GetColor());
        ReleaseIColorSwatch(swatch);
        const bool dragging = colorDragLayer == layer;
        if (released) {
            // One step, from the colour before the drag when there was one.
            BeginStep();
            if (dragging)
                texture->SetLayerValueAfterDrag<LAYER_VALUE_colorList>(layer, colorBeforeDrag, c);
            else
                texture->SetLayerValue<LAYER_VALUE_colorList>(layer, c);
            AcceptStep(IDS_PARAM_CHANGE);
            colorDragLayer = -1;
        } else {
            if (!dragging && HasLayer(layer)) {
                colorDragLayer = layer;
                colorBeforeDrag = texture->GetLayerValue<LAYER_VALUE_colorList>(layer);
            }
            texture->SetLayerValue<LAYER_VALUE_colorList>(layer, c);
        }
    }
    if (released) TellMaterialEditor();
    UpdateControls();
}

void VorlithDlg::OnLayersEnter(int id)
{
    if (!texture) return;
    const int first = FirstRowLayer();
    for (int r = 0; r < LAYER_ROWS; ++r) {
        if (id == kRowControlIds[ROW_OPACITY_EDIT][r]) {
            ISpinnerControl* spin = IsLive(layersRollout)
                ? GetISpinner(GetDlgItem(layersRollout, kRowControlIds[ROW_OPACITY_SPIN][r]))
                : NULL;
            if (spin) {
                const float percent = spin->GetFVal();
                ReleaseISpinner(spin);
                BeginStep();
                texture->SetLayerValue<LAYER_VALUE_opasityList>(first + r, percent);
                AcceptStep(IDS_PARAM_CHANGE);
            }
        }
        if (id == kRowControlIds[ROW_INDEX][r]) {
            BeginStep();
            MoveLayer(r);
            AcceptStep(IDS_UNDO_MOVE_LAYER);
        }
    }
    UpdateControls();
    TellMaterialEditor();
}

// Moving a layer by its number: the number typed into row r's index field and the number the
// row showed (its block label) exchange their layers. Text that is not a whole number moves
// nothing; the refresh writes the row's number back into the field.
void VorlithDlg::MoveLayer(int row)
{
    const int layer = FirstRowLayer() + row;
    IParamBlock2* pb = texture->GetParamBlock(0);
    if (!indexEdits[row] || !pb || !HasLayer(layer) || layer >= pb->Count(pb_edit_ids)) return;
    TCHAR text[20];
    text[0] = 0;
    indexEdits[row]->GetText(text, sizeof(text) / sizeof(text[0]));
    int target = 0;
    if (!ParseWholeNumber(text, target)) return;
    const MCHAR* shown = NULL;
    Interval ignored = FOREVER;
    if (!pb->GetValue(pb_edit_ids, 0, shown, ignored, layer) || !shown) return;
    texture->SwapLayers(target, _wtoi(shown));
    UpdateLabels();
}
