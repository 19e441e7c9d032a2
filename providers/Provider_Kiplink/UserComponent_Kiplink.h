// What the online provider attaches to every engine user: the binding to a
// library user found or made from the ids "kpid", "kpguid" and "kpauth",
// the guest login (retried every 10 s), sync scheduling and retries, and
// the library user's events passed back to the engine.
#pragma once

#include "engine/services/User.h"
#include "kiplink/Public/IAuthService.h"
#include "kiplink/Public/IUser.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class Provider_Kiplink;

class UserComponent_Kiplink final : public IUserComponent {
public:
    static constexpr const char* kName = "Kiplink";
    static constexpr const char* kIdKey = "kpid";
    static constexpr const char* kGuidKey = "kpguid";
    static constexpr const char* kAuthKey = "kpauth";
    static constexpr int kPriority = 1000000;
    static constexpr int64_t kGuestRetrySeconds = 10;
    static constexpr uint32_t kSyncRetrySeconds = 5;
    static constexpr int kMaxSyncRetries = 10;

    explicit UserComponent_Kiplink(Provider_Kiplink* provider);
    ~UserComponent_Kiplink() override;

    void OnAttached(User* user) override { m_user = user; }
    void OnDetached(User* user) override;
    void OnStorageReady() override { m_syncRetries = 0; }
    void Save() override;
    void OnSlotSet(int slot) override;
    const char* GetComponentName() const override { return kName; }
    int GetPriority() const override { return kPriority; }
    bool HasMeta(const char* key, const char* sub) override;
    const char* GetMeta(const char* key, const char* sub) override;
    void SetMeta(const char* key, const char* sub, const char* value) override;
    bool HasId(const char* service) override;
    const char* GetId(const char* service) override;
    void Update() override;
    void BeginTransaction() override;
    void EndTransaction() override;
    const char* GetDisplayName() override;
    void ChangeDisplayName(const char* name, const ResultDelegate& result) override;
    bool IsLinked(int accountType) override;
    bool DoesUserNeedToReAuthenticateService(int service) override;
    void Merge(const char* token, const ResultDelegate& result) override;
    void ShouldMergeWith(User* other, const MergeAnswerDelegate& answer) override;
    // (user, success, text) listeners: one entry per distinct delegate.
    void AddSyncResultListener(const SyncResultDelegate& listener) override;
    void RemoveSyncResultListener(const SyncResultDelegate& listener) override;
    // No-argument listeners, called first: duplicates are kept.
    void AddSyncListener(const SyncDelegate& listener) override;
    void RemoveSyncListener(const SyncDelegate& listener) override;

    Kiplink::IUser* GetLibraryUser() const { return m_libraryUser.Get(); }
    User* GetUser() const { return m_user; }
    Provider_Kiplink* GetProvider() const { return m_provider; }
    bool IsGuestLoginPending() const { return m_guestLogin.Get() != nullptr; }
    int64_t GetRetryTime() const { return m_retryTime; }
    int GetSyncRetries() const { return m_syncRetries; }

    // The component named "Kiplink" of the user and its library user, or null.
    static UserComponent_Kiplink* Of(const User* user);
    static Kiplink::IUser* LibraryUserOf(const User* user);

private:
    class Callbacks;
    friend class Callbacks;

    // Binds (or rebinds) the library user from the engine user's ids.
    void Connect();
    void StartGuestLogin();
    void ReleaseLibraryUser();
    void SaveStore();
    void ClearGuestIfRegistered();
    void Notify(bool success, const char* text);
    void OnSynchronize(Kiplink::KIPLINKERROR code, const char* text);
    void OnInvalidAuthentication();
    void OnLinked(Kiplink::KIPLINKERROR code);

    Provider_Kiplink* m_provider;
    User* m_user = nullptr;
    Kiplink::RefPtr<Kiplink::IUser> m_libraryUser;
    Kiplink::RefPtr<Callbacks> m_callbacks;
    Kiplink::RefPtr<Kiplink::ServiceRequest> m_guestLogin;
    std::vector<SyncDelegate> m_syncNotifiers;
    std::vector<SyncResultDelegate> m_syncListeners;
    ResultDelegate m_mergeDelegate;
    MergeAnswerDelegate m_shouldMergeDelegate;
    ResultDelegate m_displayNameDelegate;
    int64_t m_retryTime = -1;
    int m_syncRetries = 0;
};

}  // namespace Varnok
