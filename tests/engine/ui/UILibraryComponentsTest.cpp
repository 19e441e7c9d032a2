#include "engine/core/InputEvent.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentButtonRadio.h"
#include "engine/ui/ComponentExpandingItem.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/ComponentTrigger.h"
#include "engine/ui/ComponentWindow.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Call;
using UITest::Make;

class UILibrary : public UITest::UIManagerTest {
protected:
    int32_t Run(Component* context, const char* name, std::vector<const char*> args) {
        std::vector<AsciiString> texts(args.begin(), args.end());
        return ui().ExecuteCommand(context, AsciiString(name), texts);
    }
};

struct Fired {
    std::vector<std::string> lines;
    void OnPlain(Component* sender) { lines.push_back(std::string("event:") + sender->GetId().c_str()); }
    void OnManager(Component* sender) { lines.push_back(std::string("manager:") + sender->GetId().c_str()); }
};

TEST_F(UILibrary, ClassesHaveTheirIdsAndFactories) {
    const struct {
        const char* name;
        int32_t id;
        const ComponentClassInfo* parent;
    } classes[] = {
        {"ComponentVisual", ComponentClassId::Visual, &Component::GetStaticClassInfo()},
        {"ComponentText", ComponentClassId::Text, &ComponentVisual::GetStaticClassInfo()},
        {"ComponentTextInput", ComponentClassId::TextInput, &ComponentText::GetStaticClassInfo()},
        {"ComponentButton", ComponentClassId::Button, &ComponentWindow::GetStaticClassInfo()},
        {"ComponentButtonToggle", ComponentClassId::ButtonToggle, &ComponentVisual::GetStaticClassInfo()},
        {"ComponentButtonRadio", ComponentClassId::ButtonRadio, &ComponentButtonToggle::GetStaticClassInfo()},
        {"ComponentExpandingItem", ComponentClassId::ExpandingItem, &ComponentWindow::GetStaticClassInfo()},
        {"ComponentQuad", ComponentClassId::Quad, &ComponentVisual::GetStaticClassInfo()},
        {"ComponentTrigger", ComponentTrigger::GetStaticClassInfo().id, &Component::GetStaticClassInfo()},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Component> made(ui().InstantiateClass(AsciiString(c.name)));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetClassInfo().name, AsciiString(c.name));
        EXPECT_EQ(made->GetClassInfo().id, c.id);
        EXPECT_EQ(made->GetClassInfo().parent, c.parent);
    }
    EXPECT_GE(ComponentTrigger::GetStaticClassInfo().id, kFirstFreeComponentClassId);
}

TEST_F(UILibrary, QuadFillsItsOutlineReversedInItsWorldColour) {
    ComponentScreen* screen = AddScreen("menu");
    screen->FindProperty<AsciiString>(AsciiString("scaleToViewportMode"))->Set(AsciiString("None"));
    auto* quad = Make<ComponentQuad>(screen, "quad");
    quad->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{10.0f, 20.0f, 0.0f});
    quad->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite)->Set(Colour(255, 0, 0, 128));
    ui().Update(0.016f);
    const std::vector<ImmediateVertex>& v = quad->GetDrawVertices();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].x, 10.0f);  // the outline's last corner (bottom left) first
    EXPECT_EQ(v[0].y, 120.0f);
    EXPECT_EQ(v[0].u, 0.0f);
    EXPECT_EQ(v[0].v, 1.0f);
    EXPECT_EQ(v[3].x, 10.0f);
    EXPECT_EQ(v[3].y, 20.0f);
    EXPECT_EQ(v[2].r, 255.0f);
    EXPECT_EQ(v[2].g, 0.0f);
    EXPECT_EQ(v[2].a, 128.0f);

    quad->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{-900.0f, 20.0f, 0.0f});
    ui().Update(0.016f);
    EXPECT_TRUE(quad->GetDrawVertices().empty());  // off screen: nothing to draw
}

TEST_F(UILibrary, TriggerRunsItsEventThenTheManagersListeners) {
    ComponentScreen* screen = AddScreen("menu");
    auto* trigger = Make<ComponentTrigger>(screen, "trigger");
    ASSERT_NE(trigger->FindProperty<AsciiString>(AsciiString("triggerPacket")), nullptr);
    EXPECT_EQ(trigger->FindEvent(AsciiString("OnTrigger")), &trigger->OnTrigger);
    Fired fired;
    trigger->OnTrigger.AddListener(Component::PlainEvent::Listener(&fired, &Fired::OnPlain));
    ui().TriggerFiredListeners().Add(UIManager::ComponentListeners::DelegateType(&fired, &Fired::OnManager));
    UITest::CountingCommand* stop = AddCommand("Stop", 2);

    EXPECT_EQ(0, Run(screen, "InvokeTrigger", {"menu.trigger"}));
    EXPECT_EQ(fired.lines, (std::vector<std::string>{"event:trigger", "manager:trigger"}));

    // A stopping command list silences the event's listeners, not the manager's.
    fired.lines.clear();
    trigger->OnTrigger.GetCalls().push_back(Call("Stop"));
    trigger->Fire();
    EXPECT_EQ(stop->calls, 1);
    EXPECT_EQ(fired.lines, (std::vector<std::string>{"manager:trigger"}));

    // Anything that is not a trigger is ignored.
    fired.lines.clear();
    EXPECT_EQ(0, Run(screen, "InvokeTrigger", {"menu"}));
    EXPECT_EQ(0, Run(screen, "InvokeTrigger", {"menu.nothing"}));
    EXPECT_TRUE(fired.lines.empty());
    ui().TriggerFiredListeners().Remove(UIManager::ComponentListeners::DelegateType(&fired, &Fired::OnManager));
}

