// What a text component shows and how it places and clips without drawing:
// string-table lookups with their fallbacks and the rectangle test against
// a clipping outline.
#include "engine/ui/ComponentText.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/UIManager.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tests/engine/ui/UITestSupport.h"
#include "tools/make_stringtables/StrFileWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

using UITest::Make;

class TextLookup : public testing::Test {
protected:
    void SetUp() override {
        Write("stringtables/menu_header.str", StrFile::WriteKeyFile("menu", {{"PLAY", "Play"}}));
        Write("stringtables/menu_English.str", StrFile::WriteStringFile("menu", {{"PLAY", "Play"}}));
        Write("stringtables/game_header.str", StrFile::WriteKeyFile("game", {{"SCORE", "Score"}}));
        Write("stringtables/game_English.str", StrFile::WriteStringFile("game", {{"SCORE", "Score"}}));
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_dir.Path().c_str(), true), FileSystemKey("uitext"), 50);
    }
    void TearDown() override {
        UIManager::Get().Shutdown();
        FileSystemRegistry::Get().Remove(m_mounted);
    }
    void Write(const char* name, const std::vector<uint8_t>& bytes) {
        VarnokTest::WriteHostFile(m_dir / name, std::string(bytes.begin(), bytes.end()));
    }
    static void Start(bool withTables) {
        UIProjectSettings settings;
        settings.createsSimple2D = false;
        if (withTables) {
            settings.stringTables = {AsciiString("menu"), AsciiString("game")};
            settings.defaultStringTable = AsciiString("game");
        }
        UIManager::Get().Init(settings, AsciiString("~base"));
    }
    // A localised text on a screen that names table (or none).
    static std::string Shown(const char* table, const char* key, bool localise = true) {
        static int s_screens = 0;
        const std::string id = "screen" + std::to_string(s_screens++);
        auto* screen = Make<ComponentScreen>(UIManager::Get().GetRoot(), id.c_str());
        screen->GetOrAddProperty<AsciiString>(AsciiString("stringtable"), AsciiString())->Set(AsciiString(table));
        auto* text = Make<ComponentText>(screen, "text");
        text->FindProperty<bool>(AsciiString("localiseText"))->Set(localise);
        text->SetText(AsciiString(key));
        return text->GetDisplayText().c_str();
    }

private:
    VarnokTest::TempDir m_dir;
    FileSystem* m_mounted = nullptr;
};

TEST_F(TextLookup, KeysFallBackToTheGameTableOrSayWhatWentWrong) {
    Start(true);
    const struct {
        const char* table;
        const char* key;
        bool localise;
        const char* shown;
    } cases[] = {
        {"menu", "PLAY", true, "Play"},
        {"menu", "SCORE", true, "!! WRONG TABLE !!"},  // only the game's table has it
        {"menu", "NOPE", true, "STRING NOT FOUND"},
        {"", "SCORE", true, "Score"},      // no table named: the game's
        {"absent", "SCORE", true, "Score"},  // an unknown table: the game's
        {"", "NOPE", true, "STRING NOT FOUND"},
        {"menu", "", true, ""},            // nothing to look up
        {"menu", "SCORE", false, "SCORE"},  // not localised: as it stands
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "/" + c.key);
        EXPECT_EQ(Shown(c.table, c.key, c.localise), c.shown);
    }
}

TEST_F(TextLookup, WithoutAnyTableTheKeyShows) {
    Start(false);
    EXPECT_EQ(Shown("", "SCORE"), "SCORE");
}

TEST(TextClip, RectanglesAgainstAnOutline) {
    UIVertexList square(4);
    const float corners[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    for (int i = 0; i < 4; ++i) {
        square[i].x = corners[i][0];
        square[i].y = corners[i][1];
    }
    const struct {
        float rect[4];
        int expected;
    } cases[] = {
        {{10, 10, 90, 90}, ComponentText::kClipInside},
        {{0, 0, 100, 100}, ComponentText::kClipInside},  // on the edges counts as inside
        {{50, 50, 150, 90}, ComponentText::kClipPartly},
        {{120, 10, 150, 90}, ComponentText::kClipOutside},
        {{-50, -50, 150, 150}, ComponentText::kClipPartly},  // the outline lies inside the text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComponentText::ClassifyAgainstClip(c.rect, square), c.expected) << c.rect[0] << "," << c.rect[1];
    }
    EXPECT_EQ(ComponentText::ClassifyAgainstClip(cases[3].rect, UIVertexList{}), ComponentText::kClipInside);
}

}  // namespace
}  // namespace Varnok
