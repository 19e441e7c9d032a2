// The screen class: viewport scaling, transitions and the screen events.
#include "engine/ui/ComponentScreen.h"

#include "engine/ui/UIAnimation.h"
#include "engine/ui/UILerp.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

constexpr float kNeutralTolerance = 0.0001f;
constexpr float kMinTransitionScale = 0.0001f;

bool Near(float a, float b) { return std::fabs(a - b) <= kNeutralTolerance; }

// Moves t by (dx, dy) after whatever it already does. The kind has to follow:
// products skip an identity-kind operand, translation included.
void OffsetTranslation(UITransform& t, float dx, float dy) {
    t.m[12] += dx;
    t.m[13] += dy;
    const auto kind = static_cast<UITransformKind>(t.kind);
    if (kind == UITransformKind::Identity) {
        t.kind = static_cast<int32_t>(UITransformKind::Translation);
    } else if (kind != UITransformKind::Translation) {
        t.kind = static_cast<int32_t>(UITransformKind::General);
    }
}

Vector3 Lerp3(const Vector3& from, const Vector3& to, float f) {
    return Vector3{from.x + f * (to.x - from.x), from.y + f * (to.y - from.y),
                   from.z + f * (to.z - from.z)};
}

float Clamp01(float value) {
    if (!(value > 0.0f)) {
        return 0.0f;
    }
    return value < 1.0f ? value : 1.0f;
}

const AsciiString& TransitionInName() {
    static const AsciiString s_name("TransitionIn");
    return s_name;
}
const AsciiString& TransitionOutName() {
    static const AsciiString s_name("TransitionOut");
    return s_name;
}

}  // namespace

const ScreenTransitionCallback& ScreenTransitionCallback::None() {
    static const ScreenTransitionCallback s_none;
    return s_none;
}

UITransform ComposeUITransform(const Vector3& position, float degreesZ, const Vector3& scale) {
    UITransform out;
    if (Near(position.x, 0.0f) && Near(position.y, 0.0f) && Near(position.z, 0.0f) &&
        Near(degreesZ, 0.0f) && Near(scale.x, 1.0f) && Near(scale.y, 1.0f) &&
        Near(scale.z, 1.0f)) {
        return out;
    }
    UITransform::FromPositionRotationScale(out, position, degreesZ, scale);
    return out;
}

const ComponentClassInfo& ComponentScreen::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScreen", ComponentClassId::Screen,
                                           &Component::GetStaticClassInfo());
    return s_info;
}

ComponentScreen::ComponentScreen() {
    SetClassInfo(GetStaticClassInfo());
    m_priority = GetOrAddProperty<int>(AsciiString("screenPriority"), 0);
    m_stringTableName = GetOrAddProperty<AsciiString>(AsciiString("stringtable"), AsciiString());
    m_blocksInput = GetOrAddProperty<bool>(AsciiString("blocksinputfromgame"), false);
    m_maintainHeight = GetOrAddProperty<bool>(AsciiString("maintainViewportHeight"), false);
    m_maintainWidth = GetOrAddProperty<bool>(AsciiString("maintainViewportWidth"), false);
    m_transitionInName = GetOrAddProperty<AsciiString>(AsciiString("transitionIn"), AsciiString("none"));
    m_transitionInTime = GetOrAddProperty<float>(AsciiString("transitionInTime"), 0.0f);
    m_transitionInLerpName =
        GetOrAddProperty<AsciiString>(AsciiString("transitionInLerp"), AsciiString("EaseOutEaseIn"));
    m_transitionOutName =
        GetOrAddProperty<AsciiString>(AsciiString("transitionOut"), AsciiString("none"));
    m_transitionOutTime = GetOrAddProperty<float>(AsciiString("transitionOutTime"), 0.0f);
    m_transitionOutLerpName =
        GetOrAddProperty<AsciiString>(AsciiString("transitionOutLerp"), AsciiString("EaseOutEaseIn"));
    m_scaleModeName =
        GetOrAddProperty<AsciiString>(AsciiString("scaleToViewportMode"), AsciiString("Scale"));
    m_transitionInKind = ParseUIScreenTransition(m_transitionInName->Get());
    m_transitionOutKind = ParseUIScreenTransition(m_transitionOutName->Get());
    m_transitionInLerp = ParseUILerpType(m_transitionInLerpName->Get());
    m_transitionOutLerp = ParseUILerpType(m_transitionOutLerpName->Get());
    m_scaleMode = ParseUIScreenScaleMode(m_scaleModeName->Get());

    RegisterEvent(AsciiString("OnScreenLoaded"), &OnScreenLoaded);
    RegisterEvent(AsciiString("OnScreenDisplayed"), &OnScreenDisplayed);
    RegisterEvent(AsciiString("OnScreenRemoved"), &OnScreenRemoved);
    RegisterEvent(AsciiString("OnScreenEnabled"), &OnScreenEnabled);
    RegisterEvent(AsciiString("OnScreenDisabled"), &OnScreenDisabled);
    RegisterEvent(AsciiString("OnScreenTransitionInComplete"), &OnScreenTransitionInComplete);

    m_vertices.resize(4);
}

