// Binary data as 32-bit words and length-prefixed strings in either byte
// order: a reader over memory or an open file, and a writer into a byte buffer.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/ByteBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

class FileObject;

// The byte-order mark says in which order the data was (or is to be) written.
// The native mark means the device's own little-endian order; any other value
// makes every 16- and 32-bit value be byte-swapped. The engine uses these two.
constexpr uint32_t kNativeByteOrder = 0x04030201;
constexpr uint32_t kSwappedByteOrder = 0x01020304;

// A read that asks for more than is left never reads outside the data: it
// yields 0 (or nothing), moves the cursor to the end and sets the overrun flag,
// which stays set. Formats read on and check the flag afterwards.
class BinaryStreamReader {
public:
    // File mode: reads through `file`, which must be open and outlive the
    // reader; the length is the file's length, the cursor starts at 0.
    BinaryStreamReader(FileObject& file, uint32_t byteOrderMark);
    // Memory mode over `length` bytes from `begin`, which must outlive the reader.
    BinaryStreamReader(const void* begin, size_t length, uint32_t byteOrderMark);

    // Each answers whether the value was read whole; on overrun the value is 0.
    bool ReadInt32(int32_t& out);
    bool ReadUInt32(uint32_t& out);
    bool ReadFloat(float& out);  // a 32-bit word, swapped like the others
    bool ReadInt16(int16_t& out);
    bool ReadUInt16(uint16_t& out);
    bool ReadUInt8(uint8_t& out);
    // Two consecutive words.
    bool ReadPair32(uint32_t& outFirst, uint32_t& outSecond);
    // n raw bytes, never swapped. On overrun the destination is zero-filled.
    bool ReadBytes(void* out, size_t n);

    // A 32-bit length, then that many bytes. A length beyond what is left is
    // caught before anything is allocated: the result is empty, the cursor
    // moves to the end and the overrun flag is set.
    bool ReadAsciiString(AsciiString& out);
    bool ReadStdString(std::string& out);
    bool ReadBlob(std::vector<uint8_t>& out);

    bool IsOverrun() const { return m_overrun; }
    // Byte offset from the start of the data.
    size_t GetPosition() const { return m_cursor; }
    size_t GetLength() const { return m_length; }
    size_t GetRemaining() const { return m_length - m_cursor; }
    uint32_t GetByteOrderMark() const { return m_byteOrderMark; }

private:
    // Copies n bytes at the cursor and advances; on a short read: overrun.
    bool Take(void* out, size_t n);
    void Overrun();
    // Reads a length word and checks it against what is left.
    bool ReadLength(size_t& outLength);

    const uint8_t* m_base = nullptr;  // null in file mode
    size_t m_cursor = 0;
    size_t m_length = 0;
    uint32_t m_byteOrderMark;
    bool m_overrun = false;
    FileObject* m_file = nullptr;  // null in memory mode
};

// Appends values to a growable buffer; the user hands Data() and Size() to
// its transport.
class BinaryStreamWriter {
public:
    // The buffer starts with `initialCapacity` bytes and doubles when full.
    BinaryStreamWriter(int initialCapacity, uint32_t byteOrderMark);

    void WriteInt32(int32_t value);
    void WriteUInt32(uint32_t value);
    // Raw bytes, never swapped.
    void WriteBytes(const void* bytes, int n);
    // The length as a 32-bit value, then the bytes without a terminator.
    void WriteStdString(const std::string& text);

    const uint8_t* Data() const { return m_buffer.Data(); }
    int Size() const { return m_buffer.Size(); }
    int Capacity() const { return m_buffer.Capacity(); }
    uint32_t GetByteOrderMark() const { return m_byteOrderMark; }

private:
    void Reserve(int n);

    ByteBuffer m_buffer;
    uint32_t m_byteOrderMark;
};

}  // namespace Varnok
