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
#include "engine/core/Random.h"
#include "engine/core/UIDeviceHardware.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/KeyboardManager.h"
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
// Every run starts the game-wide random generator from the same state, so
// that runs with the same input repeat.
constexpr uint64_t kGameRandomSeed = 0;

}  // namespace

VarnokTouchViewController::VarnokTouchViewController(const ShellDef& def) : m_def(def) {
    PlatformDisplay* display = def.display;
    if (display != nullptr) {
        m_glView = std::make_unique<EAGLView>(display->Width(), display->Height());
        m_clock = [display] { return display->NowNanoseconds(); };
    } else {
        Log("VarnokTouchViewController: no display to show the m_game on");
        m_glView = std::make_unique<EAGLView>(0, 0);
        m_clock = [] { return static_cast<uint64_t>(MachTimeToNanoseconds(GetMachTime())); };
    }
    Renderer::Get().SetTarget(m_glView.get());
    // The keyboard moves the view out of its way while it is up.
    KeyboardManager_iPhone::Instance().SetView(m_glView.get());
}

VarnokTouchViewController::~VarnokTouchViewController() {
    if (m_game != nullptr) {
        destroyGame();
    }
    Renderer::Get().SetTarget(nullptr);
    KeyboardManager_iPhone& keyboard = KeyboardManager_iPhone::Instance();
    if (keyboard.GetView() == m_glView.get()) {
        keyboard.SetView(nullptr);
    }
    m_glView.reset();
}

void VarnokTouchViewController::awakeFromNib() {
    if (m_glView == nullptr) {
        Log("Error, your glView isn't attached to your view in VarnokTouchViewController.xib");
        return;
    }
    m_time = 0.0f;
    m_animating = false;
    m_gameHasBeenInitialised = false;
    m_context = m_def.display;
    if (m_context == nullptr) {
        Log("Failed to create ES context");
    } else if (!m_context->MakeCurrent()) {
        Log("Failed to set ES context current");
    }
    createGame();
    if (IsRetina() && m_game != nullptr) {
        m_glView->SetContentScaleFactor(m_game->GetContentScale());
    }
    m_displayLinkSupported = true;
    m_hasRendered = false;
    m_wasRendered = false;
    if (SystemVersionAtLeast("3.1")) {
        m_displayLinkSupported = CanUseDisplayLink();
    }
    m_glView->setContext(m_context);
    m_glView->setFramebuffer();
    m_animationFrameInterval = 1;
    m_gameHasBeenInitialised = false;
    if (m_game != nullptr) {
        m_game->IsSlowDevice(GetPlatformName().c_str(), GetSystemVersion().c_str());
        m_hurtz = m_game->GetTargetFrameRate();
    }
    if (!(m_hurtz > 0.0 && m_hurtz <= 1000.0)) {  // NaN fails too
        Log("VarnokTouchViewController: target frame rate %g outside 0..1000, using %g", m_hurtz,
            kDefaultFrameRate);
        m_hurtz = kDefaultFrameRate;
    }
    m_interfaceOrientation = GameOrientation();
    m_displayLink = false;
    m_animationTimer = false;
}

void VarnokTouchViewController::createGame() {
    m_game = VarnokGame::CreateFromFactory();
    m_glView->setGame(m_game.get());
    if (m_game == nullptr) {
        return;
    }
    m_game->SetVersion(m_def.bundleVersion.c_str());
    m_game->SetPlatform(GetPlatformName().c_str(), IsFastHardware());
    m_game->SetLanguage(GetDeviceLanguage().c_str());
    m_game->SetPaths(m_def.bundleDir.c_str(), m_def.documentsDir.c_str(), m_def.cachesDir.c_str());
    SoundManager::Get().SetupPlatform();
}

void VarnokTouchViewController::initialiseGame() {
    GlobalRandom().Reseed(kGameRandomSeed);
    if (m_game != nullptr) {
        m_game->InitialiseStage1(nullptr, nullptr);
        m_game->Initialise(nullptr, nullptr);
    }
    m_gameHasBeenInitialised = true;
    detachHoldingView();
    // The m_game's services listen for launch URLs from their set-up on, so
    // the ones that arrived before are handed over now.
    DeliverLaunchUrl();
}

