// The layer rows' menu, the wheel over the rows, the rows' tooltips and the count dialogs'
// Enter and Escape, each through the window messages a user's gestures send.
#include "editor_fixture.h"

#include <commctrl.h>

#include <regex>
#include <vector>

#include "hold.h"

namespace {

enum {
    kDuplicate,
    kMoveUp,
    kMoveDown,
    kInsertAbove,
    kInsertBelow,
    kDelete,
    kClearMap,
    kClearMask,
    kCopy,
    kPasteAbove,
    kDisplaySpace
};

// A menu's items as they opened: "Name" or "(Name)" when greyed, "-" for a separator.
std::vector<std::wstring> menuSeen;
int menusOpened = 0;

LRESULT CALLBACK MenuHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITMENUPOPUP) {
        ++menusOpened;
        menuSeen.clear();
        HMENU menu = (HMENU)m->wParam;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
            const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
            if (state & MF_SEPARATOR)
                menuSeen.push_back(L"-");
            else if (state & MF_GRAYED)
                menuSeen.push_back(std::wstring(L"(") + text + L")");
            else
                menuSeen.push_back(std::wstring(text) + (state & MF_CHECKED ? L" *" : L""));
        }
    }
    if (code == HC_ACTION && m->message == WM_ENTERIDLE && m->wParam == MSGF_MENU) EndMenu();
    return CallNextHookEx(NULL, code, wParam, lParam);
}

class RowMenu : public EditorTest {
protected:
    // A command of the row menu, as the menu gives it.
    static void Command(HWND page, int action, int row)
    {
        SendMessageW(page, WM_COMMAND, IDM_ROW_MENU + action * 16 + row, 0);
        Pump();
    }
    static void ScrollPage(HWND page, int first)
    {
        SendMessageW(page, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, first),
                     (LPARAM)GetDlgItem(page, IDC_LAYER_SCROLL));
        Pump();
    }
    // The layer the top row shows ("B:" reads as 0).
    static int FirstShown(HWND page) { return _wtoi(Text(GetDlgItem(page, kIndex)).c_str()); }
    // True when a shown row has layer's number.
    static bool InRows(HWND page, int layer)
    {
        for (int r = 0; r < 6; ++r) {
            HWND index = GetDlgItem(page, kIndex + r);
            if (Shown(index) && _wtoi(Text(index).c_str()) == layer) return true;
        }
        return false;
    }
    // The texture and everything the rows show from the top of the stack.
    static std::wstring Visible(HWND page, Texmap* t)
    {
        Pump();
        const int first = FirstShown(page);
        ScrollPage(page, 0);
        // The labels the editor writes into the names of the maps it has shown tell where
        // the rows were, not what the texture holds.
        std::wstring s =
            std::regex_replace(DescribeTexture(t), std::wregex(L"L: [^|\\]]*\\| "), L"");
        s += L"\ncount " + Text(GetDlgItem(page, IDC_LAYER_COUNT)) + L"\nspaces";
        for (int i = 0; i < Layers(t)->GetNumLayers(); ++i)
            s += L" " + std::to_wstring(Layers(t)->GetBlendSpace(i));
        for (int r = 0; r < 6; ++r) {
            if (!Shown(GetDlgItem(page, kFrame + r))) continue;
            s += L"\n" + Text(GetDlgItem(page, kIndex + r)) + L" " +
                Text(GetDlgItem(page, kMap + 2 * r)) + L" " + Text(GetDlgItem(page, kMask + 2 * r));
        }
        ScrollPage(page, first);
        return s;
    }
    // A map's colour's red, which tells the test maps apart (-1: none).
    float Red(int slot) const
    {
        TestMap* m = AsTestMap(tex->GetSubTexmap(slot));
        return m ? m->color.r : -1.0f;
    }
    void Stack(int layers)
    {
        Open(layers);
        for (int i = 0; i < layers; ++i) {
            tex->SetSubTexmap(2 * i,
                              new TestMap((L"map" + std::to_wstring(i)).c_str(),
                                          AColor(0.1f * i, 0.5f, 0.5f, 1.0f)));
            L()->SetOpacity(i, 10.0f * i);
        }
        tex->SetSubTexmap(1, new TestMap(L"base mask", AColor(0.9f, 0.9f, 0.9f, 1.0f)));
        if (layers > 4) {
            tex->SetSubTexmap(9, new TestMap(L"mask4", AColor(0.7f, 0.7f, 0.7f, 1.0f)));
            L()->SetBlendMode(4, 13);
        }
        Pump();
    }
};

