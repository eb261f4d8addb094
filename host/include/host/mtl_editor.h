// The material editor's window, as a map's dialog sees it (IMtlParams) and as host programs and
// tests drive it. A map's rollup pages are real modeless dialogs made from the map's dialog
// templates; the editor stacks them in a scrolling rollup panel, each under a title bar that
// opens and closes it. Above the panel a bar names the map edited and leads back to its parent;
// a program may put a sample slot (a child window of Window()) above the bar.
//
//   host::MaterialEditorParams editor;           // makes its (hidden) window
//   ParamDlg* dlg = editor.Edit(tex);             // the map's CreateParamDlg; its pages
//   HWND page = editor.Page(0);                   // send it messages
//   editor.Show();                                // for a person: the window on the screen
//   editor.Close();                               // pages destroyed, then dlg->DeleteThis()
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "../imtl.h"

namespace host {

class RollupPanel;

class CoreExport MaterialEditorParams : public IMtlParams {
public:
    MaterialEditorParams();
    // Closes the dialog (as Close) and destroys the window.
    ~MaterialEditorParams() override;

    // The editor's top-level window: the target of WM_TEXMAP_BUTTON.
    HWND Window() const { return window; }
    // The rollup panel inside it, parent of the pages and their title bars.
    HWND Panel() const;

    // Editing a map: closes what was edited, asks the map for its dialog (CreateParamDlg with
    // Window() and this editor) and keeps the dialog until Close or the next Edit. The dialog
    // may be NULL (a map without one). Returns the dialog.
    ParamDlg* Edit(MtlBase* map);
    // Ends the dialog as the host does: its pages are destroyed first (each gets WM_DESTROY
    // while the dialog still exists), then the dialog's DeleteThis. Forgets the parent chain.
    void Close();
    ParamDlg* Dialog() const { return dlg; }
    MtlBase* Edited() const { return edited; }
    // The map whose sub-map is edited now (reached through a map button), or NULL.
    MtlBase* Parent() const { return parents.empty() ? NULL : parents.back(); }
    // Back to the parent map ("Go to Parent"); FALSE when there is none.
    BOOL GoToParent();
    // To the sub-map in a slot of the map edited now, which stays reachable through
    // GoToParent; FALSE (nothing changes) when the slot is empty or out of range.
    BOOL GoToSubMap(int slot);
    // How deep the map edited now lies below the map first edited (0 there).
    int Depth() const { return (int)parents.size(); }

    int NumPages() const;
    // The page that holds hwnd (the page itself or one of its controls), or NULL.
    HWND PageContaining(HWND hwnd) const;
    HWND Page(int i) const;
    // The title the page was added with.
    const MSTR& PageTitle(int i) const;
    // The page's title bar: a button; a click opens or closes the page.
    HWND PageTitleBar(int i) const;
    bool IsPageOpen(int i) const;
    void SetPageOpen(int i, bool open);
    // Height in pixels of everything the panel holds (title bars, open pages, gaps); the panel
    // scrolls when it is taller than the panel's window.
    int ContentHeight() const;

    // Shows (or hides) the window. FitToPages sizes it to show the sample slot and every page
    // whole, at most as tall as the screen's work area.
    void Show(bool show = true);
    void FitToPages();

    // A program's sample slot: a child window of Window() that the editor keeps above the bar,
    // square, as wide as the window allows and at most half its height. NULL removes it.
    void SetSampleSlot(HWND slot);
    HWND SampleSlot() const { return sampleSlot; }

    int MtlChangedCount() const { return mtlChanged; }
    // Called after each MtlChanged (a map's dialog changed the map).
    void SetMtlChangedHandler(std::function<void()> handler) { mtlChangedHandler = handler; }
    // A program's say in the window's messages (commands of its accelerators, WM_CLOSE, ...):
    // called first for every message of Window(); true when it handled the message, with the
    // result in `result`.
    typedef std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)> MessageHandler;
    void SetMessageHandler(MessageHandler handler) { messageHandler = handler; }
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void SetTime(TimeValue t) { time = t; }

    // What a map button asked for (WM_TEXMAP_BUTTON: wParam the sub-map slot, lParam the map
    // whose slot it is). A program may take the requests over with a handler; without one the
    // editor goes to the sub-map in that slot when there is one (the parent stays reachable
    // through GoToParent, as GoToSubMap) and does nothing for an empty slot, having no map
    // browser.
    struct TexmapButtonRequest {
        ReferenceTarget* target;
        int slot;
    };
    typedef std::function<void(const TexmapButtonRequest&)> TexmapButtonHandler;
    void SetTexmapButtonHandler(TexmapButtonHandler handler) { texmapButtonHandler = handler; }
    int TexmapButtonCount() const { return (int)texmapButtons.size(); }
    TexmapButtonRequest LastTexmapButton() const;

    void MtlChanged() override;
    // The page is CreateDialogParam(hInst, dlgTemplate, panel, dlgProc, param); NULL when the
    // template or the dialog cannot be made. APPENDROLL_CLOSED in flags adds it closed.
    HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                       const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                       int category = ROLLUP_CAT_STANDARD) override;
    HWND ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst, const MCHAR* dlgTemplate,
                           DLGPROC dlgProc, const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                           int category = ROLLUP_CAT_STANDARD) override;
    void DeleteRollupPage(HWND hRollup) override;
    void RollupMouseMessage(HWND, UINT, WPARAM, LPARAM) override { }
    // Non-zero when hwnd is one of the pages and it is open.
    int IsRollupPanelOpen(HWND hwnd) override;
    int GetRollupScrollPos() override;
    void SetRollupScrollPos(int spos) override;
    void RegisterTimeChangeCallback(TimeChangeCallback* tc) override;
    void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) override;
    void RegisterDlgWnd(HWND hDlg) override;
    int UnRegisterDlgWnd(HWND hDlg) override;
    TimeValue GetTime() override { return time; }
    IRollupWindow* GetMtlEditorRollup() override { return NULL; }

    // Tells the registered callbacks of a new time.
    void ChangeTime(TimeValue t);

    // Window procedures' side (not for callers).
    void OnTexmapButton(int slot, ReferenceTarget* target);
    void OnResize();

private:
    MaterialEditorParams(const MaterialEditorParams&) = delete;
    MaterialEditorParams& operator=(const MaterialEditorParams&) = delete;
    void ShowName();
    int SlotAreaHeight(int clientWidth, int clientHeight) const;
    void Open(MtlBase* map);

    HWND window;
    std::unique_ptr<RollupPanel> panel; // the pages
    HWND parentButton;
    HWND nameLabel;
    std::vector<TimeChangeCallback*> timeCallbacks;
    std::vector<HWND> dialogs;
    std::vector<TexmapButtonRequest> texmapButtons;
    TexmapButtonHandler texmapButtonHandler;
    std::function<void()> mtlChangedHandler;
    MessageHandler messageHandler;
    HWND sampleSlot;
    std::vector<MtlBase*> parents;
    ParamDlg* dlg;
    MtlBase* edited;
    int mtlChanged;
    TimeValue time;
};

} // namespace host
