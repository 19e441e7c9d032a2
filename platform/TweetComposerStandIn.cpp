// The tweet composer stand-in: presented now, answered and dismissed on the
// next frame.
#include "platform/TweetComposerStandIn.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"

#include <utility>

namespace Varnok {

TweetComposerStandIn::TweetComposerStandIn() {
    PlatformEventHub::Get().preUpdate.Add(Delegate1<void, float>(this, &TweetComposerStandIn::OnFrame));
}

TweetComposerStandIn::~TweetComposerStandIn() {
    PlatformEventHub::Get().preUpdate.Remove(
        Delegate1<void, float>(this, &TweetComposerStandIn::OnFrame));
}

void TweetComposerStandIn::Present(const std::string& initialText, const TweetImage* image,
                                   Handler onDone) {
    if (!m_open.empty()) {
        // The platform refuses a second modal sheet over the first.
        Log("TweetComposer: a composer is already up, the new one is not shown");
        return;
    }
    Shown shown;
    shown.text = initialText;
    if (image != nullptr) {
        shown.hasImage = true;
        shown.image = *image;
    }
    m_shown.push_back(std::move(shown));
    m_open.push_back({m_frame, std::move(onDone)});
}

void TweetComposerStandIn::OnFrame(float /*stepSeconds*/) {
    ++m_frame;
    std::vector<Open> due;
    std::vector<Open> waiting;
    for (Open& open : m_open) {
        (open.askedFrame < m_frame ? due : waiting).push_back(std::move(open));
    }
    m_open = std::move(waiting);
    for (const Open& open : due) {
        TweetComposeResult result = TweetComposeResult::Done;
        if (!m_answers.empty()) {
            result = m_answers.front();
            m_answers.pop_front();
        }
        if (open.onDone) {
            open.onDone(result);
        }
    }
}

}  // namespace Varnok
