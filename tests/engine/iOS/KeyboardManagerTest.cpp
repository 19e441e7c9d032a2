// Keyboard text entry: the hidden field, the text callback and the keys.
#include "engine/iOS/KeyboardManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using ::testing::ElementsAre;

class RecordingBackend : public KeyboardBackend {
public:
    explicit RecordingBackend(std::vector<std::string>& log) : m_log(log) {}
    void Raise(float, float, float, float) override { m_log.push_back("raise"); }
    void Lower() override { m_log.push_back("lower"); }

private:
    std::vector<std::string>& m_log;
};

struct Filter {
    std::vector<std::string> proposed;
    size_t maxLength = 5;
    bool Accept(const char* text) {
        proposed.push_back(text);
        return std::string(text).size() <= maxLength;
    }
};

constexpr int kBackspace = 8;
constexpr int kReturn = 13;

TEST(KeyboardManager, CallbackDecidesEveryChangeAndShowPassesTheTextOnce) {
    std::vector<std::string> keyboard;
    KeyboardManager_iPhone manager(std::make_unique<RecordingBackend>(keyboard));
    Filter filter;
    manager.textCallback = KeyboardManager::TextCallback(&filter, &Filter::Accept);
    manager.requestedKeyboardType = KeyboardManager::NumberPad;
    manager.Create(10, 20, 200, 30);
    ASSERT_NE(manager.GetTextField(), nullptr);
    EXPECT_FALSE(manager.GetTextField()->enabled);
    EXPECT_EQ(manager.GetTextField()->keyboardType, KeyboardManager::EmailAddress);

    manager.Show("abc", 100);
    EXPECT_THAT(filter.proposed, ElementsAre("abc"));
    EXPECT_TRUE(manager.IsShown());
    EXPECT_TRUE(manager.GetTextField()->firstResponder);
    EXPECT_THAT(keyboard, ElementsAre("raise"));

    manager.OnPlatformText("de");    // "abcde": accepted
    manager.OnPlatformText("f");     // "abcdef": refused
    manager.OnPlatformKey(kBackspace, true);   // "abcd"
    manager.OnPlatformKey(kBackspace, false);  // key up: nothing
    EXPECT_EQ(manager.GetTextField()->text, "abcd");
    EXPECT_THAT(filter.proposed, ElementsAre("abc", "abcde", "abcdef", "abcd"));

    manager.OnPlatformKey(kReturn, true);  // ends editing
    EXPECT_FALSE(manager.IsShown());
    EXPECT_FALSE(manager.GetTextField()->firstResponder);
    manager.OnPlatformText("x");  // no keyboard: ignored
    EXPECT_EQ(manager.GetTextField()->text, "abcd");
    EXPECT_THAT(keyboard, ElementsAre("raise", "lower"));
}

TEST(KeyboardManager, WithoutCallbackEveryChangeIsTakenAndDestroyLeavesItSafe) {
    KeyboardManager_iPhone manager;
    manager.Create(0, 0, 100, 20);
    manager.Show("", 0);
    manager.OnPlatformText("h\xC3\xA9");  // "hé"
    manager.OnPlatformKey(kBackspace, true);  // drops the whole two-byte character
    EXPECT_EQ(manager.GetTextField()->text, "h");
    manager.Hide();
    EXPECT_FALSE(manager.IsShown());
    EXPECT_FALSE(manager.GetTextField()->enabled);

    manager.Destroy();
    EXPECT_EQ(manager.GetTextField(), nullptr);
    manager.Show("after", 10);  // no field: nothing raised, nothing crashes
    manager.OnPlatformText("x");
    manager.SetText("y");
    manager.Hide();
    EXPECT_FALSE(manager.IsShown());
}

}  // namespace
}  // namespace Varnok