// Each action on a stack of maps: one step with its own label, the changed layer brought into
// the rows, undone to everything the editor showed before and redone to what it showed after.
TEST_F(RowMenu, EachActionIsOneStepUndoneAndRedone)
{
    theHold.ClearHistory();
    Stack(9);
    L()->ClearLayerClipboard();
    struct Case {
        const char* what;
        int action, layer; // layer -1: the top one
        const wchar_t* label;
        int layersAfter; // change of the count
        int inView; // the layer shown afterwards, relative to layer
    };
    const Case cases[] = {
        {"duplicate", kDuplicate, 4, L"Duplicate Layer", +1, +1},
        {"duplicate base", kDuplicate, 0, L"Duplicate Layer", +1, +1},
        {"move up", kMoveUp, 3, L"Move Up", 0, +1},
        {"move down", kMoveDown, 7, L"Move Down", 0, -1},
        {"insert above top", kInsertAbove, -1, L"Insert Layer Above", +1, +1},
        {"insert above", kInsertAbove, 2, L"Insert Layer Above", +1, +1},
        {"insert below", kInsertBelow, 6, L"Insert Layer Below", +1, 0},
        {"delete", kDelete, 5, L"Delete Layer", -1, -1},
        {"clear map", kClearMap, 8, L"Clear Map", 0, 0},
        {"clear mask", kClearMask, 0, L"Clear Mask", 0, 0},
        {"paste above", kPasteAbove, 1, L"Paste Layer Above", +1, +1},
        {"display space", kDisplaySpace, 7, L"Blend in Display Space", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.action == kPasteAbove) {
            // Layer 6 copied: no step, nothing changed.
            const int steps = theHold.GetUndoCount();
            ScrollPage(panel, 3);
            Command(panel, kCopy, 6 - FirstShown(panel));
            EXPECT_EQ(theHold.GetUndoCount(), steps);
            ASSERT_TRUE(L()->CanPasteLayer());
        }
        const int layers = L()->GetNumLayers();
        const int layer = c.layer < 0 ? layers - 1 : c.layer;
        const float mapRed = Red(2 * layer);
        ScrollPage(panel, 0);
        const std::wstring before = Visible(panel, tex);
        const int steps = theHold.GetUndoCount();
        // The layer's row, from rows that show it low down or high up.
        ScrollPage(panel, layer > 2 ? layer - 2 : 0);
        const int row = layer - FirstShown(panel);
        // Far from the changed layer, so that the rows must move to show it.
        Command(panel, c.action, row);
        EXPECT_TRUE(InRows(panel, layer + c.inView));
        EXPECT_EQ(L()->GetNumLayers(), layers + c.layersAfter);
        if (c.action == kDuplicate) {
            EXPECT_EQ(Red(2 * layer + 2), mapRed);
            EXPECT_NE(tex->GetSubTexmap(2 * layer + 2), tex->GetSubTexmap(2 * layer));
            EXPECT_EQ(L()->GetOpacity(layer + 1), L()->GetOpacity(layer));
            EXPECT_EQ(NameOf(tex->GetSubTexmap(2 * layer + 1)).empty(),
                      NameOf(tex->GetSubTexmap(2 * layer + 3)).empty());
        }
        if (c.action == kMoveUp || c.action == kMoveDown)
            EXPECT_EQ(Red(2 * (layer + c.inView)), mapRed);
        const std::wstring after = Visible(panel, tex);
        ASSERT_NE(before, after);
        ASSERT_EQ(theHold.GetUndoCount(), steps + 1);
        EXPECT_STREQ(theHold.GetUndoLabel(0).data(), c.label);
        ASSERT_TRUE(theHold.Undo());
        EXPECT_EQ(Visible(panel, tex), before);
        ASSERT_TRUE(theHold.Redo());
        EXPECT_EQ(Visible(panel, tex), after);
    }
    theHold.ClearHistory();
    L()->ClearLayerClipboard();
}

