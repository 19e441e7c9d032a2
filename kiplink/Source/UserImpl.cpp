#include "kiplink/Source/UserImpl.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/CloudObjectSync.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/StaticDataManager.h"
#include "kiplink/Source/ValueImpl.h"
#include "kiplink/Source/ValuePath.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace Kiplink {

namespace {

constexpr size_t kMaxVerifyIds = 100;
constexpr size_t kMaxRetireIds = 100;
constexpr size_t kMaxPendingBatches = 50;

const char* const kAddSections[] = {"achievements", "bank", "inventory"};

bool IsTrueFlag(const IValue* value) {
    return value != nullptr &&
           ((value->IsBool() && value->AsBool(false)) || (value->IsNumber() && value->AsInt(0) == 1));
}

// A token the server no longer accepts.
bool IsInvalidTokenText(const std::string& text) { return text == "invalid token" || text == "user not found"; }

// Answers "game" "shouldMerge" for the user that asked, once.
class MergeAnswer : public RefCounted {
public:
    explicit MergeAnswer(UserImpl* user) : m_user(user) {}
    void OnReply(RequestContext&, const IValue& error, const IValue& result) {
        RefPtr<UserImpl> user = m_user;
        m_user.Reset();
        if (!user) {
            return;
        }
        if (error.IsNull() && result.IsBool()) {
            user->NotifyShouldMerge(result.AsBool(false), KIPLINKERROR_NONE, nullptr);
        } else {
            const std::string text = error.IsNull() ? std::string("error") : ReplyErrorText(error);
            user->NotifyShouldMerge(false, KIPLINKERROR_FAILED, text.c_str());
        }
    }

private:
    RefPtr<UserImpl> m_user;
};

// Waits for both users' sync outcomes, then asks the question once.
class MergeQuestion : public IUserCallbacks {
public:
    MergeQuestion(KiplinkProviderImpl* root, const char* token, const char* text, MergeAnswer* answer)
        : m_root(root), m_token(token != nullptr ? token : ""), m_text(text != nullptr ? text : ""),
          m_answer(answer) {}

    void OnSynchronize(IUser* user, KIPLINKERROR, const char*) override {
        RefPtr<MergeQuestion> self(this);  // the removal below may drop the last other reference
        user->RemoveCallbacks(this);
        if (m_countdown <= 0 || --m_countdown > 0) {
            return;
        }
        RequestContext context("game", "shouldMerge");
        const char* deviceId = m_root->Platform()->GetDeviceInfo(kDeviceId);
        context.Params().AppendString(m_token.c_str());
        context.Params().AppendString(deviceId != nullptr ? deviceId : "");
        context.Params().AppendString(m_root->GetBuildId());
        context.Params().AppendString(m_text.c_str());
        SendRequest(context, m_root, m_answer.Get(), &MergeAnswer::OnReply, 0);
        m_answer.Reset();
    }

private:
    KiplinkProviderImpl* m_root;
    std::string m_token;
    std::string m_text;
    RefPtr<MergeAnswer> m_answer;
    int m_countdown = 2;
};

}  // namespace

UserImpl::UserImpl(KiplinkProviderImpl* root, const char* guid)
    : m_lua(root->GetLuaVM()), m_root(root), m_state(CreateValue()) {
    if (m_lua) {
        m_lua->NewTable();
        m_luaTable = new LuaRegistryRef(m_lua.Get(), -1);
        m_lua->Pop(1);
    }
    m_guid = guid != nullptr && guid[0] != '\0' ? guid : NewGuid();
    IPlatform* platform = root->Platform();
    m_local = new EncryptedJsonFile(platform, root->GetUserDataPath(m_guid, "UserLocalData.json"));
    m_profile = new EncryptedJsonFile(platform, root->GetUserDataPath(m_guid, "UserProfileData.json"));
    m_gameData = new EncryptedJsonFile(platform, root->GetUserDataPath(m_guid, "UserData.json"));
    m_local->Load();
    m_profile->Load();
    m_gameData->Load();
    m_pending = new TransactionList(root, platform, root->GetUserDataPath(m_guid, "UserTransactionsPending.json"));
    m_sent = new TransactionList(root, platform, root->GetUserDataPath(m_guid, "UserTransactionsSent.json"));
    m_verified = new TransactionList(root, platform, root->GetUserDataPath(m_guid, "UserTransactionsVerified.json"));
    m_pending->Load();
    m_sent->Load();
    m_verified->Load();
    RebuildState();
}

