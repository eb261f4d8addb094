// The published layer interface (IVorlithLayers). Each setter is an edit as the editor makes
// it, through the same operation of the texture: the value changes (recorded for undo when the
// host is holding), the texture's validity is emptied, an open editor reloads and the dependents
// hear REFMSG_CHANGE; a setter that changes nothing records and tells nothing. Input the editor
// could never produce is refused: a layer index outside the stack, a float that is not finite.
// Gamma stays at the lowest gamma or above as the editor's spinner keeps it; blend-mode indices
// are kept as given, since stored scenes may hold indices this library does not know.
#include "vorlith.h"

#include "layer_clipboard.h"
#include "vorlith_values.h"

VorlithLayersInterface::VorlithLayersInterface(Vorlith* owner) : tex(owner) { }

Interface_ID VorlithLayersInterface::GetID() { return VORLITH_LAYERS_INTERFACE; }

// Layer list: the texture's operations check the indices and tell once.

int VorlithLayersInterface::GetNumLayers() { return tex->NumLayers(); }

void VorlithLayersInterface::SetNumLayers(int count) { tex->SetNumMaps(count); }

void VorlithLayersInterface::InsertLayer(int index) { tex->InsertLayer(index); }

void VorlithLayersInterface::DeleteLayer(int index) { tex->DeleteLayer(index); }

void VorlithLayersInterface::SwapLayers(int a, int b) { tex->SwapLayers(a, b); }

// Per-layer values: the texture's operations check the layer and the value's rule.

BOOL VorlithLayersInterface::GetMapEnabled(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_mapEnabled>(layer) ? TRUE : FALSE;
}

void VorlithLayersInterface::SetMapEnabled(int layer, BOOL on)
{
    tex->SetLayerValue<LAYER_VALUE_mapEnabled>(layer, on);
}

BOOL VorlithLayersInterface::GetMaskEnabled(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_maskEnabled>(layer) ? TRUE : FALSE;
}

void VorlithLayersInterface::SetMaskEnabled(int layer, BOOL on)
{
    tex->SetLayerValue<LAYER_VALUE_maskEnabled>(layer, on);
}

BOOL VorlithLayersInterface::GetLayerUsed(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_mapUsed>(layer) ? TRUE : FALSE;
}

void VorlithLayersInterface::SetLayerUsed(int layer, BOOL on)
{
    tex->SetLayerValue<LAYER_VALUE_mapUsed>(layer, on);
}

float VorlithLayersInterface::GetOpacity(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_opasityList>(layer);
}

void VorlithLayersInterface::SetOpacity(int layer, float percent)
{
    tex->SetLayerValue<LAYER_VALUE_opasityList>(layer, percent);
}

Color VorlithLayersInterface::GetLayerColor(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_colorList>(layer);
}

void VorlithLayersInterface::SetLayerColor(int layer, Color c)
{
    tex->SetLayerValue<LAYER_VALUE_colorList>(layer, c);
}

int VorlithLayersInterface::GetBlendMode(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_modeList>(layer);
}

void VorlithLayersInterface::SetBlendMode(int layer, int mode)
{
    tex->SetLayerValue<LAYER_VALUE_modeList>(layer, mode);
}

// Output settings: each setter changes one value of a copy and gives it to the texture's one
// Output operation.

BOOL VorlithLayersInterface::GetOutputEnabled() { return tex->Output().Output_on ? TRUE : FALSE; }

void VorlithLayersInterface::SetOutputEnabled(BOOL on)
{
    OutputSettings s = tex->Output();
    s.Output_on = on != FALSE;
    tex->SetOutput(s);
}

Point3 VorlithLayersInterface::GetOutputShiftHSV()
{
    const AColor& s = tex->Output().outputShiftHSV;
    return Point3(s.r, s.g, s.b);
}

void VorlithLayersInterface::SetOutputShiftHSV(Point3 hsv)
{
    if (!IsFiniteFloat(hsv.x) || !IsFiniteFloat(hsv.y) || !IsFiniteFloat(hsv.z)) return;
    OutputSettings s = tex->Output();
    s.outputShiftHSV = AColor(hsv.x, hsv.y, hsv.z, 0.0f);
    tex->SetOutput(s);
}