ComponentScreen::~ComponentScreen() = default;

int ComponentScreen::GetLayer() const {
    const int layer = GetLayerProperty()->Get();
    return layer == -1 ? UIManager::Get().GetDefaultLayer() : layer;
}

Vector2 ComponentScreen::GetViewportScale() const {
    const UIManager& ui = UIManager::Get();
    const Vector2 scale = ui.GetViewportScale();
    switch (m_scaleMode) {
        case UIScreenScale_None: return Vector2{1.0f, 1.0f};
        case UIScreenScale_KeepAspect: {
            const float u = ui.GetUniformViewportScale();
            return Vector2{u, u};
        }
        case UIScreenScale_ScaleX: return Vector2{scale.x, scale.x};
        case UIScreenScale_ScaleY: return Vector2{scale.y, scale.y};
        default: return scale;
    }
}

UIRect ComponentScreen::GetContainerRect() const {
    const Vector2 size = UIManager::Get().GetScreenSize();
    const Vector2 scale = GetViewportScale();
    return UIRect{0.0f, 0.0f, size.x / scale.x, size.y / scale.y};
}

void ComponentScreen::MarkTransformChanged() {
    m_transformDirty = 1;
    m_transformRevision = AdvanceRevision(m_transformRevision);
}

void ComponentScreen::ApplyViewportScaling() {
    const Vector2 scale = GetViewportScale();
    m_transform = ComposeUITransform(Vector3{0.0f, 0.0f, 0.0f}, 0.0f, Vector3{scale.x, scale.y, 1.0f});
    MarkTransformChanged();
    const Vector2 size = UIManager::Get().GetScreenSize();
    m_vertices[1].x = size.x;
    m_vertices[2].x = size.x;
    m_vertices[2].y = size.y;
    m_vertices[3].y = size.y;
    m_lastScreenSize = size;
    m_scalingDirty = false;
}

void ComponentScreen::Update(float dt) {
    Component::Update(dt);
    const Vector2 size = UIManager::Get().GetScreenSize();
    if (m_scalingDirty || size.x != m_lastScreenSize.x || size.y != m_lastScreenSize.y) {
        ApplyViewportScaling();
        InvalidateLayout();
    }
    if (!m_dockedLayoutDone) {
        LayoutDockedChildren();
        m_dockedLayoutDone = true;
    }
    UpdateTransition(dt);
}

void ComponentScreen::StartTransitionIn(const ScreenTransitionCallback& callback) {
    GetEnabledProperty()->Set(true);
    StartTransition(true, callback);
}

void ComponentScreen::StartTransitionOut(const ScreenTransitionCallback& callback) {
    StartTransition(false, callback);
}

