// The power manager over prototypes of the tests' own: a one-line format
// ("name=... keyed=1 stacks=0 cost=0 uses=-1 time=4 effect=2:withhold
// sprite=star") read into records whose sub-effects count down. Activation
// without prototypes, keyed and exclusive powers, the points a power
// withholds and the bonus star that pays them, and the saved game's powers.
#include "game/rules/Powers.h"

#include "engine/core/HashName.h"
#include "game/rules/BonusStar.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/screens/BonusTimeLabel.h"
#include "game/screens/CountdownTimer.h"
#include "game/screens/ScreenList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

// Runs for its duration (or the time it is started with); a withholding one
// installs the points hook when it starts.
class CountdownEffect final : public PowerSubEffect {
public:
    CountdownEffect(int type, float seconds, bool withholds) : m_type(type) {
        duration = seconds;
        withholdsPoints = withholds ? 1 : 0;
    }
    int Update(float dt) override {
        remaining -= dt;
        return remaining <= 0.0f ? 1 : 0;
    }
    void Start(bool restored, const float* time) override {
        remaining = time != nullptr ? *time : duration;
        startArguments.push_back(time != nullptr ? *time : -100.0f);
        lastRestored = restored;
        if (withholdsPoints != 0) {
            PowerManager::Instance().RefreshPointsHook();
        }
    }
    void Stop() override {}
    int Type() const override { return m_type; }
    std::unique_ptr<PowerSubEffect> Clone() const override {
        auto copy = std::make_unique<CountdownEffect>(m_type, duration, withholdsPoints != 0);
        copy->bonusTime = bonusTime;
        return copy;
    }

    std::vector<float> startArguments;
    bool lastRestored = false;

private:
    int m_type;
};

// "name=x keyed=1 stacks=1 cost=5 uses=-1 time=4 effect=<type>:<seconds>[:withhold] sprite=star"
std::unique_ptr<PowerRecord> ReadPrototype(const std::string& line) {
    auto record = std::make_unique<PowerRecord>();
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        if (key == "name") {
            record->SetName(value.c_str());
        } else if (key == "keyed") {
            record->keyed = static_cast<uint8_t>(std::atoi(value.c_str()));
        } else if (key == "stacks") {
            record->stacks = static_cast<uint8_t>(std::atoi(value.c_str()));
        } else if (key == "time") {
            record->totalTime = static_cast<float>(std::atof(value.c_str()));
        } else if (key == "cost" || key == "uses") {
            if (record->purchase == nullptr) {
                record->purchase = std::make_unique<PowerPurchase>();
            }
            (key == "cost" ? record->purchase->cost : record->purchase->uses) = std::atoi(value.c_str());
        } else if (key == "effect") {
            const int type = std::atoi(value.c_str());
            const size_t colon = value.find(':');
            const float seconds = static_cast<float>(std::atof(value.c_str() + colon + 1));
            record->subEffects.push_back(
                std::make_unique<CountdownEffect>(type, seconds, value.find(":withhold") != std::string::npos));
        } else if (key == "bonus") {
            record->subEffects.back()->bonusTime = static_cast<float>(std::atof(value.c_str()));
        } else if (key == "sprite") {
            if (record->effects == nullptr) {
                record->effects = std::make_unique<PowerEffects>();
            }
            PowerSpriteEntry entry;
            entry.kind = value == "star"    ? PowerSpriteEntry::kBonusStar
                         : value == "label" ? PowerSpriteEntry::kBonusTimeLabel
                                            : 0;
            record->effects->sprites.push_back(entry);
        }
    }
    return record;
}

class PowersTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameRecord& game = GetGameRecord();
        m_saved = {game.stats, game.screenList};
        game.stats = &stats;
        game.screenList = &screens;
        game.score = 0;
        game.coins = 0;
        game.paused = false;
    }
    void TearDown() override {
        manager().Clear();
        screens.Clear();
        SetPointsModifier(PointsModifier());
        GetGameRecord().stats = m_saved.first;
        GetGameRecord().screenList = m_saved.second;
    }
    static PowerManager& manager() { return PowerManager::Instance(); }
    void Define(const char* line) { manager().AddDefinition(ReadPrototype(line)); }
    PowerRecord* Activate(const char* name, const float* restore = nullptr) {
        return manager().Activate(Hash(name), Vector3{}, restore);
    }
    static CountdownEffect& EffectOf(PowerRecord* record) {
        return static_cast<CountdownEffect&>(*record->subEffects.front());
    }
    BonusStarItem* Star() const {
        for (int i = 0; i < screens.Count(); ++i) {
            if (screens.GetAt(i)->GetTypeId() == 8) {
                return static_cast<BonusStarItem*>(screens.GetAt(i));
            }
        }
        return nullptr;
    }
    // Runs the powers until none is left.
    void RunPowersOut(float step) {
        for (int i = 0; i < 1000 && !manager().Active().empty(); ++i) {
            manager().UpdateAll(step);
            screens.UpdateAll(step);
        }
        ASSERT_TRUE(manager().Active().empty());
    }

    GameStats stats;
    ScreenList screens;

private:
    std::pair<GameStats*, ScreenList*> m_saved;
};

TEST_F(PowersTest, WithoutPrototypesNothingActivates) {
    EXPECT_EQ(Activate("freeze"), nullptr);
    EXPECT_TRUE(manager().Active().empty());
    EXPECT_EQ(manager().Find(Hash("freeze")), nullptr);
    EXPECT_EQ(manager().RemainingFraction(0.0f), 2.0f);
    manager().UpdateAll(0.1f);
    EXPECT_EQ(manager().speedFactor, 1.0f);
}

TEST_F(PowersTest, RemainingFractionCountsOnlyExclusivePowers) {
    Define("name=stacker stacks=1 time=4 effect=0:4");
    Define("name=bought cost=5 uses=-1 time=4 effect=0:4");
    Define("name=untimed effect=0:4");
    Define("name=frenzy time=4 effect=0:4");
    Activate("stacker");
    Activate("bought");
    Activate("untimed");
    EXPECT_EQ(manager().RemainingFraction(0.0f), 2.0f);
    EXPECT_EQ(GetGameRecord().coins, -5);  // bought powers charge when they start
    PowerRecord* frenzy = Activate("frenzy");
    manager().UpdateAll(1.0f);
    EXPECT_FLOAT_EQ(frenzy->time, 3.0f);
    EXPECT_FLOAT_EQ(manager().RemainingFraction(0.0f), 0.75f);
    EXPECT_FLOAT_EQ(manager().RemainingFraction(1.0f), 0.5f);
}

TEST_F(PowersTest, AKeyedPowerActivatedTwiceKeepsOneRecord) {
    Define("name=score_mult keyed=1 time=6 effect=0:6 effect=0:4");
    PowerRecord* first = Activate("score_mult");
    manager().UpdateAll(2.0f);
    const float restore = 1.5f;
    PowerRecord* second = Activate("score_mult", &restore);
    EXPECT_EQ(first, second);
    EXPECT_EQ(manager().Active().size(), 1u);
    EXPECT_EQ(manager().Find(Hash("score_mult")), first);
    // Restarted with its longest duration, as a restore.
    EXPECT_EQ(EffectOf(first).startArguments.back(), 6.0f);
    EXPECT_TRUE(EffectOf(first).lastRestored);
}

TEST_F(PowersTest, ExclusivePowersRestartTogetherOnTheShorterDuration) {
    Define("name=long time=8 effect=0:8");
    Define("name=short time=3 effect=0:3");
    Define("name=stacker stacks=1 time=5 effect=0:5");
    PowerRecord* longer = Activate("long");
    manager().UpdateAll(1.0f);
    PowerRecord* shorter = Activate("short");
    EXPECT_EQ(EffectOf(longer).startArguments.back(), 3.0f);
    EXPECT_EQ(EffectOf(shorter).startArguments.back(), 3.0f);
    const size_t starts = EffectOf(longer).startArguments.size();
    Activate("stacker");  // leaves the others alone
    EXPECT_EQ(EffectOf(longer).startArguments.size(), starts);
}

