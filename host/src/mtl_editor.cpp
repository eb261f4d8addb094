// The material editor's pages for a map's dialog.
#include "host/mtl_editor.h"

#include <algorithm>

namespace host {

namespace {
const wchar_t kWindowClass[] = L"QuiltraHostMaterialEditor";

ATOM RegisterEditorClass() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = kWindowClass;
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        atom = RegisterClassW(&wc);
    }
    return atom;
}

const MSTR& EmptyTitle() {
    static MSTR empty;
    return empty;
}
}  // namespace

MaterialEditorParams::MaterialEditorParams()
    : window(NULL), mtlChanged(0), scrollPos(0), time(0) {
    RegisterEditorClass();
    window = CreateWindowExW(0, kWindowClass, L"Material Editor", WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, 400, 800, NULL, NULL,
                             GetModuleHandleW(NULL), NULL);
}

MaterialEditorParams::~MaterialEditorParams() {
    for (PageInfo& p : pages)
        if (IsWindow(p.hwnd)) DestroyWindow(p.hwnd);
    pages.clear();
    if (window) DestroyWindow(window);
}

const MSTR& MaterialEditorParams::PageTitle(int i) const {
    return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].title : EmptyTitle();
}

HWND MaterialEditorParams::AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate,
                                         DLGPROC dlgProc, const MCHAR* title, LPARAM param,
                                         DWORD, int) {
    if (!window || !dlgTemplate) return NULL;
    HWND page = CreateDialogParamW(hInst, dlgTemplate, window, dlgProc, param);
    if (!page) return NULL;
    pages.push_back(PageInfo{page, MSTR(title ? title : L"")});
    Layout();
    ShowWindow(page, SW_SHOW);
    return page;
}

HWND MaterialEditorParams::ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst,
                                             const MCHAR* dlgTemplate, DLGPROC dlgProc,
                                             const MCHAR* title, LPARAM param, DWORD flags,
                                             int category) {
    auto it = std::find_if(pages.begin(), pages.end(),
                           [&](const PageInfo& p) { return p.hwnd == hOldRollup; });
    if (it == pages.end()) return AddRollupPage(hInst, dlgTemplate, dlgProc, title, param, flags,
                                                category);
    size_t at = (size_t)(it - pages.begin());
    HWND page = CreateDialogParamW(hInst, dlgTemplate, window, dlgProc, param);
    if (!page) return NULL;
    DestroyWindow(hOldRollup);
    pages[at] = PageInfo{page, MSTR(title ? title : L"")};
    Layout();
    ShowWindow(page, SW_SHOW);
    return page;
}

void MaterialEditorParams::DeleteRollupPage(HWND hRollup) {
    auto it = std::find_if(pages.begin(), pages.end(),
                           [&](const PageInfo& p) { return p.hwnd == hRollup; });
    if (it == pages.end()) return;
    pages.erase(it);
    if (IsWindow(hRollup)) DestroyWindow(hRollup);
    Layout();
}

int MaterialEditorParams::IsRollupPanelOpen(HWND hwnd) {
    return std::any_of(pages.begin(), pages.end(),
                       [&](const PageInfo& p) { return p.hwnd == hwnd; });
}

void MaterialEditorParams::RegisterTimeChangeCallback(TimeChangeCallback* tc) {
    if (tc && std::find(timeCallbacks.begin(), timeCallbacks.end(), tc) == timeCallbacks.end())
        timeCallbacks.push_back(tc);
}

void MaterialEditorParams::UnRegisterTimeChangeCallback(TimeChangeCallback* tc) {
    timeCallbacks.erase(std::remove(timeCallbacks.begin(), timeCallbacks.end(), tc),
                        timeCallbacks.end());
}

void MaterialEditorParams::RegisterDlgWnd(HWND hDlg) {
    if (hDlg && std::find(dialogs.begin(), dialogs.end(), hDlg) == dialogs.end())
        dialogs.push_back(hDlg);
}

int MaterialEditorParams::UnRegisterDlgWnd(HWND hDlg) {
    auto it = std::find(dialogs.begin(), dialogs.end(), hDlg);
    if (it == dialogs.end()) return FALSE;
    dialogs.erase(it);
    return TRUE;
}

void MaterialEditorParams::ChangeTime(TimeValue t) {
    time = t;
    std::vector<TimeChangeCallback*> callbacks = timeCallbacks;
    for (TimeChangeCallback* tc : callbacks) tc->TimeChanged(t);
}

// Pages one below the other, in the order they were added.
void MaterialEditorParams::Layout() {
    int y = 0;
    for (PageInfo& p : pages) {
        RECT r;
        GetWindowRect(p.hwnd, &r);
        SetWindowPos(p.hwnd, NULL, 0, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        y += r.bottom - r.top;
    }
}

}  // namespace host
