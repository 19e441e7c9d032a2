// A user's recorded changes: one transaction per change, applied to the
// derived game-data state at once and undone when a later one of its batch
// fails; batches of them, and the three persistent lists a batch moves
// through (pending, sent, verified) until the server has confirmed it.
//
// Record of a transaction: {"type", "obj", "op", "value"} (a metadata set
// adds "lastValue"); a batch: {"transactionals": [records], "id": id}; a
// list file: an array of batches.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"
#include "kiplink/Source/DataFiles.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class KiplinkProviderImpl;

// The base every kind of change derives from. Apply and Undo work on the
// state value (the game data with changes applied); Read and Write on one
// record.
class Transaction : public RefCounted {
public:
    explicit Transaction(KiplinkProviderImpl* root) : m_root(root) {}

    // False when the change cannot be made; the state is then unchanged.
    virtual bool Apply(IValue& state) = 0;
    // Reverses an applied change; false when there was nothing to reverse.
    virtual bool Undo(IValue& state) = 0;
    // Fills the fields from a record (an object; other values change nothing).
    virtual void Read(const IValue& record) = 0;
    // Writes the record's members into record (an object).
    virtual void Write(IValue& record) const = 0;
    // The record's "type".
    virtual const char* GetTypeName() const = 0;

    // A new transaction of the record's "type" (count 0, the caller takes
    // the first reference), filled from it; null for an unknown type.
    static Transaction* FromRecord(KiplinkProviderImpl* root, const IValue& record);

protected:
    KiplinkProviderImpl* m_root;  // not referenced; may be null
};

// An amount added to one entry of a section ("achievements": "progress",
// "bank": "qty", "inventory": "count"); the total may never drop below 0.
class Transaction_Add : public Transaction {
public:
    struct Section {
        const char* typeName;      // "achievement"
        const char* sectionName;   // "achievements"
        const char* idMember;      // "achievementId"
        const char* amountMember;  // "progress"
    };

    Transaction_Add(KiplinkProviderImpl* root, const Section& section, std::string id, int32_t amount)
        : Transaction(root), m_section(section), m_id(std::move(id)), m_amount(amount) {}

    bool Apply(IValue& state) override;
    bool Undo(IValue& state) override;
    void Read(const IValue& record) override;
    void Write(IValue& record) const override;
    const char* GetTypeName() const override { return m_section.typeName; }

    const std::string& GetId() const { return m_id; }
    int32_t GetAmount() const { return m_amount; }

private:
    Section m_section;
    std::string m_id;
    int32_t m_amount;
};

class Transaction_AchievementAdd final : public Transaction_Add {
public:
    static const Section kSection;
    Transaction_AchievementAdd(KiplinkProviderImpl* root, std::string id = "", int32_t amount = 0)
        : Transaction_Add(root, kSection, std::move(id), amount) {}
};

class Transaction_BankAdd final : public Transaction_Add {
public:
    static const Section kSection;
    Transaction_BankAdd(KiplinkProviderImpl* root, std::string id = "", int32_t amount = 0)
        : Transaction_Add(root, kSection, std::move(id), amount) {}
};

class Transaction_InventoryAdd final : public Transaction_Add {
public:
    static const Section kSection;
    Transaction_InventoryAdd(KiplinkProviderImpl* root, std::string id = "", int32_t amount = 0)
        : Transaction_Add(root, kSection, std::move(id), amount) {}
};

// Sets a text below "metaData" at a dotted key; keeps the text it replaced
// so that an undo restores it.
class Transaction_MetaDataSet final : public Transaction {
public:
    Transaction_MetaDataSet(KiplinkProviderImpl* root, std::string key = "", std::string value = "")
        : Transaction(root), m_key(std::move(key)), m_value(std::move(value)) {}

    bool Apply(IValue& state) override;
    bool Undo(IValue& state) override;
    void Read(const IValue& record) override;
    void Write(IValue& record) const override;
    const char* GetTypeName() const override { return "metaData"; }

private:
    std::string m_key;
    std::string m_value;
    std::string m_lastValue;
    bool m_hasLastValue = false;  // the key held a text before
};

// A store purchase handed to the server as it came; changes no state.
class Transaction_Purchase final : public Transaction {
public:
    struct Receipt {
        std::string obj;
        std::string catalogueId;
        std::string transactionIdentifier;
        std::string transactionReceipt;
    };
    explicit Transaction_Purchase(KiplinkProviderImpl* root, Receipt receipt = {})
        : Transaction(root), m_receipt(std::move(receipt)) {}

    bool Apply(IValue&) override { return true; }
    bool Undo(IValue&) override { return true; }
    void Read(const IValue& record) override;
    void Write(IValue& record) const override;
    const char* GetTypeName() const override { return "iap"; }

private:
    Receipt m_receipt;
};

// Operations on one cloud object [owner id, object id], run over its node
// state."cloudObjectData".<owner>.<id>. Applying is always a success: a run
// that fails is logged and the edits of other devices decide.
class Transaction_CloudObjectUpdate final : public Transaction {
public:
    explicit Transaction_CloudObjectUpdate(KiplinkProviderImpl* root);
    ~Transaction_CloudObjectUpdate() override;

    bool Apply(IValue& state) override;
    bool Undo(IValue&) override { return true; }
    void Read(const IValue& record) override;
    void Write(IValue& record) const override;
    const char* GetTypeName() const override { return "cloudObject"; }

    const std::string& GetOwnerId() const { return m_ownerId; }
    const std::string& GetObjectId() const { return m_objectId; }
    const IValue& GetOperations() const { return *m_operations; }
    void SetTarget(std::string ownerId, std::string objectId, const IValue& operations);

private:
    std::string m_ownerId;
    std::string m_objectId;
    IValue* m_operations;
};

// Changes that reach the server together and are confirmed together.
class TransactionBatch : public RefCounted {
public:
    // The id is a fresh random number.
    explicit TransactionBatch(KiplinkProviderImpl* root);

    uint32_t GetId() const { return m_id; }
    size_t GetCount() const { return m_transactions.size(); }
    const Transaction* GetTransaction(size_t index) const { return m_transactions[index].Get(); }
    void Add(Transaction* transaction);

    // All or nothing: on a failure the changes already made are undone, last
    // first, and false comes back.
    bool Apply(IValue& state) const;

    void Write(IValue& record) const;
    // Records of unknown types are skipped; a numeric "id" replaces the id.
    void Read(const IValue& record);

private:
    KiplinkProviderImpl* m_root;
    std::vector<RefPtr<Transaction>> m_transactions;
    uint32_t m_id;
};

// An ordered list of batches kept in one encrypted file.
class TransactionList : public RefCounted {
public:
    TransactionList(KiplinkProviderImpl* root, IPlatform* platform, std::string path);

    // A missing or unreadable file leaves the list empty.
    void Load();
    bool Save();

    size_t Size() const { return m_batches.size(); }
    TransactionBatch* At(size_t index) const { return m_batches[index].Get(); }
    void Append(TransactionBatch* batch);
    void InsertFront(TransactionBatch* batch);
    void Remove(TransactionBatch* batch);
    // The first count batches; all of them for a negative count.
    void DropFirst(int count);
    // With a reference added, or null.
    TransactionBatch* Find(uint32_t id) const;

private:
    KiplinkProviderImpl* m_root;
    RefPtr<EncryptedJsonFile> m_file;
    std::deque<RefPtr<TransactionBatch>> m_batches;
};

}  // namespace Kiplink
