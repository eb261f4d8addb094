// The viewport's hardware material: texture stages and their operations, in the graphics
// layer's (Direct3D) codes. A texture finds it with GetProperty(PROPID_HW_MATERIAL).
#pragma once

#include "maxtypes.h"
#include "baseinterface.h"
#include "color.h"

// The graphics layer's texture-stage codes (D3DTA_TEXTURE, D3DTOP_MODULATE, D3DTTFF_COUNT2, ...).
#include <d3d9types.h>

#define HARDWARE_MATERIAL_INTERFACE_ID Interface_ID(0x40c926b8, 0x7c3a66b7)

class IHardwareMaterial : public BaseInterface {
public:
    Interface_ID GetID() override { return HARDWARE_MATERIAL_INTERFACE_ID; }

    virtual void SetNumTexStages(DWORD numStages) = 0;
    virtual void SetTexture(DWORD stage, DWORD_PTR texHandle) = 0;
    virtual void SetTextureColorArg(DWORD stage, DWORD argNum, DWORD colorArg) = 0;
    virtual void SetTextureColorOp(DWORD stage, DWORD colorOp) = 0;
    virtual void SetTextureAlphaArg(DWORD stage, DWORD argNum, DWORD alphaArg) = 0;
    virtual void SetTextureAlphaOp(DWORD stage, DWORD alphaOp) = 0;
    virtual void SetTextureTransformFlag(DWORD stage, DWORD flag) = 0;
    virtual void SetDiffuseColor(Color c, float alpha = 1.0f) = 0;
    virtual void SetAmbientColor(Color c, float alpha = 1.0f) = 0;
};
