// Loading plug-in libraries as the host does at start-up.
#include "host/plugin_manager.h"

#include <algorithm>

#include "iparamb2.h"
#include "text_convert.h"

namespace host {

namespace {

typedef const MCHAR* (*LibDescriptionFn)();
typedef int (*LibNumberClassesFn)();
typedef ClassDesc* (*LibClassDescFn)(int);
typedef ULONG (*LibVersionFn)();
typedef ULONG (*CanAutoDeferFn)();

// Some compilers decorate nothing, some export with a leading underscore (32-bit): try both.
void* Export(HMODULE m, const char* name)
{
    FARPROC p = GetProcAddress(m, name);
    if (!p) p = GetProcAddress(m, (std::string("_") + name).c_str());
    return reinterpret_cast<void*>(p);
}

std::wstring WindowsError(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, (LPWSTR)&text, 0, nullptr);
    std::wstring s = text ? text : L"";
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' '))
        s.pop_back();
    return host_text::Format(L"Windows error %lu%s%s", (unsigned long)code, s.empty() ? L"" : L": ",
                             s.c_str());
}

std::wstring VersionText(ULONG v)
{
    return host_text::Format(L"0x%08lX (release %lu, API %lu, revision %lu)", (unsigned long)v,
                             (unsigned long)(v >> 16), (unsigned long)((v >> 8) & 0xff),
                             (unsigned long)(v & 0xff));
}

} // namespace

PluginManager::PluginManager()
{
    if (!GetDefaultClassDirectory()) SetDefaultClassDirectory(&directory);
}

PluginManager::~PluginManager()
{
    UnloadAll();
    if (GetDefaultClassDirectory() == &directory) SetDefaultClassDirectory(nullptr);
}

bool PluginManager::LoadPlugin(const std::wstring& path, std::wstring* error)
{
    auto fail = [&](const std::wstring& what) {
        if (error) *error = path + L": " + what;
        return false;
    };
    // No error boxes from the loader for a missing dependency: the message comes back here.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE m = LoadLibraryW(path.c_str());
    DWORD code = GetLastError();
    SetErrorMode(oldMode);
    if (!m) return fail(L"cannot load the library (" + WindowsError(code) + L")");
    for (const PluginInfo& p : plugins)
        if (p.module == m) {
            FreeLibrary(m);
            return fail(L"already loaded (as " + p.path + L")");
        }
    auto refuse = [&](const std::wstring& what) {
        FreeLibrary(m);
        return fail(what);
    };

    auto description = (LibDescriptionFn)Export(m, "LibDescription");
    auto numberClasses = (LibNumberClassesFn)Export(m, "LibNumberClasses");
    auto classDesc = (LibClassDescFn)Export(m, "LibClassDesc");
    auto version = (LibVersionFn)Export(m, "LibVersion");
    auto canAutoDefer = (CanAutoDeferFn)Export(m, "CanAutoDefer");
    if (!version) return refuse(L"not a plug-in: it does not export LibVersion");
    if (!numberClasses || !classDesc || !description)
        return refuse(L"not a plug-in: it lacks LibNumberClasses, LibClassDesc or LibDescription");

    PluginInfo info;
    info.path = path;
    info.module = m;
    info.version = version();
    if (info.version != (ULONG)VERSION_3DSMAX)
        return refuse(L"built for SDK version " + VersionText(info.version) +
                      L"; this host needs " + VersionText(VERSION_3DSMAX));
    info.canAutoDefer = canAutoDefer ? canAutoDefer() : 0;
    const MCHAR* text = description();
    info.description = text ? text : L"";
    int n = numberClasses();
    if (n < 0 || n > 4096) return refuse(host_text::Format(L"LibNumberClasses returned %d", n));

    for (int i = 0; i < n; ++i) {
        ClassDesc* cd = classDesc(i);
        if (!cd) return refuse(host_text::Format(L"LibClassDesc(%d) returned NULL", i));
        for (int j = 0; j < cd->NumParamBlockDescs(); ++j) {
            ParamBlockDesc2* pbd = cd->GetParamBlockDesc(j);
            const MCHAR* bad = pbd ? pbd->DeclarationError() : L"a NULL parameter block descriptor";
            if (bad)
                return refuse(host_text::Format(L"class %s: %s",
                                                cd->ClassName() ? cd->ClassName() : L"?", bad));
        }
        if (directory.Find(cd->SuperClassID(), cd->ClassID()) ||
            std::any_of(info.classes.begin(), info.classes.end(), [&](ClassDesc* o) {
                return o->SuperClassID() == cd->SuperClassID() && o->ClassID() == cd->ClassID();
            })) {
            Class_ID id = cd->ClassID();
            return refuse(host_text::Format(L"class %s (0x%08lX, 0x%08lX) is already registered",
                                            cd->ClassName() ? cd->ClassName() : L"?",
                                            (unsigned long)id.PartA(), (unsigned long)id.PartB()));
        }
        info.classes.push_back(cd);
    }
    for (ClassDesc* cd : info.classes)
        directory.Register(cd);
    plugins.push_back(info);
    return true;
}

int PluginManager::LoadFolder(const std::wstring& folder, std::wstring* error)
{
    if (error) error->clear();
    DWORD attr = GetFileAttributesW(folder.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        if (error) *error = L"plug-in folder " + folder + L" does not exist";
        return 0;
    }
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"\\*.dlt").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    if (names.empty()) {
        if (error) *error = L"no plug-ins (*.dlt) in " + folder;
        return 0;
    }
    std::sort(names.begin(), names.end());
    int loaded = 0;
    for (const std::wstring& name : names) {
        std::wstring why;
        if (LoadPlugin(folder + L"\\" + name, &why)) {
            ++loaded;
        } else if (error) {
            if (!error->empty()) *error += L"\n";
            *error += why;
        }
    }
    return loaded;
}

bool PluginManager::RegisterBuiltIn(ClassDesc* cd, std::wstring* error)
{
    if (!cd) {
        if (error) *error = L"a NULL class descriptor";
        return false;
    }
    if (!directory.Register(cd)) {
        if (error)
            *error = host_text::Format(L"class %s is already registered",
                                       cd->ClassName() ? cd->ClassName() : L"?");
        return false;
    }
    return true;
}

void PluginManager::UnloadAll()
{
    while (directory.Count() > 0)
        directory.Unregister(directory.Get(0));
    for (auto it = plugins.rbegin(); it != plugins.rend(); ++it)
        FreeLibrary(it->module);
    plugins.clear();
}

} // namespace host
