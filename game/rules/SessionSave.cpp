// Saving a session: the snapshot of the running game goes into a copy of the
// statistics store, which the save file then writes whole.
#include "game/rules/SessionControl.h"

#include "game/rules/ClassicMode.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/Items.h"
#include "game/rules/SaveFile.h"
#include "game/world/Fruit.h"
#include "game/world/GameCamera.h"
#include "game/world/WaveManager.h"

namespace Varnok {
namespace {

bool s_saveInProgress = false;

// Classic states whose save is a game already over (its game-over sequence).
bool IsClassicGameOver(int32_t modeState) {
    return modeState == ClassicMode::GameOver || modeState == ClassicMode::Finished;
}

void TakeRecordSnapshot(const GameRecord& game, GameStats& copy) {
    copy.hasDropped = game.fruitMissed ? 1 : 0;
    copy.score = GetScore();
    copy.misses = GetModeSaveState();
    copy.mode = game.modeIndex;
    copy.consecutiveType = Fruit::GetLastSlicedKind();
    copy.consecutiveCount = Fruit::GetSameKindRun();
    copy.critical_chance = game.criticalCountdown;
    copy.go_bombHitTime =
        game.bombExplosionTime > 0.0f && !GetSessionState().menuBombSliced ? game.bombExplosionTime : 0.0f;
    copy.go_state = -1;
    copy.go_time = -1.0f;
    copy.go_body = copy.go_head = copy.go_fruit = copy.go_fact = -1;
    copy.go_showHighScore = 0;
    copy.go_setScore = 0;
    copy.go_transition = 0.0f;
    if (game.camera != nullptr) {
        copy.shake_time = game.camera->shakeTime;
        copy.shake_max_time = game.camera->shakeLength;
    }
    copy.gameState = 0;
    copy.modeState = -1;
    copy.modeTime = 0.0f;
    copy.hasChallengeData = 0;
}

void TakeGameSnapshot(const GameRecord& game, GameStats& copy) {
    copy.gameState = game.savedGameState ? 1 : 0;
    if (game.modeIndex == 0) {
        if (const auto* classic = dynamic_cast<const ClassicMode*>(game.currentMode)) {
            classic->CaptureSaveState(copy);
            if (IsClassicGameOver(copy.modeState)) {
                copy.gameState = 2;
                copy.go_state = -1;
                copy.go_time = -1.0f;
            }
        }
    }
    if (copy.gameState == 1) {
        (void)WaveManager::Instance().SaveState(copy);
        copy.roundInPlay = game.savedGameState ? 1 : 0;
    } else {
        copy.roundInPlay = 0;
    }
}

}  // namespace

bool SaveGame(int includeGame) {
    GameRecord& game = GetGameRecord();
    if (game.stats == nullptr) {
        return false;
    }
    s_saveInProgress = true;
    const bool itemsSaved = ItemManager::Instance().Save();
    GameStats copy(*game.stats);
    TakeRecordSnapshot(game, copy);
    if (includeGame == 1) {
        TakeGameSnapshot(game, copy);
    } else {
        copy.roundInPlay = 0;
    }
    // Start-up turns these back into the record's switches.
    if (!game.soundOn) {
        copy.Add("soundOff", 1, 0, 1);
    }
    if (!game.musicOn) {
        copy.Add("musicOff", 1, 0, 1);
    }
    if (!game.voiceOn) {
        copy.Add("voOff", 1, 0, 1);
    }
    const bool saved = SaveFile::Write(copy);
    s_saveInProgress = false;
    return saved && itemsSaved;
}

void SaveOnSuspend() {
    GameRecord& game = GetGameRecord();
    if (s_saveInProgress || game.screenList == nullptr) {
        return;
    }
    GetSessionHost().NotifyBeforeSave();
    (void)SaveGame(1);
}

bool IsSaveInProgress() {
    return s_saveInProgress;
}

}  // namespace Varnok
