// ComponentVisual: placement, world state, colour, outline and dock layout.
// The outline is the quad mapped to the screen and cut by the outline the
// parent offers, so nothing of a child is drawn outside its clipping
// ancestors without scissor or stencil state.
#include "engine/ui/ComponentVisual.h"

#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UIClip.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

constexpr float kStretchTolerance = 1e-4f;
constexpr float kBoundsTolerance = 0.1f;
constexpr float kRadiansToDegrees = 57.2957763671875f;
constexpr int32_t kDockKindCount = 10;

const AsciiString& DockNameAt(int32_t kind) {
    static const AsciiString s_names[kDockKindCount] = {
        AsciiString("None"),    AsciiString("Top"),      AsciiString("Left"),
        AsciiString("Right"),   AsciiString("Bottom"),   AsciiString("TopLeft"),
        AsciiString("TopRight"), AsciiString("BottomLeft"), AsciiString("BottomRight"),
        AsciiString("Fill")};
    return s_names[kind];
}

Vector3 AxisLengths(const UITransform& t) { return t.AxisLengths(); }

// The bounding rectangle of a rectangle's corners mapped by t.
UIRect MapBounds(const UITransform& t, const UIRect& r) {
    const Vector2 corners[4] = {t.TransformPoint(r.left, r.top), t.TransformPoint(r.right, r.top),
                                t.TransformPoint(r.right, r.bottom),
                                t.TransformPoint(r.left, r.bottom)};
    UIRect out{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
    for (const Vector2& c : corners) {
        out.left = std::min(out.left, c.x);
        out.top = std::min(out.top, c.y);
        out.right = std::max(out.right, c.x);
        out.bottom = std::max(out.bottom, c.y);
    }
    return out;
}

bool Near(float a, float b, float tolerance) { return std::fabs(a - b) < tolerance; }

bool SameVector(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

ComponentVisual* AsVisual(Component* component) {
    if (component != nullptr && component->IsKindOf(ComponentVisual::GetStaticClassInfo())) {
        return static_cast<ComponentVisual*>(component);
    }
    return nullptr;
}

// The six rectangles of one docked layout pass.
struct DockLayoutState {
    UIRect inner;
    UIRect remaining;
    UIRect top;
    UIRect left;
    UIRect right;
    UIRect bottom;
};

void LayoutDockedChild(ComponentVisual& child, int32_t kind, DockLayoutState& s) {
    const UIRect bounds = child.GetLocalBounds();
    const float w = bounds.right - bounds.left;
    const float h = bounds.bottom - bounds.top;
    UIRect r;
    switch (kind) {
        case DockKind::Top:
            r = UIRect{s.top.left, s.top.bottom, s.top.right, s.top.bottom + h};
            s.top.bottom += h;
            s.remaining.top = s.top.bottom;
            break;
        case DockKind::Left:
            r = UIRect{s.left.right, s.left.top, s.left.right + w, s.left.bottom};
            s.left.right += w;
            s.remaining.left = s.left.right;
            break;
        case DockKind::Right:
            r = UIRect{s.right.left - w, s.right.top, s.right.left, s.right.bottom};
            s.right.left -= w;
            s.remaining.right = s.right.left;
            break;
        case DockKind::Bottom:
            r = UIRect{s.bottom.left, s.bottom.top - h, s.bottom.right, s.bottom.top};
            s.bottom.top -= h;
            s.remaining.bottom = s.bottom.top;
            break;
        case DockKind::TopLeft:
            r = UIRect{s.inner.left, s.inner.top, s.inner.left + w, s.inner.top + h};
            s.top.left = std::max(s.top.left, s.inner.left + w);
            s.left.top = std::max(s.left.top, s.inner.top + h);
            break;
        case DockKind::TopRight:
            r = UIRect{s.inner.right - w, s.inner.top, s.inner.right, s.inner.top + h};
            s.top.right = std::min(s.top.right, s.inner.right - w);
            s.right.top = std::max(s.right.top, s.inner.top + h);
            break;
        case DockKind::BottomLeft:
            r = UIRect{s.inner.left, s.inner.bottom - h, s.inner.left + w, s.inner.bottom};
            s.bottom.left = std::max(s.bottom.left, s.inner.left + w);
            s.left.bottom = std::min(s.left.bottom, s.inner.bottom - h);
            break;
        case DockKind::BottomRight:
            r = UIRect{s.inner.right - w, s.inner.bottom - h, s.inner.right, s.inner.bottom};
            s.bottom.right = std::min(s.bottom.right, s.inner.right - w);
            s.right.bottom = std::min(s.right.bottom, s.inner.bottom - h);
            break;
        case DockKind::Fill:
            r = s.remaining;
            break;
        default:
            return;
    }
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    child.SetLocalBounds(r);
}

}  // namespace

const AsciiString& DockName(int32_t kind) {
    static const AsciiString s_invalid("Invalid");
    return kind >= 0 && kind < kDockKindCount ? DockNameAt(kind) : s_invalid;
}

int32_t DockFromName(const AsciiString& name) {
    for (int32_t kind = 0; kind < kDockKindCount; ++kind) {
        if (name == DockNameAt(kind)) {
            return kind;
        }
    }
    return DockKind::Invalid;
}

const ComponentClassInfo& ComponentVisual::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentVisual", ComponentClassId::Visual,
                                           &Component::GetStaticClassInfo());
    return s_info;
}

