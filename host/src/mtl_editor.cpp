// The material editor's window: a program's sample slot at the top, a bar naming the map edited
// (with "Go to Parent"), and below it the rollup panel with the map's pages, each under a title
// bar that opens and closes it.
#include "host/mtl_editor.h"

#include <algorithm>

#include "custcont.h"

namespace host {

namespace {
const wchar_t kWindowClass[] = L"QuiltraHostMaterialEditor";
const wchar_t kPanelClass[] = L"QuiltraRollupPanel";

// Layout in pixels.
const int kBarHeight = 30;       // the bar above the panel
const int kTitleHeight = 18;     // a page's title bar
const int kMargin = 4;           // left and right of the pages
const int kGap = 4;              // above the first title bar and below each page
const int kDefaultWidth = 340;   // the pages' width when there are none
const int kLineStep = 16;        // one scroll-bar line
const int kFirstTitleId = 0x7000;
const int kParentButtonId = 1;

MaterialEditorParams* EditorOf(HWND hwnd) {
    return reinterpret_cast<MaterialEditorParams*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void KeepCreateParam(HWND hwnd, LPARAM lp) {
    const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
}

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) KeepCreateParam(hwnd, lp);
    MaterialEditorParams* editor = EditorOf(hwnd);
    if (editor) {
        LRESULT result = 0;
        if (editor->HandleMessage(msg, wp, lp, result)) return result;
        switch (msg) {
        case WM_TEXMAP_BUTTON:
            editor->OnTexmapButton((int)wp, reinterpret_cast<ReferenceTarget*>(lp));
            return 0;
        case WM_SIZE:
            editor->OnResize();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == kParentButtonId && HIWORD(wp) == BN_CLICKED) editor->GoToParent();
            return 0;
        case WM_CLOSE:
            // The program that owns the editor ends it; closing only takes it off the screen.
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) KeepCreateParam(hwnd, lp);
    MaterialEditorParams* editor = EditorOf(hwnd);
    if (editor) {
        switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED) editor->OnPanelCommand(LOWORD(wp));
            return 0;
        case WM_VSCROLL:
            editor->OnPanelScroll(LOWORD(wp));
            return 0;
        case WM_MOUSEWHEEL:
            editor->OnPanelWheel(GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
        case WM_DRAWITEM:
            editor->OnDrawTitle(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = EditorWindowProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    RegisterClassW(&wc);
}

const MSTR& EmptyTitle() {
    static MSTR empty;
    return empty;
}

int HeightOf(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}
}  // namespace

MaterialEditorParams::MaterialEditorParams()
    : window(NULL), panel(NULL), parentButton(NULL), nameLabel(NULL), sampleSlot(NULL), dlg(NULL),
      edited(NULL), mtlChanged(0), scrollPos(0), contentHeight(0), nextTitleId(kFirstTitleId),
      time(0) {
    RegisterClasses();
    HINSTANCE self = GetModuleHandleW(NULL);
    window = CreateWindowExW(0, kWindowClass, L"Material Editor", WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, 400, 800, NULL, NULL, self, this);
    if (!window) return;
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    parentButton = CreateWindowExW(0, L"BUTTON", L"Go to Parent",
                                   WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, kMargin, 4,
                                   90, kBarHeight - 8, window, (HMENU)(INT_PTR)kParentButtonId,
                                   self, NULL);
    nameLabel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP,
                                kMargin + 98, 8, 200, kBarHeight - 12, window, NULL, self, NULL);
    panel = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL |
                                                     WS_CLIPCHILDREN,
                            0, kBarHeight, 400, 600, window, NULL, self, this);
    SendMessageW(parentButton, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageW(nameLabel, WM_SETFONT, (WPARAM)font, FALSE);
    OnResize();
}

MaterialEditorParams::~MaterialEditorParams() {
    Close();
    if (window) DestroyWindow(window);
}

// Editing ----------------------------------------------------------------------------------------

ParamDlg* MaterialEditorParams::Edit(MtlBase* map) {
    Close();
    Open(map);
    return dlg;
}

void MaterialEditorParams::Open(MtlBase* map) {
    // The pages go before the dialog, so that they reach it with WM_DESTROY.
    std::vector<PageInfo> old;
    old.swap(pages);
    for (PageInfo& p : old) {
        if (IsWindow(p.hwnd)) DestroyWindow(p.hwnd);
        if (IsWindow(p.title)) DestroyWindow(p.title);
    }
    if (dlg) {
        ParamDlg* d = dlg;
        dlg = NULL;
        d->DeleteThis();
    }
    edited = map;
    scrollPos = 0;
    if (map && window) dlg = map->CreateParamDlg(window, this);
    ShowName();
    Layout();
}

void MaterialEditorParams::Close() {
    parents.clear();
    Open(NULL);
}

void MaterialEditorParams::MtlChanged() {
    ++mtlChanged;
    if (mtlChangedHandler) mtlChangedHandler();
}

bool MaterialEditorParams::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return messageHandler && messageHandler(msg, wp, lp, result);
}

