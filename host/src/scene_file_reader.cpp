// Scene files, reading: rebuilding a graph of reference targets through the class descriptors.
// Reading checks the whole structure before it creates any object; a fault after that (an
// unknown class, a Load that fails) deletes everything made so far.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <set>

#include "chunk_io.h"
#include "hold.h"
#include "iparamb2.h"
#include "param_block.h"
#include "scene_file_layout.h"
#include "text_convert.h"

namespace host {

namespace {

using scene_file::kMagic;
using scene_file::kMagicSize;
using scene_file::kMaxObjects;

const ULONG kMaxRefs = 1u << 20;

// Holds references to a set of objects while the scene code works on them, so that releasing
// one object's references cannot delete another that is still to be looked at.
class ObjectHolder : public ReferenceMaker {
public:
    // The holder's own references are no edits: a scene deleted or loaded while an undo step
    // is open leaves no record of them.
    explicit ObjectHolder(const std::vector<ReferenceTarget*>& objects) : refs(objects.size())
    {
        theHold.Suspend();
        for (size_t i = 0; i < objects.size(); ++i)
            if (objects[i]) ReplaceReference((int)i, objects[i]);
        theHold.Resume();
    }
    ~ObjectHolder() override { ReleaseAll(false); }

    int NumRefs() override { return (int)refs.size(); }
    RefTargetHandle GetReference(int i) override
    {
        return i >= 0 && i < (int)refs.size() ? refs[(size_t)i] : nullptr;
    }
    void SetReference(int i, RefTargetHandle t) override
    {
        if (i >= 0 && i < (int)refs.size()) refs[(size_t)i] = t;
    }
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override
    {
        return REF_DONTCARE;
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override
    {
        return REF_DONTCARE;
    }
#endif
    // Lets go of object i; with deleteOrphan it is deleted when nothing else refers to it.
    void Release(size_t i, bool deleteOrphan)
    {
        ReferenceTarget* t = refs[i];
        if (!t) return;
        refs[i] = nullptr;
        t->RemoveDependent(this);
        if (deleteOrphan) t->MaybeAutoDelete();
    }
    void ReleaseAll(bool deleteOrphans)
    {
        for (size_t i = 0; i < refs.size(); ++i)
            Release(i, deleteOrphans);
    }

private:
    std::vector<ReferenceTarget*> refs;
};

// What the structure check found of one object.
struct ObjectRecord {
    size_t offset; // of the object chunk
    SClass_ID superID = 0;
    Class_ID classID;
    bool hasClass = false;
    bool isBlock = false;
    SClass_ID ownerSuper = 0;
    Class_ID ownerClass;
    BlockID blockID = 0;
    const unsigned char* data = nullptr; // the DATA chunk's contents
    size_t dataSize = 0;
    size_t dataOffset = 0;
    bool hasData = false;
    std::vector<LONG> refs;
    bool hasRefs = false;
};

class SceneReader {
public:
    SceneReader(const unsigned char* d, size_t s, const ClassDirectory& c)
        : data(d), size(s), classes(c)
    { }

    SceneLoadResult Read()
    {
        if (!data || size < kMagicSize || memcmp(data, kMagic, kMagicSize) != 0)
            return Fail(0, L"not a scene file: it does not start with the scene file's magic");
        if (!CheckStructure() || !CheckNoLoops() || !CheckTextureNesting()) return result;
        if (!Build()) return result;
        result.ok = true;
        return result;
    }

private:
    SceneLoadResult& Fail(size_t offset, const std::wstring& what)
    {
        if (result.error.empty()) {
            result.ok = false;
            result.offset = offset;
            result.what = what;
            result.error = host_text::Format(L"byte %u: ", (unsigned)offset) + what;
        }
        return result;
    }
    bool FailFrom(host_io::ChunkReader& r, const wchar_t* context)
    {
        Fail(r.ErrorOffset(), std::wstring(context) + L": " + r.Error());
        return false;
    }

    static bool ReadU32(host_io::ChunkReader& r, ULONG& v)
    {
        ULONG n = 0;
        return r.Read(&v, 4, &n) == IO_OK;
    }

    // Structure ------------------------------------------------------------------------------

