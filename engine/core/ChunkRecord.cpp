// Writing and reading of chunk packets.
#include "engine/core/ChunkRecord.h"

#include "engine/core/Log.h"

namespace Varnok {

ChunkRecord::ChunkRecord(int32_t value) : m_valueType(kChunkValueInt32) {
    const uint32_t v = static_cast<uint32_t>(value);
    m_data = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
              static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

void ChunkRecord::SetData(uint32_t valueType, uint32_t length, const void* bytes) {
    m_valueType = valueType;
    if (length == 0 || bytes == nullptr) {
        m_data.clear();
        return;
    }
    const auto* begin = static_cast<const uint8_t*>(bytes);
    m_data.assign(begin, begin + length);
}

void ChunkRecord::Clear() {
    m_data.clear();
    m_valueType = kChunkValueNone;
}

uint32_t ChunkRecord::GetTotalSize(const ChunkRecordList& body) {
    uint32_t size = body.headerSize;
    for (const ChunkRecord& record : body.records) {
        size += kChunkRecordHeaderSize + record.GetDataLength();
    }
    return size;
}

void ChunkWriter::WriteRecordList(const ChunkPacket& packet, BinaryStreamWriter& writer) {
    writer.WriteUInt32(packet.magic);
    writer.WriteUInt32(packet.headerSize);
    writer.WriteUInt32(packet.messageKind);
    writer.WriteUInt32(packet.messageWord);
    writer.WriteUInt32(ChunkRecord::GetTotalSize(packet.body));

    writer.WriteUInt32(packet.body.magic);
    writer.WriteUInt32(packet.body.headerSize);
    writer.WriteUInt32(static_cast<uint32_t>(packet.body.records.size()));

    for (const ChunkRecord& record : packet.body.records) {
        writer.WriteUInt32(record.GetMagic());
        writer.WriteUInt32(record.GetHeaderSize());
        writer.WriteUInt32(record.GetDataLength());
        writer.WriteUInt32(record.GetValueType());
        writer.WriteBytes(record.GetData(), static_cast<int>(record.GetDataLength()));
    }
}

namespace {

bool Fail(const char* what, size_t position) {
    Log("ChunkReader: %s at byte %zu", what, position);
    return false;
}

}  // namespace

bool ChunkReader::ReadRecordList(BinaryStreamReader& stream, ChunkPacket& outPacket) {
    outPacket = ChunkPacket();
    uint32_t bodySize = 0;
    stream.ReadUInt32(outPacket.magic);
    stream.ReadUInt32(outPacket.headerSize);
    stream.ReadUInt32(outPacket.messageKind);
    stream.ReadUInt32(outPacket.messageWord);
    stream.ReadUInt32(bodySize);
    if (stream.IsOverrun()) {
        return Fail("packet header cut short", stream.GetPosition());
    }
    if (outPacket.magic != kChunkPacketMagic || outPacket.headerSize != kChunkPacketHeaderSize) {
        return Fail("not a chunk packet header", stream.GetPosition());
    }

    uint32_t count = 0;
    stream.ReadUInt32(outPacket.body.magic);
    stream.ReadUInt32(outPacket.body.headerSize);
    stream.ReadUInt32(count);
    if (stream.IsOverrun()) {
        return Fail("body header cut short", stream.GetPosition());
    }
    if (outPacket.body.magic != kChunkListMagic ||
        outPacket.body.headerSize != kChunkListHeaderSize) {
        return Fail("not a chunk body header", stream.GetPosition());
    }
    // Every record takes at least its header: a count that cannot fit is
    // rejected before anything is reserved for it.
    if (count > stream.GetRemaining() / kChunkRecordHeaderSize) {
        return Fail("record count runs past the data", stream.GetPosition());
    }
    outPacket.body.records.reserve(count);

    for (uint32_t i = 0; i < count; ++i) {
        uint32_t magic = 0;
        uint32_t headerSize = 0;
        uint32_t length = 0;
        uint32_t valueType = 0;
        stream.ReadUInt32(magic);
        stream.ReadUInt32(headerSize);
        stream.ReadUInt32(length);
        stream.ReadUInt32(valueType);
        if (stream.IsOverrun()) {
            return Fail("record header cut short", stream.GetPosition());
        }
        if (magic != kChunkRecordMagic || headerSize != kChunkRecordHeaderSize) {
            return Fail("not a chunk record header", stream.GetPosition());
        }
        if (length > stream.GetRemaining()) {
            return Fail("record data runs past the data", stream.GetPosition());
        }
        std::vector<uint8_t> data(length);
        stream.ReadBytes(data.data(), length);
        if (stream.IsOverrun()) {
            return Fail("record data cut short", stream.GetPosition());
        }
        ChunkRecord record;
        record.SetData(valueType, length, data.data());
        outPacket.body.records.push_back(std::move(record));
    }
    if (bodySize != ChunkRecord::GetTotalSize(outPacket.body)) {
        return Fail("body size disagrees with its records", stream.GetPosition());
    }
    return true;
}

ChunkListener& ChunkListener::Get() {
    static ChunkListener listener;
    return listener;
}

}  // namespace Varnok
