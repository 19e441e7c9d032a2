// The game flow's set-up, frame update, frame render and tear-down.
#include "game/GameFlow.h"

#include "game/AutoPlay.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/HashName.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/iOS/PopupOverlay.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureManager.h"
#include "engine/services/ServiceManager.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/ClassicMode.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/rules/InputActions.h"
#include "game/rules/MusicController.h"
#include "game/rules/RunOptions.h"
#include "game/rules/SessionControl.h"
#include "game/rules/Items.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/VoiceOverManager.h"
#include "game/screens/AchievementPopup.h"
#include "game/screens/CountdownTimer.h"
#include "game/screens/GameHud.h"
#include "game/screens/GameUi.h"
#include "game/screens/MainMenuScreen.h"
#include "game/screens/ScreenList.h"
#include "game/screens/SwipeHint.h"
#include "game/world/Blast.h"
#include "game/world/Fruit.h"
#include "game/world/FruitRay.h"
#include "game/world/GameCamera.h"
#include "game/world/ParticleManager.h"
#include "game/world/Slash.h"
#include "game/world/WaveManager.h"
#include "game/world/SplatterLayer.h"
#include "game/world/WorldObject.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr const char* kSoundBank = "Sound/Tamberlo";
constexpr int kSoundBankBytes = 524288;
constexpr uint32_t kAllUpdateBits = 0xFFFFFFFFu;
constexpr uint32_t kPausedUpdateBits = 2;
constexpr int kUiLayerBackground = 0;
constexpr int kUiLayerOverlay = 99;
constexpr int kUiLayerDebug = 100;
constexpr int kUiLayerAll = 1337;
constexpr float kFlashGrowEnd = 0.4f;
constexpr float kFlashLargest = 15000.0f;
constexpr float kPlayfieldClearTime = 1.5f;

bool IsFastDevice() {
    const VarnokGame* game = VarnokGame::Get();
    return game == nullptr || game->IsFastHardware();
}

TouchFollower* SlashForSlotThunk(int slot) {
    return GameFlow::Get().GetSlash(slot);
}

}  // namespace

const char* const GameFlow::kScreens[15] = {
    "inGameClassic",
    "inGameChallengeHud",
    "mainscreen",
    "extras",
    "gamemode",
    "newsscreen",
    "shopScreen",
    "inGameChallengeBackground",
    "inGameChallengeScoreScreen",
    "inGameChallengeScoreScreenComplete",
    "inGameChallengeScoreScreenCompleteFailure",
    "inGameChallengeInstructionsScreen",
    "inGameChallengeMapScreen",
    "pause",
    "results",
};

GameFlow& GameFlow::Get() {
    static GameFlow flow;
    return flow;
}

GameFlow::GameFlow() {
    AchievementManager::Instance().SetNamedUnlockCallback(
        AchievementManager::NamedUnlockCallback(this, &GameFlow::ShowNamedUnlockPopup));
}

void GameFlow::ShowNamedUnlockPopup(const char* name, int kind) {
    if (kind != AchievementPopup::kItem || name == nullptr || name[0] == '\0') {
        return;
    }
    auto* popup = new AchievementPopup(name, 0, SmartPtr<Texture>(), kind, "");
    popup->Open();
    // Two unlocks within one frame: the earlier pop-up goes to the list now
    // rather than being dropped.
    if (m_pendingPopup != nullptr) {
        if (ScreenList* screens = GetGameRecord().screenList) {
            screens->Add(m_pendingPopup);
        } else {
            delete m_pendingPopup;
        }
    }
    m_pendingPopup = popup;
}

void GameFlow::Enter(int /*argument*/) {
    if (!m_setUp) {
        SetUp();
    }
    Renderer::Get().SetAlphaTest(false);
}

