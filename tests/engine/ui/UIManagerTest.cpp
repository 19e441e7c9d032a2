#include "engine/ui/UIManager.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/text/FontManager.h"
#include "engine/text/TextBank.h"
#include "engine/ui/ComponentFactory.h"
#include "engine/ui/ComponentTimer.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tests/engine/ui/UITestSupport.h"
#include "tests/support/LogCapture.h"
#include "tools/make_stringtables/StrFileWriter.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using TestSupport::IsOneLogLineNaming;
using TestSupport::LogCapture;
using UITest::FakeHost;
using UITest::Make;

UIProjectSettings QuietSettings() {
    UIProjectSettings settings;
    settings.createsSimple2D = false;
    return settings;
}

// Shuts the manager down at the end of each test, whatever it initialised.
class Manager : public testing::Test {
protected:
    void TearDown() override {
        ui().Shutdown();
        ui().SetHost(nullptr);
    }
    static UIManager& ui() { return UIManager::Get(); }
};

TEST_F(Manager, SkusFallBackAlongTheirChains) {
    UIProjectSettings settings = QuietSettings();
    settings.skus[AsciiString("A")] = UISkuDefinition{AsciiString("A"), AsciiString("B"), 960, 640};
    settings.skus[AsciiString("B")] = UISkuDefinition{AsciiString("B"), AsciiString("~default"), 480, 320};
    settings.skus[AsciiString("~base")] = UISkuDefinition{AsciiString("~base"), AsciiString("gone"), 1, 1};
    ui().Init(settings, AsciiString("A"));
    UISkuDefinition* a = ui().FindSku(AsciiString("A"));
    UISkuDefinition* b = ui().FindSku(AsciiString("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(ui().GetActiveSku(), a);
    EXPECT_STREQ(ui().GetActiveSkuRecord().c_str(), "A");
    EXPECT_EQ(a->fallback, b);
    EXPECT_EQ(b->fallback, ui().GetDefaultSku());
    EXPECT_EQ(ui().FindSku(AsciiString("~DEFAULT")), ui().GetDefaultSku());
    EXPECT_STREQ(ui().GetDefaultSku()->fallbackName.c_str(), "!NULL!");
    EXPECT_EQ(ui().GetDefaultSku()->fallback, nullptr);
    EXPECT_EQ(ui().FindSku(AsciiString("~Base")), nullptr);
    EXPECT_NE(ui().GetPrimarySku(), nullptr);
    EXPECT_EQ(ui().GetPrimarySku()->fallback, nullptr);  // "gone" names no SKU
    EXPECT_FALSE(ui().HasSku(AsciiString("a")));
}

TEST_F(Manager, AnUnknownActiveSkuLeavesNone) {
    ui().Init(QuietSettings(), AsciiString("~iPhone"));
    EXPECT_EQ(ui().GetActiveSku(), nullptr);
    EXPECT_STREQ(ui().GetActiveSkuRecord().c_str(), "");
}

// A second Init after Shutdown builds the built-in SKU again.
TEST_F(Manager, InitAfterShutdownRecreatesTheDefaultSku) {
    ui().Init(QuietSettings(), AsciiString("~base"));
    EXPECT_NE(ui().GetRoot(), nullptr);
    ui().Shutdown();
    EXPECT_EQ(ui().GetDefaultSku(), nullptr);
    EXPECT_EQ(ui().GetRoot(), nullptr);
    EXPECT_TRUE(ui().IsInitialised());
    ui().Init(QuietSettings(), AsciiString("~default"));
    ASSERT_NE(ui().GetDefaultSku(), nullptr);
    EXPECT_EQ(ui().GetActiveSku(), ui().GetDefaultSku());
    EXPECT_STREQ(ui().GetRoot()->GetId().c_str(), "$ROOT$");
    EXPECT_STREQ(ui().GetRoot()->GetPath().c_str(), "$ROOT$");
}

TEST_F(Manager, TheLanguageSuffixComesFromTheDeviceOrTheDefaultLanguage) {
    const struct {
        const char* device;
        const char* defaultLanguage;
        const char* suffix;
    } cases[] = {
        {"fr", "en", "F"},
        {"de", "en", ""},      // neither in the table: unchanged
        {"de", "es", "Spanish"},
        {"", "fr", "F"},
        {"FR", "", ""},        // keys are exact
    };
    FakeHost host;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        host.language = c.device;
        UIProjectSettings settings = QuietSettings();
        settings.languages[AsciiString("fr")] = AsciiString("F");
        settings.languages[AsciiString("es")] = AsciiString("Spanish");
        settings.defaultLanguage = c.defaultLanguage;
        ui().SetLanguageSuffix(AsciiString::Empty());
        ui().SetHost(&host);
        ui().Init(settings, AsciiString("~base"));
        EXPECT_STREQ(ui().GetLanguageSuffix().c_str(), c.suffix);
        ui().Shutdown();
    }
    EXPECT_EQ(host.setUpCalls, 5);
    EXPECT_TRUE(host.keyboardReady);
}

class StringTables : public Manager {
protected:
    void SetUp() override {
        Write("stringtables/menu_header.str", StrFile::WriteKeyFile("menu", menu));
        Write("stringtables/menu_F.str", StrFile::WriteStringFile("menu", menuFrench));
        Write("stringtables/menu_English.str", StrFile::WriteStringFile("menu", menu));
        Write("stringtables/game_header.str", StrFile::WriteKeyFile("game", game));
        Write("stringtables/game_English.str", StrFile::WriteStringFile("game", game));
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_dir.Path().c_str(), true), FileSystemKey("uitest"), 50);
    }
    void TearDown() override {
        Manager::TearDown();
        FileSystemRegistry::Get().Remove(m_mounted);
    }
    void Write(const char* name, const std::vector<uint8_t>& bytes) {
        VarnokTest::WriteHostFile(m_dir / name, std::string(bytes.begin(), bytes.end()));
    }

    const StrFile::Texts menu = {{"PLAY", "Play"}, {"QUIT", "Quit"}};
    const StrFile::Texts menuFrench = {{"PLAY", "Jouer"}, {"QUIT", "Quitter"}};
    const StrFile::Texts game = {{"SCORE", "Score"}};
    VarnokTest::TempDir m_dir;
    FileSystem* m_mounted = nullptr;
};

