// The layer rows' menu (right click on a row's frame or number field, Shift+F10 from a row's
// controls), the mouse wheel over the rows and the rows' tooltips.
#include "vorlith_dlg.h"

#include <windowsx.h>

#include "blend_modes.h"
#include "layer_clipboard.h"
#include "layer_labels.h"
#include "resource.h"

namespace {

// The menu's actions, in the order of their names in the string table (IDS_ROW_DUPLICATE on).
enum RowAction {
    ROW_DUPLICATE,
    ROW_MOVE_UP,
    ROW_MOVE_DOWN,
    ROW_INSERT_ABOVE,
    ROW_INSERT_BELOW,
    ROW_DELETE,
    ROW_CLEAR_MAP,
    ROW_CLEAR_MASK,
    ROW_COPY,
    ROW_PASTE_ABOVE,
    ROW_DISPLAY_SPACE // a check item: the layer blends in display space
};

// Commands carry the action and the row: IDM_ROW_MENU + action * kRowStride + row.
const int kRowStride = 16;

const wchar_t kOldProcProp[] = L"VorlithRowMenuOldProc";
const wchar_t kMouseMenuProp[] = L"VorlithRowMenuMouse";

// A row's fields show the editor's row menu, not the edit control's own: the number field for
// a right click and Shift+F10, the opacity field for Shift+F10 (its right click stays the
// edit control's).
LRESULT CALLBACK RowFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = (WNDPROC)GetPropW(hwnd, kOldProcProp);
    const bool keyboard = GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1;
    if (msg == WM_CONTEXTMENU && (keyboard || GetPropW(hwnd, kMouseMenuProp))) {
        HWND parent = GetParent(hwnd);
        if (parent) SendMessageW(parent, WM_CONTEXTMENU, (WPARAM)hwnd, lParam);
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        RemovePropW(hwnd, kOldProcProp);
        RemovePropW(hwnd, kMouseMenuProp);
    }
    return old ? CallWindowProcW(old, hwnd, msg, wParam, lParam)
               : DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool Contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

} // namespace

// The row of a control of the rollout (or of a window inside one, as a list's edit), or -1.
int VorlithDlg::RowOfControl(HWND control, RowControl& kind) const
{
    while (control && GetParent(control) != layersRollout)
        control = GetParent(control);
    int row = -1;
    if (!control || !FindRowControl(GetDlgCtrlID(control), row, kind)) return -1;
    return row;
}

void VorlithDlg::InitRowExtras(HWND hwnd)
{
    wheelRest = 0;
    rowTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, NULL,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, hwnd, NULL, hInstance, NULL);
    if (rowTips) SendMessageW(rowTips, TTM_SETMAXTIPWIDTH, 0, 400);
    static const RowControl kTipped[] = {ROW_MAP, ROW_MASK, ROW_INDEX, ROW_MODE};
    for (int r = 0; r < LAYER_ROWS; ++r) {
        for (int k = 0; k < 2; ++k) {
            HWND field = GetDlgItem(hwnd, kRowControlIds[k == 0 ? ROW_INDEX : ROW_OPACITY_EDIT][r]);
            if (!field || GetPropW(field, kOldProcProp)) continue;
            SetPropW(field, kOldProcProp, (HANDLE)GetWindowLongPtrW(field, GWLP_WNDPROC));
            if (k == 0) SetPropW(field, kMouseMenuProp, (HANDLE)1);
            SetWindowLongPtrW(field, GWLP_WNDPROC, (LONG_PTR)RowFieldProc);
        }
        for (int k = 0; rowTips && k < (int)(sizeof(kTipped) / sizeof(kTipped[0])); ++k) {
            HWND control = GetDlgItem(hwnd, kRowControlIds[kTipped[k]][r]);
            if (!control) continue;
            TOOLINFOW tool;
            memset(&tool, 0, sizeof(tool));
            tool.cbSize = sizeof(tool);
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = hwnd;
            tool.uId = (UINT_PTR)control;
            tool.lpszText = LPSTR_TEXTCALLBACKW;
            SendMessageW(rowTips, TTM_ADDTOOLW, 0, (LPARAM)&tool);
        }
    }
}

// The menu -----------------------------------------------------------------------------------

