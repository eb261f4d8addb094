// A model-based soak of every way a texture is edited: seeded random sequences of edits through
// the published interface (wrapped in undo steps as a script's are), sub-map and mask
// assignment from a pool of shared maps and nested layered textures, the editor's controls
// driven by their window messages, undo and redo, save and reload, clone, viewport set-up on
// both paths, and deleting and making textures. A plain model written from the rules of the
// layer stack is kept beside the texture; after every step the texture's visible state (its
// values, maps, labels, samples, undo history and the open editor's controls) must equal it.
// At the end: undo all, redo all, then with the history cleared and everything deleted nothing
// may be left alive.
//
// QUILTRA_SOAK_SEQUENCES (default the fixed budget below) and QUILTRA_SOAK_FIRST_SEED (default
// 1) choose the seeds. A failure prints its seed and a shortened sequence that still fails.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor_fixture.h"
#include "hold.h"
#include "host/viewport.h"

namespace {

// The sequences `make test` runs: about a minute under wine.
const int kFixedSequences = 30;
const int kStepsPerSequence = 60;
const int kMaxUndo = MaxUndoSteps;
const int kRows = 6;
const int kPoolMaps = 4; // TestMaps m0..m3
const int kPoolNested = 2; // layered textures n0, n1 holding pool maps
const int kCopies = 100;

// The model ---------------------------------------------------------------------------------

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct LayerModel {
    int mapOn = 1, maskOn = 1, used = 1;
    float opacity = 100.0f;
    float r = 0.5f, g = 0.5f, b = 0.5f;
    int mode = 0;
    int space = 0;
    // Pool index, -1 empty; after a reload the texture holds copies of the pool's maps, which
    // are other maps of the same names: copy k of pool map i is i + kCopies * k.
    int map = -1, mask = -1;

    bool operator==(const LayerModel& o) const
    {
        return mapOn == o.mapOn && maskOn == o.maskOn && used == o.used &&
            SameBits(opacity, o.opacity) && SameBits(r, o.r) && SameBits(g, o.g) &&
            SameBits(b, o.b) && mode == o.mode && space == o.space && map == o.map &&
            mask == o.mask;
    }
};

struct OutputModel {
    int on = 0, clamp = 0;
    float alpha = 0.0f, mono = 0.0f, bright = 1.0f, contrast = 1.0f, gamma = 1.0f;
    float hsv[3] = {0.0f, 0.0f, 0.0f}, rgb[3] = {0.0f, 0.0f, 0.0f};

    bool operator==(const OutputModel& o) const
    {
        bool same = on == o.on && clamp == o.clamp && SameBits(alpha, o.alpha) &&
            SameBits(mono, o.mono) && SameBits(bright, o.bright) &&
            SameBits(contrast, o.contrast) && SameBits(gamma, o.gamma);
        for (int i = 0; i < 3; ++i)
            same = same && SameBits(hsv[i], o.hsv[i]) && SameBits(rgb[i], o.rgb[i]);
        return same;
    }
};

// A texture as the rules describe it: a stack of layers (new ones with every switch on, fully
// opaque, mid-grey, Normal, no maps) and the Output settings (off and neutral when new).
struct Model {
    std::vector<LayerModel> layers = std::vector<LayerModel>(1);
    OutputModel out;

    int N() const { return (int)layers.size(); }
    bool Has(int layer) const { return layer >= 0 && layer < N(); }
    bool operator==(const Model& o) const { return layers == o.layers && out == o.out; }
    bool operator!=(const Model& o) const { return !(*this == o); }

