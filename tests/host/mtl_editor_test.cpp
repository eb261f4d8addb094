// The material editor: pages are real dialogs from templates under title bars that open and
// close them, the panel scrolls, a map's dialog ends after its pages, and map buttons lead to
// sub-maps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/mtl_editor.h"
#include "host/test_texmap.h"

namespace {

std::vector<std::string> events;

INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        SetDlgItemTextW(hwnd, 1001, L"ready");
        return TRUE;
    }
    if (msg == WM_DESTROY) events.push_back("page destroyed");
    return FALSE;
}

struct TimeWatcher : TimeChangeCallback {
    TimeValue last = -1;
    void TimeChanged(TimeValue t) override { last = t; }
};

// A map whose dialog adds an open and a closed page and records when it ends.
class PagedDlg : public ParamDlg {
public:
    explicit PagedDlg(IMtlParams* ip)
    {
        HINSTANCE self = GetModuleHandleW(NULL);
        ip->AddRollupPage(self, MAKEINTRESOURCEW(300), PageProc, L"Open one");
        ip->AddRollupPage(self, MAKEINTRESOURCEW(300), PageProc, L"Closed one", 0,
                          APPENDROLL_CLOSED);
    }
    Class_ID ClassID() override { return Class_ID(7, 7); }
    void SetThing(ReferenceTarget*) override { }
    ReferenceTarget* GetThing() override { return nullptr; }
    void SetTime(TimeValue) override { }
    void ReloadDialog() override { }
    void DeleteThis() override
    {
        events.push_back("dialog deleted");
        delete this;
    }
    void ActivateDlg(BOOL) override { }
};

class PagedMap : public host::TestTexmap {
public:
    ParamDlg* CreateParamDlg(HWND, IMtlParams* ip) override { return new PagedDlg(ip); }
};

int Top(HWND h)
{
    RECT r;
    GetWindowRect(h, &r);
    return r.top;
}

bool Shown(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(MaterialEditorParams, PagesAreDialogsFromTheTemplates)
{
    host::MaterialEditorParams editor;
    ASSERT_NE(editor.Window(), nullptr);
    HINSTANCE self = GetModuleHandleW(NULL);
    HWND a = editor.AddRollupPage(self, MAKEINTRESOURCEW(300), PageProc, L"First", 7);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetParent(a), editor.Panel());
    EXPECT_EQ(GetWindowLongPtrW(a, GWLP_USERDATA), 7) << "the page got its parameter";
    wchar_t text[16] = {};
    GetDlgItemTextW(a, 1001, text, 16);
    EXPECT_STREQ(text, L"ready");
    HWND b = editor.AddRollupPage(self, MAKEINTRESOURCEW(300), PageProc, L"Second");
    ASSERT_EQ(editor.NumPages(), 2);
    EXPECT_STREQ(editor.PageTitle(1).data(), L"Second");
    EXPECT_LT(Top(editor.PageTitleBar(0)), Top(a));
    EXPECT_LT(Top(a), Top(editor.PageTitleBar(1)));
    EXPECT_LT(Top(editor.PageTitleBar(1)), Top(b)) << "title bars and pages one below the other";

    HWND c = editor.ReplaceRollupPage(a, self, MAKEINTRESOURCEW(300), PageProc, L"Third");
    EXPECT_FALSE(IsWindow(a));
    EXPECT_EQ(editor.Page(0), c);
    EXPECT_TRUE(editor.IsRollupPanelOpen(c));
    editor.DeleteRollupPage(c);
    EXPECT_FALSE(IsWindow(c));
    EXPECT_EQ(editor.NumPages(), 1);
    EXPECT_EQ(editor.AddRollupPage(self, MAKEINTRESOURCEW(999), PageProc, L"none"), nullptr)
        << "a missing template gives no page";

    editor.MtlChanged();
    EXPECT_EQ(editor.MtlChangedCount(), 1);
    TimeWatcher w;
    editor.RegisterTimeChangeCallback(&w);
    editor.ChangeTime(160);
    EXPECT_EQ(w.last, 160);
    EXPECT_EQ(editor.GetTime(), 160);
    editor.UnRegisterTimeChangeCallback(&w);
    editor.ChangeTime(320);
    EXPECT_EQ(w.last, 160);
}

