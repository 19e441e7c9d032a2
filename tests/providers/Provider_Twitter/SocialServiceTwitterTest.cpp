// Tweets through the composer stand-in (iOS 5.0 and later) and the web
// intent in the social client stand-in's web dialog (before).
#include "providers/Provider_Twitter/SocialService_Twitter.h"

#include "engine/core/DeviceSettings.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/services/ServiceManager.h"
#include "platform/FrameCapture.h"
#include "platform/TweetComposerStandIn.h"
#include "providers/Provider_Twitter/Provider_Twitter.h"
#include "providers/Provider_Twitter/TweetComposer.h"
#include "tests/providers/Provider_Facebook/SocialFixture.h"
#include "tests/providers/Provider_Facebook/StatusLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace SocialTest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using Varnok::TweetComposeResult;

class Tweets : public SocialFixture {
protected:
    void SetUp() override {
        SocialFixture::SetUp();
        m_composer = std::make_shared<Varnok::TweetComposerStandIn>();
        Varnok::SetTweetComposer(m_composer);
        SetSystemVersion("5.0");
    }
    void TearDown() override {
        Varnok::SetTweetComposer(nullptr);
        Varnok::SetDeviceSettings(Varnok::DeviceSettings());
        SocialFixture::TearDown();
    }
    static void SetSystemVersion(const char* version) {
        Varnok::DeviceSettings settings;
        settings.systemVersion = version;
        Varnok::SetDeviceSettings(settings);
    }
    // A 2x1 PNG (red, blue) in a fresh folder mounted as the bundle.
    std::string MakeBundleImage() {
        char pattern[] = "/tmp/tweet-bundle-XXXXXX";
        EXPECT_NE(mkdtemp(pattern), nullptr);
        m_bundle = pattern;
        const std::vector<uint8_t> rgba{255, 0, 0, 255, 0, 0, 255, 255};
        EXPECT_TRUE(Varnok::WritePng((m_bundle + "/share.png").c_str(), 2, 1, rgba));
        Varnok::FileSystemRegistry::Get().Clear();
        Varnok::FileSystemRegistry::Get().Add(
            std::make_unique<Varnok::DirectoryFileSystem>(m_bundle.c_str(), true),
            Varnok::FileSystemKey("base"), 0);
        return m_bundle + "/share.png";
    }
    void DropBundle() {
        Varnok::FileSystemRegistry::Get().Clear();
        std::error_code error;
        std::filesystem::remove_all(m_bundle, error);
    }

    Varnok::SocialService_Twitter m_service;
    std::shared_ptr<Varnok::TweetComposerStandIn> m_composer;
    std::string m_bundle;
};

TEST_F(Tweets, TheComposerHoldsTheMessageABlankAndTheLink) {
    m_service.PostMessage("I sliced 300", "http://go.test/app", "pic", "n", "c", "d", {});
    ASSERT_EQ(m_composer->GetShown().size(), 1u);
    EXPECT_EQ(m_composer->GetShown()[0].text, "I sliced 300 http://go.test/app");
    EXPECT_FALSE(m_composer->GetShown()[0].hasImage);
    EXPECT_THAT(Client().GetShownDialogs(), IsEmpty());
}

TEST_F(Tweets, ComposerResultsDifferForPlainAndImagePosts) {
    const std::string image = MakeBundleImage();
    const struct {
        TweetComposeResult result;
        int message;
        int withImage;
    } cases[] = {{TweetComposeResult::Cancelled, 1, 0}, {TweetComposeResult::Done, 2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.result));
        StatusLog log;
        m_composer->QueueAnswer(c.result);
        m_service.PostMessage("m", "l", nullptr, nullptr, nullptr, nullptr, log.Delegate());
        RunFrame();
        m_composer->QueueAnswer(c.result);
        m_service.PostImage("m", "l", "share.png", nullptr, nullptr, nullptr, log.Delegate());
        EXPECT_THAT(log.statuses, ElementsAre(c.message));  // nothing before the frame
        RunFrame();
        EXPECT_THAT(log.statuses, ElementsAre(c.message, c.withImage));
    }
    const auto& shown = m_composer->GetShown().back();
    ASSERT_TRUE(shown.hasImage);
    EXPECT_EQ(shown.image.width, 2);
    EXPECT_EQ(shown.image.height, 1);
    EXPECT_EQ(shown.image.rgba[0], 255);  // red first
    EXPECT_EQ(shown.image.rgba[6], 255);  // then blue
    // A host path reads the same file.
    Varnok::TweetImage byPath;
    EXPECT_TRUE(Varnok::LoadTweetImage(image.c_str(), byPath));
    EXPECT_EQ(byPath.rgba, shown.image.rgba);
    DropBundle();
}

TEST_F(Tweets, AMissingImageReportsZeroAtOnceAndTheComposerStillOpens) {
    StatusLog log;
    m_composer->QueueAnswer(TweetComposeResult::Done);
    m_service.PostImage("m", "l", "no-such.png", nullptr, nullptr, nullptr, log.Delegate());
    EXPECT_THAT(log.statuses, ElementsAre(0));
    ASSERT_EQ(m_composer->GetShown().size(), 1u);
    EXPECT_FALSE(m_composer->GetShown()[0].hasImage);
    RunFrame();
    EXPECT_THAT(log.statuses, ElementsAre(0, 2));
}

