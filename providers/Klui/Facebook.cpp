// The Facebook step: URL fragments to a token, and the hand-off.
#include "providers/Klui/Facebook.h"

#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/LaunchUrl.h"
#include "providers/Klui/LoginProcess.h"
#include "providers/Klui/PendingAsyncOperation.h"
#include "providers/Provider_Facebook/SocialClient.h"

#include <cstring>

namespace Klui {
namespace {

constexpr const char* kAsyncFacebookLogin = "ASYNC_FACEBOOK_LOGIN";

Varnok::LaunchUrlDispatcher::Listener UrlListener(Facebook* step) {
    return Varnok::LaunchUrlDispatcher::Listener(step, &Facebook::OnLaunchUrl);
}

Varnok::Delegate0<void> ForegroundListener(Facebook* step) {
    return Varnok::Delegate0<void>(step, &Facebook::OnForeground);
}

}  // namespace

std::map<std::string, std::string> ParseUrlFragment(const char* url) {
    std::map<std::string, std::string> pairs;
    const char* hash = url != nullptr ? std::strchr(url, '#') : nullptr;
    if (hash == nullptr) {
        return pairs;
    }
    const std::string fragment(hash + 1);
    size_t start = 0;
    while (start <= fragment.size()) {
        size_t end = fragment.find('&', start);
        if (end == std::string::npos) {
            end = fragment.size();
        }
        const std::string piece = fragment.substr(start, end - start);
        const size_t equals = piece.find('=');
        if (equals != std::string::npos && piece.find('=', equals + 1) == std::string::npos) {
            pairs[piece.substr(0, equals)] = piece.substr(equals + 1);
        }
        start = end + 1;
    }
    return pairs;
}

Facebook::Facebook(const char* applicationId)
    : m_applicationId(applicationId != nullptr ? applicationId : "") {
    Varnok::AddLaunchUrlListener(UrlListener(this));
    Varnok::PlatformEventHub::Get().foreground.Add(ForegroundListener(this));
}

Facebook::~Facebook() {
    Varnok::RemoveLaunchUrlListener(UrlListener(this));
    Varnok::PlatformEventHub::Get().foreground.Remove(ForegroundListener(this));
}

void Facebook::OnForeground() {
    m_foreground = true;
}

void Facebook::OnLaunchUrl(const char* url) {
    m_foreground = false;
    if (Varnok::SocialClient* client = Varnok::GetSocialClient()) {
        if (client->HandleOpenUrl(url)) {
            return;
        }
    }
    const std::map<std::string, std::string> pairs = ParseUrlFragment(url);
    const auto token = pairs.find("access_token");
    if (token != pairs.end()) {
        const auto expiry = pairs.find("expires_in");
        m_accessToken = token->second;
        m_expiresIn = expiry != pairs.end() ? expiry->second : std::string();
        m_returned = true;
        LoginProcess& process = LoginProcess::GetInstance();
        process.SetFacebookState(LoginProcess::kWaitingForService);
        process.LoginWithFacebook();
        PendingAsyncOperation::Get().Start(
            kAsyncFacebookLogin, PendingAsyncOperation::Check(&process, &LoginProcess::PollFacebook));
    }
    m_returned = true;
}

}  // namespace Klui
