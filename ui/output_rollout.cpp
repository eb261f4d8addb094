// The Output rollout of VorlithDlg: the switches and the ten values of the Output stage.
#include "vorlith_dlg.h"

#include "resource.h"
#include "vorlith_values.h"

namespace {

// The ten values in the rollout's order, each with its spinner and field. bright and contrast
// are factors shown in percent.
enum OutputValue {
    OUT_HSV_H, OUT_HSV_S, OUT_HSV_V, OUT_RGB_R, OUT_RGB_G, OUT_RGB_B,
    OUT_ALPHA, OUT_BRIGHT, OUT_CONTRAST, OUT_GAMMA, OUT_VALUES
};

struct OutputSpinner {
    OutputValue value;
    int spin;
    int edit;
    float minimum;
    float maximum;
    float scale;
    float reset;        // the value at set-up and the spinner's reset value, as shown
};

const OutputSpinner kOutputSpinners[OUT_VALUES] = {
    {OUT_HSV_H, IDC_OUT_HSV_H_SPIN, IDC_OUT_HSV_H_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_HSV_S, IDC_OUT_HSV_S_SPIN, IDC_OUT_HSV_S_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_HSV_V, IDC_OUT_HSV_V_SPIN, IDC_OUT_HSV_V_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_RGB_R, IDC_OUT_RGB_R_SPIN, IDC_OUT_RGB_R_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_RGB_G, IDC_OUT_RGB_G_SPIN, IDC_OUT_RGB_G_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_RGB_B, IDC_OUT_RGB_B_SPIN, IDC_OUT_RGB_B_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_ALPHA, IDC_OUT_ALPHA_SPIN, IDC_OUT_ALPHA_EDIT, -10000000.0f, 10000000.0f, 0.1f, 0.0f},
    {OUT_BRIGHT, IDC_OUT_BRIGHT_SPIN, IDC_OUT_BRIGHT_EDIT, -10000000.0f, 10000000.0f, 1.0f, 100.0f},
    {OUT_CONTRAST, IDC_OUT_CONTRAST_SPIN, IDC_OUT_CONTRAST_EDIT, -10000000.0f, 10000000.0f, 1.0f, 100.0f},
    {OUT_GAMMA, IDC_OUT_GAMMA_SPIN, IDC_OUT_GAMMA_EDIT, 0.001f, 10000000.0f, 0.01f, 1.0f},
};

bool InPercent(OutputValue v)
{
    return v == OUT_BRIGHT || v == OUT_CONTRAST;
}

float& Member(OutputSettings& o, OutputValue v)
{
    switch (v) {
    case OUT_HSV_H: return o.outputShiftHSV.r;
    case OUT_HSV_S: return o.outputShiftHSV.g;
    case OUT_HSV_V: return o.outputShiftHSV.b;
    case OUT_RGB_R: return o.outputShiftRGB.r;
    case OUT_RGB_G: return o.outputShiftRGB.g;
    case OUT_RGB_B: return o.outputShiftRGB.b;
    case OUT_ALPHA: return o.alpha;
    case OUT_BRIGHT: return o.bright;
    case OUT_CONTRAST: return o.contrast;
    default: return o.gamma;
    }
}

// The value as its spinner shows it.
float Shown(OutputSettings& o, OutputValue v)
{
    return InPercent(v) ? Member(o, v) * 100.0f : Member(o, v);
}

// Mono is kept as a float; as an integer it is on from 1 away from 0 (and a NaN is off).
bool MonoOn(float mono)
{
    return mono >= 1.0f || mono <= -1.0f;
}

// The switches and the button that follow "On".
const int kOutputSwitches[] = {IDC_OUT_CLAMP, IDC_OUT_MONO, IDC_OUT_RESET};

}  // namespace

INT_PTR VorlithDlg::OutputMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (msg) {
    case WM_INITDIALOG:
        InitOutput(hwnd);
        return TRUE;
    case WM_DESTROY:
        hOutput = NULL;
        break;
    case WM_PAINT:
        PaintingRollout();
        break;
    case WM_COMMAND:
        OnOutputCommand(LOWORD(wParam));
        break;
    case CC_SPINNER_BUTTONUP:
    case WM_CUSTEDIT_ENTER:
        OnOutputValue(LOWORD(wParam));
        break;
    }
    return FALSE;
}