    // The count changes at the top: layers go from the top, new ones come with the defaults.
    void SetNum(int n)
    {
        if (n >= 1 && n != N()) layers.resize((size_t)n);
    }
    void Swap(int a, int b)
    {
        if (Has(a) && Has(b)) std::swap(layers[(size_t)a], layers[(size_t)b]);
    }
    // Never below the base layer, never at the top.
    void Insert(int k)
    {
        if (k > 0 && k < N()) layers.insert(layers.begin() + k, LayerModel());
    }
    void Delete(int k)
    {
        if (k > 0 && k < N()) layers.erase(layers.begin() + k);
    }
    // Back to neutral; whether the stage is on stays.
    void ResetOutput()
    {
        const int on = out.on;
        out = OutputModel();
        out.on = on;
    }
};

// The sequences --------------------------------------------------------------------------------

enum Kind {
    // The published interface, one undo step each as a script makes it.
    kSetNum,
    kInsert,
    kDelete,
    kSwap,
    kMapOn,
    kMaskOn,
    kSetUsed,
    kOpacity,
    kColor,
    kSetMode,
    kOutOn,
    kOutClamp,
    kOutMono,
    kOutAlpha,
    kOutBright,
    kOutContrast,
    kOutGamma,
    kOutHSV,
    kOutRGB,
    kAssign,
    // The editor, by window messages.
    kEdOpen,
    kEdClose,
    kEdPage,
    kEdSwitch,
    kEdMode,
    kEdOpacity,
    kEdOpacitySpin,
    kEdIndex,
    kEdAdd,
    kEdDelete,
    kEdInsert,
    kEdDeleteAt,
    kEdSetNumber,
    kEdScroll,
    kEdOutClick,
    kEdOutValue,
    kEdColor,
    kEdRowMenu,
    // The rest.
    kUndo,
    kRedo,
    kReload,
    kClone,
    kViewport,
    kRemake,
    // Added later (at the end, so the earlier kinds keep their numbers).
    kSetSpace,
    kKinds
};

const char* const kKindNames[kKinds] = {"SetNumLayers",
                                        "InsertLayer",
                                        "DeleteLayer",
                                        "SwapLayers",
                                        "SetMapEnabled",
                                        "SetMaskEnabled",
                                        "SetLayerUsed",
                                        "SetOpacity",
                                        "SetLayerColor",
                                        "SetBlendMode",
                                        "SetOutputEnabled",
                                        "SetOutputClamp",
                                        "SetOutputMono",
                                        "SetOutputAlpha",
                                        "SetOutputBrightness",
                                        "SetOutputContrast",
                                        "SetOutputGamma",
                                        "SetOutputShiftHSV",
                                        "SetOutputShiftRGB",
                                        "SetSubTexmap",
                                        "editor open",
                                        "editor close",
                                        "rollout open/close",
                                        "row switch",
                                        "row mode",
                                        "row opacity typed",
                                        "row opacity spinner let go",
                                        "row index typed",
                                        "Add",
                                        "Delete",
                                        "Ctrl+Add",
                                        "Ctrl+Delete",
                                        "Set Number",
                                        "scroll",
                                        "Output click",
                                        "Output value typed (3: a spinner let go)",
                                        "row colour (1: dragged first)",
                                        "row menu (row, action)",
                                        "Undo",
                                        "Redo",
                                        "save and reload",
                                        "clone",
                                        "viewport",
                                        "delete and make",
                                        "SetBlendSpace"};

struct Step {
    Kind kind;
    int a, b;
    float f;
};

std::string Describe(const Step& s)
{
    std::ostringstream o;
    o << kKindNames[s.kind] << "(" << s.a << ", " << s.b << ", " << s.f << ")";
    return o.str();
}

const float kOpacities[] = {0.0f, 12.5f, 33.0f, 50.0f, 100.0f};
const float kShades[] = {0.0f, 0.25f, 0.5f, 1.0f};
const float kFactors[] = {0.5f, 1.0f, 1.5f, 2.0f};
const float kShifts[] = {-0.5f, 0.0f, 0.25f};
const float kGammas[] = {0.0005f, 0.5f, 1.0f, 2.2f};
const int kPercents[] = {50, 100, 150};

template <class T, size_t n>
T Pick(std::mt19937& rng, const T (&values)[n])
{
    return values[rng() % n];
}

std::vector<Step> MakeSequence(unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<Step> steps;
    auto layer = [&] { return (int)(rng() % 10) - 1; }; // -1 .. 8: some outside the stack
    for (int i = 0; i < kStepsPerSequence; ++i) {
        Step s;
        // The editor's steps need it open: it opens often.
        s.kind = rng() % 8 == 0 ? kEdOpen : (Kind)(int)(rng() % kKinds);
        s.a = layer();
        s.b = (int)(rng() % 40);
        s.f = 0.0f;
        switch (s.kind) {
        case kSetNum:
            s.a = (int)(rng() % 10) - 1;
            break;
        case kMapOn:
        case kMaskOn:
        case kSetUsed:
        case kOutOn:
        case kOutClamp:
        case kOutMono:
            s.b = (int)(rng() % 2);
            break;
        case kOpacity:
        case kEdOpacity:
            s.f = Pick(rng, kOpacities);
            break;
        case kColor:
            s.f = Pick(rng, kShades);
            break;
        case kSetMode:
        case kEdMode:
            s.b = (int)(rng() % VORLITH_MODE_COUNT);
            break;
        case kOutAlpha:
        case kOutHSV:
        case kOutRGB:
            s.f = Pick(rng, kShifts);
            break;
        case kOutBright:
        case kOutContrast:
            s.f = Pick(rng, kFactors);
            break;
        case kOutGamma:
            s.f = Pick(rng, kGammas);
            break;
        case kAssign:
            s.a = (int)(rng() % 12); // a slot of layers 0..5
            s.b = (int)(rng() % (kPoolMaps + kPoolNested + 1)) - 1; // -1: empty it
            break;
        case kEdPage:
            s.a = (int)(rng() % 2);
            s.b = (int)(rng() % 2);
            break;
        case kEdSwitch:
        case kEdOutClick:
            s.a = (int)(rng() % kRows);
            s.b = (int)(rng() % 4);
            break;
        case kEdOpacitySpin:
            s.a = (int)(rng() % kRows);
            break;
        case kEdIndex:
            s.a = (int)(rng() % kRows);
            s.b = (int)(rng() % 10) - 1;
            break;
        case kEdInsert:
        case kEdDeleteAt:
            s.a = (int)(rng() % 6) + 1;
            break;
        case kEdSetNumber:
            s.a = (int)(rng() % 8) + 2;
            break;
        case kEdScroll:
            s.a = (int)(rng() % 5);
            s.b = (int)(rng() % 6);
            break;
        case kEdOutValue:
            s.a = (int)(rng() % 4);
            s.b = Pick(rng, kPercents);
            break;
        case kEdRowMenu:
            s.a = (int)(rng() % kRows);
            s.b = (int)(rng() % 10);
            break;
        case kEdColor:
            s.a = (int)(rng() % kRows);
            s.b = (int)(rng() % 4);
            s.f = (float)(rng() % 2);
            break;
        case kUndo:
        case kRedo:
            s.a = rng() % 4 == 0 ? (int)(rng() % 6) + 2 : 1;
            break;
        case kViewport:
        case kRemake:
            s.a = (int)(rng() % 2);
            break;
        default:
            break;
        }
        if (s.kind == kEdSwitch || s.kind == kEdMode || s.kind == kEdOpacity)
            s.a = (int)(rng() % kRows);
        steps.push_back(s);
    }
    return steps;
}

// One history step of the model: the texture it was made on, and its values before and after.
struct ModelStep {
    int texture;
    Model before, after;
};

// Runs one sequence --------------------------------------------------------------------------

class Run {
public:
    Run();
    ~Run();
    // The first difference from the model, or "" when every step matched.
    std::string Play(const std::vector<Step>& steps);

private:
    void Apply(const Step& s);
    void Script(const std::function<void()>& edit);
    void Editor(const Step& s);
    std::string Check(const char* where);
    std::string CheckTexture(Texmap* t, bool samples);
    std::string CheckEditor();
    void Record(const Model& before);
    void UndoModel();
    void RedoModel();
    void Replace(Texmap* replacement);
    void CloseEditor();
    Texmap* FromModel();
    int FirstShown();

