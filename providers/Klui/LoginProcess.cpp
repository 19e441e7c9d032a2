// The Facebook flow of the login process, as far as the hand-off goes.
#include "providers/Klui/LoginProcess.h"

#include "engine/core/Log.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "providers/Klui/Facebook.h"

#include <tinyxml.h>

namespace Klui {
namespace {

const char* ConfiguredFacebookAppId() {
    Varnok::ServiceManagerConfig* config = Varnok::ServiceManager::Get().GetConfig();
    const TiXmlElement* element =
        config != nullptr ? config->GetProviderConfigElement("Provider_Kiplink", "facebookAppId")
                          : nullptr;
    const char* value = element != nullptr ? element->Attribute("value") : nullptr;
    if (value == nullptr) {
        Varnok::Log("LoginProcess: Provider_Kiplink has no facebookAppId, using none");
        return "";
    }
    return value;
}

}  // namespace

LoginProcess& LoginProcess::GetInstance() {
    static LoginProcess s_process(ConfiguredFacebookAppId());
    return s_process;
}

LoginProcess::LoginProcess(const char* facebookAppId)
    : m_facebook(std::make_unique<Facebook>(facebookAppId)) {}

LoginProcess::~LoginProcess() = default;

void LoginProcess::LoginWithFacebook() {
    ++m_facebookLogins;
    Varnok::Log("LoginProcess: no online login service, the Facebook login is not sent");
}

bool LoginProcess::PollFacebook() {
    switch (m_facebookState) {
        case kIdle:
            return true;
        case kWaitingForStep:
            if (!m_facebook->IsLoginComplete()) {
                return false;
            }
            if (m_facebook->HasAccessToken()) {
                m_facebookState = kWaitingForService;
                LoginWithFacebook();
                return false;
            }
            Report(false, "facebook did not authorize", "");
            return true;
        case kWaitingForService:
            // No service request is pending: the service did not log in.
            LinkFacebook();
            return true;
        default:
            return false;
    }
}

void LoginProcess::LinkFacebook() {
    if (!m_facebook->IsLoginComplete()) {
        return;
    }
    if (!m_facebook->HasAccessToken()) {
        Report(false, "failed to authorize user", "");
        return;
    }
    m_facebookState = kLinking;
    // No local online user can be had before the online provider's user
    // component lands.
    Report(false, "error registering facebook user", "");
}

void LoginProcess::Report(bool success, const char* message, const char* detail) {
    if (!m_onResult.IsEmpty()) {
        m_onResult(success, Varnok::AsciiString(message), detail);
    }
}

}  // namespace Klui
