// Loading plug-in libraries (*.dlt) as the host does at start-up.
//
//   host::PluginManager plugins;
//   std::wstring error;
//   if (plugins.LoadFolder(L"bin/plugins", &error) == 0) { report error }
//   ClassDesc* cd = plugins.Classes().Find(TEXMAP_CLASS_ID, Class_ID(a, b));
//
// A library is accepted when it exports LibVersion, LibNumberClasses, LibDescription and
// LibClassDesc, its LibVersion equals this host's VERSION_3DSMAX, and its descriptors are sound
// (non-null, readable parameter block declarations, ids not taken). Otherwise it is unloaded
// and the reason is reported; nothing of it stays registered.
#pragma once

#include <string>
#include <vector>

#include "class_directory.h"

namespace host {

struct PluginInfo {
    std::wstring path;
    HMODULE module;
    std::wstring description; // LibDescription
    unsigned long version; // LibVersion
    unsigned long canAutoDefer; // CanAutoDefer (0 when not exported)
    std::vector<ClassDesc*> classes;
};

class CoreExport PluginManager {
public:
    PluginManager();
    // Unloads every library. Objects made from their classes must be deleted before.
    ~PluginManager();

    // Loads every *.dlt of folder. Returns how many loaded; error receives one line per
    // library refused, or why the folder gave nothing (missing, no *.dlt).
    int LoadFolder(const std::wstring& folder, std::wstring* error);
    // Loads one library; false with error set when it is refused.
    bool LoadPlugin(const std::wstring& path, std::wstring* error);

    // The host's own classes, registered beside the plug-ins' (not owned).
    bool RegisterBuiltIn(ClassDesc* cd, std::wstring* error = NULL);

    const std::vector<PluginInfo>& Plugins() const { return plugins; }
    ClassDirectory& Classes() { return directory; }
    const ClassDirectory& Classes() const { return directory; }

    // Unloads everything and forgets the built-in classes.
    void UnloadAll();

private:
    PluginManager(const PluginManager&) = delete;
    PluginManager& operator=(const PluginManager&) = delete;

    std::vector<PluginInfo> plugins;
    ClassDirectory directory;
};

} // namespace host