ComponentVisual::ComponentVisual()
    : m_position(GetOrAddProperty<Vector3>("position", Vector3{})),
      m_origin(GetOrAddProperty<Vector3>("origin", Vector3{})),
      m_originFromCenter(GetOrAddProperty<bool>("originFromCenter", false)),
      m_scale(GetOrAddProperty<Vector3>("scale", Vector3{1.0f, 1.0f, 1.0f})),
      m_colour(GetOrAddProperty<Colour>("colour", kColourWhite)),
      m_width(GetOrAddProperty<float>("width", 100.0f)),
      m_height(GetOrAddProperty<float>("height", 100.0f)),
      m_holdsInput(GetOrAddProperty<bool>("holdsInput", false)),
      m_blocksInputFromGame(GetOrAddProperty<bool>("blocksinputfromgame", false)),
      m_allowStretchX(GetOrAddProperty<bool>("allowStretchX", true)),
      m_allowStretchY(GetOrAddProperty<bool>("allowStretchY", true)),
      m_rotation(GetOrAddProperty<Rotation>("rotation", Rotation{})),
      m_clipsChildren(GetOrAddProperty<bool>("clipsChildren", true)),
      m_alphaBlendEnabled(GetOrAddProperty<bool>("alphaBlendEnabled", true)),
      m_dock(GetOrAddProperty<AsciiString>("dock", AsciiString("None"))),
      m_layoutMarginsTop(GetOrAddProperty<float>("layoutMarginsTop", 0.0f)),
      m_layoutMarginsLeft(GetOrAddProperty<float>("layoutMarginsLeft", 0.0f)),
      m_layoutMarginsRight(GetOrAddProperty<float>("layoutMarginsRight", 0.0f)),
      m_layoutMarginsBottom(GetOrAddProperty<float>("layoutMarginsBottom", 0.0f)),
      m_quadVertices(4),
      m_clippedVertices(4),
      m_clipScratch(4) {
    SetClassInfo(GetStaticClassInfo());
}

Vector3 ComponentVisual::GetPivot() const {
    Vector3 pivot = m_origin->Get();
    if (m_originFromCenter->Get()) {
        pivot.x += m_width->Get() * 0.5f;
        pivot.y += m_height->Get() * 0.5f;
    }
    return pivot;
}

UIRect ComponentVisual::GetLocalRect() const {
    const Vector3 pivot = GetPivot();
    return UIRect{-pivot.x, -pivot.y, m_width->Get() - pivot.x, m_height->Get() - pivot.y};
}

UIRect ComponentVisual::GetLayoutMargins() const {
    return UIRect{m_layoutMarginsLeft->Get(), m_layoutMarginsTop->Get(), m_layoutMarginsRight->Get(),
                  m_layoutMarginsBottom->Get()};
}

