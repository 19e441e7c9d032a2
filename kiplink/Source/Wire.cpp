#include "kiplink/Source/Wire.h"

#include "kiplink/Source/Crypto.h"

#include <strings.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace Kiplink {

namespace {

void PutLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t GetLe32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

constexpr uint32_t kMinInflateStart = 256;

}  // namespace

bool BuildPlainFrame(const char* text, size_t length, std::string* outPlain) {
    if (length > 0xFFFFFFFFu) {
        return false;
    }
    uLongf compressed = compressBound(static_cast<uLong>(length));
    const size_t capacity = kFrameHeaderBytes + compressed;
    outPlain->resize((capacity + 15) & ~static_cast<size_t>(15));
    auto* bytes = reinterpret_cast<uint8_t*>(&(*outPlain)[0]);
    if (compress2(bytes + kFrameHeaderBytes, &compressed, reinterpret_cast<const Bytef*>(text),
                  static_cast<uLong>(length), 9) != Z_OK) {
        outPlain->clear();
        return false;
    }
    PutLe32(bytes, static_cast<uint32_t>(compressed));
    PutLe32(bytes + 4, static_cast<uint32_t>(length));
    const size_t used = kFrameHeaderBytes + compressed;
    const size_t padded = (used + 15) & ~static_cast<size_t>(15);
    std::memset(bytes + used, 0, padded - used);
    outPlain->resize(padded);
    return true;
}

bool FrameBody(const char* text, size_t length, std::string* outBody) {
    if (!BuildPlainFrame(text, length, outBody)) {
        return false;
    }
    GetTransportCipher().Encrypt(reinterpret_cast<uint8_t*>(&(*outBody)[0]), outBody->size());
    return true;
}

bool InflateCapped(const uint8_t* stream, size_t streamLength, uint32_t declaredLength,
                   std::string* outText) {
    // zlib's deflate never shrinks text by more than about 1032 to 1, so a
    // stream of n bytes cannot inflate past that: a header's claim beyond it
    // allocates nothing.
    const uint64_t bound = static_cast<uint64_t>(streamLength) * 1032u + 1024u;
    const uint32_t cap = static_cast<uint32_t>(std::min<uint64_t>(bound, kMaxInflatedBytes));
    uint32_t size = std::min(std::max(declaredLength, kMinInflateStart), cap);
    for (;;) {
        outText->resize(size);
        uLongf produced = size;
        const int status = uncompress(reinterpret_cast<Bytef*>(&(*outText)[0]), &produced, stream,
                                      static_cast<uLong>(streamLength));
        if (status == Z_OK) {
            outText->resize(produced);
            return true;
        }
        if (status != Z_BUF_ERROR || size >= cap) {
            outText->clear();
            return false;
        }
        // Z_BUF_ERROR also means a truncated stream; a stream that fills no
        // buffer of any size is caught by the cap.
        size = size > cap / 2 ? cap : size * 2;
    }
}

bool UnframeBody(const uint8_t* body, size_t length, std::string* outText, const char** outWhy) {
    if (length < kFrameHeaderBytes) {
        *outWhy = "body shorter than its header";
        return false;
    }
    std::string plain;
    DecryptToString(GetTransportCipher(), body, length, &plain);
    const auto* bytes = reinterpret_cast<const uint8_t*>(plain.data());
    const uint32_t compressed = GetLe32(bytes);
    const uint32_t textLength = GetLe32(bytes + 4);
    if (compressed > length - kFrameHeaderBytes) {
        *outWhy = "compressed length runs past the body";
        return false;
    }
    if (!InflateCapped(bytes + kFrameHeaderBytes, compressed, textLength, outText)) {
        *outWhy = "broken zlib stream";
        return false;
    }
    return true;
}

bool IsKiplinkContentType(const char* contentType) {
    return contentType != nullptr && strcasecmp(contentType, kKiplinkContentType) == 0;
}

IValue* DecodeReply(const uint8_t* body, size_t length, const char* contentType, const char** outWhy) {
    if (contentType == nullptr) {
        *outWhy = "reply without a content type";
        return nullptr;
    }
    std::string text;
    if (IsKiplinkContentType(contentType)) {
        if (!UnframeBody(body, length, &text, outWhy)) {
            return nullptr;
        }
    } else {
        text.assign(reinterpret_cast<const char*>(body), length);
    }
    // The parser reads up to the first zero byte, as the text ends there.
    IValue* reply = CreateValue();
    if (!reply->Parse(text.c_str())) {
        reply->Release();
        *outWhy = "reply is not JSON";
        return nullptr;
    }
    return reply;
}

std::string Sha1Hex(const void* bytes, size_t length) {
    uint8_t digest[20];
    Sha1Digest(bytes, length, digest);
    static const char kHex[] = "0123456789abcdef";
    std::string hex(40, '0');
    for (int i = 0; i < 20; ++i) {
        hex[2 * i] = kHex[digest[i] >> 4];
        hex[2 * i + 1] = kHex[digest[i] & 15];
    }
    return hex;
}

}  // namespace Kiplink
