// The Facebook step of the online login: it watches the URLs the
// application is opened with, takes the access token and its lifetime from
// the fragment of a returning login URL and hands them to the login process.
#pragma once

#include <map>
#include <string>

namespace Klui {

// The "name=value" pairs of a URL's fragment (after the first "#"), split at
// "&"; a piece that is not exactly two parts around one "=" is ignored; a
// later name replaces an earlier one. No percent-decoding.
std::map<std::string, std::string> ParseUrlFragment(const char* url);

class Facebook {
public:
    // Listens to opened URLs and to the hub's foreground event until
    // destroyed.
    explicit Facebook(const char* applicationId);
    ~Facebook();
    Facebook(const Facebook&) = delete;
    Facebook& operator=(const Facebook&) = delete;

    bool HasAccessToken() const { return !m_accessToken.empty(); }
    const char* GetAccessToken() const { return m_accessToken.c_str(); }
    // "expires_in" as received: seconds, as text; empty when none came.
    const char* GetExpiresIn() const { return m_expiresIn.c_str(); }
    const char* GetApplicationId() const { return m_applicationId.c_str(); }
    // The login URL came back, or the application returned to the front.
    bool IsLoginComplete() const { return m_returned || m_foreground; }

    // The launch-URL listener: a URL the social session does not take is
    // read for a token; one with a token starts the online login.
    void OnLaunchUrl(const char* url);
    void OnForeground();

private:
    std::string m_applicationId;
    std::string m_accessToken;
    std::string m_expiresIn;
    bool m_returned = true;  // no login asked yet counts as returned
    bool m_foreground = false;
};

}  // namespace Klui
