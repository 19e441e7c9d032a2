// Cloud objects against the protocol server: an own object's edits leave
// its file folded into one transaction of the user's sync; two devices of
// one account and two players on another's object make conflicting edits
// that converge on the server's copy.
#include "kiplink/Public/ICloud.h"
#include "kiplink/Source/CloudObject.h"
#include "kiplink/Source/CloudObjectSync.h"
#include "tests/providers/AccountFixture.h"
#include "tools/kiplink_server/CloudObjectService.h"

#include <tinyxml.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace OnlineTest {
namespace {

using Kiplink::RefPtr;

std::string JsonOf(const Kiplink::IValue& value) {
    Kiplink::TextBuffer* text = value.ToText();
    std::string out = text->GetText();
    text->Release();
    return out;
}

struct SyncEvent {
    uint32_t id;
    int error;
    std::string text;
};

class SyncEvents : public Kiplink::ICloudObjectSyncCallbacks {
public:
    void OnObjectsUpdated(Kiplink::ICloudObjectSync*, uint32_t id, Kiplink::KIPLINKERROR error,
                          const char* text) override {
        events.push_back({id, error, text != nullptr ? text : "(null)"});
    }
    std::vector<SyncEvent> events;
};

// One device: its own save folder and platform, a root and one signed-in
// user of a server account.
struct Device {
    Device(const std::string& name, const std::string& baseUrl, const std::string& accountId,
           const std::string& token) {
        char pattern[] = "/tmp/kiplink-device-XXXXXX";
        folder = mkdtemp(pattern);
        key = "save-" + name;
        save = Varnok::FileSystemRegistry::Get().Add(
            std::make_unique<Varnok::DirectoryFileSystem>(folder.c_str(), false), Varnok::FileSystemKey(key.c_str()),
            90);
        TiXmlElement config("provider");
        TiXmlElement fileSystem("filesystem");
        fileSystem.SetAttribute("saveFilesystem", key.c_str());
        config.InsertEndChild(fileSystem);
        platform = new Varnok::KiplinkPlatform(nullptr, &config);
        Kiplink::KiplinkSettings settings{"fam", baseUrl, "build-7"};
        root = RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(
            static_cast<Kiplink::KiplinkProviderImpl*>(Kiplink::CreateKiplinkProvider(settings, platform.Get())));
        root->Load();
        user = RefPtr<Kiplink::UserImpl>::Adopt(static_cast<Kiplink::UserImpl*>(root->CreateUser()));
        user->SetLoginResult(token.c_str(), accountId.c_str(), true);
        user->AddCallbacks(events.Get());
        auto provider = RefPtr<Kiplink::ICloudProvider>::Adopt(root->GetCloudProvider());
        sync = RefPtr<Kiplink::ICloudObjectSync>::Adopt(provider->GetSyncObject(user.Get()));
        sync->AddCallbacks(cloudEvents.Get());
    }
    ~Device() {
        sync->RemoveCallbacks(cloudEvents.Get());
        user->RemoveCallbacks(events.Get());
        sync.Reset();
        user.Reset();
        root.Reset();
        platform.Reset();
        Varnok::FileSystemRegistry::Get().Remove(save);
        std::system(("rm -rf " + folder).c_str());
    }
    void Frame() {
        platform->UpdateHttp();
        root->Update();
    }

    std::string folder;
    std::string key;
    Varnok::FileSystem* save = nullptr;
    RefPtr<Varnok::KiplinkPlatform> platform;
    RefPtr<Kiplink::KiplinkProviderImpl> root;
    RefPtr<Kiplink::UserImpl> user;
    RefPtr<Kiplink::ICloudObjectSync> sync;
    RefPtr<UserEvents> events{new UserEvents};
    RefPtr<SyncEvents> cloudEvents{new SyncEvents};
};

class CloudTest : public AccountFixture {
protected:
    void SetUp() override {
        AccountFixture::SetUp();
        m_cloud.Install(*m_server);
        for (const char* id : {"alice", "bob", "carol"}) {
            Varnok::Tools::ServerUserDef def;
            def.id = id;
            def.token = std::string("token-") + id;
            m_accounts.AddUser(def);
        }
    }
    void TearDown() override {
        m_devices.clear();
        AccountFixture::TearDown();
    }

    Device& AddDevice(const std::string& accountId) {
        const std::string name = std::to_string(m_devices.size());
        m_devices.push_back(std::make_unique<Device>(name, m_server->BaseUrl(), accountId, "token-" + accountId));
        Device& device = *m_devices.back();
        EXPECT_TRUE(PumpAll([&] { return device.root->FindCloudSync(device.user.Get()) != nullptr && Definitions(device); }));
        return device;
    }
    // The static data's definitions have arrived when "profile" can be had.
    static bool Definitions(Device& device) {
        auto object = RefPtr<Kiplink::ICloudObject>::Adopt(device.sync->GetOwnObject("profile"));
        return bool(object);
    }

