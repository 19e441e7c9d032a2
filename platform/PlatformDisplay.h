// The GL ES 2.0 context, its surface and the display-refresh tick, behind one
// small interface so the shell runs the same in a window and headless.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

struct DisplayDef {
    int width = 960;   // pixels
    int height = 640;
    const char* title = "Varnok";
};

// What the display reports between ticks. Positions are normalised 0..1
// across the view, origin top-left.
struct PlatformTouch {
    enum Phase { Began = 0, Moved = 1, Ended = 2, Cancelled = 3 };
    uint32_t id = 0;  // stable for the life of the touch
    Phase phase = Began;
    float x = 0.0f;
    float y = 0.0f;
};

class PlatformEventSink {
public:
    virtual ~PlatformEventSink() = default;
    virtual void OnTouch(const PlatformTouch& touch) = 0;
    virtual void OnFocusChanged(bool focused) = 0;   // the window became (or stopped being) key
    virtual void OnMinimised(bool minimised) = 0;    // background / foreground
    virtual void OnQuit() = 0;
    virtual void OnTextInput(const char* utf8) { (void)utf8; }
    virtual void OnKey(int key, bool down) { (void)key; (void)down; }
};

class PlatformDisplay {
public:
    virtual ~PlatformDisplay() = default;

    // Creates the context and makes it current. False (with a log line) when
    // no context can be had.
    [[nodiscard]] virtual bool Open(const DisplayDef& def) = 0;

    // True when the display has no drawable of its own: the caller renders
    // into a framebuffer object it creates (the headless case). False when
    // framebuffer 0 is the window.
    virtual bool IsOffscreen() const = 0;

    virtual bool MakeCurrent() = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Shows the frame drawn into framebuffer 0; nothing headless.
    virtual void Present() = 0;

    // Blocks until the next display refresh (vsync in a window; nothing
    // headless, where the virtual clock advances instead).
    virtual void WaitForTick() = 0;

    // The monotonic clock the frame loop measures ticks with, in nanoseconds.
    // Headless it is virtual: exactly 1/60 s more after every WaitForTick, so
    // runs repeat exactly.
    virtual uint64_t NowNanoseconds() const = 0;

    virtual void PollEvents(PlatformEventSink& sink) = 0;

    // Reads the bound framebuffer as RGBA rows, top row first.
    [[nodiscard]] bool ReadPixels(std::vector<uint8_t>& outRgba) const;
};

std::unique_ptr<PlatformDisplay> CreateHeadlessDisplay();
std::unique_ptr<PlatformDisplay> CreateSdlDisplay();

// A window when DISPLAY or WAYLAND_DISPLAY is set and headless is not asked
// for; headless otherwise, or when the window cannot be opened.
std::unique_ptr<PlatformDisplay> OpenBestDisplay(const DisplayDef& def, bool forceHeadless);

}  // namespace Varnok
