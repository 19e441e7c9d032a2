// Reading wave lists: defaults sections, "until" completion, game limits,
// delays, spawn attributes, and refused files.
#include "game/world/WaveList.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

struct Loaded {
    WaveDefaults defaults;
    WaveGlobalDt global;
    std::vector<CoinChance> coins;
    WaveList waves;

    explicit Loaded(const std::string& text) {
        ReadWaveListText(text.data(), text.size(), WaveListTarget{&defaults, &global, &coins, &waves});
    }
    const WaveInfo& At(size_t i) const { return *waves.at(i); }
};

std::string File(const std::string& body) {
    return "<waveManagerFile>" + body + "</waveManagerFile>";
}

TEST(WaveList, UntilRunsToTheWaveBeforeTheNextLaterStart) {
    Loaded list(File("<WaveInfo waveNo='0'/><WaveInfo waveNo='5'/><WaveInfo waveNo='5'/>"
                     "<WaveInfo waveNo='2' until='forever'/><WaveInfo waveNo='3' until='1'/>"
                     "<WaveInfo waveNo='3' until='7'/>"));
    ASSERT_EQ(list.waves.size(), 6u);
    // waveNo 2 and 3 start later than 0, so the first runs to 1.
    EXPECT_EQ(list.At(0).until, 1);
    EXPECT_EQ(list.At(1).until, -2);
    EXPECT_EQ(list.At(2).until, -2);
    EXPECT_EQ(list.At(3).until, -2);
    EXPECT_EQ(list.At(4).until, 4) << "an until below waveNo is ignored and completed";
    EXPECT_EQ(list.At(5).until, 7);
    EXPECT_EQ(list.At(5).id, 5);
    EXPECT_EQ(list.At(5).debugName, "waveNo. 5");
}

TEST(WaveList, WaveNumbersZeroFiveFiveGetFourThenForever) {
    Loaded list(File("<WaveInfo waveNo='0'/><WaveInfo waveNo='5'/><WaveInfo waveNo='5'/>"));
    EXPECT_EQ(list.At(0).until, 4);
    EXPECT_EQ(list.At(1).until, -2);
    EXPECT_EQ(list.At(2).until, -2);
}

TEST(WaveList, EachDefaultsElementStartsFromTheBuiltInValues) {
    Loaded list(File("<defaults waveChance='30' beforeDelay='0.5' globalDtInc='0.1'/>"
                     "<WaveInfo/>"
                     "<defaults criticalChance='3' waitForEntities='false'/>"
                     "<WaveInfo/>"));
    EXPECT_EQ(list.At(0).chance, 30);
    EXPECT_FLOAT_EQ(list.At(0).beforeDelay, 0.5f);
    EXPECT_FLOAT_EQ(list.At(0).criticalChance, 1.0f);
    EXPECT_EQ(list.At(1).chance, 10);
    EXPECT_FLOAT_EQ(list.At(1).beforeDelay, 2.0f);
    EXPECT_FLOAT_EQ(list.At(1).criticalChance, 3.0f);
    EXPECT_EQ(list.At(1).waitForEntities, 0);
    // The global speed is not reset by the second element.
    EXPECT_FLOAT_EQ(list.global.inc, 0.1f);
}

