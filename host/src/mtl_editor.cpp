// The material editor's window: a program's sample slot at the top, a bar naming the map edited
// (with "Go to Parent"), and below it the rollup panel with the map's pages (rollup_panel.cpp).
#include "host/mtl_editor.h"

#include <algorithm>

#include "custcont.h"
#include "host_window_class.h"
#include "rollup_panel.h"

namespace host {

namespace {
const wchar_t kWindowClass[] = L"QuiltraHostMaterialEditor";

// Layout in pixels.
const int kBarHeight = 30; // the bar above the panel
const int kMargin = RollupPanel::kMargin;
const int kGap = RollupPanel::kGap;
const int kParentButtonId = 1;

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) KeepCreateParam(hwnd, lp);
    MaterialEditorParams* editor = WindowObject<MaterialEditorParams>(hwnd);
    if (editor) {
        LRESULT result = 0;
        if (editor->HandleMessage(msg, wp, lp, result)) return result;
        switch (msg) {
        case WM_TEXMAP_BUTTON:
            editor->OnTexmapButton((int)wp, reinterpret_cast<ReferenceTarget*>(lp));
            return 0;
        case WM_SIZE:
            editor->OnResize();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == kParentButtonId && HIWORD(wp) == BN_CLICKED) editor->GoToParent();
            return 0;
        case WM_CLOSE:
            // The program that owns the editor ends it; closing only takes it off the screen.
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
} // namespace

MaterialEditorParams::MaterialEditorParams()
    : window(NULL), panel(new RollupPanel), parentButton(NULL), nameLabel(NULL), sampleSlot(NULL),
      dlg(NULL), edited(NULL), mtlChanged(0), time(0)
{
    RegisterHostWindowClass(kWindowClass, EditorWindowProc);
    HINSTANCE self = GetModuleHandleW(NULL);
    window = CreateWindowExW(0, kWindowClass, L"Material Editor", WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, 400, 800, NULL, NULL, self, this);
    if (!window) return;
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    parentButton = CreateWindowExW(
        0, L"BUTTON", L"Go to Parent", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, kMargin,
        4, 90, kBarHeight - 8, window, (HMENU)(INT_PTR)kParentButtonId, self, NULL);
    nameLabel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP,
                                kMargin + 98, 8, 200, kBarHeight - 12, window, NULL, self, NULL);
    panel->Create(window, 0, kBarHeight, 400, 600);
    SendMessageW(parentButton, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageW(nameLabel, WM_SETFONT, (WPARAM)font, FALSE);
    OnResize();
}

MaterialEditorParams::~MaterialEditorParams()
{
    Close();
    if (window) DestroyWindow(window);
}

// Editing ----------------------------------------------------------------------------------------

ParamDlg* MaterialEditorParams::Edit(MtlBase* map)
{
    Close();
    Open(map);
    return dlg;
}

void MaterialEditorParams::Open(MtlBase* map)
{
    // The pages go before the dialog, so that they reach it with WM_DESTROY.
    panel->DestroyPages();
    if (dlg) {
        ParamDlg* d = dlg;
        dlg = NULL;
        d->DeleteThis();
    }
    edited = map;
    panel->ResetScrollPos();
    if (map && window) dlg = map->CreateParamDlg(window, this);
    ShowName();
    panel->Layout();
}

void MaterialEditorParams::Close()
{
    parents.clear();
    Open(NULL);
}

void MaterialEditorParams::MtlChanged()
{
    ++mtlChanged;
    if (mtlChangedHandler) mtlChangedHandler();
}

bool MaterialEditorParams::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    return messageHandler && messageHandler(msg, wp, lp, result);
}

BOOL MaterialEditorParams::GoToSubMap(int slot)
{
    if (!edited || slot < 0 || slot >= edited->NumSubTexmaps()) return FALSE;
    Texmap* sub = edited->GetSubTexmap(slot);
    if (!sub) return FALSE;
    parents.push_back(edited);
    Open(sub);
    return TRUE;
}