UserImpl::~UserImpl() {
    m_local->Save();
    m_profile->Save();
    m_gameData->Save();
    SaveLists();
    for (RefCounted* object : m_queue) {
        object->Release();
    }
    m_listeners.Clear();
    m_state->Release();
    m_luaTable.Reset();
    m_lua.Reset();
}

std::string UserImpl::NewGuid() const {
    uint8_t bytes[16];
    FillRandom(bytes, sizeof bytes);
    char text[33];
    for (size_t i = 0; i < sizeof bytes; ++i) {
        std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
    }
    return text;
}

const char* UserImpl::DeviceId() const {
    const char* id = m_root->Platform() != nullptr ? m_root->Platform()->GetDeviceInfo(kDeviceId) : nullptr;
    return id != nullptr ? id : "";
}

// ---- Profile ----

const char* UserImpl::GetKiplinkID() const {
    if (const char* id = FindString(Profile(), "kiplinkId")) {
        return id;
    }
    return FindString(Local(), "kiplinkId");
}

const char* UserImpl::GetDisplayName() const {
    const char* name = FindString(Profile(), "displayName");
    return name != nullptr ? name : "Guest";
}

bool UserImpl::IsRegisteredUser() const {
    const IValue* member = FindMember(Profile(), "isMember");
    return member != nullptr &&
           ((member->IsBool() && member->AsBool(false)) || (member->IsNumber() && member->AsInt(0) != 0));
}

const char* UserImpl::GetCountryCode() const { return FindString(Profile(), "countryId"); }
const char* UserImpl::GetEmail() const { return FindString(Profile(), "email"); }
const char* UserImpl::GetUsername() const { return FindString(Profile(), "username"); }

const char* UserImpl::GetCountry() const {
    const char* country = FindString(Profile(), "countryId");
    return country != nullptr ? country : "US";
}

const char* UserImpl::GetAuthToken() const { return FindString(Local(), "authToken"); }

bool UserImpl::IsAuthenticated() const {
    const char* token = GetAuthToken();
    return token != nullptr && token[0] != '\0';
}

void UserImpl::ClearAuthToken() {
    m_local->GetData()["authToken"].SetAsValue(*m_state->GetNull());
    m_listeners.Notify(&IUserCallbacks::OnInvalidAuthentication, static_cast<IUser*>(this));
}

bool UserImpl::SetLoginResult(const char* token, const char* kiplinkId, bool isMember) {
    const char* current = FindString(Local(), "kiplinkId");
    if (current != nullptr && (kiplinkId == nullptr || std::strcmp(current, kiplinkId) != 0)) {
        return false;
    }
    if (kiplinkId != nullptr) {
        const std::string id = kiplinkId;  // the text may live in a value replaced below
        m_local->GetData()["kiplinkId"].SetAsString(id.c_str());
        m_root->RecordUserInList(m_guid, id);
    }
    if (token != nullptr) {
        m_local->GetData()["authToken"].SetAsString(token);
    } else {
        m_local->GetData()["authToken"].SetAsValue(*m_state->GetNull());
    }
    m_profile->GetData()["isMember"].SetAsBool(isMember);
    m_local->Save();
    m_profile->Save();
    return true;
}

bool UserImpl::IsTokenExpired(const char* service) const {
    return service != nullptr && m_expiredTokens.count(service) != 0;
}

bool UserImpl::IsLinkedAccount(const char* accountType) const {
    const IValue* accounts = FindMember(Profile(), "linkedAccounts");
    const IValue* entry = accounts != nullptr ? FindMember(*accounts, accountType) : nullptr;
    return IsTrueFlag(entry) || (entry != nullptr && entry->IsString());
}

int UserImpl::GetLinkedAccountCount() const {
    const IValue* accounts = FindMember(Profile(), "linkedAccounts");
    if (accounts == nullptr || !accounts->IsObject()) {
        return 0;
    }
    int count = 0;
    for (uint32_t i = 0; i < accounts->GetMemberCount(); ++i) {
        const IValue* entry = accounts->GetMemberAt(i);
        count += IsTrueFlag(entry) || entry->IsString() ? 1 : 0;
    }
    return count;
}

