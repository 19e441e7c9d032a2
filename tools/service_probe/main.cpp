// service_probe: prints what the service framework makes of a configuration
// folder for the given defines: the defines after ServiceManager.xml's own,
// the remote-configuration name, the builders that "disableProvider" turns
// off, and every provider file's prepared document (includes resolved,
// filters applied, sections merged). Problems with files are logged on
// standard error as the framework words them.
//
//   service_probe SERVICES_FOLDER [NAME=VALUE ...]
//   e.g. service_probe build/bundle/Services platform=ios product=SD tablet=false
//
// With --start it starts the service framework as the game does and runs
// frames (60 a second) until the remote configuration is adopted or the
// frames run out, then prints the providers, the current user and the
// remote configuration. The resolver is VARNOK_DNS_RESOLVER ("addr:port",
// 127.0.0.1:53 by default); users and the cache go to the save folder.
//
//   service_probe --start SERVICES_FOLDER [--frames N] [--save DIR] [NAME=VALUE ...]
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/services/DnsTxtClient.h"
#include "engine/services/SecureKeyStore.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/User.h"
#include "platform/MediationStandIn.h"
#include "platform/NetworkProbe.h"
#include "platform/PosixDnsSocket.h"
#include "platform/SharedKeyStores.h"
#include "platform/SocialClientStandIn.h"
#include "platform/TweetComposerStandIn.h"
#include "providers/Provider_Default/Provider_Default.h"
// Game Center
#include "platform/GameCentreStandIn.h"
#include "providers/Provider_GameCenter/GameCenterAchievementService.h"
#include "providers/Provider_GameCenter/LoginService_GameCenter.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"
#include "engine/core/DevicePropertyMap.h"
#include "platform/HostDeviceSettings.h"
#include "providers/Provider_Kontagent/KontagentAnalyticsService.h"
#include "providers/Provider_Kontagent/KontagentApiClient.h"
#include "providers/Provider_Kontagent/Provider_Kontagent.h"
#include "providers/Provider_MoPub/MoPubBridge.h"
#include "providers/Provider_MoPub/Provider_MoPub.h"
#include "providers/Provider_Facebook/Provider_Facebook.h"
#include "providers/Provider_Twitter/Provider_Twitter.h"

#include <json/json.h>

#include <chrono>
#include <thread>

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr const char* kManagerFile = "ServiceManager.xml";

int Usage() {
    std::fprintf(stderr,
                 "usage: service_probe SERVICES_FOLDER [NAME=VALUE ...]\n"
                 "       service_probe --start SERVICES_FOLDER [--frames N] [--save DIR] [NAME=VALUE ...]\n");
    return 2;
}

bool ParseDefine(const char* text, ServiceDefines& defines) {
    const char* equals = std::strchr(text, '=');
    if (equals == nullptr || equals == text) {
        return false;
    }
    defines[AsciiString(text, static_cast<int>(equals - text))] = AsciiString(equals + 1);
    return true;
}

// ---- Game Center: the stand-in network's player comes from the settings
// (VARNOK_GAMECENTRE_PLAYER, VARNOK_GAMECENTRE_SIGNIN, VARNOK_GAMECENTRE_OFFLINE).
void AddGameCenter(ServiceManager& manager) {
    GameCentre::Install(GameCentreStandIn::CreateFromSettings());
    manager.AddProviderBuilder(Provider_GameCenterBuilder::Get());
}

