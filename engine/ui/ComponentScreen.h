// A UI screen: the root of one screen's components under the UI root. It
// holds the screen's place among the screens, its string table, whether it
// keeps touches from the game, its scaling to the viewport, and its zoom or
// sweep transitions in and out.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/ui/ComponentVisual.h"
#include "engine/ui/UIProjectSettings.h"

#include <vector>

namespace Varnok {

// Called with the screen and the arguments when a transition ends.
struct ScreenTransitionCallback {
    using Function = Delegate2<void, Component*, const std::vector<AsciiString>&>;

    Function function;
    std::vector<AsciiString> args;

    bool IsEmpty() const { return function.IsEmpty(); }
    static const ScreenTransitionCallback& None();
};

// Identity when all three are neutral (within 0.0001); otherwise the scale,
// then the rotation about z in degrees, then the position.
UITransform ComposeUITransform(const Vector3& position, float degreesZ, const Vector3& scale);

// A plain component, not a visual: its transform is its own (the viewport
// scaling and the running transition), and its children's world transforms
// build on it through their parent chain.
class ComponentScreen : public Component {
public:
    ComponentScreen();
    ~ComponentScreen() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    int GetLayer() const override;
    // The screen's rectangle in its own units: the viewport less its scaling.
    UIRect GetLocalRect() const override { return GetContainerRect(); }
    UIRect GetContainerRect() const override;
    const UIVertexList& GetVertices() const override { return m_vertices; }
    void Update(float dt) override;
    UITransform GetLocalTransform() const override { return m_transform; }
    UITransform GetWorldTransform() const override { return m_transform; }
    UITransform UpdateWorldTransform() override { return m_transform; }
    bool HitTest(const Vector2& point, Component** out) override;
    bool BlocksInputFromGame() const override { return m_blocksInput->Get(); }
    void GetReservedAnimationNames(std::vector<AsciiString>& names) const override;
    // The next update lays the docked children out again.
    void InvalidateLayout() override { m_dockedLayoutDone = false; }
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    // The docked children inside the screen's rectangle with the visuals'
    // dock layout; run by the first update and again after InvalidateLayout.
    virtual void LayoutDockedChildren() { ComponentVisual::LayoutDockedChildren(*this); }
    bool IsLayoutDone() const { return m_dockedLayoutDone; }

    // Enables the screen and transitions it in; reverses a transition out
    // from where it stands.
    void StartTransitionIn(const ScreenTransitionCallback& callback);
    // Transitions out and disables the screen at the end.
    void StartTransitionOut(const ScreenTransitionCallback& callback);
    void Hide() { StartTransitionOut(ScreenTransitionCallback::None()); }
    // The viewport scale of the screen's scaling mode.
    Vector2 GetViewportScale() const;

    const UIScreenVersion& GetVersion() const { return m_version; }
    void SetVersion(const UIScreenVersion& version) { m_version = version; }
    bool IsTransitioningIn() const { return m_transitionIn; }
    bool IsTransitioningOut() const { return m_transitionOut; }
    float GetTransitionElapsed() const { return m_elapsed; }
    const Vector3& GetTransitionPosition() const { return m_position; }
    const Vector3& GetTransitionScale() const { return m_scale; }
    int32_t GetTransitionInKind() const { return m_transitionInKind; }
    int32_t GetTransitionOutKind() const { return m_transitionOutKind; }
    int32_t GetTransitionInLerp() const { return m_transitionInLerp; }

    PlainEvent OnScreenLoaded{this};
    PlainEvent OnScreenDisplayed{this};
    PlainEvent OnScreenRemoved{this};
    PlainEvent OnScreenEnabled{this};
    PlainEvent OnScreenDisabled{this};
    PlainEvent OnScreenTransitionInComplete{this};

private:
    struct Motion {
        Vector3 from;
        Vector3 to;
        bool animate = false;
    };

    void ApplyViewportScaling();
    void UpdateTransition(float dt);
    void EvaluateEnabledState();
    // Starts one direction; `in` picks the properties and the far end.
    void StartTransition(bool in, const ScreenTransitionCallback& callback);
    void MarkTransformChanged();

    UIProperty<int>* m_priority;
    UIProperty<AsciiString>* m_stringTableName;
    UIProperty<bool>* m_blocksInput;
    UIProperty<bool>* m_maintainHeight;
    UIProperty<bool>* m_maintainWidth;
    UIProperty<AsciiString>* m_transitionInName;
    UIProperty<float>* m_transitionInTime;
    UIProperty<AsciiString>* m_transitionInLerpName;
    UIProperty<AsciiString>* m_transitionOutName;
    UIProperty<float>* m_transitionOutTime;
    UIProperty<AsciiString>* m_transitionOutLerpName;
    UIProperty<AsciiString>* m_scaleModeName;

    UITransform m_transform;
    UIVertexList m_vertices;
    UIScreenVersion m_version;
    Vector2 m_lastScreenSize{-1.0f, -1.0f};
    bool m_scalingDirty = false;
    bool m_transitionIn = false;
    bool m_transitionOut = false;
    float m_elapsed = 0.0f;  // seconds into the running transition
    uint32_t m_elapsedMs = 0;
    int32_t m_transitionInKind;
    int32_t m_transitionInLerp;
    int32_t m_transitionOutKind;
    int32_t m_transitionOutLerp;
    Motion m_positionMotion;
    Motion m_scaleMotion;
    Motion m_rotationMotion;
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    Vector3 m_scale{1.0f, 1.0f, 1.0f};
    Vector3 m_rotation{0.0f, 0.0f, 0.0f};
    float m_transitionOutDuration = 0.0f;
    float m_transitionInDuration = 0.0f;
    ScreenTransitionCallback m_outCallback;
    ScreenTransitionCallback m_inCallback;
    bool m_firstDisplayPending = true;
    int32_t m_scaleMode;
    bool m_dockedLayoutDone = false;
};

}  // namespace Varnok
