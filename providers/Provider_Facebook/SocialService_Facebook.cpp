// Dialog parameters and how each dialog's outcome becomes a post status.
#include "providers/Provider_Facebook/SocialService_Facebook.h"

#include "engine/core/Log.h"
#include "providers/Provider_Facebook/Provider_Facebook.h"
#include "providers/Provider_Facebook/SocialText.h"

#include <cstdio>

namespace Varnok {
namespace {

constexpr uint32_t kFrictionlessBit = 1;

SocialPostStatus FeedStatus(const SocialDialogOutcome& outcome) {
    if (outcome.hasError) {
        return SocialPostStatus::Failed;
    }
    if (outcome.result != SocialDialogResult::Completed) {
        return SocialPostStatus::NotPosted;
    }
    if (!outcome.hasUrl) {
        return SocialPostStatus::Posted;
    }
    return ContainsIgnoringCase(outcome.url, "post_id") ? SocialPostStatus::Posted
                                                         : SocialPostStatus::NotPosted;
}

SocialPostStatus RequestsStatus(const SocialDialogOutcome& outcome) {
    if (!outcome.hasUrl && !outcome.hasError) {
        return SocialPostStatus::NotPosted;
    }
    if (outcome.hasError || outcome.result != SocialDialogResult::Completed) {
        return SocialPostStatus::Unknown;
    }
    if (outcome.url.empty()) {
        return SocialPostStatus::Posted;  // a reply without text: the dialog did finish
    }
    return ContainsIgnoringCase(outcome.url, "request") ? SocialPostStatus::Posted
                                                         : SocialPostStatus::NotPosted;
}

void AppendJsonString(const std::string& text, std::string& out) {
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (byte < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                    out += escape;
                } else {
                    out.push_back(c);
                }
        }
    }
    out.push_back('"');
}

// Characters as the platform's strings count them: UTF-16 units.
size_t CharacterCount(const std::string& utf8) {
    size_t count = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            count += byte >= 0xF0 ? 2 : 1;
        }
    }
    return count;
}

}  // namespace

std::string JoinFacebookIds(const IPlayer* const* players, int count) {
    std::string joined;
    for (int i = 0; players != nullptr && i < count; ++i) {
        const char* id = players[i] != nullptr ? players[i]->GetId("facebook") : nullptr;
        if (id == nullptr) {
            continue;
        }
        if (!joined.empty()) {
            joined.push_back(',');
        }
        joined += id;
    }
    return joined;
}

std::string RequestDataText(const ISocialService::Parameters* parameters) {
    if (parameters == nullptr) {
        return std::string();
    }
    std::string text = "{";
    for (const auto& [key, value] : *parameters) {
        if (text.size() > 1) {
            text.push_back(',');
        }
        AppendJsonString(key, text);
        text.push_back(':');
        AppendJsonString(value, text);
    }
    text.push_back('}');
    return CharacterCount(text) > kMaxRequestDataCharacters ? std::string() : text;
}

const AsciiString& SocialService_Facebook::GetProviderName() const {
    return Provider_Facebook::GetProviderName();
}

void SocialService_Facebook::PostMessage(const char* message, const char* link, const char* picture,
                                         const char* name, const char* caption,
                                         const char* description, PostDelegate onDone) {
    SocialClient* client = GetSocialClient();
    if (client == nullptr) {
        Log("SocialService_Facebook: no social client, the post fails");
        ReportPostStatus(onDone, SocialPostStatus::Failed);
        return;
    }
    SocialClient::Parameters parameters;
    parameters["user_message"] = TextOrEmpty(message);
    const std::pair<const char*, const char*> optional[] = {
        {"link", link}, {"picture", picture}, {"name", name}, {"caption", caption},
        {"description", description}};
    for (const auto& [key, value] : optional) {
        if (value != nullptr) {
            parameters[key] = value;
        }
    }
    client->PresentFeedDialog(parameters, [onDone](const SocialDialogOutcome& outcome) {
        ReportPostStatus(onDone, FeedStatus(outcome));
    });
}

void SocialService_Facebook::PostImage(const char*, const char*, const char*, const char*,
                                       const char*, const char*, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Unknown);
}

void SocialService_Facebook::SendRequestToFriend(const char*, const char*, const char*,
                                                 const Parameters*, SocialPostExtraOptions,
                                                 PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Unknown);
}

void SocialService_Facebook::SendRequestToFriends(const std::vector<std::string>&, const char*,
                                                  const char*, const Parameters*,
                                                  SocialPostExtraOptions, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Unknown);
}

void SocialService_Facebook::SuggestRequestToFriends(const std::vector<std::string>&, const char*,
                                                     const char*, const Parameters*,
                                                     SocialPostExtraOptions, PostDelegate onDone) {
    ReportPostStatus(onDone, SocialPostStatus::Unknown);
}

void SocialService_Facebook::SendRequestToFriends(const IPlayer* const* players, int count,
                                                  const char* title, const char* message,
                                                  const Parameters* parameters,
                                                  SocialPostExtraOptions options,
                                                  PostDelegate onDone) {
    PresentRequests("to", players, count, title, message, parameters, options, onDone);
}

void SocialService_Facebook::SuggestRequestToFriends(const IPlayer* const* players, int count,
                                                     const char* title, const char* message,
                                                     const Parameters* parameters,
                                                     SocialPostExtraOptions options,
                                                     PostDelegate onDone) {
    PresentRequests("suggestions", players, count, title, message, parameters, options, onDone);
}

void SocialService_Facebook::PresentRequests(const char* recipientsKey,
                                             const IPlayer* const* players, int count,
                                             const char* title, const char* message,
                                             const Parameters* parameters,
                                             SocialPostExtraOptions options,
                                             const PostDelegate& onDone) {
    SocialClient* client = GetSocialClient();
    if (client == nullptr) {
        Log("SocialService_Facebook: no social client, the request fails");
        ReportPostStatus(onDone, SocialPostStatus::Failed);
        return;
    }
    SocialClient::Parameters dialog;
    dialog[recipientsKey] = JoinFacebookIds(players, count);
    dialog["data"] = RequestDataText(parameters);
    if ((options.flags & kFrictionlessBit) != 0) {
        dialog["frictionless"] = "1";
    }
    client->PresentRequestsDialog(TextOrEmpty(message), TextOrEmpty(title), dialog,
                                  [onDone](const SocialDialogOutcome& outcome) {
                                      ReportPostStatus(onDone, RequestsStatus(outcome));
                                  });
}

}  // namespace Varnok
