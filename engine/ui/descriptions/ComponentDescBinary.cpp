// Screen file records to description nodes: the tree from the parent
// indexes, then each record's typed values, animations and events. The
// records are outside data: an index that does not fit leaves its value or
// record out instead of being trusted.
#include "engine/ui/descriptions/ComponentDesc.h"

#include "engine/core/Log.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/UIScreenFile.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kLerpTypeCount = 39;
constexpr int32_t kMaxDepth = 64;

// The file's float to a byte: the fraction dropped, the low 8 bits kept.
uint8_t ColourByte(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) {
        return 0;  // NaN or beyond any integer
    }
    return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFu);
}

bool ToValue(uint32_t v) { return v != 0; }
AsciiString ToValue(const UIBinaryString& v) { return v.ToAscii(); }
Vector3 ToValue(const UIBinaryFloat3& v) { return Vector3{v.x, v.y, v.z}; }
Vector2 ToValue(const UIBinaryFloat2& v) { return Vector2{v.x, v.y}; }
float ToValue(float v) { return v; }
int ToValue(int32_t v) { return v; }
Colour ToValue(const UIBinaryColour& v) {
    return Colour(ColourByte(v.r), ColourByte(v.g), ColourByte(v.b), ColourByte(v.a));
}
Rotation ToRotation(const UIBinaryFloat3& v) { return Rotation{v.x, v.y, v.z}; }

// The file's arrays by description type.
template <typename T>
struct BinaryOf;
template <> struct BinaryOf<bool> { static auto& Props(const UIBinaryComponent& c) { return c.properties.bools; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.bools; } };
template <> struct BinaryOf<AsciiString> { static auto& Props(const UIBinaryComponent& c) { return c.properties.strings; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.strings; } };
template <> struct BinaryOf<Vector3> { static auto& Props(const UIBinaryComponent& c) { return c.properties.vector3s; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.vector3s; } };
template <> struct BinaryOf<Vector2> { static auto& Props(const UIBinaryComponent& c) { return c.properties.vector2s; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.vector2s; } };
template <> struct BinaryOf<float> { static auto& Props(const UIBinaryComponent& c) { return c.properties.floats; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.floats; } };
template <> struct BinaryOf<Rotation> { static auto& Props(const UIBinaryComponent& c) { return c.properties.rotations; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.rotations; } };
template <> struct BinaryOf<int> { static auto& Props(const UIBinaryComponent& c) { return c.properties.ints; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.ints; } };
template <> struct BinaryOf<Colour> { static auto& Props(const UIBinaryComponent& c) { return c.properties.colours; } static auto& Tracks(const UIBinaryAnimationRecord& r) { return r.tracks.colours; } };

template <typename T, typename B>
T Convert(const B& value) {
    return ToValue(value);
}
template <>
Rotation Convert<Rotation, UIBinaryFloat3>(const UIBinaryFloat3& value) {
    return ToRotation(value);
}

// The SKU a table index names, through the UI manager's SKUs; false when
// the index is outside the table or the SKU is unknown.
bool SkuAt(const UIScreenFile& file, uint32_t index, UISkuDefinition** outSku,
           AsciiString* outName) {
    if (index >= file.skuTable.size()) {
        return false;
    }
    const AsciiString& name = file.skuTable[index];
    UISkuDefinition* sku = UIManager::Get().GetSku(name);
    if (sku == nullptr) {
        return false;
    }
    *outSku = sku;
    if (outName != nullptr) {
        *outName = name;
    }
    return true;
}

