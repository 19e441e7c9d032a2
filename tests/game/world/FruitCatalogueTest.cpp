// The fruit list reader: defaults, derived names, critical rules, refusals,
// look-ups and the weighted pick.
#include "game/world/FruitCatalogue.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

using TestSupport::IsOneLogLineNaming;
using TestSupport::LogCapture;

void Load(const std::string& text) {
    FruitCatalogue::Get().LoadFromText(text.data(), text.size());
}

const char kList[] = R"(<fruitInfoFile>
  <critical colour="10,20,30" score="5" chance="5"/>
  <bomb size="44" collision="12"/>
  <FruitInfo name="Apple" chance="10">
    <colours colour="200,100,50,255"/>
  </FruitInfo>
  <FruitInfo name="pineapple" chance="5" coins="3" coinsMax="5"/>
  <FruitInfo name="banana" chance="5" score="10" noCritical="false" coinsMin="2"/>
  <FruitInfo name="melon" score="10">
    <impact_sound chance="4">Squish</impact_sound>
    <impact_sound>Squash</impact_sound>
    <titles singularEnglish="melon"/>
  </FruitInfo>
  <FruitInfo name="clear"><colours colour="1,2,3,0"/></FruitInfo>
</fruitInfoFile>)";

TEST(FruitCatalogue, ReadsKindsWithDefaultsAndDerivedNames) {
    Load(kList);
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    ASSERT_EQ(catalogue.Count(), 5);
    const FruitInfo& apple = catalogue.At(0);
    EXPECT_STREQ(apple.name, "apple");  // first letter lowered
    EXPECT_STREQ(apple.pointTotalStatName, "apple_point_total");
    EXPECT_STREQ(apple.dropsStatName, "apple_drops");
    EXPECT_STREQ(apple.modelName, "apple");
    EXPECT_STREQ(apple.hudTexture, "hud/hud_Apple.tex");  // as the file spells it
    EXPECT_EQ(apple.nameHash, HashName("Apple", 5));
    EXPECT_FLOAT_EQ(apple.scale, 25.0f);
    EXPECT_FLOAT_EQ(apple.hitInfluence, 0.75f);
    EXPECT_FLOAT_EQ(apple.collisionSize, 1.0f);
    EXPECT_EQ(apple.colour, Colour(200, 100, 50, 255));
    ASSERT_EQ(apple.impactSounds.size(), 1u);
    EXPECT_STREQ(apple.impactSounds[0].name, "Impact-Apple");
    EXPECT_EQ(apple.impactSounds[0].chance, 10);
    EXPECT_EQ(apple.impactSounds[0].cumulativeChance, 0);

    EXPECT_EQ(catalogue.At(1).coinsMin, 3);
    EXPECT_EQ(catalogue.At(1).coinsMax, 5);
    EXPECT_EQ(catalogue.At(2).coinsMin, 2);
    EXPECT_EQ(catalogue.At(2).coinsMax, 0);
    ASSERT_EQ(catalogue.At(3).impactSounds.size(), 2u);
    EXPECT_EQ(catalogue.At(3).impactSounds[1].cumulativeChance, 14);
    EXPECT_STREQ(catalogue.At(3).pluralEnglish, "melons");
    EXPECT_FLOAT_EQ(catalogue.BombSize(), 44.0f);
    EXPECT_FLOAT_EQ(catalogue.BombCollision(), 12.0f);
}

TEST(FruitCatalogue, CriticalRules) {
    Load(kList);
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    EXPECT_TRUE(catalogue.At(0).canBeCritical);
    EXPECT_TRUE(catalogue.At(2).canBeCritical);   // score 10, noCritical "false" decides
    EXPECT_FALSE(catalogue.At(3).canBeCritical);  // score 10 at or above the critical 5
    EXPECT_FALSE(catalogue.At(4).canBeCritical);  // colour alpha 0
    EXPECT_EQ(catalogue.ColourOf(catalogue.Count()), Colour(10, 20, 30, 255));
}

TEST(FruitCatalogue, LooksUpNamesCaseBlind) {
    Load(kList);
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    EXPECT_EQ(catalogue.IndexOf("APPLE", 0), 0);
    EXPECT_EQ(catalogue.IndexOf("Banana", 0), 2);
    EXPECT_EQ(catalogue.IndexOf("kiwi", 0), -1);
    EXPECT_EQ(catalogue.IndexOf("", 0), -1);
    Random random;
    const int fallback = catalogue.IndexOf("kiwi", 1, &random);
    EXPECT_GE(fallback, 0);
    EXPECT_LT(fallback, catalogue.Count() - 1);  // the last kind is never the uniform choice
}

