// ISave and ILoad as objects see them while a scene is written and read: chunk nesting,
// lengths, strings, reads past the end, and writers that break the rules.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/scene_file.h"
#include "host/test_texmap.h"

namespace {

#define SCRIPTED_CLASS_ID Class_ID(0x5C41, 0x7E0)

// A texture whose Save and Load the test writes.
class Scripted : public host::TestTexmap {
public:
    static std::function<IOResult(ISave*)> save;
    static std::function<IOResult(ILoad*)> load;
    Class_ID ClassID() override { return SCRIPTED_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = L"Scripted"; }
    void DeleteThis() override { delete this; }
    IOResult Save(ISave* s) override { return save ? save(s) : IO_OK; }
    IOResult Load(ILoad* l) override { return load ? load(l) : IO_OK; }
};
std::function<IOResult(ISave*)> Scripted::save;
std::function<IOResult(ILoad*)> Scripted::load;

class ScriptedDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new Scripted; }
    const MCHAR* ClassName() override { return L"Scripted"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return SCRIPTED_CLASS_ID; }
    const MCHAR* Category() override { return L"Test"; }
} scriptedDesc;

class ChunkIOTest : public ::testing::Test {
protected:
    void SetUp() override { classes.Register(&scriptedDesc); }
    void TearDown() override
    {
        Scripted::save = nullptr;
        Scripted::load = nullptr;
    }
    // Saves one Scripted object; returns whether the writer accepted it.
    bool SaveOne(std::vector<unsigned char>& bytes, std::wstring& error)
    {
        Scripted* s = new Scripted;
        bool ok = host::WriteScene({s}, &bytes, &error);
        s->DeleteMe();
        return ok;
    }
    // Saves and loads one object; returns the load's result (roots deleted).
    host::SceneLoadResult RoundTrip()
    {
        std::vector<unsigned char> bytes;
        std::wstring error;
        EXPECT_TRUE(SaveOne(bytes, error));
        host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), classes);
        host::DeleteScene(r.roots);
        return r;
    }
    host::ClassDirectory classes;
};

TEST_F(ChunkIOTest, NestedChunksLengthsAndPeeking)
{
    Scripted::save = [](ISave* s) {
        ULONG n = 0;
        EXPECT_EQ(s->CurChunkDepth(), 1) << "inside the scene's own data chunk";
        s->BeginChunk(0x100);
        s->BeginChunk(0x101);
        int v = 42;
        EXPECT_EQ(s->Write(&v, 4, &n), IO_OK);
        EXPECT_EQ(n, 4u);
        s->EndChunk();
        s->BeginChunk(0x102);
        s->EndChunk(); // empty
        s->EndChunk();
        s->BeginChunk(0x200);
        s->WriteWString(L"wide");
        s->EndChunk();
        return IO_OK;
    };
    int seen = 0;
    Scripted::load = [&](ILoad* l) {
        EXPECT_EQ(l->PeekNextChunkID(), 0x100);
        EXPECT_EQ(l->OpenChunk(), IO_OK);
        EXPECT_EQ(l->CurChunkID(), 0x100);
        EXPECT_EQ(l->CurChunkType(), CONTAINER_CHUNK);
        EXPECT_EQ(l->CurChunkLength(), 10u + 6u) << "the two inner chunks with their headers";
        EXPECT_EQ(l->OpenChunk(), IO_OK);
        EXPECT_EQ(l->CurChunkType(), DATA_CHUNK);
        EXPECT_EQ(l->CurChunkLength(), 4u);
        EXPECT_EQ(l->OpenChunk(), IO_END) << "no chunks inside a data chunk";
        int v = 0;
        ULONG n = 0;
        EXPECT_EQ(l->Read(&v, 4, &n), IO_OK);
        EXPECT_EQ(v, 42);
        l->CloseChunk();
        EXPECT_EQ(l->OpenChunk(), IO_OK);
        EXPECT_EQ(l->CurChunkID(), 0x102);
        EXPECT_EQ(l->CurChunkLength(), 0u);
        l->CloseChunk();
        EXPECT_EQ(l->OpenChunk(), IO_END);
        l->CloseChunk();
        EXPECT_EQ(l->OpenChunk(), IO_OK);
        MCHAR* s = nullptr;
        EXPECT_EQ(l->ReadWStringChunk(&s), IO_OK);
        EXPECT_STREQ(s, L"wide");
        l->CloseChunk();
        EXPECT_EQ(l->OpenChunk(), IO_END);
        ++seen;
        return IO_OK;
    };
    EXPECT_TRUE(RoundTrip().ok);
    EXPECT_EQ(seen, 1);
}

