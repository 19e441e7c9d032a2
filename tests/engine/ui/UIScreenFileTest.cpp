#include "engine/ui/descriptions/UIScreenFile.h"

#include "engine/core/BinaryStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Varnok {
namespace {

std::unique_ptr<UIBinaryComponent> MakeRecord(const char* id, int32_t parent, uint32_t cls) {
    auto record = std::make_unique<UIBinaryComponent>();
    record->id = UIBinaryString(AsciiString(id));
    record->parentIndex = parent;
    record->classIndex = cls;
    record->thirdIndex = 0xFFFFFFFFu;
    return record;
}

UIScreenFile MakeMinimalScreen() {
    UIScreenFile file;
    file.version = UIBinaryString(AsciiString("1.0.0"));
    file.skuNames.emplace_back(AsciiString("~base"));
    file.classNames.emplace_back(AsciiString("ComponentScreen"));
    file.components.push_back(MakeRecord("root", -1, 0));
    return file;
}

std::vector<uint8_t> Bytes(const UIScreenFile& file) {
    BinaryStreamWriter writer(256, kUIScreenFileByteOrder);
    UIScreenFileWriter::Write(file, writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Size());
}

UIScreenFile ReadBytes(const std::vector<uint8_t>& bytes) {
    BinaryStreamReader stream(bytes.data(), bytes.size(), kUIScreenFileByteOrder);
    UIScreenFile file;
    UIScreenFileReader::Read(stream, file);
    return file;
}

TEST(UIScreenFileTest, MinimalScreenIs345BigEndianBytesAndReadsBack) {
    const std::vector<uint8_t> bytes = Bytes(MakeMinimalScreen());
    ASSERT_EQ(345u, bytes.size());
    EXPECT_EQ(0x55, bytes[0]);
    EXPECT_EQ(0x49, bytes[1]);
    EXPECT_EQ(0x53, bytes[2]);
    EXPECT_EQ(0x46, bytes[3]);

    const UIScreenFile file = ReadBytes(bytes);
    EXPECT_STREQ("1.0.0", file.version.c_str());
    ASSERT_EQ(1u, file.skuTable.size());
    EXPECT_STREQ("~base", file.skuTable[0].c_str());
    ASSERT_EQ(1u, file.classTable.size());
    EXPECT_STREQ("ComponentScreen", file.classTable[0].c_str());
    EXPECT_TRUE(file.thirdTable.empty());
    ASSERT_EQ(1u, file.components.size());
    EXPECT_STREQ("root", file.components[0]->id.c_str());
    EXPECT_EQ(-1, file.components[0]->parentIndex);
    EXPECT_EQ(0x55495345u, file.endTag);
}

TEST(UIScreenFileTest, StringForms) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* text;  // null: the empty string
        size_t consumed;
    };
    const Case cases[] = {
        {{0, 0, 0, 6, '1', '.', '0', '.', '0', 0, 'x'}, "1.0.0", 10},
        {{0, 0, 0, 0, 'x'}, nullptr, 4},
        {{0, 0, 0, 1, 0}, "", 5},
        // No terminator in the file: the text still ends.
        {{0, 0, 0, 3, 'a', 'b', 'c'}, "abc", 7},
        // Longer than what is left: empty, the stream ends overrun.
        {{0, 0, 0, 9, 'a', 'b'}, nullptr, 6},
        // A length word with nothing after it.
        {{0, 0, 0, 5}, nullptr, 4},
    };
    for (const Case& c : cases) {
        BinaryStreamReader stream(c.bytes.data(), c.bytes.size(), kUIScreenFileByteOrder);
        UIBinaryString s;
        s.Read(stream);
        if (c.text == nullptr) {
            EXPECT_EQ(nullptr, s.c_str());
            EXPECT_EQ(0, s.Length());
        } else {
            EXPECT_STREQ(c.text, s.c_str());
        }
        EXPECT_EQ(c.consumed, stream.GetPosition());
    }

    std::vector<uint8_t> longBytes = {0, 0, 0x01, 0x2C};  // 300
    for (int i = 0; i < 299; ++i) {
        longBytes.push_back(static_cast<uint8_t>('a' + i % 26));
    }
    longBytes.push_back(0);
    BinaryStreamReader stream(longBytes.data(), longBytes.size(), kUIScreenFileByteOrder);
    UIBinaryString s;
    s.Read(stream);
    EXPECT_EQ(299, s.Length());
    EXPECT_FALSE(stream.IsOverrun());
}

TEST(UIScreenFileTest, EmptyFileHasNoRecords) {
    const UIScreenFile file = ReadBytes({});
    EXPECT_TRUE(file.components.empty());
    EXPECT_TRUE(file.skuTable.empty());
    EXPECT_EQ(nullptr, file.version.c_str());
}

