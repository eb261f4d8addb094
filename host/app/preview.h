// The sample slot of `quiltra edit`: a child window showing the texture as `quiltra render`
// draws it (colour, or bump as a lit relief), rendered on worker threads so that the window
// never waits for it.
//
// Each render works on a copy of the texture (CloneRefHierarchy), made and brought up to date
// on the window's thread, so the copy is the only thing the render threads read while the
// texture itself stays free for editing. A new render cancels the one still running (it stops
// within a row) and a render waiting to start is replaced; only the newest finished picture is
// shown. The copies are deleted on the window's thread.
//
//   Preview preview(parentWindow, [&] { return root; });
//   preview.Invalidate();     // after a change: one render, however many changes come first
#pragma once

#include "render.h"
#include "scene_build.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <windows.h>

class Texmap;

namespace quiltra {

enum class PreviewChannel { Color, Bump };

class Preview {
public:
    // Makes the window as a child of `parent`; `source` names the texture each render copies.
    Preview(HWND parent, std::function<Texmap*()> source, PreviewChannel channel);
    // Stops the render thread and deletes the copies it held.
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    HWND Window() const { return window_; }

    // Asks for a fresh render at the window's size: posted, so that the changes a single edit
    // makes are rendered once, after the edit.
    void Invalidate();
    // Starts a render now (what Invalidate leads to).
    void Render();

    PreviewChannel Channel() const { return channel_; }
    void SetChannel(PreviewChannel channel);

    // The picture shown: the PNG codes of the newest finished render (8-bit RGBA, rows from
    // the top, as `render` writes them), with its size; empty before the first.
    const std::vector<std::uint8_t>& Codes() const { return codes_; }
    int PictureWidth() const { return pictureWidth_; }
    int PictureHeight() const { return pictureHeight_; }

    // Nothing asked for, waiting, running or finished but not yet taken in.
    bool Idle();
    // True while a render thread works on a render.
    bool Running();
    struct Counts {
        int started = 0; // taken up by the render thread
        int cancelled = 0; // replaced before they started, or stopped while running
        int finished = 0; // rendered whole
    };
    Counts RenderCounts();

    // Window procedure's side (not for callers).
    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    struct Job {
        SceneTexture texture; // the copy rendered
        int width = 0, height = 0;
        PreviewChannel channel = PreviewChannel::Color;
        unsigned generation = 0;
        bool cancelled = false;
        std::vector<std::uint8_t> codes;
    };
    void Work(HWND told);
    void TakeFinished();
    void Paint();
    void ShowMenu(LPARAM at);

    HWND window_ = NULL;
    std::function<Texmap*()> source_;
    PreviewChannel channel_;
    bool refreshPosted_ = false;
    unsigned generation_ = 0; // of the newest render asked for

    std::vector<std::uint8_t> codes_; // shown: PNG codes
    std::vector<std::uint8_t> screen_; // shown: blue, green, red, unused, over a checker board
    int pictureWidth_ = 0, pictureHeight_ = 0;
    unsigned shownGeneration_ = 0;

    // Shared with the render thread, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::unique_ptr<Job> waiting_;
    std::vector<std::unique_ptr<Job>> finished_;
    bool running_ = false;
    bool stop_ = false;
    Counts counts_;
    std::atomic<bool> cancel_ {false};
    std::thread worker_;
};

} // namespace quiltra
