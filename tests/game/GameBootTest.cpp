// The game started by the shell in this process over the built bundle: its
// set-up runs in order on the first frame, the providers come in the game's
// order, the first tick enters the game flow, which loads every screen and
// registers the game's UI classes, and termination tears it down.
#include "game/GameApplication.h"

#include "engine/iOS/VarnokGame.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "engine/services/ServiceManager.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentFactory.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "game/GameFlow.h"
#include "game/GameStartup.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStateDispatcher.h"
#include "game/rules/Achievements.h"
#include "game/rules/BonusAwards.h"
#include "game/rules/Items.h"
#include "game/rules/ClassicMode.h"
#include "game/rules/GameStats.h"
#include "game/rules/InputActions.h"
#include "game/rules/SessionControl.h"
#include "game/screens/ComponentCountdownTimer.h"
#include "game/screens/ComponentFruit.h"
#include "game/screens/GameUi.h"
#include "game/screens/MainMenuScreen.h"
#include "game/screens/ScreenList.h"
#include "game/world/ParticleManager.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObject.h"
#include "game/world/WorldObjectManager.h"
#include "platform/DesktopServices.h"
#include "platform/PlatformDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

namespace fs = std::filesystem;

using Steps = std::vector<std::string>;

const Steps kStartupOrder = {
    "frame-rate controller", "render transforms", "absolute paths", "viewport", "string tables",
    "service defines", "service manager", "builder Provider_GameCenter", "builder Provider_Kiplink",
    "builder Provider_Twitter", "builder Provider_Facebook", "builder Provider_Kontagent",
    "builder Provider_MoPub", "providers", "news callback", "device report", "renderer", "clear colour",
    "texture and model budgets", "input devices", "particle definitions", "sound player and voice-over",
    "statistics", "save file", "sound switches", "blade colours", "achievements", "bonus awards", "font manager", "camera",
    "camera projection", "back icon", "fruit catalogue", "splatter texture", "blade textures", "bomb models",
    "sound names", "fonts", "paint stroke", "unlock pop-up texts", "session host", "UI host",
};

const Steps kFlowSetUpOrder = {
    "screen list and HUD", "countdown timer", "sound manager", "world objects", "swipe hint", "game UI",
    "background screen", "items", "about screen", "screens", "waiting fruit, bombs and blasts", "flash texture",
    "splatter layer", "main menu", "wave lists", "input actions", "classic settings", "first UI update",
    "sound switches",
};

