#include "engine/core/BinaryStream.h"
#include "engine/core/ChunkRecord.h"
#include "engine/ui/UIRemoteEditReporter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Varnok {
namespace {

uint32_t BigEndianWord(const uint8_t* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

ChunkPacket WriteAndRead(const UIRemoteEditMessage& message, BinaryStreamWriter& writer) {
    UIRemoteEditReporter::SendMessage(message, writer);
    BinaryStreamReader reader(writer.Data(), static_cast<size_t>(writer.Size()),
                              UIRemoteEditReporter::kByteOrderMark);
    ChunkPacket packet;
    EXPECT_TRUE(ChunkReader::ReadRecordList(reader, packet));
    return packet;
}

TEST(UIRemoteEditReporterTest, PropertyChangedPacketSizesAndBigEndianHeaders) {
    BinaryStreamWriter writer(UIRemoteEditReporter::kInitialBufferSize, UIRemoteEditReporter::kByteOrderMark);
    const UIRemoteEditMessage message =
        UIRemoteEditMessage::PropertyChanged("root.menu", "text", "phoneSKU", "1.25");
    const ChunkPacket packet = WriteAndRead(message, writer);
    ASSERT_EQ(125, writer.Size());
    const uint8_t* bytes = writer.Data();
    EXPECT_EQ(0, std::memcmp(bytes, "BEPM", 4));
    EXPECT_EQ(20u, BigEndianWord(bytes + 4));
    EXPECT_EQ(static_cast<uint32_t>(message.time), BigEndianWord(bytes + 8));
    EXPECT_EQ(6u, BigEndianWord(bytes + 12));
    EXPECT_EQ(105u, BigEndianWord(bytes + 16));
    EXPECT_EQ(0, std::memcmp(bytes + 20, "BEMB", 4));
    EXPECT_EQ(4u, BigEndianWord(bytes + 28));
    EXPECT_EQ(0, std::memcmp(bytes + 32, "BEMC", 4));

    ASSERT_EQ(4u, packet.body.records.size());
    const uint32_t lengths[] = {10, 5, 9, 5};
    const char* texts[] = {"root.menu", "text", "phoneSKU", "1.25"};
    for (int i = 0; i < 4; ++i) {
        const ChunkRecord& record = packet.body.records[i];
        EXPECT_EQ(lengths[i], record.GetDataLength());
        EXPECT_EQ(lengths[i] + 16, record.GetDataLength() + record.GetHeaderSize());
        EXPECT_EQ(kChunkValueText, record.GetValueType());
        EXPECT_STREQ(texts[i], reinterpret_cast<const char*>(record.GetData()));  // terminated
    }
}

TEST(UIRemoteEditReporterTest, EmptyValueCarriesNoDataAndAnimationRecords) {
    BinaryStreamWriter writer(UIRemoteEditReporter::kInitialBufferSize, UIRemoteEditReporter::kByteOrderMark);
    const ChunkPacket empty = WriteAndRead(UIRemoteEditMessage::PropertyChanged("a", "b", "c", ""), writer);
    ASSERT_EQ(4u, empty.body.records.size());
    EXPECT_EQ(0u, empty.body.records[3].GetDataLength());
    EXPECT_EQ(nullptr, empty.body.records[3].GetData());
    EXPECT_EQ(20 + 12 + 4 * 16 + 2 + 2 + 2, writer.Size());

    BinaryStreamWriter stopped(64, UIRemoteEditReporter::kByteOrderMark);
    const ChunkPacket stop = WriteAndRead(UIRemoteEditMessage::AnimationStopped("root.x", "Fade"), stopped);
    EXPECT_EQ(19u, stop.messageWord);
    EXPECT_EQ(2u, stop.body.records.size());

    BinaryStreamWriter started(64, UIRemoteEditReporter::kByteOrderMark);
    const ChunkPacket start = WriteAndRead(UIRemoteEditMessage::AnimationStarted("root.x", "Fade", 1500), started);
    EXPECT_EQ(18u, start.messageWord);
    ASSERT_EQ(3u, start.body.records.size());
    EXPECT_EQ(kChunkValueInt32, start.body.records[2].GetValueType());
    ASSERT_EQ(4u, start.body.records[2].GetDataLength());
    EXPECT_EQ(1500u, BigEndianWord(start.body.records[2].GetData()));
    EXPECT_EQ(21, UIRemoteEditMessage::AnimationTime("p", "a", 3).type);

    // The transport drops what it is given; sending must simply not fail.
    UIRemoteEditReporter reporter("uieditor");
    reporter.SendPropertyChanged("root", "x", "sku", "1");
    reporter.SendAnimationTime("root", "a", 7);
}

}  // namespace
}  // namespace Varnok
