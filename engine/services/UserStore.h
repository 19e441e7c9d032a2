// The local users: created, indexed by GUID and by service ids, slotted
// (slot 0 holds the current player) and saved as one JSON record under
// "Users" in the secure key store, which other applications of the maker may
// rewrite; the store re-reads it every 5 seconds. Beside it the
// "LocalUsers" record remembers, on this device only, who sat in each slot,
// so that a different user arriving there can be offered a merge.
// Main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"
#include "engine/core/SmartPtr.h"
#include "engine/services/SecureKeyStore.h"
#include "engine/services/ServiceTypes.h"
#include "engine/services/User.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class ServiceManager;

using MergeResultDelegate = Delegate2<void, User*, MergeResult>;

class MergeResultHandler {
public:
    MergeResultHandler(User* source, User* target, const MergeResultDelegate& result);
    virtual ~MergeResultHandler() = default;
    // Merges the source's account into the target with the source's "kpauth".
    void Merge();
    User* GetSourceUser() const { return m_source; }
    User* GetTargetUser() const { return m_target; }

private:
    void OnMerged(bool success, const char* message);
    User* m_source;
    User* m_target;
    MergeResultDelegate m_result;
};

class UserStore {
public:
    static constexpr int kReloadSeconds = 5;

    // manager: told of created and destroyed users (may be null); keyStore:
    // where "Users" lives (the default store when null); localFileSystemKey:
    // where the "LocalUsers" file lives ("save" when 0).
    UserStore(const char* folder, ServiceManager* manager, SecureKeyStore* keyStore = nullptr,
              uint32_t localFileSystemKey = 0);
    ~UserStore();
    UserStore(const UserStore&) = delete;
    UserStore& operator=(const UserStore&) = delete;

    const AsciiString& GetFolder() const { return m_folder; }

    void Start();
    void Update();
    void Save();
    void Load();

    User* CreateUser();
    void DestroyUser(User* user);
    bool AssignSlot(int index, bool save);
    bool SetSlotUser(User* user, int index, bool save);
    bool ClearSlot(int index, bool save);
    void ClearUserSlots(User* user, bool save);
    void SetSlotCount(int count);
    int GetSlotCount() const { return static_cast<int>(m_slots.size()); }
    // Requires: index below the slot count.
    SmartPtr<UserHandleShare> GetUserHandle(int index) const { return m_slots[static_cast<size_t>(index)]; }
    int GetUserCount() const { return static_cast<int>(m_users.size()); }
    User* GetUserAt(int index) const;
    User* FindUserByGUID(const char* guid) const;
    User* FindUserById(const char* service, const char* id) const;
    int GetDestroyedUserCount() const { return static_cast<int>(m_destroyed.size()); }

    void OnUserIdSet(User* user, const char* service, const char* id, bool save);
    void OnUserIdRemoved(User* user, const char* service, bool save);

    // Called with the pending merge when a slot user agrees to one; without
    // it the merge runs at once.
    void SetMergeRequestDelegate(const Delegate1<void, MergeResultHandler*>& request) { m_mergeRequest = request; }
    void AddMergeListener(const MergeResultDelegate& listener) { m_mergeListeners.push_back(listener); }
    MergeResultHandler* GetPendingMerge() const { return m_pendingMerge.get(); }

    const std::string& GetLastUsersText() const { return m_lastUsersText; }
    // The records as they would be written now.
    std::string BuildUsersRecord() const;
    std::string BuildLocalUsersRecord() const;

private:
    User* AdoptNewUser(User* user);
    void FillEmptySlots();
    void LoadLocalUsers();
    void SaveLocalUsers();
    void OnMergeAnswer(bool agreed);
    void OnMergeDone(User* user, MergeResult result);

    AsciiString m_folder;
    ServiceManager* m_manager;
    SecureKeyStore* m_keyStore;
    uint32_t m_localFileSystemKey;
    std::string m_lastUsersText;
    std::string m_lastLocalText;
    std::vector<User*> m_users;
    std::vector<SmartPtr<UserHandleShare>> m_slots;
    std::map<AsciiString, User*, AsciiStringLess> m_byGuid;  // owns
    std::map<std::string, std::map<std::string, std::string>> m_idIndex;  // service -> id -> GUID
    std::vector<User*> m_destroyed;  // owned
    Delegate1<void, MergeResultHandler*> m_mergeRequest;
    std::unique_ptr<MergeResultHandler> m_pendingMerge;
    std::vector<MergeResultDelegate> m_mergeListeners;
    int64_t m_reloadTime = 0;
};

}  // namespace Varnok
