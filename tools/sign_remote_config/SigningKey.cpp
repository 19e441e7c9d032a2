// OpenSSL behind SigningKey: PEM loading, PKCS #1 v1.5 with SHA-512, digests
// and Base64.
#include "tools/sign_remote_config/SigningKey.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <cstdio>
#include <memory>

namespace Varnok {
namespace Tools {

namespace {

constexpr int kKeyBits = 1024;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
struct PkeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string Digest(const EVP_MD* md, const std::string& bytes) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), out, &length, md, nullptr);
    return std::string(reinterpret_cast<char*>(out), length);
}

}  // namespace

std::string DevelopmentKeyPath() {
    return std::string(VARNOK_SIGNING_KEY_DIR) + "/development_key.pem";
}

std::string DevelopmentPublicKeyPath() {
    return std::string(VARNOK_SIGNING_KEY_DIR) + "/development_key.pub.pem";
}

SigningKey::~SigningKey() {
    EVP_PKEY_free(m_key);
}

bool SigningKey::Load(const std::string& pemPath) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(pemPath.c_str(), "rb"));
    if (!file) {
        std::fprintf(stderr, "SigningKey: cannot open %s\n", pemPath.c_str());
        return false;
    }
    std::unique_ptr<EVP_PKEY, PkeyFree> key(
        PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr));
    if (!key) {
        std::fprintf(stderr, "SigningKey: %s holds no PEM private key\n", pemPath.c_str());
        return false;
    }
    if (EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA || EVP_PKEY_get_bits(key.get()) != kKeyBits) {
        std::fprintf(stderr, "SigningKey: %s is not an RSA-%d key\n", pemPath.c_str(), kKeyBits);
        return false;
    }
    EVP_PKEY_free(m_key);
    m_key = key.release();
    return true;
}

bool SigningKey::Sign(const std::string& bytes, std::string* outSignature) const {
    if (m_key == nullptr) {
        return false;
    }
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = nullptr;
    if (!ctx || EVP_DigestSignInit(ctx.get(), &pctx, EVP_sha512(), nullptr, m_key) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PADDING) != 1) {
        std::fprintf(stderr, "SigningKey: cannot start a SHA-512 signature\n");
        return false;
    }
    size_t length = 0;
    if (EVP_DigestSign(ctx.get(), nullptr, &length, Bytes(bytes), bytes.size()) != 1) {
        return false;
    }
    std::string signature(length, '\0');
    if (EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(&signature[0]), &length,
                       Bytes(bytes), bytes.size()) != 1) {
        std::fprintf(stderr, "SigningKey: signing failed\n");
        return false;
    }
    signature.resize(length);
    *outSignature = std::move(signature);
    return true;
}

bool VerifySignature(const std::string& pemPath, const std::string& bytes,
                     const std::string& signature) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(pemPath.c_str(), "rb"));
    if (!file) {
        return false;
    }
    std::unique_ptr<EVP_PKEY, PkeyFree> key(
        PEM_read_PUBKEY(file.get(), nullptr, nullptr, nullptr));
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = nullptr;
    if (!key || !ctx ||
        EVP_DigestVerifyInit(ctx.get(), &pctx, EVP_sha512(), nullptr, key.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PADDING) != 1) {
        return false;
    }
    return EVP_DigestVerify(ctx.get(), Bytes(signature), signature.size(), Bytes(bytes),
                            bytes.size()) == 1;
}

std::string Sha512(const std::string& bytes) {
    return Digest(EVP_sha512(), bytes);
}

std::string Sha1Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : Digest(EVP_sha1(), bytes)) {
        hex += kHex[c >> 4];
        hex += kHex[c & 15];
    }
    return hex;
}

std::string Base64Encode(const std::string& bytes) {
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&text[0]), Bytes(bytes),
                                       static_cast<int>(bytes.size()));
    text.resize(length);
    return text;
}

bool Base64Decode(const std::string& text, std::string* outBytes) {
    if (text.size() % 4 != 0) {
        return false;
    }
    std::string bytes(text.size() / 4 * 3 + 1, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(&bytes[0]), Bytes(text),
                                       static_cast<int>(text.size()));
    if (length < 0) {
        return false;
    }
    // EVP_DecodeBlock counts padding as zero bytes; drop them.
    size_t padding = 0;
    if (!text.empty() && text.back() == '=') {
        padding = (text.size() >= 2 && text[text.size() - 2] == '=') ? 2 : 1;
    }
    bytes.resize(static_cast<size_t>(length) - padding);
    if (Base64Encode(bytes) != text) {
        return false;  // non-canonical or stray characters
    }
    *outBytes = std::move(bytes);
    return true;
}

}  // namespace Tools
}  // namespace Varnok
