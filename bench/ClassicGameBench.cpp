// A minute of a classic game at 960x640, headless: the bot blade plays with a
// fixed seed (new rounds after each game over), and every frame is timed in
// its update (the game's rules, world, particles and UI), its render call
// (the draw calls issued) and the whole display refresh (through the present,
// which waits for the GPU). The peer is the same game with the world objects
// (fruit, bombs, slashes) not drawn: the renderer's floor for this scene.
#include "bench/SideBySide.h"

#include "engine/core/Clock.h"
#include "engine/core/FileUtil.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "game/AutoPlay.h"
#include "game/GameApplication.h"
#include "game/GameFlow.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/RunOptions.h"
#include "platform/DesktopServices.h"
#include "platform/PlatformDisplay.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace Varnok;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kWarmUpFrames = 120;      // start-up and the first intro
constexpr int kMeasuredFrames = 3600;   // 60 s of play at 60 frames a second
constexpr int kFramesAfterResults = 30;
constexpr uint32_t kSeed = 7;
constexpr int64_t kStartTime = 1767225600;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The game, with its update and render calls timed.
class TimedGame final : public GameApplication {
public:
    static std::unique_ptr<VarnokGame> Create() { return std::make_unique<TimedGame>(); }

    void Update(float stepSeconds) override {
        const Clock::time_point begin = Clock::now();
        GameApplication::Update(stepSeconds);
        s_updateMs += Milliseconds(Clock::now() - begin);
    }
    void Render(float elapsedSeconds) override {
        const Clock::time_point begin = Clock::now();
        GameApplication::Render(elapsedSeconds);
        s_renderMs += Milliseconds(Clock::now() - begin);
    }

    static double s_updateMs;  // summed since last read
    static double s_renderMs;
};

double TimedGame::s_updateMs = 0.0;
double TimedGame::s_renderMs = 0.0;

struct Series {
    std::vector<double> ms;
    double Median() {
        std::vector<double> sorted = ms;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        return sorted[sorted.size() / 2];
    }
    double Worst() const { return *std::max_element(ms.begin(), ms.end()); }
};

// One minute of play; the median whole frame in ms, or -1.
double PlayAMinute(bool drawWorldObjects) {
    char folder[] = "/tmp/varnok-classic-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return -1.0;
    }
    const std::string base = folder;
    for (const char* sub : {"/documents", "/caches", "/shared"}) {
        (void)CreateDirectory((base + sub).c_str());
    }
    setenv("VARNOK_SHARED_DIR", (base + "/shared").c_str(), 1);
    setenv("VARNOK_DNS_RESOLVER", "127.0.0.1:9", 1);  // no network in a measurement
    // The game's log lines would bury the figures.
    if (freopen("/dev/null", "w", stderr) == nullptr) {
        return -1.0;
    }

    DisplayDef displayDef;
    displayDef.width = kWidth;
    displayDef.height = kHeight;
    std::unique_ptr<PlatformDisplay> display = CreateHeadlessDisplay();
    if (display == nullptr || !display->Open(displayDef)) {
        return -1.0;
    }
    RunOptions options;
    options.seeded = true;
    options.seed = kSeed;
    options.autoplay = "classic";
    SetRunOptions(options);
    SetFixedClock(kStartTime);
    VarnokGame::SetFactory(&TimedGame::Create);
    ShellDef shell;
    shell.display = display.get();
    shell.services = CreateDesktopServices(DesktopServicesDef{});
    shell.bundleDir = VARNOK_BUNDLE_DIR;
    shell.documentsDir = base + "/documents";
    shell.cachesDir = base + "/caches";

    Series update;
    Series render;
    Series frame;
    update.ms.reserve(kMeasuredFrames);
    render.ms.reserve(kMeasuredFrames);
    frame.ms.reserve(kMeasuredFrames);
    int games = 0;
    int strokes = 0;
    {
        VarnokTouchAppDelegate app(shell);
        AutoPlayDef botDef;
        botDef.seed = kSeed;
        botDef.screenWidth = LogicalScreenHeight() * kWidth / kHeight;
        botDef.screenHeight = LogicalScreenHeight();
        AutoPlayRun bot(botDef);
        app.Launch(LaunchOptions{});
        for (int refresh = 0; refresh < kWarmUpFrames + kMeasuredFrames && !app.IsTerminated(); ++refresh) {
            if (refresh == 1) {
                GameFlow::Get().m_drawWorldObjects = drawWorldObjects;
            }
            bot.BeforeRefresh(refresh, app);
            if (bot.IsOver(refresh, kFramesAfterResults)) {
                ++games;
                strokes += bot.GetBot().GetStrokeCount();
                AutoPlayGame::StartAnotherRound();
                bot.Restart();
            }
            TimedGame::s_updateMs = 0.0;
            TimedGame::s_renderMs = 0.0;
            const Clock::time_point begin = Clock::now();
            app.RunDisplayRefresh();
            const double whole = Milliseconds(Clock::now() - begin);
            if (refresh >= kWarmUpFrames) {
                update.ms.push_back(TimedGame::s_updateMs);
                render.ms.push_back(TimedGame::s_renderMs);
                frame.ms.push_back(whole);
            }
        }
        app.applicationWillTerminate();
    }
    VarnokGame::SetFactory(nullptr);
    if (frame.ms.empty()) {
        return -1.0;
    }
    printf("  %-24s update median %.3f worst %.3f | render call median %.3f worst %.3f | whole frame median %.3f "
           "worst %.3f ms | %d games over\n",
           drawWorldObjects ? "full frame" : "world objects not drawn", update.Median(), update.Worst(),
           render.Median(), render.Worst(), frame.Median(), frame.Worst(), games);
    (void)strokes;
    return frame.Median();
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "60 s of a classic game played by the bot blade (seed 7), headless 960x640 on the GL driver; "
        "median frame: update, render and present; the peer draws no world objects (the renderer's floor)";
    comparison.unit = "ms per frame";
    comparison.rounds = 3;
    comparison.contenders = {
        {"full frame", [] { return PlayAMinute(true); }},
        {"world objects not drawn", [] { return PlayAMinute(false); }},
    };
    return Bench::RunSideBySide(argc, argv, comparison);
}