const char* UserImpl::GetLinkedAccount(int index) const {
    const IValue* accounts = FindMember(Profile(), "linkedAccounts");
    if (accounts == nullptr || !accounts->IsObject() || index < 0) {
        return nullptr;
    }
    int seen = 0;
    const auto& members = Impl(*accounts).Members();
    for (const ValueImpl::Member& member : members) {
        if (IsTrueFlag(member.value) && seen++ == index) {
            return member.key->IsString() ? member.key->StringBytes().c_str() : nullptr;
        }
    }
    return nullptr;
}

const char* UserImpl::GetLinkedAccountId(const char* accountType) const {
    const IValue* ids = FindMember(Profile(), "linkedAccountIds");
    return ids != nullptr ? FindString(*ids, accountType) : nullptr;
}

bool UserImpl::GetEmailSubscription(const char* name) const {
    const IValue* subscriptions = FindMember(Profile(), "emailSubscriptions");
    return subscriptions != nullptr && IsTrueFlag(FindMember(*subscriptions, name));
}

// ---- Metadata and queued objects ----

void UserImpl::SetMeta(const char* key, const char* value) {
    if (key == nullptr || value == nullptr) {
        return;
    }
    Record(new Transaction_MetaDataSet(m_root, key, value));
}

void UserImpl::Record(Transaction* transaction) {
    RefPtr<Transaction> held(transaction);
    const bool ownBatch = !m_openBatch;
    if (ownBatch) {
        BeginTransaction();
    }
    m_openBatch->Add(transaction);
    if (ownBatch) {
        EndTransaction();
    } else {
        RebuildState();
    }
}

const char* UserImpl::GetMeta(const char* key) {
    m_metaText.clear();
    if (key == nullptr) {
        return m_metaText.c_str();
    }
    const IValue* meta = FindMember(*m_state, "metaData");
    const IValue* node = meta != nullptr && meta->IsObject() ? FindPath(*meta, SplitDottedKey(key)) : nullptr;
    if (node != nullptr && node->IsString()) {
        m_metaText = node->AsString("");
    }
    return m_metaText.c_str();
}

bool UserImpl::HasMeta(const char* key) {
    const IValue* meta = FindMember(*m_state, "metaData");
    const IValue* node =
        key != nullptr && meta != nullptr && meta->IsObject() ? FindPath(*meta, SplitDottedKey(key)) : nullptr;
    return node != nullptr && node->IsString();
}

void UserImpl::QueueObject(RefCounted* object) {
    if (object != nullptr) {
        object->Reference();
        m_queue.push_back(object);
    }
}

RefCounted* UserImpl::PopQueuedObject() {
    if (m_queue.empty()) {
        return nullptr;
    }
    RefCounted* first = m_queue.front();
    m_queue.pop_front();
    return first;
}

// ---- Transactions ----

void UserImpl::BeginTransaction() { m_openBatch = new TransactionBatch(m_root); }

void UserImpl::EndTransaction() {
    if (!m_openBatch) {
        return;
    }
    m_pending->Append(m_openBatch.Get());
    m_openBatch.Reset();
    m_pending->Save();
    RebuildState();
}

TransactionBatch* UserImpl::GetOpenTransaction() const {
    if (m_openBatch) {
        m_openBatch->Reference();
    }
    return m_openBatch.Get();
}

void UserImpl::RebuildState() {
    m_state->SetAsValue(m_gameData->GetData());
    for (const TransactionList* list : {m_sent.Get(), m_pending.Get()}) {
        for (size_t i = 0; i < list->Size(); ++i) {
            list->At(i)->Apply(*m_state);
        }
    }
    if (m_openBatch) {
        m_openBatch->Apply(*m_state);
    }
    if (CloudObjectSync* cloud = m_root != nullptr ? m_root->FindCloudSync(this) : nullptr) {
        cloud->ApplyState(*m_state);
    }
}

void UserImpl::SaveLists() {
    m_pending->Save();
    m_sent->Save();
    m_verified->Save();
}

// ---- Sync ----

void UserImpl::NotifySynchronize(KIPLINKERROR code, const char* text) {
    m_listeners.Notify(&IUserCallbacks::OnSynchronize, static_cast<IUser*>(this), code, text);
}

