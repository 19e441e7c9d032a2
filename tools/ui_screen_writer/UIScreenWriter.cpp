// Description nodes to screen file records and bytes.
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "engine/ui/descriptions/internal/XmlNames.h"

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace UIScreenWriter {

namespace {

constexpr uint32_t kNoThirdIndex = 0xFFFFFFFFu;

// Map keys in a fixed order, so the same screen always gives the same bytes.
template <typename Map>
std::vector<const typename Map::value_type*> Sorted(const Map& map) {
    std::vector<const typename Map::value_type*> entries;
    for (const auto& entry : map) {
        entries.push_back(&entry);
    }
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
        return std::strcmp(a->first.c_str(), b->first.c_str()) < 0;
    });
    return entries;
}

uint32_t ToFile(bool v) { return v ? 1u : 0u; }
UIBinaryString ToFile(const AsciiString& v) { return UIBinaryString(v); }
UIBinaryFloat3 ToFile(const Vector3& v) { return UIBinaryFloat3{v.x, v.y, v.z}; }
UIBinaryFloat2 ToFile(const Vector2& v) { return UIBinaryFloat2{v.x, v.y}; }
float ToFile(float v) { return v; }
UIBinaryFloat3 ToFile(const Rotation& v) { return UIBinaryFloat3{v.x, v.y, v.z}; }
int32_t ToFile(int v) { return v; }
UIBinaryColour ToFile(const Colour& v) {
    return UIBinaryColour{static_cast<float>(v.r), static_cast<float>(v.g),
                          static_cast<float>(v.b), static_cast<float>(v.a)};
}

template <typename T> struct FileArrays;
template <> struct FileArrays<bool> { static auto& Props(UIBinaryComponent& c) { return c.properties.bools; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.bools; } };
template <> struct FileArrays<AsciiString> { static auto& Props(UIBinaryComponent& c) { return c.properties.strings; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.strings; } };
template <> struct FileArrays<Vector3> { static auto& Props(UIBinaryComponent& c) { return c.properties.vector3s; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.vector3s; } };
template <> struct FileArrays<Vector2> { static auto& Props(UIBinaryComponent& c) { return c.properties.vector2s; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.vector2s; } };
template <> struct FileArrays<float> { static auto& Props(UIBinaryComponent& c) { return c.properties.floats; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.floats; } };
template <> struct FileArrays<Rotation> { static auto& Props(UIBinaryComponent& c) { return c.properties.rotations; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.rotations; } };
template <> struct FileArrays<int> { static auto& Props(UIBinaryComponent& c) { return c.properties.ints; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.ints; } };
template <> struct FileArrays<Colour> { static auto& Props(UIBinaryComponent& c) { return c.properties.colours; } static auto& Tracks(UIBinaryAnimationRecord& r) { return r.tracks.colours; } };

class RecordBuilder {
public:
    explicit RecordBuilder(UIScreenFile& file) : m_file(file) {
        SkuIndex(UIManager::Get().GetSettings().primarySkuName);
    }

    uint32_t SkuIndex(const AsciiString& name) { return IndexIn(m_file.skuNames, name); }
    uint32_t ClassIndex(const AsciiString& name) { return IndexIn(m_file.classNames, name); }

    void Add(const ComponentDesc& node, int32_t parent) {
        const int32_t index = static_cast<int32_t>(m_file.components.size());
        m_file.components.push_back(std::make_unique<UIBinaryComponent>());
        UIBinaryComponent& record = *m_file.components.back();
        record.inDefinition = node.IsInDefinition() ? 1u : 0u;
        record.id = UIBinaryString(node.GetId());
        record.parentIndex = parent;
        record.classIndex = ClassIndex(node.GetClassName());
        record.thirdIndex = kNoThirdIndex;
        ForEachUIType([&](auto tag) {
            using T = typename decltype(tag)::Type;
            AddProperties<T>(node, record);
        });
        for (const auto* animation : Sorted(node.GetAnimations())) {
            UIBinarySkuAnimations entry;
            entry.name = UIBinaryString(animation->first);
            for (const auto* variant : Sorted(animation->second)) {
                entry.variants.push_back(ToRecord(variant->first, variant->second));
            }
            record.animations.animations.push_back(std::move(entry));
        }
        for (const auto* event : Sorted(node.GetEvents())) {
            record.events.push_back(ToHandler(event->first, event->second.GetCalls()));
        }
        for (const ComponentDesc* child = node.GetFirstChild(); child != nullptr;
             child = child->GetNextSibling()) {
            Add(*child, index);
        }
    }

private:
    static uint32_t IndexIn(UIBinaryStringArray& table, const AsciiString& name) {
        for (size_t i = 0; i < table.size(); ++i) {
            if (std::strcmp(table[i].Length() > 0 ? table[i].c_str() : "", name.c_str()) == 0) {
                return static_cast<uint32_t>(i);
            }
        }
        table.emplace_back(name);
        return static_cast<uint32_t>(table.size() - 1);
    }