std::vector<UICommandCall> ToCalls(const std::vector<UIBinaryCommand>& commands) {
    std::vector<UICommandCall> calls;
    calls.reserve(commands.size());
    for (const UIBinaryCommand& command : commands) {
        UICommandCall call;
        call.name = command.name.ToAscii();
        for (const UIBinaryString& parameter : command.parameters) {
            call.args.push_back(parameter.ToAscii());
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

}  // namespace

void ComponentDesc::BuildFromBinary(const UIScreenFile& file) {
    const size_t count = file.components.size();
    if (count == 0) {
        return;
    }
    m_version = file.version.ToAscii();
    const size_t classes = file.classTable.size();
    // A record joins the tree when its class exists and its parent chain
    // reaches record 0 through records that join too.
    enum : uint8_t { kUnknown, kGood, kBad, kVisiting };
    std::vector<uint8_t> state(count, kUnknown);
    if (file.components[0]->classIndex >= classes) {
        Log("UI screen file: the root record names class %u of %u; no components read",
            file.components[0]->classIndex, static_cast<unsigned>(classes));
        return;
    }
    state[0] = kGood;
    size_t leftOut = 0;
    std::vector<size_t> chain;
    for (size_t i = 1; i < count; ++i) {
        chain.clear();
        size_t at = i;
        uint8_t verdict = kBad;
        while (true) {
            if (state[at] == kGood || state[at] == kBad) {
                verdict = state[at];
                break;
            }
            if (state[at] == kVisiting) {
                verdict = kBad;  // a parent cycle
                break;
            }
            const UIBinaryComponent& record = *file.components[at];
            if (record.classIndex >= classes || record.parentIndex < 0 ||
                static_cast<size_t>(record.parentIndex) >= count) {
                verdict = kBad;
                state[at] = kBad;
                break;
            }
            state[at] = kVisiting;
            chain.push_back(at);
            at = static_cast<size_t>(record.parentIndex);
        }
        for (size_t visited : chain) {
            state[visited] = verdict;
        }
    }
    // Nesting deeper than any screen needs is refused too: building, loading
    // and deleting walk the tree recursively.
    std::vector<int32_t> depth(count, -1);
    depth[0] = 0;
    for (size_t i = 1; i < count; ++i) {
        if (state[i] != kGood) {
            continue;
        }
        chain.clear();
        size_t at = i;
        while (depth[at] < 0) {
            chain.push_back(at);
            at = static_cast<size_t>(file.components[at]->parentIndex);
        }
        int32_t d = depth[at];
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            depth[*it] = ++d;
            if (d > kMaxDepth) {
                state[*it] = kBad;
            }
        }
    }
    std::vector<ComponentDesc*> nodes(count, nullptr);
    nodes[0] = this;
    ReadBinaryRecord(file, 0);
    for (size_t i = 1; i < count; ++i) {
        if (state[i] != kGood) {
            ++leftOut;
            continue;
        }
        nodes[i] = new ComponentDesc();
        nodes[i]->ReadBinaryRecord(file, i);
    }
    for (size_t i = 1; i < count; ++i) {
        ComponentDesc* parent = nodes[i] != nullptr
                                    ? nodes[static_cast<size_t>(file.components[i]->parentIndex)]
                                    : nullptr;
        if (parent != nullptr) {
            parent->AppendChild(nodes[i]);
        } else if (nodes[i] != nullptr) {
            delete nodes[i];  // below a record that was left out
            ++leftOut;
        }
    }
    if (leftOut > 0) {
        Log("UI screen file: %u of %u records left out (class or parent index out of range, a "
            "parent cycle or nesting too deep)",
            static_cast<unsigned>(leftOut), static_cast<unsigned>(count));
    }
}

void ComponentDesc::ReadBinaryRecord(const UIScreenFile& file, size_t index) {
    if (index >= file.components.size()) {
        return;
    }
    const UIBinaryComponent& record = *file.components[index];
    m_inDefinition = record.inDefinition != 0 ? 1 : 0;
    if (record.classIndex < file.classTable.size()) {
        SetClassName(file.classTable[record.classIndex]);
    }
    if (m_bIsScreen != 0) {
        m_version = file.version.ToAscii();
    }
    if (record.id.Length() > 0) {
        m_id = record.id.ToAscii();
    }
    ReadBinaryProperties(file, record);
    ReadBinaryAnimations(file, record);
    ReadBinaryEvents(record);
}

void ComponentDesc::ReadBinaryProperties(const UIScreenFile& file,
                                         const UIBinaryComponent& record) {
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        for (const auto& property : BinaryOf<T>::Props(record).properties) {
            if (property.value.skuValues.empty()) {
                continue;
            }
            UISkuValues<T>& values = Properties<T>()[property.name.ToAscii()];
            values.Clear();
            for (const auto& pair : property.value.skuValues) {
                UISkuDefinition* sku = nullptr;
                if (SkuAt(file, pair.skuIndex, &sku, nullptr)) {
                    values.Set(sku, Convert<T>(pair.value));
                }
            }
        }
    });
}

void ComponentDesc::ReadBinaryAnimations(const UIScreenFile& file,
                                         const UIBinaryComponent& record) {
    for (const UIBinarySkuAnimations& entry : record.animations.animations) {
        const AsciiString name = entry.name.ToAscii();
        UISkuAnimationMap& variants = GetSkuAnimations(name);
        variants.clear();
        for (const UIBinaryAnimationRecord& variant : entry.variants) {
            UISkuDefinition* sku = nullptr;
            AsciiString skuName;
            if (!SkuAt(file, variant.skuIndex, &sku, &skuName)) {
                continue;
            }
            UIAnimationDesc& desc = GetAnimationDesc(variants, skuName);
            desc = UIAnimationDesc(m_definition);
            desc.m_name = name;
            desc.m_sku = skuName;
            desc.ReadBinary(variant);
        }
    }
}

void ComponentDesc::ReadBinaryEvents(const UIBinaryComponent& record) {
    for (const UIBinaryEventHandler& handler : record.events) {
        std::vector<UICommandCall>& calls = GetEventCommands(handler.eventName.ToAscii());
        calls = ToCalls(handler.commands);
    }
}

void UIAnimationDesc::ReadBinary(const UIBinaryAnimationRecord& record) {
    m_loopCount = record.loopCount;
    m_nextAnimation = record.nextAnimation.ToAscii();
    m_bHasGhostFrame = record.ghostFrame != 0;
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        for (const auto& track : BinaryOf<T>::Tracks(record)) {
            if (track.keyframes.empty()) {
                continue;
            }
            const AsciiString property = track.propertyName.ToAscii();
            UIAnimationTrackDesc<T>& desc = GetOrAddTrack<T>(property);
            desc.m_property = property;
            desc.m_ghostLerpType = static_cast<int32_t>(track.ghostInterpolation);
            for (const auto& key : track.keyframes) {
                const int32_t lerp =
                    key.interpolation < kLerpTypeCount ? static_cast<int32_t>(key.interpolation) : -1;
                desc.m_keyframes.emplace_back(key.timeMs, Convert<T>(key.value), lerp);
            }
        }
    });
    for (const UIBinaryEventKeyframe& key : record.eventTrack.keyframes) {
        UIEventKeyframeDesc event;
        event.m_timeMs = key.timeMs;
        event.m_commands = ToCalls(key.handler.commands);
        m_eventKeyframes.push_back(std::move(event));
    }
}

}  // namespace Varnok
