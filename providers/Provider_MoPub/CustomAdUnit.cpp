// The banner's capture-and-upload cycle and its hit test at full opacity.
#include "providers/Provider_MoPub/CustomAdUnit.h"

#include "engine/core/AsciiString.h"
#include "engine/core/UIImageHelper.h"
#include "providers/Provider_MoPub/MoPubBridge.h"

#include <utility>

namespace Varnok {

CustomAdUnit::CustomAdUnit(std::unique_ptr<MediationBannerView> view, AdSize size,
                           MoPubBridge& bridge)
    : m_view(std::move(view)), m_bridge(bridge), m_originalSize(size) {
    m_view->SetFrame(AdRect{0.0f, 0.0f, static_cast<float>(size.m_width),
                            static_cast<float>(size.m_height)});
}

CustomAdUnit::~CustomAdUnit() {
    m_view->SetHitTestOverride(nullptr);
    m_view->SetDelegate(nullptr);
}

void CustomAdUnit::SetScale(float widthScale, float heightScale) {
    m_scaleWidth = widthScale;
    m_scaleHeight = heightScale;
    m_view->SetScale(widthScale, heightScale);
}

void CustomAdUnit::UpdateTexture(const char* adUnitId) {
    if (m_textureReadyToUpload) {
        UploadTexture(adUnitId);
        m_textureReadyToUpload = false;
        return;
    }
    // The picture is taken unscaled, at the origin and fully opaque, whatever
    // the banner looks like on the screen.
    const float scaleX = m_view->GetScaleX();
    const float scaleY = m_view->GetScaleY();
    const float centerX = m_view->GetCenterX();
    const float centerY = m_view->GetCenterY();
    const float alpha = m_view->GetAlpha();
    m_view->SetScale(1.0f, 1.0f);
    const AdRect frame = m_view->GetFrame();
    m_view->SetCenter(frame.width * 0.5f, frame.height * 0.5f);
    m_view->SetAlpha(1.0f);
    int width = 0;
    int height = 0;
    m_textureBuffer = UIImageHelper::ConvertViewToBitmapRGBA8(*m_view, &width, &height, false);
    m_textureWidth = m_textureBuffer ? static_cast<uint32_t>(width) : 0;
    m_textureHeight = m_textureBuffer ? static_cast<uint32_t>(height) : 0;
    m_view->SetScale(scaleX, scaleY);
    m_view->SetCenter(centerX, centerY);
    m_view->SetAlpha(alpha);
    m_textureReadyToUpload = true;
}

void CustomAdUnit::UploadTexture(const char* adUnitId) {
    if (!m_textureReadyToUpload) {
        return;
    }
    m_bridge.UploadBannerTexture(AsciiString(adUnitId), m_textureBuffer.get(),
                                 static_cast<int>(m_textureWidth), static_cast<int>(m_textureHeight));
    m_textureBuffer.reset();
}

AdView* CustomAdUnit::HitTest(MediationBannerView& view, float x, float y) {
    const float alpha = view.GetAlpha();
    view.SetAlpha(1.0f);
    AdView* hit = view.BaseHitTest(x, y);
    view.SetAlpha(alpha);
    return hit;
}

}  // namespace Varnok