void PrintGameCenter(ServiceManager& manager) {
    auto* provider = manager.GetProvider<Provider_GameCenter>();
    if (provider == nullptr || provider->GetLoginService() == nullptr) {
        std::printf("game center: (not started)\n");
        return;
    }
    static const char* const kStates[] = {"not signed in", "signing in", "signed in", "cancelled"};
    const int state = provider->GetLoginService()->GetLoginState();
    User* user = manager.GetCurrentUser();
    const char* playerId = user != nullptr ? user->GetId(LoginService_GameCenter::kUserIdKey) : nullptr;
    std::printf("game center: %s; the user's GCUserID: %s\n", kStates[state],
                playerId != nullptr ? playerId : "(none)");
    GameCenterAchievementService* achievements = provider->GetAchievementService();
    const int count = achievements != nullptr ? achievements->GetAchievementCount() : 0;
    std::printf("game center achievements: %d%s\n", count,
                achievements != nullptr && achievements->IsMaster() ? " (master)" : "");
    for (int i = 0; i < count; ++i) {
        const IAchievement* achievement = achievements->GetAchievement(i);
        int progress = 0;
        achievements->GetProgress(user, achievement->GetId(), &progress);
        std::printf("  %s (%s): %d/%d\n", achievement->GetId(), achievement->GetProviderId(), progress,
                    achievement->GetRange());
    }
}
// ---- end of Game Center

int Start(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(argv[2], error);
    if (error || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "service_probe: %s is not a folder\n", argv[2]);
        return 1;
    }
    int frames = 600;
    std::string save;
    ServiceDefines defines;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) {
            save = argv[++i];
        } else if (!ParseDefine(argv[i], defines)) {
            return Usage();
        }
    }
    if (save.empty()) {
        save = (std::filesystem::temp_directory_path() / "service_probe-save").string();
    }
    std::filesystem::create_directories(save, error);
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(folder.parent_path().c_str(), true),
                                  FileSystemKey("base"), 0);
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(save.c_str(), false),
                                  FileSystemKey("save"), 2);
    // What the shell installs: sockets, reachability and the shared key stores.
    SetDnsSocketFactory(&CreatePosixDnsSocket);
    NetworkAvailabilityMonitor::InstallInternetProbe(&ProbeNetworkStatus);
    static FileKeychain keychain(DefaultSharedFolder());
    static FilePasteboard pasteboard(DefaultSharedFolder());
    SecureKeyStore::InstallDefault(&keychain, &pasteboard);
    InstallProvider_Default();

    ServiceManager& manager = ServiceManager::Get();
    manager.Initialise(folder.filename().c_str(), "probe", defines);
    AddGameCenter(manager);
    // Twitter and Facebook, in the game's order, over the platform's social
    // client and tweet composer.
    SetSocialClient(std::make_shared<SocialClientStandIn>());
    SetTweetComposer(std::make_shared<TweetComposerStandIn>());
    RegisterProvider_TwitterBuilder();
    RegisterProvider_FacebookBuilder();
    // Analytics: the device id from the host's settings (VARNOK_DEVICE_ID).
    SetDeviceSettings(ReadHostDeviceSettings());
    DevicePropertyMap::Rebuild();
    RegisterProvider_KontagentBuilder(manager);
    // Advertising: the mediation client's stand-in under the MoPub provider.
    MoPubBridge::InstallClient(std::make_shared<MediationStandIn>());
    RegisterProvider_MoPubBuilder();
    manager.InitialiseProviders();
    ServiceManagerConfig* config = manager.GetConfig();
    std::printf("resolver: %s:%u\nsave: %s\ncached remote configuration: %s\n",
                DnsTxtResolver::Get().GetServerAddress().c_str(), DnsTxtResolver::Get().GetServerPort(),
                save.c_str(), config->HasRemoteConfig() ? "yes" : "no");
    const bool cached = config->HasRemoteConfig();
    int frame = 0;
    for (; frame < frames; ++frame) {
        manager.Update();
        if (config->HasRemoteConfig() && !config->IsFetchingRemoteConfig() &&
            (!cached || config->GetRemoteConfigExpiry() > 10)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(16667));
    }
    std::printf("frames run: %d\nproviders:", frame);
    for (int i = 0; i < manager.GetProviderCount(); ++i) {
        IProvider* provider = manager.GetProviderAt(i);
        std::printf(" %s(%s)", provider->GetName(), provider->IsEnabled() ? "enabled" : "disabled");
    }
    User* user = manager.GetCurrentUser();
    std::printf("\ncurrent user: %s%s\n", user != nullptr ? user->GetGUID().c_str() : "(none)",
                user != nullptr && user->IsGuest() ? " (guest)" : "");
    PrintGameCenter(manager);
    if (auto* kontagent = manager.GetProvider<Provider_Kontagent>()) {
        const KontagentAnalyticsService* analytics = kontagent->GetAnalyticsService();
        const KontagentApiClient* client = analytics != nullptr ? analytics->GetApiClient() : nullptr;
        if (client == nullptr) {
            std::printf("analytics: (not started)\n");
        } else {
            std::printf("analytics: device key %s, endpoint %s, %zu queued, %u records awaiting an online id\n",
                        analytics->GetDeviceKeyText().c_str(), client->HasEndpoint() ? "set" : "(none)",
                        client->GetQueue().size(), analytics->GetPrecompiledRecords().size());
            for (const std::string& message : client->GetQueue()) {
                std::printf("  queued: %s\n", message.c_str());
            }
        }
    }
    if (!config->HasRemoteConfig()) {
        std::printf("remote configuration: (none)\n");
        return 0;
    }
    std::printf("remote configuration: update=%d expiry=%lld\n", config->GetUpdateValue(),
                static_cast<long long>(config->GetRemoteConfigExpiry()));
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    for (const char* key : {"update", "buildId", "kiplink", "kontagent"}) {
        const Json::Value* value = config->GetRemoteValue(key);
        std::printf("  %s: %s\n", key, value != nullptr ? Json::writeString(writer, *value).c_str() : "(none)");
    }
    return 0;
}

