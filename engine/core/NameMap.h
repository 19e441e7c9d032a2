// Hash maps keyed by engine strings, hashed by the cached name hash.
#pragma once

#include "engine/core/AsciiString.h"

#include <unordered_map>

namespace Varnok {

// Keys compare by length, hash and bytes (AsciiString::Equals), so names that
// differ only in case are distinct keys. Look-ups hash each key once: the
// hash is cached in the string.
template <typename T>
using NameMap = std::unordered_map<AsciiString, T, AsciiStringHash>;

}  // namespace Varnok
