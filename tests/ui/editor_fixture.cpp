#include "editor_fixture.h"

#include <functional>

void EditorTest::SetUp()
{
    tex = NewVorlith();
    ASSERT_NE(tex, nullptr);
}

void EditorTest::TearDown()
{
    HoldCtrl(false);
    editor.Close();
    DeleteTree(tex);
}

void EditorTest::Open(int layers)
{
    L()->SetNumLayers(layers);
    dlg = editor.Edit(tex);
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(editor.NumPages(), 3);
    panel = editor.Page(0);
    output = editor.Page(1);
    about = editor.Page(2);
    // On the screen, so that invalidated windows paint.
    editor.Show();
}

std::wstring Text(HWND h)
{
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

int EditorTest::CountShown() const { return _wtoi(Text(Item(IDC_LAYER_COUNT)).c_str()); }

void EditorTest::Type(HWND page, int id, const wchar_t* text)
{
    SetDlgItemTextW(page, id, text);
    SendDlgItemMessageW(page, id, WM_KEYDOWN, VK_RETURN, 0);
}

void EditorTest::SpinUp(HWND page, int id)
{
    SendDlgItemMessageW(page, id, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendDlgItemMessageW(page, id, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

void EditorTest::SelectMode(int row, int item, int notification)
{
    HWND list = Item(kMode + row);
    SendMessageW(list, CB_SETCURSEL, item, 0);
    SendMessageW(panel, WM_COMMAND, MAKEWPARAM(kMode + row, notification), (LPARAM)list);
}

void EditorTest::Scroll(int code, int position)
{
    SendMessageW(panel, WM_VSCROLL, MAKEWPARAM(code, position), (LPARAM)Item(IDC_LAYER_SCROLL));
}

void EditorTest::HoldCtrl(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void EditorTest::Pump()
{
    MSG m;
    while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

namespace {

CountAnswer* pending = nullptr;

// Answers a modal dialog once it has set itself up (WM_INITDIALOG returned).
LRESULT CALLBACK AnswerHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && pending && m->message == WM_INITDIALOG &&
        (GetWindowLongW(m->hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        CountAnswer& a = *pending;
        ++a.opened;
        a.title = Text(m->hwnd);
        a.initial = Text(GetDlgItem(m->hwnd, IDC_COUNT_EDIT));
        if (a.typed) {
            SetDlgItemTextW(m->hwnd, IDC_COUNT_EDIT, a.typed);
            SendDlgItemMessageW(m->hwnd, IDC_COUNT_EDIT, WM_KEYDOWN, VK_RETURN, 0);
        }
        a.afterTyping = Text(GetDlgItem(m->hwnd, IDC_COUNT_EDIT));
        PostMessageW(m->hwnd, WM_COMMAND, a.ok ? IDOK : IDCANCEL, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

} // namespace

void AnswerCountDialog(CountAnswer& answer, const std::function<void()>& action)
{
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerHook, NULL, GetCurrentThreadId());
    pending = &answer;
    action();
    pending = nullptr;
    UnhookWindowsHookEx(hook);
}
