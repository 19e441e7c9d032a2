// Users, the secure key store over the shared stand-ins, and the user store
// with its two records in real files.
#include "engine/services/SecureKeyStore.h"
#include "engine/services/User.h"
#include "engine/services/UserStore.h"
#include "platform/SharedKeyStores.h"

#include "ServiceHarness.h"

#include <gtest/gtest.h>

#include <string>


namespace Varnok {
namespace {

using TestSupport::FakeNow;
using TestSupport::ReadHost;
using TestSupport::ServiceWorld;
using TestSupport::WriteHost;

class Component final : public IUserComponent {
public:
    Component(const char* name, int priority, int* deleted = nullptr)
        : m_name(name), m_priority(priority), m_deleted(deleted) {}
    ~Component() override {
        if (m_deleted != nullptr) {
            ++*m_deleted;
        }
    }
    const char* GetComponentName() const override { return m_name; }
    int GetPriority() const override { return m_priority; }
    const char* GetId(const char* /*service*/) override { return id; }
    bool HasMeta(const char*, const char*) override { return false; }
    void SetMeta(const char*, const char*, const char* value) override { meta = value; }
    void ShouldMergeWith(User* other, const MergeAnswerDelegate& answer) override {
        mergeOffers.push_back(other);
        answer(agreeToMerge);
    }
    void Merge(const char* token, const ResultDelegate& result) override {
        mergeToken = token != nullptr ? token : "(null)";
        result(mergeSucceeds, "");
    }
    const char* id = "";
    std::string meta;
    std::vector<User*> mergeOffers;
    bool agreeToMerge = true;
    bool mergeSucceeds = false;
    std::string mergeToken;

private:
    const char* m_name;
    int m_priority;
    int* m_deleted;
};

TEST(User, GuidsPrioritiesIdsAndMeta) {
    User user(nullptr);
    EXPECT_STREQ(user.GetDisplayName().c_str(), "No Name");
    const std::string guid = user.GetGUID().c_str();
    EXPECT_EQ(guid.size(), 32u);
    EXPECT_EQ(guid.find_first_not_of("0123456789abcdef"), std::string::npos) << guid;
    std::set<std::string> guids;
    for (int i = 0; i < 200; ++i) {
        guids.insert(User::GenerateGUID().c_str());  // same second, all different
    }
    EXPECT_EQ(guids.size(), 200u);

    int deleted = 0;
    auto* low = new Component("low", 0, &deleted);
    auto* high = new Component("high", 1000000, &deleted);
    user.AddComponent(low);
    user.AddComponent(high);
    EXPECT_EQ(user.GetComponentAt(0), high);
    EXPECT_EQ(user.GetComponentAt(2), nullptr);
    EXPECT_EQ(user.GetComponent("low"), low);

    user.SetId("kpid", "42", false);
    EXPECT_STREQ(user.GetId("kiplinkId"), "42");
    EXPECT_FALSE(user.HasId("kiplinkId"));
    low->id = "from-low";
    EXPECT_STREQ(user.GetId("GCUserID"), "from-low");  // the empty answer of high is skipped
    user.SetMeta("k", "s", "v");
    EXPECT_EQ(high->meta, "v");
    EXPECT_EQ(low->meta, "");

    user.RemoveComponent(low);  // handed back
    EXPECT_EQ(user.GetComponent("low"), nullptr);
    delete low;
    EXPECT_EQ(deleted, 1);
    { User other(nullptr); other.AddComponent(new Component("owned", 0, &deleted)); }
    EXPECT_EQ(deleted, 2);  // a user deletes what it still holds
}

int g_shareCalls = 0;
void CountShare(SmartPtr<UserHandleShare> share) {
    g_shareCalls += share.Get() != nullptr ? 1 : 0;
}

TEST(UserHandleShare, SetUserCallsEveryListenerOnce) {
    SmartPtr<UserHandleShare> share = UserHandleShare::Create(nullptr);
    share->AddListener(UserHandleListener(&CountShare));
    share->AddListener(UserHandleListener(&CountShare));
    User user;
    share->SetUser(&user);
    EXPECT_EQ(g_shareCalls, 2);
    EXPECT_EQ(share->GetUser(), &user);
}

class KeyStoreTest : public ::testing::Test {
protected:
    ServiceWorld world;
    TestSupport::TempFolder shared;
    FileKeychain keychain{shared.Path()};
    FilePasteboard pasteboard{shared.Path()};
    SecureKeyStore store{&keychain, &pasteboard};
};

TEST_F(KeyStoreTest, AbcLandsInThreePlacesInTheirForms) {
    ASSERT_TRUE(store.Write("Users", "abc"));
    std::string data;
    ASSERT_TRUE(pasteboard.GetItem(SecureKeyStore::kPasteboardName, SecureKeyStore::kPasteboardType, "Users", &data));
    EXPECT_EQ(data.size(), 16u);
    EXPECT_EQ(SecureKeyStore::Decipher(data), "abc");
    std::string value;
    ASSERT_TRUE(keychain.Find(SecureKeyStore::kKeychainService, SecureKeyStore::kKeychainGroup, "Users", &value));
    EXPECT_EQ(value, "abc");
    EXPECT_EQ(ReadHost(world.SavePath("KeyStore.Users.txt")), std::string("abc", 4));
    EXPECT_EQ(SecureKeyStore::Encipher(std::string(16, 'x')).size(), 16u);
    EXPECT_EQ(SecureKeyStore::Encipher(std::string(17, 'x')).size(), 32u);
    EXPECT_EQ(SecureKeyStore::Encipher("").size(), 0u);
}

TEST_F(KeyStoreTest, AnotherWriterWinsTheSharedPlacesAndSetWritesOnlyTheFile) {
    ASSERT_TRUE(store.Set("Users", "mine", ""));
    std::string read;
    ASSERT_TRUE(store.Get("Users", read));
    EXPECT_EQ(read, "mine");
    // A second application: its own save folder, the same shared places.
    ServiceWorld otherWorld("otherSave");
    SecureKeyStore other(&keychain, &pasteboard, FileSystemKey("otherSave"));
    ASSERT_TRUE(other.Set("Users", "theirs", "mine"));
    EXPECT_TRUE(store.Set("Users", "mine again", "mine"));  // stale: file only
    EXPECT_EQ(ReadHost(world.SavePath("KeyStore.Users.txt")), std::string("mine again", 11));
    ASSERT_TRUE(store.Get("Users", read));
    EXPECT_EQ(read, "theirs");
    // With the last read value equal to the stored one, all three are written.
    EXPECT_TRUE(store.Set("Users", "agreed", "theirs"));
    ASSERT_TRUE(other.Get("Users", read));
    EXPECT_EQ(read, "agreed");
}

TEST_F(KeyStoreTest, ThePasteboardKeepsOneItemPerKey) {
    ASSERT_TRUE(store.Write("A", "value a"));
    ASSERT_TRUE(store.Write("B", "value b"));
    std::string read;
    ASSERT_TRUE(store.Get("A", read));
    EXPECT_EQ(read, "value a");
    SecureKeyStore fileOnly(nullptr, nullptr);
    EXPECT_FALSE(fileOnly.Get("missing", read));
}

class UserStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<UserStore> MakeStore() { return std::make_unique<UserStore>("UserStore\\", nullptr, &keys); }
    std::string Record() { return ReadHost(world.SavePath("KeyStore.Users.txt")); }

