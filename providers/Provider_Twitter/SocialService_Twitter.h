// Twitter's social service: a tweet of the message and the link, through
// the composer from iOS 5.0 on and through the web intent before.
#pragma once

#include "engine/services/ISocialService.h"
#include "providers/Provider_Facebook/SocialClient.h"

#include <memory>
#include <string>

namespace Varnok {

struct TweetImage;

// Where the web intent opens; only its path is fixed.
constexpr const char* kTwitterWebIntentAddress = "https://twitter.com/intent/tweet";

// Keeps itself alive while its web dialog is up and hands the dialog's end
// to its handler once.
class TWWebDialogDelegate final : public SocialWebDialogDelegate,
                                  public std::enable_shared_from_this<TWWebDialogDelegate> {
public:
    // result 0 completed, 1 not; url and error may be null.
    using Handler = std::function<void(int result, const std::string* url, const std::string* error)>;

    TWWebDialogDelegate() = default;
    ~TWWebDialogDelegate() override;

    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    void SetDialog(std::shared_ptr<SocialWebDialog> dialog) { m_dialog = std::move(dialog); }
    // Takes a reference to itself, once.
    void GoRetainYourself();
    // Lets the dialog go and gives up the reference to itself.
    void ReleaseSelfIfNeeded();
    // Calls the handler when one is set, then drops it: it runs at most once.
    void CompleteWithResult(int result, const std::string* url, const std::string* error);

    bool IsSelfRetained() const { return m_isSelfRetained; }

    void DialogCompletedWithUrl(const std::string& url) override;
    void DialogNotCompletedWithUrl(const std::string& url) override;
    void DialogCompleted() override;
    void DialogNotCompleted() override;
    void DialogFailed(const std::string& error) override;

private:
    bool m_isSelfRetained = false;
    Handler m_handler;
    std::shared_ptr<SocialWebDialog> m_dialog;
    std::shared_ptr<TWWebDialogDelegate> m_self;
};

class SocialService_Twitter final : public ISocialService {
public:
    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override;

    // Composer: 1 cancelled, 2 sent, 0 otherwise. Web intent: 0, or 4 on an
    // error. Picture, name, caption and description are not used.
    void PostMessage(const char* message, const char* link, const char* picture, const char* name,
                     const char* caption, const char* description, PostDelegate onDone) override;
    // The composer with the image (a PNG file by path, else a bundle
    // resource by name): 2 sent, 0 otherwise; a missing image reports 0 at
    // once and the composer opens without it. Nothing before iOS 5.0.
    void PostImage(const char* message, const char* link, const char* imageFile, const char* name,
                   const char* caption, const char* description, PostDelegate onDone) override;
    // iOS 5.0 or later.
    bool HasNativeComposer() override;
    // Friend requests are not offered: 4 at once.
    void SendRequestToFriend(const char* friendId, const char* title, const char* message,
                             const Parameters* parameters, SocialPostExtraOptions options,
                             PostDelegate onDone) override;
    void SendRequestToFriends(const std::vector<std::string>& friendIds, const char* title,
                              const char* message, const Parameters* parameters,
                              SocialPostExtraOptions options, PostDelegate onDone) override;
    void SuggestRequestToFriends(const std::vector<std::string>& friendIds, const char* title,
                                 const char* message, const Parameters* parameters,
                                 SocialPostExtraOptions options, PostDelegate onDone) override;
    void SendRequestToFriends(const IPlayer* const* players, int count, const char* title,
                              const char* message, const Parameters* parameters,
                              SocialPostExtraOptions options, PostDelegate onDone) override;
    void SuggestRequestToFriends(const IPlayer* const* players, int count, const char* title,
                                 const char* message, const Parameters* parameters,
                                 SocialPostExtraOptions options, PostDelegate onDone) override;

private:
    void PostThroughWebIntent(const char* message, const char* link, const PostDelegate& onDone);
};

// The PNG at a path of the host, else the bundle's resource of that name.
// False with a log line when neither reads.
[[nodiscard]] bool LoadTweetImage(const char* file, TweetImage& outImage);

}  // namespace Varnok
