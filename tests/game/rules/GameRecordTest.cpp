// The game record at program load and after the start-up reset.
#include "game/rules/GameRecord.h"

#include "engine/render/Renderer.h"
#include "game/rules/GameFunctions.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

TEST(GameRecord, AtLoadEverythingIsZeroButThePaintStrokeAlpha) {
    const GameRecord game;
    EXPECT_EQ(game.currentMode, nullptr);
    EXPECT_EQ(game.requestedState, 0);
    EXPECT_FALSE(game.notInPlay);
    EXPECT_FALSE(game.soundOn);
    EXPECT_FALSE(game.musicOn);
    EXPECT_FALSE(game.voiceOn);
    EXPECT_EQ(game.resultsAdHold[0], 0);
    EXPECT_EQ(game.resultsAdHold[1], 0);
    EXPECT_EQ(game.coins, 0);
    EXPECT_EQ(game.coinsEarned, 0);
    EXPECT_EQ(game.coinsAtRoundStart, 0);
    EXPECT_EQ(game.bombSize, 0.0f);
    EXPECT_EQ(game.menuPhase, 0.0f);
    EXPECT_EQ(game.playTimeMs, 0);
    EXPECT_EQ(game.soundPlayer, nullptr);
    EXPECT_EQ(game.voiceOver, nullptr);
    EXPECT_EQ(game.loadedScreens, nullptr);
    EXPECT_FALSE(game.backIcon);
    EXPECT_FALSE(game.paintStroke);
    for (BitmapFont* font : game.bitmapFonts) {
        EXPECT_EQ(font, nullptr);
    }
    for (const TouchRecord& touch : game.touches) {
        EXPECT_EQ(touch.state, 0.0f);
    }
    EXPECT_EQ(game.paintStrokeColour.r, 0);
    EXPECT_EQ(game.paintStrokeColour.g, 0);
    EXPECT_EQ(game.paintStrokeColour.b, 0);
    EXPECT_EQ(game.paintStrokeColour.a, 255);
}

TEST(GameRecord, ResetForNewGameSetsTheStartUpValues) {
    Renderer::Get().SetScreenSize(960, 640);
    GameRecord& game = GetGameRecord();
    game.coins = 5;
    game.coinsEarned = 7;
    game.coinsAtRoundStart = 9;
    game.bombSize = 3.0f;
    game.bombExplosionTime = 1.0f;
    game.fruitMissed = true;
    game.gameTime = 12.0f;
    game.fullscreenAdPreloaded = true;

    ResetForNewGame();

    EXPECT_FLOAT_EQ(LogicalScreenWidth(), 480.0f);
    EXPECT_EQ(game.requestedState, 2);
    for (const Vector2& offset :
         {game.backgroundPrevPos, game.backgroundPos, game.backgroundTarget}) {
        EXPECT_FLOAT_EQ(offset.x, 480.0f);
        EXPECT_FLOAT_EQ(offset.y, 320.0f);
    }
    EXPECT_EQ(game.bombSize, 50.0f);
    EXPECT_EQ(game.bombExplosionTime, 0.0f);
    EXPECT_FALSE(game.fruitMissed);
    EXPECT_TRUE(game.notInPlay);
    EXPECT_EQ(game.resultsAdHold[0], 1);
    EXPECT_EQ(game.resultsAdHold[1], 1);
    EXPECT_EQ(game.coins, 0);
    EXPECT_EQ(game.coinsEarned, 0);
    EXPECT_EQ(game.coinsAtRoundStart, 0);
    EXPECT_EQ(game.gameTime, 0.0f);
    EXPECT_FALSE(game.fullscreenAdPreloaded);
    ASSERT_NE(game.loadedScreens, nullptr);
    EXPECT_TRUE(game.loadedScreens->empty());
}

}  // namespace
}  // namespace Varnok
