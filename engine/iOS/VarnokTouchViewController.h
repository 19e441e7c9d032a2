// The view controller: owns the game object and the GL view, and runs the
// frame loop — one tick per display-link firing, with the game's update
// steps, its render and the present rule.
#pragma once

#include "engine/iOS/EAGLView.h"
#include "engine/iOS/ShellDef.h"
#include "engine/iOS/VarnokGame.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace Varnok {

class PlatformDisplay;

class VarnokTouchViewController {
public:
    // Nanoseconds on a monotonic clock.
    using MonotonicClock = std::function<uint64_t()>;

    // Loads the view: makes the GL view at the display's size. def.display
    // must outlive the controller.
    explicit VarnokTouchViewController(const ShellDef& def);
    ~VarnokTouchViewController();
    VarnokTouchViewController(const VarnokTouchViewController&) = delete;
    VarnokTouchViewController& operator=(const VarnokTouchViewController&) = delete;

    // Start-up: the context, the game, the framebuffer, the frame interval
    // and the target frame rate.
    void awakeFromNib();

    void startAnimation();
    void stopAnimation();
    // Display refreshes per tick; values below 1 change nothing.
    void setAnimationFrameInterval(int interval);

    void createGame();
    void initialiseGame();
    // Clears the frame-rate controller's run flag, shuts the game down and
    // deletes it.
    void destroyGame();
    bool isGameInitialised() const { return gameHasBeenInitialised; }
    void attachHoldingView();
    void detachHoldingView();

    // One tick of the frame loop.
    void drawFrame();
    // The display link and its timer fallback: the run loop calls it once per
    // display refresh, and it ticks when one is due.
    void OnDisplayRefresh(uint64_t nowNanoseconds);

    void viewWillAppear();
    void viewWillDisappear();
    void viewDidUnload();
    void didReceiveMemoryWarning();
    // Platform orientation values (1..4) and masks.
    bool shouldAutorotateToInterfaceOrientation(int platformOrientation);
    bool shouldAutorotate() const { return true; }
    int supportedInterfaceOrientations();
    void willRotateToInterfaceOrientation(int platformOrientation, float durationSeconds);
    void didRotateFromInterfaceOrientation(int platformOrientation);

    // The clock the ticks are measured with; the display's by default.
    void SetClock(MonotonicClock clock) { m_clock = std::move(clock); }
    // While set, ticks end right after the first-frame work.
    void SetInBackground(bool background) { m_inBackground = background; }
    bool IsInBackground() const { return m_inBackground; }
    // Ticks counted from 0; the number of the tick whose frame the
    // framebuffer holds, -1 before the first render.
    int GetFrameNumber() const { return m_frameNumber; }
    int GetLastRenderedFrame() const { return m_lastRenderedFrame; }
    // The interface orientation as the engine names it.
    int GetInterfaceOrientation() const { return m_interfaceOrientation; }

    // Fields as the shell names them.
    PlatformDisplay* context = nullptr;  // not owned; null after viewDidUnload
    bool animating = false;
    int animationFrameInterval = 1;
    bool displayLink = false;      // the display link is scheduled
    bool animationTimer = false;   // the timer fallback is scheduled
    std::unique_ptr<VarnokGame> game;  // from createGame to destroyGame; may be null
    float time = 0.0f;             // seconds summed over all ticks
    double hurtz = 60.0;           // target frames per second, for the timer
    bool gameHasBeenInitialised = false;
    bool holdingView = false;      // the launch image is up
    bool displayLinkSupported = true;
    bool hasRendered = false;
    bool wasRendered = false;
    uint64_t frameBeginTime = 0;   // the clock at the previous tick
    std::unique_ptr<EAGLView> glView;

private:
    bool GamePresentsBeforeRender() const;
    int GameOrientation() const;

    ShellDef m_def;
    MonotonicClock m_clock;
    bool m_firstFrameDone = false;
    bool m_inBackground = false;
    int m_refreshesSinceTick = 0;
    uint64_t m_nextTimerFire = 0;  // 0: not scheduled yet
    int m_frameNumber = -1;
    int m_lastRenderedFrame = -1;
    int m_interfaceOrientation = LandscapeRight;
};

}  // namespace Varnok
