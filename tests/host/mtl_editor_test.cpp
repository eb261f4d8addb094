// The material editor's pages: real dialogs from templates, added, replaced and deleted.
#include <gtest/gtest.h>

#include "host/mtl_editor.h"

namespace {

INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        SetDlgItemTextW(hwnd, 1001, L"ready");
        return TRUE;
    }
    return FALSE;
}

struct TimeWatcher : TimeChangeCallback {
    TimeValue last = -1;
    void TimeChanged(TimeValue t) override { last = t; }
};

TEST(MaterialEditorParams, PagesAreDialogsFromTheTemplates) {
    host::MaterialEditorParams editor;
    ASSERT_NE(editor.Window(), nullptr);
    HINSTANCE self = GetModuleHandleW(NULL);
    HWND a = editor.AddRollupPage(self, MAKEINTRESOURCEW(300), PageProc, L"First", 7);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(a, GWLP_USERDATA), 7) << "the page got its parameter";
    wchar_t text[16] = {};
    GetDlgItemTextW(a, 1001, text, 16);
    EXPECT_STREQ(text, L"ready");
    HWND b = editor.AddRollupPage(self, MAKEINTRESOURCEW(300), PageProc, L"Second");
    ASSERT_EQ(editor.NumPages(), 2);
    EXPECT_STREQ(editor.PageTitle(1).data(), L"Second");
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    EXPECT_EQ(rb.top, ra.bottom) << "pages stack one below the other";

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

}  // namespace
