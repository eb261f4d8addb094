// The plug-in manager: loading libraries from a folder, refusing those built for another SDK
// version, creating objects by class ID, and built-in classes beside plug-ins.
#include <gtest/gtest.h>

#include <string>

#include "host/diagnostics.h"
#include "host/plugin_manager.h"
#include "host/scene_file.h"
#include "host/test_texmap.h"
#include "iparamb2.h"
#include "maxapi.h"

namespace {

std::wstring PluginFolder(const wchar_t* kind)
{
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, exe, MAX_PATH);
    std::wstring dir(exe, n);
    dir.resize(dir.find_last_of(L"\\/"));
    return dir + L"\\test_plugins\\" + kind;
}

const Class_ID kGoodClass(0x7E570001, 0x1);
const Class_ID kOtherClass(0x7E570002, 0x2);

std::string Narrow(const std::wstring& w) { return std::string(MSTR(w.c_str()).ToUTF8()); }

TEST(PluginManager, LoadsAFolderAndCreatesByClassID)
{
    host::PluginManager plugins;
    std::wstring error;
    ASSERT_EQ(plugins.LoadFolder(PluginFolder(L"good"), &error), 1) << Narrow(error);
    EXPECT_TRUE(error.empty());
    ASSERT_EQ(plugins.Plugins().size(), 1u);
    const host::PluginInfo& info = plugins.Plugins()[0];
    EXPECT_EQ(info.version, (unsigned long)VERSION_3DSMAX);
    EXPECT_EQ(info.description, L"Test plug-in") << "from the library's string table";
    EXPECT_EQ(info.canAutoDefer, 0u);
    ASSERT_EQ(info.classes.size(), 1u);

    ClassDesc* cd = plugins.Classes().Find(TEXMAP_CLASS_ID, kGoodClass);
    ASSERT_NE(cd, nullptr);
    EXPECT_STREQ(cd->ClassName(), L"Test plug-in");
    EXPECT_STREQ(cd->GetRsrcString(4), L"Parameters");
    EXPECT_EQ(cd->GetRsrcString(4), cd->GetRsrcString(4)) << "loaded once and kept";
    EXPECT_EQ(cd->GetRsrcString(77), nullptr);
    EXPECT_EQ(plugins.Classes().Find(MATERIAL_CLASS_ID, kGoodClass), nullptr);

    // Created through the core interface, as plug-ins create other classes.
    ReferenceTarget* obj = static_cast<ReferenceTarget*>(
        static_cast<Animatable*>(GetCOREInterface()->CreateInstance(TEXMAP_CLASS_ID, kGoodClass)));
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->ClassID(), kGoodClass);
    IParamBlock2* pb =
        obj->GetReference(0) ? static_cast<IParamBlock2*>(obj->GetReference(0)) : nullptr;
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->GetFloat(0), 0.5f);
    EXPECT_STREQ(pb->GetLocalName(0).data(), L"Gain");

    // A scene with a plug-in object goes through the plug-in's class on load.
    pb->SetValue(0, 0, 0.25f);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(host::WriteScene({obj}, &bytes, &error));
    host::DeleteScene({obj});
    host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), plugins.Classes());
    ASSERT_TRUE(r.ok) << Narrow(r.error);
    EXPECT_EQ(static_cast<IParamBlock2*>(r.roots[0]->GetReference(0))->GetFloat(0), 0.25f);
    host::DeleteScene(r.roots);

    // The same library a second time is refused, the first stays.
    EXPECT_FALSE(plugins.LoadPlugin(PluginFolder(L"good") + L"\\test_good.dlt", &error));
    EXPECT_NE(error.find(L"already loaded"), std::wstring::npos);
    EXPECT_EQ(plugins.Classes().Count(), 1);
}

TEST(PluginManager, RefusesALibraryBuiltForAnotherVersion)
{
    host::PluginManager plugins;
    std::wstring error;
    EXPECT_EQ(plugins.LoadFolder(PluginFolder(L"other_version"), &error), 0);
    EXPECT_NE(error.find(L"built for SDK version"), std::wstring::npos) << Narrow(error);
    EXPECT_NE(error.find(L"test_other_version.dlt"), std::wstring::npos) << "names the file";
    EXPECT_TRUE(plugins.Plugins().empty());
    EXPECT_EQ(plugins.Classes().Find(TEXMAP_CLASS_ID, kOtherClass), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"test_other_version.dlt"), nullptr) << "unloaded again";
}

TEST(PluginManager, FoldersWithoutPluginsAndFilesThatAreNone)
{
    host::PluginManager plugins;
    std::wstring error;
    EXPECT_EQ(plugins.LoadFolder(PluginFolder(L"empty"), &error), 0);
    EXPECT_NE(error.find(L"no plug-ins"), std::wstring::npos) << Narrow(error);
    EXPECT_EQ(plugins.LoadFolder(PluginFolder(L"missing"), &error), 0);
    EXPECT_NE(error.find(L"does not exist"), std::wstring::npos) << Narrow(error);
    EXPECT_FALSE(plugins.LoadPlugin(PluginFolder(L"empty") + L"\\readme.txt", &error));
    EXPECT_NE(error.find(L"cannot load"), std::wstring::npos) << Narrow(error);
    // A DLL that is no plug-in: it lacks the entry points.
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_FALSE(plugins.LoadPlugin(std::wstring(system) + L"\\version.dll", &error));
    EXPECT_NE(error.find(L"not a plug-in"), std::wstring::npos) << Narrow(error);
    EXPECT_TRUE(plugins.Plugins().empty());
}

TEST(PluginManager, BuiltInClassesBesidePlugins)
{
    host::PluginManager plugins;
    std::wstring error;
    EXPECT_TRUE(plugins.RegisterBuiltIn(host::TestTexmapClassDesc(), &error));
    EXPECT_FALSE(plugins.RegisterBuiltIn(host::TestTexmapClassDesc(), &error)) << "twice";
    EXPECT_NE(error.find(L"already registered"), std::wstring::npos);
    EXPECT_EQ(plugins.LoadFolder(PluginFolder(L"good"), &error), 1);
    EXPECT_EQ(plugins.Classes().Count(), 2);
    void* made = plugins.Classes().Create(TEXMAP_CLASS_ID, TEST_TEXMAP_CLASS_ID);
    ASSERT_NE(made, nullptr);
    static_cast<host::TestTexmap*>(made)->DeleteThis();
    EXPECT_EQ(plugins.Classes().Create(TEXMAP_CLASS_ID, Class_ID(1, 1)), nullptr);
}

TEST(AppID, HostProgramsSetIt)
{
    EXPECT_EQ(GetAppID(), 1) << "the full application by default";
    host::SetAppID(kAPP_VIZR);
    EXPECT_EQ(GetAppID(), 5);
    host::SetAppID(1);
}

} // namespace
