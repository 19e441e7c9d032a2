#include "providers/Provider_Kontagent/KontagentAnalyticsService.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HttpRequestManager.h"
#include "engine/core/Log.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/User.h"
#include "engine/services/UserStore.h"
#include "providers/Provider_Kontagent/KontagentApiClient.h"
#include "providers/Provider_Kontagent/KontagentFiles.h"
#include "providers/Provider_Kontagent/KontagentKeys.h"
#include "providers/Provider_Kontagent/Provider_Kontagent.h"

namespace Varnok {
namespace {

// A string member of an object, or null.
const Json::Value* StringMember(const Json::Value& object, const char* name) {
    const Json::Value* member = FindKontagentMember(object, name);
    return member != nullptr && member->isString() ? member : nullptr;
}

}  // namespace

KontagentAnalyticsService::KontagentAnalyticsService(ServiceManagerBackend* backend)
    : m_backend(backend),
      m_customBuilder(backend != nullptr ? backend->GetManager() : nullptr),
      m_mtuBuilder(backend != nullptr ? backend->GetManager() : nullptr) {
    ActionBuilderRegistry::Get().Register(m_customBuilder);
    ActionBuilderRegistry::Get().Register(m_mtuBuilder);
}

KontagentAnalyticsService::~KontagentAnalyticsService() {
    m_eventBuilders.reset();
    ActionBuilderRegistry::Get().Unregister(m_customBuilder);
    ActionBuilderRegistry::Get().Unregister(m_mtuBuilder);
}

ServiceManager* KontagentAnalyticsService::Manager() const {
    return m_backend != nullptr ? m_backend->GetManager() : nullptr;
}

const AsciiString& KontagentAnalyticsService::GetLogData() const {
    static const AsciiString s_logData;
    return s_logData;
}

const AsciiString& KontagentAnalyticsService::GetProviderName() const {
    return Provider_Kontagent::GetProviderName();
}

const AsciiString& KontagentAnalyticsService::GetCustomName() const {
    static const AsciiString s_customName;
    return s_customName;
}

bool KontagentAnalyticsService::Initialise() {
    ServiceManager* manager = Manager();
    ServiceManagerConfig* config = manager != nullptr ? manager->GetConfig() : nullptr;
    const char* providerName = GetProviderName().c_str();
    if (config == nullptr || config->GetProviderConfig(providerName) == nullptr) {
        Log("KontagentAnalyticsService: no configuration %s.xml", providerName);
        return false;
    }
    m_httpManager = CreateHttpRequestManager();
    m_apiClient = std::make_unique<KontagentApiClient>(*m_httpManager);
    const TiXmlElement* element = config->GetProviderConfigElement(providerName, "IAnalyticsService");
    if (element == nullptr) {
        Log("KontagentAnalyticsService: %s.xml has no IAnalyticsService element", providerName);
        return false;
    }
    m_eventBuilders = std::make_unique<EventBuilderMap>();
    m_eventBuilders->Load(*element);

    m_usesOnlineId = manager->HasProvider(kOnlineProviderName);
    if (m_usesOnlineId && manager->GetUserStore() != nullptr && manager->GetUserStore()->GetSlotCount() > 0) {
        m_currentUser = manager->GetUserStore()->GetUserHandle(0);
    }
    const char* deviceId = DevicePropertyMap::Get(DevicePropertyMap::Instance(), DevicePropertyMap::kDeviceIdentifier);
    m_deviceId = deviceId != nullptr ? deviceId : "";
    m_deviceKey = KontagentDeviceKey(m_deviceId);
    m_deviceKeyText = KontagentKeyText(m_deviceKey);
    LoadPrecompiledRecords();
    return true;
}

void KontagentAnalyticsService::Update() {
    if (!IsOnline() || m_apiClient == nullptr) {
        return;
    }
    m_httpManager->Update();
    ServiceManager* manager = Manager();
    const ServiceManagerConfig* config = manager != nullptr ? manager->GetConfig() : nullptr;
    if (config != nullptr && config->HasRemoteConfig()) {
        if (const Json::Value* kontagent = config->GetRemoteValue("kontagent")) {
            const Json::Value* uri = StringMember(*kontagent, "uri");
            const Json::Value* key = StringMember(*kontagent, "key");
            if (uri != nullptr && key != nullptr) {
                m_apiClient->SetEndpoint(uri->asString(), key->asString());
            }
        }
    }
    m_apiClient->Flush();
    if (!m_installReported) {
        ReportInstall();
    }
    const int64_t now = GetServiceTime();
    if (m_nextHeartbeat < now) {
        m_nextHeartbeat = now + kHeartbeatSeconds;
        TrackPageRequest(KontagentPageRequest(), Json::Value());
        SendPrecompiledRecords();
    }
}

void KontagentAnalyticsService::ReportInstall() {
    if (!IsOnline()) {
        return;
    }
    if (!FileExists(kInstalledMarker, FileSystemKey("save"))) {
        TrackApplicationAdded(KontagentApplicationAdded(), Json::Value());
        if (!WriteKontagentFile(kInstalledMarker, std::string())) {
            Log("KontagentAnalyticsService: cannot write %s in \"save\"", kInstalledMarker);
        }
    }
    m_installReported = true;
}

void KontagentAnalyticsService::ReportUserInformation() {
    if (!IsOnline()) {
        return;
    }
    std::string version;
    if (const VarnokGame* game = VarnokGame::Get()) {
        version = game->GetVersionText();
    } else if (ServiceManager* manager = Manager()) {
        version = manager->GetVersion().c_str();  // a run without a game: tools and tests
    }
    ServiceManager* manager = Manager();
    const ServiceManagerConfig* config = manager != nullptr ? manager->GetConfig() : nullptr;
    if (const Json::Value* buildId = config != nullptr ? config->GetRemoteValue("buildId") : nullptr) {
        if (buildId->isString()) {
            version += ":" + buildId->asString();
        }
    }
    KontagentUserInformation information;
    information.os = "ios";
    information.manufacturer = "apple";
    information.model = DevicePropertyMap::Get(DevicePropertyMap::Instance(), DevicePropertyMap::kHardwareModel);
    information.productVersion = version.c_str();
    TrackUserInformation(information, Json::Value());
}

void KontagentAnalyticsService::TrackRevenue(const KontagentRevenue& revenue, const Json::Value& data) {
    Track(revenue.ToReport(), data);
}

void KontagentAnalyticsService::TrackCustomEvent(const KontagentCustomEvent& event, const Json::Value& data) {
    Track(event.ToReport(), data);
}

void KontagentAnalyticsService::TrackUserInformation(const KontagentUserInformation& information,
                                                     const Json::Value& data) {
    Track(information.ToReport(), data);
}

void KontagentAnalyticsService::TrackPageRequest(const KontagentPageRequest& page, const Json::Value& data) {
    Track(page.ToReport(), data);
}

void KontagentAnalyticsService::TrackApplicationAdded(const KontagentApplicationAdded& added,
                                                      const Json::Value& data) {
    Track(added.ToReport(), data);
}

void KontagentAnalyticsService::Track(const KontagentReport& report, const Json::Value& data) {
    if (!IsOnline() || m_apiClient == nullptr) {
        return;
    }
    if (!m_usesOnlineId) {
        m_apiClient->Send(KontagentCompletion(), m_deviceKeyText, report, data);
        return;
    }
    const char* onlineId = CurrentOnlineId();
    if (onlineId == nullptr) {
        StorePrecompiledRecord(MakeKontagentRecord(report, data));
        return;
    }
    m_apiClient->Send(KontagentCompletion(), KontagentKeyText(KontagentOnlineIdKey(onlineId)), report,
                      WithKontagentIdentity(data, m_deviceId, onlineId));
}

const char* KontagentAnalyticsService::CurrentOnlineId() const {
    User* user = m_currentUser.Get() != nullptr ? m_currentUser->GetUser() : nullptr;
    if (user == nullptr && Manager() != nullptr) {
        user = Manager()->GetCurrentUser();
    }
    const char* id = user != nullptr ? user->GetId(kOnlineIdKey) : nullptr;
    return id != nullptr && id[0] != '\0' ? id : nullptr;
}

void KontagentAnalyticsService::StorePrecompiledRecord(const Json::Value& record) {
    if (!m_precompiled.isArray()) {
        m_precompiled = Json::Value(Json::arrayValue);
    }
    m_precompiled.append(record);
    SavePrecompiledRecords();
}

void KontagentAnalyticsService::SendPrecompiledRecords() {
    if (!IsOnline() || !m_usesOnlineId || m_apiClient == nullptr) {
        return;
    }
    const char* onlineId = CurrentOnlineId();
    if (onlineId == nullptr || !m_precompiled.isArray() || m_precompiled.empty()) {
        return;
    }
    const std::string userKey = KontagentKeyText(KontagentOnlineIdKey(onlineId));
    for (const Json::Value& record : m_precompiled) {
        KontagentReport report;
        if (!ReadKontagentRecord(record, report)) {
            continue;
        }
        const Json::Value* data = FindKontagentMember(record, "AdditionalData");
        m_apiClient->Send(KontagentCompletion(), userKey, report,
                          WithKontagentIdentity(data != nullptr ? *data : Json::Value(), m_deviceId, onlineId));
    }
    m_precompiled = Json::Value(Json::arrayValue);
    SavePrecompiledRecords();
}

void KontagentAnalyticsService::LoadPrecompiledRecords() {
    std::string bytes;
    if (!ReadKontagentFile(kKontagentRecordsFile, bytes)) {
        return;
    }
    std::string fault;
    ParseKontagentRecords(bytes.data(), bytes.size(), m_precompiled, fault);
    if (!fault.empty()) {
        Log("KontagentAnalyticsService: %s: %s", kKontagentRecordsFile, fault.c_str());
    }
}

void KontagentAnalyticsService::SavePrecompiledRecords() {
    const bool saved = WriteKontagentFile(kKontagentRecordsFile, SerialiseKontagentRecords(m_precompiled));
    if (!saved && !m_recordsSaveFailing) {
        Log("KontagentAnalyticsService: cannot write %s in \"save\"; the records stay in memory",
            kKontagentRecordsFile);
    }
    m_recordsSaveFailing = !saved;
}

}  // namespace Varnok
