// Chunked saving and loading, and scene files: round trips of a small graph, old scenes
// (chunks left out), and every kind of bad input.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "block_owner.h"
#include "host/scene_file.h"
#include "host/test_texmap.h"

using host::TestTexmap;

namespace {

// A class that saves nested chunks and strings, and checks them on load.
#define CHUNKY_CLASS_ID Class_ID(0xC4C4, 0x0001)

class Chunky : public TestTexmap {
public:
    std::wstring label = L"";
    std::vector<int> numbers;
    bool loadCalled = false;
    Class_ID ClassID() override { return CHUNKY_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = L"Chunky"; }
    void DeleteThis() override { delete this; }
    IOResult Save(ISave* isave) override
    {
        ULONG nb = 0;
        isave->BeginChunk(0x10);
        isave->WriteWString(label.c_str());
        isave->EndChunk();
        isave->BeginChunk(0x20); // a container of number chunks
        for (int n : numbers) {
            isave->BeginChunk(0x21);
            isave->Write(&n, 4, &nb);
            isave->EndChunk();
        }
        isave->EndChunk();
        isave->BeginChunk(0x30);
        isave->WriteCString("narrow");
        isave->EndChunk();
        return IO_OK;
    }
    IOResult Load(ILoad* iload) override
    {
        loadCalled = true;
        IOResult res;
        while ((res = iload->OpenChunk()) == IO_OK) {
            switch (iload->CurChunkID()) {
            case 0x10: {
                MCHAR* s = nullptr;
                if (iload->ReadWStringChunk(&s) != IO_OK) return IO_ERROR;
                label = s;
                break;
            }
            case 0x20:
                if (iload->CurChunkType() != CONTAINER_CHUNK) return IO_ERROR;
                while (iload->OpenChunk() == IO_OK) {
                    int n = 0;
                    ULONG nb = 0;
                    if (iload->Read(&n, 4, &nb) != IO_OK) return IO_ERROR;
                    numbers.push_back(n);
                    iload->CloseChunk();
                }
                break;
            case 0x30: {
                MCHAR* s = nullptr;
                if (iload->ReadCStringChunk(&s) != IO_OK || wcscmp(s, L"narrow") != 0)
                    return IO_ERROR;
                break;
            }
            }
            iload->CloseChunk();
        }
        return res == IO_END ? IO_OK : IO_ERROR;
    }
};

class ChunkyDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new Chunky; }
    const MCHAR* ClassName() override { return L"Chunky"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return CHUNKY_CLASS_ID; }
    const MCHAR* Category() override { return L"Test"; }
} chunkyDesc;

// A test map that counts the references read from it, to see how much work a load does.
#define COUNTED_CLASS_ID Class_ID(0xC0C0, 0x0002)

class Counted : public TestTexmap {
public:
    static long reads;
    Class_ID ClassID() override { return COUNTED_CLASS_ID; }
    void DeleteThis() override { delete this; }
    RefTargetHandle GetReference(int i) override
    {
        ++reads;
        return TestTexmap::GetReference(i);
    }
};
long Counted::reads = 0;

class CountedDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new Counted; }
    const MCHAR* ClassName() override { return L"Counted"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return COUNTED_CLASS_ID; }
    const MCHAR* Category() override { return L"Test"; }
} countedDesc;

