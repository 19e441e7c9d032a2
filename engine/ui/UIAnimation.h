// A named, keyframed animation owned by one component: per-type tracks that
// drive the owner's properties, event keyframes that queue command lists when
// the time passes them, loops, a start delay and an optional ghost segment
// from each property's value at the start to the track's first keyframe.
#pragma once

#include "engine/core/NameMap.h"
#include "engine/ui/UILerp.h"
#include "engine/ui/UIPostUpdateNotice.h"
#include "engine/ui/UIProperty.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class Component;
class TextBuffer;

// Seconds to milliseconds as the UI counts them: seconds * 1000 + 0.5 in
// single precision, truncated; negative and NaN give 0.
uint32_t UISecondsToMs(float seconds);
inline float UIMsToSeconds(uint32_t ms) { return static_cast<float>(ms) * 0.001f; }

template <typename T>
struct UIAnimationKeyframe {
    uint32_t timeMs = 0;
    int32_t lerp = UILerp_Linear;  // the curve from this keyframe to the next
    T value = UIValue<T>::Default();
};

template <typename T>
struct UIAnimationTrack {
    AsciiString propertyName;
    std::vector<UIAnimationKeyframe<T>> keyframes;  // expected in ascending time
    UIProperty<T>* property = nullptr;  // the owner's, found on first application
    bool resolved = false;              // looked up (the owner may not have it)
    bool isEnabled = false;             // the property is "enabled"
    T startValue = UIValue<T>::Default();
    int32_t ghostLerp = UILerp_Linear;
};

struct UIEventKeyframe {
    uint32_t timeMs = 0;
    std::unique_ptr<UICommandListNotice> commands;
};

class UIAnimation {
public:
    UIAnimation(Component* owner, const AsciiString& name);
    // Queued command lists of this animation are withdrawn from the manager.
    ~UIAnimation();
    UIAnimation(const UIAnimation&) = delete;
    UIAnimation& operator=(const UIAnimation&) = delete;

    void SetLoopCount(int32_t loopCount) { m_loopCount = loopCount; }
    int32_t GetLoopCount() const { return m_loopCount; }
    int32_t GetLoopsRemaining() const { return m_loopsRemaining; }
    const AsciiString& GetName() const { return m_name; }
    const AsciiString& GetNextAnimation() const { return m_nextAnimation; }
    void SetNextAnimation(const AsciiString& name) { m_nextAnimation = name; }
    bool HasGhostFrame() const { return m_ghostFrame; }
    void SetGhostFrame(bool ghost) { m_ghostFrame = ghost; }
    Component* GetOwner() const { return m_owner; }

    // The track of that type and property, created empty when missing.
    template <typename T>
    UIAnimationTrack<T>& GetTrack(const AsciiString& propertyName);
    // Appends a keyframe and widens the duration to its time.
    template <typename T>
    void AddKeyframe(const AsciiString& propertyName, uint32_t timeMs, int32_t lerp,
                     const T& value);
    void WidenDuration(uint32_t timeMs) {
        if (timeMs > m_durationMs) {
            m_durationMs = timeMs;
        }
    }
    void AddEventKeyframe(float seconds, const std::vector<UICommandCall>& calls);
    const std::vector<UIEventKeyframe>& GetEventKeyframes() const { return m_eventKeyframes; }

    void Play(uint32_t delayMs);
    // Time to the end, state stopped; properties keep their last values.
    void Stop();
    void Update(float dt);
    // Every track at the current time; nothing while a delay is pending.
    void Apply();

    bool IsPlaying() const { return m_state == kPlaying; }
    bool IsFinished() const { return m_timeMs >= m_durationMs; }
    float GetDuration() const { return UIMsToSeconds(m_durationMs); }
    uint32_t GetDurationMs() const { return m_durationMs; }
    float GetTime() const { return m_time; }
    uint32_t GetTimeMs() const { return m_timeMs; }
    bool IsDelayPending() const { return m_delayRemainingMs != 0 || m_delayRemaining != 0.0f; }
    // Neither applies nor fires events.
    void SetTime(float seconds);
    void SetOwner(Component* owner);
    // Makes target a copy owned by target's owner: tracks unresolved, event
    // command lists copied.
    void CopyTo(UIAnimation& target) const;
    void Dump(TextBuffer& out) const;

private:
    static constexpr int32_t kStopped = 0;
    static constexpr int32_t kPlaying = 1;

