// The layer-list rollout driven with window messages: which rows show, scrolling, labels,
// every row's controls, moving layers by number, colours and their undo, map buttons and
// drops, and rows whose layer lacks values.
#include "editor_fixture.h"

#include <cmath>

#include "host/diagnostics.h"

namespace {

bool Enabled(HWND h) { return IsWindowEnabled(h) != FALSE; }

// The layer the top row shows, read from its index field.
int FirstShown(HWND panel)
{
    std::wstring text = Text(GetDlgItem(panel, kIndex));
    return text == L"B:" ? 0 : _wtoi(text.c_str());
}

TEST_F(EditorTest, RowsFollowTheNumberOfLayers)
{
    struct Case {
        int layers, rowsShown;
        bool scrollEnabled;
        int scrollMax;
    } cases[] = {{12, 6, true, 6}, {7, 6, true, 1}, {6, 6, false, 0}, {1, 1, false, 0}};
    Open(1);
    for (const Case& c : cases) {
        L()->SetNumLayers(c.layers);
        dlg->ReloadDialog();
        SCOPED_TRACE(c.layers);
        EXPECT_EQ(CountShown(), c.layers);
        for (int r = 0; r < 6; ++r)
            for (int id : {kIndex, kSwatch, kMap, kMapEnabled, kMask, kMaskEnabled, kFrame})
                EXPECT_EQ(Shown(Item(id + (id == kMap || id == kMask ? 2 * r : r))),
                          r < c.rowsShown)
                    << r;
        int low = -1, high = -1;
        GetScrollRange(Item(IDC_LAYER_SCROLL), SB_CTL, &low, &high);
        EXPECT_EQ(high, c.scrollMax);
        EXPECT_EQ(Enabled(Item(IDC_LAYER_SCROLL)), c.scrollEnabled);
    }
    // The base row: no used switch, opacity or mode; its number "B:" cannot be typed over.
    for (int id : {kUsed, kOpacityEdit, kOpacitySpin, kMode})
        EXPECT_FALSE(Shown(Item(id)));
    EXPECT_EQ(Text(Item(kIndex)), L"B:");
    EXPECT_FALSE(Enabled(Item(kIndex)));
    L()->SetNumLayers(2);
    dlg->ReloadDialog();
    EXPECT_TRUE(Shown(Item(kUsed + 1)));
    EXPECT_TRUE(Enabled(Item(kIndex + 1)));
}

TEST_F(EditorTest, ControlsFollowTheLayersSwitches)
{
    struct Case {
        int layer, used, mapOn, maskOn;
        bool map, mask, values; // values: opacity, swatch, mode and the two switches
    } cases[] = {
        {1, 0, 1, 1, false, false, false},
        {1, 1, 0, 1, false, true, true},
        {1, 1, 1, 0, true, false, true},
        {0, 0, 0, 1, false, true, true}, // the base layer is always composited
    };
    Open(2);
    for (const Case& c : cases) {
        L()->SetLayerUsed(c.layer, c.used);
        L()->SetMapEnabled(c.layer, c.mapOn);
        L()->SetMaskEnabled(c.layer, c.maskOn);
        dlg->ReloadDialog();
        const int r = c.layer;
        SCOPED_TRACE(r);
        EXPECT_EQ(Enabled(Item(kMap + 2 * r)), c.map);
        EXPECT_EQ(Enabled(Item(kMask + 2 * r)), c.mask);
        EXPECT_EQ(Enabled(Item(kSwatch + r)), c.values);
        EXPECT_EQ(Enabled(Item(kMapEnabled + r)), c.values);
        EXPECT_EQ(Enabled(Item(kMaskEnabled + r)), c.values);
        if (r > 0) {
            EXPECT_EQ(Enabled(Item(kOpacityEdit + r)), c.values);
            EXPECT_EQ(Enabled(Item(kMode + r)), c.values);
            EXPECT_TRUE(Enabled(Item(kUsed + r)));
        }
        L()->SetLayerUsed(c.layer, TRUE);
    }
}

TEST_F(EditorTest, ScrollingKeepsTheRowsInsideTheStack)
{
    struct Case {
        int layers, start, code, position, first;
    } cases[] = {
        {10, 0, SB_LINEDOWN, 0, 1},       {10, 0, SB_LINEUP, 0, 0},
        {10, 2, SB_PAGEDOWN, 0, 4},       {20, 10, SB_PAGEUP, 0, 4},
        {10, 0, SB_THUMBTRACK, 99, 4},    {10, 3, SB_ENDSCROLL, 7, 3},
        {10, 3, SB_THUMBPOSITION, -5, 0},
    };
    Open(1);
    for (const Case& c : cases) {
        L()->SetNumLayers(c.layers);
        dlg->ReloadDialog();
        Scroll(SB_THUMBPOSITION, c.start);
        Scroll(c.code, c.position);
        EXPECT_EQ(FirstShown(panel), c.first)
            << c.layers << " layers from " << c.start << ", code " << c.code;
        EXPECT_EQ(GetScrollPos(Item(IDC_LAYER_SCROLL), SB_CTL), c.first);
    }
    // Deleting at the end pulls the rows back; the position lives in the texture.
    L()->SetNumLayers(10);
    dlg->ReloadDialog();
    Scroll(SB_THUMBPOSITION, 4);
    Click(panel, IDC_DELETE_LAYER);
    EXPECT_EQ(L()->GetNumLayers(), 9);
    EXPECT_EQ(FirstShown(panel), 3);
    EXPECT_EQ(Text(Item(kIndex + 5)), L"8");
    editor.Close();
    Open(9);
    EXPECT_EQ(FirstShown(panel), 3) << "reopened where it was";
    L()->SetNumLayers(5);
    dlg->ReloadDialog();
    EXPECT_EQ(FirstShown(panel), 0);
}

TEST_F(EditorTest, SubMapsCarryTheRowLabelWithoutItGrowing)
{
    struct Case {
        const wchar_t* name;
        int mode;
        float opacity;
        const wchar_t* label;
    } cases[] = {
        {L"Bricks", 2, 75.9f, L"L: 2, Screen, 75 | Bricks"},
        {L"L: 2, Screen, 75 | Bricks", 2, 75.9f, L"L: 2, Screen, 75 | Bricks"}, // a saved label
        {L"L: 7, Multiply, 3 | tile|", 2, 75.9f, L"L: 2, Screen, 75 | tile|"},
        {L"a|b", 2, 75.9f, L"L: 2, Screen, 75 | a|b"}, // a user's "|" stays
        {L"ends|", 1, 100.0f, L"L: 2, Multiply, 100 | ends|"},
        {L"Bricks", 57, -3.7f, L"L: 2, 57, -3 | Bricks"}, // a mode the list lacks, by number
        {L"Bricks", 0, 1e20f, L"L: 2, Normal, 100000002004087734272 | Bricks"},
    };
    Open(3);
    for (const Case& c : cases) {
        L()->SetBlendMode(2, c.mode);
        L()->SetOpacity(2, c.opacity);
        TestMap* map = new TestMap(c.name);
        tex->SetSubTexmap(4, map);
        dlg->ReloadDialog();
        dlg->ReloadDialog();
        EXPECT_EQ(NameOf(map), c.label) << MSTR(c.name).ToUTF8();
        EXPECT_EQ(Text(Item(kMap + 4)), std::wstring(c.label) + L" (TestMap)");
    }
    EXPECT_EQ(Text(Item(kMask + 4)), L"Mask: None");
    EXPECT_EQ(Text(Item(kMap + 2)), L"None");
    tex->SetSubTexmap(5, new TestMap(L"Stencil"));
    EXPECT_EQ(Text(Item(kMask + 4)), L"L: 2, Mask | Stencil (TestMap)");
    EXPECT_EQ(SendMessageW(Item(kMode + 2), CB_GETCURSEL, 0, 0), 0);
}

TEST_F(EditorTest, TheModeListStoresOnlyASelection)
{
    Open(2);
    HWND list = Item(kMode + 1);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 35);
    wchar_t text[64];
    SendMessageW(list, CB_GETLBTEXT, 13, (LPARAM)text);
    EXPECT_STREQ(text, L"Soft Light") << "in mode order despite the sort style";
    L()->SetBlendMode(1, 57);
    dlg->ReloadDialog();
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR) << "a mode it cannot show";
    SendMessageW(panel, WM_COMMAND, MAKEWPARAM(kMode + 1, CBN_DROPDOWN), (LPARAM)list);
    SendMessageW(panel, WM_COMMAND, MAKEWPARAM(kMode + 1, CBN_SELCHANGE), (LPARAM)list);
    EXPECT_EQ(L()->GetBlendMode(1), 57) << "no selection turns it into nothing else";
    SelectMode(1, 13);
    EXPECT_EQ(L()->GetBlendMode(1), 13);
}

