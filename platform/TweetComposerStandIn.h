// Our stand-in for the platform's tweet composer: it holds the text and the
// image it was presented with and closes on a later frame (the event hub's
// pre-update) with the answer a test scripted, or as sent when nothing was.
#pragma once

#include "providers/Provider_Twitter/TweetComposer.h"

#include <deque>
#include <string>
#include <vector>

namespace Varnok {

class TweetComposerStandIn final : public TweetComposer {
public:
    struct Shown {
        std::string text;
        bool hasImage = false;
        TweetImage image;
    };

    TweetComposerStandIn();
    ~TweetComposerStandIn() override;
    TweetComposerStandIn(const TweetComposerStandIn&) = delete;
    TweetComposerStandIn& operator=(const TweetComposerStandIn&) = delete;

    bool HasRootViewController() const override { return m_hasRootViewController; }
    void Present(const std::string& initialText, const TweetImage* image, Handler onDone) override;

    // ---- Script ----
    void QueueAnswer(TweetComposeResult result) { m_answers.push_back(result); }
    void SetHasRootViewController(bool has) { m_hasRootViewController = has; }

    // ---- What happened ----
    const std::vector<Shown>& GetShown() const { return m_shown; }
    // True while a composer is up (until the frame after it was presented).
    bool IsPresenting() const { return !m_open.empty(); }

    void OnFrame(float stepSeconds);

private:
    struct Open {
        int askedFrame = 0;
        Handler onDone;
    };

    std::deque<TweetComposeResult> m_answers;
    std::vector<Open> m_open;
    std::vector<Shown> m_shown;
    int m_frame = 0;
    bool m_hasRootViewController = true;
};

}  // namespace Varnok
