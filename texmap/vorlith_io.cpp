// Saving, loading and copying a Vorlith texture.
//
// A scene keeps the texture's references (the parameter block with its table counts and
// edit_ids, the layers' maps and masks) and these chunks of its own:
//
//   0x4000  the MtlBase data (name and the rest of the host's material base)
//   0x5100  layers: int32 count n (1 to VORLITH_MAX_LAYERS), then n records of 32 bytes, one
//           per layer from the bottom, in the order of vorlith_layer_values.h: int32 mapEnabled,
//           int32 maskEnabled, int32 mapUsed, float opasityList, float red, float green,
//           float blue, int32 modeList
//   0x5120  blend spaces: int32 count n (1 to VORLITH_MAX_LAYERS), then n int32, one per layer
//           from the bottom (0 linear, 1 display). Written only when a layer is in display
//           space; without it every layer loads as linear, so older scenes render as before.
//   0x5110  Output settings, 60 bytes: int32 Output_on, int32 Clamp, float alpha, float Mono,
//           float bright, float contrast, float gamma, float outputShiftHSV[4],
//           float outputShiftRGB[4]
//
// Values are little-endian, as the machine writes them. A chunk that is missing, or whose
// length disagrees with its layout or its count, is skipped whole: those values keep a new
// texture's defaults, and the rest of the scene loads. Flags read back as 0 or 1; a float that
// is not finite keeps the default of its field, and gamma is kept at 0.001 or above. Unknown
// chunks are skipped. The block (restored by the host with its counts) has the last word on
// the number of layers: once the scene is loaded, mapList is grown to the block's mapList count
// (slots the scene kept no map for stay empty), and the next Update sizes the per-layer tables
// to the block's layer count, so a chunk that holds more layers than the block loses the extra
// ones and one that holds fewer leaves the rest with the new-layer defaults.
#include "vorlith.h"
#include "vorlith_values.h"

#include "vorlith_params.h"

#include "hold.h"

// The base data's container, as every material and map of the host wraps it.
#ifndef MTL_HDR_CHUNK
#define MTL_HDR_CHUNK 0x4000
#endif

enum {
    VORLITH_LAYERS_CHUNK = 0x5100,
    VORLITH_OUTPUT_CHUNK = 0x5110,
    VORLITH_SPACES_CHUNK = 0x5120
};

// A layer record: the per-layer values in the order of their list, each as it is in memory.
#define VORLITH_RECORD_BYTES(TYPE, NAME, PARAM, NEW_VALUE, RULE) +sizeof(TYPE)
static const ULONG kLayerRecordSize = 0 VORLITH_RECORD_LAYER_VALUES(VORLITH_RECORD_BYTES);
#undef VORLITH_RECORD_BYTES
static_assert(kLayerRecordSize == 32, "the layer record of saved scenes is 32 bytes");
static const ULONG kOutputChunkSize = 60;

// Writing ------------------------------------------------------------------------------------

namespace {

class ChunkWriter {
public:
    explicit ChunkWriter(ISave* isave) : isave(isave), ok(true) { }
    void Int(int v) { Bytes(&v, sizeof(v)); }
    void Float(float v) { Bytes(&v, sizeof(v)); }
    bool Ok() const { return ok; }

private:
    void Bytes(const void* p, ULONG size)
    {
        ULONG written = 0;
        if (isave->Write(p, size, &written) != IO_OK || written != size) ok = false;
    }
    ISave* isave;
    bool ok;
};

class ChunkReader {
public:
    explicit ChunkReader(ILoad* iload) : iload(iload), ok(true) { }
    int Int()
    {
        int v = 0;
        Bytes(&v, sizeof(v));
        return v;
    }
    float Float()
    {
        float v = 0.0f;
        Bytes(&v, sizeof(v));
        return v;
    }
    bool Ok() const { return ok; }

private:
    void Bytes(void* p, ULONG size)
    {
        ULONG read = 0;
        if (!ok || iload->Read(p, size, &read) != IO_OK || read != size) ok = false;
    }
    ILoad* iload;
    bool ok;
};

void WriteValue(ChunkWriter& w, int v) { w.Int(v); }
void WriteValue(ChunkWriter& w, float v) { w.Float(v); }
void WriteValue(ChunkWriter& w, const Color& c)
{
    w.Float(c.r);
    w.Float(c.g);
    w.Float(c.b);
}

void ReadValue(ChunkReader& r, int& v) { v = r.Int(); }
void ReadValue(ChunkReader& r, float& v) { v = r.Float(); }
void ReadValue(ChunkReader& r, Color& c)
{
    c.r = r.Float();
    c.g = r.Float();
    c.b = r.Float();
}

// One layer's values as a scene holds them.
struct LayerRecord {
#define VORLITH_RECORD_FIELD(TYPE, NAME, PARAM, NEW_VALUE, RULE) TYPE NAME;
    VORLITH_RECORD_LAYER_VALUES(VORLITH_RECORD_FIELD)
#undef VORLITH_RECORD_FIELD
};

} // namespace

