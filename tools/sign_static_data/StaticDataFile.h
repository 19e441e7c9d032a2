// Signed static data: a JSON value wrapped as {"data": value}, framed like a
// protocol body (see TransportFrame.h) into F, and F.sig, the 128-byte
// PKCS #1 v1.5 SHA-512 signature over F as stored (still enciphered).
// A set is an "offlineInfo" file ({"files": [names], "version": "v3"}) and
// one file per listed name, each "<name><suffix>" beside its ".sig".
#pragma once

#include <json/json.h>

#include <string>

namespace Varnok {
namespace Tools {

class SigningKey;

struct SignedStaticFile {
    std::string file;       // F
    std::string signature;  // F.sig
};

[[nodiscard]] bool SignStaticData(const Json::Value& data, const SigningKey& key,
                                  SignedStaticFile* outFile);

// Checks the signature against the public key, unframes and parses F.
// outText is the inflated JSON text (the client hashes it); outWhy names a
// refusal.
[[nodiscard]] bool OpenStaticData(const SignedStaticFile& signedFile,
                                  const std::string& publicKeyPath, Json::Value* outData,
                                  std::string* outText, std::string* outWhy);

// A signed set as a server announces it: the set hash (SHA-1 of the sorted
// SHA-1s of every file's text, offlineInfo included, as 40 lower-case hex
// digits each) and the hash table {"<name>": "<name><suffix>"}.
struct StaticDataSet {
    std::string hash;
    Json::Value hashTable;
};

// {"hash", "url", "hashTable"}: how a sync reply announces the set, url
// being the folder the files are served from (ending in "/").
Json::Value StaticDataAnnouncement(const StaticDataSet& set, const std::string& url);

[[nodiscard]] bool ReadStaticDataSet(const std::string& directory, const std::string& suffix,
                                     const std::string& publicKeyPath, StaticDataSet* outSet,
                                     std::string* outWhy);

}  // namespace Tools
}  // namespace Varnok
