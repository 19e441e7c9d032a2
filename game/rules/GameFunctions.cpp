// The game-wide functions over the game record.
#include "game/rules/GameFunctions.h"

#include "engine/core/AccelerometerDevice.h"
#include "engine/core/Clock.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HashName.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureManager.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStateDispatcher.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"

#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

constexpr float kUpsideDownHoldSeconds = 0.75f;
constexpr float kUpsideDownTilt = 0.5f;
constexpr int32_t kUpsideDownOrientation = 4;
constexpr int kLocalizedPathBytes = 256;

int32_t s_orientationCode = 0;

uint32_t HashOf(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

// The localised texture folders by language index; null where a language
// has none.
const char* LocalizedTexturePattern(int languageIndex) {
    switch (languageIndex) {
        case 2: return "localized/fr/textures/%s";
        case 3: return "localized/es/textures/%s";
        case 4: return "localized/de/textures/%s";
        case 5: return "localized/it/textures/%s";
        case 11: return "localized/ko/textures/%s";
        case 12: return "localized/ja/textures/%s";
        case 13: return "localized/zh/textures/%s";
        default: return nullptr;
    }
}

// Loads path when a file system has it and the formatted path fit.
bool LoadIfPresent(SmartPtr<Texture>& out, const char* pattern, const char* name) {
    char path[kLocalizedPathBytes];
    const int written = std::snprintf(path, sizeof(path), pattern, name);
    if (written < 0 || written >= static_cast<int>(sizeof(path))) {
        return false;
    }
    if (!FileExists(path, 0)) {
        return false;
    }
    out = TextureManager::Get().GetTexture(path);
    return true;
}

}  // namespace

float LogicalScreenWidth() {
    const Renderer& renderer = Renderer::Get();
    const int height = renderer.GetViewportHeight();
    if (height <= 0) {
        return LogicalScreenHeight();
    }
    return LogicalScreenHeight() * static_cast<float>(renderer.GetViewportWidth()) /
           static_cast<float>(height);
}

void ScreenRelativeToLogical(Vector3& out, const Vector3& offset, const Vector3& relative) {
    out = Vector3{relative.x * LogicalScreenWidth() + offset.x,
                  relative.y * LogicalScreenHeight() + offset.y, offset.z};
}

int32_t GetScore() {
    return GetGameRecord().score;
}

void SetScore(int32_t score) {
    GetGameRecord().score = score;
}

void AddPoints(int points, int kind, int counted) {
    GameRecord& game = GetGameRecord();
    const int added = GameStateDispatcher::Get().ModifyPoints(points);
    const int64_t score = static_cast<int64_t>(game.score) + added;
    game.score = score < 0 ? 0 : (score > INT32_MAX ? INT32_MAX : static_cast<int32_t>(score));
    if (points <= 0 || counted != 1 || kind > 1 || game.stats == nullptr) {
        return;
    }
    static const uint32_t s_allHash = HashOf("all");
    GameStats& stats = *game.stats;
    game.allPointsTotal = stats.Add("all", s_allHash, points, 1, 0);
    if (game.upsideDown) {
        stats.Add("upside_down_points", points, 0, 1);
    }
    if (stats.Get("bean") == 0) {
        stats.Add("score_without_beans", points, 0, 1);
    }
}

void SetPointsModifier(const PointsModifier& modifier) {
    GameStateDispatcher::Get().SetPointsModifier(modifier);
}

void AddCoins(int32_t amount) {
    GameRecord& game = GetGameRecord();
    game.coins += amount;
    if (amount > 0) {
        game.coinsEarned += amount;
    }
}

int32_t GetBestScoreForMode() {
    const GameRecord& game = GetGameRecord();
    if ((game.modeIndex != 0 && game.modeIndex != 1) || game.stats == nullptr) {
        return 0;
    }
    return game.stats->modeBest[game.modeIndex];
}

bool SetBestScoreForMode(int32_t score) {
    GameRecord& game = GetGameRecord();
    if ((game.modeIndex != 0 && game.modeIndex != 1) || game.stats == nullptr ||
        game.stats->modeBest[game.modeIndex] >= score) {
        return false;
    }
    game.stats->modeBest[game.modeIndex] = score;
    return true;
}

