// The base of every UI element: a node of the component tree with an id,
// eight typed property tables, named events (scripted command lists plus
// native listeners), named animations, and its part in the UI manager's
// update, draw and input passes.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/ui/ComponentClassInfo.h"
#include "engine/ui/UIComponentEvent.h"
#include "engine/ui/UINameMap.h"
#include "engine/ui/UIProperty.h"
#include "engine/ui/UITransform.h"
#include "engine/ui/UIVertex.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class ComponentDefinition;
class ComponentDesc;
class TextBuffer;
class UIAnimation;
class UIPropertyDefinition;
struct InputEvent;

// left/top/right/bottom are the minimum and maximum x and y.
struct UIRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class Component {
public:
    // Event types by handler signature; listeners get the sender first.
    using PropertyChangedEvent = UIComponentEvent<UIPropertyBase*, bool&>;
    using AnimationFinishedEvent = UIComponentEvent<const AsciiString&, bool&>;
    using FlagEvent = UIComponentEvent<bool&>;
    using TouchEvent = UIComponentEvent<const Vector2&, bool&>;
    using PlainEvent = UIComponentEvent<>;
    using KeyEvent = UIComponentEvent<InputEvent&, bool&>;

    using EventMap = NoCaseNameMap<UIComponentEventBase*>;
    using AnimationMap = NoCaseNameMap<std::unique_ptr<UIAnimation>>;

    // A point no component contains: what ScreenToLocal answers for a
    // transform that cannot be inverted.
    static constexpr float kUnreachableCoordinate = 4294967296.0f;
    static const AsciiString& RootId();  // "$ROOT$"

    Component();
    // Deletes the children, then unlinks itself from its parent whatever the
    // UI manager is doing, so no freed component stays linked.
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    static const ComponentClassInfo& GetStaticClassInfo();
    const ComponentClassInfo& GetClassInfo() const { return *m_classInfo; }
    bool IsKindOf(const ComponentClassInfo& info) const { return m_classInfo->IsKindOf(info); }

    // ---- virtual operations ----
    // Sets "text" when the component has it, else "texture", else nothing.
    virtual void SetText(const AsciiString& text);
    virtual int GetLayer() const;
    virtual bool MatchesKey(const InputEvent& key) const;
    virtual UIRect GetWorldBounds() const;
    virtual UIRect GetLocalRect() const;
    virtual UIRect GetContainerRect() const;
    virtual UIRect GetLayoutMargins() const;
    // The outline for hit tests, in screen coordinates; the parent's by
    // default, empty without parent.
    virtual const UIVertexList& GetVertices() const;
    virtual void ReservedHook1() {}
    virtual void ReservedHook2() {}
    virtual void ReservedHook3() {}
    // Derived classes call it first.
    virtual void Update(float dt);
    virtual void Draw() {}
    // Seconds until the animation (or the subtree's longest) ends.
    virtual float PlayAnimation(const AsciiString& name, bool recursive);
    virtual float PlayAnimationDelayed(const AsciiString& name, uint32_t delayMs, bool recursive);
    virtual UITransform GetLocalTransform() const;
    virtual UITransform GetWorldTransform() const;
    virtual UITransform UpdateWorldTransform();
    virtual Colour GetWorldColour() const;
    // out may be null.
    virtual bool HitTest(const Vector2& point, Component** out);
    virtual bool BlocksInputFromGame() const { return false; }
    virtual void OnCreated() {}
    virtual AsciiString Dump() const;
    virtual AsciiString DumpShort() const;
    virtual Vector2 LocalToScreen(const Vector2& point) const;
    virtual Vector2 ScreenToLocal(const Vector2& point) const;
    // Passed up the tree; no class answers it. 0 without parent.
    virtual int RequestFromChild(Component* child, int request, void* data);
    virtual void GetReservedAnimationNames(std::vector<AsciiString>& names) const;
    virtual void OnDataNameChanged(Component* source);
    virtual void InvalidateLayout() {}
    virtual void PostUpdateHook() {}
    virtual void OnFinishedLoading();
    virtual void OnPropertyChanged(UIPropertyBase* property);
    virtual void OnReset();
    virtual void OnBeforeReset();
    virtual void OnFirstUpdateHook() {}
    virtual void OnEnabledFirstUpdateHook() {}

