// Stand-ins for the keychain and the named persistent pasteboard that the
// maker's applications share: files in one shared folder (the setting
// VARNOK_SHARED_DIR, else ~/.local/share/vellmarch-shared), so that two
// programs over the same folder see each other's writes. The pasteboard
// keeps one item per key.
#pragma once

#include "engine/services/SecureKeyStore.h"

#include <string>

namespace Varnok {

// The shared folder as the settings give it.
std::string DefaultSharedFolder();

class FileKeychain final : public SecureKeychain {
public:
    explicit FileKeychain(std::string folder) : m_folder(std::move(folder)) {}
    bool Find(const char* service, const char* group, const char* account, std::string* outValue) override;
    bool Add(const char* service, const char* group, const char* account, const std::string& value) override;
    bool Update(const char* service, const char* group, const char* account, const std::string& value) override;

private:
    std::string ItemPath(const char* service, const char* group, const char* account) const;
    std::string m_folder;
};

class FilePasteboard final : public SecurePasteboard {
public:
    explicit FilePasteboard(std::string folder) : m_folder(std::move(folder)) {}
    bool Exists(const char* name) override;
    bool GetItem(const char* name, const char* type, const char* key, std::string* outData) override;
    bool SetItem(const char* name, const char* type, const char* key, const std::string& data) override;

private:
    std::string BoardPath(const char* name) const;
    std::string m_folder;
};

}  // namespace Varnok
