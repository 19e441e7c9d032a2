// The online service's provider and builder.
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

#include "engine/core/Event.h"
#include "engine/core/Log.h"
#include "engine/services/IAchievementService.h"
#include "engine/services/IAuthenticationService.h"
#include "engine/services/IBankService.h"
#include "engine/services/IInventoryService.h"
#include "engine/services/IPurchaseService.h"
#include "engine/services/ISettingService.h"
#include "engine/services/IStoreService.h"
#include "engine/services/IAsyncService.h"
#include "engine/services/ICloudService.h"
#include "engine/services/IFriendsService.h"
#include "engine/services/IPlayerPoolService.h"
#include "engine/services/IVersionService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ILeaguesService.h"
#include "engine/services/INewsService.h"
#include "engine/services/ITimeService.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/User.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IUser.h"
#include "providers/Provider_Kiplink/KiplinkAchievementService.h"
#include "providers/Provider_Kiplink/KiplinkAuthenticationService.h"
#include "providers/Provider_Kiplink/KiplinkBankService.h"
#include "providers/Provider_Kiplink/KiplinkInventoryService.h"
#include "providers/Provider_Kiplink/KiplinkPurchaseService.h"
#include "providers/Provider_Kiplink/KiplinkSettingService.h"
#include "providers/Provider_Kiplink/KiplinkStoreService.h"
#include "providers/Provider_Kiplink/KiplinkAsyncService.h"
#include "providers/Provider_Kiplink/KiplinkCloudService.h"
#include "providers/Provider_Kiplink/KiplinkFriendsService.h"
#include "providers/Provider_Kiplink/KiplinkPlayerPoolService.h"
#include "providers/Provider_Kiplink/KiplinkVersionService.h"
#include "providers/Provider_Kiplink/KiplinkLeaderboardService.h"
#include "providers/Provider_Kiplink/KiplinkLeaguesService.h"
#include "providers/Provider_Kiplink/KiplinkNewsService.h"
#include "providers/Provider_Kiplink/KiplinkTimeService.h"
#include "providers/Provider_Kiplink/KiplinkPlatform.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <tinyxml.h>

#include <string>

