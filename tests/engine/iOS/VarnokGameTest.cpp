// The game base class's version, platform and answers.
#include "engine/iOS/VarnokGame.h"

#include "engine/iOS/GameVersion.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

class BareGame : public VarnokGame {
public:
    void InitialiseStage1(void*, void*) override {}
    void Initialise(void*, void*) override {}
};

TEST(VarnokGame, LeavesConstructionWithTheDefaultVersion) {
    BareGame game;
    EXPECT_STREQ(game.GetVersionText(), "1.0.0");
    EXPECT_EQ(game.GetVersionNumber(), 10000);
    EXPECT_STREQ(game.GetFormattedVersion(), "0001.00.00");
    EXPECT_STREQ(game.GetPlatformName(), "IPHONE");
    EXPECT_FALSE(game.IsFastHardware());
    EXPECT_TRUE(game.IsVersionSet());
    EXPECT_EQ(VarnokGame::Get(), &game);
}

// The reading itself is GameVersionTest's; here the game keeps the text and
// the parts, and its platform goes back to the default.
TEST(VarnokGame, SetVersionKeepsTheTextAndItsPartsAndResetsThePlatform) {
    for (const char* text : {"1.0.4", "2.13.5", "1.5", "", "99999999999.1"}) {
        SCOPED_TRACE(text);
        const GameVersion expected = ParseGameVersion(text);
        char formatted[VarnokGame::kVersionTextSize];
        FormatGameVersion(expected, formatted, sizeof(formatted));
        BareGame game;
        game.SetPlatform("iPhone 4", true);
        game.SetVersion(text);
        EXPECT_EQ(game.GetMajorVersion(), expected.major);
        EXPECT_EQ(game.GetMinorVersion(), expected.minor);
        EXPECT_EQ(game.GetPatchVersion(), expected.patch);
        EXPECT_EQ(game.GetVersionNumber(), expected.number);
        EXPECT_STREQ(game.GetFormattedVersion(), formatted);
        EXPECT_STREQ(game.GetVersionText(), text);
        // The platform goes back to its default; the shell sets it afterwards.
        EXPECT_STREQ(game.GetPlatformName(), "IPHONE");
        EXPECT_FALSE(game.IsFastHardware());
    }
    BareGame game;
    game.SetVersion("1.0.4");
    EXPECT_EQ(game.GetVersionNumber(), 10040);
    EXPECT_STREQ(game.GetFormattedVersion(), "0001.00.40");
    game.SetVersion(nullptr);  // ignored
    EXPECT_STREQ(game.GetVersionText(), "1.0.4");
}

TEST(VarnokGame, NamesOnlyTheThreeOldestModelsSlow) {
    BareGame game;
    for (const char* slow : {"iPhone 1G", "iPhone 3G", "iPod Touch 1G"}) {
        EXPECT_TRUE(game.IsSlowDevice(slow, "3.0")) << slow;
    }
    for (const char* fast : {"iPhone 3GS", "iPhone 4", "iPod Touch 2G", "x86_64", ""}) {
        EXPECT_FALSE(game.IsSlowDevice(fast, "3.0")) << fast;
    }
    EXPECT_FALSE(game.IsSlowDevice(nullptr, nullptr));
}

TEST(VarnokGame, FactoryMakesTheGameOrNothing) {
    VarnokGame::SetFactory(nullptr);
    EXPECT_EQ(VarnokGame::CreateFromFactory(), nullptr);
    VarnokGame::SetFactory([]() -> std::unique_ptr<VarnokGame> { return nullptr; });
    EXPECT_EQ(VarnokGame::CreateFromFactory(), nullptr);
    VarnokGame::SetFactory([]() -> std::unique_ptr<VarnokGame> { return std::make_unique<BareGame>(); });
    std::unique_ptr<VarnokGame> game = VarnokGame::CreateFromFactory();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(VarnokGame::Get(), game.get());
    game.reset();
    EXPECT_EQ(VarnokGame::Get(), nullptr);
    VarnokGame::SetFactory(nullptr);
}

}  // namespace
}  // namespace Varnok
