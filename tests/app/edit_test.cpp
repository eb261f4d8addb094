// quiltra edit driven as a person drives it, under the test display: the plug-in's controls
// get window messages, the map browser and message boxes are answered as they open, Ctrl+S
// goes through the window's keys; the saved scene is read back and compared with the texture
// edited and with the sample slot's picture.
#include "app_test_support.h"
#include "edit_window.h"
#include "editor_shot.h"
#include "file_io.h"
#include "picture_maps.h"
#include "render.h"

#include <ivorlith.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

using namespace quiltra;
using namespace quiltra_test;

namespace {

// The plug-in's controls of layer row r: each row adds 1 to these ids, 2 for the buttons.
enum { kOpacityField = 1007, kModeList = 1200, kMapButton = 1550 };

bool SameColor(const AColor& a, const AColor& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SamePerturb(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class EditTest : public ::testing::Test {
protected:
    void Open(const std::string& scene, const std::string& saved)
    {
        session = std::make_unique<EditSession>(TestHost(), LoadAnyScene(TestHost(), scene), scene,
                                                true, saved, PreviewChannel::Color);
        ASSERT_NE(session->Window(), nullptr);
        session->Show();
        layers = session->Editor().Page(0);
        ASSERT_NE(layers, nullptr);
    }
    void TearDown() override { session.reset(); }

    HWND Control(int id) const { return GetDlgItem(layers, id); }
    void SelectMode(int row, int mode)
    {
        SendMessageW(Control(kModeList + row), CB_SETCURSEL, mode, 0);
        SendMessageW(layers, WM_COMMAND, MAKEWPARAM(kModeList + row, CBN_SELCHANGE),
                     (LPARAM)Control(kModeList + row));
    }
    void TypeOpacity(int row, const wchar_t* text)
    {
        SetWindowTextW(Control(kOpacityField + row), text);
        SendMessageW(Control(kOpacityField + row), WM_KEYDOWN, VK_RETURN, 0);
    }
    // A map or mask button clicked; the material editor's answer (posted) handled.
    void ClickSlot(int row, bool mask)
    {
        SendMessageW(Control(kMapButton + 2 * row + (mask ? 1 : 0)), BM_CLICK, 0, 0);
        PumpMessages();
    }
    static void HoldCtrl(bool down)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    // Ctrl and a key pressed while the focus is in the layer rollout.
    void PressCtrl(WPARAM key)
    {
        HoldCtrl(true);
        MSG m = {Control(kOpacityField + 1), WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(session->PreTranslate(m));
        HoldCtrl(false);
        PumpMessages();
    }
    void PressCtrlS() { PressCtrl('S'); }
    Texmap* Root() const { return session->Scene(); }
    std::vector<std::uint8_t> RenderCodes(Texmap* t)
    {
        RenderSettings rs;
        rs.width = session->SampleSlot().PictureWidth();
        rs.height = session->SampleSlot().PictureHeight();
        rs.threads = 2;
        std::vector<std::uint8_t> codes;
        rs.pngCodes = &codes;
        RenderTexture(t, rs);
        return codes;
    }

    std::unique_ptr<EditSession> session;
    HWND layers = NULL;
};

// ---- open, edit, save, reload -----------------------------------------------------------------

TEST_F(EditTest, EditsThroughTheRolloutsSaveToAFileThatRendersAsTheSampleSlotShowed)
{
    const std::string folder = ScratchFolder("edit-save");
    const std::string saved = folder + "tiles.scene";
    Open(SourcePath("examples/demo.json"), saved);
    session->WaitForPreview();
    const std::vector<std::uint8_t> before = session->SampleSlot().Codes();
    RECT slot;
    GetClientRect(session->SampleSlot().Window(), &slot);
    ASSERT_GT(slot.right, 100);
    EXPECT_EQ(session->SampleSlot().PictureWidth(), slot.right);
    EXPECT_EQ(session->SampleSlot().PictureHeight(), slot.bottom);
    EXPECT_EQ(before.size(), (size_t)slot.right * (size_t)slot.bottom * 4);
    EXPECT_FALSE(session->Unsaved());
    EXPECT_EQ(TextOf(session->Window()), L"tiles.scene - quiltra edit");

    // A mode, an opacity and a map, each through the plug-in's own controls.
    SelectMode(1, 1); // Soft Light to Multiply
    EXPECT_TRUE(session->Unsaved());
    EXPECT_EQ(TextOf(session->Window()), L"tiles.scene* - quiltra edit");
    session->WaitForPreview();
    const std::vector<std::uint8_t> afterMode = session->SampleSlot().Codes();
    EXPECT_NE(afterMode, before);
    EXPECT_EQ(afterMode, RenderCodes(Root()));

    TypeOpacity(2, L"40");
    EXPECT_EQ(LayersOf(Root())->GetOpacity(2), 40.0f);
    Answering(
        [](HWND browser) {
            SendDlgItemMessageW(browser, kBrowserKinds, LB_SETCURSEL, (WPARAM)MapKind::Checker, 0);
            SendMessageW(browser, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(browser, kBrowserKinds));
            SetDlgItemTextW(browser, kBrowserColor1, L"1 0.5 0");
            SetDlgItemTextW(browser, kBrowserColor2, L"0, 0, 0.25, 0.5");
            SetDlgItemTextW(browser, kBrowserScale, L"3");
            PostMessageW(browser, WM_COMMAND, IDOK, 0);
        },
        [&] { ClickSlot(4, false); });
    PictureMap* checker = PictureMapOf(Root()->GetSubTexmap(8));
    ASSERT_NE(checker, nullptr);
    EXPECT_EQ(checker->Kind(), PictureKind::Checker);
    EXPECT_EQ(checker->Params().color1, (std::array<float, 4> {1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_EQ(checker->Params().color2, (std::array<float, 4> {0.0f, 0.0f, 0.25f, 0.5f}));
    EXPECT_EQ(checker->Params().scale, 3.0f);
    session->WaitForPreview();
    const std::vector<std::uint8_t> shown = session->SampleSlot().Codes();
    EXPECT_NE(shown, afterMode);

    // Ctrl+S, through the window's keys.
    PressCtrlS();
    EXPECT_FALSE(session->Unsaved());
    EXPECT_EQ(TextOf(session->Window()), L"tiles.scene - quiltra edit");
    SceneTexture reloaded = LoadAnyScene(TestHost(), saved);
    for (float u : {0.03f, 0.31f, 0.5f, 0.77f, 0.96f})
        for (float v : {0.05f, 0.42f, 0.88f}) {
            EXPECT_TRUE(SameColor(EvalColorAt(reloaded.Get(), u, v), EvalColorAt(Root(), u, v)))
                << u << ", " << v;
            EXPECT_TRUE(
                SamePerturb(EvalPerturbAt(reloaded.Get(), u, v), EvalPerturbAt(Root(), u, v)))
                << u << ", " << v;
        }
    EXPECT_EQ(RenderCodes(reloaded.Get()), shown);

    // Closing with unsaved changes asks: Cancel keeps the window, No closes it unsaved.
    TypeOpacity(1, L"10");
    ASSERT_TRUE(session->Unsaved());
    std::wstring asked;
    int answer = IDCANCEL;
    auto reply = [&](HWND box) {
        asked = AllTexts(box);
        PostMessageW(box, WM_COMMAND, answer, 0);
    };
    Answering(reply, [&] { SendMessageW(session->Window(), WM_CLOSE, 0, 0); });
    EXPECT_NE(asked.find(L"Save the changes to tiles.scene"), std::wstring::npos) << asked;
    EXPECT_FALSE(session->Closed());
    answer = IDNO;
    Answering(reply, [&] { SendMessageW(session->Window(), WM_CLOSE, 0, 0); });
    EXPECT_TRUE(session->Closed());
    EXPECT_EQ(LayersOf(LoadAnyScene(TestHost(), saved).Get())->GetOpacity(1), 100.0f);
}

// ---- the map browser --------------------------------------------------------------------------

struct BrowserCase {
    const char* name;
    MapKind kind;
    std::vector<std::pair<int, const wchar_t*>> fields; // typed before OK
    const char* refused; // in the message box; nullptr: taken
    std::function<bool(const PictureParams&)> holds = nullptr; // what the map took
};

TEST_F(EditTest, TheMapBrowserMakesEachKindAndRefusesWhatDoesNotReadChangingNothing)
{
    const std::string folder = ScratchFolder("edit-browser");
    WriteText(folder + "not-a-picture.png", "text, not a picture");
    const std::wstring missing = Widen(folder + "missing.png");
    const std::wstring notPicture = Widen(folder + "not-a-picture.png");
    const std::wstring bmp = Widen(SourcePath("res/logo.bmp")); // BMP: not PNG or JPEG
    const std::wstring png = Widen(SourcePath("examples/pictures/demo-render.png"));
    using P = const PictureParams&;
    const std::vector<BrowserCase> cases = {
        {"constant",
         MapKind::Constant,
         {{kBrowserColor1, L"0.25 0.5 0.75"}, {kBrowserPerturb, L"1 0 -1"}},
         nullptr,
         [](P p) {
             return p.color == std::array<float, 4> {0.25f, 0.5f, 0.75f, 1.0f} &&
                 p.perturb[2] == -1.0f;
         }},
        {"noise",
         MapKind::Noise,
         {{kBrowserOctaves, L"8"}, {kBrowserSeed, L"-3"}, {kBrowserBump, L"0.5"}},
         nullptr,
         [](P p) { return p.octaves == 8 && p.seed == -3 && p.bump == 0.5f; }},
        {"gradient",
         MapKind::Gradient,
         {{kBrowserStops, L"0 0 0\r\n\r\n0.5 0.5 0.5 1\r\n1 1 1"}},
         nullptr,
         [](P p) { return p.stops.size() == 3 && p.stops[1][0] == 0.5f && p.stops[2][3] == 1.0f; }},
        {"bitmap",
         MapKind::Bitmap,
         {{kBrowserFile, png.c_str()}},
         nullptr,
         [](P p) {
             return p.file.find("demo-render.png") != std::string::npos && !p.image.empty();
         }},
        {"too many octaves",
         MapKind::Noise,
         {{kBrowserOctaves, L"9"}},
         "Octaves expects a whole number from 1 to 8"},
        {"scale of 0", MapKind::Checker, {{kBrowserScale, L"0"}}, "Scale expects a number above 0"},
        {"colour in words",
         MapKind::Checker,
         {{kBrowserColor2, L"red"}},
         "Colour 2 expects r g b or r g b a"},
        {"one stop",
         MapKind::Gradient,
         {{kBrowserStops, L"1 1 1"}},
         "Colours expects 2 to 256 lines"},
        {"huge bump", MapKind::Noise, {{kBrowserBump, L"1e39"}}, "Bump expects a number"},
        {"missing bitmap", MapKind::Bitmap, {{kBrowserFile, missing.c_str()}}, "no such file"},
        {"bitmap not a picture",
         MapKind::Bitmap,
         {{kBrowserFile, notPicture.c_str()}},
         "not-a-picture.png"},
        {"bitmap of another format", MapKind::Bitmap, {{kBrowserFile, bmp.c_str()}}, "logo.bmp"},
        {"none", MapKind::None, {}, nullptr},
    };
    WriteText(folder + "scene.json", R"({ "layers": [ {}, { "map": { "type": "checker" } } ] })");
    Open(folder + "scene.json", folder + "scene.scene");
    for (const BrowserCase& c : cases) {
        SCOPED_TRACE(c.name);
        Texmap* before = Root()->GetSubTexmap(2);
        const MapChoice was = ChoiceOf(before);
        std::wstring told;
        HWND browser = NULL;
        Answering(
            [&](HWND dialog) {
                if (!GetDlgItem(dialog, kBrowserKinds)) { // the message box
                    told = AllTexts(dialog);
                    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                    PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
                    return;
                }
                browser = dialog;
                SendDlgItemMessageW(dialog, kBrowserKinds, LB_SETCURSEL, (WPARAM)c.kind, 0);
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                             (LPARAM)GetDlgItem(dialog, kBrowserKinds));
                for (const auto& f : c.fields)
                    SetDlgItemTextW(dialog, f.first, f.second);
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            },
            [&] { ClickSlot(1, false); });
        ASSERT_NE(browser, nullptr);
        EXPECT_FALSE(IsWindow(browser));
        Texmap* now = Root()->GetSubTexmap(2);
        if (c.refused) {
            EXPECT_NE(told.find(Widen(c.refused)), std::wstring::npos) << Narrow(told);
            EXPECT_EQ(now, before);
            EXPECT_EQ(ChoiceOf(now).kind, was.kind);
            continue;
        }
        EXPECT_TRUE(told.empty()) << Narrow(told);
        EXPECT_EQ(ChoiceOf(now).kind, c.kind);
        if (c.holds) {
            EXPECT_TRUE(c.holds(ChoiceOf(now).params));
        }
    }
    EXPECT_EQ(Root()->GetSubTexmap(2), nullptr); // the last row's None
}

// The colours the browser's preview shows, as 0xRRGGBB, each once.
std::set<unsigned> PreviewColours(HWND browser)
{
    std::set<unsigned> colours;
    HBITMAP picture =
        (HBITMAP)SendDlgItemMessageW(browser, kBrowserPreview, STM_GETIMAGE, IMAGE_BITMAP, 0);
    DIBSECTION dib = {};
    if (!picture || GetObjectW(picture, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits)
        return colours;
    const std::uint8_t* bgrx = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
    for (int i = 0; i < dib.dsBm.bmWidth * dib.dsBm.bmHeight; ++i)
        colours.insert((unsigned)bgrx[i * 4 + 2] << 16 | (unsigned)bgrx[i * 4 + 1] << 8 |
                       bgrx[i * 4]);
    return colours;
}

// The preview follows the kind and the fields as they are typed, before OK.
TEST_F(EditTest, TheMapBrowserPreviewsTheMapAsItsFieldsAreTyped)
{
    const std::string folder = ScratchFolder("edit-preview");
    WriteText(folder + "scene.json", R"({ "layers": [ {}, {} ] })");
    Open(folder + "scene.json", folder + "scene.scene");
    std::set<unsigned> none, redBlue, greenBlue, constant;
    Answering(
        [&](HWND browser) {
            none = PreviewColours(browser);
            SendDlgItemMessageW(browser, kBrowserKinds, LB_SETCURSEL, (WPARAM)MapKind::Checker, 0);
            SendMessageW(browser, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(browser, kBrowserKinds));
            SetDlgItemTextW(browser, kBrowserColor1, L"1 0 0");
            SetDlgItemTextW(browser, kBrowserColor2, L"0 0 1");
            redBlue = PreviewColours(browser);
            SetDlgItemTextW(browser, kBrowserColor1, L"0 1 0");
            greenBlue = PreviewColours(browser);
            SetDlgItemTextW(browser, kBrowserColor1, L"not a colour"); // the last that read stays
            EXPECT_EQ(PreviewColours(browser), greenBlue);
            SendDlgItemMessageW(browser, kBrowserKinds, LB_SETCURSEL, (WPARAM)MapKind::Constant, 0);
            SendMessageW(browser, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(browser, kBrowserKinds));
            SetDlgItemTextW(browser, kBrowserColor1, L"1 1 1");
            constant = PreviewColours(browser);
            PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { ClickSlot(1, false); });
    EXPECT_EQ(none, (std::set<unsigned> {0x999999, 0xCCCCCC})); // the checker board alone
    EXPECT_EQ(redBlue, (std::set<unsigned> {0xFF0000, 0x0000FF}));
    EXPECT_EQ(greenBlue, (std::set<unsigned> {0x00FF00, 0x0000FF}));
    EXPECT_EQ(constant, (std::set<unsigned> {0xFFFFFF}));
    EXPECT_EQ(Root()->GetSubTexmap(2), nullptr); // Cancel: the slot unchanged
}

TEST_F(EditTest, ANestedLayeredTextureOpensForEditingAndLeadsBackToItsParent)
{
    const std::string folder = ScratchFolder("edit-nested");
    Open(SourcePath("examples/demo.json"), folder + "nested.scene");
    auto choose = [](MapKind kind) {
        return [kind](HWND browser) {
            SendDlgItemMessageW(browser, kBrowserKinds, LB_SETCURSEL, (WPARAM)kind, 0);
            SendMessageW(browser, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(browser, kBrowserKinds));
            PostMessageW(browser, WM_COMMAND, IDOK, 0);
        };
    };
    Answering(choose(MapKind::Layered), [&] { ClickSlot(3, true); }); // layer 3's mask
    Texmap* nested = Root()->GetSubTexmap(7);
    ASSERT_NE(LayersOf(nested), nullptr);
    EXPECT_EQ(session->Editor().Edited(), nested);
    EXPECT_EQ(session->Editor().Depth(), 1);

    // An edit inside reaches the scene: unsaved, and the slot renders the whole scene anew.
    session->WaitForPreview();
    const std::vector<std::uint8_t> before = session->SampleSlot().Codes();
    layers = session->Editor().Page(0);
    Answering(choose(MapKind::Noise), [&] { ClickSlot(0, false); });
    EXPECT_NE(PictureMapOf(nested->GetSubTexmap(0)), nullptr);
    session->WaitForPreview();
    EXPECT_NE(session->SampleSlot().Codes(), before);
    EXPECT_EQ(session->SampleSlot().Codes(), RenderCodes(Root()));

    // Back to the parent; its mask button opens the same texture again, not a new one.
    EXPECT_TRUE(session->Editor().GoToParent());
    EXPECT_EQ(session->Editor().Edited(), Root());
    layers = session->Editor().Page(0);
    Answering(choose(MapKind::Layered), [&] { ClickSlot(3, true); });
    EXPECT_EQ(session->Editor().Edited(), nested);
    EXPECT_TRUE(session->Save());
    SceneTexture reloaded = LoadAnyScene(TestHost(), folder + "nested.scene");
    EXPECT_TRUE(
        SameColor(EvalColorAt(reloaded.Get(), 0.3f, 0.6f), EvalColorAt(Root(), 0.3f, 0.6f)));
}

// ---- the sample slot's renders ------------------------------------------------------------------

TEST_F(EditTest, AnEditDuringARenderCancelsItAndTheNewRenderIsShown)
{
    const std::string folder = ScratchFolder("edit-cancel");
    // Heavy enough that a render takes a good while: eight layers of eight-octave noise.
    std::string layersJson;
    for (int i = 0; i < 8; ++i)
        layersJson += std::string(i ? "," : "") +
            R"({ "map": { "type": "noise", "octaves": 8, "scale": 30, "seed": )" +
            std::to_string(i) + R"( }, "mode": "Overlay" })";
    WriteText(folder + "slow.json", R"({ "layers": [ )" + layersJson + " ] }");
    Open(folder + "slow.json", folder + "slow.scene");
    Preview& slot = session->SampleSlot();
    session->WaitForPreview();
    const Preview::Counts opened = slot.RenderCounts();
    EXPECT_EQ(opened.finished, 1);
    // A render under way: the render thread has taken it up.
    slot.Render();
    for (int i = 0; i < 5000 && !slot.Running(); ++i)
        Sleep(1);
    ASSERT_TRUE(slot.Running());

    SelectMode(1, 2); // Overlay to Screen
    session->WaitForPreview();
    const Preview::Counts counts = slot.RenderCounts();
    EXPECT_EQ(counts.started, opened.started + 2);
    EXPECT_EQ(counts.cancelled, opened.cancelled + 1);
    EXPECT_EQ(counts.finished, opened.finished + 1);
    EXPECT_EQ(slot.Codes(), RenderCodes(Root()));

    // The slot's size follows the window's; so does the picture.
    RECT window;
    GetWindowRect(session->Window(), &window);
    SetWindowPos(session->Window(), NULL, 0, 0, 260, window.bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    session->WaitForPreview();
    RECT inside;
    GetClientRect(slot.Window(), &inside);
    EXPECT_LT(inside.right, 260);
    EXPECT_EQ(slot.PictureWidth(), inside.right);
    EXPECT_EQ(slot.PictureHeight(), inside.bottom);
}

// ---- undo and redo -----------------------------------------------------------------------------

// The scene's colour and bump at a few samples, bit for bit.
std::string Samples(Texmap* t)
{
    std::string s;
    for (float u : {0.1f, 0.45f, 0.8f})
        for (float v : {0.2f, 0.7f}) {
            const AColor c = EvalColorAt(t, u, v);
            const Point3 p = EvalPerturbAt(t, u, v);
            s.append(reinterpret_cast<const char*>(&c), sizeof c);
            s.append(reinterpret_cast<const char*>(&p), sizeof p);
        }
    return s;
}

TEST_F(EditTest, EveryEditUndoesBackToTheSceneAsOpenedAndRedoes)
{
    const std::string folder = ScratchFolder("edit-undo");
    Open(SourcePath("examples/demo.json"), folder + "undo.scene");
    std::vector<std::string> states {Samples(Root())};
    const std::vector<std::function<void()>> edits = {
        [&] { SelectMode(1, 2); },
        [&] { // Layers > Blend in Display Space > Layer 1, checked afterwards
            SendMessageW(session->Window(), WM_COMMAND, MAKEWPARAM(kEditBlendSpace + 1, 0), 0);
            EXPECT_EQ(LayersOf(Root())->GetBlendSpace(1), VORLITH_SPACE_DISPLAY);
            EXPECT_TRUE(
                GetMenuState(GetMenu(session->Window()), kEditBlendSpace + 1, MF_BYCOMMAND) &
                MF_CHECKED);
        },
        [&] { TypeOpacity(2, L"15"); },
        [&] { // the checker of layer 2 takes new colours in place
            Answering(
                [](HWND browser) {
                    SetDlgItemTextW(browser, kBrowserColor1, L"0 0 1");
                    PostMessageW(browser, WM_COMMAND, IDOK, 0);
                },
                [&] { ClickSlot(2, false); });
        },
        [&] { // a constant map in place of layer 1's
            Answering(
                [](HWND browser) {
                    SendDlgItemMessageW(browser, kBrowserKinds, LB_SETCURSEL,
                                        (WPARAM)MapKind::Constant, 0);
                    SendMessageW(browser, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                                 (LPARAM)GetDlgItem(browser, kBrowserKinds));
                    SetDlgItemTextW(browser, kBrowserColor1, L"1 0 0");
                    PostMessageW(browser, WM_COMMAND, IDOK, 0);
                },
                [&] { ClickSlot(1, false); });
        },
        [&] { SendDlgItemMessageW(layers, 1531, BM_CLICK, 0, 0); }, // Add: grey on top
        [&] { SendDlgItemMessageW(layers, 1532, BM_CLICK, 0, 0); }, // Delete
    };
    for (size_t i = 0; i < edits.size(); ++i) {
        edits[i]();
        PumpMessages();
        states.push_back(Samples(Root()));
        ASSERT_NE(states[i + 1], states[i]) << "edit " << i;
    }
    EXPECT_TRUE(session->Unsaved());
    for (size_t i = edits.size(); i > 0; --i) {
        PressCtrl('Z');
        EXPECT_EQ(Samples(Root()), states[i - 1]) << "undo to " << i - 1;
    }
    EXPECT_FALSE(session->Unsaved()) << "back to the scene as opened";
    EXPECT_EQ(TextOf(session->Window()), L"undo.scene - quiltra edit");
    for (size_t i = 1; i <= edits.size(); ++i) {
        PressCtrl('Y');
        EXPECT_EQ(Samples(Root()), states[i]) << "redo to " << i;
    }
    EXPECT_TRUE(session->Unsaved());
    session->WaitForPreview();
    EXPECT_EQ(session->SampleSlot().Codes(), RenderCodes(Root()));
}

} // namespace