TEST(MaterialEditorParams, ClosedPagesShowTheirTitleAndOpenOnAClick)
{
    host::MaterialEditorParams editor;
    PagedMap map;
    ASSERT_NE(editor.Edit(&map), nullptr);
    ASSERT_EQ(editor.NumPages(), 2);
    HWND closed = editor.Page(1);
    EXPECT_TRUE(editor.IsRollupPanelOpen(editor.Page(0)));
    EXPECT_FALSE(editor.IsRollupPanelOpen(closed));
    EXPECT_FALSE(Shown(closed));
    EXPECT_TRUE(Shown(editor.PageTitleBar(1)));
    const int closedHeight = editor.ContentHeight();
    SendMessageW(editor.PageTitleBar(1), BM_CLICK, 0, 0);
    EXPECT_TRUE(editor.IsRollupPanelOpen(closed));
    EXPECT_TRUE(Shown(closed));
    RECT r;
    GetWindowRect(closed, &r);
    EXPECT_EQ(editor.ContentHeight(), closedHeight + (r.bottom - r.top));
    SendMessageW(editor.PageTitleBar(1), BM_CLICK, 0, 0);
    EXPECT_FALSE(editor.IsRollupPanelOpen(closed)) << "a second click closes it";
}

TEST(MaterialEditorParams, ThePanelScrollsWhenThePagesAreTallerThanIt)
{
    host::MaterialEditorParams editor;
    PagedMap map;
    editor.Edit(&map);
    editor.SetPageOpen(1, true);
    SetWindowPos(editor.Window(), NULL, 0, 0, 300, 160, SWP_NOMOVE | SWP_NOZORDER);
    RECT panel;
    GetClientRect(editor.Panel(), &panel);
    ASSERT_GT(editor.ContentHeight(), panel.bottom) << "the window is made smaller than the pages";
    const int top = Top(editor.Page(0));
    SendMessageW(editor.Panel(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_GT(editor.GetRollupScrollPos(), 0);
    EXPECT_EQ(Top(editor.Page(0)), top - editor.GetRollupScrollPos()) << "the pages move up";
    SendMessageW(editor.Panel(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(editor.GetRollupScrollPos(), editor.ContentHeight() - panel.bottom)
        << "no further than the end";
    editor.SetRollupScrollPos(-50);
    EXPECT_EQ(editor.GetRollupScrollPos(), 0);
    editor.FitToPages();
    EXPECT_EQ(editor.GetRollupScrollPos(), 0) << "a window that shows everything does not scroll";
}

TEST(MaterialEditorParams, ADialogEndsAfterItsPages)
{
    events.clear();
    host::MaterialEditorParams editor;
    PagedMap map;
    editor.Edit(&map);
    editor.Close();
    EXPECT_EQ(events,
              (std::vector<std::string> {"page destroyed", "page destroyed", "dialog deleted"}));
    EXPECT_EQ(editor.NumPages(), 0);
    EXPECT_EQ(editor.Dialog(), nullptr);
}

TEST(MaterialEditorParams, MapButtonsLeadToTheSubMapAndBack)
{
    host::MaterialEditorParams editor;
    PagedMap* map = new PagedMap;
    map->SetNumSubTexmaps(2);
    PagedMap* sub = new PagedMap;
    map->SetSubTexmap(1, sub);
    editor.Edit(map);
    struct Case {
        const char* what;
        WPARAM slot;
        ReferenceTarget* target;
        MtlBase* edited;
    } cases[] = {
        {"an empty slot: nothing to go to", 0, map, map},
        {"a slot past the map's sub-maps", 5, map, map},
        {"a map that is not the one edited", 1, sub, map},
        {"a sub-map: the editor shows it", 1, map, sub},
    };
    for (const Case& c : cases) {
        PostMessageW(editor.Window(), WM_TEXMAP_BUTTON, c.slot, (LPARAM)c.target);
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        EXPECT_EQ(editor.Edited(), c.edited) << c.what;
        EXPECT_EQ(editor.LastTexmapButton().slot, (int)c.slot) << c.what;
    }
    EXPECT_EQ(editor.TexmapButtonCount(), 4);
    EXPECT_EQ(editor.Parent(), map);
    EXPECT_EQ(editor.NumPages(), 2) << "the sub-map's own pages";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor.Window(), 1)));
    SendDlgItemMessageW(editor.Window(), 1, BM_CLICK, 0, 0);
    EXPECT_EQ(editor.Edited(), map) << "Go to Parent";
    EXPECT_FALSE(editor.GoToParent());

    // A program can take the requests over.
    std::vector<int> slots;
    editor.SetTexmapButtonHandler(
        [&](const host::MaterialEditorParams::TexmapButtonRequest& r) { slots.push_back(r.slot); });
    editor.OnTexmapButton(1, map);
    EXPECT_EQ(slots, std::vector<int> {1});
    EXPECT_EQ(editor.Edited(), map);
    editor.Close();
    map->DeleteMe();
}

} // namespace