    host::LiveCounts start;
    std::vector<Texmap*> pool;
    Watcher poolHolder;
    Texmap* tex = nullptr;
    int texture = 0; // which texture the model's history steps belong to
    int reloads = 0;
    Model model;
    // The layer clipboard, shared by every texture: a layer copied from the row menu.
    bool clipFull = false;
    LayerModel clip;
    std::vector<ModelStep> undo, redo;
    host::MaterialEditorParams* editor = nullptr;
};

Run::Run()
{
    theHold.ClearHistory();
    start = host::CountLive();
    for (int i = 0; i < kPoolMaps; ++i) {
        const float c = 0.2f * (float)(i + 1);
        const std::wstring name = L"m" + std::to_wstring(i);
        pool.push_back(new TestMap(name.c_str(), AColor(c, 1.0f - c, 0.3f, 1.0f)));
    }
    for (int i = 0; i < kPoolNested; ++i) {
        Texmap* nested = NewVorlith();
        nested->SetName((L"n" + std::to_wstring(i)).c_str());
        Layers(nested)->SetNumLayers(2);
        nested->SetSubTexmap(2, pool[(size_t)i]);
        Layers(nested)->SetBlendMode(1, 4 + i);
        Layers(nested)->SetOpacity(1, 60.0f);
        pool.push_back(nested);
    }
    for (Texmap* m : pool)
        poolHolder.Hold(m);
    tex = NewVorlith();
    Layers(tex)->ClearLayerClipboard();
}

Run::~Run()
{
    CloseEditor();
    if (tex) Layers(tex)->ClearLayerClipboard();
    theHold.ClearHistory();
    DeleteTree(tex);
    poolHolder.ReleaseAll();
    host::DeleteScene(std::vector<ReferenceTarget*>(pool.begin(), pool.end()));
}

void Run::CloseEditor()
{
    if (!editor) return;
    editor->Close();
    delete editor;
    editor = nullptr;
}

// The model's history follows the host's: a step that changed the values is kept, the redo
// steps go, the oldest steps beyond the host's limit are dropped.
void Run::Record(const Model& before)
{
    if (before == model) return;
    undo.push_back({texture, before, model});
    redo.clear();
    if ((int)undo.size() > kMaxUndo) undo.erase(undo.begin());
}

void Run::UndoModel()
{
    if (undo.empty()) return;
    ModelStep s = undo.back();
    undo.pop_back();
    if (s.texture == texture) model = s.before;
    redo.push_back(s);
}

void Run::RedoModel()
{
    if (redo.empty()) return;
    ModelStep s = redo.back();
    redo.pop_back();
    if (s.texture == texture) model = s.after;
    undo.push_back(s);
}

void Run::Script(const std::function<void()>& edit)
{
    theHold.Begin();
    edit();
    theHold.Accept(L"Script");
}

// The texture is replaced (reload, delete and make): the history's steps about the old one
// then do nothing.
void Run::Replace(Texmap* replacement)
{
    CloseEditor();
    DeleteTree(tex);
    tex = replacement;
    ++texture;
}

void Run::Apply(const Step& s)
{
    IVorlithLayers* l = Layers(tex);
    const Model before = model;
    const int a = s.a, b = s.b;
    const float f = s.f;
    LayerModel* m = model.Has(a) ? &model.layers[(size_t)a] : nullptr;
    switch (s.kind) {
    case kSetNum:
        Script([&] { l->SetNumLayers(a); });
        model.SetNum(a);
        break;
    case kInsert:
        Script([&] { l->InsertLayer(a); });
        model.Insert(a);
        break;
    case kDelete:
        Script([&] { l->DeleteLayer(a); });
        model.Delete(a);
        break;
    case kSwap:
        Script([&] { l->SwapLayers(a, b % 9 - 1); });
        model.Swap(a, b % 9 - 1);
        break;
    case kMapOn:
        Script([&] { l->SetMapEnabled(a, b); });
        if (m) m->mapOn = b;
        break;
    case kMaskOn:
        Script([&] { l->SetMaskEnabled(a, b); });
        if (m) m->maskOn = b;
        break;
    case kSetUsed:
        Script([&] { l->SetLayerUsed(a, b); });
        if (m) m->used = b;
        break;
    case kOpacity:
        Script([&] { l->SetOpacity(a, f); });
        if (m) m->opacity = f;
        break;
    case kColor:
        Script([&] { l->SetLayerColor(a, Color(f, 1.0f - f, 0.5f)); });
        if (m) {
            m->r = f;
            m->g = 1.0f - f;
            m->b = 0.5f;
        }
        break;
    case kSetMode:
        Script([&] { l->SetBlendMode(a, b); });
        if (m) m->mode = b;
        break;
    case kSetSpace:
        Script([&] { l->SetBlendSpace(a, b); });
        if (m) m->space = b != 0;
        break;
    case kOutOn:
        Script([&] { l->SetOutputEnabled(b); });
        model.out.on = b;
        break;
    case kOutClamp:
        Script([&] { l->SetOutputClamp(b); });
        model.out.clamp = b;
        break;
    case kOutMono:
        Script([&] { l->SetOutputMono(b); });
        model.out.mono = b ? 1.0f : 0.0f;
        break;
    case kOutAlpha:
        Script([&] { l->SetOutputAlpha(f); });
        model.out.alpha = f;
        break;
    case kOutBright:
        Script([&] { l->SetOutputBrightness(f); });
        model.out.bright = f;
        break;
    case kOutContrast:
        Script([&] { l->SetOutputContrast(f); });
        model.out.contrast = f;
        break;
    case kOutGamma:
        // Never below the lowest gamma.
        Script([&] { l->SetOutputGamma(f); });
        model.out.gamma = f < VORLITH_MIN_OUTPUT_GAMMA ? VORLITH_MIN_OUTPUT_GAMMA : f;
        break;
    case kOutHSV:
        Script([&] { l->SetOutputShiftHSV(Point3(f * 100.0f, f, 0.0f)); });
        model.out.hsv[0] = f * 100.0f;
        model.out.hsv[1] = f;
        model.out.hsv[2] = 0.0f;
        break;
    case kOutRGB:
        Script([&] { l->SetOutputShiftRGB(Point3(0.0f, f, -f)); });
        model.out.rgb[0] = 0.0f;
        model.out.rgb[1] = f;
        model.out.rgb[2] = -f;
        break;
    case kAssign:
        // Slots of layers in the stack only; the same map may fill many slots.
        if (a < 2 * model.N()) {
            Script([&] { tex->SetSubTexmap(a, b < 0 ? nullptr : pool[(size_t)b]); });
            LayerModel& layer = model.layers[(size_t)(a / 2)];
            (a % 2 == 0 ? layer.map : layer.mask) = b;
        }
        break;
    case kUndo:
        for (int i = 0; i < a; ++i) {
            theHold.Undo();
            UndoModel();
        }
        return;
    case kRedo:
        for (int i = 0; i < a; ++i) {
            theHold.Redo();
            RedoModel();
        }
        return;
    case kReload: {
        CloseEditor();
        std::vector<ReferenceTarget*> loaded = RoundTrip({tex});
        if (loaded.size() == 1) Replace(static_cast<Texmap*>(loaded[0]));
        ++reloads;
        for (LayerModel& layer : model.layers) {
            if (layer.map >= 0) layer.map = layer.map % kCopies + kCopies * reloads;
            if (layer.mask >= 0) layer.mask = layer.mask % kCopies + kCopies * reloads;
        }
        return;
    }
    case kClone:
        // Checked and deleted at once: a copy holds the same values, its maps copied.
        return;
    case kViewport: {
        host::Viewport vp;
        vp.path = a ? host::Viewport::kRecordPath : host::Viewport::kHardwarePath;
        vp.Setup(tex, 0);
        return;
    }
    case kRemake:
        // Inside an open step or not, as the host may delete a scene while a step is open.
        if (a) theHold.Begin();
        CloseEditor();
        DeleteTree(tex);
        tex = NewVorlith();
        if (a) theHold.Accept(L"Delete");
        ++texture;
        model = Model();
        return;
    default:
        Editor(s);
        break;
    }
    Record(before);
}

int Run::FirstShown()
{
    HWND page = editor->Page(0);
    return _wtoi(Text(GetDlgItem(page, kIndex)).c_str());
}

static void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

static void Ctrl(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

static void Answer(int number, bool ctrl, HWND page, int button)
{
    CountAnswer answer;
    const std::wstring typed = std::to_wstring(number);
    answer.typed = typed.c_str();
    Ctrl(ctrl);
    AnswerCountDialog(answer, [&] { SendDlgItemMessageW(page, button, BM_CLICK, 0, 0); });
    Ctrl(false);
}

static void TypeInto(HWND page, int id, const std::wstring& text)
{
    SetDlgItemTextW(page, id, text.c_str());
    SendDlgItemMessageW(page, id, WM_KEYDOWN, VK_RETURN, 0);
}

static std::wstring Number(float v)
{
    std::wostringstream o;
    o << v;
    return o.str();
}

// The editor's gestures. Only controls a user can reach: in an open rollout, shown and enabled.
void Run::Editor(const Step& s)
{
    if (s.kind == kEdOpen) {
        if (!editor) {
            editor = new host::MaterialEditorParams;
            editor->Edit(tex);
            editor->Show();
        }
        return;
    }
    if (!editor) return;
    if (s.kind == kEdClose) {
        CloseEditor();
        return;
    }
    if (s.kind == kEdPage) {
        editor->SetPageOpen(s.a, s.b != 0);
        return;
    }
    PumpMessages();
    HWND panel = editor->Page(0), output = editor->Page(1);
    const bool layersOpen = editor->IsPageOpen(0), outputOpen = editor->IsPageOpen(1);
    const int row = s.a;
    const int first = FirstShown();
    const int layer = first + row;
    const bool shown = layersOpen && row < kRows && model.Has(layer);
    LayerModel* m = shown ? &model.layers[(size_t)layer] : nullptr;
    // Layer 0 shows no used switch, opacity or mode; a layer that is not used shows the rest
    // disabled.
    const bool valuesEnabled = m && layer > 0 && m->used;
    switch (s.kind) {
    case kEdSwitch: {
        if (!m || s.b == 3) return;
        if (s.b == 0 && layer == 0) return;
        if (s.b != 0 && layer > 0 && !m->used) return;
        const int id = (s.b == 0 ? kUsed : s.b == 1 ? kMapEnabled : kMaskEnabled) + row;
        SendDlgItemMessageW(panel, id, BM_CLICK, 0, 0);
        int& value = s.b == 0 ? m->used : s.b == 1 ? m->mapOn : m->maskOn;
        value = value ? 0 : 1;
        return;
    }
    case kEdMode: {
        if (!valuesEnabled) return;
        HWND list = GetDlgItem(panel, kMode + row);
        SendMessageW(list, CB_SETCURSEL, s.b, 0);
        SendMessageW(panel, WM_COMMAND, MAKEWPARAM(kMode + row, CBN_SELCHANGE), (LPARAM)list);
        m->mode = s.b;
        return;
    }
    case kEdOpacity:
        if (!valuesEnabled) return;
        TypeInto(panel, kOpacityEdit + row, Number(s.f));
        m->opacity = s.f;
        return;
    case kEdOpacitySpin:
        // Let go where it stands: nothing changes.
        if (!valuesEnabled) return;
        SendMessageW(panel, CC_SPINNER_BUTTONUP, MAKEWPARAM(kOpacitySpin + row, TRUE),
                     (LPARAM)GetDlgItem(panel, kOpacitySpin + row));
        return;
    case kEdIndex:
        // The typed number's layer and the row's exchange; text that is no number moves nothing.
        if (!m || layer == 0) return;
        TypeInto(panel, kIndex + row, s.b < 0 ? std::wstring(L"x") : std::to_wstring(s.b));
        if (s.b >= 0) model.Swap(layer, s.b);
        return;
    case kEdAdd:
        if (!layersOpen) return;
        SendDlgItemMessageW(panel, IDC_ADD_LAYER, BM_CLICK, 0, 0);
        model.SetNum(model.N() + 1);
        return;
    case kEdDelete:
        if (!layersOpen) return;
        SendDlgItemMessageW(panel, IDC_DELETE_LAYER, BM_CLICK, 0, 0);
        model.SetNum(model.N() - 1);
        return;
    case kEdInsert: {
        // Before layer 1 .. N - 1.
        if (!layersOpen || model.N() < 2 || s.a > model.N() - 1) return;
        Answer(s.a, true, panel, IDC_ADD_LAYER);
        model.Insert(s.a);
        return;
    }
    case kEdDeleteAt:
        if (!layersOpen || model.N() < 2 || s.a > model.N() - 1) return;
        Answer(s.a, true, panel, IDC_DELETE_LAYER);
        model.Delete(s.a);
        return;
    case kEdSetNumber:
        if (!layersOpen) return;
        Answer(s.a, false, panel, IDC_SET_NUMBER);
        model.SetNum(s.a);
        return;
    case kEdScroll: {
        if (!layersOpen) return;
        const int codes[] = {SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBPOSITION};
        SendMessageW(panel, WM_VSCROLL, MAKEWPARAM(codes[s.a], s.b),
                     (LPARAM)GetDlgItem(panel, IDC_LAYER_SCROLL));
        return;
    }
    case kEdOutClick: {
        // "On" always; Clamp, Mono and Reset only while the stage is on.
        if (!outputOpen) return;
        const int ids[] = {IDC_OUT_ON, IDC_OUT_CLAMP, IDC_OUT_MONO, IDC_OUT_RESET};
        if (s.b > 0 && !model.out.on) return;
        SendDlgItemMessageW(output, ids[s.b], BM_CLICK, 0, 0);
        if (s.b == 0) model.out.on = !model.out.on;
        if (s.b == 1) model.out.clamp = !model.out.clamp;
        if (s.b == 2) model.out.mono = model.out.mono != 0.0f ? 0.0f : 1.0f;
        if (s.b == 3) model.ResetOutput();
        return;
    }
    case kEdRowMenu: {
        // The row menu's command, as the menu gives it; what the layer does not allow changes
        // nothing. 0 Duplicate, 1 Move Up, 2 Move Down, 3 Insert Above, 4 Insert Below,
        // 5 Delete, 6 Clear Map, 7 Clear Mask, 8 Copy, 9 Paste Above.
        if (!m) return;
        SendMessageW(panel, WM_COMMAND, IDM_ROW_MENU + s.b * 16 + row, 0);
        std::vector<LayerModel>& ls = model.layers;
        const int n = model.N();
        switch (s.b) {
        case 0:
            ls.insert(ls.begin() + layer + 1, *m);
            break;
        case 1:
            if (layer >= 1 && layer + 1 < n) model.Swap(layer, layer + 1);
            break;
        case 2:
            if (layer >= 2) model.Swap(layer, layer - 1);
            break;
        case 3:
            ls.insert(ls.begin() + layer + 1, LayerModel());
            break;
        case 4:
            if (layer >= 1) ls.insert(ls.begin() + layer, LayerModel());
            break;
        case 5:
            model.Delete(layer);
            break;
        case 6:
            m->map = -1;
            break;
        case 7:
            m->mask = -1;
            break;
        case 8:
            clip = *m;
            clipFull = true;
            break;
        case 9:
            if (clipFull) ls.insert(ls.begin() + layer + 1, clip);
            break;
        }
        return;
    }
    case kEdColor: {
        // A swatch's final colour is one step; a drag before it changes nothing more.
        if (!m || (layer > 0 && !m->used)) return;
        const int shades[] = {0, 64, 128, 255};
        const int v = shades[s.b % 4];
        IColorSwatch* swatch = GetIColorSwatch(GetDlgItem(panel, kSwatch + row));
        if (!swatch) return;
        if (s.f != 0.0f) {
            // A drag: changes that are not final.
            swatch->SetColor(RGB(255 - v, v, 7), FALSE);
            SendMessageW(panel, CC_COLOR_CHANGE, MAKEWPARAM(kSwatch + row, 0),
                         (LPARAM)GetDlgItem(panel, kSwatch + row));
        }
        swatch->SetColor(RGB(v, 255 - v, v / 2), TRUE);
        ReleaseIColorSwatch(swatch);
        m->r = (float)v / 255.0f;
        m->g = (float)(255 - v) / 255.0f;
        m->b = (float)(v / 2) / 255.0f;
        return;
    }
    case kEdOutValue: {
        if (!outputOpen || !model.out.on) return;
        if (s.a == 3) {
            // A spinner let go where it stands: nothing changes.
            const int spins[] = {IDC_OUT_BRIGHT_SPIN, IDC_OUT_CONTRAST_SPIN, IDC_OUT_GAMMA_SPIN,
                                 IDC_OUT_ALPHA_SPIN,  IDC_OUT_HSV_H_SPIN,    IDC_OUT_RGB_G_SPIN};
            const int spin = spins[s.b % 6];
            SendMessageW(output, CC_SPINNER_BUTTONUP, MAKEWPARAM(spin, TRUE),
                         (LPARAM)GetDlgItem(output, spin));
            return;
        }
        // Brightness and contrast are typed in percent, gamma as it is (here a percent of 1).
        const int ids[] = {IDC_OUT_BRIGHT_EDIT, IDC_OUT_CONTRAST_EDIT, IDC_OUT_GAMMA_EDIT};
        const float typed = (float)s.b;
        TypeInto(output, ids[s.a % 3], Number(s.a % 3 == 2 ? typed * 0.01f : typed));
        if (s.a % 3 == 0) model.out.bright = typed * 0.01f;
        if (s.a % 3 == 1) model.out.contrast = typed * 0.01f;
        if (s.a % 3 == 2) model.out.gamma = typed * 0.01f;
        return;
    }
    default:
        return;
    }
}

// A texture made from the model alone, to compare samples with.
Texmap* Run::FromModel()
{
    Texmap* t = NewVorlith();
    IVorlithLayers* l = Layers(t);
    l->SetNumLayers(model.N());
    for (int i = 0; i < model.N(); ++i) {
        const LayerModel& m = model.layers[(size_t)i];
        l->SetMapEnabled(i, m.mapOn);
        l->SetMaskEnabled(i, m.maskOn);
        l->SetLayerUsed(i, m.used);
        l->SetOpacity(i, m.opacity);
        l->SetLayerColor(i, Color(m.r, m.g, m.b));
        l->SetBlendMode(i, m.mode);
        l->SetBlendSpace(i, m.space);
        if (m.map >= 0) t->SetSubTexmap(2 * i, pool[(size_t)(m.map % kCopies)]);
        if (m.mask >= 0) t->SetSubTexmap(2 * i + 1, pool[(size_t)(m.mask % kCopies)]);
    }
    const OutputModel& o = model.out;
    l->SetOutputEnabled(o.on);
    l->SetOutputClamp(o.clamp);
    l->SetOutputMono(o.mono != 0.0f);
    l->SetOutputAlpha(o.alpha);
    l->SetOutputBrightness(o.bright);
    l->SetOutputContrast(o.contrast);
    l->SetOutputGamma(o.gamma);
    l->SetOutputShiftHSV(Point3(o.hsv[0], o.hsv[1], o.hsv[2]));
    l->SetOutputShiftRGB(Point3(o.rgb[0], o.rgb[1], o.rgb[2]));
    return t;
}

std::string Mismatch(const std::string& what, double is, double should)
{
    std::ostringstream o;
    o << what << " is " << is << ", the model says " << should;
    return o.str();
}

#define SOAK_EXPECT(what, is, should) \
    do { \
        if (!((is) == (should))) return Mismatch(what, (double)(is), (double)(should)); \
    } while (0)
#define SOAK_EXPECT_BITS(what, is, should) \
    do { \
        if (!SameBits((is), (should))) return Mismatch(what, (double)(is), (double)(should)); \
    } while (0)

std::string Narrow(const std::wstring& w)
{
    std::string s;
    for (wchar_t c : w)
        s += c < 128 ? (char)c : '?';
    return s;
}

// A map's own name: the editor puts its layer's label in front, up to "| ".
std::string BareName(Texmap* map)
{
    const std::wstring name = NameOf(map);
    const size_t bar = name.rfind(L'|');
    if (bar == std::wstring::npos) return Narrow(name);
    return Narrow(name.substr(bar + 2 <= name.size() ? bar + 2 : name.size()));
}

std::string PoolName(int i)
{
    if (i < 0) return "";
    i %= kCopies;
    return (i < kPoolMaps ? "m" : "n") + std::to_string(i < kPoolMaps ? i : i - kPoolMaps);
}

// What the texture shows through its published interface, its slots and its block.
std::string Run::CheckTexture(Texmap* t, bool samples)
{
    IVorlithLayers* l = Layers(t);
    SOAK_EXPECT("layer count", l->GetNumLayers(), model.N());
    SOAK_EXPECT("slot count", t->NumSubTexmaps(), 2 * model.N());
    IParamBlock2* pb = Block(t);
    SOAK_EXPECT("block label count", pb->Count(pb_edit_ids), model.N());
    for (int i = 0; i < model.N(); ++i) {
        const LayerModel& m = model.layers[(size_t)i];
        const std::string at = " of layer " + std::to_string(i);
        SOAK_EXPECT("map switch" + at, l->GetMapEnabled(i), m.mapOn);
        SOAK_EXPECT("mask switch" + at, l->GetMaskEnabled(i), m.maskOn);
        SOAK_EXPECT("used switch" + at, l->GetLayerUsed(i), m.used);
        SOAK_EXPECT_BITS("opacity" + at, l->GetOpacity(i), m.opacity);
        const Color c = l->GetLayerColor(i);
        SOAK_EXPECT_BITS("red" + at, c.r, m.r);
        SOAK_EXPECT_BITS("green" + at, c.g, m.g);
        SOAK_EXPECT_BITS("blue" + at, c.b, m.b);
        SOAK_EXPECT("mode" + at, l->GetBlendMode(i), m.mode);
        SOAK_EXPECT("space" + at, l->GetBlendSpace(i), m.space);
        const std::string map = BareName(t->GetSubTexmap(2 * i));
        const std::string mask = BareName(t->GetSubTexmap(2 * i + 1));
        if (map != PoolName(m.map))
            return "map" + at + " is '" + map + "', the model says '" + PoolName(m.map) + "'";
        if (mask != PoolName(m.mask))
            return "mask" + at + " is '" + mask + "', the model says '" + PoolName(m.mask) + "'";
        // Labels stay with their rows: an exchange moves values, not labels. The editor writes
        // "B:" for the base layer.
        const MCHAR* label = pb->GetStr(pb_edit_ids, 0, i);
        if (!label || (std::to_wstring(i) != label && (i != 0 || std::wstring(L"B:") != label)))
            return "label" + at + " is '" + (label ? Narrow(label) : "null") + "', not " +
                std::to_string(i);
    }
    const OutputModel& o = model.out;
    SOAK_EXPECT("Output on", l->GetOutputEnabled(), o.on);
    SOAK_EXPECT("Output clamp", l->GetOutputClamp(), o.clamp);
    SOAK_EXPECT("Output mono", l->GetOutputMono(), o.mono != 0.0f ? 1 : 0);
    SOAK_EXPECT_BITS("Output alpha", l->GetOutputAlpha(), o.alpha);
    SOAK_EXPECT_BITS("Output brightness", l->GetOutputBrightness(), o.bright);
    SOAK_EXPECT_BITS("Output contrast", l->GetOutputContrast(), o.contrast);
    SOAK_EXPECT_BITS("Output gamma", l->GetOutputGamma(), o.gamma);
    const Point3 hsv = l->GetOutputShiftHSV(), rgb = l->GetOutputShiftRGB();
    for (int k = 0; k < 3; ++k) {
        SOAK_EXPECT_BITS("Output HSV shift", hsv[k], o.hsv[k]);
        SOAK_EXPECT_BITS("Output RGB shift", rgb[k], o.rgb[k]);
    }
    if (!samples) return "";
    // Samples: the same as a texture given the model's values from new.
    Texmap* fresh = FromModel();
    std::string diff;
    Interval valid = FOREVER;
    t->Update(0, valid);
    valid = FOREVER;
    fresh->Update(0, valid);
    for (float u : {0.1f, 0.5f, 0.9f}) {
        host::SampleShadeContext sc1, sc2;
        sc1.BeginSample();
        sc1.SetUVW(Point3(u, 1.0f - u, 0.0f));
        sc2.BeginSample();
        sc2.SetUVW(Point3(u, 1.0f - u, 0.0f));
        const AColor c1 = t->EvalColor(sc1), c2 = fresh->EvalColor(sc2);
        const Point3 p1 = t->EvalNormalPerturb(sc1), p2 = fresh->EvalNormalPerturb(sc2);
        if (!SameBits(c1.r, c2.r) || !SameBits(c1.g, c2.g) || !SameBits(c1.b, c2.b) ||
            !SameBits(c1.a, c2.a) || !SameBits(p1.x, p2.x) || !SameBits(p1.y, p2.y) ||
            !SameBits(p1.z, p2.z))
            diff = "the sample at u " + std::to_string(u) + " differs from the model's texture";
    }
    DeleteTree(fresh);
    return diff;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// What the open rollouts of the editor show.
std::string Run::CheckEditor()
{
    if (!editor) return "";
    PumpMessages();
    if (editor->IsPageOpen(0)) {
        HWND panel = editor->Page(0);
        SOAK_EXPECT("layer count shown", _wtoi(Text(GetDlgItem(panel, IDC_LAYER_COUNT)).c_str()),
                    model.N());
        const int first = FirstShown();
        const int last = model.N() > kRows ? model.N() - kRows : 0;
        if (first < 0 || first > last) return "the top row shows layer " + std::to_string(first);
        for (int r = 0; r < kRows && first + r < model.N(); ++r) {
            const int layer = first + r;
            const LayerModel& m = model.layers[(size_t)layer];
            const std::string at = " shown in row " + std::to_string(r);
            SOAK_EXPECT("label" + at, _wtoi(Text(GetDlgItem(panel, kIndex + r)).c_str()), layer);
            SOAK_EXPECT("map switch" + at, Checked(panel, kMapEnabled + r), m.mapOn != 0);
            SOAK_EXPECT("mask switch" + at, Checked(panel, kMaskEnabled + r), m.maskOn != 0);
            if (layer == 0) continue;
            SOAK_EXPECT("used switch" + at, Checked(panel, kUsed + r), m.used != 0);
            ISpinnerControl* spin = GetISpinner(GetDlgItem(panel, kOpacitySpin + r));
            const float opacity = spin ? spin->GetFVal() : -1.0f;
            ReleaseISpinner(spin);
            SOAK_EXPECT_BITS("opacity" + at, opacity, m.opacity);
            const int mode = (int)SendDlgItemMessageW(panel, kMode + r, CB_GETCURSEL, 0, 0);
            SOAK_EXPECT("mode" + at, mode, m.mode);
        }
    }
    if (editor->IsPageOpen(1)) {
        HWND output = editor->Page(1);
        const OutputModel& o = model.out;
        SOAK_EXPECT("Output on shown", Checked(output, IDC_OUT_ON), o.on != 0);
        SOAK_EXPECT("Output clamp shown", Checked(output, IDC_OUT_CLAMP), o.clamp != 0);
        SOAK_EXPECT("Output mono shown", Checked(output, IDC_OUT_MONO), o.mono != 0.0f);
        const int spins[] = {IDC_OUT_BRIGHT_SPIN, IDC_OUT_CONTRAST_SPIN, IDC_OUT_GAMMA_SPIN};
        const float values[] = {o.bright * 100.0f, o.contrast * 100.0f, o.gamma};
        for (int k = 0; k < 3; ++k) {
            ISpinnerControl* spin = GetISpinner(GetDlgItem(output, spins[k]));
            const float shown = spin ? spin->GetFVal() : -1.0f;
            ReleaseISpinner(spin);
            SOAK_EXPECT_BITS("Output value " + std::to_string(k) + " shown", shown, values[k]);
        }
    }
    return "";
}

std::string Run::Check(const char* where)
{
    std::string d = CheckTexture(tex, true);
    if (d.empty()) d = CheckEditor();
    if (d.empty() && theHold.GetUndoCount() != (int)undo.size())
        d = Mismatch("undo steps", theHold.GetUndoCount(), (double)undo.size());
    if (d.empty() && theHold.GetRedoCount() != (int)redo.size())
        d = Mismatch("redo steps", theHold.GetRedoCount(), (double)redo.size());
    return d.empty() ? d : std::string(where) + ": " + d;
}

std::string Run::Play(const std::vector<Step>& steps)
{
    for (size_t i = 0; i < steps.size(); ++i) {
        Apply(steps[i]);
        std::string d = Check(("after step " + std::to_string(i + 1)).c_str());
        if (d.empty() && steps[i].kind == kClone) {
            ReferenceTarget* copy = CloneRefHierarchy(tex);
            d = copy ? CheckTexture(static_cast<Texmap*>(copy), true) : "no copy";
            if (!d.empty()) d = "the copy after step " + std::to_string(i + 1) + ": " + d;
            DeleteTree(copy);
        }
        if (!d.empty()) return d;
    }
    // Undo all: the state the history starts from; redo all: the newest state it holds (the
    // end of the edits, or further when they ended with steps undone).
    CloseEditor();
    while (theHold.Undo())
        UndoModel();
    std::string d = Check("after undoing all");
    if (!d.empty()) return d;
    while (theHold.Redo())
        RedoModel();
    d = Check("after redoing all");
    if (!d.empty()) return d;
    // Everything gone: nothing left alive.
    theHold.ClearHistory();
    Layers(tex)->ClearLayerClipboard();
    DeleteTree(tex);
    tex = nullptr;
    poolHolder.ReleaseAll();
    host::DeleteScene(std::vector<ReferenceTarget*>(pool.begin(), pool.end()));
    pool.clear();
    const std::string left = host::DescribeLeft(start);
    return left.empty() ? "" : "left alive after the end: " + left;
}

std::string PlayOnce(const std::vector<Step>& steps)
{
    Run run;
    return run.Play(steps);
}

// Shortens a failing sequence: drops chunks, then single steps, while it still fails.
std::vector<Step> Shorten(std::vector<Step> steps)
{
    int runs = 0;
    for (size_t chunk = steps.size() / 2; chunk >= 1 && runs < 400; chunk /= 2) {
        for (size_t at = 0; at + chunk <= steps.size() && runs < 400;) {
            std::vector<Step> shorter(steps.begin(), steps.begin() + (long)at);
            shorter.insert(shorter.end(), steps.begin() + (long)(at + chunk), steps.end());
            ++runs;
            if (!PlayOnce(shorter).empty())
                steps = shorter;
            else
                at += chunk;
        }
        if (chunk == 1) break;
    }
    return steps;
}

int EnvInt(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

TEST(Soak, RandomEditSequencesMatchTheModel)
{
    const int count = EnvInt("QUILTRA_SOAK_SEQUENCES", kFixedSequences);
    const int first = EnvInt("QUILTRA_SOAK_FIRST_SEED", 1);
    int failures = 0;
    const DWORD started = GetTickCount();
    for (int seed = first; seed < first + count && failures < 3; ++seed) {
        // Long runs tell how far they are.
        if (count > kFixedSequences && (seed - first) % 250 == 0 && seed > first) {
            std::printf("soak: seeds %d to %d done in %lu s\n", first, seed - 1,
                        (unsigned long)((GetTickCount() - started) / 1000));
            std::fflush(stdout);
        }
        const std::vector<Step> steps = MakeSequence((unsigned)seed);
        const std::string failure = PlayOnce(steps);
        if (failure.empty()) continue;
        ++failures;
        const std::vector<Step> shortest = Shorten(steps);
        std::ostringstream o;
        o << "seed " << seed << " (again: make soak N=1 FIRST=" << seed << "): " << failure
          << "\nshortened to " << shortest.size() << " steps (" << PlayOnce(shortest) << "):";
        for (const Step& s : shortest)
            o << "\n  " << Describe(s);
        ADD_FAILURE() << o.str();
    }
    std::printf("soak: seeds %d to %d in %lu s, %d failed\n", first, first + count - 1,
                (unsigned long)((GetTickCount() - started) / 1000), failures);
}

} // namespace