TEST(WaveList, GameLimits) {
    const struct {
        const char* attributes;
        int32_t min;
        int32_t max;
    } cases[] = {
        {"", -1, -1},
        {"games='2' gamesMax='6'", 2, 6},
        {"gamesMax='4'", 4, 4},
        {"games='3'", 3, 3},
        {"games='1' gamesMin='2'", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        Loaded list(File(std::string("<WaveInfo ") + c.attributes + "/>"));
        EXPECT_EQ(list.At(0).gamesMin, c.min);
        EXPECT_EQ(list.At(0).gamesMax, c.max);
    }
}

TEST(WaveList, AWaitAfterAWaveDropsTheDelayBeforeItUnlessGiven) {
    Loaded list(File("<defaults beforeDelay='1.5' beforeDelayInc='0.2'/>"
                     "<WaveInfo><NextWaveDelay wait='0.5'/></WaveInfo>"
                     "<WaveInfo><NextWaveDelay wait='0.5' delay='0.7' waitForProcessing='false'/></WaveInfo>"
                     "<WaveInfo><NextWaveDelay wait='0'/></WaveInfo>"));
    EXPECT_FLOAT_EQ(list.At(0).beforeDelay, 0.0f);
    EXPECT_FLOAT_EQ(list.At(0).beforeDelayInc, 0.0f);
    EXPECT_FLOAT_EQ(list.At(1).beforeDelay, 0.7f);
    EXPECT_EQ(list.At(1).waitForProcessing, 0);
    EXPECT_FLOAT_EQ(list.At(2).beforeDelay, 1.5f);
}

TEST(WaveList, SpawnAttributes) {
    Loaded list(File("<WaveInfo excludeTag='Big, small,,' chance='-3'>"
                     "<Spawn type='apple, bomb' min='2' max='5' mininc='1' velscale='2' velYscale='3'"
                     " gravity='0.5' placement='left_right' override='OVERRIDE_ANY' mirror='true'/>"
                     "<Spawn type='lime' placement='' posX='abc'/>"
                     "<spawn type='kiwifruit'/>"
                     "</WaveInfo>"));
    const WaveInfo& wave = list.At(0);
    EXPECT_EQ(wave.chance, 10) << "a negative chance keeps the default";
    ASSERT_NE(wave.excludeTags, nullptr);
    EXPECT_EQ(wave.excludeTags->size(), 2u);
    ASSERT_EQ(wave.SpawnCount(), 3) << "records follow the case-blind name";
    const WaveSpawnRequest& first = wave.spawns[0];
    EXPECT_EQ(first.typeCount, 2);
    EXPECT_EQ(first.types[1], "bomb");
    EXPECT_FLOAT_EQ(first.velXscale, 2.0f);
    EXPECT_FLOAT_EQ(first.velYscale, 3.0f);
    EXPECT_FLOAT_EQ(first.gravity[0], 0.5f);
    EXPECT_FLOAT_EQ(first.gravity[1], 0.0f) << "parts not given are 0";
    EXPECT_EQ(first.placement, static_cast<int32_t>(SpawnPlacement::LeftRight));
    EXPECT_EQ(first.overrideMode, WaveSpawnRequest::kOverriding);
    EXPECT_EQ(first.mirror, 1);
    const WaveSpawnRequest& second = wave.spawns[1];
    EXPECT_EQ(second.placement, 0);
    EXPECT_EQ(second.posX, kSpawnPositionUnset);
    EXPECT_EQ(second.overrideMode, WaveSpawnRequest::kNormal);
    EXPECT_EQ(wave.spawns[2].typeCount, 0) << "only exactly named Spawn children are read";
    // total: (2 + 5) / 2 + 0.5 = 4, and (0 + 0) / 2 + 0.5 = 0.
    EXPECT_EQ(wave.total, 4);
}

TEST(WaveList, RefusedFilesAddNoWaveAndSaySoOnce) {
    const struct {
        const char* what;
        std::string text;
        const char* fault;  // null: the XML layer says it
    } cases[] = {
        {"another root", "<fruitInfoFile><WaveInfo/></fruitInfoFile>", "no waveManagerFile"},
        {"not closed", "<waveManagerFile><WaveInfo>", nullptr},
        {"empty", "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        Loaded list(c.text);
        const std::string log = capture.Take();
        EXPECT_TRUE(list.waves.empty());
        EXPECT_EQ(list.defaults.waveChance, 10);
        const auto lines = std::count(log.begin(), log.end(), '\n');
        EXPECT_EQ(lines, 1) << log;
        if (c.fault != nullptr) {
            EXPECT_NE(log.find(c.fault), std::string::npos) << log;
        }
    }
}

}  // namespace
}  // namespace Varnok
