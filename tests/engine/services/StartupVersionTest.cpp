// Service manager start-up and update, and the version check of the default
// provider over a cached remote configuration.
#include "engine/core/Event.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/Dialog.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/UserStore.h"
#include "engine/text/TextBank.h"
#include "engine/ui/UIManager.h"
#include "tools/make_stringtables/StrFileWriter.h"
#include "providers/Provider_Default/Provider_Default.h"

#include "ServiceHarness.h"
#include "ServiceStubs.h"
#include "ServiceTestData.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using TestSupport::FakeNow;
using TestSupport::ServiceWorld;
using TestSupport::WriteHost;

constexpr const char* kName = "remoteconfig.varnok.test";

std::vector<std::string>* g_log = nullptr;

class NamedProvider final : public IProvider {
public:
    explicit NamedProvider(std::string name, bool initialises = true)
        : m_name(std::move(name)), m_initialises(initialises) {}
    bool Initialise() override {
        if (g_log != nullptr) {
            g_log->push_back("init " + m_name);
        }
        return m_initialises;
    }
    const char* GetName() const override { return m_name.c_str(); }
    void Update() override {
        if (g_log != nullptr) {
            g_log->push_back("update " + m_name);
        }
    }

private:
    std::string m_name;
    bool m_initialises;
};

class NamedBuilder final : public IProviderBuilder {
public:
    explicit NamedBuilder(std::string name, bool initialises = true)
        : m_name(std::move(name)), m_initialises(initialises) {}
    IProvider* CreateProvider(ServiceManagerBackend* /*backend*/) override {
        return new NamedProvider(m_name, m_initialises);
    }
    const char* GetName() const override { return m_name.c_str(); }

private:
    std::string m_name;
    bool m_initialises;
};

void CloseAllDialogs() {
    while (Dialog* shown = DialogManager::Get().GetShownDialog()) {
        DialogManager::Get().CloseDialog(shown);
    }
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallProvider_Default();
        CloseAllDialogs();
    }
    void TearDown() override {
        CloseAllDialogs();
        g_log = nullptr;
    }
    void WriteManagerXml(const std::string& body) {
        WriteHost(world.SavePath("Services/ServiceManager.xml"),
                  std::string("<serviceManager><remoteConfig value=\"") + kName + "\"/>" + body + "</serviceManager>");
    }
    // A cached configuration with this update level, then the game's start-up.
    void StartWithUpdate(int update, const char* buildId = "b-1") {
        const auto publication = TestSupport::Publish(
            "{\"update\":" + std::to_string(update) + ",\"buildId\":\"" + buildId + "\"}", kName);
        WriteHost(world.SavePath(std::string(kName) + ".dat"), publication.data);
        WriteHost(world.SavePath(std::string(kName) + ".sig"), publication.signature);
        WriteManagerXml("");
        manager.Initialise("Services", "1.0", TestSupport::IosPhoneDefines());
        manager.InitialiseProviders();
    }
    std::string ShownMessage() {
        Dialog* shown = DialogManager::Get().GetShownDialog();
        return shown != nullptr ? shown->GetMessage().c_str() : std::string();
    }
    void Answer(int button) {
        Dialog* shown = DialogManager::Get().GetShownDialog();
        ASSERT_NE(shown, nullptr);
        shown->OnButton(button);
        DialogManager::Get().CloseDialog(shown);
    }
    VersionCheckService* Version() {
        auto* provider = manager.GetProvider<Provider_Default>();
        return provider != nullptr ? provider->GetVersionService() : nullptr;
    }

    ServiceWorld world;
    ServiceManager manager;
};

TEST_F(StartupTest, UpdateBeforeInitialiseDoesNothingThenProvidersComeInTheGamesOrder) {
    std::vector<std::string> log;
    g_log = &log;
    manager.AddProvider(new NamedProvider("Early"));
    manager.GetProviderAt(0)->SetEnabled(true);
    manager.Update();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(manager.GetCurrentUser(), nullptr);
    manager.RemoveProvider("Early");

    WriteManagerXml("<disableProvider provider=\"Provider_Twitter\"/>");
    manager.Initialise("Services", "1.0", TestSupport::IosPhoneDefines());
    std::vector<std::unique_ptr<NamedBuilder>> builders;
    for (const char* name : {"Provider_GameCenter", "Provider_Kiplink", "Provider_Twitter", "Provider_Facebook",
                             "Provider_Kontagent", "Provider_MoPub"}) {
        builders.push_back(std::make_unique<NamedBuilder>(name, std::string(name) != "Provider_Facebook"));
        manager.AddProviderBuilder(*builders.back());
    }
    manager.InitialiseProviders();
    std::vector<std::string> order;
    for (int i = 0; i < manager.GetProviderCount(); ++i) {
        order.push_back(manager.GetProviderAt(i)->GetName());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Provider_Default", "Provider_GameCenter", "Provider_Kiplink",
                                               "Provider_Facebook", "Provider_Kontagent", "Provider_MoPub"}));
    ASSERT_NE(manager.GetCurrentUser(), nullptr);
    EXPECT_TRUE(manager.GetProviderAt(0)->IsEnabled());
    EXPECT_FALSE(manager.GetProviderAt(3)->IsEnabled());  // its Initialise failed

    log.clear();
    manager.Update();
    EXPECT_EQ(log, (std::vector<std::string>{"update Provider_GameCenter", "update Provider_Kiplink",
                                             "update Provider_Kontagent", "update Provider_MoPub"}));
}