    ServiceWorld world;
    TestSupport::TempFolder shared;
    FileKeychain keychain{shared.Path()};
    FilePasteboard pasteboard{shared.Path()};
    SecureKeyStore keys{&keychain, &pasteboard};
};

TEST_F(UserStoreTest, FirstStartWritesTheRecordAndARestartKeepsEverything) {
    std::string guid;
    {
        auto store = MakeStore();
        EXPECT_STREQ(store->GetFolder().c_str(), "UserStore/");
        store->Start();
        User* user = store->GetUserHandle(0)->GetUser();
        ASSERT_NE(user, nullptr);
        guid = user->GetGUID().c_str();
        EXPECT_EQ(Record(), "{\"name\":\"vellmarch_userstore\",\"slots\":{\"0\":\"" + guid + "\"},\"users\":{\"" +
                                guid + "\":{\"idMap\":null,\"isGuest\":true}},\"version\":100}\n" +
                                std::string(1, '\0'));
        EXPECT_STREQ(user->GetStorageFolder().c_str(), ("UserStore/" + guid + "/").c_str());
        user->SetId("kpid", "77", false);
        user->SetGuest(false);
        User* second = store->CreateUser();
        store->SetSlotCount(2);
        EXPECT_TRUE(store->SetSlotUser(second, 1, true));
    }
    auto store = MakeStore();
    store->SetSlotCount(2);
    store->Start();
    User* user = store->GetUserHandle(0)->GetUser();
    ASSERT_NE(user, nullptr);
    EXPECT_STREQ(user->GetGUID().c_str(), guid.c_str());
    EXPECT_FALSE(user->IsGuest());
    EXPECT_EQ(store->FindUserById("kpid", "77"), user);
    ASSERT_NE(store->GetUserHandle(1)->GetUser(), nullptr);
    EXPECT_TRUE(store->GetUserHandle(1)->GetUser()->IsGuest());
    EXPECT_EQ(store->GetUserCount(), 2);
}

TEST_F(UserStoreTest, AssignSlotPrefersAnUnslottedGuestAndNeverANonGuest) {
    auto store = MakeStore();
    store->Start();
    User* first = store->GetUserHandle(0)->GetUser();
    User* member = store->CreateUser();
    member->SetGuest(false);
    ASSERT_TRUE(store->ClearSlot(0, false));
    ASSERT_TRUE(store->AssignSlot(0, false));
    EXPECT_EQ(store->GetUserHandle(0)->GetUser(), first);
    EXPECT_EQ(store->GetUserCount(), 2);
    // DestroyUser empties the slot and keeps the user allocated.
    store->DestroyUser(first);
    EXPECT_EQ(store->GetUserHandle(0)->GetUser(), nullptr);
    EXPECT_EQ(store->GetDestroyedUserCount(), 1);
    EXPECT_STREQ(first->GetGUID().c_str(), first->GetGUID().c_str());
    ASSERT_TRUE(store->AssignSlot(0, false));
    EXPECT_NE(store->GetUserHandle(0)->GetUser(), member);  // a new guest
    EXPECT_FALSE(store->AssignSlot(0, false));              // taken
    EXPECT_FALSE(store->AssignSlot(5, false));
}

TEST_F(UserStoreTest, RemoveIdDropsOnlyTheFirstIndexEntry) {
    auto store = MakeStore();
    store->Start();
    User* user = store->GetUserHandle(0)->GetUser();
    user->SetId("GCUserID", "a", false);
    user->SetId("GCUserID", "b", false);
    user->RemoveId("GCUserID", false);
    EXPECT_EQ(store->FindUserById("GCUserID", "a"), nullptr);
    EXPECT_EQ(store->FindUserById("GCUserID", "b"), user);
}

TEST_F(UserStoreTest, RecordsFromOtherWritersAreAppliedOnReloadAndBadOnesKeepTheState) {
    auto store = MakeStore();
    store->Start();
    User* user = store->GetUserHandle(0)->GetUser();
    const std::string guid = user->GetGUID().c_str();
    SecureKeyStore other(&keychain, &pasteboard);
    const std::string before = store->GetLastUsersText();
    // Malformed, then a slot index of 5, then an unknown GUID for slot 0.
    for (const std::string& text : {std::string("{not json"), std::string("[1,2]"),
                                    "{\"slots\":{\"5\":\"" + guid + "\"},\"users\":{\"" + guid + "\":{\"isGuest\":\"yes\"}}}"}) {
        ASSERT_TRUE(other.Write("Users", text));
        FakeNow() += UserStore::kReloadSeconds;
        store->Update();
        EXPECT_EQ(store->GetUserHandle(0)->GetUser(), user) << text;
    }
    EXPECT_FALSE(user->IsGuest());  // a string "isGuest" reads as false
    const std::string unknown = "{\"slots\":{\"0\":\"ffffffffffffffffffffffffffffffff\"},\"users\":{}}";
    ASSERT_TRUE(other.Write("Users", unknown));
    FakeNow() += UserStore::kReloadSeconds;
    store->Update();
    // The emptied slot is filled again at once: by a new guest, since the
    // user that left it is no guest now.
    User* refilled = store->GetUserHandle(0)->GetUser();
    ASSERT_NE(refilled, nullptr);
    EXPECT_NE(refilled, user);
    EXPECT_TRUE(refilled->IsGuest());
    EXPECT_NE(Record().find(std::string("\"0\":\"") + refilled->GetGUID().c_str()), std::string::npos);
}

TEST_F(UserStoreTest, LocalUsersNamingAnotherUserOffersOneMerge) {
    auto store = MakeStore();
    store->Start();
    User* slotUser = store->GetUserHandle(0)->GetUser();
    User* local = store->CreateUser();
    auto* component = new Component("merge", 0);
    slotUser->AddComponent(component);
    std::vector<MergeResult> results;
    struct Listener {
        void On(User* /*user*/, MergeResult result) { results->push_back(result); }
        std::vector<MergeResult>* results;
    } listener{&results};
    store->AddMergeListener(MergeResultDelegate(&listener, &Listener::On));
    WriteHost(world.SavePath("LocalKeyStore.LocalUsers.txt"),
              "{\"slots\":{\"0\":{\"kpauth\":\"token-1\",\"localGUID\":\"" + std::string(local->GetGUID().c_str()) +
                  "\"}}}" + std::string(1, '\0'));
    // The users record must change for a reload to look at LocalUsers.
    SecureKeyStore other(&keychain, &pasteboard);
    ASSERT_TRUE(other.Write("Users", store->GetLastUsersText() + " "));
    FakeNow() += UserStore::kReloadSeconds;
    store->Update();
    ASSERT_EQ(component->mergeOffers.size(), 1u);
    EXPECT_EQ(component->mergeOffers[0], local);
    EXPECT_EQ(component->mergeToken, "token-1");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], MergeResult::Failed);
    // The record is rewritten from the current slots.
    EXPECT_NE(ReadHost(world.SavePath("LocalKeyStore.LocalUsers.txt")).find(slotUser->GetGUID().c_str()),
              std::string::npos);
}

}  // namespace
}  // namespace Varnok
