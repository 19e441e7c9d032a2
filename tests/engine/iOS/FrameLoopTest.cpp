// The shell's frame loop over the headless display: first tick, update
// steps, the present rule, skip flags, touches, life cycle and rotation.
#include "engine/core/PlatformEventHub.h"
#include "engine/core/Random.h"
#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "engine/render/GlesRenderer.h"
#include "engine/render/Renderer.h"
#include "platform/FrameCapture.h"
#include "platform/PngReader.h"
#include "tests/engine/iOS/ShellTestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using ::testing::ElementsAre;
using ShellTest::Record;
using ShellTest::RecordingGame;
using ShellTest::Timed;

constexpr uint64_t kMs = 1000000;  // nanoseconds

// Notes every present in the record; asks for no pixels.
class PresentRecorder final : public FrameObserver {
public:
    explicit PresentRecorder(Record& record) : m_record(record) {}
    bool OnFramePresented(int) override {
        m_record.Add("present");
        return false;
    }
    void OnFramePixels(int, const std::vector<uint8_t>&, int, int) override {}

private:
    Record& m_record;
};

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        record.clock = &now;
        ShellTest::SetRecord(&record);
        VarnokGame::SetFactory(&RecordingGame::Create);
        ShellDef def;
        def.display = &ShellTest::Display();
        app = std::make_unique<VarnokTouchAppDelegate>(def);
        Shell().SetClock([this] { return now; });
        Shell().SetFrameObserver(&presents);
        app->Launch(LaunchOptions{});
    }

    void TearDown() override {
        app.reset();
        ShellTest::SetRecord(nullptr);
        VarnokGame::SetFactory(nullptr);
    }

    VarnokTouchViewController& Shell() { return app->viewController(); }

    // One tick, `milliseconds` after the previous one.
    std::vector<std::string> Tick(uint64_t milliseconds = 16) {
        now += milliseconds * kMs;
        Shell().drawFrame();
        return record.Take();
    }

    uint64_t now = 1000 * kMs;
    Record record;
    PresentRecorder presents{record};
    std::unique_ptr<VarnokTouchAppDelegate> app;
};

TEST_F(FrameLoopTest, FirstTickInitialisesThenTimesFromTheEndOfInitialisation) {
    record.initialiseNanoseconds = 250 * kMs;
    EXPECT_FALSE(Shell().isGameInitialised());
    EXPECT_THAT(Tick(16), ElementsAre("initialise1", "initialise", Timed("update", 0.0f),
                                      Timed("render", 0.0f), "present"));
    EXPECT_TRUE(Shell().isGameInitialised());
    EXPECT_EQ(Shell().time(), 0.0f);
    EXPECT_THAT(Tick(20), ElementsAre(Timed("update", 0.020f), Timed("render", 0.020f)));
    EXPECT_NEAR(Shell().time(), 0.020f, 1e-6f);
}

