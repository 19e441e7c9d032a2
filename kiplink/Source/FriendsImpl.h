// A user's two friends lists ("friends" "getGlobalFriends" and
// "getProductFamilyFriends"), cached in the user's folder; every
// product-family friend is a global friend too.
#pragma once

#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Players.h"
#include "kiplink/Source/Request.h"

#include <map>
#include <vector>

namespace Kiplink {

class KiplinkProviderImpl;

class FriendsImpl final : public IFriends {
public:
    FriendsImpl(KiplinkProviderImpl* root, IUser* user);

    void AddCallbacks(IFriendsCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IFriendsCallbacks* listener) override { m_listeners.Remove(listener); }
    IUser* GetUser() override;
    void GetGlobalFriends(uint32_t* outCallId) override;
    void GetProductFamilyFriends(uint32_t* outCallId) override;
    void ClearGlobalFriends() override { m_global.clear(); }
    void ClearProductFamilyFriends() override { m_product.clear(); }
    IUserProfile* FindGlobalFriend(const char* field, const char* text) override;
    IUserProfile* GetProductFamilyFriend(int index) override;
    IUserProfile* GetGlobalFriend(int index) override;
    int GetProductFamilyFriendCount() const override { return static_cast<int>(m_product.size()); }
    int GetGlobalFriendCount() const override { return static_cast<int>(m_global.size()); }

    void OnGlobalReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnProductReply(RequestContext& context, const IValue& error, const IValue& result);
    // Rebuilds a list from a reply or a cache file; anything but an array
    // leaves it as it was.
    void Rebuild(bool product, const IValue& result);

private:
    using List = std::vector<RefPtr<UserProfileImpl>>;
    void Send(const char* method, uint32_t* outCallId, bool product);
    void OnReply(bool product, RequestContext& context, const IValue& error, const IValue& result);

    KiplinkProviderImpl* m_root;  // not referenced
    RefPtr<IUser> m_user;
    RefPtr<PlayerPoolImpl> m_pool;
    List m_global;
    List m_product;
    ListenerSet<IFriendsCallbacks> m_listeners;
};

class FriendsProviderImpl final : public IFriendsProvider {
public:
    explicit FriendsProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    IFriends* GetFriends(IUser* user) override;
    void Update() override {}
    void Load() override {}

private:
    KiplinkProviderImpl* m_root;
    struct Entry {
        RefPtr<IUser> user;
        RefPtr<FriendsImpl> friends;
    };
    std::map<IUser*, Entry> m_friends;
};

}  // namespace Kiplink