void VarnokTouchViewController::destroyGame() {
    FrameRateController::Get().Reset();
    if (m_game != nullptr) {
        m_game->Shutdown();
        m_game.reset();
    }
    if (m_glView != nullptr) {
        m_glView->setGame(nullptr);
    }
}

void VarnokTouchViewController::attachHoldingView() {
    if (m_holdingView) {
        return;
    }
    // Nothing shows the image itself here: the flag stands for it being up,
    // and the m_game draws its texture as the start-up logo.
    m_holdingView = true;
    if (m_game == nullptr) {
        return;
    }
    LaunchImageDef image;
    image.portrait = m_interfaceOrientation == Portrait || m_interfaceOrientation == PortraitUpsideDown;
    image.tablet = IsIPad();
    image.retina = IsRetina();
    if (m_glView->framebufferWidth() > 0) {
        image.aspect = static_cast<float>(m_glView->framebufferHeight()) /
                       static_cast<float>(m_glView->framebufferWidth());
    }
    SmartPtr<Texture> texture = CreateLoadingTexture(m_def.bundleDir.c_str(), image);
    if (texture) {
        m_game->SetLoadingTexture(texture);
    }
}

void VarnokTouchViewController::detachHoldingView() {
    m_holdingView = false;
}

void VarnokTouchViewController::startAnimation() {
    if (m_animating) {
        return;
    }
    if (!m_displayLinkSupported) {
        m_animationTimer = true;
        m_displayLink = false;
        m_nextTimerFire = m_clock() + static_cast<uint64_t>(1e9 / m_hurtz);
    } else {
        m_displayLink = true;
        m_refreshesSinceTick = 0;
    }
    if (m_gameHasBeenInitialised) {
        if (m_game != nullptr) {
            m_game->Resume();
        }
        PlatformEventHub::Get().resume.Invoke();
    }
    m_animating = true;
    m_hasRendered = false;
    m_wasRendered = false;
}

void VarnokTouchViewController::stopAnimation() {
    if (!m_animating) {
        return;
    }
    m_displayLink = false;
    m_animationTimer = false;
    m_animating = false;
    if (m_gameHasBeenInitialised) {
        if (m_game != nullptr) {
            m_game->Suspend();
        }
        PlatformEventHub::Get().suspend.Invoke();
    }
}

void VarnokTouchViewController::setAnimationFrameInterval(int interval) {
    if (interval < 1) {
        Log("VarnokTouchViewController: frame interval %d below 1 ignored", interval);
        return;
    }
    m_animationFrameInterval = interval;
    if (m_animating) {
        stopAnimation();
        startAnimation();
    }
}

void VarnokTouchViewController::OnDisplayRefresh(uint64_t nowNanoseconds) {
    if (!m_animating) {
        return;
    }
    if (m_displayLink) {
        ++m_refreshesSinceTick;
        if (m_refreshesSinceTick >= m_animationFrameInterval) {
            m_refreshesSinceTick = 0;
            drawFrame();
        }
    } else if (m_animationTimer) {
        if (nowNanoseconds + kTimerToleranceNanoseconds >= m_nextTimerFire) {
            const uint64_t interval = static_cast<uint64_t>(1e9 / m_hurtz);
            m_nextTimerFire += interval;
            if (m_nextTimerFire < nowNanoseconds) {
                m_nextTimerFire = nowNanoseconds + interval;  // fell behind: no burst of ticks
            }
            drawFrame();
        }
    }
}