bool VorlithDlg::RowActionAllowed(int action, int layer) const
{
    const int layers = texture->NumLayers();
    const bool room = layers < VORLITH_MAX_LAYERS;
    switch (action) {
    case ROW_DUPLICATE:
        return room;
    case ROW_MOVE_UP:
        return layer >= 1 && layer + 1 < layers;
    case ROW_MOVE_DOWN:
        return layer >= 2;
    case ROW_INSERT_ABOVE:
        return room;
    case ROW_INSERT_BELOW:
        return layer >= 1 && room;
    case ROW_DELETE:
        return layer >= 1;
    case ROW_CLEAR_MAP:
        return texture->MapEntry(2 * layer) != NULL;
    case ROW_CLEAR_MASK:
        return texture->MapEntry(2 * layer + 1) != NULL;
    case ROW_COPY:
        return true;
    case ROW_PASTE_ABOVE:
        return room && LayerClipboard::The().Full();
    // The base layer is blended onto nothing: its space changes nothing.
    case ROW_DISPLAY_SPACE:
        return layer >= 1;
    }
    return false;
}

bool VorlithDlg::InDisplaySpace(int layer) const
{
    return texture->GetLayerValue<LAYER_VALUE_spaceList>(layer) != VORLITH_SPACE_LINEAR;
}

// WM_CONTEXTMENU: from is the window it came from, where the pointer is (-1, -1 from the
// keyboard). True when a row's menu was shown.
bool VorlithDlg::OnRowContextMenu(HWND from, LPARAM where)
{
    if (!texture || !IsLive(layersRollout)) return false;
    POINT at;
    at.x = GET_X_LPARAM(where);
    at.y = GET_Y_LPARAM(where);
    const bool keyboard = at.x == -1 && at.y == -1;
    RowControl kind = ROW_FRAME;
    int row = from == layersRollout ? -1 : RowOfControl(from, kind);
    if (keyboard) {
        RECT r;
        if (row < 0 || !GetWindowRect(GetDlgItem(layersRollout, kRowControlIds[kind][row]), &r))
            return false;
        at.x = r.left;
        at.y = r.bottom;
    } else if (row >= 0 && kind != ROW_FRAME && kind != ROW_INDEX) {
        // The other controls keep their own right click.
        return false;
    } else if (row < 0) {
        // A frame lets clicks through to the rollout: the row is the frame under the pointer.
        for (int r = 0; r < LAYER_ROWS && row < 0; ++r) {
            HWND frame = GetDlgItem(layersRollout, kRowControlIds[ROW_FRAME][r]);
            RECT box;
            if (frame && IsWindowVisible(frame) && GetWindowRect(frame, &box) && Contains(box, at))
                row = r;
        }
    }
    const int layer = FirstRowLayer() + row;
    if (row < 0 || !HasLayer(layer)) return false;

    HMENU menu = CreatePopupMenu();
    if (!menu) return false;
    for (int action = 0; action < ROW_MENU_ACTIONS; ++action) {
        if (action == ROW_INSERT_ABOVE || action == ROW_CLEAR_MAP || action == ROW_COPY ||
            action == ROW_DISPLAY_SPACE)
            AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
        UINT state = RowActionAllowed(action, layer) ? MF_ENABLED : MF_GRAYED;
        if (action == ROW_DISPLAY_SPACE && InDisplaySpace(layer)) state |= MF_CHECKED;
        AppendMenuW(menu, MF_STRING | state, IDM_ROW_MENU + action * kRowStride + row,
                    ResString(IDS_ROW_DUPLICATE + action).data());
    }
    const int command = (int)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                            layersRollout, NULL);
    DestroyMenu(menu);
    if (command != 0) OnRowMenuCommand(command);
    return true;
}

// Brings layer into the rows if it is not shown.
void VorlithDlg::ShowLayerInRows(int layer)
{
    const int first = FirstRowLayer();
    if (layer < first)
        texture->ShowLayersFrom(layer, LAYER_ROWS);
    else if (layer >= first + LAYER_ROWS)
        texture->ShowLayersFrom(layer - LAYER_ROWS + 1, LAYER_ROWS);
}

