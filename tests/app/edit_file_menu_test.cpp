// quiltra edit's File menu under the test display: a new texture, another scene opened in the
// window (and a file that does not load refused, the scene shown kept), the PNG export against
// `quiltra render`, and the export's size typed into its dialog.
#include "app_test_support.h"
#include "edit_file_menu.h"
#include "edit_window.h"
#include "editor_shot.h"
#include "file_io.h"

#include <hold.h>
#include <ivorlith.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace quiltra;
using namespace quiltra_test;

namespace {

class FileMenuTest : public ::testing::Test {
protected:
    void Start()
    {
        session = std::make_unique<EditSession>(
            TestHost(), SceneTexture(TestHost().CreateLayeredTexture()), std::string(), false,
            std::string(), PreviewChannel::Color);
        ASSERT_NE(session->Window(), nullptr);
        session->Show();
    }
    void TearDown() override { session.reset(); }
    // A change through the texture's interface, as the rollouts make one.
    void Change()
    {
        LayersOf(session->Scene())->SetOpacity(0, 25.0f);
        session->Scene()->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
        PumpMessages();
    }
    std::unique_ptr<EditSession> session;
};

TEST_F(FileMenuTest, ANewTextureOfOneLayerReplacesTheSceneAfterAskingAboutChanges)
{
    Start();
    EXPECT_EQ(LayersOf(session->Scene())->GetNumLayers(), 1);
    EXPECT_EQ(TextOf(session->Window()), L"Untitled - quiltra edit");
    Change();
    ASSERT_TRUE(session->Unsaved());
    Texmap* before = session->Scene();

    // Cancel keeps the scene with its changes; No gives them up for a new texture.
    std::wstring asked;
    int answer = IDCANCEL;
    auto reply = [&](HWND box) {
        asked = AllTexts(box);
        PostMessageW(box, WM_COMMAND, answer, 0);
    };
    Answering(reply, [&] { SendMessageW(session->Window(), WM_COMMAND, kEditNew, 0); });
    EXPECT_NE(asked.find(L"Save the changes to Untitled?"), std::wstring::npos) << asked;
    EXPECT_EQ(session->Scene(), before);
    EXPECT_TRUE(session->Unsaved());
    answer = IDNO;
    Answering(reply, [&] { SendMessageW(session->Window(), WM_COMMAND, kEditNew, 0); });
    EXPECT_NE(session->Scene(), before);
    EXPECT_EQ(LayersOf(session->Scene())->GetNumLayers(), 1);
    EXPECT_EQ(LayersOf(session->Scene())->GetOpacity(0), 100.0f);
    EXPECT_FALSE(session->Unsaved());
    EXPECT_EQ(theHold.GetUndoCount(), 0); // the old scene's steps are gone with it
    EXPECT_EQ(TextOf(session->Window()), L"Untitled - quiltra edit");
    // The editor shows the new scene and edits reach it.
    EXPECT_EQ(session->Editor().Edited(), static_cast<MtlBase*>(session->Scene()));
    Change();
    EXPECT_TRUE(session->Unsaved());
    session->WaitForPreview();
}

TEST_F(FileMenuTest, OpenShowsTheFilesSceneAndAFileThatDoesNotLoadChangesNothing)
{
    const std::string folder = ScratchFolder("file-menu-open");
    ASSERT_EQ(
        RunQuiltra({"save", SourcePath("examples/nested.json"), folder + "nested.scene"}).status,
        0);
    WriteText(folder + "broken.scene", "QLTSCENE broken");
    Start();
    Texmap* before = session->Scene();
    std::wstring told;
    Answering(
        [&](HWND box) {
            told = AllTexts(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        },
        [&] { EXPECT_FALSE(session->OpenFile(folder + "broken.scene")); });
    EXPECT_NE(told.find(L"broken.scene"), std::wstring::npos) << told;
    EXPECT_EQ(session->Scene(), before);

    ASSERT_TRUE(session->OpenFile(folder + "nested.scene")); // nothing unsaved: no question
    EXPECT_EQ(TextOf(session->Window()), L"nested.scene - quiltra edit");
    EXPECT_FALSE(session->Unsaved());
    SceneTexture expected = LoadAnyScene(TestHost(), folder + "nested.scene");
    for (float u : {0.1f, 0.45f, 0.8f})
        for (float v : {0.2f, 0.7f}) {
            const AColor a = EvalColorAt(session->Scene(), u, v),
                         b = EvalColorAt(expected.Get(), u, v);
            EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << u << ", " << v;
        }
    session->WaitForPreview();
}

TEST_F(FileMenuTest, ExportWritesWhatRenderWritesAtTheSizeAsked)
{
    const std::string folder = ScratchFolder("file-menu-export");
    ASSERT_EQ(RunQuiltra({"save", SourcePath("examples/demo.json"), folder + "demo.scene"}).status,
              0);
    Start();
    ASSERT_TRUE(session->OpenFile(folder + "demo.scene"));
    ASSERT_TRUE(session->ExportPngTo(folder + "export.png", 48, 32));
    ASSERT_EQ(RunQuiltra(
                  {"render", folder + "demo.scene", "-o", folder + "render.png", "--size", "48x32"})
                  .status,
              0);
    EXPECT_EQ(ReadBytes(folder + "export.png"), ReadBytes(folder + "render.png"));
    // Never over the scene, never under another name than .png.
    for (const std::string& bad : {folder + "demo.scene", folder + "export.jpg"}) {
        std::wstring told;
        Answering(
            [&](HWND box) {
                told = AllTexts(box);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            },
            [&] { EXPECT_FALSE(session->ExportPngTo(bad, 8, 8)); });
        EXPECT_FALSE(told.empty()) << bad;
    }
    EXPECT_FALSE(Exists(folder + "export.jpg"));
    session->WaitForPreview();
}

TEST(FileMenu, EditWithoutASceneStartsOnANewTextureAndAnEmptyNameIsNoFile)
{
    const std::string folder = ScratchFolder("file-menu-cli");
    RunResult r = RunQuiltra({"edit", "--shot", folder + "new.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Exists(folder + "new.png"));
    r = RunQuiltra({"edit", "", "--shot", folder + "empty.png"});
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_FALSE(Exists(folder + "empty.png"));
}

TEST(FileMenu, ExportSizesAreReadAsRenderReadsThem)
{
    struct Row {
        const wchar_t* text;
        int width, height; // 0: refused
    };
    const Row rows[] = {
        {L"512x512", 512, 512},
        {L" 1024X768 ", 1024, 768},
        {L"1x1", 1, 1},
        {L"16384x4096", 16384, 4096},
        {L"8192x8192", 8192, 8192},
        {L"8193x8192", 0, 0},
        {L"16385x1", 0, 0},
        {L"0x5", 0, 0},
        {L"05x5", 0, 0},
        {L"-5x5", 0, 0},
        {L"5x", 0, 0},
        {L"x5", 0, 0},
        {L"5 x 5", 0, 0},
        {L"99999999999x1", 0, 0},
        {L"", 0, 0},
        {L"512", 0, 0},
    };
    for (const Row& r : rows) {
        int w = -1, h = -1;
        std::wstring why;
        const bool ok = ParseExportSize(r.text, w, h, why);
        EXPECT_EQ(ok, r.width > 0) << std::string(r.text, r.text + wcslen(r.text));
        if (ok) {
            EXPECT_EQ(w, r.width);
            EXPECT_EQ(h, r.height);
        } else {
            EXPECT_FALSE(why.empty());
        }
    }
}

TEST(FileMenu, TheSizeDialogRefusesABadSizeAndTakesAGoodOne)
{
    int width = 300, height = 200;
    HWND dialog = NULL;
    std::wstring shown, told;
    Answering(
        [&](HWND w) {
            if (!dialog) { // the size dialog: a bad size first
                dialog = w;
                wchar_t text[64] = {};
                GetDlgItemTextW(w, 101, text, 64);
                shown = text;
                SetDlgItemTextW(w, 101, L"20000x20");
                PostMessageW(w, WM_COMMAND, IDOK, 0);
                return;
            }
            told = AllTexts(w); // the refusal; then a good size
            PostMessageW(w, WM_COMMAND, IDOK, 0);
            SetDlgItemTextW(dialog, 101, L"640x360");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        },
        [&] { EXPECT_TRUE(AskExportSize(NULL, width, height)); });
    EXPECT_EQ(shown, L"300x200");
    EXPECT_NE(told.find(L"16384 per side"), std::wstring::npos)
        << std::string(told.begin(), told.end());
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 360);

    Answering([](HWND w) { PostMessageW(w, WM_COMMAND, IDCANCEL, 0); },
              [&] { EXPECT_FALSE(AskExportSize(NULL, width, height)); });
    EXPECT_EQ(width, 640);
}

} // namespace
