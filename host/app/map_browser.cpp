#include "map_browser.h"

#include "cli_rules.h"
#include "file_io.h"
#include "image_io.h"
#include "picture_maps.h"
#include "scene_build.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

namespace quiltra {

MapChoice ChoiceOf(Texmap* map)
{
    MapChoice c;
    if (!map) return c;
    if (LayersOf(map)) {
        c.kind = MapKind::Layered;
    } else if (PictureMap* p = PictureMapOf(map)) {
        c.kind = (MapKind)((int)p->Kind() + (int)MapKind::Constant);
        c.params = p->Params();
    } else {
        c.kind = MapKind::Other;
    }
    return c;
}

std::wstring MapBrowserTitle(const std::wstring& slotName) { return L"Map Browser: " + slotName; }

namespace {

const wchar_t* const kKindNames[] = {L"None",  L"Constant", L"Checker",        L"Gradient",
                                     L"Noise", L"Bitmap",   L"Layered texture"};
const int kListedKinds = 7;

// One row of parameters: its label, its field and the field's button, if any.
struct Row {
    int field;
    const wchar_t* label;
    int height; // dialog units
    int button; // 0: none
    const wchar_t* buttonText;
};
const Row kRows[] = {
    {kBrowserColor1, L"Colour 1:", 12, kBrowserColor1Pick, L"..."},
    {kBrowserColor2, L"Colour 2:", 12, kBrowserColor2Pick, L"..."},
    {kBrowserStops, L"Colours:", 48, 0, nullptr},
    {kBrowserScale, L"Scale:", 12, 0, nullptr},
    {kBrowserOctaves, L"Octaves:", 12, 0, nullptr},
    {kBrowserSeed, L"Seed:", 12, 0, nullptr},
    {kBrowserDirection, L"Direction:", 12, 0, nullptr},
    {kBrowserPerturb, L"Perturbation:", 12, 0, nullptr},
    {kBrowserFile, L"File:", 12, kBrowserFileBrowse, L"Browse..."},
    {kBrowserLinear, nullptr, 12, 0, nullptr},
    {kBrowserBump, L"Bump:", 12, 0, nullptr},
};
const int kLabelOffset = 1000; // a row's label has the id of its field plus this

// The rows each kind shows, in the order of kRows.
std::vector<int> FieldsOf(MapKind kind)
{
    switch (kind) {
    case MapKind::Constant:
        return {kBrowserColor1, kBrowserPerturb};
    case MapKind::Checker:
        return {kBrowserColor1, kBrowserColor2, kBrowserScale, kBrowserBump};
    case MapKind::Gradient:
        return {kBrowserStops, kBrowserDirection, kBrowserBump};
    case MapKind::Noise:
        return {kBrowserColor1,  kBrowserColor2, kBrowserScale,
                kBrowserOctaves, kBrowserSeed,   kBrowserBump};
    case MapKind::Bitmap:
        return {kBrowserFile, kBrowserLinear, kBrowserBump};
    default:
        return {};
    }
}

const wchar_t* NoteOf(MapKind kind, bool slotIsLayered)
{
    switch (kind) {
    case MapKind::None:
        return L"Empties the slot.";
    case MapKind::Constant:
        return L"Colour: r g b or r g b a, linear. Perturbation: x y z, what bump answers.";
    case MapKind::Checker:
        return L"Colours: r g b or r g b a, linear. Scale: squares across.";
    case MapKind::Gradient:
        return L"One colour per line (r g b or r g b a), 2 to 256, evenly spaced.";
    case MapKind::Noise:
        return L"Scale: features across. Octaves: 1 to 8.";
    case MapKind::Bitmap:
        return L"A PNG, JPEG or OpenEXR picture, tiled over u and v.";
    case MapKind::Layered:
        return slotIsLayered
            ? L"OK opens the slot's layered texture for editing; Go to Parent comes back."
            : L"A new layered texture in the slot, opened for editing; Go to Parent "
              L"comes back.";
    default:
        return L"";
    }
}

// ---- texts of values ----------------------------------------------------------------------------

// The shortest text that reads back as the same float.
std::wstring FormatFloat(float f)
{
    wchar_t text[64] = {};
    for (int precision = 6; precision <= 9; ++precision) {
        std::swprintf(text, 64, L"%.*g", precision, (double)f);
        if ((float)std::wcstod(text, nullptr) == f) break;
    }
    return text;
}

std::wstring FormatNumbers(const float* v, int n)
{
    std::wstring s;
    for (int i = 0; i < n; ++i)
        s += (i ? L" " : L"") + FormatFloat(v[i]);
    return s;
}

// Numbers apart by blanks or commas, each finite and within the float range; false when any
// part is something else.
bool ReadNumbers(const std::wstring& text, std::vector<float>& out)
{
    out.clear();
    std::wstring t = text;
    for (wchar_t& c : t)
        if (c == L',' || c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    const wchar_t* p = t.c_str();
    for (;;) {
        while (*p == L' ')
            ++p;
        if (!*p) return true;
        wchar_t* end = nullptr;
        const double d = std::wcstod(p, &end);
        if (end == p || (*end && *end != L' ')) return false;
        if (!std::isfinite(d) || std::fabs(d) > (double)FLT_MAX) return false;
        out.push_back((float)d);
        p = end;
    }
}

// A field's text as a message repeats it: on one line, and cut short when long.
std::string Quoted(const std::wstring& text)
{
    const size_t most = 60;
    std::wstring shown = text.size() > most ? text.substr(0, most - 3) : text;
    return "\"" + OneLine(Narrow(shown)) + (text.size() > most ? "...\"" : "\"");
}

std::array<float, 4> ReadColor(const std::wstring& text, const char* what)
{
    std::vector<float> v;
    if (!ReadNumbers(text, v) || v.size() < 3 || v.size() > 4)
        throw InputError(std::string(what) + " expects r g b or r g b a, found " + Quoted(text));
    return {v[0], v[1], v[2], v.size() == 4 ? v[3] : 1.0f};
}

float ReadNumber(const std::wstring& text, const char* what)
{
    std::vector<float> v;
    if (!ReadNumbers(text, v) || v.size() != 1)
        throw InputError(std::string(what) + " expects a number, found " + Quoted(text));
    return v[0];
}

long ReadWhole(const std::wstring& text, long low, long high, const char* what)
{
    wchar_t* end = nullptr;
    errno = 0;
    const long n = std::wcstol(text.c_str(), &end, 10);
    while (end && *end == L' ')
        ++end;
    if (end == text.c_str() || (end && *end) || errno == ERANGE || n < low || n > high)
        throw InputError(std::string(what) + " expects a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high) + ", found " + Quoted(text));
    return n;
}

// ---- the dialog ---------------------------------------------------------------------------------

struct Browser {
    MapChoice working; // the fields' values as last read
    MapKind shown = MapKind::Other;
    bool slotIsLayered = false;
    const std::function<void(const MapChoice&)>* apply = nullptr;
    std::wstring title;
    PictureMap* previewMap = nullptr; // the map the preview shows, the browser's own
    int previewSize = 0; // pixels across and down
};

HWND Item(HWND dlg, int id) { return GetDlgItem(dlg, id); }

std::wstring TextOf(HWND dlg, int id)
{
    HWND h = Item(dlg, id);
    const int n = h ? GetWindowTextLengthW(h) : 0;
    std::wstring s((size_t)n + 1, L'\0');
    if (h) GetWindowTextW(h, &s[0], n + 1);
    s.resize((size_t)n);
    return s;
}

void SetText(HWND dlg, int id, const std::wstring& text) { SetDlgItemTextW(dlg, id, text.c_str()); }

// A rectangle in dialog units, in pixels.
RECT Pixels(HWND dlg, int x, int y, int w, int h)
{
    RECT r = {x, y, x + w, y + h};
    MapDialogRect(dlg, &r);
    return r;
}

HWND Make(HWND dlg, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id,
          RECT dlu)
{
    RECT r = Pixels(dlg, dlu.left, dlu.top, dlu.right, dlu.bottom);
    HWND h = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, dlg, (HMENU)(INT_PTR)id,
                             GetModuleHandleW(NULL), NULL);
    SendMessageW(h, WM_SETFONT, SendMessageW(dlg, WM_GETFONT, 0, 0), FALSE);
    return h;
}

// Dialog units of the layout.
const int kWidth = 300, kHeight = 160;
const int kRowsLeft = 92, kFieldLeft = 146, kFieldWidth = 112, kButtonWidth = 34, kRowGap = 4;

void MakeControls(HWND dlg)
{
    Make(dlg, L"STATIC", L"Map type:", 0, 0, -1, {7, 7, 78, 8});
    HWND list = Make(dlg, L"LISTBOX", L"", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                     kBrowserKinds, {7, 18, 78, 64});
    Make(dlg, L"STATIC", L"", SS_BITMAP | SS_SUNKEN, 0, kBrowserPreview, {7, 86, 78, 66});
    for (int k = 0; k < kListedKinds; ++k)
        SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)kKindNames[k]);
    for (const Row& row : kRows) {
        if (row.label)
            Make(dlg, L"STATIC", row.label, 0, 0, row.field + kLabelOffset, {0, 0, 52, 8});
        const int width = row.button ? kFieldWidth : kFieldWidth + kButtonWidth + 2;
        if (row.field == kBrowserDirection) {
            HWND combo = Make(dlg, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 0,
                              row.field, {0, 0, width, 60});
            for (const wchar_t* d : {L"u", L"v", L"radial"})
                SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)d);
        } else if (row.field == kBrowserLinear) {
            Make(dlg, L"BUTTON", L"Linear (colours not sRGB-decoded)", BS_AUTOCHECKBOX | WS_TABSTOP,
                 0, row.field, {0, 0, width, row.height});
        } else {
            const DWORD multi = row.field == kBrowserStops
                ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL
                : ES_AUTOHSCROLL;
            Make(dlg, L"EDIT", L"", multi | WS_TABSTOP, WS_EX_CLIENTEDGE, row.field,
                 {0, 0, width, row.height});
        }
        if (row.button)
            Make(dlg, L"BUTTON", row.buttonText, BS_PUSHBUTTON | WS_TABSTOP, 0, row.button,
                 {0, 0, kButtonWidth, row.height});
    }
    Make(dlg, L"STATIC", L"", 0, 0, kBrowserNote, {kRowsLeft, 0, kWidth - kRowsLeft - 7, 16});
    Make(dlg, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDOK,
         {kWidth - 114, kHeight - 21, 50, 14});
    Make(dlg, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL,
         {kWidth - 57, kHeight - 21, 50, 14});
}

