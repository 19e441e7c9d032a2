// Placeholder filling and the printf-to-placeholder conversion behind the
// debug print.
#include "engine/core/FillPlaceholders.h"

#include <cstring>

namespace Varnok {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Appends one text, or "<NULL>" for a missing one.
void AppendText(std::string& out, const char* const* texts, int textCount, int number) {
    const char* text = (texts != nullptr && number < textCount) ? texts[number] : nullptr;
    out.append(text != nullptr ? text : "<NULL>");
}

void FillInto(std::string& out, const char* format, const char* const* texts, int textCount) {
    if (textCount > kPlaceholderTextCount) {
        textCount = kPlaceholderTextCount;
    }
    const char* p = format;
    while (*p != '\0') {
        if (*p != '{' || !IsDigit(p[1])) {
            out.push_back(*p++);
            continue;
        }
        const char* digits = p + 1;
        const char* end = digits;
        while (IsDigit(*end)) {
            ++end;
        }
        if (*end != '}') {
            out.push_back(*p++);  // '{' with digits but no '}': copied as it stands
            continue;
        }
        // Work on the digit string itself so that no number can overflow.
        while (*digits == '0' && digits + 1 < end) {
            ++digits;
        }
        const size_t digitCount = static_cast<size_t>(end - digits);
        int number = kPlaceholderTextCount;
        if (digitCount <= 2) {
            number = 0;
            for (const char* d = digits; d < end; ++d) {
                number = number * 10 + (*d - '0');
            }
        }
        if (number < kPlaceholderTextCount) {
            AppendText(out, texts, textCount, number);
        } else {
            out.push_back('{');
            out.append(digits, digitCount);
            out.push_back('}');
        }
        p = end + 1;
    }
}

bool IsConversion(char c) { return c != '\0' && strchr("AEFGXacdefginopsux", c) != nullptr; }

bool IsFlag(char c) { return c != '\0' && strchr(" #+-0", c) != nullptr; }

// Skips a width or a precision: digits or one '*'. Returns whether it was '*'.
bool SkipCount(const char*& p) {
    if (*p == '*') {
        ++p;
        return true;
    }
    while (IsDigit(*p)) {
        ++p;
    }
    return false;
}

void SkipLengthModifier(const char*& p) {
    if ((p[0] == 'h' && p[1] == 'h') || (p[0] == 'l' && p[1] == 'l')) {
        p += 2;
    } else if (*p != '\0' && strchr("hlLjtz", *p) != nullptr) {
        ++p;
    }
}

}  // namespace

AsciiString FillPlaceholders(const char* format, const char* const* texts, int textCount) {
    if (format == nullptr) {
        return AsciiString();
    }
    std::string out;
    out.reserve(strlen(format));
    FillInto(out, format, texts, textCount);
    return AsciiString(out.data(), static_cast<int>(out.size()));
}

int FormatToPlaceholders(const char* format, std::string& out) {
    int next = 0;
    if (format == nullptr) {
        return next;
    }
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            out.push_back(*p++);
            continue;
        }
        if (p[1] == '%') {
            out.push_back('%');
            p += 2;
            continue;
        }
        const char* q = p + 1;
        while (IsFlag(*q)) {
            ++q;
        }
        const bool starWidth = SkipCount(q);
        bool starPrecision = false;
        if (*q == '.') {
            ++q;
            starPrecision = SkipCount(q);
        }
        SkipLengthModifier(q);
        if (!IsConversion(*q)) {
            // Not a conversion: keep the '%' and go on from what followed it.
            out.push_back('%');
            ++p;
            continue;
        }
        // A '*' takes the argument position before the value it sizes.
        next += (starWidth ? 1 : 0) + (starPrecision ? 1 : 0);
        out.push_back('{');
        out.append(std::to_string(next));
        out.push_back('}');
        ++next;
        p = q + 1;
    }
    return next;
}

const AsciiString& Identity(const AsciiString& text) { return text; }

AsciiString DebugPrintfArray(const char* format, const char* const* texts, int textCount) {
    std::string converted;
    FormatToPlaceholders(format, converted);
    std::string filled;
    filled.reserve(converted.size() + 128);
    FillInto(filled, converted.c_str(), texts, textCount);
    return Identity(AsciiString(filled.data(), static_cast<int>(filled.size())));
}

}  // namespace Varnok
