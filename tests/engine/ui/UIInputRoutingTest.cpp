#include "engine/core/InputEvent.h"
#include "engine/core/InputManager.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentVisual.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;
using UITest::Recorder;

// A visual rectangle that takes input and may ask for obscured touches.
class Panel : public ComponentVisual {
public:
    void Place(float x, float y, float w, float h, int layer) {
        m_position->Set(Vector3{x, y, 0.0f});
        m_width->Set(w);
        m_height->Set(h);
        SetLayer(layer);
        GetInputEnabledProperty()->Set(true);
    }
    void WantObscured() { m_receivesObscuredTouches = true; }
};

class KeyboardHost final : public UIHost {
public:
    const char* GetDeviceLanguage() const override { return ""; }
    void OnUISetUp() override {}
    bool IsKeyboardInitialised() const override { return true; }
    void InitialiseKeyboard() override {}
    bool IsKeyboardActive() const override { return active; }
    void SendKeyToKeyboard(uint32_t keyCode) override { keys.push_back(keyCode); }

    bool active = false;
    std::vector<uint32_t> keys;
};

InputEvent Press() { return InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kPressed, 1.0f, 0); }
InputEvent Release() { return InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kReleased, 1.0f, 0); }
InputEvent MoveX(float x) { return InputEvent::MakeAxis(InputCode::kMouseAxisX, InputEvent::kMoved, x, 0.0f, 0); }
InputEvent MoveY(float y) { return InputEvent::MakeAxis(InputCode::kMouseAxisY, InputEvent::kMoved, y, 0.0f, 0); }

class UIInputRouting : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        screen = AddScreen("menu");
        screen->GetInputEnabledProperty()->Set(true);
    }

    Panel* AddPanel(const char* id, float x, float y, float w, float h, int layer) {
        Panel* panel = Make<Panel>(screen, id);
        panel->Place(x, y, w, h, layer);
        return panel;
    }

    // The screen is 640 x 480; positions are given in pixels.
    std::vector<InputEvent> PointerAt(float x, float y) {
        const Vector2& size = ui().GetScreenSize();
        return {MoveX(x / size.x), MoveY(y / size.y)};
    }

    // One input frame: what each event answered, and the frame's answer.
    std::vector<int> Frame(std::vector<InputEvent> events, bool* outFrameConsumed = nullptr) {
        std::vector<int> answers;
        ui().BeginInputFrame();
        for (InputEvent& event : events) {
            answers.push_back(ui().HandleInputEvent(event));
        }
        const bool frame = ui().EndInputFrame();
        if (outFrameConsumed != nullptr) {
            *outFrameConsumed = frame;
        }
        return answers;
    }

    static std::vector<InputEvent> Join(std::vector<InputEvent> a, const std::vector<InputEvent>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    ComponentScreen* screen = nullptr;
};

TEST_F(UIInputRouting, InitRegistersTheManagerAsTheInputSink) {
    EXPECT_EQ(InputManager::GetUiSink(), &ui());
    ui().Shutdown();
    EXPECT_EQ(InputManager::GetUiSink(), nullptr);
    InputEvent press = Press();
    EXPECT_FALSE(ui().HandleInput(press));  // not initialised: never consumed
}

TEST_F(UIInputRouting, AHandledPressConsumesItAndEveryLaterEventOfTheFrame) {
    auto* button = Make<ComponentButton>(screen, "button");
    button->GetInputEnabledProperty()->Set(true);
    button->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{100.0f, 100.0f, 0.0f});
    ui().Update(0.016f);
    bool frameConsumed = false;
    std::vector<InputEvent> events = PointerAt(150.0f, 150.0f);
    events.push_back(Press());
    events.push_back(MoveX(420.0f / 640.0f));  // outside: the button lets go of its look
    events.push_back(MoveY(150.0f / 480.0f));
    const std::vector<int> answers = Frame(events, &frameConsumed);
    // The moves before the press are the game's; everything from it on is the UI's.
    EXPECT_EQ(answers, (std::vector<int>{0, 0, 1, 1, 1}));
    EXPECT_TRUE(frameConsumed);
    EXPECT_TRUE(ui().IsPointerDown());
    EXPECT_EQ(ui().GetFocus(), button);
    EXPECT_FALSE(button->IsPressed());

    // The release outside is the button's too; it drops the focus.
    EXPECT_EQ(Frame({Release()}), (std::vector<int>{1}));
    EXPECT_EQ(ui().GetFocus(), nullptr);
    // With nothing claiming them, the next frame's moves are the game's.
    EXPECT_EQ(Frame(PointerAt(500.0f, 450.0f), &frameConsumed), (std::vector<int>{0, 0}));
    EXPECT_FALSE(frameConsumed);
}

