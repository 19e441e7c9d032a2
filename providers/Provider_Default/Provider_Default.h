// The engine's own provider: it offers the version check, which reads the
// "update" level of the signed remote configuration and, at the main menu,
// in game and back from a long stay in the background, prompts for a newer
// build and takes the online services offline when the build is too old.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Event.h"
#include "engine/services/IVersionService.h"
#include "engine/services/ServiceModel.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Varnok {

class ServiceManagerBackend;

class VersionCheckService final : public IVersionService {
public:
    static constexpr int64_t kAskLaterSeconds = 86400;
    static constexpr int64_t kBackgroundCheckSeconds = 300;

    // Subscribes to "OnMainMenu", "OnInGameCheck" and the platform's
    // background and foreground notifications; the destructor unsubscribes.
    VersionCheckService(ServiceManagerBackend* backend, const char* shortLinkBase);
    ~VersionCheckService() override;

    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetLogData() const override;
    const AsciiString& GetProviderName() const override;
    const AsciiString& GetCustomName() const override;

    void OnRemoteConfigChanged() override {}
    UpdateState GetUpdateState() override;
    const char* GetUpdateUrl() override;

    // "OnMainMenu" and a return from the background.
    void Check(const Event& event);
    // "OnInGameCheck": a mandatory update prompts as the online-features one.
    void InGameCheck(const Event& event);
    void OnPromptAnswer(int button);

    bool IsPromptOpen() const { return m_promptOpen; }
    bool AreServicesOnline() const { return m_servicesOnline; }
    int64_t GetAskLaterTime() const { return m_askLaterTime; }

private:
    void Run(bool inGame);
    void SetServicesOnline(bool online);
    void ShowOptionalUpdatePrompt();
    void ShowOnlineUpdatePrompt();
    void ShowMandatoryUpdatePrompt();
    void ShowTwoButtonPrompt(const char* messageKey, const char* messageFallback);
    void OnBackground();
    void OnForeground();

    ServiceManagerBackend* m_backend;
    std::string m_shortLinkBase;
    std::string m_updateUrl;
    int64_t m_askLaterTime = 0;
    bool m_promptOpen = false;
    bool m_servicesOnline = true;
    int64_t m_backgroundTime = 0;
};

class Provider_Default final : public IProvider {
public:
    static const AsciiString& GetProviderName();
    // The short-link base of store pages when the provider's configuration
    // file names none ("shortLink" element, "value" attribute).
    static constexpr const char* kDefaultShortLinkBase = "https://go.vellmarch.test/";

    explicit Provider_Default(ServiceManagerBackend* backend);
    ~Provider_Default() override;

    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    void OnUserCreated(User* /*user*/) override {}
    void OnUserDestroyed(User* /*user*/) override {}
    void Update() override {}

    VersionCheckService* GetVersionService() const { return m_version.get(); }

private:
    ServiceManagerBackend* m_backend;
    std::unique_ptr<VersionCheckService> m_version;
};

class Provider_DefaultBuilder final : public IProviderBuilder {
public:
    static Provider_DefaultBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_Default::GetProviderName().c_str(); }
};

// Makes the service manager register Provider_Default in Initialise.
void InstallProvider_Default();

// The prompt's text for a key of the "kiplink" string table, or the English
// fallback when the table or the key is missing.
const char* FindVersionPromptText(const char* key, const char* fallback);

}  // namespace Varnok
