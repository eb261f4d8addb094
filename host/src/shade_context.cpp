// The renderer's per-thread shading context with its per-sample cache.
#include "host/shade_context.h"

namespace host {

namespace {
enum { kHasColor = 1, kHasMono = 2, kHasPerturb = 4 };
const Point3 kZero(0.0f, 0.0f, 0.0f);
} // namespace

SampleShadeContext::SampleShadeContext()
    : time(0), inMtlEditor(FALSE), point(kZero), dpoint(kZero), normal(0.0f, 0.0f, 1.0f),
      view(0.0f, 0.0f, -1.0f), gbufferID(0), cacheCount(0)
{
    for (int i = 0; i < kChannels; ++i)
        uvw[i] = duvw[i] = kZero;
}

void SampleShadeContext::BeginSample()
{
    cacheCount = 0;
    gbufferID = 0;
}

void SampleShadeContext::ResetCache() { cacheCount = 0; }

void SampleShadeContext::SetUVW(const Point3& p, int channel)
{
    if (channel >= 0 && channel < kChannels) uvw[channel] = p;
}

void SampleShadeContext::SetDUVW(const Point3& p, int channel)
{
    if (channel >= 0 && channel < kChannels) duvw[channel] = p;
}

Point3 SampleShadeContext::UVW(int channel)
{
    return channel >= 0 && channel < kChannels ? uvw[channel] : kZero;
}

Point3 SampleShadeContext::DUVW(int channel)
{
    return channel >= 0 && channel < kChannels ? duvw[channel] : kZero;
}

SampleShadeContext::CacheEntry* SampleShadeContext::Find(Texmap* map)
{
    for (int i = 0; i < cacheCount; ++i)
        if (cache[i].map == map) return &cache[i];
    return nullptr;
}

SampleShadeContext::CacheEntry* SampleShadeContext::FindOrAdd(Texmap* map)
{
    if (CacheEntry* e = Find(map)) return e;
    if (cacheCount == kCacheSlots) return nullptr; // full: this map goes uncached
    CacheEntry* e = &cache[cacheCount++];
    e->map = map;
    e->has = 0;
    return e;
}

BOOL SampleShadeContext::GetCache(Texmap* map, AColor& c)
{
    CacheEntry* e = Find(map);
    if (!e || !(e->has & kHasColor)) return FALSE;
    c = e->color;
    return TRUE;
}

BOOL SampleShadeContext::GetCache(Texmap* map, float& f)
{
    CacheEntry* e = Find(map);
    if (!e || !(e->has & kHasMono)) return FALSE;
    f = e->mono;
    return TRUE;
}

BOOL SampleShadeContext::GetCache(Texmap* map, Point3& p)
{
    CacheEntry* e = Find(map);
    if (!e || !(e->has & kHasPerturb)) return FALSE;
    p = e->perturb;
    return TRUE;
}

void SampleShadeContext::PutCache(Texmap* map, const AColor& c)
{
    if (CacheEntry* e = FindOrAdd(map)) {
        e->color = c;
        e->has |= kHasColor;
    }
}

void SampleShadeContext::PutCache(Texmap* map, const float f)
{
    if (CacheEntry* e = FindOrAdd(map)) {
        e->mono = f;
        e->has |= kHasMono;
    }
}

void SampleShadeContext::PutCache(Texmap* map, const Point3& p)
{
    if (CacheEntry* e = FindOrAdd(map)) {
        e->perturb = p;
        e->has |= kHasPerturb;
    }
}

void SampleShadeContext::TossCache(Texmap* map)
{
    for (int i = 0; i < cacheCount; ++i)
        if (cache[i].map == map) {
            cache[i] = cache[cacheCount - 1];
            --cacheCount;
            return;
        }
}

} // namespace host
