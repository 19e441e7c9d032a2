// Hash maps keyed by engine strings whose keys match without regard to
// letter case (component ids, event and animation names, screen names).
#pragma once

#include "engine/core/NameMap.h"

#include <unordered_map>

namespace Varnok {

struct AsciiStringEqualNoCase {
    bool operator()(const AsciiString& a, const AsciiString& b) const { return a.EqualsNoCase(b); }
};

// The name hash already folds case, so equal-without-case keys share a bucket.
template <typename T>
using NoCaseNameMap = std::unordered_map<AsciiString, T, AsciiStringHash, AsciiStringEqualNoCase>;

}  // namespace Varnok
