// Window helpers for plug-in dialogs (winutil.h).
#include "winutil.h"

void SetCheckBox(HWND hw, int id, BOOL b)
{
    HWND box = GetDlgItem(hw, id);
    if (box) SendMessageW(box, BM_SETCHECK, b ? BST_CHECKED : BST_UNCHECKED, 0);
}

BOOL GetCheckBox(HWND hw, int id)
{
    HWND box = GetDlgItem(hw, id);
    return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? TRUE : FALSE;
}

BOOL CenterWindow(HWND hWndChild, HWND hWndParent)
{
    if (!hWndChild || !IsWindow(hWndChild)) return FALSE;
    RECT child, area, around;
    GetWindowRect(hWndChild, &child);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (hWndParent && IsWindow(hWndParent))
        GetWindowRect(hWndParent, &around);
    else
        around = area;
    const int w = child.right - child.left, h = child.bottom - child.top;
    int x = (around.left + around.right - w) / 2;
    int y = (around.top + around.bottom - h) / 2;
    if (x + w > area.right) x = area.right - w;
    if (y + h > area.bottom) y = area.bottom - h;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    // A child window is placed in its parent's client coordinates.
    if (GetWindowLongW(hWndChild, GWL_STYLE) & WS_CHILD) {
        POINT p = {x, y};
        ScreenToClient(GetParent(hWndChild), &p);
        x = p.x;
        y = p.y;
    }
    return SetWindowPos(hWndChild, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
