// A renderer's shading context for one thread: the sample's coordinates and a per-sample cache
// of texture results. Create one per render thread; call BeginSample before each sample.
#pragma once

#include "../imtl.h"

namespace host {

class CoreExport SampleShadeContext : public ShadeContext {
public:
    // Cache slots per sample; a texture tree with more textures than this evaluates the extra
    // ones again instead of caching them.
    enum { kCacheSlots = 32 };

    SampleShadeContext();

    // Starts a new sample: empties the cache and the G-buffer id.
    void BeginSample();
    // Empties the cache only.
    void ResetCache();

    void SetTime(TimeValue t) { time = t; }
    void SetUVW(const Point3& uvw, int channel = 0);
    void SetDUVW(const Point3& duvw, int channel = 0);
    void SetP(const Point3& p) { point = p; }
    void SetDP(const Point3& dp) { dpoint = dp; }
    void SetNormal(Point3 n) override { normal = n; }
    void SetView(Point3 v) override { view = v; }
    void SetInMtlEditor(BOOL on) { inMtlEditor = on; }

    // The G-buffer id the textures set in this sample (0 when none did).
    int GBufferID() const { return gbufferID; }
    // Number of cache entries in use in this sample.
    int CacheCount() const { return cacheCount; }

    BOOL InMtlEditor() override { return inMtlEditor; }
    TimeValue CurTime() override { return time; }
    Point3 Normal() override { return normal; }
    Point3 OrigNormal() override { return normal; }
    Point3 GNormal() override { return normal; }
    Point3 V() override { return view; }
    Point3 OrigView() override { return view; }
    Point3 P() override { return point; }
    Point3 DP() override { return dpoint; }
    Point3 PObj() override { return point; }
    Point3 DPObj() override { return dpoint; }
    Point3 UVW(int channel = 0) override;
    Point3 DUVW(int channel = 0) override;

    void SetGBufferID(int gbid) override { gbufferID = gbid; }

    BOOL GetCache(Texmap* map, AColor& c) override;
    BOOL GetCache(Texmap* map, float& f) override;
    BOOL GetCache(Texmap* map, Point3& p) override;
    void PutCache(Texmap* map, const AColor& c) override;
    void PutCache(Texmap* map, const float f) override;
    void PutCache(Texmap* map, const Point3& p) override;
    void TossCache(Texmap* map) override;

    // Mapping channels kept: 0 .. kChannels - 1; any other channel reads as zero.
    enum { kChannels = 4 };

private:
    struct CacheEntry {
        Texmap* map;
        unsigned char has; // bit 0 colour, bit 1 mono, bit 2 perturbation
        AColor color;
        float mono;
        Point3 perturb;
    };
    CacheEntry* Find(Texmap* map);
    CacheEntry* FindOrAdd(Texmap* map);

    TimeValue time;
    BOOL inMtlEditor;
    Point3 uvw[kChannels];
    Point3 duvw[kChannels];
    Point3 point;
    Point3 dpoint;
    Point3 normal;
    Point3 view;
    int gbufferID;
    int cacheCount;
    CacheEntry cache[kCacheSlots];
};

} // namespace host
