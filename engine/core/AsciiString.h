// The engine string: bytes with a 32-byte inline buffer and a cached name hash.
// Names are compared by length and hash before any byte is looked at.
#pragma once

#include "engine/core/CString.h"
#include "engine/core/HashName.h"

#include <cstddef>
#include <cstdint>

namespace Varnok {

// Path separators used to split paths.
inline constexpr const char kBackslashSeparator[] = "\\";
inline constexpr const char kSlashSeparator[] = "/";

// Either N elements inline or a heap block with its capacity in elements.
template <typename T, int N>
union MicroBuffer {
    T inlineData[N];
    struct {
        T* data;
        uint32_t capacity;
    } heap;
};

class AsciiString {
public:
    // Up to this many characters (plus terminator) live in the inline buffer.
    static constexpr int kInlineCapacity = 32;

    AsciiString();
    AsciiString(const char* text);  // null gives the empty string
    AsciiString(const char* chars, int length);
    AsciiString(const AsciiString& other);
    AsciiString(AsciiString&& other) noexcept;
    ~AsciiString();

    AsciiString& operator=(const AsciiString& other);
    AsciiString& operator=(AsciiString&& other) noexcept;
    AsciiString& operator=(const char* text) {
        Assign(text);
        return *this;
    }

    // Characters start .. end - 1 of source; end -1 means to the end. The range
    // is clamped to the source.
    static AsciiString Substring(const AsciiString& source, int start, int end = -1);
    static AsciiString ToLowerCopy(const AsciiString& source);
    static AsciiString ReplaceCharCopy(const AsciiString& source, char from, char to);
    // Without leading and trailing spaces and tabs.
    static AsciiString TrimCopy(const AsciiString& source);
    // Exactly `width` characters: the source padded with spaces, right-aligned
    // (keeping its last characters) when align is 1, else left-aligned
    // (keeping its first characters).
    static AsciiString PadToWidth(const AsciiString& source, int width, int align);
    // The shared empty string returned by operations that produce nothing.
    static const AsciiString& Empty();

    void Assign(const char* text);  // null gives the empty string
    void Assign(const char* chars, int length);
    // Keeps the leading characters that fit; characters past the old length
    // are unspecified. Resets the hash.
    void Resize(int length);

    void Append(const char* text);
    void AppendChars(const char* chars, int length);
    void AppendString(const AsciiString& other);
    void AppendChar(char c);
    void AppendInt(int value);
    void AppendUInt(unsigned value);
    void AppendFloat(float value);
    // "true" only for 1, anything else appends "false".
    void AppendBool(int value);

    const char* c_str() const {
        return m_size <= kInlineCapacity ? m_storage.inlineData : m_storage.heap.data;
    }
    int Length() const { return m_size == 0 ? 0 : static_cast<int>(m_size) - 1; }
    bool IsEmpty() const { return m_size <= 1; }
    bool IsInline() const { return m_size <= kInlineCapacity; }
    // Bytes the storage holds, terminator included.
    int Capacity() const {
        return IsInline() ? kInlineCapacity : static_cast<int>(m_storage.heap.capacity);
    }
    char operator[](int index) const { return c_str()[index]; }

    // The cached name hash, computed on first use; the empty string gives 0.
    // Writes the cache, so even this is a write to a shared string.
    uint32_t GetHash() const {
        return (m_hash != 0 || IsEmpty()) ? m_hash : ComputeHash();
    }

    // Map ordering: shorter first, then smaller hash, then memcmp. -1, 0 or 1.
    static int Compare(const AsciiString& a, const AsciiString& b) {
        if (a.m_size != b.m_size) {
            return a.m_size < b.m_size ? -1 : 1;
        }
        const uint32_t ha = a.GetHash();
        const uint32_t hb = b.GetHash();
        if (ha != hb) {
            return ha < hb ? -1 : 1;
        }
        return CompareBytes(a, b);
    }
    static int CompareNoCase(const AsciiString& a, const AsciiString& b);

    // Callers pass the other string's characters, length and hash.
    bool Equals(const char* chars, int length, uint32_t hash) const {
        return static_cast<int64_t>(m_size) == static_cast<int64_t>(length) + 1 &&
               GetHash() == hash && EqualBytes(chars, length);
    }
    bool EqualsNoCase(const char* chars, int length, uint32_t hash) const;
    bool Equals(const AsciiString& other) const {
        return Equals(other.c_str(), other.Length(), other.GetHash());
    }
    bool EqualsNoCase(const AsciiString& other) const {
        return EqualsNoCase(other.c_str(), other.Length(), other.GetHash());
    }

    bool StartsWith(const char* text, int n) const;
    bool EndsWith(const char* text, int n) const;
    bool StartsWithNoCase(const char* text, int n) const;
    // -1 when absent. FindChar stops at an embedded zero byte.
    int FindChar(char c) const;
    int FindLastChar(char c) const;

private:
    char* Data() {
        return m_size <= kInlineCapacity ? m_storage.inlineData : m_storage.heap.data;
    }
    // Moves storage to hold newSize bytes (terminator included); see .cpp.
    void SetSize(uint32_t newSize);
    // For constructors: storage for `size` bytes (terminator included) in a
    // string that has none yet; sets the size and answers where to write.
    char* InitStorage(uint32_t size);
    uint32_t ComputeHash() const;
    bool EqualBytes(const char* chars, int length) const;
    static int CompareBytes(const AsciiString& a, const AsciiString& b);
    void Release();

    uint32_t m_size = 0;  // characters + 1; 0 only while unassigned
    MicroBuffer<char, kInlineCapacity> m_storage;
    mutable uint32_t m_hash = 0;  // 0: not computed
};

inline bool operator==(const AsciiString& a, const AsciiString& b) {
    return a.Equals(b);
}
inline bool operator!=(const AsciiString& a, const AsciiString& b) {
    return !a.Equals(b);
}

// For ordered maps keyed by engine strings.
struct AsciiStringLess {
    bool operator()(const AsciiString& a, const AsciiString& b) const {
        return AsciiString::Compare(a, b) < 0;
    }
};

// For hash maps keyed by engine strings: the cached name hash.
struct AsciiStringHash {
    size_t operator()(const AsciiString& s) const { return s.GetHash(); }
};

}  // namespace Varnok
