#include "kiplink/Source/Transaction.h"

#include "kiplink/Source/CloudOps.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/ValuePath.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace Kiplink {

namespace {

void WriteHead(IValue& record, const char* type, const char* obj, const char* op) {
    record["type"].SetAsString(type);
    record["obj"].SetAsString(obj);
    record["op"].SetAsString(op);
}

void ReadText(const IValue& record, const char* name, std::string* out) {
    if (const char* text = FindString(record, name)) {
        *out = text;
    }
}

}  // namespace

const Transaction_Add::Section Transaction_AchievementAdd::kSection = {"achievement", "achievements",
                                                                       "achievementId", "progress"};
const Transaction_Add::Section Transaction_BankAdd::kSection = {"bank", "bank", "currencyId", "qty"};
const Transaction_Add::Section Transaction_InventoryAdd::kSection = {"inventory", "inventory", "catalogueId",
                                                                     "count"};

Transaction* Transaction::FromRecord(KiplinkProviderImpl* root, const IValue& record) {
    const char* type = FindString(record, "type");
    if (type == nullptr) {
        return nullptr;
    }
    Transaction* made = nullptr;
    if (std::strcmp(type, "achievement") == 0) {
        made = new Transaction_AchievementAdd(root);
    } else if (std::strcmp(type, "bank") == 0) {
        made = new Transaction_BankAdd(root);
    } else if (std::strcmp(type, "inventory") == 0) {
        made = new Transaction_InventoryAdd(root);
    } else if (std::strcmp(type, "metaData") == 0) {
        made = new Transaction_MetaDataSet(root);
    } else if (std::strcmp(type, "iap") == 0) {
        made = new Transaction_Purchase(root);
    } else if (std::strcmp(type, "cloudObject") == 0) {
        made = new Transaction_CloudObjectUpdate(root);
    } else {
        return nullptr;
    }
    made->Read(record);
    return made;
}

// ---- Adds ----

