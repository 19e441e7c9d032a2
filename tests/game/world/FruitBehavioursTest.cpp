#include "engine/core/HashName.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/ChallengeMods.h"
#include "game/rules/GameFunctions.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <cstring>

namespace Varnok {
namespace {

uint32_t Hash(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

class ChallengePlayingMode : public TestSupport::PlayingMode {
public:
    int GetModeType() const override { return kChallenge; }
};

class FruitBehavioursTest : public TestSupport::PlayFieldTest {
protected:
    void SetUp() override {
        PlayFieldTest::SetUp();
        GetGameRecord().currentMode = &challenge;
        const std::string text =
            "<challengeMods><mod name=\"KeepyUppy\"/><mod name=\"trampoline\"/><mod name=\"FruitStack\"/>"
            "<mod name=\"FloatingFruit\"/><mod name=\"BouncyWalls\"/><mod name=\"MegaFruit\"/>"
            "<mod type=\"CIRCLE_VELOCITY\" name=\"orbit\"><vector1 valueX=\"0\" valueY=\"20\"/></mod>"
            "<mod type=\"COLLISION\" name=\"bowl\"><collision shape=\"halfpipe\" radius=\"100\"/></mod>"
            "</challengeMods>";
        TiXmlDocument document;
        ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        mods.Parse(*document.RootElement());
        Fruit::SetChallengeMods(&mods);
    }
    void TearDown() override {
        Fruit::SetChallengeMods(nullptr);
        PlayFieldTest::TearDown();
    }
    void Activate(std::initializer_list<const char*> names) {
        std::vector<uint32_t> hashes;
        for (const char* name : names) {
            hashes.push_back(Hash(name));
        }
        mods.Activate(hashes, nullptr);
    }
    // A fruit in play at (x, y); without gravity unless asked (then as the
    // launch leaves it).
    Fruit& Launch(float x, float y, const Vector3& velocity, bool gravity = false) {
        auto* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(
            static_cast<uint32_t>(WorldObjectType::Fruit)));
        EXPECT_NE(fruit, nullptr);
        fruit->position = Vector3{x, y, 0.0f};
        fruit->velocity = velocity;
        fruit->Spawn(0);
        fruit->StartFlightTimer(0.0f);
        if (!gravity) {
            fruit->gravityOn = false;
        }
        return *fruit;
    }
    static void Hit(Fruit& fruit) {
        fruit.cutAngle = 16384;
        fruit.hitTimer = Fruit::kHitTimerSeconds;
        for (int frame = 0; frame < 10 && fruit.hitTimer > 0.0f; ++frame) {
            fruit.Update(GetGameRecord().frameStep);
        }
    }

    ChallengePlayingMode challenge;
    ChallengeModList mods;
};

TEST(ChallengeRelaunch, VelocityFromTheCutAndTheHeight) {
    const struct {
        const char* what;
        float y, minX, u1, u2;
        float vx, vy;
    } cases[] = {
        {"quarter-turn cut, bounce", 0.0f, 2.5f, 0.0f, 0.0f, 2.5f, std::sqrt(0.4f * 80.0f)},
        {"quarter-turn cut, mega split", 0.0f, 2.0f, 0.0f, 0.0f, 2.0f, std::sqrt(0.4f * 80.0f)},
        {"top edge: no height, the least upward speed", 160.0f, 2.5f, 0.5f, 0.9f, -1.0f, 2.0f},
        {"bottom edge, highest draw: capped at half the screen", -160.0f, 2.5f, 0.0f, 0.999f, 2.5f, 8.0f},
        {"middle draw", 100.0f, 2.5f, 0.0f, 0.5f, 2.5f, std::sqrt(0.4f * 60.0f * 0.775f)},
        {"far below the middle: held to half the screen", -60.0f, 2.5f, 0.0f, 0.5f, 2.5f, 8.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Vector3 v = ChallengeRelaunchVelocity(16384, c.y, 320.0f, c.minX, c.u1, c.u2);
        if (c.vx >= 0.0f) {
            EXPECT_NEAR(v.x, c.vx, 1e-4f);
        }
        EXPECT_NEAR(v.y, c.vy, 1e-3f);
        EXPECT_FLOAT_EQ(v.z, 0.0f);
    }
    // Every height of a 320-high screen leaves between 2 and 8.
    for (float y = -160.0f; y <= 160.0f; y += 7.0f) {
        for (float u2 = 0.0f; u2 < 1.0f; u2 += 0.1f) {
            const float vy = ChallengeRelaunchVelocity(0, y, 320.0f, 2.5f, 0.3f, u2).y;
            EXPECT_GE(vy, 2.0f);
            EXPECT_LE(vy, 8.0f + 1e-4f);
        }
    }
}

TEST_F(FruitBehavioursTest, KeepyUppyBouncesFourTimesAndSplitsOnTheFifth) {
    Activate({"KeepyUppy"});
    Fruit& fruit = Launch(0.0f, 0.0f, Vector3{0.0f, 3.0f, 0.0f});
    ASSERT_TRUE(fruit.keepyUppy);
    for (int bounce = 1; bounce <= Fruit::kMaxBounces; ++bounce) {
        SCOPED_TRACE(bounce);
        Hit(fruit);
        EXPECT_FALSE(fruit.sliced);
        EXPECT_EQ(fruit.bounceCount, bounce);
        EXPECT_FLOAT_EQ(fruit.timeScale, Fruit::kBounceTimeScale);
        EXPECT_FLOAT_EQ(fruit.hitCooldown, Fruit::kBounceHitCooldown);
        EXPECT_GE(fruit.velocity.y, 2.0f);
        EXPECT_LE(fruit.velocity.y, 8.0f);
        EXPECT_GE(std::fabs(fruit.velocity.x), 2.5f);
        EXPECT_TRUE(fruit.keepyUppy);
        fruit.position = Vector3{};
    }
    Hit(fruit);
    EXPECT_TRUE(fruit.sliced);
}

TEST_F(FruitBehavioursTest, BehavioursNeedTheChallengeModeRunning) {
    Activate({"KeepyUppy"});
    GetGameRecord().currentMode = &mode;  // the classic mode
    Fruit& fruit = Launch(0.0f, 0.0f, Vector3{0.0f, 3.0f, 0.0f});
    EXPECT_FALSE(fruit.keepyUppy);
    Hit(fruit);
    EXPECT_TRUE(fruit.sliced);
}

TEST_F(FruitBehavioursTest, TrampolineSendsFallingFruitBackUp) {
    Activate({"trampoline", "FruitStack", "bowl"});
    const struct {
        float fallSpeed, leaves;
    } cases[] = {{12.0f, 9.5f}, {5.0f, 5.0f}};
    for (const auto& c : cases) {
        Fruit& fruit = Launch(0.0f, -150.0f, Vector3{0.0f, -c.fallSpeed, 0.0f});
        fruit.Update(GetGameRecord().frameStep);
        EXPECT_FLOAT_EQ(fruit.velocity.y, c.leaves) << c.fallSpeed;
    }
    // Rising fruit and fruit above the floor pass; the stack and the bowl
    // below it do nothing while the trampoline is on.
    Fruit& rising = Launch(0.0f, -150.0f, Vector3{0.0f, 3.0f, 0.0f});
    rising.Update(GetGameRecord().frameStep);
    EXPECT_FLOAT_EQ(rising.velocity.y, 3.0f);
    Fruit& high = Launch(0.0f, 0.0f, Vector3{0.0f, -3.0f, 0.0f});
    high.Update(GetGameRecord().frameStep);
    EXPECT_FLOAT_EQ(high.velocity.y, -3.0f);
}

TEST_F(FruitBehavioursTest, StackedFruitRestOnTheGroundAndOnEachOther) {
    Activate({"FruitStack"});
    mods.FindActive(Hash("FruitStack"))->stateFloats[0] = 20.0f;
    Fruit& bottom = Launch(10.0f, -99.0f, Vector3{0.0f, -3.0f, 0.0f});
    bottom.id = 2;
    bottom.Update(GetGameRecord().frameStep);
    EXPECT_FLOAT_EQ(bottom.position.y, -100.0f);
    EXPECT_FLOAT_EQ(bottom.velocity.y, 0.0f);

    Fruit& top = Launch(10.0f, -80.0f, Vector3{0.0f, -1.0f, 0.0f});
    top.id = 1;
    top.Update(GetGameRecord().frameStep);
    EXPECT_FLOAT_EQ(top.position.y, -70.0f);  // the centre below + 1.5 h
    EXPECT_FLOAT_EQ(top.velocity.y, 0.0f);

    // A fruit of another column, or one that is not above, falls on.
    Fruit& aside = Launch(11.0f, -80.0f, Vector3{0.0f, -1.0f, 0.0f});
    aside.id = 0;
    aside.Update(GetGameRecord().frameStep);
    EXPECT_FLOAT_EQ(aside.velocity.y, -1.0f);
}

TEST_F(FruitBehavioursTest, OrbitTurnsAboutTheCentreAtTheVelocitysRate) {
    Activate({"orbit"});
    Fruit& fruit = Launch(50.0f, 20.0f, Vector3{1.5f, 4.0f, 0.0f}, true);
    for (int frame = 0; frame < 30; ++frame) {
        fruit.Update(GetGameRecord().frameStep);
    }
    const float dx = fruit.position.x;
    const float dy = fruit.position.y - 20.0f;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 50.0f, 1e-3f);
    EXPECT_NEAR(std::atan2(dy, dx), 1.5f * 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(fruit.velocity.x, 1.5f);  // the velocity itself is kept
    EXPECT_FLOAT_EQ(fruit.velocity.y, 4.0f);
}

TEST_F(FruitBehavioursTest, MegaFruitSplitsIntoTwoSmallerOnes) {
    Activate({"MegaFruit"});
    ChallengeMod& mega = *mods.FindActive(Hash("MegaFruit"));
    const struct {
        float times;
        float factor;
    } cases[] = {{3.0f, 2.25f}, {1.2f, 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.times);
        Fruit& fruit = Launch(0.0f, 0.0f, Vector3{0.0f, 2.0f, 0.0f});
        fruit.scale = Scale(fruit.baseScale, c.times);
        const int before = Count(WorldObjectType::Fruit);
        Hit(fruit);
        EXPECT_FALSE(fruit.sliced);
        EXPECT_FLOAT_EQ(mega.stateFloats[0], c.factor);
        ASSERT_EQ(Count(WorldObjectType::Fruit), before + 2);
        auto* first = static_cast<Fruit*>(Nth(WorldObjectType::Fruit, before));
        auto* second = static_cast<Fruit*>(Nth(WorldObjectType::Fruit, before + 1));
        EXPECT_GE(std::fabs(first->velocity.x), 2.0f);
        EXPECT_FLOAT_EQ(second->velocity.x, -first->velocity.x);
        EXPECT_FLOAT_EQ(second->velocity.y, -first->velocity.y);
        EXPECT_FLOAT_EQ(first->hitCooldown, Fruit::kBounceHitCooldown);
    }
    // At its own size a fruit splits into halves as usual.
    Fruit& plain = Launch(0.0f, 0.0f, Vector3{0.0f, 2.0f, 0.0f});
    Hit(plain);
    EXPECT_TRUE(plain.sliced);
}

TEST_F(FruitBehavioursTest, FloatingFruitAndBouncyWalls) {
    Activate({"FloatingFruit", "BouncyWalls"});
    Fruit& fruit = Launch(0.0f, 0.0f, Vector3{}, true);
    EXPECT_FALSE(fruit.gravityOn);
    const float wall = LogicalScreenWidth() / 2.0f + 22.0f;
    Fruit& right = Launch(wall, 0.0f, Vector3{3.0f, 0.0f, 0.0f});
    right.Update(GetGameRecord().frameStep);
    right.PostUpdate(GetGameRecord().frameStep);
    EXPECT_FLOAT_EQ(right.velocity.x, -3.0f);
    EXPECT_FLOAT_EQ(right.drift.x, 0.0f);  // no soft wall on top

    Activate({});
    EXPECT_TRUE(Launch(0.0f, 0.0f, Vector3{}, true).gravityOn);
}

}  // namespace
}  // namespace Varnok
