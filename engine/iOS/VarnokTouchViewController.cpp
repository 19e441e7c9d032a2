// Start-up, the frame loop, animation scheduling and rotation of the view
// controller.
#include "engine/iOS/VarnokTouchViewController.h"

#include "engine/audio/SoundManager.h"
#include "engine/core/AccelerometerDevice.h"
#include "engine/core/Clock.h"
#include "engine/core/DeviceSettings.h"
#include "engine/core/JobQueue.h"
#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/UIDeviceHardware.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/render/LoadingTexture.h"
#include "engine/render/Renderer.h"
#include "platform/PlatformDisplay.h"

#include <ctime>

namespace Varnok {
namespace {

constexpr double kDefaultFrameRate = 60.0;
constexpr long kPendingJobsSleepNanoseconds = 250000;
// A timer due within this much of a refresh fires on it: refreshes and the
// timer interval never line up to the nanosecond.
constexpr uint64_t kTimerToleranceNanoseconds = 1000000;

}  // namespace

VarnokTouchViewController::VarnokTouchViewController(const ShellDef& def) : m_def(def) {
    PlatformDisplay* display = def.display;
    if (display != nullptr) {
        glView = std::make_unique<EAGLView>(display->Width(), display->Height());
        m_clock = [display] { return display->NowNanoseconds(); };
    } else {
        Log("VarnokTouchViewController: no display to show the game on");
        glView = std::make_unique<EAGLView>(0, 0);
        m_clock = [] { return static_cast<uint64_t>(MachTimeToNanoseconds(GetMachTime())); };
    }
    Renderer::Get().SetTarget(glView.get());
}

VarnokTouchViewController::~VarnokTouchViewController() {
    if (game != nullptr) {
        destroyGame();
    }
    Renderer::Get().SetTarget(nullptr);
    glView.reset();
}

void VarnokTouchViewController::awakeFromNib() {
    if (glView == nullptr) {
        Log("Error, your glView isn't attached to your view in VarnokTouchViewController.xib");
        return;
    }
    glView->viewController = this;
    time = 0.0f;
    animating = false;
    gameHasBeenInitialised = false;
    context = m_def.display;
    if (context == nullptr) {
        Log("Failed to create ES context");
    } else if (!context->MakeCurrent()) {
        Log("Failed to set ES context current");
    }
    createGame();
    if (IsRetina() && game != nullptr) {
        glView->SetContentScaleFactor(game->GetContentScale());
    }
    displayLinkSupported = true;
    hasRendered = false;
    wasRendered = false;
    if (SystemVersionAtLeast("3.1")) {
        displayLinkSupported = CanUseDisplayLink();
    }
    glView->setContext(context);
    glView->setFramebuffer();
    animationFrameInterval = 1;
    gameHasBeenInitialised = false;
    if (game != nullptr) {
        game->IsSlowDevice(GetPlatformName().c_str(), GetSystemVersion().c_str());
        hurtz = game->GetTargetFrameRate();
    }
    if (!(hurtz > 0.0 && hurtz <= 1000.0)) {  // NaN fails too
        Log("VarnokTouchViewController: target frame rate %g outside 0..1000, using %g", hurtz,
            kDefaultFrameRate);
        hurtz = kDefaultFrameRate;
    }
    m_interfaceOrientation = GameOrientation();
    displayLink = false;
    animationTimer = false;
}

void VarnokTouchViewController::createGame() {
    game = VarnokGame::CreateFromFactory();
    glView->game = game.get();
    if (game == nullptr) {
        return;
    }
    game->SetVersion(m_def.bundleVersion.c_str());
    game->SetPlatform(GetPlatformName().c_str(), IsFastHardware());
    game->SetLanguage(GetDeviceLanguage().c_str());
    game->SetPaths(m_def.bundleDir.c_str(), m_def.documentsDir.c_str(), m_def.cachesDir.c_str());
    SoundManager::Get().SetupPlatform();
}

void VarnokTouchViewController::initialiseGame() {
    if (game != nullptr) {
        game->InitialiseStage1(nullptr, nullptr);
        game->Initialise(nullptr, nullptr);
    }
    gameHasBeenInitialised = true;
    detachHoldingView();
    // The game's services listen for launch URLs from their set-up on, so
    // the ones that arrived before are handed over now.
    DeliverLaunchUrl();
}

void VarnokTouchViewController::destroyGame() {
    FrameRateController::Get().Reset();
    if (game != nullptr) {
        game->Shutdown();
        game.reset();
    }
    if (glView != nullptr) {
        glView->game = nullptr;
    }
}

void VarnokTouchViewController::attachHoldingView() {
    if (holdingView) {
        return;
    }
    // Nothing shows the image itself here: the flag stands for it being up,
    // and the game draws its texture as the start-up logo.
    holdingView = true;
    if (game == nullptr) {
        return;
    }
    LaunchImageDef image;
    image.portrait = m_interfaceOrientation == Portrait || m_interfaceOrientation == PortraitUpsideDown;
    image.tablet = IsIPad();
    image.retina = IsRetina();
    if (glView->framebufferWidth > 0) {
        image.aspect = static_cast<float>(glView->framebufferHeight) / static_cast<float>(glView->framebufferWidth);
    }
    SmartPtr<Texture> texture = CreateLoadingTexture(m_def.bundleDir.c_str(), image);
    if (texture) {
        game->SetLoadingTexture(texture);
    }
}

void VarnokTouchViewController::detachHoldingView() {
    holdingView = false;
}

void VarnokTouchViewController::startAnimation() {
    if (animating) {
        return;
    }
    if (!displayLinkSupported) {
        animationTimer = true;
        displayLink = false;
        m_nextTimerFire = m_clock() + static_cast<uint64_t>(1e9 / hurtz);
    } else {
        displayLink = true;
        m_refreshesSinceTick = 0;
    }
    if (gameHasBeenInitialised) {
        if (game != nullptr) {
            game->Resume();
        }
        PlatformEventHub::Get().resume.Invoke();
    }
    animating = true;
    hasRendered = false;
    wasRendered = false;
}

void VarnokTouchViewController::stopAnimation() {
    if (!animating) {
        return;
    }
    displayLink = false;
    animationTimer = false;
    animating = false;
    if (gameHasBeenInitialised) {
        if (game != nullptr) {
            game->Suspend();
        }
        PlatformEventHub::Get().suspend.Invoke();
    }
}

void VarnokTouchViewController::setAnimationFrameInterval(int interval) {
    if (interval < 1) {
        Log("VarnokTouchViewController: frame interval %d below 1 ignored", interval);
        return;
    }
    animationFrameInterval = interval;
    if (animating) {
        stopAnimation();
        startAnimation();
    }
}

void VarnokTouchViewController::OnDisplayRefresh(uint64_t nowNanoseconds) {
    if (!animating) {
        return;
    }
    if (displayLink) {
        ++m_refreshesSinceTick;
        if (m_refreshesSinceTick >= animationFrameInterval) {
            m_refreshesSinceTick = 0;
            drawFrame();
        }
    } else if (animationTimer) {
        if (nowNanoseconds + kTimerToleranceNanoseconds >= m_nextTimerFire) {
            const uint64_t interval = static_cast<uint64_t>(1e9 / hurtz);
            m_nextTimerFire += interval;
            if (m_nextTimerFire < nowNanoseconds) {
                m_nextTimerFire = nowNanoseconds + interval;  // fell behind: no burst of ticks
            }
            drawFrame();
        }
    }
}

void VarnokTouchViewController::drawFrame() {
    glView->createFrameBufferIfNeeded();
    if (!m_firstFrameDone) {
        initialiseGame();
        m_firstFrameDone = true;
        frameBeginTime = m_clock();
    }
    if (m_inBackground) {
        return;
    }
    ++m_frameNumber;

    const uint64_t now = m_clock();
    float elapsed = 0.0f;
    // A clock that went back (or was replaced) gives no time rather than a
    // wrapped-around one.
    if (now > frameBeginTime) {
        const float milliseconds = static_cast<float>(static_cast<double>(now - frameBeginTime) / 1000000.0);
        elapsed = milliseconds / 1000.0f;
    }
    frameBeginTime = now;
    time += elapsed;
    // With no sensor here, the accelerometer's sampling timer runs on the ticks.
    AccelerometerDevice::Get().AdvanceClock(elapsed);

    PlatformEventHub& hub = PlatformEventHub::Get();
    FrameRateController& frameRate = FrameRateController::Get();
    for (int i = 0; i < animationFrameInterval; ++i) {
        float measured = 0.0f;
        if (frameRate.Tick(&measured)) {
            const float step = elapsed / static_cast<float>(animationFrameInterval);
            if (hub.DispatchPreUpdate(step) && game != nullptr) {
                game->Update(step);
            }
            hub.postUpdate.Invoke(step);
        }
    }

    const bool presentBeforeRender = GamePresentsBeforeRender();
    if (hasRendered && wasRendered && presentBeforeRender) {
        glView->presentFramebuffer();
    }
    wasRendered = hasRendered;

    Renderer& renderer = Renderer::Get();
    renderer.BeginFrame();
    if (hub.DispatchPreRender() && game != nullptr) {
        game->Render(elapsed);
    }
    hub.postRender.Invoke();
    hasRendered = true;
    m_lastRenderedFrame = m_frameNumber;
    renderer.EndFrame();
    renderer.Present();

    if (!wasRendered || !presentBeforeRender) {
        glView->presentFramebuffer();
    }

    if (JobQueue::Get().GetPendingCount() > 0) {
        const timespec pause{0, kPendingJobsSleepNanoseconds};
        nanosleep(&pause, nullptr);
    }
    detachHoldingView();
}

void VarnokTouchViewController::viewWillAppear() {
    startAnimation();
}

void VarnokTouchViewController::viewWillDisappear() {
    stopAnimation();
}

void VarnokTouchViewController::viewDidUnload() {
    context = nullptr;
}

void VarnokTouchViewController::didReceiveMemoryWarning() {
    PlatformEventHub::Get().memoryWarning.Invoke(PlatformEventHub::kMemoryWarningLevel);
}

bool VarnokTouchViewController::shouldAutorotateToInterfaceOrientation(int platformOrientation) {
    const int orientation = EngineOrientationFromPlatform(platformOrientation);
    if (orientation < 0) {
        Log("VarnokTouchViewController: unknown interface orientation %d", platformOrientation);
        return false;
    }
    if (!gameHasBeenInitialised && !IsIPad()) {
        return orientation == GameOrientation();
    }
    return PlatformEventHub::Get().QueryRotation(orientation);
}

int VarnokTouchViewController::supportedInterfaceOrientations() {
    if (!gameHasBeenInitialised && !IsIPad()) {
        return OrientationMask(GameOrientation());
    }
    int mask = 0;
    for (int orientation : {LandscapeLeft, LandscapeRight, Portrait, PortraitUpsideDown}) {
        if (PlatformEventHub::Get().QueryRotation(orientation)) {
            mask |= OrientationMask(orientation);
        }
    }
    return mask != 0 ? mask : kOrientationMaskLandscape;
}

void VarnokTouchViewController::willRotateToInterfaceOrientation(int platformOrientation,
                                                                 float durationSeconds) {
    const int orientation = EngineOrientationFromPlatform(platformOrientation);
    if (orientation < 0) {
        Log("VarnokTouchViewController: unknown interface orientation %d", platformOrientation);
        return;
    }
    PlatformEventHub::Get().willRotate.Invoke(orientation, m_interfaceOrientation, durationSeconds);
    m_interfaceOrientation = orientation;
}

void VarnokTouchViewController::didRotateFromInterfaceOrientation(int platformOrientation) {
    const int previous = EngineOrientationFromPlatform(platformOrientation);
    if (previous < 0) {
        Log("VarnokTouchViewController: unknown interface orientation %d", platformOrientation);
        return;
    }
    PlatformEventHub::Get().didRotate.Invoke(m_interfaceOrientation, previous);
}

bool VarnokTouchViewController::GamePresentsBeforeRender() const {
    return game == nullptr || game->PresentBeforeRender() == 1;
}

int VarnokTouchViewController::GameOrientation() const {
    return game != nullptr ? game->GetOrientation() : LandscapeRight;
}

}  // namespace Varnok
