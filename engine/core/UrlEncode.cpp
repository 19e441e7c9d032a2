// Percent-encoding of text for URL query parameters.
#include "engine/core/UrlEncode.h"

namespace Varnok {

namespace {

bool IsKept(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '*' || c == '_';
}

}  // namespace

const char* UrlEncode(const char* text, std::string& outText, bool encodeReserved, bool spaceAsPlus) {
    static const char kHex[] = "0123456789ABCDEF";
    outText.clear();
    if (text == nullptr) {
        return outText.c_str();
    }
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
        const unsigned char c = *p;
        if (IsKept(c) || (!encodeReserved && (c == '&' || c == '='))) {
            outText += static_cast<char>(c);
        } else if (c == ' ' && spaceAsPlus) {
            outText += '+';
        } else {
            outText += '%';
            outText += kHex[c >> 4];
            outText += kHex[c & 0x0F];
        }
    }
    return outText.c_str();
}

}  // namespace Varnok
