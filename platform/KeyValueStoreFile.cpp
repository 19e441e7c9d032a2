#include "platform/KeyValueStoreFile.h"

#include "engine/core/Log.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace Varnok {

std::string DefaultKeyValueStorePath(const std::string& documentsDir) {
    const char* setting = std::getenv("VARNOK_KVSTORE_FILE");
    if (setting != nullptr && setting[0] != '\0') {
        return setting;
    }
    return (documentsDir.empty() ? std::string(".") : documentsDir) + "/icloud-kvstore.json";
}

bool ReadKeyValueFile(const std::string& text, Json::Value* out) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors) || !value.isObject()) {
        *out = Json::Value(Json::objectValue);
        return false;
    }
    *out = std::move(value);
    return true;
}

bool KeyValueStoreFile::Load(Json::Value* out) const {
    std::ifstream in(m_path, std::ios::binary);
    if (!in) {
        *out = Json::Value(Json::objectValue);
        return true;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ReadKeyValueFile(text.str(), out)) {
        Log("KeyValueStore: %s is not a key-value store, reading it as empty", m_path.c_str());
        return false;
    }
    return true;
}

Json::Value KeyValueStoreFile::GetValue(const char* key) {
    if (key == nullptr) {
        return Json::Value();
    }
    auto unsynced = m_unsynced.find(key);
    if (unsynced != m_unsynced.end()) {
        return unsynced->second;
    }
    Json::Value all;
    Load(&all);
    return all.isMember(key) ? all[key] : Json::Value();
}

void KeyValueStoreFile::SetValue(const char* key, const Json::Value& value) {
    if (key != nullptr) {
        m_unsynced[key] = value;
    }
}

bool KeyValueStoreFile::Synchronize() {
    if (m_unsynced.empty()) {
        return true;
    }
    Json::Value all;
    if (!Load(&all)) {
        std::rename(m_path.c_str(), (m_path + ".bad").c_str());
    }
    for (const auto& entry : m_unsynced) {
        all[entry.first] = entry.second;
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    const std::string temporary = m_path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << Json::writeString(builder, all) << "\n";
        if (!out.flush()) {
            Log("KeyValueStore: cannot write %s", temporary.c_str());
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), m_path.c_str()) != 0) {
        Log("KeyValueStore: cannot replace %s", m_path.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    m_unsynced.clear();
    return true;
}

}  // namespace Varnok
