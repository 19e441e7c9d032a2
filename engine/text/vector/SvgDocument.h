// The in-memory form of an SVG file: a tree of groups and basic shapes, each
// with its declared style, plus the file's gradients and id tables.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/text/vector/SvgPathData.h"
#include "engine/text/vector/SvgTypes.h"

#include <map>
#include <memory>
#include <vector>

namespace Varnok {

class SvgDocument;
class SvgRenderBackend;

namespace SvgNodeType {
enum : int32_t {
    Document = 0,
    Group = 1,
    Ellipse = 2,
    Line = 3,
    Path = 4,
    Polygon = 5,
    Polyline = 6,
    Rect = 7,
};
}

class SvgNode;

// How a group holds a child. A forwarded reference reads its node from an
// entry of the document's id table, so a "use" may name a later element.
struct SvgNodeRef {
    bool forwarded = false;
    SvgNode* node = nullptr;           // direct references only
    const SvgNodeRef* link = nullptr;  // forwarded references: the id-table entry

    SvgNode* Get() const { return forwarded ? (link != nullptr ? link->node : nullptr) : node; }
};

// Ordered by the engine's string order.
struct SvgIdLess {
    bool operator()(const AsciiString& a, const AsciiString& b) const {
        return AsciiString::Compare(a, b) < 0;
    }
};

class SvgNode {
public:
    explicit SvgNode(SvgDocument* document) : m_document(document) {}
    SvgNode(const SvgNode&) = delete;
    SvgNode& operator=(const SvgNode&) = delete;
    virtual ~SvgNode() = default;

    // In the node's own user space, without its transform.
    virtual SvgBounds GetLocalBounds() const = 0;
    // The local bounds through the node's transform, when it has one.
    virtual SvgBounds GetBounds() const;
    virtual bool IsA(int32_t type) const = 0;
    // Draws the node under the inherited style.
    virtual void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const = 0;

    SvgStyle& GetStyle() { return m_style; }
    const SvgStyle& GetStyle() const { return m_style; }
    SvgDocument* GetDocument() const { return m_document; }

protected:
    SvgDocument* m_document;  // the owner; the document points to itself
    SvgStyle m_style;
};

class SvgGroup : public SvgNode {
public:
    using SvgNode::SvgNode;

    SvgBounds GetLocalBounds() const override;
    bool IsA(int32_t type) const override { return type == SvgNodeType::Group; }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;

    std::vector<SvgNodeRef>& GetChildren() { return m_children; }
    const std::vector<SvgNodeRef>& GetChildren() const { return m_children; }
    void AddChild(SvgNode* node) { m_children.push_back(SvgNodeRef{false, node, nullptr}); }

    // A "use" node: a group whose one child is forwarded.
    bool IsUse() const { return m_isUse; }
    void MarkUse() { m_isUse = true; }

protected:
    std::vector<SvgNodeRef> m_children;
    bool m_isUse = false;
};

class SvgEllipse final : public SvgNode {
public:
    SvgEllipse(SvgDocument* document, float cx, float cy, float rx, float ry)
        : SvgNode(document), m_cx(cx), m_cy(cy), m_rx(rx), m_ry(ry) {}
    SvgBounds GetLocalBounds() const override {
        return SvgBounds{m_cx - m_rx, m_cy - m_ry, m_cx + m_rx, m_cy + m_ry};
    }
    bool IsA(int32_t type) const override { return type == SvgNodeType::Ellipse; }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;

private:
    float m_cx, m_cy, m_rx, m_ry;
};

class SvgLine final : public SvgNode {
public:
    SvgLine(SvgDocument* document, float x1, float y1, float x2, float y2)
        : SvgNode(document), m_x1(x1), m_y1(y1), m_x2(x2), m_y2(y2) {}
    SvgBounds GetLocalBounds() const override;
    bool IsA(int32_t type) const override { return type == SvgNodeType::Line; }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;

private:
    float m_x1, m_y1, m_x2, m_y2;
};

class SvgPath final : public SvgNode {
public:
    using SvgNode::SvgNode;
    SvgBounds GetLocalBounds() const override { return m_store.GetBounds(); }
    bool IsA(int32_t type) const override { return type == SvgNodeType::Path; }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;

