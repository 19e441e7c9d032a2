#include "providers/Provider_GameCenter/UserDefaults.h"

#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"

#include <json/json.h>

#include <memory>
#include <string>

namespace Varnok {

namespace {

// The stored object; empty when the file is missing or damaged.
Json::Value ReadDefaults(uint32_t key) {
    FileObject file(UserDefaults::kFileName, 0, key);
    if (!FileSystemRegistry::Get().Exists(UserDefaults::kFileName, key) || !file.Load()) {
        return Json::Value(Json::objectValue);
    }
    const char* begin = reinterpret_cast<const char*>(file.GetData());
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string why;
    if (!reader->parse(begin, begin + file.GetLength(), &root, &why) || !root.isObject()) {
        Log("UserDefaults: %s is not a JSON object, reading it as empty", UserDefaults::kFileName);
        return Json::Value(Json::objectValue);
    }
    return root;
}

}  // namespace

UserDefaults::UserDefaults(uint32_t fileSystemKey)
    : m_fileSystemKey(fileSystemKey != 0 ? fileSystemKey : FileSystemKey("save")) {}

int64_t UserDefaults::GetInteger(const char* key) const {
    const Json::Value root = ReadDefaults(m_fileSystemKey);
    const Json::Value& value = root[key != nullptr ? key : ""];
    return value.isIntegral() ? value.asInt64() : 0;
}

bool UserDefaults::SetInteger(const char* key, int64_t value) {
    Json::Value root = ReadDefaults(m_fileSystemKey);
    root[key != nullptr ? key : ""] = Json::Int64(value);
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    const std::string text = Json::writeString(writer, root);
    FileObject file(kFileName, 7, m_fileSystemKey);
    if (!file.Open() || !file.Write(text.data(), static_cast<int32_t>(text.size()))) {
        Log("UserDefaults: could not write %s", kFileName);
        return false;
    }
    file.CloseStream();
    return true;
}

}  // namespace Varnok
