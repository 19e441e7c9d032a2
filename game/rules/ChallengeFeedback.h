// The score of a challenge run and of its rounds: a passed round scores a
// fruit part (how far the counting condition went, plus bonus points), a
// slice part (blade accuracy) and a reflex part (how soon the first fruit
// was cut). While a round plays, HUD pop-ups and sounds count down the fruit
// still to go, mark the target, quick shots and slices of three or more.
// Main thread only.
#pragma once

#include "engine/core/MathUtil.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Varnok {

class Component;
class Fruit;

// What the round's conditions and mods tell the scoring, read by the mode
// from its condition and mod lists.
struct ChallengeRoundFigures {
    bool failed = false;     // the conditions' status is failed
    float progress = 0.0f;   // current / total of the counting condition; 0 or below: none
    int32_t remaining = 21;  // fruit still to go to the target; below 0 past it
    bool noFeedback = false;  // a mod named "NoFeedback" is active
};

// The pop-ups of the challenge HUD, found under its "@popups" element. The
// list holds those KeepObjectsOnScreen lays out: "@badLuck" and the bonus
// pop-ups.
struct ChallengeHudPopups {
    std::vector<Component*> list;
    Component* slice = nullptr;
    Component* quickShot = nullptr;
    Component* fruitNumber = nullptr;
    Component* challengeEnd = nullptr;
    Component* pinataBonus = nullptr;
    Component* extraHeart = nullptr;
    Component* extraPoints = nullptr;
    Component* badLuck = nullptr;
    Component* bonus[3] = {nullptr, nullptr, nullptr};  // visual components only
    int bonusIndex = 0;  // the next bonus pop-up, 0..2

    // Hides the round's pop-ups: slice, quick shot, fruit number, challenge
    // end and the bonus pop-ups.
    void HideAll();
};

class ChallengeFeedback {
public:
    enum Part : int { FruitPart = 0, SlicePart = 1, ReflexPart = 2, kPartCount = 3 };
    static constexpr float kStartReflex = 3.0f;
    static constexpr float kQuickShotLimit = 2.0f;
    static constexpr int kFeedbackRange = 20;  // the countdown starts this many fruit from the target

    ChallengeFeedback() = default;

    // Keeps the pop-ups (null: none); they must outlive the feedback.
    void Bind(ChallengeHudPopups* hudPopups);
    // Fills popups from the elements under root and hides them; a missing
    // element is skipped.
    static void BindPopups(ChallengeHudPopups& popups, Component* root);

    // Round start: the parts, the quickest cut and the quick-shot flag
    // start again; scoring says whether the round is scored by parts.
    void BeginRound(bool scoringRound);

    // Reads the slash statistics from the game's store.
    void ComputeParts(const ChallengeRoundFigures& figures);
    // The same with the statistics given: every slash, those that cut a
    // fruit, and the fruit cut.
    void ComputeParts(const ChallengeRoundFigures& figures, int32_t slashes, int32_t slashesScoring,
                      int32_t totalFruit);
    // The sum of the three rounded parts; 0 when the round is not scoring.
    int32_t RoundScore() const;

    // A fruit was hit or cut after onScreenSeconds in view; until the
    // round's first cutting slash the quickest time is kept.
    void OnFruitHit(float onScreenSeconds);
    void OnFruitSliced(const Fruit& fruit, float onScreenSeconds, const ChallengeRoundFigures& figures);
    // After every scoring cut of a slash that has cut cutCount fruit so far.
    void ShowCombo(int cutCount, const Vector3& slashPosition);
    // When a slash ends having cut cutCount fruit.
    void ShowValue(int cutCount, const Vector3& slashPosition);
    // The countdown feedback for a cut fruit at position.
    void Update(const Vector3& fruitPosition, const ChallengeRoundFigures& figures);
    void AddBonusPoints(uint32_t points) { bonusPoints += points; }

    // What a snapshot keeps of the round.
    struct SavedState {
        float bestReflex = kStartReflex;
        int32_t quickShotDone = 0;
        uint32_t comboPoints = 0;
    };
    SavedState SaveState() const { return SavedState{bestReflex, quickShotDone ? 1 : 0, comboPoints}; }
    // A restored round is a scoring one.
    void RestoreState(const SavedState& state);

    float parts[kPartCount] = {0.0f, 0.0f, 0.0f};
    float multipliers[kPartCount] = {1.0f, 1.0f, 1.0f};
    float bestReflex = kStartReflex;
    bool quickShotDone = false;
    bool scoring = false;
    uint32_t comboPoints = 0;
    uint32_t lastComboSound = 0;  // name hash of the last combo sound played; 0: none
    uint32_t bonusPoints = 0;     // chest points of the round

private:
    ChallengeHudPopups* m_popups = nullptr;
};

// The run: its total, misses and the pinata points of the current round.
struct ChallengeSession {
    static constexpr int32_t kLives = 3;
    static constexpr int32_t kPointsPerLife = 100;

    int32_t totalScore = 0;
    int32_t misses = 0;
    int32_t roundsScored = 0;
    int32_t consecutivePasses = 0;
    int32_t roundPinataBonus = 0;
    int32_t lastRoundScore = 0;
    int32_t bonusPoints = 0;  // the round's pinata points, emptied by Clear too

    // A new run; the round's pinata bonus is left for the finale to read.
    void Clear();
    void BeginRound() { roundPinataBonus = bonusPoints = 0; }
    // Counts the round in and records "challenge_score" and
    // "challenge_complete" with the achievement check.
    void AddRoundScore(int32_t score);
    void AddMiss() {
        ++misses;
        consecutivePasses = 0;
    }
    void GainLife() {
        if (misses > 0) {
            --misses;
        }
    }
    void AddPinataBonus(int32_t points) {
        roundPinataBonus += points;
        bonusPoints += points;
    }
    int32_t GetRoundPinataBonus() const { return roundPinataBonus; }
    int32_t GetLives() const { return kLives - misses; }
    bool IsOutOfLives() const { return misses > 2; }
    int32_t GetRoundCount() const { return roundsScored; }
    // The boss act's score: lives left x 100 plus the pinata points.
    int32_t FinaleScore() const { return GetLives() * kPointsPerLife + bonusPoints; }
    static int32_t GetScorePart(const ChallengeFeedback& feedback, int part);
};

// Part `part` of the round times its multiplier, rounded to the nearest
// integer; 0 for a negative value, a part out of range, or a round that is
// not scoring.
int32_t GetScorePart(const ChallengeFeedback& feedback, int part);
// 0 below 200, 1 below 300, else 2.
int32_t ChallengeRankForScore(int32_t score);
// For the reflex part only: the quickest cut in seconds with two decimals
// ("1.05") into buffer, answering 1; any other part writes "" and answers 0.
int FormatTenths(const ChallengeFeedback& feedback, int part, char* buffer, size_t bufferSize);

// A burst pinata's points: 50 more for each hit up to six (50..350).
int32_t PinataBonusPoints(int hits);
// The "@pinataBonus" pop-up's trigger animation index: the hits, at most 4.
int PinataBonusTrigger(int hits);

// The countdown's sound for that many fruit to go: "togo-1" at five to
// "togo-5" at one, "challenge-pass" at the target, "bonus" past it; null
// while more than five remain.
const char* FeedbackSoundForRemaining(int32_t remaining);
// "combo-%i" index for a slash of cutCount fruit (three or more): 1 to 5.
int ComboSoundIndex(int cutCount);

}  // namespace Varnok
