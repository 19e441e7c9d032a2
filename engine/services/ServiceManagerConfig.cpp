// Loading ServiceManager.xml and preparing provider files on request.
#include "engine/services/ServiceManagerConfig.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/services/IVersionService.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceManager.h"

#include <cstring>
#include <string>

namespace Varnok {

ServiceManagerConfig::ServiceManagerConfig(const char* folder, const ServiceDefines& defines,
                                           ServiceManager* manager)
    : m_defines(defines), m_manager(manager) {
    m_nextAttempt = GetServiceTime() + 1;
    Prepare(folder);
    LoadCachedRemoteConfig(GetRemoteConfigCacheName().c_str());
}

void ServiceManagerConfig::Prepare(const char* folder) {
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

ServiceManagerConfig::~ServiceManagerConfig() {
    if (m_fetch != nullptr) {
        // Its outstanding queries call back into it: they go first.
        DnsTxtResolver::Get().Clear();
    }
}

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

// ---- Remote configuration ----

namespace {

bool LoadSaveFile(const std::string& path, std::string& out) {
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!FileSystemRegistry::Get().Load(path.c_str(), &data, &length, FileSystemKey("save"), &owns)) {
        return false;
    }
    out.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    if (owns) {
        FreeFileData(data);
    }
    return true;
}

}  // namespace

std::string ServiceManagerConfig::GetRemoteConfigCacheName() const {
    std::string name(m_remoteConfigName.c_str(), static_cast<size_t>(m_remoteConfigName.Length()));
    while (!name.empty() && name.back() == '.') {
        name.pop_back();
    }
    return name;
}

const Json::Value* ServiceManagerConfig::GetRemoteValue(const char* key) const {
    if (m_remoteDocument == nullptr || key == nullptr) {
        return nullptr;
    }
    const Json::Value* member = m_remoteDocument->find(key, key + std::strlen(key));
    return member != nullptr && !member->isNull() ? member : nullptr;
}

void ServiceManagerConfig::LoadCachedRemoteConfig(const char* name) {
    if (name == nullptr || name[0] == '\0') {
        return;
    }
    std::string data;
    std::string signature;
    if (!LoadSaveFile(std::string(name) + ".dat", data) ||
        !LoadSaveFile(std::string(name) + ".sig", signature)) {
        return;
    }
    Json::Value document;
    if (!CheckRemoteConfig(data, signature, document)) {
        Log("ServiceManagerConfig: the cached remote configuration %s does not check out", name);
        return;
    }
    // Long past: the cached copy is refreshed as soon as a fetch may start.
    AdoptRemoteConfig(document, signature, 10);
}

void ServiceManagerConfig::AdoptRemoteConfig(const Json::Value& document, const std::string& signature,
                                             int64_t expiry) {
    m_remoteDocument = std::make_unique<Json::Value>(document);
    m_remoteExpiry = expiry;
    std::memcpy(m_keptSignature, signature.data(), kRemoteConfigSignatureSize);
    OnRemoteConfigChanged();
}

void ServiceManagerConfig::OnRemoteConfigChanged() {
    if (const Json::Value* update = GetRemoteValue("update")) {
        if (update->isInt()) {
            m_updateValue = update->asInt();
        }
    }
    if (m_manager == nullptr) {
        return;
    }
    const auto& aggregates = m_manager->GetAggregates();
    const auto found = aggregates.find(IVersionServiceAggregate::GetServiceName());
    if (found != aggregates.end()) {
        if (auto* version = dynamic_cast<IVersionServiceAggregate*>(found->second)) {
            version->OnRemoteConfigChanged();
        }
    }
}

void ServiceManagerConfig::StartRemoteConfigFetch() {
    if (m_remoteConfigName.IsEmpty()) {
        return;
    }
    if (m_remoteConfigName[m_remoteConfigName.Length() - 1] != '.') {
        m_remoteConfigName.AppendChar('.');
    }
    if (m_fetch != nullptr) {
        return;
    }
    m_fetch = std::make_unique<RemoteConfigFetch>(m_remoteConfigName, GetRemoteConfigCacheName(),
                                                  m_keptSignature);
    m_fetch->Start();
}

void ServiceManagerConfig::Update() {
    DnsTxtResolver::Get().Poll();
    if (m_fetch != nullptr) {
        switch (m_fetch->GetState()) {
        case RemoteConfigFetch::Running:
            m_fetch->Verify();
            break;
        case RemoteConfigFetch::Adopted: {
            std::unique_ptr<RemoteConfigFetch> done = std::move(m_fetch);
            AdoptRemoteConfig(done->GetDocument(), done->GetSignature(), done->GetExpiry());
            break;
        }
        case RemoteConfigFetch::Unchanged:
            m_remoteExpiry = m_fetch->GetExpiry();
            m_fetch.reset();
            break;
        case RemoteConfigFetch::Failed:
            m_fetch.reset();
            break;
        default:
            break;
        }
        return;
    }
    if (IsNetworkReachable() == kNetworkNotReachable) {
        return;
    }
    const int64_t now = GetServiceTime();
    if (m_remoteDocument != nullptr && now <= m_remoteExpiry + 5) {
        return;
    }
    if (now <= m_nextAttempt) {
        return;
    }
    m_nextAttempt = now + 5;
    StartRemoteConfigFetch();
}

}  // namespace Varnok
