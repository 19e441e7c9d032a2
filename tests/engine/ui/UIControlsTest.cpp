// Buttons, toggles, radios, the expanding item and the text field, driven by
// pointer events through the UI manager's own input path.
#include "engine/core/HashName.h"
#include "engine/core/InputEvent.h"
#include "engine/core/InputManager.h"
#include "engine/iOS/KeyboardManager.h"
#include "engine/services/RegisteredVariables.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentButtonRadio.h"
#include "engine/ui/ComponentExpandingItem.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/UIKeyboard.h"
#include "engine/ui/UIUtil.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

// The shell's keyboard (modelled: no platform back end) and the registered
// variables, as an application hands them to the UI.
class ControlsHost final : public UIHost {
public:
    ControlsHost() { keyboard.Create(0.0f, 0.0f, 200.0f, 30.0f); }

    const char* GetDeviceLanguage() const override { return ""; }
    void OnUISetUp() override {}
    bool IsKeyboardInitialised() const override { return true; }
    void InitialiseKeyboard() override {}
    UIKeyboard* GetKeyboard() override { return &adapter; }
    bool ReadBoolVariable(const char* name, bool& outValue) override {
        RegisteredVariable variable(name);
        if (!variable.Bind()) {
            return false;
        }
        outValue = variable.GetBool();
        return true;
    }

    KeyboardManager_iPhone keyboard;
    UIKeyboardOver<KeyboardManager_iPhone> adapter{keyboard};
};

// Who fired what, in order.
struct Log {
    std::vector<std::string> lines;
    bool veto = false;  // check-changed handlers put the old state back

    void Pressed(Component* sender, uint8_t* argument) {
        lines.push_back(std::string("pressed:") + sender->GetId().c_str() + ":" + std::to_string(*argument));
    }
    void On(Component* sender) { lines.push_back(std::string("on:") + sender->GetId().c_str()); }
    void Off(Component* sender) { lines.push_back(std::string("off:") + sender->GetId().c_str()); }
    void CheckChanged(Component* sender, bool* value) {
        lines.push_back(std::string("changed:") + sender->GetId().c_str() + ":" + (*value ? "1" : "0"));
        if (veto) {
            *value = !*value;
        }
    }
    void Edited(Component* sender) { lines.push_back(std::string("edited:") + sender->GetId().c_str()); }
    void Finished(Component* sender) { lines.push_back(std::string("finished:") + sender->GetId().c_str()); }

    void ListenButton(ComponentButton& button) {
        button.OnButtonPressed.AddListener(ComponentButton::PressedEvent::Listener(this, &Log::Pressed));
    }
    void ListenToggle(ComponentButtonToggle& toggle) {
        toggle.OnToggleOn.AddListener(ComponentButtonToggle::ToggleEvent::Listener(this, &Log::On));
        toggle.OnToggleOff.AddListener(ComponentButtonToggle::ToggleEvent::Listener(this, &Log::Off));
        toggle.OnCheckChanged.AddListener(
            ComponentButtonToggle::CheckChangedEvent::Listener(this, &Log::CheckChanged));
    }
};

InputEvent Press() { return InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kPressed, 1.0f, 0); }
InputEvent Release() { return InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kReleased, 1.0f, 0); }

Colour ColourOf(const Component& component) {
    return component.FindProperty<Colour>(AsciiString("colour"))->Get();
}

bool Same(const Colour& a, const Colour& b) { return UIValuesEqual(a, b); }

template <typename T>
void SetValue(Component& component, const char* name, const T& value) {
    component.GetOrAddProperty<T>(AsciiString(name), value)->Set(value);
}

