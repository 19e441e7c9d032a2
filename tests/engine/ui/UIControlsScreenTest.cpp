// The sample "uiControls" screen, built from its file with the authored
// definitions and pressed, toggled and typed into through the UI manager.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputEvent.h"
#include "engine/iOS/KeyboardManager.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentButtonRadio.h"
#include "engine/ui/ComponentExpandingItem.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentTextInput.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIKeyboard.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

class ScreenHost final : public UIHost {
public:
    ScreenHost() { keyboard.Create(0.0f, 0.0f, 200.0f, 30.0f); }
    const char* GetDeviceLanguage() const override { return ""; }
    void OnUISetUp() override {}
    bool IsKeyboardInitialised() const override { return true; }
    void InitialiseKeyboard() override {}
    UIKeyboard* GetKeyboard() override { return &adapter; }

    KeyboardManager_iPhone keyboard;
    UIKeyboardOver<KeyboardManager_iPhone> adapter{keyboard};
};

class ControlsScreen : public testing::Test {
protected:
    void SetUp() override {
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, false), FileSystemKey("sample"), 70);
        UIProjectSettings settings;
        ASSERT_EQ(0, UIProjectReader::Read("xml/TamberloFelis_skuLayout.xml", settings));
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        settings.stringTables.clear();
        ui().Init(settings, AsciiString("~iPhone"));
        ui().SetHost(&host);
        const std::string text =
            VarnokTest::ReadHostFile(std::string(VARNOK_SOURCE_DATA_DIR) + "/ui/screens/uicontrols.xml");
        std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml(text, "uicontrols");
        ASSERT_NE(desc, nullptr);
        const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        screen = ui().LoadScreenFromBytes(AsciiString("uiControls"), bytes.data(), bytes.size());
        ASSERT_NE(screen, nullptr);
        screen->GetEnabledProperty()->Set(true);
        ui().Update(0.0f);
    }
    void TearDown() override {
        ui().Shutdown();
        ui().SetHost(nullptr);
        FileSystemRegistry::Get().Remove(m_mounted);
    }

    static UIManager& ui() { return UIManager::Get(); }

    template <typename T>
    T* Find(const char* path) {
        Component* found = screen->FindChild(AsciiString(path));
        return found != nullptr && found->IsKindOf(T::GetStaticClassInfo()) ? static_cast<T*>(found) : nullptr;
    }

    // A touch at the middle of the component, down and up in two frames.
    void Tap(Component& component) {
        const UIRect bounds = component.GetWorldBounds();
        const float x = (bounds.left + bounds.right) * 0.5f;
        const float y = (bounds.top + bounds.bottom) * 0.5f;
        const Vector2 size = ui().GetScreenSize();
        for (uint32_t state : {InputEvent::kPressed, InputEvent::kReleased}) {
            std::vector<InputEvent> events = {
                InputEvent::MakeAxis(InputCode::kMouseAxisX, InputEvent::kMoved, x / size.x, 0.0f, 0),
                InputEvent::MakeAxis(InputCode::kMouseAxisY, InputEvent::kMoved, y / size.y, 0.0f, 0),
                InputEvent::MakeButton(InputCode::kMouseButton1, state, 1.0f, 0)};
            ui().BeginInputFrame();
            for (InputEvent& event : events) {
                ui().HandleInputEvent(event);
            }
            ui().EndInputFrame();
        }
    }

    ScreenHost host;
    Component* screen = nullptr;
    FileSystem* m_mounted = nullptr;
};

struct Presses {
    int count = 0;
    void OnPressed(Component*, uint8_t*) { ++count; }
};