void GameFlow::SetUp() {
    GameRecord& game = GetGameRecord();
    m_setUpSteps.clear();
    if (game.screenList == nullptr) {
        game.screenList = new ScreenList();
    }
    game.screenList->Clear();
    GameHud::Create(kPopupCount, *game.screenList);
    Step("screen list and HUD");

    auto* timer = new CountdownTimer();
    game.countdownTimer = timer;
    timer->Open();
    timer->SetStartTime(kCountdownStart);
    game.screenList->Add(timer);
    Step("countdown timer");

    game.paused = false;
    m_resumeRequested = false;
    m_setUp = true;
    if (!SoundManager::Get().Init(kSoundBank, kSoundBankBytes, 0)) {
        Log("GameFlow: the sound manager did not start; the game runs silent");
    }
    Step("sound manager");

    WorldObject::CreatePool(std::max(kWorldPoolBytes, kWorldObjectPoolBytes));
    WorldObjectManager& world = WorldObjectManager::Instance();
    world.Init(kWorldObjectTypeCount, kWorldListBytes);
    world.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));
    world.SetTypeNameLookup(WorldObjectManager::TypeNameLookup(&WorldObjectTypeFromName));
    Step("world objects");

    auto* hint = new SwipeHint();
    game.swipeHint = hint;
    hint->Open();
    Step("swipe hint");

    RegisterGameUiComponents();
    Step("game UI");
    UIManager& ui = UIManager::Get();
    if (ui.LoadScreenEnabled(AsciiString("Background")) == nullptr) {
        Log("GameFlow: no \"Background\" screen");
    }
    Step("background screen");
    ItemManager::Instance().Load();
    Step("items");
    if (game.loadedScreens == nullptr) {
        game.loadedScreens = std::make_unique<LoadedScreenMap>();
    }
    if (Component* about = ui.LoadScreen(AsciiString("about"))) {
        ShowScreenLayout(*game.loadedScreens, "about", 0);
        about->GetEnabledProperty()->Set(false);
    }
    Step("about screen");
    for (const char* name : kScreens) {
        if (ui.LoadScreen(AsciiString(name)) == nullptr) {
            Log("GameFlow: no \"%s\" screen", name);
        }
    }
    Step("screens");

    // Made now so that the first waves and bombs take them from the free pool.
    for (int i = 0; i < kPrecreated; ++i) {
        for (WorldObjectType type : {WorldObjectType::Fruit, WorldObjectType::Bomb, WorldObjectType::Blast}) {
            if (WorldObject* object = world.Acquire(static_cast<uint32_t>(type))) {
                object->flags |= WorldObject::kFlagSuspended | WorldObject::kFlagDead;
            }
        }
    }
    Step("waiting fruit, bombs and blasts");
    m_flashTexture = TextureManager::Get().GetTexture(kFlashTexture);
    Step("flash texture");
    SplatterLayer::Get().Create(kSplatterRecords);
    Step("splatter layer");

    m_mainMenu = new MainMenuScreen();
    game.mainMenu = m_mainMenu;
    m_mainMenu->Open();
    m_mainMenu->m_persistent = true;
    game.notInPlay = true;
    game.menuPhase = -1.0f;
    game.screenList->Add(m_mainMenu);
    game.screenList->Add(hint);
    Step("main menu");

    WaveManager::Instance().Load();
    Step("wave lists");

    for (int i = 0; i < kSlashes; ++i) {
        m_slashes[i] = static_cast<Slash*>(world.Acquire(static_cast<uint32_t>(WorldObjectType::Slash)));
        if (m_slashes[i] != nullptr) {
            m_slashes[i]->Spawn();
        }
    }
    BindInputActions(SlashSource(&SlashForSlotThunk));
    Step("input actions");
    ClassicMode::LoadConfig();
    Step("classic settings");

    ui.Update(kFirstUiUpdate);
    Step("first UI update");
    ui.SetSoundSwitch(!game.soundOn);
    if (game.soundPlayer != nullptr) {
        game.soundPlayer->SetEnabled(game.soundOn);
    }
    if (game.voiceOver != nullptr) {
        game.voiceOver->SetEnabled(game.voiceOn);
    }
    Step("sound switches");
    if (GetRunOptions().autoplay == "classic") {
        AutoPlayGame::StartClassicRound();
        Step("classic round for the bot");
    }
}

