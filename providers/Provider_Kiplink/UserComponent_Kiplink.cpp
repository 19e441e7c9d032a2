// The engine user's side of its online account.
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include "engine/core/Log.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

#include <algorithm>
#include <string>

namespace Varnok {

namespace {

std::string JoinedKey(const char* key, const char* sub) {
    std::string joined = key != nullptr ? key : "";
    if (sub != nullptr) {
        joined += '.';
        joined += sub;
    }
    return joined;
}

}  // namespace

// Held by the library user; outlives the component when the library keeps
// it, and then hears nothing.
class UserComponent_Kiplink::Callbacks final : public Kiplink::IUserCallbacks {
public:
    explicit Callbacks(UserComponent_Kiplink* owner) : m_owner(owner) {}
    void Forget() { m_owner = nullptr; }

    void OnSynchronize(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        if (m_owner != nullptr) {
            m_owner->OnSynchronize(code, text);
        }
    }
    void OnChangeDisplayName(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        if (m_owner != nullptr && !m_owner->m_displayNameDelegate.IsEmpty()) {
            m_owner->m_displayNameDelegate(code == 0, text);
        }
    }
    void OnRegister(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char*) override {
        if (m_owner != nullptr && code == 0 && m_owner->m_user != nullptr) {
            m_owner->m_user->SetGuest(false);
            m_owner->SaveStore();
        }
    }
    void OnLinkFacebook(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char*) override {
        if (m_owner != nullptr) {
            m_owner->OnLinked(code);
        }
    }
    void OnInvalidAuthentication(Kiplink::IUser*) override {
        if (m_owner != nullptr) {
            m_owner->OnInvalidAuthentication();
        }
    }
    void OnShouldMergeUser(Kiplink::IUser*, bool shouldMerge, Kiplink::KIPLINKERROR, const char*) override {
        if (m_owner != nullptr && !m_owner->m_shouldMergeDelegate.IsEmpty()) {
            m_owner->m_shouldMergeDelegate(shouldMerge);
        }
    }
    void OnMergeUser(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        if (m_owner != nullptr && !m_owner->m_mergeDelegate.IsEmpty()) {
            m_owner->m_mergeDelegate(code == 0, text);
        }
    }

private:
    UserComponent_Kiplink* m_owner;
};

UserComponent_Kiplink::UserComponent_Kiplink(Provider_Kiplink* provider)
    : m_provider(provider), m_callbacks(new Callbacks(this)) {}

UserComponent_Kiplink::~UserComponent_Kiplink() {
    m_guestLogin.Reset();
    ReleaseLibraryUser();
    m_callbacks->Forget();
    m_callbacks.Reset();
    m_syncNotifiers.clear();
    m_syncListeners.clear();
}

UserComponent_Kiplink* UserComponent_Kiplink::Of(const User* user) {
    return user != nullptr ? dynamic_cast<UserComponent_Kiplink*>(user->GetComponent(kName)) : nullptr;
}

Kiplink::IUser* UserComponent_Kiplink::LibraryUserOf(const User* user) {
    UserComponent_Kiplink* component = Of(user);
    return component != nullptr ? component->GetLibraryUser() : nullptr;
}

void UserComponent_Kiplink::ReleaseLibraryUser() {
    if (m_libraryUser) {
        m_libraryUser->RemoveCallbacks(m_callbacks.Get());
        m_libraryUser.Reset();
    }
}

void UserComponent_Kiplink::OnDetached(User* /*user*/) {
    ReleaseLibraryUser();
    m_user = nullptr;
}

void UserComponent_Kiplink::SaveStore() {
    if (m_user != nullptr && m_user->GetOwner() != nullptr) {
        m_user->GetOwner()->Save();
    }
}

void UserComponent_Kiplink::Save() {
    m_syncRetries = 0;
    if (m_libraryUser && m_libraryUser->IsAuthenticated() && m_user != nullptr && m_user->HasSlot()) {
        m_libraryUser->SetNextSyncTime(1);
    }
}

void UserComponent_Kiplink::OnSlotSet(int /*slot*/) {
    m_syncRetries = 0;
    Connect();
    if (m_libraryUser && m_libraryUser->IsAuthenticated()) {
        m_libraryUser->SetNextSyncTime(1);
    }
}

void UserComponent_Kiplink::Connect() {
    Kiplink::IKiplinkProvider* root = m_provider != nullptr ? m_provider->GetRoot() : nullptr;
    if (root == nullptr || m_user == nullptr) {
        return;
    }
    ReleaseLibraryUser();
    Kiplink::IUser* found = nullptr;
    if (const char* id = m_user->HasId(kIdKey) ? m_user->GetId(kIdKey) : nullptr) {
        found = root->FindUserByKiplinkId(id);
    } else if (const char* guid = m_user->HasId(kGuidKey) ? m_user->GetId(kGuidKey) : nullptr) {
        found = root->GetUser(guid);
    }
    if (found == nullptr) {
        found = root->CreateUser();
        if (found == nullptr) {
            Log("UserComponent_Kiplink: the online client made no user");
            return;
        }
        m_user->SetId(kGuidKey, found->GetGUID(), true);
    }
    m_libraryUser = Kiplink::RefPtr<Kiplink::IUser>::Adopt(found);
    m_libraryUser->AddCallbacks(m_callbacks.Get());
    if (m_user->HasId(kAuthKey)) {
        m_libraryUser->SetLoginResult(m_user->GetId(kAuthKey), m_user->GetId(kIdKey), true);
    } else if (m_user->IsGuest() && !m_libraryUser->IsAuthenticated() && !m_libraryUser->IsRegisteredUser()) {
        StartGuestLogin();
    }
}

void UserComponent_Kiplink::StartGuestLogin() {
    Kiplink::IKiplinkProvider* root = m_provider != nullptr ? m_provider->GetRoot() : nullptr;
    if (m_guestLogin || root == nullptr || !m_libraryUser) {
        return;
    }
    Kiplink::RefPtr<Kiplink::IAuthService> auth = Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(root->GetAuthService());
    if (!auth) {
        return;
    }
    m_guestLogin = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(auth->LoginAsGuest(m_libraryUser.Get()));
    if (m_guestLogin) {
        m_guestLogin->Send();
    }
}

void UserComponent_Kiplink::Update() {
    const int64_t now = GetServiceTime();
    if (m_libraryUser && m_guestLogin) {
        const int32_t state = m_guestLogin->GetState();
        if (state == Kiplink::kServiceRequestSucceeded) {
            const char* token = m_guestLogin->GetResultString("token");
            const char* id = m_guestLogin->GetResultString("id");
            const char* held = m_user != nullptr && m_user->HasId(kIdKey) ? m_user->GetId(kIdKey) : nullptr;
            UserStore* store = m_user != nullptr ? m_user->GetOwner() : nullptr;
            if (held != nullptr && id != nullptr && std::string(held) != id && store != nullptr) {
                // The device's login belongs to another engine user: that
                // user takes this one's slot.
                const std::string idText = id;
                const std::string tokenText = token != nullptr ? token : "";
                m_guestLogin.Reset();
                User* owner = store->FindUserById(kIdKey, idText.c_str());
                if (owner == nullptr) {
                    owner = store->CreateUser();
                    owner->SetId(kIdKey, idText.c_str(), false);
                }
                owner->SetId(kAuthKey, tokenText.c_str(), false);
                const int slot = m_user->GetSlot();
                store->ClearSlot(slot, false);
                store->SetSlotUser(owner, slot, true);
                return;  // this component may have lost its library user
            }
            if (token != nullptr && id != nullptr && m_user != nullptr) {
                m_libraryUser->SetLoginResult(token, id, false);
                m_user->SetId(kAuthKey, token, false);
                m_user->SetId(kIdKey, id, true);
            } else {
                Log("UserComponent_Kiplink: the guest login answered without %s", token == nullptr ? "token" : "id");
                m_retryTime = now + kGuestRetrySeconds;
            }
            m_guestLogin.Reset();
        } else if (state != Kiplink::kServiceRequestSent) {
            m_guestLogin.Reset();
            m_retryTime = now + kGuestRetrySeconds;
        }
    } else if (m_retryTime != -1 && m_retryTime <= now) {
        m_retryTime = -1;
        if (m_libraryUser && !m_libraryUser->IsAuthenticated()) {
            StartGuestLogin();
        }
    }
    ClearGuestIfRegistered();
}

void UserComponent_Kiplink::ClearGuestIfRegistered() {
    if (m_libraryUser && m_libraryUser->IsRegisteredUser() && m_user != nullptr && m_user->IsGuest()) {
        m_user->SetGuest(false);
        SaveStore();
    }
}

void UserComponent_Kiplink::OnSynchronize(Kiplink::KIPLINKERROR code, const char* text) {
    const std::string message = text != nullptr ? text : "";
    if (text != nullptr && message == "not authenticated") {
        StartGuestLogin();
    } else if (code == 0) {
        m_syncRetries = 0;
        ClearGuestIfRegistered();
    } else if (message != "error" && m_user != nullptr && m_user->HasSlot() && m_syncRetries < kMaxSyncRetries) {
        // A refusal or a timeout may pass; a transport failure ("error") is
        // left to the next scheduled sync.
        if (m_libraryUser) {
            m_libraryUser->SetNextSyncTime(kSyncRetrySeconds);
        }
        ++m_syncRetries;
        Notify(false, text);
        return;
    } else {
        ClearGuestIfRegistered();
    }
    Notify(code == 0, text);
}

void UserComponent_Kiplink::Notify(bool success, const char* text) {
    const std::vector<SyncDelegate> notifiers = m_syncNotifiers;
    for (const SyncDelegate& notifier : notifiers) {
        notifier();
    }
    const std::vector<SyncResultDelegate> listeners = m_syncListeners;
    for (const SyncResultDelegate& listener : listeners) {
        listener(m_user, success, text);
    }
}

void UserComponent_Kiplink::OnInvalidAuthentication() {
    if (m_user == nullptr) {
        return;
    }
    UserStore* store = m_user->GetOwner();
    const int slot = m_user->GetSlot();
    if (m_libraryUser && m_libraryUser->IsRegisteredUser()) {
        m_user->RemoveId(kAuthKey, true);
        if (slot >= 0 && store != nullptr) {
            store->ClearSlot(slot, false);
        }
    } else if (store != nullptr) {
        store->DestroyUser(m_user);  // detaches nothing: the user is kept until the store goes
    }
    if (store != nullptr) {
        store->AssignSlot(slot, true);
    }
}

void UserComponent_Kiplink::OnLinked(Kiplink::KIPLINKERROR code) {
    if (code == 0) {
        m_syncRetries = 0;
        if (m_user != nullptr) {
            m_user->SetGuest(false);
        }
        SaveStore();
    }
}

bool UserComponent_Kiplink::HasMeta(const char* key, const char* sub) {
    return m_libraryUser && m_libraryUser->HasMeta(JoinedKey(key, sub).c_str());
}

const char* UserComponent_Kiplink::GetMeta(const char* key, const char* sub) {
    return m_libraryUser ? m_libraryUser->GetMeta(JoinedKey(key, sub).c_str()) : nullptr;
}

void UserComponent_Kiplink::SetMeta(const char* key, const char* sub, const char* value) {
    if (m_libraryUser) {
        m_libraryUser->SetMeta(JoinedKey(key, sub).c_str(), value);
    }
}

bool UserComponent_Kiplink::HasId(const char* service) {
    return m_libraryUser && m_libraryUser->GetLinkedAccountId(service) != nullptr;
}

const char* UserComponent_Kiplink::GetId(const char* service) {
    return m_libraryUser ? m_libraryUser->GetLinkedAccountId(service) : nullptr;
}

void UserComponent_Kiplink::BeginTransaction() {
    if (m_libraryUser) {
        m_libraryUser->BeginTransaction();
    }
}

void UserComponent_Kiplink::EndTransaction() {
    if (m_libraryUser) {
        m_libraryUser->EndTransaction();
    }
}

const char* UserComponent_Kiplink::GetDisplayName() {
    return m_libraryUser ? m_libraryUser->GetDisplayName() : nullptr;
}

void UserComponent_Kiplink::ChangeDisplayName(const char* name, const ResultDelegate& result) {
    m_displayNameDelegate = result;
    if (m_libraryUser) {
        m_libraryUser->ChangeDisplayName(name);
    }
}

// The engine names linked services by number; the library keys them by
// text, so the number's decimal text is asked for.
bool UserComponent_Kiplink::IsLinked(int accountType) {
    return m_libraryUser && m_libraryUser->IsLinkedAccount(std::to_string(accountType).c_str());
}

bool UserComponent_Kiplink::DoesUserNeedToReAuthenticateService(int service) {
    return m_libraryUser && m_libraryUser->IsTokenExpired(std::to_string(service).c_str());
}

void UserComponent_Kiplink::Merge(const char* token, const ResultDelegate& result) {
    m_mergeDelegate = result;
    if (m_libraryUser) {
        m_libraryUser->Merge(token);
    }
}

void UserComponent_Kiplink::ShouldMergeWith(User* other, const MergeAnswerDelegate& answer) {
    m_shouldMergeDelegate = answer;
    if (m_libraryUser && other != nullptr) {
        m_libraryUser->ShouldMergeWith(other->GetId(kIdKey), other->GetId(kAuthKey));
    }
}

void UserComponent_Kiplink::AddSyncResultListener(const SyncResultDelegate& listener) {
    RemoveSyncResultListener(listener);
    m_syncListeners.push_back(listener);
}

void UserComponent_Kiplink::RemoveSyncResultListener(const SyncResultDelegate& listener) {
    m_syncListeners.erase(std::remove(m_syncListeners.begin(), m_syncListeners.end(), listener), m_syncListeners.end());
}

void UserComponent_Kiplink::AddSyncListener(const SyncDelegate& listener) { m_syncNotifiers.push_back(listener); }

void UserComponent_Kiplink::RemoveSyncListener(const SyncDelegate& listener) {
    m_syncNotifiers.erase(std::remove(m_syncNotifiers.begin(), m_syncNotifiers.end(), listener), m_syncNotifiers.end());
}

}  // namespace Varnok
