// The user store, its two records and user merges.
#include "engine/services/UserStore.h"

#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceManager.h"

#include <json/json.h>

#include <cstdio>
#include <cstdlib>

namespace Varnok {

namespace {

std::string WriteRecord(const Json::Value& record) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, record) + "\n";
}

bool ParseRecord(const std::string& text, Json::Value& out) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &out, &errors) && out.isObject();
}

// "%d" of the key, -1 when it does not start with a number.
int SlotIndex(const std::string& key) {
    int index = -1;
    return std::sscanf(key.c_str(), "%d", &index) == 1 ? index : -1;
}

}  // namespace

// ---- Merges ----

MergeResultHandler::MergeResultHandler(User* source, User* target, const MergeResultDelegate& result)
    : m_source(source), m_target(target), m_result(result) {}

void MergeResultHandler::Merge() {
    if (m_target == nullptr) {
        return;
    }
    const char* token = m_source != nullptr ? m_source->GetId("kpauth") : nullptr;
    m_target->Merge(token, ResultDelegate(this, &MergeResultHandler::OnMerged));
}

void MergeResultHandler::OnMerged(bool success, const char* /*message*/) {
    m_result(m_target, success ? MergeResult::Succeeded : MergeResult::Failed);
}

// ---- The store ----

UserStore::UserStore(const char* folder, ServiceManager* manager, SecureKeyStore* keyStore,
                     uint32_t localFileSystemKey)
    : m_manager(manager),
      m_keyStore(keyStore != nullptr ? keyStore : &SecureKeyStore::GetDefault()),
      m_localFileSystemKey(localFileSystemKey) {
    m_folder = AsciiString::ReplaceCharCopy(AsciiString(folder != nullptr ? folder : ""), '\\', '/');
    if (m_folder.IsEmpty() || m_folder[m_folder.Length() - 1] != '/') {
        m_folder.AppendChar('/');
    }
    m_slots.push_back(UserHandleShare::Create(nullptr));
}

UserStore::~UserStore() {
    Save();
    for (const auto& entry : m_byGuid) {
        if (m_manager != nullptr) {
            m_manager->NotifyUserDestroyed(entry.second);
        }
    }
    for (User* user : m_destroyed) {
        if (m_manager != nullptr) {
            m_manager->NotifyUserDestroyed(user);
        }
    }
    for (auto& slot : m_slots) {
        slot->SetUser(nullptr);
    }
    m_pendingMerge.reset();
    for (const auto& entry : m_byGuid) {
        delete entry.second;
    }
    for (User* user : m_destroyed) {
        delete user;
    }
}

void UserStore::Start() {
    m_reloadTime = GetServiceTime() + kReloadSeconds;
    Load();
    if (m_slots.empty()) {
        m_slots.push_back(UserHandleShare::Create(nullptr));
    }
    FillEmptySlots();
    Save();
}

void UserStore::FillEmptySlots() {
    for (int i = 0; i < GetSlotCount(); ++i) {
        if (m_slots[static_cast<size_t>(i)]->GetUser() == nullptr) {
            AssignSlot(i, false);
        }
    }
}

void UserStore::Update() {
    const int64_t now = GetServiceTime();
    if (now >= m_reloadTime) {
        m_reloadTime = now + kReloadSeconds;
        Load();
        // A record that emptied a slot (a GUID nobody has) must not leave the
        // game without a current user: refill it as the start does.
        bool empty = false;
        for (const auto& slot : m_slots) {
            empty = empty || slot->GetUser() == nullptr;
        }
        if (empty) {
            FillEmptySlots();
            Save();
        }
    }
    for (const auto& slot : m_slots) {
        if (User* user = slot->GetUser()) {
            user->Update();
        }
    }
}

User* UserStore::AdoptNewUser(User* user) {
    if (m_manager != nullptr) {
        m_manager->NotifyUserCreated(user);
    }
    m_byGuid[user->GetGUID()] = user;
    m_users.push_back(user);
    return user;
}

User* UserStore::CreateUser() {
    User* user = new User(this);
    while (m_byGuid.count(user->GetGUID()) != 0) {
        delete user;
        user = new User(this);
    }
    return AdoptNewUser(user);
}

void UserStore::DestroyUser(User* user) {
    if (user == nullptr) {
        return;
    }
    for (int i = 0; i < GetSlotCount(); ++i) {
        if (m_slots[static_cast<size_t>(i)]->GetUser() == user) {
            ClearSlot(i, false);
        }
    }
    m_byGuid.erase(user->GetGUID());
    for (auto& service : m_idIndex) {
        for (auto it = service.second.begin(); it != service.second.end();) {
            it = it->second == user->GetGUID().c_str() ? service.second.erase(it) : std::next(it);
        }
    }
    for (size_t i = 0; i < m_users.size(); ++i) {
        if (m_users[i] == user) {
            m_users[i] = m_users.back();
            m_users.pop_back();
            m_destroyed.push_back(user);
            break;
        }
    }
    while (user->GetComponentCount() > 0) {
        IUserComponent* component = user->GetComponentAt(0);
        user->RemoveComponent(component);
        delete component;  // nobody else holds a detached component here
    }
    Save();
}