TEST_F(ControlsScreen, ButtonsFindTheirLabelsAndTheKeyIsBound) {
    Presses presses;
    for (const char* id : {"okButton", "bouncyButton", "keyButton"}) {
        SCOPED_TRACE(id);
        auto* button = Find<ComponentButton>(id);
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button->GetLabel(), nullptr);  // the definition's "btnText"
        EXPECT_EQ(button->GetLabel()->GetWidth(), button->GetWidth());
        button->OnButtonPressed.AddListener(ComponentButton::PressedEvent::Listener(&presses, &Presses::OnPressed));
        Tap(*button);
    }
    EXPECT_EQ(presses.count, 3);
    auto* ok = Find<ComponentButton>("okButton");
    EXPECT_EQ(ok->GetLabel()->FindProperty<AsciiString>(AsciiString("text"))->Get(), AsciiString("UICONTROLS_OK"));
    EXPECT_EQ(ok->GetLabel()->FindProperty<AsciiString>(AsciiString("fontName"))->Get(),
              AsciiString("fontstruetype/miserable.ttf"));
    EXPECT_TRUE(Find<ComponentButton>("bouncyButton")->HasAnimation(ButtonPressedAnimationName()));

    // The key button's input is one the bindings file names.
    auto* key = Find<ComponentButton>("keyButton");
    ASSERT_NE(key->GetKeyCode(), 0u);
    const std::string bindings =
        VarnokTest::ReadHostFile(std::string(VARNOK_SOURCE_DATA_DIR) + "/Input/UiControls.txt");
    EXPECT_NE(bindings.find(std::string(": ") +
                            key->FindProperty<AsciiString>(AsciiString("KeyName"))->Get().c_str() + ";"),
              std::string::npos);
}

TEST_F(ControlsScreen, RadiosTogglesAndTheExpandingItemAnswerTouches) {
    ComponentButtonRadio* radios[] = {Find<ComponentButtonRadio>("easyRadio"), Find<ComponentButtonRadio>("normalRadio"),
                                      Find<ComponentButtonRadio>("hardRadio")};
    for (ComponentButtonRadio* radio : radios) {
        ASSERT_NE(radio, nullptr);
    }
    EXPECT_EQ(ui().GetRadioGroup(3), (std::vector<Component*>{radios[0], radios[1], radios[2]}));
    EXPECT_TRUE(radios[1]->IsChecked());
    Tap(*radios[2]);
    EXPECT_FALSE(radios[1]->IsChecked());
    EXPECT_TRUE(radios[2]->IsChecked());
    EXPECT_TRUE(radios[2]->GetCheckedImage()->IsEnabled());
    EXPECT_FALSE(radios[2]->GetUncheckedImage()->IsEnabled());

    auto* sound = Find<ComponentButtonToggle>("soundToggle");
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(sound->GetCheckedImage(), nullptr);
    EXPECT_EQ(static_cast<ComponentVisual*>(sound->GetCheckedImage())->GetWidth(), sound->GetWidth());
    Tap(*sound);
    EXPECT_TRUE(sound->IsChecked());
    EXPECT_TRUE(Find<ComponentButtonToggle>("musicToggle")->IsChecked());

    auto* item = Find<ComponentExpandingItem>("moreItem");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetHeight(), 40.0f);
    ASSERT_NE(item->GetHiddenPart(), nullptr);
    ASSERT_NE(item->GetDropArrow(), nullptr);
    Tap(*item);
    ui().Update(ComponentExpandingItem::kTweenSeconds);
    EXPECT_EQ(item->GetHeight(), 80.0f);
    EXPECT_EQ(item->GetHiddenPart()->FindProperty<Colour>(AsciiString("colour"))->Get().a, 255);
}

TEST_F(ControlsScreen, TheNameFieldTypesUpToItsLimit) {
    auto* field = Find<ComponentTextInput>("nameField");
    ASSERT_NE(field, nullptr);
    ASSERT_NE(field->GetCaret(), nullptr);
    EXPECT_EQ(field->GetPlaceholder(), AsciiString("UICONTROLS_NAME"));
    Tap(*field);
    ASSERT_TRUE(host.keyboard.IsShown());
    host.keyboard.OnPlatformText("Ada Lovelace-Byron");
    ui().Update(0.0f);
    EXPECT_EQ(field->GetInputText(), AsciiString("Ada Lovelace"));  // 12 bytes
    EXPECT_EQ(host.keyboard.GetTextField()->text, "Ada Lovelace");
}

}  // namespace
}  // namespace Varnok
