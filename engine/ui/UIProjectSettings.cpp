// The screen version's text form.
#include "engine/ui/UIProjectSettings.h"

#include <cstdio>

namespace Varnok {

AsciiString UIScreenVersion::ToString() const {
    char text[40];
    std::snprintf(text, sizeof(text), "%u.%u.%u", major, minor, patch);
    return AsciiString(text);
}

bool UIScreenVersion::Parse(const char* text) {
    major = minor = patch = 0;
    if (text == nullptr || text[0] == '\0') {
        return true;
    }
    unsigned a = 0;
    unsigned b = 0;
    unsigned c = 0;
    if (std::sscanf(text, "%u.%u.%u", &a, &b, &c) != 3) {
        return false;
    }
    major = a;
    minor = b;
    patch = c;
    return true;
}

}  // namespace Varnok