BOOL MaterialEditorParams::GoToSubMap(int slot) {
    if (!edited || slot < 0 || slot >= edited->NumSubTexmaps()) return FALSE;
    Texmap* sub = edited->GetSubTexmap(slot);
    if (!sub) return FALSE;
    parents.push_back(edited);
    Open(sub);
    return TRUE;
}

BOOL MaterialEditorParams::GoToParent() {
    if (parents.empty()) return FALSE;
    MtlBase* parent = parents.back();
    parents.pop_back();
    Open(parent);
    return TRUE;
}

void MaterialEditorParams::ShowName() {
    if (nameLabel) SetWindowTextW(nameLabel, edited ? edited->GetFullName().data() : L"");
    if (parentButton) EnableWindow(parentButton, parents.empty() ? FALSE : TRUE);
}

MaterialEditorParams::TexmapButtonRequest MaterialEditorParams::LastTexmapButton() const {
    if (texmapButtons.empty()) return TexmapButtonRequest{NULL, -1};
    return texmapButtons.back();
}

void MaterialEditorParams::OnTexmapButton(int slot, ReferenceTarget* target) {
    TexmapButtonRequest request{target, slot};
    texmapButtons.push_back(request);
    if (texmapButtonHandler) {
        texmapButtonHandler(request);
        return;
    }
    // Only a request about the map shown now is acted on: the message was posted, and a map
    // edited before may be gone by now (its pointer is compared, never followed).
    if (!edited || target != static_cast<ReferenceTarget*>(edited)) return;
    GoToSubMap(slot);
}

// Pages ------------------------------------------------------------------------------------------

const MSTR& MaterialEditorParams::PageTitle(int i) const {
    return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].text : EmptyTitle();
}

HWND MaterialEditorParams::PageTitleBar(int i) const {
    return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].title : NULL;
}

bool MaterialEditorParams::IsPageOpen(int i) const {
    return i >= 0 && i < (int)pages.size() && pages[(size_t)i].open;
}

void MaterialEditorParams::SetPageOpen(int i, bool open) {
    if (i < 0 || i >= (int)pages.size() || pages[(size_t)i].open == open) return;
    pages[(size_t)i].open = open;
    Layout();
}

HWND MaterialEditorParams::PageContaining(HWND hwnd) const {
    for (HWND h = hwnd; h && h != panel && h != window; h = GetParent(h))
        if (IndexOf(h) >= 0) return h;
    return NULL;
}

int MaterialEditorParams::IndexOf(HWND page) const {
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i].hwnd == page) return (int)i;
    return -1;
}

