#include "providers/Provider_GameCenter/LoginService_GameCenter.h"

#include "engine/core/DeviceSettings.h"
#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/services/IAchievementService.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"
#include "providers/Provider_GameCenter/UserComponent_GameCenter.h"

#include <cstring>
#include <string>
#include <vector>

namespace Varnok {

namespace {

constexpr const char* kGameCenterApplicationUrl = "gamecenter:";

// The first phones and the first iPod touch never had Game Center.
bool IsUnsupportedModel(const std::string& model) {
    for (const char* unsupported : {"iPhone1,1", "iPhone1,2", "iPod1,1"}) {
        if (model == unsupported) {
            return true;
        }
    }
    return false;
}

User* CurrentUser(const Provider_GameCenter* provider) {
    ServiceManager* manager = provider != nullptr ? provider->GetManager() : nullptr;
    return manager != nullptr ? manager->GetCurrentUser() : nullptr;
}

}  // namespace

LoginService_GameCenter::LoginService_GameCenter(Provider_GameCenter* provider) : m_provider(provider) {}

LoginService_GameCenter::~LoginService_GameCenter() {
    if (m_skipListenerAdded) {
        PlatformEventHub::Get().preUpdate.Remove(
            Delegate1<void, float>(this, &LoginService_GameCenter::OnPreUpdate));
    }
}

bool LoginService_GameCenter::Initialise() {
    Login(CurrentUser(m_provider), false);
    return true;
}

const AsciiString& LoginService_GameCenter::GetLogData() const {
    static const AsciiString s_logData;
    return s_logData;
}

const AsciiString& LoginService_GameCenter::GetProviderName() const {
    return Provider_GameCenter::GetProviderName();
}

bool LoginService_GameCenter::IsLoggedIn(User* /*user*/) {
    if (m_loginState == kSigningIn || m_loginState == kCancelled) {
        return false;
    }
    const GameCentre* gameCentre = GameCentre::Get();
    const bool signedIn = gameCentre != nullptr && gameCentre->IsLocalPlayerAuthenticated();
    SetLoginState(signedIn ? kSignedIn : kNotSignedIn);
    return signedIn;
}

void LoginService_GameCenter::Login(User* /*user*/, bool force) {
    GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr || !gameCentre->IsAvailable() || IsUnsupportedModel(GetDeviceSettings().model) ||
        !SystemVersionAtLeast("4.1")) {
        return;
    }
    SetLoginState(kSigningIn);
    Authenticate(*gameCentre, force);
}

void LoginService_GameCenter::Authenticate(GameCentre& gameCentre, bool force) {
    if (gameCentre.IsLocalPlayerAuthenticated()) {
        // Already signed in: nothing will call back, so settle here.
        ProcessAuthentication(nullptr);
        return;
    }
    const int64_t cancels = m_defaults.GetInteger(kCancelCountKey);
    const std::weak_ptr<int> alive = m_alive;
    if (!SystemVersionAtLeast("6.0")) {
        gameCentre.Authenticate([this, alive, cancels, force](const GameCentre::Error* error) mutable {
            if (alive.expired()) {
                return;
            }
            if (error != nullptr && error->code == GameCentre::kErrorCancelled && cancels > kMaxCancels &&
                force) {
                force = false;
                OpenUrl(kGameCenterApplicationUrl);
                return;
            }
            ProcessAuthentication(error);
        });
        return;
    }
    const bool hadHandler = gameCentre.HasAuthenticateHandler();
    gameCentre.SetAuthenticateHandler([this, alive](bool signInView, const GameCentre::Error* error) {
        if (!alive.expired()) {
            OnAuthenticateHandler(signInView, error);
        }
    });
    if (cancels > kMaxCancels || hadHandler) {
        if (force) {
            OpenUrl(kGameCenterApplicationUrl);
        } else {
            SetLoginState(kCancelled);
        }
    }
}

void LoginService_GameCenter::OnAuthenticateHandler(bool signInView, const GameCentre::Error* error) {
    GameCentre* gameCentre = GameCentre::Get();
    if (!signInView || gameCentre == nullptr) {
        ProcessAuthentication(error);
        return;
    }
    // The sign-in view replaces any Game Center screen that is up.
    if (m_provider != nullptr && m_provider->IsGameKitScreenShowing()) {
        m_provider->GetDashboardManager().RemoveCurrent(false);
    }
    gameCentre->PresentSignInView();
    SetLoginState(kSigningIn);
    m_signInViewShown = true;
}

