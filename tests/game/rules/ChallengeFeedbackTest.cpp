// Challenge round scoring: the three parts, rounding and rank, the reflex
// text, the pinata bonus, the run's record, and the HUD feedback of the
// countdown, quick shots and slices.
#include "game/rules/ChallengeFeedback.h"

#include "engine/ui/ComponentVisual.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "tests/game/rules/HudProbe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

using TestSupport::AddProbe;
using TestSupport::ProbeComponent;

TEST(ChallengeScoringTest, PartsFollowProgressAccuracyAndReflex) {
    const struct {
        const char* name;
        bool failed;
        float progress;
        int slashes, scoring, fruit;
        uint32_t combo, bonus;
        float reflex;
        float fruitPart, slicePart, reflexPart;
    } cases[] = {
        {"a clean round, first cut after 1 s", false, 0.0f, 10, 10, 10, 0, 0, 1.0f, 100, 100, 50},
        {"three empty slashes with 10 fruit", false, 0.0f, 13, 10, 10, 0, 0, 1.0f, 100, 40, 50},
        {"counting 10 ended at 15", false, 1.5f, 10, 10, 10, 0, 0, 1.0f, 150, 100, 50},
        {"chest points on top", false, 0.5f, 10, 10, 10, 0, 300, 1.0f, 350, 100, 50},
        {"combos add to accuracy", false, 0.0f, 4, 4, 10, 8, 0, 0.0f, 100, 180, 100},
        {"many misses never go negative", false, 0.0f, 20, 10, 10, 0, 0, 2.5f, 100, 0, 0},
        {"no fruit cut scores no accuracy", false, 0.0f, 5, 0, 0, 0, 0, 3.0f, 100, 0, 0},
        {"a failed round scores nothing", true, 1.0f, 10, 10, 10, 9, 100, 0.5f, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChallengeFeedback feedback;
        feedback.BeginRound(true);
        feedback.comboPoints = c.combo;
        feedback.bonusPoints = c.bonus;
        feedback.bestReflex = c.reflex;
        ChallengeRoundFigures figures;
        figures.failed = c.failed;
        figures.progress = c.progress;
        feedback.ComputeParts(figures, c.slashes, c.scoring, c.fruit);
        EXPECT_FLOAT_EQ(feedback.parts[0], c.fruitPart);
        EXPECT_FLOAT_EQ(feedback.parts[1], c.slicePart);
        EXPECT_FLOAT_EQ(feedback.parts[2], c.reflexPart);
    }
}

TEST(ChallengeScoringTest, TheStatisticsStoreFeedsThePartsAndTheRoundScoreAddsThemUp) {
    GameStats stats;
    stats.Add("slashes", 13, 0, 0);
    stats.Add("slashesScoring", 10, 0, 0);
    stats.Add("totalfruit", 10, 0, 0);
    GetGameRecord().stats = &stats;
    ChallengeFeedback feedback;
    feedback.BeginRound(true);
    feedback.bestReflex = 1.0f;
    feedback.ComputeParts(ChallengeRoundFigures{});
    GetGameRecord().stats = nullptr;
    EXPECT_EQ(feedback.RoundScore(), 100 + 40 + 50);
    feedback.multipliers[1] = 1.5f;
    EXPECT_EQ(GetScorePart(feedback, 1), 60);
    EXPECT_EQ(feedback.RoundScore(), 210);
    feedback.scoring = false;  // the boss act's round
    EXPECT_EQ(feedback.RoundScore(), 0);
    EXPECT_EQ(ChallengeSession::GetScorePart(feedback, 0), 0);
}

TEST(ChallengeScoringTest, ScorePartsRoundHalvesUpAndNeverGoNegative) {
    ChallengeFeedback feedback;
    feedback.scoring = true;
    const struct {
        float value;
        int32_t expected;
    } cases[] = {{49.5f, 50}, {49.49f, 49}, {0.0f, 0}, {-3.0f, 0}, {100.0f, 100}};
    for (const auto& c : cases) {
        feedback.parts[2] = c.value;
        EXPECT_EQ(GetScorePart(feedback, 2), c.expected) << c.value;
    }
    EXPECT_EQ(GetScorePart(feedback, 3), 0);
    EXPECT_EQ(GetScorePart(feedback, -1), 0);
}

TEST(ChallengeScoringTest, RankThresholdsAt200And300) {
    const int32_t scores[] = {0, 199, 200, 299, 300, 400, 450};
    const int32_t ranks[] = {0, 0, 1, 1, 2, 2, 2};
    for (size_t i = 0; i < std::size(scores); ++i) {
        EXPECT_EQ(ChallengeRankForScore(scores[i]), ranks[i]) << scores[i];
    }
}

TEST(ChallengeScoringTest, TheReflexPartFormatsWithTwoDecimals) {
    ChallengeFeedback feedback;
    const struct {
        float seconds;
        const char* text;
    } cases[] = {{1.0f, "1.00"}, {1.05f, "1.05"}, {0.4f, "0.40"}, {0.35f, "0.35"}, {2.0f, "2.00"}, {12.5f, "12.50"}};
    char buffer[16];
    for (const auto& c : cases) {
        feedback.bestReflex = c.seconds;
        EXPECT_EQ(FormatTenths(feedback, 2, buffer, sizeof(buffer)), 1);
        EXPECT_STREQ(buffer, c.text);
    }
    std::strcpy(buffer, "x");
    EXPECT_EQ(FormatTenths(feedback, 0, buffer, sizeof(buffer)), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FormatTenths(feedback, 2, buffer, 3), 1);  // cut short, still terminated
    EXPECT_EQ(std::strlen(buffer), 2u);
}

TEST(ChallengeScoringTest, APinataBurstGivesFiftyAHitUpTo350) {
    const struct {
        int hits;
        int32_t points;
        int trigger;
    } cases[] = {{-1, 50, 0}, {0, 50, 0}, {2, 150, 2}, {4, 250, 4}, {6, 350, 4}, {9, 350, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(PinataBonusPoints(c.hits), c.points) << c.hits;
        EXPECT_EQ(PinataBonusTrigger(c.hits), c.trigger) << c.hits;
    }
}

TEST(ChallengeScoringTest, TheSessionCountsRoundsMissesAndTheFinale) {
    GameStats stats;
    GetGameRecord().stats = &stats;
    ChallengeSession session;
    session.AddPinataBonus(150);
    session.AddRoundScore(250);
    session.AddRoundScore(120);
    EXPECT_EQ(session.totalScore, 370);
    EXPECT_EQ(session.lastRoundScore, 120);
    EXPECT_EQ(session.GetRoundCount(), 2);
    EXPECT_EQ(session.consecutivePasses, 2);
    EXPECT_EQ(stats.Get("challenge_score"), 120);
    EXPECT_EQ(stats.Get("challenge_complete"), 2);
    GetGameRecord().stats = nullptr;

    session.AddMiss();
    EXPECT_EQ(session.consecutivePasses, 0);
    EXPECT_EQ(session.GetLives(), 2);
    EXPECT_EQ(session.FinaleScore(), 2 * 100 + 150);
    session.AddMiss();
    session.AddMiss();
    EXPECT_TRUE(session.IsOutOfLives());
    session.GainLife();
    EXPECT_FALSE(session.IsOutOfLives());

    session.Clear();
    EXPECT_EQ(session.totalScore, 0);
    EXPECT_EQ(session.misses, 0);
    EXPECT_EQ(session.bonusPoints, 0);
    EXPECT_EQ(session.GetRoundPinataBonus(), 150);  // the finale still reads it
    session.BeginRound();
    EXPECT_EQ(session.GetRoundPinataBonus(), 0);
    session.GainLife();
    EXPECT_EQ(session.misses, 0);
}

TEST(ChallengeScoringTest, CountdownSoundsByFruitToGo) {
    const struct {
        int32_t remaining;
        const char* sound;
    } cases[] = {{21, nullptr}, {6, nullptr}, {5, "togo-1"}, {3, "togo-3"}, {1, "togo-5"},
                 {0, "challenge-pass"}, {-1, "bonus"}, {-40, "bonus"}};
    for (const auto& c : cases) {
        const char* sound = FeedbackSoundForRemaining(c.remaining);
        EXPECT_EQ(std::string(sound != nullptr ? sound : "-"), std::string(c.sound != nullptr ? c.sound : "-"))
            << c.remaining;
    }
    const int cuts[] = {3, 4, 6, 7, 8, 20};
    const int index[] = {1, 2, 4, 5, 5, 5};
    for (size_t i = 0; i < std::size(cuts); ++i) {
        EXPECT_EQ(ComboSoundIndex(cuts[i]), index[i]) << cuts[i];
    }
}

// ---- HUD feedback ----

class TextProbe : public ProbeComponent {
public:
    void SetText(const AsciiString& value) override { text = value.c_str(); }
    std::string text;
};

class VisualProbe : public ComponentVisual {
public:
    float PlayAnimation(const AsciiString& name, bool /*recursive*/) override {
        played.emplace_back(name.c_str());
        return 0.0f;
    }
    std::vector<std::string> played;
};

TextProbe* AddText(Component* parent, const char* id) {
    auto* probe = new TextProbe();
    probe->SetId(AsciiString(id));
    parent->AddChild(probe, -1);
    return probe;
}

template <typename T>
T* AddChildOf(Component* parent, const char* id) {
    auto* c = new T();
    c->SetId(AsciiString(id));
    parent->AddChild(c, -1);
    return c;
}

class ChallengeFeedbackTest : public testing::Test {
protected:
    void SetUp() override {
        ChallengeFeedback::BindPopups(popups, root.get());
        feedback.Bind(&popups);
        feedback.BeginRound(true);
    }
    static bool Shown(Component* c) { return c->GetEnabledProperty()->Get(); }

    std::unique_ptr<ProbeComponent> root{AddProbe(nullptr, "inGameChallengeHud")};
    ProbeComponent* box = AddProbe(root.get(), "popups");
    ProbeComponent* slice = AddProbe(box, "slice");
    ProbeComponent* sliceLabel = AddProbe(slice, "labelTop");
    ProbeComponent* quickShot = AddProbe(box, "quickShot");
    TextProbe* quickShotValue = AddText(quickShot, "value");
    ProbeComponent* fruitNumber = AddProbe(box, "fruitNumber");
    TextProbe* fruitNumberValue = AddText(fruitNumber, "value");
    ProbeComponent* challengeEnd = AddProbe(box, "challengeEnd");
    ProbeComponent* badLuck = AddProbe(box, "badLuck");
    VisualProbe* bonus1 = AddChildOf<VisualProbe>(box, "bonus_1");
    ProbeComponent* bonus2 = AddProbe(box, "bonus_2");  // not a visual: left out
    VisualProbe* bonus3 = AddChildOf<VisualProbe>(box, "bonus_3");
    ChallengeHudPopups popups;
    ChallengeFeedback feedback;
};

TEST_F(ChallengeFeedbackTest, BindingFindsThePopupsKeepsOnlyVisualBonusesAndHidesThem) {
    EXPECT_EQ(popups.slice, slice);
    EXPECT_EQ(popups.fruitNumber, fruitNumber);
    EXPECT_EQ(popups.bonus[0], bonus1);
    EXPECT_EQ(popups.bonus[1], nullptr);
    EXPECT_EQ(popups.bonus[2], bonus3);
    EXPECT_EQ(popups.pinataBonus, nullptr);  // missing: skipped
    const std::vector<Component*> laidOut{badLuck, bonus1, bonus3};
    EXPECT_EQ(popups.list, laidOut);
    for (Component* c : {static_cast<Component*>(slice), static_cast<Component*>(quickShot),
                         static_cast<Component*>(fruitNumber), static_cast<Component*>(challengeEnd),
                         static_cast<Component*>(bonus1), static_cast<Component*>(bonus3)}) {
        EXPECT_FALSE(Shown(c)) << c->GetId().c_str();
    }
    EXPECT_TRUE(Shown(badLuck));

    ChallengeHudPopups none;
    ChallengeFeedback::BindPopups(none, nullptr);
    EXPECT_TRUE(none.list.empty());
}

TEST_F(ChallengeFeedbackTest, TheCountdownShowsFruitToGoTheTargetAndRotatesBonuses) {
    ChallengeRoundFigures figures;
    figures.remaining = 6;  // the sixth fruit before the target: nothing yet
    feedback.Update(Vector3{10, 20, 0}, figures);
    EXPECT_TRUE(fruitNumber->played.empty());

    figures.remaining = 5;
    feedback.Update(Vector3{10, 20, 0}, figures);
    EXPECT_EQ(fruitNumber->Last(), "trigger");
    EXPECT_EQ(fruitNumberValue->text, "5");
    EXPECT_TRUE(Shown(fruitNumber));
    EXPECT_FLOAT_EQ(TestSupport::PositionOf(fruitNumber).y, -20.0f);

    figures.remaining = 0;
    feedback.Update(Vector3{0, 0, 0}, figures);
    EXPECT_EQ(challengeEnd->Last(), "trigger");

    figures.remaining = -1;
    for (int i = 0; i < 4; ++i) {
        feedback.Update(Vector3{0, 0, 0}, figures);
    }
    // bonus_1, (bonus_2 left out), bonus_3, bonus_1 again.
    EXPECT_EQ(bonus1->played, (std::vector<std::string>{"trigger", "trigger"}));
    EXPECT_EQ(bonus3->played, (std::vector<std::string>{"trigger"}));
    EXPECT_EQ(popups.bonusIndex, 1);

    fruitNumber->played.clear();
    figures.remaining = 3;
    figures.noFeedback = true;
    feedback.Update(Vector3{}, figures);
    figures.noFeedback = false;
    figures.remaining = 21;
    feedback.Update(Vector3{}, figures);
    EXPECT_TRUE(fruitNumber->played.empty());
}

TEST_F(ChallengeFeedbackTest, TheFirstCuttingSlashFreezesTheQuickestTimeAndShowsIt) {
    feedback.OnFruitHit(1.4f);
    feedback.OnFruitHit(1.0f);
    feedback.ShowValue(0, Vector3{});  // cut nothing: not yet
    EXPECT_FALSE(feedback.quickShotDone);
    feedback.ShowValue(1, Vector3{30, 40, 0});
    EXPECT_TRUE(feedback.quickShotDone);
    EXPECT_EQ(quickShot->Last(), "animate_trigger");
    EXPECT_EQ(quickShotValue->text, "1.00");
    EXPECT_FLOAT_EQ(TestSupport::PositionOf(quickShot).y, -40.0f);
    feedback.OnFruitHit(0.2f);
    EXPECT_FLOAT_EQ(feedback.bestReflex, 1.0f);

    feedback.ShowValue(8, Vector3{});
    feedback.ShowValue(2, Vector3{});
    EXPECT_EQ(feedback.comboPoints, 8u);
    EXPECT_EQ(quickShot->played.size(), 1u);

    // Too slow for the pop-up.
    ChallengeFeedback slow;
    slow.Bind(&popups);
    slow.BeginRound(true);
    slow.OnFruitHit(2.5f);
    slow.ShowValue(1, Vector3{});
    EXPECT_TRUE(slow.quickShotDone);
    EXPECT_EQ(quickShot->played.size(), 1u);
}

TEST_F(ChallengeFeedbackTest, ASliceOfThreeOrMorePopsUpWithItsCount) {
    feedback.ShowCombo(2, Vector3{});
    EXPECT_TRUE(slice->played.empty());
    feedback.ShowCombo(8, Vector3{5, 6, 0});
    EXPECT_EQ(slice->Last(), "trigger");
    EXPECT_EQ(sliceLabel->FindProperty<int>(AsciiString("value"))->Get(), 8);
    feedback.scoring = false;
    feedback.ShowCombo(4, Vector3{});
    EXPECT_EQ(slice->played.size(), 1u);
}

TEST_F(ChallengeFeedbackTest, ASavedRoundComesBackScoring) {
    feedback.OnFruitHit(0.75f);
    feedback.ShowValue(3, Vector3{});
    const ChallengeFeedback::SavedState saved = feedback.SaveState();
    ChallengeFeedback restored;
    restored.RestoreState(saved);
    EXPECT_TRUE(restored.scoring);
    EXPECT_TRUE(restored.quickShotDone);
    EXPECT_FLOAT_EQ(restored.bestReflex, 0.75f);
    EXPECT_EQ(restored.comboPoints, 3u);
}

}  // namespace
}  // namespace Varnok
