#include "providers/Provider_Kiplink/KiplinkFriendsService.h"

#include "engine/services/IPlayerPoolService.h"
#include "engine/services/ServiceManager.h"
#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/KiplinkPlayer.h"
#include "providers/Provider_Kiplink/KiplinkPlayerPoolService.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <algorithm>

namespace Varnok {

// One request: answers its delegate when the reply to its own call arrives,
// then leaves the library's listeners (which hold it).
class KiplinkFriends::Callback final : public Kiplink::IFriendsCallbacks {
public:
    Callback(FriendsDelegate onDone, KiplinkFriends* owner, bool productFamily)
        : m_onDone(onDone), m_owner(owner), m_productFamily(productFamily) {}

    void OnUpdateGlobal(uint32_t callId, Kiplink::IFriends* friends, const char* error) override {
        if (!m_productFamily) {
            Answer(callId, friends, error);
        }
    }
    void OnUpdateProduct(uint32_t callId, Kiplink::IFriends* friends, const char* error) override {
        if (m_productFamily) {
            Answer(callId, friends, error);
        }
    }

    uint32_t callId = 0;  // written by the library when the request goes out

private:
    void Answer(uint32_t replyId, Kiplink::IFriends* friends, const char* error) {
        if (replyId != callId) {
            return;
        }
        auto& pending = m_owner->m_pending;
        pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
        if (!m_onDone.IsEmpty()) {
            m_onDone(m_owner, error);
        }
        friends->RemoveCallbacks(this);  // may delete this
    }

    FriendsDelegate m_onDone;
    KiplinkFriends* m_owner;
    bool m_productFamily;
};

KiplinkFriends::KiplinkFriends(Kiplink::IFriends* friends, KiplinkPlayerPool* pool, User* user)
    : m_friends(friends), m_pool(pool), m_user(user) {}

KiplinkFriends::~KiplinkFriends() {
    for (Callback* callback : m_pending) {
        m_friends->RemoveCallbacks(callback);
    }
    m_friends->Release();
}

void KiplinkFriends::Clear() {
    ClearGlobalFriends();
    ClearProductFamilyFriends();
}

void KiplinkFriends::ClearGlobalFriends() { m_friends->ClearGlobalFriends(); }
void KiplinkFriends::ClearProductFamilyFriends() { m_friends->ClearProductFamilyFriends(); }

void KiplinkFriends::RequestGlobalFriends(FriendsDelegate onDone) { Request(onDone, false); }
void KiplinkFriends::RequestProductFamilyFriends(FriendsDelegate onDone) { Request(onDone, true); }

void KiplinkFriends::Request(FriendsDelegate onDone, bool productFamily) {
    auto* callback = new Callback(onDone, this, productFamily);
    m_pending.push_back(callback);
    m_friends->AddCallbacks(callback);
    if (productFamily) {
        m_friends->GetProductFamilyFriends(&callback->callId);
    } else {
        m_friends->GetGlobalFriends(&callback->callId);
    }
}

int KiplinkFriends::GetGlobalFriendCount() const { return m_friends->GetGlobalFriendCount(); }
int KiplinkFriends::GetProductFamilyFriendCount() const { return m_friends->GetProductFamilyFriendCount(); }

IPlayerProfile* KiplinkFriends::PlayerOf(Kiplink::IUserProfile* profile) {
    auto held = Kiplink::RefPtr<Kiplink::IUserProfile>::Adopt(profile);
    if (held.Get() == nullptr || m_pool == nullptr) {
        return nullptr;
    }
    return m_pool->GetPlayer("kiplinkId", held->GetProviderId("kiplinkId"));
}

IPlayerProfile* KiplinkFriends::GetGlobalFriend(int index) { return PlayerOf(m_friends->GetGlobalFriend(index)); }

IPlayerProfile* KiplinkFriends::GetProductFamilyFriend(int index) {
    return PlayerOf(m_friends->GetProductFamilyFriend(index));
}

IPlayerProfile* KiplinkFriends::FindGlobalFriend(const char* field, const char* text) {
    auto found = Kiplink::RefPtr<Kiplink::IUserProfile>::Adopt(m_friends->FindGlobalFriend(field, text));
    if (found.Get() == nullptr || m_pool == nullptr) {
        return nullptr;
    }
    return m_pool->GetPlayer(field, text);
}

KiplinkFriendsService::KiplinkFriendsService(Kiplink::IKiplinkProvider* root, ServiceManagerBackend* backend)
    : m_root(root), m_backend(backend) {}

KiplinkFriendsService::~KiplinkFriendsService() {
    m_friends.clear();
    m_provider.Reset();
}

bool KiplinkFriendsService::Initialise() {
    m_provider = Kiplink::RefPtr<Kiplink::IFriendsProvider>::Adopt(m_root->GetFriendsProvider());
    return m_provider.Get() != nullptr;
}

const AsciiString& KiplinkFriendsService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

KiplinkFriends* KiplinkFriendsService::GetFriends(User* user) {
    if (user == nullptr || m_provider.Get() == nullptr) {
        return nullptr;
    }
    auto kept = m_friends.find(user);
    if (kept != m_friends.end()) {
        return kept->second.get();
    }
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    Kiplink::IFriends* friends = libraryUser != nullptr ? m_provider->GetFriends(libraryUser) : nullptr;
    if (friends == nullptr) {
        return nullptr;
    }
    KiplinkPlayerPool* pool = nullptr;
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    if (manager != nullptr) {
        if (auto* pools = manager->GetService<IPlayerPoolService>(Provider_Kiplink::GetProviderName().c_str())) {
            pool = static_cast<KiplinkPlayerPool*>(pools->GetPlayerPool(user));
        }
    }
    std::unique_ptr<KiplinkFriends>& made = m_friends[user];
    made = std::make_unique<KiplinkFriends>(friends, pool, user);
    return made.get();
}

}  // namespace Varnok
