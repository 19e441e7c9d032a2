// The game's set-up and tear-down, step by step.
#include "game/GameStartup.h"

#include "engine/audio/SoundManager.h"
#include "engine/core/AsciiString.h"
#include "engine/core/Clock.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/ResourceLoaderRegistry.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/PopupOverlay.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/model/MeshModel.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/TextureManager.h"
#include "engine/services/ApplicationUIHost.h"
#include "engine/services/DnsSocket.h"
#include "engine/services/IAnalyticsService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ILoginService.h"
#include "engine/services/INewsService.h"
#include "engine/services/SecureKeyStore.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/ui/UIManager.h"
#include "game/rules/Achievements.h"
#include "game/rules/BonusAwards.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InputActions.h"
#include "game/rules/Items.h"
#include "game/rules/MusicController.h"
#include "game/rules/Powers.h"
#include "game/rules/RunOptions.h"
#include "game/rules/SaveFile.h"
#include "game/rules/SessionControl.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/StringTables.h"
#include "game/rules/UnlockQueue.h"
#include "game/rules/VoiceOverManager.h"
#include "game/screens/MainMenuScreen.h"
#include "game/screens/NewsScreen.h"
#include "game/screens/PauseScreen.h"
#include "game/screens/ResultsScreen.h"
#include "game/screens/ScreenList.h"
#include "game/screens/ShopScreen.h"
#include "game/world/BladeColours.h"
#include "game/world/Bomb.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/GameCamera.h"
#include "game/world/ParticleManager.h"
#include "game/world/Slash.h"
#include "game/world/SplatterLayer.h"
#include "game/world/SuperFruitEvent.h"
#include "platform/GameCentreStandIn.h"
#include "platform/MediationStandIn.h"
#include "platform/PosixDnsSocket.h"
#include "platform/SharedKeyStores.h"
#include "platform/SocialClientStandIn.h"
#include "platform/TweetComposerStandIn.h"
#include "providers/Provider_Default/Provider_Default.h"
#include "providers/Provider_Facebook/Provider_Facebook.h"
#include "providers/Provider_GameCenter/GameCentre.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kontagent/Provider_Kontagent.h"
#include "providers/Provider_MoPub/MoPubBridge.h"
#include "providers/Provider_MoPub/Provider_MoPub.h"
#include "providers/Provider_Twitter/Provider_Twitter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr const char* kServicesFolder = "Services";
constexpr const char* kProductTitle = "Tamberlo FRx";
constexpr int kTabletDeviceClass = 4;
constexpr int32_t kTextureCacheFirstLimit = 2048;
constexpr int32_t kTextureCacheLimit = 51200;
constexpr uint32_t kModelLoadBudget = 158720;
constexpr float kCameraNear = 1.0f;
constexpr float kCameraFar = 10000.0f;
constexpr float kCameraHorizontalFov = 16.95f;
constexpr float kCameraVerticalFov = 11.3f;
constexpr int kRussian = 19;
constexpr int kFontAtlasFormat = 2;
constexpr const char* kChineseFont = "fontstruetype/gangofchinese.ttf";
constexpr const char* kMainFont = "fontstruetype/miserable.ttf";
constexpr const char* kSecondFont = "fontstruetype/bronic.ttf";
constexpr const char* kPaintStroke = "textures/menus/paintStroke.tex";
constexpr const char* kBackIcon = "titles_for_menus/back_icon.tex";

// What the round control reaches through the game: the music, the menu
// input block and the engine's clock, which a seeded run fixes so that the
// day and hour statistics repeat.
// The results screen's leaderboards: every enabled leaderboard service,
// online while a player is signed in.
class GameResultsServices final : public ResultsServices {
public:
    bool IsLeaderboardOnline() override {
        ServiceManager& services = ServiceManager::Get();
        ILoginService* login = services.GetService<ILoginService>();
        return login != nullptr && login->IsLoggedIn(services.GetCurrentUser());
    }
    bool PostScore(const char* leaderboardId, int64_t score) override {
        ServiceManager& services = ServiceManager::Get();
        ILeaderboardServiceAggregate* boards = services.GetServiceAggregate<ILeaderboardService>();
        if (boards == nullptr) {
            return false;
        }
        boards->SetLeaderboardScore(services.GetCurrentUser(), leaderboardId, score, LeaderboardResultDelegate());
        return true;
    }
};

GameResultsServices s_resultsServices;

// A screen item made for the list: opened, then added at its end.
void AddScreen(ScreenItem* item) {
    ScreenList* list = GetGameRecord().screenList;
    item->Open();
    if (list != nullptr) {
        list->Add(item);
    } else {
        delete item;
    }
}

