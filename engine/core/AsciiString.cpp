// Storage, appends and comparisons of the engine string.
#include "engine/core/AsciiString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Varnok {

namespace {

constexpr uint32_t kInline = AsciiString::kInlineCapacity;
constexpr int kScratchSize = 32;  // number formatting scratch

inline int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

AsciiString::AsciiString() {
    SetSize(1);
}

// A new string has no storage to reuse and cannot overlap its source: one
// allocation at most and one copy, terminator included.
AsciiString::AsciiString(const char* text) {
    if (text == nullptr) {
        SetSize(1);
        return;
    }
    const size_t length = strlen(text);
    memcpy(InitStorage(static_cast<uint32_t>(length) + 1), text, length + 1);
}

AsciiString::AsciiString(const char* chars, int length) {
    if (chars == nullptr || length < 0) {
        length = 0;
    }
    char* data = InitStorage(static_cast<uint32_t>(length) + 1);
    if (length > 0) {
        memcpy(data, chars, static_cast<size_t>(length));
    }
    data[length] = '\0';
}

AsciiString::AsciiString(const AsciiString& other) : m_hash(other.m_hash) {
    const int length = other.Length();
    char* data = InitStorage(static_cast<uint32_t>(length) + 1);
    memcpy(data, other.c_str(), static_cast<size_t>(length));
    data[length] = '\0';
}

char* AsciiString::InitStorage(uint32_t size) {
    m_size = size;
    if (size <= kInline) {
        return m_storage.inlineData;
    }
    char* block = static_cast<char*>(malloc(size));
    if (block == nullptr) {
        abort();
    }
    m_storage.heap.data = block;
    m_storage.heap.capacity = size;
    return block;
}

AsciiString::AsciiString(AsciiString&& other) noexcept
    : m_size(other.m_size), m_storage(other.m_storage), m_hash(other.m_hash) {
    // The heap block (if any) now belongs to us; leave the source empty.
    other.m_size = 1;
    other.m_storage.inlineData[0] = '\0';
    other.m_hash = 0;
}

AsciiString::~AsciiString() {
    Release();
    m_size = 0;
}

void AsciiString::Release() {
    if (m_size > kInline) {
        free(m_storage.heap.data);
    }
}

AsciiString& AsciiString::operator=(const AsciiString& other) {
    if (this != &other) {
        Assign(other.c_str(), other.Length());
        m_hash = other.m_hash;
    }
    return *this;
}

AsciiString& AsciiString::operator=(AsciiString&& other) noexcept {
    if (this != &other) {
        Release();
        m_size = other.m_size;
        m_storage = other.m_storage;
        m_hash = other.m_hash;
        other.m_size = 1;
        other.m_storage.inlineData[0] = '\0';
        other.m_hash = 0;
    }
    return *this;
}

const AsciiString& AsciiString::Empty() {
    static const AsciiString empty;
    return empty;
}

AsciiString AsciiString::Substring(const AsciiString& source, int start, int end) {
    const int length = source.Length();
    if (end < 0 || end > length) {
        end = length;
    }
    if (start < 0) {
        start = 0;
    }
    if (start >= end) {
        return AsciiString();
    }
    return AsciiString(source.c_str() + start, end - start);
}

AsciiString AsciiString::ToLowerCopy(const AsciiString& source) {
    AsciiString result(source.c_str(), source.Length());
    char* data = result.Data();
    for (int i = 0; i < result.Length(); ++i) {
        data[i] = FoldAsciiCase(data[i]);
    }
    return result;
}

AsciiString AsciiString::ReplaceCharCopy(const AsciiString& source, char from, char to) {
    AsciiString result(source.c_str(), source.Length());
    char* data = result.Data();
    for (int i = 0; i < result.Length(); ++i) {
        if (data[i] == from) {
            data[i] = to;
        }
    }
    return result;
}

AsciiString AsciiString::TrimCopy(const AsciiString& source) {
    const char* s = source.c_str();
    const int length = source.Length();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    int i = 0;
    while (i < length && blank(s[i])) {
        ++i;
    }
    int j = length - 1;
    while (j >= i && blank(s[j])) {
        --j;
    }
    if (j >= i) {
        return Substring(source, i, j + 1);
    }
    return AsciiString();
}

AsciiString AsciiString::PadToWidth(const AsciiString& source, int width, int align) {
    AsciiString result;
    if (width <= 0) {
        return result;
    }
    result.Resize(width);
    char* data = result.Data();
    memset(data, ' ', static_cast<size_t>(width));
    const int length = source.Length();
    const int n = length < width ? length : width;
    if (align == 1) {
        memcpy(data + (width - n), source.c_str() + (length - n), static_cast<size_t>(n));
    } else {
        memcpy(data, source.c_str(), static_cast<size_t>(n));
    }
    return result;
}

void AsciiString::Assign(const char* text) {
    Assign(text, text == nullptr ? 0 : StrLength(text));
}

void AsciiString::Assign(const char* chars, int length) {
    if (chars == nullptr || length < 0) {
        length = 0;
    }
    const char* c = c_str();
    // A source inside our own storage could move while we resize: copy first.
    if (m_size != 0 && length > 0 && chars >= c && chars < c + m_size) {
        AsciiString copy(chars, length);
        *this = static_cast<AsciiString&&>(copy);
        return;
    }
    SetSize(static_cast<uint32_t>(length) + 1);
    if (length > 0) {
        memcpy(Data(), chars, static_cast<size_t>(length));
    }
}

void AsciiString::Resize(int length) {
    SetSize(static_cast<uint32_t>(length < 0 ? 0 : length) + 1);
}

// Growth is exact, not geometric: callers build short names, and a string of
// up to 31 characters never touches the heap.
void AsciiString::SetSize(uint32_t newSize) {
    const uint32_t oldSize = m_size;
    if (newSize != oldSize) {
        if (oldSize <= kInline && newSize <= kInline) {
            // both inline: nothing moves
        } else if (oldSize > kInline && newSize <= kInline) {
            char* block = m_storage.heap.data;
            memcpy(m_storage.inlineData, block, newSize);
            free(block);
        } else if (oldSize <= kInline) {
            char* block = static_cast<char*>(malloc(newSize));
            if (block == nullptr) {
                abort();
            }
            if (oldSize > 0) {
                memcpy(block, m_storage.inlineData, oldSize);
            }
            m_storage.heap.data = block;
            m_storage.heap.capacity = newSize;
        } else {
            const uint32_t capacity = m_storage.heap.capacity;
            const uint32_t slack = newSize - 1;
            if (newSize > capacity || capacity > newSize + slack) {
                char* block = static_cast<char*>(malloc(newSize));
                if (block == nullptr) {
                    abort();
                }
                memcpy(block, m_storage.heap.data, oldSize < newSize ? oldSize : newSize);
                free(m_storage.heap.data);
                m_storage.heap.data = block;
                m_storage.heap.capacity = newSize;
            }
        }
        m_size = newSize;
    }
    Data()[newSize - 1] = '\0';
    m_hash = 0;
}

void AsciiString::Append(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    AppendChars(text, StrLength(text));
}

void AsciiString::AppendChars(const char* chars, int length) {
    if (length <= 0 || chars == nullptr || chars[0] == '\0') {
        return;
    }
    const char* c = c_str();
    if (chars >= c && chars < c + m_size) {
        // Appending a piece of ourselves: the block may move on resize.
        AsciiString copy(chars, length);
        AppendChars(copy.c_str(), length);
        return;
    }
    const int oldLength = Length();
    SetSize(static_cast<uint32_t>(oldLength + length) + 1);
    memcpy(Data() + oldLength, chars, static_cast<size_t>(length));
}

void AsciiString::AppendString(const AsciiString& other) {
    if (other.IsEmpty()) {
        return;
    }
    AppendChars(other.c_str(), other.Length());
}

void AsciiString::AppendChar(char c) {
    const int oldLength = Length();
    SetSize(static_cast<uint32_t>(oldLength) + 2);
    Data()[oldLength] = c;
}

void AsciiString::AppendInt(int value) {
    char scratch[kScratchSize];
    AppendChars(scratch, FormatString(scratch, kScratchSize, "%d", value));
}

void AsciiString::AppendUInt(unsigned value) {
    char scratch[kScratchSize];
    AppendChars(scratch, FormatString(scratch, kScratchSize, "%u", value));
}

void AsciiString::AppendFloat(float value) {
    char scratch[kScratchSize];
    AppendChars(scratch, FormatString(scratch, kScratchSize, "%f", static_cast<double>(value)));
}

void AsciiString::AppendBool(int value) {
    Append(value == 1 ? "true" : "false");
}

// The hash covers the text up to its first zero byte. Nearly always that is
// the whole length, and the branch lets the hash start on the known length
// while strlen confirms it, instead of waiting for strlen first.
uint32_t AsciiString::ComputeHash() const {
    const char* s = c_str();
    const int length = Length();
    if (__builtin_expect(StrLength(s) == length, 1)) {
        m_hash = HashName(s, length);
    } else {
        m_hash = HashName(s, StrLength(s));
    }
    return m_hash;
}

int AsciiString::CompareBytes(const AsciiString& a, const AsciiString& b) {
    return Sign(memcmp(a.c_str(), b.c_str(), static_cast<size_t>(a.Length())));
}

int AsciiString::CompareNoCase(const AsciiString& a, const AsciiString& b) {
    if (a.m_size != b.m_size) {
        return a.m_size < b.m_size ? -1 : 1;
    }
    const uint32_t ha = a.GetHash();
    const uint32_t hb = b.GetHash();
    if (ha != hb) {
        return ha < hb ? -1 : 1;
    }
    const char* pa = a.c_str();
    const char* pb = b.c_str();
    for (;; ++pa, ++pb) {
        const int fa = static_cast<signed char>(FoldAsciiCase(*pa));
        const int fb = static_cast<signed char>(FoldAsciiCase(*pb));
        if (fa != fb || *pa == '\0') {
            return Sign(fa - fb);
        }
    }
}

bool AsciiString::EqualBytes(const char* chars, int length) const {
    return length == 0 || memcmp(c_str(), chars, static_cast<size_t>(length)) == 0;
}

bool AsciiString::EqualsNoCase(const char* chars, int length, uint32_t hash) const {
    if (static_cast<int64_t>(m_size) != static_cast<int64_t>(length) + 1 || GetHash() != hash) {
        return false;
    }
    const char* s = c_str();
    for (int i = 0; i < length; ++i) {
        if (FoldAsciiCase(s[i]) != FoldAsciiCase(chars[i])) {
            return false;
        }
    }
    return true;
}

bool AsciiString::StartsWith(const char* text, int n) const {
    if (Length() < n) {
        return false;
    }
    return strncmp(c_str(), text, static_cast<size_t>(n)) == 0;
}

bool AsciiString::EndsWith(const char* text, int n) const {
    if (Length() < n) {
        return false;
    }
    return strncmp(c_str() + (Length() - n), text, static_cast<size_t>(n)) == 0;
}

bool AsciiString::StartsWithNoCase(const char* text, int n) const {
    if (Length() < n) {
        return false;
    }
    const char* s = c_str();
    if (s == text) {
        return true;
    }
    for (int i = 0; i < n; ++i) {
        const char fa = FoldAsciiCase(s[i]);
        const char fb = FoldAsciiCase(text[i]);
        if (fa != fb) {
            return false;
        }
        if (s[i] == '\0' || text[i] == '\0') {
            return true;  // both ended together (the folded bytes were equal)
        }
    }
    return true;
}

int AsciiString::FindChar(char c) const {
    const char* s = c_str();
    for (int i = 0; s[i] != '\0'; ++i) {
        if (s[i] == c) {
            return i;
        }
    }
    return -1;
}

int AsciiString::FindLastChar(char c) const {
    const char* s = c_str();
    for (int i = Length() - 1; i >= 0; --i) {
        if (s[i] == c) {
            return i;
        }
    }
    return -1;
}

}  // namespace Varnok
