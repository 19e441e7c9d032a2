#include "engine/ui/ComponentDebugger.h"

#include "engine/core/InputEvent.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/ComponentTextInput.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

using UITest::Make;

class ConsoleTest : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        ComponentScreen* screen = AddScreen("uidebugger");
        Make<ComponentTextInput>(AddScreen("menu"), "field");
        debugger = static_cast<ComponentDebugger*>(ui().InstantiateClass(AsciiString("ComponentDebugger")));
        ASSERT_NE(debugger, nullptr);
        debugger->SetId(AsciiString("uidebuggerComponent"));
        screen->AddChild(debugger, -1);
        debugger->OnCreated();
        debugger->MarkLoaded();
        ASSERT_NE(debugger->GetOutput(), nullptr);
        ASSERT_NE(debugger->GetInput(), nullptr);
    }
    void TearDown() override {
        std::memset(GetUIDebugConsoleSettings().watchedPath, 0, UIDebugConsoleSettings::kWatchedPathSize);
        UIManagerTest::TearDown();
    }

    std::string Output() const {
        return debugger->GetOutput()->FindProperty<AsciiString>(AsciiString("text"))->Get().c_str();
    }

    // Types a line into the input and submits it; answers what it printed.
    std::string Type(const std::string& line) {
        const size_t before = Output().size();
        debugger->GetInput()->OnKeyboardTextChanged(AsciiString(line.c_str()));
        debugger->SubmitInput();
        EXPECT_TRUE(debugger->GetInput()->GetInputText().IsEmpty());
        return Output().substr(before);
    }

    static float FontSize(const Component* c) { return c->FindProperty<float>(AsciiString("fontSize"))->Get(); }

    ComponentDebugger* debugger = nullptr;
};

TEST_F(ConsoleTest, BuildsItsChildrenAndTakesTheFocus) {
    for (const char* path : {"console", "console.consoleBg", "console.consoleOutput", "console.consoleInput",
                             "console.consoleInputBg", "console.consoleEnterBtn", "debugTextComponent"}) {
        Component* child = debugger->FindChild(AsciiString(path));
        ASSERT_NE(child, nullptr) << path;
        EXPECT_FALSE(child->CanDelete());
        EXPECT_FALSE(child->CanRename());
    }
    EXPECT_EQ(ui().GetFocus(), debugger->GetInput());
    EXPECT_EQ(FontSize(debugger->GetOutput()), 10.0f);
    EXPECT_EQ(debugger->FindProperty<float>(AsciiString("width"))->Get(), 480.0f);  // the workspace
}

TEST_F(ConsoleTest, CommandWordsIgnoreCaseAndBlankLinesRunNothing) {
    EXPECT_EQ(Type("PROFILE"), "user>PROFILE\nSorry, profiling is not enabled on this build. Please enable "
                               "profiling, and try again.\n");
    EXPECT_EQ(Type("   "), "user>   \n");
    EXPECT_EQ(Type("frobnicate now"), "user>frobnicate now\nSorry, command not recognized: frobnicate\n");
    EXPECT_EQ(Type(""), "");  // an empty line is not even echoed
    EXPECT_EQ(Type("help ls"), "user>help ls\nSorry, the documentation for command 'ls' has not been written yet.\n");
}

