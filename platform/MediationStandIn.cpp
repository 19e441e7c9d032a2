// The mediation client's stand-in: banners, shared full-screen controllers,
// custom events by class name and the conversion tracker.
#include "platform/MediationStandIn.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"

#include <algorithm>
#include <utility>

namespace Varnok {
namespace {

// The mediation's own banner picture: a left and a right half.
std::unique_ptr<StandInPlainView> MakeBannerPicture(float width, float height, const AdUnitScript& script) {
    auto view = std::make_unique<StandInPlainView>(AdRect{0.0f, 0.0f, width, height});
    const uint32_t colours[2] = {script.colourLeft, script.colourRight};
    std::vector<uint8_t> pixels;
    for (uint32_t colour : colours) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            pixels.push_back(static_cast<uint8_t>(colour >> shift));
        }
    }
    view->SetContent(std::move(pixels), 2, 1);
    return view;
}

}  // namespace

// ---- Banner views ----

class StandInBannerView final : public StandInView<MediationBannerView>, public BannerCustomEventDelegate {
public:
    StandInBannerView(MediationStandIn& client, std::string adUnitId, float width, float height)
        : StandInView<MediationBannerView>(AdRect{0.0f, 0.0f, width, height}),
          m_client(client),
          m_adUnitId(std::move(adUnitId)) {
        m_client.m_banners[m_adUnitId].push_back(this);
    }
    ~StandInBannerView() override {
        auto& alive = m_client.m_banners[m_adUnitId];
        alive.erase(std::remove(alive.begin(), alive.end(), this), alive.end());
        if (m_adapter != nullptr) {
            m_adapter->SetDelegate(nullptr);
        }
    }

    const std::string& GetAdUnitId() const override { return m_adUnitId; }
    void SetDelegate(MediationBannerDelegate* delegate) override { m_delegate = delegate; }
    void SetIgnoresAutorefresh(bool ignores) override { m_ignoresAutorefresh = ignores; }
    void SetOpaque(bool opaque) override { m_opaque = opaque; }
    void SetClearsContextBeforeDrawing(bool clears) override { m_clearsContext = clears; }
    void SetHitTestOverride(BannerHitTestOverride* override) override { m_override = override; }
    AdView* BaseHitTest(float x, float y) override { return BaseHit(x, y); }
    AdView* HitTest(float x, float y) override {
        return m_override != nullptr ? m_override->HitTest(*this, x, y) : BaseHit(x, y);
    }

    void LoadAd() override {
        const AdUnitScript script = m_client.GetAdUnit(m_adUnitId);
        m_client.Queue().Post(m_life, script.frames, [this, script] { Answer(script); });
    }

    void RequestClose() {
        m_client.Queue().Post(m_life, 1, [this] {
            if (m_delegate != nullptr) {
                m_delegate->OnBannerClose(*this);  // may destroy this view
            }
        });
    }

    void OnBannerCustomEvent(BannerAdEvent event, AdView* view) override {
        if (event == BannerAdEvent::Loaded && view != nullptr) {
            ShowPicture(*view);
            if (m_delegate != nullptr) {
                m_delegate->OnBannerLoaded(*this);
            }
        } else if (event == BannerAdEvent::Failed && m_delegate != nullptr) {
            m_delegate->OnBannerFailed(*this);
        }
    }

private:
    void Answer(const AdUnitScript& script) {
        if (!script.customEventClass.empty()) {
            if (m_adapter != nullptr) {
                m_adapter->SetDelegate(nullptr);
            }
            m_adapter = m_client.MakeBannerCustomEvent(script.customEventClass);
            if (m_adapter != nullptr) {
                m_adapter->SetDelegate(this);
                m_adapter->RequestAd(m_boundsWidth, m_boundsHeight, CustomEventInfo{});
                return;
            }
        } else if (script.fills) {
            m_picture = MakeBannerPicture(m_boundsWidth, m_boundsHeight, script);
            ShowPicture(*m_picture);
            if (m_delegate != nullptr) {
                m_delegate->OnBannerLoaded(*this);
            }
            return;
        }
        if (m_delegate != nullptr) {
            m_delegate->OnBannerFailed(*this);
        }
    }

    // The loaded ad's view becomes the only subview.
    void ShowPicture(AdView& view) {
        while (AdView* old = GetSubview(0)) {
            old->RemoveFromSuperview();
        }
        AddSubview(view);
    }

    MediationStandIn& m_client;
    std::string m_adUnitId;
    MediationBannerDelegate* m_delegate = nullptr;
    BannerHitTestOverride* m_override = nullptr;
    bool m_ignoresAutorefresh = false;
    bool m_opaque = true;
    bool m_clearsContext = false;
    std::unique_ptr<BannerCustomEvent> m_adapter;
    std::unique_ptr<StandInPlainView> m_picture;
    MediationFrameQueue::Life m_life = MediationFrameQueue::MakeLife();
};

