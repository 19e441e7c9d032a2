#include "engine/ui/ComponentQuad.h"

#include "engine/render/PrimitiveKind.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

namespace {

constexpr int kBlankTexture = 2;

}  // namespace

const ComponentClassInfo& ComponentQuad::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentQuad", ComponentClassId::Quad,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentQuad::ComponentQuad() : m_quadDrawVertices(4) {
    SetClassInfo(GetStaticClassInfo());
    m_buildVertices = true;
}

void ComponentQuad::BuildQuad(UIVertexList& vertices) const {
    ComponentVisual::BuildQuad(vertices);
    const float uv[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].u = uv[i][0];
        vertices[i].v = uv[i][1];
    }
}

void ComponentQuad::Update(float dt) {
    ComponentVisual::Update(dt);
    BuildDrawVertices(GetOutline(), GetWorldColour(), m_quadDrawVertices);
}

void ComponentQuad::Draw() {
    SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
    const SmartPtr<Texture> texture = UIManager::Get().GetDefaultTexture(kBlankTexture);
    if (texture.Get() == nullptr || m_quadDrawVertices.empty() || !batch.IsActive()) {
        return;
    }
    // The batch keeps the pointer until it draws; the list lives until the
    // next update.
    batch.AddPrimitives(texture, m_quadDrawVertices.data(),
                        static_cast<int32_t>(m_quadDrawVertices.size()),
                        static_cast<int32_t>(PrimitiveKind::TriangleFan), false);
}

}  // namespace Varnok
