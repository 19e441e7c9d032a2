// A vector image on screen: rasterised at exactly the pixels it covers at its
// position, scale and rotation, and drawn as one textured quad whose corners
// land on those pixels. Between rasters it follows moves exactly and turns and
// scales by transforming the last raster.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/RenderTransforms.h"
#include "engine/text/vector/VectorImageTextureSource.h"

namespace Varnok {

class Texture;

// An angle in radians brought into [-3.14159, 3.14159] by whole turns of 6.28318.
float WrapAngle(float radians);

// The view the sprite is seen through: a view matrix followed by a projection
// whose product maps its units to normalised device coordinates.
struct VectorViewData {
    Matrix43 view;
    Matrix4 projection;

    // The UI's: the look-at from (0, 0, 1) towards the origin with up
    // (0, 1, 0), and a projection over width x height pixels with the origin
    // at the top-left corner and y downward. In it a picture stays upright
    // with a negative y scale.
    static VectorViewData MakeUiPixelView(float width, float height);
};

class VectorImageSprite {
public:
    struct Snapshot {
        float fractionX = 0.0f;
        float fractionY = 0.0f;
        float offsetZ = 0.0f;
        float scaleX = 1.0f;
        float scaleY = 1.0f;
        float rotation = 0.0f;
    };

    VectorImageSprite() = default;
    VectorImageSprite(const VectorImageSprite&) = delete;
    VectorImageSprite& operator=(const VectorImageSprite&) = delete;
    ~VectorImageSprite();

    // Stores the placement (rotation in radians, wrapped) and the view data
    // (kept by the caller for the sprite's life), rasterises once and makes
    // the texture over the raster.
    void Init(const SmartPtr<VectorImage>& image, const Vector3& position, float scaleX,
              float scaleY, float rotation, const VectorViewData* view);

    // Works out the pixel box at the current placement and asks the source
    // for it. A box with a zero side, or a side above the GL's largest
    // texture (logged), gets no raster and is not drawn.
    void Rasterize();
    // Draws the last raster at the current placement.
    void Draw() const;

    // The owner may write these before each draw.
    Vector3 position;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float rotation = 0.0f;

    const Snapshot& GetSnapshot() const { return m_snapshot; }
    const SmartPtr<VectorImageTextureSource>& GetSource() const { return m_source; }
    const SmartPtr<Texture>& GetTexture() const { return m_texture; }
    const ImmediateVertex* GetQuad() const { return m_quad; }
    // Whether the last raster has something to draw.
    bool IsVisible() const { return m_visible; }

private:
    Snapshot m_snapshot;
    SmartPtr<VectorImageTextureSource> m_source;
    SmartPtr<Texture> m_texture;
    const VectorViewData* m_view = nullptr;  // not owned
    ImmediateVertex m_quad[4];
    bool m_visible = false;
};

}  // namespace Varnok