UIRect ComponentVisual::GetWorldBounds() const { return MapBounds(GetWorldTransform(), GetLocalRect()); }

UIRect ComponentVisual::GetLocalBounds() const { return MapBounds(GetLocalTransform(), GetLocalRect()); }

const UIVertexList& ComponentVisual::GetVertices() const {
    if (m_clipsChildren->Get()) {
        return m_clippedVertices;
    }
    return Component::GetVertices();
}

UITransform ComponentVisual::GetLocalTransform() const {
    if (!m_localTransformValid) {
        const Vector3 scale = m_scale->Get();
        UITransform::FromPositionRotationScale(m_localTransform, m_position->Get(), -m_rotation->Get().z,
                                               Vector3{scale.x, scale.y, 1.0f});
        m_localTransformValid = true;
    }
    return m_localTransform;
}

UITransform ComponentVisual::GetWorldTransform() const {
    if (!IsLoaded()) {
        return const_cast<ComponentVisual*>(this)->UpdateWorldTransform();
    }
    return m_worldTransform;
}

UITransform ComponentVisual::UpdateWorldTransform() {
    if (GetParent() == nullptr) {
        return GetLocalTransform();
    }
    m_worldTransform = CombineWithParent(GetParent()->UpdateWorldTransform(), GetLocalTransform());
    return m_worldTransform;
}

UITransform ComponentVisual::CombineWithParent(const UITransform& parentWorld,
                                               const UITransform& local) const {
    UITransform world;
    UITransform::Multiply(world, local, parentWorld);
    const bool stretchX = m_allowStretchX->Get();
    const bool stretchY = m_allowStretchY->Get();
    if (stretchX && stretchY) {
        return world;
    }
    const Vector3 l = AxisLengths(local);
    const Vector3 p = AxisLengths(parentWorld);
    const Vector3 w = AxisLengths(world);
    bool maintainHeight = false;
    bool maintainWidth = false;
    static const AsciiString s_maintainHeight("maintainViewportHeight");
    static const AsciiString s_maintainWidth("maintainViewportWidth");
    for (const Component* c = this; c != nullptr; c = c->GetParent()) {
        if (c->IsKindOf(ComponentScreen::GetStaticClassInfo())) {
            const UIProperty<bool>* height = c->FindProperty<bool>(s_maintainHeight);
            const UIProperty<bool>* width = c->FindProperty<bool>(s_maintainWidth);
            maintainHeight = height != nullptr && height->Get();
            maintainWidth = width != nullptr && width->Get();
            break;
        }
    }
    float base;
    float kx;
    float ky;
    if (maintainHeight) {
        base = p.y;
        kx = p.x / p.y;
        ky = 1.0f;
    } else if (maintainWidth) {
        base = p.x;
        kx = 1.0f;
        ky = p.y / p.x;
    } else {
        base = std::min(p.x, p.y);
        if (std::fabs(base) < kStretchTolerance) {
            kx = 0.0f;
            ky = 0.0f;
        } else if (p.x > p.y) {
            kx = p.x / base;
            ky = 1.0f;
        } else {
            kx = 1.0f;
            ky = p.y / base;
        }
    }
    Vector3 wanted{l.x * base, l.y * base, l.z * base};
    if (stretchX) {
        wanted.x *= kx;
    } else if (stretchY) {
        wanted.y *= ky;
    }
    if (!Near(wanted.x, w.x, kStretchTolerance) || !Near(wanted.y, w.y, kStretchTolerance) ||
        !Near(wanted.z, w.z, kStretchTolerance)) {
        const float lengths[3] = {wanted.x, wanted.y, wanted.z};
        const float current[3] = {w.x, w.y, w.z};
        for (int row = 0; row < 3; ++row) {
            float* r = &world.m[row * 4];
            // Rows of rotated or scaled transforms are normalised first.
            const bool normalise = world.kind == 3 || world.kind == 5;
            const float divisor = normalise && current[row] != 0.0f ? current[row] : 1.0f;
            for (int i = 0; i < 3; ++i) {
                r[i] = r[i] / divisor * lengths[row];
            }
        }
        world.kind = static_cast<int32_t>(UITransformKind::General);
    }
    return world;
}

