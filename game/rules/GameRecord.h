// The one global record of the game's state: mode, score, pause, settings
// switches, frame step and the game's long-lived objects. The world, the
// rules and the screens read and write its fields directly. Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "engine/text/TextBank.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace Varnok {

class BitmapFont;
class ComponentScreen;
class CountdownTimer;
class Font;
class GameCamera;
class GameStats;
class InGameMode;
class MainMenuScreen;
class ScreenList;
class SoundPlayer;
class SwipeHint;
class VoiceOverManager;

// What ShowScreenLayout remembers of a screen it showed.
struct LoadedScreen {
    ComponentScreen* screen = nullptr;
    bool freshlyLoaded = false;
};
using LoadedScreenMap = std::unordered_map<uint32_t, LoadedScreen>;  // by name hash

// One finger as the game sees it.
struct TouchRecord {
    float x = 0.0f;  // logical units
    float y = 0.0f;
    float state = 0.0f;  // 2 pressed this frame, 1 held, 0 released this frame, -1 up
};

// Owning pointers here are raw on purpose: the game's shutdown deletes them
// in its own order, never the record's destructor, which runs at exit after
// the engine singletons they talk to may be gone.
struct GameRecord {
    static constexpr int kModeCount = 2;
    static constexpr int kBitmapFontSlots = 13;
    static constexpr int kTouchSlots = 16;
    static constexpr uint8_t kGameState = 2;  // the state start-up requests
    static constexpr float kBombSize = 50.0f;
    static constexpr Colour kPaintStrokeColour{111, 70, 30, 255};

    InGameMode* currentMode = nullptr;  // owned; null in the menus before the first game
    int32_t promoSelector = 0;          // 0 none, 1 or 2
    bool saveFromOtherVersion = false;
    uint8_t requestedState = 0;
    bool paused = false;
    uint8_t languageIndex = 0;
    int32_t modeIndex = 0;  // 0 "CLASSIC", 1 "NEW_MODE"
    bool leaderboardConnected = false;
    bool notInPlay = false;
    bool roundStartPending = false;  // the blade hits nothing while set
    bool fruitMissed = false;
    bool fastForward = false;
    float roundStartDelay = 0.0f;    // seconds
    float menuPhase = 0.0f;          // -1 menus first shown, 0 in play, 1 results
    float bombExplosionTime = 0.0f;  // seconds left of the explosion sequence
    // Per mode, the challenge mode's first: the results screen runs its
    // full-screen advert step only while the mode's byte is 0.
    uint8_t resultsAdHold[kModeCount] = {0, 0};
    int32_t score = 0;
    int32_t coins = 0;
    int32_t coinsEarned = 0;  // lifetime total of positive AddCoins amounts
    int32_t coinsAtRoundStart = 0;
    float flashTimer = 0.0f;  // the flash shows while above 0
    int32_t criticalCountdown = 0;
    float frameStep = 0.0f;     // seconds: this update's step; in render, the time since the last
    float rawFrameTime = 0.0f;  // seconds handed to the dispatcher, before clamping
    ScreenList* screenList = nullptr;  // owned
    bool soundOn = false;
    bool musicOn = false;
    bool voiceOn = false;
    GameCamera* camera = nullptr;  // owned
    GameStats* stats = nullptr;    // owned
    // Nothing fills them; the ninth to twelfth may share the eighth's font.
    BitmapFont* bitmapFonts[kBitmapFontSlots] = {};
    float bombSize = 0.0f;
    float bombCollision = 0.0f;
    Vector3 pointerPos;  // logical units; z stays 0
    bool pointerPressed = false;
    bool pointerReleased = false;
    bool pointerDown = false;
    Vector2 backgroundPrevPos;
    Vector2 backgroundPos;
    Vector2 backgroundTarget;
    Vector2 backgroundDelta;  // current minus previous, of the last update
    TouchRecord touches[kTouchSlots];
    MainMenuScreen* mainMenu = nullptr;
    SwipeHint* swipeHint = nullptr;
    int32_t allPointsTotal = 0;
    SmartPtr<Texture> backIcon;
    CountdownTimer* countdownTimer = nullptr;
    SoundPlayer* soundPlayer = nullptr;     // owned
    VoiceOverManager* voiceOver = nullptr;  // owned
    bool savedGameState = false;  // a round is in progress
    int64_t playTimeMs = 0;       // seeds the game's small generators
    bool noSaveFile = false;
    float upsideDownTimer = 0.0f;  // seconds
    bool upsideDown = false;
    bool fullscreenAdPreloaded = false;
    float gameTime = 0.0f;  // seconds of the running game
    TextBank textBank;  // the loaded string tables; the UI manager reads the same bank
    bool menuBackRequested = false;
    Font* mainFont = nullptr;
    Font* secondFont = nullptr;
    SmartPtr<Texture> paintStroke;
    Colour paintStrokeColour{0, 0, 0, 255};
    std::unique_ptr<LoadedScreenMap> loadedScreens;
};

// The record, made before the game's first use and kept to exit.
GameRecord& GetGameRecord();

// Once, while the game sets itself up, after the statistics store is filled:
// the start-up values of the record.
void ResetForNewGame();

}  // namespace Varnok
