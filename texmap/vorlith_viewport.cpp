// Viewport display. A hardware-shaded viewport cannot show the composite; it is given up to four
// layers' maps as texture stages instead, combined by the graphics layer's fixed operations:
// one map is modulated with a white material, several are blended over each other by their
// alpha. Blend modes, opacities, masks, flat colours and the Output stage do not show.
//
// The stages are described either through the viewport's hardware material (when the texture's
// GetProperty(PROPID_HW_MATERIAL) answers one) or through the material's texture records. The
// hardware textures are made once from the maps' viewport bitmaps and kept until a discard:
// a change message, a change of the layers or of a sub-map, display switched off, destruction.
#include "vorlith.h"

#include "IHardwareMaterial.h"

// Operation bytes of a texture record, in the order colorOp, colorAlphaSource, colorScale,
// alphaOp, alphaAlphaSource, alphaScale. One stage: the texture modulates the material colour
// (operation 2). Several: each texture is blended over the stages below by its own alpha
// (operation 7). The alpha keeps the value from below (operation 0); the alpha source is the
// texture's (2), the scales 1x (0).
static const UBYTE kOneStageRecordOps[6] = {2, 2, 0, 0, 2, 0};
static const UBYTE kSeveralStagesRecordOps[6] = {7, 2, 0, 0, 2, 0};

static void SetRecordOps(TextureInfo& record, int stagesInUse)
{
    const UBYTE* ops = stagesInUse == 1 ? kOneStageRecordOps : kSeveralStagesRecordOps;
    record.colorOp = ops[0];
    record.colorAlphaSource = ops[1];
    record.colorScale = ops[2];
    record.alphaOp = ops[3];
    record.alphaAlphaSource = ops[4];
    record.alphaScale = ops[5];
}

// The same settings on the hardware material, for stage k: texture and current value as the
// arguments; one stage modulates a white material, several blend by the texture's alpha; the
// alpha passes through; 2D texture coordinates.
static void SetStageOps(IHardwareMaterial* hw, DWORD k, bool several)
{
    hw->SetTextureColorArg(k, 1, D3DTA_TEXTURE);
    hw->SetTextureColorArg(k, 2, D3DTA_CURRENT);
    hw->SetTextureAlphaArg(k, 1, D3DTA_TEXTURE);
    hw->SetTextureAlphaArg(k, 2, D3DTA_CURRENT);
    if (several) {
        hw->SetTextureColorOp(k, D3DTOP_BLENDTEXTUREALPHA);
        hw->SetTextureAlphaOp(k, D3DTOP_SELECTARG2);
    } else {
        hw->SetTextureColorOp(k, D3DTOP_MODULATE);
        hw->SetTextureAlphaOp(k, D3DTOP_SELECTARG2);
        hw->SetDiffuseColor(Color(1.0f, 1.0f, 1.0f), 1.0f);
        hw->SetAmbientColor(Color(1.0f, 1.0f, 1.0f), 1.0f);
    }
    hw->SetTextureTransformFlag(k, D3DTTFF_COUNT2);
}

static DWORD_PTR DeviceHandle(TexHandle* handle) { return handle ? handle->GetHandle() : 0; }

// A hardware texture of the map's viewport bitmap, or null when the map gives no bitmap or
// the maker no texture: that stage then shows no texture.
static TexHandle* MakeStageTexture(TimeValue t, Texmap* map, MtlMakerCallback& cb)
{
    Interval scratch;
    scratch.SetEmpty();
    BITMAPINFO* bitmap = map->GetVPDisplayDIB(t, cb, scratch, FALSE, 0, 0);
    return bitmap ? cb.MakeHandle(bitmap) : NULL;
}

// Lowered to the four stages the texture keeps.
static int StageCap(MtlMakerCallback& cb)
{
    const int supported = (int)cb.NumberTexturesSupported();
    return supported > Vorlith::kMaxViewportStages ? (int)Vorlith::kMaxViewportStages : supported;
}

void Vorlith::ClearTexDisplay()
{
    for (int k = 0; k < kMaxViewportStages; ++k) {
        texHandle[k] = NULL;
        stageLayer[k] = 0;
        stageMap[k] = NULL;
    }
    numStagesUsed = 0;
    texHandleValid.SetEmpty();
}

void Vorlith::DiscardTexHandles()
{
    for (int k = 0; k < kMaxViewportStages; ++k) {
        if (texHandle[k]) {
            texHandle[k]->DeleteThis();
            texHandle[k] = NULL;
        }
    }
    texHandleValid.SetEmpty();
}

BOOL Vorlith::SupportTexDisplay() { return TRUE; }

void Vorlith::ActivateTexDisplay(BOOL onoff)
{
    if (!onoff) DiscardTexHandles();
}

BOOL Vorlith::SupportsMultiMapsInViewport() { return TRUE; }

bool Vorlith::IsLocalOutputMeaningful(ShadeContext& /*sc*/)
{
    for (int i = 0; i < NumSubTexmaps() / 2; ++i) {
        if (SubTexmapOn(2 * i) && GetSubTexmap(2 * i)) return true;
    }
    return false;
}

