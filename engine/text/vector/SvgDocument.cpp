// The document tree: bounds, id tables, paint resolution and drawing of each
// node through the backend.
#include "engine/text/vector/SvgDocument.h"

#include "engine/text/vector/SvgRenderBackend.h"

#include <algorithm>
#include <unordered_map>

namespace Varnok {

// ---- value types ----

void SvgBounds::Unite(const SvgBounds& other) {
    if (other.IsEmpty()) {
        return;
    }
    if (IsEmpty()) {
        *this = other;
        return;
    }
    minX = std::min(minX, other.minX);
    minY = std::min(minY, other.minY);
    maxX = std::max(maxX, other.maxX);
    maxY = std::max(maxY, other.maxY);
}

SvgBounds SvgBounds::Mapped(const SvgAffine& matrix) const {
    float xs[4];
    float ys[4];
    matrix.Map(minX, minY, xs[0], ys[0]);
    matrix.Map(maxX, minY, xs[1], ys[1]);
    matrix.Map(minX, maxY, xs[2], ys[2]);
    matrix.Map(maxX, maxY, xs[3], ys[3]);
    return SvgBounds{*std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4),
                     *std::max_element(xs, xs + 4), *std::max_element(ys, ys + 4)};
}

SvgRenderStyle SvgRenderStyle::Merged(const SvgStyle& declared) const {
    SvgRenderStyle style = *this;
    if (declared.hasTransform) {
        style.matrix = matrix.Times(declared.transform);
    }
    if (declared.strokeWidthSet) {
        style.strokeWidth = declared.strokeWidth;
    }
    if (declared.strokeSet) {
        style.stroke = declared.stroke;
    }
    if (declared.fillOpacitySet) {
        style.fillOpacity = declared.fillOpacity;
    }
    if (declared.fillSet) {
        style.fill = declared.fill;
    }
    if (declared.fillRuleSet) {
        style.fillRule = declared.fillRule;
    }
    return style;
}

// ---- nodes ----

SvgBounds SvgNode::GetBounds() const {
    const SvgBounds local = GetLocalBounds();
    return m_style.hasTransform ? local.Mapped(m_style.transform) : local;
}

SvgBounds SvgGroup::GetLocalBounds() const {
    SvgBounds bounds;
    for (const SvgNodeRef& child : m_children) {
        const SvgNode* node = child.Get();
        if (node != nullptr) {
            bounds.Unite(node->GetBounds());
        }
    }
    return bounds;
}

void SvgGroup::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    const SvgRenderStyle style = inherited.Merged(m_style);
    for (const SvgNodeRef& child : m_children) {
        const SvgNode* node = child.Get();
        if (node != nullptr) {
            node->Render(style, backend);
        }
    }
}

void SvgEllipse::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    if (!(m_rx > 0.0f && m_ry > 0.0f)) {
        return;
    }
    backend.Ellipse(inherited.Merged(m_style), m_cx, m_cy, m_rx, m_ry);
    backend.Draw();
}

SvgBounds SvgLine::GetLocalBounds() const {
    return SvgBounds{std::min(m_x1, m_x2), std::min(m_y1, m_y2), std::max(m_x1, m_x2),
                     std::max(m_y1, m_y2)};
}

void SvgLine::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    // A line is never filled and falls back to a visible stroke; its own
    // "stroke: none" still hides it.
    SvgRenderStyle base = inherited;
    base.fill.type = SvgPaintType::None;
    if (base.stroke.type == SvgPaintType::None) {
        base.stroke.type = SvgPaintType::Colour;
    }
    backend.Begin(base.Merged(m_style), GetLocalBounds());
    backend.MoveTo(m_x1, m_y1);
    backend.LineTo(m_x2, m_y2);
    backend.End();
    backend.Draw();
}

void SvgPath::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    backend.Begin(inherited.Merged(m_style), m_store.GetBounds());
    m_store.Replay(backend);
    backend.End();
    backend.Draw();
}

void SvgPolyline::AddPoint(float x, float y) {
    if (m_points.empty()) {
        m_bounds = SvgBounds{x, y, x, y};
    } else {
        m_bounds.minX = std::min(m_bounds.minX, x);
        m_bounds.minY = std::min(m_bounds.minY, y);
        m_bounds.maxX = std::max(m_bounds.maxX, x);
        m_bounds.maxY = std::max(m_bounds.maxY, y);
    }
    m_points.push_back(Point{x, y});
}

void SvgPolyline::RenderPoints(const SvgRenderStyle& inherited, SvgRenderBackend& backend,
                               bool closed) const {
    if (m_points.size() < 2) {
        return;
    }
    backend.Begin(inherited.Merged(m_style), m_bounds);
    backend.MoveTo(m_points[0].x, m_points[0].y);
    for (size_t i = 1; i < m_points.size(); ++i) {
        backend.LineTo(m_points[i].x, m_points[i].y);
    }
    if (closed) {
        backend.Close();
    } else {
        backend.End();
    }
    backend.Draw();
}

void SvgPolyline::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    RenderPoints(inherited, backend, false);
}

void SvgPolygon::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    RenderPoints(inherited, backend, true);
}

