// The online client's own crypto against OpenSSL on its real uses: AES-128-CBC
// over a 64 KiB request body, SHA-512 over a 1 MiB static-data file, and one
// RSA-1024 signature check with the project key (the public operation and the
// comparison with the expected PKCS#1 block on ours; EVP_PKEY_verify of the
// digest on OpenSSL's).
#include "bench/SideBySide.h"
#include "kiplink/Source/Crypto.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/sha.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kBodyBytes = 64 * 1024;
constexpr size_t kFileBytes = 1024 * 1024;
constexpr int kBatches = 15;
constexpr double kBatchSeconds = 0.02;

std::vector<uint8_t> Bytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    uint32_t x = 2463534242u;
    for (uint8_t& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return bytes;
}

template <class Pass>
double MicrosecondsPerPass(Pass pass) {
    return Bench::MedianMicrosecondsPerPass(pass, kBatchSeconds, kBatches);
}

double OursAes() {
    const std::vector<uint8_t> body = Bytes(kBodyBytes);
    std::string sealed;
    return MicrosecondsPerPass([&] {
        Kiplink::EncryptToString(Kiplink::GetTransportCipher(), body.data(), body.size(), &sealed);
        benchmark::DoNotOptimize(sealed.data());
    });
}

double OpenSslAes() {
    const std::vector<uint8_t> body = Bytes(kBodyBytes);
    const Kiplink::AesCbcCipher& cipher = Kiplink::GetTransportCipher();
    std::string sealed;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    const double us = MicrosecondsPerPass([&] {
        sealed.resize(body.size() + 16);
        int written = 0;
        int final = 0;
        EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, cipher.Key(), cipher.Iv());
        EVP_CIPHER_CTX_set_padding(context, 0);  // whole blocks already, as ours pads
        EVP_EncryptUpdate(context, reinterpret_cast<uint8_t*>(&sealed[0]), &written, body.data(),
                          static_cast<int>(body.size()));
        EVP_EncryptFinal_ex(context, reinterpret_cast<uint8_t*>(&sealed[0]) + written, &final);
        sealed.resize(static_cast<size_t>(written + final));
        benchmark::DoNotOptimize(sealed.data());
    });
    EVP_CIPHER_CTX_free(context);
    return us;
}

double OursSha512() {
    const std::vector<uint8_t> file = Bytes(kFileBytes);
    uint8_t digest[64];
    return MicrosecondsPerPass([&] {
        Kiplink::Sha512Digest(file.data(), file.size(), digest);
        benchmark::DoNotOptimize(digest);
    });
}

double OpenSslSha512() {
    const std::vector<uint8_t> file = Bytes(kFileBytes);
    uint8_t digest[64];
    return MicrosecondsPerPass([&] {
        SHA512(file.data(), file.size(), digest);
        benchmark::DoNotOptimize(digest);
    });
}

// The signature of a 1 MiB file made with the private key (not timed).
struct Signed {
    EVP_PKEY* key = nullptr;
    uint8_t digest[64];
    std::vector<uint8_t> signature;
};

bool MakeSignature(Signed* out) {
    FILE* file = fopen(VARNOK_PROJECT_KEY, "r");
    if (file == nullptr) return false;
    out->key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    fclose(file);
    if (out->key == nullptr) return false;
    const std::vector<uint8_t> data = Bytes(kFileBytes);
    SHA512(data.data(), data.size(), out->digest);
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(out->key, nullptr);
    size_t length = 256;
    out->signature.resize(length);
    const bool ok = EVP_PKEY_sign_init(context) == 1 && EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING) == 1 &&
                    EVP_PKEY_CTX_set_signature_md(context, EVP_sha512()) == 1 &&
                    EVP_PKEY_sign(context, out->signature.data(), &length, out->digest, 64) == 1;
    EVP_PKEY_CTX_free(context);
    out->signature.resize(length);
    return ok;
}

double OursRsa() {
    Signed made;
    if (!MakeSignature(&made)) return -1.0;
    // The PKCS#1 v1.5 block that a good signature raises to, leading zero dropped.
    static const uint8_t kSha512Info[19] = {0x30, 0x51, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                                           0x65, 0x03, 0x04, 0x02, 0x03, 0x05, 0x00, 0x04, 0x40};
    std::vector<uint8_t> expected(127, 0xFF);
    expected[0] = 0x01;
    expected[127 - 64 - 19 - 1] = 0x00;
    memcpy(&expected[127 - 64 - 19], kSha512Info, 19);
    memcpy(&expected[127 - 64], made.digest, 64);
    bool good = true;
    const double us = MicrosecondsPerPass([&] {
        uint8_t block[128];
        const size_t count = Kiplink::GetRsaPublicKey().PublicOperation(made.signature.data(), made.signature.size(),
                                                                        block, sizeof(block));
        good &= count == expected.size() && memcmp(block, expected.data(), count) == 0;
    });
    EVP_PKEY_free(made.key);
    return good ? us : -1.0;
}

double OpenSslRsa() {
    Signed made;
    if (!MakeSignature(&made)) return -1.0;
    // Verification needs only the public half, as the client has.
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PUBKEY(bio, made.key);
    EVP_PKEY* publicKey = PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(publicKey, nullptr);
    bool good = true;
    const double us = MicrosecondsPerPass([&] {
        EVP_PKEY_verify_init(context);
        EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING);
        EVP_PKEY_CTX_set_signature_md(context, EVP_sha512());
        good &= EVP_PKEY_verify(context, made.signature.data(), made.signature.size(), made.digest, 64) == 1;
    });
    EVP_PKEY_CTX_free(context);
    EVP_PKEY_free(publicKey);
    EVP_PKEY_free(made.key);
    return good ? us : -1.0;
}

std::vector<Bench::Comparison> Comparisons() {
    std::vector<Bench::Comparison> out(3);
    out[0].workload = "AES-128-CBC encryption of a 64 KiB request body with the transport key (fresh context per body)";
    out[0].unit = "us per body";
    out[0].contenders = {{"kiplink AES-128-CBC", OursAes}, {"OpenSSL AES-128-CBC", OpenSslAes}};
    out[1].workload = "SHA-512 of a 1 MiB static-data file";
    out[1].unit = "us per file";
    out[1].contenders = {{"kiplink SHA-512", OursSha512}, {"OpenSSL SHA-512", OpenSslSha512}};
    out[2].workload = "one RSA-1024 PKCS#1 v1.5 SHA-512 signature check with the project key (digest given)";
    out[2].unit = "us per check";
    out[2].contenders = {{"kiplink RSA-1024 check", OursRsa}, {"OpenSSL RSA-1024 verify", OpenSslRsa}};
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    return Bench::RunComparisons(argc, argv, Comparisons());
}
