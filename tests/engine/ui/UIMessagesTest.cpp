#include "engine/ui/UIManager.h"
#include "engine/ui/UIMessages.h"
#include "engine/ui/UIUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

TEST(UIMessageTypeTest, NamesParseWithLetterCaseAndMarkersShareValues) {
    const struct {
        const char* name;
        int32_t value;
    } cases[] = {
        {"FirstValid", 1}, {"RealtimeMin", 1}, {"Draw", 1}, {"RealtimeMax", 4},
        {"AnimationMin", 8}, {"AnimationDispatchEvent", 8}, {"AnimationMax", 8},
        {"Command", 9}, {"None", 0}, {"Invalid", -1},
        {"custom", -1}, {"Custom", -1}, {"draw", -1}, {"", -1}, {"Draw ", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, ParseUIMessageType(c.name)) << c.name;
    }
}

TEST(UIMessageTypeTest, CategoriesCoverEveryTypeOnce) {
    EXPECT_EQ(0u, GetUIMessageCategory(0));
    EXPECT_EQ(UIMessageCategory_Realtime, GetUIMessageCategory(1));
    EXPECT_EQ(UIMessageCategory_Realtime, GetUIMessageCategory(4));
    EXPECT_EQ(UIMessageCategory_Input, GetUIMessageCategory(5));
    EXPECT_EQ(UIMessageCategory_Input, GetUIMessageCategory(7));
    EXPECT_EQ(UIMessageCategory_Animation, GetUIMessageCategory(8));
    EXPECT_EQ(UIMessageCategory_Command, GetUIMessageCategory(9));
    EXPECT_EQ(UIMessageCategory_Custom, GetUIMessageCategory(10));
    EXPECT_EQ(UIMessageCategory_Custom, GetUIMessageCategory(-1));
}

TEST(UIMessageDataTest, TextForms) {
    EXPECT_STREQ("UIMessageDataDraw {layer = 1337; }", UIMessageDataDraw(1337).ToString().c_str());
    EXPECT_STREQ("UIMessageDataUpdate {dt = 0.500000; }", UIMessageDataUpdate(0.5f).ToString().c_str());
    EXPECT_STREQ("UIMessageDataHandleInput\n{\n  inputEvent = \n;\n }",
                 UIMessageDataHandleInput(nullptr).ToString().c_str());
    EXPECT_STREQ("hello", UIMessageDataText("hello").ToString().c_str());
    UIMessageData bare;
    char expected[64];
    std::snprintf(expected, sizeof(expected), "UIMessageData(%p)", static_cast<const void*>(&bare));
    EXPECT_STREQ(expected, bare.ToString().c_str());
}

// Records what each listener saw; a listener's behaviour is chosen by its
// index in the fixture.
class UIMessageDispatchTest : public ::testing::Test {
protected:
    struct Recorder {
        std::vector<int32_t> seen;
        int32_t setResult = 0;
        bool setStop = false;
        void Handle(const UIMessage& message, int32_t& result, bool& stop) {
            seen.push_back(message.type);
            if (setResult != 0) {
                result = setResult;
            }
            if (setStop) {
                stop = true;
            }
        }
    };

    UIMessageListener* AddListener(const UIMessageFilter& filter) {
        recorders.push_back(std::make_unique<Recorder>());
        listeners.push_back(std::make_unique<UIMessageListener>(
            "test", UIMessageHandler(recorders.back().get(), &Recorder::Handle), filter));
        EXPECT_TRUE(manager.AddMessageListener(listeners.back().get()));
        return listeners.back().get();
    }

    bool Send(int32_t type) {
        UIMessage message;
        message.type = type;
        return manager.DispatchMessage(message);
    }

    void SendAll() {
        for (int32_t type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1}) {
            Send(type);
        }
    }

    UIManager manager;
    std::vector<std::unique_ptr<Recorder>> recorders;
    std::vector<std::unique_ptr<UIMessageListener>> listeners;
};

int AnswerTwo(const UIMessage&) { return 2; }
int AcceptUpdate(const UIMessage& message) { return message.type == UIMessageType_Update ? 1 : 0; }

