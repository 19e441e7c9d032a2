// The user store's two records on arbitrary text: the input, split at its
// first zero byte, becomes the stored "Users" record and the "LocalUsers"
// file of a real save folder. The store starts over them, reloads once, and
// must come out with a user in slot 0 whatever the records said.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/services/SecureKeyStore.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/UserStore.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string g_folder;
int64_t g_now = 1000;
int64_t Now() {
    return g_now;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.put('\0');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace Varnok;
    char pattern[] = "/tmp/varnok-fuzz-users-XXXXXX";
    g_folder = mkdtemp(pattern);
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(g_folder.c_str(), false),
                                  FileSystemKey("save"), 2);
    SetServiceClock(&Now);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string users = input.substr(0, split);
    const std::string local = split == std::string::npos ? std::string() : input.substr(split + 1);
    WriteFile(g_folder + "/KeyStore.Users.txt", users);
    WriteFile(g_folder + "/LocalKeyStore.LocalUsers.txt", local);
    SecureKeyStore keys(nullptr, nullptr);
    UserStore store("UserStore/", nullptr, &keys);
    store.SetSlotCount(2);
    store.Start();
    WriteFile(g_folder + "/KeyStore.Users.txt", users + " ");
    WriteFile(g_folder + "/LocalKeyStore.LocalUsers.txt", local + " ");
    g_now += UserStore::kReloadSeconds;
    store.Update();
    if (store.GetUserHandle(0)->GetUser() == nullptr) {
        std::abort();
    }
    return 0;
}