class UIControls : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        ui().SetHost(&host);
        screen = AddScreen("controls");
        SetValue(*screen, "scaleToViewportMode", AsciiString("None"));
        screen->GetInputEnabledProperty()->Set(true);
    }

    // A visual of class T at (x, y) in the screen (or under parent).
    template <typename T>
    T* Place(const char* id, float x, float y, float width, float height, Component* parent = nullptr) {
        T* component = Make<T>(parent != nullptr ? parent : screen, id);
        SetValue(*component, "position", Vector3{x, y, 0.0f});
        SetValue(*component, "width", width);
        SetValue(*component, "height", height);
        component->GetInputEnabledProperty()->Set(true);
        return component;
    }

    // Loads the tree and runs one update so that outlines exist.
    void Ready() {
        screen->MarkLoaded();
        ui().Update(0.0f);
    }

    // One input frame per step; positions in screen pixels.
    void Pointer(float x, float y, const InputEvent* button = nullptr) {
        const Vector2& size = ui().GetScreenSize();
        std::vector<InputEvent> events = {
            InputEvent::MakeAxis(InputCode::kMouseAxisX, InputEvent::kMoved, x / size.x, 0.0f, 0),
            InputEvent::MakeAxis(InputCode::kMouseAxisY, InputEvent::kMoved, y / size.y, 0.0f, 0)};
        if (button != nullptr) {
            events.push_back(*button);
        }
        ui().BeginInputFrame();
        for (InputEvent& event : events) {
            ui().HandleInputEvent(event);
        }
        ui().EndInputFrame();
    }
    void Down(float x, float y) {
        const InputEvent press = Press();
        Pointer(x, y, &press);
    }
    void Up(float x, float y) {
        const InputEvent release = Release();
        Pointer(x, y, &release);
    }
    void Tap(float x, float y) {
        Down(x, y);
        Up(x, y);
    }

    ControlsHost host;
    ComponentScreen* screen = nullptr;
    Log log;
};

const Colour kHalfGrey(127, 127, 127, 255);

// ---- push button ----

TEST_F(UIControls, ButtonTakesBackItsLookWhenTheFingerReturnsAndPressesOnce) {
    auto* button = Place<ComponentButton>("ok", 100.0f, 100.0f, 100.0f, 40.0f);
    log.ListenButton(*button);
    Ready();

    const struct {
        const char* step;
        float x;
        float y;
        int kind;  // 0 down, 1 move, 2 up
        bool pressedLook;
    } steps[] = {
        {"down inside", 150.0f, 120.0f, 0, true},
        {"out", 300.0f, 300.0f, 1, false},
        {"back in", 160.0f, 110.0f, 1, true},
        {"up inside", 160.0f, 110.0f, 2, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        if (s.kind == 0) {
            Down(s.x, s.y);
        } else if (s.kind == 1) {
            Pointer(s.x, s.y);
        } else {
            Up(s.x, s.y);
        }
        EXPECT_EQ(button->IsPressed(), s.pressedLook);
        EXPECT_TRUE(Same(ColourOf(*button), s.pressedLook ? kHalfGrey : kColourWhite));
    }
    EXPECT_EQ(log.lines, (std::vector<std::string>{"pressed:ok:0"}));
    EXPECT_EQ(ui().GetFocus(), nullptr);
}

TEST_F(UIControls, ButtonReleasedOutsideOrUnderAnInputDisabledParentFiresNothing) {
    auto* button = Place<ComponentButton>("ok", 100.0f, 100.0f, 100.0f, 40.0f);
    auto* panel = Place<ComponentVisual>("panel", 300.0f, 100.0f, 200.0f, 200.0f);
    auto* inner = Place<ComponentButton>("inner", 10.0f, 10.0f, 100.0f, 40.0f, panel);
    log.ListenButton(*button);
    log.ListenButton(*inner);
    Ready();

    Down(150.0f, 120.0f);
    Pointer(20.0f, 300.0f);
    Up(20.0f, 300.0f);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_TRUE(Same(ColourOf(*button), kColourWhite));
    EXPECT_EQ(ui().GetFocus(), nullptr);

    panel->GetInputEnabledProperty()->Set(false);
    Down(350.0f, 130.0f);
    EXPECT_FALSE(inner->IsPressed());
    EXPECT_TRUE(Same(ColourOf(*inner), kColourWhite));
    Up(350.0f, 130.0f);
    EXPECT_TRUE(log.lines.empty());

    panel->GetInputEnabledProperty()->Set(true);  // the same touch now presses
    Tap(350.0f, 130.0f);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"pressed:inner:0"}));
}