TEST(FruitCatalogue, MalformedListGivesNoKindsAndOneLine) {
    // A parse error is the XML layer's line; the rest are the catalogue's.
    const struct {
        const char* what;
        std::string text;
        const char* source;
        const char* fault;
    } cases[] = {
        {"empty", "", "XmlDocument: fruit list text", "empty"},
        {"not xml", "fruit, fruit, fruit", "XmlDocument: fruit list text", "empty"},
        {"unclosed", "<fruitInfoFile><FruitInfo name=\"apple\">", "XmlDocument: fruit list text", "Error reading"},
        {"another document", "<itemList><FruitInfo name=\"apple\"/></itemList>", "FruitCatalogue: ",
         "no fruitInfoFile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        Load(c.text);
        EXPECT_TRUE(IsOneLogLineNaming(log.Take(), c.source, c.fault));
        EXPECT_EQ(FruitCatalogue::Get().Count(), 0);
        EXPECT_EQ(FruitCatalogue::Get().Critical().chance, 5);  // defaults kept
    }
}

TEST(FruitCatalogue, RefusesKindsWhoseStatisticNamesWouldNotFit) {
    const std::string longName(52, 'x');  // 52 + "_point_total" passes 63 characters
    const std::string fitting(51, 'y');   // exactly 63
    LogCapture log;
    Load("<fruitInfoFile><FruitInfo name=\"" + longName + "\"/><FruitInfo name=\"" + fitting +
         "\"/></fruitInfoFile>");
    EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "FruitCatalogue: ", "too long"));
    ASSERT_EQ(FruitCatalogue::Get().Count(), 1);
    EXPECT_EQ(strlen(FruitCatalogue::Get().At(0).pointTotalStatName), 63u);
}

TEST(FruitCatalogue, PickWithNoCandidatesKeepsTheCallersFruit) {
    Load(kList);
    Random random;
    EXPECT_EQ(FruitCatalogue::Get().PickWeighted(random, false, 1, nullptr, 0), -1);
    Load("<fruitInfoFile/>");
    EXPECT_EQ(FruitCatalogue::Get().PickAny(random, false, 1), -1);
    EXPECT_EQ(FruitCatalogue::Get().PickSmallFruit(random, false, 1), -1);
}

TEST(FruitCatalogue, PicksFollowWeightsAndCatalogueOrder) {
    Load("<fruitInfoFile><FruitInfo name=\"pineapple\" chance=\"1\"/><FruitInfo name=\"apple\" chance=\"0\"/>"
         "<FruitInfo name=\"banana\" chance=\"3\"/><FruitInfo name=\"coin\" chance=\"50\" coins=\"2\"/>"
         "</fruitInfoFile>");
    FruitCatalogue& catalogue = FruitCatalogue::Get();
    Random random;
    int counts[4] = {};
    for (int i = 0; i < 4000; ++i) {
        ++counts[catalogue.PickAny(random, false, 0)];
    }
    EXPECT_EQ(counts[1], 0);  // weight 0
    EXPECT_EQ(counts[3], 0);  // carries coins; coin flag 0
    EXPECT_NEAR(counts[2] / 4000.0, 0.75, 0.04);
    // Large fruit: the totals of the first pick (over every kind) stay, so
    // most draws miss both and fall to the uniform choice, which is the
    // first candidate in catalogue order: pineapple, not banana.
    int large[4] = {};
    for (int i = 0; i < 2000; ++i) {
        ++large[catalogue.PickLargeFruit(random, false, 1)];
    }
    EXPECT_GT(large[0], large[2]);
    EXPECT_GT(large[2], 0);
    EXPECT_EQ(large[1] + large[3], 0);
}

TEST(FruitCatalogue, BundledListHasTheSampleKinds) {
    std::string path = VARNOK_SOURCE_DIR "/data/xml/fruitlist.xml";
    FILE* file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::string text;
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0) {
        text.append(buffer, read);
    }
    fclose(file);
    LogCapture log;
    Load(text);
    EXPECT_EQ(log.Take(), "");
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    for (const char* name : {"apple", "banana", "strawberry", "kiwifruit", "lime", "watermelon", "pineapple",
                             "bean"}) {
        SCOPED_TRACE(name);
        const int kind = catalogue.IndexOf(name, 0);
        ASSERT_GE(kind, 0);
        EXPECT_GT(catalogue.At(kind).chance, 0);
    }
    EXPECT_GT(catalogue.BombCollision(), 0.0f);
    EXPECT_FALSE(catalogue.At(catalogue.IndexOf("bean", 0)).canBeCritical);
}

}  // namespace
}  // namespace Varnok