    // ---- tree, ids and paths ----
    Component* GetParent() const { return m_parent; }
    Component* GetFirstChild() const { return m_firstChild; }
    Component* GetLastChild() const { return m_lastChild; }
    Component* GetNextSibling() const { return m_nextSibling; }
    Component* GetPrevSibling() const { return m_prevSibling; }
    int GetChildCount() const;
    // Before the child at index (from 0); last for -1 or past the end.
    // Answers the index taken, or -1 when appended with -1.
    int AddChild(Component* child, int index);
    // Refused while the UI manager walks the tree.
    void Detach();
    Component* FindParentScreen();
    void SetId(const AsciiString& id);
    const AsciiString& GetId() const { return m_id; }
    uint32_t GetIdHash() const { return m_idHash; }
    const AsciiString& GetPath();
    // Null for an empty path or one that leads nowhere.
    Component* FindChild(const AsciiString& path);
    Component* FindChildByPath(const char* path);
    Component* FindDirectChild(const AsciiString& id) const;
    void BringToFront();
    bool ContainsPoint(const Vector2& screenPoint) const;
    // Convex outline, counter-clockwise with y up; points on an edge are in.
    static bool ContainsPointInVertices(const UIVertexList& vertices, const Vector2& point);
    ComponentDesc* GetDesc() const { return m_desc.get(); }
    // Takes ownership.
    void SetDesc(ComponentDesc* desc);
    ComponentDefinition* GetDefinition() const { return m_definition; }
    void SetDefinition(ComponentDefinition* definition) { m_definition = definition; }

    // ---- properties ----
    template <typename T>
    UIPropertyTable<T>& GetTable();
    template <typename T>
    const UIPropertyTable<T>& GetTable() const {
        return const_cast<Component*>(this)->GetTable<T>();
    }
    UIPropertyTableBase& GetTableByType(UIPropertyType type);
    template <typename T>
    UIProperty<T>* GetOrAddProperty(const AsciiString& name, const T& defaultValue) {
        return GetTable<T>().GetOrAdd(name, defaultValue);
    }
    template <typename T>
    UIProperty<T>* FindProperty(const AsciiString& name) const {
        return GetTable<T>().Find(name);
    }
    void SetStringProperty(const AsciiString& name, const AsciiString& text);
    // From the tables in type order; 255 when none holds the name.
    UIPropertyType GetPropertyType(const AsciiString& name) const;
    void SetLayer(int layer);
    unsigned GetPropertyCount() const;
    // Running index over the eight tables in type order; null past the end.
    UIPropertyBase* GetPropertyByIndex(unsigned index) const;
    void StoreLoadedValues();
    void RestoreLoadedValues();

    bool IsEnabled() const { return m_enabled->Get(); }
    // Effectively enabled: every ancestor and the component itself.
    bool IsActive() const { return m_parentEnabled && m_enabled->Get(); }
    bool IsParentEnabled() const { return m_parentEnabled; }
    bool IsInputEnabled() const { return m_inputEnabled->Get(); }
    UIProperty<bool>* GetEnabledProperty() const { return m_enabled; }
    UIProperty<bool>* GetInputEnabledProperty() const { return m_inputEnabled; }
    UIProperty<int>* GetLayerProperty() const { return m_layer; }
    UIProperty<int>* GetLayerOffsetProperty() const { return m_layerOffset; }
    UIProperty<int>* GetUpdateMaskProperty() const { return m_updateMask; }
    UIProperty<int>* GetAnimationUpdateMaskProperty() const { return m_animationUpdateMask; }
    UIProperty<AsciiString>* GetLayerNameProperty() const { return m_layerName; }

