// The remote configuration's cipher, key, checks and the fetch over DNS.
#include "engine/services/RemoteConfig.h"

#include "engine/core/Base64.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Sha512.h"
#include "engine/services/ServiceClock.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Varnok {

namespace {

// The transport pair of the online client: 16 characters each, used as bytes.
const char kRemoteConfigKey[17] = "5E0C9F21B7D4A386";
const char kRemoteConfigIv[17] = "C2F76B0E9A41D583";

// The development key's modulus (leading zero byte, 1024-bit value).
const uint8_t kModulus[129] = {
    0x00, 0xAF, 0x05, 0x58, 0x3F, 0xE8, 0x7B, 0xCC, 0xA1, 0xC6, 0xD7, 0x9B,
    0x15, 0x14, 0x70, 0x81, 0xAD, 0xDE, 0xB1, 0xD9, 0x8A, 0x51, 0xD1, 0xAF,
    0xE4, 0x7D, 0xE3, 0xE7, 0x01, 0x57, 0x63, 0x52, 0x4B, 0xCC, 0x62, 0xAA,
    0x61, 0x33, 0xCE, 0xD6, 0x53, 0x96, 0xE2, 0xA5, 0x47, 0x0C, 0xF0, 0x7D,
    0x33, 0x64, 0xA3, 0xED, 0x66, 0xD3, 0x9E, 0xF9, 0x63, 0xA3, 0x29, 0xE2,
    0x33, 0xE3, 0x3F, 0x96, 0x65, 0x31, 0xC3, 0x0A, 0xA2, 0x84, 0x67, 0x63,
    0x19, 0xA9, 0xB1, 0x31, 0xA1, 0x3D, 0xA1, 0x89, 0xD9, 0xCF, 0xFA, 0x60,
    0xA0, 0x14, 0x7E, 0x3B, 0x2B, 0x37, 0x04, 0x09, 0x83, 0x49, 0x9C, 0x39,
    0xA0, 0xA1, 0xE8, 0xD7, 0x19, 0x5F, 0x62, 0xF8, 0x7A, 0x39, 0x22, 0x7F,
    0x66, 0xA7, 0x16, 0x58, 0x97, 0xA0, 0xFF, 0xEB, 0xA8, 0xA2, 0xAA, 0xF3,
    0x0A, 0xB1, 0x91, 0xFA, 0x9A, 0x9B, 0x82, 0xFE, 0xA5,
};
const uint8_t kExponent[3] = {0x01, 0x00, 0x01};

bool WriteSaveFile(const std::string& path, const std::string& bytes) {
    auto stream = FileSystemRegistry::Get().Open(path.c_str(), kOpenWrite, FileSystemKey("save"));
    if (stream == nullptr) {
        return false;
    }
    const bool written = stream->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream->Close();
    return written;
}

bool DecodeBase64(const std::string& text, std::string& out) {
    std::vector<uint8_t> bytes(text.size() / 4 * 3 + 3);
    const int n = Base64::Decode(text.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    if (n < 0) {
        return false;
    }
    out.assign(reinterpret_cast<const char*>(bytes.data()), static_cast<size_t>(n));
    return true;
}

}  // namespace

// Both never destroyed: the process-wide manager may use them at exit.
const Cipher& GetRemoteConfigCipher() {
    static const AesCbcCipher* s_cipher = [] {
        auto* cipher = new AesCbcCipher();
        cipher->SetKey(kRemoteConfigKey, kRemoteConfigIv);
        return cipher;
    }();
    return *s_cipher;
}

const RsaPublicKey& GetRemoteConfigKey() {
    static const RsaPublicKey* s_key = new RsaPublicKey(kModulus, sizeof(kModulus), kExponent, sizeof(kExponent));
    return *s_key;
}

bool RemoteConfigDigestMatches(const uint8_t* result, int resultLength, const std::string& data) {
    if (resultLength < 127) {
        return false;
    }
    uint8_t digest[64];
    Sha512Digest(data.data(), data.size(), digest);
    return std::memcmp(result + 63, digest, sizeof(digest)) == 0;
}

bool DecodeRemoteConfig(const std::string& data, Json::Value& outDocument) {
    if (data.empty()) {
        return false;
    }
    std::string plain;
    GetRemoteConfigCipher().DecryptToString(data.data(), static_cast<int>(data.size()), plain);
    // The document is zero padded to whole blocks: the text ends at the first zero.
    const size_t end = plain.find('\0');
    if (end != std::string::npos) {
        plain.resize(end);
    }
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value parsed;
    std::string errors;
    if (!reader->parse(plain.data(), plain.data() + plain.size(), &parsed, &errors) || !parsed.isObject()) {
        return false;
    }
    outDocument = std::move(parsed);
    return true;
}

bool CheckRemoteConfig(const std::string& data, const std::string& signature, Json::Value& outDocument) {
    if (data.empty() || signature.size() != static_cast<size_t>(kRemoteConfigSignatureSize)) {
        return false;
    }
    uint8_t result[kRemoteConfigSignatureSize];
    const int n = GetRemoteConfigKey().PublicOp(reinterpret_cast<const uint8_t*>(signature.data()),
                                                kRemoteConfigSignatureSize, result, sizeof(result));
    return RemoteConfigDigestMatches(result, n, data) && DecodeRemoteConfig(data, outDocument);
}

bool ParseRemoteConfigHeader(const std::string& text, std::string& outBaseName, int& outChunkCount,
                             std::string& outFirstPart) {
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ';') {
            if (!field.empty()) {
                fields.push_back(field);
            }
            field.clear();
        } else {
            field.push_back(text[i]);
        }
    }
    unsigned count = 0;
    char extra = 0;
    if (fields.size() != 3 || std::sscanf(fields[1].c_str(), "%x%c", &count, &extra) != 1 || count >= 256) {
        return false;
    }
    outBaseName = fields[0];
    outChunkCount = static_cast<int>(count);
    outFirstPart = fields[2];
    return true;
}

