// The online protocol's transport cipher and body framing, as the signing
// tools and the protocol server write and read them:
//
//   body      = AES-128-CBC(plaintext), no padding count stored
//   plaintext = [c: u32 LE][u: u32 LE][zlib stream of c bytes][00 * (0..15)]
//
// where u is the length of the JSON text the stream inflates to, and the
// plaintext is zero-padded to a whole number of 16-byte blocks. The same
// framing carries request and reply bodies and signed static-data files; the
// remote configuration document is the cipher alone over its JSON text.
#pragma once

#include <cstdint>
#include <string>

namespace Varnok {
namespace Tools {

// The transport pair, 16 ASCII characters each, used as the key bytes.
extern const char kTransportKey[17];
extern const char kTransportIv[17];

// Zero-pads to a multiple of 16 and enciphers; every call starts from the IV.
std::string EncipherTransport(const std::string& plain);
// Deciphers the input rounded up to whole blocks (a short tail is padded
// with zero bytes first); the result keeps the padding.
std::string DecipherTransport(const std::string& cipher);

// Compresses at zlib level 9 and frames as above.
[[nodiscard]] bool FrameBody(const std::string& jsonText, std::string* outBody);

// Reads a framed body back to its JSON text. Refuses a body of 7 bytes or
// less, a compressed length past the body and a broken zlib stream; the
// declared text length is only a starting size (inflation grows to a cap).
// outWhy names the fault.
[[nodiscard]] bool UnframeBody(const std::string& body, std::string* outText,
                               std::string* outWhy);

// The framed body before enciphering, for building deliberately wrong ones.
std::string FramePlaintext(uint32_t compressedLength, uint32_t textLength,
                           const std::string& stream);

}  // namespace Tools
}  // namespace Varnok
