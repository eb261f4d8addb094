// quiltra edit: the session (scene, material editor window, sample slot, files) and the command.
#include "edit_window.h"

#include "command_options.h"
#include "edit_file_menu.h"
#include "editor_shot.h"
#include "file_io.h"
#include "image_io.h"
#include "ivorlith.h"
#include "picture_maps.h"
#include "scene_build.h"

#include <hold.h>
#include <imtl.h>
#include <host/hold_keeper.h>
#include <host/scene_file.h>

#include <CLI/CLI.hpp>

#include <commdlg.h>

#include <cctype>

namespace quiltra {
namespace {

const wchar_t kProgramName[] = L"quiltra edit";

// The window's keys, in one place.
const ACCEL kAccelerators[] = {
    {FCONTROL | FVIRTKEY, 'S', kEditSave},  {FCONTROL | FSHIFT | FVIRTKEY, 'S', kEditSaveAs},
    {FCONTROL | FVIRTKEY, 'W', kEditClose}, {FCONTROL | FVIRTKEY, 'Z', kEditUndo},
    {FCONTROL | FVIRTKEY, 'Y', kEditRedo},  {FCONTROL | FSHIFT | FVIRTKEY, 'Z', kEditRedo},
    {FCONTROL | FVIRTKEY, 'N', kEditNew},   {FCONTROL | FVIRTKEY, 'O', kEditOpen},
};

// A message the window posts itself: the title's unsaved mark worked out again once the
// changes of one action have all arrived.
const UINT kCheckTitle = WM_APP + 0x51;

// A picture map's parameters changed in place (the map browser): undo gives the old ones back.
// The map is kept alive while the record exists.
class PictureParamsRestore : public RestoreObj {
public:
    PictureParamsRestore(PictureMap* map, const PictureParams& before)
        : before_(before), after_(map->Params()), keeper_(1, false)
    {
        keeper_.Keep(0, map);
    }
    ~PictureParamsRestore() override { keeper_.Release(); }
    void Restore(int isUndo) override
    {
        if (PictureMap* map = Map()) {
            if (isUndo) after_ = map->Params();
            Put(map, before_);
        }
    }
    void Redo() override
    {
        if (PictureMap* map = Map()) Put(map, after_);
    }

private:
    PictureMap* Map() { return PictureMapOf(static_cast<Texmap*>(keeper_.Kept(0))); }
    static void Put(PictureMap* map, const PictureParams& params)
    {
        map->SetParams(params);
        map->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    }
    PictureParams before_, after_;
    host::HoldKeeper keeper_;
};

HMENU MakeMenu()
{
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kEditSave, L"&Save\tCtrl+S");
    AppendMenuW(file, MF_STRING, kEditSaveAs, L"Save &As...\tCtrl+Shift+S");
    AppendMenuW(file, MF_SEPARATOR, 0, NULL);
    AppendMenuW(file, MF_STRING, kEditClose, L"&Close\tCtrl+W");
    AddFileMenuCommands(file);
    HMENU edit = CreatePopupMenu();
    AppendMenuW(edit, MF_STRING, kEditUndo, L"&Undo\tCtrl+Z");
    AppendMenuW(edit, MF_STRING, kEditRedo, L"&Redo\tCtrl+Y");
    HMENU view = CreatePopupMenu();
    AppendMenuW(view, MF_STRING, kEditPreviewColor, L"&Colour");
    AppendMenuW(view, MF_STRING, kEditPreviewBump, L"&Bump (lit relief)");
    HMENU layers = CreatePopupMenu();
    AppendMenuW(layers, MF_POPUP, (UINT_PTR)CreatePopupMenu(), L"Blend in &Display Space");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)file, L"&File");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)edit, L"&Edit");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)view, L"&Preview");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)layers, L"&Layers");
    return bar;
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

// ---- the scene's holder ------------------------------------------------------------------------

SceneHolder::~SceneHolder() { DeleteAllRefsFromMe(); }

void SceneHolder::Hold(Texmap* root) { ReplaceReference(0, root); }

RefTargetHandle SceneHolder::GetReference(int i) { return i == 0 ? root_ : nullptr; }

void SceneHolder::SetReference(int i, RefTargetHandle target)
{
    if (i == 0) root_ = static_cast<Texmap*>(target);
}

#if MAX_RELEASE >= 17000
RefResult SceneHolder::NotifyRefChanged(const Interval&, RefTargetHandle, PartID&,
                                        RefMessage message, BOOL)
