// The three network clients' stand-in ads.
#include "platform/AdNetworkStandIns.h"

#include <initializer_list>

namespace Varnok {

class StandInNetworkAd final : public AdNetworkAd {
public:
    StandInNetworkAd(AdNetworkStandIns& clients, const AdNetworkAdDef& def, AdNetworkListener* listener)
        : m_clients(clients), m_def(def), m_listener(listener) {
        if (m_def.format != AdNetworkFormat::Fullscreen) {
            const bool large = m_def.format != AdNetworkFormat::Banner320x50;
            m_view = std::make_unique<StandInPlainView>(
                AdRect{0.0f, 0.0f, large ? 300.0f : 320.0f, large ? 250.0f : 50.0f});
            if (m_def.frame.width > 0.0f && m_def.frame.height > 0.0f) {
                m_view->SetFrame(m_def.frame);
            }
        }
    }
    ~StandInNetworkAd() override {
        if (m_presenter != nullptr && m_presenter->GetPresentedModal() == m_screen.get()) {
            m_presenter->DismissModal(false);  // the screen goes with its ad
        }
        if (m_clients.m_shown == this) {
            m_clients.m_shown = nullptr;
        }
    }

    const AdNetworkAdDef& GetDef() const override { return m_def; }
    void SetListener(AdNetworkListener* listener) override { m_listener = listener; }
    void Fetch() override {
        const bool fills = m_clients.Fills(m_def.network, m_def.format);
        m_clients.m_queue.Post(m_life, 1, [this, fills] {
            m_ready = fills;
            if (fills && m_view != nullptr) {
                m_view->SetBackground(AdNetworkStandIns::NetworkColour(m_def.network));
            }
            Report({fills ? AdNetworkEvent::Loaded : AdNetworkEvent::Failed});
        });
    }
    bool IsReady() const override { return m_ready; }
    void PresentFrom(AdRootViewController& controller, bool animated) override {
        if (m_def.format != AdNetworkFormat::Fullscreen || !m_ready) {
            m_clients.m_queue.Post(m_life, 1, [this] { Report({AdNetworkEvent::FailedToPresent}); });
            return;
        }
        m_screen = std::make_unique<StandInModalScreen>(m_clients.m_screenBounds,
                                                        AdNetworkStandIns::NetworkColour(m_def.network));
        m_presenter = &controller;
        controller.PresentModal(*m_screen, animated);
        m_clients.m_shown = this;
        m_clients.m_queue.Post(m_life, 1, [this] { Report({AdNetworkEvent::WillPresent}); });
    }
    AdView* GetView() override { return m_view.get(); }

    void Close() {
        if (m_presenter != nullptr && m_presenter->GetPresentedModal() == m_screen.get()) {
            m_presenter->DismissModal(true);
        }
        m_presenter = nullptr;
        m_ready = false;
        m_clients.m_queue.Post(m_life, 1, [this] {
            Report({AdNetworkEvent::WillDismiss, AdNetworkEvent::DidDismiss});
        });
    }
    void Click() {
        m_clients.m_queue.Post(m_life, 1, [this] {
            Report({AdNetworkEvent::Clicked, AdNetworkEvent::WillLeaveApplication});
        });
    }

private:
    // The listener may destroy this ad: nothing is touched once it has.
    void Report(std::initializer_list<AdNetworkEvent> events) {
        const std::weak_ptr<char> life = m_life;
        for (AdNetworkEvent event : events) {
            if (life.expired() || m_listener == nullptr) {
                return;
            }
            m_listener->OnAdNetworkEvent(*this, event);
        }
    }

    AdNetworkStandIns& m_clients;
    AdNetworkAdDef m_def;
    AdNetworkListener* m_listener;
    MediationFrameQueue::Life m_life = MediationFrameQueue::MakeLife();
    bool m_ready = false;
    std::unique_ptr<StandInPlainView> m_view;
    std::unique_ptr<StandInModalScreen> m_screen;
    AdRootViewController* m_presenter = nullptr;
};

AdNetworkStandIns::AdNetworkStandIns(MediationFrameQueue& queue, const AdRect& screenBounds)
    : m_queue(queue), m_screenBounds(screenBounds) {}

AdNetworkStandIns::~AdNetworkStandIns() = default;

std::unique_ptr<AdNetworkAd> AdNetworkStandIns::CreateAd(const AdNetworkAdDef& def, AdNetworkListener* listener) {
    m_created.push_back(def);
    return std::make_unique<StandInNetworkAd>(*this, def, listener);
}

void AdNetworkStandIns::StartMobclix(const std::string& applicationId) {
    m_mobclixStarts.push_back(applicationId);
}

void AdNetworkStandIns::SetFill(AdNetwork network, AdNetworkFormat format, bool fills) {
    m_fills[{static_cast<int>(network), static_cast<int>(format)}] = fills;
}

bool AdNetworkStandIns::Fills(AdNetwork network, AdNetworkFormat format) const {
    const auto found = m_fills.find({static_cast<int>(network), static_cast<int>(format)});
    return found == m_fills.end() || found->second;
}

bool AdNetworkStandIns::CloseShownAd() {
    StandInNetworkAd* shown = m_shown;
    m_shown = nullptr;
    if (shown == nullptr) {
        return false;
    }
    shown->Close();
    return true;
}

bool AdNetworkStandIns::ClickShownAd() {
    if (m_shown == nullptr) {
        return false;
    }
    m_shown->Click();
    return true;
}

uint32_t AdNetworkStandIns::NetworkColour(AdNetwork network) {
    switch (network) {
        case AdNetwork::Greystripe:
            return 0x808080FF;
        case AdNetwork::Mobclix:
            return 0x2060C0FF;
        case AdNetwork::InMobi:
            return 0xE07020FF;
    }
    return 0xFFFFFFFF;
}

}  // namespace Varnok
