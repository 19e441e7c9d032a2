#include "engine/ui/UICommand.h"

#include "engine/ui/UiActionList.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Call;
using UITest::Make;

class Commands : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        screen = AddScreen("menu");
        panel = Make(screen, "panel");
        button = Make(panel, "id");
        Make(button, "deep");
        other = Make(root(), "thisX");
    }

    ComponentScreen* screen = nullptr;
    Component* panel = nullptr;
    Component* button = nullptr;
    Component* other = nullptr;
};

TEST_F(Commands, ComponentPathsResolveRelativeToTheContext) {
    Component* deep = button->FindChild(AsciiString("deep"));
    const struct {
        Component* context;
        const char* path;
        Component* expected;
    } cases[] = {
        {panel, "this", panel},
        {panel, "THIS", panel},
        {panel, "This", panel},
        {panel, "this.id", button},
        {panel, "this..id", button},
        {panel, "this@deep", deep},
        {panel, "this.id.deep", deep},
        {panel, "thisX", other},  // no keyword: from the root
        {panel, "this.", nullptr},
        {panel, "this.missing", nullptr},
        {button, "parent", panel},
        {button, "Parent.id", button},
        {button, "parent^menu", screen},
        {button, "parentscreen", screen},
        {screen, "parentscreen", screen},
        {button, "parentscreen.panel", panel},
        {button, "ParentScreen@deep", deep},
        {other, "parentscreen", nullptr},
        {root(), "parent", nullptr},
        {root(), "parent.id", nullptr},
        {nullptr, "this", nullptr},
        {button, "menu.panel", panel},
        {button, "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ResolveCommandComponent(c.context, AsciiString(c.path)), c.expected);
    }
}

TEST_F(Commands, ScreenArgumentsMustNameScreens) {
    EXPECT_EQ(ResolveCommandScreen(button, AsciiString("THIS")), screen);
    EXPECT_EQ(ResolveCommandScreen(button, AsciiString("menu")), screen);
    EXPECT_EQ(ResolveCommandScreen(button, AsciiString("menu.panel")), nullptr);
    EXPECT_EQ(ResolveCommandScreen(button, AsciiString("parent")), nullptr);
    EXPECT_EQ(ResolveCommandScreen(other, AsciiString("this")), nullptr);
}

TEST_F(Commands, ControlWordsSteerTheList) {
    UITest::CountingCommand* a = AddCommand("A", 0);
    UITest::CountingCommand* skip = AddCommand("Skip", 1);
    UITest::CountingCommand* odd = AddCommand("Odd", 7);
    UITest::CountingCommand* stop = AddCommand("Stop", 2);
    const struct {
        const char* what;
        std::vector<UICommandCall> calls;
        bool result;
        int aCalls;
    } cases[] = {
        {"plain", {Call("A"), Call("A")}, true, 2},
        {"skip to else", {Call("Skip"), Call("A"), Call("else"), Call("A")}, true, 1},
        {"skip to endif", {Call("Skip"), Call("A"), Call("endif"), Call("A")}, true, 1},
        {"else while running skips", {Call("else"), Call("A"), Call("else"), Call("A")}, true, 1},
        {"odd result ignores endif", {Call("Odd"), Call("endif"), Call("A"), Call("else"), Call("A")}, true, 1},
        {"exit", {Call("A"), Call("exit"), Call("A")}, false, 1},
        {"exit while skipping", {Call("Skip"), Call("exit"), Call("endif"), Call("A")}, true, 1},
        {"stop", {Call("Stop"), Call("A")}, false, 0},
        {"words are exact", {Call("Else"), Call("A")}, true, 1},
        {"unknown goes on", {Call("Nothing"), Call("A")}, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        a->calls = 0;
        UiActionList list(panel);
        list.SetCalls(c.calls);
        EXPECT_EQ(list.Run(), c.result);
        EXPECT_EQ(a->calls, c.aCalls);
    }
    EXPECT_EQ(a->lastContext, panel);
    EXPECT_GT(skip->calls + odd->calls + stop->calls, 0);
}

TEST_F(Commands, RegistrationKeepsTheFirstAndNamesAreExact) {
    UITest::CountingCommand* first = AddCommand("Go", 0);
    AddCommand("Go", 2);  // refused and deleted
    EXPECT_EQ(ui().FindCommand(AsciiString("Go")), first);
    EXPECT_EQ(ExecuteUICommand(panel, AsciiString("Go"), {}), 0);
    EXPECT_EQ(first->calls, 1);
    EXPECT_EQ(ExecuteUICommand(panel, AsciiString("go"), {}), 0);
    EXPECT_EQ(first->calls, 1);
    ui().UnregisterCommand(first);
    EXPECT_EQ(ui().FindCommand(AsciiString("Go")), nullptr);
    delete first;
}

int32_t s_stringResult = 0;
AsciiString s_lastText;
Component* s_lastComponent = nullptr;
bool s_screenGiven = false;

int32_t OnString(Component*, const AsciiString& text) {
    s_lastText = text;
    return s_stringResult;
}
int32_t OnComponent(Component*, Component* target) {
    s_lastComponent = target;
    return 2;
}
int32_t OnScreen(Component*, bool given, Component* screen) {
    s_screenGiven = given;
    s_lastComponent = screen;
    return 0;
}

TEST_F(Commands, HelpCommandsCheckTheirArgumentCount) {
    UICommandParameterSpec spec(1, "Component", "Bool");
    EXPECT_EQ(spec.requiredCount, 1u);
    EXPECT_EQ(spec.optionalCount, 1u);
    UIComponentCommand probe(AsciiString("Probe"), UIComponentCommand::Handler(OnComponent),
                             AsciiString("help"));
    struct Checker final : UIHelpCommand {
        using UIHelpCommand::UIHelpCommand;
        int32_t Execute(Component*, const std::vector<AsciiString>&) override { return 0; }
    } two(AsciiString("Two"), spec, AsciiString("two args"));
    const auto args = [](int n) { return std::vector<AsciiString>(static_cast<size_t>(n)); };
    EXPECT_FALSE(two.CheckArgumentCount(args(0)));
    EXPECT_TRUE(two.CheckArgumentCount(args(1)));
    EXPECT_TRUE(two.CheckArgumentCount(args(2)));
    EXPECT_FALSE(two.CheckArgumentCount(args(3)));
    EXPECT_EQ(two.GetParamRange(), 0x00020001u);
    uint32_t count = 0;
    const AsciiString* kinds = two.GetParamKinds(count);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(kinds[1].c_str(), "Bool");

    UICommandParameterSpec broken(3, "Component", "Bool");
    EXPECT_TRUE(broken.kinds.empty());
    EXPECT_EQ(broken.requiredCount + broken.optionalCount, 0u);
    Checker any(AsciiString("Any"), UICommandParameterSpec(0), AsciiString());
    EXPECT_TRUE(any.CheckArgumentCount(args(5)));
    EXPECT_EQ(any.GetParamKinds(count), nullptr);
    EXPECT_EQ(count, 0u);

    EXPECT_EQ(probe.Execute(button, {AsciiString("parent")}), 2);
    EXPECT_EQ(s_lastComponent, panel);
    EXPECT_EQ(probe.Execute(button, {}), 0);  // too few: nothing runs
    EXPECT_EQ(probe.GetParamRange(), 0x00010001u);

    UIStringCommand echo(AsciiString("Echo"), UIStringCommand::Handler(OnString), AsciiString());
    s_stringResult = 1;
    EXPECT_EQ(echo.Execute(button, {AsciiString("hello")}), 1);
    EXPECT_STREQ(s_lastText.c_str(), "hello");
    EXPECT_EQ(echo.Execute(button, {AsciiString("a"), AsciiString("b")}), 0);
    UIStringCommand empty(AsciiString("Empty"), UIStringCommand::Handler(), AsciiString());
    EXPECT_EQ(empty.Execute(button, {AsciiString("a")}), 0);

    UIScreenCommand show(AsciiString("Show"), UIScreenCommand::Handler(OnScreen), AsciiString());
    EXPECT_EQ(show.GetParamRange(), 0x00010000u);
    show.Execute(button, {});
    EXPECT_FALSE(s_screenGiven);
    EXPECT_EQ(s_lastComponent, nullptr);
    show.Execute(button, {AsciiString("this")});
    EXPECT_TRUE(s_screenGiven);
    EXPECT_EQ(s_lastComponent, screen);
}

TEST(UICommandKinds, NamesInTableOrder) {
    EXPECT_STREQ(GetUICommandParamKindName(UICommandParamKind::Empty).c_str(), "~EMPTY~");
    EXPECT_STREQ(GetUICommandParamKindName(UICommandParamKind::Unknown).c_str(), "Unknown");
    EXPECT_STREQ(GetUIPropertyValueKindName(UIPT_rotation).c_str(), "Vector");
    EXPECT_STREQ(GetUIPropertyValueKindName(UIPT_colour).c_str(), "Colour");
    EXPECT_STREQ(GetUIPropertyValueKindName(UIPT_int).c_str(), "Number");
}

}  // namespace
}  // namespace Varnok