TEST_F(ChunkIOTest, ReadingPastAChunkFailsTheLoadWithItsOffset)
{
    Scripted::save = [](ISave* s) {
        ULONG n = 0;
        s->BeginChunk(0x10);
        short v = 7;
        s->Write(&v, 2, &n);
        s->EndChunk();
        return IO_OK;
    };
    ULONG got = 99;
    Scripted::load = [&](ILoad* l) {
        l->OpenChunk();
        int v = 0;
        IOResult r = l->Read(&v, 4, &got);
        l->CloseChunk();
        return r;
    };
    host::SceneLoadResult r = RoundTrip();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(got, 2u) << "what was there is reported";
    EXPECT_NE(r.error.find(L"Scripted"), std::wstring::npos);
    EXPECT_NE(r.error.find(L"2 of 4 bytes"), std::wstring::npos)
        << std::string(MSTR(r.error.c_str()).ToUTF8());
    EXPECT_GT(r.offset, 8u);
}

TEST_F(ChunkIOTest, UnreadChunksAreSkippedAndStringsConvert)
{
    Scripted::save = [](ISave* s) {
        s->BeginChunk(0x1);
        s->WriteCString(L"gr\u00fcn"); // wide in, UTF-8 stored
        s->EndChunk();
        s->BeginChunk(0x2);
        s->WriteWString("abc"); // UTF-8 in, wide stored
        s->EndChunk();
        s->BeginChunk(0x3);
        ULONG n = 0;
        s->Write("xyz", 3, &n); // odd length: not a wide string
        s->EndChunk();
        return IO_OK;
    };
    std::wstring first, second;
    IOResult oddRead = IO_OK;
    Scripted::load = [&](ILoad* l) {
        while (l->OpenChunk() == IO_OK) {
            MCHAR* s = nullptr;
            char* c = nullptr;
            switch (l->CurChunkID()) {
            case 0x1:
                l->ReadCStringChunk(&s);
                first = s;
                break;
            case 0x2:
                l->ReadWStringChunk(&c);
                second = MSTR(c).data();
                break;
            case 0x3:
                oddRead = l->ReadWStringChunk(&s);
                return IO_OK;
            }
            l->CloseChunk();
        }
        return IO_OK;
    };
    host::SceneLoadResult r = RoundTrip();
    EXPECT_EQ(first, L"gr\u00fcn");
    EXPECT_EQ(second, L"abc");
    EXPECT_EQ(oddRead, IO_ERROR);
    EXPECT_FALSE(r.ok) << "a failed read fails the load even if Load ignores it";
}

TEST_F(ChunkIOTest, WritersThatBreakTheRulesAreRefused)
{
    struct Case {
        const char* what;
        std::function<IOResult(ISave*)> save;
    } cases[] = {
        {"bytes outside a chunk",
         [](ISave* s) {
             ULONG n = 0;
             s->EndChunk(); // closes the scene's own data chunk
             return s->Write("x", 1, &n);
         }},
        {"bytes and chunks mixed",
         [](ISave* s) {
             ULONG n = 0;
             s->BeginChunk(1);
             s->Write("x", 1, &n);
             s->BeginChunk(2);
             s->EndChunk();
             s->EndChunk();
             return IO_OK;
         }},
        {"a chunk left open",
         [](ISave* s) {
             s->BeginChunk(1);
             return IO_OK;
         }},
        {"Save reports a failure", [](ISave*) { return IO_ERROR; }},
    };
    for (const Case& c : cases) {
        Scripted::save = c.save;
        std::vector<unsigned char> bytes {1, 2, 3};
        std::wstring error;
        EXPECT_FALSE(SaveOne(bytes, error)) << c.what;
        EXPECT_NE(error.find(L"Scripted"), std::wstring::npos) << c.what;
        EXPECT_TRUE(bytes.empty()) << c.what;
    }
}

} // namespace