TEST(GameBoot, TheShellStartsTheGameInOrderAndEntersTheFlow) {
    const fs::path scratch = fs::temp_directory_path() / ("varnok-boot-" + std::to_string(getpid()));
    fs::create_directories(scratch / "documents");
    fs::create_directories(scratch / "shared");
    setenv("VARNOK_SHARED_DIR", (scratch / "shared").c_str(), 1);
    setenv("VARNOK_DNS_RESOLVER", "127.0.0.1:9", 1);  // nothing answers there

    std::unique_ptr<PlatformDisplay> display = CreateHeadlessDisplay();
    DisplayDef def;
    def.width = 240;
    def.height = 160;
    ASSERT_TRUE(display->Open(def)) << "no headless GL ES 2.0 context";
    VarnokGame::SetFactory(&GameApplication::Create);
    ShellDef shell;
    shell.display = display.get();
    shell.services = CreateDesktopServices(DesktopServicesDef{});
    shell.bundleDir = VARNOK_BUNDLE_DIR;
    shell.documentsDir = (scratch / "documents").string();
    shell.cachesDir = (scratch / "documents").string();
    {
        VarnokTouchAppDelegate app(shell);
        app.Launch(LaunchOptions{});
        app.RunDisplayRefresh();
        GameApplication* game = GameApplication::Get();
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(game->GetStartupTrace(), kStartupOrder);
        EXPECT_EQ(GameFlow::Get().GetSetUpSteps(), kFlowSetUpOrder);

        // The providers after the default one, in the order their builders came.
        ServiceManager& services = ServiceManager::Get();
        Steps providers;
        for (int i = 0; i < services.GetProviderCount(); ++i) {
            providers.emplace_back(services.GetProviderAt(i)->GetName());
        }
        const Steps expectedProviders = {"Provider_GameCenter", "Provider_Kiplink", "Provider_Twitter",
                                         "Provider_Facebook", "Provider_Kontagent", "Provider_MoPub"};
        ASSERT_GE(providers.size(), expectedProviders.size());
        EXPECT_EQ(Steps(providers.end() - static_cast<long>(expectedProviders.size()), providers.end()),
                  expectedProviders);
        EXPECT_TRUE(services.HasProvider("Provider_Kiplink"));

        // A fresh save: the sound switches are on and the statistics read 0.
        GameRecord& record = GetGameRecord();
        EXPECT_TRUE(record.soundOn && record.musicOn && record.voiceOn);
        ASSERT_NE(record.stats, nullptr);
        EXPECT_EQ(record.stats->Get("soundOff"), 0);
        EXPECT_NE(record.mainFont, nullptr);
        EXPECT_NE(record.secondFont, nullptr);
        EXPECT_TRUE(record.paintStroke);

        // The classic game's data came from the bundle: the particle set of
        // this (fast) host, the bonus table, the wave lists and the classic
        // settings; the thirty waiting objects of each kind sit in the pool.
        EXPECT_TRUE(ParticleManager::Instance().IsLoaded());
        EXPECT_FALSE(ParticleManager::Instance().Emitters().empty());
        EXPECT_FALSE(BonusAwards::Instance().Awards().empty());
        EXPECT_FALSE(WaveManager::Instance().CurrentList().empty());
        EXPECT_TRUE(ClassicMode::Settings().loaded);
        // The achievement list and the item catalogue, the first blade on.
        EXPECT_FALSE(AchievementManager::Instance().Order().empty());
        ASSERT_FALSE(ItemManager::Instance().Items().empty());
        EXPECT_EQ(ItemManager::Instance().Equipped(kItemSlashModifier), ItemManager::Instance().Items()[0].get());

        // The round control reaches the flow's input block through the game's host.
        BlockMenuInput(0.5f);
        EXPECT_TRUE(GetSessionHost().IsInputBlocked());
        UpdateInputBlock(1.0f);
        EXPECT_FALSE(GetSessionHost().IsInputBlocked());

        // The first tick entered the flow.
        EXPECT_TRUE(GameStateDispatcher::Get().IsEntered());
        EXPECT_EQ(GameStateDispatcher::Get().GetCurrentState(), GameRecord::kGameState);
        ASSERT_NE(record.screenList, nullptr);
        EXPECT_TRUE(record.screenList->Contains(GameFlow::Get().GetMainMenu()));
        EXPECT_EQ(record.menuPhase, -1.0f);

        // Every screen the flow loads is there; "about" is loaded but hidden.
        UIManager& ui = UIManager::Get();
        for (const char* name : GameFlow::kScreens) {
            EXPECT_NE(ui.FindLoadedScreen(AsciiString(name)), nullptr) << name;
        }
        Component* about = ui.FindLoadedScreen(AsciiString("about"));
        ASSERT_NE(about, nullptr);
        EXPECT_FALSE(about->IsEnabled());
        Component* background = ui.FindLoadedScreen(AsciiString("Background"));
        ASSERT_NE(background, nullptr);
        EXPECT_TRUE(background->IsEnabled());
        EXPECT_NE(background->FindChild(AsciiString("@backgroundTexture2")), nullptr);

        // The game's classes answer their names; the game's timer won the
        // engine's "ComponentTimer".
        std::unique_ptr<Component> fruit(ui.InstantiateClass(AsciiString("ComponentFruit")));
        ASSERT_NE(fruit, nullptr);
        EXPECT_TRUE(fruit->IsKindOf(ComponentFruit::GetStaticClassInfo()));
        std::unique_ptr<Component> timer(ui.InstantiateClass(AsciiString("ComponentTimer")));
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->IsKindOf(ComponentCountdownTimer::GetStaticClassInfo()));

        // Texts and buttons default to the game's second font.
        bool found = false;
        ComponentDefinition* text = ui.GetDefinition(AsciiString("ComponentText"));
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text->GetDefault<AsciiString>(AsciiString("fontName"), found).c_str(),
                     "fontstruetype/bronic.ttf");
        EXPECT_TRUE(found);

        // Showing a layout: 0 on an active screen disables it, 1 enables it;
        // input is on afterwards either way.
        LoadedScreenMap shown;
        Component* pause = ShowScreenLayout(shown, "pause", 1);
        ASSERT_NE(pause, nullptr);
        EXPECT_TRUE(pause->IsActive());
        pause->GetInputEnabledProperty()->Set(false);
        EXPECT_EQ(ShowScreenLayout(shown, "pause", 0), pause);
        EXPECT_FALSE(pause->IsEnabled());
        EXPECT_TRUE(pause->IsInputEnabled());
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(ShowScreenLayout(shown, "noSuchScreen", 1), nullptr);

        // The default background on this (fast) host.
        LoadBackgroundTextures(nullptr);
        EXPECT_TRUE(GetBackgroundTexture());
        EXPECT_TRUE(GetBackgroundTextureAt(1));
        const SmartPtr<Texture> before = GetBackgroundTexture();
        LoadBackgroundTextures(std::string(80, 'x').c_str());  // refused: the old ones stay
        EXPECT_EQ(GetBackgroundTexture().Get(), before.Get());

        // A bomb that explodes in a classic game ends the game as the play
        // field clears.
        CreateGameMode();
        auto* classic = dynamic_cast<ClassicMode*>(record.currentMode);
        ASSERT_NE(classic, nullptr);
        classic->state = ClassicMode::Playing;
        record.notInPlay = false;
        record.bombExplosionTime = 1.505f;
        app.RunDisplayRefresh();
        EXPECT_NE(classic->state, ClassicMode::Playing);
        EXPECT_LE(record.bombExplosionTime, 1.5f);
        record.bombExplosionTime = 0.0f;
        record.notInPlay = true;
        DestroyCurrentMode();

        // The logo fades over the frames, and the frames run the particles:
        // a system spawned on the menu emits.
        ParticleSystem* juice = nullptr;
        ASSERT_NE(ParticleManager::Instance().Spawn("apple_sliced", &juice), nullptr);
        EXPECT_EQ(ParticleManager::Instance().LiveParticleCount(), 0);
        const float logoAfterOne = game->GetLogoAlpha();
        for (int i = 0; i < 10; ++i) {
            app.RunDisplayRefresh();
        }
        EXPECT_LT(game->GetLogoAlpha(), logoAfterOne);
        EXPECT_GT(ParticleManager::Instance().LiveParticleCount(), 0);
        EXPECT_TRUE(GameStateDispatcher::Get().IsInUpdate());
        app.applicationWillTerminate();
    }
    EXPECT_FALSE(GameStateDispatcher::Get().IsEntered());
    EXPECT_EQ(GetGameRecord().screenList, nullptr);
    EXPECT_EQ(GetGameRecord().stats, nullptr);
    EXPECT_FALSE(ParticleManager::Instance().IsLoaded());
    BlockMenuInput(0.5f);  // the default host is back: it knows no block
    EXPECT_FALSE(GetSessionHost().IsInputBlocked());
    UpdateInputBlock(1.0f);
    VarnokGame::SetFactory(nullptr);
    display.reset();
    fs::remove_all(scratch);
}

TEST(GameBoot, TheAdvertisingProviderIsLeftOutOnTwoDevices) {
    const struct {
        const char* platform;
        bool wanted;
    } cases[] = {{"iPad", false}, {"iPod Touch 4G", false}, {"iPad 2", true}, {"iPhone 4", true}, {"", true}};
    for (const auto& c : cases) {
        EXPECT_EQ(WantsAdvertisingProvider(c.platform), c.wanted) << c.platform;
    }
}

TEST(GameBoot, EveryGameSoundNameIsPreloadedOnce) {
    const std::vector<std::string>& names = GameSoundNames();
    EXPECT_EQ(names.size(), 173u);
    EXPECT_EQ(names.front(), "achievement");
    EXPECT_EQ(names.back(), "Combo-8");
    std::vector<std::string> sorted(names);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

}  // namespace
}  // namespace Varnok
