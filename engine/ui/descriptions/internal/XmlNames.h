// Element and attribute access for the UI's XML readers: element names match
// without regard to ASCII letter case, attribute names exactly.
#pragma once

#include <tinyxml.h>

namespace Varnok {

inline bool NamesEqualNoCase(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    for (;; ++a, ++b) {
        char ca = *a;
        char cb = *b;
        if (ca >= 'A' && ca <= 'Z') {
            ca = static_cast<char>(ca + 32);
        }
        if (cb >= 'A' && cb <= 'Z') {
            cb = static_cast<char>(cb + 32);
        }
        if (ca != cb) {
            return false;
        }
        if (ca == '\0') {
            return true;
        }
    }
}

inline bool ElementIs(const TiXmlElement& element, const char* name) {
    return NamesEqualNoCase(element.Value(), name);
}

// The attribute's text, or null when it is missing.
inline const char* Attr(const TiXmlElement& element, const char* name) {
    return element.Attribute(name);
}

// The attribute's text, or "" when it is missing.
inline const char* AttrOrEmpty(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value != nullptr ? value : "";
}

inline bool HasText(const char* text) { return text != nullptr && text[0] != '\0'; }

}  // namespace Varnok
