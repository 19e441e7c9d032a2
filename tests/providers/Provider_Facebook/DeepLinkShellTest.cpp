// An app-request link opened through the application delegate before the
// first frame reaches the deep-link service that the game's set-up makes,
// and the graph answers then come on the frames the shell runs.
#include "providers/Provider_Facebook/DeepLinkService_Facebook.h"

#include "engine/iOS/LaunchUrl.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "platform/PlatformDisplay.h"
#include "tests/providers/Provider_Facebook/SocialFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace SocialTest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Heard {
    int deepLinks = 0;
    std::string sender;
    void On(const Varnok::DeepLinkOptions& options) {
        ++deepLinks;
        sender = options.options.at("sentFromFacebookName");
    }
};

Heard s_heard;
std::unique_ptr<Varnok::DeepLinkService_Facebook> s_service;

// A game whose set-up makes the deep-link service, as the provider's start
// does in the game's.
class SetUpGame final : public Varnok::VarnokGame {
public:
    static std::unique_ptr<Varnok::VarnokGame> Create() { return std::make_unique<SetUpGame>(); }
    void InitialiseStage1(void*, void*) override {}
    void Initialise(void*, void*) override {
        s_service = std::make_unique<Varnok::DeepLinkService_Facebook>();
        s_service->SetDeepLinkCallback(
            Varnok::IDeepLinkService::DeepLinkDelegate(&s_heard, &Heard::On));
    }
};

class FacebookDeepLinkShell : public SocialFixture {
protected:
    void TearDown() override {
        s_service.reset();  // before the process's dispatcher goes
        Varnok::VarnokGame::SetFactory(nullptr);
        SocialFixture::TearDown();
    }
};

TEST_F(FacebookDeepLinkShell, ALinkOpenedBeforeTheFirstFrameIsHandledAfterTheGameSetUp) {
    std::unique_ptr<Varnok::PlatformDisplay> display = Varnok::CreateHeadlessDisplay();
    Varnok::DisplayDef def;
    def.width = 64;
    def.height = 48;
    ASSERT_TRUE(display->Open(def)) << "no headless GL ES 2.0 context";
    Varnok::VarnokGame::SetFactory(&SetUpGame::Create);
    Varnok::ShellDef shell;
    shell.display = display.get();
    auto app = std::make_unique<Varnok::VarnokTouchAppDelegate>(shell);
    app->Launch(Varnok::LaunchOptions{});

    Client().SetGraphAnswer("GET", "222",
                            R"({"from":{"name":"Ann","id":"42"},"created_time":"t","to":{"id":"9"}})");
    // The first shell of the process holds the URL for the game's set-up;
    // after an earlier test has started delivery, the game must be up first.
    const bool held = !Varnok::LaunchUrlDispatcher::Get().IsReady();
    if (!held) {
        app->RunDisplayRefresh();
    }
    EXPECT_TRUE(app->InjectOpenedUrl(
        "fb123://authorize?expires_in=0&target_url=http%3A%2F%2Fx%2F%3Frequest_ids%3D111%2C222&ref=notif",
        "com.facebook.Facebook"));
    if (held) {
        EXPECT_THAT(Client().GetGraphCalls(), IsEmpty());
    }
    for (int refresh = 0; refresh < 10 && s_heard.deepLinks == 0; ++refresh) {
        app->RunDisplayRefresh();
    }
    for (int refresh = 0; refresh < 3; ++refresh) {
        app->RunDisplayRefresh();
    }
    EXPECT_EQ(s_heard.deepLinks, 1);
    EXPECT_EQ(s_heard.sender, "Ann");
    ASSERT_EQ(Client().GetGraphCalls().size(), 3u);
    EXPECT_EQ(Client().GetGraphCalls()[2].path, "222_9");

    app->applicationWillTerminate();
}

}  // namespace
}  // namespace SocialTest
