// The game record and its start-up values.
#include "game/rules/GameRecord.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameStats.h"

namespace Varnok {

GameRecord& GetGameRecord() {
    static GameRecord record;
    return record;
}

void ResetForNewGame() {
    GameRecord& game = GetGameRecord();
    if (game.stats != nullptr) {
        game.stats->Add("sessions", 1, 1, 1);
    }
    game.requestedState = GameRecord::kGameState;
    // Equal offsets, so that the first background movement is none.
    const Vector2 centre{LogicalScreenWidth(), LogicalScreenHeight()};
    game.backgroundPrevPos = centre;
    game.backgroundTarget = centre;
    game.backgroundPos = centre;
    game.bombSize = GameRecord::kBombSize;
    game.bombExplosionTime = 0.0f;
    game.flashTimer = 0.0f;
    if (game.stats != nullptr) {
        game.criticalCountdown = game.stats->critical_chance;
    }
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