Point3 VorlithLayersInterface::GetOutputShiftRGB()
{
    const AColor& s = tex->Output().outputShiftRGB;
    return Point3(s.r, s.g, s.b);
}

void VorlithLayersInterface::SetOutputShiftRGB(Point3 rgb)
{
    if (!IsFiniteFloat(rgb.x) || !IsFiniteFloat(rgb.y) || !IsFiniteFloat(rgb.z)) return;
    OutputSettings s = tex->Output();
    s.outputShiftRGB = AColor(rgb.x, rgb.y, rgb.z, 0.0f);
    tex->SetOutput(s);
}

float VorlithLayersInterface::GetOutputAlpha() { return tex->Output().alpha; }

void VorlithLayersInterface::SetOutputAlpha(float shift)
{
    if (!IsFiniteFloat(shift)) return;
    OutputSettings s = tex->Output();
    s.alpha = shift;
    tex->SetOutput(s);
}

float VorlithLayersInterface::GetOutputBrightness() { return tex->Output().bright; }

void VorlithLayersInterface::SetOutputBrightness(float factor)
{
    if (!IsFiniteFloat(factor)) return;
    OutputSettings s = tex->Output();
    s.bright = factor;
    tex->SetOutput(s);
}

float VorlithLayersInterface::GetOutputContrast() { return tex->Output().contrast; }

void VorlithLayersInterface::SetOutputContrast(float factor)
{
    if (!IsFiniteFloat(factor)) return;
    OutputSettings s = tex->Output();
    s.contrast = factor;
    tex->SetOutput(s);
}

float VorlithLayersInterface::GetOutputGamma() { return tex->Output().gamma; }

void VorlithLayersInterface::SetOutputGamma(float gamma)
{
    if (!IsFiniteFloat(gamma)) return;
    OutputSettings s = tex->Output();
    s.gamma = LimitOutputGamma(gamma);
    tex->SetOutput(s);
}

BOOL VorlithLayersInterface::GetOutputMono() { return tex->Output().Mono != 0.0f ? TRUE : FALSE; }

void VorlithLayersInterface::SetOutputMono(BOOL on)
{
    OutputSettings s = tex->Output();
    s.Mono = on ? 1.0f : 0.0f;
    tex->SetOutput(s);
}

BOOL VorlithLayersInterface::GetOutputClamp() { return tex->Output().Clamp ? TRUE : FALSE; }

void VorlithLayersInterface::SetOutputClamp(BOOL on)
{
    OutputSettings s = tex->Output();
    s.Clamp = on != FALSE;
    tex->SetOutput(s);
}

// Layer actions: the texture's operations check the indices and the base layer's rules.

void VorlithLayersInterface::DuplicateLayer(int index) { tex->DuplicateLayer(index); }

void VorlithLayersInterface::MoveLayer(int index, int to) { tex->MoveLayer(index, to); }

void VorlithLayersInterface::ClearLayerMap(int layer) { tex->ClearLayerMap(layer, false); }

void VorlithLayersInterface::ClearLayerMask(int layer) { tex->ClearLayerMap(layer, true); }

void VorlithLayersInterface::CopyLayer(int layer) { tex->CopyLayer(layer); }

BOOL VorlithLayersInterface::CanPasteLayer() { return LayerClipboard::The().Full() ? TRUE : FALSE; }

void VorlithLayersInterface::PasteLayer(int index) { tex->PasteLayer(index); }

void VorlithLayersInterface::ClearLayerClipboard() { LayerClipboard::The().Clear(); }

int VorlithLayersInterface::GetBlendSpace(int layer)
{
    return tex->GetLayerValue<LAYER_VALUE_spaceList>(layer);
}

void VorlithLayersInterface::SetBlendSpace(int layer, int space)
{
    tex->SetLayerValue<LAYER_VALUE_spaceList>(layer, space);
}
