// The lenient UTF-8 decoder and the view and iterator built on it.
#include "engine/core/Utf8.h"

#include <cstring>

namespace Varnok {

namespace {

struct LeadForm {
    uint8_t mask;      // bits that identify the form
    uint8_t pattern;   // their value
    int continuations;
    uint32_t smallest;  // values below this are overlong
};

// The lead byte gives the sequence length, up to the old six-byte forms.
constexpr LeadForm kLeadForms[] = {
    {0xE0, 0xC0, 1, 0x80},
    {0xF0, 0xE0, 2, 0x800},
    {0xF8, 0xF0, 3, 0x10000},
    {0xFC, 0xF8, 4, 0x200000},
    {0xFE, 0xFC, 5, 0x4000000},
};

bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

uint32_t Utf8Decode(const char*& cursor) {
    const uint8_t lead = static_cast<uint8_t>(*cursor);
    if (lead == 0) {
        return 0;
    }
    ++cursor;
    if (lead < 0x80) {
        return lead;
    }
    const LeadForm* form = nullptr;
    for (const LeadForm& f : kLeadForms) {
        if ((lead & f.mask) == f.pattern) {
            form = &f;
            break;
        }
    }
    if (form == nullptr) {
        return kReplacementCharacter;
    }
    uint32_t value = lead & static_cast<uint8_t>(~form->mask);
    for (int i = 0; i < form->continuations; ++i) {
        const uint8_t b = static_cast<uint8_t>(*cursor);
        if (b == 0) {
            return 0;
        }
        if (!IsContinuation(b)) {
            return kReplacementCharacter;
        }
        ++cursor;
        value = (value << 6) | (b & 0x3F);
    }
    if (value < form->smallest) {
        return kReplacementCharacter;
    }
    if (form->continuations == 2 && ((value >= 0xD800 && value <= 0xDFFF) || value > 0xFFFD)) {
        return kReplacementCharacter;
    }
    return value;
}

Utf8String::Utf8String(const char* text) { SetText(text); }

void Utf8String::SetText(const char* text) {
    m_text = text;
    m_codePointCount = 0;
    m_byteLength = 0;
    if (text == nullptr) {
        return;
    }
    m_byteLength = static_cast<uint32_t>(strlen(text));
    const char* cursor = text;
    while (Utf8Decode(cursor) != 0) {
        ++m_codePointCount;
    }
}

void Utf8Iterator::Begin(const Utf8String& view) {
    m_current = view.Text();
    m_next = m_current;
    m_codePoint = 0;
    if (view.CodePointCount() > 0) {
        Advance(1);
    }
}

void Utf8Iterator::Advance(int n) {
    if (m_current == nullptr) {
        return;
    }
    for (int i = 0; i < n && *m_current != '\0'; ++i) {
        m_current = m_next;
        m_codePoint = Utf8Decode(m_next);
    }
}

}  // namespace Varnok
