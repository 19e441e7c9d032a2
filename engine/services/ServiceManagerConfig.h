// The service configuration: ServiceManager.xml and one file per provider
// (the provider's name followed by ".xml") in one folder, prepared once for
// the defines of this build and device. Made by the service manager and kept
// for the run; main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ServiceConfigDocument.h"

#include <tinyxml.h>

#include <map>
#include <memory>

namespace Varnok {

class ServiceManagerConfig {
public:
    // Reads ServiceManager.xml from the folder ("\" read as "/"): its
    // "filterDefine" elements join or replace the defines handed in, then the
    // filters of its "serviceManager" element are applied. A missing or
    // malformed file leaves no root (one log line) and the defines handed in.
    ServiceManagerConfig(const char* folder, const ServiceDefines& defines);
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

private:
    AsciiString m_folder;
    TiXmlDocument m_document;
    TiXmlElement* m_root = nullptr;  // inside m_document
    ServiceDefines m_defines;
    std::map<AsciiString, std::unique_ptr<TiXmlDocument>, AsciiStringLess> m_providerDocuments;
    AsciiString m_remoteConfigName;
};

}  // namespace Varnok
