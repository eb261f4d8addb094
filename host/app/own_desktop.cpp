#include "own_desktop.h"

#include "file_io.h"

#include <stdexcept>

#include <windows.h>

namespace quiltra {

static std::wstring Environment(const wchar_t* name)
{
    wchar_t value[512] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, 512);
    return n > 0 && n < 512 ? std::wstring(value, n) : std::wstring();
}

std::wstring OwnDesktopName()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return L"";
    std::wstring name = Environment(L"QUILTRA_DESKTOP");
    if (name.empty()) name = L"quiltra " + Environment(L"DISPLAY");
    // A desktop's name may not hold a backslash (it is a name in the window station's folder).
    for (wchar_t& c : name)
        if (c == L'\\' || c < 32) c = L'_';
    return name;
}

static std::wstring NameOf(HDESK desktop)
{
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!desktop || !GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name, &needed))
        return L"";
    return name;
}

static HANDLE Inheritable(DWORD which)
{
    HANDLE h = GetStdHandle(which), copy = NULL;
    if (!h || h == INVALID_HANDLE_VALUE) return NULL;
    if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return NULL;
    return copy;
}

bool RunOnOwnDesktop(int& status)
{
    const std::wstring name = OwnDesktopName();
    if (name.empty() || NameOf(GetThreadDesktop(GetCurrentThreadId())) == name) return false;
    if (!Environment(L"QUILTRA_ON_DESKTOP").empty()) return false; // the copy, wherever it is
    HDESK desktop = CreateDesktopW(name.c_str(), NULL, NULL, 0, GENERIC_ALL, NULL);
    if (!desktop)
        throw std::runtime_error("the desktop \"" + Narrow(name) + "\" cannot be made (error " +
                                 std::to_string(GetLastError()) + ")");
    SetEnvironmentVariableW(L"QUILTRA_ON_DESKTOP", L"1");
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring desktopName = name;
    si.lpDesktop = &desktopName[0];
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = Inheritable(STD_INPUT_HANDLE);
    si.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
    si.hStdError = Inheritable(STD_ERROR_HANDLE);
    std::wstring commandLine = GetCommandLineW();
    PROCESS_INFORMATION pi = {};
    const BOOL started =
        CreateProcessW(NULL, &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi);
    const DWORD error = GetLastError();
    for (HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError})
        if (h) CloseHandle(h);
    if (!started) {
        CloseDesktop(desktop);
        throw std::runtime_error("the program cannot be started on the desktop \"" + Narrow(name) +
                                 "\" (error " + std::to_string(error) + ")");
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseDesktop(desktop);
    status = (int)code;
    return true;
}

} // namespace quiltra
