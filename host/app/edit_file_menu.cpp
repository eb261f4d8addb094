// The edit window's File menu: New, Open... and Export PNG..., and the size dialog of the export.
#include "edit_file_menu.h"

#include "command_options.h"
#include "edit_window.h"
#include "editor_shot.h"
#include "file_io.h"
#include "image_io.h"
#include "render.h"

#include <hold.h>
#include <host/scene_file.h>

#include <commdlg.h>

#include <cwctype>

namespace quiltra {
namespace {

const int kMaxExportSide = 16384;
enum { kSizeField = 101 };

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path without its extension (a dot in the file name, not in a folder's).
std::string WithoutExtension(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\:");
    return dot != std::string::npos && (slash == std::string::npos || dot > slash)
        ? path.substr(0, dot)
        : path;
}

// A whole number of 1 to `most` digits-only (no sign, space or leading zero).
bool PlainNumber(const std::wstring& text, long long most, long long& value)
{
    if (text.empty() || text.size() > 9 || (text[0] == L'0' && text.size() > 1)) return false;
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return value <= most;
}

// ---- the size dialog, a template made in memory ----------------------------------------------

class Template {
public:
    void Word(WORD w) { words_.push_back(w); }
    void Long(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
    void Text(const wchar_t* s)
    {
        do
            Word((WORD)*s);
        while (*s++);
    }
    void Align()
    {
        if (words_.size() % 2) Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const wchar_t* text)
    {
        Align();
        Long(style | WS_CHILD | WS_VISIBLE);
        Long(0);
        Word((WORD)x), Word((WORD)y), Word((WORD)cx), Word((WORD)cy);
        Word(id);
        Word(0xffff), Word(atom); // a predefined class
        Text(text);
        Word(0); // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

struct SizeAsk {
    int width, height;
};

INT_PTR CALLBACK SizeDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    SizeAsk* ask = reinterpret_cast<SizeAsk*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        ask = reinterpret_cast<SizeAsk*>(lp);
        const std::wstring size = std::to_wstring(ask->width) + L"x" + std::to_wstring(ask->height);
        SetDlgItemTextW(dialog, kSizeField, size.c_str());
        SendDlgItemMessageW(dialog, kSizeField, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            wchar_t text[64] = {};
            GetDlgItemTextW(dialog, kSizeField, text, 64);
            std::wstring why;
            if (!ParseExportSize(text, ask->width, ask->height, why)) {
                MessageBoxW(dialog, why.c_str(), L"Export PNG", MB_OK | MB_ICONWARNING);
                SetFocus(GetDlgItem(dialog, kSizeField));
                return TRUE;
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

bool AskPath(HWND owner, bool save, const std::string& start, const wchar_t* filter,
             const wchar_t* extension, const wchar_t* title, std::string& path)
{
    std::wstring name = Widen(start);
    name.resize(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = &name[0];
    ofn.nMaxFile = (DWORD)name.size();
    ofn.lpstrDefExt = extension;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
        (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    path = Narrow(name.c_str());
    return true;
}

} // namespace

void AddFileMenuCommands(HMENU file)
{
    InsertMenuW(file, 0, MF_BYPOSITION | MF_STRING, kEditNew, L"&New\tCtrl+N");
    InsertMenuW(file, 1, MF_BYPOSITION | MF_STRING, kEditOpen, L"&Open...\tCtrl+O");
    InsertMenuW(file, 2, MF_BYPOSITION | MF_SEPARATOR, 0, NULL);
    // Before the separator above Close.
    const int close = GetMenuItemCount(file) - 1;
    InsertMenuW(file, close - 1, MF_BYPOSITION | MF_STRING, kEditExportPng, L"&Export PNG...");
}

bool ParseExportSize(const std::wstring& text, int& width, int& height, std::wstring& why)
{
    std::wstring t = text;
    while (!t.empty() && std::iswspace(t.back()))
        t.pop_back();
    while (!t.empty() && std::iswspace(t.front()))
        t.erase(0, 1);
    const size_t x = t.find_first_of(L"xX");
    long long w = 0, h = 0;
    if (x == std::wstring::npos || !PlainNumber(t.substr(0, x), 1ll << 30, w) ||
        !PlainNumber(t.substr(x + 1), 1ll << 30, h)) {
        why = L"Type the size as WIDTHxHEIGHT in pixels, for example 1024x1024.";
        return false;
    }
    if (w < 1 || h < 1 || w > kMaxExportSide || h > kMaxExportSide || w * h > kMaxPicturePixels) {
        why = L"The size must be 1x1 to " + std::to_wstring(kMaxExportSide) + L" per side and " +
            std::to_wstring(kMaxPicturePixels) + L" pixels in all (8192x8192).";
        return false;
    }
    width = (int)w;
    height = (int)h;
    return true;
}

bool AskExportSize(HWND owner, int& width, int& height)
{
    Template t;
    t.Long(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Long(0);
    t.Word(4); // controls
    t.Word(0), t.Word(0), t.Word(186), t.Word(46);
    t.Word(0), t.Word(0); // no menu, the standard class
    t.Text(L"Export PNG");
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT, 7, 9, 64, 9, (WORD)-1, 0x0082, L"&Size in pixels:");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 74, 7, 105, 13, kSizeField, 0x0081, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 75, 26, 50, 14, IDOK, 0x0080, L"Export");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 129, 26, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    SizeAsk ask = {width, height};
    if (DialogBoxIndirectParamW(GetModuleHandleW(NULL), t.Get(), owner, SizeDialogProc,
                                reinterpret_cast<LPARAM>(&ask)) != IDOK)
        return false;
    width = ask.width;
    height = ask.height;
    return true;
}

// ---- the session's side ------------------------------------------------------------------------

bool EditSession::MayDiscard()
{
    TakeTypedValue();
    if (!Unsaved()) return true;
    const std::string& file = savePath_.empty() ? scenePath_ : savePath_;
    const std::wstring question =
        L"Save the changes to " + (file.empty() ? L"Untitled" : Widen(FileNameOf(file))) + L"?";
    const int answer =
        MessageBoxW(Window(), question.c_str(), L"quiltra edit", MB_YESNOCANCEL | MB_ICONWARNING);
    return answer == IDNO || (answer == IDYES && Save());
}

// The editor shows the new scene as it showed the first: opened, sized, its first render asked
// for, and the changes counted from there.
void EditSession::Replace(SceneTexture scene, const std::string& scenePath, bool sceneIsJson)
{
    scene_.SetChangeHandler(nullptr);
    editor_.SetMtlChangedHandler(nullptr);
    editor_.Close(); // the dialog reads the scene it shows
    theHold.ClearHistory(); // its steps hold the old scene's objects
    scene_.Hold(scene.Release()); // the old scene goes with its last reference
    scenePath_ = scenePath;
    sceneIsJson_ = sceneIsJson;
    savePath_.clear();
    editor_.Edit(scene_.Root());
    editor_.FitToPages();
    if (preview_) preview_->Invalidate();
    PumpMessages();
    editor_.SetMtlChangedHandler([this] { NoteChange(); });
    scene_.SetChangeHandler([this] { NoteChange(); });
    MarkSaved(SaveSceneBytes(scene_.Root()));
    UpdateMenu();
}

bool EditSession::NewScene()
{
    if (!MayDiscard()) return false;
    Replace(SceneTexture(host_.CreateLayeredTexture()), std::string(), false);
    return true;
}

bool EditSession::Open()
{
    std::string path;
    return AskPath(Window(), false, std::string(),
                   L"Scenes (*.scene, *.json)\0*.scene;*.json\0All files\0*.*\0", L"scene",
                   L"Open a scene", path) &&
        OpenFile(path);
}

bool EditSession::OpenFile(const std::string& path)
{
    // Read whole first: a file that does not load leaves the scene shown as it is.
    SceneTexture texture;
    bool json = false;
    try {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
        json = !host::IsSceneFile(bytes.data(), bytes.size());
        texture = LoadSceneBytes(host_, bytes, path);
    } catch (const std::exception& e) {
        MessageBoxW(Window(), Widen(e.what()).c_str(), L"Open", MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!MayDiscard()) return false;
    Replace(std::move(texture), path, json);
    return true;
}

bool EditSession::ExportPng()
{
    TakeTypedValue();
    int width = exportWidth_, height = exportHeight_;
    if (!AskExportSize(Window(), width, height)) return false;
    exportWidth_ = width;
    exportHeight_ = height;
    const std::string& file = savePath_.empty() ? scenePath_ : savePath_;
    std::string path;
    return AskPath(Window(), true, file.empty() ? "untitled.png" : WithoutExtension(file) + ".png",
                   L"PNG pictures (*.png)\0*.png\0", L"png", L"Export PNG", path) &&
        ExportPngTo(path, width, height);
}

bool EditSession::ExportPngTo(const std::string& path, int width, int height)
{
    TakeTypedValue();
    HCURSOR was = SetCursor(LoadCursorW(NULL, IDC_WAIT));
    try {
        RequirePngName(path, "picture");
        if ((!scenePath_.empty() && SameFile(path, scenePath_)) ||
            (!savePath_.empty() && SameFile(path, savePath_)))
            throw InputError(path + ": would overwrite the scene file");
        // As `render` renders: the slot's channel, every core, the codes made by the threads.
        RenderSettings rs;
        rs.width = width;
        rs.height = height;
        rs.threads = HardwareThreads();
        const bool bump = preview_ && preview_->Channel() == PreviewChannel::Bump;
        rs.channel = bump ? RenderChannel::Perturb : RenderChannel::Color;
        std::vector<std::uint8_t> codes;
        if (!bump) rs.pngCodes = &codes;
        FloatImage image = RenderTexture(scene_.Root(), rs);
        OutputFiles files;
        files.Stage(path,
                    bump ? EncodePng(ShadePerturbation(image))
                         : EncodePngCodes(width, height, codes));
        files.Commit();
    } catch (const std::exception& e) {
        SetCursor(was);
        MessageBoxW(Window(), Widen(e.what()).c_str(), L"Export PNG", MB_OK | MB_ICONWARNING);
        return false;
    }
    SetCursor(was);
    return true;
}

} // namespace quiltra
