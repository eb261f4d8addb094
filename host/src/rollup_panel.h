// The rollup panel of the material editor: a scrolling child window that stacks a map's rollup
// pages (modeless dialogs made from the map's templates), each under a title bar that opens and
// closes it.
#pragma once

#include <vector>

#include "imtl.h"

namespace host {

class RollupPanel {
public:
    // Layout in pixels, which the window around the panel lines up with.
    static const int kMargin = 4; // left and right of the pages
    static const int kGap = 4; // above the first title bar and below each page

    RollupPanel();

    // Makes the panel's window, a child of parent; nothing when parent is NULL.
    void Create(HWND parent, int x, int y, int width, int height);
    HWND Window() const { return panel; }

    int NumPages() const { return (int)pages.size(); }
    HWND Page(int i) const
    {
        return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].hwnd : NULL;
    }
    // The index of a page, or -1.
    int IndexOf(HWND page) const;
    const MSTR& PageTitle(int i) const;
    HWND PageTitleBar(int i) const;
    bool IsPageOpen(int i) const;
    void SetPageOpen(int i, bool open);

    // The page is CreateDialogParam(hInst, dlgTemplate, panel, dlgProc, param) under a new
    // title bar; NULL when the template or the dialog cannot be made.
    HWND AddPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc, const MCHAR* title,
                 LPARAM param, bool open);
    // A new page in the place (and under the title bar) of page `at`, which is destroyed.
    HWND ReplacePage(int at, HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                     const MCHAR* title, LPARAM param, bool open);
    void DeletePage(int at);
    // Destroys every page and its title bar, without laying out.
    void DestroyPages();

    // Height in pixels of the title bars, open pages and gaps.
    int ContentHeight() const { return contentHeight; }
    // The widest page's width (a default when there is none).
    int PageWidth() const;
    int ScrollPos() const { return scrollPos; }
    // Scrolls to pos (kept within the content) and lays out.
    void SetScrollPos(int pos);
    // Back to the top, without laying out.
    void ResetScrollPos() { scrollPos = 0; }
    // Title bars and open pages one below the other, moved up by the scroll position.
    void Layout();

    // Window procedure's side (not for callers).
    void OnCommand(int id);
    void OnScroll(int code);
    void OnWheel(int delta);
    void OnDrawTitle(const DRAWITEMSTRUCT& item);

private:
    RollupPanel(const RollupPanel&) = delete;
    RollupPanel& operator=(const RollupPanel&) = delete;

    struct PageInfo {
        HWND hwnd;
        HWND title;
        MSTR text;
        bool open;
    };
    HWND panel;
    std::vector<PageInfo> pages;
    int scrollPos;
    int contentHeight;
    int nextTitleId;
};

} // namespace host
