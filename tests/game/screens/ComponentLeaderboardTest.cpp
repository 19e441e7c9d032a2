// The leaderboard's entries (merging, bounds, order, rank keys, shown names,
// the scroll to the player) and its component without any service.
#include "game/screens/ComponentLeaderboard.h"

#include "engine/ui/ComponentButton.h"
#include "tests/engine/ui/PaneTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

using UITest::Make;

TEST(LeaderboardEntries, RankKeysFollowTheOrdinalEndings) {
    const struct {
        int32_t rank;
        const char* key;
    } cases[] = {{1, "TB_FELIS_RANK_1"},  {2, "TB_FELIS_RANK_2"},  {3, "TB_FELIS_RANK_4"},
                 {11, "TB_FELIS_RANK_4"}, {12, "TB_FELIS_RANK_4"}, {21, "TB_FELIS_RANK_1"},
                 {22, "TB_FELIS_RANK_2"}, {23, "TB_FELIS_RANK_4"}, {0, "TB_FELIS_RANK_4"},
                 {111, "TB_FELIS_RANK_1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rank);
        EXPECT_STREQ(LeaderboardEntryList::RankKey(c.rank).c_str(), c.key);
    }
}

TEST(LeaderboardEntries, LongNamesAreCutOnWholeCharacters) {
    const struct {
        const char* name;
        const char* shown;
    } cases[] = {
        {"abcdefghij", "abcdefghij"},                      // 10 bytes: whole
        {"abcdefghijk", "abcdefghij\xE2\x80\xA6"},         // 11 bytes
        {"abcdefghi\xC3\xA9x", "abcdefghi\xE2\x80\xA6"},   // the cut would split the e-acute
        {"\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xB8\x96\xE7\x95\x8C", "\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xB8\x96\xE2\x80\xA6"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(LeaderboardEntryList::ShortName(c.name).c_str(), c.shown);
    }
    // Stored names keep at most 31 bytes, also on a character boundary.
    LeaderboardEntryList list;
    std::string name(30, 'a');
    name += "\xC3\xA9";
    list.Add(name.c_str(), 1, 1, "id", false);
    EXPECT_EQ(std::string(list.Get(0).name), std::string(30, 'a'));
}

TEST(LeaderboardEntries, MergesByPlayerKeepsTheBoundAndSortsByScore) {
    LeaderboardEntryList list;
    list.SetMaxEntries(10);
    list.Add("me", 500, 999, "G:me", true);
    for (int i = 0; i < 25; ++i) {
        list.Add(("p" + std::to_string(i)).c_str(), 1000 - i, i + 1, ("G:" + std::to_string(i)).c_str(), false);
    }
    ASSERT_EQ(list.GetCount(), 10);
    EXPECT_STREQ(list.Get(9).name, "p8");

    LeaderboardEntryList merged;
    merged.Add("me", 700, 999, "G:me", true);              // the last game's score
    merged.Add("me on the board", 400, 3, "G:me", false);  // the page knows an older one
    merged.Add("big", int64_t{1} << 40, 1, "G:big", false);
    merged.Add("low", -(int64_t{1} << 40), 2, "G:low", false);
    ASSERT_EQ(merged.GetCount(), 3);
    EXPECT_EQ(merged.Get(0).score, 700);
    EXPECT_EQ(merged.Get(0).rank, 3);
    EXPECT_EQ(merged.Get(0).player, 1);
    merged.Sort();
    EXPECT_STREQ(merged.Get(0).name, "big");
    EXPECT_STREQ(merged.Get(1).name, "me");
    EXPECT_STREQ(merged.Get(2).name, "low");
    EXPECT_EQ(merged.Get(1).rank, 2);
}

TEST(LeaderboardEntries, ThePlayersRowEndsUpSecondOrThirdWhenLast) {
    EXPECT_EQ(LeaderboardEntryList::PlayerScroll(7, 25, 40), -200.0f);
    EXPECT_EQ(LeaderboardEntryList::PlayerScroll(25, 25, 40), -880.0f);
    EXPECT_EQ(LeaderboardEntryList::PlayerScroll(2, 25, 40), 0.0f);
    EXPECT_EQ(LeaderboardEntryList::PlayerScroll(3, 3, 40), 0.0f);
}

class Leaderboard : public UITest::PaneTest {};

TEST_F(Leaderboard, WithoutServicesItShowsItsErrorAndAddFriendsDoesNothing) {
    auto* board = Make<ComponentLeaderboard>(screen, "board");
    auto* loading = Make<ComponentVisual>(board, "loading");
    auto* error = Make<ComponentVisual>(board, "error");
    error->GetEnabledProperty()->Set(false);
    Component* addFriends = Make<ComponentVisual>(board, "addFriends");
    auto* button = Make<ComponentButton>(addFriends, "button");
    Load();
    EXPECT_TRUE(board->IsRefreshPending());
    board->Update(0.0f);  // no time passed: not yet
    EXPECT_TRUE(board->IsRefreshPending());
    board->Update(UITest::kStep);
    EXPECT_FALSE(board->IsRefreshPending());
    EXPECT_TRUE(error->IsEnabled());
    EXPECT_FALSE(loading->IsEnabled());
    EXPECT_EQ(board->GetEntries().GetCount(), 0);
    uint8_t argument = 0;
    button->OnButtonPressed.Raise(&argument);  // no dashboard: inert

    // A page that arrives anyway makes rows only when it has two entries.
    board->OnPageLoaded(LeaderboardErrorType::Success, nullptr, LeaderboardDownloadStatus::Finished);
    EXPECT_TRUE(error->IsEnabled());
    board->Reset();
    EXPECT_TRUE(board->IsRefreshPending());
}

}  // namespace
}  // namespace Varnok