TEST_F(ConsoleTest, CdAndLsWalkTheTreeAndDotDotReturnsToTheRoot) {
    EXPECT_EQ(Type("cd menu"), "user>cd menu\ncdir to .menu\n");
    EXPECT_EQ(debugger->GetCurrentPath(), AsciiString(".menu"));
    EXPECT_EQ(Type("ls"), "user>ls\nCurrent path: .menu\n  <root          >   .\n  <parent        >  ..\n"
                          "  <ComponentTextI>  field\nCurrent path: .menu, child node count: 1\n");
    // The root's own path resolves nothing; the console calls it ".".
    EXPECT_EQ(Type("cd .."), "user>cd ..\nCurrent path: .\n");
    const std::string listing = Type("LS");
    EXPECT_NE(listing.find("  <ComponentScree>  uidebugger\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("child node count: 2\n"), std::string::npos) << listing;
    EXPECT_EQ(Type("cd nowhere"), "user>cd nowhere\nSorry, path not found: .nowhere\n");
    EXPECT_EQ(Type("cd \\"), "user>cd \\\nCurrent path: .\n");
}

TEST_F(ConsoleTest, WatchStoresPathsBelowTheLimitOnly) {
    EXPECT_EQ(Type("watch menu.field"), "user>watch menu.field\nWatching component .menu.field\n");
    EXPECT_STREQ(GetUIDebugConsoleSettings().watchedPath, ".menu.field");
    EXPECT_EQ(Type("watch -NONE"), "user>watch -NONE\nwatch cleared.\n");
    EXPECT_STREQ(GetUIDebugConsoleSettings().watchedPath, "");

    const std::string longId(1023, 'x');  // resolved with its leading point: 1024 characters
    AddScreen(longId.c_str());
    const std::string answer = Type("watch " + longId);
    EXPECT_NE(answer.find("Sorry, the path exceeds the maximum number of characters. MaxLength: 1024, Length: 1024\n"),
              std::string::npos);
    EXPECT_STREQ(GetUIDebugConsoleSettings().watchedPath, "");
}

TEST_F(ConsoleTest, SetFontSizeReachesTheThreeTexts) {
    const std::string usage =
        "usage: set <property> <value>\n       eg:\n       set fontSize 5        Sets the console font size to 5.\n";
    EXPECT_EQ(Type("set fontsize 12"), "user>set fontsize 12\nset property fontsize to 12\n");
    for (const Component* text : {static_cast<Component*>(debugger->GetOutput()),
                                  static_cast<Component*>(debugger->GetInput()),
                                  static_cast<Component*>(debugger->GetWatchPane())}) {
        EXPECT_EQ(FontSize(text), 12.0f);
    }
    for (const char* value : {"0", "big"}) {
        const std::string line = std::string("set fontsize ") + value;
        EXPECT_EQ(Type(line), "user>" + line + "\nset property fontsize to " + value +
                                  "\nSorry, cannot set font size to " + value +
                                  ". Value must be numeric and greater than zero.\n" + usage);
    }
    EXPECT_EQ(FontSize(debugger->GetOutput()), 12.0f);
    EXPECT_EQ(Type("set fontSize"), "user>set fontSize\n" + usage);
    EXPECT_EQ(Type("set"), "user>set\nset command with no parameters.\n" + usage);
}

TEST_F(ConsoleTest, FullScreenTogglesBackToTheSplitLayout) {
    ComponentText* pane = debugger->GetWatchPane();
    auto position = [&] { return pane->FindProperty<Vector3>(AsciiString("position"))->Get().x; };
    debugger->LayoutConsole();
    EXPECT_EQ(position(), 240.0f);
    Type("fs");
    debugger->LayoutConsole();
    EXPECT_EQ(position(), 0.0f);
    EXPECT_FALSE(debugger->GetOutput()->IsEnabled());
    Type("fs");
    debugger->LayoutConsole();
    EXPECT_EQ(position(), 240.0f);
    EXPECT_TRUE(debugger->GetOutput()->IsEnabled());
}

TEST_F(ConsoleTest, KeyTwentyNineSubmitsTheInputLine) {
    debugger->GetInput()->OnKeyboardTextChanged(AsciiString("help"));
    InputEvent other = InputEvent::MakeButton(30, InputEvent::kPressed, 1.0f, 0);
    EXPECT_FALSE(debugger->GetInput()->HandleKeyEvent(other));
    InputEvent enter = InputEvent::MakeButton(ComponentDebugger::kSubmitKeyCode, InputEvent::kPressed, 1.0f, 0);
    debugger->GetInput()->GetInputEnabledProperty()->Set(true);
    debugger->GetInput()->GetParent()->GetInputEnabledProperty()->Set(true);
    debugger->GetInputEnabledProperty()->Set(true);
    debugger->GetParent()->GetInputEnabledProperty()->Set(true);
    EXPECT_TRUE(debugger->GetInput()->HandleKeyEvent(enter));
    EXPECT_NE(Output().find("Available commands:\n"), std::string::npos);
}

}  // namespace
}  // namespace Varnok