void SvgRect::Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const {
    backend.Begin(inherited.Merged(m_style), GetLocalBounds());
    if (m_rx == 0.0f || m_ry == 0.0f) {
        backend.MoveTo(m_x0, m_y0);
        backend.LineTo(m_x1, m_y0);
        backend.LineTo(m_x1, m_y1);
        backend.LineTo(m_x0, m_y1);
    } else {
        const float r = std::min(m_rx, (m_x1 - m_x0) / 2);
        const float q = std::min(m_ry, (m_y1 - m_y0) / 2);
        backend.MoveTo(m_x0, m_y0 + q);
        backend.ArcTo(r, q, 0.0f, false, true, m_x0 + r, m_y0);
        backend.LineTo(m_x1 - r, m_y0);
        backend.ArcTo(r, q, 0.0f, false, true, m_x1, m_y0 + q);
        backend.LineTo(m_x1, m_y1 - q);
        backend.ArcTo(r, q, 0.0f, false, true, m_x1 - r, m_y1);
        backend.LineTo(m_x0 + r, m_y1);
        backend.ArcTo(r, q, 0.0f, false, true, m_x0, m_y1 - q);
    }
    backend.Close();
    backend.Draw();
}

// ---- the document ----

SvgDocument::SvgDocument() : SvgGroup(nullptr) {
    m_document = this;
}

SvgDocument::~SvgDocument() = default;

SvgBounds SvgDocument::GetLocalBounds() const {
    const SvgViewBox& v = m_viewBox;
    if (v.x != 0.0f || v.y != 0.0f || v.width != 0.0f || v.height != 0.0f) {
        return SvgBounds{v.x, v.y, v.x + v.width, v.y + v.height};
    }
    SvgBounds bounds = SvgGroup::GetLocalBounds();
    bounds.minX = std::max(bounds.minX, 0.0f);
    bounds.minY = std::max(bounds.minY, 0.0f);
    return bounds;
}

void SvgDocument::RegisterNodeId(const AsciiString& id, SvgNode* node) {
    if (id.Length() == 0 || node == nullptr) {
        return;
    }
    SvgNodeRef& entry = m_nodeIds[id];
    if (entry.node == nullptr) {
        entry.node = node;
    }
}

const SvgNodeRef* SvgDocument::LookUpNodeId(const AsciiString& id) {
    return &m_nodeIds[id];  // std::map entries stay where they are
}

void SvgDocument::RegisterGradient(const AsciiString& id, std::unique_ptr<SvgGradient> gradient) {
    m_gradients[id] = std::move(gradient);
}

SvgGradient* SvgDocument::FindGradient(const AsciiString& id) const {
    auto it = m_gradients.find(id);
    return it != m_gradients.end() ? it->second.get() : nullptr;
}

void SvgDocument::CutCycles() {
    // Depth-first over groups, following "use" references: a reference to a
    // group still on the walk would draw forever, so that "use" loses its child.
    enum State : uint8_t { Unseen = 0, OnWalk = 1, Done = 2 };
    std::unordered_map<const SvgNode*, State> states;
    struct Frame {
        SvgGroup* group;
        size_t next;
    };
    std::vector<Frame> walk;
    states[this] = OnWalk;
    walk.push_back(Frame{this, 0});
    while (!walk.empty()) {
        Frame& frame = walk.back();
        std::vector<SvgNodeRef>& children = frame.group->GetChildren();
        if (frame.next >= children.size()) {
            states[frame.group] = Done;
            walk.pop_back();
            continue;
        }
        SvgNodeRef& ref = children[frame.next++];
        SvgNode* child = ref.Get();
        if (child == nullptr || !child->IsA(SvgNodeType::Group)) {
            continue;
        }
        State& state = states[child];
        if (state == OnWalk) {
            ref = SvgNodeRef{};  // only a forwarded reference can close a loop
            continue;
        }
        if (state == Unseen) {
            state = OnWalk;
            walk.push_back(Frame{static_cast<SvgGroup*>(child), 0});
        }
    }
}

void SvgDocument::FinishLoading() {
    CutCycles();
    // Every node's paints, reachable or not: resolving is idempotent and a
    // node out of reach is never drawn.
    ResolvePaints(*this);
    for (const std::unique_ptr<SvgNode>& node : m_ownedNodes) {
        ResolvePaints(*node);
    }
}

void SvgDocument::ResolvePaints(SvgNode& node) {
    SvgStyle& style = node.GetStyle();
    if (style.strokeSet) {
        ResolvePaint(style.stroke);
    }
    if (style.fillSet) {
        ResolvePaint(style.fill);
    }
}

void SvgDocument::ResolvePaint(SvgPaint& paint) {
    if (paint.type != SvgPaintType::Gradient || paint.gradient != nullptr) {
        return;
    }
    paint.gradient = FindGradient(paint.gradientId);
    if (paint.gradient != nullptr) {
        ResolveGradient(*paint.gradient);
    }
}

void SvgDocument::ResolveGradient(SvgGradient& gradient) {
    if (gradient.href.Length() > 0) {
        SvgGradient* parent = FindGradient(gradient.href);
        gradient.href = AsciiString::Empty();  // a chain that loops back ends here
        if (parent != nullptr) {
            ResolveGradient(*parent);
            if (gradient.stops.empty()) {
                gradient.stops = parent->stops;
            }
            if (gradient.units == SvgGradientUnits::NotGiven) {
                gradient.units = parent->units;
            }
            if (gradient.spread == SvgSpread::NotGiven) {
                gradient.spread = parent->spread;
            }
        }
    }
    if (gradient.units == SvgGradientUnits::NotGiven) {
        gradient.units = SvgGradientUnits::ObjectBoundingBox;
    }
    if (gradient.spread == SvgSpread::NotGiven) {
        gradient.spread = SvgSpread::Pad;
    }
}

}  // namespace Varnok
