// The three interfaces through which the client library reaches its host:
// the platform (connectivity, device facts, directories, files, web
// requests), an open file and one web request. The engine implements them;
// the library never sees the engine otherwise.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

// Open-mode flags of IPlatform::OpenFile.
constexpr int kFileRead = 1;
constexpr int kFileWriteFlags = 14;  // create or truncate, in the save area only

// Seek origins of IFile::Seek.
constexpr int kFileSeekCurrent = 0;
constexpr int kFileSeekStart = 1;
constexpr int kFileSeekEnd = 2;

class IFile : public RefCounted {
public:
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual uint64_t GetLength() = 0;
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual uint64_t Tell() = 0;
    // Reads min(count, capacity) bytes; answers that count, or 0 on failure.
    virtual uint32_t Read(uint32_t count, void* buffer, uint32_t capacity) = 0;
    // Answers count on success, 0 on failure.
    virtual uint32_t Write(uint32_t count, const void* data) = 0;
};

// Web-request states.
constexpr int kWebRequestFailed = 0;
constexpr int kWebRequestPending = 1;
constexpr int kWebRequestDone = 2;
constexpr int kWebRequestNotSent = 3;

// Methods of IPlatform::CreateWebRequest.
constexpr int kWebRequestGet = 0;
constexpr int kWebRequestPost = 1;

class IWebRequest : public RefCounted {
public:
    virtual void Close() = 0;
    virtual void AddHeader(const char* name, const char* value) = 0;
    // Empty before a response; never null from the engine's requests, but
    // the library treats null as "no content type".
    virtual const char* GetContentType() const = 0;
    // Sends once; the request holds itself until its response arrives.
    virtual void Send(const void* data, uint32_t length) = 0;
    virtual int GetStatus() const = 0;
    // Unread response bytes.
    virtual int32_t GetAvailable() const = 0;
    virtual int32_t Read(void* buffer, int32_t count) = 0;
};

// What IPlatform::GetFileStatus fills in when the file exists.
struct FileStatus {
    int32_t state = -1;
};

// Device-information kinds.
constexpr int kDeviceId = 0;
constexpr int kDeviceType = 1;
constexpr int kDevicePlatformVersion = 3;
constexpr int kDeviceLanguage = 5;
constexpr int kDeviceModel = 6;
constexpr int kDeviceManufacturer = 7;
constexpr int kDeviceLocaleCountry = 8;

class IPlatform : public RefCounted {
public:
    virtual bool IsConnected() = 0;
    // Null means "no text at all"; the engine answers "" for what it lacks.
    // The text lives as long as the platform.
    virtual const char* GetDeviceInfo(int kind) = 0;
    virtual const char* GetApplicationDirectory() = 0;
    // The root under which the library keeps every file of its own.
    virtual const char* GetSaveDirectory() = 0;
    // 0 when the file exists (status->state becomes 0), -1 otherwise.
    virtual int GetFileStatus(const char* path, FileStatus* status) = 0;
    virtual bool DeleteFile(const char* path) = 0;
    // A new file object holding one reference for the caller; never null
    // (IsOpen tells whether it opened).
    virtual IFile* OpenFile(const char* path, int mode) = 0;
    // A new request holding one reference for the caller.
    virtual IWebRequest* CreateWebRequest(const char* url, int method) = 0;
};

}  // namespace Kiplink
