// Stand-ins for the Greystripe, Mobclix and InMobi ad clients: ads that
// fetch on a later frame, fill or not as a test scripts them, present a
// full-screen picture modally and report their dismissal when closed.
#pragma once

#include "platform/MediationViews.h"
#include "providers/Provider_MoPub/MediationClient.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class StandInNetworkAd;

class AdNetworkStandIns final : public AdNetworkClients {
public:
    // Queue and root must outlive the clients.
    AdNetworkStandIns(MediationFrameQueue& queue, const AdRect& screenBounds);
    ~AdNetworkStandIns() override;

    std::unique_ptr<AdNetworkAd> CreateAd(const AdNetworkAdDef& def, AdNetworkListener* listener) override;
    void StartMobclix(const std::string& applicationId) override;

    // Whether fetches of this network and format fill (all do at first).
    void SetFill(AdNetwork network, AdNetworkFormat format, bool fills);
    bool Fills(AdNetwork network, AdNetworkFormat format) const;
    // Every ad made so far, in order, and the ids Mobclix was started with.
    const std::vector<AdNetworkAdDef>& GetCreatedAds() const { return m_created; }
    const std::vector<std::string>& GetMobclixStarts() const { return m_mobclixStarts; }
    // The user closes the full-screen ad on the screen: it goes, and reports
    // that it will and did dismiss on later frames. False when none is up.
    bool CloseShownAd();
    // The user taps the ad on the screen: it reports a click.
    bool ClickShownAd();

    // The picture each network's ads show (RGBA).
    static uint32_t NetworkColour(AdNetwork network);

private:
    friend class StandInNetworkAd;

    MediationFrameQueue& m_queue;
    AdRect m_screenBounds;
    std::map<std::pair<int, int>, bool> m_fills;
    std::vector<AdNetworkAdDef> m_created;
    std::vector<std::string> m_mobclixStarts;
    StandInNetworkAd* m_shown = nullptr;  // the ad whose screen is up
};

}  // namespace Varnok
