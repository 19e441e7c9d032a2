// The signed remote configuration: one JSON document, enciphered with the
// transport cipher pair, signed with the development RSA-1024 key and
// published as DNS TXT records:
//   <name>.   "a;n;c"  header: base name a, chunk count n (hex, below 256),
//                      and c, the first part of the document's Base64
//   a         Base64 of the 128-byte signature over the enciphered bytes
//   <i>.a     chunks 0..n-1, the rest of the Base64 in order
// A fetch walks these records, checks the signature in 500-microsecond
// slices and leaves the document for the configuration to adopt.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Aes.h"
#include "engine/core/Rsa.h"
#include "engine/services/DnsTxtClient.h"

#include <json/json.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Varnok {

constexpr int kRemoteConfigSignatureSize = 128;

const Cipher& GetRemoteConfigCipher();
const RsaPublicKey& GetRemoteConfigKey();

// Whether the signature's public-key result carries the SHA-512 digest of
// data at bytes 63 to 126 (result read as FinishPublicOp writes it).
bool RemoteConfigDigestMatches(const uint8_t* result, int resultLength, const std::string& data);
// Deciphers and parses (comments allowed, zero padding after the JSON
// accepted); false on a parse failure or a document that is not an object.
bool DecodeRemoteConfig(const std::string& data, Json::Value& outDocument);
// The whole check of a cached pair, in one call.
bool CheckRemoteConfig(const std::string& data, const std::string& signature, Json::Value& outDocument);
// Splits a header record's text "a;n;c" (empty fields dropped): exactly
// three fields and a hexadecimal count below 256, else false.
bool ParseRemoteConfigHeader(const std::string& text, std::string& outBaseName, int& outChunkCount,
                             std::string& outFirstPart);
// Writes name + ".dat" and name + ".sig" into "save"; false when either fails.
bool SaveRemoteConfig(const std::string& name, const std::string& data, const std::string& signature);

class RemoteConfigFetch {
public:
    enum State { Created = 0, Running = 1, Adopted = 2, Unchanged = 3, Failing = 4, Failed = 5 };

    static constexpr int kSliceMicroseconds = 500;

    // queryName ends in "."; cacheName is where an adopted pair is saved;
    // keptSignature (128 bytes) is the adopted configuration's, to compare.
    RemoteConfigFetch(const AsciiString& queryName, const std::string& cacheName,
                      const uint8_t* keptSignature);
    ~RemoteConfigFetch();
    RemoteConfigFetch(const RemoteConfigFetch&) = delete;
    RemoteConfigFetch& operator=(const RemoteConfigFetch&) = delete;

    void Start();
    // One slice of the signature check while Running.
    void Verify();

    State GetState() const { return m_state; }
    int64_t GetExpiry() const { return m_expiry; }
    const Json::Value& GetDocument() const { return m_document; }
    const std::string& GetSignature() const { return m_signature; }
    bool IsVerifying() const { return m_rsa != nullptr; }

private:
    void OnHeader(const DnsMessage& answer);
    void OnRecord(const DnsMessage& answer);
    void Assemble();
    void Query(const std::string& name, const DnsCompletion& completion);

    State m_state = Created;
    Json::Value m_document;
    int64_t m_expiry = 0;
    AsciiString m_queryName;
    std::string m_cacheName;
    std::string m_signature;
    std::string m_firstPart;
    std::string m_baseName;
    int m_chunkCount = 0;
    int m_received = 0;
    std::map<std::string, std::string> m_answers;
    const uint8_t* m_keptSignature;
    std::string m_data;
    std::unique_ptr<RsaExponentiation> m_rsa;
};

}  // namespace Varnok
