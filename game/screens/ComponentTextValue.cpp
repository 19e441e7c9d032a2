// ComponentTextValue's class record and its safe formatting.
#include "game/screens/ComponentTextValue.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace Varnok {

const ComponentClassInfo& ComponentTextValue::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTextValue", ComponentClassInfo::kNextFreeId,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentTextValue::ComponentTextValue() {
    SetClassInfo(GetStaticClassInfo());
}

AsciiString ComponentTextValue::GetDisplayText() const {
    const AsciiString format = ComponentText::GetDisplayText();
    return Format(format.c_str(), m_value);
}

AsciiString ComponentTextValue::Format(const char* format, int value) {
    std::string out;
    bool valueUsed = false;
    const char* p = format != nullptr ? format : "";
    while (*p != '\0' && out.size() < kTextBytes - 1) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        // %[flags][width][.precision][length]conversion
        const char* start = p++;
        p += strspn(p, "-+ 0#");
        const size_t widthDigits = strspn(p, "0123456789");
        p += widthDigits;
        size_t precisionDigits = 0;
        if (*p == '.') {
            ++p;
            precisionDigits = strspn(p, "0123456789");
            p += precisionDigits;
        }
        p += strspn(p, "hl");
        const char conversion = *p;
        const bool integer = conversion == 'd' || conversion == 'i' || conversion == 'u';
        if (!integer || valueUsed || widthDigits > 2 || precisionDigits > 2) {
            // Shown as written (an unfinished one at the end too).
            const char* end = conversion != '\0' ? p + 1 : p;
            out.append(start, static_cast<size_t>(end - start));
            p = end;
            continue;
        }
        ++p;
        valueUsed = true;
        // Rebuilt from the parts read, always as a plain int conversion.
        std::string spec(start, static_cast<size_t>(p - start - 1));
        while (!spec.empty() && (spec.back() == 'h' || spec.back() == 'l')) {
            spec.pop_back();
        }
        spec += conversion;
        char number[kTextBytes * 4];
        snprintf(number, sizeof(number), spec.c_str(), value);
        out += number;
    }
    if (out.size() > kTextBytes - 1) {
        out.resize(kTextBytes - 1);
    }
    return AsciiString(out.c_str());
}

}  // namespace Varnok