// ---- Full-screen controllers ----

class StandInInterstitial final : public MediationInterstitial, public FullscreenCustomEventDelegate {
public:
    StandInInterstitial(MediationStandIn& client, std::string adUnitId)
        : m_client(client), m_adUnitId(std::move(adUnitId)) {}
    ~StandInInterstitial() override {
        if (m_adapter != nullptr) {
            m_adapter->SetDelegate(nullptr);
        }
        m_adapter.reset();
        if (m_presenter != nullptr && m_presenter->GetPresentedModal() == m_screen.get()) {
            m_presenter->DismissModal(false);
        }
    }

    const std::string& GetAdUnitId() const override { return m_adUnitId; }
    void SetDelegate(MediationInterstitialDelegate* delegate) override { m_delegate = delegate; }
    bool IsReady() const override { return m_ready; }
    bool IsShowing() const override { return m_showing; }

    void LoadAd() override {
        m_ready = false;
        const AdUnitScript script = m_client.GetAdUnit(m_adUnitId);
        m_client.Queue().Post(m_life, script.frames, [this, script] { Answer(script); });
    }

    void ShowFromViewController(AdRootViewController& controller) override {
        if (m_adapter != nullptr) {
            m_adapter->ShowFromViewController(controller);
            return;
        }
        if (!m_ready || m_showing) {
            return;
        }
        const AdUnitScript& script = m_client.GetAdUnit(m_adUnitId);
        m_screen = std::make_unique<StandInModalScreen>(m_client.GetMainScreenBounds(), script.colourLeft);
        m_presenter = &controller;
        controller.PresentModal(*m_screen, true);
        m_showing = true;
    }

    // The user closes the mediation's own screen; false when it is not up.
    bool Close() {
        if (!m_showing || m_screen == nullptr) {
            return false;
        }
        if (m_presenter != nullptr && m_presenter->GetPresentedModal() == m_screen.get()) {
            m_presenter->DismissModal(true);
        }
        m_presenter = nullptr;
        m_showing = false;
        m_ready = false;
        m_client.Queue().Post(m_life, 1, [this] {
            if (m_delegate != nullptr) {
                m_delegate->OnInterstitialDidDisappear(*this);
            }
        });
        return true;
    }

    void OnFullscreenCustomEvent(FullscreenAdEvent event) override {
        switch (event) {
            case FullscreenAdEvent::Loaded:
                m_ready = true;
                if (m_delegate != nullptr) m_delegate->OnInterstitialLoaded(*this);
                break;
            case FullscreenAdEvent::Failed:
                m_ready = false;
                m_showing = false;
                if (m_delegate != nullptr) m_delegate->OnInterstitialFailed(*this);
                break;
            case FullscreenAdEvent::WillAppear:
                m_showing = true;
                break;
            case FullscreenAdEvent::DidDisappear:
                m_showing = false;
                m_ready = false;
                if (m_delegate != nullptr) m_delegate->OnInterstitialDidDisappear(*this);
                break;
            default:
                break;
        }
    }

private:
    void Answer(const AdUnitScript& script) {
        if (!script.customEventClass.empty()) {
            if (m_adapter != nullptr) {
                m_adapter->SetDelegate(nullptr);
            }
            m_adapter = m_client.MakeFullscreenCustomEvent(script.customEventClass);
            if (m_adapter != nullptr) {
                m_adapter->SetDelegate(this);
                m_adapter->RequestAd(CustomEventInfo{});
                return;
            }
        } else if (script.fills) {
            m_ready = true;
            if (m_delegate != nullptr) {
                m_delegate->OnInterstitialLoaded(*this);
            }
            return;
        }
        if (m_delegate != nullptr) {
            m_delegate->OnInterstitialFailed(*this);
        }
    }

    MediationStandIn& m_client;
    std::string m_adUnitId;
    MediationInterstitialDelegate* m_delegate = nullptr;
    bool m_ready = false;
    bool m_showing = false;
    std::unique_ptr<FullscreenCustomEvent> m_adapter;
    std::unique_ptr<StandInModalScreen> m_screen;
    AdRootViewController* m_presenter = nullptr;
    MediationFrameQueue::Life m_life = MediationFrameQueue::MakeLife();
};

// ---- The client ----

MediationStandIn::MediationStandIn(const MediationStandInDef& def)
    : m_def(def), m_networks(m_queue, def.screenBounds) {
    if (m_def.hasRootViewController) {
        m_root = std::make_unique<StandInRootViewController>(m_def.rootViewFrame);
    }
    PlatformEventHub::Get().postUpdate.Add(Delegate1<void, float>(this, &MediationStandIn::OnPostUpdate));
}