    // ---- events ----
    EventMap& GetEvents() { return m_events; }
    // Null for a name the component does not have.
    UIComponentEventBase* FindEvent(const AsciiString& name) const;
    // Derived classes enter their own events under their names.
    void RegisterEvent(const AsciiString& name, UIComponentEventBase* event);

    PropertyChangedEvent OnPropertyChangedEvent{this};
    AnimationFinishedEvent OnAnimationFinishedEvent{this};
    FlagEvent OnFinishedLoadingEvent{this};
    FlagEvent OnBeforeResetEvent{this};
    FlagEvent OnResetEvent{this};
    PlainEvent OnFirstUpdate{this};
    PlainEvent OnEnabledFirstUpdate{this};
    TouchEvent OnTouchDownEvent{this};
    TouchEvent OnTouchDownObscuredEvent{this};
    TouchEvent OnTouchDownOutsideEvent{this};
    TouchEvent OnTouchUpEvent{this};
    TouchEvent OnTouchUpHeldOutsideEvent{this};
    TouchEvent OnTouchMovedEvent{this};
    TouchEvent OnTouchMovedOutsideEvent{this};
    KeyEvent m_keyEvent{this};
    FlagEvent OnFocusLostEvent{this};
    FlagEvent OnFocusGainedEvent{this};

    // ---- life cycle ----
    bool IsLoaded() const { return m_loaded; }
    // Marks this component, then its children, loaded; parents finish first.
    void MarkLoaded();
    void FirstUpdateChecks();
    void FireOnFirstUpdate();
    void FireOnEnabledFirstUpdate();
    void RefreshActiveState();
    void RefreshChildrenActiveState();
    void ResolveUpdateMasks();
    void ApplyLayerName();
    void ReportPropertyChange(UIPropertyBase* property);
    AsciiString DumpDebugString() const;

    // ---- animations ----
    AnimationMap& GetAnimations() { return m_animations; }
    UIAnimation* FindAnimation(const AsciiString& name) const;
    bool HasAnimation(const AsciiString& name) const { return FindAnimation(name) != nullptr; }
    // Creates the animation, or replaces one of that name completely.
    UIAnimation& CreateAnimation(const AsciiString& name, int32_t loopCount,
                                 const AsciiString& nextAnimation);
    void AddAnimationEventKeyframe(const AsciiString& name, float seconds,
                                   const std::vector<UICommandCall>& calls);
    void StopAnimation(const AsciiString& name, bool recursive);
    void StopAllAnimations(bool recursive);
    void SeekAnimation(const AsciiString& name, float seconds, bool recursive);
    void SkipAnimationToEnd(const AsciiString& name, bool recursive);
    // An empty name asks for any animation.
    bool IsAnimationPlaying(const AsciiString& name, bool recursive) const;
    // The UI manager's per-frame advance: scaled by the speed product.
    void UpdateAnimations(float dt) { AdvanceAnimations(dt); }
    void AdvanceAnimations(float dt);
    float AnimationSpeedProduct() const;
    float GetAnimationSpeed() const { return m_animationSpeed; }
    void SetAnimationSpeed(float speed) { m_animationSpeed = speed; }
    const AsciiString& GetFinishedAnimationName() const { return m_finishedAnimationName; }
    // Raised by the finished-animation notice after the update pass.
    void RaiseAnimationFinished(const AsciiString& name);
    AsciiString DumpAnimations(const AsciiString& name) const;

