// What a description says about values without creating anything: one
// property's values per SKU with the SKU fallback walk, and the keyframes,
// tracks, event keyframes and animations of animation descriptions.
#pragma once

#include "engine/core/NameMap.h"
#include "engine/ui/UICommandCall.h"
#include "engine/ui/UILerp.h"
#include "engine/ui/UIProjectSettings.h"
#include "engine/ui/UIValue.h"
#include "engine/ui/descriptions/UIPerType.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

class TiXmlElement;

namespace Varnok {

class Component;
class ComponentDefinition;
struct UIBinaryAnimationRecord;

// The SKU value walk, shared by every type: from sku along the fallbacks to
// "~default". A SKU without fallback (or the null SKU) ends the walk at the
// value kept under the null SKU. The walk takes no more steps than there are
// SKUs, so a fallback cycle in a project ends without a value.
// has(sku) tells whether a SKU has a value of its own; the SKU whose value
// applies comes back through outSku.
template <typename Has>
bool WalkUISkuChain(const UISkuDefinition* sku, const UISkuDefinition* defaultSku,
                    size_t skuCount, Has has, const UISkuDefinition** outSku) {
    const UISkuDefinition* current = sku;
    for (size_t step = 0; step <= skuCount + 1; ++step) {
        if (has(current)) {
            *outSku = current;
            return true;
        }
        if (current == defaultSku) {
            return false;
        }
        if (current == nullptr || current->fallback == nullptr) {
            if (current != nullptr && has(nullptr)) {
                *outSku = nullptr;
                return true;
            }
            return false;
        }
        current = current->fallback;
    }
    return false;
}

// Answers from the running UI manager: "~default", the number of SKUs.
const UISkuDefinition* GetUIDefaultSku();
const UISkuDefinition* GetUIActiveSku();
size_t GetUISkuCount();

// One property's values, at most one per SKU; the null SKU stands for a SKU
// name the project does not define. A handful of SKUs at most, so a small
// vector in insertion order serves as the map.
template <typename T>
class UISkuValues {
public:
    using Entry = std::pair<const UISkuDefinition*, T>;

    UIPropertyType GetType() const { return UIValue<T>::TypeId(); }
    bool IsEmpty() const { return m_values.empty(); }
    bool HasNoSkuValues() const { return m_values.empty(); }
    bool HasValueFor(const UISkuDefinition* sku) const { return FindOwn(sku) != nullptr; }

    // The value that applies to sku along its fallback chain, or null.
    const T* Get(const UISkuDefinition* sku) const {
        const UISkuDefinition* found = nullptr;
        if (!WalkUISkuChain(
                sku, GetUIDefaultSku(), GetUISkuCount(),
                [this](const UISkuDefinition* s) { return FindOwn(s) != nullptr; }, &found)) {
            return nullptr;
        }
        return FindOwn(found);
    }
    // Sets or replaces the value of one SKU.
    void Set(const UISkuDefinition* sku, const T& value) {
        for (Entry& entry : m_values) {
            if (entry.first == sku) {
                entry.second = value;
                return;
            }
        }
        m_values.emplace_back(sku, value);
    }
    void Clear() { m_values.clear(); }
    const std::vector<Entry>& GetEntries() const { return m_values; }

private:
    const T* FindOwn(const UISkuDefinition* sku) const {
        for (const Entry& entry : m_values) {
            if (entry.first == sku) {
                return &entry.second;
            }
        }
        return nullptr;
    }

    std::vector<Entry> m_values;
};

// Property name (exact, hashed case-folded) to its values.
template <typename T>
using UIDescPropertyMap = NameMap<UISkuValues<T>>;

struct UIKeyframeDescBase {
    uint32_t m_timeMs = 0;
    int32_t m_lerpType = UILerp_Linear;  // -1: invalid, played as Linear
};

template <typename T>
struct UIKeyframeDesc : UIKeyframeDescBase {
    UIKeyframeDesc() = default;
    UIKeyframeDesc(uint32_t timeMs, const T& value, int32_t lerpType) : m_value(value) {
        m_timeMs = timeMs;
        m_lerpType = lerpType;
    }
    UIPropertyType GetType() const { return UIValue<T>::TypeId(); }
    void SetValueFromString(const char* text) { m_value = UIValue<T>::FromString(text); }

