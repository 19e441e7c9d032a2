// Loading ServiceManager.xml and preparing provider files on request.
#include "engine/services/ServiceManagerConfig.h"

#include "engine/core/Log.h"

#include <cstring>
#include <string>

namespace Varnok {

ServiceManagerConfig::ServiceManagerConfig(const char* folder, const ServiceDefines& defines)
    : m_defines(defines) {
    m_folder = AsciiString::ReplaceCharCopy(AsciiString(folder), '\\', '/');
    if (m_folder.IsEmpty() || m_folder[m_folder.Length() - 1] != '/') {
        m_folder.AppendChar('/');
    }
    const std::string path = std::string(m_folder.c_str()) + "ServiceManager.xml";
    if (!LoadServiceConfigDocument(m_document, path.c_str())) {
        return;
    }
    TiXmlElement* first = m_document.RootElement();
    if (first == nullptr) {
        return;
    }
    // Read before any filter is applied: a define inside a filter is not one.
    for (TiXmlElement* child = first->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (IsElementNamed(child, "filterDefine")) {
            const char* name = child->Attribute("name");
            const char* value = child->Attribute("value");
            if (name != nullptr && value != nullptr) {
                SetDefine(name, value);
            }
        }
    }
    if (!IsElementNamed(first, "serviceManager")) {
        Log("ServiceManagerConfig: %s has no \"serviceManager\" root element", path.c_str());
        return;
    }
    m_root = first;
    ApplyFilters(*m_root, m_defines);
    if (const TiXmlElement* remote = m_root->FirstChildElement("remoteConfig")) {
        m_remoteConfigName = remote->Attribute("value");
    }
}

ServiceManagerConfig::~ServiceManagerConfig() = default;

void ServiceManagerConfig::SetDefine(const char* name, const char* value) {
    if (name == nullptr || value == nullptr) {
        return;
    }
    m_defines[AsciiString(name)] = AsciiString(value);
}

bool ServiceManagerConfig::IsProviderDisabled(const char* builderName) const {
    if (m_root == nullptr || builderName == nullptr) {
        return false;
    }
    for (const TiXmlElement* child = m_root->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (!IsElementNamed(child, "disableProvider")) {
            continue;
        }
        const char* provider = child->Attribute("provider");
        if (provider != nullptr && std::strcmp(provider, builderName) == 0) {
            return true;
        }
    }
    return false;
}

TiXmlElement* ServiceManagerConfig::GetProviderConfig(const char* providerName) {
    if (providerName == nullptr) {
        return nullptr;
    }
    const AsciiString key(providerName);
    const auto cached = m_providerDocuments.find(key);
    if (cached != m_providerDocuments.end()) {
        return cached->second->RootElement();
    }
    const std::string folder = m_folder.c_str();
    const std::string path = folder + providerName + ".xml";
    auto document = std::make_unique<TiXmlDocument>();
    if (!LoadServiceConfigDocument(*document, path.c_str())) {
        return nullptr;
    }
    TiXmlElement* root = PrepareProviderDocument(*document, folder, path, m_defines);
    if (root == nullptr) {
        return nullptr;
    }
    m_providerDocuments.emplace(key, std::move(document));
    return root;
}

TiXmlElement* ServiceManagerConfig::GetProviderConfigElement(const char* providerName,
                                                             const char* elementName) {
    TiXmlElement* root = GetProviderConfig(providerName);
    if (root == nullptr || elementName == nullptr) {
        return nullptr;
    }
    for (TiXmlElement* child = root->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (IsElementNamed(child, elementName)) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace Varnok
