// The achievement list: sequences, the checks by type and mode, the hand-over
// to the unlock queue, a fired entry staying fired across a restart, and the
// pop-ups a fired unlock shows.
#include "game/rules/Achievements.h"

#include "engine/core/HashName.h"
#include "game/rules/GameRecord.h"
#include "game/rules/Items.h"
#include "game/rules/UnlockQueue.h"
#include "game/screens/AchievementPopup.h"
#include "game/screens/ScreenList.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

std::string ReadSource(const char* relative) {
    std::ifstream in(std::string(VARNOK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A statistics store in the record, the classic mode, the sample list loaded.
class AchievementsTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameRecord& game = GetGameRecord();
        m_savedStats = game.stats;
        game.stats = &stats;
        game.modeIndex = 0;
        Reload();
    }
    void TearDown() override {
        AchievementManager::Instance().Clear();
        ItemManager::Instance().DestroyItems();
        GetGameRecord().stats = m_savedStats;
        GetGameRecord().modeIndex = 0;
    }
    void Reload() {
        const std::string list = ReadSource("data/xml/achievementList.xml");
        ASSERT_FALSE(list.empty());
        manager().LoadFromText(list.c_str(), list.size());
    }
    static AchievementManager& manager() { return AchievementManager::Instance(); }
    bool Queued(const char* id) const { return UnlockQueue::StateOf(stats, Hash(id)) == UnlockQueue::kQueued; }

    GameStats stats;

private:
    GameStats* m_savedStats = nullptr;
};

TEST(AchievementSequence, ParsesStepsAndAlternativesWithinTheirLimits) {
    const AchievementSequence two = AchievementSequence::Parse("apple,(banana, pear)");
    ASSERT_EQ(two.length, 2);
    EXPECT_EQ(two.steps[0].count, 1);
    EXPECT_EQ(two.steps[0].names[0], Hash("apple"));
    ASSERT_EQ(two.steps[1].count, 2);
    EXPECT_EQ(two.steps[1].names[1], Hash("pear"));

    EXPECT_EQ(AchievementSequence::Parse("(apple,pear)").length, 1);
    EXPECT_EQ(AchievementSequence::Parse("").length, 0);
    EXPECT_EQ(AchievementSequence::Parse(nullptr).length, 0);
    // Past ten steps and ten alternatives the text is ignored, never overrun.
    EXPECT_EQ(AchievementSequence::Parse("a,b,c,d,e,f,g,h,i,j,k,l").length, AchievementSequence::kMaxSteps);
    const AchievementSequence wide = AchievementSequence::Parse("(a,b,c,d,e,f,g,h,i,j,k,l),z");
    EXPECT_EQ(wide.steps[0].count, AchievementSequence::kMaxAlternatives);
    EXPECT_EQ(wide.length, 2);
    // Unbalanced parentheses end the text without reading past it.
    EXPECT_EQ(AchievementSequence::Parse("(apple,(pear").length, 1);
}

TEST(AchievementSequence, CompletesOnlyOnTheListedOrder) {
    const struct {
        const char* text;
        std::vector<const char*> slices;
        bool completes;
    } cases[] = {
        {"apple,(banana,pear)", {"apple", "pear"}, true},
        {"apple,(banana,pear)", {"apple", "apple", "banana"}, true},  // the second apple starts it over
        {"apple,(banana,pear)", {"apple", "kiwi", "banana"}, false},
        {"apple,(banana,pear)", {"pear", "banana"}, false},
        {"(apple,pear)", {"pear"}, true},
    };
    for (const auto& c : cases) {
        AchievementSequence sequence = AchievementSequence::Parse(c.text);
        bool completed = false;
        for (const char* slice : c.slices) {
            completed = sequence.Advance(Hash(slice)) || completed;
        }
        EXPECT_EQ(completed, c.completes) << c.text << " after " << c.slices.size() << " slices";
    }
}

TEST_F(AchievementsTest, SampleListHasEveryKindWithItsSocialId) {
    ASSERT_EQ(manager().Order().size(), 6u);
    const std::string services = ReadSource("data/Services/Provider_GameCenter.xml");
    for (uint32_t hash : manager().Order()) {
        const AchievementRecord* record = manager().Find(hash);
        ASSERT_NE(record, nullptr);
        const std::string social = manager().SocialIdOf(hash);
        if (record->PopupKind() == 1) {
            EXPECT_NE(services.find("id=\"" + social + "\""), std::string::npos) << record->id;
        } else {
            EXPECT_TRUE(social.empty()) << record->id;
        }
    }
    // Of the two COMBO entries of total 4 only the later waits.
    const auto& combo = manager().Pending(kAchievementCombo);
    ASSERT_EQ(combo.size(), 1u);
    EXPECT_STREQ(combo.begin()->second->id, "10_combo_four_late");
    EXPECT_EQ(manager().Find(Hash("09_combo_four"))->type, kAchievementCombo);
}

TEST_F(AchievementsTest, ChecksUnlockByTypeAndMode) {
    const int32_t kinds[5] = {0, 1, 2, 3, 4};
    EXPECT_FALSE(manager().CheckCombo(3, kinds));
    EXPECT_TRUE(manager().CheckCombo(4, kinds));
    EXPECT_TRUE(Queued("10_combo_four_late"));
    EXPECT_FALSE(Queued("09_combo_four"));
    EXPECT_FALSE(manager().CheckCombo(5, kinds));  // it left its pending set

    // The classic-only score does not unlock in the challenge mode; the
    // lifetime total unlocks in any mode.
    GetGameRecord().modeIndex = 1;
    EXPECT_FALSE(manager().CheckScore(500));
    EXPECT_FALSE(manager().CheckTotal(2499));
    EXPECT_TRUE(manager().CheckTotal(2500));
    GetGameRecord().modeIndex = 0;
    EXPECT_FALSE(manager().CheckScore(99));
    EXPECT_TRUE(manager().CheckScore(100));

    EXPECT_FALSE(manager().CheckSpecificOrder(Hash("apple")));
    EXPECT_TRUE(manager().CheckSpecificOrder(Hash("pear")));

    // The item unlock rides the statistics' achievement check.
    stats.SetWatcher(&manager());
    stats.Add("best_combo", 4, 0, 1);
    EXPECT_FALSE(Queued("blade_ember"));
    stats.Add("best_combo", 1, 0, 1);
    EXPECT_TRUE(Queued("blade_ember"));
    stats.SetWatcher(nullptr);
    EXPECT_EQ(stats.unlockQueue.size(), 5u);
}

TEST_F(AchievementsTest, AFiredEntryNeverFiresAgainAfterARestart) {
    ASSERT_TRUE(manager().CheckTotal(5000));
    UnlockQueue queue;
    for (int i = 0; i < 400 && !stats.unlockQueue.empty(); ++i) {
        queue.Tick(stats, 1.0f / 60.0f, nullptr);
    }
    ASSERT_EQ(UnlockQueue::StateOf(stats, Hash("01_total_points")), UnlockQueue::kShown);

    // One still waiting at the save comes back and keeps its place.
    ASSERT_TRUE(manager().CheckScore(1000));

    // The next run: the store as the save file keeps it, the list read again.
    GameStats restarted = stats;
    GetGameRecord().stats = &restarted;
    Reload();
    EXPECT_FALSE(manager().Exists(Hash("01_total_points")));
    EXPECT_TRUE(manager().Pending(kAchievementTotal).empty());
    EXPECT_FALSE(manager().CheckTotal(100000));
    EXPECT_TRUE(manager().Exists(Hash("03_classic_score")));
    EXPECT_FALSE(manager().CheckScore(1000));  // queued already: refused
    EXPECT_EQ(restarted.unlockQueue.size(), 1u);
    GetGameRecord().stats = &stats;
}

TEST_F(AchievementsTest, FiredUnlocksShowTheirPopupsAboutTwoPointNineSecondsApart) {
    const std::string items = ReadSource("data/xml/itemList.xml");
    ItemManager::Instance().LoadCatalogueText(items.c_str(), items.size());
    ASSERT_TRUE(manager().CheckTotal(3000));
    stats.Add("best_combo", 9, 0, 0);
    ASSERT_TRUE(manager().CheckSpecificRecord(9, Hash("best_combo")) != nullptr);
    ASSERT_EQ(ItemManager::Instance().FindItem(Hash("blade_ember"))->lockCount, 1);

    ScreenList screens;
    UnlockQueue queue;
    queue.SetHost(&GameUnlockHost::Get());
    std::vector<float> times;
    std::vector<AchievementPopup*> popups;
    constexpr float kStep = 1.0f / 60.0f;
    for (int frame = 1; frame <= 8 * 60; ++frame) {
        const int before = screens.Count();
        queue.Tick(stats, kStep, &screens);
        if (screens.Count() != before) {
            times.push_back(static_cast<float>(frame) * kStep);
            popups.push_back(static_cast<AchievementPopup*>(screens.GetAt(screens.Count() - 1)));
        }
    }
    ASSERT_EQ(times.size(), 2u);
    EXPECT_NEAR(times[1] - times[0], 2.9f + 0.1f, 3 * kStep);
    ASSERT_EQ(popups[0]->GetTypeId(), 7);
    // Among equal countdowns the queue picks by hash: either may come first.
    std::set<int> kinds{popups[0]->m_kind, popups[1]->m_kind};
    EXPECT_EQ(kinds, (std::set<int>{AchievementPopup::kAchievement, AchievementPopup::kItem}));
    for (const AchievementPopup* popup : popups) {
        if (popup->m_kind == AchievementPopup::kAchievement) {
            EXPECT_STREQ(popup->m_title, "POINT HOARDER");
            EXPECT_STREQ(popup->m_pointsText, "10");
        } else {
            EXPECT_STREQ(popup->m_title, "EMBER BLADE");
            EXPECT_STREQ(popup->m_detail, "Ember Blade");
            EXPECT_STREQ(popup->m_pointsText, "");
        }
    }
    EXPECT_EQ(ItemManager::Instance().FindItem(Hash("blade_ember"))->lockCount, -1);
    EXPECT_EQ(stats.Get("total_items_unlocked"), ItemManager::Instance().CountUnlocked());
    queue.SetHost(nullptr);
}

TEST(AchievementPopup, SlidesInRestsAndLeavesAfterTwoPointNineSeconds) {
    AchievementPopup popup("Mixed Case é", 12345, SmartPtr<Texture>(), AchievementPopup::kAchievement, "ignored");
    EXPECT_STREQ(popup.m_title, "MIXED CASE é");
    EXPECT_STREQ(popup.m_pointsText, "123");
    EXPECT_STREQ(popup.m_detail, "");
    const float top = 160.0f + 48.0f;
    EXPECT_FLOAT_EQ(popup.m_offset.y, top);
    popup.Update(0.1f);
    EXPECT_FLOAT_EQ(popup.m_offset.y, top - 61.0f * 0.25f);
    popup.Update(2.6f);  // age 2.7: still at rest
    EXPECT_FLOAT_EQ(popup.m_offset.y, top - 61.0f);
    EXPECT_FALSE(popup.m_finished);
    popup.Update(0.19f);
    EXPECT_FALSE(popup.m_finished);
    popup.Update(0.02f);
    EXPECT_TRUE(popup.m_finished);
    EXPECT_EQ(popup.m_confettiBursts, 0);

    AchievementPopup item("blade", 5, SmartPtr<Texture>(), AchievementPopup::kItem, "The Blade");
    for (int i = 0; i < 30; ++i) {
        item.Update(1.0f / 60.0f);
    }
    EXPECT_EQ(item.m_confettiBursts, 3);
    EXPECT_STREQ(item.m_pointsText, "");
}

TEST(AchievementList, BadListsLeaveTheManagerEmptyWithOneLine) {
    const char* bad[] = {"", "<root><achievementManagerFile>", "<other/>",
                         "<achievementManagerFile><achievement/><achievement id=\"\"/></achievementManagerFile>"};
    for (const char* text : bad) {
        TestSupport::LogCapture log;
        AchievementManager::Instance().LoadFromText(text, std::strlen(text));
        EXPECT_TRUE(AchievementManager::Instance().Order().empty()) << text;
        EXPECT_FALSE(AchievementManager::Instance().CheckTotal(1 << 30));
    }
    // Over-long ids and titles are cut to 63 characters; an unknown type
    // keeps a record but no pending set.
    const std::string longId(200, '7');
    const std::string text = "<achievementManagerFile><achievement id=\"" + longId + "\" name=\"" + std::string(300, 'n') +
                             "\" type=\"NOPE\"/></achievementManagerFile>";
    AchievementManager::Instance().LoadFromText(text.c_str(), text.size());
    ASSERT_EQ(AchievementManager::Instance().Order().size(), 1u);
    const AchievementRecord* record = AchievementManager::Instance().Find(AchievementManager::Instance().Order()[0]);
    EXPECT_EQ(std::strlen(record->id), 63u);
    EXPECT_EQ(std::strlen(record->title), 63u);
    EXPECT_EQ(record->type, -1);
    AchievementManager::Instance().Clear();
}

TEST(AchievementList, LeaderboardIdsByMode) {
    EXPECT_STREQ(GetLeaderboardIdForModeIndex(0, -1), "CLASSIC_SCORES");
    EXPECT_STREQ(GetLeaderboardIdForModeIndex(1, -1), "NEW_MODE_SCORES");
    EXPECT_EQ(GetLeaderboardIdForModeIndex(2, -1), nullptr);
}

}  // namespace
}  // namespace Varnok