TEST_F(EditorTest, EveryRowControlStoresAndTellsTheHost)
{
    Open(3);
    L()->SetOpacity(2, 50.0f);
    dlg->ReloadDialog();
    Watcher watcher;
    watcher.Hold(tex);
    struct Case {
        const char* what;
        std::function<void()> gesture;
        std::function<bool()> stored;
    } cases[] = {
        {"used switch", [&] { Click(panel, kUsed + 1); }, [&] { return !L()->GetLayerUsed(1); }},
        {"map switch", [&] { Click(panel, kMapEnabled + 1); },
         [&] { return !L()->GetMapEnabled(1); }},
        {"base mask switch", [&] { Click(panel, kMaskEnabled); },
         [&] { return !L()->GetMaskEnabled(0); }},
        {"mode", [&] { SelectMode(2, 9); }, [&] { return L()->GetBlendMode(2) == 9; }},
        {"opacity typed", [&] { Type(panel, kOpacityEdit + 1, L"40"); },
         [&] { return L()->GetOpacity(1) == 40.0f; }},
        {"opacity spinner", [&] { SpinUp(panel, kOpacitySpin + 2); },
         [&] { return std::fabs(L()->GetOpacity(2) - 50.1f) < 1e-4f; }},
        {"opacity reset",
         [&] { SendDlgItemMessageW(panel, kOpacitySpin + 1, WM_RBUTTONDOWN, 0, 0); },
         [&] { return L()->GetOpacity(1) == 100.0f; }},
    };
    for (const Case& c : cases) {
        const int changed = editor.MtlChangedCount();
        watcher.seen.clear();
        c.gesture();
        EXPECT_TRUE(c.stored()) << c.what;
        EXPECT_EQ(editor.MtlChangedCount(), changed + 1) << c.what;
        EXPECT_EQ(watcher.Count(REFMSG_CHANGE), 1) << c.what;
    }
    for (const wchar_t* typed : {L"nan", L"inf", L"abc"}) {
        Type(panel, kOpacityEdit + 2, typed);
        EXPECT_FLOAT_EQ(L()->GetOpacity(2), 50.1f) << MSTR(typed).ToUTF8();
        EXPECT_EQ(Text(Item(kOpacityEdit + 2)), L"50.1");
    }
    // A drag stores nothing until the button is released.
    SendDlgItemMessageW(panel, kOpacitySpin + 2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 9));
    EXPECT_FLOAT_EQ(L()->GetOpacity(2), 50.1f);
    SendDlgItemMessageW(panel, kOpacitySpin + 2, WM_LBUTTONUP, 0, MAKELPARAM(1, 9));
    EXPECT_FLOAT_EQ(L()->GetOpacity(2), 50.0f);
    watcher.ReleaseAll();
}

