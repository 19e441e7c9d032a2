// Static-data files over the shared signing code; no routine of its own.
#include "tools/sign_static_data/StaticDataFile.h"

#include "tools/sign_remote_config/FileBytes.h"
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_remote_config/TransportFrame.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

namespace Varnok {
namespace Tools {

namespace {

constexpr const char* kOfflineInfo = "offlineInfo";

}  // namespace

bool SignStaticData(const Json::Value& data, const SigningKey& key, SignedStaticFile* outFile) {
    Json::Value wrapper(Json::objectValue);
    wrapper["data"] = data;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    SignedStaticFile signedFile;
    if (!FrameBody(Json::writeString(writer, wrapper), &signedFile.file) ||
        !key.Sign(signedFile.file, &signedFile.signature)) {
        return false;
    }
    *outFile = std::move(signedFile);
    return true;
}

bool OpenStaticData(const SignedStaticFile& signedFile, const std::string& publicKeyPath,
                    Json::Value* outData, std::string* outText, std::string* outWhy) {
    if (!VerifySignature(publicKeyPath, signedFile.file, signedFile.signature)) {
        *outWhy = "bad signature";
        return false;
    }
    std::string text;
    if (!UnframeBody(signedFile.file, &text, outWhy)) {
        return false;
    }
    Json::CharReaderBuilder reader;
    Json::Value root;
    std::string errors;
    std::istringstream in(text);
    if (!Json::parseFromStream(reader, in, &root, &errors) || !root.isObject()) {
        *outWhy = "not a JSON object: " + errors;
        return false;
    }
    *outData = root["data"];
    *outText = std::move(text);
    return true;
}

Json::Value StaticDataAnnouncement(const StaticDataSet& set, const std::string& url) {
    Json::Value announcement(Json::objectValue);
    announcement["hash"] = set.hash;
    announcement["url"] = url;
    announcement["hashTable"] = set.hashTable;
    return announcement;
}

bool ReadStaticDataSet(const std::string& directory, const std::string& suffix,
                       const std::string& publicKeyPath, StaticDataSet* outSet,
                       std::string* outWhy) {
    std::vector<std::string> names{kOfflineInfo};
    std::vector<std::string> hashes;
    StaticDataSet set;
    set.hashTable = Json::Value(Json::objectValue);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string fileName = names[i] + suffix;
        const std::string path = directory + "/" + fileName;
        SignedStaticFile signedFile;
        Json::Value data;
        std::string text;
        if (!ReadFileBytes(path, &signedFile.file) ||
            !ReadFileBytes(path + ".sig", &signedFile.signature) ||
            !OpenStaticData(signedFile, publicKeyPath, &data, &text, outWhy)) {
            *outWhy = path + ": " + *outWhy;
            return false;
        }
        if (i == 0) {
            if (!data["files"].isArray() || !data["version"].isString()) {
                *outWhy = path + ": no \"files\" list or \"version\"";
                return false;
            }
            for (const Json::Value& name : data["files"]) {
                if (name.isString()) {
                    names.push_back(name.asString());
                }
            }
        }
        hashes.push_back(Sha1Hex(text));
        set.hashTable[names[i]] = fileName;
    }
    std::sort(hashes.begin(), hashes.end());
    std::string joined;
    for (const std::string& hash : hashes) {
        joined += hash;
    }
    set.hash = Sha1Hex(joined);
    *outSet = std::move(set);
    return true;
}

}  // namespace Tools
}  // namespace Varnok
