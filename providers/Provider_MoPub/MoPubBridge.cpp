// The bridge's banner textures and its forwarding to the platform delegate.
#include "providers/Provider_MoPub/MoPubBridge.h"

#include "engine/core/Log.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/Texture2D.h"
#include "providers/Provider_MoPub/MoPubAdService.h"
#include "providers/Provider_MoPub/MoPubDelegate.h"
#include "providers/Provider_MoPub/Provider_MoPubCustomNetworks.h"

#include <vector>

namespace Varnok {
namespace {

std::shared_ptr<MediationClient>& InstalledClient() {
    static std::shared_ptr<MediationClient> s_client;
    return s_client;
}

// Flat RGBA, 8 bits a channel, one layer and level, no content rectangle.
TextureDescription BannerDescription(int width, int height) {
    return RgbaDescription(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
}

// A texture description holds 16-bit sides.
constexpr int kMaxTextureSide = 0xFFFF;

std::string PlatformString(const AsciiString& text) {
    return std::string(text.c_str());
}

}  // namespace

MoPubBridge& MoPubBridge::Instance() {
    static MoPubBridge s_bridge;
    return s_bridge;
}

void MoPubBridge::InstallClient(std::shared_ptr<MediationClient> client) {
    InstalledClient() = std::move(client);
}

MediationClient* MoPubBridge::GetInstalledClient() {
    return InstalledClient().get();
}

MoPubBridge::MoPubBridge() : m_delegate(std::make_unique<MoPubDelegate>(*this, GetInstalledClient())) {}

MoPubBridge::~MoPubBridge() {
    m_delegate.reset();
    m_textures.clear();
}

void MoPubBridge::Reset() {
    m_delegate.reset();
    m_textures.clear();
    m_fullscreenAdDismissed.Clear();
    m_fullscreenLoaded.Clear();
    m_fullscreenFailed.Clear();
    m_bannerLoaded.Clear();
    m_bannerFailed.Clear();
    m_refreshCounter = 0;
    m_delegate = std::make_unique<MoPubDelegate>(*this, GetInstalledClient());
}

void MoPubBridge::Update() {
    if (++m_refreshCounter < kTextureRefreshUpdates) {
        return;
    }
    m_refreshCounter = 0;
    for (const auto& entry : m_textures) {
        m_delegate->UpdateTexture(PlatformString(entry.first));
    }
}

void MoPubBridge::StartNetworks(const MoPubAdService& service) {
    if (const AsciiString* key = service.FindCustomData("MOBCLIX_APP_KEY")) {
        Provider_MoPubCustomNetwork_Mobclix::InitMobclix(key->c_str());
    }
    if (const AsciiString* key = service.FindCustomData("GREYSTRIPE_APP_KEY")) {
        Provider_MoPubCustomNetwork_Greystripe::InitGreystripe(key->c_str());
    }
    if (const AsciiString* key = service.FindCustomData("INMOBI_APP_KEY")) {
        Provider_MoPubCustomNetwork_InMobi::InitInMobi(key->c_str());
    }
    MediationClient* client = GetInstalledClient();
    if (client == nullptr) {
        return;
    }
    if (const AsciiString* appId = service.FindCustomData("ITUNES_APP_ID")) {
        client->ReportApplicationOpen(appId->c_str());
    }
    RegisterCustomNetworkAdapters(*client);
}

SmartPtr<Texture> MoPubBridge::GetBannerTexture(const AsciiString& adUnitId) {
    const auto found = m_textures.find(adUnitId);
    if (found != m_textures.end()) {
        return found->second.texture;
    }
    std::vector<uint8_t> zeros(size_t(kInitialTextureWidth) * kInitialTextureHeight * 4, 0);
    SmartPtr<MemoryBlockTextureSource> source(new MemoryBlockTextureSource(
        BannerDescription(kInitialTextureWidth, kInitialTextureHeight), zeros.data(), zeros.size(), true));
    SmartPtr<Texture> texture = Texture2D::Create(source, 0, TextureCreateMode::Scale);
    if (texture) {
        m_textures[adUnitId] = BannerTexture{source, texture, kInitialTextureWidth, kInitialTextureHeight};
    }
    // A banner already there is captured at once.
    m_delegate->UpdateTexture(PlatformString(adUnitId));
    return texture;
}

void MoPubBridge::UploadBannerTexture(const AsciiString& adUnitId, const uint8_t* pixels, int width,
                                      int height) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    if (width > kMaxTextureSide || height > kMaxTextureSide) {
        Log("MoPub: a %dx%d banner capture is too large for a texture; not uploaded", width, height);
        return;
    }
    const auto found = m_textures.find(adUnitId);
    if (found == m_textures.end()) {
        return;
    }
    BannerTexture& entry = found->second;
    const size_t byteCount = size_t(width) * height * 4;
    if (width == entry.width && height == entry.height) {
        entry.source->SetData(pixels, byteCount, true);
        return;
    }
    entry.source->Reset(BannerDescription(width, height), pixels, byteCount, true);
    entry.width = width;
    entry.height = height;
}

const MoPubBridge::BannerTexture* MoPubBridge::FindBannerTexture(const AsciiString& adUnitId) const {
    const auto found = m_textures.find(adUnitId);
    return found != m_textures.end() ? &found->second : nullptr;
}

void MoPubBridge::AddFullscreenAdDismissedListener(const Delegate0<void>& listener) {
    m_fullscreenAdDismissed.Add(listener);
}

void MoPubBridge::RemoveFullscreenAdDismissedListener(const Delegate0<void>& listener) {
    m_fullscreenAdDismissed.Remove(listener);
}

// ---- Forwarding ----

void MoPubBridge::LoadFullscreenAd(const AsciiString& adUnitId) {
    m_delegate->LoadFullscreenAd(PlatformString(adUnitId));
}

void MoPubBridge::ShowFullscreenAd() {
    m_delegate->ShowFullscreenAd();
}

void MoPubBridge::DismissFullscreenAd() {
    m_delegate->DismissFullscreenAd();
}

bool MoPubBridge::IsBannerAdLoaded(const AsciiString& adUnitId) {
    return m_delegate->IsBannerAdLoaded(PlatformString(adUnitId));
}

void MoPubBridge::LoadBannerAd(const AsciiString& adUnitId, const AdSize& size) {
    m_delegate->LoadBannerAd(PlatformString(adUnitId), size);
}

void MoPubBridge::ShowBannerAd(const AsciiString& adUnitId, int x, int y, bool centred, float scale) {
    m_delegate->ShowBannerAd(PlatformString(adUnitId), static_cast<float>(x), static_cast<float>(y),
                             centred, scale);
}

void MoPubBridge::ShowBannerAd(const AsciiString& adUnitId, int x, int y, bool centred, int width,
                               int height) {
    m_delegate->ShowBannerAd(PlatformString(adUnitId), static_cast<float>(x), static_cast<float>(y),
                             centred, width, height);
}

void MoPubBridge::HideBannerAd(const AsciiString& adUnitId) {
    m_delegate->HideBannerAd(PlatformString(adUnitId));
}

void MoPubBridge::MoveBannerAd(const AsciiString& adUnitId, int x, int y, bool centred) {
    m_delegate->MoveBannerAd(PlatformString(adUnitId), static_cast<float>(x), static_cast<float>(y),
                             centred);
}

void MoPubBridge::MoveBannerAd(const AsciiString& adUnitId, int x, int y, bool centred, float scale) {
    m_delegate->MoveBannerAd(PlatformString(adUnitId), static_cast<float>(x), static_cast<float>(y),
                             centred, scale);
}

void MoPubBridge::SetBannerAdOpacity(const AsciiString& adUnitId, float opacity) {
    m_delegate->SetBannerAdOpacity(PlatformString(adUnitId), opacity);
}

void MoPubBridge::SetViewportBounds(const AdViewportBounds& bounds) {
    m_delegate->SetViewportBounds(bounds);
}

}  // namespace Varnok
