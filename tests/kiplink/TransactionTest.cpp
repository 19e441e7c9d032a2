// Applying and undoing recorded changes on a state value, whole batches,
// and their records.
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/ValuePath.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Kiplink;

struct Value {
    explicit Value(const char* json) : value(CreateValue()) { value->Parse(json); }
    ~Value() { value->Release(); }
    std::string Json() const {
        TextBuffer* text = value->ToText();
        std::string out = text->GetText();
        text->Release();
        return out;
    }
    IValue* value;
};

TEST(Transaction, AFailingAddUndoesTheEarlierChangesOfItsBatch) {
    Value state(R"({"inventory":{"sword":{"catalogueId":"sword","ts":7,"count":3}},"metaData":{"a":"old"}})");
    const std::string before = state.Json();
    RefPtr<TransactionBatch> batch(new TransactionBatch(nullptr));
    batch->Add(new Transaction_MetaDataSet(nullptr, "a", "new"));
    batch->Add(new Transaction_InventoryAdd(nullptr, "sword", 2));
    batch->Add(new Transaction_InventoryAdd(nullptr, "sword", -6));  // 5 - 6 < 0
    batch->Add(new Transaction_MetaDataSet(nullptr, "b", "never"));

    EXPECT_FALSE(batch->Apply(*state.value));
    EXPECT_EQ(state.Json(), before);
}

TEST(Transaction, AddsBelowZeroFailAndLeaveTheEntry) {
    Value state(R"({"inventory":{"sword":{"count":3}}})");
    RefPtr<Transaction> take(new Transaction_InventoryAdd(nullptr, "sword", -5));
    EXPECT_FALSE(take->Apply(*state.value));
    EXPECT_EQ((*state.value)["inventory"]["sword"]["count"].AsInt(-1), 3);

    RefPtr<Transaction> all(new Transaction_InventoryAdd(nullptr, "sword", -3));
    EXPECT_TRUE(all->Apply(*state.value));
    EXPECT_EQ((*state.value)["inventory"]["sword"]["count"].AsInt(-1), 0);
}