    // Every length, count and index is checked here, before an object exists.
    bool CheckStructure()
    {
        host_io::ChunkReader r(data + kMagicSize, size - kMagicSize, kMagicSize);
        if (!OpenSceneChunk(r)) return false;
        IOResult res;
        while ((res = r.OpenChunk()) == IO_OK) {
            size_t at = r.ChunkOffset() - host_io::kChunkHeader;
            switch (r.CurChunkID()) {
            case kSceneHeaderChunk:
                if (!ReadHeader(r, at)) return false;
                break;
            case kObjectChunk:
                if (!haveHeader) return Fail(at, L"an object before the scene header"), false;
                if (records.size() >= objectCount)
                    return Fail(at, L"more objects than the header counts"), false;
                if (!CheckObject(r, at)) return false;
                break;
            case kRootsChunk:
                if (!ReadRoots(r, at)) return false;
                break;
            default:
                break; // chunks of later versions are skipped
            }
            if (r.CloseChunk() != IO_OK) return FailFrom(r, L"scene");
        }
        if (res == IO_ERROR) return FailFrom(r, L"scene");
        return CheckCounts();
    }

    // The one scene chunk after the magic, as long as the rest of the file.
    bool OpenSceneChunk(host_io::ChunkReader& r)
    {
        if (r.OpenChunk() != IO_OK) {
            if (r.Failed()) return FailFrom(r, L"scene");
            Fail(kMagicSize, L"the file ends after its magic");
            return false;
        }
        if (r.CurChunkID() != kSceneChunk || r.CurChunkType() != CONTAINER_CHUNK) {
            Fail(kMagicSize, L"no scene chunk after the magic");
            return false;
        }
        if (kMagicSize + host_io::kChunkHeader + r.CurChunkLength() != size) {
            const unsigned said = (unsigned)(r.CurChunkLength() + host_io::kChunkHeader);
            Fail(kMagicSize,
                 host_text::Format(L"the scene chunk says %u bytes, the file has %u", said,
                                   (unsigned)(size - kMagicSize)));
            return false;
        }
        return true;
    }

    bool ReadHeader(host_io::ChunkReader& r, size_t at)
    {
        if (haveHeader) return Fail(at, L"a second scene header"), false;
        ULONG version = 0;
        if (!ReadU32(r, version)) return FailFrom(r, L"scene header");
        if (version != kSceneFormatVersion)
            return Fail(at,
                        host_text::Format(L"scene format version %u; this host reads "
                                          L"version %u",
                                          (unsigned)version, (unsigned)kSceneFormatVersion)),
                   false;
        // The writer's host version is read past: nothing depends on it.
        ULONG writer = 0;
        if (!ReadU32(r, writer) || !ReadU32(r, objectCount) || !ReadU32(r, rootCount))
            return FailFrom(r, L"scene header");
        if (objectCount > kMaxObjects || objectCount > size / host_io::kChunkHeader)
            return Fail(at,
                        host_text::Format(L"object count %u does not fit the file",
                                          (unsigned)objectCount)),
                   false;
        if (rootCount > objectCount) return Fail(at, L"more roots than objects"), false;
        haveHeader = true;
        return true;
    }

    bool ReadRoots(host_io::ChunkReader& r, size_t at)
    {
        if (!haveHeader) return Fail(at, L"roots before the scene header"), false;
        ULONG n = 0;
        if (!ReadU32(r, n)) return FailFrom(r, L"roots");
        if (n != rootCount) return Fail(at, L"root count differs from the header"), false;
        for (ULONG i = 0; i < n; ++i) {
            ULONG k = 0;
            if (!ReadU32(r, k)) return FailFrom(r, L"roots");
            if (k >= objectCount)
                return Fail(r.Offset() - 4,
                            host_text::Format(L"root index %u out of range", (unsigned)k)),
                       false;
            roots.push_back(k);
        }
        haveRoots = true;
        return true;
    }

    // After the last chunk: the header, as many objects as it counts, the roots, and every
    // reference to an object that exists.
    bool CheckCounts()
    {
        size_t end = size;
        if (!haveHeader) return Fail(end, L"the scene has no header"), false;
        if (records.size() != objectCount)
            return Fail(end,
                        host_text::Format(L"the header counts %u objects, the file has %u",
                                          (unsigned)objectCount, (unsigned)records.size())),
                   false;
        if (!haveRoots) return Fail(end, L"the scene has no roots"), false;
        for (size_t k = 0; k < records.size(); ++k)
            for (LONG ref : records[k].refs)
                if (ref < -1 || ref >= (LONG)objectCount)
                    return Fail(records[k].offset,
                                host_text::Format(L"object %u refers to object %d, which does "
                                                  L"not exist",
                                                  (unsigned)k, (int)ref)),
                           false;
        return true;
    }

