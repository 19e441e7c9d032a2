// Powers and achievement checks in play: a sliced fruit starts one of its
// kind's powers, the wave manager runs the powers' clocks only in classic
// play and takes their speed factor, a new game ends them, a freeze power
// carries waves past the end of play, and slices and new waves feed the
// score, run and statistic checks of the achievement list.
#include "engine/core/HashName.h"
#include "game/rules/Achievements.h"
#include "game/rules/Powers.h"
#include "game/rules/SaveFile.h"
#include "game/rules/UnlockQueue.h"

#include "tests/game/rules/SaveFolder.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

// Counts down its duration and, while it runs, asks for a faster launch.
class SpeedEffect final : public PowerSubEffect {
public:
    explicit SpeedEffect(float seconds, float factor) : m_factor(factor) { duration = seconds; }
    int Update(float dt) override {
        remaining -= dt;
        PowerManager::Instance().speedFactor = m_factor;
        return remaining <= 0.0f ? 1 : 0;
    }
    void Start(bool /*restored*/, const float* time) override { remaining = time != nullptr ? *time : duration; }
    void Stop() override {}
    int Type() const override { return 1; }
    std::unique_ptr<PowerSubEffect> Clone() const override {
        return std::make_unique<SpeedEffect>(duration, m_factor);
    }

private:
    float m_factor;
};

// seconds the effect runs; totalTime 0 makes an untimed power, which a
// saved game brings back.
void DefinePower(const char* name, float seconds, float factor, float totalTime = -1.0f) {
    auto record = std::make_unique<PowerRecord>();
    record->SetName(name);
    record->keyed = 1;
    record->totalTime = totalTime < 0.0f ? seconds : totalTime;
    record->subEffects.push_back(std::make_unique<SpeedEffect>(seconds, factor));
    PowerManager::Instance().AddDefinition(std::move(record));
}

class SlicePowersTest : public TestSupport::PlayFieldTest {
protected:
    void SetUp() override {
        PlayFieldTest::SetUp();
        const std::string text =
            "<fruitInfoFile><critical score=\"5\" chance=\"5\" chance_inc=\"30\"/>"
            "<bomb size=\"50\" collision=\"20\"/>"
            "<FruitInfo name=\"apple\" chance=\"5\"><power name=\"haste\" chance=\"1\"/></FruitInfo>"
            "<FruitInfo name=\"lime\" chance=\"5\"/></fruitInfoFile>";
        FruitCatalogue::Get().Unload();
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        PowerManager::Instance().Clear();
        DefinePower("haste", 2.0f, 3.0f);
        DefinePower("freeze", 5.0f, 1.0f);
        GetGameRecord().fruitMissed = false;
        GetGameRecord().allPointsTotal = 0;
        Fruit::ResetSliceRecords();
    }
    void TearDown() override {
        PowerManager::Instance().Clear();
        AchievementManager::Instance().Clear();
        GetGameRecord().fruitMissed = false;
        GetGameRecord().allPointsTotal = 0;
        GetGameRecord().menuPhase = 0.0f;
        PlayFieldTest::TearDown();
    }
    Fruit* Slice(int kind, bool withHitter = true) {
        auto* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        fruit->Spawn(kind);
        fruit->position = Vector3{12.0f, -30.0f, 0.0f};
        auto* hitter = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        hitter->Spawn(kind);
        (void)fruit->OnHit(withHitter ? hitter : nullptr, 0, 0, Vector3{40.0f, 0.0f, 0.0f});
        return fruit;
    }
    void LoadAchievements(const std::string& entries) {
        const std::string list = "<achievementManagerFile>" + entries + "</achievementManagerFile>";
        AchievementManager::Instance().LoadFromText(list.c_str(), list.size());
    }
    bool Queued(const char* id) const { return UnlockQueue::StateOf(stats, Hash(id)) == UnlockQueue::kQueued; }
};

TEST_F(SlicePowersTest, OnlyAScoringSliceOfAKindWithPowersStartsOne) {
    PowerManager& powers = PowerManager::Instance();
    Slice(1);  // lime carries none
    Slice(0, false);  // no hitter: no score, no power
    EXPECT_TRUE(powers.Active().empty());
    Slice(0);
    ASSERT_EQ(powers.Active().size(), 1u);
    EXPECT_EQ(powers.Active()[0]->nameHash, Hash("haste"));
    Slice(0);  // keyed: the same record restarts
    EXPECT_EQ(powers.Active().size(), 1u);
    // A kind naming a power nobody defined slices as before.
    powers.Clear();
    Slice(0);
    EXPECT_TRUE(powers.Active().empty());
}

