// The item catalogue: locks decided at load, the item save's round trip,
// unlocks that outlive a restart, the sound sets' choice and spacing, and
// bad catalogues and saves.
#include "game/rules/Items.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameRecord.h"
#include "game/rules/UnlockQueue.h"
#include "game/screens/ShopScreen.h"
#include "game/world/BladeColours.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

std::string ReadSource(const char* relative) {
    std::ifstream in(std::string(VARNOK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Played {
    std::string name;
    float mix;
    float volume;
    float at;
};
std::vector<Played>* g_played = nullptr;
float g_now = 0.0f;
void Record(const char* name, float mix, float volume) {
    if (g_played != nullptr) {
        g_played->push_back({name, mix, volume, g_now});
    }
}

// The sample achievement list and catalogue over a fresh statistics store.
class ItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameRecord& game = GetGameRecord();
        m_savedStats = game.stats;
        game.stats = &stats;
        game.coins = game.coinsEarned = game.coinsAtRoundStart = 0;
        g_played = &played;
        g_now = 0.0f;
        ItemManager::SetSoundSink(&Record);
        items().SetNewItemListener(&ShopScreen::ForgetScrollPosition);
        ShopScreen::RememberScrollPosition(0.3f);
        Load(nullptr);
    }
    void TearDown() override {
        ItemManager::SetSoundSink(nullptr);
        items().SetNewItemListener(nullptr);
        g_played = nullptr;
        items().DestroyItems();
        AchievementManager::Instance().Clear();
        GetGameRecord().stats = m_savedStats;
    }
    // A start: the list, then the catalogue with the save text (or none).
    void Load(const std::string* save) {
        const std::string list = ReadSource("data/xml/achievementList.xml");
        AchievementManager::Instance().LoadFromText(list.c_str(), list.size());
        const std::string catalogue = ReadSource("data/xml/itemList.xml");
        TiXmlDocument catalogueDocument;
        catalogueDocument.Parse(catalogue.c_str());
        TiXmlDocument saveDocument;
        if (save != nullptr) {
            saveDocument.Parse(save->c_str());
        }
        items().LoadFromDocuments(catalogueDocument, save != nullptr ? &saveDocument : nullptr);
    }
    std::string SaveText() const {
        TiXmlDocument document;
        items().WriteSave(document);
        TiXmlPrinter printer;
        document.Accept(&printer);
        return printer.CStr();
    }
    static ItemManager& items() { return ItemManager::Instance(); }
    static Item& item(const char* name) { return *items().FindItem(Hash(name)); }

    GameStats stats;
    std::vector<Played> played;

private:
    GameStats* m_savedStats = nullptr;
};

TEST_F(ItemsTest, LocksAreDecidedAtLoad) {
    ASSERT_EQ(items().Items().size(), 5u);
    EXPECT_EQ(item("blade_classic").lockCount, 0);  // free: no requirements
    EXPECT_EQ(item("bg_classic").lockCount, 0);
    EXPECT_EQ(item("blade_ember").lockCount, 1);  // waits for its entry to fire
    // Requirements with no entry: the player's at once, and new.
    EXPECT_EQ(item("bg_dojo").lockCount, -1);
    EXPECT_FALSE(item("bg_dojo").seen);
    EXPECT_EQ(item("remove_ads").lockCount, -1);
    EXPECT_TRUE(items().HasUnseenItems());
    EXPECT_EQ(items().CountUnlocked(), 4);
    // The first blade and background are the defaults; no ad-removal default.
    EXPECT_EQ(items().Equipped(kItemSlashModifier), &item("blade_classic"));
    EXPECT_EQ(items().Equipped(kItemBackground), &item("bg_classic"));
    EXPECT_EQ(items().Equipped(kItemRemoveAds), nullptr);
    // A new item sends the shop back to the top of its list.
    EXPECT_EQ(ShopScreen::RememberedScrollPosition(), ShopScreen::kUnsetScroll);
}

TEST_F(ItemsTest, TheSaveKeepsBoughtAndEquippedItemsButNeverFreeOnes) {
    GetGameRecord().coins = 40;
    GetGameRecord().coinsEarned = 90;
    GetGameRecord().coinsAtRoundStart = 35;
    ASSERT_TRUE(items().UnlockItem(Hash("blade_ember")));
    ASSERT_TRUE(items().EquipByHash(Hash("blade_ember")));
    ASSERT_TRUE(items().EquipByHash(Hash("bg_dojo")));
    EXPECT_FALSE(items().UnlockItem(Hash("no_such_item")));
    const std::string saved = SaveText();
    EXPECT_EQ(saved.find("\"blade_classic\""), std::string::npos);
    EXPECT_EQ(saved.find("\"bg_classic\""), std::string::npos);

    // The next run: a fresh store (the queue never saw the unlock), the save.
    GetGameRecord().coins = GetGameRecord().coinsEarned = GetGameRecord().coinsAtRoundStart = 0;
    Load(&saved);
    EXPECT_EQ(item("blade_ember").lockCount, -1);
    EXPECT_TRUE(item("blade_ember").seen);  // equipped items are seen
    EXPECT_EQ(items().Equipped(kItemSlashModifier), &item("blade_ember"));
    EXPECT_EQ(items().Equipped(kItemBackground), &item("bg_dojo"));
    EXPECT_EQ(GetGameRecord().coins, 40);
    EXPECT_EQ(GetGameRecord().coinsEarned, 90);
    EXPECT_EQ(GetGameRecord().coinsAtRoundStart, 35);
    EXPECT_EQ(GetBladeLook().paletteCount, 3);
    EXPECT_EQ(GetBladeLook().mode, kBladeColourPerSlash);
}

TEST_F(ItemsTest, AnUnlockFiredByItsEntryStaysAfterARestart) {
    stats.SetWatcher(&AchievementManager::Instance());
    stats.Add("best_combo", 5, 0, 1);
    stats.SetWatcher(nullptr);
    ASSERT_EQ(UnlockQueue::StateOf(stats, Hash("blade_ember")), UnlockQueue::kQueued);
    EXPECT_EQ(item("blade_ember").lockCount, 1);  // not before it fires
    UnlockQueue queue;
    queue.SetHost(&GameUnlockHost::Get());
    queue.Tick(stats, 0.02f, nullptr);
    EXPECT_EQ(item("blade_ember").lockCount, -1);
    queue.SetHost(nullptr);

    // No item save written: the store's queue alone brings it back.
    GameStats restarted = stats;
    GetGameRecord().stats = &restarted;
    Load(nullptr);
    EXPECT_EQ(item("blade_ember").lockCount, -1);
    GetGameRecord().stats = &stats;
}

TEST_F(ItemsTest, SavesNamingUnknownOrLockedItemsChangeNothingOfThem) {
    const std::string save =
        "<item_save_file coins=\"7\"><boughtItems><item name=\"\"/><item name=\"ghost\"/></boughtItems>"
        "<equippedItems><item name=\"blade_ember\"/><item name=\"ghost\"/></equippedItems></item_save_file>";
    Load(&save);
    EXPECT_EQ(GetGameRecord().coins, 7);
    EXPECT_EQ(item("blade_ember").lockCount, 1);
    EXPECT_EQ(items().Equipped(kItemSlashModifier), &item("blade_classic"));
    const std::string junk[] = {"", "<nope/>", "<item_save_file coins=\"x\"><boughtItems>"};
    for (const std::string& text : junk) {
        TestSupport::LogCapture log;
        items().ReadSaveText(text.c_str(), text.size());
        EXPECT_EQ(GetGameRecord().coins, 7) << text;
    }
}

TEST_F(ItemsTest, ARandomSetOfThreeAvoidingFiveKeepsTwo) {
    const SlashModifierItem& blade = static_cast<const SlashModifierItem&>(item("blade_classic"));
    EXPECT_EQ(blade.swipeSounds.Count(), 3);
    EXPECT_EQ(blade.swipeSounds.AvoidCount(), 2);
    SoundSet set = blade.swipeSounds;
    Random random;
    int repeats = 0;
    int last = -1;
    for (int i = 0; i < 300; ++i) {
        const int index = set.PickIndex(random);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 3);
        EXPECT_EQ(set.Recent()[0], index);
        repeats += index == last ? 1 : 0;
        last = index;
    }
    EXPECT_LT(repeats, 80);  // a plain draw repeats about 100 times in 300
}

