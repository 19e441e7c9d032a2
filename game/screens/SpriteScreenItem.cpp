// The sprite item's rectangle.
#include "game/screens/SpriteScreenItem.h"

#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"

namespace Varnok {
namespace {

uint8_t Tinted(uint8_t channel, float tint) {
    const float value = static_cast<float>(channel) * tint;
    return static_cast<uint8_t>(value < 0.0f ? 0.0f : (value > 255.0f ? 255.0f : value));
}

}  // namespace

void SpriteScreenItem::Render(const float tint[3]) {
    if (!m_texture || m_colour.a == 0) {
        return;
    }
    const Vector3 position = GetLogicalPosition();
    // The shared quad spans -0.5..0.5: stretch it over the item's corners.
    const float width = m_quadMax.x - m_quadMin.x;
    const float height = m_quadMax.y - m_quadMin.y;
    Matrix4 world = Matrix4::Identity();
    Matrix4::Scale(world, m_scale.x * width, m_scale.y * height, m_scale.z);
    if (m_rotation != 0.0f) {
        const Angle angle = static_cast<Angle>(static_cast<int32_t>(m_rotation * static_cast<float>(kAngleUnitsPerDegree)));
        Matrix4::RotateZ(world, SinLookup(angle), CosLookup(angle));
    }
    world.m[12] = position.x + m_scale.x * (m_quadMin.x + m_quadMax.x) / 2.0f;
    world.m[13] = position.y + m_scale.y * (m_quadMin.y + m_quadMax.y) / 2.0f;
    world.m[14] = position.z;
    RenderTransforms::Get().World().Set(world);
    RenderTransforms::Get().Apply(false);
    m_texture->Bind();
    DrawColouredQuad(Colour(Tinted(m_colour.r, tint[0]), Tinted(m_colour.g, tint[1]),
                            Tinted(m_colour.b, tint[2]), m_colour.a));
    m_texture->Unbind();
}

}  // namespace Varnok
