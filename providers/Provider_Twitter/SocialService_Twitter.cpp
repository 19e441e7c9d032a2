// Tweets: the composer, the web intent and the image that goes with one.
#include "providers/Provider_Twitter/SocialService_Twitter.h"

#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "platform/PngReader.h"
#include "providers/Provider_Facebook/SocialText.h"
#include "providers/Provider_Twitter/Provider_Twitter.h"
#include "providers/Provider_Twitter/TweetComposer.h"

namespace Varnok {
namespace {

std::string TweetText(const char* message, const char* link) {
    return std::string(TextOrEmpty(message)) + " " + TextOrEmpty(link);
}

// The composer when it can be presented; null (and a log line) otherwise.
TweetComposer* PresentableComposer() {
    TweetComposer* composer = GetTweetComposer();
    if (composer == nullptr || !composer->HasRootViewController()) {
        Log("SocialService_Twitter: no root view controller to present the composer from");
        return nullptr;
    }
    return composer;
}

}  // namespace

TWWebDialogDelegate::~TWWebDialogDelegate() {
    m_handler = nullptr;
    m_dialog.reset();
}

void TWWebDialogDelegate::GoRetainYourself() {
    if (!m_isSelfRetained) {
        m_self = shared_from_this();
        m_isSelfRetained = true;
    }
}

void TWWebDialogDelegate::ReleaseSelfIfNeeded() {
    m_dialog.reset();
    if (m_isSelfRetained) {
        m_isSelfRetained = false;
        // The caller holds a reference for the call, so this does not end
        // the object under its own feet.
        m_self.reset();
    }
}

void TWWebDialogDelegate::CompleteWithResult(int result, const std::string* url,
                                             const std::string* error) {
    if (m_handler) {
        const Handler handler = std::move(m_handler);
        m_handler = nullptr;
        handler(result, url, error);
    }
}

void TWWebDialogDelegate::DialogCompletedWithUrl(const std::string& url) {
    CompleteWithResult(0, &url, nullptr);
}

void TWWebDialogDelegate::DialogNotCompletedWithUrl(const std::string& url) {
    CompleteWithResult(1, &url, nullptr);
}

void TWWebDialogDelegate::DialogCompleted() {
    CompleteWithResult(0, nullptr, nullptr);
    ReleaseSelfIfNeeded();
}

void TWWebDialogDelegate::DialogNotCompleted() {
    CompleteWithResult(1, nullptr, nullptr);
    ReleaseSelfIfNeeded();
}

void TWWebDialogDelegate::DialogFailed(const std::string& error) {
    CompleteWithResult(1, nullptr, &error);
    ReleaseSelfIfNeeded();
}

bool LoadTweetImage(const char* file, TweetImage& outImage) {
    if (file == nullptr || file[0] == '\0') {
        Log("SocialService_Twitter: no image file named");
        return false;
    }
    TweetImage image;
    if (file[0] == '/' && ReadPng(file, image.width, image.height, image.rgba)) {
        outImage = std::move(image);
        return true;
    }
    FileObject resource(file, kOpenRead, FileSystemKey("base"));
    if (resource.Load() &&
        ReadPngFromMemory(resource.GetData(), static_cast<size_t>(resource.GetLength()), file,
                          image.width, image.height, image.rgba)) {
        outImage = std::move(image);
        return true;
    }
    Log("SocialService_Twitter: no image \"%s\" to tweet", file);
    return false;
}

const AsciiString& SocialService_Twitter::GetProviderName() const {
    return Provider_Twitter::GetProviderName();
}

bool SocialService_Twitter::HasNativeComposer() {
    return SystemVersionAtLeast("5.0");
}

void SocialService_Twitter::PostMessage(const char* message, const char* link, const char*,
                                        const char*, const char*, const char*,
                                        PostDelegate onDone) {
    if (!HasNativeComposer()) {
        PostThroughWebIntent(message, link, onDone);
        return;
    }
    TweetComposer* composer = PresentableComposer();
    if (composer == nullptr) {
        return;
    }
    composer->Present(TweetText(message, link), nullptr, [onDone](TweetComposeResult result) {
        switch (result) {
            case TweetComposeResult::Cancelled: ReportPostStatus(onDone, SocialPostStatus::NotPosted); break;
            case TweetComposeResult::Done: ReportPostStatus(onDone, SocialPostStatus::Posted); break;
            default: ReportPostStatus(onDone, SocialPostStatus::Unknown); break;
        }
    });
}

void SocialService_Twitter::PostThroughWebIntent(const char* message, const char* link,
                                                 const PostDelegate& onDone) {
    SocialClient* client = GetSocialClient();
    if (client == nullptr) {
        Log("SocialService_Twitter: no social client for the web intent, the tweet fails");
        ReportPostStatus(onDone, SocialPostStatus::Failed);
        return;
    }
    SocialClient::Parameters parameters;
    parameters["url"] = TextOrEmpty(link);
    parameters["text"] = TextOrEmpty(message);
    auto delegate = std::make_shared<TWWebDialogDelegate>();
    delegate->SetHandler([onDone](int, const std::string*, const std::string* error) {
        ReportPostStatus(onDone, error != nullptr ? SocialPostStatus::Failed : SocialPostStatus::Unknown);
    });
    delegate->GoRetainYourself();
    delegate->SetDialog(client->ShowWebDialog(kTwitterWebIntentAddress, parameters, delegate));
}

void SocialService_Twitter::PostImage(const char* message, const char* link, const char* imageFile,
                                      const char*, const char*, const char*, PostDelegate onDone) {
    TweetImage image;
    const bool hasImage = LoadTweetImage(imageFile, image);
    if (!hasImage) {
        ReportPostStatus(onDone, SocialPostStatus::Unknown);
    }
    if (!HasNativeComposer()) {
        return;
    }
    TweetComposer* composer = PresentableComposer();
    if (composer == nullptr) {
        return;
    }
    composer->Present(TweetText(message, link), hasImage ? &image : nullptr,
                      [onDone](TweetComposeResult result) {
                          ReportPostStatus(onDone, result == TweetComposeResult::Done
                                             ? SocialPostStatus::Posted
                                             : SocialPostStatus::Unknown);
                      });
}

void SocialService_Twitter::SendRequestToFriend(const char*, const char*, const char*,
                                                const Parameters*, SocialPostExtraOptions,
                                                PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Failed);
}

void SocialService_Twitter::SendRequestToFriends(const std::vector<std::string>&, const char*,
                                                 const char*, const Parameters*,
                                                 SocialPostExtraOptions, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Failed);
}

void SocialService_Twitter::SuggestRequestToFriends(const std::vector<std::string>&, const char*,
                                                    const char*, const Parameters*,
                                                    SocialPostExtraOptions, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Failed);
}

void SocialService_Twitter::SendRequestToFriends(const IPlayer* const*, int, const char*,
                                                 const char*, const Parameters*,
                                                 SocialPostExtraOptions, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Failed);
}

void SocialService_Twitter::SuggestRequestToFriends(const IPlayer* const*, int, const char*,
                                                    const char*, const Parameters*,
                                                    SocialPostExtraOptions, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Failed);
}

}  // namespace Varnok
