// quiltra shot: the material editor window of the host stand-in, showing the texture's dialog,
// captured as drawn (with a layer row's menu open, when asked).
#include "editor_shot.h"

#include "cli_rules.h"
#include "command_options.h"
#include "file_io.h"
#include "image_io.h"
#include "scene_build.h"

#include <imtl.h>
#include <host/mtl_editor.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <utility>

namespace quiltra {
namespace {

// The largest position a scroll bar message carries (16 bits, signed).
const int kMaxScroll = 32767;

std::string Lower(std::string s)
{
    for (char& c : s)
        c = (char)std::tolower((unsigned char)c);
    return s;
}

// The pages named by --open: each word names the page whose title holds it as a word
// ("output" is "Output", "layers" is "Map layers parameters").
std::vector<int> PagesToOpen(const host::MaterialEditorParams& editor, const std::string& list)
{
    std::vector<std::string> titles;
    for (int i = 0; i < editor.NumPages(); ++i)
        titles.push_back(" " + Lower(editor.PageTitle(i).ToUTF8()) + " ");
    std::vector<int> pages;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::string word = Lower(list.substr(start, end - start));
        start = end + 1;
        if (word.empty()) {
            if (end == list.size() && pages.empty() && list.empty()) break;
            throw InputError("--open: an empty rollout name in \"" + list + "\"");
        }
        auto it = std::find_if(titles.begin(), titles.end(), [&](const std::string& t) {
            return t.find(" " + word + " ") != std::string::npos;
        });
        if (it == titles.end())
            throw InputError("--open: no rollout called \"" + word +
                             "\" (layers, output or about)");
        pages.push_back((int)(it - titles.begin()));
    }
    return pages;
}

// The first vertical scroll bar among a page's controls.
HWND VerticalScrollBar(HWND page)
{
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(c, name, 32);
        if (_wcsicmp(name, L"ScrollBar") == 0 && (GetWindowLongW(c, GWL_STYLE) & SBS_VERT))
            return c;
    }
    return NULL;
}

} // namespace