HWND MaterialEditorParams::AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate,
                                         DLGPROC dlgProc, const MCHAR* title, LPARAM param,
                                         DWORD flags, int) {
    if (!panel || !dlgTemplate) return NULL;
    HWND page = CreateDialogParamW(hInst, dlgTemplate, panel, dlgProc, param);
    if (!page) return NULL;
    const int id = nextTitleId++;
    HWND bar = CreateWindowExW(0, L"BUTTON", title ? title : L"",
                               WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 10, kTitleHeight,
                               panel, (HMENU)(INT_PTR)id, GetModuleHandleW(NULL), NULL);
    SendMessageW(bar, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    pages.push_back(PageInfo{page, bar, MSTR(title ? title : L""), (flags & APPENDROLL_CLOSED) == 0});
    Layout();
    return page;
}

HWND MaterialEditorParams::ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst,
                                             const MCHAR* dlgTemplate, DLGPROC dlgProc,
                                             const MCHAR* title, LPARAM param, DWORD flags,
                                             int category) {
    const int at = IndexOf(hOldRollup);
    if (at < 0) return AddRollupPage(hInst, dlgTemplate, dlgProc, title, param, flags, category);
    HWND page = CreateDialogParamW(hInst, dlgTemplate, panel, dlgProc, param);
    if (!page) return NULL;
    DestroyWindow(hOldRollup);
    PageInfo& p = pages[(size_t)at];
    p.hwnd = page;
    p.text = MSTR(title ? title : L"");
    p.open = (flags & APPENDROLL_CLOSED) == 0;
    SetWindowTextW(p.title, p.text.data());
    Layout();
    return page;
}

void MaterialEditorParams::DeleteRollupPage(HWND hRollup) {
    const int at = IndexOf(hRollup);
    if (at < 0) return;
    HWND bar = pages[(size_t)at].title;
    pages.erase(pages.begin() + at);
    if (IsWindow(hRollup)) DestroyWindow(hRollup);
    if (IsWindow(bar)) DestroyWindow(bar);
    Layout();
}

int MaterialEditorParams::IsRollupPanelOpen(HWND hwnd) {
    return IsPageOpen(IndexOf(hwnd)) ? TRUE : FALSE;
}

void MaterialEditorParams::SetRollupScrollPos(int spos) {
    scrollPos = spos;
    Layout();
}

// The panel --------------------------------------------------------------------------------------

int MaterialEditorParams::PageWidth() const {
    int width = 0;
    for (const PageInfo& p : pages) {
        RECT r;
        GetWindowRect(p.hwnd, &r);
        width = std::max(width, (int)(r.right - r.left));
    }
    return width > 0 ? width : kDefaultWidth;
}