void UserImpl::SetNextSyncTime(uint32_t seconds) {
    m_syncScheduled = true;
    m_dueSeconds = static_cast<int64_t>(LibraryWallSeconds()) + seconds;
}

void UserImpl::Update() {
    if (!m_syncScheduled) {
        return;
    }
    const int64_t now = LibraryWallSeconds();
    if (now < m_dueSeconds) {
        return;
    }
    m_syncScheduled = false;
    if (!m_syncPending) {
        Synchronize();
    }
}

void UserImpl::Synchronize() {
    if (m_syncPending) {
        NotifySynchronize(KIPLINKERROR_NONE, "pending sync");
        return;
    }
    if (m_root->Platform() == nullptr || !m_root->Platform()->IsConnected()) {
        NotifySynchronize(KIPLINKERROR_NO_CONNECTION, "no connection");
        return;
    }
    if (!IsAuthenticated()) {
        NotifySynchronize(KIPLINKERROR_NONE, "not authenticated");
        return;
    }
    if (m_root->GetBaseUrlText().empty()) {
        SetNextSyncTime(1);
        return;
    }
    RequestContext context("game", "sync");
    IValue& params = context.Params();
    params.AppendString(GetAuthToken());
    params.AppendString(DeviceId());
    params.AppendString(m_root->GetBuildId());
    IValue* body = CreateObject();
    (*body)["device"].SetAsValue(m_root->GetDeviceInformation());
    std::string staticHash;
    if (m_root->GetStaticData() != nullptr) {
        m_root->GetStaticData()->GetHash(&staticHash);
    }
    (*body)["staticData"].SetAsString(staticHash.c_str());
    IValue& userData = (*body)["userData"];
    for (const char* stamp : {"inventory_ts", "bank_ts", "achievements_ts", "metaData_ts"}) {
        const IValue* held = FindMember(GetGameData(), stamp);
        userData[stamp].SetAsValue(held != nullptr ? *held : *body->GetNull());
    }
    IValue& cloudCrcs = userData["cloudObjectData"];  // stays null without own objects
    if (CloudObjectSync* cloud = m_root->FindCloudSync(this)) {
        // Own objects' edits leave their files as one batch of this sync.
        RefPtr<TransactionBatch> edits(new TransactionBatch(m_root));
        cloud->CollectForSync(*edits, cloudCrcs);
        if (edits->GetCount() > 0) {
            m_pending->Append(edits.Get());
        }
    }

    IValue& verify = (*body)["transactionsVerify"];
    IValue& retire = (*body)["transactionsRetire"];
    IValue& pending = (*body)["transactionsPending"];
    for (IValue* list : {&verify, &retire, &pending}) {
        list->AppendInt(0);  // empty arrays, not nulls
        list->PopBack();
    }
    for (size_t i = 0; i < m_sent->Size() && i < kMaxVerifyIds; ++i) {
        verify.AppendUInt(m_sent->At(i)->GetId());
    }
    const size_t retireCount = std::min(m_verified->Size(), kMaxRetireIds);
    for (size_t i = 0; i < retireCount; ++i) {
        retire.AppendUInt(m_verified->At(i)->GetId());
    }
    m_verified->DropFirst(static_cast<int>(retireCount));
    const size_t sendCount = std::min(m_pending->Size(), kMaxPendingBatches);
    for (size_t i = 0; i < sendCount; ++i) {
        TransactionBatch* batch = m_pending->At(i);
        IValue* record = CreateObject();
        batch->Write(*record);
        pending.AppendValue(*record);
        record->Release();
        m_sent->Append(batch);
    }
    m_pending->DropFirst(static_cast<int>(sendCount));
    params.AppendValue(*body);
    body->Release();
    SendRequest(context, m_root, this, &UserImpl::OnSyncReply, 0);
    SaveLists();
    m_syncPending = true;
}

void UserImpl::OnSyncReply(RequestContext&, const IValue& error, const IValue& result) {
    ApplySyncReply(error, result);
}

void UserImpl::CheckReplyError(const IValue& error) {
    if (!error.IsNull() && IsInvalidTokenText(ReplyErrorText(error))) {
        ClearAuthToken();
    }
}

