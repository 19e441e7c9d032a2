// One banner of an ad unit as the provider keeps it: the mediation client's
// banner view with the size it was made with, its scale, its loaded flag and
// the two-step cycle that captures its picture and uploads it.
#pragma once

#include "engine/services/ServiceTypes.h"
#include "providers/Provider_MoPub/MediationClient.h"

#include <cstdint>
#include <memory>

namespace Varnok {

class MoPubBridge;

class CustomAdUnit final : public BannerHitTestOverride {
public:
    // Frames the view at (0, 0) and the size; the bridge receives the uploads
    // and must outlive the unit.
    CustomAdUnit(std::unique_ptr<MediationBannerView> view, AdSize size, MoPubBridge& bridge);
    ~CustomAdUnit() override;
    CustomAdUnit(const CustomAdUnit&) = delete;
    CustomAdUnit& operator=(const CustomAdUnit&) = delete;

    MediationBannerView& View() const { return *m_view; }

    // Stores the scales and makes them the view's transform.
    void SetScale(float widthScale, float heightScale);
    float GetWidthScale() const { return m_scaleWidth; }
    float GetHeightScale() const { return m_scaleHeight; }
    AdSize GetOriginalSize() const { return m_originalSize; }
    void SetLoaded(bool loaded) { m_isLoaded = loaded; }
    bool IsLoaded() const { return m_isLoaded; }

    // One step of the texture cycle: the upload of a waiting capture, else a
    // new capture.
    void UpdateTexture(const char* adUnitId);
    void UploadTexture(const char* adUnitId);
    bool IsTextureReadyToUpload() const { return m_textureReadyToUpload; }
    // Nothing sets them: 0 x 0.
    AdSize ActualTextureDimensions() const { return m_actualTextureDimensions; }

    // Touches reach the banner at any opacity: the hit test runs at alpha 1.
    AdView* HitTest(MediationBannerView& view, float x, float y) override;

private:
    std::unique_ptr<MediationBannerView> m_view;
    MoPubBridge& m_bridge;
    bool m_isLoaded = false;
    AdSize m_originalSize;
    float m_scaleWidth = 1.0f;
    float m_scaleHeight = 1.0f;
    bool m_textureReadyToUpload = false;
    uint32_t m_textureWidth = 0;
    uint32_t m_textureHeight = 0;
    std::unique_ptr<uint8_t[]> m_textureBuffer;  // a capture waiting for upload; null when none
    AdSize m_actualTextureDimensions;
};

}  // namespace Varnok
