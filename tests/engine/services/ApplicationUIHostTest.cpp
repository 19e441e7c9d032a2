// The application's UI host: the UI manager's set-up creates the keyboard's
// field through it, fields edit through the adapter it hands out, toggles
// read registered variables, and taking it out leaves no field attached.
#include "engine/services/ApplicationUIHost.h"

#include "engine/services/RegisteredVariables.h"
#include "engine/ui/UIManager.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

struct Typed {
    std::string last;
    int calls = 0;
    bool OnText(const char* text) {
        last = text;
        ++calls;
        return true;
    }
};

class UIHostTest : public testing::Test {
protected:
    void TearDown() override {
        UIManager& ui = UIManager::Get();
        ui.Shutdown();
        ui.SetHost(nullptr);
    }
    KeyboardManager_iPhone keyboard;
};

TEST_F(UIHostTest, TheUISetUpCreatesTheFieldAndTypingReachesTheCallback) {
    ApplicationUIHost host(keyboard);
    host.Install();
    EXPECT_EQ(UIManager::Get().GetHost(), &host);
    EXPECT_FALSE(host.IsKeyboardInitialised());
    UIProjectSettings settings;
    settings.createsSimple2D = false;
    settings.createsDefaultTextures = false;
    UIManager::Get().Init(settings, AsciiString("~base"));
    ASSERT_TRUE(host.IsKeyboardInitialised());
    ASSERT_NE(keyboard.GetTextField(), nullptr);

    Typed typed;
    UIKeyboard* ui = host.GetKeyboard();
    ASSERT_NE(ui, nullptr);
    ui->SetTextCallback(UIKeyboard::TextCallback(&typed, &Typed::OnText));
    ui->Show("ab", 40);
    EXPECT_TRUE(host.IsKeyboardActive());
    EXPECT_EQ(typed.last, "ab");  // showing reports the text
    keyboard.OnPlatformText("c");
    EXPECT_EQ(typed.last, "abc");
    ui->Hide();
    EXPECT_FALSE(host.IsKeyboardActive());
    keyboard.OnPlatformText("d");  // lowered: nothing is typed
    EXPECT_EQ(typed.calls, 2);
}

TEST_F(UIHostTest, UninstallingLowersTheKeyboardAndForgetsTheField) {
    Typed typed;
    {
        ApplicationUIHost host(keyboard);
        host.Install();
        host.InitialiseKeyboard();
        host.GetKeyboard()->SetTextCallback(UIKeyboard::TextCallback(&typed, &Typed::OnText));
        host.GetKeyboard()->Show("", 0);
        ASSERT_TRUE(host.IsKeyboardActive());
    }  // the destructor uninstalls
    EXPECT_EQ(UIManager::Get().GetHost(), nullptr);
    EXPECT_FALSE(keyboard.IsShown());
    EXPECT_TRUE(keyboard.textCallback.IsEmpty());

    // Another host installed since is left alone.
    ApplicationUIHost first(keyboard);
    ApplicationUIHost second(keyboard);
    first.Install();
    second.Install();
    first.Uninstall();
    EXPECT_EQ(UIManager::Get().GetHost(), &second);
}

TEST_F(UIHostTest, BoolVariablesAreReadLiveAndMissingOnesLeaveTheValue) {
    ApplicationUIHost host(keyboard);
    bool sound = true;
    int32_t music = 0;
    SmartPtr<RegisteredValue> soundValue = RegisteredVariables::Get().Register("host.sound", &sound);
    SmartPtr<RegisteredValue> musicValue = RegisteredVariables::Get().Register("host.music", &music);
    bool read = false;
    EXPECT_TRUE(host.ReadBoolVariable("host.sound", read));
    EXPECT_TRUE(read);
    sound = false;
    EXPECT_TRUE(host.ReadBoolVariable("host.sound", read));
    EXPECT_FALSE(read);
    music = 3;
    EXPECT_TRUE(host.ReadBoolVariable("host.music", read));
    EXPECT_TRUE(read);

    soundValue = SmartPtr<RegisteredValue>();  // dropped: unregistered
    for (const char* name : {"host.sound", "host.nothing", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(name != nullptr ? name : "(null)");
        bool untouched = true;
        EXPECT_FALSE(host.ReadBoolVariable(name, untouched));
        EXPECT_TRUE(untouched);
    }
}

}  // namespace
}  // namespace Varnok