TEST_F(SlicePowersTest, WavesRunThePowersOnlyInClassicPlayAndTakeTheirSpeed) {
    LoadWaves("<WaveInfo><NextWaveDelay delay='5'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    PowerManager& powers = PowerManager::Instance();
    PowerRecord* haste = powers.Activate(Hash("haste"), Vector3{}, nullptr);
    ASSERT_NE(haste, nullptr);

    waves.Update(0.5f);
    EXPECT_NEAR(haste->time, 1.5f, 1e-4f);
    EXPECT_FLOAT_EQ(waves.powerFactor, 3.0f);

    struct Case {
        const char* what;
        float menuPhase;
        int modeIndex;
    };
    for (const Case& c : {Case{"results screen", 1.0f, 0}, Case{"challenge", 0.0f, 1}}) {
        SCOPED_TRACE(c.what);
        GetGameRecord().menuPhase = c.menuPhase;
        GetGameRecord().modeIndex = c.modeIndex;
        powers.speedFactor = 7.0f;
        waves.Update(0.5f);
        EXPECT_NEAR(haste->time, 1.5f, 1e-4f);  // the clock stood still
        EXPECT_FLOAT_EQ(powers.speedFactor, 1.0f);
        EXPECT_FLOAT_EQ(waves.powerFactor, 1.0f);
    }
    GetGameRecord().menuPhase = 0.0f;
    GetGameRecord().modeIndex = 0;

    // A new game ends every power.
    waves.Reset(1);
    EXPECT_TRUE(powers.Active().empty());
}

TEST_F(SlicePowersTest, OnlyAFreezePowerCarriesAWavePastTheEndOfPlay) {
    LoadWaves("<WaveInfo><NextWaveDelay delay='0'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    GetGameRecord().notInPlay = true;
    mode.newWaves = 0;
    waves.Step(WaveManager::kStepSeconds);
    waves.Step(WaveManager::kStepSeconds);
    EXPECT_EQ(mode.newWaves, 0);
    (void)PowerManager::Instance().Activate(Hash("haste"), Vector3{}, nullptr);
    waves.Step(WaveManager::kStepSeconds);
    EXPECT_EQ(mode.newWaves, 0);
    (void)PowerManager::Instance().Activate(Hash("freeze"), Vector3{}, nullptr);
    waves.Step(WaveManager::kStepSeconds);
    EXPECT_EQ(mode.newWaves, 1);
}

TEST_F(SlicePowersTest, SlicesCheckTheCleanScoreAndTheSameKindRun) {
    LoadAchievements(
        "<achievement id=\"21_clean\" type=\"SCORE_UNSULLIED\" total=\"3\"/>"
        "<achievement id=\"22_apples\" type=\"CONSECUTIVE\" specific_type=\"apple\" total=\"3\"/>");
    GetGameRecord().fruitMissed = true;
    GetGameRecord().score = 10;
    Slice(0);
    EXPECT_FALSE(Queued("21_clean"));  // a fruit was missed this game
    Slice(0);
    Slice(1);  // a lime breaks the run of apples
    Slice(0);
    Slice(0);
    EXPECT_FALSE(Queued("22_apples"));
    Slice(0);
    EXPECT_TRUE(Queued("22_apples"));
    EXPECT_EQ(Fruit::GetSameKindRun(), 3);

    GetGameRecord().fruitMissed = false;
    Slice(1);
    EXPECT_TRUE(Queued("21_clean"));

    // A new game starts the run again.
    WaveManager::Instance().Reset(1);
    EXPECT_EQ(Fruit::GetSameKindRun(), 0);
}

TEST_F(SlicePowersTest, ANewWaveChecksScoreTotalAndEveryStatistic) {
    LoadAchievements(
        "<achievement id=\"31_score\" type=\"SCORE\" total=\"40\"/>"
        "<achievement id=\"32_total\" type=\"TOTAL\" total=\"1000\"/>"
        "<achievement id=\"33_stat\" type=\"SPECIFIC\" specific_type=\"bombs_dodged\" total=\"2\"/>");
    stats.SetWatcher(&AchievementManager::Instance());
    LoadWaves("<WaveInfo><NextWaveDelay delay='0'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    stats.Set("bombs_dodged", 5, 0, 0);  // changed without the check
    EXPECT_FALSE(Queued("33_stat"));
    GetGameRecord().score = 45;
    GetGameRecord().allPointsTotal = 999;
    (void)waves.StartNextWave();
    EXPECT_TRUE(Queued("31_score"));
    EXPECT_FALSE(Queued("32_total"));
    EXPECT_TRUE(Queued("33_stat"));
    GetGameRecord().allPointsTotal = 1000;
    (void)waves.StartNextWave();
    EXPECT_TRUE(Queued("32_total"));
    stats.SetWatcher(nullptr);
}

TEST_F(SlicePowersTest, AGameInProgressKeepsItsPowerThroughTheSaveFile) {
    TestSupport::SaveFolder folder{"powers"};
    DefinePower("shield", 9.0f, 2.0f, 0.0f);
    LoadWaves("<WaveInfo><Spawn type='apple' min='3' max='3' delay='0.5'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    (void)PowerManager::Instance().Activate(Hash("shield"), Vector3{}, nullptr);
    for (int i = 0; i < 60; ++i) {
        waves.Update(1.0f / 60.0f);
        Run(1);
    }
    ASSERT_EQ(PowerManager::Instance().Active().size(), 1u);
    const float left = PowerManager::Instance().Active()[0]->time;
    EXPECT_NEAR(left, 8.0f, 0.05f);
    stats.roundInPlay = 1;
    ASSERT_TRUE(waves.SaveState(stats));
    ASSERT_TRUE(SaveFile::Write(stats));

    // The next run: a new game ends the power, the saved game brings it back.
    WorldObjectManager::Instance().Clear();
    waves.Reset(1);
    EXPECT_TRUE(PowerManager::Instance().Active().empty());
    stats = GameStats();
    folder.Mount();
    SaveFile::Load(stats);
    waves.RestoreSavedGame();
    ASSERT_EQ(PowerManager::Instance().Active().size(), 1u);
    PowerRecord* shield = PowerManager::Instance().Find(Hash("shield"));
    ASSERT_NE(shield, nullptr);
    EXPECT_NEAR(shield->time, left, 1e-3f);
    waves.Update(0.5f);
    EXPECT_NEAR(shield->time, left - 0.5f, 1e-3f);
    EXPECT_FLOAT_EQ(waves.powerFactor, 2.0f);
}

}  // namespace
}  // namespace Varnok
