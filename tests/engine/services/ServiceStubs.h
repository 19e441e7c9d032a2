// Small services and a provider for the framework's tests: they record what
// they were told and answer what the test sets.
#pragma once

#include "engine/services/IAchievementService.h"
#include "engine/services/IAdvertisingService.h"
#include "engine/services/IAnalyticsService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ServiceManager.h"

#include <map>
#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {

// Gives a service its provider name and the common answers.
template <typename Interface>
class StubService : public Interface {
public:
    explicit StubService(const char* providerName, const char* customName = "")
        : m_providerName(providerName), m_customName(customName) {}
    bool Initialise() override { return true; }
    void Update() override { ++updates; }
    const AsciiString& GetProviderName() const override { return m_providerName; }
    const AsciiString& GetCustomName() const override { return m_customName; }
    void OnEnabled() override { ++enabledCalls; }
    void OnDisabled() override { ++disabledCalls; }

    int updates = 0;
    int enabledCalls = 0;
    int disabledCalls = 0;

private:
    AsciiString m_providerName;
    AsciiString m_customName;
};

class StubAnalytics final : public StubService<IAnalyticsService> {
public:
    using StubService::StubService;
    void ReportInstall() override { ++installs; }
    bool IsAvailable() override { return true; }
    void ReportUserInformation() override {}
    int installs = 0;
};

class StubAchievement final : public StubService<IAchievementService> {
public:
    class Definition final : public IAchievement {
    public:
        explicit Definition(std::string id) : m_id(std::move(id)) {}
        const char* GetName() const override { return m_id.c_str(); }
        const char* GetId() const override { return m_id.c_str(); }
        const char* GetProviderId() const override { return m_id.c_str(); }
        ServiceValueHandle GetData() const override { return ServiceValueHandle(); }
        int GetRange() const override { return 100; }
        bool IsVisible() const override { return true; }

    private:
        std::string m_id;
    };

    StubAchievement(const char* providerName, bool master) : StubService(providerName), m_master(master) {}

    void Know(const std::string& id, int progress) {
        m_definitions.emplace_back(id);
        progressById[id] = progress;
    }

    void IncrementProgress(User*, const char* id, int amount) override { progressById[id] += amount; }
    void SetProgress(User*, const char* id, int value) override {
        progressById[id] = value;
        setCalls.push_back(id);
    }
    void Complete(User*, const char* id) override { progressById[id] = 100; }
    void AddUpdateListener(Delegate0<void>) override {}
    void RemoveUpdateListener(Delegate0<void>) override {}
    bool IsMaster() const override { return m_master; }
    int GetAchievementCount() const override { return static_cast<int>(m_definitions.size()); }
    bool GetProgress(User*, const char* id, int* outProgress) override {
        const auto found = progressById.find(id);
        if (found == progressById.end()) {
            return false;
        }
        *outProgress = found->second;
        return true;
    }
    IAchievement* GetAchievement(int index) override {
        return index >= 0 && index < GetAchievementCount() ? &m_definitions[index] : nullptr;
    }
    IAchievement* GetAchievement(const char*) override { return nullptr; }
    float GetProgressFraction(User*, const char*) override { return 0.0f; }

    std::map<std::string, int> progressById;
    std::vector<std::string> setCalls;

private:
    bool m_master;
    std::vector<Definition> m_definitions;
};

class StubAdvertising final : public StubService<IAdvertisingService> {
public:
    using StubService::StubService;
    void LoadFullscreenAd(const char*) override { ++commands; }
    void ShowFullscreenAd() override { ++commands; }
    void DismissFullscreenAd() override { ++commands; }
    AdSize GetBannerAdSize(const char*) override {
        ++queries;
        return size;
    }
    bool IsBannerAdLoaded(const char*) override {
        ++queries;
        return bannerLoaded;
    }
    void LoadBannerAd(const char*) override { ++commands; }
    void ShowBannerAd(const char*, int, int, bool, float) override { ++commands; }
    void ShowBannerAd(const char*, int, int, bool, int, int) override { ++commands; }
    void HideBannerAd(const char*) override { ++commands; }
    void MoveBannerAd(const char*, int, int, bool) override { ++commands; }
    void MoveBannerAd(const char*, int, int, bool, float) override { ++commands; }
    void SetBannerAdOpacity(const char*, float) override { ++commands; }
    void ReservedOperation1(int32_t) override {}
    void ReservedOperation2(int32_t) override {}
    void AddFullscreenAdDismissedListener(Delegate0<void>) override {}
    void RemoveFullscreenAdDismissedListener(Delegate0<void>) override {}
    void SetFullscreenAdLoadedCallback(Delegate0<void>) override {}
    void SetFullscreenAdFailedCallback(Delegate0<void>) override {}
    void SetBannerAdLoadedCallback(Delegate0<void>) override {}
    void SetBannerAdFailedCallback(Delegate0<void>) override {}
    void SetViewportBounds(const AdViewportBounds&) override { ++commands; }
    SmartPtr<Texture> UpdateTexture(const char*) override { return SmartPtr<Texture>(); }
    bool IsAdvertisingAvailable() override { return true; }
    bool AreBannerAdsAvailable() override { return true; }
    bool SupportsBannerTexture() override { return false; }

    AdSize size;
    bool bannerLoaded = false;
    int commands = 0;
    int queries = 0;
};

// Knows no board: answers UnknownLeaderboard through the delegate it got.
class StubLeaderboard final : public StubService<ILeaderboardService> {
public:
    using StubService::StubService;
    void SetLeaderboardScore(const User*, const char*, int64_t,
                             LeaderboardResultDelegate onDone) override {
        received.push_back(onDone);
        onDone(LeaderboardErrorType::UnknownLeaderboard);
    }
    void SetLeaderboardScoreWithMetaData(const User* user, const char* id, int64_t score,
                                         const char*, LeaderboardResultDelegate onDone) override {
        SetLeaderboardScore(user, id, score, onDone);
    }
    ILeaderboard* GetLeaderboard(const char*) override { return nullptr; }

    std::vector<LeaderboardResultDelegate> received;  // each service's own copy
};

// A provider that registers the analytics services it is given and counts
// its life; destroyed counts go to a counter the test owns.
class StubProvider final : public IProvider {
public:
    StubProvider(ServiceManagerBackend* backend, const char* name, int* destroyed = nullptr)
        : m_backend(backend), m_name(name), m_destroyed(destroyed) {}
    ~StubProvider() override {
        if (m_destroyed != nullptr) {
            ++*m_destroyed;
        }
    }
    bool Initialise() override { return true; }
    const char* GetName() const override { return m_name.c_str(); }
    void Update() override {}
    void OnUserCreated(User*) override { ++usersCreated; }

    // The provider owns the service from here on.
    StubAnalytics& AddAnalytics() {
        m_services.push_back(std::make_unique<StubAnalytics>(m_name.c_str()));
        StubAnalytics& service = *m_services.back();
        m_backend->AddService(&service);
        service.SetEnabled(true);
        return service;
    }

    int usersCreated = 0;

private:
    ServiceManagerBackend* m_backend;
    std::string m_name;
    int* m_destroyed;
    std::vector<std::unique_ptr<StubAnalytics>> m_services;
};

class StubBuilder final : public IProviderBuilder {
public:
    explicit StubBuilder(const char* name) : m_name(name) {}
    IProvider* CreateProvider(ServiceManagerBackend* backend) override {
        ++made;
        return new StubProvider(backend, m_name);
    }
    const char* GetName() const override { return m_name; }
    int made = 0;

private:
    const char* m_name;
};

}  // namespace TestSupport
}  // namespace Varnok
