// Posting to social networks and sending requests to friends. The game
// picks one service by provider name.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

#include <map>
#include <string>
#include <vector>

namespace Varnok {

class ISocialService;

class ISocialServiceAggregate : public ServiceInterfaceBase<ISocialService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ISocialService");
        return s_serviceName;
    }
};

class ISocialService : public ISocialServiceAggregate {
public:
    using BaseAggregateType = ISocialServiceAggregate;
    using ServiceType = ISocialService;
    void Update() override {}
    using PostDelegate = Delegate1<void, SocialPostStatus>;
    using Parameters = std::map<std::string, std::string>;

    virtual void PostMessage(const char* message, const char* link, const char* picture,
                             const char* name, const char* caption, const char* description,
                             PostDelegate onDone) = 0;
    // Posts with an image file of the application.
    virtual void PostImage(const char* message, const char* link, const char* imageFile,
                           const char* name, const char* caption, const char* description,
                           PostDelegate onDone) = 0;
    // Whether the platform's own composer can be used.
    virtual bool HasNativeComposer() = 0;
    // parameters may be null.
    virtual void SendRequestToFriend(const char* friendId, const char* title, const char* message,
                                     const Parameters* parameters, SocialPostExtraOptions options,
                                     PostDelegate onDone) = 0;
    virtual void SendRequestToFriends(const std::vector<std::string>& friendIds, const char* title,
                                      const char* message, const Parameters* parameters,
                                      SocialPostExtraOptions options, PostDelegate onDone) = 0;
    virtual void SuggestRequestToFriends(const std::vector<std::string>& friendIds,
                                         const char* title, const char* message,
                                         const Parameters* parameters, SocialPostExtraOptions options,
                                         PostDelegate onDone) = 0;
    virtual void SendRequestToFriends(const IPlayer* const* players, int count, const char* title,
                                      const char* message, const Parameters* parameters,
                                      SocialPostExtraOptions options, PostDelegate onDone) = 0;
    virtual void SuggestRequestToFriends(const IPlayer* const* players, int count,
                                         const char* title, const char* message,
                                         const Parameters* parameters, SocialPostExtraOptions options,
                                         PostDelegate onDone) = 0;
};

class SocialServiceAggregate final : public ServiceAggregateBase<ISocialServiceAggregate, ISocialService> {
};

template <>
struct ServiceAggregateFor<ISocialService> {
    using Type = SocialServiceAggregate;
};

}  // namespace Varnok
