// Friend lists of the online service: one list object per engine user over
// the library's friends of that user's library user. Friends come out as the
// players of the user's player pool.
#pragma once

#include "engine/services/IFriendsService.h"
#include "engine/services/OnlineObjects.h"
#include "kiplink/Public/RefCounted.h"

#include <map>
#include <memory>
#include <vector>

namespace Kiplink {
class IFriends;
class IFriendsProvider;
class IKiplinkProvider;
class IUserProfile;
}  // namespace Kiplink

namespace Varnok {

class KiplinkPlayerPool;
class ServiceManagerBackend;

class KiplinkFriends final : public IFriends {
public:
    // Keeps the reference that friends carries; pool may be null.
    KiplinkFriends(Kiplink::IFriends* friends, KiplinkPlayerPool* pool, User* user);
    ~KiplinkFriends() override;

    void Clear() override;
    void ClearGlobalFriends() override;
    void ClearProductFamilyFriends() override;
    // Overlapping requests each hear the reply to their own call, once.
    void RequestGlobalFriends(FriendsDelegate onDone) override;
    void RequestProductFamilyFriends(FriendsDelegate onDone) override;
    int GetGlobalFriendCount() const override;
    int GetProductFamilyFriendCount() const override;
    IPlayerProfile* GetGlobalFriend(int index) override;
    IPlayerProfile* GetProductFamilyFriend(int index) override;
    IPlayerProfile* FindGlobalFriend(const char* field, const char* text) override;
    User* GetUser() override { return m_user; }

private:
    class Callback;

    void Request(FriendsDelegate onDone, bool productFamily);
    IPlayerProfile* PlayerOf(Kiplink::IUserProfile* profile);  // releases profile

    Kiplink::IFriends* m_friends;  // one reference
    // Requests still waiting: taken out of the library's listeners when this
    // list goes first, so that no late reply names it.
    std::vector<Callback*> m_pending;
    KiplinkPlayerPool* m_pool;     // may be null; owned by the player-pool service
    User* m_user;
};

class KiplinkFriendsService final : public IFriendsService {
public:
    KiplinkFriendsService(Kiplink::IKiplinkProvider* root, ServiceManagerBackend* backend);
    ~KiplinkFriendsService() override;

    // False when the library has no friends.
    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetProviderName() const override;

    // Null for a user without a library user.
    KiplinkFriends* GetFriends(User* user) override;

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    ServiceManagerBackend* m_backend;
    Kiplink::RefPtr<Kiplink::IFriendsProvider> m_provider;
    std::map<User*, std::unique_ptr<KiplinkFriends>> m_friends;
};

}  // namespace Varnok
