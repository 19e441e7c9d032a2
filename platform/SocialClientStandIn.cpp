// The social client stand-in: everything asked waits for the next frame.
#include "platform/SocialClientStandIn.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"

#include <cstring>

namespace Varnok {

class SocialClientStandIn::WebDialog final : public SocialWebDialog {
public:
    WebDialog(std::string address, std::weak_ptr<SocialWebDialogDelegate> delegate)
        : m_address(std::move(address)), m_delegate(std::move(delegate)) {}

    const std::string& GetAddress() const override { return m_address; }

    // Tells the delegate, as the real dialog does: the URL first when there
    // is one, then how the dialog ended.
    void Close(const SocialDialogOutcome& outcome) {
        // Held for the calls: the delegate may let go of itself in them.
        const std::shared_ptr<SocialWebDialogDelegate> delegate = m_delegate.lock();
        if (delegate == nullptr) {
            return;
        }
        if (outcome.hasError) {
            delegate->DialogFailed(outcome.error);
        } else if (outcome.result == SocialDialogResult::Completed) {
            if (outcome.hasUrl) {
                delegate->DialogCompletedWithUrl(outcome.url);
            }
            delegate->DialogCompleted();
        } else {
            if (outcome.hasUrl) {
                delegate->DialogNotCompletedWithUrl(outcome.url);
            }
            delegate->DialogNotCompleted();
        }
    }

private:
    std::string m_address;
    std::weak_ptr<SocialWebDialogDelegate> m_delegate;
};

SocialClientStandIn::SocialClientStandIn() {
    PlatformEventHub::Get().preUpdate.Add(Delegate1<void, float>(this, &SocialClientStandIn::OnFrame));
}

SocialClientStandIn::~SocialClientStandIn() {
    PlatformEventHub::Get().preUpdate.Remove(
        Delegate1<void, float>(this, &SocialClientStandIn::OnFrame));
}

bool SocialClientStandIn::HandleOpenUrl(const char* url) {
    const std::string text = url != nullptr ? url : "";
    m_offeredUrls.push_back(text);
    const std::string prefix = m_loginScheme + "://";
    if (!m_loginInProgress || text.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    m_loginInProgress = false;
    m_loggedIn = true;
    return true;
}

void SocialClientStandIn::HandleDidBecomeActive() {
    ++m_becameActive;
    if (m_loginInProgress) {
        Log("SocialClient: the login was given up");
        m_loginInProgress = false;
    }
}

void SocialClientStandIn::BeginLogin(const std::string& scheme) {
    m_loginScheme = scheme;
    m_loginInProgress = true;
    m_loggedIn = false;
}

void SocialClientStandIn::PresentFeedDialog(const Parameters& parameters, DialogHandler onDone) {
    ShownDialog shown;
    shown.kind = DialogKind::Feed;
    shown.parameters = parameters;
    m_shown.push_back(shown);
    Pending pending;
    pending.kind = DialogKind::Feed;
    pending.dialogHandler = std::move(onDone);
    Keep(std::move(pending));
}

void SocialClientStandIn::PresentRequestsDialog(const std::string& message, const std::string& title,
                                                const Parameters& parameters, DialogHandler onDone) {
    ShownDialog shown;
    shown.kind = DialogKind::Requests;
    shown.parameters = parameters;
    shown.message = message;
    shown.title = title;
    m_shown.push_back(shown);
    Pending pending;
    pending.kind = DialogKind::Requests;
    pending.dialogHandler = std::move(onDone);
    Keep(std::move(pending));
}

std::shared_ptr<SocialWebDialog> SocialClientStandIn::ShowWebDialog(
    const std::string& address, const Parameters& parameters,
    std::weak_ptr<SocialWebDialogDelegate> delegate) {
    ShownDialog shown;
    shown.kind = DialogKind::Web;
    shown.parameters = parameters;
    shown.address = address;
    m_shown.push_back(shown);
    Pending pending;
    pending.kind = DialogKind::Web;
    pending.webDialog = std::make_shared<WebDialog>(address, std::move(delegate));
    std::shared_ptr<SocialWebDialog> dialog = pending.webDialog;
    Keep(std::move(pending));
    return dialog;
}

void SocialClientStandIn::StartGraphRequest(const std::string& path, const char* method,
                                            GraphHandler onDone) {
    const std::string methodText = method != nullptr ? method : "GET";
    m_graphCalls.push_back({methodText, path});
    Pending pending;
    pending.isGraph = true;
    pending.graphMethod = methodText;
    pending.graphPath = path;
    pending.graphHandler = std::move(onDone);
    Keep(std::move(pending));
}

void SocialClientStandIn::SetGraphAnswer(const std::string& method, const std::string& path,
                                         const std::string& body) {
    m_graphAnswers[{method, path}] = {false, body};
}

void SocialClientStandIn::SetGraphError(const std::string& method, const std::string& path,
                                        const std::string& error) {
    m_graphAnswers[{method, path}] = {true, error};
}

void SocialClientStandIn::Keep(Pending pending) {
    pending.askedFrame = m_frame;
    m_pending.push_back(std::move(pending));
}

SocialDialogOutcome SocialClientStandIn::NextDialogAnswer(DialogKind kind) {
    SocialDialogOutcome outcome;
    if (!m_online) {
        outcome.hasError = true;
        outcome.error = kOfflineError;
        return outcome;
    }
    if (!m_dialogAnswers.empty()) {
        outcome = m_dialogAnswers.front();
        m_dialogAnswers.pop_front();
        return outcome;
    }
    // Unscripted: the player goes through with it (a web dialog is closed).
    const std::string id = std::to_string(m_nextId++);
    if (kind == DialogKind::Web) {
        outcome.result = SocialDialogResult::NotCompleted;
        return outcome;
    }
    outcome.result = SocialDialogResult::Completed;
    outcome.hasUrl = true;
    outcome.url = kind == DialogKind::Feed ? "fbconnect://success?post_id=" + id
                                           : "fbconnect://success?request=" + id;
    return outcome;
}

void SocialClientStandIn::AnswerGraph(const Pending& pending) const {
    if (!pending.graphHandler) {
        return;
    }
    const std::string* error = nullptr;
    std::string body;
    std::string errorText;
    const auto scripted = m_graphAnswers.find({pending.graphMethod, pending.graphPath});
    if (!m_online) {
        errorText = kOfflineError;
    } else if (!m_loggedIn) {
        errorText = kNoSessionError;
    } else if (scripted != m_graphAnswers.end()) {
        (scripted->second.first ? errorText : body) = scripted->second.second;
    } else if (pending.graphMethod == "DELETE") {
        body = "true";
    } else {
        errorText = "(#803) Some of the aliases you requested do not exist: " + pending.graphPath;
    }
    if (!errorText.empty()) {
        error = &errorText;
    }
    pending.graphHandler(body, error);
}

void SocialClientStandIn::OnFrame(float /*stepSeconds*/) {
    ++m_frame;
    // What handlers ask now waits for the next frame.
    std::vector<Pending> due;
    std::vector<Pending> waiting;
    for (Pending& pending : m_pending) {
        (pending.askedFrame < m_frame ? due : waiting).push_back(std::move(pending));
    }
    m_pending = std::move(waiting);
    for (const Pending& pending : due) {
        if (pending.isGraph) {
            AnswerGraph(pending);
        } else if (pending.webDialog != nullptr) {
            pending.webDialog->Close(NextDialogAnswer(DialogKind::Web));
        } else if (pending.dialogHandler) {
            pending.dialogHandler(NextDialogAnswer(pending.kind));
        }
    }
}

}  // namespace Varnok