TEST_F(FrameLoopTest, IntervalOfTwoStepsTwiceWithHalfTheTimeAndRendersOnce) {
    Tick();
    Shell().setAnimationFrameInterval(2);
    EXPECT_THAT(record.Take(), ElementsAre("suspend", "resume"));  // a restart of the loop
    // The restart that a new interval makes starts the present rule over.
    EXPECT_THAT(Tick(40), ElementsAre(Timed("update", 0.020f), Timed("update", 0.020f),
                                      Timed("render", 0.040f), "present"));

    // The display link fires on every second refresh.
    int renders = 0;
    for (int refresh = 0; refresh < 6; ++refresh) {
        now += 16 * kMs;
        Shell().OnDisplayRefresh(now);
        for (const std::string& call : record.Take()) {
            renders += call.rfind("render", 0) == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(renders, 3);
}

TEST_F(FrameLoopTest, FrameRateControllerCountsTheShellsEqualSteps) {
    Tick();
    Shell().setAnimationFrameInterval(2);
    record.Take();
    FrameRateController& frameRate = FrameRateController::Get();
    for (int tick = 0; tick < 3; ++tick) {
        Tick(40);
        // Both steps of the tick are 20 ms: none of them reads the moment
        // between the two.
        EXPECT_NEAR(frameRate.GetLastStep(), 0.020f, 1e-6f);
        EXPECT_EQ(frameRate.GetCurrentRate(), 50);
    }
}

TEST_F(FrameLoopTest, TimerTicksAtTheTargetRateWithoutADisplayLink) {
    Tick();
    Shell().stopAnimation();
    Shell().setDisplayLinkSupported(false);
    Shell().setHurtz(30.0);
    Shell().startAnimation();
    EXPECT_TRUE(Shell().animationTimer());
    EXPECT_FALSE(Shell().displayLink());
    record.Take();
    int renders = 0;
    for (int refresh = 0; refresh < 12; ++refresh) {
        now += 16666667;  // 60 refreshes a second
        Shell().OnDisplayRefresh(now);
        for (const std::string& call : record.Take()) {
            renders += call.rfind("render", 0) == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(renders, 6);
}

TEST_F(FrameLoopTest, IntervalBelowOneChangesNothing) {
    Tick();
    for (int interval : {0, -1, -100}) {
        Shell().setAnimationFrameInterval(interval);
        EXPECT_EQ(Shell().animationFrameInterval(), 1);
        EXPECT_TRUE(Shell().animating());
    }
    EXPECT_THAT(Tick(10), ElementsAre(Timed("update", 0.010f), Timed("render", 0.010f)));
}

TEST_F(FrameLoopTest, PresentsBeforeRenderFromTheThirdTickAndStartsOverAfterARestart) {
    const std::vector<std::string> firstAtEnd{Timed("update", 0.016f), Timed("render", 0.016f), "present"};
    const std::vector<std::string> held{Timed("update", 0.016f), Timed("render", 0.016f)};
    const std::vector<std::string> firstBefore{Timed("update", 0.016f), "present", Timed("render", 0.016f)};

    Tick();  // the first tick, which initialises
    Shell().stopAnimation();
    Shell().startAnimation();
    record.Take();
    EXPECT_EQ(Tick(), firstAtEnd);
    EXPECT_EQ(Tick(), held);
    EXPECT_EQ(Tick(), firstBefore);
    EXPECT_EQ(Tick(), firstBefore);

    Shell().stopAnimation();
    Shell().startAnimation();
    record.Take();
    EXPECT_EQ(Tick(), firstAtEnd);
    EXPECT_EQ(Tick(), held);
    EXPECT_EQ(Tick(), firstBefore);

    // After the framebuffer goes, nothing is presented before drawing and
    // the new frame is held for the tick after.
    Shell().glView().deleteFramebuffer();
    EXPECT_EQ(Tick(), held);
    EXPECT_EQ(Tick(), firstBefore);
    EXPECT_NE(Shell().glView().defaultFramebuffer(), 0u);

    record.presentBeforeRender = 0;
    EXPECT_EQ(Tick(), firstAtEnd);
    EXPECT_EQ(Tick(), firstAtEnd);
}

struct SkipListener {
    Record* record = nullptr;
    bool skipUpdate = false;
    bool skipRender = false;

    void PreUpdate(float) {
        record->Add("preUpdate");
        PlatformEventHub::Get().skipUpdate = skipUpdate;
    }
    void PostUpdate(float) { record->Add("postUpdate"); }
    void PreRender() {
        record->Add("preRender");
        PlatformEventHub::Get().skipRender = skipRender;
    }
    void PostRender() { record->Add("postRender"); }
};

TEST_F(FrameLoopTest, SkipFlagsSkipTheGameButNotThePostListeners) {
    Tick();
    SkipListener listener{&record};
    PlatformEventHub& hub = PlatformEventHub::Get();
    const Delegate1<void, float> preUpdate(&listener, &SkipListener::PreUpdate);
    const Delegate1<void, float> postUpdate(&listener, &SkipListener::PostUpdate);
    const Delegate0<void> preRender(&listener, &SkipListener::PreRender);
    const Delegate0<void> postRender(&listener, &SkipListener::PostRender);
    hub.preUpdate.Add(preUpdate);
    hub.postUpdate.Add(postUpdate);
    hub.preRender.Add(preRender);
    hub.postRender.Add(postRender);

    listener.skipUpdate = true;
    EXPECT_THAT(Tick(), ElementsAre("preUpdate", "postUpdate", "preRender", Timed("render", 0.016f),
                                    "postRender"));
    listener.skipUpdate = false;
    listener.skipRender = true;
    EXPECT_THAT(Tick(), ElementsAre("preUpdate", Timed("update", 0.016f), "postUpdate", "present",
                                    "preRender", "postRender"));
    listener.skipRender = false;
    EXPECT_THAT(Tick(), ElementsAre("preUpdate", Timed("update", 0.016f), "postUpdate", "present",
                                    "preRender", Timed("render", 0.016f), "postRender"));

    hub.preUpdate.Remove(preUpdate);
    hub.postUpdate.Remove(postUpdate);
    hub.preRender.Remove(preRender);
    hub.postRender.Remove(postRender);
}

TEST_F(FrameLoopTest, ClearedRunFlagRendersWithoutUpdating) {
    Tick();
    FrameRateController::Get().Reset();
    EXPECT_THAT(Tick(), ElementsAre(Timed("render", 0.016f)));
    EXPECT_THAT(Tick(), ElementsAre("present", Timed("render", 0.016f)));
    FrameRateController::Get().Init();
    EXPECT_THAT(Tick(), ElementsAre(Timed("update", 0.016f), "present", Timed("render", 0.016f)));
}

TEST_F(FrameLoopTest, ClockGoingBackGivesNoTime) {
    Tick();
    now -= 500 * kMs;
    Shell().drawFrame();
    EXPECT_THAT(record.Take(), ElementsAre(Timed("update", 0.0f), Timed("render", 0.0f)));
}

class RecordingTouchDevice : public TouchInputDevice {
public:
    void OnTouch(uint32_t key, bool down, float x, float y) override {
        char text[64];
        snprintf(text, sizeof(text), "%u %s %.2f %.2f", key, down ? "down" : "up", x, y);
        reports.push_back(text);
    }
    std::vector<std::string> reports;
};

struct TouchListener {
    std::vector<int> phases;
    void OnTouches(const PlatformTouchSet*, const PlatformTouchEvent*, int phase) { phases.push_back(phase); }
};

TEST_F(FrameLoopTest, TouchesReachTheDeviceNormalisedAndCancelledAsEnded) {
    RecordingTouchDevice device;
    TouchInputDevice::SetCurrent(&device);
    TouchListener listener;
    const Delegate3<void, const PlatformTouchSet*, const PlatformTouchEvent*, int> onTouches(
        &listener, &TouchListener::OnTouches);
    PlatformEventHub::Get().touches.Add(onTouches);

    const PlatformTouch touches[] = {
        {7, PlatformTouch::Began, 0.25f, 0.75f},
        {7, PlatformTouch::Moved, 0.5f, 0.5f},
        {7, PlatformTouch::Cancelled, 0.5f, 0.25f},
        {8, PlatformTouch::Began, 0.1f, 0.2f},
        {8, PlatformTouch::Ended, 0.1f, 0.2f},
    };
    for (const PlatformTouch& touch : touches) {
        app->OnTouch(touch);
    }
    EXPECT_THAT(device.reports, ElementsAre("7 down 0.25 0.75", "7 down 0.50 0.50", "7 up 0.50 0.25",
                                            "8 down 0.10 0.20", "8 up 0.10 0.20"));
    EXPECT_THAT(listener.phases, ElementsAre(0, 1, 2, 0, 2));

    // An uncontrolled view under a turned renderer takes positions turned.
    auto& renderer = dynamic_cast<GlesRenderer&>(Renderer::Get());
    Matrix4 quarterTurn;
    const float rows[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::copy(rows, rows + 16, quarterTurn.m);
    renderer.SetOrientationMatrix(quarterTurn);
    Shell().glView().setUncontrolled(true);
    device.reports.clear();
    app->OnTouch({9, PlatformTouch::Began, 0.25f, 0.5f});
    EXPECT_THAT(device.reports, ElementsAre("9 down 0.50 0.75"));  // x = y, y = 1 - x
    Shell().glView().setUncontrolled(false);
    renderer.SetOrientationMatrix(Matrix4::Identity());

    PlatformEventHub::Get().touches.Remove(onTouches);
    TouchInputDevice::SetCurrent(nullptr);
}

struct LifeListener {
    Record* record = nullptr;
    void Suspend() { record->Add("hub suspend"); }
    void Resume() { record->Add("hub resume"); }
    void Background() { record->Add("hub background"); }
    void Foreground() { record->Add("hub foreground"); }
    void MemoryWarning(int level) { record->Add("hub memory " + std::to_string(level)); }
};

TEST_F(FrameLoopTest, LifeCycleReachesGameAndHubOnlyOnceInitialised) {
    LifeListener listener{&record};
    PlatformEventHub& hub = PlatformEventHub::Get();
    const Delegate0<void> suspend(&listener, &LifeListener::Suspend);
    const Delegate0<void> resume(&listener, &LifeListener::Resume);
    const Delegate0<void> background(&listener, &LifeListener::Background);
    const Delegate0<void> foreground(&listener, &LifeListener::Foreground);
    const Delegate1<void, int> memory(&listener, &LifeListener::MemoryWarning);
    hub.suspend.Add(suspend);
    hub.resume.Add(resume);
    hub.background.Add(background);
    hub.foreground.Add(foreground);
    hub.memoryWarning.Add(memory);

    app->applicationWillResignActive();
    app->applicationDidBecomeActive();
    EXPECT_TRUE(record.Take().empty());

    Tick();
    record.Take();
    app->applicationWillResignActive();
    app->applicationWillResignActive();  // already stopped
    EXPECT_THAT(record.Take(), ElementsAre("suspend", "hub suspend"));
    EXPECT_FALSE(Shell().animating());
    app->applicationDidBecomeActive();
    app->applicationDidBecomeActive();
    EXPECT_THAT(record.Take(), ElementsAre("resume", "hub resume"));

    // Another window taking the keys pauses the loop.
    app->windowHasBecomeKey(false);
    app->windowHasBecomeKey(true);
    EXPECT_THAT(record.Take(), ElementsAre("suspend", "hub suspend", "resume", "hub resume"));

    record.wantsBackgroundUpdates = true;
    app->applicationWillResignActive();
    app->applicationDidEnterBackground();
    EXPECT_THAT(record.Take(), ElementsAre("suspend", "hub suspend", "hub background"));
    Shell().drawFrame();  // a tick that still arrives ends early
    app->doBackgroundFrame();
    EXPECT_THAT(record.Take(), ElementsAre(Timed("background", 1.0f / 30.0f)));
    app->applicationWillEnterForeground();
    app->applicationDidBecomeActive();
    EXPECT_THAT(record.Take(), ElementsAre("hub foreground", "resume", "hub resume"));
    EXPECT_FALSE(Shell().IsInBackground());

    Shell().didReceiveMemoryWarning();
    EXPECT_THAT(record.Take(), ElementsAre("hub memory 1"));

    app->applicationWillTerminate();
    EXPECT_THAT(record.Take(), ElementsAre("shutdown"));
    EXPECT_EQ(Shell().game(), nullptr);
    EXPECT_FALSE(FrameRateController::Get().IsRunning());
    EXPECT_THAT(Tick(), ElementsAre("present"));  // no game: the loop still turns

    hub.suspend.Remove(suspend);
    hub.resume.Remove(resume);
    hub.background.Remove(background);
    hub.foreground.Remove(foreground);
    hub.memoryWarning.Remove(memory);
}

struct RotationListener {
    int allowedMask = kOrientationMaskAll;
    std::vector<std::string> rotations;
    void Query(int orientation, bool* answer) { *answer = (allowedMask & OrientationMask(orientation)) != 0; }
    void WillRotate(int to, int from, float seconds) {
        rotations.push_back("will " + std::to_string(to) + " " + std::to_string(from) + " " +
                            Timed("", seconds));
    }
    void DidRotate(int current, int previous) {
        rotations.push_back("did " + std::to_string(current) + " " + std::to_string(previous));
    }
};

TEST_F(FrameLoopTest, RotationAnswersFollowTheGameThenTheHub) {
    VarnokTouchViewController& shell = Shell();
    EXPECT_EQ(shell.supportedInterfaceOrientations(), kOrientationMaskLandscapeRight);
    EXPECT_TRUE(shell.shouldAutorotateToInterfaceOrientation(kPlatformLandscapeRight));
    EXPECT_FALSE(shell.shouldAutorotateToInterfaceOrientation(kPlatformLandscapeLeft));
    EXPECT_TRUE(shell.shouldAutorotate());

    Tick();
    EXPECT_EQ(shell.supportedInterfaceOrientations(), kOrientationMaskAll);
    EXPECT_TRUE(shell.shouldAutorotateToInterfaceOrientation(kPlatformPortrait));

    RotationListener listener;
    PlatformEventHub& hub = PlatformEventHub::Get();
    const Delegate2<void, int, bool*> query(&listener, &RotationListener::Query);
    const Delegate3<void, int, int, float> willRotate(&listener, &RotationListener::WillRotate);
    const Delegate2<void, int, int> didRotate(&listener, &RotationListener::DidRotate);
    hub.rotationQuery.Add(query);
    hub.willRotate.Add(willRotate);
    hub.didRotate.Add(didRotate);

    listener.allowedMask = kOrientationMaskLandscape;
    EXPECT_EQ(shell.supportedInterfaceOrientations(), kOrientationMaskLandscape);
    EXPECT_FALSE(shell.shouldAutorotateToInterfaceOrientation(kPlatformPortraitUpsideDown));
    EXPECT_TRUE(shell.shouldAutorotateToInterfaceOrientation(kPlatformLandscapeLeft));
    listener.allowedMask = kOrientationMaskPortrait;
    EXPECT_EQ(shell.supportedInterfaceOrientations(), kOrientationMaskPortrait);
    listener.allowedMask = 0;  // nothing allowed: both landscapes
    EXPECT_EQ(shell.supportedInterfaceOrientations(), kOrientationMaskLandscape);
    EXPECT_FALSE(shell.shouldAutorotateToInterfaceOrientation(99));

    shell.willRotateToInterfaceOrientation(kPlatformLandscapeLeft, 0.25f);
    shell.didRotateFromInterfaceOrientation(kPlatformLandscapeRight);
    EXPECT_THAT(listener.rotations, ElementsAre("will 2 3  0.250", "did 2 3"));
    EXPECT_EQ(app->supportedInterfaceOrientationsForWindow(), kOrientationMaskAll);

    hub.rotationQuery.Remove(query);
    hub.willRotate.Remove(willRotate);
    hub.didRotate.Remove(didRotate);
}

TEST(LaunchImage, BecomesTheGamesLoadingTextureAndGoesAtTheFirstTick) {
    char dir[] = "/tmp/varnok_bundle_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string image = std::string(dir) + "/Default.png";
    ASSERT_TRUE(WritePng(image.c_str(), 4, 2, std::vector<uint8_t>(4 * 2 * 4, 200)));

    VarnokGame::SetFactory(&RecordingGame::Create);
    ShellDef def;
    def.display = &ShellTest::Display();
    def.bundleDir = dir;
    def.services.launchImageDecoder = CreatePngDecoder();
    {
        VarnokTouchAppDelegate app(def);
        app.Launch(LaunchOptions{});
        EXPECT_TRUE(app.viewController().holdingView());
        EXPECT_TRUE(app.viewController().game()->GetLoadingTexture());
        app.viewController().drawFrame();
        EXPECT_FALSE(app.viewController().holdingView());
    }
    VarnokGame::SetFactory(nullptr);
    remove(image.c_str());
    rmdir(dir);
}

// What one headless run of the shell leaves behind: the frame-rate
// statistics over the display's virtual clock and the first random number
// the game would draw.
struct HeadlessRunFigures {
    int16_t currentRate, averageRate, minimumRate, maximumRate;
    float totalTime;
    uint32_t firstRandom;
};

HeadlessRunFigures RunHeadless(int refreshes) {
    VarnokGame::SetFactory(&RecordingGame::Create);
    ShellDef def;
    def.display = &ShellTest::Display();
    HeadlessRunFigures figures{};
    {
        VarnokTouchAppDelegate app(def);
        app.Launch(LaunchOptions{});
        app.RunDisplayRefresh();  // initialises the game
        figures.firstRandom = GlobalRandom().Next();
        for (int i = 1; i < refreshes; ++i) {
            app.RunDisplayRefresh();
        }
        const FrameRateController& frameRate = FrameRateController::Get();
        figures.currentRate = frameRate.GetCurrentRate();
        figures.averageRate = frameRate.GetAverageRate();
        figures.minimumRate = frameRate.GetMinimumRate();
        figures.maximumRate = frameRate.GetMaximumRate();
        figures.totalTime = frameRate.GetTotalTime();
        app.applicationWillTerminate();
    }
    VarnokGame::SetFactory(nullptr);
    return figures;
}

TEST(HeadlessFrameLoop, RateStatisticsAndRandomNumbersRepeat) {
    GlobalRandom().Next();  // whatever came before, the game starts from its seed
    const HeadlessRunFigures first = RunHeadless(45);
    GlobalRandom().Next();
    const HeadlessRunFigures second = RunHeadless(45);
    EXPECT_EQ(first.firstRandom, second.firstRandom);
    EXPECT_EQ(first.currentRate, second.currentRate);
    EXPECT_EQ(first.averageRate, second.averageRate);
    EXPECT_EQ(first.minimumRate, second.minimumRate);
    EXPECT_EQ(first.maximumRate, second.maximumRate);
    EXPECT_EQ(first.totalTime, second.totalTime);
    // The virtual clock's 1/60 s, give or take the float's rounding.
    EXPECT_NEAR(first.currentRate, 60, 1);
    EXPECT_NEAR(first.minimumRate, 60, 1);
    EXPECT_NEAR(first.totalTime, 44.0f / 60.0f, 1e-4f);
}

// Asks for every frame's pixels and notes what it got.
class PixelRecorder final : public FrameObserver {
public:
    bool OnFramePresented(int frame) override {
        presented.push_back(frame);
        return true;
    }
    void OnFramePixels(int frame, const std::vector<uint8_t>& rgba, int width, int height) override {
        captured.push_back(frame);
        buffers.push_back(rgba.data());
        EXPECT_EQ(width, ShellTest::kWidth);
        EXPECT_EQ(height, ShellTest::kHeight);
        EXPECT_EQ(rgba.size(), static_cast<size_t>(width) * height * 4);
    }
    std::vector<int> presented;
    std::vector<int> captured;
    std::vector<const uint8_t*> buffers;
};

TEST(HeadlessFrameLoop, ObserverGetsEveryFrameInOneReusedBufferAndTheHeldOneAtTheEnd) {
    VarnokGame::SetFactory(&RecordingGame::Create);
    ShellDef def;
    def.display = &ShellTest::Display();
    PixelRecorder recorder;
    {
        VarnokTouchAppDelegate app(def);
        app.viewController().SetFrameObserver(&recorder);
        app.Launch(LaunchOptions{});
        for (int i = 0; i < 4; ++i) {
            app.RunDisplayRefresh();
        }
        // The present rule holds the last frame back until the next tick.
        EXPECT_THAT(recorder.captured, ElementsAre(0, 1, 2));
        app.viewController().presentHeldFrame();
        app.viewController().presentHeldFrame();  // nothing held any more
        app.viewController().SetFrameObserver(nullptr);
        app.applicationWillTerminate();
    }
    VarnokGame::SetFactory(nullptr);
    EXPECT_THAT(recorder.presented, ElementsAre(0, 1, 2, 3));
    EXPECT_THAT(recorder.captured, ElementsAre(0, 1, 2, 3));
    for (const uint8_t* buffer : recorder.buffers) {
        EXPECT_EQ(buffer, recorder.buffers.front());
    }
}

TEST(FrameLoopWithoutGame, TicksAndLifeCycleRunWithoutAGame) {
    VarnokGame::SetFactory(nullptr);
    ShellDef def;
    def.display = &ShellTest::Display();
    VarnokTouchAppDelegate app(def);
    app.Launch(LaunchOptions{});
    for (int i = 0; i < 3; ++i) {
        app.RunDisplayRefresh();
    }
    EXPECT_TRUE(app.viewController().isGameInitialised());
    EXPECT_EQ(app.viewController().GetLastRenderedFrame(), 2);
    app.applicationWillResignActive();
    app.applicationDidEnterBackground();
    app.applicationWillEnterForeground();
    app.applicationDidBecomeActive();
    EXPECT_EQ(app.viewController().supportedInterfaceOrientations(), kOrientationMaskAll);
    app.applicationWillTerminate();
}

TEST(FrameLoopWithoutGame, AStoppedLoopEndsTheProgramOnlyWhenAQuitWasRequested) {
    VarnokGame::SetFactory(nullptr);
    ShellDef def;
    def.display = &ShellTest::Display();
    VarnokTouchAppDelegate app(def);
    app.Launch(LaunchOptions{});
    app.RunDisplayRefresh();
    FrameRateController& frameRate = FrameRateController::Get();
    ASSERT_EQ(frameRate.GetQuitRequest(), FrameRateController::kQuitNone);
    frameRate.Reset();
    app.RunDisplayRefresh();
    EXPECT_FALSE(app.IsTerminated());  // a stopped loop alone keeps the program

    frameRate.SetQuitRequest(FrameRateController::kQuitRequested);
    app.RunDisplayRefresh();
    EXPECT_TRUE(app.IsTerminated());
    frameRate.Init();
    EXPECT_EQ(frameRate.GetQuitRequest(), FrameRateController::kQuitNone);
}

}  // namespace
}  // namespace Varnok