class GameSessionHost final : public SessionHost {
public:
    void OpenResultsScreen() override { AddScreen(new ResultsScreen(s_resultsServices)); }
    void OpenPauseScreen() override { AddScreen(new PauseScreen()); }
    void HideMainMenu() override {
        if (MainMenuScreen* menu = GetGameRecord().mainMenu) {
            menu->Hide();
        }
    }
    void SetMusicTrack(const char* name) override { MusicController::Instance().SetTrack(name); }
    DateTime LocalTime() override {
        DateTime now;
        GetDateTime(&now, 1);
        return now;
    }
    bool IsInputBlocked() override { return GetInputActionState().inputBlocked; }
    void NotifyBeforeSave() override {
        if (ScreenList* screens = GetGameRecord().screenList) {
            screens->NotifyBeforeSave();
        }
    }
};

GameSessionHost s_sessionHost;

// The UI's way to the device language, the keyboard and the registered
// variables; made at start-up and gone at shutdown, while the UI manager
// still stands.
std::unique_ptr<ApplicationUIHost> s_uiHost;

bool IsFastDevice() {
    const VarnokGame* game = VarnokGame::Get();
    return game == nullptr || game->IsFastHardware();
}

void Step(StartupTrace* trace, const char* name) {
    if (trace != nullptr) {
        trace->emplace_back(name);
    }
}

// The news services' answer: a current news list picks the item the main
// menu's badge and the news screen show.
void OnNews(const char* errorText, User* /*user*/) {
    if (errorText == nullptr) {
        NewsScreen::RefreshNews();
    }
}

// What the platform gives the providers here: sockets, the shared key
// stores and the stand-ins of the outside clients.
void InstallServicePlatform() {
    static bool s_installed = false;
    if (s_installed) {
        return;
    }
    s_installed = true;
    SetDnsSocketFactory(&CreatePosixDnsSocket);
    static FileKeychain keychain(DefaultSharedFolder());
    static FilePasteboard pasteboard(DefaultSharedFolder());
    SecureKeyStore::InstallDefault(&keychain, &pasteboard);
    InstallProvider_Default();
    // Nobody is at a headless run to answer a sign-in view: the settings'
    // player answers at once, as one already signed in on the machine does.
    std::shared_ptr<GameCentreStandIn> gameCentre = GameCentreStandIn::CreateFromSettings();
    gameCentre->SetSignInViewNeeded(false);
    GameCentre::Install(gameCentre);
    SetSocialClient(std::make_shared<SocialClientStandIn>());
    SetTweetComposer(std::make_shared<TweetComposerStandIn>());
    MoPubBridge::InstallClient(std::make_shared<MediationStandIn>());
}

void StartServices(StartupTrace* trace) {
    ServiceDefines defines;
    defines[AsciiString("platform")] = AsciiString("ios");
    defines[AsciiString("product")] = AsciiString("SD");
    const bool tablet = Renderer::Get().GetDeviceClass() == kTabletDeviceClass;
    defines[AsciiString("tablet")] = AsciiString(tablet ? "true" : "false");
    Step(trace, "service defines");

    InstallServicePlatform();
    VarnokGame* game = VarnokGame::Get();
    ServiceManager& services = ServiceManager::Get();
    services.Initialise(kServicesFolder, game != nullptr ? game->GetVersionText() : "", defines);
    Step(trace, "service manager");

    services.AddProviderBuilder(Provider_GameCenterBuilder::Get());
    Step(trace, "builder Provider_GameCenter");
    RegisterProvider_KiplinkBuilder();
    Step(trace, "builder Provider_Kiplink");
    RegisterProvider_TwitterBuilder();
    Step(trace, "builder Provider_Twitter");
    RegisterProvider_FacebookBuilder();
    Step(trace, "builder Provider_Facebook");
    RegisterProvider_KontagentBuilder(services);
    Step(trace, "builder Provider_Kontagent");
    if (WantsAdvertisingProvider(game != nullptr ? game->GetPlatformName() : "")) {
        RegisterProvider_MoPubBuilder();
        Step(trace, "builder Provider_MoPub");
    }
    services.InitialiseProviders();
    Step(trace, "providers");

    if (auto* news = services.GetServiceAggregate<INewsService>()) {
        news->SetNewsCallback(INewsServiceAggregate::NewsDelegate(&OnNews));
        ServiceManagerConfig* config = services.GetConfig();
        if (config != nullptr && config->HasRemoteConfig()) {
            User* user = services.GetCurrentUser();
            news->LoadCachedNews(user);
            news->RefreshNews(user);
        }
    }
    Step(trace, "news callback");
    if (auto* analytics = services.GetServiceAggregate<IAnalyticsService>()) {
        analytics->ReportUserInformation();
    }
    Step(trace, "device report");
}