void LoginService_GameCenter::ProcessAuthentication(const GameCentre::Error* error) {
    const GameCentre* gameCentre = GameCentre::Get();
    const std::string playerId = gameCentre != nullptr ? gameCentre->GetLocalPlayerId() : std::string();
    const bool signedIn = gameCentre != nullptr && gameCentre->IsLocalPlayerAuthenticated() && !playerId.empty();
    m_signInViewShown = false;
    if (error != nullptr) {
        Log("%s", error->description.c_str());
        if (signedIn) {
            SetLoginState(kSignedIn);
        } else if (error->code == GameCentre::kErrorCancelled) {
            m_defaults.SetInteger(kCancelCountKey, m_defaults.GetInteger(kCancelCountKey) + 1);
            SetLoginState(kCancelled);
        } else {
            SetLoginState(kNotSignedIn);
        }
        return;
    }
    User* user = CurrentUser(m_provider);
    if (!signedIn) {
        SetLoginState(kNotSignedIn);
        if (user != nullptr) {
            user->RemoveId(kUserIdKey, true);
        }
        return;
    }
    m_defaults.SetInteger(kCancelCountKey, 0);
    SetLoginState(kSignedIn);
    if (user == nullptr) {
        return;
    }
    const char* knownId = user->GetId(kUserIdKey);
    if (knownId == nullptr || playerId != knownId) {
        // Another player: bring this one's achievements together.
        ServiceManager* manager = m_provider->GetManager();
        if (IAchievementServiceAggregate* achievements =
                manager != nullptr ? manager->GetServiceAggregate<IAchievementService>() : nullptr) {
            achievements->Sync(user);
        }
    }
    user->SetId(kUserIdKey, playerId.c_str(), true);
    if (UserComponent_GameCenter* component = FindGameCenterComponent(user)) {
        component->SetDisplayName(gameCentre->GetLocalPlayerDisplayName().c_str());
        component->ClearFriends();
    }
    LoadFriends(user);
}

void LoginService_GameCenter::LoadFriends(User* user) {
    GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr) {
        return;
    }
    const std::weak_ptr<int> alive = m_alive;
    // The user must still be the current one when the answers come.
    gameCentre->LoadFriends([this, alive, user](const std::vector<std::string>* playerIds,
                                                const GameCentre::Error* /*error*/) {
        if (alive.expired() || CurrentUser(m_provider) != user) {
            return;
        }
        if (UserComponent_GameCenter* component = FindGameCenterComponent(user)) {
            component->SetFriendsLoaded(true);
        }
        GameCentre* network = GameCentre::Get();
        if (playerIds == nullptr || network == nullptr) {
            return;
        }
        network->LoadPlayers(*playerIds, [this, alive, user](const std::vector<GameCentre::Player>* players,
                                                             const GameCentre::Error* /*error*/) {
            if (alive.expired() || players == nullptr || CurrentUser(m_provider) != user) {
                return;
            }
            UserComponent_GameCenter* component = FindGameCenterComponent(user);
            if (component == nullptr) {
                return;
            }
            for (const GameCentre::Player& player : *players) {
                User* friendUser = new User();
                friendUser->SetDisplayName(player.displayName.c_str());
                friendUser->SetId(kUserIdKey, player.playerId.c_str(), false);
                component->AddFriend(friendUser);
            }
        });
    });
}

void LoginService_GameCenter::SetLoginState(int state) {
    if (state == kSigningIn) {
        // One listener for the service's life, however often a sign-in starts.
        if (!m_skipListenerAdded) {
            m_skipListenerAdded = true;
            PlatformEventHub::Get().preUpdate.Add(
                Delegate1<void, float>(this, &LoginService_GameCenter::OnPreUpdate));
        }
    } else {
        m_signInViewShown = false;
    }
    m_loginState = state;
}

void LoginService_GameCenter::OnPreUpdate(float /*stepSeconds*/) {
    if (m_provider != nullptr && m_provider->IsGameKitScreenShowing()) {
        PlatformEventHub::Get().skipUpdate = true;
    }
}

}  // namespace Varnok
