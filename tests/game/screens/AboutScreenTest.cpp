// The about screen's credit keys and its version text.
#include "game/screens/AboutScreen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace Varnok {
namespace {

TEST(AboutScreen, CreditKeysAndPageCounts) {
    EXPECT_EQ(AboutScreen::CreditKey(0), "CREDIT_000");
    EXPECT_EQ(AboutScreen::CreditKey(11), "CREDIT_011");
    // Every page has its own key, past 99 too.
    EXPECT_EQ(AboutScreen::CreditKey(100), "CREDIT_100");
    EXPECT_EQ(AboutScreen::CreditKey(1234), "CREDIT_1234");

    const std::pair<const char*, int> counts[] = {
        {"12", 12}, {"12 pages", 12}, {"pages", 0}, {"-3", 0}, {"", 0}, {nullptr, 0}, {"2000000000", 1000}};
    for (const auto& [text, pages] : counts) {
        EXPECT_EQ(AboutScreen::CreditPageCount(text), pages) << (text != nullptr ? text : "(null)");
    }
}

TEST(AboutScreen, VersionTextOnlyFromAVersionAttribute) {
    const std::pair<std::string, std::string> cases[] = {
        {"<VersionNumber version=\"1.2.3\"/>", "version: 1.2.3"},
        {"<VersionNumber/>", ""},
        {"<Other version=\"1\"/>", ""},
        {"<VersionNumber version=\"1\"", ""},
        {"", ""},
    };
    for (const auto& [xml, text] : cases) {
        EXPECT_EQ(AboutScreen::VersionTextFromBytes(xml.data(), xml.size()), text) << xml;
    }
}

TEST(AboutScreen, TheBuildWritesItsNumberIntoTheBundle) {
    std::ifstream in(std::string(VARNOK_BUNDLE_DIR) + "/" + AboutScreen::kBuildNumberFile, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    EXPECT_EQ(AboutScreen::VersionTextFromBytes(text.data(), text.size()).rfind("version: 1.0.0.", 0), 0u) << text;
}

}  // namespace
}  // namespace Varnok
