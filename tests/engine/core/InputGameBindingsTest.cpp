// The game's own bindings files, read through the file layer and driven by
// scripted touches, the way the game flow uses them.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputManager.h"
#include "engine/core/TouchInputDevice.h"
#include "tests/engine/core/InputTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace Varnok;
using VarnokTest::ActionRecorder;
using VarnokTest::Hash;

namespace {

// The repository's data folder: four levels above this folder's test data.
std::string DataFolder() {
    std::filesystem::path testData(VARNOK_TEST_DATA_DIR);
    return (testData.parent_path().parent_path().parent_path().parent_path() / "data").string();
}

std::string Numbered(const char* format, int n) {
    char name[32];
    std::snprintf(name, sizeof(name), format, n);
    return name;
}

class GameBindingsTest : public ::testing::Test {
protected:
    GameBindingsTest() {
        m_base = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(DataFolder().c_str(), true),
            FileSystemKey("base"), 0);
        m_manager.CreateDevices();
        m_loaded = m_manager.LoadBindings("Input/Input.txt");
    }
    ~GameBindingsTest() override {
        m_manager.Shutdown();
        FileSystemRegistry::Get().Remove(m_base);
    }

    void Listen(const char* action, ActionRecorder& recorder) {
        m_manager.AddActionListener(Hash(action), recorder.Listener());
    }
    void Update() { m_manager.Update(1.0f / 60.0f); }
    TouchInputDevice& Touches() { return *TouchInputDevice::Get(); }

    FileSystem* m_base;
    InputManager m_manager;
    bool m_loaded = false;
};

}  // namespace

TEST_F(GameBindingsTest, InputFileBindsEveryActionTheGameListensFor) {
    ASSERT_TRUE(m_loaded);
    const InputDevice& touch = m_manager.GetDevice(0);
    for (int slot = 0; slot < kTouchSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const struct {
            std::string action;
            uint32_t code;
            int stateBit;
        } expected[] = {
            {Numbered("TouchDown_%d", slot), InputCode::kTouch1 + slot, 1},       // down
            {Numbered("TouchMove_X%d", slot), InputCode::kTouchAxisX1 + slot, 4},  // move
            {Numbered("TouchMove_Y%d", slot), InputCode::kTouchAxisY1 + slot, 4},
        };
        for (const auto& e : expected) {
            const std::vector<InputBinding*>* list = touch.GetStateList(e.code, e.stateBit);
            ASSERT_NE(list, nullptr) << e.action;
            ASSERT_EQ(list->size(), 1u) << e.action;
            EXPECT_EQ(list->front()->action, Hash(e.action.c_str()));
        }
    }
    for (const char* action :
         {"PointerMove", "PointerPressed", "PointerReleased", "RegressMenu", "ShowPauseMenu"}) {
        EXPECT_NE(touch.FindBinding(Hash(action)), nullptr) << action;
    }
}

TEST_F(GameBindingsTest, ATapPressesAndReleasesOnce) {
    ActionRecorder pressed;
    ActionRecorder released;
    ActionRecorder down;
    Listen("PointerPressed", pressed);
    Listen("PointerReleased", released);
    Listen("TouchDown_15", down);  // the first touch takes the last slot

    Touches().OnTouch(11, true, 0.5f, 0.5f);
    Update();
    Touches().OnTouch(11, false, 0.5f, 0.5f);
    Update();
    Update();

    EXPECT_EQ(pressed.Calls(), 1);
    EXPECT_EQ(released.Calls(), 1);
    EXPECT_EQ(down.seen, (std::vector<std::string>{"Touch16 DOWN"}));
}

TEST_F(GameBindingsTest, ADragMovesTheSlotAndThePointerEveryFrame) {
    ActionRecorder moveX;
    ActionRecorder moveY;
    ActionRecorder pointer;
    Listen("TouchMove_X15", moveX);
    Listen("TouchMove_Y15", moveY);
    Listen("PointerMove", pointer);

    const int frames = 4;
    for (int frame = 0; frame < frames; ++frame) {
        Touches().OnTouch(3, true, 0.25f + 0.125f * frame, 0.5f);
        Update();
    }
    Touches().OnTouch(3, false, 0.0f, 0.0f);
    Update();

    EXPECT_EQ(moveX.seen, (std::vector<std::string>{"TouchAxisX16 MOVED 0.25 +0.25",
                                                    "TouchAxisX16 MOVED 0.375 +0.125",
                                                    "TouchAxisX16 MOVED 0.5 +0.125",
                                                    "TouchAxisX16 MOVED 0.625 +0.125"}));
    EXPECT_EQ(moveY.Calls(), frames);
    EXPECT_EQ(pointer.Calls(), 2 * frames);  // the mouse's x and y axes
}

TEST_F(GameBindingsTest, PauseMenuBindingsComeAndGoWithoutTheGamesOwn) {
    ASSERT_TRUE(m_manager.LoadBindings("Input/PauseMenu.txt"));
    m_manager.RemoveActionListeners(Hash("Input/PauseMenu.txt"));
    EXPECT_NE(m_manager.GetDevice(0).FindBinding(Hash("RegressMenu")), nullptr);
    EXPECT_NE(m_manager.GetDevice(0).FindBinding(Hash("TouchDown_0")), nullptr);
}