InGameMode** RequestMenuBack() {
    GameRecord& game = GetGameRecord();
    game.menuBackRequested = true;
    return &game.currentMode;
}

InGameMode* GetClassicMode() {
    InGameMode* mode = GetGameRecord().currentMode;
    return mode != nullptr && mode->GetModeType() == InGameMode::kClassic ? mode : nullptr;
}

InGameMode* GetChallengeMode() {
    InGameMode* mode = GetGameRecord().currentMode;
    return mode != nullptr && mode->GetModeType() == InGameMode::kChallenge ? mode : nullptr;
}

bool IsClassicMode() {
    return GetGameRecord().modeIndex == 0;
}

bool IsModeTimerRunning() {
    InGameMode* mode = GetGameRecord().currentMode;
    return mode != nullptr && mode->IsTimerRunning();
}

int32_t GetModeSaveState() {
    InGameMode* mode = GetGameRecord().currentMode;
    return mode != nullptr ? mode->GetSaveState() : 0;
}

void DestroyCurrentMode() {
    GameRecord& game = GetGameRecord();
    delete game.currentMode;
    game.currentMode = nullptr;
}

const char* GetModeName(int index) {
    switch (index) {
        case 0: return "CLASSIC";
        case 1: return "NEW_MODE";
        default: return "ALL";
    }
}

int32_t ModeIndexFromName(uint32_t nameHash) {
    static const uint32_t s_classic = HashOf("CLASSIC");
    static const uint32_t s_newMode = HashOf("NEW_MODE");
    if (nameHash == s_classic) {
        return 0;
    }
    return nameHash == s_newMode ? 1 : 2;
}

int32_t ModeBitMask(int index) {
    if (index == 2) {
        return -1;
    }
    if (index < 0 || index > 31) {
        return 0;
    }
    return static_cast<int32_t>(1u << index);
}

void LoadLocalizedTexture(SmartPtr<Texture>& out, const char* name) {
    out = SmartPtr<Texture>();
    if (name == nullptr) {
        return;
    }
    const char* localized = LocalizedTexturePattern(GetGameRecord().languageIndex);
    if (localized != nullptr && LoadIfPresent(out, localized, name)) {
        return;
    }
    LoadIfPresent(out, "textures/%s", name);
}

int32_t DayNumberOf(int year, int month, int dayOfMonth) {
    // Days from 1900-01-01 by the proleptic Gregorian calendar (March-based
    // years put the leap day last, so the month lengths follow one formula).
    int64_t y = static_cast<int64_t>(year) + month / 12;
    int64_t m = month % 12;
    if (m < 0) {
        m += 12;
        --y;
    }
    m += 1;  // 1..12
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + dayOfMonth - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t sinceEpoch1970 = era * 146097 + dayOfEra - 719468;
    constexpr int64_t k1900To1970 = 25567;
    return static_cast<int32_t>(sinceEpoch1970 + k1900To1970);
}

int32_t GetDayNumber() {
    DateTime now;
    GetDateTime(&now, 1);
    return DayNumberOf(now.yearsSince1900 + 1900, now.month, now.dayOfMonth);
}

void SetOrientationCode(int32_t code) {
    s_orientationCode = code;
}

int32_t GetOrientationCode() {
    return s_orientationCode;
}

bool IsDeviceUpsideDown() {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    AccelerometerDevice::Get().GetAcceleration(&x, &y, &z);
    return x > kUpsideDownTilt ||
           (x < -kUpsideDownTilt && GetOrientationCode() == kUpsideDownOrientation);
}

bool UpdateUpsideDownTimer(float stepSeconds) {
    GameRecord& game = GetGameRecord();
    if (IsDeviceUpsideDown()) {
        game.upsideDownTimer = kUpsideDownHoldSeconds;
        return true;
    }
    if (game.upsideDownTimer > 0.0f) {
        game.upsideDownTimer -= stepSeconds;
    }
    return game.upsideDownTimer > 0.0f;
}

bool IsUpsideDownHeld() {
    return GetGameRecord().upsideDownTimer > 0.0f;
}

}  // namespace Varnok