void Place(HWND dlg, int id, int x, int y)
{
    HWND h = Item(dlg, id);
    if (!h) return;
    RECT at = Pixels(dlg, x, y, 0, 0);
    SetWindowPos(h, NULL, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(h, SW_SHOW);
}

// Shows the rows of a kind, one below the other, and the note under them.
void Arrange(HWND dlg, MapKind kind, bool slotIsLayered)
{
    const std::vector<int> fields = FieldsOf(kind);
    int y = 18;
    for (const Row& row : kRows) {
        const bool shown = std::find(fields.begin(), fields.end(), row.field) != fields.end();
        for (int id : {row.field, row.field + kLabelOffset, row.button})
            if (id && Item(dlg, id)) ShowWindow(Item(dlg, id), shown ? SW_SHOW : SW_HIDE);
        if (!shown) continue;
        if (row.label) Place(dlg, row.field + kLabelOffset, kRowsLeft, y + 2);
        Place(dlg, row.field, row.label ? kFieldLeft : kRowsLeft, y);
        if (row.button) Place(dlg, row.button, kFieldLeft + kFieldWidth + 2, y);
        y += row.height + kRowGap;
    }
    // A constant map has one colour.
    SetText(dlg, kBrowserColor1 + kLabelOffset,
            kind == MapKind::Constant ? L"Colour:" : L"Colour 1:");
    Place(dlg, kBrowserNote, kRowsLeft, y + 4);
    SetText(dlg, kBrowserNote, NoteOf(kind, slotIsLayered));
}

void LoadFields(HWND dlg, MapKind kind, const PictureParams& p)
{
    const std::array<float, 4>& first = kind == MapKind::Constant ? p.color : p.color1;
    SetText(dlg, kBrowserColor1, FormatNumbers(first.data(), 4));
    SetText(dlg, kBrowserColor2, FormatNumbers(p.color2.data(), 4));
    std::wstring stops;
    for (const auto& s : p.stops)
        stops += (stops.empty() ? L"" : L"\r\n") + FormatNumbers(s.data(), 4);
    SetText(dlg, kBrowserStops, stops);
    SetText(dlg, kBrowserScale, FormatFloat(p.scale));
    SetText(dlg, kBrowserOctaves, std::to_wstring(p.octaves));
    SetText(dlg, kBrowserSeed, std::to_wstring(p.seed));
    SendDlgItemMessageW(dlg, kBrowserDirection, CB_SETCURSEL, (WPARAM)p.direction, 0);
    SetText(dlg, kBrowserBump, FormatFloat(p.bump));
    SetText(dlg, kBrowserPerturb, FormatNumbers(p.perturb.data(), 3));
    SetText(dlg, kBrowserFile, Widen(p.file));
    CheckDlgButton(dlg, kBrowserLinear, p.linear ? BST_CHECKED : BST_UNCHECKED);
}

// Reads one field of a kind into p. Throws InputError naming the field when it does not read.
void ReadField(HWND dlg, MapKind kind, int f, PictureParams& p)
{
    {
        const std::wstring text = TextOf(dlg, f);
        switch (f) {
        case kBrowserColor1:
            (kind == MapKind::Constant ? p.color : p.color1) =
                ReadColor(text, kind == MapKind::Constant ? "Colour" : "Colour 1");
            break;
        case kBrowserColor2:
            p.color2 = ReadColor(text, "Colour 2");
            break;
        case kBrowserStops: {
            std::vector<std::array<float, 4>> stops;
            size_t start = 0;
            while (start <= text.size()) {
                size_t end = text.find(L'\n', start);
                if (end == std::wstring::npos) end = text.size();
                std::wstring line = text.substr(start, end - start);
                start = end + 1;
                if (line.find_first_not_of(L" \t\r") == std::wstring::npos) continue;
                stops.push_back(ReadColor(line, "Each line of Colours"));
            }
            if (stops.size() < 2 || stops.size() > kMaxGradientStops)
                throw InputError("Colours expects 2 to " + std::to_string(kMaxGradientStops) +
                                 " lines, one colour each; found " + std::to_string(stops.size()));
            p.stops = stops;
            break;
        }
        case kBrowserScale: {
            const float s = ReadNumber(text, "Scale");
            if (!(s > 0.0f))
                throw InputError("Scale expects a number above 0, found " + Quoted(text));
            p.scale = s;
            break;
        }
        case kBrowserOctaves:
            p.octaves = (int)ReadWhole(text, 1, 8, "Octaves");
            break;
        case kBrowserSeed:
            p.seed = (int)ReadWhole(text, INT_MIN, INT_MAX, "Seed");
            break;
        case kBrowserDirection: {
            const LRESULT d = SendDlgItemMessageW(dlg, kBrowserDirection, CB_GETCURSEL, 0, 0);
            p.direction = d >= 0 && d <= 2 ? (int)d : 0;
            break;
        }
        case kBrowserBump:
            p.bump = ReadNumber(text, "Bump");
            break;
        case kBrowserPerturb: {
            std::vector<float> v;
            if (!ReadNumbers(text, v) || v.size() != 3)
                throw InputError("Perturbation expects x y z, found " + Quoted(text));
            p.perturb = {v[0], v[1], v[2]};
            break;
        }
        case kBrowserFile: {
            const std::string file = Narrow(text);
            if (file.empty()) throw InputError("File: choose a PNG, JPEG or OpenEXR picture");
            // A new file is read here; the one the map holds is kept as it is (it may be gone
            // from the disk).
            if (file != p.file || p.image.empty()) {
                p.image = ReadFileBytes(file);
                p.file = file;
            }
            break;
        }
        case kBrowserLinear:
            p.linear = IsDlgButtonChecked(dlg, kBrowserLinear) == BST_CHECKED;
            break;
        }
    }
}

// Reads the fields a kind shows into p: all of them, or throws InputError for the first that
// does not read (p is then partly written: callers read into a copy). Leniently, fields that
// do not read are skipped and no file is read.
void ReadFields(HWND dlg, MapKind kind, PictureParams& p, bool lenient = false)
{
    for (int f : FieldsOf(kind)) {
        if (lenient && f == kBrowserFile) continue;
        try {
            ReadField(dlg, kind, f, p);
        } catch (const InputError&) {
            if (!lenient) throw;
        }
    }
}

MapKind SelectedKind(HWND dlg)
{
    const LRESULT i = SendDlgItemMessageW(dlg, kBrowserKinds, LB_GETCURSEL, 0, 0);
    return i >= 0 && i < kListedKinds ? (MapKind)i : MapKind::Other;
}

// The preview: the kind selected, with its fields as they read now (fields that do not read keep
// their last values), drawn as the picture maps evaluate it.
void UpdatePreview(HWND dlg, Browser& b)
{
    HWND view = Item(dlg, kBrowserPreview);
    if (!view) return;
    if (b.previewSize <= 0) {
        const RECT r = Pixels(dlg, 0, 0, 78, 66);
        b.previewSize = std::max<int>(8, std::min<int>(r.right, r.bottom) - 2);
    }
    const int n = b.previewSize;
    // Grey checker board first, 8-pixel squares: blue, green, red, unused.
    std::vector<std::uint8_t> bgrx((size_t)n * n * 4);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint8_t grey = ((x / 8 + y / 8) % 2) ? 204 : 153;
            for (int k = 0; k < 3; ++k)
                bgrx[((size_t)y * n + x) * 4 + k] = grey;
        }
    const MapKind kind = SelectedKind(dlg);
    if (kind >= MapKind::Constant && kind <= MapKind::Bitmap) {
        const PictureKind pictureKind = (PictureKind)((int)kind - (int)MapKind::Constant);
        if (b.previewMap && b.previewMap->Kind() != pictureKind) {
            b.previewMap->DeleteThis();
            b.previewMap = nullptr;
        }
        bool fresh = false;
        if (!b.previewMap) {
            b.previewMap = new PictureMap(pictureKind);
            fresh = true;
        }
        // From what the preview shows: a field that does not read keeps the value it showed,
        // and the picture of a bitmap is read again only for another file.
        PictureParams p = fresh ? b.working.params : b.previewMap->Params();
        ReadFields(dlg, kind, p, true);
        bool drawable = true;
        if (kind == MapKind::Bitmap) {
            try {
                ReadField(dlg, kind, kBrowserFile, p);
            } catch (const std::exception&) {
                drawable = false;
            }
        }
        const bool sameBitmap = !fresh && kind == MapKind::Bitmap &&
            p.file == b.previewMap->Params().file && p.linear == b.previewMap->Params().linear &&
            !p.image.empty();
        try {
            if (drawable && !sameBitmap) b.previewMap->SetParams(p);
        } catch (const std::exception&) {
            drawable = false;
        }
        if (kind == MapKind::Bitmap && b.previewMap->Params().image.empty()) drawable = false;
        for (int y = 0; drawable && y < n; ++y)
            for (int x = 0; x < n; ++x) {
                // As `render` samples: u across, v up.
                const AColor c = b.previewMap->ColorAt(((float)x + 0.5f) / (float)n,
                                                       ((float)(n - y) - 0.5f) / (float)n);
                const float a = std::isfinite(c.a) ? std::min(1.0f, std::max(0.0f, c.a)) : 1.0f;
                std::uint8_t* px = &bgrx[((size_t)y * n + x) * 4];
                const float channels[3] = {c.b, c.g, c.r};
                for (int k = 0; k < 3; ++k) {
                    const float under = px[k] / 255.0f;
                    const float over = SrgbByte(channels[k]) / 255.0f;
                    px[k] = (std::uint8_t)std::lround(255.0f * (over * a + under * (1.0f - a)));
                }
            }
    }
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = n;
    bi.bmiHeader.biHeight = -n;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!picture || !bits) {
        if (picture) DeleteObject(picture);
        return;
    }
    std::memcpy(bits, bgrx.data(), bgrx.size());
    GdiFlush();
    HBITMAP old = (HBITMAP)SendMessageW(view, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)picture);
    if (old && old != picture) DeleteObject(old);
}

