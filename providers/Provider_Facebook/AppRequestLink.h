// Reading the links that an app request opens the application with, and the
// request object that the social network answers for one. Both come from
// outside: every piece is checked before use.
#pragma once

#include "engine/services/ServiceTypes.h"

#include <string>
#include <vector>

namespace Varnok {

// Both markers of a request notification's link, anywhere, case-sensitive.
bool IsAppRequestLink(const char* url);

// %XX escapes replaced by their bytes; a "%" without two hex digits stays.
std::string DecodePercentEscapes(const std::string& text);

// The request ids of a link (its "target_url", percent-decoded, then that
// address's "request_ids", split at ","), in order. Pieces without "=" are
// skipped. Ids that are not all digits are dropped with a log line: they
// become graph paths, and a link must not name any other object. False when
// there is nothing to fetch: no "target_url", no "request_ids", or no id left.
[[nodiscard]] bool ParseAppRequestIds(const std::string& url, std::vector<std::string>& outIds);

// What a fetched request object gives the game.
struct AppRequestResult {
    DeepLinkOptions options;
    std::string recipientId;  // "to"."id" when it is an id; empty otherwise
};

// Reads the request object's JSON text: the sender ("from" with text "id"
// and "name") and "created_time" (a text) become "sentFromFacebookId",
// "sentFromFacebookName" and "createdTime"; the members of the JSON object
// in the text under "data" whose names are in optionNames become options
// (texts as they are, numbers and booleans as their text). A field of the
// wrong type is left out with one log line. False (with a log line) when the
// text is not a JSON object.
[[nodiscard]] bool ReadAppRequestResult(const std::string& body,
                                        const std::vector<std::string>& optionNames,
                                        AppRequestResult& outResult);

// The graph paths that delete the requests: each id, followed by "_" and the
// recipient when there is one.
std::vector<std::string> AppRequestDeletionPaths(const std::vector<std::string>& requestIds,
                                                 const std::string& recipientId);

}  // namespace Varnok
