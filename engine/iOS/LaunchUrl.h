// URLs that open the application (deep links, sign-in replies), the
// application that sent them, and opening a URL from the game.
#pragma once

#include "engine/core/Delegate.h"

#include <functional>
#include <string>
#include <vector>

namespace Varnok {

// Keeps the last opened URL until it is delivered. Listeners (the social
// login, the deep-link service, the second sign-in client) receive it only
// once a delivery has run; from then on every new URL goes out at once.
// Main thread only.
class LaunchUrlDispatcher {
public:
    using Listener = Delegate1<void, const char*>;

    // The process-wide dispatcher.
    static LaunchUrlDispatcher& Get();

    void AddListener(const Listener& listener);
    // Every listener equal to it; an object that listens removes itself
    // before it goes away.
    void RemoveListener(const Listener& listener);
    // Replaces the pending URL; delivers at once when ready. Null counts as
    // the empty text.
    void SetUrl(const char* url);
    // Sets ready; when a URL is pending, calls every listener in order with
    // it and empties it.
    void Deliver();

    const std::string& GetPendingUrl() const { return m_pendingUrl; }
    bool IsReady() const { return m_ready; }

private:
    std::string m_pendingUrl;
    bool m_ready = false;
    std::vector<Listener> m_listeners;
};

// Over the process-wide dispatcher.
void AddLaunchUrlListener(const LaunchUrlDispatcher::Listener& listener);
void RemoveLaunchUrlListener(const LaunchUrlDispatcher::Listener& listener);
void SetLaunchUrl(const char* url);
void DeliverLaunchUrl();

// The bundle identifier of the application that opened the last URL; empty
// until one is known. Null counts as the empty text.
void SetLaunchSourceApplication(const char* sourceApplication);
const char* GetLaunchSourceApplication();

// A scheme ("https:", "mailto:", ...) and no spaces or control characters.
bool IsWellFormedUrl(const char* text);

// Hands a well-formed URL to whatever opens URLs on the platform
// (platform/ implements it).
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False (with a log line) when the URL could not be opened.
    virtual bool Open(const char* url) = 0;
};

// Asks the platform to open the URL: logs it and hands it to the installed
// opener. True when it was opened (or only logged, with no opener); false
// (with a log line) for a malformed URL or when the opener failed.
bool OpenUrl(const char* text);
// Installs the opener (the shell, or a test); an empty function leaves URLs
// only logged, as at start.
void SetUrlOpener(std::function<bool(const char* url)> opener);

}  // namespace Varnok