TEST(Transaction, EmptyAddsCreateNothing) {
    const struct {
        const char* what;
        const char* id;
        int32_t amount;
    } cases[] = {{"amount 0", "gems", 0}, {"empty id", "", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Value state("{}");
        RefPtr<Transaction> add(new Transaction_BankAdd(nullptr, c.id, c.amount));
        EXPECT_TRUE(add->Apply(*state.value));
        EXPECT_EQ(state.Json(), "{}");
        EXPECT_FALSE(add->Undo(*state.value));
    }
}

TEST(Transaction, AFirstAddMakesTheEntryAndAnUndoNeverGoesBelowZero) {
    Value state("{}");
    RefPtr<Transaction> add(new Transaction_AchievementAdd(nullptr, "slice.first", 4));
    ASSERT_TRUE(add->Apply(*state.value));
    const IValue* entry = FindPath(*state.value, {"achievements", "slice", "first"});
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(FindString(*entry, "achievementId"), "slice.first");
    EXPECT_EQ(FindMember(*entry, "ts")->AsInt(-1), 0);
    EXPECT_EQ(FindMember(*entry, "progress")->AsInt(-1), 4);

    (*state.value)["achievements"]["slice"]["first"]["progress"].SetAsInt(1);  // the server lowered it
    EXPECT_TRUE(add->Undo(*state.value));
    EXPECT_EQ(FindMember(*entry, "progress")->AsInt(-1), 0);
}

TEST(Transaction, AMetadataSetAndItsUndoRestoreTheNestedText) {
    Value state(R"({"metaData":{"a":{"b":"before","c":"other"}}})");
    RefPtr<Transaction> set(new Transaction_MetaDataSet(nullptr, "a.b", "after"));
    ASSERT_TRUE(set->Apply(*state.value));
    EXPECT_STREQ(FindString(*FindPath(*state.value, {"metaData", "a"}), "b"), "after");
    ASSERT_TRUE(set->Undo(*state.value));
    EXPECT_EQ(state.Json(), R"({"metaData":{"a":{"b":"before","c":"other"}}})");

    // A key that held no text goes back to holding none.
    RefPtr<Transaction> fresh(new Transaction_MetaDataSet(nullptr, "a.d", "x"));
    ASSERT_TRUE(fresh->Apply(*state.value));
    ASSERT_TRUE(fresh->Undo(*state.value));
    EXPECT_EQ(FindPath(*state.value, {"metaData", "a", "d"}), nullptr);
}

TEST(Transaction, PathsThroughDataAreRefused) {
    Value state(R"({"metaData":{"a":"text"},"bank":{"gold":5}})");
    const std::string before = state.Json();
    RefPtr<Transaction> meta(new Transaction_MetaDataSet(nullptr, "a.b", "x"));  // "a" holds a text
    RefPtr<Transaction> bank(new Transaction_BankAdd(nullptr, "gold", 1));       // the entry is a number
    EXPECT_FALSE(meta->Apply(*state.value));
    EXPECT_FALSE(bank->Apply(*state.value));
    EXPECT_EQ(state.Json(), before);
}

TEST(Transaction, BatchRecordsRoundTripAndSkipUnknownTypes) {
    RefPtr<TransactionBatch> batch(new TransactionBatch(nullptr));
    batch->Add(new Transaction_AchievementAdd(nullptr, "first", 2));
    batch->Add(new Transaction_MetaDataSet(nullptr, "colour", "red"));
    batch->Add(new Transaction_Purchase(nullptr, {"obj", "sword", "tx-1", "receipt"}));
    Value record("{}");
    batch->Write(*record.value);
    EXPECT_NE(record.Json().find(R"({"type":"achievement","obj":"first","op":"add","value":2})"), std::string::npos)
        << record.Json();
    (*record.value)["transactionals"].GetMemberByInt(3)->Parse(R"({"type":"teleport","obj":"x"})");
    (*record.value)["transactionals"].GetMemberByInt(4)->Parse(R"({"obj":"no type"})");

    RefPtr<TransactionBatch> read(new TransactionBatch(nullptr));
    read->Read(*record.value);
    EXPECT_EQ(read->GetId(), batch->GetId());
    ASSERT_EQ(read->GetCount(), 3u);
    Value again("{}");
    read->Write(*again.value);
    Value original("{}");
    batch->Write(*original.value);
    EXPECT_EQ(again.Json(), original.Json());
}

TEST(Transaction, SplitDottedKeyKeepsInnerEmptyParts) {
    EXPECT_EQ(SplitDottedKey("a.b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitDottedKey("a..b."), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitDottedKey(".a"), (std::vector<std::string>{"", "a"}));
    EXPECT_TRUE(SplitDottedKey(nullptr).empty());
}

TEST(Transaction, ACloudUpdateRunsOnItsNodeAndAFailedRunLeavesItWhole) {
    KiplinkTest::LogLines log;
    Value state(R"({"cloudObjectData":{"me":{"profile":{"crc":7,"data":{"n":1,"m":5},"meta":{}}}}})");
    const struct {
        const char* what;
        const char* operations;
        const char* expectedData;
        bool logged;
    } cases[] = {
        {"an add", R"([20,"n",2])", R"({"n":3,"m":5})", false},
        // A zero divisor from another device fails the run: the add before
        // it must not stay half-applied.
        {"a modulo by zero after an add", R"([20,"n",4,26,"m",0])", R"({"n":3,"m":5})", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log.Clear();
        Value operations(c.operations);
        RefPtr<Transaction_CloudObjectUpdate> update(new Transaction_CloudObjectUpdate(nullptr));
        update->SetTarget("me", "profile", *operations.value);
        EXPECT_TRUE(update->Apply(*state.value));  // always: the server's copy decides
        Value expected(c.expectedData);
        const IValue& data = (*state.value)["cloudObjectData"]["me"]["profile"]["data"];
        TextBuffer* text = data.ToText();
        EXPECT_EQ(std::string(text->GetText()), expected.Json());
        text->Release();
        EXPECT_EQ(log.Joined().find("Failed to apply") != std::string::npos, c.logged) << log.Joined();
    }
    // A node that does not exist yet is made.
    Value fresh("{}");
    Value add(R"([20,"n",2])");
    RefPtr<Transaction_CloudObjectUpdate> update(new Transaction_CloudObjectUpdate(nullptr));
    update->SetTarget("me", "scores", *add.value);
    EXPECT_TRUE(update->Apply(*fresh.value));
    EXPECT_EQ((*fresh.value)["cloudObjectData"]["me"]["scores"]["data"]["n"].AsInt(0), 2);
}

}  // namespace
