#include "providers/Provider_Kiplink/KiplinkCloudService.h"

#include "kiplink/Public/ICloud.h"
#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IValue.h"
#include "providers/Provider_Kiplink/KiplinkCloudObject.h"
#include "providers/Provider_Kiplink/KiplinkPlayer.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <vector>

namespace Varnok {

namespace {

const char* const kOffline = "offline";
const char* const kInvalidUser = "invalid user";
const char* const kInvalidObject = "invalid object";

// The library object behind an engine object of this provider, or null.
Kiplink::ICloudObject* LibraryObjectOf(ICloudObject* object) {
    auto* adapter = dynamic_cast<KiplinkCloudObject*>(object);
    return adapter != nullptr ? adapter->GetLibraryObject() : nullptr;
}

// One request: answers when the reply to its own request id arrives, then
// leaves the sync object's listeners (which hold it).
class CloudUpdateListener final : public Kiplink::ICloudObjectSyncCallbacks {
public:
    CloudUpdateListener(ICloudService::UpdateDelegate onDone, User* user, ICloudObject* object)
        : m_onDone(onDone), m_user(user), m_object(object) {}

    void OnObjectsUpdated(Kiplink::ICloudObjectSync* sync, uint32_t replyId, Kiplink::KIPLINKERROR,
                          const char* text) override {
        if (replyId != requestId) {
            return;
        }
        if (!m_onDone.IsEmpty()) {
            m_onDone(m_user, m_object, text);
        }
        sync->RemoveCallbacks(this);  // may delete this
    }

    uint32_t requestId = 0;  // written by the library when the request is made

private:
    ICloudService::UpdateDelegate m_onDone;
    User* m_user;
    ICloudObject* m_object;
};

class CloudBatchListener final : public Kiplink::ICloudObjectSyncCallbacks {
public:
    CloudBatchListener(ICloudService::FetchDelegate onDone, User* user) : m_onDone(onDone), m_user(user) {}

    void OnObjectsUpdated(Kiplink::ICloudObjectSync* sync, uint32_t replyId, Kiplink::KIPLINKERROR,
                          const char* text) override {
        if (replyId != requestId) {
            return;
        }
        if (!m_onDone.IsEmpty()) {
            m_onDone(m_user, text);
        }
        sync->RemoveCallbacks(this);  // may delete this
    }

    uint32_t requestId = 0;

private:
    ICloudService::FetchDelegate m_onDone;
    User* m_user;
};

}  // namespace

KiplinkCloudService::KiplinkCloudService(Kiplink::IKiplinkProvider* root)
    : m_root(root), m_provider(Kiplink::RefPtr<Kiplink::ICloudProvider>::Adopt(root->GetCloudProvider())) {}

KiplinkCloudService::~KiplinkCloudService() {
    for (auto& entry : m_objects) {
        entry.second.reset();
        entry.first->Release();
    }
    m_objects.clear();
    m_provider.Reset();
}

const AsciiString& KiplinkCloudService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

Kiplink::RefPtr<Kiplink::ICloudObjectSync> KiplinkCloudService::SyncOf(User* user) const {
    Kiplink::IUser* libraryUser = user != nullptr ? UserComponent_Kiplink::LibraryUserOf(user) : nullptr;
    if (libraryUser == nullptr || m_provider.Get() == nullptr) {
        return {};
    }
    return Kiplink::RefPtr<Kiplink::ICloudObjectSync>::Adopt(m_provider->GetSyncObject(libraryUser));
}

KiplinkCloudObject* KiplinkCloudService::AdapterFor(Kiplink::ICloudObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    auto kept = m_objects.find(object);
    if (kept != m_objects.end()) {
        object->Release();  // the key already holds one
        return kept->second.get();
    }
    std::unique_ptr<KiplinkCloudObject>& made = m_objects[object];
    made = std::make_unique<KiplinkCloudObject>(object);
    return made.get();
}

ICloudObject* KiplinkCloudService::GetCloudObject(User* user, const char* name) {
    Kiplink::RefPtr<Kiplink::ICloudObjectSync> sync = SyncOf(user);
    if (sync.Get() == nullptr || name == nullptr) {
        return nullptr;
    }
    return AdapterFor(sync->GetOwnObject(name));
}

ICloudObject* KiplinkCloudService::GetPlayerCloudObject(User* user, IPlayerProfile* player, const char* name) {
    auto* kiplinkPlayer = dynamic_cast<KiplinkPlayer*>(player);
    const char* playerId = kiplinkPlayer != nullptr ? kiplinkPlayer->GetId("kiplinkId") : nullptr;
    Kiplink::RefPtr<Kiplink::ICloudObjectSync> sync = SyncOf(user);
    if (sync.Get() == nullptr || playerId == nullptr || name == nullptr) {
        return nullptr;
    }
    // The library finds another player's objects by the player's record.
    auto record = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    (*record)["kiplinkId"].SetAsString(playerId);
    return AdapterFor(sync->GetObject(*record, name));
}

void KiplinkCloudService::UpdateCloudObject(User* user, ICloudObject* object, UpdateDelegate onDone) {
    const auto answer = [&](User* who, const char* text) {
        if (!onDone.IsEmpty()) {
            onDone(who, object, text);
        }
    };
    if (!IsOnline()) {
        answer(user, kOffline);
        return;
    }
    Kiplink::RefPtr<Kiplink::ICloudObjectSync> sync = SyncOf(user);
    if (sync.Get() == nullptr) {
        answer(user, kInvalidUser);
        return;
    }
    Kiplink::ICloudObject* libraryObject = LibraryObjectOf(object);
    if (libraryObject == nullptr) {
        answer(user, kInvalidObject);
        return;
    }
    auto* listener = new CloudUpdateListener(onDone, user, object);
    sync->AddCallbacks(listener);
    sync->UpdateObject(libraryObject, &listener->requestId);
}

void KiplinkCloudService::GetCloudObjects(User* user, ICloudObject** objects, int count, FetchDelegate onDone) {
    const auto answer = [&](User* who, const char* text) {
        if (!onDone.IsEmpty()) {
            onDone(who, text);
        }
    };
    if (!IsOnline()) {
        answer(user, kOffline);
        return;
    }
    Kiplink::RefPtr<Kiplink::ICloudObjectSync> sync = SyncOf(user);
    if (sync.Get() == nullptr) {
        answer(user, kInvalidUser);
        return;
    }
    std::vector<Kiplink::ICloudObject*> libraryObjects;
    for (int i = 0; objects != nullptr && i < count; ++i) {
        Kiplink::ICloudObject* libraryObject = LibraryObjectOf(objects[i]);
        if (libraryObject == nullptr) {
            answer(user, kInvalidObject);
            return;
        }
        libraryObjects.push_back(libraryObject);
    }
    auto* listener = new CloudBatchListener(onDone, user);
    sync->AddCallbacks(listener);
    sync->UpdateObjects(libraryObjects.data(), static_cast<int>(libraryObjects.size()), &listener->requestId);
}

}  // namespace Varnok
