// The binary screen file as records that mirror it field by field, and the
// reader that fills them in one forward pass. Nothing here interprets the
// values: tags are not compared and indexes are not checked; the description
// builder does that afterwards.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class BinaryStreamReader;
class BinaryStreamWriter;

// The byte-order mark a screen file's stream is made with: big-endian words.
constexpr uint32_t kUIScreenFileByteOrder = 0x01020304u;

// A length word, then that many bytes ending with a zero byte. The text is
// what precedes the first zero byte, so a file that forgets the terminator
// still gives a terminated text.
class UIBinaryString {
public:
    UIBinaryString() = default;
    // The characters followed by a zero byte; the empty string stays empty.
    explicit UIBinaryString(const AsciiString& text);

    // A length beyond what is left gives the empty string (and the stream's
    // overrun flag).
    void Read(BinaryStreamReader& stream);
    void Write(BinaryStreamWriter& stream) const;

    // Null for the empty string.
    const char* c_str() const { return m_lengthWord == 0 ? nullptr : m_text.c_str(); }
    // Characters before the first zero byte.
    int Length() const { return static_cast<int>(m_text.size()); }
    uint32_t GetLengthWord() const { return m_lengthWord; }
    AsciiString ToAscii() const { return AsciiString(m_text.c_str(), Length()); }
    void Clear();

private:
    uint32_t m_lengthWord = 0;
    std::string m_text;  // short texts live in the string's own buffer
};

using UIBinaryStringArray = std::vector<UIBinaryString>;

struct UIBinaryFloat3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
struct UIBinaryFloat2 {
    float x = 0.0f, y = 0.0f;
};
struct UIBinaryColour {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;  // each 0..255
};

template <typename T>
struct UIBinarySkuValue {
    uint32_t skuIndex = 0;
    T value{};
};

template <typename T>
struct UIBinaryValue {
    uint32_t marker = 0x0007DEE1u;
    uint32_t valueWord = 0;
    T plainValue{};
    std::vector<UIBinarySkuValue<T>> skuValues;
    std::vector<T> valueList;
};

template <typename T>
struct UIBinaryProperty {
    UIBinaryString name;
    UIBinaryValue<T> value;
};

template <typename T>
struct UIBinaryPropertyArray {
    uint32_t marker = 0x0007AAA1u;
    uint32_t arrayWord0 = 0;
    uint32_t arrayWord1 = 0;
    uint32_t listMarker = 0x0007BBB1u;
    std::vector<UIBinaryProperty<T>> properties;
    uint32_t endMarker = 0x0007FFF1u;
};

template <typename T>
struct UIBinaryKeyframe {
    uint32_t tag = 0x55494B46u;  // UIKF
    uint32_t timeMs = 0;
    uint32_t interpolation = 0;
    T value{};
};

template <typename T>
struct UIBinaryTrack {
    uint32_t tag = 0x55494154u;  // UIAT
    UIBinaryString propertyName;
    std::vector<UIBinaryKeyframe<T>> keyframes;
    uint32_t ghostInterpolation = 0;
};

// One list of something per property type, in the file's order.
template <template <typename> class Of>
struct UIBinaryPerType {
    Of<uint32_t> bools;
    Of<UIBinaryString> strings;
    Of<UIBinaryFloat3> vector3s;
    Of<UIBinaryFloat2> vector2s;
    Of<float> floats;
    Of<UIBinaryFloat3> rotations;
    Of<int32_t> ints;
    Of<UIBinaryColour> colours;
};

template <typename T>
using UIBinaryTrackList = std::vector<UIBinaryTrack<T>>;

struct UIBinaryCommand {
    uint32_t tag = 0x55494543u;  // UIEC
    UIBinaryString name;
    UIBinaryStringArray parameters;
    UIBinaryStringArray secondList;
    uint32_t endTag = 0x55494546u;  // UIEF
};

struct UIBinaryEventHandler {
    uint32_t tag = 0x45565448u;  // EVTH
    UIBinaryString eventName;
    std::vector<UIBinaryCommand> commands;
    uint32_t endTag = 0x45565446u;  // EVTF
};

struct UIBinaryEventKeyframe {
    uint32_t tag = 0x55494B46u;  // UIKF
    uint32_t timeMs = 0;
    uint32_t word = 0;
    UIBinaryEventHandler handler;
};

struct UIBinaryEventTrack {
    uint32_t tag = 0x55494154u;  // UIAT
    UIBinaryString text;
    std::vector<UIBinaryEventKeyframe> keyframes;
    uint32_t closingWord = 0;
};

