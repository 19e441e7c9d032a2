// Changes recorded by a guest reach the server exactly once, whatever
// happens to the sync that carries them: the connection closed before the
// server read it, closed after the server applied it, or the reply late past
// the time-out; each followed by a restart over the same save folder.
#include "tests/providers/AccountFixture.h"

#include <chrono>
#include <thread>

namespace OnlineTest {
namespace {

using Varnok::Tools::Fault;

class NothingLostTest : public AccountFixture {
protected:
    // Three batches: metadata with an achievement, metadata alone, and two
    // achievements with an inventory add.
    std::vector<uint32_t> RecordChanges(Kiplink::UserImpl& user) {
        user.BeginTransaction();
        user.SetMeta("profile.colour", "red");
        {
            auto batch = Kiplink::RefPtr<Kiplink::TransactionBatch>::Adopt(user.GetOpenTransaction());
            batch->Add(new Kiplink::Transaction_AchievementAdd(m_root.Get(), "first_slice", 3));
        }
        user.EndTransaction();
        user.SetMeta("level", "4");
        user.BeginTransaction();
        {
            auto batch = Kiplink::RefPtr<Kiplink::TransactionBatch>::Adopt(user.GetOpenTransaction());
            batch->Add(new Kiplink::Transaction_AchievementAdd(m_root.Get(), "first_slice", 2));
            batch->Add(new Kiplink::Transaction_AchievementAdd(m_root.Get(), "combo_master", 1));
            batch->Add(new Kiplink::Transaction_InventoryAdd(m_root.Get(), "blade.fire", 1));
        }
        user.EndTransaction();
        std::vector<uint32_t> ids;
        for (size_t i = 0; i < user.Pending().Size(); ++i) {
            ids.push_back(user.Pending().At(i)->GetId());
        }
        return ids;
    }

    // Syncs until nothing is left to send or confirm.
    bool SyncUntilSettled(Kiplink::UserImpl& user) {
        for (int round = 0; round < 6; ++round) {
            const UserEvent* outcome = SyncOnce(user);
            if (outcome == nullptr || outcome->code != 0) {
                ADD_FAILURE() << "sync: " << (outcome != nullptr ? outcome->text : "no outcome");
                return false;
            }
            if (user.Pending().Size() == 0 && user.Sent().Size() == 0) {
                return true;
            }
        }
        return false;
    }

    // The guest's id, its batch ids and the server's data after the run.
    struct Run {
        std::string id;
        std::vector<uint32_t> batches;
    };

    Run GuestWithChanges() {
        Run run;
        MakeRoot();
        auto user = LoginAsGuest();
        if (!user) {
            ADD_FAILURE() << "no guest login";
            return run;
        }
        run.id = user->GetKiplinkID();
        run.batches = RecordChanges(*user);
        EXPECT_EQ(user->GetMeta("profile.colour"), std::string("red"));
        return run;
    }

    void Restart() {
        m_root.Reset();
        MakeRoot();
    }
};

TEST_F(NothingLostTest, EveryBatchIsAppliedOnceWhateverBecomesOfTheSync) {
    // The undisturbed run.
    Run reference = GuestWithChanges();
    {
        auto user = Reload(reference.id);
        ASSERT_TRUE(user);
        ASSERT_TRUE(SyncUntilSettled(*user));
    }
    const Json::Value expected = m_accounts.GameData(reference.id);
    ASSERT_EQ(expected["achievements"]["first_slice"]["progress"].asInt(), 5);
    ASSERT_EQ(expected["metaData"]["profile"]["colour"].asString(), "red");

    const struct {
        const char* what;
        Fault fault;
        int outcomeTimeoutMs;
    } cases[] = {
        {"closed before the server read the sync", Fault::CloseBeforeRead(), 5000},
        {"closed after the server applied the batches", Fault::CloseAfterAction().For("game"), 5000},
        {"reply delayed past the time-out", Fault::Delay(11500).For("game"), 15000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        Run run = GuestWithChanges();
        ASSERT_EQ(run.batches.size(), 3u);
        {
            auto user = Reload(run.id);
            m_server->InjectFault(c.fault);
            const auto start = std::chrono::steady_clock::now();
            const UserEvent* outcome = SyncOnce(*user, c.outcomeTimeoutMs);
            ASSERT_NE(outcome, nullptr);
            EXPECT_EQ(outcome->code, Kiplink::KIPLINKERROR_FAILED);
            EXPECT_EQ(user->Sent().Size(), 3u);  // kept for verification
            EXPECT_EQ(user->Pending().Size(), 0u);

            user.Reset();  // a restart: nothing of the old root survives
            Restart();
            user = Reload(run.id);
            ASSERT_TRUE(user);
            ASSERT_EQ(user->Sent().Size(), 3u);
            ASSERT_TRUE(SyncUntilSettled(*user));
            // The late handler of a delayed sync runs after the recovery;
            // it must not apply anything a second time.
            if (c.fault.kind == Varnok::Tools::FaultKind::Delay) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(12500));
                ASSERT_TRUE(SyncUntilSettled(*user));
            }
            EXPECT_EQ(user->GetMeta("level"), std::string("4"));
            EXPECT_EQ(user->GetState()["achievements"]["first_slice"]["progress"].AsInt(0), 5);
        }
        for (uint32_t id : run.batches) {
            EXPECT_EQ(m_accounts.TimesApplied(run.id, id), 1) << id;
        }
        EXPECT_EQ(m_accounts.GameData(run.id), expected);
        m_server->ClearFaults();
    }
}

}  // namespace
}  // namespace OnlineTest
