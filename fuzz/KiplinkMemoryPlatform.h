// A client platform for fuzz targets: files in memory, a connection that is
// always up, and web requests that never finish (nothing leaves the process).
#pragma once

#include "kiplink/Public/IPlatform.h"
#include "kiplink/Source/Crypto.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace KiplinkFuzz {

class MemoryFile : public Kiplink::IFile {
public:
    MemoryFile(std::string* bytes, bool writing) : m_bytes(bytes) {
        if (writing && bytes != nullptr) {
            bytes->clear();
        }
    }
    void Close() override { m_bytes = nullptr; }
    bool IsOpen() const override { return m_bytes != nullptr; }
    uint64_t GetLength() override { return m_bytes != nullptr ? m_bytes->size() : 0; }
    bool Seek(int64_t offset, int) override {
        m_position = static_cast<size_t>(offset);
        return true;
    }
    uint64_t Tell() override { return m_position; }
    uint32_t Read(uint32_t count, void* buffer, uint32_t capacity) override {
        if (m_bytes == nullptr) {
            return 0;
        }
        size_t n = std::min<size_t>({count, capacity, m_bytes->size() - std::min(m_position, m_bytes->size())});
        std::memcpy(buffer, m_bytes->data() + m_position, n);
        m_position += n;
        return static_cast<uint32_t>(n);
    }
    uint32_t Write(uint32_t count, const void* data) override {
        if (m_bytes == nullptr) {
            return 0;
        }
        m_bytes->append(static_cast<const char*>(data), count);
        return count;
    }

private:
    std::string* m_bytes;
    size_t m_position = 0;
};

class SilentRequest : public Kiplink::IWebRequest {
public:
    void Close() override {}
    void AddHeader(const char*, const char*) override {}
    const char* GetContentType() const override { return ""; }
    void Send(const void*, uint32_t) override {}
    int GetStatus() const override { return Kiplink::kWebRequestPending; }
    int32_t GetAvailable() const override { return 0; }
    int32_t Read(void*, int32_t) override { return 0; }
};

class MemoryPlatform : public Kiplink::IPlatform {
public:
    bool IsConnected() override { return true; }
    const char* GetDeviceInfo(int kind) override { return kind == Kiplink::kDeviceId ? "fuzz-device" : ""; }
    const char* GetApplicationDirectory() override { return "app"; }
    const char* GetSaveDirectory() override { return "save"; }
    int GetFileStatus(const char* path, Kiplink::FileStatus* status) override {
        if (files.count(path) == 0) {
            return -1;
        }
        status->state = 0;
        return 0;
    }
    bool DeleteFile(const char* path) override { return files.erase(path) != 0; }
    Kiplink::IFile* OpenFile(const char* path, int mode) override {
        const bool writing = mode != Kiplink::kFileRead;
        auto found = files.find(path);
        std::string* bytes = writing ? &files[path] : (found != files.end() ? &found->second : nullptr);
        auto* file = new MemoryFile(bytes, writing);
        file->Reference();
        return file;
    }
    Kiplink::IWebRequest* CreateWebRequest(const char*, int) override {
        auto* request = new SilentRequest();
        request->Reference();
        return request;
    }

    // Stores plain text as the library would have stored it.
    void PutEncrypted(const std::string& path, const std::string& plain) {
        std::string stored;
        Kiplink::EncryptToString(Kiplink::GetStorageCipher(), plain.data(), plain.size(), &stored);
        files[path] = stored;
    }

    std::map<std::string, std::string> files;
};

inline void Quiet() {
    static const bool s_quiet = (Kiplink::SetLogSink([](const char*) {}), true);
    (void)s_quiet;
}

// A loaded root over the platform; the caller releases it.
inline Kiplink::KiplinkProviderImpl* MakeRoot(MemoryPlatform* platform) {
    Kiplink::KiplinkSettings settings{"fam", "http://fuzz.invalid/", "build"};
    auto* root = static_cast<Kiplink::KiplinkProviderImpl*>(Kiplink::CreateKiplinkProvider(settings, platform));
    root->Load();
    return root;
}

}  // namespace KiplinkFuzz
