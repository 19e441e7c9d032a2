// Time keeping, delay, loops, event keyframes and the application of tracks
// to the owner's properties.
#include "engine/ui/UIAnimation.h"

#include "engine/core/TextBuffer.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"

#include <cmath>
#include <cstdint>

namespace Varnok {

namespace {

constexpr int kDumpColumn = 12;

float Lerp(float a, float b, float f) { return a + f * (b - a); }

bool Interpolate(bool a, bool, float) { return a; }
AsciiString Interpolate(const AsciiString& a, const AsciiString&, float) { return a; }
float Interpolate(float a, float b, float f) { return Lerp(a, b, f); }
Vector2 Interpolate(const Vector2& a, const Vector2& b, float f) {
    return Vector2{Lerp(a.x, b.x, f), Lerp(a.y, b.y, f)};
}
Vector3 Interpolate(const Vector3& a, const Vector3& b, float f) {
    return Vector3{Lerp(a.x, b.x, f), Lerp(a.y, b.y, f), Lerp(a.z, b.z, f)};
}
Rotation Interpolate(const Rotation& a, const Rotation& b, float f) {
    return Rotation{Lerp(a.x, b.x, f), Lerp(a.y, b.y, f), Lerp(a.z, b.z, f)};
}
int Interpolate(int a, int b, float f) {
    const float difference = static_cast<float>(static_cast<int64_t>(b) - a);
    const float value = static_cast<float>(a) + f * difference;
    // Truncated toward zero; kept inside int where an overshooting curve or
    // a NaN would leave it.
    if (!(value > -2147483648.0f)) {
        return value != value ? a : INT32_MIN;
    }
    if (value >= 2147483648.0f) {
        return INT32_MAX;
    }
    return static_cast<int>(value);
}
Colour Interpolate(const Colour& a, const Colour& b, float f) {
    Colour out;
    Colour::Lerp(out, a, b, 1.0f - f);
    return out;
}

}  // namespace

uint32_t UISecondsToMs(float seconds) {
    const float ms = seconds * 1000.0f + 0.5f;
    if (!(ms > 0.0f)) {
        return 0;
    }
    if (ms >= 4294967296.0f) {
        return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(ms);
}

UIAnimation::UIAnimation(Component* owner, const AsciiString& name)
    : m_name(name), m_owner(owner) {}

UIAnimation::~UIAnimation() {
    UIManager& ui = UIManager::Get();
    for (const UIEventKeyframe& keyframe : m_eventKeyframes) {
        ui.ForgetNotice(keyframe.commands.get());
    }
}

void UIAnimation::AddEventKeyframe(float seconds, const std::vector<UICommandCall>& calls) {
    UIEventKeyframe keyframe;
    keyframe.timeMs = UISecondsToMs(seconds);
    keyframe.commands = std::make_unique<UICommandListNotice>(m_owner);
    keyframe.commands->GetList().SetCalls(calls);
    WidenDuration(keyframe.timeMs);
    m_eventKeyframes.push_back(std::move(keyframe));
}

void UIAnimation::Play(uint32_t delayMs) {
    if (m_owner == nullptr) {
        return;
    }
    m_state = kPlaying;
    m_time = 0.0f;
    m_timeMs = 0;
    m_loopsRemaining = m_loopCount;
    m_delayMs = delayMs;
    m_delayRemaining = UIMsToSeconds(delayMs);
    m_delayRemainingMs = delayMs;
    Apply();
}

void UIAnimation::Stop() {
    const float end = GetDuration();
    m_time = end > 0.0f ? end : 0.0f;
    m_timeMs = UISecondsToMs(m_time);
    m_state = kStopped;
}

void UIAnimation::SetTime(float seconds) {
    m_time = seconds > 0.0f ? seconds : 0.0f;
    m_timeMs = UISecondsToMs(m_time);
}

void UIAnimation::Update(float dt) {
    if (m_state != kPlaying) {
        return;
    }
    if (m_delayRemaining != 0.0f) {
        const float remaining = m_delayRemaining - dt;
        m_delayRemaining = remaining > 0.0f ? remaining : 0.0f;
        m_delayRemainingMs = UISecondsToMs(m_delayRemaining);
        if (m_delayRemaining != 0.0f) {
            return;
        }
    }
    const float sum = m_time + dt;
    const float newTime = sum > 0.0f ? sum : 0.0f;
    const uint32_t newMs = UISecondsToMs(newTime);
    const bool fromStart = m_time == 0.0f;
    if (fromStart || newMs > m_timeMs) {
        UIManager& ui = UIManager::Get();
        for (UIEventKeyframe& keyframe : m_eventKeyframes) {
            const uint32_t t = keyframe.timeMs;
            if ((fromStart && t == 0) || (m_timeMs < t && t <= newMs)) {
                ui.QueueCommandList(keyframe.commands.get());
            }
        }
    }
    m_time = newTime;
    m_timeMs = newMs;
    if (newMs >= m_durationMs) {
        if (m_loopsRemaining == 0) {
            m_state = kStopped;
        } else if (newMs > m_durationMs) {
            if (m_loopsRemaining > 0) {
                --m_loopsRemaining;
            }
            m_time = 0.0f;
            m_timeMs = 0;
        }
    }
}

template <typename T>
void UIAnimation::ApplyTrack(UIAnimationTrack<T>& track) {
    const std::vector<UIAnimationKeyframe<T>>& keys = track.keyframes;
    if (keys.empty()) {
        return;
    }
    const uint32_t now = m_timeMs;
    size_t selected = keys.size() - 1;
    bool pastEnd = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].timeMs > now) {
            selected = i;
            pastEnd = false;
            break;
        }
    }
    const bool hasPreceding = selected > 0;

    if (!track.resolved) {
        track.resolved = true;
        track.property = m_owner != nullptr ? m_owner->FindProperty<T>(track.propertyName)
                                            : nullptr;
        if (track.property == nullptr) {
            return;  // the owner has no such property: never applied
        }
        static const AsciiString s_enabled("enabled");
        track.isEnabled = track.propertyName.EqualsNoCase(s_enabled);
        track.startValue = track.property->Get();
    } else if (track.property == nullptr) {
        return;
    } else if (now == 0) {
        track.startValue = track.property->Get();
    }

    if (track.isEnabled && now < keys[0].timeMs) {
        return;
    }
    T value;
    if (pastEnd) {
        value = keys[selected].value;
    } else if (hasPreceding) {
        const UIAnimationKeyframe<T>& a = keys[selected - 1];
        const UIAnimationKeyframe<T>& b = keys[selected];
        const float fraction = static_cast<float>(now - a.timeMs) /
                               static_cast<float>(b.timeMs - a.timeMs);
        value = Interpolate(a.value, b.value, EvaluateUILerp(a.lerp, fraction));
    } else if (m_ghostFrame) {
        const float fraction = static_cast<float>(now) / static_cast<float>(keys[0].timeMs);
        value = Interpolate(track.startValue, keys[0].value,
                            EvaluateUILerp(track.ghostLerp, fraction));
    } else {
        value = keys[0].value;
    }
    track.property->Set(value);
}