void UserImpl::MoveSentBatch(const IValue& id, bool toVerified) {
    if (!id.IsNumber()) {
        return;
    }
    RefPtr<TransactionBatch> batch = RefPtr<TransactionBatch>::Adopt(m_sent->Find(id.AsUInt(0)));
    if (!batch) {
        return;
    }
    m_sent->Remove(batch.Get());
    if (toVerified) {
        m_verified->Append(batch.Get());
    } else {
        m_pending->InsertFront(batch.Get());
    }
}

void UserImpl::ApplySyncReply(const IValue& error, const IValue& result) {
    RefPtr<UserImpl> self(this);  // a listener may drop the last other reference
    m_syncPending = false;
    if (!error.IsNull()) {
        const std::string text = ReplyErrorText(error);
        NotifySynchronize(KIPLINKERROR_FAILED, text.c_str());
        if (IsInvalidTokenText(text)) {
            ClearAuthToken();
        }
        return;
    }
    const IValue* user = FindMember(result, "user");
    const char* replyId = user != nullptr ? FindString(*user, "kiplinkId") : nullptr;
    const char* ownId = GetKiplinkID();
    if (replyId == nullptr || ownId == nullptr || std::strcmp(replyId, ownId) != 0) {
        NotifySynchronize(KIPLINKERROR_FAILED, "incorrect kiplinkId in response");
        return;
    }
    m_profile->GetData().SetAsValue(*user);

    m_expiredTokens.clear();
    const IValue* expired = FindMember(result, "expiredTokens");
    if (expired != nullptr && expired->IsArray()) {
        std::vector<std::string> texts;
        std::vector<const char*> pointers;
        texts.reserve(expired->GetMemberCount());
        for (uint32_t i = 0; i < expired->GetMemberCount(); ++i) {
            const IValue* entry = expired->GetMemberByInt(static_cast<int32_t>(i));
            texts.push_back(entry->IsString() ? entry->AsString("") : "");
            if (entry->IsString()) {
                m_expiredTokens.insert(texts.back());
            }
        }
        for (uint32_t i = 0; i < expired->GetMemberCount(); ++i) {
            pointers.push_back(expired->GetMemberByInt(static_cast<int32_t>(i))->IsString() ? texts[i].c_str()
                                                                                           : nullptr);
        }
        m_listeners.Notify(&IUserCallbacks::OnExpiredTokens, static_cast<IUser*>(this),
                           static_cast<const char* const*>(pointers.data()), static_cast<int>(pointers.size()));
    }

    const struct {
        const char* group;
        const char* name;
        bool toVerified;
    } moves[] = {{"transactionsProcessed", "success", true},  {"transactionsProcessed", "failed", true},
                 {"transactionsProcessed", "deferred", false}, {"transactionsVerified", "found", true},
                 {"transactionsVerified", "checked", false}};
    for (const auto& move : moves) {
        const IValue* group = FindMember(result, move.group);
        const IValue* ids = group != nullptr ? FindMember(*group, move.name) : nullptr;
        if (ids == nullptr || !ids->IsArray()) {
            continue;
        }
        for (uint32_t i = 0; i < ids->GetMemberCount(); ++i) {
            MoveSentBatch(*ids->GetMemberByInt(static_cast<int32_t>(i)), move.toVerified);
        }
    }
    m_profile->Save();
    SaveLists();

    if (const IValue* userData = FindMember(result, "userData")) {
        MergeGameData(*userData);
    }
    m_gameData->Save();
    RebuildState();

    const IValue* staticData = FindMember(result, "staticData");
    if (staticData != nullptr && m_root->GetStaticData() != nullptr) {
        const char* hash = FindString(*staticData, "hash");
        const char* url = FindString(*staticData, "url");
        const IValue* table = FindMember(*staticData, "hashTable");
        if (hash != nullptr && url != nullptr && table != nullptr && table->IsObject()) {
            m_root->GetStaticData()->RequestUpdate(hash, url, *table);
        }
    }
    NotifySynchronize(KIPLINKERROR_NONE, nullptr);
}

