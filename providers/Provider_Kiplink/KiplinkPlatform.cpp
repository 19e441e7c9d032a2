#include "providers/Provider_Kiplink/KiplinkPlatform.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/NetworkAvailabilityMonitor.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstring>

namespace Varnok {

namespace {

// Library device-information kind to the engine's property key.
int PropertyKeyOf(int kind) {
    switch (kind) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 4: return 4;
    case 5: return 11;
    case 6: return 14;
    case 7: return 15;
    case 8: return 16;
    default: return 0;
    }
}

bool WritesOnly(int libraryMode) { return (libraryMode & (2 | 4 | 8)) != 0; }

}  // namespace

// ---- File ----

int KiplinkFile::EngineMode(int libraryMode) {
    int mode = 0;
    if (libraryMode & 2) {
        mode |= 1;
    }
    if (libraryMode & 4) {
        mode |= 4;
    }
    if (libraryMode & 8) {
        mode |= 2;
    }
    return mode;
}

KiplinkFile::KiplinkFile(const char* path, int libraryMode, uint32_t key) {
    if (path != nullptr) {
        m_stream = FileSystemRegistry::Get().Open(path, EngineMode(libraryMode), key);
    }
}

KiplinkFile::~KiplinkFile() { Close(); }

void KiplinkFile::Close() {
    if (m_stream) {
        m_stream->Close();
        m_stream.reset();
    }
}

uint64_t KiplinkFile::GetLength() {
    if (!m_stream) {
        return 0;
    }
    const int32_t length = m_stream->GetLength();
    return length > 0 ? static_cast<uint64_t>(length) : 0;
}

bool KiplinkFile::Seek(int64_t offset, int origin) {
    if (!m_stream) {
        return false;
    }
    const int engineOrigin = origin == 0 ? kSeekCurrent : origin == 2 ? kSeekEnd : kSeekStart;
    return m_stream->Seek(engineOrigin, static_cast<int32_t>(offset));
}

uint64_t KiplinkFile::Tell() {
    if (!m_stream) {
        return 0;
    }
    const int32_t position = m_stream->Tell();
    return position > 0 ? static_cast<uint64_t>(position) : 0;
}

uint32_t KiplinkFile::Read(uint32_t count, void* buffer, uint32_t capacity) {
    const uint32_t wanted = std::min(count, capacity);
    if (!m_stream || wanted > 0x7FFFFFFFu) {
        return 0;
    }
    return m_stream->Read(buffer, static_cast<int32_t>(wanted)) ? wanted : 0;
}

uint32_t KiplinkFile::Write(uint32_t count, const void* data) {
    if (!m_stream || count > 0x7FFFFFFFu) {
        return 0;
    }
    return m_stream->Write(data, static_cast<int32_t>(count)) ? count : 0;
}

// ---- Web request ----

Kiplink_WebRequest::Kiplink_WebRequest(KiplinkPlatform* platform, const char* url, int method)
    : m_platform(platform),
      m_request(std::make_unique<HttpRequest>(url != nullptr ? url : "",
                                              method == Kiplink::kWebRequestPost ? kHttpMethodPost
                                                                                 : kHttpMethodGet)) {
    m_request->SetTimeout(kTimeoutSeconds);
}

Kiplink_WebRequest::~Kiplink_WebRequest() { Close(); }

void Kiplink_WebRequest::Close() {
    m_request.reset();
    m_body.clear();
    m_body.shrink_to_fit();
    m_bodyLength = 0;
    m_readPosition = 0;
}

void Kiplink_WebRequest::AddHeader(const char* name, const char* value) {
    if (!m_request || name == nullptr || value == nullptr) {
        return;
    }
    const std::string line = std::string(name) + ":" + value;
    m_request->AddHeader(line.c_str());
}

void Kiplink_WebRequest::Send(const void* data, uint32_t length) {
    if (!m_request || m_platform == nullptr || m_status != Kiplink::kWebRequestNotSent) {
        return;
    }
    Reference();  // lives until its response, whoever drops it meanwhile
    if (length > 0) {
        m_request->AppendBody(data, static_cast<int>(length));
    }
    m_request->SetCallback(HttpCompletionDelegate(this, &Kiplink_WebRequest::OnResponse));
    m_platform->m_sent.insert(this);
    m_platform->m_http->StartRequest(*m_request);
    m_status = Kiplink::kWebRequestPending;
}

