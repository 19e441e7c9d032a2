#include "kiplink/Source/CloudObject.h"

#include "kiplink/Source/CloudOps.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/ValuePath.h"
#include "kiplink/Source/Wire.h"

#include <cstring>
#include <vector>

namespace Kiplink {

namespace {

constexpr int kMergeModifier = -1;

// The operation code of each modify mode, or 0 for a mode that is none.
int ModifyCode(int mode) {
    static const int kCodes[] = {20, 21, 22, 23, 24, 25, 26, 27, 30, 40, 41,
                                 42, 43, 44, 45, 46, 50, 51, 52, 53, 60};
    return mode >= 0 && mode < static_cast<int>(sizeof kCodes / sizeof kCodes[0]) ? kCodes[mode] : 0;
}

bool ModeIn(int mode, std::initializer_list<int> modes) {
    for (int accepted : modes) {
        if (mode == accepted) {
            return true;
        }
    }
    return false;
}

RefPtr<IValue> NewValue() { return RefPtr<IValue>::Adopt(CreateValue()); }

void AppendAll(const IValue& from, IValue& into) {
    for (uint32_t i = 0; from.IsArray() && i < from.GetMemberCount(); ++i) {
        into.AppendValue(*from.GetMemberAt(i));
    }
}

}  // namespace

std::string CloudObjectFileName(const std::string& ownerId, const std::string& objectId) {
    const std::string joined = ownerId + "_" + objectId;
    return Sha1Hex(joined.data(), joined.size()) + ".json";
}

CloudObject::CloudObject(KiplinkProviderImpl* root, IUser* user, std::string ownerId, std::string objectId,
                         bool own)
    : m_root(root),
      m_user(user),
      m_ownerId(std::move(ownerId)),
      m_objectId(std::move(objectId)),
      m_own(own),
      m_server(CreateValue()),
      m_view(CreateValue()),
      m_sent(CreateValue()) {
    m_file = new EncryptedJsonFile(root->Platform(),
                                   root->GetUserDataPath(user->GetGUID(), CloudObjectFileName(m_ownerId, m_objectId)));
    (void)m_file->Load();
    IValue& content = m_file->GetData();
    if (content.IsArray()) {
        // An older file held only the edits.
        RefPtr<IValue> edits = RefPtr<IValue>::Adopt(content.Clone());
        MakeEmptyObject(content);
        content["local"].SetAsValue(*edits);
    } else if (!content.IsObject()) {
        MakeEmptyObject(content);
    }
    const IValue* base = FindMember(content, "base");
    if (base != nullptr && base->IsObject()) {
        RefPtr<IValue> copy = RefPtr<IValue>::Adopt(base->Clone());
        SetServerData(*copy);
    }
}

CloudObject::~CloudObject() {
    m_file->Save();
    m_sent->Release();
    m_view->Release();
    m_server->Release();
}

IValue* CloudObject::GetData() {
    IValue* data = m_view->GetMemberByString("data");
    data->Reference();
    return data;
}

void CloudObject::Save() { m_file->Save(); }

bool CloudObject::HasLocalChanges() const {
    const IValue* local = FindMember(m_file->GetData(), "local");
    return local != nullptr && local->IsArray() && local->GetMemberCount() > 0;
}

const IValue& CloudObject::TakeLocalOps() {
    if (!m_sent->IsArray()) {
        m_sent->AppendInt(0);  // an empty array, not null
        m_sent->PopBack();
    }
    AppendAll(Local(), *m_sent);
    Local().SetAsValue(*m_sent->GetNull());
    m_file->Save();
    return *m_sent;
}

void CloudObject::ClearSentOps() { m_sent->SetAsValue(*m_sent->GetNull()); }

void CloudObject::SetServerData(const IValue& copy) {
    const IValue* crc = FindMember(copy, "crc");
    m_crc = crc != nullptr ? crc->AsUInt(0) : 0;
    m_server->SetAsValue(copy);
    m_view->SetAsValue(copy);
    const uint32_t now = m_root->GetServerTime();
    if (m_own) {
        m_file->GetData()["base"].SetAsValue(copy);
    }
    if (!RunCloudOps(*m_sent, (*m_view)["data"], (*m_view)["meta"], now)) {
        Log("kiplink: cloud object %s/%s: sent edits no longer apply", m_ownerId.c_str(), m_objectId.c_str());
        m_view->SetAsValue(copy);
        ClearSentOps();
    }
    if (!RunCloudOps(Local(), (*m_view)["data"], (*m_view)["meta"], now)) {
        Log("kiplink: cloud object %s/%s: local edits no longer apply", m_ownerId.c_str(), m_objectId.c_str());
        m_view->SetAsValue(copy);
        Local().SetAsValue(*m_sent->GetNull());
        m_file->Save();
    }
}

Transaction_CloudObjectUpdate* CloudObject::MakeUpdateTransaction() {
    if (!HasLocalChanges()) {
        return nullptr;
    }
    RefPtr<IValue> list = RefPtr<IValue>::Adopt(Local().Clone());
    (void)CompactCloudOps(*list);  // unfolded when it cannot be folded
    auto* transaction = new Transaction_CloudObjectUpdate(m_root);
    transaction->SetTarget(m_ownerId, m_objectId, *list);
    Local().SetAsValue(*list->GetNull());
    m_file->Save();
    return transaction;
}

bool CloudObject::PathTo(const IValue* target, IValue& outKeys) const {
    const IValue* data = FindMember(*m_view, "data");
    if (target == nullptr || data == nullptr || target == data) {
        return false;
    }
    std::vector<RefPtr<IValue>> keys;
    for (const IValue* at = target; at != data; at = at->GetParent()) {
        if (at == nullptr) {
            return false;  // not inside this object's data
        }
        RefPtr<IValue> key = RefPtr<IValue>::Adopt(at->GetKey());
        if (!key) {
            return false;
        }
        keys.push_back(key);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        outKeys.AppendValue(**it);
    }
    return true;
}

bool CloudObject::Edit(const IValue* target, const IValue& operation) {
    RefPtr<IValue> keys = NewValue();
    if (!PathTo(target, *keys)) {
        return false;
    }
    // Descend to the target's container, the operation on its key, back up.
    RefPtr<IValue> list = NewValue();
    const uint32_t depth = keys->GetMemberCount() - 1;
    for (uint32_t i = 0; i < depth; ++i) {
        list->AppendInt(0);
        list->AppendValue(*keys->GetMemberAt(i));
    }
    const bool merged = operation.GetMemberAt(0)->AsInt(0) == kMergeModifier;
    for (uint32_t i = 0; i < operation.GetMemberCount(); ++i) {
        list->AppendValue(*operation.GetMemberAt(i));
        if (i == (merged ? 1u : 0u)) {
            list->AppendValue(*keys->GetMemberAt(depth));
        }
    }
    if (depth == 1) {
        list->AppendInt(1);
    } else if (depth > 1) {
        list->AppendInt(2);
        list->AppendUInt(depth);
    }
    if (!RunCloudOps(*list, (*m_view)["data"], (*m_view)["meta"], m_root->GetServerTime())) {
        return false;
    }
    IValue& local = Local();
    if (!local.IsArray()) {
        local.AppendInt(0);
        local.PopBack();
    }
    AppendAll(*list, local);
    return true;
}

bool CloudObject::SetWith(const IValue* target, int mode, const IValue& value, bool merge) {
    if (mode < 0 || mode > 3 || target == nullptr) {
        return false;
    }
    RefPtr<IValue> operation = NewValue();
    if (merge) {
        if (!value.IsObject()) {
            return false;
        }
        operation->AppendInt(kMergeModifier);
    }
    operation->AppendInt(10 + mode);
    operation->AppendValue(value);
    if (mode == 0) {
        operation->AppendUInt(CloudValueHash(*target));
    } else if (mode == 3) {
        operation->AppendUInt(m_root->GetServerTime());
    }
    return Edit(target, *operation);
}

bool CloudObject::SetMembers(const IValue* target, int mode, const IValue& members) {
    return SetWith(target, mode, members, true);
}

bool CloudObject::Set(const IValue* target, int mode, const IValue& value) {
    return SetWith(target, mode, value, false);
}

bool CloudObject::SetInt(const IValue* target, int mode, int32_t value) {
    RefPtr<IValue> made = NewValue();
    made->SetAsInt(value);
    return Set(target, mode, *made);
}

bool CloudObject::SetFloat(const IValue* target, int mode, float value) {
    RefPtr<IValue> made = NewValue();
    made->SetAsFloat(value);
    return Set(target, mode, *made);
}

bool CloudObject::SetUInt(const IValue* target, int mode, uint32_t value) {
    RefPtr<IValue> made = NewValue();
    made->SetAsUInt(value);
    return Set(target, mode, *made);
}

bool CloudObject::SetBool(const IValue* target, int mode, bool value) {
    RefPtr<IValue> made = NewValue();
    made->SetAsBool(value);
    return Set(target, mode, *made);
}

bool CloudObject::SetString(const IValue* target, int mode, const char* value) {
    return value != nullptr && SetStringWithLength(target, mode, value, static_cast<uint32_t>(std::strlen(value)));
}

bool CloudObject::SetStringWithLength(const IValue* target, int mode, const char* value, uint32_t length) {
    if (value == nullptr) {
        return false;
    }
    RefPtr<IValue> made = NewValue();
    made->SetAsStringWithLength(value, length);
    return Set(target, mode, *made);
}

bool CloudObject::ModifyUnary(const IValue* target, int mode) {
    if (!ModeIn(mode, {5, 11, 12, 16})) {
        return false;
    }
    RefPtr<IValue> operation = NewValue();
    operation->AppendInt(ModifyCode(mode));
    return Edit(target, *operation);
}

bool CloudObject::Modify(const IValue* target, int mode, const IValue& operand) {
    if (!ModeIn(mode, {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 13, 14, 17, 18, 19, 20})) {
        return false;
    }
    const bool accepted = ModeIn(mode, {0, 1, 2, 3, 4, 6, 7})   ? operand.IsNumber()
                          : mode == 8                             ? operand.IsString()
                          : ModeIn(mode, {17, 18, 19})            ? operand.IsBool()
                          : mode == 20                            ? operand.IsNumber() || operand.IsString()
                                                                  : true;
    if (!accepted) {
        return false;
    }
    RefPtr<IValue> operation = NewValue();
    operation->AppendInt(ModifyCode(mode));
    if (mode == 13 || mode == 14) {
        operation->AppendUInt(CloudValueHash(operand));  // elements are matched by their hash
    } else {
        operation->AppendValue(operand);
    }
    return Edit(target, *operation);
}

bool CloudObject::ModifyInt(const IValue* target, int mode, int32_t operand) {
    if (!ModeIn(mode, {0, 1, 2, 3, 4, 6, 7, 9, 10, 13, 14, 20})) {
        return false;
    }
    RefPtr<IValue> made = NewValue();
    made->SetAsInt(operand);
    return Modify(target, mode, *made);
}

bool CloudObject::ModifyFloat(const IValue* target, int mode, float operand) {
    if (!ModeIn(mode, {0, 1, 6, 7, 9, 10, 13, 14, 20})) {
        return false;
    }
    RefPtr<IValue> made = NewValue();
    made->SetAsFloat(operand);
    return Modify(target, mode, *made);
}

bool CloudObject::ModifyUInt(const IValue* target, int mode, uint32_t operand) {
    if (!ModeIn(mode, {0, 1, 2, 3, 4, 6, 7, 9, 10, 13, 14, 20})) {
        return false;
    }
    RefPtr<IValue> made = NewValue();
    made->SetAsUInt(operand);
    return Modify(target, mode, *made);
}

bool CloudObject::ModifyBool(const IValue* target, int mode, bool operand) {
    if (!ModeIn(mode, {9, 10, 13, 14, 17, 18, 19})) {
        return false;
    }
    RefPtr<IValue> made = NewValue();
    made->SetAsBool(operand);
    return Modify(target, mode, *made);
}

bool CloudObject::ModifyString(const IValue* target, int mode, const char* operand) {
    if (operand == nullptr || !ModeIn(mode, {8, 9, 10, 13, 14, 20})) {
        return false;
    }
    RefPtr<IValue> made = NewValue();
    made->SetAsString(operand);
    return Modify(target, mode, *made);
}

bool CloudObject::AppendCapped(const IValue* target, int mode, const IValue& value, uint32_t maximum) {
    if (mode != 15) {
        return false;
    }
    RefPtr<IValue> operation = NewValue();
    operation->AppendInt(46);
    operation->AppendValue(value);
    operation->AppendUInt(maximum);
    return Edit(target, *operation);
}

}  // namespace Kiplink