BOOL MaterialEditorParams::GoToParent()
{
    if (parents.empty()) return FALSE;
    MtlBase* parent = parents.back();
    parents.pop_back();
    Open(parent);
    return TRUE;
}

void MaterialEditorParams::ShowName()
{
    if (nameLabel) SetWindowTextW(nameLabel, edited ? edited->GetFullName().data() : L"");
    if (parentButton) EnableWindow(parentButton, parents.empty() ? FALSE : TRUE);
}

MaterialEditorParams::TexmapButtonRequest MaterialEditorParams::LastTexmapButton() const
{
    if (texmapButtons.empty()) return TexmapButtonRequest {NULL, -1};
    return texmapButtons.back();
}

void MaterialEditorParams::OnTexmapButton(int slot, ReferenceTarget* target)
{
    TexmapButtonRequest request {target, slot};
    texmapButtons.push_back(request);
    if (texmapButtonHandler) {
        texmapButtonHandler(request);
        return;
    }
    // Only a request about the map shown now is acted on: the message was posted, and a map
    // edited before may be gone by now (its pointer is compared, never followed).
    if (!edited || target != static_cast<ReferenceTarget*>(edited)) return;
    GoToSubMap(slot);
}

// Pages ------------------------------------------------------------------------------------------

HWND MaterialEditorParams::Panel() const { return panel->Window(); }
int MaterialEditorParams::NumPages() const { return panel->NumPages(); }
HWND MaterialEditorParams::Page(int i) const { return panel->Page(i); }
const MSTR& MaterialEditorParams::PageTitle(int i) const { return panel->PageTitle(i); }
HWND MaterialEditorParams::PageTitleBar(int i) const { return panel->PageTitleBar(i); }
bool MaterialEditorParams::IsPageOpen(int i) const { return panel->IsPageOpen(i); }
void MaterialEditorParams::SetPageOpen(int i, bool open) { panel->SetPageOpen(i, open); }
int MaterialEditorParams::ContentHeight() const { return panel->ContentHeight(); }

HWND MaterialEditorParams::PageContaining(HWND hwnd) const
{
    for (HWND h = hwnd; h && h != panel->Window() && h != window; h = GetParent(h))
        if (panel->IndexOf(h) >= 0) return h;
    return NULL;
}

HWND MaterialEditorParams::AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                                         const MCHAR* title, LPARAM param, DWORD flags, int)
{
    return panel->AddPage(hInst, dlgTemplate, dlgProc, title, param,
                          (flags & APPENDROLL_CLOSED) == 0);
}

HWND MaterialEditorParams::ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst,
                                             const MCHAR* dlgTemplate, DLGPROC dlgProc,
                                             const MCHAR* title, LPARAM param, DWORD flags,
                                             int category)
{
    const int at = panel->IndexOf(hOldRollup);
    if (at < 0) return AddRollupPage(hInst, dlgTemplate, dlgProc, title, param, flags, category);
    return panel->ReplacePage(at, hInst, dlgTemplate, dlgProc, title, param,
                              (flags & APPENDROLL_CLOSED) == 0);
}

void MaterialEditorParams::DeleteRollupPage(HWND hRollup)
{
    const int at = panel->IndexOf(hRollup);
    if (at >= 0) panel->DeletePage(at);
}

int MaterialEditorParams::IsRollupPanelOpen(HWND hwnd)
{
    return panel->IsPageOpen(panel->IndexOf(hwnd)) ? TRUE : FALSE;
}

int MaterialEditorParams::GetRollupScrollPos() { return panel->ScrollPos(); }

void MaterialEditorParams::SetRollupScrollPos(int spos) { panel->SetScrollPos(spos); }

// The window -------------------------------------------------------------------------------------

