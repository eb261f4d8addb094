// The map browser of quiltra edit fed generated field texts: numbers finite and not, huge and
// tiny, empty fields, wrong counts, stray words, very long texts. Each case knows from how it
// was made whether the browser must take it; taken, the slot's map holds exactly the values
// typed; refused, one short message line and the slot unchanged.
//
// A fixed round runs in the suite; a longer one:
//   QUILTRA_FUZZ_SEED=7 QUILTRA_FUZZ_COUNT=5000 scripts/test-windows build/win -R
//   app_map_browser_fuzz
// A failure names the seed and the case; QUILTRA_FUZZ_VERBOSE=1 prints each case as it starts.
#include "app_test_support.h"
#include "cli_rules.h"
#include "edit_window.h"
#include "editor_shot.h"
#include "file_io.h"
#include "map_browser.h"
#include "picture_maps.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <random>

using namespace quiltra;
using namespace quiltra_test;

namespace {

const int kMapButton = 1550; // the plug-in's map button of layer row 0; row r adds 2r

std::function<void(HWND)>* answering = nullptr;
LRESULT CALLBACK AnswerHook(int code, WPARAM wp, LPARAM lp)
{
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && answering && m->message == WM_INITDIALOG) (*answering)(m->hwnd);
    return CallNextHookEx(NULL, code, wp, lp);
}

long long EnvNumber(const char* name, long long fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::atoll(v) : fallback;
}

// One field's text and whether it reads, with the numbers it holds when it does.
struct Field {
    int id;
    std::wstring text;
    bool reads = true;
    std::vector<float> values;
};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) { }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    // A number that reads: its text and the float it is.
    std::wstring GoodNumber(float& value, bool positive = false)
    {
        static const wchar_t* const fixed[] = {
            L"0",     L"1",     L"0.5", L"-2.25",    L"3.4e38",   L"-3.4028234e38",
            L"1e-45", L"1e-50", L"+7",  L"0.000001", L"12345678", L".5",
            L"5."};
        std::wstring t;
        if (Chance(40)) {
            t = fixed[Pick(13)];
        } else {
            wchar_t b[64];
            const double d = std::ldexp((double)Pick(1 << 20) - (1 << 19), Pick(60) - 40);
            std::swprintf(b, 64, L"%.*g", 1 + Pick(9), d);
            t = b;
        }
        value = (float)std::wcstod(t.c_str(), nullptr);
        if (positive && !(value > 0.0f)) {
            t = L"0.25";
            value = 0.25f;
        }
        return t;
    }
    std::wstring BadNumber()
    {
        static const wchar_t* const bad[] = {L"nan",   L"inf",    L"-inf",  L"1e39", L"-1e39",
                                             L"1e400", L"abc",    L"1.2.3", L"--1",  L"0x",
                                             L"1e",    L"\u0663", L"1_0",   L"#",    L"1;2"};
        return bad[Pick(15)];
    }
    std::wstring Separator()
    {
        static const wchar_t* const seps[] = {L" ", L", ", L"  ", L"\t", L",", L" ,  "};
        return seps[Pick(6)];
    }
    // `want` numbers (sometimes another count, sometimes a bad one among them).
    Field Numbers(int id, int least, int most, bool positive = false)
    {
        Field f {id, L"", true, {}};
        int n = least + Pick(most - least + 1);
        if (Chance(12)) {
            n = Pick(8);
            if (Chance(10)) n = 200 + Pick(3000); // very long
        }
        const bool bad = Chance(12);
        const int badAt = n ? Pick(n) : 0;
        if (Chance(10)) f.text += L" ";
        for (int i = 0; i < n; ++i) {
            if (i) f.text += Separator();
            if (bad && i == badAt) {
                f.text += BadNumber();
                continue;
            }
            float v = 0.0f;
            f.text += GoodNumber(v, positive);
            f.values.push_back(v);
        }
        if (Chance(10)) f.text += L" ";
        f.reads = !bad && n >= least && n <= most;
        return f;
    }
    Field Whole(int id, long long low, long long high)
    {
        Field f {id, L"", true, {}};
        long long n;
        switch (Pick(6)) {
        case 0:
            n = low - 1 - Pick(3);
            break;
        case 1:
            n = high + 1 + Pick(3);
            break;
        default:
            n = low +
                (long long)(std::uniform_real_distribution<double>(0, 1)(rng_) *
                            (double)(high - low));
        }
        f.text = std::to_wstring(n);
        if (n >= 0 && Chance(10)) f.text = L"+" + f.text; // a sign reads, as does space around
        if (Chance(10)) f.text = L" " + f.text + L"  ";
        f.reads = n >= low && n <= high;
        if (Chance(10)) {
            static const wchar_t* const bad[] = {L"", L"x", L"1.5", L"0x3", L"3 4", L"99999999999"};
            f.text = bad[Pick(6)];
            f.reads = false;
        }
        f.values.push_back((float)n);
        return f;
    }
    Field Stops(int id)
    {
        Field f {id, L"", true, {}};
        int lines = 2 + Pick(6);
        if (Chance(10)) lines = Pick(2);
        if (Chance(5)) lines = 250 + Pick(20);
        int counted = 0;
        for (int i = 0; i < lines; ++i) {
            Field c = Numbers(id, 3, 4);
            if (c.text.find_first_not_of(L' ') == std::wstring::npos)
                c.reads = true; // blank
            else
                ++counted;
            if (c.reads && c.values.size() == 3) c.values.push_back(1.0f);
            f.reads = f.reads && c.reads;
            f.values.insert(f.values.end(), c.values.begin(), c.values.end());
            f.text += (i ? L"\r\n" : L"") + c.text;
            if (Chance(5)) f.text += L"\r\n   "; // blank lines are passed over
        }
        f.reads = f.reads && counted >= 2 && counted <= (int)kMaxGradientStops;
        return f;
    }

