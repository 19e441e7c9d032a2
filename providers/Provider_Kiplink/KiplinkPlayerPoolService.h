// One pool of players per engine user, over the library's pool of that
// user's library user: every list that shows a player (friends, boards,
// matches) shows the same player object.
#pragma once

#include "engine/services/IPlayerPoolService.h"
#include "engine/services/OnlineObjects.h"
#include "kiplink/Public/RefCounted.h"
#include "providers/Provider_Kiplink/KiplinkPlayer.h"

#include <map>
#include <memory>
#include <string>

namespace Kiplink {
class IKiplinkProvider;
class IPlayerPool;
class IUserDirectory;
}  // namespace Kiplink

namespace Varnok {

class KiplinkPlayerPool final : public IPlayerPool {
public:
    // Takes a reference on pool.
    KiplinkPlayerPool(Kiplink::IPlayerPool* pool, User* user);
    ~KiplinkPlayerPool() override;

    // Any field the library indexes finds the player; one object per
    // service id however it was found.
    KiplinkPlayer* GetPlayer(const char* field, const char* text) override;
    User* GetUser() const { return m_user; }

private:
    std::map<std::string, std::unique_ptr<KiplinkPlayer>> m_players;  // by "kiplinkId"
    Kiplink::RefPtr<Kiplink::IPlayerPool> m_pool;
    User* m_user;
};

class KiplinkPlayerPoolService final : public IPlayerPoolService {
public:
    explicit KiplinkPlayerPoolService(Kiplink::IKiplinkProvider* root);
    ~KiplinkPlayerPoolService() override;

    // False when the library keeps no pools.
    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetProviderName() const override;

    // Null for a user without a library user.
    KiplinkPlayerPool* GetPlayerPool(User* user) override;

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Kiplink::IUserDirectory> m_directory;
    std::map<User*, std::unique_ptr<KiplinkPlayerPool>> m_pools;
};

}  // namespace Varnok