TEST_F(UILibrary, InvalidateLayoutActsOnVisualsOnly) {
    ComponentScreen* screen = AddScreen("menu");
    auto* panel = Make<ComponentVisual>(screen, "panel");
    ui().Update(0.016f);
    EXPECT_TRUE(panel->IsLayoutDone());
    EXPECT_EQ(0, Run(panel, "InvalidateLayout", {}));
    EXPECT_FALSE(panel->IsLayoutDone());
    ui().Update(0.016f);
    EXPECT_EQ(0, Run(nullptr, "InvalidateLayout", {"menu.panel"}));
    EXPECT_FALSE(panel->IsLayoutDone());
    EXPECT_EQ(0, Run(screen, "InvalidateLayout", {"this"}));  // a plain screen: ignored
    EXPECT_EQ(0, Run(screen, "InvalidateLayout", {"a", "b"}));
}

TEST_F(UILibrary, TextAlignmentWords) {
    const struct {
        const char* words;
        int flags;
    } cases[] = {{"topLeft", 5}, {"centreCenter", 15}, {"bottom", 8}, {"textbox", 0x20},
                 {"", 15},       {"TOPRIGHT", 6},      {"left", 1},   {"middle", 15}};
    for (const auto& c : cases) {
        EXPECT_EQ(ComponentText::ParseAlignment(AsciiString(c.words)), c.flags) << c.words;
    }
    auto* text = Make<ComponentText>(AddScreen("menu"), "text");
    text->GetOrAddProperty<AsciiString>(AsciiString("alignment"), AsciiString())->Set(AsciiString("topLeft"));
    EXPECT_EQ(text->GetAlignFlags(), 5);
    text->SetText(AsciiString("hello"));
    EXPECT_EQ(text->GetDisplayText(), AsciiString("hello"));
}

TEST_F(UILibrary, TextInputCutsToItsLimitAndTellsItsListeners) {
    auto* field = Make<ComponentTextInput>(AddScreen("menu"), "field");
    field->GetOrAddProperty<bool>(AsciiString("charsLimitEnabled"), false)->Set(true);
    field->GetOrAddProperty<int>(AsciiString("charsLimit"), 0)->Set(4);
    Fired fired;
    field->OnTextInputEdited.AddListener(ComponentTextInput::EditedEvent::Listener(&fired, &Fired::OnPlain));
    ui().TextInputEditedListeners().Add(UIManager::ComponentListeners::DelegateType(&fired, &Fired::OnManager));

    EXPECT_TRUE(field->OnKeyboardTextChanged(AsciiString("abcdef")));
    EXPECT_EQ(field->GetInputText(), AsciiString("abcd"));
    EXPECT_EQ(field->FindProperty<AsciiString>(AsciiString("text"))->Get(), AsciiString("abcd"));
    EXPECT_EQ(fired.lines, (std::vector<std::string>{"manager:field", "event:field"}));

    field->GetOrAddProperty<int>(AsciiString("charsLimit"), 0)->Set(-3);  // counts as 0
    field->SetInputText(AsciiString("xyz"));
    EXPECT_EQ(field->GetInputText(), AsciiString(""));

    field->GetOrAddProperty<bool>(AsciiString("maskText"), false)->Set(true);
    field->GetOrAddProperty<bool>(AsciiString("charsLimitEnabled"), false)->Set(false);
    field->OnKeyboardTextChanged(AsciiString("p\xC3\xA9n"));  // three characters, four bytes
    EXPECT_EQ(field->FindProperty<AsciiString>(AsciiString("text"))->Get(), AsciiString("***"));
    ui().TextInputEditedListeners().Remove(UIManager::ComponentListeners::DelegateType(&fired, &Fired::OnManager));
}

TEST_F(UILibrary, ButtonKeyPressesWithoutALook) {
    auto* button = Make<ComponentButton>(AddScreen("menu"), "button");
    button->GetInputEnabledProperty()->Set(true);
    button->GetParent()->GetInputEnabledProperty()->Set(true);
    button->MarkLoaded();
    int presses = 0;
    struct Count {
        int* presses;
        void OnPressed(Component*, uint8_t* argument) {
            EXPECT_EQ(*argument, 0);
            ++*presses;
        }
    } count{&presses};
    button->OnButtonPressed.AddListener(ComponentButton::PressedEvent::Listener(&count, &Count::OnPressed));
    button->GetOrAddProperty<AsciiString>(AsciiString("KeyName"), AsciiString())->Set(AsciiString("MouseButton2"));
    EXPECT_EQ(button->GetKeyCode(), InputCode::kMouseButton1 + 1);
    InputEvent key = InputEvent::MakeButton(InputCode::kMouseButton1 + 1, InputEvent::kPressed, 1.0f, 0);
    EXPECT_TRUE(button->MatchesKey(key));
    EXPECT_TRUE(button->HandleKeyEvent(key));
    EXPECT_EQ(presses, 1);
    EXPECT_FALSE(button->IsPressed());
    const Colour colour = button->FindProperty<Colour>(AsciiString("colour"))->Get();
    EXPECT_TRUE(UIValuesEqual(colour, kColourWhite));

    button->GetOrAddProperty<AsciiString>(AsciiString("KeyName"), AsciiString())->Set(AsciiString());
    EXPECT_EQ(button->GetKeyCode(), 0u);
}

}  // namespace
}  // namespace Varnok
