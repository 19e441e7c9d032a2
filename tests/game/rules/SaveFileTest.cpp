#include "game/rules/SaveFile.h"

#include "engine/core/FileObject.h"
#include "engine/core/HashName.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SessionControl.h"
#include "tests/game/rules/SaveFolder.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

// The bytes stored under a path, or "" when it is missing.
std::string Stored(const char* path) {
    FileObject file(path, kOpenRead, 0);
    if (!file.Load() || file.GetData() == nullptr) {
        return "";
    }
    return std::string(reinterpret_cast<const char*>(file.GetData()), static_cast<size_t>(file.GetLength()));
}

void Store(const char* path, const std::string& bytes) {
    FileObject file(path, kOpenWrite, 0);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write(bytes.data(), static_cast<int32_t>(bytes.size())));
    file.CloseStream();
}

void ReadText(const std::string& text, GameStats& stats) {
    TiXmlDocument document;
    ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size())) << text;
    SaveFile::Read(&document, stats);
}

class SaveFileTest : public testing::Test {
protected:
    void SetUp() override {
        GameRecord& game = GetGameRecord();
        game.stats = &live;
        game.soundOn = game.musicOn = game.voiceOn = true;
        game.savedGameState = false;
        game.currentMode = nullptr;
        game.modeIndex = 0;
        game.noSaveFile = false;
        game.saveFromOtherVersion = false;
    }
    void TearDown() override {
        GameRecord& game = GetGameRecord();
        game.stats = nullptr;
        game.soundOn = game.musicOn = game.voiceOn = false;
    }

    TestSupport::SaveFolder folder{"file"};
    GameStats live;
};

