#include "UITestSupport.h"

#include "engine/ui/UIMessages.h"

namespace Varnok {
namespace {

using namespace UITest;

class BuiltInUICommandsTest : public UIManagerTest {
protected:
    int32_t Run(Component* context, const char* name, std::vector<const char*> args) {
        std::vector<AsciiString> texts;
        for (const char* arg : args) {
            texts.emplace_back(arg);
        }
        return ui().ExecuteCommand(context, AsciiString(name), texts);
    }

    struct Heard {
        std::vector<int32_t> types;
        std::vector<std::string> texts;
        int32_t answer = 0;
        void Handle(const UIMessage& message, int32_t& result, bool&) {
            types.push_back(message.type);
            texts.push_back(message.data != nullptr ? message.data->ToString().c_str() : "");
            result = answer;
        }
    };
};

TEST_F(BuiltInUICommandsTest, SetPropertyConvertsByTypeAndLeavesOtherTypesAlone) {
    ComponentScreen* screen = AddScreen("menu");
    Component* box = Make(screen, "box");
    UIProperty<bool>* flag = box->GetOrAddProperty<bool>("glow", false);
    UIProperty<int>* count = box->GetOrAddProperty<int>("count", 4);

    const struct {
        const char* text;
        bool expected;
    } bools[] = {{"TRUE", true}, {"yes", false}, {"True", true}, {"", false}};
    for (const auto& c : bools) {
        EXPECT_EQ(0, Run(nullptr, "SetProperty_bool", {"menu.box", "glow", c.text}));
        EXPECT_EQ(c.expected, flag->Get()) << c.text;
    }
    // "count" is an int: the float command changes nothing.
    EXPECT_EQ(0, Run(nullptr, "SetProperty_float", {"menu.box", "count", "9.5"}));
    EXPECT_EQ(4, count->Get());
    EXPECT_EQ(0, Run(nullptr, "SetProperty_int", {"menu.box", "count", "12"}));
    EXPECT_EQ(12, count->Get());
    // Too few arguments and an unknown target do nothing.
    EXPECT_EQ(0, Run(nullptr, "SetProperty_int", {"menu.box", "count"}));
    EXPECT_EQ(0, Run(nullptr, "SetProperty_int", {"menu.nothing", "count", "1"}));
    EXPECT_EQ(12, count->Get());
}

TEST_F(BuiltInUICommandsTest, SendMessageTypesTextsAndAbort) {
    ComponentScreen* screen = AddScreen("menu");
    Heard heard;
    UIMessageListener listener("heard", UIMessageHandler(&heard, &Heard::Handle), UIMessageFilter::All);
    ASSERT_TRUE(ui().AddMessageListener(&listener));

    EXPECT_EQ(0, Run(screen, "SendMessage", {"Command"}));
    EXPECT_EQ(0, Run(screen, "SendMessage", {"custom", "hello"}));
    EXPECT_EQ(0, Run(screen, "SendMessage", {"None"}));
    EXPECT_EQ(0, Run(screen, "SendMessage", {"Update", "tick"}));
    EXPECT_EQ(0, Run(screen, "SendMessage", {"Update", "a", "b"}));  // too many
    EXPECT_EQ((std::vector<int32_t>{9, 3}), heard.types);
    EXPECT_EQ((std::vector<std::string>{"", "tick"}), heard.texts);

    heard.answer = 2;
    EXPECT_EQ(2, Run(screen, "SendMessage", {"Draw"}));
}

TEST_F(BuiltInUICommandsTest, IsAnimFinishedStopsOutsideTheFinishAndSoundRespectsTheSwitch) {
    ComponentScreen* screen = AddScreen("menu");
    EXPECT_EQ(2, Run(screen, "IsAnimFinished", {"this", "fade"}));
    EXPECT_EQ(2, Run(screen, "IsAnimFinished", {"menu.none", "fade"}));
    EXPECT_EQ(2, Run(screen, "IsAnimFinished", {"this"}));

    ui().SetSoundSwitch(true);
    EXPECT_EQ(0, Run(screen, "PlaySound", {"click"}));
    ui().SetSoundSwitch(false);
    EXPECT_EQ(0, Run(screen, "PlaySound", {"click"}));  // missing sound: one log line
    EXPECT_EQ(0, Run(screen, "PlayMusic", {"theme", "1.5"}));
    EXPECT_EQ(0, Run(screen, "PlayMusic", {}));

    uint32_t count = 0;
    const UICommand* delayed = ui().FindCommand("PlayAnimationDelayed");
    ASSERT_NE(nullptr, delayed);
    EXPECT_EQ(3u | (4u << 16), delayed->GetParamRange());
    ASSERT_NE(nullptr, delayed->GetParamKinds(count));
    EXPECT_EQ(4u, count);
}

}  // namespace
}  // namespace Varnok
