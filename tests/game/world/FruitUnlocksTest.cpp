// Slicing fruit feeds the achievement list's order checks: the kinds in the
// listed order queue the unlock, and slices while the round start is
// pending do not count.
#include "engine/core/HashName.h"
#include "game/rules/Achievements.h"
#include "game/rules/UnlockQueue.h"

#include "tests/game/world/PlayFieldFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

class FruitUnlocksTest : public TestSupport::PlayFieldTest {
protected:
    void SetUp() override {
        PlayFieldTest::SetUp();
        const std::string list =
            "<achievementManagerFile><achievement id=\"11_order\" type=\"SPECIFIC_ORDER\" "
            "specific_type=\"apple,lime\"/></achievementManagerFile>";
        AchievementManager::Instance().LoadFromText(list.c_str(), list.size());
    }
    void TearDown() override {
        AchievementManager::Instance().Clear();
        GetGameRecord().roundStartPending = false;
        PlayFieldTest::TearDown();
    }
    void Slice(int kind) {
        auto* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        fruit->Spawn(kind);
        fruit->position = Vector3{};
        auto* hitter = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        hitter->Spawn(kind);
        (void)fruit->OnHit(hitter, 0, 0, Vector3{40.0f, 0.0f, 0.0f});
    }
    bool Queued() const {
        return UnlockQueue::StateOf(stats, HashName("11_order", 8)) == UnlockQueue::kQueued;
    }
};

TEST_F(FruitUnlocksTest, SlicesInTheListedOrderQueueTheUnlock) {
    GetGameRecord().roundStartPending = true;
    Slice(0);  // apple, not counted
    GetGameRecord().roundStartPending = false;
    Slice(1);  // lime
    EXPECT_FALSE(Queued());
    Slice(0);
    Slice(1);
    EXPECT_TRUE(Queued());
}

}  // namespace
}  // namespace Varnok