    // A value kept under no SKU means the primary SKU, which the project
    // did not define; it is written under that name.
    uint32_t IndexOfSku(const UISkuDefinition* sku) {
        return SkuIndex(sku != nullptr ? sku->name : UIManager::Get().GetSettings().primarySkuName);
    }

    template <typename T>
    void AddProperties(const ComponentDesc& node, UIBinaryComponent& record) {
        auto& array = FileArrays<T>::Props(record);
        for (const auto* entry : Sorted(node.Properties<T>())) {
            const auto& values = entry->second.GetEntries();
            if (values.empty()) {
                continue;
            }
            using File = decltype(ToFile(std::declval<T>()));
            UIBinaryProperty<File> property;
            property.name = UIBinaryString(entry->first);
            property.value.plainValue = ToFile(values.front().second);
            for (const auto& value : values) {
                property.value.skuValues.push_back(
                    UIBinarySkuValue<File>{IndexOfSku(value.first), ToFile(value.second)});
            }
            array.properties.push_back(std::move(property));
        }
    }

    static UIBinaryEventHandler ToHandler(const AsciiString& name,
                                          const std::vector<UICommandCall>& calls) {
        UIBinaryEventHandler handler;
        handler.eventName = UIBinaryString(name);
        for (const UICommandCall& call : calls) {
            UIBinaryCommand command;
            command.name = UIBinaryString(call.name);
            for (const AsciiString& arg : call.args) {
                command.parameters.emplace_back(arg);
            }
            handler.commands.push_back(std::move(command));
        }
        return handler;
    }

    UIBinaryAnimationRecord ToRecord(const AsciiString& sku, const UIAnimationDesc& desc) {
        UIBinaryAnimationRecord record;
        record.skuIndex = SkuIndex(sku);
        record.loopCount = desc.m_loopCount;
        record.nextAnimation = UIBinaryString(desc.m_nextAnimation);
        record.ghostFrame = desc.m_bHasGhostFrame ? 1u : 0u;
        ForEachUIType([&](auto tag) {
            using T = typename decltype(tag)::Type;
            using File = decltype(ToFile(std::declval<T>()));
            for (const auto* entry : Sorted(desc.Tracks<T>())) {
                const UIAnimationTrackDesc<T>& track = entry->second;
                UIBinaryTrack<File> out;
                out.propertyName = UIBinaryString(track.m_property);
                out.ghostInterpolation = static_cast<uint32_t>(track.m_ghostLerpType);
                for (const UIKeyframeDesc<T>& key : track.m_keyframes) {
                    UIBinaryKeyframe<File> keyframe;
                    keyframe.timeMs = key.m_timeMs;
                    keyframe.interpolation = static_cast<uint32_t>(key.m_lerpType);
                    keyframe.value = ToFile(key.m_value);
                    out.keyframes.push_back(keyframe);
                }
                FileArrays<T>::Tracks(record).push_back(std::move(out));
            }
        });
        for (const UIEventKeyframeDesc& event : desc.GetEventKeyframes()) {
            UIBinaryEventKeyframe keyframe;
            keyframe.timeMs = event.m_timeMs;
            keyframe.handler = ToHandler(AsciiString(), event.m_commands);
            record.eventTrack.keyframes.push_back(std::move(keyframe));
        }
        return record;
    }

    UIScreenFile& m_file;
};

}  // namespace

UIScreenFile ToRecords(const ComponentDesc& root) {
    UIScreenFile file;
    file.version = UIBinaryString(root.GetVersion());
    RecordBuilder builder(file);
    builder.Add(root, -1);
    return file;
}

std::vector<uint8_t> ToBytes(const UIScreenFile& file) {
    BinaryStreamWriter writer(1024, kUIScreenFileByteOrder);
    UIScreenFileWriter::Write(file, writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Size());
}

std::unique_ptr<ComponentDesc> ReadScreenXml(const std::string& text, const char* source) {
    TiXmlDocument document;
    if (!ParseXmlDocument(document, text.data(), text.size())) {
        Log("UI screen XML \"%s\": %s", source, document.ErrorDesc());
        return nullptr;
    }
    const TiXmlElement* root = document.RootElement();
    if (root == nullptr || !(ElementIs(*root, "screen") || ElementIs(*root, "component"))) {
        Log("UI screen XML \"%s\": no screen element", source);
        return nullptr;
    }
    std::unique_ptr<ComponentDesc> desc(ComponentDesc::CreateScreen());
    if (!desc->ReadXml(*root, false)) {
        Log("UI screen XML \"%s\": the root names no class", source);
        return nullptr;
    }
    return desc;
}

std::unique_ptr<ComponentDesc> ReadScreenBytes(const std::vector<uint8_t>& bytes) {
    UIScreenFile records;
    BinaryStreamReader stream(bytes.data(), bytes.size(), kUIScreenFileByteOrder);
    UIScreenFileReader::Read(stream, records);
    std::unique_ptr<ComponentDesc> desc(ComponentDesc::CreateScreen());
    desc->BuildFromBinary(records);
    return desc;
}

}  // namespace UIScreenWriter
}  // namespace Varnok
