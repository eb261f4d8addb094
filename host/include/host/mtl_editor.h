// The material editor's side of a map's dialog, for host programs and tests: rollup pages are
// real modeless dialogs made from the map's dialog templates, stacked in one host window.
//
//   host::MaterialEditorParams editor;          // makes its (hidden) window
//   ParamDlg* dlg = tex->CreateParamDlg(editor.Window(), &editor);
//   HWND page = editor.Page(0);                  // send it messages
//   dlg->DeleteThis();                           // the dialog deletes its pages
#pragma once

#include <vector>

#include "../imtl.h"

namespace host {

class CoreExport MaterialEditorParams : public IMtlParams {
public:
    MaterialEditorParams();
    // Destroys pages still open and the window.
    ~MaterialEditorParams() override;

    HWND Window() const { return window; }
    int NumPages() const { return (int)pages.size(); }
    HWND Page(int i) const { return i >= 0 && i < (int)pages.size() ? pages[(size_t)i].hwnd : NULL; }
    // The title the page was added with.
    const MSTR& PageTitle(int i) const;
    int MtlChangedCount() const { return mtlChanged; }
    void SetTime(TimeValue t) { time = t; }

    void MtlChanged() override { ++mtlChanged; }
    // The page is CreateDialogParam(hInst, dlgTemplate, window, dlgProc, param); NULL when the
    // template or the dialog cannot be made.
    HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                       const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                       int category = ROLLUP_CAT_STANDARD) override;
    HWND ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst, const MCHAR* dlgTemplate,
                           DLGPROC dlgProc, const MCHAR* title, LPARAM param = 0,
                           DWORD flags = 0, int category = ROLLUP_CAT_STANDARD) override;
    void DeleteRollupPage(HWND hRollup) override;
    void RollupMouseMessage(HWND, UINT, WPARAM, LPARAM) override {}
    int IsRollupPanelOpen(HWND hwnd) override;
    int GetRollupScrollPos() override { return scrollPos; }
    void SetRollupScrollPos(int spos) override { scrollPos = spos; }
    void RegisterTimeChangeCallback(TimeChangeCallback* tc) override;
    void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) override;
    void RegisterDlgWnd(HWND hDlg) override;
    int UnRegisterDlgWnd(HWND hDlg) override;
    TimeValue GetTime() override { return time; }
    IRollupWindow* GetMtlEditorRollup() override { return NULL; }

    // Tells the registered callbacks of a new time.
    void ChangeTime(TimeValue t);

private:
    MaterialEditorParams(const MaterialEditorParams&) = delete;
    MaterialEditorParams& operator=(const MaterialEditorParams&) = delete;
    void Layout();

    struct PageInfo {
        HWND hwnd;
        MSTR title;
    };
    HWND window;
    std::vector<PageInfo> pages;
    std::vector<TimeChangeCallback*> timeCallbacks;
    std::vector<HWND> dialogs;
    int mtlChanged;
    int scrollPos;
    TimeValue time;
};

}  // namespace host