    // References and nesting ----------------------------------------------------------------

    // References may not form a loop (the reference system refuses one); a file that has one
    // is damaged.
    bool CheckNoLoops()
    {
        enum { kNew, kOpen, kDone };
        std::vector<int> state(records.size(), kNew);
        for (size_t start = 0; start < records.size(); ++start) {
            if (state[start] != kNew) continue;
            // Depth-first with an explicit stack of (object, next reference).
            std::vector<std::pair<size_t, size_t>> stack {{start, 0}};
            state[start] = kOpen;
            while (!stack.empty()) {
                auto& top = stack.back();
                const std::vector<LONG>& refs = records[top.first].refs;
                if (top.second == refs.size()) {
                    state[top.first] = kDone;
                    order.push_back(top.first);
                    stack.pop_back();
                    continue;
                }
                LONG next = refs[top.second++];
                if (next < 0) continue;
                if (state[(size_t)next] == kOpen)
                    return Fail(records[top.first].offset,
                                host_text::Format(L"object %u closes a loop of references",
                                                  (unsigned)top.first)),
                           false;
                if (state[(size_t)next] == kNew) {
                    state[(size_t)next] = kOpen;
                    stack.push_back({(size_t)next, 0});
                }
            }
        }
        return true;
    }

    // Textures nested too deep would exhaust the stack of whatever walks them (evaluation,
    // Update, deleting the scene), and sub-textures shared by several slots multiply the work
    // of a sample with every level. Both are counted over the references, each object once,
    // targets before the objects that refer to them.
    bool CheckTextureNesting()
    {
        std::vector<ULONG> chain(records.size(), 0); // textures on the longest chain
        std::vector<ULONGLONG> work(records.size(), 0); // evaluations of one sample
        const ULONGLONG cap = kMaxTextureEvaluations + 1ull;
        size_t deepest = 0, busiest = 0;
        for (size_t k : order) {
            const bool texture = records[k].superID == TEXMAP_CLASS_ID;
            ULONG longest = 0;
            ULONGLONG sum = texture ? 1 : 0;
            for (LONG ref : records[k].refs) {
                if (ref < 0) continue;
                longest = std::max(longest, chain[(size_t)ref]);
                sum = std::min(cap, sum + work[(size_t)ref]);
            }
            chain[k] = longest + (texture ? 1 : 0);
            work[k] = sum;
            if (chain[k] > chain[deepest]) deepest = k;
            if (work[k] > work[busiest]) busiest = k;
        }
        if (!records.empty() && chain[deepest] > (ULONG)kMaxTextureNesting + 1)
            return Fail(records[deepest].offset,
                        host_text::Format(L"textures nested %u levels deep (at most %d)",
                                          (unsigned)(chain[deepest] - 1), kMaxTextureNesting)),
                   false;
        if (!records.empty() && work[busiest] > kMaxTextureEvaluations)
            return Fail(records[busiest].offset,
                        host_text::Format(L"sub-textures shared by several slots would make one "
                                          L"sample evaluate more than %lu textures",
                                          (unsigned long)kMaxTextureEvaluations)),
                   false;
        return true;
    }

    bool CheckObject(host_io::ChunkReader& r, size_t at)
    {
        ObjectRecord rec;
        rec.offset = at;
        IOResult res;
        while ((res = r.OpenChunk()) == IO_OK) {
            bool ok = true;
            switch (r.CurChunkID()) {
            case kClassChunk:
                ok = ReadClass(r, rec);
                break;
            case kParamBlockChunk:
                ok = ReadBlockOwner(r, rec);
                break;
            case kDataChunk:
                ok = ReadData(r, rec);
                break;
            case kRefsChunk:
                ok = ReadRefs(r, rec);
                break;
            default:
                break;
            }
            if (!ok) return false;
            if (r.CloseChunk() != IO_OK) return FailFrom(r, L"object");
        }
        if (res == IO_ERROR) return FailFrom(r, L"object");
        if (!rec.hasClass || !rec.hasData || !rec.hasRefs)
            return Fail(at,
                        host_text::Format(L"object %u lacks its class, data or references",
                                          (unsigned)records.size())),
                   false;
        if (rec.isBlock != (rec.superID == PARAMETER_BLOCK2_CLASS_ID))
            return Fail(at, L"parameter block record and class disagree"), false;
        records.push_back(rec);
        return true;
    }