// The bytes of a scene of n counted maps, each referring to the next (twice when shared), the
// first the root; with reversed the file lists them from the last to the first.
std::vector<unsigned char> ChainScene(size_t n, bool shared, bool reversed)
{
    std::vector<unsigned char> out;
    auto u16 = [&](unsigned v) {
        out.push_back((unsigned char)v);
        out.push_back((unsigned char)(v >> 8));
    };
    auto u32 = [&](unsigned long v) {
        for (int i = 0; i < 4; ++i)
            out.push_back((unsigned char)(v >> (8 * i)));
    };
    // A chunk's header with its length patched in by end().
    std::vector<std::pair<size_t, bool>> open;
    auto begin = [&](unsigned id, bool container) {
        u16(id);
        open.push_back({out.size(), container});
        u32(0);
    };
    auto end = [&]() {
        size_t at = open.back().first;
        unsigned long length =
            (unsigned long)(out.size() - at + 2) | (open.back().second ? 0x80000000u : 0);
        open.pop_back();
        for (int i = 0; i < 4; ++i)
            out[at + (size_t)i] = (unsigned char)(length >> (8 * i));
    };
    auto index = [&](size_t k) { return (unsigned long)(reversed ? n - 1 - k : k); };
    out.assign({'Q', 'L', 'T', 'S', 'C', 'E', 'N', 'E'});
    begin(host::kSceneChunk, true);
    begin(host::kSceneHeaderChunk, false);
    u32(host::kSceneFormatVersion);
    u32(VERSION_3DSMAX);
    u32((unsigned long)n);
    u32(1);
    end();
    for (size_t i = 0; i < n; ++i) {
        size_t k = reversed ? n - 1 - i : i; // the map at this place in the file
        begin(host::kObjectChunk, true);
        begin(host::kClassChunk, false);
        u32(TEXMAP_CLASS_ID);
        u32(COUNTED_CLASS_ID.PartA());
        u32(COUNTED_CLASS_ID.PartB());
        end();
        begin(host::kDataChunk, false);
        end();
        begin(host::kRefsChunk, false);
        size_t refs = k + 1 == n ? 0 : shared ? 2 : 1;
        u32((unsigned long)refs);
        for (size_t r = 0; r < refs; ++r)
            u32(index(k + 1));
        end();
        end();
    }
    begin(host::kRootsChunk, false);
    u32(1);
    u32(index(0));
    end();
    end();
    return out;
}

class SceneFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        classes.Register(host::TestTexmapClassDesc());
        classes.Register(BlockOwnerDesc());
        classes.Register(&chunkyDesc);
        classes.Register(&countedDesc);
        live = TestTexmap::LiveCount();
    }
    void TearDown() override { EXPECT_EQ(TestTexmap::LiveCount(), live) << "objects leaked"; }

    // owner (block + maps: shared, empty, chunky) and a second root sharing the map.
    std::vector<ReferenceTarget*> MakeGraph()
    {
        BlockOwner* owner = new BlockOwner;
        owner->pblock->SetCount(pb_maps, 4);
        owner->pblock->SetCount(pb_labels, 2);
        owner->pblock->SetValue(pb_labels, 0, L"first", 0);
        owner->pblock->SetValue(pb_amounts, 0, 42.5f, 1);
        owner->pblock->SetValue(pb_colors, 0, Color(0.1f, 0.2f, 0.3f), 0);
        owner->pblock->SetValue(pb_gain, 0, -3.0f);
        TestTexmap* shared = new TestTexmap;
        shared->color = AColor(0.25f, 0.5f, 0.75f, 0.5f);
        shared->SetName(L"Shared map");
        shared->SetGBufferID(9);
        Chunky* chunky = new Chunky;
        chunky->label = L"chunky \u00e9";
        chunky->numbers = {3, 1, 4};
        owner->ReplaceReference(1, shared);
        owner->ReplaceReference(3, shared);
        owner->ReplaceReference(4, chunky);
        TestTexmap* second = new TestTexmap;
        second->SetSubTexmap(0, shared);
        return {owner, second};
    }

    std::vector<unsigned char> Save(const std::vector<ReferenceTarget*>& roots,
                                    const host::SceneSaveOptions& options = {})
    {
        std::vector<unsigned char> bytes;
        std::wstring error;
        EXPECT_TRUE(host::WriteScene(roots, &bytes, &error, options))
            << std::string(error.begin(), error.end());
        return bytes;
    }

    host::ClassDirectory classes;
    int live = 0;
};