    bool PumpAll(const std::function<bool()>& done, int timeoutMs = 5000) {
        return PumpUntil([&] {
            for (auto& device : m_devices) {
                device->Frame();
            }
            return done();
        }, timeoutMs);
    }

    bool SyncDevice(Device& device) {
        const int before = device.events->Count("sync");
        device.user->Synchronize();
        if (!PumpAll([&] { return device.events->Count("sync") > before; })) {
            return false;
        }
        return device.events->Last("sync")->code == 0;
    }
    // Syncs until nothing is left to send or confirm.
    bool Settle(Device& device) {
        for (int round = 0; round < 6; ++round) {
            if (!SyncDevice(device)) {
                return false;
            }
            if (device.user->Pending().Size() == 0 && device.user->Sent().Size() == 0) {
                return true;
            }
        }
        return false;
    }
    bool Refresh(Device& device, Kiplink::ICloudObject* object) {
        const size_t before = device.cloudEvents->events.size();
        device.sync->UpdateObject(object, nullptr);
        return PumpAll([&] { return device.cloudEvents->events.size() > before; }) &&
               device.cloudEvents->events.back().error == 0;
    }

    // The set-if-unchanged of "title" and an add to "count" on an object.
    static void Edit(Kiplink::ICloudObject& object, const char* title, int add) {
        auto data = RefPtr<Kiplink::IValue>::Adopt(object.GetData());
        EXPECT_TRUE(object.SetString(&(*data)["title"], 0, title));
        EXPECT_TRUE(object.ModifyInt(&(*data)["count"], 0, add));
    }
    // Member order apart: the server keeps its members sorted.
    static Json::Value ViewData(Kiplink::ICloudObject& object) {
        auto data = RefPtr<Kiplink::IValue>::Adopt(object.GetData());
        Json::Value parsed;
        EXPECT_TRUE(Json::Reader().parse(JsonOf(*data), parsed));
        return parsed;
    }
    Json::Value ServerData(const std::string& owner, const std::string& id) {
        return m_accounts.GameData(owner)["cloudObjectData"][owner][id]["data"];
    }
    static Json::Value Parsed(const char* text) {
        Json::Value parsed;
        EXPECT_TRUE(Json::Reader().parse(text, parsed));
        return parsed;
    }

    Varnok::Tools::CloudObjectService m_cloud{m_accounts};
    std::vector<std::unique_ptr<Device>> m_devices;
};

TEST(CloudObjectFile, IsNamedByTheSha1OfOwnerAndId) {
    EXPECT_EQ(Kiplink::CloudObjectFileName("123", "scores"), "6a7ebe78936e4f02819a04039dd20d60bef08a6c.json");
}

TEST_F(CloudTest, TwoEditsLeaveTheFileAsOneFoldedTransactionOfTheSync) {
    Device& device = AddDevice("alice");
    auto object = RefPtr<Kiplink::ICloudObject>::Adopt(device.sync->GetOwnObject("profile"));
    ASSERT_TRUE(object);
    auto data = RefPtr<Kiplink::IValue>::Adopt(object->GetData());
    ASSERT_TRUE(object->ModifyInt(&(*data)["count"], 0, 2));
    ASSERT_TRUE(object->ModifyInt(&(*data)["count"], 0, 3));
    object->Save();
    auto* held = static_cast<Kiplink::CloudObject*>(object.Get());
    EXPECT_TRUE(held->HasLocalChanges());
    EXPECT_EQ(ViewData(*object), Parsed(R"({"count":5})"));

    ASSERT_TRUE(SyncDevice(device));
    // The batch went out and is kept for verification until confirmed.
    ASSERT_GE(device.user->Sent().Size() + device.user->Pending().Size(), 0u);
    EXPECT_FALSE(held->HasLocalChanges());
    RefPtr<Kiplink::EncryptedJsonFile> file(new Kiplink::EncryptedJsonFile(device.platform.Get(), held->GetFilePath()));
    ASSERT_TRUE(file->Load());
    EXPECT_TRUE(file->GetData()["local"].IsNull());

    ASSERT_TRUE(Settle(device));
    EXPECT_EQ(ServerData("alice", "profile"), Parsed(R"({"count":5})"));
    EXPECT_EQ(ViewData(*object), ServerData("alice", "profile"));
    const Json::Value copy = m_accounts.GameData("alice")["cloudObjectData"]["alice"]["profile"];
    EXPECT_EQ(held->GetCrc(), copy["crc"].asUInt());
}

TEST_F(CloudTest, TheFoldedEditsTravelAsOneTransaction) {
    Device& device = AddDevice("alice");
    auto object = RefPtr<Kiplink::ICloudObject>::Adopt(device.sync->GetOwnObject("profile"));
    auto data = RefPtr<Kiplink::IValue>::Adopt(object->GetData());
    ASSERT_TRUE(object->ModifyInt(&(*data)["count"], 0, 2));
    ASSERT_TRUE(object->ModifyInt(&(*data)["count"], 0, 3));
    // The clock call of the start-up must not meet the fault.
    ASSERT_TRUE(PumpAll([&] { return device.root->Pending().Size() == 0; }));
    m_server->InjectFault(Varnok::Tools::Fault::CloseBeforeRead());
    EXPECT_FALSE(SyncDevice(device));  // the batch stays in the sent list
    ASSERT_EQ(device.user->Sent().Size(), 1u);
    const Kiplink::TransactionBatch& batch = *device.user->Sent().At(0);
    ASSERT_EQ(batch.GetCount(), 1u);
    const auto* update = dynamic_cast<const Kiplink::Transaction_CloudObjectUpdate*>(batch.GetTransaction(0));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->GetOwnerId(), "alice");
    EXPECT_EQ(update->GetObjectId(), "profile");
    EXPECT_EQ(JsonOf(update->GetOperations()), R"([20,"count",5])");
    EXPECT_EQ(ViewData(*object), Parsed(R"({"count":5})"));  // the view keeps the edits meanwhile
    m_server->ClearFaults();
}

