// The sample "uiPanes" screen, built from its file with the authored
// definitions: the swipe pane and the credits pane make their pages.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/ComponentCredits.h"
#include "engine/ui/ComponentSwipie.h"
#include "engine/ui/ComponentSwipiePage.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

class PanesScreen : public testing::Test {
protected:
    void SetUp() override {
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, false), FileSystemKey("sample"), 70);
        UIProjectSettings settings;
        ASSERT_EQ(0, UIProjectReader::Read("xml/TamberloFelis_skuLayout.xml", settings));
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        settings.stringTables.clear();
        ui().Init(settings, AsciiString("~iPhone"));
        const std::string text =
            VarnokTest::ReadHostFile(std::string(VARNOK_SOURCE_DATA_DIR) + "/ui/screens/uipanes.xml");
        std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml(text, "uipanes");
        ASSERT_NE(desc, nullptr);
        const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        screen = ui().LoadScreenFromBytes(AsciiString("uiPanes"), bytes.data(), bytes.size());
        ASSERT_NE(screen, nullptr);
        screen->GetEnabledProperty()->Set(true);
    }
    void TearDown() override {
        ui().Shutdown();
        FileSystemRegistry::Get().Remove(m_mounted);
    }

    static UIManager& ui() { return UIManager::Get(); }

    Component* screen = nullptr;
    FileSystem* m_mounted = nullptr;
};

TEST_F(PanesScreen, BuildsItsPagesAndRestsOnTheFirst) {
    for (int i = 0; i < 30; ++i) {
        ui().Update(1.0f / 60.0f);
    }
    auto* swipie = static_cast<ComponentSwipie*>(screen->FindChild(AsciiString("swipie")));
    ASSERT_NE(swipie, nullptr);
    ASSERT_TRUE(swipie->IsKindOf(ComponentSwipie::GetStaticClassInfo()));
    ASSERT_EQ(swipie->GetPageCount(), 5);
    EXPECT_TRUE(swipie->GetPage(0)->IsActive());
    EXPECT_NE(swipie->GetPage(0)->FindChild(AsciiString("card")), nullptr);
    EXPECT_EQ(swipie->GetState(), ComponentSwipie::Idle);
    EXPECT_NEAR(swipie->GetScrollPosition().x, 60.0f, 0.001f);  // page 0 centred in 240
    EXPECT_FALSE(swipie->GetPage(3)->IsEnabled());               // out of view

    auto* credits = static_cast<ComponentCredits*>(screen->FindChild(AsciiString("credits")));
    ASSERT_NE(credits, nullptr);
    ASSERT_EQ(credits->GetPageCount(), 3);
    EXPECT_EQ(credits->GetState(), ComponentCredits::AutoScrolling);
    EXPECT_LT(credits->GetScrollPosition().y, 240.0f);  // moving up from below the pane
}

}  // namespace
}  // namespace Varnok
