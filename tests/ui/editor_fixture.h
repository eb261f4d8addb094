// What the editor tests share: a texture with its dialog open in the host's material editor,
// and the gestures of a user as window messages.
#pragma once

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "host/mtl_editor.h"
#include "resource.h"
#include "vorlith_fixture.h"

// Control ids of a row's controls (row 0; each row adds one, map and mask buttons two).
enum {
    kIndex = 1014,
    kUsed = 1517,
    kOpacityEdit = 1007,
    kOpacitySpin = 1001,
    kSwatch = 1100,
    kMode = 1200,
    kMap = 1550,
    kMapEnabled = 1511,
    kMask = 1551,
    kMaskEnabled = 1523,
    kFrame = 1021
};

// The text of a window.
std::wstring Text(HWND h);

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A texture of n layers with its dialog open; the pages are those of the dialog.
    void Open(int layers);
    IVorlithLayers* L() { return Layers(tex); }

    HWND Item(int id) const { return GetDlgItem(panel, id); }
    static bool Shown(HWND h) { return h && (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0; }
    // The number the layer count display shows.
    int CountShown() const;

    void Click(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }
    // Text typed into a custom edit, then Enter.
    static void Type(HWND page, int id, const wchar_t* text);
    // A spinner's button pressed (upper half: up) and released.
    static void SpinUp(HWND page, int id);
    void SelectMode(int row, int item, int notification = CBN_SELCHANGE);
    void Scroll(int code, int position = 0);
    // Ctrl held (or let go) as the keyboard state tells it.
    static void HoldCtrl(bool down);
    // Messages posted to this thread handled now.
    static void Pump();

    host::MaterialEditorParams editor;
    Texmap* tex = nullptr;
    ParamDlg* dlg = nullptr;
    HWND panel = NULL, output = NULL, about = NULL;
};

// What a modal count dialog is answered with, and what it showed.
struct CountAnswer {
    const wchar_t* typed = nullptr; // typed into the number field (then Enter); null: nothing
    bool ok = true; // OK, else Cancel
    std::wstring title, initial, afterTyping;
    int opened = 0;
};
// Runs action (a click that opens a count dialog); the dialog is answered from a hook as it
// opens.
void AnswerCountDialog(CountAnswer& answer, const std::function<void()>& action);