bool Transaction_Add::Apply(IValue& state) {
    if (m_id.empty() || m_amount == 0) {
        return true;
    }
    std::vector<std::string> path = SplitDottedKey(m_id.c_str());
    path.insert(path.begin(), m_section.sectionName);
    IValue* entry = MakePath(state, path);
    if (entry == nullptr || (!entry->IsNull() && !entry->IsObject())) {
        return false;
    }
    if (entry->IsNull()) {
        (*entry)[m_section.idMember].SetAsString(m_id.c_str());
        (*entry)["ts"].SetAsInt(0);
        (*entry)[m_section.amountMember].SetAsInt(0);
    }
    IValue& amount = (*entry)[m_section.amountMember];
    const int64_t total = static_cast<int64_t>(amount.AsInt(0)) + m_amount;
    if (total < 0 || total > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    amount.SetAsInt(static_cast<int32_t>(total));
    return true;
}

bool Transaction_Add::Undo(IValue& state) {
    if (m_id.empty() || m_amount == 0) {
        return false;
    }
    std::vector<std::string> path = SplitDottedKey(m_id.c_str());
    path.insert(path.begin(), m_section.sectionName);
    const IValue* found = FindPath(state, path);
    if (found == nullptr || !found->IsObject()) {
        return true;
    }
    IValue& amount = (*MakePath(state, path))[m_section.amountMember];
    const int64_t total = static_cast<int64_t>(amount.AsInt(0)) - m_amount;
    amount.SetAsInt(static_cast<int32_t>(std::clamp<int64_t>(total, 0, std::numeric_limits<int32_t>::max())));
    return true;
}

void Transaction_Add::Read(const IValue& record) {
    ReadText(record, "obj", &m_id);
    const IValue* value = FindMember(record, "value");
    if (value != nullptr && value->IsNumber()) {
        m_amount = value->AsInt(0);
    }
}

void Transaction_Add::Write(IValue& record) const {
    WriteHead(record, m_section.typeName, m_id.c_str(), "add");
    record["value"].SetAsInt(m_amount);
}

// ---- Metadata ----

bool Transaction_MetaDataSet::Apply(IValue& state) {
    if (m_key.empty()) {
        return true;
    }
    std::vector<std::string> path = SplitDottedKey(m_key.c_str());
    path.insert(path.begin(), "metaData");
    IValue* node = MakePath(state, path);
    if (node == nullptr || (!node->IsString() && !node->IsNull())) {
        return false;
    }
    m_hasLastValue = false;
    m_lastValue.clear();
    if (node->IsString()) {
        m_lastValue = node->AsString("");
        m_hasLastValue = true;
    }
    node->SetAsString(m_value.c_str());
    return true;
}

bool Transaction_MetaDataSet::Undo(IValue& state) {
    if (m_key.empty()) {
        return false;
    }
    std::vector<std::string> path = SplitDottedKey(m_key.c_str());
    path.insert(path.begin(), "metaData");
    IValue* node = MakePath(state, path);
    if (node == nullptr || (!node->IsString() && !node->IsNull())) {
        return false;
    }
    if (m_hasLastValue) {
        node->SetAsString(m_lastValue.c_str());
    } else {
        node->SetAsValue(*node->GetNull());  // the key held nothing before
    }
    return true;
}

void Transaction_MetaDataSet::Read(const IValue& record) {
    ReadText(record, "obj", &m_key);
    ReadText(record, "value", &m_value);
    if (const char* last = FindString(record, "lastValue")) {
        m_lastValue = last;
        m_hasLastValue = true;
    }
}

void Transaction_MetaDataSet::Write(IValue& record) const {
    WriteHead(record, "metaData", m_key.c_str(), "set");
    record["value"].SetAsString(m_value.c_str());
    IValue& last = record["lastValue"];
    if (m_hasLastValue) {
        last.SetAsString(m_lastValue.c_str());
    }
}

// ---- Purchase ----

void Transaction_Purchase::Read(const IValue& record) {
    ReadText(record, "obj", &m_receipt.obj);
    const IValue* value = FindMember(record, "value");
    if (value != nullptr) {
        ReadText(*value, "catalogueId", &m_receipt.catalogueId);
        ReadText(*value, "transactionIdentifier", &m_receipt.transactionIdentifier);
        ReadText(*value, "transactionReceipt", &m_receipt.transactionReceipt);
    }
}

void Transaction_Purchase::Write(IValue& record) const {
    WriteHead(record, "iap", m_receipt.obj.c_str(), "purchase");
    IValue& value = record["value"];
    value["catalogueId"].SetAsString(m_receipt.catalogueId.c_str());
    value["transactionIdentifier"].SetAsString(m_receipt.transactionIdentifier.c_str());
    value["transactionReceipt"].SetAsString(m_receipt.transactionReceipt.c_str());
}

// ---- Cloud objects ----

Transaction_CloudObjectUpdate::Transaction_CloudObjectUpdate(KiplinkProviderImpl* root)
    : Transaction(root), m_operations(CreateValue()) {}

Transaction_CloudObjectUpdate::~Transaction_CloudObjectUpdate() { m_operations->Release(); }

bool Transaction_CloudObjectUpdate::Apply(IValue& state) {
    if (m_ownerId.empty() || m_objectId.empty()) {
        return true;
    }
    std::vector<std::string> path = SplitDottedKey(m_objectId.c_str());
    path.insert(path.begin(), m_ownerId);
    path.insert(path.begin(), "cloudObjectData");
    IValue* node = MakePath(state, path);
    if (node == nullptr || (!node->IsNull() && !node->IsObject())) {
        return true;
    }
    // The data as it was, so that a failed run leaves no half of itself.
    RefPtr<IValue> before = RefPtr<IValue>::Adopt(node->Clone());
    if (!RunCloudOps(*m_operations, (*node)["data"], (*node)["meta"], m_root != nullptr ? m_root->GetServerTime() : 0)) {
        TextBuffer* text = m_operations->ToText();
        Log("Failed to apply %s\n", text->GetText());
        text->Release();
        node->SetAsValue(*before);
    }
    return true;
}

void Transaction_CloudObjectUpdate::SetTarget(std::string ownerId, std::string objectId,
                                              const IValue& operations) {
    m_ownerId = std::move(ownerId);
    m_objectId = std::move(objectId);
    m_operations->SetAsValue(operations);
}

void Transaction_CloudObjectUpdate::Read(const IValue& record) {
    const IValue* obj = FindMember(record, "obj");
    if (obj != nullptr && obj->IsArray()) {
        if (obj->GetMemberCount() > 0 && obj->GetMemberByInt(0)->IsString()) {
            m_ownerId = obj->GetMemberByInt(0)->AsString("");
        }
        if (obj->GetMemberCount() > 1 && obj->GetMemberByInt(1)->IsString()) {
            m_objectId = obj->GetMemberByInt(1)->AsString("");
        }
    }
    if (const IValue* value = FindMember(record, "value")) {
        m_operations->SetAsValue(*value);
    }
}

void Transaction_CloudObjectUpdate::Write(IValue& record) const {
    record["type"].SetAsString("cloudObject");
    IValue& obj = record["obj"];
    obj.AppendString(m_ownerId.c_str());
    obj.AppendString(m_objectId.c_str());
    record["op"].SetAsString("update");
    record["value"].SetAsValue(*m_operations);
}

// ---- Batches ----

TransactionBatch::TransactionBatch(KiplinkProviderImpl* root) : m_root(root), m_id(XorShift128Random()) {}

void TransactionBatch::Add(Transaction* transaction) {
    if (transaction != nullptr) {
        m_transactions.emplace_back(transaction);
    }
}

bool TransactionBatch::Apply(IValue& state) const {
    for (size_t i = 0; i < m_transactions.size(); ++i) {
        if (!m_transactions[i]->Apply(state)) {
            for (size_t undo = i; undo > 0; --undo) {
                m_transactions[undo - 1]->Undo(state);
            }
            return false;
        }
    }
    return true;
}

void TransactionBatch::Write(IValue& record) const {
    IValue& records = record["transactionals"];
    records.SetAsValue(*records.GetNull());
    records.AppendInt(0);  // an array, also when the batch is empty
    records.PopBack();
    for (const RefPtr<Transaction>& transaction : m_transactions) {
        IValue* one = CreateObject();
        transaction->Write(*one);
        records.AppendValue(*one);
        one->Release();
    }
    record["id"].SetAsUInt(m_id);
}

void TransactionBatch::Read(const IValue& record) {
    const IValue* records = FindMember(record, "transactionals");
    if (records != nullptr && records->IsArray()) {
        for (uint32_t i = 0; i < records->GetMemberCount(); ++i) {
            const IValue& one = *records->GetMemberByInt(static_cast<int32_t>(i));
            if (Transaction* transaction = Transaction::FromRecord(m_root, one)) {
                m_transactions.emplace_back(transaction);
            }
        }
    }
    const IValue* id = FindMember(record, "id");
    if (id != nullptr && id->IsNumber()) {
        m_id = id->AsUInt(m_id);
    }
}

// ---- Lists ----

TransactionList::TransactionList(KiplinkProviderImpl* root, IPlatform* platform, std::string path)
    : m_root(root), m_file(new EncryptedJsonFile(platform, std::move(path))) {}

void TransactionList::Load() {
    m_batches.clear();
    if (!m_file->Load()) {
        return;
    }
    const IValue& data = static_cast<const EncryptedJsonFile&>(*m_file).GetData();
    if (!data.IsArray()) {
        if (!data.IsNull()) {
            Log("kiplink: %s holds no list of batches; starting empty", m_file->GetPath().c_str());
        }
        return;
    }
    for (uint32_t i = 0; i < data.GetMemberCount(); ++i) {
        const IValue& record = *data.GetMemberByInt(static_cast<int32_t>(i));
        if (!record.IsObject()) {
            continue;
        }
        RefPtr<TransactionBatch> batch(new TransactionBatch(m_root));
        batch->Read(record);
        m_batches.push_back(batch);
    }
}

bool TransactionList::Save() {
    IValue& data = m_file->GetData();
    data.SetAsValue(*data.GetNull());
    data.AppendInt(0);  // an empty list is an empty array
    data.PopBack();
    for (const RefPtr<TransactionBatch>& batch : m_batches) {
        IValue* record = CreateObject();
        batch->Write(*record);
        data.AppendValue(*record);
        record->Release();
    }
    return m_file->Save();
}

void TransactionList::Append(TransactionBatch* batch) {
    if (batch != nullptr) {
        m_batches.emplace_back(batch);
    }
}

void TransactionList::InsertFront(TransactionBatch* batch) {
    if (batch != nullptr) {
        m_batches.emplace_front(batch);
    }
}

void TransactionList::Remove(TransactionBatch* batch) {
    auto found = std::find_if(m_batches.begin(), m_batches.end(),
                              [batch](const RefPtr<TransactionBatch>& held) { return held.Get() == batch; });
    if (found != m_batches.end()) {
        m_batches.erase(found);
    }
}

void TransactionList::DropFirst(int count) {
    if (count < 0 || static_cast<size_t>(count) >= m_batches.size()) {
        m_batches.clear();
        return;
    }
    m_batches.erase(m_batches.begin(), m_batches.begin() + count);
}

TransactionBatch* TransactionList::Find(uint32_t id) const {
    for (const RefPtr<TransactionBatch>& batch : m_batches) {
        if (batch->GetId() == id) {
            batch->Reference();
            return batch.Get();
        }
    }
    return nullptr;
}

}  // namespace Kiplink