TEST_F(EditorTest, TypingANumberMovesTheLayer)
{
    struct Case {
        const wchar_t* typed;
        int swappedWith; // -1: nothing moves
    } cases[] = {{L"3", 3}, {L"0", 0},   {L" 6 ", 6}, {L"abc", -1},
                 {L"", -1}, {L"2x", -1}, {L"9", -1},  {L"-1", -1}};
    Open(7);
    Scroll(SB_THUMBPOSITION, 1); // row 4 shows layer 5
    for (const Case& c : cases) {
        for (int i = 0; i < 7; ++i)
            L()->SetOpacity(i, 10.0f * i);
        Type(panel, kIndex + 4, c.typed);
        SCOPED_TRACE(MSTR(c.typed).ToUTF8());
        for (int i = 0; i < 7; ++i) {
            const int from = i == 5 && c.swappedWith >= 0 ? c.swappedWith
                : i == c.swappedWith                      ? 5
                                                          : i;
            EXPECT_EQ(L()->GetOpacity(i), 10.0f * from) << i;
        }
        EXPECT_EQ(Text(Item(kIndex + 4)), L"5") << "the row shows its number again";
    }
}

TEST_F(EditorTest, AColourIsOneUndoStepWhenReleased)
{
    Open(2);
    theHold.ClearHistory();
    IColorSwatch* swatch = GetIColorSwatch(Item(kSwatch + 1));
    ASSERT_NE(swatch, nullptr);
    // Dragged through red, released on blue.
    swatch->SetColor(RGB(255, 0, 0), FALSE);
    SendMessageW(panel, CC_COLOR_CHANGE, MAKEWPARAM(kSwatch + 1, 0), (LPARAM)swatch);
    EXPECT_EQ(L()->GetLayerColor(1), Color(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(theHold.GetUndoCount(), 0);
    EXPECT_EQ(editor.MtlChangedCount(), 0);
    swatch->SetColor(RGB(0, 0, 255), TRUE);
    EXPECT_EQ(L()->GetLayerColor(1), Color(0.0f, 0.0f, 1.0f));
    ASSERT_EQ(theHold.GetUndoCount(), 1);
    EXPECT_STREQ(theHold.GetUndoLabel(0).data(), L"Param Change");
    EXPECT_EQ(editor.MtlChangedCount(), 1);
    EXPECT_TRUE(theHold.Undo());
    EXPECT_EQ(L()->GetLayerColor(1), Color(0.5f, 0.5f, 0.5f)) << "the colour before the drag";
    EXPECT_TRUE(theHold.Redo());
    EXPECT_EQ(L()->GetLayerColor(1), Color(0.0f, 0.0f, 1.0f));
    // Swatches show colours limited to 0..255.
    L()->SetLayerColor(1, Color(1.2f, -0.5f, 0.25f));
    dlg->ReloadDialog();
    EXPECT_EQ(swatch->GetColor(), RGB(255, 0, 64));
    ReleaseIColorSwatch(swatch);
    theHold.ClearHistory();
}

TEST_F(EditorTest, AddDeleteAndTheMapButtons)
{
    Open(1);
    Click(panel, IDC_DELETE_LAYER);
    EXPECT_EQ(L()->GetNumLayers(), 1) << "the base layer stays";
    for (int i = 0; i < 8; ++i)
        Click(panel, IDC_ADD_LAYER);
    EXPECT_EQ(L()->GetNumLayers(), 9);
    EXPECT_EQ(CountShown(), 9);
    Scroll(SB_THUMBPOSITION, 2);
    std::vector<host::MaterialEditorParams::TexmapButtonRequest> asked;
    editor.SetTexmapButtonHandler(
        [&](const host::MaterialEditorParams::TexmapButtonRequest& r) { asked.push_back(r); });
    Click(panel, kMap);
    Click(panel, kMask + 2 * 3);
    EXPECT_TRUE(asked.empty()) << "posted, not sent";
    Pump();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].slot, 4);
    EXPECT_EQ(asked[1].slot, 11);
    EXPECT_EQ(asked[0].target, static_cast<ReferenceTarget*>(tex));

    // The host's drag and drop finds the slot behind a button.
    HWND maskButton = Item(kMask + 2 * 1);
    EXPECT_EQ(dlg->FindSubTexFromHWND(maskButton), 7);
    EXPECT_EQ(dlg->FindSubTexFromHWND(panel), -1);
    ICustButton* b = GetICustButton(maskButton);
    TestMap* map = new TestMap(L"Dropped");
    POINT p = {1, 1};
    b->GetDADMgr()->Drop(map, maskButton, p, TEXMAP_CLASS_ID);
    ReleaseICustButton(b);
    EXPECT_EQ(tex->GetSubTexmap(7), map);
    EXPECT_EQ(Text(maskButton), L"L: 3, Mask | Dropped (TestMap)");
}