struct UIBinaryAnimationRecord {
    uint32_t tag = 0x55495341u;  // UISA
    uint32_t skuIndex = 0;
    uint32_t recordWord = 0;
    int32_t loopCount = 0;  // -1: forever
    UIBinaryString nextAnimation;
    uint32_t ghostFrame = 0;
    UIBinaryPerType<UIBinaryTrackList> tracks;
    UIBinaryEventTrack eventTrack;
};

struct UIBinarySkuAnimations {
    uint32_t tag = 0x5553414Du;  // USAM
    UIBinaryString name;
    std::vector<UIBinaryAnimationRecord> variants;
};

struct UIBinaryAnimationBlock {
    uint32_t tag = 0x5549414Du;      // UIAM
    uint32_t bodyTag = 0x55494142u;  // UIAB
    std::vector<UIBinarySkuAnimations> animations;
    uint32_t endTag = 0x55494D45u;  // UIME
};

struct UIBinaryComponent {
    uint32_t tag = 0x55494348u;  // UICH
    uint32_t headerWord0 = 0;
    uint32_t inDefinition = 0;
    uint32_t headerWord1 = 0;
    uint32_t marker = 0xCB980001u;
    UIBinaryString id;
    int32_t parentIndex = 0;  // -1: the root
    uint32_t classIndex = 0;
    uint32_t thirdIndex = 0;
    UIBinaryString secondString;
    uint32_t propertiesMarker = 0xCB980B91u;
    UIBinaryPerType<UIBinaryPropertyArray> properties;
    UIBinaryAnimationBlock animations;
    std::vector<UIBinaryEventHandler> events;
    uint32_t endMarker = 0xCF980001u;
};

struct UIScreenFile {
    uint32_t tag = 0x55495346u;  // UISF
    uint32_t headerWord0 = 0;
    uint32_t headerWord1 = 0;
    uint32_t bodyTag = 0x55495342u;  // UISB
    UIBinaryString version;
    UIBinaryStringArray skuNames;
    UIBinaryStringArray classNames;
    UIBinaryStringArray thirdNames;
    uint32_t componentsTag = 0x434F4D50u;  // COMP
    std::vector<std::unique_ptr<UIBinaryComponent>> components;
    uint32_t endTag = 0x55495345u;  // UISE

    // Filled by UIScreenFileReader::Read after the file: the tables in order.
    std::vector<AsciiString> skuTable;
    std::vector<AsciiString> classTable;
    std::vector<AsciiString> thirdTable;
};

class UIScreenFileReader {
public:
    // Reads the whole file, then the tables as engine strings. Data ending
    // early reads as zeros and empty lists; the stream's overrun flag tells.
    static void Read(BinaryStreamReader& stream, UIScreenFile& outFile);
    // Does nothing: the format has no per-SKU reading choices.
    static void Configure(const AsciiString& sku) { (void)sku; }

    static void ReadFile(BinaryStreamReader& stream, UIScreenFile& out);
    static void ReadHeader(BinaryStreamReader& stream, UIScreenFile& out);
    static void ReadBody(BinaryStreamReader& stream, UIScreenFile& out);
    static void ReadComponentArray(BinaryStreamReader& stream, UIScreenFile& out);
    static void ReadComponentRecord(BinaryStreamReader& stream, UIBinaryComponent& out);
    static void ReadComponentBody(BinaryStreamReader& stream, UIBinaryComponent& out);
    static void ReadAnimationBlock(BinaryStreamReader& stream, UIBinaryAnimationBlock& out);
    static void ReadSkuAnimations(BinaryStreamReader& stream, UIBinarySkuAnimations& out);
    static void ReadAnimationRecord(BinaryStreamReader& stream, UIBinaryAnimationRecord& out);
    static void ReadEventTrack(BinaryStreamReader& stream, UIBinaryEventTrack& out);
    static void ReadEvents(BinaryStreamReader& stream, std::vector<UIBinaryEventHandler>& out);
    static void ReadRecordEnd(BinaryStreamReader& stream, UIBinaryComponent& out);

    // A count word, kept to what the bytes left could hold at 4 bytes an
    // element, so a corrupt count never allocates past the file.
    static uint32_t ReadCount(BinaryStreamReader& stream);
};

// Writes records in the reader's form: the screen writer tool and tests use
// it; the engine itself only reads screens.
class UIScreenFileWriter {
public:
    static void Write(const UIScreenFile& file, BinaryStreamWriter& stream);
};

}  // namespace Varnok