bool SaveRemoteConfig(const std::string& name, const std::string& data, const std::string& signature) {
    const bool dat = WriteSaveFile(name + ".dat", data);
    const bool sig = WriteSaveFile(name + ".sig", signature);
    return dat && sig;
}

// ---- The fetch ----

RemoteConfigFetch::RemoteConfigFetch(const AsciiString& queryName, const std::string& cacheName,
                                     const uint8_t* keptSignature)
    : m_queryName(queryName), m_cacheName(cacheName), m_keptSignature(keptSignature) {}

RemoteConfigFetch::~RemoteConfigFetch() = default;

void RemoteConfigFetch::Query(const std::string& name, const DnsCompletion& completion) {
    DnsMessage message;
    message.flags = 0x0100;  // recursion desired
    DnsQuestion& question = message.AddQuestion();
    question.name = name;
    question.type = 16;  // TXT
    question.klass = 1;  // IN
    DnsTxtResolver::Get().Query(message, completion);
}

void RemoteConfigFetch::Start() {
    m_state = Running;
    Query(m_queryName.c_str(), DnsCompletion(this, &RemoteConfigFetch::OnHeader));
}

void RemoteConfigFetch::OnHeader(const DnsMessage& answer) {
    if (answer.answers.empty()) {
        m_state = Failed;
        return;
    }
    const DnsResourceRecord& record = answer.answers.front();
    m_expiry = GetServiceTime() + static_cast<int64_t>(record.ttl);
    AsciiString text;
    DnsTxtText(record, text);
    if (!ParseRemoteConfigHeader(std::string(text.c_str(), static_cast<size_t>(text.Length())), m_baseName,
                                 m_chunkCount, m_firstPart)) {
        m_state = Failed;
        return;
    }
    m_received = 0;
    m_answers.clear();
    // Every answer may finish the fetch; none is asked for after the last
    // query went out, so the count is fixed before the first one leaves.
    const DnsCompletion onRecord(this, &RemoteConfigFetch::OnRecord);
    Query(m_baseName, onRecord);
    for (int i = 0; i < m_chunkCount; ++i) {
        char prefix[16];
        std::snprintf(prefix, sizeof(prefix), "%d.", i);
        Query(prefix + m_baseName, onRecord);
    }
}

void RemoteConfigFetch::OnRecord(const DnsMessage& answer) {
    ++m_received;
    const bool last = m_received == m_chunkCount + 1;
    if (m_state == Failing) {
        if (last) {
            m_state = Failed;
        }
        return;
    }
    if (answer.answers.empty()) {
        m_state = last ? Failed : Failing;
        return;
    }
    const DnsResourceRecord& record = answer.answers.front();
    AsciiString text;
    DnsTxtText(record, text);
    m_answers[record.name] = std::string(text.c_str(), static_cast<size_t>(text.Length()));
    if (last) {
        Assemble();
    }
}

void RemoteConfigFetch::Assemble() {
    std::string base64 = m_firstPart;
    for (int i = 0; i < m_chunkCount; ++i) {
        char prefix[16];
        std::snprintf(prefix, sizeof(prefix), "%d.", i);
        const auto found = m_answers.find(prefix + m_baseName);
        if (found == m_answers.end()) {
            m_state = Failed;
            return;
        }
        base64 += found->second;
    }
    const auto signatureText = m_answers.find(m_baseName);
    if (signatureText == m_answers.end() || !DecodeBase64(base64, m_data) ||
        !DecodeBase64(signatureText->second, m_signature) || m_data.empty() ||
        m_signature.size() != static_cast<size_t>(kRemoteConfigSignatureSize)) {
        m_state = Failed;
        return;
    }
    if (std::memcmp(m_signature.data(), m_keptSignature, kRemoteConfigSignatureSize) == 0) {
        m_state = Unchanged;
        return;
    }
    m_rsa = GetRemoteConfigKey().BeginPublicOp(reinterpret_cast<const uint8_t*>(m_signature.data()),
                                               kRemoteConfigSignatureSize);
    if (m_rsa == nullptr) {
        m_state = Failed;
    }
}

void RemoteConfigFetch::Verify() {
    if (m_state != Running || m_rsa == nullptr) {
        return;
    }
    const RsaPublicKey& key = GetRemoteConfigKey();
    if (!key.ContinuePublicOp(*m_rsa, kSliceMicroseconds)) {
        return;
    }
    uint8_t result[kRemoteConfigSignatureSize];
    const int n = key.FinishPublicOp(std::move(m_rsa), result, sizeof(result));
    if (n <= 0 || !RemoteConfigDigestMatches(result, n, m_data) || !DecodeRemoteConfig(m_data, m_document)) {
        m_state = Failed;
        return;
    }
    SaveRemoteConfig(m_cacheName, m_data, m_signature);
    m_state = Adopted;
}

}  // namespace Varnok
