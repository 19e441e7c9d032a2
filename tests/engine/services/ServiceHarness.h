// What the start-up, remote-configuration and user tests share: a temporary
// "save" folder mounted as the game mounts it, a hand-moved wall clock, a
// reachable network, POSIX sockets for the DNS client and signed records from
// the development key.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/services/DnsTxtClient.h"
#include "engine/services/ServiceClock.h"
#include "platform/PosixDnsSocket.h"
#include "tools/sign_remote_config/RemoteConfigRecords.h"
#include "tools/sign_remote_config/SigningKey.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace Varnok {
namespace TestSupport {

inline int64_t& FakeNow() {
    static int64_t s_now = 1000000;
    return s_now;
}
inline int64_t ReadFakeNow() {
    return FakeNow();
}

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/varnok-services-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made != nullptr ? made : "/tmp";
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline std::string ReadHost(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteHost(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A save folder under "save", the fake clock, the network on, POSIX sockets.
class ServiceWorld {
public:
    explicit ServiceWorld(const char* mountName = "save") {
        std::filesystem::create_directories(m_folder / "save");
        m_mount = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>((m_folder / "save").c_str(), false),
            FileSystemKey(mountName), 2);
        FakeNow() = 1000000;
        SetServiceClock(&ReadFakeNow);
        NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkReachable; });
        SetDnsSocketFactory(&CreatePosixDnsSocket);
    }
    ~ServiceWorld() {
        DnsTxtResolver::Get().Clear();
        FileSystemRegistry::Get().Remove(m_mount);
        SetServiceClock(nullptr);
    }
    std::string SavePath(const std::string& name) const { return m_folder / ("save/" + name); }
    const TempFolder& Folder() const { return m_folder; }

private:
    TempFolder m_folder;
    FileSystem* m_mount;
};

// Records of a document signed with the development key.
inline Tools::RemoteConfigPublication Publish(const std::string& json, const std::string& name,
                                              size_t maxTextBytes = 255) {
    Tools::SigningKey key;
    Tools::RemoteConfigPublication publication;
    std::string why;
    EXPECT_TRUE(key.Load(Tools::DevelopmentKeyPath()));
    Tools::RemoteConfigOptions options;
    options.name = name;
    options.maxTextBytes = maxTextBytes;
    EXPECT_TRUE(Tools::PublishRemoteConfig(json, key, options, &publication, &why)) << why;
    return publication;
}

inline std::vector<std::string> DnsmasqLines(const Tools::RemoteConfigPublication& publication) {
    std::vector<std::string> lines;
    for (const auto& record : publication.records) {
        lines.push_back(Tools::DnsmasqTxtLine(record));
    }
    return lines;
}

// Runs step until done() or the real-time limit.
template <typename Step, typename Done>
bool RunUntil(Step step, Done done, int limitMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        step();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    return true;
}

}  // namespace TestSupport
}  // namespace Varnok
