// The game's UI registration, layouts and background.
#include "game/screens/GameUi.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentFactory.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMessages.h"
#include "engine/ui/UIProjectReader.h"
#include "engine/ui/UIValue.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/iOS/VarnokGame.h"
#include "game/rules/GameFunctions.h"
#include "game/screens/ComponentBackgroundControl.h"
#include "game/screens/ComponentChallengeScore.h"
#include "game/screens/ComponentChallengeTotalScore.h"
#include "game/screens/ComponentCountdownTimer.h"
#include "game/screens/ComponentFruit.h"
#include "game/screens/ComponentLeaderboard.h"
#include "game/screens/ComponentScore.h"
#include "game/screens/ComponentScrollingList.h"
#include "game/screens/ComponentTextValue.h"

#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

constexpr uint32_t kGlobalMessageCategories = 2;
constexpr const char* kDefaultFont = "fontstruetype/bronic.ttf";

SmartPtr<Texture> s_backgroundTextures[2];

void IgnoreMessage(const UIMessage& /*message*/, int32_t& /*result*/, bool& /*stop*/) {}

template <typename T>
void SetTypedDefault(UIPropertyDefinition& definition, const AsciiString& valueText) {
    auto& typed = static_cast<UITypedPropertyDefinition<T>&>(definition);
    typed.m_default = UIValue<T>::FromString(valueText.c_str());
    typed.m_bHasDefault = true;
}

}  // namespace

void RegisterGameTimerComponent() {
    static ComponentFactoryOf<ComponentCountdownTimer> s_timer("ComponentTimer");
}

bool RegisterGameUiComponents() {
    UIManager& ui = UIManager::Get();
    const int loaded = ui.LoadProject(kGameUiProject, AsciiString(kGameUiSku));
    if (loaded != UIProjectReader::kRead) {
        Log("GameUi: the UI project %s did not load (%d); no game classes registered", kGameUiProject, loaded);
        return false;
    }
    // Constructing a factory registers it; the first of a name wins.
    static ComponentFactoryOf<ComponentBackgroundControl> s_backgroundControl("ComponentBackgroundControl");
    static ComponentFactoryOf<ComponentChallengeScore> s_challengeScore("ComponentChallengeScore");
    static ComponentFactoryOf<ComponentChallengeTotalScore> s_challengeTotal("ComponentChallengeTotalScore");
    static ComponentFactoryOf<ComponentFruit> s_fruit("ComponentFruit");
    static ComponentFactoryOf<ComponentLeaderboard> s_leaderboard("ComponentLeaderboard");
    static ComponentFactoryOf<ComponentScore> s_score("ComponentScore");
    static ComponentFactoryOf<ComponentTextValue> s_textValue("ComponentTextValue");
    static ComponentFactoryOf<ComponentScrollingList> s_scrollingList("ComponentScrollingList");
    // After a UI shutdown the statics exist already: register them again.
    for (ComponentFactory* factory : std::initializer_list<ComponentFactory*>{
             &s_backgroundControl, &s_challengeScore, &s_challengeTotal, &s_fruit, &s_leaderboard, &s_score,
             &s_textValue, &s_scrollingList}) {
        ui.RegisterFactory(AsciiString(factory->GetClassName().c_str()), factory);
    }
    for (const char* className : {"ComponentText", "ComponentButton"}) {
        SetComponentDefaultProperty(ui, AsciiString(className), AsciiString("fontName"), AsciiString(kDefaultFont));
    }
    static UIMessageListener* s_listener = nullptr;
    if (s_listener == nullptr) {
        UIMessageFilter filter;
        filter.categoryMask = kGlobalMessageCategories;
        // Held for the rest of the program, as the UI manager keeps a pointer.
        s_listener = new UIMessageListener(AsciiString(kGameUiListenerName), UIMessageHandler(&IgnoreMessage), filter);
    }
    ui.AddMessageListener(s_listener);
    return true;
}

void SetComponentDefaultProperty(UIManager& ui, const AsciiString& className, const AsciiString& propertyName,
                                 const AsciiString& valueText) {
    ComponentDefinition* definition = ui.GetDefinition(className);
    if (definition == nullptr) {
        return;
    }
    UIPropertyDefinition* property = definition->FindPropertyDefinition(propertyName);
    if (property == nullptr) {
        return;
    }
    switch (property->m_type) {
        case UIPT_bool: SetTypedDefault<bool>(*property, valueText); break;
        case UIPT_string: SetTypedDefault<AsciiString>(*property, valueText); break;
        case UIPT_vector3: SetTypedDefault<Vector3>(*property, valueText); break;
        case UIPT_vector2: SetTypedDefault<Vector2>(*property, valueText); break;
        case UIPT_float: SetTypedDefault<float>(*property, valueText); break;
        case UIPT_rotation: SetTypedDefault<Rotation>(*property, valueText); break;
        case UIPT_int: SetTypedDefault<int>(*property, valueText); break;
        case UIPT_colour: SetTypedDefault<Colour>(*property, valueText); break;
        default: break;
    }
}

Component* ShowScreenLayout(LoadedScreenMap& screens, const char* name, int enabled) {
    LoadedScreen& entry = screens[HashName(name, static_cast<int>(std::strlen(name)))];
    // Nothing stores a screen into the entry: every call asks the UI manager,
    // which finds a loaded screen again.
    Component* screen = UIManager::Get().LoadScreenEnabled(AsciiString(name));
    entry.freshlyLoaded = false;
    if (screen == nullptr) {
        return nullptr;
    }
    UIProperty<bool>* enabledProperty = screen->GetEnabledProperty();
    const bool wanted = enabled != 0;
    if (screen->IsActive()) {
        if (enabledProperty->Get() != wanted) {
            enabledProperty->Set(wanted);
        }
    } else if (enabled == 1) {
        enabledProperty->Set(true);
    }
    screen->GetInputEnabledProperty()->Set(true);
    return screen;
}

void LoadBackgroundTextures(const char* name) {
    const VarnokGame* app = VarnokGame::Get();
    const bool fast = app == nullptr || app->IsFastHardware();
    char stem[kBackgroundStemBytes];
    const int written = std::snprintf(stem, sizeof(stem), "%s%s", name != nullptr ? name : "gb_game", fast ? "" : "_sml");
    if (written < 0 || written >= static_cast<int>(sizeof(stem))) {
        Log("GameUi: background name of %d characters too long, not loaded", written);
        return;
    }
    Component* background = UIManager::Get().FindComponent(AsciiString("Background"));
    if (background == nullptr) {
        return;
    }
    // The stem fits in 71 characters, so both file names fit in 72 + 5.
    char path[kBackgroundStemBytes + 8];
    std::snprintf(path, sizeof(path), "%s.tex", stem);
    LoadLocalizedTexture(s_backgroundTextures[0], path);
    std::snprintf(path, sizeof(path), "%s1.tex", stem);
    LoadLocalizedTexture(s_backgroundTextures[1], path);
    // The pictures go into "@backgroundTexture1" and "@backgroundTexture2"
    // once the UI library has its texture component; until then the
    // textures are only held here.
}

SmartPtr<Texture> GetBackgroundTexture() {
    return s_backgroundTextures[0];
}

const SmartPtr<Texture>& GetBackgroundTextureAt(int index) {
    return s_backgroundTextures[index == 0 ? 0 : 1];
}

void ReleaseBackgroundTextures() {
    s_backgroundTextures[0] = SmartPtr<Texture>();
    s_backgroundTextures[1] = SmartPtr<Texture>();
}

}  // namespace Varnok