void PumpMessages()
{
    MSG m;
    while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

BITMAPINFO TopDownBitmapInfo(int width, int height)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // rows from the top
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

namespace {

// w × h pixels of a device context, from its top left corner.
WindowPicture CaptureDC(HDC source, int w, int h)
{
    WindowPicture picture;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi = TopDownBitmapInfo(w, h);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, source, 0, 0, SRCCOPY);
        GdiFlush();
        picture.width = w;
        picture.height = h;
        picture.rgba.resize((size_t)w * (size_t)h * 4);
        const std::uint8_t* bgrx = static_cast<const std::uint8_t*>(bits);
        for (size_t i = 0; i < (size_t)w * (size_t)h; ++i) {
            picture.rgba[i * 4 + 0] = bgrx[i * 4 + 2];
            picture.rgba[i * 4 + 1] = bgrx[i * 4 + 1];
            picture.rgba[i * 4 + 2] = bgrx[i * 4 + 0];
            picture.rgba[i * 4 + 3] = 255;
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    return picture;
}

// The row menu as it shows: its window drawn whole, then closed.
struct MenuCapture {
    WindowPicture picture;
    RECT at = {0, 0, 0, 0};
    bool done = false;
};
MenuCapture* menuCapture = nullptr;

LRESULT CALLBACK CaptureMenuHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && menuCapture && !menuCapture->done && m->message == WM_ENTERIDLE &&
        m->wParam == MSGF_MENU) {
        HWND menu = IsWindow((HWND)m->lParam) ? (HWND)m->lParam : FindWindowW(L"#32768", NULL);
        if (menu && GetWindowRect(menu, &menuCapture->at)) {
            RedrawWindow(menu, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
            HDC dc = GetWindowDC(menu);
            menuCapture->picture = CaptureDC(dc, menuCapture->at.right - menuCapture->at.left,
                                             menuCapture->at.bottom - menuCapture->at.top);
            ReleaseDC(menu, dc);
        }
        menuCapture->done = true;
        EndMenu();
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// Copies a picture into a larger one at (x, y), clipped.
void Paste(WindowPicture& into, const WindowPicture& from, int x, int y)
{
    for (int row = 0; row < from.height; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= into.height) continue;
        for (int col = 0; col < from.width; ++col) {
            const int tx = x + col;
            if (tx < 0 || tx >= into.width) continue;
            for (int k = 0; k < 4; ++k)
                into.rgba[((size_t)ty * into.width + tx) * 4 + k] =
                    from.rgba[((size_t)row * from.width + col) * 4 + k];
        }
    }
}

// The editor window's client area with the menu of layer row `row` open over it, as a right
// click on the row's number field opens it.
WindowPicture CaptureWithRowMenu(HWND window, HWND layers, int row)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    WindowPicture editor = CaptureClientArea(window);
    // The rows' number fields: the shown custom edits furthest to the left, from the top.
    std::vector<std::pair<RECT, HWND>> edits;
    for (HWND c = GetWindow(layers, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(c, name, 32);
        RECT r;
        if (_wcsicmp(name, L"CustEdit") == 0 && IsWindowVisible(c) && GetWindowRect(c, &r))
            edits.push_back({r, c});
    }
    int leftmost = INT_MAX;
    for (const auto& e : edits)
        leftmost = std::min<int>(leftmost, e.first.left);
    std::vector<std::pair<RECT, HWND>> fields;
    for (const auto& e : edits)
        if (e.first.left == leftmost) fields.push_back(e);
    std::sort(fields.begin(), fields.end(),
              [](const std::pair<RECT, HWND>& a, const std::pair<RECT, HWND>& b) {
                  return a.first.top < b.first.top;
              });
    HWND field = row < (int)fields.size() ? fields[(size_t)row].second : NULL;
    if (!field) throw InputError("--menu: the editor shows no layer row " + std::to_string(row));
    RECT r;
    GetWindowRect(field, &r);
    MenuCapture capture;
    menuCapture = &capture;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CaptureMenuHook, NULL, GetCurrentThreadId());
    SendMessageW(field, WM_CONTEXTMENU, (WPARAM)field,
                 MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    UnhookWindowsHookEx(hook);
    menuCapture = nullptr;
    if (capture.picture.rgba.empty()) throw std::runtime_error("the row menu did not open");

    // One picture over both, the editor's client area at its place on the screen.
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int left = std::min<int>(origin.x, capture.at.left),
              top = std::min<int>(origin.y, capture.at.top);
    const int right = std::max<int>(origin.x + editor.width, capture.at.right);
    const int bottom = std::max<int>(origin.y + editor.height, capture.at.bottom);
    WindowPicture both;
    both.width = right - left;
    both.height = bottom - top;
    both.rgba.assign((size_t)both.width * both.height * 4, 255);
    Paste(both, editor, origin.x - left, origin.y - top);
    Paste(both, capture.picture, capture.at.left - left, capture.at.top - top);
    return both;
}

void WritePicture(const WindowPicture& picture, const std::string& output)
{
    OutputFiles files;
    files.Stage(output, EncodePngCodes(picture.width, picture.height, picture.rgba));
    files.Commit();
    std::fprintf(stderr, "wrote %s (%dx%d)\n", output.c_str(), picture.width, picture.height);
}

} // namespace

WindowPicture CaptureClientArea(HWND window)
{
    WindowPicture picture;
    RECT rc;
    if (!window || !GetClientRect(window, &rc) || rc.right <= 0 || rc.bottom <= 0) return picture;
    HDC source = GetDC(window);
    picture = CaptureDC(source, rc.right, rc.bottom);
    ReleaseDC(window, source);
    return picture;
}

CLI::App* AddShotCommand(CLI::App& app, ShotOptions& o)
{
    auto* shot = app.add_subcommand(
        "shot", "picture of the material editor with the texture's rollouts, as PNG");
    shot->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    shot->add_option("-o,--output", o.output, "PNG to write")->required();
    shot->add_option_function<std::string>(
        "--scroll",
        [&o](const std::string& t) {
            o.scroll = (int)WholeNumberOption("--scroll", t, 0, kMaxScroll);
        },
        "first layer the rows show (default 0)");
    shot->add_option("--open", o.open,
                     "rollouts to open besides the layer list, e.g. output,about");
    shot->add_option("--menu", o.menu,
                     "the layer row (0-5) whose menu shows open, as a right click opens it")
        ->check(CLI::Range(0, 5));
    return shot;
}

int RunShot(const std::string& pluginFolder, const ShotOptions& o)
{
    RequirePngName(o.output, "picture");
    Host host(pluginFolder);
    SceneTexture texture = LoadAnyScene(host, o.scene);

    // The editor goes before the texture (declared after it): its dialog ends first.
    host::MaterialEditorParams editor;
    if (!editor.Window())
        throw std::runtime_error("the material editor window cannot be made (is there a display?)");
    if (!editor.Edit(texture.Get()))
        throw std::runtime_error("the texture gives the material editor no dialog");
    for (int page : PagesToOpen(editor, o.open))
        editor.SetPageOpen(page, true);
    if (o.scroll > 0) {
        // As a user drags the layer list's scroll bar to the position.
        HWND layers = editor.Page(0);
        HWND bar = layers ? VerticalScrollBar(layers) : NULL;
        if (bar)
            SendMessageW(layers, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, o.scroll), (LPARAM)bar);
    }

    editor.FitToPages();
    SetWindowPos(editor.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    editor.Show();
    PumpMessages();
    if (o.menu >= 0) {
        WritePicture(CaptureWithRowMenu(editor.Window(), editor.Page(0), o.menu), o.output);
        return 0;
    }
    WriteWindowPicture(editor.Window(), o.output);
    return 0;
}

void WriteWindowPicture(HWND window, const std::string& output)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    WindowPicture picture = CaptureClientArea(window);
    if (picture.rgba.empty()) throw std::runtime_error("the window could not be read");
    OutputFiles files;
    files.Stage(output, EncodePngCodes(picture.width, picture.height, picture.rgba));
    files.Commit();
    std::fprintf(stderr, "wrote %s (%dx%d)\n", output.c_str(), picture.width, picture.height);
}

} // namespace quiltra
