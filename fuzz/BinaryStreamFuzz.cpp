// Binary streams over arbitrary bytes: every kind of read, in an order the
// input chooses, and chunk packets. Nothing may read outside the data.
#include "engine/core/BinaryStream.h"
#include "engine/core/ChunkRecord.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint32_t mark = (data[0] & 1) != 0 ? Varnok::kNativeByteOrder : Varnok::kSwappedByteOrder;
    // The second byte chooses how many leading bytes drive the reads; the rest
    // is the stream.
    const size_t script = size - 2 < data[1] ? size - 2 : data[1];
    const uint8_t* ops = data + 2;
    const size_t length = size - 2 - script;
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[length > 0 ? length : 1]);
    std::copy(ops + script, ops + script + length, bytes.get());

    Varnok::BinaryStreamReader reader(bytes.get(), length, mark);
    for (size_t i = 0; i < script; ++i) {
        const size_t before = reader.GetPosition();
        bool ok = false;
        switch (ops[i] % 11) {
            case 0: { int32_t v; ok = reader.ReadInt32(v); break; }
            case 1: { uint32_t v; ok = reader.ReadUInt32(v); break; }
            case 2: { float v; ok = reader.ReadFloat(v); break; }
            case 3: { int16_t v; ok = reader.ReadInt16(v); break; }
            case 4: { uint16_t v; ok = reader.ReadUInt16(v); break; }
            case 5: { uint8_t v; ok = reader.ReadUInt8(v); break; }
            case 6: { uint32_t a, b; ok = reader.ReadPair32(a, b); break; }
            case 7: { uint8_t raw[7]; ok = reader.ReadBytes(raw, ops[i] % 8); break; }
            case 8: { Varnok::AsciiString s; ok = reader.ReadAsciiString(s); break; }
            case 9: { std::string s; ok = reader.ReadStdString(s); break; }
            default: { std::vector<uint8_t> blob; ok = reader.ReadBlob(blob); break; }
        }
        if (reader.GetPosition() > length || reader.GetPosition() < before ||
            (!ok && !reader.IsOverrun())) {
            __builtin_trap();
        }
    }

    Varnok::BinaryStreamReader packetReader(bytes.get(), length, mark);
    Varnok::ChunkPacket packet;
    if (Varnok::ChunkReader::ReadRecordList(packetReader, packet)) {
        // A packet that reads must write back to the same bytes.
        Varnok::BinaryStreamWriter writer(16, mark);
        Varnok::ChunkWriter::WriteRecordList(packet, writer);
        if (static_cast<size_t>(writer.Size()) != packetReader.GetPosition() ||
            !std::equal(writer.Data(), writer.Data() + writer.Size(), bytes.get())) {
            __builtin_trap();
        }
    }
    return 0;
}