TEST_F(UIControls, ButtonAnimationsReplaceTheColours) {
    auto* both = Place<ComponentButton>("both", 100.0f, 100.0f, 100.0f, 40.0f);
    auto* pressedOnly = Place<ComponentButton>("pressedOnly", 100.0f, 200.0f, 100.0f, 40.0f);
    for (ComponentButton* button : {both, pressedOnly}) {
        UIAnimation& pressed = button->CreateAnimation(ButtonPressedAnimationName(), 0, AsciiString::Empty());
        pressed.AddKeyframe<float>(AsciiString("alpha"), 0, UILerp_Linear, 1.0f);
        pressed.AddKeyframe<float>(AsciiString("alpha"), 1000, UILerp_Linear, 0.5f);
    }
    UIAnimation& released = both->CreateAnimation(ButtonReleasedAnimationName(), 0, AsciiString::Empty());
    released.AddKeyframe<float>(AsciiString("alpha"), 0, UILerp_Linear, 0.5f);
    released.AddKeyframe<float>(AsciiString("alpha"), 1000, UILerp_Linear, 1.0f);
    Ready();

    Down(150.0f, 120.0f);
    EXPECT_TRUE(both->IsAnimationPlaying(ButtonPressedAnimationName(), false));
    EXPECT_TRUE(Same(ColourOf(*both), kColourWhite));
    Up(150.0f, 120.0f);
    EXPECT_FALSE(both->IsAnimationPlaying(ButtonPressedAnimationName(), false));
    EXPECT_TRUE(both->IsAnimationPlaying(ButtonReleasedAnimationName(), false));

    // Without a released animation the pressed one stops and no colour is set.
    Down(150.0f, 220.0f);
    EXPECT_TRUE(pressedOnly->IsAnimationPlaying(ButtonPressedAnimationName(), false));
    Up(150.0f, 220.0f);
    EXPECT_FALSE(pressedOnly->IsAnimationPlaying(ButtonPressedAnimationName(), false));
    EXPECT_TRUE(Same(ColourOf(*pressedOnly), kColourWhite));
}

TEST_F(UIControls, ButtonKeyFromTheBindingsPressesWithoutALook) {
    auto* button = Place<ComponentButton>("ok", 100.0f, 100.0f, 100.0f, 40.0f);
    SetValue(*button, "KeyName", AsciiString("MouseButton4"));
    log.ListenButton(*button);
    Ready();
    const uint32_t code = InputManager::GetInputId(HashName("MouseButton4", 12));
    ASSERT_NE(code, 0u);
    EXPECT_EQ(button->GetKeyCode(), code);

    // The manager finds the button by its key, and the button presses.
    InputEvent key = InputEvent::MakeButton(code, InputEvent::kPressed, 1.0f, 0);
    std::vector<Component*> answering;
    root()->CollectComponentsForKey(key, answering);
    ASSERT_EQ(answering, (std::vector<Component*>{button}));
    EXPECT_TRUE(button->HandleKeyEvent(key));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"pressed:ok:0"}));
    EXPECT_FALSE(button->IsPressed());
    EXPECT_TRUE(Same(ColourOf(*button), kColourWhite));

    InputEvent other = InputEvent::MakeButton(code + 1, InputEvent::kPressed, 1.0f, 0);
    EXPECT_FALSE(button->HandleKeyEvent(other));
    SetValue(*button, "KeyName", AsciiString());
    EXPECT_EQ(button->GetKeyCode(), 0u);
}

TEST_F(UIControls, ButtonLabelCoversTheButtonAndFollowsItsSize) {
    auto* button = Place<ComponentButton>("ok", 100.0f, 100.0f, 120.0f, 40.0f);
    auto* label = Place<ComponentText>("btnText", 7.0f, 9.0f, 10.0f, 10.0f, button);
    Ready();
    ASSERT_EQ(button->GetLabel(), label);
    EXPECT_EQ(label->GetWidth(), 120.0f);
    EXPECT_EQ(label->GetHeight(), 40.0f);
    EXPECT_TRUE(UIValuesEqual(label->FindProperty<Vector3>(AsciiString("position"))->Get(), Vector3{}));
    SetValue(*button, "width", 150.0f);
    SetValue(*button, "originFromCenter", true);
    EXPECT_EQ(label->GetWidth(), 150.0f);
    EXPECT_TRUE(label->FindProperty<bool>(AsciiString("originFromCenter"))->Get());

    // A child of that name that is no text is no label.
    auto* other = Place<ComponentButton>("other", 100.0f, 200.0f, 120.0f, 40.0f);
    Place<ComponentQuad>("btnText", 0.0f, 0.0f, 10.0f, 10.0f, other);
    other->MarkLoaded();
    EXPECT_EQ(other->GetLabel(), nullptr);
}

