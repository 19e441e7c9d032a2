// Launch, life cycle, opened URLs, notifications and the run loop.
#include "engine/iOS/VarnokTouchAppDelegate.h"

#include "engine/core/AccelerometerDevice.h"
#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/UIDeviceHardware.h"
#include "engine/iOS/DialogManager_iPhone.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/KeyboardManager.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/render/GlesRenderer.h"
#include "engine/render/Renderer.h"
#include "platform/InputScript.h"

#include <json/writer.h>

#include <cstdio>

namespace Varnok {
namespace {

constexpr float kBackgroundStepSeconds = 1.0f / 30.0f;
constexpr uint64_t kBackgroundIntervalNanoseconds = 1000000000ull / 30;
constexpr uint64_t kTimerToleranceNanoseconds = 1000000;

// The oldest models, whose GL view sits straight in the window.
bool IsOldestModel(const AsciiString& model) {
    for (const char* oldest : {"iPhone1,1", "iPhone1,2", "iPod1,1", "iPod2,1"}) {
        if (model == AsciiString(oldest)) {
            return true;
        }
    }
    return false;
}

std::string DescribePayload(const PlatformDictionary& payload) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, payload.value);
}

}  // namespace

VarnokTouchAppDelegate::VarnokTouchAppDelegate(const ShellDef& def) : m_window(def.display), m_def(def) {
    InstallPlatformServices(def.services);
    m_viewController = std::make_unique<VarnokTouchViewController>(def);
    m_viewController->awakeFromNib();
}

VarnokTouchAppDelegate::~VarnokTouchAppDelegate() {
    m_rootViewController.reset();
    m_viewController.reset();
}

void VarnokTouchAppDelegate::Launch(const LaunchOptions& options) {
    didFinishLaunchingWithOptions(options);
    m_viewController->viewWillAppear();
    applicationDidBecomeActive();
}