// The base layer keeps its rules, and actions that have nothing to act on change nothing and
// leave no step.
TEST_F(RowMenu, ActionsThatCannotBeMadeChangeNothing)
{
    theHold.ClearHistory();
    Stack(4);
    L()->ClearLayerClipboard();
    tex->SetSubTexmap(6, nullptr);
    const struct {
        const char* what;
        int action, row;
    } cases[] = {
        {"base moved up", kMoveUp, 0},          {"base deleted", kDelete, 0},
        {"insert below base", kInsertBelow, 0}, {"layer 1 below base", kMoveDown, 1},
        {"top moved up", kMoveUp, 3},           {"empty map cleared", kClearMap, 3},
        {"empty mask cleared", kClearMask, 2},  {"empty clipboard pasted", kPasteAbove, 1},
        {"row without a layer", kDelete, 5},    {"base in display space", kDisplaySpace, 0},
    };
    const std::wstring start = Visible(panel, tex);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Command(panel, c.action, c.row);
        EXPECT_EQ(Visible(panel, tex), start);
        EXPECT_EQ(theHold.GetUndoCount(), 0);
    }
    // Two layers just alike: moving one over the other changes nothing either.
    L()->SetNumLayers(2);
    Command(panel, kDuplicate, 1);
    tex->SetSubTexmap(4, tex->GetSubTexmap(2));
    theHold.ClearHistory();
    const std::wstring same = Visible(panel, tex);
    Command(panel, kMoveUp, 1);
    EXPECT_EQ(Visible(panel, tex), same);
    EXPECT_EQ(theHold.GetUndoCount(), 0);
}

// A layer copied in one editor is pasted in another editor's texture with copies of its maps;
// the clipboard keeps the layer as it was copied.
TEST_F(RowMenu, CopyAndPasteBetweenTexturesAndEditors)
{
    theHold.ClearHistory();
    Stack(4);
    L()->SetLayerColor(2, Color(0.25f, 0.5f, 1.0f));
    tex->SetSubTexmap(5, new TestMap(L"mask2", AColor(0.3f, 0.3f, 0.3f, 1.0f)));
    Command(panel, kCopy, 2);
    // Changed after the copy: the clipboard does not follow.
    L()->SetOpacity(2, 77.0f);
    AsTestMap(tex->GetSubTexmap(4))->color = AColor(0.0f, 0.0f, 0.0f, 1.0f);

    Texmap* other = NewVorlith();
    host::MaterialEditorParams otherEditor;
    ASSERT_NE(otherEditor.Edit(other), nullptr);
    otherEditor.Show();
    HWND otherPanel = otherEditor.Page(0);
    IVorlithLayers* o = Layers(other);
    o->SetNumLayers(2);
    const std::wstring before = Visible(otherPanel, other);
    for (int paste = 0; paste < 2; ++paste) {
        Command(otherPanel, kPasteAbove, 0);
        EXPECT_EQ(o->GetNumLayers(), 3 + paste);
        EXPECT_EQ(o->GetOpacity(1), 20.0f);
        EXPECT_EQ(o->GetLayerColor(1).b, 1.0f);
        TestMap* map = AsTestMap(other->GetSubTexmap(2));
        TestMap* mask = AsTestMap(other->GetSubTexmap(3));
        ASSERT_NE(map, nullptr);
        ASSERT_NE(mask, nullptr);
        EXPECT_FLOAT_EQ(map->color.r, 0.2f);
        EXPECT_FLOAT_EQ(mask->color.r, 0.3f);
        EXPECT_NE(map, tex->GetSubTexmap(4));
        if (paste == 1)
            EXPECT_NE(other->GetSubTexmap(2), other->GetSubTexmap(4)); // each paste its own
    }
    EXPECT_STREQ(theHold.GetUndoLabel(0).data(), L"Paste Layer Above");
    ASSERT_TRUE(theHold.Undo());
    ASSERT_TRUE(theHold.Undo());
    EXPECT_EQ(Visible(otherPanel, other), before);
    // Pasted back into the first texture, through the published interface.
    L()->PasteLayer(4);
    EXPECT_EQ(L()->GetNumLayers(), 5);
    EXPECT_EQ(L()->GetOpacity(4), 20.0f);
    theHold.ClearHistory();
    otherEditor.Close();
    DeleteTree(other);
    L()->ClearLayerClipboard();
    EXPECT_FALSE(L()->CanPasteLayer());
}

