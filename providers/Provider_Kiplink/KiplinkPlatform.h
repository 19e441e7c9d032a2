// The engine's side of the client library's platform interfaces: device
// facts from the device property map, files through the mounted file
// systems (writes only into the save file system), web requests through an
// HTTP request manager the platform owns.
#pragma once

#include "engine/core/HttpRequest.h"
#include "engine/core/HttpRequestManager.h"
#include "engine/core/FileSystem.h"
#include "kiplink/Public/IPlatform.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TiXmlElement;

namespace Varnok {

class Provider_Kiplink;
class KiplinkPlatform;

class KiplinkFile : public Kiplink::IFile {
public:
    // key 0: every mounted file system, in priority order.
    KiplinkFile(const char* path, int libraryMode, uint32_t key);
    ~KiplinkFile() override;

    void Close() override;
    bool IsOpen() const override { return m_stream != nullptr; }
    uint64_t GetLength() override;
    bool Seek(int64_t offset, int origin) override;
    uint64_t Tell() override;
    uint32_t Read(uint32_t count, void* buffer, uint32_t capacity) override;
    uint32_t Write(uint32_t count, const void* data) override;

    // The engine's open mode for a library mode.
    static int EngineMode(int libraryMode);

private:
    std::unique_ptr<FileStream> m_stream;
};

class Kiplink_WebRequest : public Kiplink::IWebRequest {
public:
    static constexpr int kTimeoutSeconds = 10;

    Kiplink_WebRequest(KiplinkPlatform* platform, const char* url, int method);
    ~Kiplink_WebRequest() override;

    void Close() override;
    void AddHeader(const char* name, const char* value) override;
    const char* GetContentType() const override { return m_contentType.c_str(); }
    void Send(const void* data, uint32_t length) override;
    int GetStatus() const override { return m_status; }
    int32_t GetAvailable() const override { return m_bodyLength - m_readPosition; }
    int32_t Read(void* buffer, int32_t count) override;

    // The request being prepared, or null after Close (for tests of the
    // header lines).
    const HttpRequest* GetEngineRequest() const { return m_request.get(); }

private:
    friend class KiplinkPlatform;
    void OnResponse(HttpRequest* request, HttpResponse* response);
    // The platform goes away first: the request fails and drops the
    // reference it held on itself.
    void Abandon();

    KiplinkPlatform* m_platform;
    std::unique_ptr<HttpRequest> m_request;
    int m_status = Kiplink::kWebRequestNotSent;
    std::string m_contentType;
    std::vector<uint8_t> m_body;
    int32_t m_bodyLength = 0;
    int32_t m_readPosition = 0;
};

class KiplinkPlatform : public Kiplink::IPlatform {
public:
    // providerConfig: the root element of the provider's configuration, or
    // null; its "filesystem" element may set "saveFilesystem" and
    // "applicationDirectory".
    KiplinkPlatform(Provider_Kiplink* provider, const TiXmlElement* providerConfig);
    ~KiplinkPlatform() override;

    bool IsConnected() override;
    const char* GetDeviceInfo(int kind) override;
    const char* GetApplicationDirectory() override { return m_applicationDirectory.c_str(); }
    const char* GetSaveDirectory() override { return m_saveFilesystem.c_str(); }
    int GetFileStatus(const char* path, Kiplink::FileStatus* status) override;
    bool DeleteFile(const char* path) override;
    Kiplink::IFile* OpenFile(const char* path, int mode) override;
    Kiplink::IWebRequest* CreateWebRequest(const char* url, int method) override;

    // Delivers finished exchanges to their web requests.
    void UpdateHttp();
    HttpRequestManager& GetHttpManager() { return *m_http; }
    Provider_Kiplink* GetProvider() const { return m_provider; }

private:
    friend class Kiplink_WebRequest;

    Provider_Kiplink* m_provider;
    std::string m_applicationDirectory;
    std::string m_saveFilesystem = "save";
    std::unique_ptr<HttpRequestManager> m_http;
    std::set<Kiplink_WebRequest*> m_sent;  // pending, each holding itself
};

}  // namespace Varnok
