// The host's custom controls in a real dialog: spinners linked to fields, Enter in a field,
// colour swatches, buttons, and the drag-and-drop manager's drop of a map onto a button.
#include <gtest/gtest.h>

#include <vector>

#include "custcont.h"
#include "winutil.h"
#include "host/mtl_editor.h"
#include "host/test_texmap.h"

namespace {

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Message> received;

INT_PTR CALLBACK RolloutProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CC_SPINNER_CHANGE:
    case CC_SPINNER_BUTTONDOWN:
    case CC_SPINNER_BUTTONUP:
    case CC_COLOR_CHANGE:
    case WM_CUSTEDIT_ENTER:
        received.push_back({msg, wParam, lParam});
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == 1550) received.push_back({msg, wParam, lParam});
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

size_t Count(UINT msg)
{
    size_t n = 0;
    for (const Message& m : received)
        n += m.msg == msg;
    return n;
}

class CustomControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        received.clear();
        page = editor.AddRollupPage(GetModuleHandleW(NULL), MAKEINTRESOURCEW(301), RolloutProc,
                                    L"Controls");
        ASSERT_NE(page, nullptr) << "the template's custom control classes must exist";
    }
    std::wstring EditText()
    {
        wchar_t text[32] = {};
        GetDlgItemTextW(page, 1007, text, 32);
        return text;
    }
    host::MaterialEditorParams editor;
    HWND page = NULL;
};

TEST_F(CustomControlsTest, InterfacesOnlyForTheirOwnKind)
{
    EXPECT_NE(GetISpinner(GetDlgItem(page, 1001)), nullptr);
    EXPECT_NE(GetICustEdit(GetDlgItem(page, 1007)), nullptr);
    EXPECT_NE(GetIColorSwatch(GetDlgItem(page, 1100)), nullptr);
    EXPECT_NE(GetICustButton(GetDlgItem(page, 1550)), nullptr);
    EXPECT_NE(GetICustImage(GetDlgItem(page, 1300)), nullptr);
    EXPECT_EQ(GetISpinner(GetDlgItem(page, 1007)), nullptr);
    EXPECT_EQ(GetICustEdit(GetDlgItem(page, 1001)), nullptr);
    EXPECT_EQ(GetISpinner(NULL), nullptr);
    ICustButton* b = GetICustButton(GetDlgItem(page, 1550));
    wchar_t text[16] = {};
    b->GetText(text, 16);
    EXPECT_STREQ(text, L"None");
    b->SetText(L"Map #3");
    b->GetText(text, 16);
    EXPECT_STREQ(text, L"Map #3");
    ReleaseICustButton(b);
}