// Title bars and open pages one below the other, moved up by the scroll position.
void MaterialEditorParams::Layout() {
    if (!panel) return;
    int height = kGap;
    for (const PageInfo& p : pages) height += kTitleHeight + (p.open ? HeightOf(p.hwnd) : 0) + kGap;
    contentHeight = height;

    RECT rc;
    GetClientRect(panel, &rc);
    const int visible = std::max(0, (int)(rc.bottom - rc.top));
    scrollPos = std::max(0, std::min(scrollPos, height - visible));
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = height - 1;
    si.nPage = (UINT)visible;
    si.nPos = scrollPos;
    SetScrollInfo(panel, SB_VERT, &si, TRUE);

    const int width = PageWidth();
    int y = kGap - scrollPos;
    for (const PageInfo& p : pages) {
        SetWindowPos(p.title, NULL, kMargin, y, width, kTitleHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(p.title, NULL, FALSE);
        y += kTitleHeight;
        if (p.open) {
            SetWindowPos(p.hwnd, NULL, kMargin, y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            y += HeightOf(p.hwnd);
        } else {
            ShowWindow(p.hwnd, SW_HIDE);
        }
        y += kGap;
    }
    InvalidateRect(panel, NULL, TRUE);
}

void MaterialEditorParams::OnPanelCommand(int id) {
    for (size_t i = 0; i < pages.size(); ++i) {
        if (GetDlgCtrlID(pages[i].title) == id) {
            SetPageOpen((int)i, !pages[i].open);
            return;
        }
    }
}

void MaterialEditorParams::OnPanelScroll(int code) {
    RECT rc;
    GetClientRect(panel, &rc);
    const int page = rc.bottom - rc.top;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(panel, SB_VERT, &si);
    int pos = scrollPos;
    switch (code) {
    case SB_LINEUP: pos -= kLineStep; break;
    case SB_LINEDOWN: pos += kLineStep; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = contentHeight; break;
    default: return;
    }
    SetRollupScrollPos(pos);
}

void MaterialEditorParams::OnPanelWheel(int delta) {
    SetRollupScrollPos(scrollPos - delta * 3 * kLineStep / WHEEL_DELTA);
}

// A title bar: a raised bar with the page's title in the middle and "+" (closed) or "-" (open)
// at its left end.
void MaterialEditorParams::OnDrawTitle(const DRAWITEMSTRUCT& item) {
    bool open = false;
    for (const PageInfo& p : pages)
        if (p.title == item.hwndItem) open = p.open;
    RECT r = item.rcItem;
    UINT state = DFCS_BUTTONPUSH | ((item.itemState & ODS_SELECTED) ? DFCS_PUSHED : 0);
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, state);
    wchar_t title[128] = {};
    GetWindowTextW(item.hwndItem, title, 128);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(item.hDC, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(item.hDC, title, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT sign = r;
    sign.left += 6;
    DrawTextW(item.hDC, open ? L"-" : L"+", 1, &sign, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, oldFont);
}

// The sample slot's square side: as wide as the window allows, at most half of what is left
// below the bar; its area adds a gap above and below. No area without a slot.
int MaterialEditorParams::SlotAreaHeight(int clientWidth, int clientHeight) const {
    if (!sampleSlot) return 0;
    const int side = std::min(clientWidth - 2 * kMargin, (clientHeight - kBarHeight) / 2);
    return side > 0 ? side + 2 * kGap : 0;
}

void MaterialEditorParams::SetSampleSlot(HWND slot) {
    sampleSlot = slot;
    OnResize();
}

void MaterialEditorParams::OnResize() {
    if (!window || !panel) return;
    RECT rc;
    GetClientRect(window, &rc);
    const int top = SlotAreaHeight(rc.right, rc.bottom);
    if (sampleSlot) {
        const int side = std::max(0, top - 2 * kGap);
        SetWindowPos(sampleSlot, NULL, (rc.right - side) / 2, kGap, side, side,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(panel, NULL, 0, top + kBarHeight, rc.right,
                 std::max(0, (int)rc.bottom - top - kBarHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    if (parentButton)
        SetWindowPos(parentButton, NULL, kMargin, top + 4, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (nameLabel)
        SetWindowPos(nameLabel, NULL, kMargin + 98, top + 8,
                     std::max(10, (int)rc.right - kMargin - 98 - kMargin), kBarHeight - 12,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void MaterialEditorParams::FitToPages() {
    if (!window) return;
    Layout();
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = 2 * kMargin + PageWidth() + GetSystemMetrics(SM_CXVSCROLL);
    // The slot as wide as the pages: the panel below it then shows every page whole.
    const int slot = sampleSlot ? width - 2 * kMargin + 2 * kGap : 0;
    RECT r = {0, 0, width, slot + kBarHeight + contentHeight};
    const DWORD style = (DWORD)GetWindowLongW(window, GWL_STYLE);
    AdjustWindowRectEx(&r, style, GetMenu(window) ? TRUE : FALSE,
                       (DWORD)GetWindowLongW(window, GWL_EXSTYLE));
    const int height = std::min((int)(r.bottom - r.top), (int)(area.bottom - area.top));
    SetWindowPos(window, NULL, 0, 0, r.right - r.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnResize();
}

void MaterialEditorParams::Show(bool show) {
    if (!window) return;
    ShowWindow(window, show ? SW_SHOWNORMAL : SW_HIDE);
    if (show) UpdateWindow(window);
}

// Time and registered windows ------------------------------------------------------------------

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

}  // namespace host
