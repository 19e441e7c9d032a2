#include "game/rules/ChallengeConditions.h"

#include "engine/core/HashName.h"
#include "engine/core/XmlDocument.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstring>
#include <map>
#include <string>

namespace Varnok {
namespace {

uint32_t Hash(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

class FakeSource final : public ConditionSource {
public:
    int32_t GetScore() const override { return score; }
    int32_t GetStat(uint32_t nameHash) const override {
        const auto found = stats.find(nameHash);
        return found != stats.end() ? found->second : 0;
    }
    bool IsFruitInPlay() const override { return fruitInPlay; }

    int32_t score = 0;
    std::map<uint32_t, int32_t> stats;
    bool fruitInPlay = false;
};

class ChallengeConditionsTest : public testing::Test {
protected:
    void Load(const std::string& body) {
        const std::string text = "<challengeConditions>" + body + "</challengeConditions>";
        TiXmlDocument document;
        ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        conditions.Parse(*document.RootElement());
    }
    void Activate(std::initializer_list<const char*> names, uint32_t challengeFruit = 0) {
        std::vector<uint32_t> hashes;
        for (const char* name : names) {
            hashes.push_back(Hash(name));
        }
        conditions.ClearActive();
        conditions.Activate(hashes, challengeFruit);
    }

    FakeSource source;
    ChallengeConditionList conditions{source};
};

TEST_F(ChallengeConditionsTest, ReadsEveryTypeAndSkipsUnknownOnes) {
    Load("<condition type=\"SCORE\" name=\"a\" total=\"5\"/>"
         "<condition type=\"STATS\" name=\"b\" specific_type=\"all\"/>"
         "<condition type=\"CONSECUTIVE\" name=\"c\"/>"
         "<condition type=\"STATS_COMPARE\" name=\"d\" specific_type=\"x\" comparison=\"GREATER\" specific_type2=\"y\"/>"
         "<condition type=\"TIME\" name=\"e\" time=\"7.5\"/>"
         "<condition type=\"INVALID\" name=\"f\"/><condition name=\"g\"/><condition type=\"score\" name=\"h\"/>");
    EXPECT_EQ(conditions.LibrarySize(), 5);
    const ConditionType expected[] = {ConditionType::Score, ConditionType::Stats, ConditionType::Consecutive,
                                      ConditionType::StatsCompare, ConditionType::Time};
    const char* names[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(conditions.Find(Hash(names[i])), nullptr) << names[i];
        EXPECT_EQ(conditions.Find(Hash(names[i]))->GetType(), expected[i]);
    }
    const auto* compare = static_cast<StatsCompareCondition*>(conditions.Find(Hash("d")));
    EXPECT_EQ(compare->comparison, CompareOp::Greater);
    EXPECT_EQ(compare->secondType, Hash("y"));
    EXPECT_FLOAT_EQ(static_cast<TimeCondition*>(conditions.Find(Hash("e")))->time, 7.5f);
    Activate({"e"});
    EXPECT_FLOAT_EQ(conditions.GetTimeLimit(), 7.5f);
}

TEST_F(ChallengeConditionsTest, OutcomeAtTheEndOfARound) {
    Load("<condition type=\"SCORE\" name=\"passEnd\" total=\"10\" evaluateOnEnd=\"true\"/>"
         "<condition type=\"SCORE\" name=\"passPlay\" total=\"10\"/>"
         "<condition type=\"SCORE\" name=\"failEnd\" total=\"50\" result=\"FAIL\" evaluateOnEnd=\"true\"/>"
         "<condition type=\"SCORE\" name=\"failPlay\" total=\"50\" result=\"FAIL\"/>");
    const struct {
        const char* what;
        std::initializer_list<const char*> names;
        int32_t score;
        int32_t outcome;
    } cases[] = {
        {"met pass condition evaluated at the end", {"passEnd"}, 10, kRoundPassed},
        {"unmet pass condition", {"passEnd"}, 9, kRoundFailed},
        {"met pass condition without evaluateOnEnd", {"passPlay"}, 99, kRoundFailed},
        {"one of two pass conditions met", {"passEnd", "passPlay"}, 99, kRoundFailed},
        {"no conditions at all", {}, 0, kRoundPassed},
        {"only fail conditions, untriggered", {"failEnd", "failPlay"}, 0, kRoundPassed},
        {"fail condition triggered at the end", {"failEnd"}, 60, kRoundFailed},
        // One that does not wait for the end fails nothing by itself.
        {"fail condition without evaluateOnEnd triggered", {"failPlay"}, 60, kRoundPassed},
        {"names missing from the library are ignored", {"nothing", "passEnd"}, 10, kRoundPassed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        source.score = c.score;
        Activate(c.names);
        conditions.NotifyScoreChanged();
        conditions.Update(0.1f);
        EXPECT_EQ(conditions.GetStatus(), kRoundRunning);  // play never decides it
        conditions.EvaluateEnd();
        EXPECT_EQ(conditions.GetStatus(), c.outcome);
    }
}

TEST_F(ChallengeConditionsTest, FailDuringPlayStandsAtTheEnd) {
    Load("<condition type=\"SCORE\" name=\"pass\" total=\"1\" evaluateOnEnd=\"true\"/>");
    Activate({"pass"});
    source.score = 5;
    conditions.Fail();
    conditions.EvaluateEnd();
    EXPECT_EQ(conditions.GetStatus(), kRoundFailed);
}

TEST_F(ChallengeConditionsTest, ConsecutiveRunIsClearedByAShorterOne) {
    Load("<condition type=\"CONSECUTIVE\" name=\"any\" total=\"4\" evaluateOnEnd=\"true\"/>"
         "<condition type=\"CONSECUTIVE\" name=\"apples\" specific_type=\"apple\" total=\"3\" evaluateOnEnd=\"true\"/>");
    Activate({"any"});
    ChallengeCondition* any = conditions.Find(Hash("any"));
    conditions.NotifyConsecutive(5, Hash("lime"));
    EXPECT_EQ(any->status, kRoundPassed);
    conditions.NotifyConsecutive(2, Hash("lime"));
    EXPECT_EQ(any->status, 0);
    conditions.EvaluateEnd();
    EXPECT_EQ(conditions.GetStatus(), kRoundFailed);

    Activate({"apples"});
    ChallengeCondition* apples = conditions.Find(Hash("apples"));
    conditions.NotifyConsecutive(3, Hash("apple"));
    conditions.NotifyConsecutive(1, Hash("lime"));  // another kind leaves it alone
    EXPECT_EQ(apples->status, kRoundPassed);
    conditions.EvaluateEnd();
    EXPECT_EQ(conditions.GetStatus(), kRoundPassed);
}

TEST_F(ChallengeConditionsTest, StatsTrackTheirStatisticAndTheChallengeFruit) {
    Load("<condition type=\"STATS\" name=\"kiwis\" specific_type=\"challengeFruit\" total=\"4\" evaluateOnEnd=\"true\"/>"
         "<condition type=\"STATS\" name=\"drops\" specific_type=\"dropped\" total=\"2\" result=\"FAIL\"/>");
    Activate({"drops", "kiwis"}, Hash("kiwi"));
    EXPECT_TRUE(conditions.TargetsChallengeFruit());
    source.stats[Hash("kiwi")] = 1;
    conditions.NotifyStatChanged();
    EXPECT_EQ(conditions.GetRemaining(), 3);
    EXPECT_FLOAT_EQ(conditions.GetProgress(), 0.25f);
    source.stats[Hash("kiwi")] = 4;
    conditions.NotifyStatChanged();
    EXPECT_EQ(conditions.Find(Hash("kiwis"))->status, kRoundPassed);
    conditions.EvaluateEnd();
    EXPECT_EQ(conditions.GetStatus(), kRoundPassed);

    Activate({"drops"});
    EXPECT_FALSE(conditions.TargetsChallengeFruit());
    EXPECT_EQ(conditions.GetRemaining(), 1);  // no pass STATS condition
    EXPECT_FLOAT_EQ(conditions.GetProgress(), 0.0f);
}

TEST_F(ChallengeConditionsTest, StatsCompareInPlayOrAtTheEnd) {
    Load("<condition type=\"STATS_COMPARE\" name=\"more\" specific_type=\"lime\" comparison=\"GREATER\" "
         "specific_type2=\"apple\" evaluateOnEnd=\"true\"/>"
         "<condition type=\"STATS_COMPARE\" name=\"bombs\" specific_type=\"bomb\" comparison=\"NOT_EQUAL\" "
         "specific_type2=\"zero\" result=\"FAIL\"/>"
         "<condition type=\"STATS_COMPARE\" name=\"odd\" specific_type=\"lime\" comparison=\"LESS\" specific_type2=\"apple\"/>");
    Activate({"more", "bombs", "odd"});
    source.stats[Hash("lime")] = 3;
    source.stats[Hash("bomb")] = 1;
    conditions.NotifyStatChanged();
    EXPECT_EQ(conditions.Find(Hash("more"))->status, 0);  // waits for the end
    EXPECT_EQ(conditions.Find(Hash("bombs"))->status, kRoundFailed);
    EXPECT_EQ(conditions.Find(Hash("odd"))->status, 0);  // an unknown comparison never holds
    conditions.EvaluateEnd();
    EXPECT_EQ(conditions.Find(Hash("more"))->status, kRoundPassed);
}

TEST_F(ChallengeConditionsTest, TimeWaitsForTheLastFruit) {
    Load("<condition type=\"TIME\" name=\"survive\" time=\"1\" evaluateOnEnd=\"true\"/>");
    Activate({"survive"});
    ChallengeCondition* survive = conditions.Find(Hash("survive"));
    source.fruitInPlay = true;
    conditions.Update(0.6f);
    EXPECT_EQ(survive->status, 0);
    conditions.Update(0.6f);
    EXPECT_EQ(survive->status, 0);  // time is up but a fruit still flies
    source.fruitInPlay = false;
    conditions.Update(0.1f);
    EXPECT_EQ(survive->status, kRoundPassed);
    conditions.EvaluateEnd();
    EXPECT_EQ(conditions.GetStatus(), kRoundPassed);
    Activate({"survive"});
    EXPECT_FLOAT_EQ(static_cast<TimeCondition*>(survive)->remaining, 1.0f);
}

TEST_F(ChallengeConditionsTest, LaterDefinitionReplacesTheEarlier) {
    Load("<condition type=\"SCORE\" name=\"x\" total=\"5\" evaluateOnEnd=\"true\"/>");
    Activate({"x"});
    Load("<condition type=\"STATS\" name=\"x\" total=\"7\"/>");
    EXPECT_EQ(conditions.LibrarySize(), 1);
    EXPECT_EQ(conditions.Find(Hash("x"))->GetType(), ConditionType::Stats);
    EXPECT_TRUE(conditions.GetActive().empty());  // never left pointing at the old one
}

}  // namespace
}  // namespace Varnok