bool UserStore::AssignSlot(int index, bool save) {
    if (index < 0 || index >= GetSlotCount() || m_slots[static_cast<size_t>(index)]->GetUser() != nullptr) {
        if (save) {
            Save();
        }
        return false;
    }
    User* chosen = nullptr;
    for (const auto& entry : m_byGuid) {
        if (entry.second->IsGuest() && !entry.second->HasSlot()) {
            chosen = entry.second;  // the last one in map order
        }
    }
    const bool created = chosen == nullptr;
    if (created) {
        chosen = CreateUser();
    }
    chosen->InitialiseStorage();
    const bool set = SetSlotUser(chosen, index, save);
    if (!set && created) {
        DestroyUser(chosen);
    }
    return set;
}

bool UserStore::SetSlotUser(User* user, int index, bool save) {
    bool result = false;
    if (index >= 0 && index < GetSlotCount() && m_slots[static_cast<size_t>(index)]->GetUser() == nullptr) {
        m_slots[static_cast<size_t>(index)]->SetUser(user);
        if (user != nullptr) {
            user->SetSlot(index);
        }
        result = true;
    }
    if (save) {
        Save();
    }
    return result;
}

bool UserStore::ClearSlot(int index, bool save) {
    bool result = false;
    if (index >= 0 && index < GetSlotCount()) {
        if (User* user = m_slots[static_cast<size_t>(index)]->GetUser()) {
            user->ClearSlot();
            m_slots[static_cast<size_t>(index)]->SetUser(nullptr);
            result = true;
        }
    }
    if (save) {
        Save();
    }
    return result;
}

void UserStore::ClearUserSlots(User* user, bool save) {
    for (int i = 0; i < GetSlotCount(); ++i) {
        if (m_slots[static_cast<size_t>(i)]->GetUser() == user) {
            ClearSlot(i, save);
        }
    }
}

void UserStore::SetSlotCount(int count) {
    if (count < 0) {
        return;
    }
    while (GetSlotCount() < count) {
        m_slots.push_back(UserHandleShare::Create(nullptr));
    }
    while (GetSlotCount() > count) {
        if (User* user = m_slots.back()->GetUser()) {
            ClearUserSlots(user, false);
        }
        m_slots.pop_back();
    }
}

User* UserStore::GetUserAt(int index) const {
    return index >= 0 && index < GetUserCount() ? m_users[static_cast<size_t>(index)] : nullptr;
}

User* UserStore::FindUserByGUID(const char* guid) const {
    if (guid == nullptr) {
        return nullptr;
    }
    const auto found = m_byGuid.find(AsciiString(guid));
    return found != m_byGuid.end() ? found->second : nullptr;
}

User* UserStore::FindUserById(const char* service, const char* id) const {
    if (service == nullptr || id == nullptr) {
        return nullptr;
    }
    const auto list = m_idIndex.find(service);
    if (list == m_idIndex.end()) {
        return nullptr;
    }
    const auto guid = list->second.find(id);
    return guid != list->second.end() ? FindUserByGUID(guid->second.c_str()) : nullptr;
}

void UserStore::OnUserIdSet(User* user, const char* service, const char* id, bool save) {
    m_idIndex[service][id] = user->GetGUID().c_str();
    if (save) {
        Save();
    }
}

void UserStore::OnUserIdRemoved(User* user, const char* service, bool save) {
    const auto list = m_idIndex.find(service);
    if (list != m_idIndex.end()) {
        for (auto it = list->second.begin(); it != list->second.end(); ++it) {
            if (it->second == user->GetGUID().c_str()) {
                list->second.erase(it);
                break;
            }
        }
    }
    if (save) {
        Save();
    }
}

// ---- Records ----

std::string UserStore::BuildUsersRecord() const {
    Json::Value record(Json::objectValue);
    record["name"] = "vellmarch_userstore";
    record["version"] = 100;
    Json::Value& users = record["users"] = Json::Value(Json::objectValue);
    for (const auto& entry : m_byGuid) {
        Json::Value& member = users[entry.first.c_str()];
        member["idMap"] = Json::Value();
        member["isGuest"] = entry.second->IsGuest();
        for (const auto& id : entry.second->GetIdMap()) {
            member["idMap"][id.first] = id.second;
        }
    }
    Json::Value& slots = record["slots"] = Json::Value();
    for (int i = 0; i < GetSlotCount(); ++i) {
        if (User* user = m_slots[static_cast<size_t>(i)]->GetUser()) {
            slots[std::to_string(i)] = user->GetGUID().c_str();
        }
    }
    return WriteRecord(record);
}