// The sample slot's square side: as wide as the window allows, at most half of what is left
// below the bar; its area adds a gap above and below. No area without a slot.
int MaterialEditorParams::SlotAreaHeight(int clientWidth, int clientHeight) const
{
    if (!sampleSlot) return 0;
    const int side = std::min(clientWidth - 2 * kMargin, (clientHeight - kBarHeight) / 2);
    return side > 0 ? side + 2 * kGap : 0;
}

void MaterialEditorParams::SetSampleSlot(HWND slot)
{
    sampleSlot = slot;
    OnResize();
}

void MaterialEditorParams::OnResize()
{
    if (!window || !panel->Window()) return;
    RECT rc;
    GetClientRect(window, &rc);
    const int top = SlotAreaHeight(rc.right, rc.bottom);
    if (sampleSlot) {
        const int side = std::max(0, top - 2 * kGap);
        SetWindowPos(sampleSlot, NULL, (rc.right - side) / 2, kGap, side, side,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(panel->Window(), NULL, 0, top + kBarHeight, rc.right,
                 std::max(0, (int)rc.bottom - top - kBarHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    if (parentButton)
        SetWindowPos(parentButton, NULL, kMargin, top + 4, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (nameLabel)
        SetWindowPos(nameLabel, NULL, kMargin + 98, top + 8,
                     std::max(10, (int)rc.right - kMargin - 98 - kMargin), kBarHeight - 12,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    panel->Layout();
}

void MaterialEditorParams::FitToPages()
{
    if (!window) return;
    panel->Layout();
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = 2 * kMargin + panel->PageWidth() + GetSystemMetrics(SM_CXVSCROLL);
    // The slot as wide as the pages: the panel below it then shows every page whole.
    const int slot = sampleSlot ? width - 2 * kMargin + 2 * kGap : 0;
    RECT r = {0, 0, width, slot + kBarHeight + panel->ContentHeight()};
    const DWORD style = (DWORD)GetWindowLongW(window, GWL_STYLE);
    AdjustWindowRectEx(&r, style, GetMenu(window) ? TRUE : FALSE,
                       (DWORD)GetWindowLongW(window, GWL_EXSTYLE));
    const int height = std::min((int)(r.bottom - r.top), (int)(area.bottom - area.top));
    SetWindowPos(window, NULL, 0, 0, r.right - r.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnResize();
}

void MaterialEditorParams::Show(bool show)
{
    if (!window) return;
    ShowWindow(window, show ? SW_SHOWNORMAL : SW_HIDE);
    if (show) UpdateWindow(window);
}

// Time and registered windows ------------------------------------------------------------------

void MaterialEditorParams::RegisterTimeChangeCallback(TimeChangeCallback* tc)
{
    if (tc && std::find(timeCallbacks.begin(), timeCallbacks.end(), tc) == timeCallbacks.end())
        timeCallbacks.push_back(tc);
}

void MaterialEditorParams::UnRegisterTimeChangeCallback(TimeChangeCallback* tc)
{
    timeCallbacks.erase(std::remove(timeCallbacks.begin(), timeCallbacks.end(), tc),
                        timeCallbacks.end());
}

void MaterialEditorParams::RegisterDlgWnd(HWND hDlg)
{
    if (hDlg && std::find(dialogs.begin(), dialogs.end(), hDlg) == dialogs.end())
        dialogs.push_back(hDlg);
}

int MaterialEditorParams::UnRegisterDlgWnd(HWND hDlg)
{
    auto it = std::find(dialogs.begin(), dialogs.end(), hDlg);
    if (it == dialogs.end()) return FALSE;
    dialogs.erase(it);
    return TRUE;
}

void MaterialEditorParams::ChangeTime(TimeValue t)
{
    time = t;
    std::vector<TimeChangeCallback*> callbacks = timeCallbacks;
    for (TimeChangeCallback* tc : callbacks)
        tc->TimeChanged(t);
}

} // namespace host
