// The published layer interface (IVorlithLayers). Each setter is an edit as the editor makes
// it: the value changes (recorded for undo when the host is holding), the texture's validity is
// emptied, an open editor reloads and the dependents hear REFMSG_CHANGE. Input the editor could
// never produce is refused: a layer index outside the stack, a float that is not finite. Gamma
// stays at the lowest gamma or above as the editor's spinner keeps it; blend-mode indices are
// kept as given, since stored scenes may hold indices this library does not know.
#include "vorlith.h"
#include "vorlith_values.h"

#include <cstring>

// A value written over itself changes nothing: the setter then records no undo step and tells
// no one. Floats compare by their bits, so 0 and -0 (saved differently) are different values.
static bool SameFloat(float a, float b)
{
    return std::memcmp(&a, &b, sizeof(float)) == 0;
}

static bool SameColor(const Color& a, const Color& b)
{
    return SameFloat(a.r, b.r) && SameFloat(a.g, b.g) && SameFloat(a.b, b.b);
}

static bool SameShift(const AColor& a, const Point3& b)
{
    return SameFloat(a.r, b.x) && SameFloat(a.g, b.y) && SameFloat(a.b, b.z) && a.a == 0.0f;
}

VorlithLayersInterface::VorlithLayersInterface(Vorlith* owner)
    : tex(owner)
{
}

Interface_ID VorlithLayersInterface::GetID()
{
    return VORLITH_LAYERS_INTERFACE;
}

bool VorlithLayersInterface::HasLayer(int layer) const
{
    return layer >= 0 && layer < tex->NumUsableLayers();
}

void VorlithLayersInterface::Edited()
{
    tex->LayersEdited();
}

// Layer list -----------------------------------------------------------------------------------

int VorlithLayersInterface::GetNumLayers()
{
    return tex->NumLayers();
}

void VorlithLayersInterface::SetNumLayers(int count)
{
    // SetNumMaps notifies the dependents itself.
    const int before = tex->NumLayers();
    tex->SetNumMaps(count);
    if (tex->NumLayers() != before && tex->paramDlg)
        tex->paramDlg->Invalidate();
}

void VorlithLayersInterface::InsertLayer(int index)
{
    const int before = tex->NumLayers();
    tex->InsertLayer(index);
    if (tex->NumLayers() != before)
        Edited();
}

void VorlithLayersInterface::DeleteLayer(int index)
{
    const int before = tex->NumLayers();
    tex->DeleteLayer(index);
    if (tex->NumLayers() != before)
        Edited();
}

void VorlithLayersInterface::SwapLayers(int a, int b)
{
    const int layers = tex->NumLayers();
    if (a < 0 || b < 0 || a >= layers || b >= layers || a == b)
        return;
    tex->SwapLayers(a, b);
    Edited();
}

// Per-layer values -----------------------------------------------------------------------------

BOOL VorlithLayersInterface::GetMapEnabled(int layer)
{
    return HasLayer(layer) ? (tex->mapEnabled[layer] ? TRUE : FALSE) : VORLITH_NEW_LAYER_SWITCH;
}

void VorlithLayersInterface::SetMapEnabled(int layer, BOOL on)
{
    if (!HasLayer(layer) || tex->mapEnabled[layer] == (on ? 1 : 0))
        return;
    tex->HoldLayers();
    tex->mapEnabled[layer] = on ? 1 : 0;
    Edited();
}

BOOL VorlithLayersInterface::GetMaskEnabled(int layer)
{
    return HasLayer(layer) ? (tex->maskEnabled[layer] ? TRUE : FALSE) : VORLITH_NEW_LAYER_SWITCH;
}

void VorlithLayersInterface::SetMaskEnabled(int layer, BOOL on)
{
    if (!HasLayer(layer) || tex->maskEnabled[layer] == (on ? 1 : 0))
        return;
    tex->HoldLayers();
    tex->maskEnabled[layer] = on ? 1 : 0;
    Edited();
}

BOOL VorlithLayersInterface::GetLayerUsed(int layer)
{
    return HasLayer(layer) ? (tex->mapUsed[layer] ? TRUE : FALSE) : VORLITH_NEW_LAYER_SWITCH;
}

void VorlithLayersInterface::SetLayerUsed(int layer, BOOL on)
{
    if (!HasLayer(layer) || tex->mapUsed[layer] == (on ? 1 : 0))
        return;
    tex->HoldLayers();
    tex->mapUsed[layer] = on ? 1 : 0;
    Edited();
}

float VorlithLayersInterface::GetOpacity(int layer)
{
    return HasLayer(layer) ? tex->opasityList[layer] : VORLITH_NEW_LAYER_OPACITY;
}

void VorlithLayersInterface::SetOpacity(int layer, float percent)
{
    if (!HasLayer(layer) || !IsFiniteFloat(percent) || SameFloat(tex->opasityList[layer], percent))
        return;
    tex->HoldLayers();
    tex->opasityList[layer] = percent;
    Edited();
}