// ---- toggles and radios ----

TEST_F(UIControls, ToggleFlipsShowsItsImagesAndAHandlerCanVeto) {
    auto* toggle = Place<ComponentButtonToggle>("sound", 100.0f, 100.0f, 60.0f, 30.0f);
    auto* on = Place<ComponentQuad>("enabledTexture", 0.0f, 0.0f, 1.0f, 1.0f, toggle);
    auto* off = Place<ComponentQuad>("disabledTexture", 0.0f, 0.0f, 1.0f, 1.0f, toggle);
    auto* bare = Place<ComponentButtonToggle>("bare", 100.0f, 200.0f, 60.0f, 30.0f);
    log.ListenToggle(*toggle);
    log.ListenToggle(*bare);
    Ready();
    EXPECT_EQ(on->GetWidth(), 60.0f);  // the images take the toggle's size
    EXPECT_EQ(off->GetHeight(), 30.0f);
    EXPECT_FALSE(on->IsEnabled());
    EXPECT_TRUE(off->IsEnabled());

    Down(120.0f, 110.0f);
    EXPECT_TRUE(Same(ColourOf(*toggle), kHalfGrey));
    Up(120.0f, 110.0f);
    EXPECT_TRUE(toggle->IsChecked());
    EXPECT_TRUE(Same(ColourOf(*toggle), kColourWhite));
    EXPECT_TRUE(on->IsEnabled());
    EXPECT_FALSE(off->IsEnabled());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"on:sound", "changed:sound:1"}));

    // Out and back in before the release: no flip.
    log.lines.clear();
    Down(120.0f, 110.0f);
    Pointer(400.0f, 400.0f);
    Pointer(120.0f, 110.0f);
    Up(120.0f, 110.0f);
    EXPECT_TRUE(toggle->IsChecked());
    EXPECT_TRUE(log.lines.empty());

    // A vetoing handler: an on/off pair, and the state stays.
    log.veto = true;
    Tap(120.0f, 110.0f);
    EXPECT_TRUE(toggle->IsChecked());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"off:sound", "changed:sound:0", "on:sound"}));
    EXPECT_TRUE(on->IsEnabled());

    // Without image children it still flips and tells.
    log.veto = false;
    log.lines.clear();
    Tap(120.0f, 210.0f);
    EXPECT_TRUE(bare->IsChecked());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"on:bare", "changed:bare:1"}));
}

TEST_F(UIControls, RadiosOfOneGroupKeepAtMostOneChecked) {
    ComponentButtonRadio* radios[3];
    const char* ids[3] = {"r1", "r2", "r3"};
    for (int i = 0; i < 3; ++i) {
        radios[i] = Place<ComponentButtonRadio>(ids[i], 100.0f, 100.0f + 50.0f * i, 60.0f, 30.0f);
        SetValue(*radios[i], "groupId", 3);
        radios[i]->OnCreated();
        log.ListenToggle(*radios[i]);
    }
    auto* loner = Place<ComponentButtonRadio>("loner", 300.0f, 100.0f, 60.0f, 30.0f);
    SetValue(*loner, "groupId", -1);
    Ready();
    EXPECT_EQ(ui().GetRadioGroup(3), (std::vector<Component*>{radios[0], radios[1], radios[2]}));

    const auto checked = [&] {
        std::string states;
        for (ComponentButtonRadio* radio : radios) {
            states += radio->IsChecked() ? '1' : '0';
        }
        return states;
    };
    Tap(120.0f, 110.0f);
    EXPECT_EQ(checked(), "100");
    log.lines.clear();
    Tap(120.0f, 160.0f);
    EXPECT_EQ(checked(), "010");
    // The others first, then the pressed radio's own events.
    EXPECT_EQ(log.lines, (std::vector<std::string>{"off:r1", "changed:r1:0", "on:r2", "changed:r2:1"}));
    Tap(120.0f, 160.0f);
    EXPECT_EQ(checked(), "000");

    // An input-disabled member keeps its state.
    Tap(120.0f, 210.0f);
    radios[2]->GetInputEnabledProperty()->Set(false);
    Tap(120.0f, 110.0f);
    EXPECT_EQ(checked(), "101");

    // Outside any group a radio is a plain toggle.
    Tap(320.0f, 110.0f);
    EXPECT_TRUE(loner->IsChecked());
    EXPECT_EQ(checked(), "101");

    // A new group id moves the radio by the next update; deleting leaves.
    SetValue(*radios[0], "groupId", 4);
    ui().Update(0.0f);
    EXPECT_EQ(ui().GetRadioGroup(3), (std::vector<Component*>{radios[1], radios[2]}));
    EXPECT_EQ(ui().GetRadioGroup(4), (std::vector<Component*>{radios[0]}));
    delete radios[0];
    EXPECT_TRUE(ui().GetRadioGroup(4).empty());
}

