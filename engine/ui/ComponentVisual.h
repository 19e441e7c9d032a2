// The base of every drawable UI element: a rectangle placed in its parent by
// position, origin, rotation and scale, with a colour that multiplies down
// the tree, an outline in screen space for hit tests and drawing, and the
// docked layout of its children. It draws nothing itself.
#pragma once

#include "engine/render/ImmediateVertex.h"
#include "engine/ui/Component.h"

#include <cstdint>

namespace Varnok {

namespace DockKind {
enum : int32_t {
    Invalid = -1,
    None = 0,
    Top = 1,
    Left = 2,
    Right = 3,
    Bottom = 4,
    TopLeft = 5,
    TopRight = 6,
    BottomLeft = 7,
    BottomRight = 8,
    Fill = 9,
};
}  // namespace DockKind

// "Invalid" for a kind outside the table.
const AsciiString& DockName(int32_t kind);
// Exact, letter case included; -1 for a name outside the table.
int32_t DockFromName(const AsciiString& name);

class ComponentVisual : public Component {
public:
    ComponentVisual();

    static const ComponentClassInfo& GetStaticClassInfo();

    UIRect GetWorldBounds() const override;
    // (-pivot.x, -pivot.y, width - pivot.x, height - pivot.y).
    UIRect GetLocalRect() const override;
    UIRect GetContainerRect() const override { return GetLocalRect(); }
    UIRect GetLayoutMargins() const override;
    // The own outline when "clipsChildren" is set, else the parent's.
    const UIVertexList& GetVertices() const override;
    void Update(float dt) override;
    UITransform GetLocalTransform() const override;
    // Computed on demand until the component is loaded, cached after.
    UITransform GetWorldTransform() const override;
    UITransform UpdateWorldTransform() override;
    Colour GetWorldColour() const override { return m_worldColour; }
    bool BlocksInputFromGame() const override { return m_blocksInputFromGame->Get(); }
    void InvalidateLayout() override { m_layoutDone = false; }
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;

    // In the parent's space.
    virtual UIRect GetLocalBounds() const;
    // Moves and resizes so that the local bounds become target, when the
    // transform can realise it; values within 0.1 are left alone.
    virtual void SetLocalBounds(const UIRect& target);
    virtual void PerformLayout();
    // The local rectangle's corners in quad order (top-left, top-right,
    // bottom-right, bottom-left); drawing classes add colours and uvs.
    virtual void BuildQuad(UIVertexList& vertices) const;

    Vector3 GetPivot() const;
    Vector3 GetAbsolutePosition();
    void SetDock(int32_t kind);
    int32_t GetDock() const { return m_dockKind; }
    void InvalidateParentLayout();
    bool IsOnScreen() const { return m_onScreen; }
    bool IsLayoutDone() const { return m_layoutDone; }
    // The outline built from the quad, in screen space, cut by the parent's
    // outline; empty off screen.
    const UIVertexList& GetOutline() const { return m_clippedVertices; }
    // Cached by the update: the world transform's translation, the angle of
    // its x axis in degrees and its axis lengths.
    const Vector3& GetWorldPosition() const { return m_worldPosition; }
    float GetWorldRotation() const { return m_worldRotation; }
    const Vector3& GetWorldScale() const { return m_worldScale; }
    float GetWidth() const { return m_width->Get(); }
    float GetHeight() const { return m_height->Get(); }

    // Places the docked visual children of any component inside its
    // container rectangle less its margins: corners, then edges, then fill.
    static void LayoutDockedChildren(Component& parent);

    // The outline in drawing order: reversed, every vertex in the colour
    // (r, g, b, a, each 0..255). Fewer than three vertices give nothing.
    static void BuildDrawVertices(const UIVertexList& outline, const Colour& colour,
                                  std::vector<ImmediateVertex>& out);

protected:
    // Everything Update does after the component's own update: world
    // state, on-screen flag, world colour, layout and outline.
    void UpdateVisualState();

    UIProperty<Vector3>* m_position;
    UIProperty<Vector3>* m_origin;
    UIProperty<bool>* m_originFromCenter;
    UIProperty<Vector3>* m_scale;
    UIProperty<Colour>* m_colour;
    UIProperty<float>* m_width;
    UIProperty<float>* m_height;
    UIProperty<bool>* m_holdsInput;
    UIProperty<bool>* m_blocksInputFromGame;
    UIProperty<bool>* m_allowStretchX;
    UIProperty<bool>* m_allowStretchY;
    UIProperty<Rotation>* m_rotation;
    UIProperty<bool>* m_clipsChildren;
    UIProperty<bool>* m_alphaBlendEnabled;
    UIProperty<AsciiString>* m_dock;
    UIProperty<float>* m_layoutMarginsTop;
    UIProperty<float>* m_layoutMarginsLeft;
    UIProperty<float>* m_layoutMarginsRight;
    UIProperty<float>* m_layoutMarginsBottom;

    // Drawing classes set it: their outline is built even when they do not
    // clip their children.
    bool m_buildVertices = false;

private:
    UITransform CombineWithParent(const UITransform& parentWorld, const UITransform& local) const;
    void RecomputeWorldState();
    void RecomputeOnScreen();
    void RecomputeWorldColour();
    void RebuildOutline();

    UITransform m_worldTransform;
    Vector3 m_worldPosition;
    float m_worldRotation = 0.0f;
    Vector3 m_worldScale{1.0f, 1.0f, 1.0f};
    Vector3 m_absolutePosition;
    Colour m_worldColour = kColourWhite;
    UIVertexList m_quadVertices;
    UIVertexList m_clippedVertices;
    UIVertexList m_clipScratch;
    bool m_layoutDone = false;
    bool m_onScreen = false;
    int32_t m_dockKind = DockKind::None;
    mutable bool m_localTransformValid = false;
    mutable UITransform m_localTransform;
};

}  // namespace Varnok