void VarnokTouchViewController::drawFrame() {
    m_glView->createFrameBufferIfNeeded();
    if (!m_firstFrameDone) {
        initialiseGame();
        m_firstFrameDone = true;
        m_frameBeginTime = m_clock();
    }
    if (m_inBackground) {
        return;
    }
    ++m_frameNumber;

    const uint64_t now = m_clock();
    float elapsed = 0.0f;
    // A clock that went back (or was replaced) gives no time rather than a
    // wrapped-around one.
    if (now > m_frameBeginTime) {
        const float milliseconds = static_cast<float>(static_cast<double>(now - m_frameBeginTime) / 1000000.0);
        elapsed = milliseconds / 1000.0f;
    }
    m_frameBeginTime = now;
    m_time += elapsed;
    // With no sensor here, the accelerometer's sampling timer runs on the ticks.
    AccelerometerDevice::Get().AdvanceClock(elapsed);

    PlatformEventHub& hub = PlatformEventHub::Get();
    FrameRateController& frameRate = FrameRateController::Get();
    // Every step of the tick is an equal share of the elapsed time, and the
    // frame-rate controller counts with the same steps: one clock a frame.
    const float step = elapsed / static_cast<float>(m_animationFrameInterval);
    for (int i = 0; i < m_animationFrameInterval; ++i) {
        if (frameRate.Tick(step)) {
            if (hub.DispatchPreUpdate(step) && m_game != nullptr) {
                m_game->Update(step);
            }
            hub.postUpdate.Invoke(step);
        }
    }

    const bool presentBeforeRender = GamePresentsBeforeRender();
    NoteFramebufferDeletion();
    if (m_hasRendered && m_wasRendered && presentBeforeRender) {
        PresentFrame();
    }
    m_wasRendered = m_hasRendered;

    Renderer& renderer = Renderer::Get();
    renderer.BeginFrame();
    if (hub.DispatchPreRender() && m_game != nullptr) {
        m_game->Render(elapsed);
    }
    hub.postRender.Invoke();
    m_hasRendered = true;
    m_lastRenderedFrame = m_frameNumber;
    renderer.EndFrame();
    renderer.Present();

    NoteFramebufferDeletion();
    if (!m_wasRendered || !presentBeforeRender) {
        PresentFrame();
    }

    if (JobQueue::Get().GetPendingCount() > 0) {
        const timespec pause{0, kPendingJobsSleepNanoseconds};
        nanosleep(&pause, nullptr);
    }
    detachHoldingView();
}

void VarnokTouchViewController::presentHeldFrame() {
    NoteFramebufferDeletion();
    if (m_hasRendered && m_lastRenderedFrame >= 0 && m_lastPresentedFrame != m_lastRenderedFrame) {
        PresentFrame();
    }
}

void VarnokTouchViewController::NoteFramebufferDeletion() {
    const uint32_t generation = m_glView->framebufferGeneration();
    if (generation != m_seenFramebufferGeneration) {
        m_seenFramebufferGeneration = generation;
        m_wasRendered = false;
    }
}

void VarnokTouchViewController::PresentFrame() {
    if (m_glView->context() == nullptr) {
        return;
    }
    const int frame = m_lastRenderedFrame;
    if (m_frameObserver != nullptr && m_frameObserver->OnFramePresented(frame)) {
        int width = 0;
        int height = 0;
        if (m_glView->ReadFramebuffer(m_framePixels, width, height)) {
            m_frameObserver->OnFramePixels(frame, m_framePixels, width, height);
        } else {
            Log("VarnokTouchViewController: frame %d could not be read back", frame);
        }
    }
    m_lastPresentedFrame = frame;
    m_glView->presentFramebuffer();
}

void VarnokTouchViewController::setHurtz(double framesPerSecond) {
    if (!(framesPerSecond > 0.0 && framesPerSecond <= 1000.0)) {  // NaN fails too
        Log("VarnokTouchViewController: target frame rate %g outside 0..1000 ignored", framesPerSecond);
        return;
    }
    m_hurtz = framesPerSecond;
}

void VarnokTouchViewController::viewWillAppear() {
    startAnimation();
}

void VarnokTouchViewController::viewWillDisappear() {
    stopAnimation();
}

void VarnokTouchViewController::viewDidUnload() {
    m_context = nullptr;
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
    if (!m_gameHasBeenInitialised && !IsIPad()) {
        return orientation == GameOrientation();
    }
    return PlatformEventHub::Get().QueryRotation(orientation);
}

int VarnokTouchViewController::supportedInterfaceOrientations() {
    if (!m_gameHasBeenInitialised && !IsIPad()) {
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
    return m_game == nullptr || m_game->PresentBeforeRender() == 1;
}

int VarnokTouchViewController::GameOrientation() const {
    return m_game != nullptr ? m_game->GetOrientation() : LandscapeRight;
}

}  // namespace Varnok