void ComponentVisual::Update(float dt) {
    Component::Update(dt);
    UpdateVisualState();
}

void ComponentVisual::UpdateVisualState() {
    if (m_transformDirty != 0) {
        RecomputeWorldState();
    }
    RecomputeOnScreen();
    RecomputeWorldColour();
    if (!m_layoutDone) {
        PerformLayout();
        m_layoutDone = true;
    }
    if (m_layoutDirty != 0) {
        RebuildOutline();
    }
}

void ComponentVisual::RecomputeWorldState() {
    Component* parent = GetParent();
    const UITransform parentWorld = parent != nullptr ? parent->GetWorldTransform() : UITransform::Identity();
    const UITransform local = GetLocalTransform();
    m_worldTransform = CombineWithParent(parentWorld, local);

    const Vector3 oldPosition = m_worldPosition;
    const Vector3 oldAbsolute = m_absolutePosition;
    const Vector3 oldScale = m_worldScale;
    const float oldRotation = m_worldRotation;
    ComponentVisual* visualParent = AsVisual(parent);
    if (m_allowStretchX->Get() && m_allowStretchY->Get() && local.kind == 0 && visualParent != nullptr) {
        m_worldPosition = visualParent->m_worldPosition;
        m_worldRotation = visualParent->m_worldRotation;
        m_worldScale = visualParent->m_worldScale;
    } else {
        const float* m = m_worldTransform.m;
        m_worldPosition = Vector3{m[12], m[13], m[14]};
        m_worldRotation = 0.0f;
        if (m_worldTransform.kind == 2 || m_worldTransform.kind == 5) {
            Vector3 v{m[0], m[1], m[2]};
            if (!(v.x == 1.0f && v.y == 0.0f && v.z == 0.0f)) {
                v.Normalise();
                if (!(Near(v.x, 1.0f, 0.01f) && Near(v.y, 0.0f, 0.01f) && Near(v.z, 0.0f, 0.01f))) {
                    const float x = std::max(-1.0f, std::min(1.0f, v.x));
                    m_worldRotation = std::acos(x) * kRadiansToDegrees;
                    if (v.y < 0.0f) {
                        m_worldRotation = -m_worldRotation;
                    }
                }
            }
        }
        m_worldScale = AxisLengths(m_worldTransform);
    }
    const Vector3 pivot = GetPivot();
    const float* m = m_worldTransform.m;
    m_absolutePosition = Vector3{m[12] - (pivot.x * m[0] + pivot.y * m[4] + pivot.z * m[8]),
                                 m[13] - (pivot.x * m[1] + pivot.y * m[5] + pivot.z * m[9]),
                                 m[14] - (pivot.x * m[2] + pivot.y * m[6] + pivot.z * m[10])};

    if (!SameVector(oldPosition, m_worldPosition) || !SameVector(oldAbsolute, m_absolutePosition)) {
        OnPropertyChanged(m_position);
        m_transformRevision = AdvanceRevision(m_transformRevision);
    }
    if (!SameVector(oldScale, m_worldScale)) {
        OnPropertyChanged(m_scale);
        m_transformRevision = AdvanceRevision(m_transformRevision);
    }
    if (oldRotation != m_worldRotation) {
        OnPropertyChanged(m_rotation);
        m_transformRevision = AdvanceRevision(m_transformRevision);
    }
    m_transformDirty = 0;
    m_layoutDirty = 1;
    m_layoutRevision = AdvanceRevision(m_layoutRevision);
}

void ComponentVisual::RecomputeOnScreen() {
    const UIRect b = GetWorldBounds();
    const Vector2& screen = UIManager::Get().GetScreenSize();
    m_onScreen = b.right - b.left >= 1.0f && b.bottom - b.top >= 1.0f && b.right > 0.0f &&
                 screen.x > b.left && b.bottom > 0.0f && screen.y > b.top;
}

