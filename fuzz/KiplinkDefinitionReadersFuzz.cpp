// Any JSON as the currency, achievement, leaderboard, cloud-object and
// settings records of the static data, in both layouts and twice (a reload
// refills the same definitions), then every lookup of what was read.
#include "fuzz/KiplinkMemoryPlatform.h"
#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/CloudObjectSync.h"
#include "kiplink/Source/Leaderboards.h"
#include "kiplink/Source/SettingProviderImpl.h"

#include <string>

using Kiplink::RefPtr;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    KiplinkFuzz::Quiet();
    RefPtr<Kiplink::IValue> data = RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    data->Parse(std::string(reinterpret_cast<const char*>(bytes), size).c_str());
    static KiplinkFuzz::MemoryPlatform* s_platform = [] {
        auto* platform = new KiplinkFuzz::MemoryPlatform;
        platform->Reference();
        return platform;
    }();
    static Kiplink::KiplinkProviderImpl* s_root = KiplinkFuzz::MakeRoot(s_platform);

    RefPtr<Kiplink::BankProviderImpl> banks(new Kiplink::BankProviderImpl(s_root));
    RefPtr<Kiplink::AchievementProviderImpl> achievements(new Kiplink::AchievementProviderImpl(s_root));
    RefPtr<Kiplink::LeaderboardProviderImpl> boards(new Kiplink::LeaderboardProviderImpl(s_root));
    RefPtr<Kiplink::CloudProviderImpl> cloud(new Kiplink::CloudProviderImpl(s_root));
    RefPtr<Kiplink::SettingProviderImpl> settings(new Kiplink::SettingProviderImpl);
    for (int pass = 0; pass < 2; ++pass) {
        for (bool itemLayout : {true, false}) {
            banks->LoadCurrencies(*data, itemLayout);
            achievements->LoadAchievements(*data, itemLayout);
            boards->LoadLeaderboards(*data, itemLayout);
        }
        cloud->LoadDefinitions(*data);
        settings->LoadSettings(*data);
    }
    for (int32_t i = -1; i <= banks->GetCurrencyCount(); ++i) {
        auto currency = RefPtr<Kiplink::ICurrency>::Adopt(banks->GetCurrency(i));
        if (currency) {
            auto again = RefPtr<Kiplink::ICurrency>::Adopt(banks->GetCurrencyById(currency->GetCurrencyId()));
            (void)currency->GetName();
            (void)currency->IsEarnable();
            (void)currency->GetInitialGiftAmount();
        }
    }
    for (int i = -1; i <= achievements->GetAchievementCount(); ++i) {
        auto achievement = RefPtr<Kiplink::IAchievement>::Adopt(achievements->GetAchievement(i));
        if (achievement) {
            (void)achievement->GetMetaData().GetMemberCount();
            (void)achievement->GetMaxProgress();
        }
    }
    (void)cloud->FindDefinition("profile");
    auto value = RefPtr<Kiplink::IValue>::Adopt(settings->GetSettings());
    return 0;
}
