// The social-network client the Facebook and Twitter providers and the
// Facebook login step stand on: its active session (opened URLs, the
// became-active notice), the feed and requests dialogs, a web dialog and
// graph requests. platform/ implements it; the program installs one at
// start-up and tests install their own. Answers always come later, on the
// main thread, never inside the call that asked.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace Varnok {

enum class SocialDialogResult : int { Completed = 0, NotCompleted = 1 };

// What a dialog reports when it closes. A missing URL and a URL with no text
// are told apart: the results differ for the two.
struct SocialDialogOutcome {
    SocialDialogResult result = SocialDialogResult::NotCompleted;
    bool hasUrl = false;
    std::string url;  // only with hasUrl; may be empty
    bool hasError = false;
    std::string error;  // only with hasError
};

// The web dialog's delegate protocol. The dialog keeps a weak reference: the
// delegate keeps itself alive while it waits, and the dialog holds it for the
// duration of each call.
class SocialWebDialogDelegate {
public:
    virtual ~SocialWebDialogDelegate() = default;
    virtual void DialogCompletedWithUrl(const std::string& url) = 0;
    virtual void DialogNotCompletedWithUrl(const std::string& url) = 0;
    virtual void DialogCompleted() = 0;
    virtual void DialogNotCompleted() = 0;
    virtual void DialogFailed(const std::string& error) = 0;
};

// A shown web dialog; it stays on screen until it reports, whoever holds it.
class SocialWebDialog {
public:
    virtual ~SocialWebDialog() = default;
    virtual const std::string& GetAddress() const = 0;
};

class SocialClient {
public:
    using Parameters = std::map<std::string, std::string>;
    using DialogHandler = std::function<void(const SocialDialogOutcome& outcome)>;
    // The answer's body, a JSON text (empty when there is none), or an error.
    using GraphHandler = std::function<void(const std::string& body, const std::string* error)>;

    virtual ~SocialClient() = default;

    // Offers an opened URL to the active session; true when the session took
    // it (the reply to a login it started).
    virtual bool HandleOpenUrl(const char* url) = 0;
    // The application became active; a login the session waits for may end.
    virtual void HandleDidBecomeActive() = 0;

    // Modal dialogs over the active session. The handler runs once.
    virtual void PresentFeedDialog(const Parameters& parameters, DialogHandler onDone) = 0;
    virtual void PresentRequestsDialog(const std::string& message, const std::string& title,
                                       const Parameters& parameters, DialogHandler onDone) = 0;
    // A web dialog on any address, shown at once; the delegate hears how it
    // ended.
    virtual std::shared_ptr<SocialWebDialog> ShowWebDialog(
        const std::string& address, const Parameters& parameters,
        std::weak_ptr<SocialWebDialogDelegate> delegate) = 0;

    // A graph request on the active session: method "GET" or "DELETE" on a
    // path such as a request id. The handler runs once; may be empty.
    virtual void StartGraphRequest(const std::string& path, const char* method,
                                   GraphHandler onDone) = 0;
};

// The installed client, or null when none is (then dialogs fail at once and
// opened URLs are left alone).
SocialClient* GetSocialClient();
// Replaces the installed client; null uninstalls it.
void SetSocialClient(std::shared_ptr<SocialClient> client);

}  // namespace Varnok
