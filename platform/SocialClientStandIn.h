// Our stand-in for the social-network client: a session that can be logged
// in or not, modal dialogs and web dialogs that close on a later frame with
// the answer a test (or the program) scripted, and graph requests answered
// from a table. It goes offline as the real client would: requests and
// dialogs then fail with the client's error. Frames are the event hub's
// pre-update dispatches.
#pragma once

#include "providers/Provider_Facebook/SocialClient.h"

#include "engine/core/Delegate.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Varnok {

class SocialClientStandIn final : public SocialClient {
public:
    enum class DialogKind { Feed, Requests, Web };

    // What was shown, for tests to read.
    struct ShownDialog {
        DialogKind kind = DialogKind::Feed;
        Parameters parameters;
        std::string message;  // requests dialog
        std::string title;    // requests dialog
        std::string address;  // web dialog
    };
    struct GraphCall {
        std::string method;
        std::string path;
    };

    static constexpr const char* kOfflineError = "The Internet connection appears to be offline.";
    static constexpr const char* kNoSessionError = "An active access token must be used.";

    // Listens to the hub's frames until destroyed. The session starts logged
    // in; dialogs complete with a post or a request when nothing is scripted.
    SocialClientStandIn();
    ~SocialClientStandIn() override;
    SocialClientStandIn(const SocialClientStandIn&) = delete;
    SocialClientStandIn& operator=(const SocialClientStandIn&) = delete;

    bool HandleOpenUrl(const char* url) override;
    void HandleDidBecomeActive() override;
    void PresentFeedDialog(const Parameters& parameters, DialogHandler onDone) override;
    void PresentRequestsDialog(const std::string& message, const std::string& title,
                               const Parameters& parameters, DialogHandler onDone) override;
    std::shared_ptr<SocialWebDialog> ShowWebDialog(const std::string& address,
                                                   const Parameters& parameters,
                                                   std::weak_ptr<SocialWebDialogDelegate> delegate) override;
    void StartGraphRequest(const std::string& path, const char* method, GraphHandler onDone) override;

    // ---- Script ----
    // The next dialog (of any kind) to close closes with this; queued in order.
    void QueueDialogAnswer(const SocialDialogOutcome& outcome) { m_dialogAnswers.push_back(outcome); }
    // A graph request of this method and path answers with the body, or with
    // the error when it is given. Unknown GETs fail; unknown DELETEs succeed.
    void SetGraphAnswer(const std::string& method, const std::string& path, const std::string& body);
    void SetGraphError(const std::string& method, const std::string& path, const std::string& error);
    void SetOnline(bool online) { m_online = online; }
    void SetLoggedIn(bool loggedIn) { m_loggedIn = loggedIn; }
    // A login through the application: the session waits for a URL that
    // starts with "<scheme>://"; it takes that URL and is then logged in.
    // Becoming active without it gives the login up.
    void BeginLogin(const std::string& scheme);

    // ---- What happened ----
    const std::vector<ShownDialog>& GetShownDialogs() const { return m_shown; }
    const std::vector<GraphCall>& GetGraphCalls() const { return m_graphCalls; }
    const std::vector<std::string>& GetOfferedUrls() const { return m_offeredUrls; }
    int GetBecameActiveCount() const { return m_becameActive; }
    bool IsLoggedIn() const { return m_loggedIn; }
    bool IsLoginInProgress() const { return m_loginInProgress; }
    // Dialogs and requests that have not answered yet.
    int GetPendingCount() const { return static_cast<int>(m_pending.size()); }

    // One frame: everything asked before it answers. The hub calls it.
    void OnFrame(float stepSeconds);

private:
    class WebDialog;
    struct Pending {
        int askedFrame = 0;
        DialogKind kind = DialogKind::Feed;
        DialogHandler dialogHandler;          // feed and requests dialogs
        std::shared_ptr<WebDialog> webDialog;  // web dialogs
        GraphHandler graphHandler;             // graph requests
        std::string graphMethod;
        std::string graphPath;
        bool isGraph = false;
    };

    SocialDialogOutcome NextDialogAnswer(DialogKind kind);
    void AnswerGraph(const Pending& pending) const;
    void Keep(Pending pending);

    std::deque<SocialDialogOutcome> m_dialogAnswers;
    std::map<std::pair<std::string, std::string>, std::pair<bool, std::string>> m_graphAnswers;
    std::vector<Pending> m_pending;
    std::vector<ShownDialog> m_shown;
    std::vector<GraphCall> m_graphCalls;
    std::vector<std::string> m_offeredUrls;
    std::string m_loginScheme;
    int m_frame = 0;
    int m_becameActive = 0;
    int m_nextId = 100000001;
    bool m_online = true;
    bool m_loggedIn = true;
    bool m_loginInProgress = false;
};

}  // namespace Varnok
