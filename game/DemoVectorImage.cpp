// Loading and drawing the stand-in game's vector badge.
#include "game/DemoVectorImage.h"

#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/text/vector/SvgLoader.h"
#include "engine/text/vector/VectorImage.h"

namespace Varnok {

bool DemoVectorImage::Load() {
    TiXmlDocument xml;
    if (!LoadXmlDocument(xml, kPicturePath)) {
        Log("DemoVectorImage: could not load svg file: %s", kPicturePath);
        return false;
    }
    std::unique_ptr<SvgDocument> document = SvgLoader::Load(xml.RootElement());
    if (!document) {
        Log("DemoVectorImage: %s: the root element is not \"svg\"", kPicturePath);
        return false;
    }
    SmartPtr<VectorImage> image = new VectorImage();
    image->SetDocument(std::move(document));
    const Renderer& renderer = Renderer::Get();
    m_viewWidth = static_cast<float>(renderer.GetViewportWidth());
    m_viewHeight = static_cast<float>(renderer.GetViewportHeight());
    m_view = VectorViewData::MakeUiPixelView(m_viewWidth, m_viewHeight);
    const DemoVectorPlacement at = PlacementAt(m_seconds, m_viewWidth, m_viewHeight);
    // UI units run downwards: the negative height keeps the badge upright.
    m_sprite.Init(image, Vector3{at.x, at.y, 0.0f}, kSidePixels, -kSidePixels, at.rotation,
                  &m_view);
    return true;
}

void DemoVectorImage::Draw(float elapsedSeconds) {
    m_seconds += elapsedSeconds;
    if (!m_tried) {
        m_tried = true;
        Load();
    }
    if (!m_sprite.GetSource()) {
        return;
    }
    const DemoVectorPlacement at = PlacementAt(m_seconds, m_viewWidth, m_viewHeight);
    m_sprite.position = Vector3{at.x, at.y, 0.0f};
    m_sprite.rotation = WrapAngle(at.rotation);

    // As the UI draws: its view-projection as the projection.
    Renderer& renderer = Renderer::Get();
    renderer.SetDepthTest(false);
    renderer.SetCullMode(kCullOff);
    Matrix4 viewProjection;
    Matrix4::Multiply(Matrix4::FromMatrix43(m_view.view.m), m_view.projection, viewProjection);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.Projection().Set(viewProjection);
    transforms.View().Set(Matrix4::Identity());
    transforms.World().Set(Matrix4::Identity());
    transforms.Apply(false);
    m_sprite.Draw();
}

}  // namespace Varnok
