#include "preview.h"

#include "editor_shot.h"

#include <imtl.h>

#include <algorithm>

namespace quiltra {
namespace {

const wchar_t kSlotClass[] = L"QuiltraSampleSlot";
// Posted to the slot: render now (Invalidate), and a render has finished (the render thread).
const UINT kRefreshMessage = WM_APP + 1;
const UINT kRenderDoneMessage = WM_APP + 2;
const UINT kMenuColor = 1, kMenuBump = 2;
// The board shown through transparent parts: squares of this many pixels in two greys.
const int kBoardSquare = 8;
const int kBoardLight = 0xCC, kBoardDark = 0x99;

Preview* PreviewOf(HWND hwnd)
{
    return reinterpret_cast<Preview*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK SlotProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    if (Preview* p = PreviewOf(hwnd)) return p->OnMessage(hwnd, msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterSlotClass()
{
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SlotProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.lpszClassName = kSlotClass;
    RegisterClassW(&wc);
}

// The picture for the screen: each pixel over the board by its alpha, as blue, green, red and
// an unused byte.
std::vector<std::uint8_t> OverBoard(const std::vector<std::uint8_t>& rgba, int width, int height)
{
    std::vector<std::uint8_t> out(rgba.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = ((size_t)y * (size_t)width + (size_t)x) * 4;
            const bool light = ((x / kBoardSquare) + (y / kBoardSquare)) % 2 == 0;
            const int board = light ? kBoardLight : kBoardDark;
            const int a = rgba[i + 3];
            for (int c = 0; c < 3; ++c)
                out[i + 2 - (size_t)c] =
                    (std::uint8_t)((rgba[i + (size_t)c] * a + board * (255 - a) + 127) / 255);
            out[i + 3] = 0;
        }
    return out;
}

} // namespace

Preview::Preview(HWND parent, std::function<Texmap*()> source, PreviewChannel channel)
    : source_(std::move(source)), channel_(channel)
{
    RegisterSlotClass();
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, kSlotClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                              parent, NULL, GetModuleHandleW(NULL), this);
    const HWND told = window_;
    worker_ = std::thread([this, told] { Work(told); });
}

Preview::~Preview()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        cancel_ = true;
    }
    wake_.notify_all();
    worker_.join();
    // The copies go on this thread, which owns the texture they were made from.
    waiting_.reset();
    finished_.clear();
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

// ---- asking for renders (the window's thread) ---------------------------------------------------

void Preview::Invalidate()
{
    {
        // The render running now is out of date: it stops at once, not when the new one starts.
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_) cancel_ = true;
    }
    if (!refreshPosted_ && window_)
        refreshPosted_ = PostMessageW(window_, kRefreshMessage, 0, 0) != 0;
}

void Preview::SetChannel(PreviewChannel channel)
{
    if (channel == channel_) return;
    channel_ = channel;
    Invalidate();
}

void Preview::Render()
{
    refreshPosted_ = false;
    ++generation_;
    RECT rc = {};
    if (window_) GetClientRect(window_, &rc);
    Texmap* texture = source_ ? source_() : nullptr;

    std::unique_ptr<Job> job;
    if (texture && rc.right > 0 && rc.bottom > 0) {
        job = std::make_unique<Job>();
        job->texture = SceneTexture(static_cast<Texmap*>(CloneRefHierarchy(texture)));
        if (Texmap* copy = job->texture.Get()) {
            // Brought up to date here: the render threads only evaluate.
            Interval valid = FOREVER;
            copy->Update(0, valid);
        } else {
            job.reset();
        }
    }
    if (job) {
        job->width = rc.right;
        job->height = rc.bottom;
        job->channel = channel_;
        job->generation = generation_;
    }
    std::unique_ptr<Job> replaced; // deleted on leaving, outside the lock
    {
        std::lock_guard<std::mutex> lock(mutex_);
        replaced = std::move(waiting_);
        if (replaced) ++counts_.cancelled;
        waiting_ = std::move(job);
        if (running_) cancel_ = true;
    }
    wake_.notify_one();
    if (window_) InvalidateRect(window_, NULL, FALSE);
}

bool Preview::Idle()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !refreshPosted_ && !waiting_ && !running_ && finished_.empty();
}

bool Preview::Running()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

