// IVorlithLayers: the published interface of a Vorlith texture.
//
// Hosts and scripts reach a texture's per-layer values and Output settings through it:
//     IVorlithLayers* layers = (IVorlithLayers*)tex->GetInterface(VORLITH_LAYERS_INTERFACE);
// Layers are indexed from 0 (the base layer). Every setter behaves as an edit in the editor
// does: it changes the texture, empties its validity and notifies its dependents with
// REFMSG_CHANGE. A layer index outside 0 .. GetNumLayers() - 1 is ignored by setters, and
// getters return the new-layer default for it. A float that is not finite (NaN, infinity) is
// refused: the setter changes nothing and notifies nobody. Structural edits that change nothing
// (an index out of range, the same count) notify nobody either.
#pragma once

#include "baseinterface.h"
#include "acolor.h"
#include "color.h"
#include "point3.h"

// The texture's class, as its class descriptor registers it (super class TEXMAP_CLASS_ID).
#define VORLITH_CLASS_ID Class_ID(0x9B340D4D, 0xA443AC6A)

#define VORLITH_LAYERS_INTERFACE Interface_ID(0x51C3A7E2, 0x2D6B94F0)

// The most layers a texture holds. Its sub-map slots (two per layer) and references (one more)
// then stay far inside an int, and a stack stays a size that can be edited and rendered. A
// layer count above it, and a sub-map or reference index past its slots, are refused: nothing
// changes. Scene loading keeps to it too.
#define VORLITH_MAX_LAYERS 100000

// The values a new layer holds (its map and mask are empty): every switch on, fully opaque,
// mid-grey, "Normal". Getters answer these for a layer index outside the stack.
#define VORLITH_NEW_LAYER_SWITCH 1
#define VORLITH_NEW_LAYER_OPACITY 100.0f // percent
#define VORLITH_NEW_LAYER_GREY 0.5f // red, green and blue
#define VORLITH_NEW_LAYER_MODE 0 // "Normal"
#define VORLITH_NEW_LAYER_SPACE VORLITH_SPACE_LINEAR

// A layer's blend space: linear (the renderer's values as they are) or display (its colour and
// the base sRGB-encoded for the mode, the result decoded). The bump walk ignores it.
#define VORLITH_SPACE_LINEAR 0
#define VORLITH_SPACE_DISPLAY 1

// The lowest Output gamma. The setter and scene loading raise anything below it to it, as the
// editor's spinner does; the evaluation relies on it.
#define VORLITH_MIN_OUTPUT_GAMMA 0.001f

// The blend modes, indices 0 .. VORLITH_MODE_COUNT - 1. The name of mode i, as the editor shows
// it, is string VORLITH_MODE_NAME_ID(i) of the library's string table: modes 0 to 18 are strings
// 16 to 34, the others 36 to 51. (The library checks both against its mode list when it is
// built.)
#define VORLITH_MODE_COUNT 35
#define VORLITH_MODE_NAME_ID(i) ((i) < 19 ? 16 + (i) : 17 + (i))

class IVorlithLayers : public BaseInterface {
public:
    // Layer list.
    virtual int GetNumLayers() = 0;
    virtual void SetNumLayers(int count) = 0; // ignored below 1
    virtual void InsertLayer(int index) = 0; // 1 .. count - 1
    virtual void DeleteLayer(int index) = 0; // 1 .. count - 1
    virtual void SwapLayers(int a, int b) = 0; // notifies, unlike the bare swap

    // Per-layer values.
    virtual BOOL GetMapEnabled(int layer) = 0;
    virtual void SetMapEnabled(int layer, BOOL on) = 0;
    virtual BOOL GetMaskEnabled(int layer) = 0;
    virtual void SetMaskEnabled(int layer, BOOL on) = 0;
    virtual BOOL GetLayerUsed(int layer) = 0;
    virtual void SetLayerUsed(int layer, BOOL on) = 0;
    virtual float GetOpacity(int layer) = 0; // percent, not clamped
    virtual void SetOpacity(int layer, float percent) = 0;
    virtual Color GetLayerColor(int layer) = 0;
    virtual void SetLayerColor(int layer, Color c) = 0;
    virtual int GetBlendMode(int layer) = 0; // index in the blend-mode list
    virtual void SetBlendMode(int layer, int mode) = 0; // kept as given, even outside 0..34

    // Output settings (factors as the texture holds them: bright and contrast 1.0 = 100%).
    virtual BOOL GetOutputEnabled() = 0;
    virtual void SetOutputEnabled(BOOL on) = 0;
    virtual Point3 GetOutputShiftHSV() = 0; // hue (degrees), saturation, value
    virtual void SetOutputShiftHSV(Point3 hsv) = 0;
    virtual Point3 GetOutputShiftRGB() = 0;
    virtual void SetOutputShiftRGB(Point3 rgb) = 0;
    virtual float GetOutputAlpha() = 0;
    virtual void SetOutputAlpha(float shift) = 0;
    virtual float GetOutputBrightness() = 0;
    virtual void SetOutputBrightness(float factor) = 0;
    virtual float GetOutputContrast() = 0;
    virtual void SetOutputContrast(float factor) = 0;
    virtual float GetOutputGamma() = 0;
    virtual void SetOutputGamma(float gamma) = 0; // kept at 0.001 or above
    virtual BOOL GetOutputMono() = 0;
    virtual void SetOutputMono(BOOL on) = 0;
    virtual BOOL GetOutputClamp() = 0;
    virtual void SetOutputClamp(BOOL on) = 0;

    // Layer actions, as the editor's row menu makes them. The base layer is never moved and no
    // layer goes below it; an action that cannot be made changes nothing.
    virtual void DuplicateLayer(int index) = 0; // 0 .. count - 1: the copy goes above it
    virtual void MoveLayer(int index, int to) = 0; // 1 .. count - 1 each
    virtual void ClearLayerMap(int layer) = 0;
    virtual void ClearLayerMask(int layer) = 0;
    // The layer clipboard, shared by every texture of the library: a copy of a layer's values,
    // map and mask, pasted as a new layer at index (1 .. count) with new copies of its maps.
    virtual void CopyLayer(int layer) = 0;
    virtual BOOL CanPasteLayer() = 0;
    virtual void PasteLayer(int index) = 0;
    virtual void ClearLayerClipboard() = 0;

    // A layer's blend space: VORLITH_SPACE_LINEAR or VORLITH_SPACE_DISPLAY (any value but 0 is
    // display).
    virtual int GetBlendSpace(int layer) = 0;
    virtual void SetBlendSpace(int layer, int space) = 0;
};
