// A screen item that draws one textured rectangle in its colour.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "game/screens/ScreenItem.h"

namespace Varnok {

class SpriteScreenItem : public ScreenItem {
public:
    SpriteScreenItem() { m_rotation = 0.0f; }

    // Nothing without a texture or with a colour alpha of 0; else the
    // rectangle m_quadMin..m_quadMax scaled, turned and placed at the
    // logical position, its colour times the tint (alpha unchanged).
    void Render(const float tint[3]) override;
    int GetTypeId() const override { return 1; }

    SmartPtr<Texture> m_texture;
    SmartPtr<Texture> m_resource;  // held for the item's life
};

}  // namespace Varnok
