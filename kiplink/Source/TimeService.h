// The service-clock estimate, its cache file "Time.json" ({"servertime",
// "timedif"}) and the "utc" request.
#pragma once

#include "kiplink/Public/IPlatform.h"
#include "kiplink/Public/ITimeService.h"
#include "kiplink/Source/DataFiles.h"

#include <cstdint>

namespace Kiplink {

class KiplinkProviderImpl;

class TimeService final : public ITimeService {
public:
    static constexpr int32_t kTicksAfterRequest = 1800;
    static constexpr int32_t kTicksAfterFailure = 120;
    static constexpr uint32_t kLongGapSeconds = 61;
    static constexpr uint32_t kJumpSeconds = 600;

    explicit TimeService(KiplinkProviderImpl* root);

    void AddCallbacks(ITimeServiceCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ITimeServiceCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override;
    uint32_t GetServerTime() const override { return m_lastTick - static_cast<uint32_t>(m_difference); }
    bool IsValid() const override { return m_valid; }
    void Load() override;

    void OnReply(IWebRequest* request);
    bool IsRequestInFlight() const { return m_inFlight; }
    int32_t GetCountdown() const { return m_countdown; }
    int32_t GetGapTotal() const { return m_gapTotal; }
    int32_t GetDifference() const { return m_difference; }

private:
    void RequestTime();
    void Invalidate();

    KiplinkProviderImpl* m_root;  // not referenced
    RefPtr<EncryptedJsonFile> m_file;
    uint32_t m_requestTime = 0;
    uint32_t m_serverTime = 0;
    uint32_t m_lastTick;
    int32_t m_difference = 0;
    int32_t m_gapTotal = 0;
    int32_t m_countdown = 0;
    bool m_inFlight = false;
    bool m_valid = false;
    ListenerSet<ITimeServiceCallbacks> m_listeners;
};

}  // namespace Kiplink
