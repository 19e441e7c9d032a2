// 'CMEB' chunk records and the packets that carry them, as the UI's live-edit
// reporting sends them.
//
// Packet layout, every 32-bit field through the stream's byte-order mark (with
// the swapping mark the three magic values read B E P M, B E M B, B E M C):
//   packet header  magic 0x4245504D, header size 20, message kind,
//                  message word, body size (GetTotalSize of the body)
//   body header    magic 0x42454D42, header size 12, record count
//   each record    magic 0x42454D43, header size 16, data length, value type,
//                  then the data bytes (no padding)
#pragma once

#include "engine/core/BinaryStream.h"

#include <cstdint>
#include <vector>

namespace Varnok {

constexpr uint32_t kChunkPacketMagic = 0x4245504D;
constexpr uint32_t kChunkListMagic = 0x42454D42;
constexpr uint32_t kChunkRecordMagic = 0x42454D43;
constexpr uint32_t kChunkPacketHeaderSize = 20;
constexpr uint32_t kChunkListHeaderSize = 12;
constexpr uint32_t kChunkRecordHeaderSize = 16;

// What a record's data holds.
constexpr uint32_t kChunkValueInt32 = 16;  // 4 bytes, big-endian whatever the mark
constexpr uint32_t kChunkValueText = 19;   // the text's bytes, no terminator
constexpr uint32_t kChunkValueNone = 20;

struct ChunkRecordList;

class ChunkRecord {
public:
    // No data, value type none.
    ChunkRecord() = default;
    // An integer record: its 4 bytes in big-endian order.
    explicit ChunkRecord(int32_t value);

    // Replaces the data with a copy of `length` bytes (none for length 0).
    void SetData(uint32_t valueType, uint32_t length, const void* bytes);
    // No data; value type none.
    void Clear();

    // The body header size plus, for every record, 16 and its data length.
    static uint32_t GetTotalSize(const ChunkRecordList& body);

    uint32_t GetMagic() const { return m_magic; }
    uint32_t GetHeaderSize() const { return m_headerSize; }
    uint32_t GetDataLength() const { return static_cast<uint32_t>(m_data.size()); }
    uint32_t GetValueType() const { return m_valueType; }
    // Null when there is no data.
    const uint8_t* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }

private:
    uint32_t m_magic = kChunkRecordMagic;
    uint32_t m_headerSize = kChunkRecordHeaderSize;
    uint32_t m_valueType = kChunkValueNone;
    std::vector<uint8_t> m_data;
};

// The packet body.
struct ChunkRecordList {
    uint32_t magic = kChunkListMagic;
    uint32_t headerSize = kChunkListHeaderSize;
    std::vector<ChunkRecord> records;
};

struct ChunkPacket {
    uint32_t magic = kChunkPacketMagic;
    uint32_t headerSize = kChunkPacketHeaderSize;
    uint32_t messageKind = 0;  // chosen by the reporter
    uint32_t messageWord = 0;  // chosen by the reporter
    ChunkRecordList body;
};

class ChunkWriter {
public:
    // The packet header, the body header and every record, in order.
    static void WriteRecordList(const ChunkPacket& packet, BinaryStreamWriter& writer);
};

class ChunkReader {
public:
    // One 32-bit word by the stream's rules (0 and the overrun flag past the end).
    static bool ReadInt32(BinaryStreamReader& stream, int32_t& out) {
        return stream.ReadInt32(out);
    }
    // Reads a packet as WriteRecordList writes it. False, with one log line,
    // when a magic value or header size is wrong, a length or count runs past
    // the data, or the body size disagrees with the records.
    [[nodiscard]] static bool ReadRecordList(BinaryStreamReader& stream, ChunkPacket& outPacket);
};

// The engine's live-edit transport. Nothing listens in this system, so every
// packet handed to it is dropped.
class ChunkListener {
public:
    static ChunkListener& Get();

    void Enable() { m_enabled = true; }
    bool IsEnabled() const { return m_enabled; }
    // Drops the packet.
    void Send(uint32_t /*targetHash*/, const uint8_t* /*bytes*/, int /*length*/) {}

private:
    bool m_enabled = false;
};

}  // namespace Varnok