namespace Varnok {

namespace {

const char* ElementValue(TiXmlElement* root, const char* name) {
    TiXmlElement* element = root != nullptr ? root->FirstChildElement(name) : nullptr;
    return element != nullptr ? element->Attribute("value") : nullptr;
}

bool HasElement(TiXmlElement* root, const char* name) {
    return root != nullptr && root->FirstChildElement(name) != nullptr;
}

template <typename Service>
bool Make(std::unique_ptr<Service>& slot, Kiplink::IKiplinkProvider* root) {
    slot = std::make_unique<Service>(root);
    return slot->Initialise();
}

template <typename I, typename Service>
void Register(ServiceManagerBackend* backend, Service* service) {
    if (service != nullptr) {
        backend->AddService<I>(service);
        service->SetEnabled(true);
    }
}

}  // namespace

const AsciiString& Provider_Kiplink::GetProviderName() {
    static const AsciiString s_serviceName("Provider_Kiplink");
    return s_serviceName;
}

Provider_Kiplink::Provider_Kiplink(ServiceManagerBackend* backend) : m_backend(backend) {}

Provider_Kiplink::~Provider_Kiplink() {
    if (m_subscribed) {
        EventDispatcher::Get().Unsubscribe("syncpoint", EventListener(this, &Provider_Kiplink::OnSyncPoint));
    }
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    if (UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr) {
        for (int i = 0; i < store->GetUserCount(); ++i) {
            User* user = store->GetUserAt(i);
            if (IUserComponent* component = user->GetComponent(UserComponent_Kiplink::kName)) {
                user->RemoveComponent(component);
                delete component;
            }
        }
    }
    // The manager takes the registrations out when it removes the provider;
    // the services go before the root they hold without a reference.
    // Purchases the store keeps point into its items: the store goes first.
    m_store.reset();
    m_purchases.reset();
    m_settings.reset();
    m_inventory.reset();
    m_bank.reset();
    m_async.reset();
    m_cloud.reset();
    m_friends.reset();  // before the pools its lists use
    m_playerPools.reset();
    m_version.reset();
    m_leaderboards.reset();
    m_achievements.reset();
    m_leagues.reset();
    m_news.reset();
    m_time.reset();
    m_authentication.reset();
    m_root.Reset();
    m_platform.Reset();
}

KiplinkPlatform* Provider_Kiplink::GetPlatform() const { return m_platform.Get(); }

User* Provider_Kiplink::GetCurrentUser() const {
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    return manager != nullptr ? manager->GetCurrentUser() : nullptr;
}

ServiceManagerConfig* Provider_Kiplink::Config() const {
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    return manager != nullptr ? manager->GetConfig() : nullptr;
}

bool Provider_Kiplink::Initialise() {
    ServiceManagerConfig* config = Config();
    TiXmlElement* root = config != nullptr ? config->GetProviderConfig(GetProviderName().c_str()) : nullptr;
    if (root == nullptr) {
        Log("Provider_Kiplink: no configuration");
        return false;
    }
    // The library cannot work without a game family: its files and every
    // call are keyed by it.
    const char* family = ElementValue(root, "gameFamily");
    if (family == nullptr || family[0] == '\0') {
        Log("Provider_Kiplink: the configuration names no gameFamily");
        return false;
    }

    m_platform = new KiplinkPlatform(this, root);
    Kiplink::KiplinkSettings settings{family, "", ""};
    m_root = Kiplink::RefPtr<Kiplink::IKiplinkProvider>::Adopt(
        Kiplink::CreateKiplinkProvider(settings, m_platform.Get()));
    m_root->Load();
    ApplyRemoteServer();

    if (const char* email = ElementValue(root, "supportEmail")) {
        m_supportEmail = email;
    }

    const char* leaguesEnabled = ElementValue(root, "leaguesEnabled");
    const char* leagues = ElementValue(root, "leagues");
    if (leaguesEnabled != nullptr && std::string(leaguesEnabled) == "true" && leagues != nullptr && leagues[0] != '\0') {
        m_leagues = std::make_unique<KiplinkLeaguesService>(m_root.Get(), this);
        if (!m_leagues->Initialise()) {
            return false;
        }
    }

    const char* achievementsEnabled = ElementValue(root, "achievementsEnabled");
    if (!HasElement(root, "achievementsEnabled") || achievementsEnabled == nullptr ||
        std::string(achievementsEnabled) != "false") {
        m_achievements = std::make_unique<KiplinkAchievementService>(m_root.Get(), root, this);
        if (!m_achievements->Initialise()) {
            return false;
        }
    }

    m_news = std::make_unique<KiplinkNewsService>(m_root.Get(), this);
    if (!m_news->Initialise() || !Make(m_time, m_root.Get())) {
        return false;
    }
    m_leaderboards = std::make_unique<KiplinkLeaderboardService>(m_root.Get(), this);
    if (!m_leaderboards->Initialise() || !Make(m_authentication, m_root.Get())) {
        return false;
    }

    m_store = std::make_unique<KiplinkStoreService>(m_root.Get(), this);
    if (!Make(m_bank, m_root.Get()) || !Make(m_inventory, m_root.Get()) || !m_store->Initialise() ||
        !Make(m_settings, m_root.Get()) || !Make(m_purchases, m_root.Get())) {
        return false;
    }

    // Versions, player pools, then friends, whose lists take their players
    // from the pools.
    if (!Make(m_version, m_root.Get()) || !Make(m_playerPools, m_root.Get())) {
        return false;
    }
    Register<IVersionService>(m_backend, m_version.get());
    Register<IPlayerPoolService>(m_backend, m_playerPools.get());
    m_friends = std::make_unique<KiplinkFriendsService>(m_root.Get(), m_backend);
    if (!m_friends->Initialise()) {
        return false;
    }
    Register<IFriendsService>(m_backend, m_friends.get());

    if (!Make(m_cloud, m_root.Get())) {
        return false;
    }
    Register<ICloudService>(m_backend, m_cloud.get());

    if (!Make(m_async, m_root.Get())) {
        return false;
    }
    Register<IAsyncService>(m_backend, m_async.get());

    Register<INewsService>(m_backend, m_news.get());
    Register<ITimeService>(m_backend, m_time.get());
    Register<ILeaderboardService>(m_backend, m_leaderboards.get());
    Register<IAuthenticationService>(m_backend, m_authentication.get());
    Register<IAchievementService>(m_backend, m_achievements.get());
    Register<ILeaguesService>(m_backend, m_leagues.get());
    Register<IBankService>(m_backend, m_bank.get());
    Register<IInventoryService>(m_backend, m_inventory.get());
    Register<IStoreService>(m_backend, m_store.get());
    Register<ISettingService>(m_backend, m_settings.get());
    Register<IPurchaseService>(m_backend, m_purchases.get());

    EventDispatcher::Get().Subscribe("syncpoint", EventListener(this, &Provider_Kiplink::OnSyncPoint));
    m_subscribed = true;
    return true;
}

void Provider_Kiplink::ApplyRemoteServer() {
    ServiceManagerConfig* config = Config();
    if (m_root.Get() == nullptr || config == nullptr || !config->HasRemoteConfig()) {
        return;
    }
    const Json::Value* kiplink = config->GetRemoteValue("kiplink");
    const Json::Value* buildId = config->GetRemoteValue("buildId");
    if (kiplink == nullptr || buildId == nullptr || !kiplink->isObject()) {
        return;
    }
    const Json::Value& universe = (*kiplink)["universe"];
    if (!universe.isString() || !buildId->isString()) {
        return;
    }
    Kiplink::KiplinkSettings settings;
    settings.baseUrl = universe.asString();
    settings.buildId = buildId->asString();
    m_root->SetServer(settings);
}

void Provider_Kiplink::Update() {
    ApplyRemoteServer();
    if (m_root.Get() == nullptr) {
        return;
    }
    m_platform->UpdateHttp();
    if (IsOnline()) {
        m_root->Update();
    }
}

void Provider_Kiplink::OnUserCreated(User* user) {
    if (user != nullptr) {
        user->AddComponent(new UserComponent_Kiplink(this));
    }
}

void Provider_Kiplink::OnSyncPoint(const Event& /*event*/) {
    if (!IsOnline()) {
        return;
    }
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr;
    if (store == nullptr) {
        return;
    }
    for (int i = 0; i < store->GetSlotCount(); ++i) {
        SmartPtr<UserHandleShare> slot = store->GetUserHandle(i);
        User* user = slot.Get() != nullptr ? slot->GetUser() : nullptr;
        auto* component =
            user != nullptr ? static_cast<UserComponent_Kiplink*>(user->GetComponent(UserComponent_Kiplink::kName))
                            : nullptr;
        if (component != nullptr && component->GetLibraryUser() != nullptr) {
            component->GetLibraryUser()->SetNextSyncTime(static_cast<uint32_t>(i));
        }
    }
}

User* Provider_Kiplink::FindOrCreateUser(const char* token, const char* serviceUserId) {
    ServiceManager* manager = m_backend != nullptr ? m_backend->GetManager() : nullptr;
    UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr;
    if (store == nullptr) {
        return nullptr;
    }
    User* user = store->FindUserById(UserComponent_Kiplink::kIdKey, serviceUserId);
    if (user == nullptr) {
        user = store->CreateUser();
        user->SetId(UserComponent_Kiplink::kIdKey, serviceUserId, true);
    }
    user->SetId(UserComponent_Kiplink::kAuthKey, token, true);
    user->InitialiseStorage();
    return user;
}

void Provider_Kiplink::SendLoggedOutEvent(const char* to, const char* from) {
    Event event("logged_out");
    event.SetString("to", to);
    event.SetString("from", from);
    EventDispatcher::Get().Fire(event);
}

Provider_KiplinkBuilder& Provider_KiplinkBuilder::Get() {
    static Provider_KiplinkBuilder s_builder;
    return s_builder;
}

IProvider* Provider_KiplinkBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_Kiplink(backend);
}

void RegisterProvider_KiplinkBuilder() {
    ServiceManager::Get().AddProviderBuilder(Provider_KiplinkBuilder::Get());
}

}  // namespace Varnok