TEST_F(SceneFileTest, RoundTripKeepsSharingBlocksAndChunks)
{
    std::vector<ReferenceTarget*> roots = MakeGraph();
    std::vector<unsigned char> bytes = Save(roots);
    host::DeleteScene(roots);
    ASSERT_EQ(TestTexmap::LiveCount(), live);

    host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
    ASSERT_TRUE(r.ok) << std::string(r.error.begin(), r.error.end());
    ASSERT_EQ(r.roots.size(), 2u);
    ASSERT_EQ(r.roots[0]->ClassID(), BLOCK_OWNER_CLASS_ID);
    BlockOwner* owner = static_cast<BlockOwner*>(r.roots[0]);
    IParamBlock2* pb = owner->pblock;
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->GetOwner(), owner);
    EXPECT_EQ(pb->NumDependents(), 1) << "the default block made by Create was released";
    EXPECT_EQ(pb->Count(pb_maps), 4);
    EXPECT_EQ(pb->Count(pb_labels), 2);
    EXPECT_STREQ(pb->GetStr(pb_labels, 0, 0), L"first");
    EXPECT_EQ(pb->GetStr(pb_labels, 0, 1), nullptr) << "a NULL string stays NULL";
    EXPECT_EQ(pb->GetFloat(pb_amounts, 0, 1), 42.5f);
    EXPECT_EQ(pb->GetColor(pb_colors, 0, 0), Color(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(pb->GetFloat(pb_gain), -3.0f);

    TestTexmap* shared = static_cast<TestTexmap*>(owner->GetReference(1));
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(owner->GetReference(2), nullptr);
    EXPECT_EQ(owner->GetReference(3), shared) << "saved once, referenced twice";
    EXPECT_EQ(pb->GetTexmap(pb_maps, 0, 2), shared);
    EXPECT_EQ(static_cast<TestTexmap*>(r.roots[1])->GetReference(0), shared);
    EXPECT_EQ(shared->NumDependents(), 3);
    EXPECT_EQ(shared->color, AColor(0.25f, 0.5f, 0.75f, 0.5f));
    EXPECT_STREQ(shared->GetName().data(), L"Shared map");
    EXPECT_EQ(shared->GetGBufferID(), 9u);
    Chunky* chunky = static_cast<Chunky*>(owner->GetReference(4));
    ASSERT_NE(chunky, nullptr);
    ASSERT_EQ(chunky->ClassID(), CHUNKY_CLASS_ID);
    EXPECT_EQ(chunky->label, L"chunky \u00e9");
    EXPECT_EQ(chunky->numbers, (std::vector<int> {3, 1, 4}));

    // Saving the loaded scene gives the same bytes.
    EXPECT_EQ(Save(r.roots), bytes);
    host::DeleteScene(r.roots);
}

TEST_F(SceneFileTest, DroppedChunksAndParametersLoadAsAnOlderScene)
{
    std::vector<ReferenceTarget*> roots = MakeGraph();
    host::SceneSaveOptions older;
    older.dropChunk = [](ReferenceTarget* obj, unsigned short id) {
        return obj->ClassID() == TEST_TEXMAP_CLASS_ID && id == host::kTestColorChunk;
    };
    older.dropParam = [](IParamBlock2*, short id) { return id == pb_gain || id == pb_labels; };
    std::vector<unsigned char> bytes = Save(roots, older);
    host::DeleteScene(roots);

    host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
    ASSERT_TRUE(r.ok) << std::string(r.error.begin(), r.error.end());
    BlockOwner* owner = static_cast<BlockOwner*>(r.roots[0]);
    EXPECT_EQ(owner->pblock->GetFloat(pb_gain), 0.0f) << "left out: the declared default";
    EXPECT_EQ(owner->pblock->Count(pb_labels), 2) << "left out: the declared size";
    EXPECT_EQ(owner->pblock->GetFloat(pb_amounts, 0, 1), 42.5f);
    TestTexmap* shared = static_cast<TestTexmap*>(owner->GetReference(1));
    EXPECT_EQ(shared->color, AColor(0.0f, 0.0f, 0.0f, 1.0f)) << "colour chunk left out";
    EXPECT_STREQ(shared->GetName().data(), L"Shared map");
    host::DeleteScene(r.roots);
}

TEST_F(SceneFileTest, EveryTruncationFailsCleanlyWithItsOffset)
{
    TestTexmap* root = new TestTexmap;
    BlockOwner* owner = new BlockOwner;
    owner->pblock->SetValue(pb_labels, 0, L"x", 0);
    root->SetSubTexmap(0, owner);
    std::vector<unsigned char> bytes = Save({root});
    host::DeleteScene({root});
    ASSERT_GT(bytes.size(), 100u);
    for (size_t n = 0; n < bytes.size(); ++n) {
        host::SceneLoadResult r = host::ReadScene(bytes.data(), n, classes);
        ASSERT_FALSE(r.ok) << "cut at " << n;
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(r.roots.empty());
        EXPECT_LE(r.offset, n) << "cut at " << n;
    }
    EXPECT_EQ(TestTexmap::LiveCount(), live) << "nothing half-loaded stays";
    host::SceneLoadResult whole = host::ReadScene(bytes.data(), bytes.size(), classes);
    ASSERT_TRUE(whole.ok);
    host::DeleteScene(whole.roots);
}

TEST_F(SceneFileTest, ForeignCorruptAndUnknownInput)
{
    std::vector<ReferenceTarget*> roots = MakeGraph();
    std::vector<unsigned char> good = Save(roots);
    host::DeleteScene(roots);

    std::string text = "{\"scene\": \"json\"}";
    host::SceneLoadResult r =
        host::ReadScene(reinterpret_cast<const unsigned char*>(text.data()), text.size(), classes);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"not a scene file"), std::wstring::npos);
    EXPECT_EQ(r.offset, 0u);
    EXPECT_FALSE(
        host::IsSceneFile(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    EXPECT_TRUE(host::IsSceneFile(good.data(), good.size()));
    EXPECT_FALSE(host::ReadScene(nullptr, 0, classes).ok);

    // A later format version is refused by name.
    std::vector<unsigned char> newer = good;
    newer[8 + 6 + 6] = 2; // magic, scene chunk header, header chunk header, version
    r = host::ReadScene(newer.data(), newer.size(), classes);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"version 2"), std::wstring::npos);

    // A class this host does not know: nothing of the scene survives.
    host::ClassDirectory without;
    without.Register(BlockOwnerDesc());
    r = host::ReadScene(good.data(), good.size(), without);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"unknown class"), std::wstring::npos);
    EXPECT_EQ(TestTexmap::LiveCount(), live);

    // Every single byte flipped, then runs of garbage: an error or a sound load, never a crash.
    for (size_t i = 0; i < good.size(); ++i) {
        std::vector<unsigned char> bad = good;
        bad[i] ^= 0xA5;
        host::SceneLoadResult b = host::ReadScene(bad.data(), bad.size(), classes);
        if (b.ok)
            host::DeleteScene(b.roots);
        else
            EXPECT_FALSE(b.error.empty());
    }
    unsigned seed = 12345;
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<unsigned char> bad = good;
        for (int k = 0; k < 8; ++k) {
            seed = seed * 1103515245u + 12345u;
            bad[(seed >> 8) % bad.size()] = (unsigned char)(seed >> 24);
        }
        host::SceneLoadResult b = host::ReadScene(bad.data(), bad.size(), classes);
        if (b.ok) host::DeleteScene(b.roots);
    }
    EXPECT_EQ(TestTexmap::LiveCount(), live);
}

