// The bot blade's choices and its view of the running game.
#include "game/AutoPlay.h"

#include "engine/ui/Component.h"
#include "game/rules/ClassicMode.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SessionControl.h"
#include "game/screens/MainMenuScreen.h"
#include "game/screens/ResultsScreen.h"
#include "game/screens/ScreenList.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

constexpr float kPi = 3.14159265f;
// Stroke directions tried in turn: across, up, and the two diagonals.
constexpr float kStrokeAngles[] = {0.0f, 0.5f * kPi, 0.25f * kPi, 0.75f * kPi};

Vector2 Along(const Vector2& a, const Vector2& b, float t) {
    return Vector2{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

Vector2 Ahead(const AutoPlayTarget& target, float frames) {
    return Vector2{target.position.x + target.velocity.x * frames, target.position.y + target.velocity.y * frames};
}

float DistanceToSegment(const Vector2& p, const Vector2& a, const Vector2& b) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float lengthSq = dx * dx + dy * dy;
    float t = lengthSq > 0.0f ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSq : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float ex = a.x + dx * t - p.x;
    const float ey = a.y + dy * t - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

AutoPlayBot::AutoPlayBot(const AutoPlayDef& def) : m_def(def), m_random(def.seed * 2654435761u + 0x9E3779B9u) {
    if (m_random == 0) {
        m_random = 1;  // xorshift never leaves 0
    }
    m_reaction = m_def.reactionFrames;
}

uint32_t AutoPlayBot::NextRandom() {
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    return m_random;
}

PlatformTouch AutoPlayBot::TouchAt(PlatformTouch::Phase phase, const Vector2& point) const {
    PlatformTouch touch;
    touch.id = kTouchId;
    touch.phase = phase;
    touch.x = std::clamp(point.x / m_def.screenWidth + 0.5f, 0.0f, 1.0f);
    touch.y = std::clamp(0.5f - point.y / m_def.screenHeight, 0.0f, 1.0f);
    return touch;
}

bool AutoPlayBot::IsPathClear(const Vector2& from, const Vector2& to,
                              const std::vector<AutoPlayTarget>& targets) const {
    for (const AutoPlayTarget& target : targets) {
        if (!target.bomb) {
            continue;
        }
        // Where the bomb will be while the blade is down, a frame either side.
        for (int frame = -1; frame <= m_def.strokeFrames + 1; ++frame) {
            const Vector2 at = Ahead(target, static_cast<float>(frame));
            if (DistanceToSegment(at, from, to) < m_def.bombClearance) {
                return false;
            }
        }
    }
    return true;
}

bool AutoPlayBot::PlanStroke(const std::vector<AutoPlayTarget>& targets) {
    const float halfWidth = m_def.screenWidth / 2.0f - m_def.margin;
    const float halfHeight = m_def.screenHeight / 2.0f - m_def.margin;
    const float middle = static_cast<float>(m_def.strokeFrames) / 2.0f;
    // The lowest fruit first: it is the next to fall out of reach.
    const AutoPlayTarget* best = nullptr;
    Vector2 bestPoint;
    bool blockedByBomb = false;
    for (const AutoPlayTarget& target : targets) {
        if (target.bomb) {
            continue;
        }
        const auto seen = m_firstSeen.find(target.key);
        if (seen == m_firstSeen.end() || m_frame - seen->second < m_reaction) {
            continue;
        }
        const Vector2 point = Ahead(target, middle);
        if (std::fabs(point.x) > halfWidth || std::fabs(point.y) > halfHeight) {
            continue;
        }
        if (best != nullptr && point.y >= bestPoint.y) {
            continue;
        }
        // Only a target with a safe stroke counts.
        const int first = static_cast<int>(NextRandom() % 4u);
        for (int i = 0; i < 4; ++i) {
            const float angle = kStrokeAngles[(first + i) % 4];
            const Vector2 half{std::cos(angle) * m_def.strokeHalfLength, std::sin(angle) * m_def.strokeHalfLength};
            const Vector2 from{point.x - half.x, point.y - half.y};
            const Vector2 to{point.x + half.x, point.y + half.y};
            if (IsPathClear(from, to, targets)) {
                best = &target;
                bestPoint = point;
                m_from = from;
                m_to = to;
                break;
            }
            blockedByBomb = true;
        }
    }
    if (best == nullptr) {
        if (blockedByBomb) {
            ++m_skippedForBombs;
        }
        return false;
    }
    return true;
}

void AutoPlayBot::Step(const std::vector<AutoPlayTarget>& targets, std::vector<PlatformTouch>& outTouches) {
    // Forget what left, remember when the new ones came into sight.
    m_gone.clear();
    for (const auto& entry : m_firstSeen) {
        const bool present = std::any_of(targets.begin(), targets.end(),
                                         [&](const AutoPlayTarget& t) { return t.key == entry.first; });
        if (!present) {
            m_gone.push_back(entry.first);
        }
    }
    for (uintptr_t key : m_gone) {
        m_firstSeen.erase(key);
    }
    for (const AutoPlayTarget& target : targets) {
        m_firstSeen.emplace(target.key, m_frame);
    }

    if (m_strokeFrame >= 0) {
        ++m_strokeFrame;
        if (m_strokeFrame <= m_def.strokeFrames) {
            const float t = static_cast<float>(m_strokeFrame) / static_cast<float>(m_def.strokeFrames);
            outTouches.push_back(TouchAt(PlatformTouch::Moved, Along(m_from, m_to, t)));
        } else {
            Release(outTouches);
        }
    } else if (m_frame >= m_restUntil && PlanStroke(targets)) {
        m_strokeFrame = 0;
        ++m_strokes;
        outTouches.push_back(TouchAt(PlatformTouch::Began, m_from));
    }
    ++m_frame;
}

void AutoPlayBot::Release(std::vector<PlatformTouch>& outTouches) {
    if (m_strokeFrame < 0) {
        return;
    }
    outTouches.push_back(TouchAt(PlatformTouch::Ended, m_to));
    m_strokeFrame = -1;
    m_restUntil = m_frame + m_def.restFrames;
    const int jitter = std::max(1, m_def.reactionJitter);
    m_reaction = m_def.reactionFrames + static_cast<int>(NextRandom() % static_cast<uint32_t>(jitter));
}

const char* AutoPlayEndName(AutoPlayEnd end) {
    switch (end) {
        case AutoPlayEnd::ThreeMisses:
            return "three misses";
        case AutoPlayEnd::Bomb:
            return "bomb";
        case AutoPlayEnd::FrameLimit:
            return "frame limit";
        case AutoPlayEnd::Running:
            break;
    }
    return "running";
}

void AutoPlayGame::StartClassicRound() {
    GameRecord& record = GetGameRecord();
    record.modeIndex = InGameMode::kClassic;
    CreateGameMode();
    StartNewRound();
    StartRetryTransition();
    if (record.mainMenu != nullptr) {
        record.mainMenu->Hide();
    }
}

void AutoPlayGame::CollectTargets(std::vector<AutoPlayTarget>& outTargets) {
    outTargets.clear();
    WorldObjectManager& world = WorldObjectManager::Instance();
    WorldObjectManager::Cursor cursor;
    const uint32_t fruitType = static_cast<uint32_t>(WorldObjectType::Fruit);
    for (WorldObject* object = world.First(fruitType, cursor); object != nullptr;
         object = world.Next(fruitType, cursor)) {
        const auto& fruit = static_cast<const Fruit&>(*object);
        if (!fruit.IsActive() || fruit.sliced || fruit.isMenuFruit || fruit.launchWait > 0.0f) {
            continue;
        }
        outTargets.push_back(AutoPlayTarget{reinterpret_cast<uintptr_t>(object), Vector2{fruit.position.x, fruit.position.y},
                                            Vector2{fruit.velocity.x, fruit.velocity.y}, false});
    }
    const uint32_t bombType = static_cast<uint32_t>(WorldObjectType::Bomb);
    for (WorldObject* object = world.First(bombType, cursor); object != nullptr;
         object = world.Next(bombType, cursor)) {
        const auto& bomb = static_cast<const Bomb&>(*object);
        if (!bomb.IsActive() || bomb.hit) {
            continue;
        }
        outTargets.push_back(AutoPlayTarget{reinterpret_cast<uintptr_t>(object), Vector2{bomb.position.x, bomb.position.y},
                                            Vector2{bomb.velocity.x, bomb.velocity.y}, true});
    }
}

int AutoPlayGame::ResultsOpened() {
    return GetSessionState().resultsOpened;
}

void AutoPlayGame::StartAnotherRound() {
    if (ScreenList* screens = GetGameRecord().screenList) {
        for (int i = 0; i < screens->Count(); ++i) {
            if (auto* results = dynamic_cast<ResultsScreen*>(screens->GetAt(i))) {
                if (results->m_layout != nullptr) {
                    results->m_layout->GetEnabledProperty()->Set(false);
                }
                results->m_finished = true;
            }
        }
    }
    StartClassicRound();
}

int AutoPlayGame::Misses() {
    InGameMode* mode = GetGameRecord().currentMode;
    if (mode == nullptr || mode->GetModeType() != InGameMode::kClassic) {
        return 0;
    }
    return static_cast<ClassicMode*>(mode)->misses;
}


AutoPlayRun::AutoPlayRun(const AutoPlayDef& def) : m_bot(def), m_resultsBefore(AutoPlayGame::ResultsOpened()) {}

void AutoPlayRun::Restart() {
    m_end = AutoPlayEnd::Running;
    m_score = 0;
    m_misses = 0;
    m_resultsRefresh = -1;
    m_resultsBefore = AutoPlayGame::ResultsOpened();
}

void AutoPlayRun::Feed(PlatformEventSink& sink) {
    for (const PlatformTouch& touch : m_touches) {
        sink.OnTouch(touch);
    }
    m_touches.clear();
}

void AutoPlayRun::BeforeRefresh(int refresh, PlatformEventSink& sink) {
    if (m_end != AutoPlayEnd::Running) {
        return;
    }
    const GameRecord& record = GetGameRecord();
    if (AutoPlayGame::ResultsOpened() > m_resultsBefore) {
        m_end = m_misses >= ClassicMode::kLives ? AutoPlayEnd::ThreeMisses : AutoPlayEnd::Bomb;
        m_score = Varnok::GetScore();
        m_resultsRefresh = refresh;
        m_bot.Release(m_touches);
        Feed(sink);
        return;
    }
    // Fruit still fall during the game-over sequence: the count that ended
    // the game is the one while play lasted.
    InGameMode* mode = record.currentMode;
    if (mode != nullptr && mode->GetModeType() == InGameMode::kClassic &&
        static_cast<ClassicMode*>(mode)->state == ClassicMode::Playing) {
        m_misses = AutoPlayGame::Misses();
    }
    if (record.currentMode == nullptr || record.notInPlay || record.paused || record.bombExplosionTime > 0.0f) {
        m_bot.Release(m_touches);
    } else {
        AutoPlayGame::CollectTargets(m_targets);
        m_bot.Step(m_targets, m_touches);
    }
    Feed(sink);
}

bool AutoPlayRun::IsOver(int refresh, int framesAfterResults) const {
    return m_resultsRefresh >= 0 && refresh >= m_resultsRefresh + framesAfterResults;
}

void AutoPlayRun::Stop(int /*refresh*/) {
    if (m_end == AutoPlayEnd::Running) {
        m_end = AutoPlayEnd::FrameLimit;
        m_score = Varnok::GetScore();
    }
}

}  // namespace Varnok
