// The launch-URL dispatcher and URL opening through the desktop.
#include "engine/iOS/LaunchUrl.h"

#include "engine/core/Log.h"

#include <cctype>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace Varnok {
namespace {

std::string s_sourceApplication;
bool s_openOnDesktop = false;
std::function<bool(const char*)> s_opener;

// xdg-open with the URL as its one argument: no shell sees it.
bool OpenWithDesktop(const char* url) {
    char program[] = "xdg-open";
    std::string argument(url);
    char* argv[] = {program, &argument[0], nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (spawned != 0) {
        Log("OpenUrl: cannot start xdg-open (%s)", strerror(spawned));
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            Log("OpenUrl: lost track of xdg-open (%s)", strerror(errno));
            return false;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Log("OpenUrl: xdg-open could not open \"%s\"", url);
        return false;
    }
    return true;
}

}  // namespace

LaunchUrlDispatcher& LaunchUrlDispatcher::Get() {
    static LaunchUrlDispatcher dispatcher;
    return dispatcher;
}

void LaunchUrlDispatcher::AddListener(const Listener& listener) {
    m_listeners.push_back(listener);
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
    if (s_opener) {
        return s_opener(text);
    }
    return s_openOnDesktop ? OpenWithDesktop(text) : true;
}

void SetOpenUrlsOnDesktop(bool enabled) {
    s_openOnDesktop = enabled;
}

void SetUrlOpener(std::function<bool(const char* url)> opener) {
    s_opener = std::move(opener);
}

}  // namespace Varnok