// The layers to show, lowest first: a layer with its map switched on and a map in its slot (and
// on the record path only, the layer in use), at most cap of them. A viewport that can use no
// stage gets none.
int Vorlith::PickViewportLayers(int cap, bool needUsed, Texmap* maps[kMaxViewportStages])
{
    int n = 0;
    if (cap < 1) return 0;
    const int layers = NumUsableLayers();
    for (int i = 0; i < layers; ++i) {
        if (!layerValues.mapEnabled[i] || !mapList[2 * i]) continue;
        if (needUsed && !layerValues.mapUsed[i]) continue;
        maps[n] = mapList[2 * i];
        stageLayer[n] = i;
        stageMap[n] = maps[n];
        ++n;
        if (n >= cap) break;
    }
    return n;
}

// The map of a built stage that can be shown again: the stage has a texture, and its layer's
// slot still holds the map the texture was made from (a slot emptied or refilled without a
// discard is skipped rather than followed).
Texmap* Vorlith::ReusableStageMap(int stage)
{
    const int entry = 2 * stageLayer[stage];
    if (!texHandle[stage] || entry < 0 || entry >= mapList.Count()) return NULL;
    Texmap* map = mapList[entry];
    return map && map == stageMap[stage] ? map : NULL;
}

void Vorlith::SetupGfxMultiMaps(TimeValue t, Material* mtl, MtlMakerCallback& cb)
{
    if (!mtl) return;
    IHardwareMaterial* hw = (IHardwareMaterial*)GetProperty(PROPID_HW_MATERIAL);
    if (hw)
        SetupHardwareStages(t, hw, *mtl, cb);
    else
        SetupRecordStages(t, *mtl, cb);
}

void Vorlith::SetupHardwareStages(TimeValue t, IHardwareMaterial* hw, Material& mtl,
                                  MtlMakerCallback& cb)
{
    // The stages' mapping data pass through the material's first record, which a material
    // without records is given first.
    if (texHandleValid.InInterval(t)) {
        hw->SetNumTexStages((DWORD)numStagesUsed);
        if (numStagesUsed == 0) return;
        if (mtl.texture.length() < 1) mtl.texture.setLengthUsed(1);
        for (int k = 0; k < numStagesUsed; ++k) {
            Texmap* map = ReusableStageMap(k);
            if (!map) {
                hw->SetTexture((DWORD)k, 0);
                continue;
            }
            hw->SetTexture((DWORD)k, DeviceHandle(texHandle[k]));
            mtl.texture[0].useTex = k;
            cb.GetGfxTexInfoFromTexmap(t, mtl.texture[0], map);
            SetStageOps(hw, (DWORD)k, numStagesUsed != 1);
        }
        return;
    }

    DiscardTexHandles();
    Texmap* maps[kMaxViewportStages];
    const int n = PickViewportLayers(StageCap(cb), false, maps);
    hw->SetNumTexStages((DWORD)n);
    for (int k = 0; k < n; ++k)
        hw->SetTexture((DWORD)k, 0);
    numStagesUsed = n;
    texHandleValid = FOREVER;
    if (n > 0 && mtl.texture.length() < 1) mtl.texture.setLengthUsed(1);
    for (int k = 0; k < n; ++k) {
        mtl.texture[0].useTex = k;
        cb.GetGfxTexInfoFromTexmap(t, mtl.texture[0], maps[k]);
        texHandle[k] = MakeStageTexture(t, maps[k], cb);
        hw->SetTexture((DWORD)k, DeviceHandle(texHandle[k]));
        SetStageOps(hw, (DWORD)k, n != 1);
    }
}

void Vorlith::SetupRecordStages(TimeValue t, Material& mtl, MtlMakerCallback& cb)
{
    if (texHandleValid.InInterval(t)) {
        mtl.texture.setLengthUsed((size_t)numStagesUsed);
        for (int k = 0; k < numStagesUsed; ++k) {
            TextureInfo& record = mtl.texture[k];
            Texmap* map = ReusableStageMap(k);
            if (!map) {
                record.textHandle = 0;
                continue;
            }
            record.textHandle = DeviceHandle(texHandle[k]);
            cb.GetGfxTexInfoFromTexmap(t, record, map);
            SetRecordOps(record, numStagesUsed);
        }
        return;
    }

    DiscardTexHandles();
    Texmap* maps[kMaxViewportStages];
    const int n = PickViewportLayers(StageCap(cb), true, maps);
    mtl.texture.setLengthUsed((size_t)n);
    for (int k = 0; k < n; ++k)
        mtl.texture[k].textHandle = 0;
    numStagesUsed = n;
    texHandleValid = FOREVER;
    for (int k = 0; k < n; ++k) {
        TextureInfo& record = mtl.texture[k];
        cb.GetGfxTexInfoFromTexmap(t, record, maps[k]);
        texHandle[k] = MakeStageTexture(t, maps[k], cb);
        record.textHandle = DeviceHandle(texHandle[k]);
        SetRecordOps(record, n);
    }
}
