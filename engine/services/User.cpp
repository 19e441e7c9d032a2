// Users, their components and the slot handles.
#include "engine/services/User.h"

#include "engine/services/UserStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

namespace Varnok {

namespace {

std::mt19937_64& GuidGenerator() {
    // Seeded once from the system's random source: users made within the
    // same second never share a GUID, and the C library's rand is left alone.
    static std::mt19937_64 s_generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    return s_generator;
}

bool SameText(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

}  // namespace

AsciiString User::GenerateGUID() {
    char text[33];
    std::mt19937_64& generator = GuidGenerator();
    for (int i = 0; i < 16; ++i) {
        std::snprintf(text + i * 2, 3, "%02x", static_cast<unsigned>(generator() % 256));
    }
    return AsciiString(text);
}

User::User(UserStore* owner) : m_owner(owner), m_guid(GenerateGUID()), m_displayName("No Name") {}

User::User(UserStore* owner, const char* guid)
    : m_owner(owner), m_guid(guid != nullptr ? guid : ""), m_displayName("No Name") {}

User::User() : m_displayName("No Name") {}

User::~User() {
    for (IUserComponent* component : m_components) {
        delete component;
    }
}

void User::AddComponent(IUserComponent* component) {
    if (component == nullptr) {
        return;
    }
    m_components.push_back(component);
    std::sort(m_components.begin(), m_components.end(),
              [](IUserComponent* a, IUserComponent* b) { return a->GetPriority() > b->GetPriority(); });
    m_componentsByName[component->GetComponentName()] = component;
    component->OnAttached(this);
}

void User::RemoveComponent(IUserComponent* component) {
    if (component == nullptr) {
        return;
    }
    m_components.erase(std::remove(m_components.begin(), m_components.end(), component), m_components.end());
    const auto named = m_componentsByName.find(component->GetComponentName());
    if (named != m_componentsByName.end() && named->second == component) {
        m_componentsByName.erase(named);
    }
    component->OnDetached(this);
}

IUserComponent* User::GetComponent(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    const auto found = m_componentsByName.find(name);
    return found != m_componentsByName.end() ? found->second : nullptr;
}

IUserComponent* User::GetComponentAt(int index) const {
    return index >= 0 && index < GetComponentCount() ? m_components[static_cast<size_t>(index)] : nullptr;
}

void User::InitialiseStorage() {
    if (m_owner != nullptr) {
        m_storageFolder = m_owner->GetFolder();
        m_storageFolder.AppendString(m_guid);
        m_storageFolder.AppendChar('/');
    }
    for (IUserComponent* component : std::vector<IUserComponent*>(m_components)) {
        component->OnStorageReady();
    }
}

void User::SaveComponents() {
    for (IUserComponent* component : m_components) {
        component->Save();
    }
}

void User::Update() {
    for (IUserComponent* component : std::vector<IUserComponent*>(m_components)) {
        component->Update();
    }
}

void User::BeginTransaction() {
    m_inTransaction = true;
    for (IUserComponent* component : m_components) {
        component->BeginTransaction();
    }
}

void User::EndTransaction() {
    for (IUserComponent* component : m_components) {
        component->EndTransaction();
    }
    m_inTransaction = false;
}

void User::SetId(const char* service, const char* id, bool save) {
    if (service == nullptr || id == nullptr) {
        return;
    }
    m_ids[service] = id;
    if (m_owner != nullptr) {
        m_owner->OnUserIdSet(this, service, id, save);
    }
}

void User::RemoveId(const char* service, bool save) {
    if (service == nullptr) {
        return;
    }
    m_ids.erase(service);
    if (m_owner != nullptr) {
        m_owner->OnUserIdRemoved(this, service, save);
    }
}

bool User::HasId(const char* service) const {
    if (service == nullptr) {
        return false;
    }
    if (m_ids.count(service) != 0) {
        return true;
    }
    for (IUserComponent* component : m_components) {
        if (component->HasId(service)) {
            return true;
        }
    }
    return false;
}

const char* User::GetId(const char* service) const {
    if (service == nullptr) {
        return nullptr;
    }
    const char* key = SameText(service, "kiplinkId") ? "kpid" : service;
    const auto found = m_ids.find(key);
    if (found != m_ids.end()) {
        return found->second.c_str();
    }
    for (IUserComponent* component : m_components) {
        const char* id = component->GetId(service);
        if (id != nullptr && id[0] != '\0') {
            return id;
        }
    }
    return nullptr;
}

const char* User::GetMeta(const char* key, const char* sub) const {
    for (IUserComponent* component : m_components) {
        if (const char* value = component->GetMeta(key, sub)) {
            return value;
        }
    }
    return nullptr;
}

void User::SetMeta(const char* key, const char* sub, const char* value) {
    for (IUserComponent* component : m_components) {
        if (component->HasMeta(key, sub)) {
            component->SetMeta(key, sub, value);
            return;
        }
    }
    if (!m_components.empty()) {
        m_components.front()->SetMeta(key, sub, value);
    }
}

void User::SetSlot(int index) {
    m_slot = index;
    for (IUserComponent* component : m_components) {
        component->OnSlotSet(index);
    }
}

void User::ClearSlot() {
    for (IUserComponent* component : m_components) {
        component->OnSlotCleared();
    }
    m_slot = -1;
}

void User::ChangeDisplayName(const char* name, const ResultDelegate& result) {
    for (IUserComponent* component : m_components) {
        component->ChangeDisplayName(name, result);
    }
}

bool User::IsLinked(int accountType) {
    for (IUserComponent* component : m_components) {
        if (component->IsLinked(accountType)) {
            return true;
        }
    }
    return false;
}

bool User::DoesUserNeedToReAuthenticateService(int service) {
    for (IUserComponent* component : m_components) {
        if (component->DoesUserNeedToReAuthenticateService(service)) {
            return true;
        }
    }
    return false;
}

void User::Merge(const char* token, const ResultDelegate& result) {
    for (IUserComponent* component : m_components) {
        component->Merge(token, result);
    }
}

void User::ShouldMergeWith(User* other, const MergeAnswerDelegate& answer) {
    for (IUserComponent* component : m_components) {
        component->ShouldMergeWith(other, answer);
    }
}

void User::AddSyncResultListener(const SyncResultDelegate& listener) {
    for (IUserComponent* component : m_components) {
        component->AddSyncResultListener(listener);
    }
}

void User::RemoveSyncResultListener(const SyncResultDelegate& listener) {
    for (IUserComponent* component : m_components) {
        component->RemoveSyncResultListener(listener);
    }
}

void User::AddSyncListener(const SyncDelegate& listener) {
    for (IUserComponent* component : m_components) {
        component->AddSyncListener(listener);
    }
}

void User::RemoveSyncListener(const SyncDelegate& listener) {
    for (IUserComponent* component : m_components) {
        component->RemoveSyncListener(listener);
    }
}

SmartPtr<UserHandleShare> UserHandleShare::Create(User* user) {
    return SmartPtr<UserHandleShare>(new UserHandleShare(user));
}

void UserHandleShare::SetUser(User* user) {
    m_user = user;
    m_listeners.Invoke(SmartPtr<UserHandleShare>(this));
}

}  // namespace Varnok