TEST_F(StartupTest, AskLaterHoldsADayAndNoPromptOpensOverAnother) {
    StartWithUpdate(1);
    ASSERT_NE(Version(), nullptr);
    EXPECT_EQ(manager.GetServiceAggregate<IVersionService>()->GetUpdateState(), UpdateState::OptionalUpdate);
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    EXPECT_NE(ShownMessage().find("A newer version"), std::string::npos);
    EventDispatcher::Get().Fire(Event("OnMainMenu"));  // prompt open: nothing more
    EXPECT_EQ(DialogManager::Get().GetOpenCount(), 1);
    const int64_t answeredAt = FakeNow();
    Answer(1);
    EXPECT_EQ(Version()->GetAskLaterTime(), answeredAt + 86400);
    FakeNow() = answeredAt + 86399;
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    EXPECT_EQ(DialogManager::Get().GetShownDialog(), nullptr);
    FakeNow() = answeredAt + 86400;
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    EXPECT_NE(DialogManager::Get().GetShownDialog(), nullptr);
}

TEST_F(StartupTest, MandatoryAtTheMenuOnlineFeaturesInGameAndDownloadOpensTheLink) {
    StartWithUpdate(3, "build-7");
    std::vector<std::string> opened;
    static std::vector<std::string>* s_opened = nullptr;
    s_opened = &opened;
    SetUrlOpener([](const char* url) {
        s_opened->push_back(url);
        return true;
    });
    EventDispatcher::Get().Fire(Event("OnInGameCheck"));
    EXPECT_NE(ShownMessage().find("online features"), std::string::npos);
    Answer(1);
    FakeNow() += 86400;
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    EXPECT_EQ(ShownMessage(), "To continue playing, please download the latest version!");
    EXPECT_EQ(DialogManager::Get().GetShownDialog()->GetButtonCount(), 1);
    Answer(0);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://go.vellmarch.test/build-7"}));
    EXPECT_EQ(ShownMessage(), "To continue playing, please download the latest version!");  // back at once
    SetUrlOpener(nullptr);
}

TEST_F(StartupTest, ServicesOfflineOnceAndBackgroundChecksAfterMoreThan300Seconds) {
    StartWithUpdate(2);
    TestSupport::StubAnalytics analytics("Stub");
    manager.GetBackend().AddService<IAnalyticsService>(&analytics);
    analytics.SetEnabled(true);
    EventDispatcher::Get().Fire(Event("OnInGameCheck"));
    EXPECT_FALSE(analytics.IsOnline());
    EXPECT_FALSE(manager.GetProviderAt(0)->IsOnline());
    EXPECT_TRUE(Version()->IsOnline());  // the version services stay online
    Answer(1);

    FakeNow() += 86400;
    PlatformEventHub::Get().background.Invoke();
    FakeNow() += 300;
    PlatformEventHub::Get().foreground.Invoke();
    EXPECT_EQ(DialogManager::Get().GetShownDialog(), nullptr);
    PlatformEventHub::Get().background.Invoke();
    FakeNow() += 301;
    PlatformEventHub::Get().foreground.Invoke();
    EXPECT_NE(DialogManager::Get().GetShownDialog(), nullptr);
    manager.GetBackend().RemoveService<IAnalyticsService>(&analytics);
}

TEST_F(StartupTest, WithoutRemoteConfigurationNothingIsShownAndNoLinkExists) {
    WriteManagerXml("");
    manager.Initialise("Services", "1.0", TestSupport::IosPhoneDefines());
    manager.InitialiseProviders();
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    EXPECT_EQ(DialogManager::Get().GetShownDialog(), nullptr);
    EXPECT_EQ(Version()->GetUpdateUrl(), nullptr);
}

TEST_F(StartupTest, AnEmptyBuildIdGivesNoLink) {
    StartWithUpdate(1, "");
    EXPECT_EQ(Version()->GetUpdateUrl(), nullptr);
}

}  // namespace
}  // namespace Varnok

namespace Varnok {
namespace {

// The prompts take their texts from the "kiplink" table once the UI has it,
// key by key, with English for a key the table lacks.
TEST_F(StartupTest, PromptTextsComeFromTheKiplinkStringTable) {
    StrFile::Texts texts = {{"UPDATE", "Update ready"},
                            {"UPGRADE_DOWNLOAD", "Get it"},
                            {"UPGRADE_NOT_MANDATORY", "Newer build out"}};
    const std::vector<uint8_t> keys = StrFile::WriteKeyFile("kiplink", texts);
    const std::vector<uint8_t> strings = StrFile::WriteStringFile("kiplink", texts);
    auto* table = new TextBank();
    ASSERT_TRUE(table->LoadKeysFromBytes(keys.data(), keys.size(), "kiplink keys"));
    ASSERT_TRUE(table->LoadStringsFromBytes(strings.data(), strings.size(), "kiplink strings"));
    UIManager::Get().AddStringTable(AsciiString("kiplink"), UIStringTableEntry{table, true});
    StartWithUpdate(1);
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    Dialog* shown = DialogManager::Get().GetShownDialog();
    ASSERT_NE(shown, nullptr);
    EXPECT_STREQ(shown->GetTitle().c_str(), "Update ready");
    EXPECT_STREQ(shown->GetMessage().c_str(), "Newer build out");
    EXPECT_STREQ(shown->GetButton(0).label.c_str(), "Get it");
    EXPECT_STREQ(shown->GetButton(1).label.c_str(), "Ask me later");
}

}  // namespace
}  // namespace Varnok