TEST_F(PowersTest, WithheldPointsArePaidOnceByTheStarEvenAtALowFrameRate) {
    Define("name=hoard time=2 effect=2:2:withhold sprite=star");
    PowerRecord* hoard = Activate("hoard");
    ASSERT_NE(Star(), nullptr);
    AddPoints(7, 0, 0);
    AddPoints(3, 0, 0);
    EXPECT_EQ(GetScore(), 0);
    EXPECT_EQ(hoard->deferedPoints, 10);
    RunPowersOut(1.0f / 30.0f);
    BonusStarItem* star = Star();
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->m_points, 20);  // ran its course: doubled
    AddPoints(1, 0, 0);  // the hook went with its effect
    EXPECT_EQ(GetScore(), 1);

    // Half-second frames: nothing at 0.5 s, the payment on the frame past 0.8 s.
    screens.UpdateAll(0.5f);
    EXPECT_EQ(GetScore(), 1);
    screens.UpdateAll(0.5f);
    EXPECT_EQ(GetScore(), 21);
    screens.UpdateAll(0.5f);
    EXPECT_EQ(GetScore(), 21);
    EXPECT_EQ(Star(), nullptr);  // done after 1.35 s
}

TEST_F(PowersTest, ASaveDuringTheFlightPaysAtOnceAndAResetNever) {
    Define("name=hoard time=2 effect=2:2:withhold sprite=star");
    Activate("hoard");
    AddPoints(5, 0, 0);
    RunPowersOut(0.1f);
    screens.UpdateAll(0.2f);
    screens.NotifyBeforeSave();
    EXPECT_EQ(GetScore(), 10);
    screens.UpdateAll(0.5f);
    screens.UpdateAll(0.5f);
    EXPECT_EQ(GetScore(), 10);

    Activate("hoard");
    AddPoints(5, 0, 0);
    RunPowersOut(0.1f);
    screens.ResetAll();
    screens.UpdateAll(1.0f);
    EXPECT_EQ(GetScore(), 10);
    EXPECT_EQ(Star(), nullptr);
}

TEST_F(PowersTest, AStarOfAPowerStoppedEarlyCarriesNothing) {
    Define("name=hoard time=2 effect=2:2:withhold sprite=star");
    Activate("hoard");
    AddPoints(5, 0, 0);
    manager().UpdateAll(0.5f);
    manager().ClearActive();
    ASSERT_NE(Star(), nullptr);
    EXPECT_EQ(Star()->m_points, 0);
    for (int i = 0; i < 20; ++i) {
        screens.UpdateAll(0.05f);
    }
    EXPECT_EQ(Star(), nullptr);
    EXPECT_EQ(GetScore(), 0);
}

TEST_F(PowersTest, TheSavedGameRestoresUntimedAndBoughtPowersOnly) {
    Define("name=free_timed time=5 effect=0:5");
    Define("name=bought cost=3 uses=-1 time=5 effect=0:5");
    Define("name=untimed effect=0:9");
    Define("name=stacker stacks=1 effect=0:9");
    for (const char* name : {"free_timed", "bought", "untimed", "stacker"}) {
        Activate(name);
    }
    manager().UpdateAll(1.0f);
    manager().Active()[1]->deferedPoints = 12;
    TiXmlElement powers("powers");
    manager().Save(powers);
    int saved = 0;
    for (const TiXmlElement* e = powers.FirstChildElement("power"); e != nullptr; e = e->NextSiblingElement()) {
        ++saved;
        EXPECT_EQ(e->Attribute("deferedPoints") != nullptr, std::strcmp(e->Attribute("name"), "bought") == 0);
    }
    EXPECT_EQ(saved, 4);

    manager().ClearActive();
    GetGameRecord().coins = 0;
    manager().Load(powers, 0);
    ASSERT_EQ(manager().Active().size(), 2u);
    EXPECT_STREQ(manager().Active()[0]->name, "bought");
    EXPECT_FLOAT_EQ(manager().Active()[0]->time, 4.0f);
    EXPECT_EQ(EffectOf(manager().Active()[0].get()).startArguments.back(), 4.0f);
    EXPECT_STREQ(manager().Active()[1]->name, "untimed");
    EXPECT_EQ(GetScore(), 12);
    EXPECT_EQ(GetGameRecord().coins, 0);  // a restore charges nothing

    // A file of no mode brings nothing back.
    manager().ClearActive();
    manager().Load(powers, 2);
    EXPECT_TRUE(manager().Active().empty());
}

