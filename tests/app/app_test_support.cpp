#include "app_test_support.h"

#include "file_io.h"

#include <host/shade_context.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>

using namespace quiltra;

namespace quiltra_test {

std::string SourcePath(const std::string& relative)
{
    return std::string(QUILTRA_SOURCE_DIR) + "/" + relative;
}

std::string BinFolder()
{
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, &path[0], (DWORD)path.size());
    path.resize(n);
    return DirectoryOf(Narrow(path));
}

std::string PluginFolder() { return BinFolder() + "plugins"; }

static void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

std::string ScratchFolder(const std::string& name)
{
    std::string root = BinFolder() + "app-test-scratch-" + std::to_string(GetCurrentProcessId());
    static bool registered = false;
    if (!registered) {
        registered = true;
        static std::string rootCopy = root;
        std::atexit([] { RemoveTree(Widen(rootCopy)); });
    }
    CreateDirectoryW(Widen(root).c_str(), nullptr);
    std::string folder = root + "\\" + name;
    RemoveTree(Widen(folder));
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder + "\\";
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* f = _wfopen(Widen(path).c_str(), L"wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) { return ReadFileBytes(path); }

bool Exists(const std::string& path)
{
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((Widen(folder) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.push_back(Narrow(name));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

static std::wstring QuoteArgument(const std::wstring& a)
{
    // The quoting CommandLineToArgvW undoes.
    std::wstring q = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : a) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            q.append(backslashes * 2 + 1, L'\\');
        else
            q.append(backslashes, L'\\');
        backslashes = 0;
        q += c;
    }
    q.append(backslashes * 2, L'\\');
    return q + L"\"";
}

static std::string ReadAndRemove(const std::wstring& path)
{
    std::string s;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            s.append(buffer, n);
        fclose(f);
    }
    DeleteFileW(path.c_str());
    return s;
}

RunResult RunQuiltra(const std::vector<std::string>& args)
{
    static int counter = 0;
    std::wstring exe = Widen(BinFolder() + "quiltra.exe");
    std::wstring command = QuoteArgument(exe);
    for (const std::string& a : args)
        command += L" " + QuoteArgument(Widen(a));

    // A name no other run takes: wine gives a process id again, and a file of an earlier run may
    // still be held open by a process that outlived it (a desktop started by a window), so the
    // id and a counter alone could name a file that cannot be written.
    LARGE_INTEGER now {};
    QueryPerformanceCounter(&now);
    std::wstring base = Widen(BinFolder()) + L"app-run-" + std::to_wstring(GetCurrentProcessId()) +
        L"-" + std::to_wstring(++counter) + L"-" +
        std::to_wstring((unsigned long long)now.QuadPart);
    // Shared for deletion too: a desktop process that outlives the run inherits the handles,
    // and the files are still removed when the run has been read.
    SECURITY_ATTRIBUTES sa {sizeof sa, nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE;
    HANDLE out =
        CreateFileW((base + L".out").c_str(), GENERIC_WRITE, share, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE err =
        CreateFileW((base + L".err").c_str(), GENERIC_WRITE, share, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi {};
    RunResult r;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        r.status = (int)code;
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(out);
    CloseHandle(err);
    r.out = ReadAndRemove(base + L".out");
    r.err = ReadAndRemove(base + L".err");
    return r;
}

Host& TestHost()
{
    static Host* host = new Host(PluginFolder()); // lives until the process ends
    return *host;
}

SceneTexture BuildFromJson(const std::string& json)
{
    return BuildTexture(TestHost(), ParseSceneJson(json, "test.json", TestHost().ModeNames()),
                        "test.json");
}

static void PrepareSample(host::SampleShadeContext& sc, Texmap* t, float u, float v)
{
    Interval valid = FOREVER;
    t->Update(0, valid);
    sc.BeginSample();
    sc.SetUVW(Point3(u, v, 0.0f), 0);
    sc.SetUVW(Point3(u, v, 0.0f), 1);
}

AColor EvalColorAt(Texmap* t, float u, float v)
{
    host::SampleShadeContext sc;
    PrepareSample(sc, t, u, v);
    return t->EvalColor(sc);
}

Point3 EvalPerturbAt(Texmap* t, float u, float v)
{
    host::SampleShadeContext sc;
    PrepareSample(sc, t, u, v);
    return t->EvalNormalPerturb(sc);
}

std::wstring TextOf(HWND h)
{
    const int n = GetWindowTextLengthW(h);
    std::wstring s((size_t)n + 1, L'\0');
    GetWindowTextW(h, &s[0], n + 1);
    s.resize((size_t)n);
    return s;
}

std::wstring AllTexts(HWND dialog)
{
    std::wstring all;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        all += TextOf(c) + L"|";
    return all;
}

namespace {
std::function<void(HWND)>* answering = nullptr;
LRESULT CALLBACK AnswerHook(int code, WPARAM wp, LPARAM lp)
{
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && answering && m->message == WM_INITDIALOG) (*answering)(m->hwnd);
    return CallNextHookEx(NULL, code, wp, lp);
}
} // namespace

void Answering(std::function<void(HWND)> answer, const std::function<void()>& action)
{
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerHook, NULL, GetCurrentThreadId());
    answering = &answer;
    action();
    answering = nullptr;
    UnhookWindowsHookEx(hook);
}

} // namespace quiltra_test