std::string UserStore::BuildLocalUsersRecord() const {
    Json::Value record(Json::objectValue);
    Json::Value& slots = record["slots"] = Json::Value();
    for (int i = 0; i < GetSlotCount(); ++i) {
        if (User* user = m_slots[static_cast<size_t>(i)]->GetUser()) {
            Json::Value& member = slots[std::to_string(i)];
            const char* token = user->GetId("kpauth");
            member["kpauth"] = token != nullptr ? token : "";
            member["localGUID"] = user->GetGUID().c_str();
        }
    }
    return WriteRecord(record);
}

void UserStore::Save() {
    for (const auto& entry : m_byGuid) {
        entry.second->SaveComponents();
    }
    const std::string text = BuildUsersRecord();
    SaveLocalUsers();
    if (m_keyStore->Set("Users", text, m_lastUsersText)) {
        m_lastUsersText = text;
    } else {
        Load();  // another writer's record wins
    }
}

void UserStore::Load() {
    std::string text;
    if (!m_keyStore->Get("Users", text) || text.empty() || text == m_lastUsersText) {
        return;
    }
    Json::Value record;
    if (ParseRecord(text, record)) {
        const Json::Value& users = record["users"];
        if (users.isObject()) {
            for (const std::string& guid : users.getMemberNames()) {
                const Json::Value& member = users[guid];
                if (!member.isObject() || guid.empty()) {
                    continue;
                }
                User* user = FindUserByGUID(guid.c_str());
                const bool created = user == nullptr;
                if (created) {
                    user = new User(this, guid.c_str());
                    if (m_manager != nullptr) {
                        m_manager->NotifyUserCreated(user);
                    }
                }
                const Json::Value& ids = member["idMap"];
                if (ids.isObject()) {
                    for (const std::string& service : ids.getMemberNames()) {
                        if (ids[service].isString()) {
                            user->SetId(service.c_str(), ids[service].asCString(), false);
                        }
                    }
                }
                const Json::Value& guest = member["isGuest"];
                user->SetGuest(guest.isBool() && guest.asBool());
                if (created) {
                    user->InitialiseStorage();
                    m_byGuid[user->GetGUID()] = user;
                    m_users.push_back(user);
                }
            }
        }
        const Json::Value& slots = record["slots"];
        if (slots.isObject()) {
            for (const std::string& key : slots.getMemberNames()) {
                const int index = SlotIndex(key);
                const Json::Value& value = slots[key];
                if (index < 0 || index >= GetSlotCount() || !value.isString()) {
                    continue;
                }
                User* user = FindUserByGUID(value.asCString());
                if (m_slots[static_cast<size_t>(index)]->GetUser() == user) {
                    continue;
                }
                if (m_slots[static_cast<size_t>(index)]->GetUser() != nullptr) {
                    ClearSlot(index, false);
                }
                if (user != nullptr && user->HasSlot()) {
                    ClearUserSlots(user, false);  // a user sits in one slot at a time
                }
                SetSlotUser(user, index, false);
            }
        }
        m_lastUsersText = text;
    }
    LoadLocalUsers();
}

void UserStore::LoadLocalUsers() {
    std::string text;
    Json::Value record;
    if (LocalKeyStore::Get("LocalUsers", text, m_localFileSystemKey) && !text.empty() &&
        text != m_lastLocalText && ParseRecord(text, record)) {
        const Json::Value& slots = record["slots"];
        if (slots.isObject()) {
            for (const std::string& key : slots.getMemberNames()) {
                const Json::Value& member = slots[key];
                const int index = SlotIndex(key);
                if (!member.isObject() || index < 0 || index >= GetSlotCount() ||
                    !member["localGUID"].isString() || !member["kpauth"].isString()) {
                    continue;
                }
                User* local = FindUserByGUID(member["localGUID"].asCString());
                User* slotUser = m_slots[static_cast<size_t>(index)]->GetUser();
                if (local == nullptr || slotUser == nullptr || local == slotUser) {
                    continue;
                }
                local->SetId("kpauth", member["kpauth"].asCString(), false);
                m_pendingMerge = std::make_unique<MergeResultHandler>(
                    local, slotUser, MergeResultDelegate(this, &UserStore::OnMergeDone));
                slotUser->ShouldMergeWith(local, MergeAnswerDelegate(this, &UserStore::OnMergeAnswer));
            }
        }
        m_lastLocalText = text;
    }
    SaveLocalUsers();
}

void UserStore::SaveLocalUsers() {
    const std::string text = BuildLocalUsersRecord();
    if (LocalKeyStore::Set("LocalUsers", text, m_lastLocalText, m_localFileSystemKey)) {
        m_lastLocalText = text;
    }
}

void UserStore::OnMergeAnswer(bool agreed) {
    if (!agreed || m_pendingMerge == nullptr) {
        return;
    }
    if (!m_mergeRequest.IsEmpty()) {
        m_mergeRequest(m_pendingMerge.get());
        return;
    }
    m_pendingMerge->Merge();
}

void UserStore::OnMergeDone(User* user, MergeResult result) {
    const std::vector<MergeResultDelegate> listeners = m_mergeListeners;
    for (const MergeResultDelegate& listener : listeners) {
        listener(user, result);
    }
}

}  // namespace Varnok
