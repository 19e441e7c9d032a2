#include "engine/core/BinaryStream.h"

#include "engine/core/ChunkRecord.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileObject.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

std::vector<uint8_t> WrittenBytes(const BinaryStreamWriter& writer) {
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Size());
}

TEST(BinaryStream, ByteOrderMarkDecidesTheOrderOfWords) {
    const std::vector<uint8_t> five = Bytes({0x00, 0x00, 0x00, 0x05});
    int32_t value = -1;

    BinaryStreamReader swapped(five.data(), five.size(), kSwappedByteOrder);
    EXPECT_TRUE(swapped.ReadInt32(value));
    EXPECT_EQ(value, 5);

    BinaryStreamReader native(five.data(), five.size(), kNativeByteOrder);
    EXPECT_TRUE(native.ReadInt32(value));
    EXPECT_EQ(value, 0x05000000);

    // Any mark other than the native one swaps.
    BinaryStreamReader other(five.data(), five.size(), 0x12345678);
    EXPECT_TRUE(other.ReadInt32(value));
    EXPECT_EQ(value, 5);

    const std::vector<uint8_t> shorts = Bytes({0x01, 0x02, 0xFF, 0xFE});
    BinaryStreamReader halves(shorts.data(), shorts.size(), kSwappedByteOrder);
    uint16_t a = 0;
    int16_t b = 0;
    EXPECT_TRUE(halves.ReadUInt16(a));
    EXPECT_TRUE(halves.ReadInt16(b));
    EXPECT_EQ(a, 0x0102);
    EXPECT_EQ(b, -2);
}

TEST(BinaryStream, RoundTripsInBothOrders) {
    for (uint32_t mark : {kNativeByteOrder, kSwappedByteOrder}) {
        SCOPED_TRACE(mark);
        BinaryStreamWriter writer(8, mark);
        const float pi = 3.25f;
        uint32_t piBits = 0;
        std::memcpy(&piBits, &pi, 4);
        writer.WriteInt32(-7);
        writer.WriteUInt32(0xDEADBEEF);
        writer.WriteUInt32(piBits);
        writer.WriteUInt32(1);
        writer.WriteUInt32(2);
        writer.WriteStdString("fruit");
        writer.WriteStdString("");
        writer.WriteStdString(std::string(40, 'x'));  // past the inline string buffer
        writer.WriteUInt32(3);
        writer.WriteBytes("\x01\x02\x03", 3);
        writer.WriteBytes("z", 1);

        BinaryStreamReader reader(writer.Data(), static_cast<size_t>(writer.Size()), mark);
        int32_t i = 0;
        uint32_t u = 0;
        float f = 0;
        uint32_t first = 0;
        uint32_t second = 0;
        std::string text;
        AsciiString empty("not yet");
        AsciiString longText;
        std::vector<uint8_t> blob;
        uint8_t byte = 0;
        EXPECT_TRUE(reader.ReadInt32(i));
        EXPECT_TRUE(reader.ReadUInt32(u));
        EXPECT_TRUE(reader.ReadFloat(f));
        EXPECT_TRUE(reader.ReadPair32(first, second));
        EXPECT_TRUE(reader.ReadStdString(text));
        EXPECT_TRUE(reader.ReadAsciiString(empty));
        EXPECT_TRUE(reader.ReadAsciiString(longText));
        EXPECT_TRUE(reader.ReadBlob(blob));
        EXPECT_TRUE(reader.ReadUInt8(byte));
        EXPECT_EQ(i, -7);
        EXPECT_EQ(u, 0xDEADBEEFu);
        EXPECT_EQ(f, pi);
        EXPECT_EQ(first, 1u);
        EXPECT_EQ(second, 2u);
        EXPECT_EQ(text, "fruit");
        EXPECT_STREQ(empty.c_str(), "");
        EXPECT_EQ(std::string(longText.c_str()), std::string(40, 'x'));
        EXPECT_EQ(blob, Bytes({1, 2, 3}));
        EXPECT_EQ(byte, 'z');
        EXPECT_EQ(reader.GetRemaining(), 0u);
        EXPECT_FALSE(reader.IsOverrun());
    }
}