TEST_F(Tweets, WithoutARootViewControllerNothingHappens) {
    m_composer->SetHasRootViewController(false);
    StatusLog log;
    m_service.PostMessage("m", "l", nullptr, nullptr, nullptr, nullptr, log.Delegate());
    RunFrame();
    EXPECT_THAT(log.statuses, IsEmpty());
    EXPECT_THAT(m_composer->GetShown(), IsEmpty());
}

TEST_F(Tweets, BeforeFiveTheWebIntentOpensWithTextAndUrl) {
    SetSystemVersion("4.3");
    const struct {
        const char* what;
        Varnok::SocialDialogOutcome outcome;
        int status;
    } cases[] = {
        {"closed", {Varnok::SocialDialogResult::NotCompleted, false, "", false, ""}, 0},
        {"completed with a URL", {Varnok::SocialDialogResult::Completed, true, "https://x/complete", false, ""}, 0},
        {"failed", {Varnok::SocialDialogResult::NotCompleted, false, "", true, "offline"}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StatusLog log;
        Client().QueueDialogAnswer(c.outcome);
        m_service.PostMessage("hi", "http://l", nullptr, nullptr, nullptr, nullptr, log.Delegate());
        const auto& dialog = Client().GetShownDialogs().back();
        EXPECT_EQ(dialog.kind, Varnok::SocialClientStandIn::DialogKind::Web);
        EXPECT_NE(dialog.address.find("/intent/tweet"), std::string::npos);
        EXPECT_THAT(dialog.parameters, ElementsAre(Pair("text", "hi"), Pair("url", "http://l")));
        RunFrame();
        EXPECT_THAT(log.statuses, ElementsAre(c.status));  // once, though the dialog reports twice
    }
    EXPECT_THAT(m_composer->GetShown(), IsEmpty());
}

TEST_F(Tweets, BeforeFiveAnImagePostDoesNothing) {
    MakeBundleImage();
    SetSystemVersion("4.3");
    StatusLog log;
    m_service.PostImage("m", "l", "share.png", nullptr, nullptr, nullptr, log.Delegate());
    RunFrame();
    EXPECT_THAT(log.statuses, IsEmpty());
    EXPECT_THAT(m_composer->GetShown(), IsEmpty());
    EXPECT_THAT(Client().GetShownDialogs(), IsEmpty());
    DropBundle();
}

TEST_F(Tweets, TheComposerIsThereFromFiveOn) {
    const struct {
        const char* version;
        bool available;
    } cases[] = {{"4.3", false}, {"5.0", true}, {"6.1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        SetSystemVersion(c.version);
        EXPECT_EQ(m_service.HasNativeComposer(), c.available);
    }
}

TEST_F(Tweets, FriendRequestsAreNotOffered) {
    StatusLog log;
    const std::vector<std::string> ids{"1"};
    m_service.SendRequestToFriend("1", "t", "m", nullptr, {}, log.Delegate());
    m_service.SendRequestToFriends(ids, "t", "m", nullptr, {}, log.Delegate());
    m_service.SuggestRequestToFriends(ids, "t", "m", nullptr, {}, log.Delegate());
    m_service.SendRequestToFriends(nullptr, 0, "t", "m", nullptr, {}, log.Delegate());
    m_service.SuggestRequestToFriends(nullptr, 0, "t", "m", nullptr, {}, log.Delegate());
    EXPECT_THAT(log.statuses, ElementsAre(4, 4, 4, 4, 4));
    EXPECT_THAT(m_composer->GetShown(), IsEmpty());
    EXPECT_THAT(Client().GetShownDialogs(), IsEmpty());
}

TEST(TWWebDialogDelegate, KeepsItselfUntilTheDialogEndsAndReportsOnce) {
    int calls = 0;
    std::weak_ptr<Varnok::TWWebDialogDelegate> watch;
    {
        auto delegate = std::make_shared<Varnok::TWWebDialogDelegate>();
        delegate->SetHandler([&calls](int, const std::string*, const std::string*) { ++calls; });
        delegate->GoRetainYourself();
        delegate->GoRetainYourself();
        watch = delegate;
    }
    ASSERT_FALSE(watch.expired());
    watch.lock()->DialogNotCompletedWithUrl("x");  // reports, stays
    EXPECT_FALSE(watch.expired());
    watch.lock()->DialogNotCompleted();  // no second report; lets go
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(watch.expired());
}

TEST(Provider_Twitter, InitialiseRegistersAndEnablesTheService) {
    Varnok::ServiceManager manager;
    Varnok::IProvider* provider =
        Varnok::Provider_TwitterBuilder::Get().CreateProvider(&manager.GetBackend());
    manager.AddProvider(provider);
    ASSERT_TRUE(provider->Initialise());
    Varnok::ISocialService* social = manager.GetService<Varnok::ISocialService>("Provider_Twitter");
    ASSERT_NE(social, nullptr);
    EXPECT_TRUE(social->IsEnabled());
}

}  // namespace
}  // namespace SocialTest