void GameFlow::Update(float stepSeconds, bool active) {
    GameRecord& game = GetGameRecord();
    ScreenList* screens = game.screenList;
    if (m_pendingPopup != nullptr && screens != nullptr) {
        screens->Add(m_pendingPopup);
        m_pendingPopup = nullptr;
    }
    UpdateInputBlock(stepSeconds);
    AgeTouchStates();
    InputManager::Get().Update(stepSeconds);
    game.backgroundDelta = Vector2{game.backgroundPos.x - game.backgroundPrevPos.x,
                                   game.backgroundPos.y - game.backgroundPrevPos.y};
    game.backgroundPrevPos = game.backgroundPos;

    SoundManager::Get().Update();
    if (game.soundPlayer != nullptr) {
        game.soundPlayer->Update();
    }
    if (game.voiceOver != nullptr) {
        game.voiceOver->Update(stepSeconds);
    }
    MusicController::Instance().Update(stepSeconds);
    ItemManager::Instance().UpdateSounds(stepSeconds);
    if (game.musicOn && game.menuPhase < 0.0f && !m_menuMusicStarted) {
        MusicController::Instance().SetTrack("Music-menu");
        m_menuMusicStarted = true;
    }
    UpdateUpsideDownTimer(stepSeconds);

    WorldObjectManager& world = WorldObjectManager::Instance();
    WaveManager& waves = WaveManager::Instance();
    float step = stepSeconds;
    float cameraStep = stepSeconds;
    SplatterFrame splatterFrame;
    splatterFrame.frameStep = game.frameStep;
    splatterFrame.backgroundDelta = game.backgroundDelta;
    splatterFrame.liveWorldObjects = world.Count();
    splatterFrame.fastDevice = IsFastDevice();
    if (active) {
        if (game.stats != nullptr) {
            game.stats->roundInPlay = 0;
        }
        if (game.flashTimer > 0.0f) {
            game.flashTimer -= stepSeconds;
        }
        m_fastForwardBoost = std::max(1.0f, m_fastForwardBoost - stepSeconds * (game.fastForward ? 5.0f : 10.0f));
        const float scale = m_fastForwardBoost;
        game.frameStep *= scale;
        game.fastForward = false;
        Slash::UpdateAfterglows(stepSeconds);
        SplatterLayer::Get().Update(stepSeconds, splatterFrame);
        step = stepSeconds * scale;
        float worldStep = 0.0f;
        if (game.bombExplosionTime > 0.0f) {
            // The explosion sequence runs with the bombs; until then the
            // time only falls and the world stands still.
            const float before = game.bombExplosionTime;
            game.bombExplosionTime = std::max(0.0f, game.bombExplosionTime - step);
            // A bomb sliced in a classic game ends it as the play field clears.
            if (before > kPlayfieldClearTime && game.bombExplosionTime <= kPlayfieldClearTime && !game.notInPlay &&
                !GetSessionState().menuBombSliced && game.currentMode != nullptr &&
                game.currentMode->GetModeType() == InGameMode::kClassic) {
                static_cast<ClassicMode*>(game.currentMode)->EndGame();
            }
        } else {
            if (game.stats != nullptr) {
                game.stats->roundInPlay = 1;
            }
            waves.Update(step);
            worldStep = step * waves.GetGameSpeed();
        }
        cameraStep = step;
        if (game.currentMode != nullptr) {
            game.currentMode->Update(step);
        }
        if (worldStep == 0.0f && game.menuPhase < 0.0f) {
            worldStep = step;  // the menus keep moving during an explosion
        }
        world.UpdateAll(worldStep);
    } else {
        game.fastForward = false;
        if (game.paused && game.stats != nullptr) {
            game.stats->roundInPlay = 1;
        }
        Slash::UpdateAfterglows(0.0f);
        for (Slash* slash : m_slashes) {
            if (slash != nullptr) {
                slash->Update(stepSeconds);
                slash->PostUpdate(stepSeconds);
            }
        }
        waves.Update(0.0f);
    }
    // A slowed game slows its particles with it; a speed-up does not hurry them.
    m_particleStepDivisor = 1.0f;
    if (!game.paused) {
        const float speed = waves.GetGameSpeed();
        m_particleStepDivisor = std::max(1.0f, 1.0f / (speed == 0.0f ? 1.0f : speed));
    }
    ParticleManager::Instance().UpdateSystems(step / m_particleStepDivisor, game.paused);
    if (game.camera != nullptr) {
        game.camera->Update(cameraStep);
    }
    if (screens != nullptr) {
        if (game.fastForward && step > 0.0f) {
            for (float left = step; left > 0.0f; left -= 1.0f / 60.0f) {
                screens->UpdateAll(std::min(1.0f / 60.0f, left));
            }
        } else if (step >= 0.0f) {
            screens->UpdateAll(step);
        }
    }
    if (game.fastForward) {
        m_fastForwardBoost = std::min(5.0f, m_fastForwardBoost * (IsSingleTouchHeld() ? 2.0f : 1.0f));
    }
    ServiceManager::Get().Update();
    if (game.roundStartPending) {
        if (game.roundStartDelay <= 0.0f) {
            BeginPlay();
            game.roundStartDelay = 0.0f;
        } else {
            game.roundStartDelay -= step;
        }
    }
    UIManager& ui = UIManager::Get();
    ui.SetUpdateMask(game.paused ? kPausedUpdateBits : kAllUpdateBits);
    ui.Update(step);
}

