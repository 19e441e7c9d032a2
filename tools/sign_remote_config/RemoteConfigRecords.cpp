// Cutting a signed, enciphered document into TXT records and reading them back.
#include "tools/sign_remote_config/RemoteConfigRecords.h"

#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_remote_config/TransportFrame.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>

namespace Varnok {
namespace Tools {

namespace {

constexpr size_t kSignatureBytes = 128;
constexpr size_t kMaxChunks = 255;
constexpr size_t kMaxNameBytes = 253;
constexpr size_t kMaxLabelBytes = 63;

std::string Hex(size_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%zx", value);
    return text;
}

std::string ChunkName(size_t index, const std::string& base) {
    return std::to_string(index) + "." + base;
}

bool IsValidDnsName(const std::string& absolute) {
    if (absolute.size() < 2 || absolute.size() - 1 > kMaxNameBytes) {
        return false;
    }
    size_t label = 0;
    for (size_t i = 0; i + 1 < absolute.size(); ++i) {
        const char c = absolute[i];
        if (c == '.') {
            if (label == 0) {
                return false;
            }
            label = 0;
        } else if (c == ',' || c == ' ' || c == '/' || c == '\\' || ++label > kMaxLabelBytes) {
            return false;  // dnsmasq's argument syntax and DNS labels both forbid these
        }
    }
    return label > 0;
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : text) {
        if (c == ';') {
            if (!field.empty()) {
                fields.push_back(field);
            }
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty()) {
        fields.push_back(field);
    }
    return fields;
}

}  // namespace

std::string AbsoluteName(const std::string& name) {
    std::string absolute = name;
    while (!absolute.empty() && absolute.back() == '.') {
        absolute.pop_back();
    }
    return absolute + ".";
}

bool PublishRemoteConfig(const std::string& documentText, const SigningKey& key,
                         const RemoteConfigOptions& options,
                         RemoteConfigPublication* outPublication, std::string* outWhy) {
    Json::CharReaderBuilder reader;
    reader["allowComments"] = true;
    Json::Value document;
    std::string errors;
    std::istringstream in(documentText);
    if (!Json::parseFromStream(reader, in, &document, &errors)) {
        *outWhy = "the document is not JSON: " + errors;
        return false;
    }
    if (!document.isObject()) {
        *outWhy = "the document is not a JSON object";
        return false;
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    RemoteConfigPublication publication;
    publication.data = EncipherTransport(Json::writeString(writer, document));
    if (!key.Sign(publication.data, &publication.signature) ||
        publication.signature.size() != kSignatureBytes) {
        *outWhy = "signing failed";
        return false;
    }

    const std::string name = AbsoluteName(options.name);
    std::string base = options.baseName.empty() ? std::string() : AbsoluteName(options.baseName);
    if (base.empty()) {
        base = "r" + Sha1Hex(publication.data).substr(0, 8) + "." + name;
    }
    if (!IsValidDnsName(name) || !IsValidDnsName(base) ||
        !IsValidDnsName(ChunkName(kMaxChunks - 1, base))) {
        *outWhy = "\"" + name + "\" or \"" + base + "\" is not a usable DNS name";
        return false;
    }
    const size_t maxText = options.maxTextBytes;
    if (maxText > 255 || maxText < base.size() + 4) {
        *outWhy = "record size " + std::to_string(maxText) + " leaves no room for the header";
        return false;
    }

    // The header's first part takes what the record has left after "a;n;";
    // the count's width depends on the count, so settle it in two tries.
    const std::string text = Base64Encode(publication.data);
    size_t firstLength = 0;
    size_t chunks = 0;
    for (size_t hexWidth = 1; hexWidth <= 2; ++hexWidth) {
        firstLength = std::min(text.size(), maxText - base.size() - 2 - hexWidth);
        chunks = (text.size() - firstLength + maxText - 1) / maxText;
        if (Hex(chunks).size() <= hexWidth) {
            break;
        }
    }
    if (chunks > kMaxChunks) {
        *outWhy = "the document needs " + std::to_string(chunks) + " chunks, more than 255";
        return false;
    }
    publication.records.push_back({name, base + ";" + Hex(chunks) + ";" + text.substr(0, firstLength)});
    publication.records.push_back({base, Base64Encode(publication.signature)});
    for (size_t i = 0; i < chunks; ++i) {
        publication.records.push_back(
            {ChunkName(i, base), text.substr(firstLength + i * maxText, maxText)});
    }
    *outPublication = std::move(publication);
    return true;
}

std::string DnsmasqTxtLine(const TxtRecord& record) {
    std::string name = record.name;
    if (!name.empty() && name.back() == '.') {
        name.pop_back();
    }
    return "--txt-record=" + name + "," + record.text;
}

bool AssembleRemoteConfig(const std::map<std::string, std::string>& texts,
                          const std::string& name, std::string* outData,
                          std::string* outSignature, std::string* outWhy) {
    const auto header = texts.find(AbsoluteName(name));
    if (header == texts.end()) {
        *outWhy = "no header record";
        return false;
    }
    const std::vector<std::string> fields = SplitFields(header->second);
    unsigned chunks = 0;
    char tail = 0;
    if (fields.size() != 3 || std::sscanf(fields[1].c_str(), "%x%c", &chunks, &tail) != 1 ||
        chunks > kMaxChunks) {
        *outWhy = "malformed header \"" + header->second + "\"";
        return false;
    }
    const std::string& base = fields[0];
    std::string text = fields[2];
    for (unsigned i = 0; i < chunks; ++i) {
        const auto chunk = texts.find(ChunkName(i, base));
        if (chunk == texts.end()) {
            *outWhy = "chunk " + std::to_string(i) + " missing";
            return false;
        }
        text += chunk->second;
    }
    const auto signature = texts.find(base);
    if (signature == texts.end()) {
        *outWhy = "signature record missing";
        return false;
    }
    if (!Base64Decode(text, outData) || !Base64Decode(signature->second, outSignature)) {
        *outWhy = "records are not Base64";
        return false;
    }
    if (outData->empty() || outSignature->size() != kSignatureBytes) {
        *outWhy = "empty document or a signature that is not 128 bytes";
        return false;
    }
    return true;
}

}  // namespace Tools
}  // namespace Varnok
