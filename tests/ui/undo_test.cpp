// Every action of the editor is one undo step with a label a user can read: undone, the texture
// is as it was before; redone, as it was after; and the editor shows what the texture holds.
#include "editor_fixture.h"

#include "hold.h"

namespace {

class EditorUndo;

struct Action {
    const char* what;
    const wchar_t* label;
    std::function<void(EditorUndo&)> act;
};

class EditorUndo : public EditorTest {
public:
    void RunAction(const Action& a);
    HWND Panel() const { return panel; }
    HWND Output() const { return output; }
    Texmap* Tex() const { return tex; }
    void ClickIn(HWND page, int id) { Click(page, id); }
    void TypeIn(HWND page, int id, const wchar_t* text) { Type(page, id, text); }
    void SpinUpIn(HWND page, int id) { SpinUp(page, id); }
    void Mode(int row, int item) { SelectMode(row, item); }
    static void Ctrl(bool down) { HoldCtrl(down); }

    // The texture and what the editor shows of it.
    std::wstring State()
    {
        Pump(); // a change paints the rows again
        return DescribeTexture(tex) + L"\nshown " + std::to_wstring(CountShown());
    }
};

void EditorUndo::RunAction(const Action& a)
{
    SCOPED_TRACE(a.what);
    const std::wstring before = State();
    const int steps = theHold.GetUndoCount();
    a.act(*this);
    const std::wstring after = State();
    ASSERT_NE(before, after);
    ASSERT_EQ(theHold.GetUndoCount(), steps + 1);
    EXPECT_STREQ(theHold.GetUndoLabel(0).data(), a.label);
    ASSERT_TRUE(theHold.Undo());
    EXPECT_EQ(State(), before);
    ASSERT_TRUE(theHold.Redo());
    EXPECT_EQ(State(), after);
}

// Answers the count dialog an action opens with a number.
void Answered(const wchar_t* number, bool ctrl, const std::function<void()>& click)
{
    CountAnswer answer;
    answer.typed = number;
    EditorUndo::Ctrl(ctrl);
    AnswerCountDialog(answer, click);
    EditorUndo::Ctrl(false);
}

TEST_F(EditorUndo, EveryActionIsOneNamedStep)
{
    theHold.ClearHistory();
    Open(4);
    for (int i = 0; i < 4; ++i)
        tex->SetSubTexmap(2 * i,
                          new TestMap((L"map" + std::to_wstring(i)).c_str(),
                                      AColor(0.25f * i, 0.5f, 0.75f, 1.0f)));
    tex->SetSubTexmap(5, new TestMap(L"mask2", AColor(0.5f, 0.5f, 0.5f, 1.0f)));
    L()->SetOutputEnabled(TRUE);
    L()->SetOutputGamma(2.0f);
    const std::wstring start = State();
    const wchar_t* param = L"Param Change";
    const Action actions[] = {
        {"layer used", param, [](EditorUndo& t) { t.ClickIn(t.Panel(), kUsed + 1); }},
        {"map enabled", param, [](EditorUndo& t) { t.ClickIn(t.Panel(), kMapEnabled + 2); }},
        {"mask enabled", param, [](EditorUndo& t) { t.ClickIn(t.Panel(), kMaskEnabled + 2); }},
        {"mode", param, [](EditorUndo& t) { t.Mode(3, 13); }},
        {"opacity typed", param,
         [](EditorUndo& t) { t.TypeIn(t.Panel(), kOpacityEdit + 2, L"33"); }},
        {"opacity spinner", param, [](EditorUndo& t) { t.SpinUpIn(t.Panel(), kOpacitySpin + 2); }},
        {"colour", param,
         [](EditorUndo& t) {
             IColorSwatch* swatch = GetIColorSwatch(GetDlgItem(t.Panel(), kSwatch + 1));
             swatch->SetColor(RGB(0, 0, 255), TRUE);
             ReleaseIColorSwatch(swatch);
         }},
        {"move", L"Move Layer", [](EditorUndo& t) { t.TypeIn(t.Panel(), kIndex + 1, L"3"); }},
        {"add", L"Add Layer", [](EditorUndo& t) { t.ClickIn(t.Panel(), IDC_ADD_LAYER); }},
        {"delete", L"Delete Layer", [](EditorUndo& t) { t.ClickIn(t.Panel(), IDC_DELETE_LAYER); }},
        {"insert", L"Insert Layer",
         [](EditorUndo& t) { Answered(L"2", true, [&] { t.ClickIn(t.Panel(), IDC_ADD_LAYER); }); }},
        {"delete by number", L"Delete Layer",
         [](EditorUndo& t) {
             Answered(L"1", true, [&] { t.ClickIn(t.Panel(), IDC_DELETE_LAYER); });
         }},
        {"set number", L"Set Number of Layers",
         [](EditorUndo& t) {
             Answered(L"9", false, [&] { t.ClickIn(t.Panel(), IDC_SET_NUMBER); });
         }},
        {"output on", param, [](EditorUndo& t) { t.ClickIn(t.Output(), IDC_OUT_ON); }},
        {"clamp", param, [](EditorUndo& t) { t.ClickIn(t.Output(), IDC_OUT_CLAMP); }},
        {"mono", param, [](EditorUndo& t) { t.ClickIn(t.Output(), IDC_OUT_MONO); }},
        {"bright", param, [](EditorUndo& t) { t.TypeIn(t.Output(), IDC_OUT_BRIGHT_EDIT, L"50"); }},
        {"reset", L"Reset Output", [](EditorUndo& t) { t.ClickIn(t.Output(), IDC_OUT_RESET); }},
        {"map dropped", L"Drag and Drop",
         [](EditorUndo& t) {
             HWND button = GetDlgItem(t.Panel(), kMask + 2);
             ICustButton* b = GetICustButton(button);
             POINT p = {1, 1};
             b->GetDADMgr()->Drop(new TestMap(L"dropped"), button, p, TEXMAP_CLASS_ID);
             ReleaseICustButton(b);
         }},
    };
    for (const Action& a : actions)
        RunAction(a);

    // Back to the start through every step, and forward again.
    const std::wstring end = State();
    while (theHold.Undo()) {
    }
    EXPECT_EQ(State(), start);
    while (theHold.Redo()) {
    }
    EXPECT_EQ(State(), end);
    theHold.ClearHistory();
}

// An action that leaves the texture as it was makes no step, and what could be redone stays.
TEST_F(EditorUndo, ActionsThatChangeNothingLeaveNoStep)
{
    theHold.ClearHistory();
    Open(4);
    const std::wstring start = State();
    // Something to redo: an opacity set by a script in a step of its own, then undone.
    theHold.Begin();
    L()->SetOpacity(2, 12.0f);
    theHold.Accept(L"script");
    ASSERT_TRUE(theHold.Undo());
    const Action nothing[] = {
        {"index field Enter on its own number", nullptr,
         [](EditorUndo& t) { t.TypeIn(t.Panel(), kIndex + 2, L"2"); }},
        {"opacity spinner let go at its value", nullptr,
         [](EditorUndo& t) {
             SendMessageW(t.Panel(), CC_SPINNER_BUTTONUP, MAKEWPARAM(kOpacitySpin + 1, TRUE),
                          (LPARAM)GetDlgItem(t.Panel(), kOpacitySpin + 1));
         }},
        {"Enter on an unchanged opacity", nullptr,
         [](EditorUndo& t) {
             SendDlgItemMessageW(t.Panel(), kOpacityEdit + 3, WM_KEYDOWN, VK_RETURN, 0);
         }},
        {"Enter on an unchanged Output field", nullptr,
         [](EditorUndo& t) {
             SendDlgItemMessageW(t.Output(), IDC_OUT_GAMMA_EDIT, WM_KEYDOWN, VK_RETURN, 0);
         }},
        {"Output spinner let go at its value", nullptr,
         [](EditorUndo& t) {
             SendMessageW(t.Output(), CC_SPINNER_BUTTONUP, MAKEWPARAM(IDC_OUT_BRIGHT_SPIN, TRUE),
                          (LPARAM)GetDlgItem(t.Output(), IDC_OUT_BRIGHT_SPIN));
         }},
        {"Reset of a neutral Output", nullptr,
         [](EditorUndo& t) { t.ClickIn(t.Output(), IDC_OUT_RESET); }},
        {"mode chosen again", nullptr, [](EditorUndo& t) { t.Mode(1, 0); }},
    };
    for (const Action& a : nothing) {
        SCOPED_TRACE(a.what);
        a.act(*this);
        EXPECT_EQ(State(), start);
        EXPECT_EQ(theHold.GetUndoCount(), 0);
        EXPECT_EQ(theHold.GetRedoCount(), 1);
    }
    ASSERT_TRUE(theHold.Redo());
    EXPECT_EQ(L()->GetOpacity(2), 12.0f);
    theHold.ClearHistory();
}

// The Output rollout shows the texture's values after an undo or a script's change while the
// layer-list rollout is closed; Enter in one of its fields then keeps the value shown.
TEST_F(EditorUndo, OutputFollowsChangesWithLayerListClosed)
{
    theHold.ClearHistory();
    Open(2);
    editor.SetPageOpen(1, true);
    editor.SetPageOpen(0, false);
    Pump();
    auto shownBright = [&] {
        Pump();
        return Text(GetDlgItem(output, IDC_OUT_BRIGHT_EDIT));
    };
    const std::wstring neutral = shownBright();
    TypeIn(output, IDC_OUT_BRIGHT_EDIT, L"40");
    const std::wstring forty = shownBright();
    ASSERT_NE(forty, neutral);
    ASSERT_TRUE(theHold.Undo());
    EXPECT_EQ(shownBright(), neutral);
    SendDlgItemMessageW(output, IDC_OUT_BRIGHT_EDIT, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(L()->GetOutputBrightness(), 1.0f);
    L()->SetOutputBrightness(0.4f);
    EXPECT_EQ(shownBright(), forty);
    theHold.ClearHistory();
}

} // namespace