TEST_F(SceneFileTest, FailingLoadUndoesEverything)
{
    Chunky* c = new Chunky;
    c->numbers = {1};
    TestTexmap* root = new TestTexmap;
    root->SetSubTexmap(0, c);
    std::vector<unsigned char> bytes = Save({root});
    host::DeleteScene({root});
    // Damage the text its Load checks; the file stays sound as chunks.
    bool patched = false;
    for (size_t i = 8; i + 6 <= bytes.size(); ++i)
        if (memcmp(&bytes[i], "narrow", 6) == 0) {
            bytes[i] = 'N';
            patched = true;
            break;
        }
    ASSERT_TRUE(patched);
    host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"Chunky"), std::wstring::npos)
        << std::string(r.error.begin(), r.error.end());
    EXPECT_EQ(TestTexmap::LiveCount(), live);
}

TEST_F(SceneFileTest, NestingAndSharedSubTexturesAreBoundedBeforeAnythingIsMade)
{
    // 33 maps in a chain nest 32 levels deep; a sub-map used by both slots of every level
    // doubles the evaluations of a sample per level: 2^19 - 1 are allowed, 2^20 - 1 are not.
    struct Row {
        size_t maps;
        bool shared;
        const wchar_t* error;
    };
    const Row rows[] = {
        {33, false, nullptr},
        {34, false, L"textures nested 33 levels deep (at most 32)"},
        {20000, false, L"textures nested 19999 levels deep (at most 32)"},
        {19, true, nullptr},
        {20, true,
         L"sub-textures shared by several slots would make one sample evaluate more "
         L"than 1000000 textures"},
    };
    for (const Row& row : rows)
        for (bool reversed : {false, true}) {
            std::vector<unsigned char> bytes = ChainScene(row.maps, row.shared, reversed);
            host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
            std::string what(r.what.begin(), r.what.end());
            if (row.error) {
                EXPECT_FALSE(r.ok) << row.maps;
                EXPECT_EQ(r.what, row.error) << what;
                EXPECT_EQ(r.error.find(L"byte "), 0u);
            } else {
                ASSERT_TRUE(r.ok) << what;
                host::DeleteScene(r.roots);
            }
            EXPECT_EQ(TestTexmap::LiveCount(), live);
        }
}

