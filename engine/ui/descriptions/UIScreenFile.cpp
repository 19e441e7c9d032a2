// One forward pass over a screen file; the writer mirrors it field by field.
#include "engine/ui/descriptions/UIScreenFile.h"

#include "engine/core/BinaryStream.h"

#include <cstring>

namespace Varnok {

namespace {

// Values of each property type.
void ReadValue(BinaryStreamReader& s, uint32_t& out) { s.ReadUInt32(out); }
void ReadValue(BinaryStreamReader& s, int32_t& out) { s.ReadInt32(out); }
void ReadValue(BinaryStreamReader& s, float& out) { s.ReadFloat(out); }
void ReadValue(BinaryStreamReader& s, UIBinaryString& out) { out.Read(s); }
void ReadValue(BinaryStreamReader& s, UIBinaryFloat3& out) {
    s.ReadFloat(out.x);
    s.ReadFloat(out.y);
    s.ReadFloat(out.z);
}
void ReadValue(BinaryStreamReader& s, UIBinaryFloat2& out) {
    uint32_t x = 0;
    uint32_t y = 0;
    s.ReadPair32(x, y);
    std::memcpy(&out.x, &x, 4);
    std::memcpy(&out.y, &y, 4);
}
void ReadValue(BinaryStreamReader& s, UIBinaryColour& out) {
    s.ReadFloat(out.r);
    s.ReadFloat(out.g);
    s.ReadFloat(out.b);
    s.ReadFloat(out.a);
}

void WriteFloat(BinaryStreamWriter& s, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    s.WriteUInt32(bits);
}
void WriteValue(BinaryStreamWriter& s, uint32_t value) { s.WriteUInt32(value); }
void WriteValue(BinaryStreamWriter& s, int32_t value) { s.WriteInt32(value); }
void WriteValue(BinaryStreamWriter& s, float value) { WriteFloat(s, value); }
void WriteValue(BinaryStreamWriter& s, const UIBinaryString& value) { value.Write(s); }
void WriteValue(BinaryStreamWriter& s, const UIBinaryFloat3& v) {
    WriteFloat(s, v.x);
    WriteFloat(s, v.y);
    WriteFloat(s, v.z);
}
void WriteValue(BinaryStreamWriter& s, const UIBinaryFloat2& v) {
    WriteFloat(s, v.x);
    WriteFloat(s, v.y);
}
void WriteValue(BinaryStreamWriter& s, const UIBinaryColour& v) {
    WriteFloat(s, v.r);
    WriteFloat(s, v.g);
    WriteFloat(s, v.b);
    WriteFloat(s, v.a);
}

// A list: the count, then each element read completely in turn.
template <typename T, typename ReadElement>
void ReadList(BinaryStreamReader& s, std::vector<T>& out, ReadElement readElement) {
    out.clear();
    const uint32_t count = UIScreenFileReader::ReadCount(s);
    out.resize(count);
    for (T& element : out) {
        readElement(s, element);
    }
}

template <typename T, typename WriteElement>
void WriteList(BinaryStreamWriter& s, const std::vector<T>& list, WriteElement writeElement) {
    s.WriteUInt32(static_cast<uint32_t>(list.size()));
    for (const T& element : list) {
        writeElement(s, element);
    }
}

template <typename T>
void ReadValueList(BinaryStreamReader& s, std::vector<T>& out) {
    ReadList(s, out, [](BinaryStreamReader& st, T& v) { ReadValue(st, v); });
}
template <typename T>
void WriteValueList(BinaryStreamWriter& s, const std::vector<T>& list) {
    WriteList(s, list, [](BinaryStreamWriter& st, const T& v) { WriteValue(st, v); });
}
void ReadStrings(BinaryStreamReader& s, UIBinaryStringArray& out) { ReadValueList(s, out); }
void WriteStrings(BinaryStreamWriter& s, const UIBinaryStringArray& list) {
    WriteValueList(s, list);
}

template <typename T>
void ReadPropertyArray(BinaryStreamReader& s, UIBinaryPropertyArray<T>& out) {
    s.ReadUInt32(out.marker);
    s.ReadUInt32(out.arrayWord0);
    s.ReadUInt32(out.arrayWord1);
    s.ReadUInt32(out.listMarker);
    ReadList(s, out.properties, [](BinaryStreamReader& st, UIBinaryProperty<T>& p) {
        p.name.Read(st);
        st.ReadUInt32(p.value.marker);
        st.ReadUInt32(p.value.valueWord);
        ReadValue(st, p.value.plainValue);
        ReadList(st, p.value.skuValues, [](BinaryStreamReader& st2, UIBinarySkuValue<T>& v) {
            st2.ReadUInt32(v.skuIndex);
            ReadValue(st2, v.value);
        });
        ReadValueList(st, p.value.valueList);
    });
    s.ReadUInt32(out.endMarker);
}

template <typename T>
void WritePropertyArray(BinaryStreamWriter& s, const UIBinaryPropertyArray<T>& a) {
    s.WriteUInt32(a.marker);
    s.WriteUInt32(a.arrayWord0);
    s.WriteUInt32(a.arrayWord1);
    s.WriteUInt32(a.listMarker);
    WriteList(s, a.properties, [](BinaryStreamWriter& st, const UIBinaryProperty<T>& p) {
        p.name.Write(st);
        st.WriteUInt32(p.value.marker);
        st.WriteUInt32(p.value.valueWord);
        WriteValue(st, p.value.plainValue);
        WriteList(st, p.value.skuValues,
                  [](BinaryStreamWriter& st2, const UIBinarySkuValue<T>& v) {
                      st2.WriteUInt32(v.skuIndex);
                      WriteValue(st2, v.value);
                  });
        WriteValueList(st, p.value.valueList);
    });
    s.WriteUInt32(a.endMarker);
}

template <typename T>
void ReadTrackArray(BinaryStreamReader& s, UIBinaryTrackList<T>& out) {
    ReadList(s, out, [](BinaryStreamReader& st, UIBinaryTrack<T>& track) {
        st.ReadUInt32(track.tag);
        track.propertyName.Read(st);
        ReadList(st, track.keyframes, [](BinaryStreamReader& st2, UIBinaryKeyframe<T>& key) {
            st2.ReadUInt32(key.tag);
            st2.ReadUInt32(key.timeMs);
            st2.ReadUInt32(key.interpolation);
            ReadValue(st2, key.value);
        });
        st.ReadUInt32(track.ghostInterpolation);
    });
}

template <typename T>
void WriteTrackArray(BinaryStreamWriter& s, const UIBinaryTrackList<T>& list) {
    WriteList(s, list, [](BinaryStreamWriter& st, const UIBinaryTrack<T>& track) {
        st.WriteUInt32(track.tag);
        track.propertyName.Write(st);
        WriteList(st, track.keyframes,
                  [](BinaryStreamWriter& st2, const UIBinaryKeyframe<T>& key) {
                      st2.WriteUInt32(key.tag);
                      st2.WriteUInt32(key.timeMs);
                      st2.WriteUInt32(key.interpolation);
                      WriteValue(st2, key.value);
                  });
        st.WriteUInt32(track.ghostInterpolation);
    });
}

void ReadEventHandler(BinaryStreamReader& s, UIBinaryEventHandler& out) {
    s.ReadUInt32(out.tag);
    out.eventName.Read(s);
    ReadList(s, out.commands, [](BinaryStreamReader& st, UIBinaryCommand& c) {
        st.ReadUInt32(c.tag);
        c.name.Read(st);
        ReadStrings(st, c.parameters);
        ReadStrings(st, c.secondList);
        st.ReadUInt32(c.endTag);
    });
    s.ReadUInt32(out.endTag);
}

void WriteEventHandler(BinaryStreamWriter& s, const UIBinaryEventHandler& h) {
    s.WriteUInt32(h.tag);
    h.eventName.Write(s);
    WriteList(s, h.commands, [](BinaryStreamWriter& st, const UIBinaryCommand& c) {
        st.WriteUInt32(c.tag);
        c.name.Write(st);
        WriteStrings(st, c.parameters);
        WriteStrings(st, c.secondList);
        st.WriteUInt32(c.endTag);
    });
    s.WriteUInt32(h.endTag);
}

void CopyTable(const UIBinaryStringArray& records, std::vector<AsciiString>& out) {
    out.clear();
    out.reserve(records.size());
    for (const UIBinaryString& record : records) {
        out.push_back(record.ToAscii());
    }
}

}  // namespace

UIBinaryString::UIBinaryString(const AsciiString& text) {
    if (!text.IsEmpty()) {
        m_text.assign(text.c_str(), static_cast<size_t>(text.Length()));
        m_lengthWord = static_cast<uint32_t>(m_text.size() + 1);
    }
}

void UIBinaryString::Clear() {
    m_lengthWord = 0;
    m_text.clear();
    m_text.shrink_to_fit();
}

void UIBinaryString::Read(BinaryStreamReader& stream) {
    Clear();
    uint32_t length = 0;
    stream.ReadUInt32(length);
    if (length == 0) {
        return;
    }
    if (length > stream.GetRemaining()) {
        // Step over whatever is left, then past it, so the stream ends at
        // its end with the overrun flag set.
        uint8_t scratch[256];
        while (stream.GetRemaining() > 0) {
            const size_t n = stream.GetRemaining() < sizeof(scratch) ? stream.GetRemaining()
                                                                      : sizeof(scratch);
            stream.ReadBytes(scratch, n);
        }
        stream.ReadBytes(scratch, 1);
        return;
    }
    m_text.resize(length);
    stream.ReadBytes(&m_text[0], length);
    m_text.resize(std::strlen(m_text.c_str()));
    m_lengthWord = length;
}

void UIBinaryString::Write(BinaryStreamWriter& stream) const {
    if (m_lengthWord == 0) {
        stream.WriteUInt32(0);
        return;
    }
    // The stored length word may be longer than the text (bytes after the
    // first zero); pad with zeros so the record reads back the same.
    const uint32_t length = m_lengthWord > m_text.size() ? m_lengthWord
                                                         : static_cast<uint32_t>(m_text.size() + 1);
    stream.WriteUInt32(length);
    stream.WriteBytes(m_text.data(), static_cast<int>(m_text.size()));
    static const uint8_t kZeros[64] = {};
    for (uint32_t left = length - static_cast<uint32_t>(m_text.size()); left > 0;) {
        const uint32_t n = left < sizeof(kZeros) ? left : static_cast<uint32_t>(sizeof(kZeros));
        stream.WriteBytes(kZeros, static_cast<int>(n));
        left -= n;
    }
}

uint32_t UIScreenFileReader::ReadCount(BinaryStreamReader& stream) {
    uint32_t count = 0;
    stream.ReadUInt32(count);
    const size_t most = stream.GetRemaining() / 4;
    return count > most ? static_cast<uint32_t>(most) : count;
}

void UIScreenFileReader::Read(BinaryStreamReader& stream, UIScreenFile& outFile) {
    ReadFile(stream, outFile);
    CopyTable(outFile.skuNames, outFile.skuTable);
    CopyTable(outFile.classNames, outFile.classTable);
    CopyTable(outFile.thirdNames, outFile.thirdTable);
}

void UIScreenFileReader::ReadFile(BinaryStreamReader& stream, UIScreenFile& out) {
    ReadHeader(stream, out);
    ReadBody(stream, out);
}

void UIScreenFileReader::ReadHeader(BinaryStreamReader& stream, UIScreenFile& out) {
    stream.ReadUInt32(out.tag);
    stream.ReadUInt32(out.headerWord0);
    stream.ReadUInt32(out.headerWord1);
}

void UIScreenFileReader::ReadBody(BinaryStreamReader& stream, UIScreenFile& out) {
    stream.ReadUInt32(out.bodyTag);
    out.version.Read(stream);
    ReadStrings(stream, out.skuNames);
    ReadStrings(stream, out.classNames);
    ReadStrings(stream, out.thirdNames);
    stream.ReadUInt32(out.componentsTag);
    ReadComponentArray(stream, out);
    stream.ReadUInt32(out.endTag);
}

void UIScreenFileReader::ReadComponentArray(BinaryStreamReader& stream, UIScreenFile& out) {
    out.components.clear();
    const uint32_t count = ReadCount(stream);
    out.components.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        out.components.push_back(std::make_unique<UIBinaryComponent>());
        ReadComponentRecord(stream, *out.components.back());
    }
}

