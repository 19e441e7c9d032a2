// GameStateDispatcher: the clamped step, entering and leaving states, and
// the accumulated render step.
#include "game/rules/GameStateDispatcher.h"

#include "game/rules/GameRecord.h"
#include "game/rules/UnlockQueue.h"

namespace Varnok {

GameStateDispatcher& GameStateDispatcher::Get() {
    static GameStateDispatcher dispatcher;
    return dispatcher;
}

float GameStateDispatcher::ClampStep(float elapsedSeconds) {
    if (elapsedSeconds <= 0.01f || !(elapsedSeconds == elapsedSeconds)) {  // NaN: the least step
        return kMinStep;
    }
    if (elapsedSeconds >= 0.04f) {
        return kMaxStep;
    }
    return kStepFactor * elapsedSeconds;
}

void GameStateDispatcher::SetPointsModifier(const PointsModifier& modifier) {
    m_pointsModifier = modifier ? modifier : PointsModifier(&GameStateDispatcher::Identity);
}

void GameStateDispatcher::Tick(float elapsedSeconds) {
    GameRecord& game = GetGameRecord();
    game.rawFrameTime = elapsedSeconds;
    const float step = ClampStep(elapsedSeconds);
    game.frameStep = step;
    game.menuBackRequested = false;
    m_accumulatedStep += step;

    if (m_entered) {
        if (game.requestedState == m_currentState) {
            m_inUpdate = true;
            const bool active = !game.paused;
            UnlockQueue* queue = m_unlockQueueSet ? m_unlockQueue : &UnlockQueue::Get();
            if (game.bombExplosionTime <= 0.0f && queue != nullptr && game.stats != nullptr) {
                queue->Tick(*game.stats, step, game.screenList);
            }
            if (m_handler != nullptr) {
                m_handler->Update(step, active);
            }
        } else {
            if (m_handler != nullptr) {
                m_handler->Exit();
            }
            m_entered = false;
            m_currentState = game.requestedState;
            m_inUpdate = false;
        }
    } else {
        m_currentState = game.requestedState;
        if (m_handler != nullptr) {
            m_handler->Enter(0);
        }
        m_entered = true;
        if (!m_firstTickDone) {
            // The first update runs in the same frame as the first enter.
            m_firstTickDone = true;
            Tick(step);
        }
    }
    game.playTimeMs += static_cast<int64_t>(step * 1000.0f);
}

void GameStateDispatcher::Render() {
    GameRecord& game = GetGameRecord();
    game.frameStep = m_accumulatedStep;
    if (game.requestedState == m_currentState && m_inUpdate && m_handler != nullptr) {
        m_handler->Render(m_accumulatedStep, true);
    }
    m_accumulatedStep = 0.0f;
}

void GameStateDispatcher::ExitCurrentState() {
    if (!m_entered) {
        return;
    }
    if (m_handler != nullptr) {
        m_handler->Exit();
    }
    m_entered = false;
    m_inUpdate = false;
}

}  // namespace Varnok
