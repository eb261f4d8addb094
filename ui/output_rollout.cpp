// The Output rollout of VorlithDlg: the switches and the ten values of the Output stage.
#include "vorlith_dlg.h"

#include "resource.h"
#include "vorlith_output_values.h"
#include "vorlith_values.h"

namespace {

// The ten values in the rollout's order, each with its spinner and field, from the list of
// Output values.
#define VORLITH_ROLLOUT_VALUE(PARAM, NAME, CONTROL) VORLITH_VALUE_OF_##CONTROL
#define VORLITH_VALUE_OF_SPINNER(VALUE, EDIT, SPIN, MINIMUM, MAXIMUM, SCALE, SHOWN_DEFAULT, \
                                 MEMBER, SHOWN) \
    VALUE,
#define VORLITH_VALUE_OF_CHECKBOX(ID)
enum OutputValue { VORLITH_OUTPUT_VALUES(VORLITH_ROLLOUT_VALUE) OUT_VALUES };
#undef VORLITH_VALUE_OF_SPINNER

struct OutputSpinner {
    OutputValue value;
    int spin;
    int edit;
    float minimum;
    float maximum;
    float scale;
    float reset; // the value at set-up and the spinner's reset value, as shown
    bool inPercent; // a factor shown in percent
};

#define AS_IS false
#define IN_PERCENT true
#define VORLITH_VALUE_OF_SPINNER(VALUE, EDIT, SPIN, MINIMUM, MAXIMUM, SCALE, SHOWN_DEFAULT, \
                                 MEMBER, SHOWN) \
    {VALUE, SPIN, EDIT, MINIMUM, MAXIMUM, SCALE, SHOWN_DEFAULT, SHOWN},
const OutputSpinner kOutputSpinners[OUT_VALUES] = {VORLITH_OUTPUT_VALUES(VORLITH_ROLLOUT_VALUE)};
#undef VORLITH_VALUE_OF_SPINNER
#undef AS_IS
#undef IN_PERCENT

float& Member(OutputSettings& o, OutputValue v)
{
    switch (v) {
#define VORLITH_VALUE_OF_SPINNER(VALUE, EDIT, SPIN, MINIMUM, MAXIMUM, SCALE, SHOWN_DEFAULT, \
                                 MEMBER, SHOWN) \
    case VALUE: \
        return o.MEMBER;
        VORLITH_OUTPUT_VALUES(VORLITH_ROLLOUT_VALUE)
#undef VORLITH_VALUE_OF_SPINNER
    default:
        return o.gamma;
    }
}
#undef VORLITH_VALUE_OF_CHECKBOX
#undef VORLITH_ROLLOUT_VALUE

// The value as its spinner shows it.
float Shown(const OutputSettings& o, const OutputSpinner& s)
{
    OutputSettings copy = o;
    return s.inPercent ? Member(copy, s.value) * 100.0f : Member(copy, s.value);
}

// Mono is kept as a float; as an integer it is on from 1 away from 0 (and a NaN is off).
bool MonoOn(float mono) { return mono >= 1.0f || mono <= -1.0f; }

// The switches and the button that follow "On".
const int kOutputSwitches[] = {IDC_OUT_CLAMP, IDC_OUT_MONO, IDC_OUT_RESET};

} // namespace

INT_PTR VorlithDlg::OutputMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (msg) {
    case WM_INITDIALOG:
        InitOutput(hwnd);
        return TRUE;
    case WM_DESTROY:
        outputRollout = NULL;
        break;
    case WM_PAINT:
        ReloadIfInvalid();
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
    if (!texture) return;
    const OutputSettings& o = texture->Output();
    CheckDlgButton(hwnd, IDC_OUT_ON, o.Output_on ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_OUT_CLAMP, o.Clamp ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_OUT_MONO, MonoOn(o.Mono) ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < OUT_VALUES; ++i) {
        const OutputSpinner& s = kOutputSpinners[i];
        ISpinnerControl* spin =
            SetupFloatSpinner(hwnd, s.spin, s.edit, s.minimum, s.maximum, s.reset, s.scale);
        if (!spin) continue;
        spin->SetValue(Shown(o, s), FALSE);
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
    if (!IsWindow(outputRollout)) return;
    for (int i = 0; i < OUT_VALUES; ++i) {
        ISpinnerControl* spin = GetISpinner(GetDlgItem(outputRollout, kOutputSpinners[i].spin));
        if (spin) {
            spin->Enable(on ? TRUE : FALSE);
            ReleaseISpinner(spin);
        }
    }
    for (size_t i = 0; i < sizeof(kOutputSwitches) / sizeof(kOutputSwitches[0]); ++i) {
        HWND control = GetDlgItem(outputRollout, kOutputSwitches[i]);
        if (control) EnableWindow(control, on ? TRUE : FALSE);
    }
}

void VorlithDlg::OnOutputCommand(int id)
{
    if (!texture || !outputRollout || !IsWindow(outputRollout)) return;
    OutputSettings o = texture->Output();
    const bool checked = IsDlgButtonChecked(outputRollout, id) == BST_CHECKED;
    if (id != IDC_OUT_ON && id != IDC_OUT_CLAMP && id != IDC_OUT_MONO && id != IDC_OUT_RESET)
        return;
    switch (id) {
    case IDC_OUT_ON:
        o.Output_on = checked;
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
    BeginStep();
    texture->SetOutput(o);
    AcceptStep(id == IDC_OUT_RESET ? IDS_UNDO_RESET_OUTPUT : IDS_PARAM_CHANGE);
    UpdateControls();
    TellMaterialEditor();
}

// A value is taken when its spinner's button is released or Enter is pressed in its field.
void VorlithDlg::OnOutputValue(int id)
{
    if (!texture) return;
    for (int i = 0; i < OUT_VALUES; ++i) {
        const OutputSpinner& s = kOutputSpinners[i];
        if (id != s.spin && id != s.edit) continue;
        ISpinnerControl* spin =
            IsWindow(outputRollout) ? GetISpinner(GetDlgItem(outputRollout, s.spin)) : NULL;
        if (!spin) break;
        const float shown = spin->GetFVal();
        ReleaseISpinner(spin);
        if (IsFiniteFloat(shown)) {
            OutputSettings o = texture->Output();
            Member(o, s.value) = s.inPercent ? shown * 0.01f : shown;
            BeginStep();
            texture->SetOutput(o);
            AcceptStep(IDS_PARAM_CHANGE);
        }
        break;
    }
    UpdateControls();
    TellMaterialEditor();
}

// Part of every refresh: the rollout shows the texture's Output settings.
void VorlithDlg::RefreshOutput()
{
    if (!texture) return;
    const OutputSettings& o = texture->Output();
    if (!outputRollout || !IsWindow(outputRollout)) return;
    for (int i = 0; i < OUT_VALUES; ++i) {
        ISpinnerControl* spin = GetISpinner(GetDlgItem(outputRollout, kOutputSpinners[i].spin));
        if (spin) {
            spin->SetValue(Shown(o, kOutputSpinners[i]), FALSE);
            ReleaseISpinner(spin);
        }
    }
    SetCheckBox(outputRollout, IDC_OUT_ON, o.Output_on ? TRUE : FALSE);
    SetCheckBox(outputRollout, IDC_OUT_CLAMP, o.Clamp ? TRUE : FALSE);
    SetCheckBox(outputRollout, IDC_OUT_MONO, MonoOn(o.Mono) ? TRUE : FALSE);
    EnableOutputControls(o.Output_on);
}