    T m_value = UIValue<T>::Default();
};

template <typename T>
class UIAnimationTrackDesc {
public:
    UIPropertyType GetType() const { return UIValue<T>::TypeId(); }
    int KeyframeCount() const { return static_cast<int>(m_keyframes.size()); }
    // Requires: index < KeyframeCount().
    UIKeyframeDesc<T>& KeyframeAt(int index) { return m_keyframes[static_cast<size_t>(index)]; }
    const UIKeyframeDesc<T>& KeyframeAt(int index) const {
        return m_keyframes[static_cast<size_t>(index)];
    }
    // Ascending time; equal times in no defined order.
    void SortKeyframes() {
        std::sort(m_keyframes.begin(), m_keyframes.end(),
                  [](const UIKeyframeDesc<T>& a, const UIKeyframeDesc<T>& b) {
                      return a.m_timeMs < b.m_timeMs;
                  });
    }
    // Requires: index < KeyframeCount().
    void RemoveKeyframe(int index) { m_keyframes.erase(m_keyframes.begin() + index); }
    int32_t GetGhostInterpolation() const { return m_ghostLerpType; }
    void SetGhostInterpolation(int32_t lerpType) { m_ghostLerpType = lerpType; }

    AsciiString m_property;
    std::vector<UIKeyframeDesc<T>> m_keyframes;  // in the order added
    int32_t m_ghostLerpType = UILerp_Linear;
};

template <typename T>
using UIAnimationTrackMap = NameMap<UIAnimationTrackDesc<T>>;

struct UIEventKeyframeDesc {
    uint32_t m_timeMs = 0;
    std::vector<UICommandCall> m_commands;  // run in order
};

// One animation of one component for one SKU.
class UIAnimationDesc {
public:
    UIAnimationDesc() = default;
    explicit UIAnimationDesc(ComponentDefinition* definition) : m_definition(definition) {}

    template <typename T>
    UIAnimationTrackMap<T>& Tracks() { return m_tracks.Get<T>(); }
    template <typename T>
    const UIAnimationTrackMap<T>& Tracks() const { return m_tracks.Get<T>(); }
    // A new track has no keyframes and a Linear ghost; the caller names it.
    template <typename T>
    UIAnimationTrackDesc<T>& GetOrAddTrack(const AsciiString& property) {
        return Tracks<T>()[property];
    }
    std::vector<UIEventKeyframeDesc>& GetEventKeyframes() { return m_eventKeyframes; }
    const std::vector<UIEventKeyframeDesc>& GetEventKeyframes() const { return m_eventKeyframes; }
    void AddEventKeyframe(const UIEventKeyframeDesc& keyframe) {
        m_eventKeyframes.push_back(keyframe);
    }

    // Reads an "animation" element (or a "sku" element of the same form).
    void ReadXml(const TiXmlElement& element);
    // Loop count, next animation, ghost frame, tracks and event keyframes of
    // one per-SKU record of a screen file.
    void ReadBinary(const UIBinaryAnimationRecord& record);
    // Creates (or replaces) the component's animation of this name.
    void CreateOn(Component& component) const;

    int32_t m_loopCount = 0;  // -1: forever
    AsciiString m_name;
    AsciiString m_sku;
    AsciiString m_nextAnimation;
    ComponentDefinition* m_definition = nullptr;  // not owned
    bool m_bHasGhostFrame = false;

private:
    UIPerType<UIAnimationTrackMap> m_tracks;
    std::vector<UIEventKeyframeDesc> m_eventKeyframes;
};

// SKU name to that SKU's variant of one animation.
using UISkuAnimationMap = NameMap<UIAnimationDesc>;

}  // namespace Varnok