IOResult Vorlith::Save(ISave* isave)
{
    isave->BeginChunk(MTL_HDR_CHUNK);
    IOResult res = MtlBase::Save(isave);
    isave->EndChunk();
    if (res != IO_OK) return res;

    // The per-layer tables have one count; should they ever differ, only the layers all of them
    // hold are written.
    const int layers = NumUsableLayers();

    if (layers > 0) {
        isave->BeginChunk(VORLITH_LAYERS_CHUNK);
        ChunkWriter w(isave);
        w.Int(layers);
        for (int i = 0; i < layers; ++i) {
#define VORLITH_WRITE_VALUE(TYPE, NAME, PARAM, NEW_VALUE, RULE) WriteValue(w, layerValues.NAME[i]);
            VORLITH_RECORD_LAYER_VALUES(VORLITH_WRITE_VALUE)
#undef VORLITH_WRITE_VALUE
        }
        isave->EndChunk();
        if (!w.Ok()) return IO_ERROR;
    }

    bool anyDisplay = false;
    for (int i = 0; i < layers && !anyDisplay; ++i)
        anyDisplay = layerValues.spaceList[i] != VORLITH_SPACE_LINEAR;
    if (anyDisplay) {
        isave->BeginChunk(VORLITH_SPACES_CHUNK);
        ChunkWriter w(isave);
        w.Int(layers);
        for (int i = 0; i < layers; ++i)
            w.Int(layerValues.spaceList[i]);
        isave->EndChunk();
        if (!w.Ok()) return IO_ERROR;
    }

    isave->BeginChunk(VORLITH_OUTPUT_CHUNK);
    ChunkWriter w(isave);
    w.Int(output.Output_on ? 1 : 0);
    w.Int(output.Clamp ? 1 : 0);
    w.Float(output.alpha);
    w.Float(output.Mono);
    w.Float(output.bright);
    w.Float(output.contrast);
    w.Float(output.gamma);
    for (int i = 0; i < 4; ++i)
        w.Float(output.outputShiftHSV[i]);
    for (int i = 0; i < 4; ++i)
        w.Float(output.outputShiftRGB[i]);
    isave->EndChunk();
    return w.Ok() ? IO_OK : IO_ERROR;
}

// Loading ------------------------------------------------------------------------------------

static float FiniteOr(float value, float fallback)
{
    return IsFiniteFloat(value) ? value : fallback;
}

// Reads the layers chunk; the tables change only when the whole chunk is sound.
static bool ReadLayers(ILoad* iload, Tab<LayerRecord>& records)
{
    const long long length = (long long)iload->CurChunkLength();
    if (length < 4 + (long long)kLayerRecordSize || (length - 4) % kLayerRecordSize != 0)
        return false;
    ChunkReader r(iload);
    const int count = r.Int();
    if (!r.Ok() || count < 1 || count > VORLITH_MAX_LAYERS ||
        (long long)count != (length - 4) / kLayerRecordSize)
        return false;
    // Records are taken one by one as they are read, so a length that claims more than the
    // file holds ends at the file's end rather than in one large allocation.
    for (int i = 0; i < count && r.Ok(); ++i) {
        LayerRecord rec;
#define VORLITH_READ_VALUE(TYPE, NAME, PARAM, NEW_VALUE, RULE) ReadValue(r, rec.NAME);
        VORLITH_RECORD_LAYER_VALUES(VORLITH_READ_VALUE)
#undef VORLITH_READ_VALUE
        if (r.Ok()) records.Append(1, &rec);
    }
    return r.Ok();
}

// Reads the blend-space chunk: sound when its length matches its count.
static bool ReadSpaces(ILoad* iload, Tab<int>& spaces)
{
    const long long length = (long long)iload->CurChunkLength();
    if (length < 8 || length % 4 != 0) return false;
    ChunkReader r(iload);
    const int count = r.Int();
    if (!r.Ok() || count < 1 || count > VORLITH_MAX_LAYERS || (long long)count != length / 4 - 1)
        return false;
    for (int i = 0; i < count && r.Ok(); ++i) {
        const int space = r.Int();
        if (r.Ok()) spaces.Append(1, &space);
    }
    return r.Ok();
}