TEST(BinaryStream, WriterDoublesItsCapacityUntilAValueFits) {
    BinaryStreamWriter writer(4, kSwappedByteOrder);
    EXPECT_EQ(writer.Capacity(), 4);
    writer.WriteUInt32(1);
    EXPECT_EQ(writer.Capacity(), 4);
    writer.WriteUInt32(2);
    EXPECT_EQ(writer.Capacity(), 8);
    writer.WriteBytes(std::string(20, 'a').data(), 20);
    EXPECT_EQ(writer.Capacity(), 32);
    EXPECT_EQ(writer.Size(), 28);
    EXPECT_EQ(WrittenBytes(writer)[3], 1);  // big-endian words
}

TEST(BinaryStream, ReadPastTheEndYieldsZeroAndSetsTheOverrunFlag) {
    const std::vector<uint8_t> three = Bytes({1, 2, 3});
    BinaryStreamReader reader(three.data(), three.size(), kSwappedByteOrder);
    int32_t value = -1;
    EXPECT_FALSE(reader.ReadInt32(value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(reader.IsOverrun());
    EXPECT_EQ(reader.GetPosition(), 3u);  // at the end, nothing read

    // Even a read that would fit an empty stream keeps yielding 0.
    uint8_t byte = 9;
    EXPECT_FALSE(reader.ReadUInt8(byte));
    EXPECT_EQ(byte, 0);
    value = -1;
    EXPECT_FALSE(reader.ReadInt32(value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(reader.IsOverrun());

    // Raw bytes past the end come back zeroed.
    char raw[5] = {'a', 'b', 'c', 'd', 'e'};
    BinaryStreamReader shortRaw(three.data(), three.size(), kNativeByteOrder);
    EXPECT_FALSE(shortRaw.ReadBytes(raw, sizeof(raw)));
    EXPECT_EQ(std::string(raw, 5), std::string(5, '\0'));

    // A null memory range is an empty stream.
    BinaryStreamReader none(nullptr, 100, kNativeByteOrder);
    EXPECT_FALSE(none.ReadUInt16(*reinterpret_cast<uint16_t*>(raw)));
    EXPECT_TRUE(none.IsOverrun());
}

// Lengths read from the data are checked against what is left before any
// storage is made for them; the string comes back empty.
TEST(BinaryStream, LengthsPastTheEndGiveEmptyResults) {
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"length one past the bytes", Bytes({0, 0, 0, 4, 'a', 'b', 'c'})},
        {"huge length", Bytes({0xFF, 0xFF, 0xFF, 0xF0, 'a', 'b'})},
        {"negative as signed", Bytes({0x80, 0, 0, 0})},
        {"length cut short", Bytes({0, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            BinaryStreamReader reader(c.bytes.data(), c.bytes.size(), kSwappedByteOrder);
            AsciiString text("old");
            EXPECT_FALSE(reader.ReadAsciiString(text));
            EXPECT_STREQ(text.c_str(), "");
            EXPECT_TRUE(reader.IsOverrun());
            EXPECT_EQ(reader.GetRemaining(), 0u);
        }
        {
            BinaryStreamReader reader(c.bytes.data(), c.bytes.size(), kSwappedByteOrder);
            std::string text = "old";
            EXPECT_FALSE(reader.ReadStdString(text));
            EXPECT_EQ(text, "");
            EXPECT_TRUE(reader.IsOverrun());
        }
        {
            BinaryStreamReader reader(c.bytes.data(), c.bytes.size(), kSwappedByteOrder);
            std::vector<uint8_t> blob = {1};
            EXPECT_FALSE(reader.ReadBlob(blob));
            EXPECT_TRUE(blob.empty());
            EXPECT_TRUE(reader.IsOverrun());
        }
    }
}

TEST(BinaryStream, ReadsThroughAnOpenFile) {
    VarnokTest::TempDir dir;
    BinaryStreamWriter writer(16, kSwappedByteOrder);
    writer.WriteInt32(42);
    writer.WriteStdString("atlas.tex");
    writer.WriteUInt32(0x7FFFFFFF);  // a string length far past the end
    writer.WriteBytes("ab", 2);
    VarnokTest::WriteHostFile(dir / "layout.bin",
                  std::string(reinterpret_cast<const char*>(writer.Data()), writer.Size()));

    FileSystemRegistry& registry = FileSystemRegistry::Get();
    registry.Clear();
    registry.Add(std::make_unique<DirectoryFileSystem>(dir.Path().c_str(), true),
                 FileSystemKey("base"), 0);
    FileObject file("layout.bin", kOpenRead);
    ASSERT_TRUE(file.Open());
    BinaryStreamReader reader(file, kSwappedByteOrder);
    EXPECT_EQ(reader.GetLength(), static_cast<size_t>(writer.Size()));
    int32_t value = 0;
    AsciiString name;
    EXPECT_TRUE(reader.ReadInt32(value));
    EXPECT_TRUE(reader.ReadAsciiString(name));
    EXPECT_EQ(value, 42);
    EXPECT_STREQ(name.c_str(), "atlas.tex");
    EXPECT_EQ(reader.GetPosition(), 17u);
    EXPECT_FALSE(reader.ReadAsciiString(name));
    EXPECT_STREQ(name.c_str(), "");
    EXPECT_TRUE(reader.IsOverrun());
    EXPECT_EQ(reader.GetRemaining(), 0u);
    file.Close();

    // A file object that is not open reads as an empty stream.
    FileObject closed("layout.bin", kOpenRead);
    BinaryStreamReader none(closed, kNativeByteOrder);
    EXPECT_FALSE(none.ReadInt32(value));
    EXPECT_TRUE(none.IsOverrun());
    registry.Clear();
}

TEST(ChunkRecord, IntegerRecordIsBigEndianWhateverTheMark) {
    // The figure: 258 through a swapping writer.
    BinaryStreamWriter writer(64, kSwappedByteOrder);
    const ChunkRecord record(258);
    writer.WriteUInt32(record.GetMagic());
    writer.WriteUInt32(record.GetHeaderSize());
    writer.WriteUInt32(record.GetDataLength());
    writer.WriteUInt32(record.GetValueType());
    writer.WriteBytes(record.GetData(), static_cast<int>(record.GetDataLength()));
    EXPECT_EQ(WrittenBytes(writer), Bytes({0x42, 0x45, 0x4D, 0x43, 0, 0, 0, 0x10, 0, 0, 0, 4, 0, 0,
                                           0, 0x10, 0x00, 0x00, 0x01, 0x02}));

    // The data bytes do not follow a native writer's order.
    ChunkPacket packet;
    packet.body.records.push_back(ChunkRecord(258));
    BinaryStreamWriter native(16, kNativeByteOrder);
    ChunkWriter::WriteRecordList(packet, native);
    const std::vector<uint8_t> bytes = WrittenBytes(native);
    ASSERT_EQ(bytes.size(), 20u + 12u + 20u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), Bytes({0, 0, 1, 2}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), Bytes({'M', 'P', 'E', 'B'}));
}

TEST(ChunkRecord, SetDataClearAndCopies) {
    ChunkRecord record;
    EXPECT_EQ(record.GetValueType(), kChunkValueNone);
    EXPECT_EQ(record.GetData(), nullptr);

    record.SetData(kChunkValueText, 0, "");  // an empty text: no data at all
    EXPECT_EQ(record.GetValueType(), kChunkValueText);
    EXPECT_EQ(record.GetDataLength(), 0u);
    EXPECT_EQ(record.GetData(), nullptr);

    char text[] = "slice";
    record.SetData(kChunkValueText, 5, text);
    text[0] = 'X';  // the record keeps its own copy
    ASSERT_EQ(record.GetDataLength(), 5u);
    EXPECT_EQ(std::memcmp(record.GetData(), "slice", 5), 0);

    std::vector<ChunkRecord> list = {record};
    record.Clear();
    EXPECT_EQ(record.GetValueType(), kChunkValueNone);
    EXPECT_EQ(record.GetDataLength(), 0u);
    ASSERT_EQ(list[0].GetDataLength(), 5u);  // copies own their data
    EXPECT_NE(list[0].GetData(), nullptr);
}

ChunkPacket SamplePacket() {
    ChunkPacket packet;
    packet.messageKind = 3;
    packet.messageWord = 0xABCD;
    packet.body.records.push_back(ChunkRecord(-1));
    ChunkRecord text;
    text.SetData(kChunkValueText, 6, "banana");
    packet.body.records.push_back(text);
    ChunkRecord empty;
    empty.SetData(kChunkValueText, 0, nullptr);
    packet.body.records.push_back(empty);
    packet.body.records.push_back(ChunkRecord());
    return packet;
}

TEST(ChunkRecord, PacketLayoutOnTheWire) {
    const ChunkPacket packet = SamplePacket();
    EXPECT_EQ(ChunkRecord::GetTotalSize(packet.body), 12u + 16u + 4u + 16u + 6u + 16u + 16u);

    BinaryStreamWriter writer(4096, kSwappedByteOrder);
    ChunkWriter::WriteRecordList(packet, writer);
    const std::vector<uint8_t> bytes = WrittenBytes(writer);
    ASSERT_EQ(bytes.size(), 20u + 86u);
    const std::vector<uint8_t> header = {bytes.begin(), bytes.begin() + 32};
    EXPECT_EQ(header, Bytes({'B', 'E', 'P', 'M', 0, 0, 0, 20,   0, 0, 0, 3, 0, 0, 0xAB, 0xCD,
                             0,   0,   0,   86,  'B', 'E', 'M', 'B', 0, 0, 0, 12, 0, 0, 0, 4}));
    // Second record: header, then the text without a terminator.
    const std::vector<uint8_t> second = {bytes.begin() + 52, bytes.begin() + 74};
    EXPECT_EQ(second, Bytes({'B', 'E', 'M', 'C', 0, 0, 0, 16, 0, 0, 0, 6, 0, 0, 0, 19, 'b', 'a',
                             'n', 'a', 'n', 'a'}));

    for (uint32_t mark : {kNativeByteOrder, kSwappedByteOrder}) {
        SCOPED_TRACE(mark);
        BinaryStreamWriter out(16, mark);
        ChunkWriter::WriteRecordList(packet, out);
        BinaryStreamReader reader(out.Data(), static_cast<size_t>(out.Size()), mark);
        ChunkPacket back;
        ASSERT_TRUE(ChunkReader::ReadRecordList(reader, back));
        EXPECT_EQ(back.messageKind, 3u);
        EXPECT_EQ(back.messageWord, 0xABCDu);
        ASSERT_EQ(back.body.records.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            const ChunkRecord& a = packet.body.records[i];
            const ChunkRecord& b = back.body.records[i];
            EXPECT_EQ(a.GetValueType(), b.GetValueType());
            ASSERT_EQ(a.GetDataLength(), b.GetDataLength());
            if (a.GetDataLength() > 0) {
                EXPECT_EQ(std::memcmp(a.GetData(), b.GetData(), a.GetDataLength()), 0);
            }
        }
    }
}

TEST(ChunkRecord, DamagedPacketsAreRefused) {
    BinaryStreamWriter writer(16, kSwappedByteOrder);
    ChunkWriter::WriteRecordList(SamplePacket(), writer);
    const std::string good(reinterpret_cast<const char*>(writer.Data()),
                           static_cast<size_t>(writer.Size()));
    auto withWord = [&good](size_t offset, uint32_t value) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) {
            bytes[offset + i] = static_cast<char>(value >> (24 - 8 * i));
        }
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"packet header only", good.substr(0, 20)},
        {"cut inside the records", good.substr(0, good.size() - 17)},
        {"last byte missing", good.substr(0, good.size() - 1)},
        {"wrong packet magic", withWord(0, 0x4245504E)},
        {"wrong body header size", withWord(24, 13)},
        {"huge record count", withWord(28, 0x7FFFFFFF)},
        {"huge data length", withWord(40, 0xFFFFFFF0)},
        {"wrong record magic", withWord(32, 0)},
        {"body size disagrees", withWord(16, 85)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BinaryStreamReader reader(c.bytes.data(), c.bytes.size(), kSwappedByteOrder);
        ChunkPacket packet;
        EXPECT_FALSE(ChunkReader::ReadRecordList(reader, packet));
    }
}

TEST(ChunkRecord, ListenerDropsPackets) {
    ChunkListener& listener = ChunkListener::Get();
    EXPECT_EQ(&listener, &ChunkListener::Get());
    listener.Enable();
    EXPECT_TRUE(listener.IsEnabled());
    const uint8_t bytes[4] = {1, 2, 3, 4};
    listener.Send(HashName("UIManager", 9), bytes, 4);  // nothing to observe, nothing to crash
}

}  // namespace
}  // namespace Varnok