private:
    std::mt19937 rng_;
};

// The message box's text (its static control holding the question).
std::wstring MessageOf(HWND box)
{
    std::wstring longest;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        std::wstring t = TextOf(c);
        if (t.size() > longest.size()) longest = t;
    }
    return longest;
}

bool Same(const std::vector<float>& values, const float* p, size_t n)
{
    if (values.size() != n) return false;
    return std::memcmp(values.data(), p, n * sizeof(float)) == 0;
}

TEST(MapBrowserFuzz, EveryFieldTextIsTakenExactlyOrRefusedInOneLine)
{
    const unsigned seed = (unsigned)EnvNumber("QUILTRA_FUZZ_SEED", 1);
    const int count = (int)EnvNumber("QUILTRA_FUZZ_COUNT", 100);
    const bool verbose = EnvNumber("QUILTRA_FUZZ_VERBOSE", 0) != 0;
    const std::string folder = ScratchFolder("browser-fuzz");
    WriteText(folder + "scene.json", R"({ "layers": [ { "map": { "type": "checker" } } ] })");
    EditSession session(TestHost(), LoadAnyScene(TestHost(), folder + "scene.json"),
                        folder + "scene.json", true, folder + "scene.scene", PreviewChannel::Color);
    ASSERT_NE(session.Window(), nullptr);
    session.Show();
    HWND layers = session.Editor().Page(0);
    ASSERT_NE(layers, nullptr);

    // Files for the bitmap's field: one picture, and what is no picture.
    WriteText(folder + "not-a-picture.png", "text, not a picture");
    const char huge[] =
        "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x2e\xe0\0\0\x2e\xe0\x08\x06\0\0\0\0\0\0\0"
        "\0\0\0\0IEND\xae\x42\x60\x82";
    WriteText(folder + "huge.png", std::string(huge, sizeof huge - 1));
    CreateDirectoryW(Widen(folder + "folder.png").c_str(), nullptr);
    const std::wstring picture = Widen(SourcePath("examples/pictures/demo-render.png"));
    const std::vector<std::pair<std::wstring, bool>> files = {
        {picture, true},
        {L"", false},
        {L"   ", false},
        {Widen(folder + "missing.png"), false},
        {Widen(folder + "not-a-picture.png"), false},
        {Widen(folder + "huge.png"), false},
        {Widen(folder + "folder.png"), false},
        {L"NUL", false},
        {L"com1.png", false},
        {Widen(folder) + L"new\r\nline.png", false},
        {Widen(folder) + L"tab\there.png", false},
    };

    Generator g(seed);
    int taken = 0, refused = 0;
    const MapKind kinds[] = {MapKind::Constant, MapKind::Checker, MapKind::Gradient, MapKind::Noise,
                             MapKind::Bitmap};
    for (int i = 0; i < count; ++i) {
        const MapKind kind = kinds[g.Pick(5)];
        std::vector<Field> fields;
        bool linear = false;
        switch (kind) {
        case MapKind::Constant:
            fields = {g.Numbers(kBrowserColor1, 3, 4), g.Numbers(kBrowserPerturb, 3, 3)};
            break;
        case MapKind::Checker:
            fields = {g.Numbers(kBrowserColor1, 3, 4), g.Numbers(kBrowserColor2, 3, 4),
                      g.Numbers(kBrowserScale, 1, 1, true), g.Numbers(kBrowserBump, 1, 1)};
            break;
        case MapKind::Gradient:
            fields = {g.Stops(kBrowserStops), g.Numbers(kBrowserBump, 1, 1)};
            break;
        case MapKind::Bitmap: {
            const auto& file = files[(size_t)(g.Chance(50) ? 0 : g.Pick((int)files.size()))];
            fields = {Field {kBrowserFile, file.first, file.second, {}},
                      g.Numbers(kBrowserBump, 1, 1)};
            linear = g.Chance(50);
            break;
        }
        default:
            fields = {g.Numbers(kBrowserColor1, 3, 4),         g.Numbers(kBrowserColor2, 3, 4),
                      g.Numbers(kBrowserScale, 1, 1, true),    g.Whole(kBrowserOctaves, 1, 8),
                      g.Whole(kBrowserSeed, INT_MIN, INT_MAX), g.Numbers(kBrowserBump, 1, 1)};
        }
        // A scale of 0 or below does not read either.
        for (Field& f : fields)
            if (f.id == kBrowserScale && f.reads && !(f.values[0] > 0.0f)) f.reads = false;
        bool reads = true;
        for (const Field& f : fields)
            reads = reads && f.reads;

        std::string trace = "seed " + std::to_string(seed) + ", case " + std::to_string(i) + ":";
        for (const Field& f : fields)
            trace += " [" + std::to_string(f.id) + "] \"" + OneLine(Narrow(f.text)).substr(0, 200) +
                "\"";
        SCOPED_TRACE(trace);
        if (verbose) { // each case before it runs: a crash names its case
            std::fprintf(stderr, "%s\n", trace.c_str());
            std::fflush(stderr);
        }

        Texmap* before = session.Scene()->GetSubTexmap(0);
        std::wstring told;
        HWND browser = NULL;
        std::function<void(HWND)> answer = [&](HWND dialog) {
            if (!GetDlgItem(dialog, kBrowserKinds)) { // the message box
                told = MessageOf(dialog);
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            browser = dialog;
            SendDlgItemMessageW(dialog, kBrowserKinds, LB_SETCURSEL, (WPARAM)kind, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(dialog, kBrowserKinds));
            for (const Field& f : fields)
                SetDlgItemTextW(dialog, f.id, f.text.c_str());
            if (kind == MapKind::Bitmap)
                CheckDlgButton(dialog, kBrowserLinear, linear ? BST_CHECKED : BST_UNCHECKED);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        };
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerHook, NULL, GetCurrentThreadId());
        answering = &answer;
        SendMessageW(GetDlgItem(layers, kMapButton), BM_CLICK, 0, 0);
        PumpMessages();
        answering = nullptr;
        UnhookWindowsHookEx(hook);
        ASSERT_NE(browser, nullptr);

        Texmap* now = session.Scene()->GetSubTexmap(0);
        if (!reads) {
            ++refused;
            EXPECT_FALSE(told.empty()) << "taken";
            EXPECT_EQ(now, before);
            EXPECT_EQ(told.find_first_of(L"\r\n\t"), std::wstring::npos)
                << OneLine(Narrow(told)).substr(0, 300);
            EXPECT_LE(told.size(), 200u) << OneLine(Narrow(told)).substr(0, 300);
            continue;
        }
        ++taken;
        ASSERT_TRUE(told.empty()) << OneLine(Narrow(told)).substr(0, 300);
        PictureMap* map = PictureMapOf(now);
        ASSERT_NE(map, nullptr);
        ASSERT_EQ((int)map->Kind() + (int)MapKind::Constant, (int)kind);
        const PictureParams& p = map->Params();
        for (const Field& f : fields) {
            std::vector<float> want = f.values;
            if ((f.id == kBrowserColor1 || f.id == kBrowserColor2) && want.size() == 3)
                want.push_back(1.0f);
            bool same = true;
            switch (f.id) {
            case kBrowserColor1:
                same = Same(want, (kind == MapKind::Constant ? p.color : p.color1).data(), 4);
                break;
            case kBrowserColor2:
                same = Same(want, p.color2.data(), 4);
                break;
            case kBrowserPerturb:
                same = Same(want, p.perturb.data(), 3);
                break;
            case kBrowserScale:
                same = Same(want, &p.scale, 1);
                break;
            case kBrowserBump:
                same = Same(want, &p.bump, 1);
                break;
            case kBrowserOctaves:
                same = p.octaves == (int)want[0];
                break;
            case kBrowserSeed:
                same = (float)p.seed == want[0];
                break;
            case kBrowserFile:
                same = Widen(p.file) == f.text && !p.image.empty() && p.linear == linear;
                break;
            case kBrowserStops: {
                std::vector<float> held;
                for (const auto& s : p.stops)
                    held.insert(held.end(), s.begin(), s.end());
                same = held == want;
                break;
            }
            }
            EXPECT_TRUE(same) << "field " << f.id;
        }
        // What was taken evaluates and saves.
        EvalColorAt(session.Scene(), 0.25f, 0.75f);
        EXPECT_NO_THROW(SaveSceneBytes(session.Scene()));
    }
    std::printf("map browser fuzz: seed %u, %d cases: %d taken, %d refused\n", seed, count, taken,
                refused);
}

} // namespace

