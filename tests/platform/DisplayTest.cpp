#include "platform/FrameCapture.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PlatformDisplay.h"
#include "platform/PngReader.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace {

std::string TempPath(const char* name) {
    const char* dir = getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/" + name;
}

}  // namespace

TEST(HeadlessDisplay, ClearsAndReadsBackThroughAnOffscreenFramebuffer) {
    auto display = Varnok::CreateHeadlessDisplay();
    Varnok::DisplayDef def;
    def.width = 64;
    def.height = 32;
    ASSERT_TRUE(display->Open(def));
    EXPECT_TRUE(display->IsOffscreen());

    Varnok::OffscreenFramebuffer framebuffer;
    ASSERT_TRUE(framebuffer.Create(def.width, def.height, false));

    glViewport(0, 0, def.width, def.height);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Bottom half green: the read-back must put it in the lower rows.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, def.width, def.height / 2);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    std::vector<uint8_t> rgba;
    ASSERT_TRUE(display->ReadPixels(rgba));
    ASSERT_EQ(rgba.size(), 64u * 32u * 4u);
    EXPECT_EQ(rgba[0], 255);  // top-left red
    EXPECT_EQ(rgba[1], 0);
    const size_t bottom = (31u * 64u) * 4u;
    EXPECT_EQ(rgba[bottom], 0);  // bottom-left green
    EXPECT_EQ(rgba[bottom + 1], 255);

    const std::string path = TempPath("varnok_display_test.png");
    ASSERT_TRUE(Varnok::WritePng(path.c_str(), def.width, def.height, rgba));
    int w = 0;
    int h = 0;
    std::vector<uint8_t> back;
    ASSERT_TRUE(Varnok::ReadPng(path.c_str(), w, h, back));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(back, rgba);
    remove(path.c_str());
}

TEST(HeadlessDisplay, VirtualClockAdvancesExactlyOneSixtiethPerTick) {
    auto display = Varnok::CreateHeadlessDisplay();
    ASSERT_TRUE(display->Open(Varnok::DisplayDef{}));
    const uint64_t start = display->NowNanoseconds();
    for (int i = 0; i < 60; ++i) {
        display->WaitForTick();
    }
    EXPECT_EQ(display->NowNanoseconds() - start, 60u * (1000000000u / 60u));
}

namespace {

struct QuitCounter : Varnok::PlatformEventSink {
    int quits = 0;
    void OnTouch(const Varnok::PlatformTouch&) override {}
    void OnFocusChanged(bool) override {}
    void OnMinimised(bool) override {}
    void OnQuit() override { ++quits; }
};

}  // namespace

TEST(HeadlessDisplay, QuitSignalsArriveOnceAsQuitAtTheNextPoll) {
    auto display = Varnok::CreateHeadlessDisplay();
    ASSERT_TRUE(display->Open(Varnok::DisplayDef{}));
    Varnok::InstallQuitSignalHandlers();
    QuitCounter sink;
    display->PollEvents(sink);
    EXPECT_EQ(sink.quits, 0);
    for (int signal : {SIGTERM, SIGINT}) {
        ASSERT_EQ(raise(signal), 0);  // caught: the test program goes on
        display->PollEvents(sink);
        display->PollEvents(sink);
    }
    EXPECT_EQ(sink.quits, 2);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

TEST(HeadlessDisplay, PresentFinishesTheFrameAndDiscardIsSafeEitherWay) {
    auto display = Varnok::CreateHeadlessDisplay();
    ASSERT_TRUE(display->Open(Varnok::DisplayDef{}));
    EXPECT_NE(display->GetProcAddress("glClear"), nullptr);
    Varnok::OffscreenFramebuffer framebuffer;
    ASSERT_TRUE(framebuffer.Create(16, 16));
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    display->DiscardDepth();  // with or without the driver's discard
    display->Present();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<uint8_t> rgba;
    glViewport(0, 0, 16, 16);
    ASSERT_TRUE(Varnok::ReadFramebufferRgba(16, 16, rgba));
    EXPECT_EQ(rgba[2], 255);  // the colour stays: only depth is discarded
}