void ComponentVisual::RecomputeWorldColour() {
    const Colour own = m_colour->Get();
    const Colour parent = GetParent() != nullptr ? GetParent()->GetWorldColour() : kColourWhite;
    auto channel = [](uint8_t mine, uint8_t inherited) {
        return static_cast<uint8_t>(static_cast<float>(mine) / 255.0f * static_cast<float>(inherited));
    };
    const Colour world(channel(own.r, parent.r), channel(own.g, parent.g), channel(own.b, parent.b),
                       channel(own.a, parent.a));
    if (!UIValuesEqual(world, m_worldColour)) {
        m_worldColour = world;
        OnPropertyChanged(m_colour);
    }
}

void ComponentVisual::RebuildOutline() {
    if (!(m_clipsChildren->Get() || m_buildVertices) || !m_onScreen) {
        // Stays dirty: rebuilt once the visual comes on screen.
        m_clippedVertices.clear();
        return;
    }
    const UIVertexList& parentOutline =
        GetParent() != nullptr ? GetParent()->GetVertices() : EmptyUIVertexList();
    if (parentOutline.size() < 3) {
        m_clippedVertices.clear();
        m_layoutDirty = 0;
        return;
    }
    BuildQuad(m_quadVertices);
    UITransform::TransformVertices(m_worldTransform, m_quadVertices, m_quadVertices);
    UIClipPolygon(parentOutline, m_quadVertices, m_clippedVertices, m_clipScratch);
    m_layoutDirty = 0;
    m_layoutRevision = AdvanceRevision(m_layoutRevision);
}

void ComponentVisual::BuildDrawVertices(const UIVertexList& outline, const Colour& colour,
                                        std::vector<ImmediateVertex>& out) {
    if (outline.size() < 3) {
        out.clear();
        return;
    }
    out.resize(outline.size());
    for (size_t i = 0; i < outline.size(); ++i) {
        const UIVertex& from = outline[outline.size() - 1 - i];
        ImmediateVertex& v = out[i];
        v.x = from.x;
        v.y = from.y;
        v.z = from.z;
        v.nx = from.nx;
        v.ny = from.ny;
        v.nz = from.nz;
        v.r = colour.r;
        v.g = colour.g;
        v.b = colour.b;
        v.a = colour.a;
        v.u = from.u;
        v.v = from.v;
    }
}

void ComponentVisual::BuildQuad(UIVertexList& vertices) const {
    const UIRect r = GetLocalRect();
    vertices.assign(4, DefaultUIVertex());
    const float corners[4][2] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].x = corners[i][0];
        vertices[i].y = corners[i][1];
    }
}

Vector3 ComponentVisual::GetAbsolutePosition() {
    if (!IsLoaded()) {
        UpdateWorldTransform();
        const Vector3 pivot = GetPivot();
        const float* m = m_worldTransform.m;
        m_absolutePosition = Vector3{m[12] - (pivot.x * m[0] + pivot.y * m[4] + pivot.z * m[8]),
                                     m[13] - (pivot.x * m[1] + pivot.y * m[5] + pivot.z * m[9]),
                                     m[14] - (pivot.x * m[2] + pivot.y * m[6] + pivot.z * m[10])};
    }
    return m_absolutePosition;
}

void ComponentVisual::OnFinishedLoading() {
    Component::OnFinishedLoading();
    m_layoutDirty = 1;
    InvalidateLayout();
}

void ComponentVisual::OnPropertyChanged(UIPropertyBase* property) {
    Component::OnPropertyChanged(property);
    if (property == m_position) {
        m_transformDirty = 1;
        m_layoutDirty = 1;
        m_localTransformValid = false;
    } else if (property == m_rotation || property == m_scale) {
        m_transformDirty = 1;
        m_layoutDirty = 1;
        m_localTransformValid = false;
    } else if (property == m_origin || property == m_originFromCenter || property == m_allowStretchX ||
               property == m_allowStretchY) {
        m_transformDirty = 1;
        m_layoutDirty = 1;
    } else if (property == m_dock) {
        SetDock(DockFromName(m_dock->Get()));
    }
    if (!IsLoaded()) {
        return;
    }
    const bool size = property == m_width || property == m_height;
    if (size) {
        m_layoutDirty = 1;
    }
    if (size || property == m_origin || property == m_originFromCenter || property == m_layoutMarginsTop ||
        property == m_layoutMarginsLeft || property == m_layoutMarginsRight ||
        property == m_layoutMarginsBottom) {
        InvalidateLayout();
    }
    if (size || property == m_position || property == m_rotation || property == m_scale ||
        property == m_origin || property == m_originFromCenter || property == m_allowStretchX ||
        property == m_allowStretchY) {
        InvalidateParentLayout();
    }
}

