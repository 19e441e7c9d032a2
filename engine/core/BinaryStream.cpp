// Reading and writing of byte-ordered binary data.
#include "engine/core/BinaryStream.h"

#include "engine/core/FileObject.h"

#include <cstring>

namespace Varnok {

namespace {

uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

uint16_t Swap16(uint16_t v) {
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}

}  // namespace

BinaryStreamReader::BinaryStreamReader(FileObject& file, uint32_t byteOrderMark)
    : m_length(file.GetLength() > 0 ? static_cast<size_t>(file.GetLength()) : 0),
      m_byteOrderMark(byteOrderMark),
      m_file(&file) {}

BinaryStreamReader::BinaryStreamReader(const void* begin, size_t length, uint32_t byteOrderMark)
    : m_base(static_cast<const uint8_t*>(begin)),
      m_length(begin != nullptr ? length : 0),
      m_byteOrderMark(byteOrderMark) {}

void BinaryStreamReader::Overrun() {
    m_cursor = m_length;
    m_overrun = true;
}

bool BinaryStreamReader::Take(void* out, size_t n) {
    if (n > GetRemaining()) {
        Overrun();
        return false;
    }
    if (n == 0) {
        return true;
    }
    if (m_file == nullptr) {
        std::memcpy(out, m_base + m_cursor, n);
    } else if (!m_file->Read(out, static_cast<int32_t>(n))) {
        // The file ended early or failed: nothing more can be trusted.
        Overrun();
        return false;
    }
    m_cursor += n;
    return true;
}

bool BinaryStreamReader::ReadUInt32(uint32_t& out) {
    uint32_t value = 0;
    if (!Take(&value, sizeof(value))) {
        out = 0;
        return false;
    }
    out = m_byteOrderMark == kNativeByteOrder ? value : Swap32(value);
    return true;
}

bool BinaryStreamReader::ReadInt32(int32_t& out) {
    uint32_t value = 0;
    const bool ok = ReadUInt32(value);
    out = static_cast<int32_t>(value);
    return ok;
}

bool BinaryStreamReader::ReadFloat(float& out) {
    uint32_t value = 0;
    const bool ok = ReadUInt32(value);
    std::memcpy(&out, &value, sizeof(out));
    return ok;
}

bool BinaryStreamReader::ReadUInt16(uint16_t& out) {
    uint16_t value = 0;
    if (!Take(&value, sizeof(value))) {
        out = 0;
        return false;
    }
    out = m_byteOrderMark == kNativeByteOrder ? value : Swap16(value);
    return true;
}

bool BinaryStreamReader::ReadInt16(int16_t& out) {
    uint16_t value = 0;
    const bool ok = ReadUInt16(value);
    out = static_cast<int16_t>(value);
    return ok;
}

bool BinaryStreamReader::ReadUInt8(uint8_t& out) {
    out = 0;
    return Take(&out, 1);
}

bool BinaryStreamReader::ReadPair32(uint32_t& outFirst, uint32_t& outSecond) {
    const bool first = ReadUInt32(outFirst);
    const bool second = ReadUInt32(outSecond);
    return first && second;
}

bool BinaryStreamReader::ReadBytes(void* out, size_t n) {
    if (!Take(out, n)) {
        if (n > 0) {
            std::memset(out, 0, n);
        }
        return false;
    }
    return true;
}

bool BinaryStreamReader::ReadLength(size_t& outLength) {
    uint32_t length = 0;
    outLength = 0;
    if (!ReadUInt32(length)) {
        return false;
    }
    if (length > GetRemaining()) {
        Overrun();
        return false;
    }
    outLength = length;
    return true;
}

bool BinaryStreamReader::ReadAsciiString(AsciiString& out) {
    size_t length = 0;
    if (!ReadLength(length)) {
        out.Assign("");
        return false;
    }
    // AsciiString exposes no writable storage, so the bytes come through a copy.
    std::string bytes(length, '\0');
    if (!Take(bytes.data(), length)) {
        out.Assign("");
        return false;
    }
    out.Assign(bytes.data(), static_cast<int>(length));
    return true;
}

bool BinaryStreamReader::ReadStdString(std::string& out) {
    size_t length = 0;
    out.clear();
    if (!ReadLength(length)) {
        return false;
    }
    out.resize(length);
    if (!Take(out.data(), length)) {
        out.clear();
        return false;
    }
    return true;
}

bool BinaryStreamReader::ReadBlob(std::vector<uint8_t>& out) {
    size_t length = 0;
    out.clear();
    if (!ReadLength(length)) {
        return false;
    }
    out.resize(length);
    if (!Take(out.data(), length)) {
        out.clear();
        return false;
    }
    return true;
}

BinaryStreamWriter::BinaryStreamWriter(int initialCapacity, uint32_t byteOrderMark)
    : m_byteOrderMark(byteOrderMark) {
    m_buffer.Grow(initialCapacity);
}

void BinaryStreamWriter::Reserve(int n) {
    const int64_t needed = static_cast<int64_t>(m_buffer.Size()) + n;
    int64_t capacity = m_buffer.Capacity();
    if (needed <= capacity) {
        return;
    }
    if (capacity <= 0) {
        capacity = n;  // doubling nothing never fits
    }
    while (capacity < needed) {
        capacity *= 2;
    }
    m_buffer.Grow(static_cast<int>(capacity - m_buffer.Capacity()));
}

void BinaryStreamWriter::WriteUInt32(uint32_t value) {
    const uint32_t stored = m_byteOrderMark == kNativeByteOrder ? value : Swap32(value);
    WriteBytes(&stored, sizeof(stored));
}

void BinaryStreamWriter::WriteInt32(int32_t value) {
    WriteUInt32(static_cast<uint32_t>(value));
}

void BinaryStreamWriter::WriteBytes(const void* bytes, int n) {
    if (n <= 0 || bytes == nullptr) {
        return;
    }
    Reserve(n);
    m_buffer.Append(bytes, n);
}

void BinaryStreamWriter::WriteStdString(const std::string& text) {
    WriteUInt32(static_cast<uint32_t>(text.size()));
    WriteBytes(text.data(), static_cast<int>(text.size()));
}

}  // namespace Varnok