void AppendNumbered(std::vector<std::string>& names, const char* stem, int first, int last) {
    for (int i = first; i <= last; ++i) {
        names.push_back(std::string(stem) + std::to_string(i));
    }
}

}  // namespace

bool WantsAdvertisingProvider(const char* platformName) {
    return platformName == nullptr ||
           (std::strcmp(platformName, "iPad") != 0 && std::strcmp(platformName, "iPod Touch 4G") != 0);
}

const std::vector<std::string>& GameSoundNames() {
    static const std::vector<std::string> s_names = [] {
        std::vector<std::string> names;
        auto add = [&names](std::initializer_list<const char*> list) {
            for (const char* name : list) {
                names.emplace_back(name);
            }
        };
        add({"achievement", "act-change", "bean-collect", "bean-lp"});
        AppendNumbered(names, "blade-bean-", 1, 5);
        AppendNumbered(names, "blade-fire-", 1, 7);
        AppendNumbered(names, "blade-fire-impact-", 1, 5);
        AppendNumbered(names, "blade-guitar-hit-", 1, 4);
        AppendNumbered(names, "blade-paw-", 1, 3);
        AppendNumbered(names, "blade-paw-cut-", 1, 3);
        add({"bomb-bounce", "Bomb-explode", "Bomb-Fuse", "Bonus-drum-roll", "Bonus-Explosion-1", "Bonus-Explosion-3",
             "Bonus-Explosion-5", "bonus"});
        AppendNumbered(names, "bounce-", 1, 3);
        add({"button-press", "challenge-cross", "challenge-pass", "challenge-tick"});
        AppendNumbered(names, "Clean-Slice-", 1, 3);
        add({"coconut-bounce", "Combo"});
        AppendNumbered(names, "count-", 1, 3);
        add({"count-complete", "count-display", "Critical", "equip-new-sword", "equip-new-wallpaper", "equip-unlock",
             "extra-life", "final-score", "fruit-spawn", "Game-over", "Game-start", "gank", "hatch-close", "hatch-open",
             "Impact-Apple", "Impact-Banana", "Impact-Coconut-More-Attack", "Impact-Coconut", "Impact-kiwifruit",
             "Impact-Orange", "Impact-Pineapple", "Impact-Plum", "Impact-Strawberry", "Impact-Watermelon", "life-lose",
             "megabomb-bounce", "megafruit-bounce", "menu-bomb", "New-best-score", "Next-screen-button", "Pause",
             "pome-burst", "pome-lp", "pome-rampdown"});
        AppendNumbered(names, "pome-slice-", 1, 3);
        add({"pome-zoomout", "popup-1", "reflex", "silencio", "slot_spin_lp", "Splatter-Medium-1", "Splatter-Medium-2",
             "Splatter-Small-1", "Splatter-Small-2", "tally", "Throw-bomb", "Throw-fruit", "time-normal", "Time-tick",
             "Time-tock", "time-up", "time-urgent"});
        AppendNumbered(names, "togo-", 1, 5);
        add({"ui-door-close", "ui-door-open", "ui-panel-rotate", "ui-panel-stop", "ui-scroll", "ui-select", "Unpause",
             "Upsell-whoosh"});
        AppendNumbered(names, "VO_Bomb_", 1, 8);
        AppendNumbered(names, "VO_Combo_", 1, 14);
        AppendNumbered(names, "VO_Equip_", 1, 6);
        AppendNumbered(names, "VO_HighScore_", 1, 3);
        AppendNumbered(names, "VO_Life_", 1, 3);
        AppendNumbered(names, "Sword-swipe-", 1, 7);
        AppendNumbered(names, "Visceral-impact-", 1, 3);
        AppendNumbered(names, "Combo-", 1, 8);
        return names;
    }();
    return s_names;
}