TEST_F(UIControls, ToggleLoadsItsStateFromARegisteredVariable) {
    bool musicOn = true;
    const SmartPtr<RegisteredValue> registration = RegisteredVariables::Get().Register("test.musicOn", &musicOn);
    auto* toggle = Place<ComponentButtonToggle>("music", 100.0f, 100.0f, 60.0f, 30.0f);
    SetValue(*toggle, "initStateVar", AsciiString("test.musicOn"));
    auto* unbound = Place<ComponentButtonToggle>("unbound", 100.0f, 200.0f, 60.0f, 30.0f);
    SetValue(*unbound, "initStateVar", AsciiString("test.nothing"));
    SetValue(*unbound, "checked", true);
    Ready();
    EXPECT_TRUE(toggle->IsChecked());
    EXPECT_TRUE(unbound->IsChecked());  // a name that binds nothing changes nothing

    // Re-enabling reads it again.
    musicOn = false;
    toggle->GetEnabledProperty()->Set(false);
    EXPECT_TRUE(toggle->IsChecked());
    toggle->GetEnabledProperty()->Set(true);
    EXPECT_FALSE(toggle->IsChecked());
}

// ---- expanding item ----

TEST_F(UIControls, ExpandingItemEasesToItsTargetAndStopsThere) {
    auto* item = Place<ComponentExpandingItem>("item", 100.0f, 50.0f, 200.0f, 60.0f);
    auto* arrow = Place<ComponentVisual>("arrow", 0.0f, 0.0f, 10.0f, 10.0f, item);
    auto* more = Place<ComponentVisual>("more", 0.0f, 50.0f, 100.0f, 20.0f, item);
    SetValue(*item, "dropArrowComp", AsciiString("arrow"));
    SetValue(*item, "hiddenComponent", AsciiString("more"));
    SetValue(*item, "holdsInput", true);  // the release comes to the focus only
    item->OnButtonPressed.AddListener(ComponentExpandingItem::PressedEvent::Listener(&log, &Log::Pressed));
    Ready();
    EXPECT_EQ(item->GetHeight(), 100.0f);
    EXPECT_EQ(ColourOf(*more).a, 0);
    EXPECT_EQ(item->GetHiddenPart(), more);
    EXPECT_EQ(item->GetDropArrow(), arrow);

    Tap(150.0f, 60.0f);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"pressed:item:0"}));
    ui().Update(0.15f);
    EXPECT_FLOAT_EQ(item->GetHeight(), 196.875f);
    // A long last frame: t stops at 1, so the height lands exactly and the
    // fade stays opaque.
    ui().Update(0.5f);
    EXPECT_EQ(item->GetHeight(), 200.0f);
    EXPECT_EQ(ColourOf(*more).a, 255);
    EXPECT_EQ(arrow->FindProperty<Rotation>(AsciiString("rotation"))->Get().z, -90.0f);
    ui().Update(0.5f);
    EXPECT_EQ(item->GetHeight(), 200.0f);

    // Out and back in before the release still taps: it collapses.
    Down(150.0f, 60.0f);
    Pointer(600.0f, 400.0f);
    Pointer(150.0f, 60.0f);
    Up(150.0f, 60.0f);
    ui().Update(1.0f);
    EXPECT_EQ(item->GetHeight(), 100.0f);
    EXPECT_EQ(ColourOf(*more).a, 0);
    EXPECT_EQ(arrow->FindProperty<Rotation>(AsciiString("rotation"))->Get().z, 0.0f);

    // Renamed away or to a child that is no visual: no arrow.
    SetValue(*item, "dropArrowComp", AsciiString());
    EXPECT_EQ(item->GetDropArrow(), nullptr);
    Make<Component>(item, "plain");
    SetValue(*item, "dropArrowComp", AsciiString("plain"));
    EXPECT_EQ(item->GetDropArrow(), nullptr);
}

