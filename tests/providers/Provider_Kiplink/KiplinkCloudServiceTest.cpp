// Cloud objects through the engine's cloud service: one adapter per object,
// edits through value handles, and requests that answer their own delegate
// once, or at once without sending when they cannot go out.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/services/ICloudService.h"
#include "engine/services/IFriendsService.h"
#include "engine/services/OnlineObjects.h"
#include "tools/kiplink_server/CloudObjectService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {
namespace {

// Every edit form of the shared table, counted: the engine's interface and
// the provider's adapter both expand it.
#define VARNOK_TEST_COUNT_FORM(Name, Op, Mode, Form) +1
#define VARNOK_TEST_COUNT(Name, Op, Mode, Kind) VARNOK_CLOUD_FORMS(VARNOK_TEST_COUNT_FORM, Name, Op, Mode, Kind)
static_assert(0 VARNOK_CLOUD_EDITS(VARNOK_TEST_COUNT) == 88, "the cloud edit table lost or gained a form");

struct Answers {
    std::vector<std::string> texts;
    User* user = nullptr;
    ICloudObject* object = nullptr;
    void OnUpdate(User* who, ICloudObject* what, const char* text) {
        user = who;
        object = what;
        texts.push_back(text != nullptr ? text : "(null)");
    }
    void OnFetch(User* who, const char* text) {
        user = who;
        texts.push_back(text != nullptr ? text : "(null)");
    }
};


class CloudServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_objects.Install(m_world.Server());
        Tools::ServerUserDef alice;
        alice.id = "alice";
        alice.token = "token-alice";
        alice.profile["displayName"] = "Alice";
        m_world.accounts.AddUser(alice);
        m_world.Start();
        m_user = m_world.Current();
        ASSERT_TRUE(m_world.FramesUntil([&] { return m_user->HasId("kpauth"); }));
        m_world.social.AddGlobalFriend(KiplinkWorld::LibraryUser(m_user)->GetKiplinkID(), "alice");

        IFriends* friends = m_world.Manager().GetService<IFriendsService>("Provider_Kiplink")->GetFriends(m_user);
        ASSERT_NE(friends, nullptr);
        struct Heard {
            int count = 0;
            void On(IFriends*, const char*) { ++count; }
        } heard;
        friends->RequestGlobalFriends(IFriends::FriendsDelegate(&heard, &Heard::On));
        ASSERT_TRUE(m_world.FramesUntil([&] { return heard.count == 1; }));
        m_alice = friends->GetGlobalFriend(0);
        ASSERT_NE(m_alice, nullptr);

        m_service = m_world.Manager().GetService<ICloudService>("Provider_Kiplink");
        ASSERT_NE(m_service, nullptr);
        // The objects' definitions come with the static data.
        ASSERT_TRUE(m_world.FramesUntil(
            [&] { return (m_object = m_service->GetPlayerCloudObject(m_user, m_alice, "profile")) != nullptr; }));
    }

    Json::Value ServerData() { return m_world.accounts.GameData("alice")["cloudObjectData"]["alice"]["profile"]["data"]; }

    KiplinkWorld m_world;
    Tools::CloudObjectService m_objects{m_world.accounts};
    User* m_user = nullptr;
    IPlayerProfile* m_alice = nullptr;
    ICloudService* m_service = nullptr;
    ICloudObject* m_object = nullptr;
};