    bool ReadClass(host_io::ChunkReader& r, ObjectRecord& rec)
    {
        ULONG s = 0, a = 0, b = 0;
        if (!ReadU32(r, s) || !ReadU32(r, a) || !ReadU32(r, b)) return FailFrom(r, L"object class");
        rec.superID = s;
        rec.classID = Class_ID(a, b);
        rec.hasClass = true;
        return true;
    }

    bool ReadBlockOwner(host_io::ChunkReader& r, ObjectRecord& rec)
    {
        ULONG s = 0, a = 0, b = 0, id = 0;
        if (!ReadU32(r, s) || !ReadU32(r, a) || !ReadU32(r, b) || !ReadU32(r, id))
            return FailFrom(r, L"parameter block");
        rec.isBlock = true;
        rec.ownerSuper = s;
        rec.ownerClass = Class_ID(a, b);
        rec.blockID = (BlockID)(LONG)id;
        return true;
    }

    bool ReadData(host_io::ChunkReader& r, ObjectRecord& rec)
    {
        if (r.CurChunkType() != CONTAINER_CHUNK && r.CurChunkLength() != 0)
            return Fail(r.ChunkOffset() - host_io::kChunkHeader, L"object data is not a container"),
                   false;
        rec.data = r.ChunkData();
        rec.dataSize = r.ChunkSize();
        rec.dataOffset = r.ChunkOffset();
        rec.hasData = true;
        return CheckDataChunks(rec.data, rec.dataSize, rec.dataOffset);
    }

    // The object's own chunks must be sound as chunks before its Load reads them.
    bool CheckDataChunks(const unsigned char* d, size_t n, size_t base)
    {
        host_io::ChunkReader r(d, n, base);
        std::function<bool(int)> level = [&](int depth) -> bool {
            IOResult res;
            while ((res = r.OpenChunk()) == IO_OK) {
                if (r.CurChunkType() == CONTAINER_CHUNK && !level(depth + 1)) return false;
                if (r.CloseChunk() != IO_OK) return false;
            }
            return res == IO_END;
        };
        if (!level(0)) return FailFrom(r, L"object data");
        return true;
    }

    bool ReadRefs(host_io::ChunkReader& r, ObjectRecord& rec)
    {
        ULONG n = 0;
        if (!ReadU32(r, n)) return FailFrom(r, L"references");
        if (n > kMaxRefs || (ULONGLONG)n * 4 > r.CurChunkLength())
            return Fail(r.Offset() - 4,
                        host_text::Format(L"reference count %u does not fit its "
                                          L"chunk",
                                          (unsigned)n)),
                   false;
        rec.refs.resize(n);
        for (ULONG i = 0; i < n; ++i) {
            ULONG nb = 0;
            if (r.Read(&rec.refs[i], 4, &nb) != IO_OK) return FailFrom(r, L"references");
        }
        rec.hasRefs = true;
        return true;
    }

    // Building -------------------------------------------------------------------------------

    bool Build()
    {
        if (!CreateObjects() || !ConnectReferences()) return false;
        GiveBlocksOwners();
        std::vector<PostLoadCallback*> callbacks;
        if (!LoadObjects(&callbacks)) return false;
        RunPostLoadCallbacks(callbacks);
        HandOverRoots();
        return true;
    }

    bool CreateObjects()
    {
        objects.assign(records.size(), nullptr);
        for (size_t k = 0; k < records.size(); ++k) {
            objects[k] = records[k].isBlock ? CreateBlock(k) : CreateObject(k);
            if (!objects[k]) return Abandon();
        }
        return true;
    }

