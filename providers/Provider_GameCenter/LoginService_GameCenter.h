// Signing the local player in to Game Center. The player's answer settles
// the state; a successful sign-in stores the player id on the current user
// as "GCUserID", names the user's Game Center component and loads the
// friends. Three cancels in a row (the user default "GameCenterCancelCount")
// stop the sign-in from being offered again: a forced sign-in then opens the
// Game Center application instead. While the sign-in view or a Game Center
// screen is up, the game's update is skipped every frame.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ILoginService.h"
#include "providers/Provider_GameCenter/GameCentre.h"
#include "providers/Provider_GameCenter/UserDefaults.h"

#include <memory>

namespace Varnok {

class Provider_GameCenter;

class LoginService_GameCenter final : public ILoginService {
public:
    static constexpr int kNotSignedIn = 0;
    static constexpr int kSigningIn = 1;
    static constexpr int kSignedIn = 2;
    static constexpr int kCancelled = 3;
    static constexpr const char* kCancelCountKey = "GameCenterCancelCount";
    static constexpr const char* kUserIdKey = "GCUserID";
    static constexpr int kMaxCancels = 2;  // more than this: no sign-in offered

    explicit LoginService_GameCenter(Provider_GameCenter* provider);
    ~LoginService_GameCenter() override;

    // Starts the first, unforced sign-in for the current user.
    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetLogData() const override;
    const AsciiString& GetProviderName() const override;

    // The user is not consulted. While signing in or cancelled: false, state
    // kept; otherwise the network's answer settles kSignedIn or kNotSignedIn.
    bool IsLoggedIn(User* user) override;
    bool IsLoginInProgress() override { return m_loginState == kSigningIn; }
    bool IsLoginCancelled() override { return m_loginState == kCancelled; }
    // Nothing on the first phones, without a game network or below system
    // 4.1. user may be null.
    void Login(User* user, bool force) override;
    void ReservedOperation(User* /*user*/) override {}

    int GetLoginState() const { return m_loginState; }
    bool IsSignInViewShown() const { return m_signInViewShown; }

private:
    void SetLoginState(int state);
    void Authenticate(GameCentre& gameCentre, bool force);
    void OnAuthenticateHandler(bool signInView, const GameCentre::Error* error);
    // The settled sign-in, whatever way it came.
    void ProcessAuthentication(const GameCentre::Error* error);
    void LoadFriends(User* user);
    void OnPreUpdate(float stepSeconds);

    Provider_GameCenter* m_provider;
    UserDefaults m_defaults;
    bool m_signInViewShown = false;
    int m_loginState = kNotSignedIn;
    bool m_skipListenerAdded = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);  // completions check it
};

}  // namespace Varnok