Color VorlithLayersInterface::GetLayerColor(int layer)
{
    return HasLayer(layer) ? tex->colorList[layer]
                           : Color(VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY);
}

void VorlithLayersInterface::SetLayerColor(int layer, Color c)
{
    if (!HasLayer(layer) || !IsFiniteFloat(c.r) || !IsFiniteFloat(c.g) || !IsFiniteFloat(c.b)
        || SameColor(tex->colorList[layer], c))
        return;
    tex->HoldLayers();
    tex->colorList[layer] = c;
    Edited();
}

int VorlithLayersInterface::GetBlendMode(int layer)
{
    return HasLayer(layer) ? tex->modeList[layer] : VORLITH_NEW_LAYER_MODE;
}

void VorlithLayersInterface::SetBlendMode(int layer, int mode)
{
    if (!HasLayer(layer) || tex->modeList[layer] == mode)
        return;
    tex->HoldLayers();
    tex->modeList[layer] = mode;
    Edited();
}

// Output settings ------------------------------------------------------------------------------

BOOL VorlithLayersInterface::GetOutputEnabled()
{
    return tex->output.Output_on ? TRUE : FALSE;
}

void VorlithLayersInterface::SetOutputEnabled(BOOL on)
{
    if (tex->output.Output_on == (on != FALSE))
        return;
    tex->HoldLayers();
    tex->output.Output_on = on != FALSE;
    Edited();
}

Point3 VorlithLayersInterface::GetOutputShiftHSV()
{
    const AColor& s = tex->output.outputShiftHSV;
    return Point3(s.r, s.g, s.b);
}

void VorlithLayersInterface::SetOutputShiftHSV(Point3 hsv)
{
    if (!IsFiniteFloat(hsv.x) || !IsFiniteFloat(hsv.y) || !IsFiniteFloat(hsv.z)
        || SameShift(tex->output.outputShiftHSV, hsv))
        return;
    tex->HoldLayers();
    tex->output.outputShiftHSV = AColor(hsv.x, hsv.y, hsv.z, 0.0f);
    Edited();
}

Point3 VorlithLayersInterface::GetOutputShiftRGB()
{
    const AColor& s = tex->output.outputShiftRGB;
    return Point3(s.r, s.g, s.b);
}

void VorlithLayersInterface::SetOutputShiftRGB(Point3 rgb)
{
    if (!IsFiniteFloat(rgb.x) || !IsFiniteFloat(rgb.y) || !IsFiniteFloat(rgb.z)
        || SameShift(tex->output.outputShiftRGB, rgb))
        return;
    tex->HoldLayers();
    tex->output.outputShiftRGB = AColor(rgb.x, rgb.y, rgb.z, 0.0f);
    Edited();
}

float VorlithLayersInterface::GetOutputAlpha()
{
    return tex->output.alpha;
}

void VorlithLayersInterface::SetOutputAlpha(float shift)
{
    if (!IsFiniteFloat(shift) || SameFloat(tex->output.alpha, shift))
        return;
    tex->HoldLayers();
    tex->output.alpha = shift;
    Edited();
}

float VorlithLayersInterface::GetOutputBrightness()
{
    return tex->output.bright;
}

void VorlithLayersInterface::SetOutputBrightness(float factor)
{
    if (!IsFiniteFloat(factor) || SameFloat(tex->output.bright, factor))
        return;
    tex->HoldLayers();
    tex->output.bright = factor;
    Edited();
}

float VorlithLayersInterface::GetOutputContrast()
{
    return tex->output.contrast;
}

void VorlithLayersInterface::SetOutputContrast(float factor)
{
    if (!IsFiniteFloat(factor) || SameFloat(tex->output.contrast, factor))
        return;
    tex->HoldLayers();
    tex->output.contrast = factor;
    Edited();
}

float VorlithLayersInterface::GetOutputGamma()
{
    return tex->output.gamma;
}

void VorlithLayersInterface::SetOutputGamma(float gamma)
{
    if (!IsFiniteFloat(gamma) || SameFloat(tex->output.gamma, LimitOutputGamma(gamma)))
        return;
    tex->HoldLayers();
    tex->output.gamma = LimitOutputGamma(gamma);
    Edited();
}

BOOL VorlithLayersInterface::GetOutputMono()
{
    return tex->output.Mono != 0.0f ? TRUE : FALSE;
}

void VorlithLayersInterface::SetOutputMono(BOOL on)
{
    if (SameFloat(tex->output.Mono, on ? 1.0f : 0.0f))
        return;
    tex->HoldLayers();
    tex->output.Mono = on ? 1.0f : 0.0f;
    Edited();
}

BOOL VorlithLayersInterface::GetOutputClamp()
{
    return tex->output.Clamp ? TRUE : FALSE;
}

void VorlithLayersInterface::SetOutputClamp(BOOL on)
{
    if (tex->output.Clamp == (on != FALSE))
        return;
    tex->HoldLayers();
    tex->output.Clamp = on != FALSE;
    Edited();
}