#else
RefResult SceneHolder::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message)
#endif
{
    if (message == REFMSG_CHANGE && changed_) changed_();
    return REF_SUCCEED;
}

// ---- the session -------------------------------------------------------------------------------

EditSession::EditSession(Host& host, SceneTexture scene, const std::string& scenePath,
                         bool sceneIsJson, const std::string& savePath, PreviewChannel channel)
    : host_(host), scenePath_(scenePath), savePath_(savePath), sceneIsJson_(sceneIsJson)
{
    scene_.Hold(scene.Release());
    if (!editor_.Window()) return;
    preview_ = std::make_unique<Preview>(
        editor_.Window(), [this] { return scene_.Root(); }, channel);
    editor_.SetSampleSlot(preview_->Window());
    menu_ = MakeMenu();
    spaceMenu_ = GetSubMenu(GetSubMenu(menu_, GetMenuItemCount(menu_) - 1), 0);
    SetMenu(editor_.Window(), menu_);
    accelerators_ = CreateAcceleratorTableW(const_cast<ACCEL*>(kAccelerators),
                                            (int)(sizeof kAccelerators / sizeof kAccelerators[0]));

    editor_.SetMessageHandler([this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        return OnWindowMessage(msg, wp, lp, result);
    });
    editor_.SetTexmapButtonHandler(
        [this](const host::MaterialEditorParams::TexmapButtonRequest& r) { OnTexmapButton(r); });
    editor_.Edit(scene_.Root());
    editor_.FitToPages();
    preview_->Invalidate(); // the first render, at the size the window got
    PumpMessages();
    // What opening wrote (the rows' labels) is the scene as opened; changes count from here.
    editor_.SetMtlChangedHandler([this] { NoteChange(); });
    scene_.SetChangeHandler([this] { NoteChange(); });
    MarkSaved(SaveSceneBytes(scene_.Root()));
    UpdateMenu();
    UpdateTitle();
}

