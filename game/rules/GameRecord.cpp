// The game record and its start-up values.
#include "game/rules/GameRecord.h"

#include "game/rules/GameFunctions.h"

namespace Varnok {

GameRecord& GetGameRecord() {
    static GameRecord record;
    return record;
}

void ResetForNewGame() {
    GameRecord& game = GetGameRecord();
    // The statistics store counts the session here ("sessions", with the
    // achievement check) once it exists.
    game.requestedState = GameRecord::kGameState;
    // Equal offsets, so that the first background movement is none.
    const Vector2 centre{LogicalScreenWidth(), LogicalScreenHeight()};
    game.backgroundPrevPos = centre;
    game.backgroundTarget = centre;
    game.backgroundPos = centre;
    game.bombSize = GameRecord::kBombSize;
    game.bombExplosionTime = 0.0f;
    game.flashTimer = 0.0f;
    // The critical countdown comes from the statistics store's
    // "critical_chance" once it exists; until then it stays as it is.
    game.fruitMissed = false;
    game.roundStartPending = false;
    game.resultsAdHold[0] = 1;
    game.resultsAdHold[1] = 1;
    game.notInPlay = true;
    game.mainMenu = nullptr;
    game.coins = 0;
    game.coinsEarned = 0;
    game.coinsAtRoundStart = 0;
    game.upsideDown = false;
    game.gameTime = 0.0f;
    game.leaderboardConnected = false;
    game.fullscreenAdPreloaded = false;
    game.loadedScreens = std::make_unique<LoadedScreenMap>();
}

}  // namespace Varnok
