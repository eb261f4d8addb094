// quiltra edit: a window in which a person edits a scene's layered texture and saves it. The
// host's material editor window with the texture's rollouts, a sample slot above them (the
// texture rendered as `quiltra render` renders it), a map browser behind the map and mask
// buttons, and the scene saved as a host scene file.
//
//   quiltra edit [SCENE] [-o SAVED] [--channel color|bump] [--shot OUT.png]
#pragma once

#include "map_browser.h"
#include "preview.h"
#include "scene_build.h"

#include <host/mtl_editor.h>
#include <ref.h>

#include <functional>
#include <memory>
#include <string>

#include <windows.h>

namespace CLI {
class App;
}

namespace quiltra {

struct EditOptions {
    std::string scene;
    bool sceneGiven = false; // none: a new texture (an empty name given is no file)
    std::string saved; // where Ctrl+S saves; empty: it asks
    std::string channel = "color";
    std::string shot; // a picture of the window once the sample slot is drawn
};

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddEditCommand(CLI::App& app, EditOptions& options);

// Runs the command: the window until it is closed. Throws InputError for bad input, before any
// window opens.
int RunEdit(const std::string& pluginFolder, const EditOptions& options);

// Commands of the edit window: its menu and its keys (the accelerator table in
// edit_window.cpp, handled in EditSession::OnCommand).
enum EditCommand {
    kEditSave = 0x8101, // Ctrl+S
    kEditSaveAs, // Ctrl+Shift+S
    kEditClose, // Ctrl+W
    kEditPreviewColor,
    kEditPreviewBump,
    kEditUndo, // Ctrl+Z
    kEditRedo, // Ctrl+Y, Ctrl+Shift+Z
    kEditNew, // Ctrl+N
    kEditOpen, // Ctrl+O
    kEditExportPng,
    // Layers > Blend in Display Space: one check item per layer of the scene's layered
    // texture, layer i at kEditBlendSpace + i (layers 1 to 255).
    kEditBlendSpace,
    kEditBlendSpaceEnd = kEditBlendSpace + 256,
};

// The scene's texture as the session holds it: one reference, through which every change
// message of the texture and its sub-maps arrives. Releasing the reference deletes the scene.
class SceneHolder : public ReferenceMaker {
public:
    SceneHolder() = default;
    ~SceneHolder() override;
    void Hold(Texmap* root);
    Texmap* Root() const { return root_; }
    void SetChangeHandler(std::function<void()> handler) { changed_ = handler; }

    void DeleteThis() override { } // a member of the session, never deleted on its own
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle target) override;
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage message,
                               BOOL) override;
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message) override;
#endif

private:
    Texmap* root_ = nullptr;
    std::function<void()> changed_;
};

class EditSession {
public:
    // Takes the scene over. `scenePath` is where it came from (a JSON scene is never written
    // over), `savePath` where Ctrl+S writes (empty: it asks the first time).
    EditSession(Host& host, SceneTexture scene, const std::string& scenePath, bool sceneIsJson,
                const std::string& savePath, PreviewChannel channel);
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    HWND Window() const { return editor_.Window(); }
    host::MaterialEditorParams& Editor() { return editor_; }
    Preview& SampleSlot() { return *preview_; }
    Texmap* Scene() const { return scene_.Root(); }

    void Show();
    // Handles messages until the window is closed.
    void Run();
    // What the loop does before dispatching a message: the window's keys, then the keyboard
    // of the rollout page that has the focus. True when the message was taken.
    bool PreTranslate(MSG& message);
    // The window was closed (and the scene saved or its changes given up).
    bool Closed() const { return closed_; }
    // Handles messages until the sample slot has nothing left to render.
    void WaitForPreview();

    // Ctrl+S: to the save path, or where the user says. Failures are told in a message box;
    // false then and when the user cancels.
    bool Save();
    bool SaveAs();
    const std::string& SavePath() const { return savePath_; }

    // File menu (edit_file_menu.cpp). New: a new texture in place of the scene; Open...: the
    // scene of a file the person picks; both first ask to save unsaved changes and start the
    // undo history afresh. Export PNG...: asks a size and a file, writes the sample slot's
    // texture as `render` would. Failures are told in a message box; false then and when the
    // person cancels.
    bool NewScene();
    bool Open();
    bool OpenFile(const std::string& path);
    bool ExportPng();
    bool ExportPngTo(const std::string& path, int width, int height);

    // Unsaved changes: the scene differs from what the last save wrote (or from the scene as
    // opened), so an undo back to the saved state leaves none. Every change message of the
    // scene and every MtlChanged is noted; the title follows.
    void NoteChange();
    bool Unsaved() const;
    // Ctrl+Z and Ctrl+Y: the host's newest undo step undone, or redone.
    void Undo();
    void Redo();
    // "NAME - quiltra edit", with a * after NAME while there are unsaved changes. NAME is the
    // file Ctrl+S writes, or the scene's until there is one.
    std::wstring Title() const;

private:
    void OnCommand(int id);
    bool OnWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void OnTexmapButton(const host::MaterialEditorParams::TexmapButtonRequest& request);
    void ApplyMapChoice(MtlBase* owner, int slot, const MapChoice& choice);
    void Close();
    bool WriteTo(const std::string& path);
    bool AskSavePath(std::string& path);
    void TakeTypedValue();
    void UpdateTitle();
    void ShowTitle(bool unsaved);
    std::wstring TitleFor(bool unsaved) const;
    void UpdateMenu();
    void UpdateSpaceMenu();
    void ToggleBlendSpace(int layer);
    void MarkSaved(std::vector<std::uint8_t> bytes);
    bool MayDiscard();
    void Replace(SceneTexture scene, const std::string& scenePath, bool sceneIsJson);

    Host& host_;
    std::string scenePath_, savePath_;
    bool sceneIsJson_;
    SceneHolder scene_;
    host::MaterialEditorParams editor_;
    std::unique_ptr<Preview> preview_;
    HACCEL accelerators_ = NULL;
    HMENU menu_ = NULL;
    HMENU spaceMenu_ = NULL; // Layers > Blend in Display Space
    long long changes_ = 0;
    std::vector<std::uint8_t> savedBytes_; // the scene as saved (or opened)
    mutable long long checkedChanges_ = 0; // changes_ when unsaved_ was worked out
    mutable bool unsaved_ = false;
    bool titleCheckPosted_ = false;
    bool closed_ = false;
    bool browsing_ = false;
    int exportWidth_ = 512, exportHeight_ = 512; // the size Export PNG... asked last
};

} // namespace quiltra
