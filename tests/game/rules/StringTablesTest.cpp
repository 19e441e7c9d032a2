// The game's string tables over the bundle's own ".str" files: the language
// file by index, the English fall-back and keys that answer themselves.
#include "game/rules/StringTables.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/UIManager.h"
#include "game/rules/GameRecord.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Varnok {
namespace {

class StringTablesTest : public ::testing::Test {
protected:
    StringTablesTest() {
        m_bundle = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true), FileSystemKey("base"), 0);
    }
    ~StringTablesTest() override {
        StringTables::Release();
        GetGameRecord().languageIndex = 0;
        FileSystemRegistry::Get().Remove(m_bundle);
    }

    void LoadLanguage(int index) {
        GetGameRecord().languageIndex = static_cast<uint8_t>(index);
        StringTables::Init();
    }

    FileSystem* m_bundle;
};

TEST(StringTablesNames, LanguageFilesByIndex) {
    const struct {
        int index;
        const char* file;
    } cases[] = {{0, "english_us"},      {1, "english_uk"},  {2, "french"},
                 {14, "tradchinese"},    {15, "latin spanish"}, {17, "portuguese (pt)"},
                 {20, "arabic"},         {21, "english_us"},  {255, "english_us"}};
    for (const auto& c : cases) {
        EXPECT_STREQ(StringTables::LanguageFileName(c.index), c.file) << c.index;
    }
}

TEST_F(StringTablesTest, LatinSpanishLoadsItsOwnFile) {
    LoadLanguage(15);
    EXPECT_TRUE(StringTables::IsLoaded());
    EXPECT_STREQ(StringTables::Get("MODE_NEW_MODE"), "Desafío");
    EXPECT_EQ(UIManager::Get().GetGameStringTable(), &GetGameRecord().textBank);
    EXPECT_STREQ(UIManager::Get().GetLanguageSuffix().c_str(), "latin spanish");
}

TEST_F(StringTablesTest, MissingKeysAnswerThemselves) {
    LoadLanguage(0);
    EXPECT_STREQ(StringTables::Get("GAME_OVER"), "Game over");
    const char* key = "NO_SUCH_KEY";
    EXPECT_EQ(StringTables::Get(key), key);  // the very text passed in
    EXPECT_EQ(StringTables::Get("GAME_OVE"), std::string("GAME_OVE"));
    EXPECT_EQ(StringTables::Get(nullptr), nullptr);
}

TEST_F(StringTablesTest, ALanguageWithoutAFileFallsBackToEnglish) {
    LoadLanguage(21);
    EXPECT_STREQ(StringTables::Get("MODE_CLASSIC"), "Classic");
    TestSupport::LogCapture log;
    LoadLanguage(2);  // no French file: one refusal, then English
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "TextBank", "TamberloFelisRex_french.str"));
    EXPECT_STREQ(StringTables::Get("MODE_CLASSIC"), "Classic");
    EXPECT_STREQ(UIManager::Get().GetLanguageSuffix().c_str(), "french");
    LoadLanguage(12);  // loading again replaces the bank
    EXPECT_STREQ(StringTables::Get("MODE_CLASSIC"), "クラシック");
}

TEST_F(StringTablesTest, WithoutAnyFileEveryKeyAnswersItself) {
    FileSystemRegistry::Get().Remove(m_bundle);
    m_bundle = nullptr;
    TestSupport::LogCapture log;
    LoadLanguage(0);
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "TextBank", "TamberloFelisRex_header.str"));
    EXPECT_STREQ(StringTables::Get("GAME_OVER"), "GAME_OVER");
}

}  // namespace
}  // namespace Varnok