// The provider names of the folder's other XML files, in name order.
std::vector<std::string> ProviderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (entry.is_regular_file() && path.extension() == ".xml" &&
            path.filename() != kManagerFile) {
            names.push_back(path.stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    if (std::strcmp(argv[1], "--start") == 0) {
        return Start(argc, argv);
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(argv[1], error);
    if (error || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "service_probe: %s is not a folder\n", argv[1]);
        return 1;
    }
    ServiceDefines defines;
    for (int i = 2; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (equals == nullptr || equals == argv[i]) {
            return Usage();
        }
        defines[AsciiString(argv[i], static_cast<int>(equals - argv[i]))] = AsciiString(equals + 1);
    }

    // The folder is read the way the game reads it: by name, under a mounted
    // directory.
    const std::filesystem::path parent = folder.parent_path();
    const std::string name = folder.filename().string();
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(parent.c_str(), true),
                                  FileSystemKey("base"), 0);
    ServiceManagerConfig config(name.c_str(), defines);

    std::printf("defines:");
    for (const auto& [defineName, value] : config.GetDefines()) {
        std::printf(" %s=%s", defineName.c_str(), value.c_str());
    }
    std::printf("\nremote configuration: %s\n",
                config.GetRemoteConfigName().IsEmpty() ? "(none)" : config.GetRemoteConfigName().c_str());
    std::printf("disabled builders:");
    int disabled = 0;
    if (const TiXmlElement* root = config.GetRoot()) {
        for (const TiXmlElement* child = root->FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            const char* provider = child->Attribute("provider");
            if (IsElementNamed(child, "disableProvider") && provider != nullptr) {
                std::printf(" %s", provider);
                ++disabled;
            }
        }
    }
    std::printf("%s\n", disabled == 0 ? " (none)" : "");

    for (const std::string& provider : ProviderNames(folder)) {
        std::printf("\n== %s ==\n", provider.c_str());
        const TiXmlElement* prepared = config.GetProviderConfig(provider.c_str());
        if (prepared == nullptr) {
            std::printf("(no configuration)\n");
            continue;
        }
        TiXmlPrinter printer;
        printer.SetIndent("    ");
        prepared->Accept(&printer);
        std::fputs(printer.CStr(), stdout);
    }
    return 0;
}