Preview::Counts Preview::RenderCounts()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

// ---- the render thread --------------------------------------------------------------------------

void Preview::Work(HWND told)
{
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || waiting_; });
            if (stop_) return;
            job = std::move(waiting_);
            running_ = true;
            cancel_ = false;
            ++counts_.started;
        }
        RenderSettings rs;
        rs.width = job->width;
        rs.height = job->height;
        rs.threads = HardwareThreads();
        rs.channel =
            job->channel == PreviewChannel::Bump ? RenderChannel::Perturb : RenderChannel::Color;
        rs.cancel = &cancel_;
        rs.update = false;
        std::vector<std::uint8_t> codes;
        if (job->channel == PreviewChannel::Color) rs.pngCodes = &codes;
        try {
            FloatImage image = RenderTexture(job->texture.Get(), rs);
            if (job->channel == PreviewChannel::Bump && !cancel_) {
                // As `render --channel bump` shows it.
                FloatImage relief = ShadePerturbation(image);
                codes.resize(relief.rgba.size());
                PngCodes(relief.rgba.data(), relief.rgba.size() / 4, codes.data());
            }
            job->codes = std::move(codes);
            job->cancelled = cancel_;
        } catch (const std::exception&) {
            job->cancelled = true; // no memory for this size: the last picture stays
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            running_ = false;
            if (job->cancelled)
                ++counts_.cancelled;
            else
                ++counts_.finished;
            finished_.push_back(std::move(job));
        }
        PostMessageW(told, kRenderDoneMessage, 0, 0);
    }
}

// ---- the window ---------------------------------------------------------------------------------

void Preview::TakeFinished()
{
    std::vector<std::unique_ptr<Job>> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done.swap(finished_);
    }
    for (std::unique_ptr<Job>& job : done) {
        if (job->cancelled || job->generation <= shownGeneration_) continue;
        shownGeneration_ = job->generation;
        codes_ = std::move(job->codes);
        pictureWidth_ = job->width;
        pictureHeight_ = job->height;
        screen_ = OverBoard(codes_, pictureWidth_, pictureHeight_);
    }
    InvalidateRect(window_, NULL, FALSE);
}

void Preview::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT rc;
    GetClientRect(window_, &rc);
    if (screen_.empty()) {
        FillRect(dc, &rc, (HBRUSH)GetStockObject(GRAY_BRUSH));
    } else {
        // Until the render at a new size is done, the last picture stretched to it.
        const BITMAPINFO bi = TopDownBitmapInfo(pictureWidth_, pictureHeight_);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, 0, 0, rc.right, rc.bottom, 0, 0, pictureWidth_, pictureHeight_,
                      screen_.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    }
    bool busy;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        busy = running_ || waiting_ || refreshPosted_;
    }
    if (busy) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, GetSysColor(COLOR_INFOBK));
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        TextOutW(dc, 2, 2, L" Rendering... ", 14);
        SelectObject(dc, old);
    }
    EndPaint(window_, &ps);
}

void Preview::ShowMenu(LPARAM at)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | (channel_ == PreviewChannel::Color ? MF_CHECKED : 0), kMenuColor,
                L"&Colour");
    AppendMenuW(menu, MF_STRING | (channel_ == PreviewChannel::Bump ? MF_CHECKED : 0), kMenuBump,
                L"&Bump (lit relief)");
    POINT p = {(short)LOWORD(at), (short)HIWORD(at)};
    if (at == (LPARAM)-1) { // from the keyboard: at the slot's corner
        p = {0, 0};
        ClientToScreen(window_, &p);
    }
    const UINT chosen =
        (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, window_, NULL);
    DestroyMenu(menu);
    if (chosen == kMenuColor) SetChannel(PreviewChannel::Color);
    if (chosen == kMenuBump) SetChannel(PreviewChannel::Bump);
}

LRESULT Preview::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) window_ = hwnd;
    switch (msg) {
    case kRefreshMessage:
        Render();
        return 0;
    case kRenderDoneMessage:
        TakeFinished();
        return 0;
    case WM_SIZE:
        if (LOWORD(lp) > 0 && HIWORD(lp) > 0) Invalidate();
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CONTEXTMENU:
        ShowMenu(lp);
        return 0;
    case WM_NCDESTROY:
        window_ = NULL;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace quiltra
