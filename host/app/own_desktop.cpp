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

void UseOwnDesktop()
{
    const std::wstring name = OwnDesktopName();
    if (name.empty()) return;
    HDESK desktop = CreateDesktopW(name.c_str(), NULL, NULL, 0, GENERIC_ALL, NULL);
    if (!desktop || !SetThreadDesktop(desktop))
        throw std::runtime_error("the desktop \"" + Narrow(name) + "\" cannot be made (error " +
                                 std::to_string(GetLastError()) + ")");
}

}  // namespace quiltra
