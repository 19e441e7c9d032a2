// The online provider as the game runs it: configuration, accounts, scores
// and achievements reaching the protocol server.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"
#include "engine/core/Event.h"
#include "engine/iOS/AppleICloudHelper.h"
#include "engine/services/IAchievementService.h"
#include "engine/services/IAuthenticationService.h"
#include "engine/services/ILeaderboardService.h"
#include "providers/Provider_Kiplink/KiplinkAchievementService.h"
#include "providers/Provider_Kiplink/KiplinkAuthenticationService.h"
#include "providers/Provider_Kiplink/KiplinkLeaderboardService.h"
#include "providers/Provider_Kiplink/KiplinkLeaguesService.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

namespace Varnok {
namespace TestSupport {
namespace {

std::string ProviderFile(const std::string& elements) { return "<provider>" + elements + "</provider>"; }

struct Answers {
    std::vector<LeaderboardErrorType> results;
    void OnResult(LeaderboardErrorType result) { results.push_back(result); }
};

TEST(ProviderKiplinkTest, ConfigurationDecidesWhetherItRunsAndWhichOptionalServicesItMakes) {
    const struct {
        const char* what;
        std::string file;
        bool enabled;
        bool achievements;
        bool leagues;
    } cases[] = {
        {"no gameFamily", ProviderFile("<supportEmail value=\"a@b\"/>"), false, false, false},
        {"achievements unsaid", ProviderFile("<gameFamily value=\"fam\"/>"), true, true, false},
        {"achievements no", ProviderFile("<gameFamily value=\"fam\"/><achievementsEnabled value=\"no\"/>"), true, true,
         false},
        {"achievements false",
         ProviderFile("<gameFamily value=\"fam\"/><achievementsEnabled value=\"false\"/>"), true, false, false},
        {"leagues true, list empty",
         ProviderFile("<gameFamily value=\"fam\"/><leaguesEnabled value=\"true\"/><leagues value=\"\"/>"), true, true,
         false},
        {"leagues false",
         ProviderFile("<gameFamily value=\"fam\"/><leaguesEnabled value=\"false\"/><leagues value=\"x\"/>"), true,
         true, false},
        {"leagues true with a list",
         ProviderFile("<gameFamily value=\"fam\"/><leaguesEnabled value=\"true\"/><leagues value=\"x\"/>"), true, true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KiplinkWorld world;
        world.WriteProviderFile(c.file);
        world.Start();
        Provider_Kiplink* provider = world.Provider();
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(provider->IsEnabled(), c.enabled);
        EXPECT_EQ(provider->GetAchievementService() != nullptr, c.achievements);
        EXPECT_EQ(provider->GetLeaguesService() != nullptr, c.leagues);
        EXPECT_EQ(world.Manager().FindServiceByKey("Provider_Kiplink/ILeaguesService") != nullptr, c.leagues);
        EXPECT_EQ(world.Manager().FindServiceByKey("Provider_Kiplink/IAchievementService") != nullptr,
                  c.achievements);
        EXPECT_EQ(world.Manager().FindServiceByKey("Provider_Kiplink/ILeaderboardService") != nullptr, c.enabled);
    }
}

TEST(ProviderKiplinkTest, TheSampleFileNamesTheServerThroughTheRemoteConfiguration) {
    KiplinkWorld world;
    world.Start();
    Provider_Kiplink* provider = world.Provider();
    ASSERT_TRUE(provider->IsEnabled());
    EXPECT_EQ(provider->GetSupportEmail(), "support@vellmarch.test");
    EXPECT_STREQ(provider->GetRoot()->GetGameFamily(), "vellmarch");
    EXPECT_EQ(std::string(provider->GetRoot()->GetBaseUrl()), world.Server().BaseUrl());
    EXPECT_STREQ(provider->GetRoot()->GetBuildId(), "build-7");
}

// From a fresh documents folder: the current user gets a library user and
// one guest login; the results screen's two posts reach the server as the
// low 32 bits; an unlocked achievement travels in the next sync.
TEST(ProviderKiplinkTest, FreshDocumentsScoresAndAnAchievementReachTheServer) {
    KiplinkWorld world;
    world.Start();
    User* user = world.Current();
    ASSERT_NE(user, nullptr);
    ASSERT_TRUE(user->HasId("kpguid"));
    Kiplink::UserImpl* libraryUser = KiplinkWorld::LibraryUser(user);
    ASSERT_NE(libraryUser, nullptr);
    EXPECT_STREQ(user->GetId("kpguid"), libraryUser->GetGUID());
    ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpid") && user->HasId("kpauth"); }));
    world.Settle();
    EXPECT_EQ(world.CallCount("auth", "guest"), 1);
    EXPECT_EQ(world.accounts.UserCount(), 1u);
    EXPECT_TRUE(libraryUser->IsAuthenticated());
    EXPECT_TRUE(user->IsGuest());
    const std::string id = user->GetId("kpid");

    // What the results screen posts: the board and its weekly board.
    Answers classic, weekly;
    auto* boards = world.Manager().GetServiceAggregate<ILeaderboardService>();
    ASSERT_NE(boards, nullptr);
    boards->SetLeaderboardScore(user, "CLASSIC_SCORES", 5000000000LL,
                                LeaderboardResultDelegate(&classic, &Answers::OnResult));
    boards->SetLeaderboardScore(user, "CLASSIC_SCORES_WEEKLY", 5000000000LL,
                                LeaderboardResultDelegate(&weekly, &Answers::OnResult));
    ASSERT_TRUE(world.FramesUntil([&] { return classic.results.size() == 1 && weekly.results.size() == 1; }));
    world.Settle();
    EXPECT_EQ(classic.results, std::vector<LeaderboardErrorType>{LeaderboardErrorType::Success});
    EXPECT_EQ(weekly.results, std::vector<LeaderboardErrorType>{LeaderboardErrorType::Success});
    std::vector<std::string> posted;  // two connections: either may land first
    for (const auto& call : world.Server().ReceivedCalls()) {
        if (call.method == "submitScoreFriendLeaderboard") {
            posted.push_back(call.params[3].asString());
            EXPECT_EQ(call.params[4].asInt(), 705032704);
        }
    }
    std::sort(posted.begin(), posted.end());
    EXPECT_EQ(posted, (std::vector<std::string>{"CLASSIC_SCORES", "CLASSIC_SCORES_WEEKLY"}));

    // "Fruit Century" (100): 98, then +5 adds 2 and unlocks once.
    std::vector<std::string> unlocked;
    struct Unlocks {
        std::vector<std::string>* list;
        void On(std::string id) { list->push_back(id); }
    } unlocks{&unlocked};
    auto* achievements = world.Manager().GetServiceAggregate<IAchievementService>();
    ASSERT_NE(achievements, nullptr);
    achievements->SetUnlockedCallback(Delegate1<void, std::string>(&unlocks, &Unlocks::On));
    KiplinkAchievementService* service = world.Provider()->GetAchievementService();
    service->SetProgress(user, "3", 98);
    service->SetProgress(user, "3", 40);  // never lowered
    int progress = 0;
    ASSERT_TRUE(service->GetProgress(user, "3", &progress));
    EXPECT_EQ(progress, 98);
    service->IncrementProgress(user, "3", 5);
    service->IncrementProgress(user, "3", 5);
    ASSERT_TRUE(service->GetProgress(user, "3", &progress));
    EXPECT_EQ(progress, 100);
    EXPECT_EQ(unlocked, std::vector<std::string>{"3"});
    EXPECT_FLOAT_EQ(service->GetProgressFraction(user, "3"), 1.0f);

    user->SaveComponents();  // the next sync in 1 s
    LibrarySeconds() += 2;
    ASSERT_TRUE(world.FramesUntil([&] {
        const Json::Value data = world.accounts.GameData(id);
        return data.toStyledString().find("100") != std::string::npos;
    })) << world.accounts.GameData(id).toStyledString();
}

TEST(ProviderKiplinkTest, AnUnknownBoardAnswersThreeAndCreatesNothing) {
    KiplinkWorld world;
    world.Start();
    Answers answers;
    world.Provider()->GetLeaderboardService()->SetLeaderboardScore(
        world.Current(), "NO_SUCH_BOARD", 1, LeaderboardResultDelegate(&answers, &Answers::OnResult));
    EXPECT_EQ(answers.results, std::vector<LeaderboardErrorType>{LeaderboardErrorType::UnknownLeaderboard});
    EXPECT_EQ(world.Provider()->GetLeaderboardService()->GetLeaderboardCount(), 0);
    EXPECT_EQ(world.Provider()->GetLeaderboardService()->GetLeaderboard("NO_SUCH_BOARD"), nullptr);
}

struct PageAnswers {
    struct Answer {
        LeaderboardErrorType error;
        const ILeaderboardPage* page;
        LeaderboardDownloadStatus status;
    };
    std::vector<Answer> answers;
    void On(LeaderboardErrorType error, const ILeaderboardPage* page, LeaderboardDownloadStatus status) {
        answers.push_back({error, page, status});
    }
};

TEST(ProviderKiplinkTest, APageOfFriendsIsSortedRankedAfterEarlierPagesAndNeverRepeats) {
    KiplinkWorld world;
    world.Start();
    User* user = world.Current();
    ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpid"); }));
    const std::string me = user->GetId("kpid");
    const struct {
        const char* id;
        int score;
    } friends[] = {{"f1", 5}, {"f2", 9}, {"f3", 7}};
    for (const auto& f : friends) {
        Json::Value profile;
        profile["kiplinkId"] = f.id;
        profile["displayName"] = std::string("Friend ") + f.id;
        world.social.AddPlayer(profile);
        world.social.AddGlobalFriend(me, f.id);
        world.social.SetScore("CLASSIC_SCORES", "allTime", f.id, f.score);
    }
    ILeaderboard* board = world.Provider()->GetLeaderboardService()->GetLeaderboard("CLASSIC_SCORES");
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetView(LeaderboardGlobality::Everybody, LeaderboardTimeSpan::AllTime), nullptr);
    ILeaderboardView* view = board->GetView(LeaderboardGlobality::Friends, LeaderboardTimeSpan::AllTime);
    ASSERT_EQ(view, board->GetView(LeaderboardGlobality::Friends, LeaderboardTimeSpan::AllTime));

    PageAnswers got;
    view->RequestPage(2, 10, 0, LeaderboardPageDelegate(&got, &PageAnswers::On), false);
    ASSERT_TRUE(world.FramesUntil([&] {
        return !got.answers.empty() && got.answers.back().status == LeaderboardDownloadStatus::Finished;
    }));
    const ILeaderboardPage* page = got.answers.back().page;
    EXPECT_EQ(got.answers.back().error, LeaderboardErrorType::Success);
    ASSERT_EQ(page->GetEntryCount(), 3);
    const int64_t scores[] = {9, 7, 5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(page->GetEntry(i)->GetScore(), scores[i]);
        EXPECT_EQ(page->GetEntry(i)->GetRank(), 11 + i);
    }
    EXPECT_EQ(page->GetEntry(3), nullptr);

    // The same number again is answered at once from the held page.
    got.answers.clear();
    view->RequestPage(2, 10, 0, LeaderboardPageDelegate(&got, &PageAnswers::On), false);
    ASSERT_EQ(got.answers.size(), 1u);
    EXPECT_EQ(got.answers[0].page, page);
    EXPECT_EQ(got.answers[0].status, LeaderboardDownloadStatus::Finished);

    // Forced: a new page from a refreshed board, the entries not repeated.
    got.answers.clear();
    view->RequestPage(2, 10, 0, LeaderboardPageDelegate(&got, &PageAnswers::On), true);
    ASSERT_TRUE(world.FramesUntil([&] {
        return !got.answers.empty() && got.answers.back().status == LeaderboardDownloadStatus::Finished;
    }));
    EXPECT_EQ(got.answers.back().page->GetEntryCount(), 3);

    got.answers.clear();
    view->RequestPreviousPage(got.answers.empty() ? nullptr : nullptr, LeaderboardPageDelegate(&got, &PageAnswers::On));
    ASSERT_EQ(got.answers.size(), 1u);
    EXPECT_EQ(got.answers[0].error, LeaderboardErrorType::UnknownLeaderboard);
}

TEST(ProviderKiplinkTest, AGuestLoginAnsweredWithoutAnIdIsTriedAgainTenSecondsLater) {
    KiplinkWorld world;
    world.Server().SetHandler("auth", "guest", [](const Tools::ServiceCall&) {
        Json::Value result;
        result["token"] = "t-only";
        return Tools::ServiceReply::Result(result);
    });
    world.Start();
    auto* component = UserComponent_Kiplink::Of(world.Current());
    ASSERT_NE(component, nullptr);
    ASSERT_TRUE(world.FramesUntil([&] { return component->GetRetryTime() != -1; }));
    EXPECT_EQ(component->GetRetryTime(), FakeNow() + 10);
    EXPECT_FALSE(world.Current()->HasId("kpid"));
    FakeNow() += 9;
    world.Settle();
    EXPECT_EQ(world.CallCount("auth", "guest"), 1);
    FakeNow() += 1;
    ASSERT_TRUE(world.FramesUntil([&] { return world.CallCount("auth", "guest") == 2; }));
}

TEST(ProviderKiplinkTest, AFailedSyncIsRetriedFiveSecondsApartAtMostTenTimesUnlessATransportFailure) {
    for (const char* text : {"timeout", "error"}) {
        SCOPED_TRACE(text);
        KiplinkWorld world;
        world.Start();
        User* user = world.Current();
        ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpauth"); }));
        auto* component = UserComponent_Kiplink::Of(user);
        int failures = 0;
        struct Listener {
            int* count;
            void On(User*, bool success, const char*) { *count += success ? 0 : 1; }
        } listener{&failures};
        user->AddSyncResultListener(SyncResultDelegate(&listener, &Listener::On));
        LibrarySeconds() += 5;  // the sync the login scheduled runs first
        ASSERT_TRUE(world.FramesUntil([&] { return !KiplinkWorld::LibraryUser(user)->IsSyncScheduled(); }));
        world.Settle();
        ASSERT_EQ(failures, 0);
        world.Server().InjectFault(Tools::Fault::ErrorText(text).For("game").Times(-1));
        world.Settle();
        const int syncsBefore = world.CallCount("game", "sync");
        KiplinkWorld::LibraryUser(user)->Synchronize();
        ASSERT_TRUE(world.FramesUntil([&] { return failures == 1; }));
        const bool retried = std::string(text) != "error";
        EXPECT_EQ(component->GetSyncRetries(), retried ? 1 : 0);
        EXPECT_EQ(KiplinkWorld::LibraryUser(user)->IsSyncScheduled(), retried);
        if (!retried) {
            continue;
        }
        for (int round = 2; round <= 11; ++round) {
            LibrarySeconds() += 4;
            world.Settle(50);
            EXPECT_EQ(failures, round - 1) << "retried before 5 s";
            LibrarySeconds() += 1;
            ASSERT_TRUE(world.FramesUntil([&] { return failures == round; }));
        }
        EXPECT_EQ(component->GetSyncRetries(), 10);
        EXPECT_FALSE(KiplinkWorld::LibraryUser(user)->IsSyncScheduled());
        EXPECT_EQ(world.CallCount("game", "sync") - syncsBefore, 11);
    }
}

TEST(ProviderKiplinkTest, ASyncPointSchedulesTheSlotsOneSecondApartAndNothingOffline) {
    KiplinkWorld world;
    world.Start();
    world.Store().SetSlotCount(3);
    world.Store().AssignSlot(1, true);
    world.Store().AssignSlot(2, true);
    Kiplink::UserImpl* users[3];
    for (int i = 0; i < 3; ++i) {
        User* user = world.Store().GetUserHandle(i)->GetUser();
        ASSERT_NE(user, nullptr);
        users[i] = KiplinkWorld::LibraryUser(user);
        ASSERT_NE(users[i], nullptr);
    }
    ASSERT_TRUE(world.FramesUntil([&] {
        return users[0]->IsAuthenticated() && users[1]->IsAuthenticated() && users[2]->IsAuthenticated();
    }));
    LibrarySeconds() += 5;  // the syncs of the logins themselves are due
    ASSERT_TRUE(world.FramesUntil(
        [&] { return !users[0]->IsSyncScheduled() && !users[1]->IsSyncScheduled() && !users[2]->IsSyncScheduled(); }));
    world.Settle();

    world.Provider()->SetOnline(false);
    EventDispatcher::Get().Fire(Event("syncpoint"));
    EXPECT_FALSE(users[0]->IsSyncScheduled() || users[1]->IsSyncScheduled() || users[2]->IsSyncScheduled());
    world.Provider()->SetOnline(true);

    EventDispatcher::Get().Fire(Event("syncpoint"));
    EXPECT_TRUE(users[0]->IsSyncScheduled() && users[1]->IsSyncScheduled() && users[2]->IsSyncScheduled());
    for (int second = 0; second < 3; ++second) {
        world.Settle(50);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(users[i]->IsSyncScheduled(), i > second) << "slot " << i << " at " << second << " s";
        }
        LibrarySeconds() += 1;
    }
}

TEST(ProviderKiplinkTest, FindOrCreateUserReplacesTheTokenOfAKnownIdAndMakesOneUserForANewOne) {
    KiplinkWorld world;
    world.Start();
    Provider_Kiplink* provider = world.Provider();
    const int before = world.Store().GetUserCount();
    User* made = provider->FindOrCreateUser("tok-1", "svc-9");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(world.Store().GetUserCount(), before + 1);
    EXPECT_STREQ(made->GetId("kpid"), "svc-9");
    EXPECT_NE(made->GetComponent("Kiplink"), nullptr);
    User* again = provider->FindOrCreateUser("tok-2", "svc-9");
    EXPECT_EQ(again, made);
    EXPECT_EQ(world.Store().GetUserCount(), before + 1);
    EXPECT_STREQ(again->GetId("kpauth"), "tok-2");
}

TEST(ProviderKiplinkTest, LogoutOfAGuestIsRefusedAndWithoutAUserAnswersThree) {
    KiplinkWorld world;
    world.Start();
    struct Result {
        std::vector<std::pair<int, int>> got;
        void On(RevokeAuthenticationResult r, AuthenticationState s, const char* name) {
            got.emplace_back(static_cast<int>(r), static_cast<int>(s));
            EXPECT_STREQ(name, "kiplink");
        }
    } result;
    auto* auth = world.Provider()->GetAuthenticationService();
    auth->Logout(nullptr, IAuthenticationServiceAggregate::LogoutDelegate(&result, &Result::On));
    auth->Logout(world.Current(), IAuthenticationServiceAggregate::LogoutDelegate(&result, &Result::On));
    EXPECT_EQ(result.got, (std::vector<std::pair<int, int>>{{1, 3}, {1, 0}}));
    EXPECT_EQ(static_cast<int>(auth->GetAuthenticationState(world.Current(), "any")), 3);
}

TEST(ProviderKiplinkTest, SyncListenersKeepOneEntryPerDelegateAndNotifiersKeepDuplicates) {
    KiplinkWorld world;
    world.Start();
    User* user = world.Current();
    int results = 0, notices = 0;
    struct Counter {
        int* results;
        int* notices;
        void OnResult(User*, bool, const char*) { ++*results; }
        void OnNotice() { ++*notices; }
    } counter{&results, &notices};
    user->AddSyncResultListener(SyncResultDelegate(&counter, &Counter::OnResult));
    user->AddSyncResultListener(SyncResultDelegate(&counter, &Counter::OnResult));
    user->AddSyncListener(SyncDelegate(&counter, &Counter::OnNotice));
    user->AddSyncListener(SyncDelegate(&counter, &Counter::OnNotice));
    ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpauth"); }));
    KiplinkWorld::LibraryUser(user)->Synchronize();
    ASSERT_TRUE(world.FramesUntil([&] { return results >= 1; }));
    EXPECT_EQ(results, 1);
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(user->GetComponent("Kiplink")->GetPriority(), 1000000);
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok

namespace Varnok {
namespace TestSupport {
namespace {

TEST(ProviderKiplinkTest, LogoutOfARegisteredUserInSlotZeroLeavesAGuestThere) {
    KiplinkWorld world;
    Tools::ServerUserDef member;
    member.id = "reg-1";
    member.token = "tok-reg";
    member.profile["isMember"] = true;
    world.accounts.AddUser(member);
    world.Start();
    ASSERT_TRUE(world.FramesUntil([&] { return world.Current()->HasId("kpauth"); }));

    User* registered = world.Provider()->FindOrCreateUser("tok-reg", "reg-1");
    ASSERT_TRUE(world.Store().ClearSlot(0, false));
    ASSERT_TRUE(world.Store().SetSlotUser(registered, 0, true));
    Kiplink::UserImpl* libraryUser = KiplinkWorld::LibraryUser(registered);
    ASSERT_NE(libraryUser, nullptr);
    LibrarySeconds() += 2;  // its first sync brings the profile
    ASSERT_TRUE(world.FramesUntil([&] { return libraryUser->IsRegisteredUser(); }));
    world.FramesUntil([&] { return !registered->IsGuest(); });
    EXPECT_FALSE(registered->IsGuest());

    struct Heard {
        std::vector<std::string> lines;
        void On(const Event& event) {
            lines.push_back(std::string("to=") + event.GetArgText("to").c_str() + " from=" +
                            event.GetArgText("from").c_str());
        }
    } heard;
    EventDispatcher::Get().Subscribe("logged_out", EventListener(&heard, &Heard::On));
    struct Result {
        std::vector<std::pair<int, int>> got;
        void On(RevokeAuthenticationResult r, AuthenticationState s, const char*) {
            got.emplace_back(static_cast<int>(r), static_cast<int>(s));
        }
    } result;
    // This device's saved login, which the logout clears but for its games.
    struct MemoryStore final : UbiquitousKeyValueStore {
        Json::Value values{Json::objectValue};
        Json::Value GetValue(const char* key) override { return values.get(key, Json::Value()); }
        void SetValue(const char* key, const Json::Value& value) override { values[key] = value; }
        bool Synchronize() override { return true; }
    };
    auto saved = std::make_shared<MemoryStore>();
    const DeviceSettings settingsBefore = GetDeviceSettings();
    DeviceSettings settings = settingsBefore;
    settings.deviceId = "device-A";
    SetDeviceSettings(settings);
    DevicePropertyMap::Rebuild();
    const std::string device = AppleICloudHelperBridge::Get().GetHelper().GetCurrentDeviceId();
    ASSERT_EQ(device, "device-A");
    saved->values[kICloudLoginInfoKey][device]["kiplinkId"] = "reg-1";
    saved->values[kICloudLoginInfoKey][device]["games"]["vellmarch"] = "2026-12-01 10:00:00";
    SetUbiquitousKeyValueStore(saved);
    world.Provider()->GetAuthenticationService()->Logout(
        registered, IAuthenticationServiceAggregate::LogoutDelegate(&result, &Result::On));
    ASSERT_TRUE(world.FramesUntil([&] { return !result.got.empty(); }));
    SetUbiquitousKeyValueStore(nullptr);
    SetDeviceSettings(settingsBefore);
    DevicePropertyMap::Rebuild();
    const Json::Value& entry = saved->values[kICloudLoginInfoKey][device];
    EXPECT_FALSE(entry.isMember("kiplinkId"));
    EXPECT_EQ(entry["games"]["vellmarch"].asString(), "2026-12-01 10:00:00");
    EventDispatcher::Get().Unsubscribe("logged_out", EventListener(&heard, &Heard::On));
    EXPECT_EQ(result.got, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(heard.lines, std::vector<std::string>{"to=guest from=registered"});
    ASSERT_NE(world.Current(), nullptr);
    EXPECT_NE(world.Current(), registered);
    EXPECT_TRUE(world.Current()->IsGuest());
    EXPECT_FALSE(registered->HasSlot());
    EXPECT_EQ(world.accounts.TokenOf("reg-1"), "logged-out-reg-1");
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