void Kiplink_WebRequest::OnResponse(HttpRequest* request, HttpResponse* response) {
    m_status = response != nullptr && response->GetStatusCode() == 200 ? Kiplink::kWebRequestDone
                                                                       : Kiplink::kWebRequestFailed;
    if (response != nullptr) {
        const auto size = static_cast<int>(response->GetBody().size());
        m_body.resize(static_cast<size_t>(size));
        m_readPosition = 0;
        m_bodyLength = size > 0 ? response->ReadBody(m_body.data(), size, 1) : 0;
        m_contentType = response->GetContentType().c_str();
    }
    if (request != nullptr) {
        request->SetCallback(HttpCompletionDelegate());
    }
    if (m_platform != nullptr) {
        m_platform->m_sent.erase(this);
    }
    Release();  // may destroy this request
}

void Kiplink_WebRequest::Abandon() {
    m_platform = nullptr;
    m_status = Kiplink::kWebRequestFailed;
    Release();
}

int32_t Kiplink_WebRequest::Read(void* buffer, int32_t count) {
    const int32_t take = std::max(0, std::min(count, GetAvailable()));
    if (take > 0) {
        std::memcpy(buffer, m_body.data() + m_readPosition, static_cast<size_t>(take));
        m_readPosition += take;
    }
    return take;
}

// ---- Platform ----

KiplinkPlatform::KiplinkPlatform(Provider_Kiplink* provider, const TiXmlElement* providerConfig)
    : m_provider(provider), m_http(CreateHttpRequestManager()) {
    const TiXmlElement* fileSystem =
        providerConfig != nullptr ? providerConfig->FirstChildElement("filesystem") : nullptr;
    if (fileSystem != nullptr) {
        if (const char* save = fileSystem->Attribute("saveFilesystem")) {
            m_saveFilesystem = save;
        }
        if (const char* application = fileSystem->Attribute("applicationDirectory")) {
            m_applicationDirectory = application;
        }
    }
}

KiplinkPlatform::~KiplinkPlatform() {
    // The manager cancels running exchanges without calling back; their web
    // requests then fail and let go of themselves here instead of leaking.
    m_http.reset();
    std::set<Kiplink_WebRequest*> sent;
    sent.swap(m_sent);
    for (Kiplink_WebRequest* request : sent) {
        request->Abandon();
    }
}

bool KiplinkPlatform::IsConnected() { return IsNetworkReachable() != kNetworkNotReachable; }

const char* KiplinkPlatform::GetDeviceInfo(int kind) {
    const char* text = DevicePropertyMap::Get(DevicePropertyMap::Instance(), PropertyKeyOf(kind));
    return text != nullptr ? text : "";
}

int KiplinkPlatform::GetFileStatus(const char* path, Kiplink::FileStatus* status) {
    if (path == nullptr || !FileSystemRegistry::Get().Exists(path, 0)) {
        return -1;
    }
    if (status != nullptr) {
        status->state = 0;
    }
    return 0;
}

bool KiplinkPlatform::DeleteFile(const char* path) {
    if (path == nullptr || !FileSystemRegistry::Get().Exists(path, 0)) {
        return false;
    }
    std::unique_ptr<FileStream> stream =
        FileSystemRegistry::Get().Open(path, 4, FileSystemKey(m_saveFilesystem.c_str()));
    if (stream) {
        stream->Close();
    }
    return true;
}

Kiplink::IFile* KiplinkPlatform::OpenFile(const char* path, int mode) {
    const uint32_t key = WritesOnly(mode) ? FileSystemKey(m_saveFilesystem.c_str()) : 0;
    auto* file = new KiplinkFile(path, mode, key);
    file->Reference();
    return file;
}

Kiplink::IWebRequest* KiplinkPlatform::CreateWebRequest(const char* url, int method) {
    auto* request = new Kiplink_WebRequest(this, url, method);
    request->Reference();
    return request;
}

void KiplinkPlatform::UpdateHttp() {
    if (m_http) {
        m_http->Update();
    }
}

}  // namespace Varnok
