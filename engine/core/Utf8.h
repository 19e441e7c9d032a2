// Walking UTF-8 text one code point at a time: a lenient decoder that turns
// malformed sequences into U+FFFD, a read-only view and its iterator.
#pragma once

#include <cstdint>

namespace Varnok {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point at `cursor` and moves the cursor past it. Returns 0
// at the terminator (the cursor stays) and also when a sequence is cut short
// by the terminator (the cursor is left on it). A stray continuation byte,
// 0xFE or 0xFF returns U+FFFD one byte on; a sequence broken by a
// non-continuation byte returns U+FFFD with the cursor on that byte.
// Overlong forms, surrogates and U+FFFE/U+FFFF give U+FFFD; four- to six-byte
// forms are taken at their value. Requires: cursor not null.
uint32_t Utf8Decode(const char*& cursor);

// A view of zero-terminated UTF-8 text; the text is not owned and must
// outlive the view.
class Utf8String {
public:
    Utf8String() = default;
    // Null gives an empty view with a null text.
    explicit Utf8String(const char* text);
    Utf8String(const Utf8String&) = default;
    Utf8String& operator=(const Utf8String&) = default;
    virtual ~Utf8String() = default;

    // May be null.
    virtual const char* Text() const { return m_text; }
    // Re-scans: byte length and code-point count of the new text.
    virtual void SetText(const char* text);

    int32_t CodePointCount() const { return m_codePointCount; }
    uint32_t ByteLength() const { return m_byteLength; }

private:
    const char* m_text = nullptr;
    int32_t m_codePointCount = 0;
    uint32_t m_byteLength = 0;
};

// Usage: for (it.Begin(view); it.CodePoint() != 0; it.Advance(1)) ...
class Utf8Iterator {
public:
    // Puts the iterator on the first code point (0 for an empty view).
    // Requires: the view's text outlives the iterator.
    void Begin(const Utf8String& view);
    // Moves n code points on, stopping at the terminator; n <= 0 does nothing.
    void Advance(int n);

    // 0 at the end.
    uint32_t CodePoint() const { return m_codePoint; }
    // Where the current code point starts; null before Begin or for a null text.
    const char* Current() const { return m_current; }
    // Where the code point after the current one starts.
    const char* Next() const { return m_next; }

private:
    const char* m_current = nullptr;
    const char* m_next = nullptr;
    uint32_t m_codePoint = 0;
};

}  // namespace Varnok