// A command of the row menu; false when id is none.
bool VorlithDlg::OnRowMenuCommand(int id)
{
    if (id < IDM_ROW_MENU || id >= IDM_ROW_MENU + ROW_MENU_ACTIONS * kRowStride) return false;
    const int action = (id - IDM_ROW_MENU) / kRowStride;
    const int row = (id - IDM_ROW_MENU) % kRowStride;
    const int layer = FirstRowLayer() + row;
    if (!texture || row >= LAYER_ROWS || !HasLayer(layer) || !RowActionAllowed(action, layer))
        return true;
    if (action == ROW_COPY) {
        texture->CopyLayer(layer);
        return true;
    }
    const int layers = texture->NumLayers();
    int changed = -1;
    BeginStep();
    switch (action) {
    case ROW_DUPLICATE:
        changed = texture->DuplicateLayer(layer);
        break;
    case ROW_MOVE_UP:
        changed = texture->MoveLayer(layer, layer + 1);
        break;
    case ROW_MOVE_DOWN:
        changed = texture->MoveLayer(layer, layer - 1);
        break;
    case ROW_INSERT_ABOVE:
        // Above the top layer is a layer added on top.
        if (layer + 1 < layers)
            texture->InsertLayer(layer + 1);
        else
            texture->SetNumMaps(layers + 1);
        changed = layer + 1;
        break;
    case ROW_INSERT_BELOW:
        texture->InsertLayer(layer);
        changed = layer;
        break;
    case ROW_DELETE:
        texture->DeleteLayer(layer);
        changed = layer - 1;
        break;
    case ROW_CLEAR_MAP:
        changed = texture->ClearLayerMap(layer, false);
        break;
    case ROW_CLEAR_MASK:
        changed = texture->ClearLayerMap(layer, true);
        break;
    case ROW_PASTE_ABOVE:
        changed = texture->PasteLayer(layer + 1);
        break;
    case ROW_DISPLAY_SPACE:
        texture->SetLayerValue<LAYER_VALUE_spaceList>(
            layer, InDisplaySpace(layer) ? VORLITH_SPACE_LINEAR : VORLITH_SPACE_DISPLAY);
        changed = layer;
        break;
    }
    AcceptStep(IDS_ROW_DUPLICATE + action);
    if (changed >= 0 && changed < texture->NumLayers()) ShowLayerInRows(changed);
    UpdateControls();
    TellMaterialEditor();
    return true;
}

// The wheel ----------------------------------------------------------------------------------

// WM_MOUSEWHEEL: over the rows (their frames and scroll bar) each notch moves them one layer,
// as the scroll bar's arrows do; elsewhere it is the rollup panel's (false).
bool VorlithDlg::OnRowsWheel(WPARAM wParam, LPARAM lParam)
{
    if (!texture || !IsLive(layersRollout)) return false;
    POINT at;
    at.x = GET_X_LPARAM(lParam);
    at.y = GET_Y_LPARAM(lParam);
    RECT rows;
    SetRectEmpty(&rows);
    for (int r = 0; r < LAYER_ROWS; ++r) {
        RECT box;
        if (GetWindowRect(GetDlgItem(layersRollout, kRowControlIds[ROW_FRAME][r]), &box))
            UnionRect(&rows, &rows, &box);
    }
    RECT bar;
    if (layerScrollBar && GetWindowRect(layerScrollBar, &bar)) UnionRect(&rows, &rows, &bar);
    if (!Contains(rows, at)) {
        wheelRest = 0;
        return false;
    }
    wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
    const int notches = wheelRest / WHEEL_DELTA;
    wheelRest -= notches * WHEEL_DELTA;
    if (notches != 0) {
        // Away from the user is up: towards the base layer, as the upper arrow.
        texture->ShowLayersFrom(FirstRowLayer() - notches, LAYER_ROWS);
        UpdateControls();
    }
    return true;
}

// Tooltips -----------------------------------------------------------------------------------

MSTR VorlithDlg::RowTip(HWND control) const
{
    MSTR tip;
    RowControl kind = ROW_FRAME;
    const int row = RowOfControl(control, kind);
    const int layer = FirstRowLayer() + row;
    if (!texture || row < 0 || !HasLayer(layer)) return tip;
    switch (kind) {
    case ROW_MAP:
    case ROW_MASK: {
        Texmap* map = texture->MapEntry(2 * layer + (kind == ROW_MASK ? 1 : 0));
        if (map)
            tip = map->GetFullName();
        else
            tip = ResString(kind == ROW_MASK ? IDS_MASK_NONE : IDS_NONE);
        break;
    }
    case ROW_INDEX:
        tip.printf(ResString(IDS_TIP_INDEX).data(), layer);
        break;
    case ROW_MODE: {
        const int mode = texture->GetLayerValue<LAYER_VALUE_modeList>(layer);
        if (mode >= 0 && mode < BLEND_MODE_COUNT) tip = ResString(kBlendModes[mode].nameId);
        break;
    }
    default:
        break;
    }
    return tip;
}

// WM_NOTIFY from the tooltips: the text of the control under the pointer, made as it shows.
bool VorlithDlg::OnRowTipNeeded(NMHDR* header)
{
    if (!header || header->code != TTN_GETDISPINFOW) return false;
    NMTTDISPINFOW* info = (NMTTDISPINFOW*)header;
    HWND control = (info->uFlags & TTF_IDISHWND) != 0 ? (HWND)header->idFrom : NULL;
    tipText = RowTip(control);
    info->hinst = NULL;
    info->lpszText = const_cast<LPWSTR>(tipText.data());
    return true;
}
