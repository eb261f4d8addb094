// The layer count dialogs: "Set Number of Maps" (IDD_SET_NUMBER), "Insert Map"
// (IDD_INSERT_LAYER) and "Delete Map" (IDD_DELETE_LAYER). Each asks for one whole number with
// a spinner limited to minimum..maximum, starting at initial.
#pragma once

#include "max.h"

// Runs the modal dialog of template templateId owned by owner. Returns the spinner's number on
// OK and -1 on Cancel, when the dialog is closed or when it cannot be made.
int AskLayerNumber(HWND owner, int templateId, int minimum, int maximum, int initial);
