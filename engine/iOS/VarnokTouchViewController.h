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
#include <vector>

namespace Varnok {

class PlatformDisplay;

// Sees every frame the shell presents, and may ask for its pixels (frame
// capture, tests).
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    // frameNumber: the tick that drew the frame, counted from 0. True to have
    // its pixels handed to OnFramePixels before it is presented.
    virtual bool OnFramePresented(int frameNumber) = 0;
    // RGBA rows, top row first. The buffer is the shell's and is reused for
    // the next frame: copy what must outlive the call.
    virtual void OnFramePixels(int frameNumber, const std::vector<uint8_t>& rgba, int width,
                               int height) = 0;
};

class VarnokTouchViewController {
public:
    // Nanoseconds on a monotonic clock.
    using MonotonicClock = std::function<uint64_t()>;

    // Loads the view: makes the GL view at the display's size, makes it the
    // renderer's target and hands it to the keyboard. def.display must
    // outlive the controller.
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
    // Reseeds the game-wide random generator, then the game's two set-up
    // steps.
    void initialiseGame();
    // Clears the frame-rate controller's run flag, shuts the game down and
    // deletes it.
    void destroyGame();
    bool isGameInitialised() const { return m_gameHasBeenInitialised; }
    void attachHoldingView();
    void detachHoldingView();

    // One tick of the frame loop.
    void drawFrame();
    // The display link and its timer fallback: the run loop calls it once per
    // display refresh, and it ticks when one is due.
    void OnDisplayRefresh(uint64_t nowNanoseconds);
    // Presents the frame that the present rule still holds back, if any: at
    // the end of a run of a fixed number of frames, so that the last one is
    // shown (and captured) too.
    void presentHeldFrame();

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

    // The clock the ticks are measured with; the display's by default. The
    // frame-rate controller's steps come from it too.
    void SetClock(MonotonicClock clock) { m_clock = std::move(clock); }
    // Told of every presented frame; null for none. Not owned: it must stay
    // until replaced or the controller goes.
    void SetFrameObserver(FrameObserver* observer) { m_frameObserver = observer; }
    // While set, ticks end right after the first-frame work.
    void SetInBackground(bool background) { m_inBackground = background; }
    bool IsInBackground() const { return m_inBackground; }
    // Ticks counted from 0; the number of the tick whose frame the
    // framebuffer holds, -1 before the first render.
    int GetFrameNumber() const { return m_frameNumber; }
    int GetLastRenderedFrame() const { return m_lastRenderedFrame; }
    // The interface orientation as the engine names it.
    int GetInterfaceOrientation() const { return m_interfaceOrientation; }

    // The shell's properties.
    PlatformDisplay* context() const { return m_context; }  // not owned; null after viewDidUnload
    bool animating() const { return m_animating; }
    int animationFrameInterval() const { return m_animationFrameInterval; }
    bool displayLink() const { return m_displayLink; }        // the display link is scheduled
    bool animationTimer() const { return m_animationTimer; }  // the timer fallback is scheduled
    VarnokGame* game() const { return m_game.get(); }        // from createGame to destroyGame; may be null
    float time() const { return m_time; }                    // seconds summed over all ticks
    double hurtz() const { return m_hurtz; }                 // target frames per second, for the timer
    // Takes effect at the next startAnimation. Outside 0..1000 changes nothing.
    void setHurtz(double framesPerSecond);
    bool holdingView() const { return m_holdingView; }  // the launch image is up
    bool displayLinkSupported() const { return m_displayLinkSupported; }
    // Takes effect at the next startAnimation.
    void setDisplayLinkSupported(bool supported) { m_displayLinkSupported = supported; }
    bool hasRendered() const { return m_hasRendered; }
    // False once the framebuffer has been deleted since the frame was drawn.
    bool wasRendered() const {
        return m_wasRendered && m_glView->framebufferGeneration() == m_seenFramebufferGeneration;
    }
    uint64_t frameBeginTime() const { return m_frameBeginTime; }  // the clock at the previous tick
    EAGLView& glView() const { return *m_glView; }

private:
    bool GamePresentsBeforeRender() const;
    int GameOrientation() const;
    // The frame drawn is gone with a deleted framebuffer: nothing is held.
    void NoteFramebufferDeletion();
    // Hands the observer the frame, then presents it.
    void PresentFrame();

    PlatformDisplay* m_context = nullptr;
    bool m_animating = false;
    int m_animationFrameInterval = 1;
    bool m_displayLink = false;
    bool m_animationTimer = false;
    std::unique_ptr<VarnokGame> m_game;
    float m_time = 0.0f;
    double m_hurtz = 60.0;
    bool m_gameHasBeenInitialised = false;
    bool m_holdingView = false;
    bool m_displayLinkSupported = true;
    bool m_hasRendered = false;
    bool m_wasRendered = false;
    uint64_t m_frameBeginTime = 0;
    std::unique_ptr<EAGLView> m_glView;

    ShellDef m_def;
    MonotonicClock m_clock;
    bool m_firstFrameDone = false;
    bool m_inBackground = false;
    int m_refreshesSinceTick = 0;
    uint64_t m_nextTimerFire = 0;  // 0: not scheduled yet
    int m_frameNumber = -1;
    int m_lastRenderedFrame = -1;
    int m_lastPresentedFrame = -1;
    int m_interfaceOrientation = LandscapeRight;
    uint32_t m_seenFramebufferGeneration = 0;
    FrameObserver* m_frameObserver = nullptr;
    std::vector<uint8_t> m_framePixels;  // reused by every captured frame
};

}  // namespace Varnok
