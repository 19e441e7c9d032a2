// Super-fruit events: the launch and hit callbacks, one event at a time, the
// chest's stages, and the ways an event ends.
#include "game/world/SuperChestEvent.h"
#include "game/world/SuperFruitEvent.h"

#include "game/screens/ScreenList.h"
#include "game/world/FruitRay.h"
#include "game/world/Jiblet.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <string>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

class SuperFruitEventsTest : public PlayFieldTest {
protected:
    void SetUp() override {
        PlayFieldTest::SetUp();
        const std::string text =
            "<fruitInfoFile><FruitInfo name='apple' chance='5'/><FruitInfo name='lime' chance='5'/>"
            "<FruitInfo name='super_pomegranate' chance='0' score='0'/>"
            "<FruitInfo name='super_chest' chance='0' score='0'/></fruitInfoFile>";
        FruitCatalogue::Get().Unload();
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        GetGameRecord().screenList = &screens;
        SuperFruitEvent::LoadResources();
        SuperFruitEvent::LoadResources();  // a second load adds no second callback
    }
    void TearDown() override {
        screens.Clear();
        SuperFruitEvent::UnloadResources();
        GetGameRecord().screenList = nullptr;
        WaveManager& waves = WaveManager::Instance();
        waves.paused = false;
        waves.timeScale = 1.0f;
        PlayFieldTest::TearDown();
    }

    Fruit& Thrown(const char* kind) {
        Fruit* fruit = WaveManager::Instance().SpawnWorldObject(1, FruitCatalogue::Get().IndexOf(kind, 0), nullptr);
        EXPECT_NE(fruit, nullptr);
        fruit->StartFlightTimer(0.01f);
        fruit->position = Vector3{0.0f, 0.0f, 0.0f};
        fruit->velocity = Vector3{0.0f, 5.0f, 0.0f};
        Frame();  // thrown: the launch callbacks run
        return *fruit;
    }
    int Hit(Fruit& fruit) { return fruit.OnHit(&hitter(), 0, 0, Vector3{10.0f, 0.0f, 0.0f}); }
    WorldObject& hitter() {
        if (m_hitter == nullptr) {
            m_hitter = WaveManager::Instance().SpawnWorldObject(1, 0, nullptr);
            m_hitter->StartFlightTimer(100.0f);
        }
        return *m_hitter;
    }
    // One frame: world at the frame step times the wave time scale, then the
    // screen list.
    void Frame(float seconds = 1.0f / 60.0f) {
        GetGameRecord().frameStep = seconds;
        WorldObjectManager::Instance().UpdateAll(seconds * WaveManager::Instance().timeScale);
        screens.UpdateAll(seconds);
    }
    int CountItems(int typeId) const {
        int n = 0;
        for (int i = 0; i < screens.Count(); ++i) {
            n += screens.GetAt(i)->GetTypeId() == typeId && dynamic_cast<SuperFruitGlow*>(screens.GetAt(i)) ? 1 : 0;
        }
        return n;
    }

    ScreenList screens;
    Fruit* m_hitter = nullptr;
};

TEST_F(SuperFruitEventsTest, EachSuperLaunchGetsOneGlowAndOneCount) {
    (void)Thrown("super_chest");
    (void)Thrown("super_pomegranate");
    (void)Thrown("apple");
    EXPECT_EQ(CountItems(1), 2);
    EXPECT_EQ(stats.Get("super_pomegranates_spawned"), 2);
}

TEST_F(SuperFruitEventsTest, WithNoRoundInPlayASuperFruitSlicesNormally) {
    Fruit& chest = Thrown("super_chest");
    GetGameRecord().notInPlay = true;
    EXPECT_EQ(Hit(chest), 0);
    EXPECT_FALSE(SuperFruitEvent::IsActive());
    for (int i = 0; i < 10; ++i) {
        Frame();
    }
    EXPECT_TRUE(chest.sliced);
    GetGameRecord().notInPlay = false;
}