void GameInit(StartupTrace* trace) {
    GameRecord& game = GetGameRecord();
    FrameRateController::Get().Init();
    // The controller's start reseeds the game-wide generator; a seeded run
    // starts it from its own seed instead.
    GlobalRandom().Reseed(0);
    const RunOptions& run = GetRunOptions();
    if (run.seeded) {
        GlobalRandom().Reseed(run.seed);
        std::srand(run.seed);
    }
    Step(trace, "frame-rate controller");
    RenderTransforms::Get().Reset();
    Step(trace, "render transforms");
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>("", false), 0, 0);
    Step(trace, "absolute paths");
    Renderer& renderer = Renderer::Get();
    renderer.SetViewport(0, renderer.GetViewportHeight(), 0, renderer.GetViewportWidth());
    Step(trace, "viewport");
    StringTables::Init();
    Step(trace, "string tables");

    StartServices(trace);

    renderer.Init(VarnokGame::Get(), kProductTitle, 0);
    Step(trace, "renderer");
    renderer.SetClearColour(Colour(0, 0, 0, 255));
    Step(trace, "clear colour");
    TextureManager& textures = TextureManager::Get();
    textures.SetCacheLimit(kTextureCacheFirstLimit);
    textures.SetCacheLimit(kTextureCacheLimit);
    ModelLoadList::Get().SetBudget(kModelLoadBudget);
    ResourceSystem::Initialise();
    Step(trace, "texture and model budgets");
    InputManager::Get().CreateDevices();
    Step(trace, "input devices");
    ParticleManager::Instance().LoadFile(ParticleManager::kFolder,
                                         IsFastDevice() ? ParticleManager::kFastFile : ParticleManager::kSlowFile);
    Step(trace, "particle definitions");

    CreateCoreObjects(trace);

    game.camera = new GameCamera(GlobalRandom());
    game.pointerPressed = false;
    game.pointerReleased = false;
    game.pointerDown = false;
    game.pointerPos = Vector3{};
    game.countdownTimer = nullptr;
    game.playTimeMs = GetTime() * 1000;
    Step(trace, "camera");
    game.camera->SetPerspective(kCameraNear, kCameraFar, kCameraHorizontalFov, kCameraVerticalFov);
    Step(trace, "camera projection");
    for (BitmapFont*& font : game.bitmapFonts) {
        font = nullptr;
    }
    LoadLocalizedTexture(game.backIcon, kBackIcon);
    Step(trace, "back icon");

    FruitCatalogue::Get().Load();
    Step(trace, "fruit catalogue");
    SplatterLayer::Get().LoadResources();
    Step(trace, "splatter texture");
    Slash::LoadResources();
    Step(trace, "blade textures");
    Bomb::LoadResources();
    SuperFruitEvent::LoadResources();
    Step(trace, "bomb models");
    LoadSoundNames();
    Step(trace, "sound names");
    LoadFonts();
    Step(trace, "fonts");
    LoadPaintStrokeTexture();
    Step(trace, "paint stroke");
    AchievementManager::Instance().PreparePopups();
    Step(trace, "unlock pop-up texts");
    SetSessionHost(&s_sessionHost);
    Step(trace, "session host");
    // Before the flow loads the UI project, whose set-up reaches the keyboard.
    if (s_uiHost == nullptr) {
        s_uiHost = std::make_unique<ApplicationUIHost>();
    }
    s_uiHost->Install();
    Step(trace, "UI host");
}

void CreateCoreObjects(StartupTrace* trace) {
    GameRecord& game = GetGameRecord();
    game.modeIndex = 0;
    SoundManager& sounds = SoundManager::Get();
    game.soundPlayer = new SoundPlayer(sounds);
    // The voice-over manager outlives a shutdown (voices may still call it
    // back): a second start in the same process keeps it.
    if (game.voiceOver == nullptr) {
        game.voiceOver = new VoiceOverManager(sounds);
    }
    Step(trace, "sound player and voice-over");
    game.promoSelector = 0;
    game.savedGameState = false;
    game.stats = new GameStats();
    Step(trace, "statistics");
    const VarnokGame* application = VarnokGame::Get();
    SaveFile::SetProgramVersion(application != nullptr ? application->GetVersionText() : nullptr);
    SaveFile::Load(*game.stats);
    Step(trace, "save file");
    game.modeIndex = game.stats->mode;
    ResetForNewGame();
    game.soundOn = game.stats->Get("soundOff") == 0;
    game.musicOn = game.stats->Get("musicOff") == 0;
    game.voiceOn = game.stats->Get("voOff") == 0;
    // From here on the record's switches are the truth; saving writes them
    // back as statistics.
    for (const char* name : {"soundOff", "musicOff", "voOff"}) {
        const int32_t value = game.stats->Get(name);
        game.stats->Add(name, -value, 0, 1);
    }
    Step(trace, "sound switches");
    BladeColourCycle::Reset();
    Step(trace, "blade colours");
    // Fired unlocks reach the services, the items and the pop-ups; counted
    // statistics reach the achievement checks.
    AchievementManager& achievements = AchievementManager::Instance();
    achievements.Load();
    game.stats->SetWatcher(&achievements);
    UnlockQueue::Get().SetHost(&GameUnlockHost::Get());
    ItemManager::Instance().SetNewItemListener(&ShopScreen::ForgetScrollPosition);
    Step(trace, "achievements");
    BonusAwards::Instance().Load();
    Step(trace, "bonus awards");
    const float sizeMultiplier = game.languageIndex == kRussian ? 0.9f : 1.0f;
    if (!FontManager::Get().Init(1.0f, sizeMultiplier, kFontAtlasFormat, false)) {
        Log("GameStartup: the font manager did not start: %s", FontManager::Get().GetErrorText());
    }
    Step(trace, "font manager");
}

