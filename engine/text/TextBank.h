// One localised string table: a key file (sorted keys, shared by every
// language) and a string file (one language's texts), both binary ".str".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// A key of the table. The text lives in the table's payload.
struct TextBankKey {
    const char* key = nullptr;  // zero-terminated
    uint32_t keyLength = 0;     // bytes without the terminator; bounds the comparison
    uint32_t stringIndex = 0;   // the row of this key's text in the string table
};

struct TextBankString {
    const char* text = nullptr;  // zero-terminated UTF-8
    uint32_t codePoints = 0;
    uint32_t byteLength = 0;  // including the terminator
};

// Both files (integers unsigned 32-bit little-endian):
//   0  kind, always 1
//   4  bank name, 64 bytes zero-padded
//   68 payload size: the bytes after this field
//   72 record count n
//   76 n records (40 bytes in a key file, 12 in a string file), then the text
//      pool of zero-terminated UTF-8 texts; record offsets count from the pool.
// Key record: 0 key offset, 8 key length, 12 and 24 two further text offsets
// (checked, never read), 36 string index; the rest is unused.
// String record: 0 text offset, 4 length in code points, 8 length in bytes
// with the terminator.
class TextBank {
public:
    static constexpr size_t kNameBytes = 64;
    static constexpr size_t kHeaderBytes = 72;
    static constexpr size_t kKeyRecordBytes = 40;
    static constexpr size_t kStringRecordBytes = 12;
    static constexpr uint32_t kFileKind = 1;

    TextBank() = default;
    ~TextBank() = default;
    TextBank(const TextBank&) = delete;
    TextBank& operator=(const TextBank&) = delete;

    // Empties everything, the name and the shaping flag included.
    void Init();
    // Empties the name and both tables; keeps the shaping flag.
    void Clear();

    // Loads through the mounted file systems. A file that is missing, of
    // another kind or bank, or whose counts, offsets or lengths do not fit
    // its bytes is refused with one log line and leaves the table (and the
    // bank's name) as it was. A bank without a name takes the first file's.
    [[nodiscard]] bool LoadKeys(const char* path);
    [[nodiscard]] bool LoadStrings(const char* path);
    // The same for bytes in memory; `source` names them in the log line.
    [[nodiscard]] bool LoadKeysFromBytes(const uint8_t* data, size_t size, const char* source);
    [[nodiscard]] bool LoadStringsFromBytes(const uint8_t* data, size_t size, const char* source);

    // While set, string files loaded afterwards have every text shaped for
    // right-to-left Arabic display (and recounted).
    void SetShaping(bool shaping) { m_shaping = shaping; }
    bool IsShaping() const { return m_shaping; }

    // A binary search of the keys (byte order); null when absent. A name
    // never matches a key it is a prefix of, nor a key that is its prefix.
    const TextBankKey* Find(const char* name) const;
    // Null when the index is outside the string table.
    const TextBankString* GetString(uint32_t index) const;
    // The text of the key, or null when the key or its string is missing.
    const char* FindText(const char* name) const;

    // Zero-terminated; empty until a file names the bank.
    const char* GetName() const { return m_name; }
    uint32_t GetKeyCount() const { return static_cast<uint32_t>(m_keys.size()); }
    uint32_t GetStringCount() const { return static_cast<uint32_t>(m_strings.size()); }

private:
    struct Payload;

    // Checks the header and the payload's frame; fills outPayload.
    bool ReadFrame(const uint8_t* data, size_t size, size_t recordBytes, const char* source,
                   Payload& outPayload) const;
    void AdoptName(const uint8_t* fileName);
    void ShapeStrings();

    char m_name[kNameBytes + 1] = {};  // one more byte: always terminated
    std::vector<uint8_t> m_keyPayload;  // records and pool; the keys point into it
    std::vector<TextBankKey> m_keys;
    std::vector<uint8_t> m_stringPayload;
    std::vector<TextBankString> m_strings;
    std::vector<std::unique_ptr<char[]>> m_shapedTexts;  // the strings point into them
    bool m_shaping = false;
};

}  // namespace Varnok
