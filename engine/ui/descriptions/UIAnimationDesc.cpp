// Animation descriptions: the XML form, and turning a description into a
// running animation on a component.
#include "engine/ui/descriptions/UIDescValues.h"

#include "engine/ui/Component.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/internal/XmlNames.h"

#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

// Milliseconds from "timeMillis", else seconds from "time", else 0.
uint32_t KeyframeTimeMs(const TiXmlElement& element) {
    const char* millis = Attr(element, "timeMillis");
    if (HasText(millis)) {
        return UIValue<unsigned>::FromString(millis);
    }
    const char* seconds = Attr(element, "time");
    if (HasText(seconds)) {
        return UISecondsToMs(static_cast<float>(std::strtod(seconds, nullptr)));
    }
    return 0;
}

// Absent: Linear; unknown or empty: -1, played as Linear.
int32_t Interpolation(const TiXmlElement& element) {
    const char* name = Attr(element, "interpolation");
    if (name == nullptr) {
        return UILerp_Linear;
    }
    return ParseUILerpType(AsciiString(name));
}

bool IsNamed(const TiXmlElement& element, const char* name) {
    return std::strcmp(element.Value(), name) == 0;
}

}  // namespace

void UIAnimationDesc::ReadXml(const TiXmlElement& element) {
    const char* loop = Attr(element, "loop");
    if (loop != nullptr && std::strcmp(loop, "forever") == 0) {
        m_loopCount = -1;
    } else {
        m_loopCount = loop != nullptr ? static_cast<int32_t>(std::atoi(loop)) : 0;
    }
    const char* next = Attr(element, "nextAnimation");
    if (HasText(next)) {
        m_nextAnimation = AsciiString(next);
    }
    m_bHasGhostFrame = UIValue<bool>::FromString(AttrOrEmpty(element, "hasGhostFrame"));

    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (IsNamed(*child, "keyframe")) {
            const uint32_t timeMs = KeyframeTimeMs(*child);
            for (const TiXmlElement* value = child->FirstChildElement(); value != nullptr;
                 value = value->NextSiblingElement()) {
                const bool isValue = IsNamed(*value, "keyframeValue");
                if (!isValue && !IsNamed(*value, "ghostKeyframe")) {
                    continue;
                }
                const AsciiString property(AttrOrEmpty(*value, "property"));
                const UIPropertyDefinition* definition =
                    ComponentDefinition::FindPropertyDefinition(m_definition, property, nullptr);
                if (definition == nullptr) {
                    continue;
                }
                const int32_t lerp = Interpolation(*value);
                WithUIType(definition->m_type, [&](auto tag) {
                    using T = typename decltype(tag)::Type;
                    UIAnimationTrackDesc<T>& track = GetOrAddTrack<T>(property);
                    track.m_property = property;
                    if (isValue) {
                        const char* text = Attr(*value, "value");
                        const T parsed =
                            text != nullptr ? UIValue<T>::FromString(text) : UIValue<T>::Default();
                        track.m_keyframes.emplace_back(timeMs, parsed, lerp);
                    } else {
                        track.SetGhostInterpolation(lerp);
                    }
                });
            }
        } else if (IsNamed(*child, "keyframeEvent")) {
            const uint32_t timeMs = KeyframeTimeMs(*child);
            UIEventKeyframeDesc* event = nullptr;
            for (UIEventKeyframeDesc& existing : m_eventKeyframes) {
                if (existing.m_timeMs == timeMs) {
                    event = &existing;
                    break;
                }
            }
            if (event == nullptr) {
                m_eventKeyframes.emplace_back();
                event = &m_eventKeyframes.back();
                event->m_timeMs = timeMs;
            }
            const char* type = Attr(*child, "type");
            if (HasText(type)) {
                UICommandCall call;
                call.name = AsciiString(std::strcmp(type, "sound") == 0 ? "PlaySound" : "~EMPTY~");
                const char* param = Attr(*child, "param");
                if (HasText(param)) {
                    call.args.emplace_back(param);
                }
                event->m_commands.push_back(std::move(call));
            }
            for (const TiXmlElement* command = child->FirstChildElement("command");
                 command != nullptr; command = command->NextSiblingElement("command")) {
                UICommandCall call;
                call.name = AsciiString(AttrOrEmpty(*command, "name"));
                for (const TiXmlElement* parameter = command->FirstChildElement("parameter");
                     parameter != nullptr; parameter = parameter->NextSiblingElement("parameter")) {
                    call.args.emplace_back(AttrOrEmpty(*parameter, "value"));
                }
                event->m_commands.push_back(std::move(call));
            }
        }
    }
}

void UIAnimationDesc::CreateOn(Component& component) const {
    UIAnimation& animation = component.CreateAnimation(m_name, m_loopCount, m_nextAnimation);
    animation.SetGhostFrame(m_bHasGhostFrame);
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        for (const auto& entry : Tracks<T>()) {
            const UIAnimationTrackDesc<T>& desc = entry.second;
            UIAnimationTrack<T>& track = animation.GetTrack<T>(desc.m_property);
            track.ghostLerp = desc.GetGhostInterpolation();
            for (const UIKeyframeDesc<T>& key : desc.m_keyframes) {
                animation.AddKeyframe<T>(desc.m_property, key.m_timeMs, key.m_lerpType, key.m_value);
            }
        }
    });
    for (const UIEventKeyframeDesc& event : m_eventKeyframes) {
        component.AddAnimationEventKeyframe(m_name, static_cast<float>(event.m_timeMs) * 0.001f,
                                            event.m_commands);
    }
}

}  // namespace Varnok