void ComponentScreen::StartTransition(bool in, const ScreenTransitionCallback& callback) {
    bool& running = in ? m_transitionIn : m_transitionOut;
    bool& other = in ? m_transitionOut : m_transitionIn;
    ScreenTransitionCallback& stored = in ? m_inCallback : m_outCallback;
    if (running) {
        if (!callback.IsEmpty()) {
            stored = callback;
        }
        return;
    }
    stored = callback;
    const AsciiString& animation = in ? TransitionInName() : TransitionOutName();
    const float animationSeconds = PlayAnimation(animation, true);
    const bool reversing = other;
    if (other) {
        other = false;
        (in ? m_outCallback : m_inCallback) = ScreenTransitionCallback::None();
    }
    running = true;

    const float ownTime = (in ? m_transitionInTime : m_transitionOutTime)->Get();
    const float otherTime = (in ? m_transitionOutTime : m_transitionInTime)->Get();
    if (reversing) {
        const float done = otherTime > 0.0f ? Clamp01(m_elapsed / otherTime) : 1.0f;
        m_elapsed = std::max((1.0f - done) * ownTime, 0.0f);
    } else {
        m_elapsed = 0.0f;
    }
    m_elapsedMs = UISecondsToMs(m_elapsed);

    const float width = UIManager::Get().GetScreenSize().x;
    const Vector3 zero{0.0f, 0.0f, 0.0f};
    const Vector3 one{1.0f, 1.0f, 1.0f};
    const Vector3 offLeft{-width, 0.0f, 0.0f};
    float transitionSeconds = 0.0f;
    switch (in ? m_transitionInKind : m_transitionOutKind) {
        case UIScreenTransition_Invalid:
        case UIScreenTransition_None:
            m_positionMotion.animate = false;
            m_scaleMotion.animate = false;
            m_rotationMotion.animate = false;
            break;
        case UIScreenTransition_Zoom:
            m_positionMotion.animate = false;
            m_rotationMotion.animate = false;
            m_scaleMotion.animate = true;
            m_scaleMotion.from = in ? (reversing ? m_scale : zero) : m_scale;
            m_scaleMotion.to = in ? one : zero;
            transitionSeconds = ownTime;
            break;
        case UIScreenTransition_SweepLeft:
            m_scaleMotion.animate = false;
            m_rotationMotion.animate = false;
            m_positionMotion.animate = true;
            m_positionMotion.from = in ? (reversing ? m_position : offLeft) : m_position;
            m_positionMotion.to = in ? zero : offLeft;
            transitionSeconds = ownTime;
            break;
        default:
            break;
    }
    (in ? m_transitionInDuration : m_transitionOutDuration) =
        std::max(animationSeconds, transitionSeconds);
}

void ComponentScreen::UpdateTransition(float dt) {
    if (!m_transitionIn && !m_transitionOut) {
        return;
    }
    ApplyViewportScaling();
    const float time = (m_transitionIn ? m_transitionInTime : m_transitionOutTime)->Get();
    const bool moving = m_elapsed < time;
    m_elapsed = std::max(m_elapsed + dt, 0.0f);
    m_elapsedMs = UISecondsToMs(m_elapsed);
    if (moving) {
        const int32_t curve = m_transitionIn ? m_transitionInLerp : m_transitionOutLerp;
        const float f = EvaluateUILerp(curve, Clamp01(m_elapsed / time));
        m_position = m_positionMotion.animate ? Lerp3(m_positionMotion.from, m_positionMotion.to, f)
                                              : Vector3{0.0f, 0.0f, 0.0f};
        m_scale = m_scaleMotion.animate ? Lerp3(m_scaleMotion.from, m_scaleMotion.to, f)
                                        : Vector3{1.0f, 1.0f, 1.0f};
        m_rotation = m_rotationMotion.animate ? Lerp3(m_rotationMotion.from, m_rotationMotion.to, f)
                                              : Vector3{0.0f, 0.0f, 0.0f};
        m_scale.x = std::max(m_scale.x, kMinTransitionScale);
        m_scale.y = std::max(m_scale.y, kMinTransitionScale);
        m_scale.z = std::max(m_scale.z, kMinTransitionScale);
        // About the screen's centre, on top of the viewport scaling.
        const Vector2 size = UIManager::Get().GetScreenSize();
        OffsetTranslation(m_transform, -size.x * 0.5f, -size.y * 0.5f);
        UITransform::Multiply(m_transform, m_transform,
                              ComposeUITransform(m_position, m_rotation.z, m_scale));
        OffsetTranslation(m_transform, size.x * 0.5f, size.y * 0.5f);
        MarkTransformChanged();
    }
    if (m_transitionIn && m_elapsed > m_transitionInDuration) {
        const ScreenTransitionCallback callback = m_inCallback;
        m_inCallback = ScreenTransitionCallback::None();
        callback.function(this, callback.args);
        m_transitionIn = false;
        OnScreenTransitionInComplete.Raise();
        MarkTransformChanged();
    }
    if (m_transitionOut && m_elapsed > m_transitionOutDuration) {
        const ScreenTransitionCallback callback = m_outCallback;
        m_outCallback = ScreenTransitionCallback::None();
        callback.function(this, callback.args);
        m_transitionOut = false;
        GetEnabledProperty()->Set(false);
        MarkTransformChanged();
    }
}