    SvgPathStore& GetStore() { return m_store; }
    const SvgPathStore& GetStore() const { return m_store; }

private:
    SvgPathStore m_store;
};

class SvgPolyline : public SvgNode {
public:
    struct Point {
        float x, y;
    };
    using SvgNode::SvgNode;
    SvgBounds GetLocalBounds() const override { return m_bounds; }
    bool IsA(int32_t type) const override { return type == SvgNodeType::Polyline; }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;

    // Appends a point and widens the bounds (the first point sets them).
    void AddPoint(float x, float y);
    const std::vector<Point>& GetPoints() const { return m_points; }

protected:
    void RenderPoints(const SvgRenderStyle& inherited, SvgRenderBackend& backend,
                      bool closed) const;

    SvgBounds m_bounds;
    std::vector<Point> m_points;
};

class SvgPolygon final : public SvgPolyline {
public:
    using SvgPolyline::SvgPolyline;
    bool IsA(int32_t type) const override {
        return type == SvgNodeType::Polygon || type == SvgNodeType::Polyline;
    }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;
};

class SvgRect final : public SvgNode {
public:
    SvgRect(SvgDocument* document, float x0, float y0, float x1, float y1, float rx, float ry)
        : SvgNode(document), m_x0(x0), m_y0(y0), m_x1(x1), m_y1(y1), m_rx(rx), m_ry(ry) {}
    SvgBounds GetLocalBounds() const override { return SvgBounds{m_x0, m_y0, m_x1, m_y1}; }
    bool IsA(int32_t type) const override { return type == SvgNodeType::Rect; }
    void Render(const SvgRenderStyle& inherited, SvgRenderBackend& backend) const override;

private:
    float m_x0, m_y0, m_x1, m_y1, m_rx, m_ry;
};

struct SvgViewBox {
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
};

class SvgDocument final : public SvgGroup {
public:
    SvgDocument();
    ~SvgDocument() override;

    // The viewBox when any of its numbers is non-zero, else the group bounds
    // with their minimum raised to at least 0.
    SvgBounds GetLocalBounds() const override;
    bool IsA(int32_t type) const override {
        return type == SvgNodeType::Document || type == SvgNodeType::Group;
    }

    // Creates a node owned by the document.
    template <typename T, typename... Args>
    T* Create(Args&&... args) {
        auto node = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = node.get();
        m_ownedNodes.push_back(std::move(node));
        return raw;
    }

    // The first registration of an id wins; it fills a forwarded entry.
    void RegisterNodeId(const AsciiString& id, SvgNode* node);
    // The entry of the id, created empty when the id is not known yet.
    const SvgNodeRef* LookUpNodeId(const AsciiString& id);
    // A later gradient of the same id replaces the earlier entry.
    void RegisterGradient(const AsciiString& id, std::unique_ptr<SvgGradient> gradient);
    // Null when unknown.
    SvgGradient* FindGradient(const AsciiString& id) const;

    // After the whole file: cuts "use" references that lead back into their own
    // ancestry, then resolves the gradient paints of every node.
    void FinishLoading();

    SvgViewBox& GetViewBox() { return m_viewBox; }
    const SvgViewBox& GetViewBox() const { return m_viewBox; }
    size_t GetNodeCount() const { return m_ownedNodes.size(); }

private:
    void ResolvePaints(SvgNode& node);
    void ResolvePaint(SvgPaint& paint);
    void ResolveGradient(SvgGradient& gradient);
    void CutCycles();

    std::map<AsciiString, std::unique_ptr<SvgGradient>, SvgIdLess> m_gradients;
    std::map<AsciiString, SvgNodeRef, SvgIdLess> m_nodeIds;
    std::vector<std::unique_ptr<SvgNode>> m_ownedNodes;
    SvgViewBox m_viewBox;
};

}  // namespace Varnok
