// Small window helpers of the host for plug-in dialogs: check boxes by control id and centring
// a window on another.
#pragma once

#include "maxtypes.h"

// Ticks (b non-zero) or clears check box id of dialog hw; nothing when there is no such control.
CoreExport void SetCheckBox(HWND hw, int id, BOOL b);
// TRUE when check box id of dialog hw is ticked; FALSE when it is not or does not exist.
CoreExport BOOL GetCheckBox(HWND hw, int id);
// Moves hWndChild so that its centre lies on the centre of hWndParent (of the screen's work
// area when hWndParent is NULL), kept inside that work area. FALSE when hWndChild is no window.
CoreExport BOOL CenterWindow(HWND hWndChild, HWND hWndParent);
