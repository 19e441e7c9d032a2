// Small pieces the social services share: case-blind search in texts that
// come back from dialogs and links, and reporting through a post delegate.
#pragma once

#include "engine/services/ISocialService.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace Varnok {

inline bool ContainsIgnoringCase(const std::string& text, const char* marker) {
    const auto found = std::search(text.begin(), text.end(), marker, marker + std::strlen(marker),
                                   [](char a, char b) {
                                       return std::tolower(static_cast<unsigned char>(a)) ==
                                              std::tolower(static_cast<unsigned char>(b));
                                   });
    return found != text.end();
}

// Null texts count as empty.
inline const char* TextOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// An empty delegate is skipped.
inline void ReportPostStatus(const ISocialService::PostDelegate& onDone, SocialPostStatus status) {
    if (!onDone.IsEmpty()) {
        onDone(status);
    }
}

}  // namespace Varnok
