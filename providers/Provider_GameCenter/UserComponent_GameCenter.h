// What the Game Center provider keeps on an engine user: the player's Game
// Center display name and friends (ownerless users carrying "GCUserID").
// The player's id itself is the user's own "GCUserID" id.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/User.h"

#include <vector>

namespace Varnok {

class Provider_GameCenter;

class UserComponent_GameCenter final : public IUserComponent {
public:
    static const char* GetName() { return "UserComponent_GameCenter"; }

    explicit UserComponent_GameCenter(Provider_GameCenter* provider) : m_provider(provider) {}
    ~UserComponent_GameCenter() override { ClearFriends(); }
    UserComponent_GameCenter(const UserComponent_GameCenter&) = delete;
    UserComponent_GameCenter& operator=(const UserComponent_GameCenter&) = delete;

    void OnAttached(User* user) override { m_user = user; }
    void OnDetached(User* /*user*/) override { m_user = nullptr; }
    const char* GetComponentName() const override { return GetName(); }
    int FriendCount() override { return static_cast<int>(m_friends.size()); }
    // Null outside 0..count-1.
    User* GetFriend(int index) override;
    bool FriendsLoaded() override { return m_friendsLoaded; }
    const char* GetDisplayName() override { return m_displayName.c_str(); }

    void SetDisplayName(const char* name) { m_displayName = AsciiString(name != nullptr ? name : ""); }
    // Takes ownership.
    void AddFriend(User* user);
    // Destroys every friend.
    void ClearFriends();
    void SetFriendsLoaded(bool loaded) { m_friendsLoaded = loaded; }

    User* GetUser() const { return m_user; }
    Provider_GameCenter* GetProvider() const { return m_provider; }

private:
    Provider_GameCenter* m_provider;
    AsciiString m_displayName;
    User* m_user = nullptr;
    std::vector<User*> m_friends;  // owned
    bool m_friendsLoaded = false;
};

// The user's component of this provider, or null.
UserComponent_GameCenter* FindGameCenterComponent(const User* user);

}  // namespace Varnok
