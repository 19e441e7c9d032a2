// Remote configuration as published in DNS: one JSON document enciphered with
// the transport cipher, signed, Base64-encoded and cut into TXT records.
//
//   <name>.          "a;n;c"     header: base name a (with final "."), chunk
//                                count n in lower-case hex (0..ff), and c, the
//                                first part of the Base64 of the document
//   a                Base64 of the 128-byte signature over the enciphered bytes
//   <i>.a            chunk i (decimal, 0..n-1): the following parts, in order
//
// Every record's text is one character-string, so at most 255 bytes. The TTL
// is the resolver's (dnsmasq --local-ttl). The same bytes are the cache pair:
// ".dat" holds the enciphered document, ".sig" the signature.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Varnok {
namespace Tools {

class SigningKey;

struct TxtRecord {
    std::string name;  // absolute, with its final "."
    std::string text;  // 1..255 bytes
};

struct RemoteConfigOptions {
    std::string name;            // where the header lives; a final "." is optional
    std::string baseName;        // empty: "r<8 hex of the digest>.<name>." so new
                                 // records never mix with cached old ones
    size_t maxTextBytes = 255;   // per record; smaller makes more chunks
};

struct RemoteConfigPublication {
    std::string data;       // the enciphered document (the ".dat" bytes)
    std::string signature;  // 128 bytes (the ".sig" bytes)
    std::vector<TxtRecord> records;  // header, signature, chunks 0..n-1
};

// Parses documentText as JSON (refused when it is not an object), writes it
// compactly, enciphers, signs and cuts it. outWhy names a refusal.
[[nodiscard]] bool PublishRemoteConfig(const std::string& documentText, const SigningKey& key,
                                       const RemoteConfigOptions& options,
                                       RemoteConfigPublication* outPublication,
                                       std::string* outWhy);

// "--txt-record=<name without final dot>,<text>", one argument of dnsmasq.
std::string DnsmasqTxtLine(const TxtRecord& record);

// Reads records back as a client does: the header at name, then the
// signature and chunks it names. texts maps owner names (final ".") to texts.
[[nodiscard]] bool AssembleRemoteConfig(const std::map<std::string, std::string>& texts,
                                        const std::string& name, std::string* outData,
                                        std::string* outSignature, std::string* outWhy);

// name with exactly one final ".".
std::string AbsoluteName(const std::string& name);

}  // namespace Tools
}  // namespace Varnok
