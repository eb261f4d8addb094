// The library's entry as the host meets it: exports, class descriptor, shared string buffer.
#include <cwchar>

#include <gtest/gtest.h>

#include "host/diagnostics.h"
#include "vorlith_fixture.h"

namespace {

template <class F>
F Export(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(VorlithModule(), name)));
}

typedef const wchar_t* (*LibDescriptionFn)();
typedef int (*LibNumberClassesFn)();
typedef ClassDesc* (*LibClassDescFn)(int);
typedef ULONG (*LibVersionFn)();

// The version word each host release expects: release << 16 | API << 8 | revision.
ULONG ExpectedLibVersion()
{
    switch (QUILTRA_SDK_VERSION) {
    case 2013:
        return 0x3A982800;
    case 2014:
        return 0x3E802A00;
    case 2015:
        return 0x42682C00;
    default:
        return 0x46502E00;
    }
}

TEST(Entry, ExportsAnswerAsTheHostExpects)
{
    ASSERT_NE(VorlithModule(), nullptr);
    auto description = Export<LibDescriptionFn>("LibDescription");
    auto numberClasses = Export<LibNumberClassesFn>("LibNumberClasses");
    auto classDesc = Export<LibClassDescFn>("LibClassDesc");
    auto version = Export<LibVersionFn>("LibVersion");
    auto canAutoDefer = Export<LibVersionFn>("CanAutoDefer");
    ASSERT_TRUE(description && numberClasses && classDesc && version && canAutoDefer);

    EXPECT_STREQ(description(), L"Quiltra");
    EXPECT_EQ(numberClasses(), 1);
    EXPECT_EQ(version(), ExpectedLibVersion());
    EXPECT_EQ(canAutoDefer(), 0u);

    ClassDesc* first = classDesc(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(classDesc(0), first);
    EXPECT_EQ(first, VorlithDesc());
    EXPECT_EQ(classDesc(1), nullptr);
    EXPECT_EQ(classDesc(-1), nullptr);

    const host::PluginInfo& info = Plugins().Plugins().front();
    EXPECT_EQ(info.description, L"Quiltra");
    EXPECT_EQ(info.version, ExpectedLibVersion());
}

TEST(Entry, ClassDescriptorNamesTheTextureClass)
{
    ClassDesc* cd = VorlithDesc();
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(cd->ClassID().PartA(), 0x9B340D4Du);
    EXPECT_EQ(cd->ClassID().PartB(), 0xA443AC6Au);
    EXPECT_EQ(cd->SuperClassID(), (SClass_ID)TEXMAP_CLASS_ID);
    EXPECT_STREQ(cd->ClassName(), L"Quiltra");
    EXPECT_STREQ(cd->Category(), L"Quiltra");
    EXPECT_STREQ(cd->InternalName(), L"Quiltra");
    EXPECT_EQ(cd->HInstance(), (HINSTANCE)VorlithModule());
    EXPECT_EQ(cd->NumParamBlockDescs(), 1);

    Texmap* tex = NewVorlith();
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(tex->ClassID(), kVorlithClassID);
    EXPECT_EQ(tex->SuperClassID(), (SClass_ID)TEXMAP_CLASS_ID);
    MSTR name;
    tex->GetClassName(name);
    EXPECT_STREQ(name.data(), L"Quiltra");
    DeleteTree(tex);
}

TEST(Entry, CreateBuildsAFullTextureEvenForALoad)
{
    Texmap* tex = static_cast<Texmap*>(VorlithDesc()->Create(TRUE));
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(tex->NumSubTexmaps(), 2);
    ASSERT_NE(Block(tex), nullptr);
    EXPECT_EQ(Block(tex)->Count(pb_map_enabled), 1);
    DeleteTree(tex);
}

TEST(Entry, HiddenOnlyInTheApplicationWithId5)
{
    ClassDesc* cd = VorlithDesc();
    for (int app : {0, 1, 2, 3, 4, 6, 100}) {
        host::SetAppID(app);
        EXPECT_TRUE(cd->IsPublic()) << "application " << app;
    }
    host::SetAppID(5);
    EXPECT_FALSE(cd->IsPublic());
    host::SetAppID(1);
}

TEST(Entry, StringLookupsShareOneBuffer)
{
    auto description = Export<LibDescriptionFn>("LibDescription");
    ClassDesc* cd = VorlithDesc();
    const wchar_t* first = description();
    const wchar_t* second = cd->Category();
    const wchar_t* third = cd->ClassName();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second, third);

    // A lookup of another string (the slot name's "Map") overwrites the text seen before.
    Texmap* tex = NewVorlith();
    EXPECT_STREQ(tex->GetSubTexmapSlotName(0).data(), L"Map 1");
    EXPECT_STREQ(first, L"Map");
    EXPECT_STREQ(description(), L"Quiltra");
    EXPECT_STREQ(first, L"Quiltra");
    DeleteTree(tex);
}

} // namespace