void UIScreenFileReader::ReadComponentRecord(BinaryStreamReader& stream, UIBinaryComponent& out) {
    stream.ReadUInt32(out.tag);
    stream.ReadUInt32(out.headerWord0);
    stream.ReadUInt32(out.inDefinition);
    stream.ReadUInt32(out.headerWord1);
    stream.ReadUInt32(out.marker);
    out.id.Read(stream);
    stream.ReadInt32(out.parentIndex);
    stream.ReadUInt32(out.classIndex);
    stream.ReadUInt32(out.thirdIndex);
    out.secondString.Read(stream);
    stream.ReadUInt32(out.propertiesMarker);
    ReadComponentBody(stream, out);
    ReadRecordEnd(stream, out);
}

void UIScreenFileReader::ReadComponentBody(BinaryStreamReader& stream, UIBinaryComponent& out) {
    ReadPropertyArray(stream, out.properties.bools);
    ReadPropertyArray(stream, out.properties.strings);
    ReadPropertyArray(stream, out.properties.vector3s);
    ReadPropertyArray(stream, out.properties.vector2s);
    ReadPropertyArray(stream, out.properties.floats);
    ReadPropertyArray(stream, out.properties.rotations);
    ReadPropertyArray(stream, out.properties.ints);
    ReadPropertyArray(stream, out.properties.colours);
    ReadAnimationBlock(stream, out.animations);
    ReadEvents(stream, out.events);
}

