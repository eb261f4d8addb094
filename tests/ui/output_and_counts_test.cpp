// The Output rollout, the About rollout's logo and the three layer count dialogs, driven with
// window messages; the modal dialogs are answered from a hook.
#include "editor_fixture.h"

namespace {

const int kOutputSpinners[] = {IDC_OUT_HSV_H_SPIN, IDC_OUT_HSV_S_SPIN,  IDC_OUT_HSV_V_SPIN,
                               IDC_OUT_RGB_R_SPIN, IDC_OUT_RGB_G_SPIN,  IDC_OUT_RGB_B_SPIN,
                               IDC_OUT_ALPHA_SPIN, IDC_OUT_BRIGHT_SPIN, IDC_OUT_CONTRAST_SPIN,
                               IDC_OUT_GAMMA_SPIN};

bool OutputEnabled(HWND output, bool on)
{
    bool all = true;
    for (int id : kOutputSpinners)
        all = all && (IsWindowEnabled(GetDlgItem(output, id)) != FALSE) == on;
    for (int id : {IDC_OUT_CLAMP, IDC_OUT_MONO, IDC_OUT_RESET})
        all = all && (IsWindowEnabled(GetDlgItem(output, id)) != FALSE) == on;
    return all && IsWindowEnabled(GetDlgItem(output, IDC_OUT_ON));
}

TEST_F(EditorTest, OutputControlsFollowOn)
{
    Open(1);
    EXPECT_TRUE(OutputEnabled(output, false));
    Click(output, IDC_OUT_ON);
    EXPECT_TRUE(L()->GetOutputEnabled());
    EXPECT_TRUE(OutputEnabled(output, true));
    EXPECT_EQ(editor.MtlChangedCount(), 1);
    // Set from outside, the state shows at the next paint.
    L()->SetOutputEnabled(FALSE);
    RedrawWindow(panel, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(IsDlgButtonChecked(output, IDC_OUT_ON), (UINT)BST_UNCHECKED);
    EXPECT_TRUE(OutputEnabled(output, false));
}

// A change made elsewhere shows in the open Output rollout at its next paint, with the layer
// list closed.
TEST_F(EditorTest, OutputFollowsTheTextureWithTheLayerListClosed)
{
    Open(2);
    editor.SetPageOpen(0, false);
    editor.SetPageOpen(1, true);
    L()->SetOutputEnabled(TRUE);
    L()->SetOutputGamma(2.5f);
    RedrawWindow(output, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(IsDlgButtonChecked(output, IDC_OUT_ON), (UINT)BST_CHECKED);
    EXPECT_TRUE(OutputEnabled(output, true));
    EXPECT_EQ(Text(GetDlgItem(output, IDC_OUT_GAMMA_EDIT)), L"2.5");
}

TEST_F(EditorTest, OutputValuesAreTakenOnEnterAndButtonUp)
{
    struct Case {
        int edit;
        const wchar_t* typed;
        std::function<float(IVorlithLayers*)> value;
        float expected;
        const wchar_t* shown;
    } cases[] = {
        {IDC_OUT_BRIGHT_EDIT, L"50", [](IVorlithLayers* l) { return l->GetOutputBrightness(); },
         0.5f, L"50.0"},
        {IDC_OUT_CONTRAST_EDIT, L"150", [](IVorlithLayers* l) { return l->GetOutputContrast(); },
         1.5f, L"150.0"},
        {IDC_OUT_GAMMA_EDIT, L"0", [](IVorlithLayers* l) { return l->GetOutputGamma(); }, 0.001f,
         L"0.001"},
        {IDC_OUT_HSV_H_EDIT, L"30", [](IVorlithLayers* l) { return l->GetOutputShiftHSV().x; },
         30.0f, L"30.0"},
        {IDC_OUT_RGB_B_EDIT, L"-2", [](IVorlithLayers* l) { return l->GetOutputShiftRGB().z; },
         -2.0f, L"-2.0"},
        {IDC_OUT_ALPHA_EDIT, L"nan", [](IVorlithLayers* l) { return l->GetOutputAlpha(); }, 0.0f,
         L"0.0"},
        {IDC_OUT_ALPHA_EDIT, L"inf", [](IVorlithLayers* l) { return l->GetOutputAlpha(); }, 0.0f,
         L"0.0"},
    };
    Open(1);
    Click(output, IDC_OUT_ON);
    for (const Case& c : cases) {
        Type(output, c.edit, c.typed);
        EXPECT_FLOAT_EQ(c.value(L()), c.expected) << MSTR(c.typed).ToUTF8();
        EXPECT_EQ(Text(GetDlgItem(output, c.edit)), c.shown);
    }
    // A spinner press moves the value at once; the texture takes it at button up.
    SendDlgItemMessageW(output, IDC_OUT_ALPHA_SPIN, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    EXPECT_FLOAT_EQ(L()->GetOutputAlpha(), 0.0f);
    SendDlgItemMessageW(output, IDC_OUT_ALPHA_SPIN, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_FLOAT_EQ(L()->GetOutputAlpha(), 0.1f);
    // Reset: a neutral stage that stays on.
    Click(output, IDC_OUT_CLAMP);
    Click(output, IDC_OUT_MONO);
    EXPECT_TRUE(L()->GetOutputClamp());
    EXPECT_TRUE(L()->GetOutputMono());
    Click(output, IDC_OUT_RESET);
    EXPECT_TRUE(L()->GetOutputEnabled());
    EXPECT_FALSE(L()->GetOutputClamp());
    EXPECT_FALSE(L()->GetOutputMono());
    EXPECT_EQ(L()->GetOutputBrightness(), 1.0f);
    EXPECT_EQ(L()->GetOutputGamma(), 1.0f);
    EXPECT_EQ(L()->GetOutputShiftHSV(), Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(L()->GetOutputAlpha(), 0.0f);
    EXPECT_EQ(Text(GetDlgItem(output, IDC_OUT_CONTRAST_EDIT)), L"100.0");
}

TEST_F(EditorTest, AboutShowsTheLogo)
{
    Open(1);
    RECT r;
    GetClientRect(GetDlgItem(about, IDC_ABOUT_LOGO), &r);
    EXPECT_EQ(r.right, 160);
    EXPECT_EQ(r.bottom, 56);
    HBITMAP logo = (HBITMAP)LoadImageW(VorlithModule(), MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0,
                                       0, LR_CREATEDIBSECTION);
    ASSERT_NE(logo, nullptr);
    BITMAP bm;
    GetObjectW(logo, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 160);
    EXPECT_EQ(bm.bmHeight, 56);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    DeleteObject(logo);
}

TEST_F(EditorTest, CountDialogsAskWithinTheirLimits)
{
    struct Case {
        int layers;
        bool ctrl;
        int button;
        const wchar_t* typed;
        bool ok;
        const wchar_t* title;
        const wchar_t* initial;
        const wchar_t* accepted; // the field after typing
        int layersAfter;
    } cases[] = {
        {3, false, IDC_SET_NUMBER, L"5", true, L"Set Number of Maps", L"3", L"5", 5},
        {3, false, IDC_SET_NUMBER, L"5000", false, L"Set Number of Maps", L"3", L"1000", 3},
        {1, false, IDC_SET_NUMBER, nullptr, true, L"Set Number of Maps", L"2", L"2", 2},
        {1200, false, IDC_SET_NUMBER, nullptr, true, L"Set Number of Maps", L"1200", L"1200", 1200},
        {3, true, IDC_ADD_LAYER, L"1", true, L"Insert Map", L"1", L"1", 4},
        {3, true, IDC_ADD_LAYER, L"3", true, L"Insert Map", L"1", L"2", 4},
        {3, true, IDC_ADD_LAYER, L"0", true, L"Insert Map", L"1", L"1", 4},
        {4, true, IDC_DELETE_LAYER, L"2", true, L"Delete Map", L"3", L"2", 3},
        {4, true, IDC_DELETE_LAYER, L"0", true, L"Delete Map", L"3", L"1", 3},
        {1, true, IDC_DELETE_LAYER, nullptr, true, L"Delete Map", L"0", L"0", 1},
        {4, true, IDC_DELETE_LAYER, L"2", false, L"Delete Map", L"3", L"2", 4},
    };
    Open(1);
    for (const Case& c : cases) {
        L()->SetNumLayers(c.layers);
        dlg->ReloadDialog();
        CountAnswer answer;
        answer.typed = c.typed;
        answer.ok = c.ok;
        HoldCtrl(c.ctrl);
        AnswerCountDialog(answer, [&] { Click(panel, c.button); });
        HoldCtrl(false);
        SCOPED_TRACE(MSTR(c.title).ToUTF8() + std::string(" with ") + std::to_string(c.layers));
        ASSERT_EQ(answer.opened, 1);
        EXPECT_EQ(answer.title, c.title);
        EXPECT_EQ(answer.initial, c.initial);
        EXPECT_EQ(answer.afterTyping, c.accepted);
        EXPECT_EQ(L()->GetNumLayers(), c.layersAfter);
        EXPECT_EQ(CountShown(), c.layersAfter);
    }
    // An insert and a delete, layer by layer: before 1 a new layer; 2 of four gone.
    L()->SetNumLayers(3);
    for (int i = 0; i < 3; ++i)
        L()->SetOpacity(i, 10.0f * i);
    CountAnswer insert;
    insert.typed = L"1";
    HoldCtrl(true);
    AnswerCountDialog(insert, [&] { Click(panel, IDC_ADD_LAYER); });
    EXPECT_EQ(L()->GetOpacity(1), 100.0f) << "a new layer";
    EXPECT_EQ(L()->GetOpacity(2), 10.0f);
    EXPECT_EQ(L()->GetOpacity(3), 20.0f);
    CountAnswer remove;
    remove.typed = L"2";
    AnswerCountDialog(remove, [&] { Click(panel, IDC_DELETE_LAYER); });
    EXPECT_EQ(L()->GetNumLayers(), 3);
    EXPECT_EQ(L()->GetOpacity(2), 20.0f) << "the former layer 3";
}

} // namespace
