// The built-in commands that load, hide, switch and remove screens, over
// screen files written into a temporary folder.
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentTrigger.h"
#include "engine/ui/UICommand.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UIFilesTestSupport.h"
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

class ScreenCommands : public UITest::UIFilesTest {
protected:
    void SetUp() override {
        UIFilesTest::SetUp();
        Define("componentscreen",
               "<propertyDefinition name=\"screenPriority\" type=\"int\" default=\"0\"/>", "Component");
        Define("thing", "<propertyDefinition name=\"x\" type=\"int\" default=\"1\"/>", "Component");
        InitUI("~base");
        WriteScreen("menu", "<screen Id=\"menu\"><property name=\"transitionOut\" value=\"SweepLeft\"/>"
                            "<property name=\"transitionOutTime\" value=\"0.5\"/>"
                            "<component type=\"Thing\" Id=\"t\"><property name=\"x\" value=\"5\"/></component>"
                            "</screen>");
        WriteScreen("panel", "<screen Id=\"panel\"><component type=\"Thing\" Id=\"u\"/></screen>");
    }
    void WriteScreen(const std::string& name, const std::string& xml) {
        std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml(xml, name.c_str());
        ASSERT_NE(nullptr, desc);
        const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        Write("ui/screens/" + name + ".uiscreen", std::string(bytes.begin(), bytes.end()));
    }
    int32_t Run(Component* context, const char* name, std::vector<const char*> args) {
        std::vector<AsciiString> texts(args.begin(), args.end());
        return ui().ExecuteCommand(context, AsciiString(name), texts);
    }
    void Frames(int count, float dt = 0.1f) {
        for (int i = 0; i < count; ++i) {
            ui().Update(dt);
        }
    }
    ComponentScreen* Screen(const char* name) {
        Component* found = ui().FindComponent(AsciiString(name));
        return found != nullptr && found->IsKindOf(ComponentScreen::GetStaticClassInfo())
                   ? static_cast<ComponentScreen*>(found)
                   : nullptr;
    }
};

TEST_F(ScreenCommands, RegisteredWithTheirRangesAndKinds) {
    const struct {
        const char* name;
        uint32_t required;
        uint32_t most;
        const char* firstKind;
    } commands[] = {
        {"DisplayScreen", 1, 1, "Unknown"},  {"LoadScreen", 1, 1, "Unknown"},
        {"HideScreen", 0, 1, "Unknown"},     {"TransitionToScreen", 2, 2, "Screen"},
        {"RemoveScreen", 1, 1, "Unknown"},   {"ResetComponent", 1, 1, "Component"},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        UICommand* command = ui().FindCommand(AsciiString(c.name));
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->GetParamRange() & 0xFFFFu, c.required);
        EXPECT_EQ(command->GetParamRange() >> 16, c.most);
        uint32_t count = 0;
        const AsciiString* kinds = command->GetParamKinds(count);
        ASSERT_GE(count, 1u);
        EXPECT_STREQ(kinds[0].c_str(), c.firstKind);
    }
}

TEST_F(ScreenCommands, DisplayLoadsOnceAndEnablesLoadKeepsItDisabled) {
    EXPECT_EQ(0, Run(nullptr, "LoadScreen", {"panel"}));
    ASSERT_NE(Screen("panel"), nullptr);
    EXPECT_FALSE(Screen("panel")->IsEnabled());
    EXPECT_EQ(0, Run(nullptr, "DisplayScreen", {"panel"}));
    EXPECT_TRUE(Screen("panel")->IsEnabled());
    EXPECT_EQ(0, Run(nullptr, "DisplayScreen", {"nothing"}));
    EXPECT_EQ(0, Run(nullptr, "LoadScreen", {}));
}

TEST_F(ScreenCommands, HideScreenAloneHidesTheContextsScreen) {
    ASSERT_EQ(0, Run(nullptr, "DisplayScreen", {"menu"}));
    ComponentScreen* menu = Screen("menu");
    ASSERT_NE(menu, nullptr);
    Component* t = menu->FindChild(AsciiString("t"));
    EXPECT_EQ(0, Run(t, "HideScreen", {}));
    EXPECT_TRUE(menu->IsTransitioningOut());
    Frames(8);
    EXPECT_FALSE(menu->IsEnabled());
}

TEST_F(ScreenCommands, TransitionLoadsTheTargetOnceTheFirstScreenHasLeft) {
    ASSERT_EQ(0, Run(nullptr, "DisplayScreen", {"menu"}));
    Component* t = Screen("menu")->FindChild(AsciiString("t"));
    EXPECT_EQ(0, Run(t, "TransitionToScreen", {"this", "panel", "extra"}));  // three: nothing
    EXPECT_FALSE(Screen("menu")->IsTransitioningOut());
    EXPECT_EQ(0, Run(t, "TransitionToScreen", {"This", "panel"}));
    EXPECT_TRUE(Screen("menu")->IsTransitioningOut());
    EXPECT_EQ(Screen("panel"), nullptr);  // not loaded before the menu has left
    Frames(8);
    ASSERT_NE(Screen("panel"), nullptr);
    EXPECT_TRUE(Screen("panel")->IsEnabled());
    EXPECT_FALSE(Screen("menu")->IsEnabled());
}

TEST_F(ScreenCommands, RemoveScreenThisIsExactAndWaitsForTheUpdate) {
    ASSERT_EQ(0, Run(nullptr, "DisplayScreen", {"menu"}));
    Component* t = Screen("menu")->FindChild(AsciiString("t"));
    EXPECT_EQ(0, Run(t, "RemoveScreen", {"This"}));  // a screen named "This"
    Frames(1);
    EXPECT_NE(Screen("menu"), nullptr);
    EXPECT_EQ(0, Run(t, "RemoveScreen", {"this"}));
    EXPECT_NE(Screen("menu"), nullptr);
    Frames(1);
    EXPECT_EQ(Screen("menu"), nullptr);
}

TEST_F(ScreenCommands, ResetComponentRestoresLoadedValues) {
    ASSERT_EQ(0, Run(nullptr, "DisplayScreen", {"menu"}));
    UIProperty<int>* x = Screen("menu")->FindChild(AsciiString("t"))->FindProperty<int>(AsciiString("x"));
    ASSERT_NE(x, nullptr);
    x->Set(9);
    EXPECT_EQ(0, Run(nullptr, "ResetComponent", {"menu.t"}));
    EXPECT_EQ(x->Get(), 5);
    EXPECT_EQ(0, Run(nullptr, "ResetComponent", {"menu.nothing"}));
}

}  // namespace
}  // namespace Varnok
