// The library's user: files in its own folder (login, profile, confirmed game
// data, three transaction lists), the derived state, the sync request and
// its reply, the account operations on "user" and the merge questions on
// "game".
#pragma once

#include "kiplink/Public/IUser.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/Request.h"
#include "kiplink/Source/Transaction.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <set>
#include <string>

namespace Kiplink {

class KiplinkProviderImpl;
class LuaObjectRef;
class LuaVM;

class UserImpl final : public IUser {
public:
    // guid null or empty: a new one is drawn.
    UserImpl(KiplinkProviderImpl* root, const char* guid);
    ~UserImpl() override;

    void AddCallbacks(IUserCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IUserCallbacks* listener) override { m_listeners.Remove(listener); }
    const char* GetGUID() const override { return m_guid.c_str(); }
    const char* GetKiplinkID() const override;
    const char* GetDisplayName() const override;
    bool IsRegisteredUser() const override;
    void SetMeta(const char* key, const char* value) override;
    const char* GetMeta(const char* key) override;
    bool HasMeta(const char* key) override;
    bool HasQueuedObjects() const override { return !m_queue.empty(); }
    void QueueObject(RefCounted* object) override;
    RefCounted* PopQueuedObject() override;
    const char* GetCountryCode() const override;
    const char* GetEmail() const override;
    const char* GetUsername() const override;
    const char* GetCountry() const override;
    const char* GetAuthToken() const override;
    bool IsValid() const override { return true; }
    bool IsAuthenticated() const override;
    void ClearAuthToken() override;
    bool SetLoginResult(const char* token, const char* kiplinkId, bool isMember) override;
    void Synchronize() override;
    void SetNextSyncTime(uint32_t seconds) override;
    void ChangeEmail(const char* email) override;
    void ChangePassword(const char* first, const char* second) override;
    void ChangeDisplayName(const char* name) override;
    void ChangeEmailSubscriptions(bool first, bool second) override;
    void Register(const char* first, const char* second, const char* third, bool flagA, bool flagB) override;
    void LinkFacebook(const char* first, const char* second) override;
    void LinkOAuth(const char* first, const char* second, const char* third, const char* fourth) override;
    void RenewToken(const char* first, const char* second, const char* third, const char* fourth) override;
    bool IsTokenExpired(const char* service) const override;
    void BeginTransaction() override;
    void EndTransaction() override;
    bool IsLinkedAccount(const char* accountType) const override;
    int GetLinkedAccountCount() const override;
    const char* GetLinkedAccount(int index) const override;
    const char* GetLinkedAccountId(const char* accountType) const override;
    bool GetEmailSubscription(const char* name) const override;
    void ShouldMergeWith(const char* otherKiplinkId, const char* text) override;
    void Merge(const char* text) override;

    // The derived state: the game data with every unconfirmed batch applied.
    const IValue& GetState() const { return *m_state; }
    // With a reference added, or null outside Begin/EndTransaction.
    TransactionBatch* GetOpenTransaction() const;
    void RebuildState();
    // Adds the change (a new one, count 0) to the open batch and rebuilds
    // the state; without an open batch it goes in a batch of its own.
    void Record(Transaction* transaction);
    // The per-frame sync check.
    void Update();

    // A sync reply, also the "sync" of a login and a merge reply.
    void ApplySyncReply(const IValue& error, const IValue& result);
    // Drops the token when a failed reply's text says it is no longer good.
    void CheckReplyError(const IValue& error);
    void NotifyShouldMerge(bool shouldMerge, KIPLINKERROR code, const char* text);

    const TransactionList& Pending() const { return *m_pending; }
    const TransactionList& Sent() const { return *m_sent; }
    const TransactionList& Verified() const { return *m_verified; }
    const IValue& GetGameData() const { return m_gameData->GetData(); }
    const IValue& GetProfile() const { return m_profile->GetData(); }
    bool IsSyncPending() const { return m_syncPending; }
    bool IsSyncScheduled() const { return m_syncScheduled; }
    const LuaObjectRef* GetLuaTable() const { return m_luaTable.Get(); }

    void OnAccountReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnSyncReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnMergeReply(RequestContext& context, const IValue& error, const IValue& result);

private:
    enum AccountOperation : uint32_t {
        kChangeEmail,
        kChangePassword,
        kChangeDisplayName,
        kChangeEmailSubscriptions,
        kRegister,
        kLinkFacebook,
        kLinkOAuth,
        kRenewToken,
    };

    std::string NewGuid() const;
    const IValue& Local() const { return m_local->GetData(); }
    const IValue& Profile() const { return m_profile->GetData(); }
    // Token, device id, texts..., build id.
    void SendAccountRequest(AccountOperation operation, const char* method, std::initializer_list<const char*> texts,
                            std::initializer_list<bool> flags = {});
    void NotifyAccount(AccountOperation operation, KIPLINKERROR code, const char* text);
    void NotifySynchronize(KIPLINKERROR code, const char* text);
    void MoveSentBatch(const IValue& id, bool toVerified);
    void MergeGameData(const IValue& userData);
    void SaveLists();
    const char* DeviceId() const;

    ListenerSet<IUserCallbacks> m_listeners;
    RefPtr<LuaVM> m_lua;  // kept alive until the table below is released
    RefPtr<LuaObjectRef> m_luaTable;
    KiplinkProviderImpl* m_root;  // not referenced
    std::string m_guid;
    RefPtr<EncryptedJsonFile> m_local;
    RefPtr<EncryptedJsonFile> m_profile;
    RefPtr<EncryptedJsonFile> m_gameData;
    RefPtr<TransactionList> m_pending;
    RefPtr<TransactionList> m_sent;
    RefPtr<TransactionList> m_verified;
    IValue* m_state;
    RefPtr<TransactionBatch> m_openBatch;
    std::deque<RefCounted*> m_queue;
    bool m_syncPending = false;
    bool m_syncScheduled = false;
    int64_t m_dueSeconds = 0;
    std::set<std::string> m_expiredTokens;
    mutable std::string m_metaText;  // GetMeta's answer
};

}  // namespace Kiplink