void VorlithDlg::InitOutput(HWND hwnd)
{
    if (!theTex)
        return;
    OutputSettings& o = theTex->output;
    CheckDlgButton(hwnd, IDC_OUT_ON, o.Output_on ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_OUT_CLAMP, o.Clamp ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_OUT_MONO, MonoOn(o.Mono) ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < OUT_VALUES; ++i) {
        const OutputSpinner& s = kOutputSpinners[i];
        ISpinnerControl* spin = SetupFloatSpinner(hwnd, s.spin, s.edit, s.minimum, s.maximum,
                                                  s.reset, s.scale);
        if (!spin)
            continue;
        spin->SetValue(Shown(o, s.value), FALSE);
        spin->SetAutoScale(TRUE);
        spin->SetResetValue(s.reset);
        spin->Enable(o.Output_on ? TRUE : FALSE);
        ReleaseISpinner(spin);
    }
    for (size_t i = 0; i < sizeof(kOutputSwitches) / sizeof(kOutputSwitches[0]); ++i)
        EnableWindow(GetDlgItem(hwnd, kOutputSwitches[i]), o.Output_on ? TRUE : FALSE);
}

// The ten spinners, "Clamp", "Mono" and "Reset" are enabled exactly when the stage is on.
void VorlithDlg::EnableOutputControls(bool on)
{
    if (!IsWindow(hOutput))
        return;
    for (int i = 0; i < OUT_VALUES; ++i) {
        ISpinnerControl* spin = GetISpinner(GetDlgItem(hOutput, kOutputSpinners[i].spin));
        if (spin) {
            spin->Enable(on ? TRUE : FALSE);
            ReleaseISpinner(spin);
        }
    }
    for (size_t i = 0; i < sizeof(kOutputSwitches) / sizeof(kOutputSwitches[0]); ++i) {
        HWND control = GetDlgItem(hOutput, kOutputSwitches[i]);
        if (control)
            EnableWindow(control, on ? TRUE : FALSE);
    }
}

void VorlithDlg::OnOutputCommand(int id)
{
    if (!theTex || !hOutput || !IsWindow(hOutput))
        return;
    OutputSettings& o = theTex->output;
    const bool checked = IsDlgButtonChecked(hOutput, id) == BST_CHECKED;
    if (id != IDC_OUT_ON && id != IDC_OUT_CLAMP && id != IDC_OUT_MONO && id != IDC_OUT_RESET)
        return;
    BeginValueStep();
    switch (id) {
    case IDC_OUT_ON:
        o.Output_on = checked;
        EnableOutputControls(checked);
        break;
    case IDC_OUT_CLAMP:
        o.Clamp = checked;
        break;
    case IDC_OUT_MONO:
        o.Mono = checked ? 1.0f : 0.0f;
        break;
    case IDC_OUT_RESET: {
        // Back to a new texture's neutral stage; whether it is on stays the user's.
        const bool on = o.Output_on;
        SetDefaultOutputSettings(o);
        o.Output_on = on;
        break;
    }
    }
    AcceptStep(id == IDC_OUT_RESET ? IDS_UNDO_RESET_OUTPUT : IDS_PARAM_CHANGE);
    Edited();
    UpdateControls();
    TellMaterialEditor();
}

// A value is taken when its spinner's button is released or Enter is pressed in its field.
void VorlithDlg::OnOutputValue(int id)
{
    if (!theTex)
        return;
    for (int i = 0; i < OUT_VALUES; ++i) {
        const OutputSpinner& s = kOutputSpinners[i];
        if (id != s.spin && id != s.edit)
            continue;
        ISpinnerControl* spin = IsWindow(hOutput) ? GetISpinner(GetDlgItem(hOutput, s.spin)) : NULL;
        if (!spin)
            break;
        const float shown = spin->GetFVal();
        ReleaseISpinner(spin);
        if (IsFiniteFloat(shown)) {
            BeginValueStep();
            Member(theTex->output, s.value) = InPercent(s.value) ? shown * 0.01f : shown;
            AcceptStep(IDS_PARAM_CHANGE);
            Edited();
        }
        break;
    }
    UpdateControls();
    TellMaterialEditor();
}

// The end of every refresh: the rollout shows the texture's Output settings.
void VorlithDlg::RefreshOutput()
{
    if (!theTex)
        return;
    OutputSettings& o = theTex->output;
    o.outputShiftHSV.a = 0.0f;
    o.outputShiftRGB.a = 0.0f;
    if (!hOutput || !IsWindow(hOutput))
        return;
    for (int i = 0; i < OUT_VALUES; ++i) {
        ISpinnerControl* spin = GetISpinner(GetDlgItem(hOutput, kOutputSpinners[i].spin));
        if (spin) {
            spin->SetValue(Shown(o, kOutputSpinners[i].value), FALSE);
            ReleaseISpinner(spin);
        }
    }
    SetCheckBox(hOutput, IDC_OUT_ON, o.Output_on ? TRUE : FALSE);
    SetCheckBox(hOutput, IDC_OUT_CLAMP, o.Clamp ? TRUE : FALSE);
    SetCheckBox(hOutput, IDC_OUT_MONO, MonoOn(o.Mono) ? TRUE : FALSE);
    EnableOutputControls(o.Output_on);
}
