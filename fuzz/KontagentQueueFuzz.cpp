// "kontagent.dat" on arbitrary bytes. What is read must be exactly what an
// independent walk of the format finds before the first fault (never a text
// more), at most 100 non-empty texts, the fault one line; written back and
// read again it must come out the same with no fault. The same bytes also
// go through a real client's load and save in a "save" folder.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HttpRequestManager.h"
#include "providers/Provider_Kontagent/KontagentApiClient.h"
#include "providers/Provider_Kontagent/KontagentFiles.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string g_folder;

class NoRequests final : public Varnok::HttpRequestManager {
public:
    bool HasActiveRequests() const override { return false; }
};

uint32_t BigEndianAt(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The format walked by hand: count, then length and text pairs.
std::deque<std::string> Reference(const uint8_t* data, size_t size) {
    std::deque<std::string> out;
    if (size < 4) {
        return out;
    }
    const uint32_t count = BigEndianAt(data);
    size_t at = 4;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 4) {
            break;
        }
        const uint32_t length = BigEndianAt(data + at);
        at += 4;
        if (length > size - at) {
            break;
        }
        if (length > 0) {
            out.emplace_back(reinterpret_cast<const char*>(data + at), length);
            if (out.size() > Varnok::kKontagentQueueLimit) {
                out.pop_front();
            }
        }
        at += length;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace Varnok;
    // Memory-backed when it can be: every input is written, synced and renamed twice.
    char pattern[] = "/dev/shm/varnok-fuzz-kontagent-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::strcpy(pattern, "/tmp/varnok-fuzz-kontagent-XXXXXX");
        (void)mkdtemp(pattern);
    }
    g_folder = pattern;
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(g_folder.c_str(), false),
                                  FileSystemKey("save"), 2);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    std::deque<std::string> messages;
    std::string fault;
    ParseKontagentQueue(data, size, messages, fault);
    if (messages != Reference(data, size) || messages.size() > kKontagentQueueLimit ||
        fault.find('\n') != std::string::npos) {
        std::abort();
    }
    for (const std::string& text : messages) {
        if (text.empty()) {
            std::abort();
        }
    }
    const std::string written = SerialiseKontagentQueue(messages);
    std::deque<std::string> again;
    std::string secondFault;
    ParseKontagentQueue(reinterpret_cast<const uint8_t*>(written.data()), written.size(), again, secondFault);
    if (again != messages || !secondFault.empty()) {
        std::abort();
    }

    {
        std::ofstream out(g_folder + "/" + kKontagentQueueFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    NoRequests http;
    std::deque<std::string> loaded;
    {
        KontagentApiClient client(http);
        loaded = client.GetQueue();
    }
    KontagentApiClient reloaded(http);
    if (loaded != messages || reloaded.GetQueue() != messages) {
        std::abort();
    }
    return 0;
}