void ReleasePreview(HWND dlg, Browser& b)
{
    HWND view = Item(dlg, kBrowserPreview);
    HBITMAP old = view ? (HBITMAP)SendMessageW(view, STM_SETIMAGE, IMAGE_BITMAP, 0) : NULL;
    if (old) DeleteObject(old);
    if (b.previewMap) b.previewMap->DeleteThis();
    b.previewMap = nullptr;
}

// Another kind chosen: what the old one's fields hold is kept where it reads (colours and
// scale carry over), then the new kind's rows show.
void OnKindChanged(HWND dlg, Browser& b)
{
    const MapKind kind = SelectedKind(dlg);
    if (kind == b.shown) return;
    ReadFields(dlg, b.shown, b.working.params, true);
    b.shown = kind;
    LoadFields(dlg, kind, b.working.params);
    Arrange(dlg, kind, b.slotIsLayered);
}

void PickColor(HWND dlg, int field)
{
    std::array<float, 4> c {0.0f, 0.0f, 0.0f, 1.0f};
    try {
        c = ReadColor(TextOf(dlg, field), "Colour");
    } catch (const InputError&) {
    }
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = dlg;
    cc.rgbResult = RGB(SrgbByte(c[0]), SrgbByte(c[1]), SrgbByte(c[2]));
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc)) return;
    c[0] = (float)SrgbDecode(GetRValue(cc.rgbResult) / 255.0);
    c[1] = (float)SrgbDecode(GetGValue(cc.rgbResult) / 255.0);
    c[2] = (float)SrgbDecode(GetBValue(cc.rgbResult) / 255.0);
    SetText(dlg, field, FormatNumbers(c.data(), 4));
}