TEST_F(ItemsTest, SwipesFasterThanTheSpacingPlayHalfASecondApart) {
    ASSERT_TRUE(items().PlaySwipeSound(0.7f));
    EXPECT_TRUE(items().PlaySwipeSound(0.7f));
    EXPECT_TRUE(items().PlaySwipeSound(0.7f));
    ASSERT_EQ(played.size(), 1u);
    constexpr float kStep = 1.0f / 60.0f;
    for (int frame = 1; frame <= 150; ++frame) {
        g_now = static_cast<float>(frame) * kStep;
        items().UpdateSounds(kStep);
    }
    ASSERT_EQ(played.size(), 3u);
    EXPECT_NEAR(played[1].at - played[0].at, 0.5f, 2 * kStep);
    EXPECT_NEAR(played[2].at - played[1].at, 0.5f, 2 * kStep);
    for (const Played& sound : played) {
        EXPECT_FLOAT_EQ(sound.mix, 0.7f);
        EXPECT_FLOAT_EQ(sound.volume, 0.8f);  // the set's volume
    }
    // In order, per sound volumes; the combo set clamps to its last sound.
    played.clear();
    ASSERT_TRUE(items().UnlockItem(Hash("blade_ember")));
    ASSERT_TRUE(items().EquipByHash(Hash("blade_ember")));
    items().PlayComboSound(9);
    items().PlaySwipeSound(1.0f);
    for (int frame = 0; frame < 40; ++frame) {
        items().UpdateSounds(kStep);
        items().PlaySwipeSound(1.0f);
    }
    ASSERT_GE(played.size(), 4u);
    EXPECT_EQ(played[0].name, "Combo-2");
    EXPECT_EQ(played[1].name, "blade-fire-1");
    EXPECT_EQ(played[2].name, "blade-fire-2");
    EXPECT_EQ(played[3].name, "blade-fire-3");
    EXPECT_FLOAT_EQ(played[3].volume, 0.6f);
}

