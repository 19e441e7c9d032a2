// The bot blade's choices: it waits its reaction time, draws one stroke at a
// time through the fruit, never passes near a bomb, and lifts its finger
// when asked.
#include "game/AutoPlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Varnok {
namespace {

AutoPlayTarget FruitAt(uintptr_t key, float x, float y, float vx = 0.0f, float vy = 0.0f) {
    return AutoPlayTarget{key, Vector2{x, y}, Vector2{vx, vy}, false};
}

AutoPlayTarget BombAt(uintptr_t key, float x, float y, float vx = 0.0f, float vy = 0.0f) {
    return AutoPlayTarget{key, Vector2{x, y}, Vector2{vx, vy}, true};
}

// From normalised touch to logical units, as the bot's definition has them.
Vector2 Logical(const PlatformTouch& touch, const AutoPlayDef& def) {
    return Vector2{(touch.x - 0.5f) * def.screenWidth, (0.5f - touch.y) * def.screenHeight};
}

float DistanceToSegment(const Vector2& p, const Vector2& a, const Vector2& b) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float t = std::fmax(0.0f, std::fmin(1.0f, ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy)));
    return std::hypot(a.x + dx * t - p.x, a.y + dy * t - p.y);
}

// Runs the bot over a fixed scene and keeps every touch, by frame.
struct Recording {
    std::vector<std::vector<PlatformTouch>> frames;
    int FirstTouchFrame() const {
        for (size_t i = 0; i < frames.size(); ++i) {
            if (!frames[i].empty()) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

Recording Play(AutoPlayBot& bot, const std::vector<AutoPlayTarget>& scene, int frameCount) {
    Recording recording;
    for (int i = 0; i < frameCount; ++i) {
        recording.frames.emplace_back();
        bot.Step(scene, recording.frames.back());
    }
    return recording;
}

TEST(AutoPlayBot, WaitsItsReactionThenDrawsOneStrokeAtATimeThroughTheFruit) {
    AutoPlayDef def;
    def.reactionJitter = 1;  // no jitter: the first stroke's delay is exact
    AutoPlayBot bot(def);
    const std::vector<AutoPlayTarget> scene = {FruitAt(1, 40.0f, -20.0f), FruitAt(2, -100.0f, 50.0f)};
    const Recording recording = Play(bot, scene, 120);

    EXPECT_EQ(recording.FirstTouchFrame(), def.reactionFrames);
    bool down = false;
    int strokes = 0;
    Vector2 from;
    for (const auto& frame : recording.frames) {
        ASSERT_LE(frame.size(), 1u);  // one finger, one event a frame
        for (const PlatformTouch& touch : frame) {
            EXPECT_EQ(touch.id, AutoPlayBot::kTouchId);
            EXPECT_GE(touch.x, 0.0f);
            EXPECT_LE(touch.x, 1.0f);
            if (touch.phase == PlatformTouch::Began) {
                EXPECT_FALSE(down) << "a second stroke began before the first ended";
                down = true;
                ++strokes;
                from = Logical(touch, def);
            } else if (touch.phase == PlatformTouch::Ended) {
                EXPECT_TRUE(down);
                down = false;
                // The stroke passed over one of the fruit.
                const Vector2 to = Logical(touch, def);
                const float nearest = std::fmin(DistanceToSegment(scene[0].position, from, to),
                                                DistanceToSegment(scene[1].position, from, to));
                EXPECT_LT(nearest, 1.0f);
            }
        }
    }
    EXPECT_GE(strokes, 2);
    EXPECT_EQ(bot.GetStrokeCount(), strokes);
}

TEST(AutoPlayBot, NeverStrokesNearABomb) {
    AutoPlayDef def;
    const struct {
        const char* what;
        std::vector<AutoPlayTarget> scene;
        bool strokes;
    } cases[] = {
        {"bomb to the side: a vertical stroke is safe", {FruitAt(1, 0.0f, 0.0f), BombAt(9, 60.0f, 0.0f)}, true},
        {"bomb right on the fruit", {FruitAt(1, 0.0f, 0.0f), BombAt(9, 0.0f, 0.0f)}, false},
        {"bomb flying into the fruit's place", {FruitAt(1, 0.0f, 0.0f), BombAt(9, -40.0f, 0.0f, 10.0f, 0.0f)}, false},
        {"bombs all round", {FruitAt(1, 0.0f, 0.0f), BombAt(8, 45.0f, 45.0f), BombAt(9, -45.0f, 45.0f),
                             BombAt(10, 0.0f, -45.0f), BombAt(11, 45.0f, 0.0f)}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AutoPlayBot bot(def);
        const Recording recording = Play(bot, c.scene, 60);
        EXPECT_EQ(bot.GetStrokeCount() > 0, c.strokes);
        if (!c.strokes) {
            EXPECT_GT(bot.GetSkippedForBombs(), 0);
        }
        // Every point the finger touched keeps its distance from every bomb.
        int frame = 0;
        for (const auto& touches : recording.frames) {
            for (const PlatformTouch& touch : touches) {
                const Vector2 at = Logical(touch, def);
                for (const AutoPlayTarget& bomb : c.scene) {
                    if (bomb.bomb) {
                        const Vector2 there{bomb.position.x + bomb.velocity.x * frame,
                                            bomb.position.y + bomb.velocity.y * frame};
                        EXPECT_GE(std::hypot(at.x - there.x, at.y - there.y), def.bombClearance - 1.0f);
                    }
                }
            }
            ++frame;
        }
    }
}

TEST(AutoPlayBot, LeavesFruitNearTheEdgeAndLiftsItsFingerWhenAsked) {
    AutoPlayDef def;
    AutoPlayBot edge(def);
    Play(edge, {FruitAt(1, def.screenWidth / 2.0f - 5.0f, 0.0f)}, 60);
    EXPECT_EQ(edge.GetStrokeCount(), 0);

    AutoPlayBot bot(def);
    std::vector<PlatformTouch> touches;
    for (int i = 0; i <= def.reactionFrames + 1 && !bot.IsStroking(); ++i) {
        touches.clear();
        bot.Step({FruitAt(1, 0.0f, 0.0f)}, touches);
    }
    ASSERT_TRUE(bot.IsStroking());
    touches.clear();
    bot.Release(touches);
    ASSERT_EQ(touches.size(), 1u);
    EXPECT_EQ(touches[0].phase, PlatformTouch::Ended);
    EXPECT_FALSE(bot.IsStroking());
    touches.clear();
    bot.Release(touches);  // idle: nothing
    EXPECT_TRUE(touches.empty());
}

}  // namespace
}  // namespace Varnok
