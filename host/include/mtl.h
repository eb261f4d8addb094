// The viewport's material: colours and the texture records the graphics layer draws with.
#pragma once

#include "maxtypes.h"
#include "color.h"
#include "containers/Array.h"

typedef unsigned char UBYTE;

// UVW sources of a texture record.
#define UVSOURCE_MESH 0
#define UVSOURCE_XYZ 1
#define UVSOURCE_MESH2 2

// Texture-operation codes of a record (colorOp, alphaOp): keep the value from the stage below
// (for stage 0 the material colour), take the texture's, multiply the two, or blend the
// texture over the value from below by the alpha that the alpha source names.
#define GW_TEX_LEAVE 0
#define GW_TEX_REPLACE 1
#define GW_TEX_MODULATE 2
#define GW_TEX_ALPHA_BLEND 7
// Alpha sources (colorAlphaSource, alphaAlphaSource): zero, the material's, the texture's.
#define GW_TEX_ZERO 0
#define GW_TEX_SCENE_ALPHA 1
#define GW_TEX_TEXTURE_ALPHA 2
// Scales (colorScale, alphaScale): the result times 1, 2 or 4.
#define GW_TEX_SCALE_1X 0
#define GW_TEX_SCALE_2X 1
#define GW_TEX_SCALE_4X 2

// One texture stage of a viewport material. The operation bytes are the graphics layer's
// texture-operation, alpha-source and scale codes above.
class TextureInfo {
public:
    int useTex;
    int faceMap;
    DWORD_PTR textHandle;
    int uvwSource;
    int mapChannel;
    UBYTE tiling[3];
    UBYTE colorOp;
    UBYTE colorAlphaSource;
    UBYTE colorScale;
    UBYTE alphaOp;
    UBYTE alphaAlphaSource;
    UBYTE alphaScale;

    TextureInfo()
        : useTex(1), faceMap(FALSE), textHandle(0), uvwSource(UVSOURCE_MESH), mapChannel(1),
          colorOp(0), colorAlphaSource(0), colorScale(0), alphaOp(0), alphaAlphaSource(0),
          alphaScale(0)
    {
        tiling[0] = tiling[1] = tiling[2] = 0;
    }
};

class Material {
public:
    Color Ka, Kd, Ks;
    float shininess;
    float shinStrength;
    float opacity;
    float selfIllum;
    int dblSided;
    int shadeLimit;
    MaxSDK::Array<TextureInfo> texture;

    Material()
        : Ka(0.0f, 0.0f, 0.0f), Kd(0.5f, 0.5f, 0.5f), Ks(1.0f, 1.0f, 1.0f), shininess(0.0f),
          shinStrength(0.0f), opacity(1.0f), selfIllum(0.0f), dblSided(0), shadeLimit(0)
    { }
};
