#include "kiplink/Source/CloudObjectSync.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/MatchImpl.h"
#include "kiplink/Source/RecordFields.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"

namespace Kiplink {

namespace {

constexpr char kOwnObjectText[] = "cannot call update on a sync object";
constexpr char kNoObjectsText[] = "no objects to update";

}  // namespace

CloudObjectSync::CloudObjectSync(KiplinkProviderImpl* root, CloudProviderImpl* provider, IUser* user)
    : m_root(root), m_provider(provider), m_user(user) {}

CloudObject* CloudObjectSync::Lookup(const std::string& ownerId, const std::string& objectId, bool own) {
    if (ownerId.empty() || objectId.empty()) {
        return nullptr;
    }
    RefPtr<CloudObject>& held = m_cache[ownerId][objectId];
    if (!held) {
        if (m_provider->FindDefinition(objectId) == nullptr) {
            m_cache[ownerId].erase(objectId);
            return nullptr;
        }
        held = new CloudObject(m_root, m_user.Get(), ownerId, objectId, own);
        if (own) {
            // The derived state may hold a newer copy than the file.
            const IValue& state = static_cast<const UserImpl&>(*m_user).GetState();
            const IValue* owners = FindMember(state, "cloudObjectData");
            const IValue* objects = owners != nullptr ? FindMember(*owners, ownerId.c_str()) : nullptr;
            const IValue* copy = objects != nullptr ? FindPath(*objects, SplitDottedKey(objectId.c_str())) : nullptr;
            if (copy != nullptr && copy->IsObject()) {
                held->SetServerData(*copy);
            }
        }
    }
    return held.Get();
}

ICloudObject* CloudObjectSync::GetOwnObject(const char* objectId) {
    const char* ownerId = m_user->GetKiplinkID();
    CloudObject* object =
        ownerId != nullptr && objectId != nullptr ? Lookup(ownerId, objectId, true) : nullptr;
    if (object != nullptr) {
        object->Reference();
    }
    return object;
}

ICloudObject* CloudObjectSync::GetObject(const IValue& player, const char* objectId) {
    std::string ownerId;
    if (!FieldText(player, "kiplinkId", &ownerId) || objectId == nullptr) {
        return nullptr;
    }
    CloudObject* object = Lookup(ownerId, objectId, false);
    if (object != nullptr) {
        object->Reference();
    }
    return object;
}

void CloudObjectSync::Notify(uint32_t requestId, KIPLINKERROR error, const char* text) {
    RefPtr<CloudObjectSync> self(this);
    m_listeners.Notify(&ICloudObjectSyncCallbacks::OnObjectsUpdated, static_cast<ICloudObjectSync*>(this),
                       requestId, error, text);
}

void CloudObjectSync::UpdateObject(ICloudObject* object, uint32_t* outRequestId) {
    const uint32_t id = NextCallId(outRequestId);
    auto* held = static_cast<CloudObject*>(object);  // only this library makes them
    if (held == nullptr) {
        Notify(id, KIPLINKERROR_REFUSED, kNoObjectsText);
        return;
    }
    if (held->IsOwn()) {
        Notify(id, KIPLINKERROR_REFUSED, kOwnObjectText);
        return;
    }
    // Without changes the object is only fetched.
    SendUpdate(held->HasLocalChanges() ? "updateObjects" : "getObjects", &object, 1, id);
}

void CloudObjectSync::UpdateObjects(ICloudObject* const* objects, int count, uint32_t* outRequestId) {
    const uint32_t id = NextCallId(outRequestId);
    if (count <= 0 || objects == nullptr) {
        Notify(id, KIPLINKERROR_REFUSED, kNoObjectsText);
        return;
    }
    for (int i = 0; i < count; ++i) {
        auto* object = static_cast<CloudObject*>(objects[i]);
        if (object == nullptr || object->IsOwn()) {
            Notify(id, KIPLINKERROR_REFUSED, kOwnObjectText);
            return;
        }
    }
    SendUpdate("updateObjects", objects, count, id);
}

void CloudObjectSync::SendUpdate(const char* method, ICloudObject* const* objects, int count, uint32_t id) {
    RequestContext context("cloudObject", method);
    const char* token = m_user->GetAuthToken();
    AppendCommonParameters(m_root, token != nullptr ? token : "", context.Params());
    RefPtr<IValue> entries = RefPtr<IValue>::Adopt(CreateValue());
    entries->AppendInt(0);
    entries->PopBack();
    for (int i = 0; i < count; ++i) {
        auto* object = static_cast<CloudObject*>(objects[i]);
        IValue& entry = *entries->GetMemberByInt(static_cast<int32_t>(entries->GetMemberCount()));
        entry.AppendString(object->GetOwnerId().c_str());
        entry.AppendString(object->GetObjectId().c_str());
        if (object->HasLocalChanges()) {
            entry.AppendValue(object->TakeLocalOps());
        } else {
            entry.AppendUInt(object->GetCrc());
        }
    }
    context.Params().AppendValue(*entries);
    SendRequest(context, m_root, this, &CloudObjectSync::OnUpdateReply, id);
}

void CloudObjectSync::OnUpdateReply(RequestContext& context, const IValue& error, const IValue& result) {
    const uint32_t id = context.GetTag();
    if (!error.IsNull()) {
        Notify(id, KIPLINKERROR_FAILED, ReplyErrorText(error).c_str());
        return;
    }
    if (!result.IsArray()) {
        Notify(id, KIPLINKERROR_FAILED, "error");
        return;
    }
    for (uint32_t i = 0; i < result.GetMemberCount(); ++i) {
        const IValue& copy = *result.GetMemberAt(i);
        std::string ownerId, objectId;
        if (!FieldText(copy, "ownerId", &ownerId) || !FieldText(copy, "cloudObjectId", &objectId)) {
            continue;
        }
        auto owner = m_cache.find(ownerId);
        auto found = owner != m_cache.end() ? owner->second.find(objectId) : decltype(owner->second.end())();
        if (owner == m_cache.end() || found == owner->second.end()) {
            continue;
        }
        found->second->ClearSentOps();
        found->second->SetServerData(copy);
        found->second->Save();
    }
    Notify(id, KIPLINKERROR_NONE, nullptr);
}

void CloudObjectSync::CollectForSync(TransactionBatch& batch, IValue& crcs) {
    const char* ownId = m_user->GetKiplinkID();
    auto owner = ownId != nullptr ? m_cache.find(ownId) : m_cache.end();
    if (owner == m_cache.end()) {
        return;
    }
    for (auto& entry : owner->second) {
        CloudObject& object = *entry.second;
        if (!object.IsOwn()) {
            continue;
        }
        batch.Add(object.MakeUpdateTransaction());
        crcs[object.GetOwnerId().c_str()][object.GetObjectId().c_str()].SetAsUInt(object.GetCrc());
    }
}

void CloudObjectSync::ApplyState(const IValue& state) {
    const IValue* owners = FindMember(state, "cloudObjectData");
    if (owners == nullptr || !owners->IsObject()) {
        return;
    }
    for (uint32_t i = 0; i < owners->GetMemberCount(); ++i) {
        const std::string ownerId = FieldNameAt(*owners, i);
        const IValue& objects = *owners->GetMemberAt(i);
        for (uint32_t j = 0; objects.IsObject() && j < objects.GetMemberCount(); ++j) {
            const IValue& copy = *objects.GetMemberAt(j);
            if (!copy.IsObject()) {
                continue;
            }
            CloudObject* object = Lookup(ownerId, FieldNameAt(objects, j), true);
            if (object != nullptr) {
                object->SetServerData(copy);
            }
        }
    }
}

// ---- Provider ----

CloudProviderImpl::~CloudProviderImpl() = default;

ICloudObjectSync* CloudProviderImpl::GetSyncObject(IUser* user) {
    if (user == nullptr) {
        return nullptr;
    }
    RefPtr<CloudObjectSync>& sync = m_syncs[user];
    if (!sync) {
        sync = new CloudObjectSync(m_root, this, user);
    }
    sync->Reference();
    return sync.Get();
}

CloudObjectSync* CloudProviderImpl::FindSyncObject(IUser* user) const {
    auto found = m_syncs.find(user);
    return found != m_syncs.end() ? found->second.Get() : nullptr;
}

void CloudProviderImpl::LoadDefinitions(const IValue& definitions) {
    for (uint32_t i = 0; definitions.IsObject() && i < definitions.GetMemberCount(); ++i) {
        const IValue& record = *definitions.GetMemberAt(i);
        const std::string id = FieldNameAt(definitions, i);
        if (!record.IsObject() || id.empty()) {
            continue;
        }
        RefPtr<CloudObjectDefinition>& definition = m_definitions[id];
        if (!definition) {
            definition = new CloudObjectDefinition();
        }
        std::string owner;
        definition->ownerIsUser = FieldText(record, "owner", &owner) && owner == "user";
        const IValue* access = FindField(record, "access");
        const IValue* friends = access != nullptr ? FindField(*access, "friends") : nullptr;
        if (friends != nullptr && friends->IsNumber()) {
            definition->access[1] = friends->AsUInt(0);
        }
    }
}

const CloudObjectDefinition* CloudProviderImpl::FindDefinition(const std::string& objectId) const {
    auto found = m_definitions.find(objectId);
    return found != m_definitions.end() ? found->second.Get() : nullptr;
}

}  // namespace Kiplink
