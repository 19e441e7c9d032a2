// Base64 of RFC 4648 (standard alphabet, '=' padding, no line breaks).
#pragma once

namespace Varnok {
namespace Base64 {

// Size of the output buffer that Encode needs for n bytes, terminator included.
int EncodedLength(int n);

// Writes the zero-terminated text. False, with nothing written, when
// capacity cannot hold it (see EncodedLength).
[[nodiscard]] bool Encode(const void* data, int n, char* out, int capacity);

// Decodes the zero-terminated text, skipping every character that is neither
// '=' nor in the alphabet. Stops after the first group shorter than 3 bytes
// (a padded one, a malformed one, or the end of the text, which is taken as
// padded). Returns the number of bytes written, or -1 when a group would not
// fit into capacity (the bytes of earlier groups are then already written).
int Decode(const char* text, void* out, int capacity);

}  // namespace Base64
}  // namespace Varnok
