// Reading ".str" key and string files into a TextBank, and the key search.
// Every count, offset and length of a file is checked against the file's own
// bytes before anything of the bank changes.
#include "engine/text/TextBank.h"

#include "engine/core/ArabicShaper.h"
#include "engine/core/FileObject.h"
#include "engine/core/Log.h"
#include "engine/core/Utf8.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace Varnok {
namespace {

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// True when a zero-terminated text starts at `offset` and ends inside the pool.
bool TextFits(const uint8_t* pool, size_t poolSize, uint32_t offset) {
    return offset < poolSize && std::memchr(pool + offset, 0, poolSize - offset) != nullptr;
}

uint32_t CountCodePoints(const char* text) {
    const Utf8String view(text);
    return static_cast<uint32_t>(view.CodePointCount());
}

}  // namespace

struct TextBank::Payload {
    uint8_t fileName[kNameBytes];
    uint32_t count = 0;
    const uint8_t* records = nullptr;  // count records, then the pool
    const uint8_t* pool = nullptr;
    size_t poolSize = 0;
    const uint8_t* bytes = nullptr;  // the payload after the count
    size_t byteCount = 0;
};

void TextBank::Init() {
    Clear();
    m_shaping = false;
}

void TextBank::Clear() {
    std::memset(m_name, 0, sizeof(m_name));
    m_keys.clear();
    m_keyPayload.clear();
    m_keyPayload.shrink_to_fit();
    m_strings.clear();
    m_stringPayload.clear();
    m_stringPayload.shrink_to_fit();
    m_shapedTexts.clear();
}

bool TextBank::ReadFrame(const uint8_t* data, size_t size, size_t recordBytes, const char* source,
                         Payload& out) const {
    if (data == nullptr || size < kHeaderBytes) {
        Log("TextBank: %s refused: %zu bytes, shorter than the %zu-byte header", source, size,
            kHeaderBytes);
        return false;
    }
    const uint32_t kind = ReadU32(data);
    if (kind != kFileKind) {
        Log("TextBank: %s refused: kind %u, not %u", source, kind, kFileKind);
        return false;
    }
    std::memcpy(out.fileName, data + 4, kNameBytes);
    const bool nameless = std::all_of(m_name, m_name + kNameBytes, [](char c) { return c == 0; });
    if (!nameless && std::memcmp(out.fileName, m_name, kNameBytes) != 0) {
        const std::string fileName(reinterpret_cast<const char*>(out.fileName),
                                   strnlen(reinterpret_cast<const char*>(out.fileName), kNameBytes));
        Log("TextBank: %s refused: it belongs to bank \"%s\", not \"%s\"", source, fileName.c_str(),
            m_name);
        return false;
    }
    const uint32_t payloadSize = ReadU32(data + 68);
    if (payloadSize < 4 || payloadSize > size - kHeaderBytes) {
        Log("TextBank: %s refused: payload size %u outside 4..%zu", source, payloadSize,
            size - kHeaderBytes);
        return false;
    }
    out.count = ReadU32(data + kHeaderBytes);
    out.bytes = data + kHeaderBytes + 4;
    out.byteCount = payloadSize - 4;
    const uint64_t recordsSize = static_cast<uint64_t>(out.count) * recordBytes;
    if (recordsSize > out.byteCount) {
        Log("TextBank: %s refused: %u records of %zu bytes do not fit a %zu-byte payload", source,
            out.count, recordBytes, out.byteCount);
        return false;
    }
    out.records = out.bytes;
    out.pool = out.bytes + recordsSize;
    out.poolSize = out.byteCount - static_cast<size_t>(recordsSize);
    return true;
}

void TextBank::AdoptName(const uint8_t* fileName) {
    std::memcpy(m_name, fileName, kNameBytes);
    m_name[kNameBytes] = 0;
}

bool TextBank::LoadKeysFromBytes(const uint8_t* data, size_t size, const char* source) {
    Payload payload;
    if (!ReadFrame(data, size, kKeyRecordBytes, source, payload)) {
        return false;
    }
    struct Row {
        uint32_t offset, length, stringIndex;
    };
    std::vector<Row> rows(payload.count);
    for (uint32_t i = 0; i < payload.count; ++i) {
        const uint8_t* record = payload.records + static_cast<size_t>(i) * kKeyRecordBytes;
        const uint32_t offsets[3] = {ReadU32(record), ReadU32(record + 12), ReadU32(record + 24)};
        for (uint32_t offset : offsets) {
            if (!TextFits(payload.pool, payload.poolSize, offset)) {
                Log("TextBank: %s refused: key %u has a text at %u outside its %zu-byte pool", source, i,
                    offset, payload.poolSize);
                return false;
            }
        }
        const uint32_t length = ReadU32(record + 8);
        // The search compares length + 1 bytes of the key.
        if (length >= payload.poolSize - offsets[0]) {
            Log("TextBank: %s refused: key %u of %u bytes runs past its pool", source, i, length);
            return false;
        }
        rows[i] = Row{offsets[0], length, ReadU32(record + 36)};
    }

    AdoptName(payload.fileName);  // the same name unless the bank had none
    m_keyPayload.assign(payload.bytes, payload.bytes + payload.byteCount);
    const char* pool = reinterpret_cast<const char*>(m_keyPayload.data()) +
                       (payload.pool - payload.bytes);
    m_keys.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        m_keys[i] = TextBankKey{pool + rows[i].offset, rows[i].length, rows[i].stringIndex};
    }
    return true;
}

