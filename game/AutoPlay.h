// A bot blade for unattended runs: it watches the flying fruit and bombs and
// answers with touches, one stroke at a time, after a reaction delay, never
// drawing a stroke near a bomb. The decisions are pure (AutoPlayBot); the
// game's side (reading the world, the end of the game) is AutoPlayGame.
// Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "platform/PlatformDisplay.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Varnok {

// One thing in flight as the bot sees it, in logical units (origin at the
// screen's centre, y up); velocity in units per 1/60 s frame.
struct AutoPlayTarget {
    uintptr_t key = 0;  // stable while the object flies
    Vector2 position;
    Vector2 velocity;
    bool bomb = false;
};

struct AutoPlayDef {
    uint32_t seed = 0;
    float screenWidth = 480.0f;  // logical
    float screenHeight = 320.0f;
    int reactionFrames = 9;      // a fruit must be in sight this long
    int reactionJitter = 6;      // plus 0..jitter-1 frames, drawn per stroke
    int strokeFrames = 6;        // moves from finger down to finger up
    int restFrames = 3;          // between strokes
    float strokeHalfLength = 70.0f;
    float bombClearance = 55.0f;  // no stroke passes a bomb closer than this
    float margin = 24.0f;         // targets nearer the edge are left alone
};

class AutoPlayBot {
public:
    static constexpr uint32_t kTouchId = 1;

    explicit AutoPlayBot(const AutoPlayDef& def);

    // One frame: what flies now, and the touches to feed before the frame.
    // A stroke once begun runs to its end.
    void Step(const std::vector<AutoPlayTarget>& targets, std::vector<PlatformTouch>& outTouches);
    // Ends a stroke in progress with a touch up; nothing when idle.
    void Release(std::vector<PlatformTouch>& outTouches);

    bool IsStroking() const { return m_strokeFrame >= 0; }
    int GetStrokeCount() const { return m_strokes; }
    int GetSkippedForBombs() const { return m_skippedForBombs; }

private:
    bool PlanStroke(const std::vector<AutoPlayTarget>& targets);
    bool IsPathClear(const Vector2& from, const Vector2& to, const std::vector<AutoPlayTarget>& targets) const;
    PlatformTouch TouchAt(PlatformTouch::Phase phase, const Vector2& point) const;
    uint32_t NextRandom();

    AutoPlayDef m_def;
    uint32_t m_random;
    int m_frame = 0;
    int m_restUntil = 0;
    int m_reaction = 0;
    int m_strokeFrame = -1;  // -1: idle
    Vector2 m_from;
    Vector2 m_to;
    int m_strokes = 0;
    int m_skippedForBombs = 0;
    std::unordered_map<uintptr_t, int> m_firstSeen;  // key -> frame
    std::vector<uintptr_t> m_gone;
};

// How the game under the bot ended, for the run's last line.
enum class AutoPlayEnd { Running, ThreeMisses, Bomb, FrameLimit };
const char* AutoPlayEndName(AutoPlayEnd end);

// The game's side: starts a classic round without the menus, lists what
// flies for the bot and tells when the results opened.
class AutoPlayGame {
public:
    // Creates the classic mode and starts a round at once (the flow calls
    // it once its set-up is done).
    static void StartClassicRound();
    // The live fruit and bombs a player could cut or must avoid.
    static void CollectTargets(std::vector<AutoPlayTarget>& outTargets);
    // Results screens opened so far this run.
    static int ResultsOpened();
    static int Misses();
    // After a game over: the results leave and a new classic round starts.
    static void StartAnotherRound();
};

// A whole unattended game: before each display refresh it feeds the bot's
// touches through the platform's touch path, and it notes how the game ended.
class AutoPlayRun {
public:
    explicit AutoPlayRun(const AutoPlayDef& def);

    // refresh counts display refreshes from 0.
    void BeforeRefresh(int refresh, PlatformEventSink& sink);
    // The results have been up for framesAfterResults refreshes.
    bool IsOver(int refresh, int framesAfterResults) const;
    // Once the run stops: a game still going ends by the frame limit.
    void Stop(int refresh);
    // Watches the next game (after StartAnotherRound); the bot keeps its
    // random state.
    void Restart();

    AutoPlayEnd GetEnd() const { return m_end; }
    int32_t GetScore() const { return m_score; }
    int GetMisses() const { return m_misses; }
    int GetResultsRefresh() const { return m_resultsRefresh; }
    const AutoPlayBot& GetBot() const { return m_bot; }

private:
    void Feed(PlatformEventSink& sink);

    AutoPlayBot m_bot;
    std::vector<AutoPlayTarget> m_targets;
    std::vector<PlatformTouch> m_touches;
    AutoPlayEnd m_end = AutoPlayEnd::Running;
    int32_t m_score = 0;
    int m_misses = 0;
    int m_resultsRefresh = -1;
    int m_resultsBefore = 0;  // results screens opened before this game
};

}  // namespace Varnok