TEST_F(CloudServiceTest, EditsThroughHandlesReachTheServerAndOverlappingUpdatesAnswerTheirOwn) {
    EXPECT_EQ(m_service->GetPlayerCloudObject(m_user, m_alice, "profile"), m_object);
    ICloudObject* own = m_service->GetCloudObject(m_user, "profile");
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, m_object);
    EXPECT_EQ(m_service->GetCloudObject(m_user, "profile"), own);
    EXPECT_EQ(m_service->GetCloudObject(m_user, "no-such-definition"), nullptr);
    EXPECT_EQ(m_service->GetCloudObject(nullptr, "profile"), nullptr);

    ServiceValueHandle data = m_object->GetData();
    EXPECT_TRUE(m_object->SetIfUnchangedString(data.Get()->MemberHandle("title"), "hello"));
    EXPECT_TRUE(m_object->AddInt(data.Get()->MemberHandle("count"), 5));
    for (const char* word : {"a", "b", "c", "d"}) {
        EXPECT_TRUE(m_object->AppendCappedString(data.Get()->MemberHandle("recent"), word, 3));
    }
    EXPECT_FALSE(m_object->AddInt(ServiceValueHandle(), 1));  // no target
    EXPECT_FALSE(m_object->AppendCappedInt(data.Get()->MemberHandle("recent"), 1, -1));
    EXPECT_EQ(m_object->GetMember("count").Get()->AsInt(0), 5);
    EXPECT_EQ(m_object->GetMember("recent").Get()->GetMemberCount(), 3u);
    EXPECT_TRUE(m_object->GetMember("missing").Get()->IsNull());

    Answers sent;
    m_service->UpdateCloudObject(m_user, m_object, ICloudService::UpdateDelegate(&sent, &Answers::OnUpdate));
    ASSERT_TRUE(m_world.FramesUntil([&] { return sent.texts.size() == 1; }));
    EXPECT_EQ(sent.texts[0], "(null)");
    EXPECT_EQ(sent.user, m_user);
    EXPECT_EQ(sent.object, m_object);
    EXPECT_EQ(ServerData()["title"], "hello");
    EXPECT_EQ(ServerData()["count"], 5);
    EXPECT_EQ(ServerData()["recent"].size(), 3u);

    // Two in flight, one of them failing: each hears its own reply once.
    m_world.Server().InjectFault(Tools::Fault::ErrorText("down").For("cloudObject"));
    Answers first, second;
    m_service->UpdateCloudObject(m_user, m_object, ICloudService::UpdateDelegate(&first, &Answers::OnUpdate));
    ICloudObject* batch[] = {m_object};
    m_service->GetCloudObjects(m_user, batch, 1, ICloudService::FetchDelegate(&second, &Answers::OnFetch));
    ASSERT_TRUE(m_world.FramesUntil([&] { return first.texts.size() == 1 && second.texts.size() == 1; }));
    m_world.Settle();
    ASSERT_EQ(first.texts.size(), 1u);
    ASSERT_EQ(second.texts.size(), 1u);
    EXPECT_NE(first.texts[0] == "(null)", second.texts[0] == "(null)");
    EXPECT_EQ(sent.texts.size(), 1u);
}

TEST_F(CloudServiceTest, RequestsThatCannotGoOutAnswerAtOnceAndSendNothing) {
    m_world.Settle();
    const int before = m_world.CallCount("cloudObject", "updateObjects") + m_world.CallCount("cloudObject", "getObjects");
    ICloudObject* own = m_service->GetCloudObject(m_user, "profile");
    ICloudObject* withNull[] = {m_object, nullptr};

    Answers offlineOne, offlineMany;
    m_service->SetOnline(false);
    m_service->UpdateCloudObject(m_user, m_object, ICloudService::UpdateDelegate(&offlineOne, &Answers::OnUpdate));
    m_service->GetCloudObjects(m_user, withNull, 1, ICloudService::FetchDelegate(&offlineMany, &Answers::OnFetch));
    m_service->SetOnline(true);
    EXPECT_EQ(offlineOne.texts, std::vector<std::string>{"offline"});
    EXPECT_EQ(offlineOne.object, m_object);
    EXPECT_EQ(offlineMany.texts, std::vector<std::string>{"offline"});

    Answers noUser, badObject, noUserMany;
    m_service->UpdateCloudObject(nullptr, m_object, ICloudService::UpdateDelegate(&noUser, &Answers::OnUpdate));
    m_service->GetCloudObjects(m_user, withNull, 2, ICloudService::FetchDelegate(&badObject, &Answers::OnFetch));
    m_service->GetCloudObjects(nullptr, withNull, 1, ICloudService::FetchDelegate(&noUserMany, &Answers::OnFetch));
    EXPECT_EQ(noUser.texts, std::vector<std::string>{"invalid user"});
    EXPECT_EQ(noUser.user, nullptr);
    EXPECT_EQ(badObject.texts, std::vector<std::string>{"invalid object"});
    EXPECT_EQ(noUserMany.texts, std::vector<std::string>{"invalid user"});

    // Own objects travel with the user's sync: the library refuses at once.
    Answers ownUpdate;
    m_service->UpdateCloudObject(m_user, own, ICloudService::UpdateDelegate(&ownUpdate, &Answers::OnUpdate));
    EXPECT_EQ(ownUpdate.texts, std::vector<std::string>{"cannot call update on a sync object"});

    m_world.Settle();
    EXPECT_EQ(m_world.CallCount("cloudObject", "updateObjects") + m_world.CallCount("cloudObject", "getObjects"), before);
    EXPECT_EQ(offlineOne.texts.size() + noUser.texts.size() + ownUpdate.texts.size(), 3u);
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
