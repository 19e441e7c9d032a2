// The bounded formatter's walk over a data text.
#include "game/screens/BoundedFormat.h"

#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

constexpr size_t kMaxSpecDigits = 2;  // widths and precisions up to 99

// Appends bytes while they fit; remembers a cut.
class BoundedWriter {
public:
    BoundedWriter(char* out, size_t outBytes) : m_out(out), m_room(outBytes - 1) {}

    void Append(const char* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            if (m_length == m_room) {
                m_cut = true;
                return;
            }
            m_out[m_length++] = bytes[i];
        }
    }
    bool Full() const { return m_cut; }

    // Terminates; a cut text loses a trailing UTF-8 character that did not
    // fit whole.
    size_t Finish() {
        if (m_cut && m_length > 0) {
            size_t lead = m_length - 1;
            while (lead > 0 && (static_cast<unsigned char>(m_out[lead]) & 0xC0) == 0x80) {
                --lead;
            }
            if (lead + SequenceLength(static_cast<unsigned char>(m_out[lead])) > m_length) {
                m_length = lead;
            }
        }
        m_out[m_length] = '\0';
        return m_length;
    }

private:
    static size_t SequenceLength(unsigned char lead) {
        if (lead >= 0xF0 && lead < 0xF8) return 4;
        if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
        if (lead >= 0xC0) return 2;
        return 1;  // ASCII, or a stray continuation byte kept as it is
    }

    char* m_out;
    size_t m_room;
    size_t m_length = 0;
    bool m_cut = false;
};

bool IsIntegerConversion(char c) {
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o';
}

}  // namespace

size_t FormatBounded(char* out, size_t outBytes, const char* format, const int32_t* values, int valueCount) {
    if (out == nullptr || outBytes == 0) {
        return 0;
    }
    BoundedWriter writer(out, outBytes);
    int used = 0;
    const char* p = format != nullptr ? format : "";
    while (*p != '\0' && !writer.Full()) {
        if (*p != '%') {
            const char* literal = p;
            p += std::strcspn(p, "%");
            writer.Append(literal, static_cast<size_t>(p - literal));
            continue;
        }
        if (p[1] == '%') {
            writer.Append("%", 1);
            p += 2;
            continue;
        }
        // %[flags][width][.precision][length]conversion
        const char* start = p++;
        const size_t flags = std::strspn(p, "-+ 0#");
        p += flags;
        const size_t widthDigits = std::strspn(p, "0123456789");
        p += widthDigits;
        size_t precisionDigits = 0;
        if (*p == '.') {
            ++p;
            precisionDigits = std::strspn(p, "0123456789");
            p += precisionDigits;
        }
        const char* lengthLetters = p;
        p += std::strspn(p, "hljzt");
        const char conversion = *p;
        const char* end = conversion != '\0' ? p + 1 : p;
        if (!IsIntegerConversion(conversion) || used >= valueCount || flags > 5 ||
            widthDigits > kMaxSpecDigits || precisionDigits > kMaxSpecDigits) {
            writer.Append(start, static_cast<size_t>(end - start));
            p = end;
            continue;
        }
        // Rebuilt from what was read, always as a plain int conversion.
        char spec[16];
        size_t specLength = static_cast<size_t>(lengthLetters - start);
        std::memcpy(spec, start, specLength);
        spec[specLength++] = conversion;
        spec[specLength] = '\0';
        char number[128];  // 99 digits of width or precision and a sign fit
        const int32_t value = values[used++];
        const bool isSigned = conversion == 'd' || conversion == 'i';
        const int written = isSigned ? std::snprintf(number, sizeof(number), spec, static_cast<int>(value))
                                     : std::snprintf(number, sizeof(number), spec, static_cast<unsigned>(value));
        if (written > 0) {
            writer.Append(number, static_cast<size_t>(written) < sizeof(number) ? static_cast<size_t>(written)
                                                                                 : sizeof(number) - 1);
        }
        p = end;
    }
    return writer.Finish();
}

}  // namespace Varnok