TEST(SaveFileVersion, TextsBecomeNumbers) {
    const struct { const char* text; int32_t number; } cases[] = {
        {"1.0", 10000}, {"1.1", 11000}, {"1.0.4", 10040}, {"1.2.15", 12015}, {"2", 20000}, {nullptr, 10000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(none)");
        EXPECT_EQ(SaveFile::VersionNumber(c.text), c.number);
        GameStats stats;
        const std::string version = c.text != nullptr ? std::string(" version=\"") + c.text + "\"" : "";
        ReadText("<save_file" + version + "/>", stats);
        EXPECT_EQ(stats.version, c.number);
    }
    EXPECT_EQ(SaveFile::ProgramVersionNumber(), 10040);
}

TEST(SaveFilePath, NamesTheContainerAndRefusesWhatDoesNotFit) {
    EXPECT_STREQ(SaveFile::Path(), "C:\\ZivovaFelisSave.xml");
    char small[9];
    EXPECT_FALSE(SaveFile::GetPath(small, "ZivovaFelisSave.xml", sizeof(small)));
    EXPECT_STREQ(small, "");
    EXPECT_TRUE(SaveFile::GetPath(small, "a.xml", sizeof(small)));
    EXPECT_STREQ(small, "C:\\a.xml");
}

TEST_F(SaveFileTest, AWrittenFileReadsBackTheSameStoreButStatisticsOfZeroOrLess) {
    GameStats saved;
    saved.Add("slices", 12, 0, 0);
    saved.Add("zero", 0, 0, 0);
    saved.Add("negative", -4, 0, 0);
    saved.Add("games", 3, 1, 0);         // lifetime by name
    saved.Add("fruit_total", 99, 1, 0);  // lifetime by the "u" mark
    saved.highscore = 900;
    saved.modeBest[0] = 700;
    saved.modeBest[1] = 800;
    saved.unposted[1] = 650;
    saved.lastPlayedDay[0] = saved.lastPlayedDay[1] = GetDayNumber();
    saved.critical_chance = 42;
    saved.rated = 1;
    saved.unlockQueue[Hash("1first")] = UnlockRecord{"1first", 1.5f};
    saved.unlocked[Hash("blade_red")] = UnlockRecord{"blade_red", 0.0f};
    saved.waveGameCounts[0][4] = 2;
    saved.waveGameCounts[1][7] = 0;
    saved.challengeGroups[123] = ChallengeGroupRecord{5, 6, 0};
    saved.challengeRecords[0xF0000001u] = ChallengeGroupRecord{1, 2, 3};
    saved.gameState = 1;
    saved.modeState = 2;
    saved.modeTime = 12.5f;
    saved.classicBeanCount = 3;
    ASSERT_TRUE(SaveFile::Write(saved));

    folder.Mount();  // as the next run finds it
    GameStats loaded;
    SaveFile::Load(loaded);
    EXPECT_FALSE(GetGameRecord().noSaveFile);
    EXPECT_FALSE(GetGameRecord().saveFromOtherVersion);
    EXPECT_EQ(loaded.sessionStats.size(), 1u);
    EXPECT_EQ(loaded.sessionStats[Hash("slices")].value, 12);
    EXPECT_EQ(loaded.lifetimeStats.size(), 2u);
    EXPECT_EQ(loaded.lifetimeStats[Hash("games")].value, 3);
    EXPECT_EQ(loaded.lifetimeStats[Hash("fruit_total")].value, 99);
    EXPECT_EQ(loaded.highscore, 900);
    EXPECT_EQ(loaded.modeBest[0], 700);
    EXPECT_EQ(loaded.modeBest[1], 800);
    EXPECT_EQ(loaded.unposted[0], 0);
    EXPECT_EQ(loaded.unposted[1], 650);
    EXPECT_EQ(loaded.lastPlayedDay[1], GetDayNumber());
    EXPECT_EQ(loaded.critical_chance, 42);
    EXPECT_EQ(loaded.rated, 1);
    ASSERT_EQ(loaded.unlockQueue.count(Hash("1first")), 1u);
    EXPECT_FLOAT_EQ(loaded.unlockQueue[Hash("1first")].countdown, 1.5f);
    EXPECT_STREQ(loaded.unlockQueue[Hash("1first")].name, "1first");
    EXPECT_EQ(loaded.unlocked.count(Hash("blade_red")), 1u);
    EXPECT_EQ(loaded.waveGameCounts[0], saved.waveGameCounts[0]);
    EXPECT_EQ(loaded.waveGameCounts[1], saved.waveGameCounts[1]);
    EXPECT_EQ(loaded.challengeGroups[123].death, 6);
    EXPECT_EQ(loaded.challengeRecords[0xF0000001u].plays, 3);
    EXPECT_EQ(loaded.gameState, 1);
    EXPECT_EQ(loaded.modeState, 2);
    EXPECT_FLOAT_EQ(loaded.modeTime, 12.5f);
    EXPECT_EQ(loaded.classicBeanCount, 3);
    EXPECT_EQ(loaded.version, 10040);
}

TEST(SaveFileRead, ElementRules) {
    GameStats stats;
    ReadText("<save_file highscore=\"500\" NEW_MODEhighscore=\"40\" rated=\"TRUE\">"
             "<total type=\"\" score=\"4\"/><total type=\"none\" score=\"0\"/><total type=\"x\"/>"
             "<total type=\"bomb\" score=\"2\"/><total u=\"true\" type=\"kept\" score=\"1\"/>"
             "<total type=\"" + std::string(70, 'n') + "\" score=\"5\"/>"
             "<que><ach name=\"\" time=\"1\"/><ach name=\"2late\"/>"
             "<ach name=\"" + std::string(130, 'q') + "\" time=\"1\"/></que>"
             "<deep><unlocked><ach name=\"shown\"/></unlocked></deep>"
             "<wave_counts_CLASSIC><game_count waveIdx=\"3\" games=\"5\"/><game_count/></wave_counts_CLASSIC>"
             "</save_file>",
             stats);
    EXPECT_EQ(stats.modeBest[0], 500);  // no classic attribute: the overall best
    EXPECT_EQ(stats.modeBest[1], 40);
    EXPECT_EQ(stats.rated, 0);  // only "true" is true
    EXPECT_TRUE(stats.sessionStats.empty());
    EXPECT_EQ(stats.lifetimeStats.size(), 2u);
    EXPECT_EQ(stats.lifetimeStats[Hash("bomb")].value, 2);
    ASSERT_EQ(stats.unlockQueue.size(), 1u);
    EXPECT_EQ(stats.unlockQueue.begin()->second.countdown, 0.0f);
    EXPECT_EQ(stats.unlocked.count(Hash("shown")), 1u);  // found wherever it stands
    EXPECT_EQ(stats.waveGameCounts[0].at(3), 5);
    EXPECT_EQ(stats.waveGameCounts[0].at(-1), -1);
}

TEST(SaveFileRead, ElementsNestedTooDeepAreSkippedWithOneLine) {
    std::string text;
    for (int i = 0; i < 40; ++i) {
        text += "<a><total type=\"shallow" + std::to_string(i) + "\" score=\"1\"/>";
    }
    for (int i = 0; i < 40; ++i) {
        text += "</a>";
    }
    GameStats stats;
    TestSupport::LogCapture capture;
    ReadText(text, stats);
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "SaveFile: ", "deeper than"));
    EXPECT_EQ(stats.Get("shallow0"), 1);
    EXPECT_EQ(stats.Get("shallow39"), 0);
}