TEST_F(UIMessageDispatchTest, FiltersChooseWhatEachListenerHears) {
    AddListener(UIMessageFilter{0xFFFFFFFFu, UIMessageType_Update, nullptr});  // exact type wins
    AddListener(UIMessageFilter::Input);
    AddListener(UIMessageFilter::All);
    AddListener(UIMessageFilter{0x8u, 0, nullptr});
    AddListener(UIMessageFilter::Custom);
    AddListener(UIMessageFilter{0xFFFFFFFFu, 0, &AnswerTwo});
    AddListener(UIMessageFilter{0xFFFFFFFFu, 0, &AcceptUpdate});
    SendAll();
    EXPECT_EQ((std::vector<int32_t>{3}), recorders[0]->seen);
    EXPECT_EQ((std::vector<int32_t>{5, 6, 7}), recorders[1]->seen);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1}), recorders[2]->seen);
    EXPECT_EQ((std::vector<int32_t>{9}), recorders[3]->seen);
    EXPECT_EQ((std::vector<int32_t>{10, -1}), recorders[4]->seen);
    EXPECT_TRUE(recorders[5]->seen.empty());
    EXPECT_EQ((std::vector<int32_t>{3}), recorders[6]->seen);
}

TEST_F(UIMessageDispatchTest, AbortReportsFailureAndStopEndsWithSuccess) {
    AddListener(UIMessageFilter::All);
    AddListener(UIMessageFilter::All);
    AddListener(UIMessageFilter::All);
    recorders[1]->setResult = 2;
    EXPECT_FALSE(Send(UIMessageType_Draw));
    EXPECT_EQ(1u, recorders[0]->seen.size());
    EXPECT_TRUE(recorders[2]->seen.empty());

    recorders[1]->setResult = 5;  // any other result has no effect
    recorders[1]->setStop = true;
    EXPECT_TRUE(Send(UIMessageType_Draw));
    EXPECT_TRUE(recorders[2]->seen.empty());

    recorders[1]->setStop = false;
    EXPECT_TRUE(Send(UIMessageType_Draw));
    EXPECT_EQ(1u, recorders[2]->seen.size());
}

TEST_F(UIMessageDispatchTest, ListGrowsFromSixteenToTwentyFiveAndRefusesTwins) {
    EXPECT_EQ(16u, manager.GetMessageListeners().GetCapacity());
    for (int i = 0; i < 16; ++i) {
        AddListener(UIMessageFilter::All);
    }
    EXPECT_EQ(16u, manager.GetMessageListeners().GetCapacity());
    AddListener(UIMessageFilter::All);
    EXPECT_EQ(25u, manager.GetMessageListeners().GetCapacity());
    EXPECT_EQ(17u, manager.GetMessageListeners().GetCount());
    const uint32_t version = manager.GetMessageListeners().GetVersion();
    EXPECT_FALSE(manager.AddMessageListener(listeners[3].get()));
    EXPECT_EQ(version, manager.GetMessageListeners().GetVersion());
    EXPECT_EQ(17u, manager.GetMessageListeners().GetCount());
    SendAll();
    for (const auto& recorder : recorders) {
        EXPECT_EQ(11u, recorder->seen.size());  // every type but 0, each once
    }
}

TEST(UIUtilTest, FloatTextAndUnsetBounds) {
    const struct {
        float value;
        unsigned digits;
        const char* text;
    } cases[] = {{0.25f, 5, "0.25"}, {3.0f, 5, "3"}, {1.5f, 3, "1.5"}, {-2.0f, 0, "-2"}, {100.0f, 2, "100"}};
    for (const auto& c : cases) {
        char buffer[32];
        FormatUIFloat(buffer, sizeof(buffer), c.value, c.digits);
        EXPECT_STREQ(c.text, buffer);
    }
    char plain[] = "1000";
    TrimTrailingZeros(plain, sizeof(plain));
    EXPECT_STREQ("1000", plain);

    EXPECT_EQ(7u, UIUtil::MinUnset(0xFFFFFFFFu, 7));
    EXPECT_EQ(3u, UIUtil::MinUnset(3, 7));
    EXPECT_EQ(5u, UIUtil::MaxUnset(5, 0xFFFFFFFFu));
    EXPECT_EQ(9u, UIUtil::MaxUnset(5, 9));
    EXPECT_EQ(9u, UIUtil::MaxUnset(0xFFFFFFFFu, 9));

    EXPECT_EQ(1, UIUtil::CompareWithTolerance(1.0f, 0.5f, 0.5f));
    EXPECT_EQ(-1, UIUtil::CompareWithTolerance(1.0f, 0.6f, 0.5f));
    EXPECT_EQ(0, UIUtil::CompareWithTolerance(std::nanf(""), 0.0f, 0.5f));
}

}  // namespace
}  // namespace Varnok
