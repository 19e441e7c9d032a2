// The shared display and the recording game of the shell tests.
#include "tests/engine/iOS/ShellTestEnvironment.h"

#include "engine/iOS/FrameRateController.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace Varnok {
namespace ShellTest {
namespace {

std::unique_ptr<PlatformDisplay> s_display;
Record* s_record = nullptr;

void Note(const std::string& call) {
    if (s_record != nullptr) {
        s_record->Add(call);
    }
}

// Only closes the display: it is opened by the first test that asks for it,
// so that tests which never draw never start EGL.
class ShellEnvironment : public ::testing::Environment {
public:
    void TearDown() override { s_display.reset(); }
};

[[maybe_unused]] ::testing::Environment* const s_environment =
    ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

}  // namespace

PlatformDisplay& Display() {
    if (s_display == nullptr) {
        s_display = CreateHeadlessDisplay();
        DisplayDef def;
        def.width = kWidth;
        def.height = kHeight;
        // Without a context every drawing test fails on its own pictures.
        EXPECT_TRUE(s_display->Open(def)) << "no headless GL ES 2.0 context";
    }
    return *s_display;
}

std::vector<std::string> Record::Take() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
}

void SetRecord(Record* record) {
    s_record = record;
}

std::string Timed(const char* call, float seconds) {
    char text[64];
    snprintf(text, sizeof(text), "%s %.3f", call, seconds);
    return text;
}

std::unique_ptr<VarnokGame> RecordingGame::Create() {
    return std::make_unique<RecordingGame>();
}

void RecordingGame::InitialiseStage1(void*, void*) {
    Note("initialise1");
}

void RecordingGame::Initialise(void*, void*) {
    FrameRateController::Get().Init();
    if (s_record != nullptr && s_record->clock != nullptr) {
        *s_record->clock += s_record->initialiseNanoseconds;
    }
    Note("initialise");
}

void RecordingGame::Update(float stepSeconds) {
    Note(Timed("update", stepSeconds));
}

void RecordingGame::BackgroundUpdate(float stepSeconds) {
    Note(Timed("background", stepSeconds));
}

void RecordingGame::Render(float elapsedSeconds) {
    Note(Timed("render", elapsedSeconds));
}

void RecordingGame::Suspend() {
    Note("suspend");
}

void RecordingGame::Resume() {
    Note("resume");
}

void RecordingGame::Shutdown() {
    FrameRateController::Get().Shutdown();
    Note("shutdown");
}

int RecordingGame::PresentBeforeRender() const {
    return s_record != nullptr ? s_record->presentBeforeRender : 1;
}

bool RecordingGame::WantsBackgroundUpdates() const {
    return s_record != nullptr && s_record->wantsBackgroundUpdates;
}

}  // namespace ShellTest
}  // namespace Varnok
