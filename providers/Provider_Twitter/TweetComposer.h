// The platform's tweet composer (iOS 5.0 and later): a modal sheet presented
// from the root view controller with an initial text and an optional image.
// platform/ implements it; the program installs one at start-up and tests
// install their own. It reports on a later frame, once, and is then
// dismissed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

enum class TweetComposeResult : int { Cancelled = 0, Done = 1 };

struct TweetImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows top first
};

class TweetComposer {
public:
    using Handler = std::function<void(TweetComposeResult result)>;

    virtual ~TweetComposer() = default;
    // Whether the application can give a root view controller to present
    // from.
    virtual bool HasRootViewController() const = 0;
    // image may be null. The handler runs once.
    virtual void Present(const std::string& initialText, const TweetImage* image, Handler onDone) = 0;
};

// The installed composer, or null when none is (the composer path then does
// nothing, as without a root view controller).
TweetComposer* GetTweetComposer();
// Replaces the installed composer; null uninstalls it.
void SetTweetComposer(std::shared_ptr<TweetComposer> composer);

}  // namespace Varnok
