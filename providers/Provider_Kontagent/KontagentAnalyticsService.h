// Analytics over Kontagent: the install report, the device and user report,
// a page-request heartbeat every half minute, custom and revenue events from
// the configured event actions. Messages carry a key derived from the device
// id; with the online-service provider present they carry one derived from
// the player's "kpid" instead, and reports made before the player has one
// wait as records in "kontagent-precompiled.dat".
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/SmartPtr.h"
#include "engine/services/ActionBuilder.h"
#include "engine/services/IAnalyticsService.h"
#include "providers/Provider_Kontagent/KontagentActions.h"
#include "providers/Provider_Kontagent/KontagentReport.h"

#include <json/json.h>

#include <cstdint>
#include <memory>
#include <string>

namespace Varnok {

class HttpRequestManager;
class KontagentApiClient;
class ServiceManager;
class ServiceManagerBackend;
class UserHandleShare;

class KontagentAnalyticsService final : public IAnalyticsService {
public:
    static constexpr int64_t kHeartbeatSeconds = 30;  // ahead of the last heartbeat
    static constexpr const char* kInstalledMarker = "kontagent_app_installed";
    static constexpr const char* kOnlineProviderName = "Provider_Kiplink";
    static constexpr const char* kOnlineIdKey = "kpid";

    // Registers the "KontagentCustom" and "KontagentMTU" action factories
    // (they find this manager's service); the destructor takes them back.
    explicit KontagentAnalyticsService(ServiceManagerBackend* backend);
    ~KontagentAnalyticsService() override;

    // False without the provider's configuration file or its
    // "IAnalyticsService" element.
    bool Initialise() override;
    // Requests, endpoint, flush, install report, heartbeat; nothing offline.
    void Update() override;
    const AsciiString& GetLogData() const override;
    const AsciiString& GetProviderName() const override;
    const AsciiString& GetCustomName() const override;

    // "apa" once per installation (the marker file in "save" says it went).
    void ReportInstall() override;
    bool IsAvailable() override { return IsOnline(); }
    // "cpu": system, maker, model and the product version.
    void ReportUserInformation() override;

    // Nothing while offline. data may be null.
    void TrackRevenue(const KontagentRevenue& revenue, const Json::Value& data);
    void TrackCustomEvent(const KontagentCustomEvent& event, const Json::Value& data);
    void TrackUserInformation(const KontagentUserInformation& information, const Json::Value& data);
    void TrackPageRequest(const KontagentPageRequest& page, const Json::Value& data);
    void TrackApplicationAdded(const KontagentApplicationAdded& added, const Json::Value& data);

    // Appends the record and rewrites "kontagent-precompiled.dat".
    void StorePrecompiledRecord(const Json::Value& record);
    // Once the player has a "kpid": sends every record in order, then
    // empties them.
    void SendPrecompiledRecords();

    // Null before Initialise.
    KontagentApiClient* GetApiClient() const { return m_apiClient.get(); }
    const Json::Value& GetPrecompiledRecords() const { return m_precompiled; }
    const std::string& GetDeviceKeyText() const { return m_deviceKeyText; }
    bool UsesOnlineId() const { return m_usesOnlineId; }
    bool IsInstallReported() const { return m_installReported; }

private:
    void Track(const KontagentReport& report, const Json::Value& data);
    // The current player's non-empty "kpid", or null.
    const char* CurrentOnlineId() const;
    ServiceManager* Manager() const;
    void LoadPrecompiledRecords();
    void SavePrecompiledRecords();

    ServiceManagerBackend* m_backend;
    SmartPtr<UserHandleShare> m_currentUser;  // slot 0, with the online-service provider
    Json::Value m_precompiled;                // null, or an array of records
    std::unique_ptr<EventBuilderMap> m_eventBuilders;
    std::unique_ptr<HttpRequestManager> m_httpManager;
    std::unique_ptr<KontagentApiClient> m_apiClient;  // goes before the manager it uses
    bool m_installReported = false;
    bool m_usesOnlineId = false;
    uint64_t m_deviceKey = 0;
    std::string m_deviceKeyText;
    std::string m_deviceId;
    int64_t m_nextHeartbeat = 0;  // seconds of the service clock
    bool m_recordsSaveFailing = false;
    KontagentCustomBuilder m_customBuilder;
    KontagentMTUBuilder m_mtuBuilder;
};

}  // namespace Varnok