void UserImpl::MergeGameData(const IValue& userData) {
    if (!userData.IsObject()) {
        return;
    }
    IValue& data = m_gameData->GetData();
    for (const char* section : kAddSections) {
        const std::string stampName = std::string(section) + "_ts";
        const IValue* stamp = FindMember(userData, stampName.c_str());
        if (stamp != nullptr && !stamp->IsNull()) {
            data[stampName.c_str()].SetAsValue(*stamp);
        }
        const IValue* entries = FindMember(userData, section);
        if (entries == nullptr || !entries->IsObject()) {
            continue;
        }
        IValue& held = data[section];
        if (!held.IsObject()) {
            MakeEmptyObject(held);
        }
        for (const ValueImpl::Member& member : Impl(*entries).Members()) {
            if (member.key->IsString()) {
                held[member.key->StringBytes().c_str()].SetAsValue(*member.value);
            }
        }
    }
    for (const char* whole : {"metaData_ts", "metaData"}) {
        const IValue* value = FindMember(userData, whole);
        if (value != nullptr && !value->IsNull()) {
            data[whole].SetAsValue(*value);
        }
    }
    const IValue* cloud = FindMember(userData, "cloudObjectData");
    if (cloud != nullptr && cloud->IsObject()) {
        IValue& held = data["cloudObjectData"];
        if (!held.IsObject()) {
            MakeEmptyObject(held);
        }
        for (const ValueImpl::Member& owner : Impl(*cloud).Members()) {
            if (!owner.key->IsString() || !owner.value->IsObject()) {
                continue;
            }
            IValue& heldOwner = held[owner.key->StringBytes().c_str()];
            if (!heldOwner.IsObject()) {
                MakeEmptyObject(heldOwner);
            }
            for (const ValueImpl::Member& object : Impl(*owner.value).Members()) {
                if (object.key->IsString()) {
                    heldOwner[object.key->StringBytes().c_str()].SetAsValue(*object.value);
                }
            }
        }
    }
}

// ---- Account operations ----

void UserImpl::SendAccountRequest(AccountOperation operation, const char* method,
                                  std::initializer_list<const char*> texts, std::initializer_list<bool> flags) {
    RequestContext context("user", method);
    IValue& params = context.Params();
    const char* token = GetAuthToken();
    params.AppendString(token != nullptr ? token : "");
    params.AppendString(DeviceId());
    for (const char* text : texts) {
        params.AppendString(text != nullptr ? text : "");
    }
    for (bool flag : flags) {
        params.AppendBool(flag);
    }
    params.AppendString(m_root->GetBuildId());
    SendRequest(context, m_root, this, &UserImpl::OnAccountReply, operation);
}

void UserImpl::ChangeEmail(const char* email) { SendAccountRequest(kChangeEmail, "changeEmail", {email}); }

void UserImpl::ChangePassword(const char* first, const char* second) {
    SendAccountRequest(kChangePassword, "changePassword", {first, second});
}

void UserImpl::ChangeDisplayName(const char* name) {
    SendAccountRequest(kChangeDisplayName, "changeDisplayName", {name});
}

void UserImpl::ChangeEmailSubscriptions(bool first, bool second) {
    SendAccountRequest(kChangeEmailSubscriptions, "changeEmailSubscriptions", {}, {first, second});
}

void UserImpl::Register(const char* first, const char* second, const char* third, bool flagA, bool flagB) {
    SendAccountRequest(kRegister, "register", {first, second, third}, {flagA, flagB});
}

void UserImpl::LinkFacebook(const char* first, const char* second) {
    SendAccountRequest(kLinkFacebook, "linkFacebook", {first, second});
}

void UserImpl::LinkOAuth(const char* first, const char* second, const char* third, const char* fourth) {
    SendAccountRequest(kLinkOAuth, "linkOAuth", {first, second, third, fourth});
}

void UserImpl::RenewToken(const char* first, const char* second, const char* third, const char* fourth) {
    SendAccountRequest(kRenewToken, "renewToken", {first, second, third, fourth});
}

void UserImpl::NotifyAccount(AccountOperation operation, KIPLINKERROR code, const char* text) {
    using Handler = void (IUserCallbacks::*)(IUser*, KIPLINKERROR, const char*);
    static const Handler kHandlers[] = {
        &IUserCallbacks::OnChangeEmail,    &IUserCallbacks::OnChangePassword,
        &IUserCallbacks::OnChangeDisplayName, &IUserCallbacks::OnChangeEmailSubscriptions,
        &IUserCallbacks::OnRegister,       &IUserCallbacks::OnLinkFacebook,
        &IUserCallbacks::OnLinkOAuth,      &IUserCallbacks::OnRenewToken,
    };
    m_listeners.Notify(kHandlers[operation], static_cast<IUser*>(this), code, text);
}

