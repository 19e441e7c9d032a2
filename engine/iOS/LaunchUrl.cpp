// The launch-URL dispatcher and the rules for opening URLs.
#include "engine/iOS/LaunchUrl.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace Varnok {
namespace {

std::string s_sourceApplication;
std::function<bool(const char*)> s_opener;  // empty: URLs are only logged

}  // namespace

LaunchUrlDispatcher& LaunchUrlDispatcher::Get() {
    // Never destroyed: listeners that live in other process-wide objects
    // (services of the service manager) remove themselves at exit, in any
    // order.
    static LaunchUrlDispatcher& dispatcher = *new LaunchUrlDispatcher();
    return dispatcher;
}

void LaunchUrlDispatcher::AddListener(const Listener& listener) {
    m_listeners.push_back(listener);
}

void LaunchUrlDispatcher::RemoveListener(const Listener& listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void LaunchUrlDispatcher::SetUrl(const char* url) {
    m_pendingUrl = url != nullptr ? url : "";
    if (m_ready) {
        Deliver();
    }
}

void LaunchUrlDispatcher::Deliver() {
    m_ready = true;
    if (m_pendingUrl.empty()) {
        return;
    }
    // Copies: a listener may add listeners or set a new URL meanwhile.
    const std::string url = m_pendingUrl;
    m_pendingUrl.clear();
    const std::vector<Listener> listeners = m_listeners;
    for (const Listener& listener : listeners) {
        listener(url.c_str());
    }
}

void AddLaunchUrlListener(const LaunchUrlDispatcher::Listener& listener) {
    LaunchUrlDispatcher::Get().AddListener(listener);
}

void RemoveLaunchUrlListener(const LaunchUrlDispatcher::Listener& listener) {
    LaunchUrlDispatcher::Get().RemoveListener(listener);
}

void SetLaunchUrl(const char* url) {
    LaunchUrlDispatcher::Get().SetUrl(url);
}

void DeliverLaunchUrl() {
    LaunchUrlDispatcher::Get().Deliver();
}

void SetLaunchSourceApplication(const char* sourceApplication) {
    s_sourceApplication = sourceApplication != nullptr ? sourceApplication : "";
}

const char* GetLaunchSourceApplication() {
    return s_sourceApplication.c_str();
}

bool IsWellFormedUrl(const char* text) {
    if (text == nullptr || !isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    const char* c = text;
    while (isalnum(static_cast<unsigned char>(*c)) || *c == '+' || *c == '-' || *c == '.') {
        ++c;
    }
    if (*c != ':') {
        return false;
    }
    for (; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte <= ' ' || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

bool OpenUrl(const char* text) {
    if (!IsWellFormedUrl(text)) {
        Log("OpenUrl: \"%s\" is not a URL", text != nullptr ? text : "");
        return false;
    }
    Log("OpenUrl: %s", text);
    return s_opener ? s_opener(text) : true;
}

void SetUrlOpener(std::function<bool(const char* url)> opener) {
    s_opener = std::move(opener);
}

}  // namespace Varnok