void BrowseFile(HWND dlg)
{
    std::wstring name = TextOf(dlg, kBrowserFile);
    name.resize(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = L"Pictures (*.png, *.jpg, *.exr)\0*.png;*.jpg;*.jpeg;*.exr\0All files\0*.*\0";
    ofn.lpstrFile = &name[0];
    ofn.nMaxFile = (DWORD)name.size();
    ofn.lpstrTitle = L"Bitmap";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) SetText(dlg, kBrowserFile, name.c_str());
}

// OK: the fields read and the choice applied, or the reason why not in a message box.
void OnOk(HWND dlg, Browser& b)
{
    const MapKind kind = SelectedKind(dlg);
    if (kind == MapKind::Other) {
        EndDialog(dlg, IDCANCEL);
        return;
    }
    MapChoice choice = b.working;
    choice.kind = kind;
    try {
        ReadFields(dlg, kind, choice.params);
        (*b.apply)(choice);
    } catch (const InputError& e) {
        MessageBoxW(dlg, Widen(OneLine(e.what())).c_str(), b.title.c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    b.working = choice;
    EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK BrowserProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(dlg, GWLP_USERDATA, lp);
    Browser* b = reinterpret_cast<Browser*>(GetWindowLongPtrW(dlg, GWLP_USERDATA));
    if (!b) return FALSE;
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowTextW(dlg, b->title.c_str());
        MakeControls(dlg);
        const MapKind start = b->working.kind;
        SendDlgItemMessageW(dlg, kBrowserKinds, LB_SETCURSEL,
                            start == MapKind::Other ? (WPARAM)-1 : (WPARAM)start, 0);
        b->shown = start;
        LoadFields(dlg, start, b->working.params);
        Arrange(dlg, start, b->slotIsLayered);
        if (start == MapKind::Other)
            SetText(dlg, kBrowserNote, L"The slot holds a map of another kind; OK keeps it.");
        UpdatePreview(dlg, *b);
        SetFocus(Item(dlg, kBrowserKinds));
        return FALSE; // the focus is set
    }
    case WM_DESTROY:
        ReleasePreview(dlg, *b);
        return FALSE;
    case WM_COMMAND:
        // A field typed into, a direction or switch chosen, another kind: the preview follows.
        if ((HIWORD(wp) == EN_CHANGE || HIWORD(wp) == CBN_SELCHANGE || HIWORD(wp) == BN_CLICKED ||
             HIWORD(wp) == LBN_SELCHANGE) &&
            LOWORD(wp) >= kBrowserKinds && LOWORD(wp) < kBrowserPreview &&
            LOWORD(wp) != kBrowserFileBrowse && LOWORD(wp) != kBrowserColor1Pick &&
            LOWORD(wp) != kBrowserColor2Pick) {
            if (LOWORD(wp) == kBrowserKinds && HIWORD(wp) == LBN_SELCHANGE) OnKindChanged(dlg, *b);
            UpdatePreview(dlg, *b);
            if (LOWORD(wp) == kBrowserKinds) return TRUE;
        }
        switch (LOWORD(wp)) {
        case kBrowserKinds:
            if (HIWORD(wp) == LBN_SELCHANGE) OnKindChanged(dlg, *b);
            if (HIWORD(wp) == LBN_DBLCLK) OnOk(dlg, *b);
            return TRUE;
        case kBrowserColor1Pick:
            PickColor(dlg, kBrowserColor1);
            return TRUE;
        case kBrowserColor2Pick:
            PickColor(dlg, kBrowserColor2);
            return TRUE;
        case kBrowserFileBrowse:
            BrowseFile(dlg);
            return TRUE;
        case IDOK:
            OnOk(dlg, *b);
            return TRUE;
        case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// A dialog frame (title, font, no controls: they are made at WM_INITDIALOG), as the dialog
// functions take it: on a DWORD boundary.
std::vector<DWORD> FrameTemplate(short cx, short cy)
{
    std::vector<WORD> w;
    auto dword = [&w](DWORD d) {
        w.push_back(LOWORD(d));
        w.push_back(HIWORD(d));
    };
    auto text = [&w](const wchar_t* s) {
        for (; *s; ++s)
            w.push_back((WORD)*s);
        w.push_back(0);
    };
    dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dword(0); // extended style
    w.push_back(0); // controls
    w.push_back(0); // x
    w.push_back(0); // y
    w.push_back((WORD)cx);
    w.push_back((WORD)cy);
    w.push_back(0); // no menu
    w.push_back(0); // the dialog class
    text(L"Map Browser");
    w.push_back(8);
    text(L"MS Sans Serif");
    std::vector<DWORD> aligned((w.size() + 1) / 2, 0);
    std::memcpy(aligned.data(), w.data(), w.size() * sizeof(WORD));
    return aligned;
}

} // namespace

bool BrowseMap(HWND owner, const std::wstring& slotName, MapChoice& choice,
               const std::function<void(const MapChoice&)>& apply)
{
    Browser b;
    b.working = choice;
    b.slotIsLayered = choice.kind == MapKind::Layered;
    b.apply = &apply;
    b.title = MapBrowserTitle(slotName);
    const std::vector<DWORD> frame = FrameTemplate(kWidth, kHeight);
    const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(NULL),
                                              reinterpret_cast<LPCDLGTEMPLATEW>(frame.data()),
                                              owner, BrowserProc, reinterpret_cast<LPARAM>(&b));
    if (r != IDOK) return false;
    choice = b.working;
    return true;
}

} // namespace quiltra
