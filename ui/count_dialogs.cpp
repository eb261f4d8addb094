// The layer count dialogs: one procedure for the three templates, with the limits as its
// parameter.
#include "count_dialogs.h"

#include "resource.h"
#include "row_texts.h"
#include "vorlith_classdesc.h"

namespace {

struct CountLimits {
    int minimum;
    int maximum;
    int initial;
};

// The number the dialog answers: the number field's text as typed, kept within the limits as
// the spinner keeps it; the spinner's value when the text is no whole number.
int AnsweredNumber(HWND hwnd)
{
    const CountLimits* limits = (const CountLimits*)GetWindowLongPtr(hwnd, GWLP_USERDATA);
    ISpinnerControl* spin = GetISpinner(GetDlgItem(hwnd, IDC_COUNT_SPIN));
    int n = spin ? spin->GetIVal() : -1;
    if (spin) ReleaseISpinner(spin);
    TCHAR text[32];
    text[0] = 0;
    GetDlgItemText(hwnd, IDC_COUNT_EDIT, text, sizeof(text) / sizeof(text[0]));
    int typed = 0;
    if (limits && ParseWholeNumber(text, typed)) {
        n = typed < limits->minimum ? limits->minimum : typed;
        n = n > limits->maximum ? limits->maximum : n;
    }
    return n;
}

INT_PTR CALLBACK CountDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const CountLimits* limits = (const CountLimits*)lParam;
        SetWindowLongPtr(hwnd, GWLP_USERDATA, (LONG_PTR)lParam);
        ISpinnerControl* spin = SetupIntSpinner(hwnd, IDC_COUNT_SPIN, IDC_COUNT_EDIT,
                                                limits->minimum, limits->maximum, limits->initial);
        if (spin) ReleaseISpinner(spin);
        // Enter and Escape are the dialog's: Enter is OK, Escape is Cancel.
        ICustEdit* edit = GetICustEdit(GetDlgItem(hwnd, IDC_COUNT_EDIT));
        if (edit) {
            edit->WantReturn(FALSE);
            ReleaseICustEdit(edit);
        }
        CenterWindow(hwnd, GetParent(hwnd));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(hwnd, AnsweredNumber(hwnd));
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, -1);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

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