namespace {

// Found by the round above: a bitmap that does not decode, chosen for a slot holding a map of
// another kind, made and deleted its map inside the browser's undo step, and cancelling the
// step called into the deleted map.
TEST(MapBrowserFuzz, ABitmapThatDoesNotDecodeInPlaceOfAnotherKindLeavesTheSlotAsItWas)
{
    const std::string folder = ScratchFolder("browser-bad-bitmap");
    WriteText(folder + "not-a-picture.png", "text, not a picture");
    WriteText(folder + "scene.json", R"({ "layers": [ { "map": { "type": "checker" } } ] })");
    EditSession session(TestHost(), LoadAnyScene(TestHost(), folder + "scene.json"),
                        folder + "scene.json", true, folder + "scene.scene", PreviewChannel::Color);
    ASSERT_NE(session.Window(), nullptr);
    session.Show();
    HWND layers = session.Editor().Page(0);
    Texmap* before = session.Scene()->GetSubTexmap(0);
    for (int round = 0; round < 3; ++round) {
        std::wstring told;
        HWND browser = NULL;
        std::function<void(HWND)> answer = [&](HWND dialog) {
            if (!GetDlgItem(dialog, kBrowserKinds)) {
                told = MessageOf(dialog);
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            browser = dialog;
            SendDlgItemMessageW(dialog, kBrowserKinds, LB_SETCURSEL, (WPARAM)MapKind::Bitmap, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kBrowserKinds, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(dialog, kBrowserKinds));
            SetDlgItemTextW(dialog, kBrowserFile, Widen(folder + "not-a-picture.png").c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        };
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerHook, NULL, GetCurrentThreadId());
        answering = &answer;
        SendMessageW(GetDlgItem(layers, kMapButton), BM_CLICK, 0, 0);
        PumpMessages();
        answering = nullptr;
        UnhookWindowsHookEx(hook);
        EXPECT_NE(told.find(L"cannot read picture"), std::wstring::npos) << Narrow(told);
        EXPECT_EQ(session.Scene()->GetSubTexmap(0), before);
    }
}

} // namespace