MediationStandIn::~MediationStandIn() {
    PlatformEventHub::Get().postUpdate.Remove(Delegate1<void, float>(this, &MediationStandIn::OnPostUpdate));
    m_interstitials.clear();
}

void MediationStandIn::OnPostUpdate(float /*stepSeconds*/) {
    AdvanceFrame();
}

void MediationStandIn::SetAdUnit(const std::string& adUnitId, const AdUnitScript& script) {
    m_adUnits[adUnitId] = script;
}

const AdUnitScript& MediationStandIn::GetAdUnit(const std::string& adUnitId) const {
    static const AdUnitScript s_default;
    const auto found = m_adUnits.find(adUnitId);
    return found != m_adUnits.end() ? found->second : s_default;
}

void MediationStandIn::AdvanceFrame() {
    m_queue.Advance();
}

void MediationStandIn::AdvanceFrames(int count) {
    for (int i = 0; i < count; ++i) {
        m_queue.Advance();
    }
}

bool MediationStandIn::CloseFullscreenAd() {
    for (auto& entry : m_interstitials) {
        if (entry.second->Close()) {
            return true;
        }
    }
    return m_networks.CloseShownAd();
}

void MediationStandIn::RequestBannerClose(const std::string& adUnitId) {
    const auto found = m_banners.find(adUnitId);
    if (found == m_banners.end()) {
        return;
    }
    for (MediationBannerView* view : found->second) {
        static_cast<StandInBannerView*>(view)->RequestClose();
    }
}

AdView* MediationStandIn::Tap(float x, float y) {
    if (m_root == nullptr) {
        return nullptr;
    }
    AdView* hit = m_root->HitTestScreen(x, y);
    if (const auto* button = dynamic_cast<StandInButton*>(hit)) {
        button->TouchUpInside();
    }
    return hit;
}

bool MediationStandIn::HasCustomEvent(const char* className) const {
    return m_fullscreenEvents.count(className) != 0 || m_bannerEvents.count(className) != 0;
}

std::unique_ptr<MediationBannerView> MediationStandIn::CreateBannerView(const std::string& adUnitId,
                                                                        float width, float height) {
    return std::make_unique<StandInBannerView>(*this, adUnitId, width, height);
}

MediationInterstitial* MediationStandIn::GetSharedInterstitial(const std::string& adUnitId) {
    std::unique_ptr<StandInInterstitial>& slot = m_interstitials[adUnitId];
    if (slot == nullptr) {
        slot = std::make_unique<StandInInterstitial>(*this, adUnitId);
    }
    return slot.get();
}

void MediationStandIn::RemoveSharedInterstitial(MediationInterstitial* controller) {
    for (auto it = m_interstitials.begin(); it != m_interstitials.end(); ++it) {
        if (it->second.get() == controller) {
            m_interstitials.erase(it);
            return;
        }
    }
}

void MediationStandIn::ReportApplicationOpen(const std::string& applicationId) {
    m_conversions.push_back(applicationId);
}

void MediationStandIn::RegisterCustomEvent(const char* className, FullscreenCustomEventFactory factory) {
    m_fullscreenEvents[className] = factory;
}

void MediationStandIn::RegisterCustomEvent(const char* className, BannerCustomEventFactory factory) {
    m_bannerEvents[className] = factory;
}

std::unique_ptr<FullscreenCustomEvent> MediationStandIn::MakeFullscreenCustomEvent(const std::string& className) const {
    const auto found = m_fullscreenEvents.find(className);
    if (found == m_fullscreenEvents.end() || found->second == nullptr) {
        Log("Mediation: no full-screen custom event class %s", className.c_str());
        return nullptr;
    }
    return found->second();
}

std::unique_ptr<BannerCustomEvent> MediationStandIn::MakeBannerCustomEvent(const std::string& className) const {
    const auto found = m_bannerEvents.find(className);
    if (found == m_bannerEvents.end() || found->second == nullptr) {
        Log("Mediation: no banner custom event class %s", className.c_str());
        return nullptr;
    }
    return found->second();
}

std::unique_ptr<AdView> MediationStandIn::CreateView(const AdRect& frame, uint32_t backgroundRgba) {
    auto view = std::make_unique<StandInPlainView>(frame);
    view->SetBackground(backgroundRgba);
    return view;
}

std::unique_ptr<AdButton> MediationStandIn::CreateButton(const AdRect& frame) {
    return std::make_unique<StandInButton>(frame);
}

}  // namespace Varnok