    // A parameter block, made from its owner class's block description; NULL (with the fault
    // recorded) when there is none.
    ReferenceTarget* CreateBlock(size_t k)
    {
        const ObjectRecord& rec = records[k];
        ClassDesc* cd = classes.Find(rec.ownerSuper, rec.ownerClass);
        ParamBlockDesc2* pbd = cd ? cd->GetParamBlockDescByID(rec.blockID) : nullptr;
        if (!pbd) {
            Fail(rec.offset,
                 host_text::Format(L"object %u: parameter block %d of an unknown "
                                   L"class (0x%08x, 0x%08x)",
                                   (unsigned)k, (int)rec.blockID, (unsigned)rec.ownerClass.PartA(),
                                   (unsigned)rec.ownerClass.PartB()));
            return nullptr;
        }
        return CreateParameterBlock2(pbd, nullptr);
    }

    // Any other object, made by its class descriptor; NULL (with the fault recorded) when the
    // class is unknown or makes nothing.
    ReferenceTarget* CreateObject(size_t k)
    {
        const ObjectRecord& rec = records[k];
        ClassDesc* cd = classes.Find(rec.superID, rec.classID);
        if (!cd) {
            Fail(rec.offset,
                 host_text::Format(L"object %u: unknown class (super class 0x%x, "
                                   L"class 0x%08x, 0x%08x)",
                                   (unsigned)k, (unsigned)rec.superID,
                                   (unsigned)rec.classID.PartA(), (unsigned)rec.classID.PartB()));
            return nullptr;
        }
        void* made = cd->Create(TRUE);
        ReferenceTarget* obj =
            made ? static_cast<ReferenceTarget*>(static_cast<Animatable*>(made)) : nullptr;
        if (!obj)
            Fail(rec.offset,
                 host_text::Format(L"object %u: class %s could not create an object", (unsigned)k,
                                   cd->ClassName()));
        return obj;
    }

    // References: through the reference system, so that what a new object made for itself (a
    // default parameter block) is released when the file replaces it. Makers go before their
    // targets, so the reference system's loop check finds nothing below a target yet and each
    // reference costs the same however deep the scene.
    bool ConnectReferences()
    {
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            const size_t k = *it;
            for (size_t i = 0; i < records[k].refs.size(); ++i) {
                LONG at = records[k].refs[i];
                ReferenceTarget* target = at < 0 ? nullptr : objects[(size_t)at];
                ReferenceTarget* maker = objects[k];
                if (!target && ((int)i >= maker->NumRefs() || !maker->GetReference((int)i)))
                    continue;
                if (maker->ReplaceReference((int)i, target) != REF_SUCCEED) {
                    MSTR name;
                    maker->GetClassName(name);
                    Fail(records[k].offset,
                         host_text::Format(L"object %u (%s) refused reference %u to object %ld",
                                           (unsigned)k, name.data(), (unsigned)i, (long)at));
                    return Abandon();
                }
            }
        }
        return true;
    }

    // A loaded block belongs to the first object that refers to it.
    void GiveBlocksOwners()
    {
        firstMaker.assign(records.size(), records.size());
        for (size_t m = 0; m < records.size(); ++m)
            for (LONG at : records[m].refs)
                if (at >= 0 && firstMaker[(size_t)at] == records.size()) firstMaker[(size_t)at] = m;
        for (size_t k = 0; k < records.size(); ++k) {
            if (!records[k].isBlock || firstMaker[k] == records.size()) continue;
            IParamBlock2* pb = static_cast<IParamBlock2*>(objects[k]);
            if (!pb->GetOwner()) pb->SetOwner(objects[firstMaker[k]]);
        }
    }

    // Each object reads its own chunks; the callbacks they register are gathered for after.
    bool LoadObjects(std::vector<PostLoadCallback*>* callbacks)
    {
        for (size_t k = 0; k < records.size(); ++k) {
            const ObjectRecord& rec = records[k];
            host_io::ChunkReader r(rec.data, rec.dataSize, rec.dataOffset);
            // A block's tables of its owner's references are backed by the references the
            // owner saved.
            IOResult res = rec.isBlock
                ? host_pb::LoadBlock(
                      static_cast<IParamBlock2*>(objects[k]), &r,
                      firstMaker[k] == records.size() ? 0 : records[firstMaker[k]].refs.size())
                : objects[k]->Load(&r);
            if (res == IO_ERROR || r.Failed()) {
                MSTR name;
                objects[k]->GetClassName(name);
                if (r.Failed())
                    Fail(r.ErrorOffset(),
                         host_text::Format(L"object %u (%s) could not load its "
                                           L"data: %s",
                                           (unsigned)k, name.data(), r.Error().c_str()));
                else
                    Fail(rec.dataOffset,
                         host_text::Format(L"object %u (%s) could not load its "
                                           L"data",
                                           (unsigned)k, name.data()));
                return Abandon();
            }
            callbacks->insert(callbacks->end(), r.Callbacks().begin(), r.Callbacks().end());
        }
        return true;
    }

