// AES-128-CBC through OpenSSL's EVP with padding off (we pad with zeros), and
// zlib for the stream inside the frame.
#include "tools/sign_remote_config/TransportFrame.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace Varnok {
namespace Tools {

const char kTransportKey[17] = "5E0C9F21B7D4A386";
const char kTransportIv[17] = "C2F76B0E9A41D583";

namespace {

constexpr size_t kBlock = 16;
constexpr size_t kHeaderBytes = 8;
// Inflation never grows past this, whatever a header claims.
constexpr size_t kMaxTextBytes = 64u << 20;
// zlib cannot expand a byte of stream into more than about 1032 bytes, so a
// declared length beyond that is a lie and is not allocated up front.
constexpr size_t kMaxInflateRatio = 1032;
constexpr size_t kMinTextBytes = 256;

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};

std::string RunCipher(const std::string& input, bool encipher) {
    std::string buffer = input;
    buffer.resize((input.size() + kBlock - 1) / kBlock * kBlock, '\0');
    std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
    EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr,
                      reinterpret_cast<const unsigned char*>(kTransportKey),
                      reinterpret_cast<const unsigned char*>(kTransportIv), encipher ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    std::string out(buffer.size() + kBlock, '\0');
    int written = 0;
    int tail = 0;
    auto* outBytes = reinterpret_cast<unsigned char*>(&out[0]);
    EVP_CipherUpdate(ctx.get(), outBytes, &written,
                     reinterpret_cast<const unsigned char*>(buffer.data()),
                     static_cast<int>(buffer.size()));
    EVP_CipherFinal_ex(ctx.get(), outBytes + written, &tail);
    out.resize(static_cast<size_t>(written + tail));
    return out;
}

uint32_t ReadLe32(const std::string& s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

void AppendLe32(std::string* s, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// Inflates one whole zlib stream, growing the output by doubling from a
// non-zero start up to the cap; trailing input after the stream is ignored
// (that is where the zero padding lies when c is generous).
bool Inflate(const std::string& stream, size_t sizeHint, std::string* outText,
             std::string* outWhy) {
    const size_t plausible = std::min(kMaxTextBytes, stream.size() * kMaxInflateRatio + kMinTextBytes);
    std::string out(std::max(std::min(sizeHint, plausible), kMinTextBytes), '\0');
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        *outWhy = "zlib cannot start";
        return false;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    int status = Z_OK;
    while (true) {
        z.next_out = reinterpret_cast<Bytef*>(&out[z.total_out]);
        z.avail_out = static_cast<uInt>(out.size() - z.total_out);
        status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            break;
        }
        if (status == Z_BUF_ERROR && z.avail_out == 0) {
            status = Z_OK;
        }
        if (status != Z_OK) {
            break;
        }
        if (z.avail_out == 0) {
            if (out.size() >= kMaxTextBytes) {
                status = Z_MEM_ERROR;
                break;
            }
            out.resize(std::min(out.size() * 2, kMaxTextBytes));
        } else if (z.avail_in == 0) {
            status = Z_DATA_ERROR;  // stream ends early
            break;
        }
    }
    const size_t produced = z.total_out;
    inflateEnd(&z);
    if (status != Z_STREAM_END) {
        *outWhy = status == Z_MEM_ERROR ? "text larger than 64 MiB" : "broken zlib stream";
        return false;
    }
    out.resize(produced);
    *outText = std::move(out);
    return true;
}

}  // namespace

std::string EncipherTransport(const std::string& plain) {
    return RunCipher(plain, true);
}

std::string DecipherTransport(const std::string& cipher) {
    return RunCipher(cipher, false);
}

std::string FramePlaintext(uint32_t compressedLength, uint32_t textLength,
                           const std::string& stream) {
    std::string plain;
    AppendLe32(&plain, compressedLength);
    AppendLe32(&plain, textLength);
    plain += stream;
    return plain;
}

bool FrameBody(const std::string& jsonText, std::string* outBody) {
    uLongf length = compressBound(static_cast<uLong>(jsonText.size()));
    std::string stream(length, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&stream[0]), &length,
                  reinterpret_cast<const Bytef*>(jsonText.data()),
                  static_cast<uLong>(jsonText.size()), 9) != Z_OK) {
        return false;
    }
    stream.resize(length);
    *outBody = EncipherTransport(FramePlaintext(static_cast<uint32_t>(length),
                                                static_cast<uint32_t>(jsonText.size()), stream));
    return true;
}

bool UnframeBody(const std::string& body, std::string* outText, std::string* outWhy) {
    if (body.size() < kHeaderBytes) {
        *outWhy = "body of " + std::to_string(body.size()) + " bytes is shorter than its header";
        return false;
    }
    const std::string plain = DecipherTransport(body);
    const uint32_t compressed = ReadLe32(plain, 0);
    const uint32_t textLength = ReadLe32(plain, 4);
    if (compressed > body.size() - kHeaderBytes) {
        *outWhy = "compressed length " + std::to_string(compressed) + " runs past the body";
        return false;
    }
    return Inflate(plain.substr(kHeaderBytes, compressed), textLength, outText, outWhy);
}

}  // namespace Tools
}  // namespace Varnok