void UIScreenFileReader::ReadAnimationBlock(BinaryStreamReader& stream,
                                            UIBinaryAnimationBlock& out) {
    stream.ReadUInt32(out.tag);
    stream.ReadUInt32(out.bodyTag);
    ReadList(stream, out.animations, [](BinaryStreamReader& s, UIBinarySkuAnimations& a) {
        ReadSkuAnimations(s, a);
    });
    stream.ReadUInt32(out.endTag);
}

void UIScreenFileReader::ReadSkuAnimations(BinaryStreamReader& stream,
                                           UIBinarySkuAnimations& out) {
    stream.ReadUInt32(out.tag);
    out.name.Read(stream);
    ReadList(stream, out.variants, [](BinaryStreamReader& s, UIBinaryAnimationRecord& r) {
        ReadAnimationRecord(s, r);
    });
}

void UIScreenFileReader::ReadAnimationRecord(BinaryStreamReader& stream,
                                             UIBinaryAnimationRecord& out) {
    stream.ReadUInt32(out.tag);
    stream.ReadUInt32(out.skuIndex);
    stream.ReadUInt32(out.recordWord);
    stream.ReadInt32(out.loopCount);
    out.nextAnimation.Read(stream);
    stream.ReadUInt32(out.ghostFrame);
    ReadTrackArray(stream, out.tracks.bools);
    ReadTrackArray(stream, out.tracks.strings);
    ReadTrackArray(stream, out.tracks.vector3s);
    ReadTrackArray(stream, out.tracks.vector2s);
    ReadTrackArray(stream, out.tracks.floats);
    ReadTrackArray(stream, out.tracks.rotations);
    ReadTrackArray(stream, out.tracks.ints);
    ReadTrackArray(stream, out.tracks.colours);
    ReadEventTrack(stream, out.eventTrack);
}

