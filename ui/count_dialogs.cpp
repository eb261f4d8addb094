// The layer count dialogs: one procedure for the three templates, with the limits as its
// parameter.
#include "count_dialogs.h"

#include "resource.h"
#include "vorlith_classdesc.h"

namespace {

struct CountLimits {
    int minimum;
    int maximum;
    int initial;
};

INT_PTR CALLBACK CountDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const CountLimits* limits = (const CountLimits*)lParam;
        ISpinnerControl* spin = SetupIntSpinner(hwnd, IDC_COUNT_SPIN, IDC_COUNT_EDIT,
                                                limits->minimum, limits->maximum, limits->initial);
        if (spin)
            ReleaseISpinner(spin);
        CenterWindow(hwnd, GetParent(hwnd));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            ISpinnerControl* spin = GetISpinner(GetDlgItem(hwnd, IDC_COUNT_SPIN));
            EndDialog(hwnd, spin ? spin->GetIVal() : -1);
            if (spin)
                ReleaseISpinner(spin);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, -1);
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int AskLayerNumber(HWND owner, int templateId, int minimum, int maximum, int initial)
{
    CountLimits limits;
    limits.minimum = minimum;
    limits.maximum = maximum;
    limits.initial = initial;
    const INT_PTR result = DialogBoxParamW(hInstance, MAKEINTRESOURCEW(templateId), owner,
                                           CountDialogProc, (LPARAM)&limits);
    return result < 0 ? -1 : (int)result;
}