void UserImpl::OnAccountReply(RequestContext& context, const IValue& error, const IValue& result) {
    const uint32_t tag = context.GetTag();
    if (tag > kRenewToken) {
        return;
    }
    RefPtr<UserImpl> self(this);
    const auto operation = static_cast<AccountOperation>(tag);
    if (!error.IsNull()) {
        const std::string text = ReplyErrorText(error);
        NotifyAccount(operation, KIPLINKERROR_FAILED, text.c_str());
        if (IsInvalidTokenText(text)) {
            ClearAuthToken();
        }
        return;
    }
    IValue& profile = m_profile->GetData();
    auto copyMember = [&](const char* name) {
        if (const IValue* value = FindMember(result, name)) {
            profile[name].SetAsValue(*value);
        }
    };
    auto markLinked = [&](const char* account) {
        IValue& accounts = profile["linkedAccounts"];
        if (!accounts.IsObject()) {
            MakeEmptyObject(accounts);
        }
        accounts[account].SetAsInt(1);
    };
    switch (operation) {
        case kChangeEmail:
            profile["email"].SetAsValue(result);
            break;
        case kChangePassword:
            break;
        case kChangeDisplayName:
            profile["displayName"].SetAsValue(result);
            break;
        case kChangeEmailSubscriptions:
            profile["emailSubscriptions"].SetAsValue(result);
            break;
        case kRegister:
            copyMember("email");
            copyMember("displayName");
            copyMember("emailSubscriptions");
            profile["isMember"].SetAsBool(true);
            markLinked("kiplink");
            break;
        case kLinkFacebook:
            copyMember("displayName");
            profile["isMember"].SetAsBool(true);
            markLinked("facebook");
            break;
        case kLinkOAuth: {
            copyMember("displayName");
            profile["isMember"].SetAsBool(true);
            if (const char* service = FindString(result, "service")) {
                const std::string name = service;
                markLinked(name.c_str());
            }
            break;
        }
        case kRenewToken:
            if (const char* service = FindString(result, "service")) {
                m_expiredTokens.erase(service);
            }
            break;
    }
    NotifyAccount(operation, KIPLINKERROR_NONE, nullptr);
}

// ---- Merges ----

void UserImpl::NotifyShouldMerge(bool shouldMerge, KIPLINKERROR code, const char* text) {
    m_listeners.Notify(&IUserCallbacks::OnShouldMergeUser, static_cast<IUser*>(this), shouldMerge, code, text);
}

void UserImpl::ShouldMergeWith(const char* otherKiplinkId, const char* text) {
    RefPtr<IUser> other = RefPtr<IUser>::Adopt(m_root->FindUserByKiplinkId(otherKiplinkId));
    if (!other) {
        NotifyShouldMerge(false, KIPLINKERROR_REFUSED, "no local user with that id");
        return;
    }
    RefPtr<MergeAnswer> answer(new MergeAnswer(this));
    RefPtr<MergeQuestion> question(new MergeQuestion(m_root, GetAuthToken(), text, answer.Get()));
    // Listening first: a sync that answers at once (offline, pending) counts.
    other->AddCallbacks(question.Get());
    AddCallbacks(question.Get());
    Synchronize();
    other->Synchronize();
}

void UserImpl::Merge(const char* text) {
    RequestContext context("game", "merge");
    const char* token = GetAuthToken();
    context.Params().AppendString(token != nullptr ? token : "");
    context.Params().AppendString(DeviceId());
    context.Params().AppendString(m_root->GetBuildId());
    context.Params().AppendString(text != nullptr ? text : "");
    SendRequest(context, m_root, this, &UserImpl::OnMergeReply, 0);
}

void UserImpl::OnMergeReply(RequestContext&, const IValue& error, const IValue& result) {
    RefPtr<UserImpl> self(this);
    if (!error.IsNull()) {
        const std::string text = ReplyErrorText(error);
        m_listeners.Notify(&IUserCallbacks::OnMergeUser, static_cast<IUser*>(this), KIPLINKERROR_FAILED,
                           text.c_str());
        return;
    }
    ApplySyncReply(error, result);
    m_listeners.Notify(&IUserCallbacks::OnMergeUser, static_cast<IUser*>(this), KIPLINKERROR_NONE,
                       static_cast<const char*>(nullptr));
}

}  // namespace Kiplink
