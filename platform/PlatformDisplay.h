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

    // Ends the frame as a swap does: shows framebuffer 0 in a window;
    // headless, waits until the GPU has finished the frame, so that frame
    // times are real.
    virtual void Present() = 0;

    // Tells the driver that the bound framebuffer's depth need not be kept
    // past this frame. Nothing where the driver offers no discard.
    void DiscardDepth();

    // A GL or EGL entry point of this display's driver. A dispatching driver
    // may answer a stub for a name it does not know: ask the extension
    // string first.
    virtual void* GetProcAddress(const char* name) const = 0;

    // Blocks until the next display refresh (vsync in a window; nothing
    // headless, where the virtual clock advances instead).
    virtual void WaitForTick() = 0;

    // The monotonic clock the frame loop measures ticks with, in nanoseconds.
    // Headless it is virtual: exactly 1/60 s more after every WaitForTick, so
    // runs repeat exactly.
    virtual uint64_t NowNanoseconds() const = 0;

    // Hands the sink what happened since the last call. A SIGINT or SIGTERM
    // caught since (see InstallQuitSignalHandlers) arrives as OnQuit.
    virtual void PollEvents(PlatformEventSink& sink) = 0;

    // Reads the bound framebuffer as RGBA rows, top row first.
    [[nodiscard]] bool ReadPixels(std::vector<uint8_t>& outRgba) const;

protected:
    // True once per caught SIGINT or SIGTERM; back ends' PollEvents ask it.
    static bool TakeQuitSignal();

private:
    using DiscardFunction = void (*)(unsigned target, int count, const unsigned* attachments);
    bool m_discardLookedUp = false;
    DiscardFunction m_discard = nullptr;  // null: no discard offered
};

// SIGINT and SIGTERM end the run the way closing the window does: the handler
// only sets a flag, which the display's next PollEvents turns into OnQuit.
void InstallQuitSignalHandlers();

std::unique_ptr<PlatformDisplay> CreateHeadlessDisplay();
std::unique_ptr<PlatformDisplay> CreateSdlDisplay();

// A window when DISPLAY or WAYLAND_DISPLAY is set and headless is not asked
// for; headless otherwise, or when the window cannot be opened.
std::unique_ptr<PlatformDisplay> OpenBestDisplay(const DisplayDef& def, bool forceHeadless);

}  // namespace Varnok
