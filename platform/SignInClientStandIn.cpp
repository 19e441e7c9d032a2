#include "platform/SignInClientStandIn.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"

#include <cctype>
#include <cstring>

namespace Varnok {
namespace {

constexpr const char* kCallbackPath = "/oauth2callback";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "%" without two hex digits after it stays as it is.
std::string PercentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string PercentEncode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

bool ParseSignInReturnUrl(const char* url, SignInReturn* out) {
    if (url == nullptr || out == nullptr) {
        return false;
    }
    const std::string text = url;
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    for (size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c) == 0 && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    // "app:/oauth2callback" and "app://oauth2callback" both come back.
    size_t path = colon + 1;
    if (text.compare(path, 3, "///") != 0 && text.compare(path, 2, "//") == 0) {
        path += 1;
    }
    const size_t pathLength = std::strlen(kCallbackPath);
    if (text.compare(path, pathLength, kCallbackPath) != 0 || path + pathLength >= text.size() ||
        text[path + pathLength] != '?') {
        return false;
    }
    SignInReturn result;
    result.scheme = text.substr(0, colon);
    std::string query = text.substr(path + pathLength + 1);
    query = query.substr(0, query.find('#'));
    bool hasToken = false;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) {
            end = query.size();
        }
        const std::string piece = query.substr(start, end - start);
        const size_t equals = piece.find('=');
        if (equals != std::string::npos) {
            const std::string name = PercentDecode(piece.substr(0, equals));
            const std::string value = PercentDecode(piece.substr(equals + 1));
            if (name == "access_token") {
                result.accessToken = value;
                hasToken = true;
            } else if (name == "refresh_token") {
                result.refreshToken = value;
            } else if (name == "expires_in") {
                result.expiresIn = value;
            } else if (name == "error") {
                result.error = value.empty() ? "unknown_error" : value;
            }
        }
        start = end + 1;
    }
    if (result.error.empty() && (!hasToken || result.accessToken.empty())) {
        result.error = "invalid_response";
    }
    *out = std::move(result);
    return true;
}

SignInClientStandIn::SignInClientStandIn(std::string scheme) : m_scheme(std::move(scheme)) {
    PlatformEventHub::Get().preUpdate.Add(Delegate1<void, float>(this, &SignInClientStandIn::OnFrame));
}

SignInClientStandIn::~SignInClientStandIn() {
    PlatformEventHub::Get().preUpdate.Remove(Delegate1<void, float>(this, &SignInClientStandIn::OnFrame));
}

void SignInClientStandIn::Configure(const char* clientId, const char* language,
                                    const std::vector<std::string>& scopes, const char* /*keychainName*/,
                                    const Completion& completion) {
    m_clientId = clientId != nullptr ? clientId : "";
    m_language = language != nullptr ? language : "";
    m_scopes = scopes;
    m_completion = completion;
}

void SignInClientStandIn::Authenticate(bool /*authenticate*/, bool /*clearKeychain*/) {
    std::string scope;
    for (const std::string& one : m_scopes) {
        scope += (scope.empty() ? "" : " ") + one;
    }
    const std::string redirect = (m_scheme.empty() ? std::string("varnok") : m_scheme) + ":" + kCallbackPath;
    m_pageUrl = std::string(kPageBase) + "?response_type=token&client_id=" + PercentEncode(m_clientId) +
                "&redirect_uri=" + PercentEncode(redirect) + "&scope=" + PercentEncode(scope) +
                "&hl=" + PercentEncode(m_language);
    m_inProgress = true;
    m_answerDue = false;
    // The page would open in the browser; its answer comes back as a URL.
    Log("SignInClient: sign-in page %s", m_pageUrl.c_str());
}

bool SignInClientStandIn::HandleUrl(const char* url, const char* /*sourceApplication*/) {
    SignInReturn answer;
    if (!m_inProgress || !ParseSignInReturnUrl(url, &answer) || (!m_scheme.empty() && answer.scheme != m_scheme)) {
        return false;
    }
    m_inProgress = false;
    m_answer = std::move(answer);
    m_answerDue = true;
    return true;
}

void SignInClientStandIn::SignOut() {
    ++m_signOuts;
    m_inProgress = false;
    m_answerDue = false;
}

void SignInClientStandIn::OnFrame(float /*stepSeconds*/) {
    if (!m_answerDue) {
        return;
    }
    m_answerDue = false;
    if (m_completion.IsEmpty()) {
        Log("SignInClient: a sign-in ended with no delegate to tell");
        return;
    }
    SignInClient::Result result;
    result.accessToken = m_answer.accessToken;
    result.refreshToken = m_answer.refreshToken;
    result.expiresIn = m_answer.expiresIn;
    // A copy: the delegate may configure the client again.
    const Completion completion = m_completion;
    completion(result, m_answer.error.empty() ? nullptr : m_answer.error.c_str());
}

}  // namespace Varnok