TEST_F(CustomControlsTest, SpinnerLinkedToItsField)
{
    ISpinnerControl* s = SetupFloatSpinner(page, 1001, 1007, 0.0f, 100.0f, 50.0f, 0.1f);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetFVal(), 50.0f);
    EXPECT_EQ(EditText(), L"50.0");
    EXPECT_EQ(received.size(), 0u) << "setting up notifies nobody";
    s->SetValue(12.25f, FALSE);
    EXPECT_EQ(EditText(), L"12.25");
    s->SetValue(150.0f, TRUE);
    EXPECT_EQ(s->GetFVal(), 100.0f) << "kept inside the limits";
    ASSERT_EQ(Count(CC_SPINNER_CHANGE), 1u);
    EXPECT_EQ(LOWORD(received.back().wParam), 1001);
    EXPECT_EQ((ISpinnerControl*)received.back().lParam, s);

    // Typing a value and pressing Enter in the field sets it and tells the dialog.
    received.clear();
    SetDlgItemTextW(page, 1007, L"37.5");
    SendDlgItemMessageW(page, 1007, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(s->GetFVal(), 37.5f);
    EXPECT_EQ(Count(CC_SPINNER_CHANGE), 1u);
    EXPECT_EQ(Count(WM_CUSTEDIT_ENTER), 1u);
    ICustEdit* e = GetICustEdit(GetDlgItem(page, 1007));
    EXPECT_TRUE(e->GotReturn());
    EXPECT_FALSE(e->GotReturn()) << "asking clears it";
    SetDlgItemTextW(page, 1007, L"abc");
    SendDlgItemMessageW(page, 1007, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(s->GetFVal(), 37.5f) << "text that is no number changes nothing";
    EXPECT_EQ(EditText(), L"37.5") << "and the field shows the value again";

    // A click on the upper half steps up by the scale, as a drag; button up ends it.
    received.clear();
    SendDlgItemMessageW(page, 1001, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendDlgItemMessageW(page, 1001, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_FLOAT_EQ(s->GetFVal(), 37.6f);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].msg, (UINT)CC_SPINNER_BUTTONDOWN);
    EXPECT_EQ(received[1].msg, (UINT)CC_SPINNER_CHANGE);
    EXPECT_TRUE(HIWORD(received[1].wParam)) << "dragging";
    EXPECT_EQ(received[2].msg, (UINT)CC_SPINNER_BUTTONUP);
    s->SetResetValue(100.0f);
    received.clear();
    SendDlgItemMessageW(page, 1001, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(s->GetFVal(), 100.0f) << "right click resets";
    ASSERT_EQ(received.size(), 3u) << "the reset reaches the dialog as a whole change";
    EXPECT_EQ(received[0].msg, (UINT)CC_SPINNER_BUTTONDOWN);
    EXPECT_EQ(received[1].msg, (UINT)CC_SPINNER_CHANGE);
    EXPECT_EQ(received[2].msg, (UINT)CC_SPINNER_BUTTONUP);
    EXPECT_TRUE(HIWORD(received[2].wParam)) << "accepted";
    ReleaseISpinner(s);
    ReleaseICustEdit(e);
}

TEST_F(CustomControlsTest, SpinnerTakesOnlyFiniteNumbersAndScalesAutomatically)
{
    ISpinnerControl* s = SetupFloatSpinner(page, 1001, 1007, -1.0e7f, 1.0e7f, 50.0f, 0.1f);
    ASSERT_NE(s, nullptr);
    for (const wchar_t* text : {L"nan", L"inf", L"-inf", L"1e40"}) {
        SetDlgItemTextW(page, 1007, text);
        SendDlgItemMessageW(page, 1007, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(s->GetFVal(), 50.0f) << "typed " << MSTR(text).ToUTF8();
        EXPECT_EQ(EditText(), L"50.0");
    }
    s->SetValue(1000.0f, FALSE);
    SendDlgItemMessageW(page, 1001, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendDlgItemMessageW(page, 1001, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_FLOAT_EQ(s->GetFVal(), 1000.1f) << "without automatic scaling a step is the scale";
    s->SetAutoScale(TRUE);
    SendDlgItemMessageW(page, 1001, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendDlgItemMessageW(page, 1001, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_FLOAT_EQ(s->GetFVal(), 1000.1f + 10.001f) << "with it, one in a hundred of the value";
    ReleaseISpinner(s);
}

TEST_F(CustomControlsTest, LeavingAChangedFieldTakesItsText)
{
    ISpinnerControl* s = SetupIntSpinner(page, 1001, 1007, 1, 1000, 5);
    ASSERT_NE(s, nullptr);
    SetFocus(GetDlgItem(page, 1007));
    SendDlgItemMessageW(page, 1007, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(Count(WM_CUSTEDIT_ENTER), 0u) << "a field left unchanged tells nobody";
    SetDlgItemTextW(page, 1007, L"12");
    SendDlgItemMessageW(page, 1007, EM_SETMODIFY, TRUE, 0); // as typing does
    SendDlgItemMessageW(page, 1007, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(s->GetIVal(), 12);
    EXPECT_EQ(Count(WM_CUSTEDIT_ENTER), 1u);
    ReleaseISpinner(s);
}

TEST_F(CustomControlsTest, CheckBoxesAndCentring)
{
    HWND box = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10, page,
                               (HMENU)77, NULL, NULL);
    SetCheckBox(page, 77, 5);
    EXPECT_TRUE(GetCheckBox(page, 77));
    SetCheckBox(page, 77, FALSE);
    EXPECT_FALSE(GetCheckBox(page, 77));
    SetCheckBox(page, 78, TRUE);
    EXPECT_FALSE(GetCheckBox(page, 78)) << "no such control";
    DestroyWindow(box);

    HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 400, 300, NULL, NULL, NULL, NULL);
    HWND popup =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 50, parent, NULL, NULL, NULL);
    EXPECT_TRUE(CenterWindow(popup, parent));
    RECT r;
    GetWindowRect(popup, &r);
    EXPECT_EQ(r.left, 250);
    EXPECT_EQ(r.top, 225);
    EXPECT_FALSE(CenterWindow(NULL, parent));
    DestroyWindow(popup);
    DestroyWindow(parent);
}

TEST_F(CustomControlsTest, SwatchTellsItsDialogWithItself)
{
    IColorSwatch* c = GetIColorSwatch(GetDlgItem(page, 1100), Color(0.5f, 0.5f, 0.5f));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetColor(), RGB(128, 128, 128));
    EXPECT_EQ(received.size(), 0u);
    c->SetColor(Color(1.0f, 0.0f, 0.25f), TRUE);
    ASSERT_EQ(Count(CC_COLOR_CHANGE), 1u);
    EXPECT_EQ(LOWORD(received.back().wParam), 1100);
    EXPECT_TRUE(HIWORD(received.back().wParam)) << "a final change";
    IColorSwatch* from = (IColorSwatch*)received.back().lParam;
    ASSERT_EQ(from, c);
    AColor got = from->GetAColor();
    EXPECT_EQ(Color(got.r, got.g, got.b), Color(1.0f, 0.0f, 0.25f));
    ReleaseIColorSwatch(c);
}

// The colour dialog a swatch click opens, answered as it opens: its red field typed over (when
// red is given), then OK or Cancel.
struct ColorAnswer {
    const wchar_t* red;
    int button;
};
const ColorAnswer* colorAnswer = nullptr;
LRESULT CALLBACK AnswerColorDialog(int code, WPARAM wp, LPARAM lp)
{
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && colorAnswer && m->message == WM_INITDIALOG) {
        if (colorAnswer->red) SetDlgItemTextW(m->hwnd, 706, colorAnswer->red); // the Red field
        PostMessageW(m->hwnd, WM_COMMAND, colorAnswer->button, 0);
    }
    return CallNextHookEx(NULL, code, wp, lp);
}

// A click picks a colour: Cancel and an unchanged colour tell nothing, a new colour is told
// as a final change.
TEST_F(CustomControlsTest, SwatchClickPicksAColour)
{
    HWND swatch = GetDlgItem(page, 1100);
    IColorSwatch* c = GetIColorSwatch(swatch, Color(0.5f, 0.5f, 0.5f));
    ASSERT_NE(c, nullptr);
    const struct {
        ColorAnswer answer;
        size_t told;
        COLORREF after;
    } cases[] = {
        {{L"255", IDCANCEL}, 0, RGB(128, 128, 128)},
        {{nullptr, IDOK}, 0, RGB(128, 128, 128)},
        {{L"255", IDOK}, 1, RGB(255, 128, 128)},
    };
    for (const auto& k : cases) {
        received.clear();
        HHOOK hook =
            SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerColorDialog, NULL, GetCurrentThreadId());
        colorAnswer = &k.answer;
        SendMessageW(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(swatch, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        colorAnswer = nullptr;
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(Count(CC_COLOR_CHANGE), k.told);
        EXPECT_EQ(c->GetColor(), k.after);
        if (k.told) {
            EXPECT_TRUE(HIWORD(received.back().wParam)) << "a final change";
        }
    }
    ReleaseIColorSwatch(c);
}

TEST_F(CustomControlsTest, ButtonClicksReachTheDialog)
{
    SendDlgItemMessageW(page, 1550, BM_CLICK, 0, 0);
    ASSERT_EQ(Count(WM_COMMAND), 1u);
    EXPECT_EQ(LOWORD(received.back().wParam), 1550);
}

// A dialog of one map button that shows sub-map slot 1 of its texture.
class OneButtonDlg : public ParamDlg {
public:
    HWND button = NULL;
    ReferenceTarget* thing = nullptr;
    Class_ID ClassID() override { return Class_ID(1, 1); }
    void SetThing(ReferenceTarget* m) override { thing = m; }
    ReferenceTarget* GetThing() override { return thing; }
    void SetTime(TimeValue) override { }
    void ReloadDialog() override { }
    void DeleteThis() override { }
    void ActivateDlg(BOOL) override { }
    int FindSubTexFromHWND(HWND h) override { return h == button ? 1 : -1; }
};

TEST_F(CustomControlsTest, DroppingAMapOnAButtonSetsTheSlot)
{
    host::TestTexmap* tex = new host::TestTexmap;
    tex->SetNumSubTexmaps(2);
    host::TestTexmap* map = new host::TestTexmap;
    OneButtonDlg dlg;
    dlg.button = GetDlgItem(page, 1550);
    dlg.thing = tex;
    TexDADMgr dad(&dlg);
    ICustButton* b = GetICustButton(dlg.button);
    b->SetDADMgr(&dad);
    EXPECT_EQ(b->GetDADMgr(), &dad);
    POINT p = {0, 0};
    EXPECT_EQ(dad.GetDragType(dlg.button, p), (SClass_ID)TEXMAP_CLASS_ID);
    EXPECT_TRUE(dad.OkToDrop(map, NULL, dlg.button, p, TEXMAP_CLASS_ID));
    EXPECT_FALSE(dad.OkToDrop(map, NULL, page, p, TEXMAP_CLASS_ID)) << "not a map button";
    dad.Drop(map, dlg.button, p, TEXMAP_CLASS_ID);
    EXPECT_EQ(tex->GetSubTexmap(1), map);
    EXPECT_EQ(dad.GetInstance(dlg.button, p, TEXMAP_CLASS_ID), map);
    dad.Drop(tex, dlg.button, p, TEXMAP_CLASS_ID);
    EXPECT_EQ(tex->GetSubTexmap(1), map) << "a map cannot become its own sub-map";
    tex->SetNumSubTexmaps(1);
    host::TestTexmap* other = new host::TestTexmap;
    dad.Drop(other, dlg.button, p, TEXMAP_CLASS_ID);
    EXPECT_EQ(tex->NumSubTexmaps(), 1) << "a slot the map does not have gets no drop";
    other->DeleteMe();
    ReleaseICustButton(b);
    tex->DeleteMe();
}

TEST_F(CustomControlsTest, InterfacesGoWithTheirWindows)
{
    HWND spin = GetDlgItem(page, 1001);
    ISpinnerControl* s = SetupFloatSpinner(page, 1001, 1007, 0.0f, 1.0f, 0.5f);
    ASSERT_NE(s, nullptr);
    editor.DeleteRollupPage(page);
    EXPECT_EQ(GetISpinner(spin), nullptr);
    page = NULL;
}

} // namespace
