#include "providers/Provider_Kiplink/KiplinkPlayerPoolService.h"

#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/KiplinkPlayer.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

namespace Varnok {

KiplinkPlayerPool::KiplinkPlayerPool(Kiplink::IPlayerPool* pool, User* user) : m_pool(pool), m_user(user) {}

KiplinkPlayerPool::~KiplinkPlayerPool() {
    // Players first: they leave the profiles' listeners the pool still holds.
    m_players.clear();
}

KiplinkPlayer* KiplinkPlayerPool::GetPlayer(const char* field, const char* text) {
    if (field == nullptr || text == nullptr) {
        return nullptr;
    }
    if (std::string(field) == "kiplinkId") {
        auto kept = m_players.find(text);
        if (kept != m_players.end()) {
            return kept->second.get();
        }
    }
    auto profile = Kiplink::RefPtr<Kiplink::IUserProfile>::Adopt(m_pool->Find(field, text));
    if (profile.Get() == nullptr) {
        return nullptr;
    }
    const char* id = profile->GetProviderId("kiplinkId");
    if (id == nullptr || id[0] == '\0') {
        return nullptr;  // a record the service cannot name is no player
    }
    std::unique_ptr<KiplinkPlayer>& player = m_players[id];
    if (!player) {
        player = std::make_unique<KiplinkPlayer>(profile.Get());
    }
    return player.get();
}

KiplinkPlayerPoolService::KiplinkPlayerPoolService(Kiplink::IKiplinkProvider* root) : m_root(root) {}

KiplinkPlayerPoolService::~KiplinkPlayerPoolService() {
    m_pools.clear();
    m_directory.Reset();
}

bool KiplinkPlayerPoolService::Initialise() {
    m_directory = Kiplink::RefPtr<Kiplink::IUserDirectory>::Adopt(m_root->GetUserDirectory());
    return m_directory.Get() != nullptr;
}

const AsciiString& KiplinkPlayerPoolService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

KiplinkPlayerPool* KiplinkPlayerPoolService::GetPlayerPool(User* user) {
    if (user == nullptr || m_directory.Get() == nullptr) {
        return nullptr;
    }
    auto kept = m_pools.find(user);
    if (kept != m_pools.end()) {
        return kept->second.get();
    }
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    if (libraryUser == nullptr) {
        return nullptr;
    }
    // The library keys a user's pool by its library user, as its friends do.
    auto pool = Kiplink::RefPtr<Kiplink::IPlayerPool>::Adopt(m_directory->GetPool(libraryUser));
    if (pool.Get() == nullptr) {
        return nullptr;
    }
    std::unique_ptr<KiplinkPlayerPool>& made = m_pools[user];
    made = std::make_unique<KiplinkPlayerPool>(pool.Get(), user);
    return made.get();
}

}  // namespace Varnok