TEST_F(UIInputRouting, ABlockingScreenKeepsThePressFromTheGame) {
    Panel* blocker = AddPanel("blocker", 0.0f, 0.0f, 640.0f, 480.0f, 0);
    blocker->GetOrAddProperty<bool>(AsciiString("blocksinputfromgame"), false)->Set(true);
    ui().Update(0.016f);
    EXPECT_EQ(Frame(Join(PointerAt(10.0f, 10.0f), {Press()})), (std::vector<int>{1, 1, 1}));

    blocker->GetOrAddProperty<bool>(AsciiString("blocksinputfromgame"), false)->Set(false);
    EXPECT_EQ(Frame(Join(PointerAt(20.0f, 20.0f), {Press()})), (std::vector<int>{0, 0, 0}));
}

TEST_F(UIInputRouting, TheTopLayerIsAskedFirstAndObscuredTouchesGoOnlyWhereAsked) {
    Panel* low = AddPanel("low", 0.0f, 0.0f, 200.0f, 200.0f, 1);
    Panel* high = AddPanel("high", 50.0f, 50.0f, 200.0f, 200.0f, 3);
    Recorder heard;
    heard.handle = true;
    heard.ListenTouch(low->OnTouchDownEvent);
    heard.ListenTouch(low->OnTouchDownObscuredEvent);
    heard.ListenTouch(high->OnTouchDownEvent);
    ui().Update(0.016f);

    Frame(Join(PointerAt(100.0f, 100.0f), {Press(), Release()}));
    EXPECT_EQ(heard.lines, (std::vector<std::string>{"high"}));

    heard.lines.clear();
    low->WantObscured();
    Frame(Join(PointerAt(101.0f, 101.0f), {Press(), Release()}));
    EXPECT_EQ(heard.lines, (std::vector<std::string>{"high", "low"}));
}

TEST_F(UIInputRouting, OnlyTheFocusHearsARelease) {
    auto* button = Make<ComponentButton>(screen, "button");
    button->GetInputEnabledProperty()->Set(true);
    Panel* other = AddPanel("other", 300.0f, 300.0f, 100.0f, 100.0f, 0);
    Recorder heard;
    heard.ListenTouch(button->OnTouchUpHeldOutsideEvent);
    heard.ListenTouch(other->OnTouchUpEvent);
    int presses = 0;
    struct Count {
        int* presses;
        void OnPressed(Component*, uint8_t*) { ++*presses; }
    } count{&presses};
    button->OnButtonPressed.AddListener(ComponentButton::PressedEvent::Listener(&count, &Count::OnPressed));
    ui().Update(0.016f);

    Frame(Join(PointerAt(50.0f, 50.0f), {Press()}));
    EXPECT_EQ(ui().GetFocus(), button);
    Frame(Join(PointerAt(350.0f, 350.0f), {Release()}));
    EXPECT_EQ(heard.lines, (std::vector<std::string>{"button"}));
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(ui().GetFocus(), nullptr);
    EXPECT_FALSE(ui().IsPointerDown());

    // Down and up on it presses it once.
    Frame(Join(PointerAt(50.0f, 50.0f), {Press(), Release()}));
    EXPECT_EQ(presses, 1);
}

TEST_F(UIInputRouting, HoverTestsOncePerPositionAndNeverForTheAccelerometer) {
    AddPanel("plain", 0.0f, 0.0f, 100.0f, 100.0f, 0);
    ui().Update(0.016f);
    const uint32_t before = ui().GetHitTestCount();
    InputEvent up = InputEvent::MakeButton(InputCode::kMouseButton1, InputEvent::kUp, 1.0f, 0);
    InputEvent up2 = up;
    Frame({up, up2});
    EXPECT_EQ(ui().GetHitTestCount(), before + 1);

    InputEvent tilt = InputEvent::MakeAxis(InputCode::kAccelAxisX, InputEvent::kMoved, 0.3f, 0.1f, 0);
    Frame({tilt, tilt});
    EXPECT_EQ(ui().GetHitTestCount(), before + 1);
}

TEST_F(UIInputRouting, AnUnhandledKeyGoesToTheOnScreenKeyboard) {
    KeyboardHost host;
    ui().SetHost(&host);
    InputEvent key = InputEvent::MakeButton(12, InputEvent::kPressed, 1.0f, 0);
    EXPECT_EQ(Frame({key}), (std::vector<int>{0}));
    host.active = true;
    EXPECT_EQ(Frame({key}), (std::vector<int>{1}));
    EXPECT_EQ(host.keys, (std::vector<uint32_t>{12}));
}

TEST_F(UIInputRouting, AnAbortedInputBroadcastLetsTheEventThrough) {
    Panel* blocker = AddPanel("blocker", 0.0f, 0.0f, 640.0f, 480.0f, 0);
    blocker->GetOrAddProperty<bool>(AsciiString("blocksinputfromgame"), false)->Set(true);
    ui().Update(0.016f);
    struct Abort {
        void Handle(const UIMessage&, int32_t& result, bool&) { result = 2; }
    } abort;
    UIMessageListener listener("abort", UIMessageHandler(&abort, &Abort::Handle), UIMessageFilter::Input);
    ASSERT_TRUE(ui().AddMessageListener(&listener));
    EXPECT_EQ(Frame(Join(PointerAt(10.0f, 10.0f), {Press()})), (std::vector<int>{0, 0, 0}));
}

}  // namespace
}  // namespace Varnok