TEST_F(StringTables, TheDefaultTableBecomesTheGameTable) {
    FakeHost host;
    host.language = "fr";
    UIProjectSettings settings = QuietSettings();
    settings.languages[AsciiString("fr")] = AsciiString("F");
    settings.stringTables = {AsciiString("menu"), AsciiString("game")};
    settings.defaultStringTable = AsciiString("GAME");
    ui().SetHost(&host);
    ui().Init(settings, AsciiString("~base"));
    TextBank* gameTable = ui().FindStringTable(AsciiString("game"));
    ASSERT_NE(gameTable, nullptr);
    EXPECT_EQ(ui().GetGameStringTable(), gameTable);
    EXPECT_STREQ(gameTable->FindText("SCORE"), "Score");  // no "_F" file: English
    TextBank* menuTable = ui().FindStringTable(AsciiString("menu"));
    ASSERT_NE(menuTable, nullptr);
    EXPECT_STREQ(menuTable->FindText("PLAY"), "Jouer");
    EXPECT_EQ(ui().FindStringTable(AsciiString("Menu")), nullptr);

    TextBank* again = nullptr;
    EXPECT_EQ(ui().LoadStringTable(AsciiString("menu"), &again), 0);
    EXPECT_EQ(again, menuTable);
    ui().Shutdown();
    EXPECT_EQ(ui().GetGameStringTable(), nullptr);  // deleted with its table
    EXPECT_EQ(ui().FindStringTable(AsciiString("game")), nullptr);
}

TEST_F(StringTables, AMissingTableIsStoredEmpty) {
    ui().Init(QuietSettings(), AsciiString("~base"));
    TextBank* table = nullptr;
    LogCapture log;
    EXPECT_EQ(ui().LoadStringTable(AsciiString("absent"), &table), 1);
    EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "TextBank", "absent_header.str"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(ui().FindStringTable(AsciiString("absent")), table);
    EXPECT_EQ(table->GetKeyCount(), 0u);
}