void ComponentVisual::InvalidateParentLayout() {
    if (IsLoaded() && GetParent() != nullptr) {
        GetParent()->InvalidateLayout();
    }
}

void ComponentVisual::SetDock(int32_t kind) {
    if (kind == m_dockKind) {
        return;
    }
    if (static_cast<uint32_t>(kind) >= static_cast<uint32_t>(kDockKindCount)) {
        kind = DockKind::Invalid;
        if (kind == m_dockKind) {
            return;
        }
    }
    m_dockKind = kind;
    m_dock->Set(DockName(kind));
    if (IsLoaded()) {
        m_width->RestoreLoadedValue();
        m_height->RestoreLoadedValue();
        m_position->RestoreLoadedValue();
    }
    InvalidateParentLayout();
}

void ComponentVisual::SetLocalBounds(const UIRect& target) {
    const UITransform local = GetLocalTransform();
    UITransform inverse;
    if (!UITransform::Invert(local, inverse)) {
        return;
    }
    const UIRect current = GetLocalBounds();
    const UIRect inLocal = MapBounds(inverse, target);
    const float newWidth = inLocal.right - inLocal.left;
    const float newHeight = inLocal.bottom - inLocal.top;
    const Vector3 pivot = GetPivot();
    const UIRect resized =
        MapBounds(local, UIRect{-pivot.x, -pivot.y, newWidth - pivot.x, newHeight - pivot.y});
    const float dx = target.left - current.left;
    const float dy = target.top - current.top;
    if (!(Near(resized.left + dx, target.left, kBoundsTolerance) &&
          Near(resized.top + dy, target.top, kBoundsTolerance) &&
          Near(resized.right + dx, target.right, kBoundsTolerance) &&
          Near(resized.bottom + dy, target.bottom, kBoundsTolerance))) {
        return;
    }
    if (!Near(m_width->Get(), newWidth, kBoundsTolerance) || !Near(m_height->Get(), newHeight, kBoundsTolerance)) {
        m_width->Set(newWidth);
        m_height->Set(newHeight);
    }
    const Vector3 position = m_position->Get();
    const Vector3 moved{position.x + dx, position.y + dy, position.z};
    if (!Near(position.x, moved.x, kBoundsTolerance) || !Near(position.y, moved.y, kBoundsTolerance)) {
        m_position->Set(moved);
    }
}

void ComponentVisual::PerformLayout() { LayoutDockedChildren(*this); }

void ComponentVisual::LayoutDockedChildren(Component& parent) {
    const UIRect c = parent.GetContainerRect();
    const UIRect m = parent.GetLayoutMargins();
    const UIRect inner{c.left + m.left, c.top + m.top, c.right - m.right, c.bottom - m.bottom};
    DockLayoutState state;
    state.inner = inner;
    state.remaining = inner;
    state.top = UIRect{inner.left, inner.top, inner.right, inner.top};
    state.left = UIRect{inner.left, inner.top, inner.left, inner.bottom};
    state.right = UIRect{inner.right, inner.top, inner.right, inner.bottom};
    state.bottom = UIRect{inner.left, inner.bottom, inner.right, inner.bottom};
    const auto pass = [&](bool (*takes)(int32_t)) {
        for (Component* child = parent.GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
            ComponentVisual* visual = AsVisual(child);
            if (visual != nullptr && takes(visual->m_dockKind)) {
                LayoutDockedChild(*visual, visual->m_dockKind, state);
            }
        }
    };
    pass([](int32_t k) { return k >= DockKind::TopLeft && k <= DockKind::BottomRight; });
    pass([](int32_t k) { return k >= DockKind::Top && k <= DockKind::Bottom; });
    pass([](int32_t k) { return k == DockKind::Fill; });
}

}  // namespace Varnok