void GameFlow::Render(float stepSeconds, bool /*active*/) {
    GameRecord& game = GetGameRecord();
    Renderer& renderer = Renderer::Get();
    if (renderer.IsReady()) {
        UIManager& ui = UIManager::Get();
        WorldObjectManager& world = WorldObjectManager::Instance();
        ScreenList* screens = game.screenList;
        GameCamera* camera = game.camera;
        ParticleManager& particles = ParticleManager::Instance();
        const float particleStep = stepSeconds / m_particleStepDivisor;
        auto pass = [camera](int kind) {
            if (camera != nullptr) {
                camera->SetupPass(kind);
            }
        };
        auto depth = [&renderer](bool write, bool test) {
            renderer.SetDepthWrite(write);
            renderer.SetDepthTest(test);
        };
        depth(false, false);
        renderer.SetPackedColour(0xFF000000u);
        pass(GameCamera::kPassScreen);
        ui.Draw(kUiLayerBackground);
        pass(GameCamera::kPassScreen);
        depth(true, true);
        const float noTint[3] = {1.0f, 1.0f, 1.0f};
        SplatterLayer::Get().Render(screens != nullptr ? screens->m_worldTint : noTint);
        depth(false, false);
        ui.Draw(kUiLayerOverlay);
        depth(true, true);

        pass(GameCamera::kPassWorld);
        renderer.SetPackedColour(0xFFFFFFFFu);
        renderer.SetCullMode(kCullCounterClockwise);
        if (m_drawWorldObjects) {
            world.RenderAll();
        }
        renderer.SetPackedColour(0xFF000000u);

        pass(GameCamera::kPassWorldAgain);
        depth(false, false);
        if (screens != nullptr) {
            screens->PreRenderAll(stepSeconds);
            screens->RenderLayer(0x40);
        }
        ui.Draw(kUiLayerDebug);

        pass(GameCamera::kPassWorld);
        renderer.SetDepthTest(true);
        renderer.SetDepthWrite(false);
        Slash::RenderAfterglows();
        Blast::RenderAll();
        FruitRay::RenderAll();
        if (screens != nullptr) {
            screens->RenderLayer(0x80);
        }
        particles.Render(particleStep, game.paused, -1);
        renderer.SetDepthTest(false);
        if (game.bombExplosionTime <= 0.0f) {
            pass(GameCamera::kPassScreen);
            for (Slash* slash : m_slashes) {
                if (slash != nullptr) {
                    slash->RenderTrail();
                }
            }
        }
        pass(GameCamera::kPassWorld);
        particles.Render(particleStep, game.paused, 0);
        if (screens != nullptr) {
            screens->RenderLayer(0x1);
        }
        pass(GameCamera::kPassWorld);
        particles.Render(particleStep, game.paused, 1);
        pass(GameCamera::kPassScreen);
        WaveManager::RenderPowers(false);
        if (screens != nullptr) {
            screens->RenderLayer(0x8);
        }
        if (IsFastDevice() && game.flashTimer > 0.0f) {
            RenderScreenFlash();
        }
        depth(false, false);
        for (int layer = 1; layer <= 3; ++layer) {
            ui.Draw(layer);
        }
        pass(GameCamera::kPassWorldAgain);
        particles.Render(particleStep, game.paused, 2);
        if (screens != nullptr) {
            screens->RenderLayer(0x200);
        }
        depth(false, false);
        ui.Draw(kUiLayerAll);
        ui.Draw(kUiLayerAll);
        renderer.SetDepthTest(true);
        renderer.SetDepthWrite(false);
        PopupOverlay& overlay = PopupOverlay::Get();
        if (overlay.IsVisible() && m_mainMenu != nullptr && m_mainMenu->m_state == 11) {
            overlay.Draw();
        }
    }
    if (m_resumeRequested && game.paused) {
        m_resumeRequested = false;
        static const char kPauseBindings[] = "Input/PauseMenu.txt";
        InputManager::Get().RemoveActionListeners(HashName(kPauseBindings, sizeof(kPauseBindings) - 1));
        game.paused = false;
    }
}

