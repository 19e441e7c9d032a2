// Small game-wide functions beside the game-state dispatcher: score and coin
// accounting, the current mode, the mode names, the logical screen size,
// localised textures, the day number and the upside-down detector. They work
// on the game record. Main thread only.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>

namespace Varnok {

class InGameMode;
class Texture;

// The logical screen is 320 units high and as wide as the viewport's shape
// makes it: 320 x viewport width / viewport height (320 while the viewport
// has no height).
float LogicalScreenWidth();
inline float LogicalScreenHeight() {
    return 320.0f;
}
// out = (relative.x x logical width + offset.x, relative.y x 320 + offset.y, offset.z).
void ScreenRelativeToLogical(Vector3& out, const Vector3& offset, const Vector3& relative);

// Maps the points of every AddPoints call to the points added.
using PointsModifier = Delegate1<int, int>;

int32_t GetScore();
void SetScore(int32_t score);
// Adds the modified points to the score (never below 0); positive counted
// points of kind 0 or 1 also count into "all" and, as the round stands,
// "upside_down_points" and "score_without_beans".
void AddPoints(int points, int kind, int counted);
// An empty delegate puts the identity back.
void SetPointsModifier(const PointsModifier& modifier);
void AddCoins(int32_t amount);
int32_t GetBestScoreForMode();
// True when score beats the mode's best, which it then becomes.
bool SetBestScoreForMode(int32_t score);

// Sets the record's back request; answers the address of the current mode
// (callers ignore it).
InGameMode** RequestMenuBack();
InGameMode* GetClassicMode();
InGameMode* GetChallengeMode();
bool IsClassicMode();
bool IsModeTimerRunning();
int32_t GetModeSaveState();
void DestroyCurrentMode();

// Constant switches screen code reads.
inline bool GameVariantFlagA() {
    return true;
}
inline bool GameVariantFlagB() {
    return false;
}
inline bool GameVariantFlagC() {
    return false;
}
inline bool GameVariantFlagD() {
    return false;
}

// "CLASSIC" 0, "NEW_MODE" 1, "ALL" 2; other indices give "ALL".
const char* GetModeName(int index);
// 0 for "CLASSIC", 1 for "NEW_MODE", 2 for anything else.
int32_t ModeIndexFromName(uint32_t nameHash);
// -1 for index 2; 1 << index for 0..31; 0 otherwise.
int32_t ModeBitMask(int index);

// The language's copy under localized/<code>/textures/ when the current
// language has one and a file system holds it, else textures/<name>; null
// when neither is there.
void LoadLocalizedTexture(SmartPtr<Texture>& out, const char* name);

// Days of the local civil calendar: consecutive days differ by exactly one,
// across the ends of years and leap days. month 0..11, dayOfMonth 1..31.
int32_t DayNumberOf(int year, int month, int dayOfMonth);
// Today's day number from the local date.
int32_t GetDayNumber();

// The orientation code the upside-down test reads (the application object's).
void SetOrientationCode(int32_t code);
int32_t GetOrientationCode();
bool IsDeviceUpsideDown();
// Once a flow update: holds the upside-down state 0.75 s past the last
// upside-down sample; answers whether it holds.
bool UpdateUpsideDownTimer(float stepSeconds);
bool IsUpsideDownHeld();

}  // namespace Varnok