TEST(UIScreenFileTest, FileCutInsideSecondOfThreeRecords) {
    UIScreenFile screen = MakeMinimalScreen();
    screen.components.push_back(MakeRecord("second", 0, 0));
    screen.components.push_back(MakeRecord("third", 0, 0));
    std::vector<uint8_t> bytes = Bytes(screen);
    // The header and first record: 76 + 265 bytes; cut 40 bytes into the
    // second, past its id.
    bytes.resize(76 + 265 + 40);
    const UIScreenFile file = ReadBytes(bytes);
    ASSERT_EQ(3u, file.components.size());
    EXPECT_STREQ("root", file.components[0]->id.c_str());
    EXPECT_EQ(0xCF980001u, file.components[0]->endMarker);
    EXPECT_STREQ("second", file.components[1]->id.c_str());
    EXPECT_EQ(0u, file.components[1]->endMarker);
    EXPECT_EQ(nullptr, file.components[2]->id.c_str());
    EXPECT_EQ(0, file.components[2]->parentIndex);
    EXPECT_EQ(0u, file.components[2]->classIndex);
}

TEST(UIScreenFileTest, ReplacedTagsReadTheSame) {
    UIScreenFile screen = MakeMinimalScreen();
    screen.components.push_back(MakeRecord("child", 0, 0));
    std::vector<uint8_t> bytes = Bytes(screen);
    std::vector<uint8_t> changed = bytes;
    const uint8_t uich[4] = {0x55, 0x49, 0x43, 0x48};
    int replaced = 0;
    for (size_t i = 0; i + 4 <= changed.size(); ++i) {
        if (std::memcmp(&changed[i], uich, 4) == 0) {
            changed[i] = 'X';
            ++replaced;
        }
    }
    EXPECT_EQ(2, replaced);
    const UIScreenFile a = ReadBytes(bytes);
    const UIScreenFile b = ReadBytes(changed);
    ASSERT_EQ(a.components.size(), b.components.size());
    for (size_t i = 0; i < a.components.size(); ++i) {
        EXPECT_STREQ(a.components[i]->id.c_str(), b.components[i]->id.c_str());
        EXPECT_EQ(a.components[i]->parentIndex, b.components[i]->parentIndex);
    }
    EXPECT_EQ(a.endTag, b.endTag);
}

TEST(UIScreenFileTest, ValuesAnimationsAndEventsRoundTrip) {
    UIScreenFile screen = MakeMinimalScreen();
    UIBinaryComponent& root = *screen.components[0];
    UIBinaryProperty<UIBinaryColour> colour;
    colour.name = UIBinaryString(AsciiString("Colour"));
    colour.value.skuValues.push_back({0, {255.0f, 128.0f, 0.0f, 255.0f}});
    root.properties.colours.properties.push_back(colour);
    UIBinaryProperty<UIBinaryFloat2> size;
    size.name = UIBinaryString(AsciiString("Size"));
    size.value.skuValues.push_back({0, {480.0f, 320.0f}});
    root.properties.vector2s.properties.push_back(size);

    UIBinarySkuAnimations anim;
    anim.name = UIBinaryString(AsciiString("TransitionIn"));
    UIBinaryAnimationRecord record;
    record.loopCount = -1;
    UIBinaryTrack<float> track;
    track.propertyName = UIBinaryString(AsciiString("Alpha"));
    track.keyframes.push_back({0x55494B46u, 500, 3, 0.25f});
    record.tracks.floats.push_back(track);
    UIBinaryEventKeyframe key;
    key.timeMs = 250;
    UIBinaryCommand command;
    command.name = UIBinaryString(AsciiString("PlaySound"));
    command.parameters.emplace_back(AsciiString("click"));
    key.handler.commands.push_back(command);
    record.eventTrack.keyframes.push_back(key);
    anim.variants.push_back(record);
    root.animations.animations.push_back(anim);
    UIBinaryEventHandler handler;
    handler.eventName = UIBinaryString(AsciiString("OnTouchUpEvent"));
    handler.commands.push_back(command);
    root.events.push_back(handler);

    const std::vector<uint8_t> bytes = Bytes(screen);
    const UIScreenFile file = ReadBytes(bytes);
    EXPECT_EQ(bytes, Bytes(file));
    const UIBinaryComponent& r = *file.components[0];
    ASSERT_EQ(1u, r.properties.colours.properties.size());
    const UIBinaryColour& c = r.properties.colours.properties[0].value.skuValues[0].value;
    EXPECT_EQ(255.0f, c.r);
    EXPECT_EQ(128.0f, c.g);
    EXPECT_EQ(0.0f, c.b);
    EXPECT_EQ(255.0f, c.a);
    EXPECT_EQ(320.0f, r.properties.vector2s.properties[0].value.skuValues[0].value.y);
    const UIBinaryAnimationRecord& a = r.animations.animations[0].variants[0];
    EXPECT_EQ(-1, a.loopCount);
    EXPECT_EQ(500u, a.tracks.floats[0].keyframes[0].timeMs);
    EXPECT_EQ(0.25f, a.tracks.floats[0].keyframes[0].value);
    EXPECT_STREQ("click",
                 a.eventTrack.keyframes[0].handler.commands[0].parameters[0].c_str());
    EXPECT_STREQ("OnTouchUpEvent", r.events[0].eventName.c_str());
}

TEST(UIScreenFileTest, HugeCountsAreKeptToTheBytesLeft) {
    // A body whose SKU count claims four thousand million names.
    std::vector<uint8_t> bytes(16, 0);
    const uint8_t tail[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.end(), tail, tail + sizeof(tail));
    const UIScreenFile file = ReadBytes(bytes);
    EXPECT_LE(file.skuTable.size(), 2u);
    EXPECT_TRUE(file.components.empty());
}

}  // namespace
}  // namespace Varnok
