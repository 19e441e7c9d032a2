// The development RSA-1024 key that signs remote configuration and static
// data, and the digests the signing tools and the protocol server share.
// Built on OpenSSL so that it checks the client library independently.
#pragma once

#include <string>

typedef struct evp_pkey_st EVP_PKEY;

namespace Varnok {
namespace Tools {

// The key pair kept beside the signing tool (PEM files).
std::string DevelopmentKeyPath();
std::string DevelopmentPublicKeyPath();

class SigningKey {
public:
    SigningKey() = default;
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    // Reads a PEM private key; refuses anything but RSA-1024, the size every
    // signature block of the formats is (128 bytes). Logs one line on failure.
    [[nodiscard]] bool Load(const std::string& pemPath);

    // PKCS #1 v1.5 signature over the SHA-512 digest of bytes: 128 bytes,
    // big-endian. Requires: Load succeeded.
    [[nodiscard]] bool Sign(const std::string& bytes, std::string* outSignature) const;

private:
    EVP_PKEY* m_key = nullptr;
};

// Checks a signature with OpenSSL's own PKCS #1 v1.5 SHA-512 verification
// against the public key in pemPath.
[[nodiscard]] bool VerifySignature(const std::string& pemPath, const std::string& bytes,
                                   const std::string& signature);

std::string Sha512(const std::string& bytes);  // 64 raw bytes
std::string Sha1Hex(const std::string& bytes); // 40 lower-case hex digits

std::string Base64Encode(const std::string& bytes);
// Refuses anything but canonical, padded Base64 without white space.
[[nodiscard]] bool Base64Decode(const std::string& text, std::string* outBytes);

}  // namespace Tools
}  // namespace Varnok
