// Our stand-in for the key-value store that iCloud keeps in step across a
// player's devices: one JSON file (an object of key to value) that every
// "device" over it reads and writes. Reads take the file as it is now, so
// writes of another device (another process, or another device id in the
// same one) show at once; a synchronise writes the keys set since, over
// what the file holds then, to a temporary file renamed into place.
#pragma once

#include "engine/iOS/AppleICloudHelper.h"

#include <map>
#include <string>

namespace Varnok {

// The setting VARNOK_KVSTORE_FILE, else "icloud-kvstore.json" in the
// documents folder.
std::string DefaultKeyValueStorePath(const std::string& documentsDir);

// The file's keys; false (one log line, out emptied) when it exists but is
// not a JSON object. A missing file is an empty store.
bool ReadKeyValueFile(const std::string& text, Json::Value* out);

class KeyValueStoreFile final : public UbiquitousKeyValueStore {
public:
    explicit KeyValueStoreFile(std::string path) : m_path(std::move(path)) {}

    Json::Value GetValue(const char* key) override;
    void SetValue(const char* key, const Json::Value& value) override;
    // A file that cannot be read as a store is set aside (".bad") first.
    bool Synchronize() override;

    const std::string& GetPath() const { return m_path; }

private:
    // The file's object; false when it is there but unreadable.
    bool Load(Json::Value* out) const;

    std::string m_path;
    std::map<std::string, Json::Value> m_unsynced;
};

}  // namespace Varnok
