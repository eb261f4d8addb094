// The material editor's rollup panel: the map's pages one below the other, each under an
// owner-drawn title bar, scrolled by the panel's scroll bar and the mouse wheel.
#include "rollup_panel.h"

#include <algorithm>

#include "host_window_class.h"

namespace host {

namespace {
const wchar_t kPanelClass[] = L"QuiltraRollupPanel";

// Layout in pixels.
const int kTitleHeight = 18; // a page's title bar
const int kDefaultWidth = 340; // the pages' width when there are none
const int kLineStep = 16; // one scroll-bar line
const int kFirstTitleId = 0x7000;

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) KeepCreateParam(hwnd, lp);
    RollupPanel* panel = WindowObject<RollupPanel>(hwnd);
    if (panel) {
        switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED) panel->OnCommand(LOWORD(wp));
            return 0;
        case WM_VSCROLL:
            panel->OnScroll(LOWORD(wp));
            return 0;
        case WM_MOUSEWHEEL:
            panel->OnWheel(GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
        case WM_DRAWITEM:
            panel->OnDrawTitle(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

const MSTR& EmptyTitle()
{
    static MSTR empty;
    return empty;
}

int HeightOf(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}
} // namespace

RollupPanel::RollupPanel() : panel(NULL), scrollPos(0), contentHeight(0), nextTitleId(kFirstTitleId)
{ }

void RollupPanel::Create(HWND parent, int x, int y, int width, int height)
{
    if (!parent) return;
    RegisterHostWindowClass(kPanelClass, PanelProc);
    panel =
        CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN,
                        x, y, width, height, parent, NULL, GetModuleHandleW(NULL), this);
}

// Pages ------------------------------------------------------------------------------------------

const MSTR& RollupPanel::PageTitle(int i) const
{
    return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].text : EmptyTitle();
}

HWND RollupPanel::PageTitleBar(int i) const
{
    return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].title : NULL;
}

bool RollupPanel::IsPageOpen(int i) const
{
    return i >= 0 && i < (int)pages.size() && pages[(size_t)i].open;
}

void RollupPanel::SetPageOpen(int i, bool open)
{
    if (i < 0 || i >= (int)pages.size() || pages[(size_t)i].open == open) return;
    pages[(size_t)i].open = open;
    Layout();
}

int RollupPanel::IndexOf(HWND page) const
{
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i].hwnd == page) return (int)i;
    return -1;
}

HWND RollupPanel::AddPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                          const MCHAR* title, LPARAM param, bool open)
{
    if (!panel || !dlgTemplate) return NULL;
    HWND page = CreateDialogParamW(hInst, dlgTemplate, panel, dlgProc, param);
    if (!page) return NULL;
    const int id = nextTitleId++;
    HWND bar = CreateWindowExW(0, L"BUTTON", title ? title : L"",
                               WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 10, kTitleHeight, panel,
                               (HMENU)(INT_PTR)id, GetModuleHandleW(NULL), NULL);
    SendMessageW(bar, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    pages.push_back(PageInfo {page, bar, MSTR(title ? title : L""), open});
    Layout();
    return page;
}

HWND RollupPanel::ReplacePage(int at, HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                              const MCHAR* title, LPARAM param, bool open)
{
    HWND page = CreateDialogParamW(hInst, dlgTemplate, panel, dlgProc, param);
    if (!page) return NULL;
    DestroyWindow(pages[(size_t)at].hwnd);
    PageInfo& p = pages[(size_t)at];
    p.hwnd = page;
    p.text = MSTR(title ? title : L"");
    p.open = open;
    SetWindowTextW(p.title, p.text.data());
    Layout();
    return page;
}

void RollupPanel::DeletePage(int at)
{
    HWND page = pages[(size_t)at].hwnd;
    HWND bar = pages[(size_t)at].title;
    pages.erase(pages.begin() + at);
    if (IsWindow(page)) DestroyWindow(page);
    if (IsWindow(bar)) DestroyWindow(bar);
    Layout();
}

void RollupPanel::DestroyPages()
{
    std::vector<PageInfo> old;
    old.swap(pages);
    for (PageInfo& p : old) {
        if (IsWindow(p.hwnd)) DestroyWindow(p.hwnd);
        if (IsWindow(p.title)) DestroyWindow(p.title);
    }
}

// Layout and scrolling ---------------------------------------------------------------------------

int RollupPanel::PageWidth() const
{
    int width = 0;
    for (const PageInfo& p : pages) {
        RECT r;
        GetWindowRect(p.hwnd, &r);
        width = std::max(width, (int)(r.right - r.left));
    }
    return width > 0 ? width : kDefaultWidth;
}

void RollupPanel::SetScrollPos(int pos)
{
    scrollPos = pos;
    Layout();
}

void RollupPanel::Layout()
{
    if (!panel) return;
    int height = kGap;
    for (const PageInfo& p : pages)
        height += kTitleHeight + (p.open ? HeightOf(p.hwnd) : 0) + kGap;
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

void RollupPanel::OnCommand(int id)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        if (GetDlgCtrlID(pages[i].title) == id) {
            SetPageOpen((int)i, !pages[i].open);
            return;
        }
    }
}

void RollupPanel::OnScroll(int code)
{
    RECT rc;
    GetClientRect(panel, &rc);
    const int page = rc.bottom - rc.top;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(panel, SB_VERT, &si);
    int pos = scrollPos;
    switch (code) {
    case SB_LINEUP:
        pos -= kLineStep;
        break;
    case SB_LINEDOWN:
        pos += kLineStep;
        break;
    case SB_PAGEUP:
        pos -= page;
        break;
    case SB_PAGEDOWN:
        pos += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = contentHeight;
        break;
    default:
        return;
    }
    SetScrollPos(pos);
}

void RollupPanel::OnWheel(int delta)
{
    SetScrollPos(scrollPos - delta * 3 * kLineStep / WHEEL_DELTA);
}

// A title bar: a raised bar with the page's title in the middle and "+" (closed) or "-" (open)
// at its left end.
void RollupPanel::OnDrawTitle(const DRAWITEMSTRUCT& item)
{
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

} // namespace host