void GameFlow::RenderScreenFlash() {
    const float t = GetGameRecord().flashTimer;
    if (t > kFlashSeconds || !m_flashTexture) {
        return;
    }
    const float grown = std::clamp(1.0f - (t - kFlashGrowEnd) / (kFlashSeconds - kFlashGrowEnd), 0.0f, 1.0f);
    const float size = kFlashLargest * grown;
    const float halfWidth = std::min(size, LogicalScreenWidth());
    const float halfHeight = std::min(size, LogicalScreenHeight());
    const float alphaScale = std::min(1.0f, std::floor(t * static_cast<float>(m_flashColour.a)) /
                                                std::max(1.0f, static_cast<float>(m_flashColour.a)));
    Matrix4 world = Matrix4::Identity();
    Matrix4::Scale(world, 2.0f * halfWidth, 2.0f * halfHeight, 1.0f);
    world.m[12] = m_flashPoint.x;
    world.m[13] = m_flashPoint.y;
    world.m[14] = m_flashPoint.z;
    RenderTransforms::Get().World().Set(world);
    RenderTransforms::Get().Apply(false);
    m_flashTexture->Bind();
    const uint8_t alpha = static_cast<uint8_t>(alphaScale * static_cast<float>(m_flashColour.a));
    DrawColouredQuad(Colour(m_flashColour.r, m_flashColour.g, m_flashColour.b, alpha));
    m_flashTexture->Unbind();
}

void GameFlow::Exit() {
    GameRecord& game = GetGameRecord();
    if (!IsSaveInProgress()) {
        if (game.screenList != nullptr) {
            game.screenList->NotifyBeforeSave();
        }
        (void)SaveGame(1);
    }
    // The mode holds its HUD's layout, which the UI shutdown deletes.
    DestroyCurrentMode();
    UIManager::Get().Shutdown();
    m_resumeRequested = false;
    for (Slash*& slash : m_slashes) {
        slash = nullptr;
    }
    WaveManager::Instance().Unload();
    m_flashTexture = SmartPtr<Texture>();
    ParticleManager::Instance().Clear();
    UnbindInputActions();
    if (game.screenList != nullptr) {
        game.screenList->Clear();
        delete m_mainMenu;
        delete game.screenList;
        game.screenList = nullptr;
    }
    m_mainMenu = nullptr;
    game.mainMenu = nullptr;
    game.countdownTimer = nullptr;
    game.swipeHint = nullptr;
    delete m_pendingPopup;  // never reached the screen list
    m_pendingPopup = nullptr;
    GameHud::Destroy();
    WorldObjectManager& world = WorldObjectManager::Instance();
    world.Clear();
    world.Shutdown();
    WorldObject::DestroyPool();
    game.paused = false;
    m_setUp = false;
    ReleaseBackgroundTextures();
}

void GameFlow::StartScreenFlash(const Vector3& position, const Colour& colour) {
    m_flashPoint = position;
    m_flashColour = colour;
    GetGameRecord().flashTimer = kFlashSeconds;
}

bool GameFlow::IsMenuInputReady() const {
    return GetGameRecord().bombExplosionTime < 1.0f;
}

bool GameFlow::IsSingleTouchHeld() const {
    const GameRecord& game = GetGameRecord();
    int held = 0;
    for (const TouchRecord& touch : game.touches) {
        if (touch.state == 1.0f || touch.state == 2.0f) {
            ++held;
        }
    }
    return held == 1 && game.pointerPressed;
}

}  // namespace Varnok
