// Numbered placeholders ("{0}" to "{11}") in diagnostic text, and the debug
// print that turns printf-style formats into them.
#pragma once

#include "engine/core/AsciiString.h"

#include <string>

namespace Varnok {

// Texts a placeholder format can name: "{0}" to "{11}".
constexpr int kPlaceholderTextCount = 12;

// Copies `format`, replacing each placeholder ('{', one or more digits, '}')
// with the text of that number. Numbers of 12 or more are written back as
// '{', the number in decimal, '}'; a missing or null text reads "<NULL>";
// any other '{' is copied as it stands. texts may be null when textCount is 0;
// texts past the twelfth are never used. A null format gives the empty string.
AsciiString FillPlaceholders(const char* format, const char* const* texts, int textCount);

// Appends `format` to `out` with every printf conversion turned into a
// numbered placeholder in argument order ("%s %5.2f" becomes "{0} {1}"); a '*'
// width or precision takes a number of its own. "%%" becomes "%" and a '%'
// that starts no conversion is kept. Returns the argument positions used.
int FormatToPlaceholders(const char* format, std::string& out);

// The engine's debug output: returns the text unchanged and shows nothing.
const AsciiString& Identity(const AsciiString& text);

// DebugPrintf for texts held in an array; see below.
AsciiString DebugPrintfArray(const char* format, const char* const* texts, int textCount);

// A printf-style format with up to twelve C-string arguments, filled in and
// handed to the debug output; returns the finished line.
template <typename... Texts>
AsciiString DebugPrintf(const char* format, Texts... texts) {
    static_assert(sizeof...(Texts) <= kPlaceholderTextCount, "at most twelve texts");
    const char* const list[] = {static_cast<const char*>(texts)..., nullptr};
    return DebugPrintfArray(format, list, static_cast<int>(sizeof...(Texts)));
}

}  // namespace Varnok
