// The combo ranking over the table of patterns.
#include "game/world/ComboAnalysis.h"

#include "game/world/FruitCatalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

class ComboAnalysisTest : public testing::Test {
protected:
    void SetUp() override {
        // apple 0, banana 1, kiwifruit 2 (no slot: "kiwi" is looked up), then
        // kinds in no slot.
        const std::string text =
            "<fruitInfoFile><FruitInfo name=\"apple\"/><FruitInfo name=\"banana\"/>"
            "<FruitInfo name=\"kiwifruit\"/><FruitInfo name=\"d\"/><FruitInfo name=\"e\"/>"
            "<FruitInfo name=\"f\"/><FruitInfo name=\"g\"/><FruitInfo name=\"h\"/></fruitInfoFile>";
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        ResetComboKindTable();
    }
};

constexpr int32_t A = 3, B = 4, C = 5, D = 6, E = 7, Apple = 0, Banana = 1, Kiwi = 2;

TEST_F(ComboAnalysisTest, RanksPatterns) {
    const struct {
        const char* what;
        std::vector<int32_t> kinds;
        int32_t id;
    } cases[] = {
        {"ABA alternates", {A, B, A}, 24},
        {"AB too short", {A, B}, -1},
        {"AAB", {A, A, B}, 0},
        {"ABABB 2+3", {A, B, A, B, B}, 20},
        {"AABBB 2+3", {A, A, B, B, B}, 20},
        {"ABCAB 2+2+1", {A, B, C, A, B}, 21},
        {"ABCCC 3+1+1", {A, B, C, C, C}, 22},
        {"ABCDE all different", {A, B, C, D, E}, 4},
        {"ABCD size", {A, B, C, D}, 1},
        {"seven different", {Apple, Banana, Kiwi, A, B, C, D}, 4},
        {"eight without pattern", {A, A, B, B, C, C, D, E}, 5},
        {"three apples", {Apple, Apple, Apple}, 6},
        {"five bananas", {Banana, Banana, Banana, Banana, Banana}, 14},
        {"kiwifruit matches no slot", {Kiwi, Kiwi, Kiwi}, 0},
        {"three of a kind in no slot", {A, A, A}, 0},
        {"BBBAAAA four beats three", {B, B, B, A, A, A, A}, 23},
        {"one fruit", {A}, -1},
        {"none", {}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AnalyseComboFruit(c.kinds.data(), static_cast<int>(c.kinds.size())), c.id);
    }
}

TEST_F(ComboAnalysisTest, UnusedSlotsMatchNoKind) {
    // Kind 0 is apple, so the empty slots must not hold kind 0 with id 0; a
    // catalogue whose kind 0 is in no slot shows it.
    const std::string text = "<fruitInfoFile><FruitInfo name=\"x\"/><FruitInfo name=\"y\"/></fruitInfoFile>";
    FruitCatalogue::Get().LoadFromText(text.data(), text.size());
    ResetComboKindTable();
    const int32_t fours[] = {0, 0, 0, 0};
    EXPECT_EQ(AnalyseComboFruit(fours, 4), 1);  // the size, not an empty slot's 0
}

}  // namespace
}  // namespace Varnok
