#include "providers/Provider_Default/Provider_Default.h"

#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/Dialog.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"

#include <json/json.h>

namespace Varnok {

namespace {

ServiceManagerConfig* ConfigOf(ServiceManagerBackend* backend) {
    return backend != nullptr && backend->GetManager() != nullptr ? backend->GetManager()->GetConfig() : nullptr;
}

}  // namespace

// ---- The version check ----

VersionCheckService::VersionCheckService(ServiceManagerBackend* backend, const char* shortLinkBase)
    : m_backend(backend), m_shortLinkBase(shortLinkBase != nullptr ? shortLinkBase : "") {
    EventDispatcher::Get().Subscribe("OnMainMenu", EventListener(this, &VersionCheckService::Check));
    EventDispatcher::Get().Subscribe("OnInGameCheck", EventListener(this, &VersionCheckService::InGameCheck));
    PlatformEventHub::Get().background.Add(Delegate0<void>(this, &VersionCheckService::OnBackground));
    PlatformEventHub::Get().foreground.Add(Delegate0<void>(this, &VersionCheckService::OnForeground));
}

VersionCheckService::~VersionCheckService() {
    EventDispatcher::Get().Unsubscribe("OnMainMenu", EventListener(this, &VersionCheckService::Check));
    EventDispatcher::Get().Unsubscribe("OnInGameCheck", EventListener(this, &VersionCheckService::InGameCheck));
    PlatformEventHub::Get().background.Remove(Delegate0<void>(this, &VersionCheckService::OnBackground));
    PlatformEventHub::Get().foreground.Remove(Delegate0<void>(this, &VersionCheckService::OnForeground));
}

const AsciiString& VersionCheckService::GetLogData() const {
    static const AsciiString s_log("VersionCheckService");
    return s_log;
}

const AsciiString& VersionCheckService::GetProviderName() const {
    return Provider_Default::GetProviderName();
}

const AsciiString& VersionCheckService::GetCustomName() const {
    static const AsciiString s_none;
    return s_none;
}

UpdateState VersionCheckService::GetUpdateState() {
    const ServiceManagerConfig* config = ConfigOf(m_backend);
    return static_cast<UpdateState>(config != nullptr ? config->GetUpdateValue() : 0);
}

const char* VersionCheckService::GetUpdateUrl() {
    const ServiceManagerConfig* config = ConfigOf(m_backend);
    if (config == nullptr || !config->HasRemoteConfig()) {
        return nullptr;
    }
    const Json::Value* buildId = config->GetRemoteValue("buildId");
    if (buildId == nullptr || !buildId->isString() || buildId->asString().empty()) {
        return nullptr;
    }
    m_updateUrl = m_shortLinkBase + buildId->asString();
    return m_updateUrl.c_str();
}

void VersionCheckService::Check(const Event& /*event*/) {
    Run(false);
}

void VersionCheckService::InGameCheck(const Event& /*event*/) {
    Run(true);
}

void VersionCheckService::Run(bool inGame) {
    if (m_promptOpen) {
        return;
    }
    switch (static_cast<int>(GetUpdateState())) {
    case 0:
        SetServicesOnline(true);
        break;
    case 1:
        SetServicesOnline(true);
        ShowOptionalUpdatePrompt();
        break;
    case 2:
        SetServicesOnline(false);
        ShowOnlineUpdatePrompt();
        break;
    case 3:
        SetServicesOnline(false);
        if (inGame) {
            ShowOnlineUpdatePrompt();
        } else {
            ShowMandatoryUpdatePrompt();
        }
        break;
    default:
        break;
    }
}

void VersionCheckService::SetServicesOnline(bool online) {
    if (m_servicesOnline == online) {
        return;
    }
    m_servicesOnline = online;
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    if (manager == nullptr) {
        return;
    }
    for (const auto& entry : manager->GetAggregates()) {
        if (entry.first.Equals(IVersionServiceAggregate::GetServiceName())) {
            continue;
        }
        IService* aggregate = entry.second;
        for (int i = 0; i < aggregate->GetServiceCount(); ++i) {
            if (IService* service = aggregate->GetService(i)) {
                service->SetOnline(online);
            }
        }
    }
    for (int i = 0; i < manager->GetProviderCount(); ++i) {
        manager->GetProviderAt(i)->SetOnline(online);
    }
}

void VersionCheckService::ShowTwoButtonPrompt(const char* messageKey, const char* messageFallback) {
    if (GetServiceTime() < m_askLaterTime) {
        return;
    }
    m_promptOpen = true;
    const DialogCallback answer(this, &VersionCheckService::OnPromptAnswer);
    DialogManager::Get().ShowMessage2(FindVersionPromptText("UPDATE", "Update Available"),
                                      FindVersionPromptText(messageKey, messageFallback),
                                      FindVersionPromptText("UPGRADE_DOWNLOAD", "Download"), answer,
                                      FindVersionPromptText("UPGRADE_ASKLATER", "Ask me later"), answer,
                                      DialogManager::kOpenNow);
}

void VersionCheckService::ShowOptionalUpdatePrompt() {
    ShowTwoButtonPrompt("UPGRADE_NOT_MANDATORY",
                        "A newer version of the game is now available. Would you like to upgrade now?");
}

void VersionCheckService::ShowOnlineUpdatePrompt() {
    ShowTwoButtonPrompt("UPGRADE_NOT_MANDATORY_OFFLINE",
                        "A new version of the game is required to use online features. Would you like to "
                        "upgrade now?");
}

void VersionCheckService::ShowMandatoryUpdatePrompt() {
    m_promptOpen = true;
    DialogManager::Get().ShowMessage1(
        FindVersionPromptText("UPDATE", "Update Available"),
        FindVersionPromptText("UPGRADE_MANDATORY", "To continue playing, please download the latest version!"),
        FindVersionPromptText("UPGRADE_DOWNLOAD", "Download"),
        DialogCallback(this, &VersionCheckService::OnPromptAnswer), DialogManager::kOpenNow);
}

void VersionCheckService::OnPromptAnswer(int button) {
    m_promptOpen = false;
    if (button == 0) {
        if (GetUpdateState() == UpdateState::MandatoryUpdate) {
            ShowMandatoryUpdatePrompt();
        }
        if (const char* url = GetUpdateUrl()) {
            OpenUrl(url);
        }
        return;
    }
    m_askLaterTime = GetServiceTime() + kAskLaterSeconds;
}

void VersionCheckService::OnBackground() {
    m_backgroundTime = GetServiceTime();
}

void VersionCheckService::OnForeground() {
    if (GetServiceTime() - m_backgroundTime > kBackgroundCheckSeconds) {
        Check(Event(""));
    }
}

// ---- The provider ----

const AsciiString& Provider_Default::GetProviderName() {
    static const AsciiString s_name("Provider_Default");
    return s_name;
}

Provider_Default::Provider_Default(ServiceManagerBackend* backend) : m_backend(backend) {}

Provider_Default::~Provider_Default() {
    if (m_version != nullptr && m_backend != nullptr) {
        m_backend->RemoveService<IVersionService>(m_version.get());
    }
}

bool Provider_Default::Initialise() {
    std::string shortLink = kDefaultShortLinkBase;
    if (ServiceManagerConfig* config = ConfigOf(m_backend)) {
        if (const TiXmlElement* element = config->GetProviderConfigElement(GetName(), "shortLink")) {
            if (const char* value = element->Attribute("value")) {
                shortLink = value;
            }
        }
    }
    if (m_version != nullptr && m_backend != nullptr) {
        m_backend->RemoveService<IVersionService>(m_version.get());
    }
    m_version = std::make_unique<VersionCheckService>(m_backend, shortLink.c_str());
    const bool initialised = m_version->Initialise();
    if (initialised && m_backend != nullptr) {
        m_backend->AddService<IVersionService>(m_version.get());
        m_version->SetEnabled(true);
    }
    return initialised;
}

Provider_DefaultBuilder& Provider_DefaultBuilder::Get() {
    static Provider_DefaultBuilder s_builder;
    return s_builder;
}

IProvider* Provider_DefaultBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_Default(backend);
}

void InstallProvider_Default() {
    ServiceManager::SetDefaultProviderBuilder(&Provider_DefaultBuilder::Get());
}

}  // namespace Varnok