// The menu opens from a right click on a row's frame or number field and from the keyboard on
// any of the row's controls, with what the row's layer allows; other controls keep their own
// right click.
TEST_F(RowMenu, OpensFromTheRowsWithWhatTheLayerAllows)
{
    Stack(3);
    L()->ClearLayerClipboard();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, MenuHook, NULL, GetCurrentThreadId());
    auto centre = [](HWND h) {
        RECT r;
        GetWindowRect(h, &r);
        return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    menusOpened = 0;
    // Right click on the base's number field.
    SendMessageW(Item(kIndex), WM_CONTEXTMENU, (WPARAM)Item(kIndex), centre(Item(kIndex)));
    ASSERT_EQ(menusOpened, 1);
    const std::vector<std::wstring> base = {L"Duplicate Layer",
                                            L"(Move Up)",
                                            L"(Move Down)",
                                            L"-",
                                            L"Insert Layer Above",
                                            L"(Insert Layer Below)",
                                            L"(Delete Layer)",
                                            L"-",
                                            L"Clear Map",
                                            L"Clear Mask",
                                            L"-",
                                            L"Copy Layer",
                                            L"(Paste Layer Above)",
                                            L"-",
                                            L"(Blend in Display Space)"};
    EXPECT_EQ(menuSeen, base);
    // A click let through by row 1's frame, at the frame's left edge.
    RECT frame;
    GetWindowRect(Item(kFrame + 1), &frame);
    SendMessageW(panel, WM_CONTEXTMENU, (WPARAM)panel, MAKELPARAM(frame.left + 1, frame.top + 8));
    ASSERT_EQ(menusOpened, 2);
    EXPECT_EQ(menuSeen[2], L"(Move Down)");
    EXPECT_EQ(menuSeen[1], L"Move Up");
    // Shift+F10 on row 2's used switch (the top layer): no Move Up; the clipboard now full.
    Command(panel, kCopy, 1);
    SendMessageW(panel, WM_CONTEXTMENU, (WPARAM)Item(kUsed + 2), MAKELPARAM(-1, -1));
    ASSERT_EQ(menusOpened, 3);
    EXPECT_EQ(menuSeen[1], L"(Move Up)");
    EXPECT_EQ(menuSeen[2], L"Move Down");
    EXPECT_EQ(menuSeen[12], L"Paste Layer Above");
    EXPECT_EQ(menuSeen[14], L"Blend in Display Space");
    // Chosen, the check item shows the layer's display space.
    Command(panel, kDisplaySpace, 2);
    SendMessageW(panel, WM_CONTEXTMENU, (WPARAM)Item(kUsed + 2), MAKELPARAM(-1, -1));
    EXPECT_EQ(menuSeen[14], L"Blend in Display Space *");
    Command(panel, kDisplaySpace, 2);
    // Shift+F10 in row 1's opacity field, whose right click stays the field's own.
    SendMessageW(Item(kOpacityEdit + 1), WM_CONTEXTMENU, (WPARAM)Item(kOpacityEdit + 1),
                 MAKELPARAM(-1, -1));
    ASSERT_EQ(menusOpened, 5);
    EXPECT_EQ(menuSeen[1], L"Move Up");
    // A right click on a map button is the button's.
    SendMessageW(Item(kMap), WM_CONTEXTMENU, (WPARAM)Item(kMap), centre(Item(kMap)));
    EXPECT_EQ(menusOpened, 5);
    UnhookWindowsHookEx(hook);
    L()->ClearLayerClipboard();
}

