// Tag stripping and per-character colours.
#include "engine/text/MarkupColourMap.h"

#include "engine/core/Utf8.h"

#include <cstring>

namespace Varnok {

int ParseTextMarkupMode(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    if (std::strcmp(text, "Colourise") == 0) {
        return 1;
    }
    if (std::strcmp(text, "StripTagsOnly") == 0) {
        return 2;
    }
    return 0;
}

void MarkupColourMap::DefineColour(const char* name, const Colour& colour) {
    m_namedColours[AsciiString(name)] = colour;
}

Colour MarkupColourMap::FindNamedColour(const char* name, int length) const {
    const auto found = m_namedColours.find(AsciiString(name, length));
    return found != m_namedColours.end() ? found->second : kNoColour;
}

void MarkupColourMap::Parse(std::string& inOutText) {
    if (inOutText.empty()) {
        return;
    }
    m_charColours.clear();
    std::string output;
    output.reserve(inOutText.size());
    const char* cursor = inOutText.c_str();
    const char* tagStart = nullptr;  // just after the outer '<' while a tag is open
    int depth = 0;
    int index = 0;
    Colour current = kNoColour;
    for (;;) {
        const char* at = cursor;
        const uint32_t c = Utf8Decode(cursor);
        if (c == 0) {
            break;
        }
        if (c == '<') {
            if (depth++ == 0) {
                tagStart = cursor;
            }
            continue;
        }
        if (depth > 0) {
            if (c == '>' && --depth == 0) {
                const int length = static_cast<int>(at - tagStart);
                current = length > 0 && tagStart[0] == '/' ? kNoColour
                                                           : FindNamedColour(tagStart, length);
            }
            continue;
        }
        output.append(at, static_cast<size_t>(cursor - at));
        if (current != kNoColour) {
            m_charColours[index] = current;
        }
        ++index;
    }
    inOutText.swap(output);
}

bool MarkupColourMap::GetCharColour(int index, Colour& outColour) const {
    const auto found = m_charColours.find(index);
    if (found == m_charColours.end() || found->second == kNoColour) {
        return false;
    }
    outColour = found->second;
    return true;
}

}  // namespace Varnok