    // ---- definitions, descriptions, clone and reset ----
    // Applies the base chain first, so a derived default overrides its base's.
    void ApplyDefinition(ComponentDefinition* definition);
    // Adds the property with the definition's default, or sets it to it.
    void AddDefinedProperty(const UIPropertyDefinition& definition);
    void InitialiseFromDefinition(ComponentDefinition* definition);
    void LinkDefinitionAliases(bool reapply);
    // The owner takes the child's value; from then on the child mirrors it.
    static void LinkPropertyAlias(Component* child, UIPropertyType type,
                                  const AsciiString& childProperty, Component* owner,
                                  const AsciiString& ownProperty);
    // Values for the running SKU, animations and (when asked) event commands
    // from the description node; nothing without one.
    void LoadFromDesc(bool useDefinitionDefaults, bool loadEvents);
    // Hands the node back to the caller without destroying it.
    ComponentDesc* ReleaseDesc() { return m_desc.release(); }
    void SetDescSerialisable(bool serialisable);
    // A new component of the same class with this one's values, children,
    // animations and event commands; no parent, not loaded, no listeners.
    virtual Component* Clone() const;
    void CopyDescTo(Component& target) const;
    void CopyPropertiesTo(Component& target) const;
    void CopyChildrenTo(Component& target) const;
    void CopyAnimationsTo(Component& target) const;
    void CopyEventsTo(Component& target) const;
    // Back to the values loading left, depth first; stops this component's
    // animations first.
    void Reset();
    // Created empty (and described for the primary SKU) when missing.
    UIAnimation& GetOrCreateAnimation(const AsciiString& name);

    // ---- input and focus ----
    // Effectively enabled, input enabled on itself and every ancestor below
    // the UI root, inside the UI manager's update mask.
    bool TakesInput() const;
    // Ordered by effective layer, ascending; equal layers in visiting order.
    bool CollectComponentsAtPoint(const Vector2& point, std::vector<Component*>& list);
    bool CollectComponentsForKey(const InputEvent& key, std::vector<Component*>& list);
    bool FindChildAtPoint(const Vector2& point, Component** out) const;
    bool HandleTouchDown(const Vector2& point, bool obscured);
    bool HandleTouchDownOutside(const Vector2& point);
    bool HandleTouchMoved(const Vector2& point);
    bool HandleTouchUp(const Vector2& point);
    bool HandleKeyEvent(InputEvent& event);
    void SetFocus();
    bool HasFocus() const;
    bool ContainsFocus() const;
    void ReleaseFocus();
    void OnFocusLost();
    void OnFocusGained();

    // ---- state the UI manager reads and writes ----
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool IsEffectivelyVisible() const { return m_effectiveVisible; }
    void SetEffectivelyVisible(bool visible) { m_effectiveVisible = visible; }
    int GetEffectiveLayer() const { return m_effectiveLayer; }
    void SetEffectiveLayer(int layer) { m_effectiveLayer = layer; }
    uint32_t GetEffectiveUpdateMask() const { return m_effectiveUpdateMask; }
    uint32_t GetEffectiveAnimationUpdateMask() const { return m_effectiveAnimationUpdateMask; }
    bool IsDeleted() const { return m_isDeleted; }
    void SetDeleted(bool deleted) { m_isDeleted = deleted; }
    bool CanDelete() const { return m_canDelete; }
    bool CanRename() const { return m_canRename; }
    void SetCanDelete(bool canDelete) { m_canDelete = canDelete; }
    void SetCanRename(bool canRename) { m_canRename = canRename; }
    bool ReceivesMovesWithoutFocus() const { return m_receivesMovesWithoutFocus; }
    bool ReceivesObscuredTouches() const { return m_receivesObscuredTouches; }
    bool ReceivesHandledKeys() const { return m_receivesHandledKeys; }
    bool IsFirstUpdatePending() const { return m_firstUpdatePending; }
    bool IsEnabledFirstUpdatePending() const { return m_enabledFirstUpdatePending; }
    uint32_t GetTransformRevision() const { return m_transformRevision; }
    uint32_t GetLayoutRevision() const { return m_layoutRevision; }
    bool IsTransformDirty() const { return m_transformDirty != 0; }
    bool IsLayoutDirty() const { return m_layoutDirty != 0; }

    // 0 and 0xFFFFFFFF become 1, 0xFFFFFFFE wraps to 1, anything else + 1.
    static uint32_t AdvanceRevision(uint32_t revision);

protected:
    // A derived class's constructor sets its own record.
    void SetClassInfo(const ComponentClassInfo& info) { m_classInfo = &info; }