    static void RunPostLoadCallbacks(std::vector<PostLoadCallback*>& callbacks)
    {
        std::stable_sort(
            callbacks.begin(), callbacks.end(),
            [](PostLoadCallback* a, PostLoadCallback* b) { return a->Priority() < b->Priority(); });
        for (PostLoadCallback* cb : callbacks)
            cb->proc(nullptr);
    }

    // The roots go to the caller. Objects that nothing refers to and that are not roots have
    // no place in the scene.
    void HandOverRoots()
    {
        for (ULONG k : roots)
            result.roots.push_back(objects[k]);
        std::set<ReferenceTarget*> rootSet(result.roots.begin(), result.roots.end());
        ObjectHolder hold(objects);
        for (size_t k = 0; k < objects.size(); ++k)
            if (!rootSet.count(objects[k])) hold.Release(k, true);
        hold.ReleaseAll(false);
        objects.clear();
    }

    // Deletes every object made so far: references among them are cut without deleting, the
    // ones to anything else are released as usual, then each goes.
    bool Abandon()
    {
        std::set<ReferenceTarget*> ours;
        for (ReferenceTarget* o : objects)
            if (o) ours.insert(o);
        for (ReferenceTarget* o : ours)
            o->SetAFlag(A_IS_DELETED);
        for (ReferenceTarget* o : ours) {
            int n = o->NumRefs();
            for (int i = 0; i < n; ++i) {
                ReferenceTarget* t = o->GetReference(i);
                if (!t) continue;
                o->SetReference(i, nullptr);
                t->RemoveDependent(o);
                if (!ours.count(t)) t->MaybeAutoDelete();
            }
        }
        for (ReferenceTarget* o : ours)
            o->DeleteThis();
        objects.clear();
        result.roots.clear();
        result.ok = false;
        return false;
    }

    const unsigned char* data;
    size_t size;
    const ClassDirectory& classes;
    SceneLoadResult result;
    std::vector<ObjectRecord> records;
    std::vector<size_t> order; // every object once, the targets of each before it
    std::vector<ULONG> roots;
    std::vector<ReferenceTarget*> objects;
    // What the scene header said, once it was read.
    bool haveHeader = false;
    ULONG objectCount = 0;
    ULONG rootCount = 0;
    bool haveRoots = false;
    // Per object, the first object that refers to it (records.size() for none).
    std::vector<size_t> firstMaker;
};

} // namespace

SceneLoadResult ReadScene(const unsigned char* data, size_t size, const ClassDirectory& classes)
{
    return SceneReader(data, size, classes).Read();
}

namespace {
bool ReadFile(const std::wstring& path, std::vector<unsigned char>& bytes, std::wstring& error)
{
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) {
        error = L"cannot open " + path;
        return false;
    }
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    bool bad = ferror(f) != 0;
    fclose(f);
    if (bad) {
        error = L"cannot read " + path;
        return false;
    }
    return true;
}
} // namespace

SceneLoadResult LoadScene(const std::wstring& path, const ClassDirectory& classes)
{
    std::vector<unsigned char> bytes;
    std::wstring error;
    if (!ReadFile(path, bytes, error)) {
        SceneLoadResult r;
        r.error = error;
        return r;
    }
    SceneLoadResult r = ReadScene(bytes.data(), bytes.size(), classes);
    if (!r.ok) r.error = path + L": " + r.error;
    return r;
}

bool IsSceneFile(const unsigned char* data, size_t size)
{
    return data && size >= kMagicSize && memcmp(data, kMagic, kMagicSize) == 0;
}

bool IsSceneFile(const std::wstring& path)
{
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    unsigned char head[kMagicSize];
    size_t n = fread(head, 1, sizeof head, f);
    fclose(f);
    return IsSceneFile(head, n);
}

void DeleteScene(const std::vector<ReferenceTarget*>& roots)
{
    ObjectHolder hold(roots);
    hold.ReleaseAll(true);
}

} // namespace host