bool ComponentScreen::HitTest(const Vector2& point, Component** out) {
    UIManager& ui = UIManager::Get();
    if (!IsActive() || (ui.GetUpdateMask() & GetEffectiveUpdateMask()) == 0) {
        return false;
    }
    if (BlocksInputFromGame()) {
        if (out != nullptr) {
            *out = this;
        }
        return true;
    }
    for (Component* child = GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (child->HitTest(point, out)) {
            return true;
        }
    }
    return false;
}

void ComponentScreen::GetReservedAnimationNames(std::vector<AsciiString>& names) const {
    names.push_back(TransitionInName());
    names.push_back(TransitionOutName());
}

void ComponentScreen::OnFinishedLoading() {
    Component::OnFinishedLoading();
    UIManager::Get().ScreenLoadedListeners().Invoke(this);
    OnScreenLoaded.Raise();
    EvaluateEnabledState();
}

void ComponentScreen::EvaluateEnabledState() {
    UIManager& ui = UIManager::Get();
    if (IsParentEnabled() && IsEnabled()) {
        if (m_firstDisplayPending) {
            m_firstDisplayPending = false;
            ui.ScreenDisplayedListeners().Invoke(this);
            OnScreenDisplayed.Raise();
        }
        StartTransitionIn(ScreenTransitionCallback::None());
        ui.ScreenEnabledListeners().Invoke(this);
        OnScreenEnabled.Raise();
    } else {
        ui.ScreenDisabledListeners().Invoke(this);
        OnScreenDisabled.Raise();
    }
}

void ComponentScreen::OnPropertyChanged(UIPropertyBase* property) {
    Component::OnPropertyChanged(property);
    if (property == GetEnabledProperty()) {
        if (IsLoaded()) {
            EvaluateEnabledState();
        }
    } else if (property == m_maintainWidth || property == m_maintainHeight) {
        MarkTransformChanged();
    } else if (property == m_transitionInName) {
        m_transitionInKind = ParseUIScreenTransition(m_transitionInName->Get());
    } else if (property == m_transitionOutName) {
        m_transitionOutKind = ParseUIScreenTransition(m_transitionOutName->Get());
    } else if (property == m_transitionInLerpName) {
        m_transitionInLerp = ParseUILerpType(m_transitionInLerpName->Get());
    } else if (property == m_transitionOutLerpName) {
        m_transitionOutLerp = ParseUILerpType(m_transitionOutLerpName->Get());
    } else if (property == m_scaleModeName) {
        m_scaleMode = ParseUIScreenScaleMode(m_scaleModeName->Get());
        m_scalingDirty = true;
    }
}

}  // namespace Varnok