    uint32_t m_transformDirty = 1;
    uint32_t m_transformRevision = 1;
    uint32_t m_parentTransformRevision = 1;
    uint32_t m_layoutDirty = 1;
    uint32_t m_layoutRevision = 1;
    uint32_t m_parentLayoutRevision = 1;
    bool m_receivesMovesWithoutFocus = false;
    bool m_receivesObscuredTouches = false;
    bool m_receivesHandledKeys = false;

private:
    // Raising with a fresh handled flag; the flag a listener set.
    bool RaiseTouch(TouchEvent& event, const Vector2& screenPoint);
    bool RaiseFlag(FlagEvent& event);
    void InsertByLayer(std::vector<Component*>& list);
    Component* FindInSubtree(const char* id, int length, uint32_t hash) const;

    Component* m_parent = nullptr;
    Component* m_prevSibling = nullptr;
    Component* m_nextSibling = nullptr;
    Component* m_firstChild = nullptr;  // owned, with their siblings
    Component* m_lastChild = nullptr;
    AsciiString m_id;
    const ComponentClassInfo* m_classInfo;
    bool m_visible = true;
    bool m_parentEnabled = true;
    bool m_loaded = false;
    ComponentDefinition* m_definition = nullptr;  // not owned; may be null
    std::unique_ptr<ComponentDesc> m_desc;  // null when not built from a description
    UIPropertyTable<bool> m_boolTable;
    UIPropertyTable<AsciiString> m_stringTable;
    UIPropertyTable<Vector3> m_vector3Table;
    UIPropertyTable<Vector2> m_vector2Table;
    UIPropertyTable<float> m_floatTable;
    UIPropertyTable<Rotation> m_rotationTable;
    UIPropertyTable<int> m_intTable;
    UIPropertyTable<Colour> m_colourTable;
    UIProperty<bool>* m_enabled = nullptr;
    UIProperty<bool>* m_inputEnabled = nullptr;
    UIProperty<int>* m_layer = nullptr;
    UIProperty<int>* m_layerOffset = nullptr;
    UIProperty<int>* m_updateMask = nullptr;
    UIProperty<int>* m_animationUpdateMask = nullptr;
    UIProperty<AsciiString>* m_layerName = nullptr;
    UIProperty<AsciiString>* m_dataName = nullptr;  // cached when loading finishes
    AnimationMap m_animations;
    EventMap m_events;
    float m_animationSpeed = 1.0f;
    uint32_t m_idHash = 0;
    bool m_bHasFocus = false;
    bool m_canDelete = true;
    bool m_canRename = true;
    uint32_t m_effectiveUpdateMask = 0xFFFFFFFFu;
    uint32_t m_effectiveAnimationUpdateMask = 0xFFFFFFFFu;
    int m_effectiveLayer = -1;
    bool m_isDeleted = false;
    bool m_effectiveVisible = false;
    AsciiString m_path;
    AsciiString m_parentPath;
    AsciiString m_finishedAnimationName;
    bool m_firstUpdatePending = true;
    bool m_enabledFirstUpdatePending = true;
};

template <>
inline UIPropertyTable<bool>& Component::GetTable<bool>() { return m_boolTable; }
template <>
inline UIPropertyTable<AsciiString>& Component::GetTable<AsciiString>() { return m_stringTable; }
template <>
inline UIPropertyTable<Vector3>& Component::GetTable<Vector3>() { return m_vector3Table; }
template <>
inline UIPropertyTable<Vector2>& Component::GetTable<Vector2>() { return m_vector2Table; }
template <>
inline UIPropertyTable<float>& Component::GetTable<float>() { return m_floatTable; }
template <>
inline UIPropertyTable<Rotation>& Component::GetTable<Rotation>() { return m_rotationTable; }
template <>
inline UIPropertyTable<int>& Component::GetTable<int>() { return m_intTable; }
template <>
inline UIPropertyTable<Colour>& Component::GetTable<Colour>() { return m_colourTable; }

}  // namespace Varnok
