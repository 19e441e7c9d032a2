// TextBuffer growth and the line-prefixing helper built on it.
#include "engine/core/TextBuffer.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace Varnok {

TextBuffer::TextBuffer(int capacity)
    : m_capacity(capacity < 1 ? 1 : capacity), m_data(new char[static_cast<size_t>(m_capacity)]) {
    m_data[0] = '\0';
}

void TextBuffer::Append(const char* text) {
    if (text != nullptr) {
        const size_t count = strlen(text);
        if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
            Log("TextBuffer: text of %zu bytes too long, not appended", count);
            return;
        }
        AppendChars(text, static_cast<int>(count));
    }
}

void TextBuffer::AppendString(const AsciiString& text) { AppendChars(text.c_str(), text.Length()); }

void TextBuffer::AppendULong(unsigned long value) {
    char scratch[64];
    const int count = snprintf(scratch, sizeof(scratch), "%lu", value);
    AppendChars(scratch, count);
}

AsciiString TextBuffer::ToString() const { return AsciiString(m_data.get(), m_length); }

void TextBuffer::AppendChars(const char* chars, int count) {
    if (count <= 0) {
        return;
    }
    const int64_t needed = int64_t{m_length} + count + 1;
    if (needed > m_capacity) {
        // Half as much again as needed, so that runs of small appends copy rarely.
        const int64_t grown = needed * 3 / 2 + 1;
        if (grown > std::numeric_limits<int32_t>::max()) {
            Log("TextBuffer: growing to %lld bytes would pass the size limit, %d bytes dropped",
                static_cast<long long>(grown), count);
            return;
        }
        std::unique_ptr<char[]> block(new char[static_cast<size_t>(grown)]);
        memcpy(block.get(), m_data.get(), static_cast<size_t>(m_length) + 1);
        m_data = std::move(block);
        m_capacity = static_cast<int32_t>(grown);
    }
    memcpy(m_data.get() + m_length, chars, static_cast<size_t>(count));
    m_length += count;
    m_data[m_length] = '\0';
}

void PrefixLines(AsciiString& out, const char* text, const char* prefix, int mode) {
    if (text == nullptr) {
        text = "";
    }
    if (prefix == nullptr) {
        prefix = "";
    }
    const size_t textLength = strlen(text);
    TextBuffer buffer(static_cast<int>(
        std::min<size_t>(textLength, static_cast<size_t>(std::numeric_limits<int32_t>::max()))));
    if (mode == 0 || mode == 1) {
        buffer.Append(prefix);
    }
    const bool afterNewlines = mode == 0 || mode == 2;
    // Lines are gathered in a small array and flushed whole, or in pieces
    // when longer than it.
    constexpr int kScratchChars = 1022;
    char scratch[kScratchChars + 2];
    int held = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        scratch[held++] = *p;
        if (held == kScratchChars || *p == '\n') {
            scratch[held] = '\0';
            buffer.Append(scratch);
            held = 0;
        }
        if (*p == '\n' && afterNewlines) {
            buffer.Append(prefix);
        }
    }
    scratch[held] = '\0';
    buffer.Append(scratch);
    out = buffer.ToString();
}

}  // namespace Varnok