void UIScreenFileReader::ReadEventTrack(BinaryStreamReader& stream, UIBinaryEventTrack& out) {
    stream.ReadUInt32(out.tag);
    out.text.Read(stream);
    ReadList(stream, out.keyframes, [](BinaryStreamReader& s, UIBinaryEventKeyframe& key) {
        s.ReadUInt32(key.tag);
        s.ReadUInt32(key.timeMs);
        s.ReadUInt32(key.word);
        ReadEventHandler(s, key.handler);
    });
    stream.ReadUInt32(out.closingWord);
}

void UIScreenFileReader::ReadEvents(BinaryStreamReader& stream,
                                    std::vector<UIBinaryEventHandler>& out) {
    ReadList(stream, out, ReadEventHandler);
}

void UIScreenFileReader::ReadRecordEnd(BinaryStreamReader& stream, UIBinaryComponent& out) {
    stream.ReadUInt32(out.endMarker);
}

void UIScreenFileWriter::Write(const UIScreenFile& file, BinaryStreamWriter& s) {
    s.WriteUInt32(file.tag);
    s.WriteUInt32(file.headerWord0);
    s.WriteUInt32(file.headerWord1);
    s.WriteUInt32(file.bodyTag);
    file.version.Write(s);
    WriteStrings(s, file.skuNames);
    WriteStrings(s, file.classNames);
    WriteStrings(s, file.thirdNames);
    s.WriteUInt32(file.componentsTag);
    s.WriteUInt32(static_cast<uint32_t>(file.components.size()));
    for (const auto& record : file.components) {
        const UIBinaryComponent& c = *record;
        s.WriteUInt32(c.tag);
        s.WriteUInt32(c.headerWord0);
        s.WriteUInt32(c.inDefinition);
        s.WriteUInt32(c.headerWord1);
        s.WriteUInt32(c.marker);
        c.id.Write(s);
        s.WriteInt32(c.parentIndex);
        s.WriteUInt32(c.classIndex);
        s.WriteUInt32(c.thirdIndex);
        c.secondString.Write(s);
        s.WriteUInt32(c.propertiesMarker);
        WritePropertyArray(s, c.properties.bools);
        WritePropertyArray(s, c.properties.strings);
        WritePropertyArray(s, c.properties.vector3s);
        WritePropertyArray(s, c.properties.vector2s);
        WritePropertyArray(s, c.properties.floats);
        WritePropertyArray(s, c.properties.rotations);
        WritePropertyArray(s, c.properties.ints);
        WritePropertyArray(s, c.properties.colours);
        s.WriteUInt32(c.animations.tag);
        s.WriteUInt32(c.animations.bodyTag);
        WriteList(s, c.animations.animations,
                  [](BinaryStreamWriter& st, const UIBinarySkuAnimations& a) {
                      st.WriteUInt32(a.tag);
                      a.name.Write(st);
                      WriteList(st, a.variants, [](BinaryStreamWriter& st2,
                                                   const UIBinaryAnimationRecord& r) {
                          st2.WriteUInt32(r.tag);
                          st2.WriteUInt32(r.skuIndex);
                          st2.WriteUInt32(r.recordWord);
                          st2.WriteInt32(r.loopCount);
                          r.nextAnimation.Write(st2);
                          st2.WriteUInt32(r.ghostFrame);
                          WriteTrackArray(st2, r.tracks.bools);
                          WriteTrackArray(st2, r.tracks.strings);
                          WriteTrackArray(st2, r.tracks.vector3s);
                          WriteTrackArray(st2, r.tracks.vector2s);
                          WriteTrackArray(st2, r.tracks.floats);
                          WriteTrackArray(st2, r.tracks.rotations);
                          WriteTrackArray(st2, r.tracks.ints);
                          WriteTrackArray(st2, r.tracks.colours);
                          st2.WriteUInt32(r.eventTrack.tag);
                          r.eventTrack.text.Write(st2);
                          WriteList(st2, r.eventTrack.keyframes,
                                    [](BinaryStreamWriter& st3, const UIBinaryEventKeyframe& k) {
                                        st3.WriteUInt32(k.tag);
                                        st3.WriteUInt32(k.timeMs);
                                        st3.WriteUInt32(k.word);
                                        WriteEventHandler(st3, k.handler);
                                    });
                          st2.WriteUInt32(r.eventTrack.closingWord);
                      });
                  });
        s.WriteUInt32(c.animations.endTag);
        WriteList(s, c.events, WriteEventHandler);
        s.WriteUInt32(c.endMarker);
    }
    s.WriteUInt32(file.endTag);
}

}  // namespace Varnok
