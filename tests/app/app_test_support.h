// What the host program's tests share: where the sources and the plug-ins are, scratch
// folders, running the quiltra program as a user would, and a host session with the plug-in.
#pragma once

#include "image_io.h"
#include "scene_build.h"

#include <imtl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quiltra_test {

// A file of the source tree ("examples/demo.json").
std::string SourcePath(const std::string& relative);
// The folder of the test programs (and of quiltra.exe), with a trailing separator.
std::string BinFolder();
std::string PluginFolder();

// A fresh, empty scratch folder for one test (with a trailing separator); removed at exit
// of the process.
std::string ScratchFolder(const std::string& name);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// Every file name in a folder.
std::vector<std::string> FilesIn(const std::string& folder);

struct RunResult {
    int status = -1;
    std::string out, err;
};
// Runs bin/quiltra.exe with the arguments (each passed as one argument) and waits for it.
RunResult RunQuiltra(const std::vector<std::string>& args);

// One host session for a whole test program: the plug-in manager with the plug-in loaded.
quiltra::Host& TestHost();

// Builds a texture from JSON text.
quiltra::SceneTexture BuildFromJson(const std::string& json);

// One shading sample at (u, v) with a fresh context; Update first.
AColor EvalColorAt(Texmap* t, float u, float v);
Point3 EvalPerturbAt(Texmap* t, float u, float v);

// A window's text.
std::wstring TextOf(HWND h);
// The texts of a dialog's controls, one after the other, each followed by "|" (a message box's
// question among them).
std::wstring AllTexts(HWND dialog);
// Every modal dialog that opens while `action` runs is handed to `answer` once it has set itself
// up (its WM_INITDIALOG returned).
void Answering(std::function<void(HWND)> answer, const std::function<void()>& action);

} // namespace quiltra_test
