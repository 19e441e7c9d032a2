// The application shell's own cost per frame: one display refresh of the run
// loop with an empty game, headless: events, the update, the frame's clear
// and the present, which waits until the GPU has finished the frame as a
// swap would. Arg: the framebuffer's width (height two thirds of it).
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "platform/PlatformDisplay.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace Varnok;

class EmptyGame : public VarnokGame {
public:
    void InitialiseStage1(void*, void*) override {}
    void Initialise(void*, void*) override { FrameRateController::Get().Init(); }
};

std::unique_ptr<VarnokGame> MakeEmptyGame() {
    return std::make_unique<EmptyGame>();
}

void BM_ShellTick(benchmark::State& state) {
    std::unique_ptr<PlatformDisplay> display = CreateHeadlessDisplay();
    DisplayDef def;
    def.width = static_cast<int>(state.range(0));
    def.height = def.width * 2 / 3;
    if (!display->Open(def)) {
        state.SkipWithError("no headless display");
        return;
    }
    VarnokGame::SetFactory(&MakeEmptyGame);
    ShellDef shell;
    shell.display = display.get();
    {
        VarnokTouchAppDelegate app(shell);
        app.Launch(LaunchOptions{});
        app.RunDisplayRefresh();  // the first tick initialises the game
        const int firstFrame = app.viewController().GetLastRenderedFrame();
        for (auto _ : state) {
            app.RunDisplayRefresh();
        }
        state.counters["frames"] = app.viewController().GetLastRenderedFrame() - firstFrame;
        state.SetLabel("one refresh: update, clear, present finished on the GPU");
        app.applicationWillTerminate();
    }
    VarnokGame::SetFactory(nullptr);
}
BENCHMARK(BM_ShellTick)->Arg(64)->Arg(960)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
