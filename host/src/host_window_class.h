// The host's own windows (the material editor and its rollup panel): their classes, and the
// object behind each window kept as the window's data.
#pragma once

#include <windows.h>

namespace host {

// Registers a class of the program's module with the arrow cursor and the dialog background;
// once: a class registered before stays as it is.
inline void RegisterHostWindowClass(const wchar_t* name, WNDPROC proc)
{
    WNDCLASSW wc = {};
    if (GetClassInfoW(GetModuleHandleW(NULL), name, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.lpszClassName = name;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
}

// On WM_NCCREATE: the window's data becomes the object that CreateWindowEx was given.
inline void KeepCreateParam(HWND hwnd, LPARAM lp)
{
    const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
}

// The object kept by KeepCreateParam, or NULL before it.
template <typename T>
T* WindowObject(HWND hwnd)
{
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

} // namespace host