static bool ReadOutput(ILoad* iload, OutputSettings& s)
{
    if ((long long)iload->CurChunkLength() != (long long)kOutputChunkSize) return false;
    ChunkReader r(iload);
    OutputSettings read;
    read.Output_on = r.Int() != 0;
    read.Clamp = r.Int() != 0;
    read.alpha = r.Float();
    read.Mono = r.Float();
    read.bright = r.Float();
    read.contrast = r.Float();
    read.gamma = r.Float();
    for (int i = 0; i < 4; ++i)
        read.outputShiftHSV[i] = r.Float();
    for (int i = 0; i < 4; ++i)
        read.outputShiftRGB[i] = r.Float();
    if (!r.Ok()) return false;

    s.Output_on = read.Output_on;
    s.Clamp = read.Clamp;
    s.alpha = FiniteOr(read.alpha, s.alpha);
    s.Mono = FiniteOr(read.Mono, s.Mono) != 0.0f ? 1.0f : 0.0f;
    s.bright = FiniteOr(read.bright, s.bright);
    s.contrast = FiniteOr(read.contrast, s.contrast);
    s.gamma = LimitOutputGamma(FiniteOr(read.gamma, s.gamma));
    for (int i = 0; i < 4; ++i) {
        s.outputShiftHSV[i] = FiniteOr(read.outputShiftHSV[i], s.outputShiftHSV[i]);
        s.outputShiftRGB[i] = FiniteOr(read.outputShiftRGB[i], s.outputShiftRGB[i]);
    }
    return true;
}

IOResult Vorlith::Load(ILoad* iload)
{
    iload->RegisterPostLoadCallback(&postLoad);
    IOResult res;
    while (IO_OK == (res = iload->OpenChunk())) {
        switch (iload->CurChunkID()) {
        case MTL_HDR_CHUNK:
            res = MtlBase::Load(iload);
            break;
        case VORLITH_LAYERS_CHUNK: {
            Tab<LayerRecord> records;
            if (ReadLayers(iload, records)) {
                const int count = records.Count();
                layerValues.Resize(count);
                for (int i = 0; i < count; ++i) {
                    const LayerRecord& rec = records[i];
#define VORLITH_LOAD_VALUE(TYPE, NAME, PARAM, NEW_VALUE, RULE) \
    layerValues.NAME[i] = RULE::Loaded(rec.NAME, layerValues.NAME[i]);
                    VORLITH_RECORD_LAYER_VALUES(VORLITH_LOAD_VALUE)
#undef VORLITH_LOAD_VALUE
                }
            }
            break;
        }
        case VORLITH_SPACES_CHUNK: {
            // Read wherever it stands among the chunks: its count sizes the tables as the
            // layers chunk's does, and the values the layers chunk reads are kept.
            Tab<int> spaces;
            if (ReadSpaces(iload, spaces)) {
                const int count = spaces.Count();
                if (layerValues.ShortestCount() < count) layerValues.Resize(count);
                for (int i = 0; i < count; ++i)
                    layerValues.spaceList[i] = LayerSwitch::Loaded(spaces[i], 0);
            }
            break;
        }
        case VORLITH_OUTPUT_CHUNK:
            ReadOutput(iload, output);
            break;
        default:
            break;
        }
        iload->CloseChunk();
        if (res != IO_OK) return res;
    }
    ValuesChanged();
    return IO_OK;
}

void VorlithPostLoad::proc(ILoad* /*iload*/) { tex->FinishLoad(); }

// A scene keeps no reference for an empty map or mask slot, so the top layers of a stack whose
// slots are empty would otherwise be lost: the block's count says how many there were.
void Vorlith::FinishLoad()
{
    if (!pblock) return;
    int entries = pblock->Count(pb_map_list);
    if (entries > 2 * VORLITH_MAX_LAYERS) entries = 2 * VORLITH_MAX_LAYERS;
    const int old = mapList.Count();
    if (old < entries) {
        mapList.SetCount(entries);
        for (int e = old; e < entries; ++e)
            mapList[e] = NULL;
    }
    ValuesChanged();
}

// Copying ------------------------------------------------------------------------------------

RefTargetHandle Vorlith::Clone(RemapDir& remap)
{
    // As a new texture's set-up, the copy's is no edit: nothing of it is recorded.
    theHold.Suspend();
    Vorlith* copy = new Vorlith();
    *((MtlBase*)copy) = *((MtlBase*)this);

    // The copy's mapList takes its size first, so that a change message of the cloned block
    // finds the counts equal.
    copy->mapList.SetCount(mapList.Count());
    for (int e = 0; e < mapList.Count(); ++e)
        copy->mapList[e] = NULL;
    copy->layerValues = layerValues;
    copy->output = output;
    copy->firstVisible = firstVisible;

    // The copied block is the copy's own: its map table reads and writes the copy's sub-maps.
    if (pblock) {
        copy->ReplaceReference(VORLITH_PBLOCK_REF, remap.CloneRef(pblock));
        if (copy->pblock) copy->pblock->SetOwner(copy);
    }
    for (int e = 0; e < mapList.Count(); ++e) {
        if (mapList[e]) copy->ReplaceReference(e + 1, remap.CloneRef(mapList[e]));
    }
    copy->ValuesChanged();
    BaseClone(this, copy, remap);
    theHold.Resume();
    return copy;
}