TEST_F(SuperFruitEventsTest, TheChestRunsItsStagesAndHandsPlayBack) {
    Fruit& chest = Thrown("super_chest");
    Fruit& other = Thrown("super_chest");
    Fruit& apple = Thrown("apple");
    (void)Hit(chest);
    SuperFruitEvent* event = SuperFruitEvent::Find(&chest);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->hits, 2);  // the creating hit counts at once
    EXPECT_EQ(WorldObjectManager::Instance().Count(static_cast<uint32_t>(WorldObjectType::FruitRay)), 0);
    // The other chest is a plain fruit now; hitting it starts nothing.
    EXPECT_FALSE(other.isSuperChest);
    other.hitTimer = -1.0f;
    (void)Hit(other);
    EXPECT_EQ(SuperFruitEvent::ActiveCount(), 1);
    EXPECT_EQ(apple.hitTimer, 100.0f);  // held out of reach
    EXPECT_TRUE(WaveManager::Instance().paused);

    // Event time runs at the frame step; the lid goes at 0.2 s.
    float elapsed = 0.0f;
    const float step = 0.01f;
    while (elapsed < 0.19f) {
        Frame(step);
        elapsed += step;
    }
    EXPECT_FALSE(chest.destroyed);
    Frame(step);
    Frame(step);
    EXPECT_TRUE(chest.destroyed);
    EXPECT_EQ(WorldObjectManager::Instance().Count(static_cast<uint32_t>(WorldObjectType::Jiblet)), 1);
    chest.hitTimer = -1.0f;
    const int hitsBefore = event->hits;
    event->pulse = 0.0f;
    (void)Hit(chest);
    EXPECT_EQ(event->hits, hitsBefore);  // a destroyed chest takes no hits

    // Slowed to a tenth until the finish, 5.3 s after the first hit.
    elapsed = 0.21f;
    while (SuperFruitEvent::IsActive() && elapsed < 10.0f) {
        EXPECT_FLOAT_EQ(WaveManager::Instance().timeScale, 0.1f) << elapsed;
        Frame(step);
        elapsed += step;
    }
    EXPECT_NEAR(elapsed, 5.3f, 0.05f);
    EXPECT_FLOAT_EQ(WaveManager::Instance().timeScale, 1.0f);
    EXPECT_FALSE(WaveManager::Instance().paused);
    Frame();
    EXPECT_EQ(WorldObjectManager::Instance().Count(static_cast<uint32_t>(WorldObjectType::Jiblet)), 0);
}

TEST_F(SuperFruitEventsTest, QuittingDuringAnEventGivesPlayBack) {
    Fruit& chest = Thrown("super_chest");
    (void)Hit(chest);
    ASSERT_TRUE(SuperFruitEvent::IsActive());
    screens.m_timeScale = 0.3f;
    SuperFruitEvent::EndAll();
    Frame();
    EXPECT_FALSE(SuperFruitEvent::IsActive());
    EXPECT_FALSE(WaveManager::Instance().paused);
    EXPECT_FLOAT_EQ(WaveManager::Instance().timeScale, 1.0f);
    EXPECT_FLOAT_EQ(screens.m_timeScale, 1.0f);
    EXPECT_TRUE(chest.IsDead() || WorldObjectManager::Instance().Count(1) <= 1);
}

TEST_F(SuperFruitEventsTest, CleanupRestoresTheSliceTintsOnlyWhileTheWindowIsOpen) {
    Fruit& chest = Thrown("super_chest");
    (void)Hit(chest);
    SuperFruitEvent* event = SuperFruitEvent::Find(&chest);
    ASSERT_NE(event, nullptr);
    screens.m_tint[0] = screens.m_tint[1] = screens.m_tint[2] = 0.4f;
    screens.Clear();  // deletes the event: its clean-up runs
    EXPECT_FALSE(SuperFruitEvent::IsActive());
    EXPECT_FLOAT_EQ(screens.m_tint[1], 1.0f);

    Fruit& second = Thrown("super_chest");
    (void)Hit(second);
    event = SuperFruitEvent::Find(&second);
    ASSERT_NE(event, nullptr);
    event->sliceTime = 0.0f;  // closed...
    event->time = 0.5f;       // ...more than 0.1 s ago
    screens.m_tint[1] = 0.4f;
    screens.Clear();
    EXPECT_FLOAT_EQ(screens.m_tint[1], 0.4f);
}

TEST_F(SuperFruitEventsTest, AnEventGivesItsRaysUpBeforeItsFruit) {
    Fruit& chest = Thrown("super_chest");
    (void)Hit(chest);
    SuperFruitEvent* event = SuperFruitEvent::Find(&chest);
    ASSERT_NE(event, nullptr);
    event->pulse = 0.0f;
    chest.hitTimer = -1.0f;
    (void)Hit(chest);  // third hit: odd, a ray
    ASSERT_EQ(WorldObjectManager::Instance().Count(static_cast<uint32_t>(WorldObjectType::FruitRay)), 1);
    auto* ray = static_cast<FruitRay*>(WorldObjectManager::Instance().GetNth(
        static_cast<uint32_t>(WorldObjectType::FruitRay), 0));
    screens.Clear();
    EXPECT_EQ(ray->ending, 1);
    EXPECT_EQ(ray->source, nullptr);
    EXPECT_TRUE(chest.IsDead());
}

}  // namespace
}  // namespace Varnok
