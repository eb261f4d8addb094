// The viewport's material: colours and the texture records the graphics layer draws with.
#pragma once

#include "maxtypes.h"
#include "color.h"
#include "containers/Array.h"

typedef unsigned char UBYTE;

// UVW sources of a texture record.
#define UVSOURCE_MESH  0
#define UVSOURCE_XYZ   1
#define UVSOURCE_MESH2 2

// One texture stage of a viewport material. The operation bytes are the graphics layer's
// texture-operation, alpha-source and scale codes.
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
          alphaScale(0) {
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
          shinStrength(0.0f), opacity(1.0f), selfIllum(0.0f), dblSided(0), shadeLimit(0) {}
};
