#include "platform/SharedKeyStores.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace Varnok {

namespace {

// Any text as a safe file name.
std::string Hex(const char* text) {
    std::string out;
    for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02x", static_cast<unsigned char>(*p));
        out += pair;
    }
    return out.empty() ? std::string("-") : out;
}

bool ReadWhole(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *out = bytes.str();
    return true;
}

// Replaced in one rename, so a reader never sees half a value.
bool WriteWhole(const std::string& path, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
            return false;
        }
    }
    std::filesystem::rename(temporary, path, error);
    return !error;
}

}  // namespace

std::string DefaultSharedFolder() {
    if (const char* setting = std::getenv("VARNOK_SHARED_DIR")) {
        if (setting[0] != '\0') {
            return setting;
        }
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.local/share/vellmarch-shared";
}

std::string FileKeychain::ItemPath(const char* service, const char* group, const char* account) const {
    return m_folder + "/keychain/" + Hex(service) + "." + Hex(group) + "." + Hex(account);
}

bool FileKeychain::Find(const char* service, const char* group, const char* account, std::string* outValue) {
    return ReadWhole(ItemPath(service, group, account), outValue);
}

bool FileKeychain::Add(const char* service, const char* group, const char* account, const std::string& value) {
    std::string existing;
    if (Find(service, group, account, &existing)) {
        return false;  // a duplicate item
    }
    return WriteWhole(ItemPath(service, group, account), value);
}

bool FileKeychain::Update(const char* service, const char* group, const char* account, const std::string& value) {
    std::string existing;
    if (!Find(service, group, account, &existing)) {
        return false;
    }
    return WriteWhole(ItemPath(service, group, account), value);
}

std::string FilePasteboard::BoardPath(const char* name) const {
    return m_folder + "/pasteboard/" + Hex(name);
}

bool FilePasteboard::Exists(const char* name) {
    std::error_code error;
    return std::filesystem::is_directory(BoardPath(name), error);
}

bool FilePasteboard::GetItem(const char* name, const char* type, const char* key, std::string* outData) {
    return ReadWhole(BoardPath(name) + "/" + Hex(type) + "." + Hex(key), outData);
}

bool FilePasteboard::SetItem(const char* name, const char* type, const char* key, const std::string& data) {
    return WriteWhole(BoardPath(name) + "/" + Hex(type) + "." + Hex(key), data);
}

}  // namespace Varnok
