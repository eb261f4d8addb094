// The engine's view of one shading sample of a Vorlith texture: its sub-maps, the caller's
// shading context and the texture's cache slot and G-buffer id. Made on the stack per call;
// allocates nothing and takes no lock.
#pragma once

#include "max.h"
#include "imtl.h"

class VorlithAccess {
public:
    VorlithAccess(const Tab<Texmap*>& maps, ShadeContext& sc, Texmap* tex)
        : maps(maps), sc(sc), tex(tex)
    { }

    bool HasMap(int entry) const
    {
        return entry >= 0 && entry < maps.Count() && maps[entry] != NULL;
    }
    AColor EvalColor(int entry) { return maps[entry]->EvalColor(sc); }
    Point3 EvalNormalPerturb(int entry) { return maps[entry]->EvalNormalPerturb(sc); }
    bool GetCache(AColor& c) { return sc.GetCache(tex, c) != 0; }
    void PutCache(const AColor& c) { sc.PutCache(tex, c); }
    int GBufferID() const { return (int)tex->GetGBufferID(); }
    void SetGBufferID(int id) { sc.SetGBufferID(id); }

private:
    const Tab<Texmap*>& maps;
    ShadeContext& sc;
    Texmap* tex;

    VorlithAccess& operator=(const VorlithAccess&);
};
