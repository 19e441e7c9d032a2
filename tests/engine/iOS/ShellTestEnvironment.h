// One headless GL ES 2.0 display for the whole test program, opened by the
// first test that asks for it, and a game that records what the shell calls
// on it.
#pragma once

#include "engine/iOS/VarnokGame.h"
#include "platform/PlatformDisplay.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace ShellTest {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Opens the display on the first call.
PlatformDisplay& Display();

// What the recording game and the test's listeners saw, in order.
struct Record {
    std::vector<std::string> calls;
    uint64_t* clock = nullptr;           // advanced by initialisation when set
    uint64_t initialiseNanoseconds = 0;  // how long Initialise pretends to take
    int presentBeforeRender = 1;
    bool wantsBackgroundUpdates = false;

    void Add(const std::string& call) { calls.push_back(call); }
    // The calls since the last Take, and forget them.
    std::vector<std::string> Take();
};

// The record the next games write into; null makes them record nothing.
void SetRecord(Record* record);

class RecordingGame : public VarnokGame {
public:
    static std::unique_ptr<VarnokGame> Create();

    void InitialiseStage1(void*, void*) override;
    void Initialise(void*, void*) override;
    void Update(float stepSeconds) override;
    void BackgroundUpdate(float stepSeconds) override;
    void Render(float elapsedSeconds) override;
    void Suspend() override;
    void Resume() override;
    void Shutdown() override;
    int PresentBeforeRender() const override;
    bool WantsBackgroundUpdates() const override;
};

// "update 0.020": a call with its seconds to the millisecond.
std::string Timed(const char* call, float seconds);

}  // namespace ShellTest
}  // namespace Varnok
