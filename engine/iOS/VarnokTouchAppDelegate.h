// The application delegate: launches the shell, turns the platform's life
// cycle, opened URLs and notifications into calls on the view controller,
// the game and the event hub, and runs the loop that drives the display.
#pragma once

#include "engine/iOS/PlatformObjects.h"
#include "engine/iOS/PushNotification.h"
#include "engine/iOS/RootViewController.h"
#include "engine/iOS/ShellDef.h"
#include "engine/iOS/VarnokTouchViewController.h"
#include "platform/PlatformDisplay.h"

#include <deque>
#include <memory>
#include <string>

namespace Varnok {

class InputScript;

struct LaunchOptions {
    bool hasRemoteNotification = false;  // launched by opening a remote notification
    PlatformDictionary remoteNotification;
};

// A local notification as the platform delivers it.
struct LocalNotification {
    std::string alertBody;
    bool hasAction = false;
    PlatformDictionary userInfo;
    bool echoesRemote = false;  // scheduled by the shell for a remote one that came while active
};

class VarnokTouchAppDelegate : public PlatformEventSink {
public:
    // Loads the interface: the view controller and its GL view, then the
    // controller's start-up. def.display must outlive the delegate.
    explicit VarnokTouchAppDelegate(const ShellDef& def);
    ~VarnokTouchAppDelegate() override;
    VarnokTouchAppDelegate(const VarnokTouchAppDelegate&) = delete;
    VarnokTouchAppDelegate& operator=(const VarnokTouchAppDelegate&) = delete;

    // What the platform does at launch: finish launching, show the view and
    // become active.
    void Launch(const LaunchOptions& options);

    // Application callbacks.
    bool didFinishLaunchingWithOptions(const LaunchOptions& options);
    void applicationWillResignActive();
    void applicationDidBecomeActive();
    void applicationDidEnterBackground();
    void applicationWillEnterForeground();
    void applicationWillTerminate();
    int supportedInterfaceOrientationsForWindow() const { return kOrientationMaskAll; }
    void doBackgroundFrame();
    // A window became key: the loop runs only while it is the application's.
    void windowHasBecomeKey(bool isApplicationWindow);

    // For the service providers.
    PlatformDisplay* getWindow() const { return m_window; }
    void installRootViewController();
    void unInstallRootViewController();
    bool showWebContent(const char* url) { (void)url; return true; }
    void hideWebContent() {}

    // Opened URLs and notifications. The source application may be null.
    bool handleOpenURL(const char* url);
    bool openURL(const char* url, const char* sourceApplication);
    void didRegisterForRemoteNotificationsWithDeviceToken(const PlatformData& token);
    void didFailToRegisterForRemoteNotificationsWithError(const PlatformError& error);
    void didReceiveRemoteNotification(const PlatformDictionary& payload);
    void didReceiveLocalNotification(const LocalNotification& notification);
    // An opened URL as this system's version of the platform reports it.
    bool InjectOpenedUrl(const char* url, const char* sourceApplication);

    // The run loop: one display refresh — platform events, scripted input,
    // due notifications and dialogs, the background timer, the tick when one
    // is due — then the wait for the next refresh.
    void RunDisplayRefresh();
    // Local notifications scheduled "now" arrive on the next run-loop turn.
    void DeliverScheduledLocalNotifications();
    bool IsTerminated() const { return m_terminated; }
    int GetRefreshCount() const { return m_refreshCount; }
    // Touches and accelerometer readings of the script are fed on their
    // refresh. Not owned; may be null.
    void SetInputScript(const InputScript* script) { m_script = script; }
    int GetApplicationState() const { return m_applicationState; }
    int GetScheduledLocalNotificationCount() const {
        return static_cast<int>(m_scheduledLocalNotifications.size());
    }

    // The display's events.
    void OnTouch(const PlatformTouch& touch) override;
    void OnFocusChanged(bool focused) override;
    void OnMinimised(bool minimised) override;
    void OnQuit() override;
    void OnTextInput(const char* utf8) override;
    void OnKey(int key, bool down) override;

    // The shell's properties.
    // The GL view when it sits straight in the window, else null.
    EAGLView* uncontrolledGLView() const { return m_uncontrolledGLView; }
    PlatformDisplay* window() const { return m_window; }  // not owned
    VarnokTouchViewController& viewController() const { return *m_viewController; }
    // While a provider has one installed, else null.
    RootViewController* rootViewController() const { return m_rootViewController.get(); }
    int statusBarOrientation() const { return m_statusBarOrientation; }  // platform value

private:
    void FeedScript(int refresh);

    EAGLView* m_uncontrolledGLView = nullptr;
    PlatformDisplay* m_window = nullptr;
    std::unique_ptr<VarnokTouchViewController> m_viewController;
    std::unique_ptr<RootViewController> m_rootViewController;
    int m_statusBarOrientation = kPlatformLandscapeRight;

    ShellDef m_def;
    int m_applicationState = ApplicationInactive;
    bool m_terminated = false;
    bool m_backgroundTimer = false;
    bool m_backgroundTask = false;
    uint64_t m_nextBackgroundFrame = 0;
    std::deque<LocalNotification> m_scheduledLocalNotifications;
    const InputScript* m_script = nullptr;
    int m_refreshCount = 0;
};

}  // namespace Varnok