TEST(UIManagerFontScale, FollowsTheScreenAgainstTheWorkspace) {
    const Vector2 workspace{480, 320};
    EXPECT_EQ(UIManager::ComputeFontScale(Vector2{960, 640}, workspace), 2.0f);
    EXPECT_EQ(UIManager::ComputeFontScale(Vector2{480, 320}, workspace), 1.0f);
    EXPECT_EQ(UIManager::ComputeFontScale(Vector2{2048, 1536}, workspace), 4.0f);
    EXPECT_EQ(UIManager::ComputeFontScale(Vector2{320, 240}, workspace), 1.0f);
    EXPECT_EQ(UIManager::ComputeFontScale(Vector2{0, 0}, workspace), 1.0f);
    EXPECT_EQ(UIManager::ComputeFontScale(Vector2{960, 480}, workspace), 1.5f);
}

TEST_F(Manager, InitSetsTheFontScaleFromTheViewport) {
    UIProjectSettings settings = QuietSettings();
    settings.workspaceWidth = 320;  // the default viewport is 640 x 480
    settings.workspaceHeight = 240;
    ui().Init(settings, AsciiString("~base"));
    EXPECT_EQ(ui().GetScreenSize().x, 640.0f);
    EXPECT_EQ(FontManager::Get().GetTextScale(), 2.0f);
    EXPECT_EQ(ui().GetUniformViewportScale(), 2.0f);
}

class EarlyTimer final : public Component {};
class LateTimer final : public Component {};
class LocalTimer final : public Component {};

// Runs before the next test, whose early factory holds the name for the rest
// of the process.
TEST_F(Manager, TheLibraryTimerAnswersItsNameOnlyWhileNoClassHoldsIt) {
    const AsciiString name("ComponentTimer");
    ui().Init(QuietSettings(), AsciiString("~base"));
    // Asked through FindFactory, which leaves no entry under the name.
    const ComponentFactory* library = ui().FindFactory(name);
    ASSERT_NE(library, nullptr);
    std::unique_ptr<Component> made(library->Create());
    EXPECT_TRUE(made->IsKindOf(ComponentTimer::GetStaticClassInfo()));
    {
        ComponentFactoryOf<LocalTimer> local("ComponentTimer");  // after Init: still takes the name
        EXPECT_EQ(ui().FindFactory(name), &local);
        std::unique_ptr<Component> replaced(ui().FindFactory(name)->Create());
        EXPECT_NE(dynamic_cast<LocalTimer*>(replaced.get()), nullptr);
    }
    EXPECT_EQ(ui().FindFactory(name), library);
}

TEST_F(Manager, TheFirstFactoryOfANameStays) {
    static ComponentFactoryOf<EarlyTimer> s_early("ComponentTimer");
    ui().Init(QuietSettings(), AsciiString("~base"));
    static ComponentFactoryOf<LateTimer> s_late("ComponentTimer");
    EXPECT_EQ(ui().FindFactory(AsciiString("ComponentTimer")), &s_early);
    std::unique_ptr<Component> timer(ui().InstantiateClass(AsciiString("ComponentTimer")));
    EXPECT_NE(dynamic_cast<EarlyTimer*>(timer.get()), nullptr);
    EXPECT_NE(ui().FindDefinition(AsciiString("ComponentTimer")), nullptr);
}

TEST_F(Manager, ClassesWithoutFactoryUseTheirBaseChain) {
    ui().Init(QuietSettings(), AsciiString("~base"));
    ComponentDefinition* p = ui().GetDefinition(AsciiString("P"));
    p->SetBaseDefinition(ui().GetDefinition(AsciiString("ComponentScreen")));
    static ComponentFactoryOf<EarlyTimer> s_lateP("P");  // a null entry already holds P
    std::unique_ptr<Component> a(ui().InstantiateClass(AsciiString("P")));
    std::unique_ptr<Component> b(ui().InstantiateClass(AsciiString("P")));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetClassInfo().id, ComponentClassId::Screen);
    EXPECT_NE(a.get(), b.get());

    ComponentDefinition* loopA = ui().GetDefinition(AsciiString("LoopA"));
    ComponentDefinition* loopB = ui().GetDefinition(AsciiString("LoopB"));
    loopA->SetBaseDefinition(loopB);
    loopB->SetBaseDefinition(loopA);
    LogCapture log;
    EXPECT_EQ(ui().InstantiateClass(AsciiString("LoopA")), nullptr);
    EXPECT_EQ(ui().InstantiateClass(AsciiString("Nowhere")), nullptr);
    const std::string lines = log.Take();
    EXPECT_NE(lines.find("\"LoopA\""), std::string::npos);
    EXPECT_NE(lines.find("\"Nowhere\""), std::string::npos);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
}