void UIAnimation::Apply() {
    if (IsDelayPending()) {
        return;
    }
    for (auto& entry : m_boolTracks) ApplyTrack(entry.second);
    for (auto& entry : m_stringTracks) ApplyTrack(entry.second);
    for (auto& entry : m_vector3Tracks) ApplyTrack(entry.second);
    for (auto& entry : m_vector2Tracks) ApplyTrack(entry.second);
    for (auto& entry : m_floatTracks) ApplyTrack(entry.second);
    for (auto& entry : m_rotationTracks) ApplyTrack(entry.second);
    for (auto& entry : m_intTracks) ApplyTrack(entry.second);
    for (auto& entry : m_colourTracks) ApplyTrack(entry.second);
}

void UIAnimation::SetOwner(Component* owner) {
    m_owner = owner;
    for (UIEventKeyframe& keyframe : m_eventKeyframes) {
        keyframe.commands->SetOwner(owner);
    }
}

template <typename T>
void UIAnimation::DumpTracks(TextBuffer& out, const NameMap<UIAnimationTrack<T>>& tracks) const {
    for (const auto& entry : tracks) {
        const UIAnimationTrack<T>& track = entry.second;
        out.Append("track\n{  Name:");
        out.AppendString(track.propertyName);
        out.Append("\n");
        for (const UIAnimationKeyframe<T>& keyframe : track.keyframes) {
            AsciiString time("Time ");
            time.AppendUInt(keyframe.timeMs);
            out.Append("  k{");
            out.AppendString(AsciiString::PadToWidth(time, kDumpColumn, 1));
            out.Append("ms, val: ");
            out.AppendString(
                AsciiString::PadToWidth(UIValue<T>::ToString(keyframe.value), kDumpColumn, 0));
            out.Append(", lerp: ");
            out.AppendString(GetUILerpTypeName(keyframe.lerp));
            out.Append("}\n");
        }
    }
}

void UIAnimation::Dump(TextBuffer& out) const {
    out.Append("UIAnimation(");
    out.AppendString(m_name);
    out.Append(")\nTrackCount : ");
    const size_t trackCount = m_boolTracks.size() + m_stringTracks.size() + m_vector3Tracks.size() +
                              m_vector2Tracks.size() + m_floatTracks.size() +
                              m_rotationTracks.size() + m_intTracks.size() + m_colourTracks.size();
    out.AppendULong(trackCount);
    out.Append("\n");
    DumpTracks(out, m_boolTracks);
    DumpTracks(out, m_stringTracks);
    DumpTracks(out, m_vector3Tracks);
    DumpTracks(out, m_vector2Tracks);
    DumpTracks(out, m_floatTracks);
    DumpTracks(out, m_rotationTracks);
    DumpTracks(out, m_intTracks);
    DumpTracks(out, m_colourTracks);
    out.Append("EventsCount: ");
    out.AppendULong(m_eventKeyframes.size());
    out.Append("\n");
    for (const UIEventKeyframe& keyframe : m_eventKeyframes) {
        out.Append("EventKeyframe, time: ");
        out.AppendULong(keyframe.timeMs);
        const std::vector<UICommandCall>& calls = keyframe.commands->GetList().GetCalls();
        if (calls.empty()) {
            out.Append(" No Commands\n");
            continue;
        }
        out.Append("\n{\n");
        for (const UICommandCall& call : calls) {
            out.Append("    ");
            out.AppendString(call.name);
            out.Append("(");
            for (size_t i = 0; i < call.args.size(); ++i) {
                if (i > 0) {
                    out.Append(", ");
                }
                out.AppendString(call.args[i]);
            }
            out.Append(")\n");
        }
        out.Append("}\n");
    }
}

}  // namespace Varnok
