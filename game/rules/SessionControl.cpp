// The session's phase changes over the game record.
#include "game/rules/SessionControl.h"

#include "engine/core/AsciiString.h"
#include "engine/ui/Component.h"
#include "game/rules/ClassicMode.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/GameCamera.h"
#include "game/world/SplatterLayer.h"
#include "game/world/SuperFruitEvent.h"
#include "game/world/WaveManager.h"

#include <algorithm>

namespace Varnok {

namespace {

constexpr float kBombExplosionSeconds = 3.2f;
constexpr float kMenuBombExplosionSeconds = 2.0f;
constexpr float kShakeSeconds = 1.6f;
constexpr float kShakeKick = 2.0f;
constexpr float kShakeRadius = 9.0f;
constexpr float kRetryDelaySeconds = 0.1f;
constexpr float kRetrySplatterLife = 0.15f;
constexpr float kRetrySplatterFade = 0.25f;
constexpr const char* kFullscreenSpace = "FULLSCREEN_SPACE";

SessionHost s_defaultHost;
SessionHost* s_host = &s_defaultHost;

void PlayEffect(const char* name) {
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (sounds != nullptr) {
        sounds->PlayAlways(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

void ClearGameOverStats() {
    if (GameStats* stats = GetGameRecord().stats) {
        stats->go_body = stats->go_head = stats->go_fruit = stats->go_fact = -1;
    }
}

}  // namespace

DateTime SessionHost::LocalTime() {
    DateTime now;
    GetDateTime(&now, 1);
    return now;
}

void SetSessionHost(SessionHost* host) {
    s_host = host != nullptr ? host : &s_defaultHost;
}

SessionHost& GetSessionHost() {
    return *s_host;
}

SessionState& GetSessionState() {
    static SessionState state;
    return state;
}

bool IsGraveyardHour(int hour) {
    return hour >= 2 && hour <= 4;
}

void CreateGameMode() {
    GameRecord& record = GetGameRecord();
    DestroyCurrentMode();
    if (!record.fullscreenAdPreloaded && s_host->PreloadFullscreenAd(kFullscreenSpace)) {
        record.fullscreenAdPreloaded = true;
    }
    if (record.modeIndex == 0) {
        record.currentMode = new ClassicMode();
    }
    // The challenge mode joins here with its own round data.
}

void StartNewRound() {
    GameRecord& record = GetGameRecord();
    record.coinsAtRoundStart = record.coins;
    WaveManager& waves = WaveManager::Instance();
    waves.ResetTimeScale();
    waves.Reset(0);
    record.notInPlay = true;
    Component* hud = record.currentMode != nullptr ? record.currentMode->ShowHud() : nullptr;
    record.savedGameState = true;
    if (hud != nullptr) {
        // The pause button's listener joins with the game's button class.
        hud->PlayAnimation(AsciiString("animate_in"), true);
    }
}

void BeginPlay() {
    GameRecord& record = GetGameRecord();
    SetScore(0);
    ClearGameOverStats();
    record.coinsAtRoundStart = record.coins;
    WaveManager::RemoveActiveFruitsAndBombs();
    WaveManager::Instance().Reset(1);
    record.menuPhase = 0.0f;
    record.notInPlay = false;
    record.roundStartPending = false;
    s_host->HideMainMenu();
}

void PauseGame(int /*restore*/) {
    GameRecord& record = GetGameRecord();
    if (record.paused || !record.savedGameState) {
        return;
    }
    record.menuPhase = 0.0f;
    s_host->HideMainMenu();
    InGameMode* mode = record.currentMode;
    bool open = true;
    if (record.modeIndex == 1) {
        open = !record.notInPlay && mode != nullptr && mode->CanPause();
    } else if (record.modeIndex == 0) {
        open = record.bombExplosionTime == 0.0f && !record.notInPlay && mode != nullptr && mode->CanPause();
    }
    if (open) {
        s_host->OpenPauseScreen();
        ++GetSessionState().pauseOpened;
        record.paused = true;
    }
}

void OnPauseButtonEvent(Component* /*button*/, bool& handled) {
    GameRecord& record = GetGameRecord();
    if (s_host->IsInputBlocked()) {
        handled = true;
        return;
    }
    if (record.bombExplosionTime > 0.0f || record.paused || record.notInPlay) {
        handled = false;
        return;
    }
    OpenPauseScreen();
    handled = true;
}

void OpenPauseScreen() {
    GameRecord& record = GetGameRecord();
    if (record.paused || record.bombExplosionTime > 0.0f || record.notInPlay) {
        return;
    }
    record.paused = true;
    GetSessionState().resumeRequested = false;
    s_host->OpenPauseScreen();
    ++GetSessionState().pauseOpened;
    if (record.currentMode != nullptr) {
        record.currentMode->OnPause();
    }
}

void ResumeGameFromPause() {
    GetSessionState().resumeRequested = true;
    if (InGameMode* mode = GetGameRecord().currentMode) {
        mode->OnResume();
    }
}

void OnBombExplosion(const Vector3& position) {
    GameRecord& record = GetGameRecord();
    if (record.notInPlay) {
        return;
    }
    if (record.stats != nullptr) {
        record.stats->Add("bomb", 1, 1, 1);
    }
    record.bombExplosionTime = kBombExplosionSeconds;
    if (record.camera != nullptr) {
        record.camera->StartShake(position, kShakeSeconds, kShakeKick, kShakeRadius);
    }
    SessionState& session = GetSessionState();
    session.explosionPoint = position;
    session.menuBombSliced = false;
    PlayEffect("Bomb-explode");
}

void OnMenuBombExplosion(const Vector3& position) {
    GameRecord& record = GetGameRecord();
    PlayEffect("menu-bomb");
    record.bombExplosionTime = kMenuBombExplosionSeconds;
    SessionState& session = GetSessionState();
    session.explosionPoint = position;
    session.menuBombSliced = true;
}

void EndGameAndShowResults(int32_t reason) {
    GameRecord& record = GetGameRecord();
    if (record.notInPlay) {
        return;  // a game ends once
    }
    record.notInPlay = true;
    WaveManager::RemoveActiveFruitsAndBombs();
    s_host->OpenResultsScreen();
    ++GetSessionState().resultsOpened;
    s_host->SetMusicTrack("Music-menu");
    ClearGameOverStats();
    if (reason != -1 || record.stats == nullptr) {
        return;
    }
    GameStats& stats = *record.stats;
    const DateTime now = s_host->LocalTime();
    if (IsGraveyardHour(now.hour)) {
        stats.Add("games_at_grave_yard_time", 1, 1, 1);
    }
    const int mode = std::clamp(record.modeIndex, 0, GameStats::kModeCount - 1);
    stats.RecordPlayedDay(mode, DayNumberOf(now.yearsSince1900 + 1900, now.month, now.dayOfMonth));
}

void QuitToMainMenu(int /*playIdle*/) {
    GameRecord& record = GetGameRecord();
    SuperFruitEvent::EndAll();
    WaveManager::Instance().SetTimeScale(1.0f);
    record.notInPlay = true;
    record.savedGameState = false;
    DestroyCurrentMode();
    SetScore(0);
}

void StartRetryTransition() {
    GameRecord& record = GetGameRecord();
    record.roundStartPending = true;
    record.roundStartDelay = kRetryDelaySeconds;
    SuperFruitEvent::EndAll();
    WaveManager::Instance().SetTimeScale(1.0f);
    record.notInPlay = true;
    // The old round's juice fades out quickly under the new one.
    SplatterLayer& splatters = SplatterLayer::Get();
    for (int i = 0; i < splatters.GetCount(); ++i) {
        SplatterRecord& splatter = splatters.GetRecord(i);
        splatter.life = std::min(kRetrySplatterLife, splatter.life);
        splatter.fadeRate = kRetrySplatterFade;
    }
}

}  // namespace Varnok
