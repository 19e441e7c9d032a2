// A growable character buffer for assembling diagnostic text piece by piece.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>
#include <memory>

namespace Varnok {

class TextBuffer {
public:
    // Capacity in bytes, terminator included; anything below 1 gives 1.
    explicit TextBuffer(int capacity);
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Null appends nothing.
    void Append(const char* text);
    void AppendString(const AsciiString& text);
    // As "%lu".
    void AppendULong(unsigned long value);

    AsciiString ToString() const;

    // Always terminated.
    const char* Data() const { return m_data.get(); }
    // Characters, without the terminator.
    int Length() const { return m_length; }
    int Capacity() const { return m_capacity; }

private:
    void AppendChars(const char* chars, int count);

    int32_t m_capacity = 0;
    int32_t m_length = 0;
    std::unique_ptr<char[]> m_data;
};

// `out` becomes `text` with `prefix` written before lines: mode 0 before
// every line, 1 before the first line only, 2 after every newline only (so
// not before the first line), 3 (or any other) nowhere. A newline that ends
// the text is followed by the prefix too in modes 0 and 2. Null text or
// prefix reads as empty.
void PrefixLines(AsciiString& out, const char* text, const char* prefix, int mode);

}  // namespace Varnok
