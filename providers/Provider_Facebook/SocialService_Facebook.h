// Facebook's social service: the feed dialog for posts and the requests
// dialog for app requests to players, through the installed social client.
#pragma once

#include "engine/services/ISocialService.h"
#include "providers/Provider_Facebook/SocialClient.h"

#include <string>

namespace Varnok {

// The longest request-data text that is sent; a longer one is sent empty.
constexpr size_t kMaxRequestDataCharacters = 253;

class SocialService_Facebook final : public ISocialService {
public:
    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override;

    // Opens the feed dialog with "user_message" and whichever of the others
    // are given. Reports 2 posted, 1 not posted, 0 unknown, 4 on an error.
    void PostMessage(const char* message, const char* link, const char* picture, const char* name,
                     const char* caption, const char* description, PostDelegate onDone) override;
    // Not offered here: 0 at once.
    void PostImage(const char* message, const char* link, const char* imageFile, const char* name,
                   const char* caption, const char* description, PostDelegate onDone) override;
    bool HasNativeComposer() override { return false; }
    // The three operations by friend id are not offered: 0 at once.
    void SendRequestToFriend(const char* friendId, const char* title, const char* message,
                             const Parameters* parameters, SocialPostExtraOptions options,
                             PostDelegate onDone) override;
    void SendRequestToFriends(const std::vector<std::string>& friendIds, const char* title,
                              const char* message, const Parameters* parameters,
                              SocialPostExtraOptions options, PostDelegate onDone) override;
    void SuggestRequestToFriends(const std::vector<std::string>& friendIds, const char* title,
                                 const char* message, const Parameters* parameters,
                                 SocialPostExtraOptions options, PostDelegate onDone) override;
    // The requests dialog with the players' Facebook ids under "to" or
    // "suggestions". Reports 2 sent, 1 not sent, 0 unknown.
    void SendRequestToFriends(const IPlayer* const* players, int count, const char* title,
                              const char* message, const Parameters* parameters,
                              SocialPostExtraOptions options, PostDelegate onDone) override;
    void SuggestRequestToFriends(const IPlayer* const* players, int count, const char* title,
                                 const char* message, const Parameters* parameters,
                                 SocialPostExtraOptions options, PostDelegate onDone) override;

private:
    void PresentRequests(const char* recipientsKey, const IPlayer* const* players, int count,
                         const char* title, const char* message, const Parameters* parameters,
                         SocialPostExtraOptions options, const PostDelegate& onDone);
};

// The players' ids for "facebook", in order, joined by ","; players without
// one are left out.
std::string JoinFacebookIds(const IPlayer* const* players, int count);
// The request data as a JSON object of texts, keys in order ({"a":"1","b":"x"}),
// escaped as JSON; the empty text when it would be longer than
// kMaxRequestDataCharacters characters.
std::string RequestDataText(const ISocialService::Parameters* parameters);

}  // namespace Varnok
