// The service configuration: ServiceManager.xml and one file per provider
// (the provider's name followed by ".xml") in one folder, prepared once for
// the defines of this build and device. Made by the service manager and kept
// for the run; main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/RemoteConfig.h"
#include "engine/services/ServiceConfigDocument.h"

#include <json/json.h>
#include <tinyxml.h>

#include <map>
#include <memory>

namespace Varnok {

class ServiceManager;

class ServiceManagerConfig {
public:
    // Reads ServiceManager.xml from the folder ("\" read as "/"): its
    // "filterDefine" elements join or replace the defines handed in, then the
    // filters of its "serviceManager" element are applied. A missing or
    // malformed file leaves no root (one log line) and the defines handed in.
    // Then loads the remote configuration cached in "save" under the
    // "remoteConfig" name; an adopted one is told to the manager's version
    // services when there is a manager.
    ServiceManagerConfig(const char* folder, const ServiceDefines& defines,
                         ServiceManager* manager = nullptr);
    ~ServiceManagerConfig();
    ServiceManagerConfig(const ServiceManagerConfig&) = delete;
    ServiceManagerConfig& operator=(const ServiceManagerConfig&) = delete;

    // Ignored when either is null.
    void SetDefine(const char* name, const char* value);
    const ServiceDefines& GetDefines() const { return m_defines; }
    // Ends in "/".
    const AsciiString& GetFolder() const { return m_folder; }

    // The filtered "serviceManager" element, or null.
    TiXmlElement* GetRoot() const { return m_root; }
    // The "value" of the first "remoteConfig" element; empty without one.
    const AsciiString& GetRemoteConfigName() const { return m_remoteConfigName; }
    // Whether a "disableProvider" element names the builder exactly.
    bool IsProviderDisabled(const char* builderName) const;

    // The prepared "provider" element of the provider's file, or null. A file
    // that does not load is tried again on the next request. The elements
    // stay valid for the configuration's life.
    TiXmlElement* GetProviderConfig(const char* providerName);
    // The first child of that name under the provider's root, or null.
    TiXmlElement* GetProviderConfigElement(const char* providerName, const char* elementName);

    // ---- Remote configuration ----
    // The adopted document's top-level member, or null (no document, a null
    // key, a missing or null member).
    const Json::Value* GetRemoteValue(const char* key) const;
    bool HasRemoteConfig() const { return m_remoteDocument != nullptr; }
    // The last integer "update" of an adopted document; 0 until one.
    int GetUpdateValue() const { return m_updateValue; }
    // Steps the DNS client, the running fetch and its signature check, and
    // starts fetches: the first one over 2 s after construction, then at
    // most every 5 s while none is adopted or the adopted one is older than
    // its TTL plus 5 s; none while the network is unreachable.
    void Update();
    // Loads the pair name + ".dat"/".sig" from "save" (name without final ".").
    void LoadCachedRemoteConfig(const char* name);
    void StartRemoteConfigFetch();
    bool IsFetchingRemoteConfig() const { return m_fetch != nullptr; }
    int64_t GetRemoteConfigExpiry() const { return m_remoteExpiry; }
    const uint8_t* GetKeptSignature() const { return m_keptSignature; }
    // The cache pair's name: the configured name without final dots.
    std::string GetRemoteConfigCacheName() const;

private:
    // Reads ServiceManager.xml as the constructor describes.
    void Prepare(const char* folder);
    void AdoptRemoteConfig(const Json::Value& document, const std::string& signature, int64_t expiry);
    void OnRemoteConfigChanged();

    AsciiString m_folder;
    TiXmlDocument m_document;
    TiXmlElement* m_root = nullptr;  // inside m_document
    ServiceDefines m_defines;
    std::map<AsciiString, std::unique_ptr<TiXmlDocument>, AsciiStringLess> m_providerDocuments;
    AsciiString m_remoteConfigName;

    ServiceManager* m_manager = nullptr;
    uint8_t m_keptSignature[kRemoteConfigSignatureSize] = {};
    std::unique_ptr<Json::Value> m_remoteDocument;
    int64_t m_remoteExpiry = 0;
    int64_t m_nextAttempt = 0;
    std::unique_ptr<RemoteConfigFetch> m_fetch;
    int m_updateValue = 0;
};

}  // namespace Varnok