TEST_F(SceneFileTest, LoadingReadsEachReferenceAFewTimesWhateverTheOrder)
{
    // The reference system's loop check and the release of the loader's hold once walked the
    // whole chain below every reference: work that grew with the cube of the chain.
    for (bool reversed : {false, true}) {
        std::vector<unsigned char> bytes = ChainScene(33, false, reversed);
        Counted::reads = 0;
        host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
        ASSERT_TRUE(r.ok);
        EXPECT_LE(Counted::reads, 4 * 33) << (reversed ? "reversed" : "in order");
        host::DeleteScene(r.roots);
    }
}

TEST_F(SceneFileTest, OwnersReferenceTablesCountNoMoreThanTheOwnerSaved)
{
    // The table's entries are the owner's references 1 and up; the file backs their count only
    // with the references the owner saved (a count alone once made the loader allocate
    // gigabytes).
    for (int count : {4, 5}) {
        BlockOwner* owner = new BlockOwner;
        owner->pblock->SetCount(pb_maps, count);
        owner->ReplaceReference(4, new TestTexmap); // references 0 .. 4 saved
        std::vector<unsigned char> bytes = Save({owner});
        host::DeleteScene({owner});
        host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
        EXPECT_EQ(r.ok, count == 4) << count;
        if (r.ok) {
            EXPECT_EQ(static_cast<BlockOwner*>(r.roots[0])->pblock->Count(pb_maps), 4);
            host::DeleteScene(r.roots);
        } else {
            EXPECT_NE(r.what.find(L"ParamBlock2) could not load its data"), std::wstring::npos);
        }
        EXPECT_EQ(TestTexmap::LiveCount(), live);
    }
}

TEST_F(SceneFileTest, FilesOnDisk)
{
    std::vector<ReferenceTarget*> roots = MakeGraph();
    std::wstring error;
    std::wstring path = L"scene_file_test.qsc";
    ASSERT_TRUE(host::SaveScene(path, roots, &error));
    host::DeleteScene(roots);
    EXPECT_TRUE(host::IsSceneFile(path));
    host::SceneLoadResult r = host::LoadScene(path, classes);
    ASSERT_TRUE(r.ok);
    host::DeleteScene(r.roots);
    _wremove(path.c_str());
    r = host::LoadScene(L"no such file.qsc", classes);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"cannot open"), std::wstring::npos);
    EXPECT_FALSE(host::SaveScene(L"no such folder\\x.qsc", {}, &error));
}

} // namespace
