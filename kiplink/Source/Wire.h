// The byte layout shared by request bodies, reply bodies and signed static
// data: under the transport cipher, [compressed length u32 LE][text length
// u32 LE][zlib stream][zero padding to 16].
#pragma once

#include "kiplink/Public/IValue.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kiplink {

constexpr const char* kKiplinkContentType = "application/x-kiplink";
constexpr size_t kFrameHeaderBytes = 8;
// Inflation never grows a buffer past this, whatever a header claims.
constexpr uint32_t kMaxInflatedBytes = 64u * 1024u * 1024u;

// The plaintext frame (header, zlib level 9, zero padding) of text; false
// when compression fails.
bool BuildPlainFrame(const char* text, size_t length, std::string* outPlain);
// BuildPlainFrame enciphered with the transport cipher.
bool FrameBody(const char* text, size_t length, std::string* outBody);

// Inflates a zlib stream whose text should be declaredLength bytes. Starts
// from the declared length (at least 256 bytes) and doubles only up to
// kMaxInflatedBytes while zlib says the buffer is short.
bool InflateCapped(const uint8_t* stream, size_t streamLength, uint32_t declaredLength,
                   std::string* outText);

// Deciphers and inflates a frame; outWhy names the refusal.
bool UnframeBody(const uint8_t* body, size_t length, std::string* outText, const char** outWhy);

// True when the content type names the enciphered framing (any case).
bool IsKiplinkContentType(const char* contentType);

// A reply body as the server sent it: enciphered framing for the kiplink
// content type, plain JSON text otherwise. A new value (one reference) or
// null with outWhy set.
IValue* DecodeReply(const uint8_t* body, size_t length, const char* contentType, const char** outWhy);

// The 40 lower-case hex digits of the SHA-1 of the bytes.
std::string Sha1Hex(const void* bytes, size_t length);

}  // namespace Kiplink