bool VarnokTouchAppDelegate::didFinishLaunchingWithOptions(const LaunchOptions& options) {
    m_uncontrolledGLView = nullptr;
    const AsciiString model = UIDeviceHardware(GetDeviceSettings()).platform();
    VarnokGame* game = m_viewController->game();
    const int gameOrientation = game != nullptr ? game->GetOrientation() : LandscapeRight;
    if (IsOldestModel(model)) {
        m_uncontrolledGLView = &m_viewController->glView();
        m_uncontrolledGLView->setUncontrolled(true);
        if (gameOrientation == LandscapeRight) {
            Renderer& renderer = Renderer::Get();
            if (auto* gles = dynamic_cast<GlesRenderer*>(&renderer)) {
                Matrix4 quarterTurn;
                const float rows[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
                for (int i = 0; i < 16; ++i) {
                    quarterTurn.m[i] = rows[i];
                }
                gles->SetOrientationMatrix(quarterTurn);
            }
            const ViewportRect viewport = renderer.GetViewport();
            renderer.SetViewport(viewport.y0, viewport.x1, viewport.x0, viewport.y1);
        }
    }
    m_statusBarOrientation = PlatformOrientationFromEngine(gameOrientation);
    m_viewController->attachHoldingView();
    if (!SystemVersionAtLeast("5.0")) {
        printf(" iCloud not available, requires iOS version 5.0\n");
    }
    if (options.hasRemoteNotification) {
        PushNotificationRecord record;
        ParseNotificationPayload(options.remoteNotification, m_applicationState, record);
        SetLaunchNotification(record);
    }
    return true;
}

void VarnokTouchAppDelegate::applicationWillResignActive() {
    m_applicationState = ApplicationInactive;
    m_viewController->stopAnimation();
}

void VarnokTouchAppDelegate::applicationDidBecomeActive() {
    m_applicationState = ApplicationActive;
    m_viewController->startAnimation();
}

void VarnokTouchAppDelegate::applicationDidEnterBackground() {
    m_applicationState = ApplicationBackground;
    m_viewController->SetInBackground(true);
    if (!m_viewController->isGameInitialised()) {
        return;
    }
    m_viewController->stopAnimation();
    PlatformEventHub::Get().background.Invoke();
    VarnokGame* game = m_viewController->game();
    if (game != nullptr && game->WantsBackgroundUpdates()) {
        m_backgroundTimer = true;
        m_backgroundTask = true;
        m_nextBackgroundFrame = m_window != nullptr ? m_window->NowNanoseconds() + kBackgroundIntervalNanoseconds : 0;
    }
}

void VarnokTouchAppDelegate::doBackgroundFrame() {
    VarnokGame* game = m_viewController->game();
    if (game == nullptr) {
        m_backgroundTimer = false;
        m_backgroundTask = false;
        return;
    }
    game->BackgroundUpdate(kBackgroundStepSeconds);
    if (!game->WantsBackgroundUpdates()) {
        m_backgroundTimer = false;
        m_backgroundTask = false;
    }
}

void VarnokTouchAppDelegate::applicationWillEnterForeground() {
    m_backgroundTimer = false;
    if (m_viewController->isGameInitialised()) {
        PlatformEventHub::Get().foreground.Invoke();
    }
    VarnokGame* game = m_viewController->game();
    m_statusBarOrientation = PlatformOrientationFromEngine(game != nullptr ? game->GetOrientation() : LandscapeRight);
    m_viewController->SetInBackground(false);
    m_applicationState = ApplicationInactive;
}

void VarnokTouchAppDelegate::applicationWillTerminate() {
    if (m_terminated) {
        return;
    }
    Log("The game is being destroyed");
    m_viewController->destroyGame();
    m_terminated = true;
}

void VarnokTouchAppDelegate::windowHasBecomeKey(bool isApplicationWindow) {
    if (m_viewController == nullptr) {
        return;
    }
    if (isApplicationWindow) {
        m_viewController->startAnimation();
    } else {
        m_viewController->stopAnimation();
    }
}

void VarnokTouchAppDelegate::installRootViewController() {
    m_rootViewController = std::make_unique<RootViewController>(&m_viewController->glView());
}

void VarnokTouchAppDelegate::unInstallRootViewController() {
    m_rootViewController.reset();
    m_viewController->startAnimation();
}

bool VarnokTouchAppDelegate::handleOpenURL(const char* url) {
    if (SystemVersionAtLeast("4.2")) {
        return true;
    }
    const bool accepted = PlatformEventHub::Get().DispatchOpenUrl(url, nullptr);
    m_viewController->attachHoldingView();
    SetLaunchUrl(url);
    return accepted;
}

bool VarnokTouchAppDelegate::openURL(const char* url, const char* sourceApplication) {
    if (!SystemVersionAtLeast("4.2")) {
        return true;
    }
    const bool accepted = PlatformEventHub::Get().DispatchOpenUrl(url, sourceApplication);
    m_viewController->attachHoldingView();
    SetLaunchSourceApplication(sourceApplication);
    SetLaunchUrl(url);
    return accepted;
}

bool VarnokTouchAppDelegate::InjectOpenedUrl(const char* url, const char* sourceApplication) {
    return SystemVersionAtLeast("4.2") ? openURL(url, sourceApplication) : handleOpenURL(url);
}

void VarnokTouchAppDelegate::didRegisterForRemoteNotificationsWithDeviceToken(const PlatformData& token) {
    PlatformEventHub::Get().deviceToken.Invoke(&token);
}

void VarnokTouchAppDelegate::didFailToRegisterForRemoteNotificationsWithError(const PlatformError& error) {
    PlatformEventHub::Get().registerFailed.Invoke(&error);
}

void VarnokTouchAppDelegate::didReceiveRemoteNotification(const PlatformDictionary& payload) {
    Log("didReceiveNotification: %i", m_applicationState);
    if (m_applicationState == ApplicationInactive) {
        PlatformEventHub::Get().remoteNotification.Invoke(&payload);
        return;
    }
    if (m_applicationState != ApplicationActive) {
        return;
    }
    Log("Got remote notification while in foreground");
    // Listeners hear a notification whether or not the game was in front.
    PlatformEventHub::Get().remoteNotification.Invoke(&payload);
    LocalNotification echo;
    const Json::Value& aps = payload.value.isObject() ? payload.value["aps"] : Json::Value::nullSingleton();
    if (aps.isObject() && aps["alert"].isString()) {
        echo.alertBody = aps["alert"].asString();
    }
    echo.hasAction = true;
    echo.userInfo = payload;
    echo.echoesRemote = true;
    Log("UserInfo: %s", DescribePayload(payload).c_str());
    m_scheduledLocalNotifications.push_back(std::move(echo));
}

void VarnokTouchAppDelegate::didReceiveLocalNotification(const LocalNotification& notification) {
    Log("didReceiveLocalNotification!!!");
    if (notification.echoesRemote) {
        return;  // its remote notification has been dispatched already
    }
    PlatformEventHub::Get().localNotification.Invoke(&notification.userInfo);
}

void VarnokTouchAppDelegate::DeliverScheduledLocalNotifications() {
    // Only those scheduled before this turn: a listener may schedule more.
    size_t count = m_scheduledLocalNotifications.size();
    while (count-- > 0 && !m_scheduledLocalNotifications.empty()) {
        const LocalNotification notification = std::move(m_scheduledLocalNotifications.front());
        m_scheduledLocalNotifications.pop_front();
        didReceiveLocalNotification(notification);
    }
}

void VarnokTouchAppDelegate::RunDisplayRefresh() {
    if (m_window == nullptr) {
        m_terminated = true;
        return;
    }
    m_window->PollEvents(*this);
    FeedScript(m_refreshCount);
    DeliverScheduledLocalNotifications();
    DialogManager_iPhone::Instance().Pump();
    const uint64_t now = m_window->NowNanoseconds();
    if (m_backgroundTimer && now + kTimerToleranceNanoseconds >= m_nextBackgroundFrame) {
        m_nextBackgroundFrame = now + kBackgroundIntervalNanoseconds;
        doBackgroundFrame();
    }
    if (!m_terminated) {
        m_viewController->OnDisplayRefresh(now);
    }
    // The game stopped its own loop to quit (the title menu's quit): end as
    // a closed window does, the game saving on its way out.
    const FrameRateController& frameRate = FrameRateController::Get();
    if (!m_terminated && !frameRate.IsRunning() && frameRate.GetQuitRequest() == FrameRateController::kQuitRequested) {
        OnQuit();
    }
    m_window->WaitForTick();
    ++m_refreshCount;
}

void VarnokTouchAppDelegate::FeedScript(int refresh) {
    if (m_script == nullptr) {
        return;
    }
    for (const InputScriptEvent& event : m_script->EventsAt(refresh)) {
        if (event.kind == InputScriptEvent::Touch) {
            OnTouch(event.touch);
        } else if (event.kind == InputScriptEvent::Text) {
            OnTextInput(event.text.c_str());  // as the display's text input arrives
        } else {
            AccelerometerDevice::Get().Feed(event.accel[0], event.accel[1], event.accel[2]);
        }
    }
}

void VarnokTouchAppDelegate::OnTouch(const PlatformTouch& touch) {
    EAGLView* view = &m_viewController->glView();
    // Normalised as the display gives them: the view turns them if it must.
    PlatformTouchSet touches;
    PlatformTouchLocation location;
    location.id = touch.id;
    location.x = touch.x;
    location.y = touch.y;
    touches.touches.push_back(location);
    PlatformTouchEvent event;
    event.timestampNanoseconds = m_window != nullptr ? m_window->NowNanoseconds() : 0;
    switch (touch.phase) {
        case PlatformTouch::Began:
            view->touchesBegan(touches, event);
            break;
        case PlatformTouch::Moved:
            view->touchesMoved(touches, event);
            break;
        case PlatformTouch::Ended:
            view->touchesEnded(touches, event);
            break;
        case PlatformTouch::Cancelled:
            view->touchesCancelled(touches, event);
            break;
    }
}

void VarnokTouchAppDelegate::OnFocusChanged(bool focused) {
    if (focused) {
        applicationDidBecomeActive();
    } else {
        applicationWillResignActive();
    }
}

void VarnokTouchAppDelegate::OnMinimised(bool minimised) {
    if (minimised) {
        applicationDidEnterBackground();
    } else {
        applicationWillEnterForeground();
    }
}

void VarnokTouchAppDelegate::OnQuit() {
    applicationWillTerminate();
}

void VarnokTouchAppDelegate::OnTextInput(const char* utf8) {
    KeyboardManager_iPhone::Instance().OnPlatformText(utf8);
}

void VarnokTouchAppDelegate::OnKey(int key, bool down) {
    KeyboardManager_iPhone::Instance().OnPlatformKey(key, down);
}

}  // namespace Varnok