TEST_F(EditorTest, RowsWhoseLayerHasNoValuesAreLeftAlone)
{
    // A map restored past the end makes layers known only by their slots until the texture's
    // next update: their rows read and write nothing meanwhile.
    Open(1);
    static_cast<ReferenceMaker*>(tex)->ReplaceReference(6, new TestMap(L"Far"));
    EXPECT_EQ(dlg->FindSubTexFromHWND(Item(kMask + 4)), -1);
    EXPECT_EQ(dlg->FindSubTexFromHWND(Item(kMap + 2)), -1);
    SendMessageW(panel, WM_COMMAND, kMap + 4, 0);
    Pump();
    EXPECT_EQ(editor.TexmapButtonCount(), 0);
    // A refresh updates the texture first, which makes them whole layers.
    dlg->ReloadDialog();
    EXPECT_EQ(L()->GetNumLayers(), 3);
    EXPECT_EQ(CountShown(), 3);
    EXPECT_EQ(dlg->FindSubTexFromHWND(Item(kMask + 4)), 5);
}

TEST_F(EditorTest, ARefreshChangesNothingItself)
{
    Open(4);
    Watcher watcher;
    watcher.Hold(Block(tex));
    watcher.Hold(tex);
    for (int i = 0; i < 3; ++i)
        dlg->ReloadDialog();
    RedrawWindow(panel, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(watcher.Count(REFMSG_CHANGE), 0);
    watcher.ReleaseAll();
}

TEST_F(EditorTest, TheDialogShowsOneTextureOfItsOwnClass)
{
    Open(2);
    // Another editor opened on the same texture is the one the texture tells.
    host::MaterialEditorParams second;
    ParamDlg* other = second.Edit(tex);
    Texmap* tex2 = NewVorlith();
    const int asserted = host::AssertionCount();
    TestMap* notOurs = new TestMap(L"other class");
    dlg->SetThing(notOurs);
    EXPECT_EQ(host::AssertionCount(), asserted + 1) << "its class is asserted";
    EXPECT_EQ(dlg->GetThing(), tex) << "a map of another class is not shown";
    dlg->SetThing(tex2);
    EXPECT_EQ(dlg->GetThing(), tex2);
    tex->SetSubTexmap(0, new TestMap(L"Seen"));
    EXPECT_EQ(Text(GetDlgItem(second.Page(0), kMap)), L"L: 0, Normal, 100 | Seen (TestMap)")
        << "the texture still tells the editor that shows it";
    editor.Close();
    tex->SetSubTexmap(1, new TestMap(L"Still"));
    EXPECT_EQ(Text(GetDlgItem(second.Page(0), kMask)), L"L: 0, Mask | Still (TestMap)");
    (void)other;
    second.Close();
    DeleteTree(tex2);
    DeleteTree(notOurs);
}

TEST_F(EditorTest, ADialogWithoutItsPagesTouchesNoWindow)
{
    Open(2);
    for (HWND page : {panel, output, about})
        editor.DeleteRollupPage(page);
    dlg->ReloadDialog();
    dlg->SetTime(0);
    tex->SetSubTexmap(0, new TestMap(L"Late"));
    L()->SetOpacity(1, 30.0f); // the texture marks its editor out of date
    L()->SetNumLayers(8);
    EXPECT_EQ(dlg->FindSubTexFromHWND(NULL), -1);
    EXPECT_EQ(NameOf(tex->GetSubTexmap(0)), L"L: 0, Normal, 100 | Late")
        << "the labels still follow";
}

} // namespace