TEST(ItemCatalogue, BadCataloguesLeaveNoItemsAndTheDefaultBlade) {
    const char* bad[] = {"", "<root/>", "<itemManagerFile><item name=\"x\" type=\"HAT\"/></itemManagerFile>",
                         "<itemManagerFile><item type=\"BACKGROUND\"/>"};
    for (const char* text : bad) {
        TestSupport::LogCapture log;
        ItemManager::Instance().LoadCatalogueText(text, std::strlen(text));
        EXPECT_TRUE(ItemManager::Instance().Items().empty()) << text;
        EXPECT_FALSE(ItemManager::Instance().PlaySwipeSound(1.0f));
        EXPECT_FALSE(ItemManager::Instance().SpawnImpactParticles(Vector3{}));
    }
    // An over-long blade texture is refused, never overrun.
    const std::string longName(100, 't');
    const std::string text = "<itemManagerFile><item name=\"b\" type=\"SLASH_MODIFIER\"><slashModInfo texture=\"" +
                             longName + "\"/></item></itemManagerFile>";
    TestSupport::LogCapture log;
    ItemManager::Instance().LoadCatalogueText(text.c_str(), text.size());
    ASSERT_EQ(ItemManager::Instance().Items().size(), 1u);
    EXPECT_TRUE(static_cast<SlashModifierItem&>(*ItemManager::Instance().Items()[0]).bladeTexture.empty());
    EXPECT_NE(log.Take().find("refused"), std::string::npos);
    ItemManager::Instance().DestroyItems();
}

}  // namespace
}  // namespace Varnok
