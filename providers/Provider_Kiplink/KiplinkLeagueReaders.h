// Turning the league server's replies (passed on unread by the client
// library) into engine records. Replies of an unexpected shape give empty
// records, never a failure.
#pragma once

#include "engine/services/ServiceTypes.h"
#include "kiplink/Public/IValue.h"

#include <string>
#include <utility>
#include <vector>

namespace Varnok {

// One record per object member, keyed by the member's name.
std::vector<LeagueUser> ReadLeagueUsers(const Kiplink::IValue& value);
// One record per object member; the member's name is its time stamp.
std::vector<LeagueFeedUser> ReadLeagueFeed(const Kiplink::IValue& value);
// (name, score) of each member with a number "score", highest first; a
// repeated name keeps its last score.
std::vector<std::pair<std::string, float>> ReadTopLeagues(const Kiplink::IValue& value);
// Element 1 of an array error when it is text, else "".
std::string LeagueErrorText(const Kiplink::IValue& error);

}  // namespace Varnok