TEST_F(CloudTest, UpdatesRefuseOwnObjectsAndEmptyLists) {
    Device& device = AddDevice("alice");
    auto own = RefPtr<Kiplink::ICloudObject>::Adopt(device.sync->GetOwnObject("profile"));
    uint32_t first = 0;
    device.sync->UpdateObject(own.Get(), &first);
    uint32_t second = 0;
    device.sync->UpdateObjects(nullptr, 0, &second);
    ASSERT_EQ(device.cloudEvents->events.size(), 2u);
    EXPECT_EQ(device.cloudEvents->events[0].id, first);
    EXPECT_EQ(device.cloudEvents->events[0].error, 3);
    EXPECT_EQ(device.cloudEvents->events[0].text, "cannot call update on a sync object");
    EXPECT_EQ(device.cloudEvents->events[1].id, second);
    EXPECT_EQ(device.cloudEvents->events[1].text, "no objects to update");
    EXPECT_EQ(second, first + 1);
    Kiplink::ICloudObject* mixed[] = {own.Get()};
    device.sync->UpdateObjects(mixed, 1, nullptr);
    EXPECT_EQ(device.cloudEvents->events.back().text, "cannot call update on a sync object");
    auto unknown = RefPtr<Kiplink::ICloudObject>::Adopt(device.sync->GetOwnObject("no-such-definition"));
    EXPECT_FALSE(unknown);
}

TEST_F(CloudTest, TwoDevicesOfOneAccountConvergeOnTheServersCopy) {
    Device& first = AddDevice("alice");
    Device& second = AddDevice("alice");
    auto a = RefPtr<Kiplink::ICloudObject>::Adopt(first.sync->GetOwnObject("profile"));
    auto b = RefPtr<Kiplink::ICloudObject>::Adopt(second.sync->GetOwnObject("profile"));
    Edit(*a, "first", 1);
    Edit(*b, "second", 10);
    ASSERT_TRUE(Settle(first));
    ASSERT_TRUE(Settle(second));
    ASSERT_TRUE(Settle(first));  // takes the second device's adds
    EXPECT_EQ(ServerData("alice", "profile"), Parsed(R"({"count":11,"title":"first"})"));
    EXPECT_EQ(ViewData(*a), ServerData("alice", "profile"));
    EXPECT_EQ(ViewData(*b), ServerData("alice", "profile"));
}

TEST_F(CloudTest, TwoPlayersEditingAnothersObjectConverge) {
    Device& bob = AddDevice("bob");
    Device& carol = AddDevice("carol");
    auto owner = RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    ASSERT_TRUE(owner->Parse(R"({"kiplinkId": "alice"})"));
    auto a = RefPtr<Kiplink::ICloudObject>::Adopt(bob.sync->GetObject(*owner, "profile"));
    auto b = RefPtr<Kiplink::ICloudObject>::Adopt(carol.sync->GetObject(*owner, "profile"));
    ASSERT_TRUE(a && b);
    Edit(*a, "bob", 1);
    Edit(*b, "carol", 10);
    ASSERT_TRUE(Refresh(bob, a.Get()));    // "updateObjects" with bob's edits
    ASSERT_TRUE(Refresh(carol, b.Get()));  // carol's set finds bob's title and is skipped
    ASSERT_TRUE(Refresh(bob, a.Get()));    // "getObjects" by the CRC
    EXPECT_EQ(ServerData("alice", "profile"), Parsed(R"({"count":11,"title":"bob"})"));
    EXPECT_EQ(ViewData(*a), ServerData("alice", "profile"));
    EXPECT_EQ(ViewData(*b), ServerData("alice", "profile"));
    EXPECT_FALSE(static_cast<Kiplink::CloudObject*>(a.Get())->HasLocalChanges());
}

}  // namespace
}  // namespace OnlineTest