// Each notch of the wheel over the rows moves them one layer, within the scroll bar's limits;
// a part of a notch waits for the rest; elsewhere the rows stay.
TEST_F(RowMenu, WheelOverTheRowsScrollsThem)
{
    Stack(10);
    RECT frame, button;
    GetWindowRect(Item(kFrame + 2), &frame);
    GetWindowRect(Item(IDC_SET_NUMBER), &button);
    const LPARAM overRows = MAKELPARAM(frame.left + 20, frame.top + 10);
    const LPARAM overButton = MAKELPARAM(button.left + 2, button.top + 2);
    const struct {
        int delta;
        LPARAM at;
        int first;
    } turns[] = {
        {-WHEEL_DELTA, overRows, 1},      {-2 * WHEEL_DELTA, overRows, 3},
        {-10 * WHEEL_DELTA, overRows, 4}, {WHEEL_DELTA, overRows, 3},
        {-WHEEL_DELTA / 2, overRows, 3},  {-WHEEL_DELTA / 2, overRows, 4},
        {WHEEL_DELTA, overButton, 4},     {9 * WHEEL_DELTA, overRows, 0},
    };
    for (const auto& t : turns) {
        SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, t.delta), t.at);
        Pump();
        EXPECT_EQ(FirstShown(panel), t.first) << t.delta;
        EXPECT_EQ(GetScrollPos(Item(IDC_LAYER_SCROLL), SB_CTL), t.first);
    }
}

// The tooltips' texts, asked for as the tooltip control asks.
TEST_F(RowMenu, TooltipsTellWholeNamesNumbersAndModes)
{
    Stack(3);
    tex->SetSubTexmap(2,
                      new TestMap(L"a map with a name far too long for its button to show",
                                  AColor(0.5f, 0.5f, 0.5f, 1.0f)));
    L()->SetBlendMode(2, 13);
    Pump();
    auto tip = [&](int id) {
        NMTTDISPINFOW info = {};
        info.hdr.hwndFrom = NULL;
        info.hdr.idFrom = (UINT_PTR)Item(id);
        info.hdr.code = TTN_GETDISPINFOW;
        info.uFlags = TTF_IDISHWND;
        SendMessageW(panel, WM_NOTIFY, 0, (LPARAM)&info);
        return std::wstring(info.lpszText ? info.lpszText : L"");
    };
    EXPECT_EQ(tip(kMap + 2), NameOf(tex->GetSubTexmap(2)) + L" (TestMap)");
    EXPECT_NE(NameOf(tex->GetSubTexmap(2)).find(L"far too long for its button to show"),
              std::wstring::npos);
    EXPECT_EQ(tip(kMask + 4), L"Mask: None");
    EXPECT_NE(tip(kIndex + 2).find(L"Layer 2."), std::wstring::npos);
    wchar_t mode[64] = {};
    LoadStringW(VorlithModule(), VORLITH_MODE_NAME_ID(13), mode, 64);
    EXPECT_EQ(tip(kMode + 2), mode);
    EXPECT_EQ(tip(kMode + 1), L"Normal");
}

// Enter in a count dialog's number field is OK with the number as typed; Escape is Cancel.
HWND countDialog = NULL;
const wchar_t* countTyped = nullptr;
UINT countKey = 0;

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG &&
        (GetWindowLongW(m->hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        countDialog = m->hwnd;
        HWND edit = GetDlgItem(m->hwnd, IDC_COUNT_EDIT);
        SetWindowTextW(edit, countTyped);
        // Through the dialog's own loop, as a key pressed in the focused field.
        PostMessageW(edit, WM_KEYDOWN, countKey, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(RowMenu, CountDialogEnterIsOkEscapeIsCancel)
{
    Open(3);
    const struct {
        const wchar_t* typed;
        UINT key;
        int layers;
    } keys[] = {
        {L"7", VK_RETURN, 7},
        {L"5", VK_ESCAPE, 7},
        {L"1", VK_RETURN, 2},
        {L"12", VK_RETURN, 12},
    };
    for (const auto& k : keys) {
        countTyped = k.typed;
        countKey = k.key;
        countDialog = NULL;
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, KeyHook, NULL, GetCurrentThreadId());
        Click(panel, IDC_SET_NUMBER);
        UnhookWindowsHookEx(hook);
        EXPECT_NE(countDialog, (HWND)NULL);
        EXPECT_EQ(L()->GetNumLayers(), k.layers) << k.typed;
    }
}

} // namespace