EditSession::~EditSession()
{
    scene_.SetChangeHandler(nullptr);
    editor_.SetMtlChangedHandler(nullptr);
    editor_.SetTexmapButtonHandler(nullptr);
    editor_.SetMessageHandler(nullptr);
    // The render thread and its copies first, then the dialog (it reads the scene), then the
    // scene (the holder's member destructor).
    preview_.reset();
    editor_.SetSampleSlot(NULL);
    editor_.Close();
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

void EditSession::Show()
{
    editor_.Show();
    SetForegroundWindow(Window());
}

void EditSession::Run()
{
    MSG m;
    while (!closed_ && GetMessageW(&m, NULL, 0, 0) > 0) {
        if (PreTranslate(m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

bool EditSession::PreTranslate(MSG& m)
{
    HWND w = Window();
    if (!w || !m.hwnd || (m.hwnd != w && !IsChild(w, m.hwnd))) return false;
    if (accelerators_ && TranslateAcceleratorW(w, accelerators_, &m)) return true;
    if (HWND page = editor_.PageContaining(m.hwnd)) return IsDialogMessageW(page, &m) != FALSE;
    return false;
}

void EditSession::WaitForPreview()
{
    for (;;) {
        PumpMessages();
        if (!preview_ || preview_->Idle()) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// ---- changes and the title ---------------------------------------------------------------------

void EditSession::NoteChange()
{
    ++changes_;
    if (preview_) preview_->Invalidate();
    // A change shows at once; whether it leaves the scene as saved (an undo back to it) is
    // worked out once all the messages of the action have arrived.
    if (!titleCheckPosted_ && Window())
        titleCheckPosted_ = PostMessageW(Window(), kCheckTitle, 0, 0) != FALSE;
    ShowTitle(true);
}

bool EditSession::Unsaved() const
{
    if (checkedChanges_ != changes_) {
        unsaved_ = SaveSceneBytes(scene_.Root()) != savedBytes_;
        checkedChanges_ = changes_;
    }
    return unsaved_;
}

void EditSession::MarkSaved(std::vector<std::uint8_t> bytes)
{
    savedBytes_ = std::move(bytes);
    unsaved_ = false;
    checkedChanges_ = changes_;
    UpdateTitle();
}

void EditSession::Undo()
{
    TakeTypedValue();
    if (theHold.Undo()) NoteChange();
}

void EditSession::Redo()
{
    TakeTypedValue();
    if (theHold.Redo()) NoteChange();
}

std::wstring EditSession::Title() const { return TitleFor(Unsaved()); }

std::wstring EditSession::TitleFor(bool unsaved) const
{
    const std::string& file = savePath_.empty() ? scenePath_ : savePath_;
    const std::wstring name = file.empty() ? L"Untitled" : Widen(FileNameOf(file));
    return name + (unsaved ? L"*" : L"") + L" - " + kProgramName;
}

void EditSession::UpdateTitle() { ShowTitle(Unsaved()); }

void EditSession::ShowTitle(bool unsaved)
{
    HWND w = Window();
    if (!w) return;
    const std::wstring title = TitleFor(unsaved);
    wchar_t now[512] = {};
    GetWindowTextW(w, now, 512);
    if (title != now) SetWindowTextW(w, title.c_str());
}

void EditSession::UpdateMenu()
{
    if (!menu_ || !preview_) return;
    const bool bump = preview_->Channel() == PreviewChannel::Bump;
    CheckMenuItem(menu_, kEditPreviewColor, MF_BYCOMMAND | (bump ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(menu_, kEditPreviewBump, MF_BYCOMMAND | (bump ? MF_CHECKED : MF_UNCHECKED));
    // Undo and redo name the step they act on.
    const std::wstring undo = theHold.GetUndoCount() > 0
        ? L"&Undo " + std::wstring(theHold.GetUndoLabel(0).data())
        : L"&Undo";
    ModifyMenuW(menu_, kEditUndo, MF_BYCOMMAND | MF_STRING, kEditUndo,
                (undo + L"\tCtrl+Z").c_str());
    EnableMenuItem(menu_, kEditUndo,
                   MF_BYCOMMAND | (theHold.GetUndoCount() ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu_, kEditRedo,
                   MF_BYCOMMAND | (theHold.GetRedoCount() ? MF_ENABLED : MF_GRAYED));
    UpdateSpaceMenu();
}

// One check item per layer above the base of the scene's layered texture (the base layer is
// not blended), checked when the layer blends in display space.
void EditSession::UpdateSpaceMenu()
{
    if (!spaceMenu_) return;
    while (GetMenuItemCount(spaceMenu_) > 0)
        DeleteMenu(spaceMenu_, 0, MF_BYPOSITION);
    IVorlithLayers* layers = LayersOf(Scene());
    const int count = layers ? layers->GetNumLayers() : 0;
    for (int i = 1; i < count && i < kEditBlendSpaceEnd - kEditBlendSpace; ++i) {
        const bool display = layers->GetBlendSpace(i) != VORLITH_SPACE_LINEAR;
        const std::wstring label = L"Layer " + std::to_wstring(i);
        AppendMenuW(spaceMenu_, MF_STRING | (display ? MF_CHECKED : MF_UNCHECKED),
                    kEditBlendSpace + i, label.c_str());
    }
    if (count < 2) AppendMenuW(spaceMenu_, MF_STRING | MF_GRAYED, 0, L"(no layer above the base)");
}

// The layer's blend space switched, as one undo step.
void EditSession::ToggleBlendSpace(int layer)
{
    IVorlithLayers* layers = LayersOf(Scene());
    if (!layers || layer < 1 || layer >= layers->GetNumLayers()) return;
    TakeTypedValue();
    const int space = layers->GetBlendSpace(layer) != VORLITH_SPACE_LINEAR ? VORLITH_SPACE_LINEAR
                                                                           : VORLITH_SPACE_DISPLAY;
    theHold.Begin();
    layers->SetBlendSpace(layer, space);
    theHold.Accept(L"Blend Space");
    NoteChange();
}

// ---- the window's messages ---------------------------------------------------------------------

bool EditSession::OnWindowMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) < kEditSave || LOWORD(wp) >= kEditBlendSpaceEnd) return false;
        OnCommand(LOWORD(wp));
        return true;
    case kCheckTitle:
        titleCheckPosted_ = false;
        // The rows' labels (which travel in the sub-maps' names) are brought up to date first.
        RedrawWindow(Window(), NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        UpdateTitle();
        return true;
    case WM_INITMENUPOPUP:
        UpdateMenu(); // the slot's own menu may have changed the channel
        return false;
    case WM_CLOSE:
        Close();
        return true;
    }
    return false;
}

void EditSession::OnCommand(int id)
{
    switch (id) {
    case kEditSave:
        Save();
        break;
    case kEditSaveAs:
        SaveAs();
        break;
    case kEditClose:
        Close();
        break;
    case kEditPreviewColor:
        preview_->SetChannel(PreviewChannel::Color);
        break;
    case kEditPreviewBump:
        preview_->SetChannel(PreviewChannel::Bump);
        break;
    case kEditUndo:
        Undo();
        break;
    case kEditRedo:
        Redo();
        break;
    case kEditNew:
        NewScene();
        break;
    case kEditOpen:
        Open();
        break;
    case kEditExportPng:
        ExportPng();
        break;
    default:
        if (id >= kEditBlendSpace && id < kEditBlendSpaceEnd)
            ToggleBlendSpace(id - kEditBlendSpace);
        break;
    }
    UpdateMenu();
}

void EditSession::Close()
{
    TakeTypedValue();
    if (Unsaved()) {
        const std::string& file = savePath_.empty() ? scenePath_ : savePath_;
        const std::wstring question = L"Save the changes to " +
            (file.empty() ? L"Untitled" : Widen(FileNameOf(file))) + L" before closing?";
        const int answer =
            MessageBoxW(Window(), question.c_str(), kProgramName, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL || (answer == IDYES && !Save())) return;
    }
    closed_ = true;
    ShowWindow(Window(), SW_HIDE);
}

// ---- the map browser ---------------------------------------------------------------------------

void EditSession::OnTexmapButton(const host::MaterialEditorParams::TexmapButtonRequest& request)
{
    // One browser at a time: a request posted before it opened waits for no one.
    if (browsing_) return;
    // Only a request about the map shown now: the message was posted, and the pointer is
    // compared, never followed, until it is known to be that map.
    MtlBase* owner = editor_.Edited();
    if (!owner || request.target != static_cast<ReferenceTarget*>(owner)) return;
    const int slot = request.slot;
    if (slot < 0 || slot >= owner->NumSubTexmaps()) return;

    MapChoice choice = ChoiceOf(owner->GetSubTexmap(slot));
    browsing_ = true;
    // Each choice applied is one undo step; one that cannot be made changes nothing.
    const bool applied = BrowseMap(Window(), owner->GetSubTexmapSlotName(slot).data(), choice,
                                   [this, owner, slot](const MapChoice& c) {
                                       theHold.Begin();
                                       try {
                                           ApplyMapChoice(owner, slot, c);
                                       } catch (...) {
                                           theHold.Cancel();
                                           throw;
                                       }
                                       theHold.Accept(L"Assign Map");
                                   });
    browsing_ = false;
    if (applied && choice.kind == MapKind::Layered && editor_.Edited() == owner)
        editor_.GoToSubMap(slot);
}

// Puts the choice into the slot. A picture map of the kind chosen takes the parameters in place
// (every slot that shares it follows); any other choice replaces the map. Throws InputError,
// changing nothing, when a map cannot be made (a bitmap that does not load).
void EditSession::ApplyMapChoice(MtlBase* owner, int slot, const MapChoice& choice)
{
    Texmap* current = owner->GetSubTexmap(slot);
    SceneTexture made;
    switch (choice.kind) {
    case MapKind::None:
        if (!current) return;
        break;
    case MapKind::Layered:
        if (LayersOf(current)) return; // opened for editing as it is
        made = SceneTexture(host_.CreateLayeredTexture());
        break;
    case MapKind::Other:
        return;
    default: {
        const PictureKind kind = (PictureKind)((int)choice.kind - (int)MapKind::Constant);
        PictureMap* picture = PictureMapOf(current);
        if (picture && picture->Kind() == kind) {
            const PictureParams before = picture->Params();
            picture->SetParams(choice.params);
            if (theHold.Holding()) theHold.Put(new PictureParamsRestore(picture, before));
            picture->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
            NoteChange();
            return;
        }
        made = CreatePictureMap(host_, kind, choice.params);
    }
    }
    owner->SetSubTexmap(slot, made.Get());
    if (owner->GetSubTexmap(slot) != made.Get())
        throw InputError("the texture did not take the map into its slot");
    made.Release(); // the texture's reference owns it now
    NoteChange();
}

// ---- files -------------------------------------------------------------------------------------

// A value typed into a field and not yet entered is taken, as leaving the field takes it.
void EditSession::TakeTypedValue()
{
    HWND w = Window();
    if (w && GetFocus() && IsChild(w, GetFocus())) SetFocus(w);
}

bool EditSession::Save()
{
    TakeTypedValue();
    if (savePath_.empty()) return SaveAs();
    return WriteTo(savePath_);
}

bool EditSession::SaveAs()
{
    TakeTypedValue();
    std::string path;
    return AskSavePath(path) && WriteTo(path);
}

bool EditSession::AskSavePath(std::string& path)
{
    std::string start = savePath_;
    if (start.empty()) {
        start = scenePath_;
        if (sceneIsJson_) {
            const size_t dot = start.find_last_of('.');
            const size_t slash = start.find_last_of("/\\:");
            if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
                start.resize(dot);
            start += ".scene";
        }
    }
    std::wstring name = Widen(start);
    name.resize(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Window();
    ofn.lpstrFilter = L"Scene files (*.scene)\0*.scene\0All files\0*.*\0";
    ofn.lpstrFile = &name[0];
    ofn.nMaxFile = (DWORD)name.size();
    ofn.lpstrDefExt = L"scene";
    ofn.lpstrTitle = L"Save the scene";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return false;
    path = Narrow(name.c_str());
    return true;
}

// The scene as a host scene file, written whole or not at all. It is read back first under the
// limits every scene is held to, so that no file is written that would not load.
bool EditSession::WriteTo(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    try {
        if (sceneIsJson_ && SameFile(path, scenePath_))
            throw InputError(path +
                             ": is the JSON scene being edited; save the scene file under "
                             "another name");
        bytes = SaveSceneBytes(scene_.Root());
        LoadSceneBytes(host_, bytes, path);
        OutputFiles files;
        files.Stage(path, bytes);
        files.Commit();
    } catch (const std::exception& e) {
        MessageBoxW(Window(), Widen(e.what()).c_str(), L"Save", MB_OK | MB_ICONWARNING);
        return false;
    }
    savePath_ = path;
    MarkSaved(std::move(bytes));
    return true;
}

// ---- the command -------------------------------------------------------------------------------

CLI::App* AddEditCommand(CLI::App& app, EditOptions& o)
{
    auto* edit = app.add_subcommand("edit", "edit the scene's texture in a window and save it");
    edit->add_option("scene", o.scene, "scene file (JSON or saved scene; none: a new texture)")
        ->each([&o](const std::string&) { o.sceneGiven = true; });
    edit->add_option("-o,--output", o.saved, "scene file Ctrl+S saves to (default: asks)");
    edit->add_option("--channel", o.channel,
                     "what the sample slot shows: color, or bump as a lit relief")
        ->check(CLI::IsMember({"color", "bump"}));
    edit->add_option("--shot", o.shot,
                     "write a PNG of the window once the sample slot is drawn, then close");
    return edit;
}

int RunEdit(const std::string& pluginFolder, const EditOptions& o)
{
    if (!o.shot.empty()) RequirePngName(o.shot, "picture");
    if (!o.saved.empty()) {
        const PathKind kind = KindOfPath(o.saved);
        if (kind == PathKind::Folder || kind == PathKind::Device)
            throw InputError(o.saved + ": " + NotAFile(kind));
    }
    Host host(pluginFolder);
    const bool fresh = o.scene.empty() && !o.sceneGiven;
    const std::vector<std::uint8_t> bytes =
        fresh ? std::vector<std::uint8_t>() : ReadFileBytes(o.scene);
    const bool json = !fresh && !host::IsSceneFile(bytes.data(), bytes.size());
    if (json && !o.saved.empty() && SameFile(o.saved, o.scene))
        throw InputError(o.saved + ": would overwrite the JSON scene it is made from");
    if (!o.shot.empty() &&
        ((!fresh && SameFile(o.shot, o.scene)) || (!o.saved.empty() && SameFile(o.shot, o.saved))))
        throw InputError(o.shot + ": would overwrite a scene file");
    SceneTexture texture =
        fresh ? SceneTexture(host.CreateLayeredTexture()) : LoadSceneBytes(host, bytes, o.scene);

    const PreviewChannel channel =
        o.channel == "bump" ? PreviewChannel::Bump : PreviewChannel::Color;
    EditSession session(host, std::move(texture), o.scene, json, o.saved, channel);
    if (!session.Window())
        throw std::runtime_error("the edit window cannot be made (is there a display?)");
    session.Show();
    if (o.shot.empty()) {
        session.Run();
        return 0;
    }
    session.WaitForPreview();
    WriteWindowPicture(session.Window(), o.shot);
    return 0;
}

} // namespace quiltra