void LoadFonts() {
    GameRecord& game = GetGameRecord();
    FontManager& fonts = FontManager::Get();
    UIManager& ui = UIManager::Get();
    const int language = game.languageIndex;
    if (language == 11 || language == 12 || language == 13) {
        // Both from the font manager, as every font here: one atlas for all.
        game.mainFont = fonts.GetFont(kChineseFont);
        game.secondFont = fonts.GetFont(kChineseFont);
        ui.SetOverrideFont(AsciiString(kChineseFont));
    } else {
        Font* fallback = fonts.GetFont(kChineseFont);
        game.mainFont = fonts.GetFont(kMainFont);
        game.secondFont = fonts.GetFont(kSecondFont);
        if (game.mainFont != nullptr && fallback != nullptr) {
            game.mainFont->AddFallback(fallback);
        }
        if (game.secondFont != nullptr && fallback != nullptr) {
            game.secondFont->AddFallback(fallback);
        }
    }
    if (game.secondFont != nullptr && game.mainFont != nullptr && game.secondFont != game.mainFont) {
        game.secondFont->AddFallback(game.mainFont);
    }
    ui.SetFontsReady(true);
}

void LoadPaintStrokeTexture() {
    GameRecord& game = GetGameRecord();
    game.paintStroke = TextureManager::Get().GetTexture(kPaintStroke);
    game.paintStrokeColour = GameRecord::kPaintStrokeColour;
}

void LoadSoundNames() {
    SoundManager& sounds = SoundManager::Get();
    for (const std::string& name : GameSoundNames()) {
        sounds.Preload(name.c_str());
    }
}

void GameShutdown() {
    GameRecord& game = GetGameRecord();
    SetSessionHost(nullptr);
    s_uiHost.reset();  // leaves the UI manager
    DestroyCurrentMode();  // a round still running at exit
    PopupOverlay::Get().ReleaseResources();
    delete game.screenList;  // left by the flow's exit already; null then
    game.screenList = nullptr;
    delete game.camera;
    game.camera = nullptr;
    for (BitmapFont*& font : game.bitmapFonts) {
        font = nullptr;  // nothing fills them
    }
    UnlockQueue::Get().SetHost(nullptr);
    PowerManager::Instance().Clear();
    AchievementManager::Instance().Clear();
    ItemManager::Instance().DestroyItems();
    delete game.stats;
    game.stats = nullptr;
    delete game.soundPlayer;
    game.soundPlayer = nullptr;
    // The voice-over manager is kept: voices may still call it back.
    game.loadedScreens.reset();
    game.backIcon = SmartPtr<Texture>();
    game.paintStroke = SmartPtr<Texture>();
    // Providers write their last files as they go (the online library its
    // users, analytics its queue): they must go while the save folder is
    // still mounted, or what they held is lost.
    ServiceManager& services = ServiceManager::Get();
    std::vector<std::string> providers;
    for (const auto& entry : services.GetProviders()) {
        providers.emplace_back(entry.first.c_str());
    }
    for (auto name = providers.rbegin(); name != providers.rend(); ++name) {
        services.RemoveProvider(name->c_str());
    }
    FileSystemRegistry::Get().Clear();
    ParticleManager::Instance().Destroy();
    StringTables::Release();
    Bomb::UnloadResources();
    FruitCatalogue::Get().Unload();
    SplatterLayer::Get().Release();
    Slash::UnloadResources();
    InputManager::Get().Shutdown();
    ResourceSystem::Shutdown();
    ModelLoadList::Get().Clear();
    ImmediatePrimitiveRenderer::Get().Release();
    ShaderProgramCache::Get().Release();
    FrameRateController::Get().Shutdown();
    game.mainFont = nullptr;
    game.secondFont = nullptr;
    FontManager::Get().Shutdown();
}

}  // namespace Varnok
