// ParamBlock2: the values of one parameter block, its change notification, saving and loading.
//
// Values are not animated: every value holds for all time, t is accepted and ignored.
// Entries of a P_OWNERS_REF table are the owner's references refno + index; the block keeps
// only their count, and reads and replaces them through the owner. Setting a count does not
// add or release the owner's references: the owner manages those.
#include "iparamb2.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hold.h"
#include "host/hold_keeper.h"
#include "imtl.h"
#include "ioapi.h"
#include "param_block.h"
#include "text_convert.h"

namespace {

struct Value {
    float v[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // float, colour, point (3 or 4 components)
    int i = 0;
    std::wstring s;
    bool hasString = false; // a string entry that was never set is NULL
    ReferenceTarget* r = nullptr; // P_NO_REF pointers
};

enum Kind { kFloat, kInt, kColor, kPoint4, kString, kRef };

// Points are held as colours; every pointer type is a reference.
Kind KindOfType(ParamType2 type)
{
    switch (host_pb::KindOf((int)type)) {
    case host_pb::kFloat:
        return kFloat;
    case host_pb::kInt:
        return kInt;
    case host_pb::kColor:
    case host_pb::kPoint3:
        return kColor;
    case host_pb::kPoint4:
        return kPoint4;
    case host_pb::kString:
        return kString;
    default:
        return kRef;
    }
}

struct Param {
    ParamDef* def;
    Kind kind;
    std::vector<Value> values; // one for scalars; the table's entries (owners' refs: count)
};

class ParamRestore;

class ParamBlock2 : public IParamBlock2 {
    friend class ParamRestore;

public:
    ParamBlock2(ParamBlockDesc2* d, ReferenceMaker* o) : desc(d), owner(o)
    {
        params.resize(desc->count);
        for (int i = 0; i < desc->count; ++i) {
            params[(size_t)i].def = &desc->paramdefs[i];
            params[(size_t)i].kind = KindOfType(desc->paramdefs[i].type);
        }
        InitAll();
    }

