// Scene files, writing: numbers every object reachable from the roots and writes each with its
// class, its block's owner, its own chunks and its references.
#include <stdio.h>

#include <functional>
#include <unordered_map>

#include "chunk_io.h"
#include "iparamb2.h"
#include "param_block.h"
#include "scene_file_layout.h"
#include "text_convert.h"

namespace host {

namespace {

using scene_file::kMagic;
using scene_file::kMagicSize;
using scene_file::kMaxObjects;

// True for a chunk id that is to be left out of an object's saved data.
typedef std::function<bool(unsigned short)> ChunkFilter;

bool IsBlock(ReferenceTarget* t) { return t->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID; }

void WriteU32(ISave& s, ULONG v)
{
    ULONG n = 0;
    s.Write(&v, 4, &n);
}

// Removes the top-level chunks that options.dropChunk names from an object's saved data.
std::vector<unsigned char> FilterChunks(const std::vector<unsigned char>& bytes,
                                        const ChunkFilter& drop)
{
    std::vector<unsigned char> out;
    host_io::ChunkReader r(bytes.data(), bytes.size(), 0);
    while (r.OpenChunk() == IO_OK) {
        size_t start = r.ChunkOffset() - host_io::kChunkHeader;
        size_t end = r.ChunkOffset() + r.ChunkSize();
        if (!drop(r.CurChunkID()))
            out.insert(out.end(), bytes.begin() + (long)start, bytes.begin() + (long)end);
        r.CloseChunk();
    }
    return out;
}

class SceneWriter {
public:
    SceneWriter(const std::vector<ReferenceTarget*>& r, std::wstring* e, const SceneSaveOptions& o)
        : roots(r), error(e), options(o)
    { }

    bool Write(std::vector<unsigned char>* out)
    {
        if (!out) return Fail(L"no output buffer");
        out->clear();
        if (!NumberObjects()) return false;
        w.SetRefIDs(&objects);
        w.BeginChunk(kSceneChunk);
        WriteHeader();
        for (size_t k = 0; k < objects.size(); ++k)
            if (!WriteObject(k)) return false;
        WriteRoots();
        w.EndChunk(); // scene
        if (!w.Ok()) return Fail(L"scene writer: " + w.Error());

        out->assign(kMagic, kMagic + kMagicSize);
        out->insert(out->end(), w.Bytes().begin(), w.Bytes().end());
        return true;
    }

private:
    bool Fail(const std::wstring& what)
    {
        if (error) *error = what;
        return false;
    }

    ReferenceTarget* Object(size_t k) const { return static_cast<ReferenceTarget*>(objects[k]); }

    // Numbers every object reachable from the roots, each once, in a stable order: the roots
    // first, then breadth first through the references.
    bool NumberObjects()
    {
        for (ReferenceTarget* r : roots) {
            if (!r) return Fail(L"a scene root is NULL");
            if (index.emplace(r, (ULONG)objects.size()).second) objects.push_back(r);
        }
        for (size_t next = 0; next < objects.size(); ++next) {
            ReferenceTarget* obj = Object(next);
            int n = obj->NumRefs();
            for (int i = 0; i < n; ++i) {
                ReferenceTarget* t = obj->GetReference(i);
                if (t && index.emplace(t, (ULONG)objects.size()).second) objects.push_back(t);
            }
        }
        if (objects.size() > kMaxObjects) return Fail(L"too many objects for one scene");
        return true;
    }

    void WriteHeader()
    {
        w.BeginChunk(kSceneHeaderChunk);
        WriteU32(w, kSceneFormatVersion);
        WriteU32(w, VERSION_3DSMAX);
        WriteU32(w, (ULONG)objects.size());
        WriteU32(w, (ULONG)roots.size());
        w.EndChunk();
    }

    bool WriteObject(size_t k)
    {
        ReferenceTarget* obj = Object(k);
        MSTR className;
        obj->GetClassName(className);
        w.BeginChunk(kObjectChunk);
        WriteClass(obj);
        ChunkFilter drop;
        if (IsBlock(obj) && !WriteBlockOwner(k, &drop)) return false;
        if (options.dropChunk) {
            auto byParam = drop;
            drop = [this, obj, byParam](unsigned short chunk) {
                return options.dropChunk(obj, chunk) || (byParam && byParam(chunk));
            };
        }
        std::vector<unsigned char> inner;
        if (!SaveData(k, className, &inner)) return false;
        if (drop) inner = FilterChunks(inner, drop);
        w.BeginChunk(kDataChunk);
        CopyChunks(inner);
        w.EndChunk();
        WriteRefs(obj);
        w.EndChunk(); // object
        return true;
    }

    void WriteClass(ReferenceTarget* obj)
    {
        w.BeginChunk(kClassChunk);
        Class_ID cid = obj->ClassID();
        WriteU32(w, obj->SuperClassID());
        WriteU32(w, cid.PartA());
        WriteU32(w, cid.PartB());
        w.EndChunk();
    }