bool TextBank::LoadStringsFromBytes(const uint8_t* data, size_t size, const char* source) {
    Payload payload;
    if (!ReadFrame(data, size, kStringRecordBytes, source, payload)) {
        return false;
    }
    struct Row {
        uint32_t offset, codePoints, byteLength;
    };
    std::vector<Row> rows(payload.count);
    for (uint32_t i = 0; i < payload.count; ++i) {
        const uint8_t* record = payload.records + static_cast<size_t>(i) * kStringRecordBytes;
        const Row row{ReadU32(record), ReadU32(record + 4), ReadU32(record + 8)};
        if (!TextFits(payload.pool, payload.poolSize, row.offset)) {
            Log("TextBank: %s refused: string %u starts at %u outside its %zu-byte pool", source, i,
                row.offset, payload.poolSize);
            return false;
        }
        if (row.byteLength > payload.poolSize - row.offset) {
            Log("TextBank: %s refused: string %u of %u bytes runs past its pool", source, i,
                row.byteLength);
            return false;
        }
        rows[i] = row;
    }

    AdoptName(payload.fileName);  // the same name unless the bank had none
    m_stringPayload.assign(payload.bytes, payload.bytes + payload.byteCount);
    m_shapedTexts.clear();
    const char* pool = reinterpret_cast<const char*>(m_stringPayload.data()) +
                       (payload.pool - payload.bytes);
    m_strings.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        m_strings[i] = TextBankString{pool + rows[i].offset, rows[i].codePoints, rows[i].byteLength};
    }
    if (m_shaping) {
        ShapeStrings();
    }
    return true;
}

void TextBank::ShapeStrings() {
    const ArabicTextShaper& shaper = ArabicTextShaper::Get();
    std::string shaped;
    for (TextBankString& entry : m_strings) {
        // The byte count bounds the copy; the text may end earlier.
        const size_t bound = entry.byteLength > 0 ? entry.byteLength - 1 : 0;
        const std::string copy(entry.text, strnlen(entry.text, bound));
        shaped.clear();
        // Text the shaper declines (empty, malformed) stays as it was.
        if (!shaper.Transform(copy.c_str(), shaped)) {
            continue;
        }
        auto owned = std::make_unique<char[]>(shaped.size() + 1);
        std::memcpy(owned.get(), shaped.c_str(), shaped.size() + 1);
        entry.text = owned.get();
        entry.codePoints = CountCodePoints(entry.text);
        entry.byteLength = static_cast<uint32_t>(std::strlen(entry.text) + 1);
        m_shapedTexts.push_back(std::move(owned));
    }
}

bool TextBank::LoadKeys(const char* path) {
    if (path == nullptr) {
        Log("TextBank: no key file named");
        return false;
    }
    FileObject file(path, 0);
    if (!file.Load()) {
        Log("TextBank: cannot open the key file %s", path);
        return false;
    }
    return LoadKeysFromBytes(file.GetData(), static_cast<size_t>(file.GetLength()), path);
}

bool TextBank::LoadStrings(const char* path) {
    if (path == nullptr) {
        Log("TextBank: no string file named");
        return false;
    }
    FileObject file(path, 0);
    if (!file.Load()) {
        Log("TextBank: cannot open the string file %s", path);
        return false;
    }
    return LoadStringsFromBytes(file.GetData(), static_cast<size_t>(file.GetLength()), path);
}

const TextBankKey* TextBank::Find(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    const size_t length = std::strlen(name);
    uint32_t lo = 0;
    uint32_t hi = GetKeyCount();
    while (lo != hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        const TextBankKey& key = m_keys[mid];
        // One byte past the shorter text: a terminator meets a letter, so a
        // prefix never matches.
        const int order = std::memcmp(name, key.key, std::min<size_t>(length, key.keyLength) + 1);
        if (order < 0) {
            hi = mid;
        } else if (order > 0) {
            lo = mid + 1;
        } else {
            return &key;
        }
    }
    return nullptr;
}

const TextBankString* TextBank::GetString(uint32_t index) const {
    return index < m_strings.size() ? &m_strings[index] : nullptr;
}

const char* TextBank::FindText(const char* name) const {
    const TextBankKey* key = Find(name);
    const TextBankString* entry = key != nullptr ? GetString(key->stringIndex) : nullptr;
    return entry != nullptr ? entry->text : nullptr;
}

}  // namespace Varnok