TEST(SaveFileRead, WaveInfoAndEntities) {
    const struct { const char* what; const char* attributes; uint8_t visible; } bean[] = {
        {"absent", "", 1}, {"false", " beanVisible=\"false\"", 0}, {"TRUE", " beanVisible=\"TRUE\"", 1},
    };
    for (const auto& c : bean) {
        SCOPED_TRACE(c.what);
        GameStats stats;
        GetGameRecord().savedGameState = true;
        ReadText(std::string("<save_file version=\"1.0.4\"><state score=\"5\">"
                             "<wave_info waveCount=\"3\" beanTime=\"0.25\" beanStartPos=\"1,2\"") +
                     c.attributes +
                     "><wave inc=\"2\" index=\"1\"><spawner delay=\"0.5\" toSpawn=\"2\"/></wave></wave_info>"
                     "<ent pos=\"1,2,3\" type=\"1\" id=\"7\"><superFruitState time=\"1\" hits=\"2\"/></ent>"
                     "<ent type=\"-1\" wait=\"0.5\" sliceWait=\"0.1\"/></state></save_file>",
                 stats);
        EXPECT_FALSE(GetGameRecord().savedGameState);  // a start-up never resumes the game
        EXPECT_EQ(stats.score, 0);                     // the state's own values stay unread
        EXPECT_EQ(stats.beanVisible, c.visible);
        EXPECT_EQ(stats.waveCount, 3);
        EXPECT_EQ(stats.beanStartPos.x, 1.0f);
        EXPECT_EQ(stats.beanStartPos.y, 2.0f);
        EXPECT_EQ(stats.beanStartPos.z, 0.0f);  // a missing component is 0
        ASSERT_EQ(stats.savedWaves.size(), 1u);
        EXPECT_EQ(stats.savedWaves[0].inc, 2.0f);
        ASSERT_EQ(stats.savedWaves[0].spawners.size(), 1u);
        EXPECT_EQ(stats.savedWaves[0].spawners[0].toSpawn, 2);
        ASSERT_EQ(stats.savedEntities.size(), 2u);
        EXPECT_EQ(stats.savedEntities[0].id, 7);
        EXPECT_EQ(stats.savedEntities[0].sliceWait, -1.0f);
        ASSERT_TRUE(stats.savedEntities[0].superFruitState.has_value());
        EXPECT_EQ(stats.savedEntities[0].superFruitState->hits, 2);
        EXPECT_EQ(stats.savedEntities[1].type, -1);
        EXPECT_FLOAT_EQ(stats.savedEntities[1].sliceWait, 0.1f);
    }
}

TEST_F(SaveFileTest, NoGameWritesNoStateButBothWaveCounts) {
    GameStats stats;
    stats.roundInPlay = 0;
    stats.go_bombHitTime = 0.0f;
    TiXmlDocument document;
    SaveFile::BuildDocument(stats, document);
    const TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->FirstChildElement("state"), nullptr);
    EXPECT_NE(root->FirstChildElement("wave_counts_CLASSIC"), nullptr);
    EXPECT_NE(root->FirstChildElement("wave_counts_NEW_MODE"), nullptr);
    EXPECT_NE(root->FirstChildElement("powers"), nullptr);

    stats.go_bombHitTime = 0.5f;  // a game in its game-over sequence
    SaveFile::BuildDocument(stats, document);
    EXPECT_NE(document.RootElement()->FirstChildElement("state"), nullptr);
}

TEST_F(SaveFileTest, AnotherVersionsFileKeepsStatisticsAndDropsItsGame) {
    Store(SaveFile::Path(),
          "<save_file version=\"1.0\" highscore=\"300\" rated=\"true\">"
          "<total type=\"slices\" score=\"8\"/><total type=\"unrated_games\" score=\"2\"/>"
          "<unlocked><ach name=\"1done\"/></unlocked>"
          "<state><wave_info waveCount=\"4\"><wave inc=\"1\" index=\"0\"/></wave_info>"
          "<ent pos=\"0,0,0\" type=\"1\"/></state>"
          "<wave_counts_CLASSIC><game_count waveIdx=\"1\" games=\"3\"/></wave_counts_CLASSIC>"
          "</save_file>");
    GameStats stats;
    SaveFile::Load(stats);
    EXPECT_TRUE(GetGameRecord().saveFromOtherVersion);
    EXPECT_EQ(stats.Get("slices"), 8);
    EXPECT_EQ(stats.Get("unrated_games"), 0);
    EXPECT_EQ(stats.highscore, 300);
    EXPECT_EQ(stats.unlocked.size(), 1u);
    EXPECT_EQ(stats.rated, 0);
    EXPECT_TRUE(stats.waveGameCounts[0].empty());
    EXPECT_TRUE(stats.savedEntities.empty());
    EXPECT_TRUE(stats.savedWaves.empty());
    EXPECT_EQ(stats.waveCount, 0);
}