TEST_F(UIControls, ExpandingItemWithFactorOneOnlyAnimatesItsChildren) {
    auto* item = Place<ComponentExpandingItem>("item", 100.0f, 50.0f, 200.0f, 60.0f);
    auto* more = Place<ComponentVisual>("more", 0.0f, 50.0f, 100.0f, 20.0f, item);
    SetValue(*item, "expandMult", 1.0f);
    SetValue(*item, "hiddenComponent", AsciiString("more"));
    Ready();
    item->ToggleExpanded();
    ui().Update(0.1f);
    EXPECT_EQ(item->GetHeight(), 100.0f);
    EXPECT_LT(ColourOf(*more).a, 255);  // collapsing: fading from 255
    EXPECT_GT(ColourOf(*more).a, 0);
}

// ---- text field ----

class UITextField : public UIControls {
protected:
    ComponentTextInput* AddField(const char* id, float y) {
        auto* field = Place<ComponentTextInput>(id, 100.0f, y, 200.0f, 30.0f);
        field->OnTextInputEdited.AddListener(ComponentTextInput::EditedEvent::Listener(&log, &Log::Edited));
        field->OnTextInputFinishedEdit.AddListener(
            ComponentTextInput::EditedEvent::Listener(&log, &Log::Finished));
        return field;
    }
    static AsciiString Text(const ComponentTextInput& field) {
        return field.FindProperty<AsciiString>(AsciiString("text"))->Get();
    }
    const KeyboardTextField& Platform() const { return *host.keyboard.GetTextField(); }
};

TEST_F(UITextField, EditingBeginsOnReleaseAndTheLimitHoldsInTheKeyboardToo) {
    auto* field = AddField("name", 100.0f);
    SetValue(*field, "charsLimitEnabled", true);
    SetValue(*field, "charsLimit", 3);
    Ready();

    Down(150.0f, 110.0f);
    EXPECT_EQ(ui().GetFocus(), field);
    EXPECT_FALSE(host.keyboard.IsShown());
    Up(150.0f, 110.0f);
    EXPECT_TRUE(host.keyboard.IsShown());
    // The keyboard reports its first text as it shows: one edit.
    EXPECT_EQ(log.lines, (std::vector<std::string>{"edited:name"}));

    // A second touch while the keyboard is up does not reopen it.
    log.lines.clear();
    Tap(150.0f, 110.0f);
    EXPECT_TRUE(log.lines.empty());

    for (const char* typed : {"a", "b", "c", "d"}) {
        host.keyboard.OnPlatformText(typed);
    }
    EXPECT_EQ(field->GetInputText(), AsciiString("abc"));
    EXPECT_EQ(Text(*field), AsciiString("abc"));
    ui().Update(0.0f);  // the cut goes back to the keyboard
    EXPECT_EQ(Platform().text, "abc");
    EXPECT_EQ(log.lines.size(), 4u);

    // Focus elsewhere ends the edit and lowers the keyboard.
    log.lines.clear();
    field->ReleaseFocus();
    EXPECT_FALSE(host.keyboard.IsShown());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"finished:name"}));
    EXPECT_TRUE(host.keyboard.textCallback.IsEmpty());
}

