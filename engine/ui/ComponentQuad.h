// A plain panel: the visual's outline filled with its world colour.
#pragma once

#include "engine/render/ImmediateVertex.h"
#include "engine/ui/ComponentVisual.h"

#include <vector>

namespace Varnok {

class ComponentQuad : public ComponentVisual {
public:
    ComponentQuad();

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    // Queues one triangle fan with the blank texture into the 2D batch.
    void Draw() override;
    // The visual's quad with texture coordinates (0, 0) .. (1, 1).
    void BuildQuad(UIVertexList& vertices) const override;

    // Empty while the outline has fewer than three vertices.
    const std::vector<ImmediateVertex>& GetDrawVertices() const { return m_quadDrawVertices; }

private:
    std::vector<ImmediateVertex> m_quadDrawVertices;  // the outline reversed, in world colour
};

}  // namespace Varnok