TEST_F(Manager, ALockedFocusStaysUntilCleared) {
    ui().Init(QuietSettings(), AsciiString("~base"));
    Component* button = Make(ui().GetRoot(), "button");
    Component* other = Make(ui().GetRoot(), "other");
    ui().SetFocusLocked(button, true);
    ui().SetFocus(other);
    EXPECT_EQ(ui().GetFocus(), button);
    EXPECT_TRUE(ui().IsFocusLocked());
    ui().ClearFocus(other);  // not the holder: nothing
    EXPECT_EQ(ui().GetFocus(), button);
    ui().ClearFocus(button);
    EXPECT_FALSE(ui().IsFocusLocked());
    ui().SetFocus(other);
    EXPECT_EQ(ui().GetFocus(), other);

    // A holder marked deleted is dropped without a notice.
    ui().SetFocusLocked(button, false);
    ui().SetFocusLocked(other, true);
    other->SetDeleted(true);
    ui().SetFocus(button);
    EXPECT_EQ(ui().GetFocus(), button);
    other->SetDeleted(false);
}

TEST_F(Manager, TheSpriteBatchAndDefaultTextures) {
    UIProjectSettings settings;
    settings.defaultTexturePath = AsciiString("textures/kipui/none.tex");
    LogCapture log;
    ui().Init(settings, AsciiString("~base"));
    log.Take();
    EXPECT_EQ(SpriteLayerBatch::GetInstance().GetLayerCount(), 3);
    EXPECT_EQ(SpriteLayerBatch::GetInstance().GetTotalCapacity(), 2000 + 2000 + 1000);
    EXPECT_FALSE(ui().GetDefaultTexture(0));
    EXPECT_TRUE(ui().GetDefaultTexture(2));
    EXPECT_FALSE(ui().GetDefaultTexture(3));
    EXPECT_FALSE(ui().GetDefaultTexture(-1));
    const std::string blank = ui().GetDefaultTexture(2)->Describe().c_str();
    EXPECT_NE(blank.find("UIManager.blank(1, 1)"), std::string::npos) << blank;
    ui().Shutdown();
    EXPECT_EQ(SpriteLayerBatch::GetInstance().GetLayerCount(), 0);
    EXPECT_FALSE(ui().GetDefaultTexture(2));
}

TEST_F(Manager, ProjectQueries) {
    UIProjectSettings settings = QuietSettings();
    settings.rootPath = AsciiString("ui");
    settings.layers[AsciiString("hud")] = 2;
    settings.defaultLayer = 1;
    settings.defaultFontPath = AsciiString("fonts/a.ttf");
    ui().Init(settings, AsciiString("~base"));
    EXPECT_STREQ(ui().GetComponentsDirectory().c_str(), "ui/components/");
    EXPECT_EQ(ui().GetLayerByName(AsciiString("hud")), 2);
    EXPECT_EQ(ui().GetLayerByName(AsciiString("HUD")), -1);
    EXPECT_EQ(ui().GetDefaultLayer(), 1);
    EXPECT_STREQ(ui().GetDefaultFont().c_str(), "fonts/a.ttf");
    EXPECT_EQ(ui().GetWorkspaceSize().x, 480.0f);
    EXPECT_EQ(ui().GetViewportScale().y, 1.5f);

    UIScreenVersion version;
    EXPECT_TRUE(version.Parse("1.0.1"));
    EXPECT_STREQ(version.ToString().c_str(), "1.0.1");
    EXPECT_TRUE(version.Parse(""));
    EXPECT_STREQ(version.ToString().c_str(), "0.0.0");
    EXPECT_FALSE(version.Parse("1.2"));
    EXPECT_STREQ(version.ToString().c_str(), "0.0.0");
    EXPECT_STREQ(ui().GetCodeBuiltScreenVersion().ToString().c_str(), "1.0.1");
}

}  // namespace
}  // namespace Varnok