TEST_F(SaveFileTest, SaveGameWithoutTheGameAndTheSoundSwitches) {
    live.Add("slices", 5, 0, 0);
    GameRecord& game = GetGameRecord();
    game.savedGameState = true;  // a round in progress, left out on purpose
    game.soundOn = false;
    game.voiceOn = false;
    ASSERT_TRUE(SaveGame(0));
    EXPECT_FALSE(IsSaveInProgress());
    EXPECT_EQ(live.Get("soundOff"), 0);  // only the written copy counts them

    TiXmlDocument document;
    const std::string text = Stored(SaveFile::Path());
    ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
    const TiXmlElement* root = document.RootElement();
    EXPECT_STREQ(root->FirstChildElement("gameStateData")->Attribute("gameState"), "0");
    EXPECT_EQ(root->FirstChildElement("state"), nullptr);

    GameStats loaded;
    SaveFile::Load(loaded);
    EXPECT_EQ(loaded.Get("soundOff"), 1);  // start-up reads it as soundOn false
    EXPECT_EQ(loaded.Get("musicOff"), 0);
    EXPECT_EQ(loaded.Get("voOff"), 1);
    EXPECT_EQ(loaded.Get("slices"), 5);
}

TEST_F(SaveFileTest, ASaveTooLargeForTheContainerIsReportedAndThePreviousOneStays) {
    GameStats small;
    small.Add("slices", 1, 0, 0);
    ASSERT_TRUE(SaveFile::Write(small));

    GameStats large;
    for (int i = 0; i < 4000; ++i) {
        large.Add(("statistic_number_" + std::to_string(i)).c_str(), i + 1, 0, 0);
    }
    TestSupport::LogCapture capture;
    EXPECT_FALSE(SaveFile::Write(large));
    const std::string log = capture.Take();
    EXPECT_NE(log.find("SaveFile: the game was not saved"), std::string::npos) << log;

    for (int run = 0; run < 2; ++run) {  // in this run, and as the next run finds it
        SCOPED_TRACE(run);
        GameStats loaded;
        SaveFile::Load(loaded);
        EXPECT_EQ(loaded.Get("slices"), 1);
        EXPECT_EQ(loaded.sessionStats.size(), 1u);
        folder.Mount();
    }
}

TEST_F(SaveFileTest, ASaveThatCannotBeStoredIsReportedAndLeavesThePreviousOne) {
    GameStats first;
    first.Add("slices", 1, 0, 0);
    ASSERT_TRUE(SaveFile::Write(first));
    std::filesystem::remove_all(folder.Path());  // the container's folder is gone
    GameStats second;
    second.Add("slices", 2, 0, 0);
    {
        TestSupport::LogCapture capture;
        EXPECT_FALSE(SaveFile::Write(second));
        EXPECT_NE(capture.Take().find("not saved"), std::string::npos);
    }
    GameStats loaded;
    SaveFile::Load(loaded);
    EXPECT_EQ(loaded.Get("slices"), 1);  // what the disk would give the next run
}

TEST_F(SaveFileTest, AMissingFileAndOneThatDoesNotParse) {
    GameStats fresh;
    SaveFile::Load(fresh);
    EXPECT_TRUE(GetGameRecord().noSaveFile);

    const std::string damaged = "<save_file highscore=\"5\"><total type=\"slices\" score=\"3\"";
    Store(SaveFile::Path(), damaged);
    GameStats stats;
    {
        TestSupport::LogCapture capture;
        SaveFile::Load(stats);
        const std::string log = capture.Take();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find("kept as C:\\ZivovaFelisSave.xml.bad"), std::string::npos) << log;
    }
    EXPECT_FALSE(GetGameRecord().noSaveFile);
    EXPECT_EQ(stats.highscore, 0);
    EXPECT_TRUE(stats.sessionStats.empty());
    EXPECT_EQ(Stored("C:\\ZivovaFelisSave.xml.bad"), damaged);

    // The next save replaces it; the copy stays for repair.
    stats.Add("slices", 4, 0, 0);
    ASSERT_TRUE(SaveFile::Write(stats));
    folder.Mount();
    GameStats loaded;
    SaveFile::Load(loaded);
    EXPECT_EQ(loaded.Get("slices"), 4);
    EXPECT_EQ(Stored("C:\\ZivovaFelisSave.xml.bad"), damaged);
}

}  // namespace
}  // namespace Varnok
