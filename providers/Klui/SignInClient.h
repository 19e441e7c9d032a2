// The sign-in client for Google accounts that the Google step stands on: it
// starts a sign-in (a browser page whose answer comes back as a URL the
// application is opened with), takes those returning URLs and reports the
// outcome to the one completion it was configured with, on the main thread.
// platform/ provides the implementation; the shell (or a test) installs it.
#pragma once

#include "engine/core/Delegate.h"

#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class SignInClient {
public:
    struct Result {
        std::string accessToken;
        std::string refreshToken;  // empty when the service sent none
        std::string expiresIn;     // as the service wrote it
    };
    // The result, and null on success or the error's text.
    using Completion = Delegate2<void, const Result&, const char*>;

    virtual ~SignInClient() = default;
    // Replaces the client's settings and its completion.
    virtual void Configure(const char* clientId, const char* language, const std::vector<std::string>& scopes,
                           const char* keychainName, const Completion& completion) = 0;
    virtual void Authenticate(bool authenticate, bool clearKeychain) = 0;
    // True when the URL was the client's to take.
    virtual bool HandleUrl(const char* url, const char* sourceApplication) = 0;
    virtual void SignOut() = 0;
};

// The installed client, or null.
SignInClient* GetSignInClient();
void SetSignInClient(std::shared_ptr<SignInClient> client);

}  // namespace Varnok
