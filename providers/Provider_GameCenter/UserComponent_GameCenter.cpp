#include "providers/Provider_GameCenter/UserComponent_GameCenter.h"

namespace Varnok {

User* UserComponent_GameCenter::GetFriend(int index) {
    if (index < 0 || index >= FriendCount()) {
        return nullptr;
    }
    return m_friends[static_cast<size_t>(index)];
}

void UserComponent_GameCenter::AddFriend(User* user) {
    if (user != nullptr) {
        m_friends.push_back(user);
    }
}

void UserComponent_GameCenter::ClearFriends() {
    for (User* user : m_friends) {
        delete user;
    }
    m_friends.clear();
}

UserComponent_GameCenter* FindGameCenterComponent(const User* user) {
    if (user == nullptr) {
        return nullptr;
    }
    return dynamic_cast<UserComponent_GameCenter*>(user->GetComponent(UserComponent_GameCenter::GetName()));
}

}  // namespace Varnok