    // Animatable / ReferenceMaker
    void DeleteThis() override { delete this; }
    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = L"ParamBlock2"; }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override
    {
        return REF_SUCCEED;
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override
    {
        return REF_SUCCEED;
    }
#endif
    RefTargetHandle Clone(RemapDir& remap) override
    {
        ParamBlock2* copy = new ParamBlock2(desc, NULL);
        for (size_t i = 0; i < params.size(); ++i) {
            if (params[i].def->flags & P_OWNERS_REF) {
                copy->params[i].values.resize(params[i].values.size());
                continue; // the owner's clone copies its own references
            }
            copy->params[i].values = params[i].values;
        }
        BaseClone(this, copy, remap);
        return copy;
    }
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
    IOResult LoadSaved(ILoad* iload, size_t ownerReferences);

    // IParamBlock2
    BlockID ID() override { return desc->ID; }
    MSTR GetLocalName() override
    {
        const MCHAR* s =
            desc->cd && desc->local_name ? desc->cd->GetRsrcString(desc->local_name) : NULL;
        return MSTR(s ? s : desc->int_name);
    }
    ParamBlockDesc2* GetDesc() override { return desc; }
    int NumParams() override { return (int)params.size(); }
    ParamID IndextoID(int i) override { return desc->IndextoID(i); }
    int IDtoIndex(ParamID id) override { return desc->IDtoIndex(id); }
    ParamType2 GetParameterType(ParamID id) override
    {
        Param* p = Find(id);
        return p ? p->def->type : (ParamType2)TYPE_USER;
    }
    MSTR GetLocalName(ParamID id, int tabIndex) override
    {
        Param* p = Find(id);
        if (!p) return MSTR();
        const MCHAR* s =
            desc->cd && p->def->local_name ? desc->cd->GetRsrcString(p->def->local_name) : NULL;
        MSTR name(s ? s : p->def->int_name);
        if (tabIndex >= 0 && is_tab(p->def->type)) {
            MSTR n;
            n.printf(L"%s %d", name.data(), tabIndex + 1);
            return n;
        }
        return name;
    }
    ReferenceMaker* GetOwner() override { return owner; }
    void SetOwner(ReferenceMaker* o) override { owner = o; }

    BOOL SetValue(ParamID id, TimeValue, float v, int tab) override
    {
        Value* e = Entry(id, tab, kFloat, kInt);
        if (!e) return FALSE;
        HoldParam(id);
        e->v[0] = v;
        e->i = (int)v;
        return Changed(id, tab);
    }
    BOOL SetValue(ParamID id, TimeValue, int v, int tab) override
    {
        Value* e = Entry(id, tab, kInt, kFloat);
        if (!e) return FALSE;
        HoldParam(id);
        e->i = v;
        e->v[0] = (float)v;
        return Changed(id, tab);
    }
    BOOL SetValue(ParamID id, TimeValue, const Point3& v, int tab) override
    {
        return SetVector(id, tab, v.x, v.y, v.z, 0.0f, false);
    }
    BOOL SetValue(ParamID id, TimeValue, const Color& v, int tab) override
    {
        return SetVector(id, tab, v.r, v.g, v.b, 1.0f, false);
    }
    BOOL SetValue(ParamID id, TimeValue, const Point4& v, int tab) override
    {
        return SetVector(id, tab, v.x, v.y, v.z, v.w, true);
    }
    BOOL SetValue(ParamID id, TimeValue, const AColor& v, int tab) override
    {
        return SetVector(id, tab, v.r, v.g, v.b, v.a, true);
    }
    BOOL SetValue(ParamID id, TimeValue, const MCHAR* v, int tab) override
    {
        Value* e = Entry(id, tab, kString, kString);
        if (!e) return FALSE;
        HoldParam(id);
        e->hasString = v != NULL;
        e->s = v ? v : L"";
        return Changed(id, tab);
    }
    BOOL SetValue(ParamID id, TimeValue, Texmap* v, int tab) override
    {
        return SetRef(id, tab, v, TYPE_TEXMAP);
    }
    BOOL SetValue(ParamID id, TimeValue, Mtl* v, int tab) override
    {
        // Mtl, like Texmap, has its ReferenceTarget part first.
        return SetRef(id, tab, reinterpret_cast<ReferenceTarget*>(v), TYPE_MTL);
    }
    BOOL SetValue(ParamID id, TimeValue, ReferenceTarget* v, int tab) override
    {
        return SetRef(id, tab, v, (ParamType2)-1);
    }

    BOOL GetValue(ParamID id, TimeValue, float& v, Interval& iv, int tab) override
    {
        Param* p = Find(id);
        Value* e = Read(p, tab, kFloat, kInt);
        if (!e) return FALSE;
        v = p->kind == kFloat ? e->v[0] : (float)e->i;
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, int& v, Interval& iv, int tab) override
    {
        Param* p = Find(id);
        Value* e = Read(p, tab, kInt, kFloat);
        if (!e) return FALSE;
        v = p->kind == kInt ? e->i : (int)e->v[0];
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, Point3& v, Interval& iv, int tab) override
    {
        Value* e = Read(Find(id), tab, kColor, kPoint4);
        if (!e) return FALSE;
        v = Point3(e->v[0], e->v[1], e->v[2]);
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, Color& v, Interval& iv, int tab) override
    {
        Value* e = Read(Find(id), tab, kColor, kPoint4);
        if (!e) return FALSE;
        v = Color(e->v[0], e->v[1], e->v[2]);
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, Point4& v, Interval& iv, int tab) override
    {
        Param* p = Find(id);
        Value* e = Read(p, tab, kPoint4, kColor);
        if (!e) return FALSE;
        v = Point4(e->v[0], e->v[1], e->v[2], p->kind == kPoint4 ? e->v[3] : 1.0f);
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue t, AColor& v, Interval& iv, int tab) override
    {
        Point4 p;
        if (!GetValue(id, t, p, iv, tab)) return FALSE;
        v = AColor(p.x, p.y, p.z, p.w);
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, const MCHAR*& v, Interval& iv, int tab) override
    {
        Value* e = Read(Find(id), tab, kString, kString);
        if (!e) return FALSE;
        v = e->hasString ? e->s.c_str() : NULL;
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, Texmap*& v, Interval& iv, int tab) override
    {
        ReferenceTarget* r = NULL;
        if (!GetRef(id, tab, r)) return FALSE;
        v = r && r->SuperClassID() == TEXMAP_CLASS_ID ? static_cast<Texmap*>(r) : NULL;
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, Mtl*& v, Interval& iv, int tab) override
    {
        ReferenceTarget* r = NULL;
        if (!GetRef(id, tab, r)) return FALSE;
        v = r && r->SuperClassID() == MATERIAL_CLASS_ID ? reinterpret_cast<Mtl*>(r) : NULL;
        iv &= FOREVER;
        return TRUE;
    }
    BOOL GetValue(ParamID id, TimeValue, ReferenceTarget*& v, Interval& iv, int tab) override
    {
        if (!GetRef(id, tab, v)) return FALSE;
        iv &= FOREVER;
        return TRUE;
    }

    float GetFloat(ParamID id, TimeValue t, int tab) override
    {
        float v = 0.0f;
        Interval iv;
        return GetValue(id, t, v, iv, tab) ? v : 0.0f;
    }
    int GetInt(ParamID id, TimeValue t, int tab) override
    {
        int v = 0;
        Interval iv;
        return GetValue(id, t, v, iv, tab) ? v : 0;
    }
    Point3 GetPoint3(ParamID id, TimeValue t, int tab) override
    {
        Point3 v(0.0f, 0.0f, 0.0f);
        Interval iv;
        GetValue(id, t, v, iv, tab);
        return v;
    }
    Point4 GetPoint4(ParamID id, TimeValue t, int tab) override
    {
        Point4 v(0.0f, 0.0f, 0.0f, 0.0f);
        Interval iv;
        GetValue(id, t, v, iv, tab);
        return v;
    }
    Color GetColor(ParamID id, TimeValue t, int tab) override
    {
        Color v(0.0f, 0.0f, 0.0f);
        Interval iv;
        GetValue(id, t, v, iv, tab);
        return v;
    }
    AColor GetAColor(ParamID id, TimeValue t, int tab) override
    {
        AColor v(0.0f, 0.0f, 0.0f, 0.0f);
        Interval iv;
        GetValue(id, t, v, iv, tab);
        return v;
    }
    const MCHAR* GetStr(ParamID id, TimeValue t, int tab) override
    {
        const MCHAR* v = NULL;
        Interval iv;
        return GetValue(id, t, v, iv, tab) ? v : NULL;
    }
    Texmap* GetTexmap(ParamID id, TimeValue t, int tab) override
    {
        Texmap* v = NULL;
        Interval iv;
        return GetValue(id, t, v, iv, tab) ? v : NULL;
    }
    Mtl* GetMtl(ParamID id, TimeValue t, int tab) override
    {
        Mtl* v = NULL;
        Interval iv;
        return GetValue(id, t, v, iv, tab) ? v : NULL;
    }
    ReferenceTarget* GetReferenceTarget(ParamID id, TimeValue t, int tab) override
    {
        ReferenceTarget* v = NULL;
        Interval iv;
        return GetValue(id, t, v, iv, tab) ? v : NULL;
    }

    int Count(ParamID id) override
    {
        Param* p = Find(id);
        return p && is_tab(p->def->type) ? (int)p->values.size() : 0;
    }
    void ZeroCount(ParamID id) override { SetCount(id, 0); }
    void SetCount(ParamID id, int n) override
    {
        Param* p = Find(id);
        if (!p || !is_tab(p->def->type) || n < 0 || n > kMaxEntries) return;
        if ((int)p->values.size() == n) return;
        HoldParam(id);
        size_t old = p->values.size();
        p->values.resize((size_t)n);
        for (size_t i = old; i < (size_t)n; ++i)
            p->values[i] = DefaultValue(*p);
        Changed(id, -1);
    }
    int Delete(ParamID id, int start, int num) override
    {
        Param* p = Find(id);
        if (!p || !is_tab(p->def->type)) return 0;
        int count = (int)p->values.size();
        if (start < 0 || start >= count || num <= 0) return count;
        if (num > count - start) num = count - start;
        HoldParam(id);
        p->values.erase(p->values.begin() + start, p->values.begin() + start + num);
        Changed(id, -1);
        return (int)p->values.size();
    }
    int Resize(ParamID id, int num) override
    {
        Param* p = Find(id);
        if (!p || !is_tab(p->def->type) || num < 0 || num > kMaxEntries) return 0;
        p->values.reserve((size_t)num);
        return 1;
    }
    void Shrink(ParamID id) override
    {
        if (Param* p = Find(id)) p->values.shrink_to_fit();
    }

    ParamID LastNotifyParamID() override { return lastNotifyID; }
    ParamID LastNotifyParamID(int& tabIndex) override
    {
        tabIndex = lastNotifyTab;
        return lastNotifyID;
    }

    void ResetAll(BOOL, BOOL) override
    {
        InitAll();
        Changed(-1, -1);
    }
    void Reset(ParamID id, int tabIndex, BOOL, BOOL) override
    {
        Param* p = Find(id);
        if (!p) return;
        if (tabIndex < 0) {
            Init(*p);
        } else {
            if (tabIndex >= (int)p->values.size() || (p->def->flags & P_OWNERS_REF)) return;
            p->values[(size_t)tabIndex] = DefaultValue(*p);
        }
        Changed(id, tabIndex);
    }

    IParamMap2* GetMap(MapID) override { return NULL; }
    void SetMap(IParamMap2*, MapID) override { }

    // Loading (param_block.h)
    Param* Find(ParamID id)
    {
        int i = desc->IDtoIndex(id);
        return i < 0 ? nullptr : &params[(size_t)i];
    }

    static const int kMaxEntries = 1 << 24;

private:
    Value DefaultValue(const Param& p) const
    {
        Value v;
        const ParamDef& d = *p.def;
        if (!(d.flags & P_HAS_DEFAULT)) return v;
        switch (p.kind) {
        case kFloat:
            v.v[0] = d.def.f;
            break;
        case kInt:
            v.i = d.def.i;
            v.v[0] = (float)d.def.i;
            break;
        case kColor:
            if (d.def.p) {
                v.v[0] = d.def.p->x;
                v.v[1] = d.def.p->y;
                v.v[2] = d.def.p->z;
            }
            break;
        case kPoint4:
            if (d.def.p4) {
                v.v[0] = d.def.p4->x;
                v.v[1] = d.def.p4->y;
                v.v[2] = d.def.p4->z;
                v.v[3] = d.def.p4->w;
            }
            break;
        case kString:
            v.hasString = d.def.s != NULL;
            v.s = d.def.s ? d.def.s : L"";
            break;
        case kRef:
            break;
        }
        return v;
    }

    void Init(Param& p)
    {
        size_t n = is_tab(p.def->type) ? (size_t)p.def->tab_size : 1;
        p.values.assign(n, DefaultValue(p));
    }
    void InitAll()
    {
        for (Param& p : params)
            Init(p);
    }

    // The entry for writing a value of kind k (or the accepted conversion k2); NULL when the
    // id, the kind or the index does not fit.
    Value* Entry(ParamID id, int tab, Kind k, Kind k2) { return Read(Find(id), tab, k, k2); }
    Value* Read(Param* p, int tab, Kind k, Kind k2)
    {
        if (!p || (p->kind != k && p->kind != k2)) return nullptr;
        if (!is_tab(p->def->type)) tab = 0;
        if (tab < 0 || tab >= (int)p->values.size()) return nullptr;
        return &p->values[(size_t)tab];
    }

    BOOL SetVector(ParamID id, int tab, float a, float b, float c, float d, bool four)
    {
        Value* e = Entry(id, tab, kColor, kPoint4);
        if (!e) return FALSE;
        HoldParam(id);
        e->v[0] = a;
        e->v[1] = b;
        e->v[2] = c;
        if (four || Find(id)->kind == kPoint4) e->v[3] = d;
        return Changed(id, tab);
    }

    BOOL SetRef(ParamID id, int tab, ReferenceTarget* v, ParamType2 wanted)
    {
        Param* p = Find(id);
        if (!p || p->kind != kRef) return FALSE;
        if (wanted != (ParamType2)-1 && base_type(p->def->type) != wanted) return FALSE;
        if (!is_tab(p->def->type)) tab = 0;
        if (tab < 0 || tab >= (int)p->values.size()) return FALSE;
        if (p->def->flags & P_OWNERS_REF) {
            if (!owner || owner->ReplaceReference(p->def->refno + tab, v) != REF_SUCCEED)
                return FALSE;
        } else {
            HoldParam(id);
            p->values[(size_t)tab].r = v; // P_NO_REF: a plain pointer
        }
        return Changed(id, tab);
    }

    BOOL GetRef(ParamID id, int tab, ReferenceTarget*& v)
    {
        Param* p = Find(id);
        if (!p || p->kind != kRef) return FALSE;
        if (!is_tab(p->def->type)) tab = 0;
        if (tab < 0 || tab >= (int)p->values.size()) return FALSE;
        if (p->def->flags & P_OWNERS_REF) {
            int ref = p->def->refno + tab;
            v = owner && ref < owner->NumRefs() ? owner->GetReference(ref) : NULL;
        } else {
            v = p->values[(size_t)tab].r;
        }
        return TRUE;
    }

    // While holding, a record of the parameter's values (or, for the owner's references, its
    // count) as they are before a change; the owner's references record themselves.
    void HoldParam(ParamID id);

    // The values of a parameter, and putting them back (told as a change of the parameter).
    std::vector<Value> ValuesOf(ParamID id)
    {
        Param* p = Find(id);
        return p ? p->values : std::vector<Value>();
    }
    void PutValues(ParamID id, const std::vector<Value>& values)
    {
        Param* p = Find(id);
        if (!p) return;
        p->values = values;
        Changed(id, -1);
    }

    BOOL Changed(ParamID id, int tab)
    {
        lastNotifyID = id;
        lastNotifyTab = tab;
        NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
        return TRUE;
    }

    ParamBlockDesc2* desc;
    ReferenceMaker* owner;
    std::vector<Param> params;
    ParamID lastNotifyID = -1;
    int lastNotifyTab = -1;
};

// A parameter's values before a change: undo puts them back, redo puts back those an undo
// found. The block is watched, not kept: it goes with its owner, and the record then does
// nothing.
class ParamRestore : public RestoreObj {
public:
    ParamRestore(ParamBlock2* block, ParamID id)
        : id(id), before(block->ValuesOf(id)), keeper(1, true)
    {
        keeper.Keep(0, block);
    }
    ~ParamRestore() override { keeper.Release(); }
    void Restore(int isUndo) override
    {
        ParamBlock2* block = Block();
        if (!block) return;
        if (isUndo) after = block->ValuesOf(id);
        block->PutValues(id, before);
    }
    void Redo() override
    {
        if (ParamBlock2* block = Block()) block->PutValues(id, after);
    }
    MSTR Description() override { return MSTR(L"Parameter"); }

private:
    ParamBlock2* Block() { return static_cast<ParamBlock2*>(keeper.Kept(0)); }
    ParamID id;
    std::vector<Value> before, after;
    host::HoldKeeper keeper;
};

void ParamBlock2::HoldParam(ParamID id)
{
    if (theHold.Holding()) theHold.Put(new ParamRestore(this, id));
}

// Saving: one chunk per parameter (kParamChunkBase + id): USHORT type, ULONG entry count, then
// the entries (float 4 bytes, int 4, colour/point 12, point4 16, string: ULONG characters and
// the UTF-16 characters). Reference entries save only their count: the owner's references and
// plain pointers are not data of the block.
const USHORT kParamChunkBase = 0x0100;

void Put(std::vector<unsigned char>& out, const void* p, size_t n)
{
    const unsigned char* b = static_cast<const unsigned char*>(p);
    out.insert(out.end(), b, b + n);
}

IOResult ParamBlock2::Save(ISave* isave)
{
    for (const Param& p : params) {
        std::vector<unsigned char> bytes;
        USHORT type = (USHORT)p.def->type;
        ULONG count = (ULONG)p.values.size();
        Put(bytes, &type, 2);
        Put(bytes, &count, 4);
        if (p.kind != kRef) {
            for (const Value& v : p.values) {
                switch (p.kind) {
                case kFloat:
                    Put(bytes, &v.v[0], 4);
                    break;
                case kInt:
                    Put(bytes, &v.i, 4);
                    break;
                case kColor:
                    Put(bytes, v.v, 12);
                    break;
                case kPoint4:
                    Put(bytes, v.v, 16);
                    break;
                case kString: {
                    // A NULL string is saved with the length 0xffffffff.
                    ULONG n = v.hasString ? (ULONG)v.s.size() : 0xffffffffu;
                    Put(bytes, &n, 4);
                    if (v.hasString) Put(bytes, v.s.data(), v.s.size() * 2);
                    break;
                }
                case kRef:
                    break;
                }
            }
        }
        isave->BeginChunk((USHORT)(kParamChunkBase + (USHORT)p.def->ID));
        ULONG written = 0;
        IOResult r = isave->Write(bytes.data(), (ULONG)bytes.size(), &written);
        isave->EndChunk();
        if (r != IO_OK) return r;
    }
    return IO_OK;
}

// Reads one parameter's chunk into a copy and stores it only when the whole chunk was sound.
// A parameter the declaration no longer has, or whose type changed, is skipped. Every count is
// backed by bytes: values by the chunk's own, a table of the owner's references by the
// references the owner saved (ownerReferences; the declared size is always allowed); a table of
// plain pointers, which saves nothing of its entries, keeps its declared size.
IOResult LoadParam(ParamBlock2& pb, ILoad* iload, ParamID id, size_t ownerReferences)
{
    Param* p = pb.Find(id);
    ULONG nb = 0;
    USHORT type = 0;
    ULONG count = 0;
    if (iload->Read(&type, 2, &nb) != IO_OK || iload->Read(&count, 4, &nb) != IO_OK)
        return IO_ERROR;
    if (!p || type != (USHORT)p->def->type) return IO_OK;
    if (!is_tab(p->def->type) && count != 1) return IO_ERROR;
    ULONGLONG remaining = iload->CurChunkLength() - 6;
    size_t minSize = p->kind == kFloat || p->kind == kInt || p->kind == kString ? 4
        : p->kind == kColor                                                     ? 12
        : p->kind == kPoint4                                                    ? 16
                                                                                : 0;
    if (count > (ULONG)ParamBlock2::kMaxEntries || (ULONGLONG)count * minSize > remaining)
        return IO_ERROR;
    if (p->kind == kRef && !(p->def->flags & P_OWNERS_REF)) return IO_OK;
    if (p->kind == kRef) {
        size_t refno = p->def->refno < 0 ? 0 : (size_t)p->def->refno;
        size_t saved = ownerReferences > refno ? ownerReferences - refno : 0;
        if (count > std::max(saved, (size_t)std::max(p->def->tab_size, 0))) return IO_ERROR;
    }
    std::vector<Value> values(count);
    if (p->kind != kRef) {
        for (Value& v : values) {
            IOResult r = IO_OK;
            switch (p->kind) {
            case kFloat:
                r = iload->Read(&v.v[0], 4, &nb);
                break;
            case kInt:
                r = iload->Read(&v.i, 4, &nb);
                v.v[0] = (float)v.i;
                break;
            case kColor:
                r = iload->Read(v.v, 12, &nb);
                break;
            case kPoint4:
                r = iload->Read(v.v, 16, &nb);
                break;
            case kString: {
                ULONG n = 0;
                r = iload->Read(&n, 4, &nb);
                if (r != IO_OK) break;
                if (n == 0xffffffffu) break;
                if ((ULONGLONG)n * 2 > iload->CurChunkLength()) return IO_ERROR;
                v.s.resize(n);
                v.hasString = true;
                if (n) r = iload->Read(&v.s[0], n * 2, &nb);
                break;
            }
            case kRef:
                break;
            }
            if (r != IO_OK) return IO_ERROR;
        }
        if (p->kind == kFloat)
            for (Value& v : values)
                v.i = (int)v.v[0];
    }
    p->values.swap(values);
    return IO_OK;
}

IOResult ParamBlock2::Load(ILoad* iload)
{
    return LoadSaved(iload, owner ? (size_t)owner->NumRefs() : 0);
}

IOResult ParamBlock2::LoadSaved(ILoad* iload, size_t ownerReferences)
{
    IOResult res;
    while ((res = iload->OpenChunk()) == IO_OK) {
        USHORT chunk = iload->CurChunkID();
        IOResult r = IO_OK;
        if (chunk >= kParamChunkBase && chunk - kParamChunkBase <= 0x7fff)
            r = LoadParam(*this, iload, (ParamID)(chunk - kParamChunkBase), ownerReferences);
        IOResult closed = iload->CloseChunk();
        if (r != IO_OK) return r;
        if (closed != IO_OK) return closed;
    }
    return res == IO_END ? IO_OK : res;
}

} // namespace

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner)
{
    if (!pdesc) return NULL;
    return new ParamBlock2(pdesc, iowner);
}

namespace host_pb {

IOResult LoadBlock(IParamBlock2* pb, ILoad* iload, size_t ownerReferences)
{
    return static_cast<ParamBlock2*>(pb)->LoadSaved(iload, ownerReferences);
}

unsigned short ParamChunkID(short paramID) { return (unsigned short)(kParamChunkBase + paramID); }

} // namespace host_pb