    // A parameter block's record of the class and block it belongs to. Sets *drop to the
    // filter of the parameters that options.dropParam leaves out, when there is one.
    bool WriteBlockOwner(size_t k, ChunkFilter* drop)
    {
        IParamBlock2* pb = static_cast<IParamBlock2*>(Object(k));
        ParamBlockDesc2* desc = pb->GetDesc();
        if (!desc || !desc->cd)
            return Fail(
                host_text::Format(L"object %u: a parameter block without a class", (unsigned)k));
        w.BeginChunk(kParamBlockChunk);
        Class_ID owner = desc->cd->ClassID();
        WriteU32(w, desc->cd->SuperClassID());
        WriteU32(w, owner.PartA());
        WriteU32(w, owner.PartB());
        WriteU32(w, (ULONG)(LONG)desc->ID);
        w.EndChunk();
        if (options.dropParam) {
            *drop = [this, desc, pb](unsigned short chunk) {
                for (int i = 0; i < desc->count; ++i)
                    if (host_pb::ParamChunkID(desc->paramdefs[i].ID) == chunk)
                        return options.dropParam(pb, desc->paramdefs[i].ID);
                return false;
            };
        }
        return true;
    }

    // The object's own chunks, saved apart first so that a failing Save leaves no trace.
    bool SaveData(size_t k, const MSTR& className, std::vector<unsigned char>* inner)
    {
        host_io::ChunkWriter data;
        data.SetRefIDs(&objects);
        data.BeginChunk(kDataChunk);
        IOResult r = Object(k)->Save(&data);
        data.EndChunk();
        if (r != IO_OK)
            return Fail(
                host_text::Format(L"object %u (%s): Save failed", (unsigned)k, className.data()));
        if (!data.Ok())
            return Fail(host_text::Format(L"object %u (%s): %s", (unsigned)k, className.data(),
                                          data.Error().c_str()));
        inner->assign(data.Bytes().begin() + host_io::kChunkHeader, data.Bytes().end());
        return true;
    }

    // Copies saved chunks in as chunks (the writer sees them as nested begin/end). No chunks
    // leave the container empty, which marks it as one by a chunk-less body.
    void CopyChunks(const std::vector<unsigned char>& inner)
    {
        if (inner.empty()) return;
        host_io::ChunkReader copy(inner.data(), inner.size(), 0);
        std::function<void()> copyLevel = [&]() {
            while (copy.OpenChunk() == IO_OK) {
                w.BeginChunk(copy.CurChunkID());
                if (copy.CurChunkType() == CONTAINER_CHUNK) {
                    copyLevel();
                } else {
                    ULONG n = 0;
                    w.Write(copy.ChunkData(), (ULONG)copy.ChunkSize(), &n);
                }
                w.EndChunk();
                copy.CloseChunk();
            }
        };
        copyLevel();
    }

    void WriteRefs(ReferenceTarget* obj)
    {
        w.BeginChunk(kRefsChunk);
        int n = obj->NumRefs();
        WriteU32(w, (ULONG)n);
        for (int i = 0; i < n; ++i) {
            ReferenceTarget* t = obj->GetReference(i);
            LONG at = t ? (LONG)index[t] : -1;
            ULONG nb = 0;
            w.Write(&at, 4, &nb);
        }
        w.EndChunk();
    }

    void WriteRoots()
    {
        w.BeginChunk(kRootsChunk);
        WriteU32(w, (ULONG)roots.size());
        for (ReferenceTarget* r : roots)
            WriteU32(w, index[r]);
        w.EndChunk();
    }

    const std::vector<ReferenceTarget*>& roots;
    std::wstring* error;
    const SceneSaveOptions& options;
    std::vector<void*> objects; // every object once, by its index in the file
    std::unordered_map<ReferenceTarget*, ULONG> index;
    host_io::ChunkWriter w;
};

} // namespace

bool WriteScene(const std::vector<ReferenceTarget*>& roots, std::vector<unsigned char>* out,
                std::wstring* error, const SceneSaveOptions& options)
{
    return SceneWriter(roots, error, options).Write(out);
}

bool SaveScene(const std::wstring& path, const std::vector<ReferenceTarget*>& roots,
               std::wstring* error, const SceneSaveOptions& options)
{
    std::vector<unsigned char> bytes;
    if (!WriteScene(roots, &bytes, error, options)) return false;
    // Written beside the target first, so that a failed write leaves the old file intact.
    std::wstring temp = path + L".saving";
    FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f) {
        if (error) *error = L"cannot write " + path;
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    if (!ok || !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        _wremove(temp.c_str());
        if (error) *error = L"cannot write " + path;
        return false;
    }
    return true;
}

} // namespace host