    template <typename T>
    void ApplyTrack(UIAnimationTrack<T>& track);
    template <typename T>
    NameMap<UIAnimationTrack<T>>& Tracks();
    template <typename T>
    void DumpTracks(TextBuffer& out, const NameMap<UIAnimationTrack<T>>& tracks) const;

    int32_t m_state = kStopped;
    float m_time = 0.0f;  // seconds since the start, after the delay
    uint32_t m_timeMs = 0;
    int32_t m_loopCount = 0;  // negative: forever
    int32_t m_loopsRemaining = 0;
    uint32_t m_durationMs = 0;  // the latest keyframe of any track or event
    AsciiString m_name;
    AsciiString m_nextAnimation;  // empty: none
    bool m_ghostFrame = false;
    uint32_t m_delayMs = 0;
    float m_delayRemaining = 0.0f;
    uint32_t m_delayRemainingMs = 0;
    Component* m_owner = nullptr;  // not owned
    NameMap<UIAnimationTrack<bool>> m_boolTracks;
    NameMap<UIAnimationTrack<AsciiString>> m_stringTracks;
    NameMap<UIAnimationTrack<Vector3>> m_vector3Tracks;
    NameMap<UIAnimationTrack<Vector2>> m_vector2Tracks;
    NameMap<UIAnimationTrack<float>> m_floatTracks;
    NameMap<UIAnimationTrack<Rotation>> m_rotationTracks;
    NameMap<UIAnimationTrack<int>> m_intTracks;
    NameMap<UIAnimationTrack<Colour>> m_colourTracks;
    std::vector<UIEventKeyframe> m_eventKeyframes;  // in the order added
};

template <>
inline NameMap<UIAnimationTrack<bool>>& UIAnimation::Tracks<bool>() { return m_boolTracks; }
template <>
inline NameMap<UIAnimationTrack<AsciiString>>& UIAnimation::Tracks<AsciiString>() {
    return m_stringTracks;
}
template <>
inline NameMap<UIAnimationTrack<Vector3>>& UIAnimation::Tracks<Vector3>() {
    return m_vector3Tracks;
}
template <>
inline NameMap<UIAnimationTrack<Vector2>>& UIAnimation::Tracks<Vector2>() {
    return m_vector2Tracks;
}
template <>
inline NameMap<UIAnimationTrack<float>>& UIAnimation::Tracks<float>() { return m_floatTracks; }
template <>
inline NameMap<UIAnimationTrack<Rotation>>& UIAnimation::Tracks<Rotation>() {
    return m_rotationTracks;
}
template <>
inline NameMap<UIAnimationTrack<int>>& UIAnimation::Tracks<int>() { return m_intTracks; }
template <>
inline NameMap<UIAnimationTrack<Colour>>& UIAnimation::Tracks<Colour>() { return m_colourTracks; }

template <typename T>
UIAnimationTrack<T>& UIAnimation::GetTrack(const AsciiString& propertyName) {
    NameMap<UIAnimationTrack<T>>& tracks = Tracks<T>();
    auto it = tracks.find(propertyName);
    if (it == tracks.end()) {
        it = tracks.emplace(propertyName, UIAnimationTrack<T>{}).first;
        it->second.propertyName = propertyName;
    }
    return it->second;
}

template <typename T>
void UIAnimation::AddKeyframe(const AsciiString& propertyName, uint32_t timeMs, int32_t lerp,
                              const T& value) {
    UIAnimationKeyframe<T> keyframe;
    keyframe.timeMs = timeMs;
    keyframe.lerp = lerp;
    keyframe.value = value;
    GetTrack<T>(propertyName).keyframes.push_back(keyframe);
    WidenDuration(timeMs);
}

}  // namespace Varnok
