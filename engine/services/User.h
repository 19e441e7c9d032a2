// Local players as the service framework knows them: a GUID, a display
// name, the ids that services gave the player, a guest flag, the slot it
// sits in, and the components through which providers attach their own
// per-player state. The user store creates, saves and hands them out; the
// game follows a slot through its UserHandleShare. Main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"
#include "engine/core/EventList.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"

#include <map>
#include <string>
#include <vector>

namespace Varnok {

class User;
class UserStore;

using ResultDelegate = Delegate2<void, bool, const char*>;   // success, message
using SyncResultDelegate = Delegate3<void, User*, bool, const char*>;
using SyncDelegate = Delegate0<void>;
using MergeAnswerDelegate = Delegate1<void, bool>;

// What a provider attaches to a user. Operations it has nothing to do for
// answer false, null or 0.
class IUserComponent {
public:
    virtual ~IUserComponent() = default;
    virtual void OnAttached(User* /*user*/) {}
    virtual void OnDetached(User* /*user*/) {}
    virtual void OnStorageReady() {}
    virtual void Save() {}
    virtual void OnSlotSet(int /*slot*/) {}
    virtual void OnSlotCleared() {}
    virtual const char* GetComponentName() const = 0;
    virtual int GetPriority() const { return 0; }
    virtual bool HasMeta(const char* /*key*/, const char* /*sub*/) { return false; }
    virtual const char* GetMeta(const char* /*key*/, const char* /*sub*/) { return nullptr; }
    virtual void SetMeta(const char* /*key*/, const char* /*sub*/, const char* /*value*/) {}
    virtual bool HasId(const char* /*service*/) { return false; }
    virtual const char* GetId(const char* /*service*/) { return nullptr; }
    virtual void Update() {}
    virtual void BeginTransaction() {}
    virtual void EndTransaction() {}
    virtual int FriendCount() { return 0; }
    virtual User* GetFriend(int /*index*/) { return nullptr; }
    virtual bool FriendsLoaded() { return false; }
    virtual const char* GetDisplayName() { return nullptr; }
    virtual void ChangeDisplayName(const char* /*name*/, const ResultDelegate& /*result*/) {}
    virtual bool IsLinked(int /*accountType*/) { return false; }
    virtual bool DoesUserNeedToReAuthenticateService(int /*service*/) { return false; }
    virtual void Merge(const char* /*token*/, const ResultDelegate& /*result*/) {}
    virtual void ShouldMergeWith(User* /*other*/, const MergeAnswerDelegate& /*answer*/) {}
    virtual void AddSyncResultListener(const SyncResultDelegate& /*listener*/) {}
    virtual void RemoveSyncResultListener(const SyncResultDelegate& /*listener*/) {}
    virtual void AddSyncListener(const SyncDelegate& /*listener*/) {}
    virtual void RemoveSyncListener(const SyncDelegate& /*listener*/) {}
};

class User {
public:
    // A store user with a new GUID (32 lower-case hex digits).
    explicit User(UserStore* owner);
    // A store user loaded with its GUID.
    User(UserStore* owner, const char* guid);
    // An ownerless user (a friend in a list): empty GUID.
    User();
    // Deletes the components still attached.
    virtual ~User();
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    const AsciiString& GetGUID() const { return m_guid; }
    const AsciiString& GetDisplayName() const { return m_displayName; }
    void SetDisplayName(const char* name) { m_displayName = AsciiString(name != nullptr ? name : ""); }
    const AsciiString& GetStorageFolder() const { return m_storageFolder; }
    int GetSlot() const { return m_slot; }
    bool HasSlot() const { return m_slot >= 0; }
    bool IsGuest() const { return m_guest; }
    void SetGuest(bool guest) { m_guest = guest; }
    bool IsInTransaction() const { return m_inTransaction; }
    UserStore* GetOwner() const { return m_owner; }

    // The user owns attached components: they are deleted with it unless
    // RemoveComponent hands one back first.
    void AddComponent(IUserComponent* component);
    void RemoveComponent(IUserComponent* component);
    IUserComponent* GetComponent(const char* name) const;
    int GetComponentCount() const { return static_cast<int>(m_components.size()); }
    IUserComponent* GetComponentAt(int index) const;

    void InitialiseStorage();
    void SaveComponents();
    void Update();
    void BeginTransaction();
    void EndTransaction();

    void SetId(const char* service, const char* id, bool save);
    void RemoveId(const char* service, bool save);
    bool HasId(const char* service) const;
    // "kiplinkId" is read as "kpid"; then the components in priority order.
    const char* GetId(const char* service) const;
    const std::map<std::string, std::string>& GetIdMap() const { return m_ids; }
    const char* GetMeta(const char* key, const char* sub) const;
    void SetMeta(const char* key, const char* sub, const char* value);

    // Store use.
    void SetSlot(int index);
    void ClearSlot();

    virtual void ChangeDisplayName(const char* name, const ResultDelegate& result);
    virtual bool IsLinked(int accountType);
    virtual bool DoesUserNeedToReAuthenticateService(int service);
    virtual void Merge(const char* token, const ResultDelegate& result);
    virtual void ShouldMergeWith(User* other, const MergeAnswerDelegate& answer);
    virtual void AddSyncResultListener(const SyncResultDelegate& listener);
    virtual void RemoveSyncResultListener(const SyncResultDelegate& listener);
    virtual void AddSyncListener(const SyncDelegate& listener);
    virtual void RemoveSyncListener(const SyncDelegate& listener);

    // 32 lower-case hex digits from the framework's generator, seeded once
    // from the system's random source.
    static AsciiString GenerateGUID();

private:
    UserStore* m_owner = nullptr;
    AsciiString m_guid;
    AsciiString m_storageFolder;
    AsciiString m_displayName;
    std::map<std::string, std::string> m_ids;
    std::vector<IUserComponent*> m_components;  // highest priority first; owned
    std::map<std::string, IUserComponent*> m_componentsByName;
    bool m_guest = true;
    int m_slot = -1;
    bool m_inTransaction = false;
};

class UserHandleShare;
using UserHandleListener = Delegate1<void, SmartPtr<UserHandleShare>>;

// One slot's current user, shared by the game and the services.
class UserHandleShare : public ReferenceCounter {
public:
    static SmartPtr<UserHandleShare> Create(User* user);
    User* GetUser() const { return m_user; }
    // Stores the user, then tells every listener.
    void SetUser(User* user);
    void AddListener(const UserHandleListener& listener) { m_listeners.Add(listener); }
    void RemoveListener(const UserHandleListener& listener) { m_listeners.Remove(listener); }

private:
    explicit UserHandleShare(User* user) : m_user(user) {}
    User* m_user;
    Event1<SmartPtr<UserHandleShare>> m_listeners;
};

}  // namespace Varnok
