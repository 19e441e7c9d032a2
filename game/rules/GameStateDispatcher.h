// Turns the application's update and render into the current game state's
// enter, update, render and exit: clamps the frame step, enters a newly
// requested state on the tick after the old one was left, ticks the unlock
// queue and counts play time. All three states route to one handler, the
// game flow. Main thread only.
#pragma once

#include "game/rules/GameFunctions.h"

#include <cstdint>

namespace Varnok {

class UnlockQueue;

// A game state's four operations.
class GameStateHandler {
public:
    virtual ~GameStateHandler() = default;
    virtual void Enter(int argument) = 0;
    virtual void Update(float stepSeconds, bool active) = 0;
    virtual void Render(float stepSeconds, bool active) = 0;
    virtual void Exit() = 0;
};

class GameStateDispatcher {
public:
    static constexpr int kStateCount = 3;
    static constexpr float kMinStep = 0.0095f;  // elapsed at most 0.01 s
    static constexpr float kMaxStep = 0.038f;   // elapsed at least 0.04 s
    static constexpr float kStepFactor = 0.95f;

    // The game's dispatcher.
    static GameStateDispatcher& Get();

    GameStateDispatcher() = default;
    GameStateDispatcher(const GameStateDispatcher&) = delete;
    GameStateDispatcher& operator=(const GameStateDispatcher&) = delete;

    // 0.95 x elapsed clamped to 0.01..0.04 s.
    static float ClampStep(float elapsedSeconds);

    // Every state routes to it; not owned, may be null (states then do nothing).
    void SetHandler(GameStateHandler* handler) { m_handler = handler; }
    // The queue ticked each update (the game's by default); null: none.
    void SetUnlockQueue(UnlockQueue* queue) {
        m_unlockQueue = queue;
        m_unlockQueueSet = true;
    }

    void Tick(float elapsedSeconds);
    // Draws the current state with the steps since the last render, once it
    // has had an update.
    void Render();
    void ExitCurrentState();

    int ModifyPoints(int points) const { return m_pointsModifier(points); }
    // An empty delegate puts the identity back.
    void SetPointsModifier(const PointsModifier& modifier);

    int32_t GetCurrentState() const { return m_currentState; }
    bool IsEntered() const { return m_entered; }
    bool IsInUpdate() const { return m_inUpdate; }
    float GetAccumulatedStep() const { return m_accumulatedStep; }

private:
    static int Identity(int points) { return points; }

    int32_t m_currentState = 0;
    bool m_entered = false;
    bool m_inUpdate = false;
    bool m_firstTickDone = false;
    float m_accumulatedStep = 0.0f;
    PointsModifier m_pointsModifier{&GameStateDispatcher::Identity};
    GameStateHandler* m_handler = nullptr;
    UnlockQueue* m_unlockQueue = nullptr;
    bool m_unlockQueueSet = false;
};

}  // namespace Varnok