TEST_F(UITextField, FocusFromCodeBeginsAtOnceAndAnEmptyEndRestoresThePlaceholder) {
    auto* field = AddField("name", 100.0f);
    SetValue(*field, "defaultText", AsciiString("Your name"));
    SetValue(*field, "localiseText", false);
    SetValue(*field, "useFocusColours", true);
    SetValue(*field, "unfocusColour", Colour(10, 20, 30, 255));
    SetValue(*field, "focusColour", Colour(200, 210, 220, 255));
    Ready();
    EXPECT_EQ(Text(*field), AsciiString("Your name"));
    EXPECT_TRUE(Same(ColourOf(*field), Colour(10, 20, 30, 255)));

    field->SetFocus();
    EXPECT_TRUE(host.keyboard.IsShown());
    EXPECT_EQ(Text(*field), AsciiString(""));
    EXPECT_TRUE(Same(ColourOf(*field), Colour(200, 210, 220, 255)));
    host.keyboard.OnPlatformText("x");
    EXPECT_EQ(field->GetDisplayText(), AsciiString("x"));
    host.keyboard.OnPlatformKey(8, true);  // backspace: empty again
    field->ReleaseFocus();
    EXPECT_EQ(Text(*field), AsciiString("Your name"));
    EXPECT_TRUE(Same(ColourOf(*field), Colour(10, 20, 30, 255)));
}

TEST_F(UITextField, MaskShowsOneStarPerCharacter) {
    auto* field = AddField("pin", 100.0f);
    SetValue(*field, "maskText", true);
    Ready();
    field->SetFocus();
    host.keyboard.OnPlatformText("h\xC3\xA9llo");  // five characters, six bytes
    EXPECT_EQ(Text(*field), AsciiString("*****"));
    EXPECT_EQ(field->GetInputText(), AsciiString("h\xC3\xA9llo"));
}

TEST_F(UITextField, ATighterLimitCutsTheHeldTextOnACharacterBoundary) {
    auto* field = AddField("name", 100.0f);
    Ready();
    field->SetFocus();
    host.keyboard.OnPlatformText("a\xC3\xA9z");  // a, e-acute (two bytes), z
    SetValue(*field, "charsLimit", 2);
    SetValue(*field, "charsLimitEnabled", true);  // applies at once
    EXPECT_EQ(field->GetInputText(), AsciiString("a"));
    SetValue(*field, "charsLimit", 3);
    field->SetInputText(AsciiString("a\xC3\xA9z"));
    EXPECT_EQ(field->GetInputText(), AsciiString("a\xC3\xA9"));
    ui().Update(0.0f);
    EXPECT_EQ(Platform().text, "a\xC3\xA9");
}

TEST_F(UITextField, CaretBlinksOnlyWhileEditing) {
    auto* field = AddField("name", 100.0f);
    auto* caret = Place<ComponentQuad>("caret", 0.0f, 0.0f, 2.0f, 10.0f, field);
    Ready();
    EXPECT_EQ(field->GetCaret(), caret);
    EXPECT_FALSE(caret->IsEnabled());
    field->SetFocus();
    ui().Update(0.05f);  // 0.47 in the cycle: not yet
    EXPECT_FALSE(caret->IsEnabled());
    ui().Update(0.05f);  // 0.52
    EXPECT_TRUE(caret->IsEnabled());
    ui().Update(0.5f);  // 0.02 of the next cycle
    EXPECT_FALSE(caret->IsEnabled());
    ui().Update(0.5f);
    EXPECT_TRUE(caret->IsEnabled());
    field->ReleaseFocus();
    ui().Update(0.0f);
    EXPECT_FALSE(caret->IsEnabled());
}

TEST(UIUtf8Cut, NeverCutsInsideACharacter) {
    const struct {
        const char* what;
        const char* text;
        size_t limit;
        size_t kept;
    } cases[] = {
        {"under the limit", "abc", 5, 3},
        {"ascii", "abcd", 3, 3},
        {"before a two-byte character", "a\xC3\xA9", 1, 1},
        {"inside a two-byte character", "a\xC3\xA9", 2, 1},
        {"inside a three-byte character", "\xE2\x82\xAC!", 2, 0},
        {"after a three-byte character", "\xE2\x82\xAC!", 3, 3},
        {"inside a four-byte character", "x\xF0\x9F\x98\x80", 4, 1},
        {"zero", "abc", 0, 0},
        {"stray continuation bytes", "\x80\x80\x80\x80\x80", 2, 2},
        {"a character already broken is no longer cut", "\xE2\x82z", 2, 2},
        {"extra continuation after a whole character", "\xC3\xA9\x80", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UIUtil::Utf8CutPoint(c.text, std::strlen(c.text), c.limit), c.kept);
    }
}

}  // namespace
}  // namespace Varnok