TEST_F(PowersTest, ABonusTimeLabelAddsItsSecondsToTheClockOnlyWhenItsPowerRanOut) {
    Define("name=time_bonus time=1 effect=4:1 bonus=5 sprite=label");
    CountdownTimer clock;
    clock.m_timeLeft = 30.0f;
    GetGameRecord().countdownTimer = &clock;
    const struct {
        bool runsOut;
        float added;
    } cases[] = {{true, 5.0f}, {false, 0.0f}};
    for (const auto& c : cases) {
        Activate("time_bonus");
        manager().UpdateAll(0.1f);
        screens.UpdateAll(0.1f);
        if (c.runsOut) {
            RunPowersOut(0.1f);
        } else {
            manager().ClearActive();
        }
        const float before = clock.m_timeLeft;
        float elapsed = 0.0f;
        for (int i = 0; i < 40 && screens.Count() > 0; ++i) {
            screens.UpdateAll(0.05f);
            elapsed += 0.05f;
        }
        EXPECT_EQ(screens.Count(), 0);
        // The clock stands still while the label is up, then takes its bonus.
        EXPECT_NEAR(clock.m_timeLeft - before, elapsed + c.added, 1e-3f) << c.runsOut;
    }
    BonusTimeLabel label;
    label.m_shown = 65.4321f;
    char text[16];
    label.FormatShown(text, sizeof(text));
    EXPECT_STREQ(text, "+65:43");
    GetGameRecord().countdownTimer = nullptr;
}

TEST_F(PowersTest, SpritesShowWithinTheirSpanAndTintsMultiplyTheScreenFactors) {
    PowerEffects effects;
    PowerSpriteEntry sprite;
    sprite.start = 0.75f;
    sprite.end = 0.25f;
    sprite.colour = Colour(255, 255, 255, 200);
    sprite.flags = 2;  // alpha follows the visibility
    effects.sprites.push_back(sprite);
    PowerTintEntry tint;
    tint.colourFactor[0] = 0.5f;
    tint.colourFactor[1] = 1.5f;  // clamped to 1
    tint.sliceTint[2] = -1.0f;    // clamped to 0
    effects.tints.push_back(tint);
    effects.Create();
    ASSERT_EQ(screens.Count(), 1);
    ScreenItem* item = screens.GetAt(0);
    const struct {
        float timeLeft;
        uint8_t alpha;
    } cases[] = {{4.0f, 0}, {3.0f, 200}, {2.0f, 200}, {1.0f, 200}, {0.9f, 0}};
    for (const auto& c : cases) {
        manager().ResetModifiers();
        effects.Update(0.1f, c.timeLeft, 4.0f);
        EXPECT_EQ(item->m_colour.a, c.alpha) << "time left " << c.timeLeft;
        EXPECT_FLOAT_EQ(screens.m_tint[0], 0.5f);
        EXPECT_FLOAT_EQ(screens.m_tint[1], 1.0f);
        EXPECT_FLOAT_EQ(screens.m_worldTint[2], 0.0f);
    }
    effects.Remove();
    EXPECT_TRUE(item->m_finished);  // a plain sprite ends with its set
}

}  // namespace
}  // namespace Varnok
