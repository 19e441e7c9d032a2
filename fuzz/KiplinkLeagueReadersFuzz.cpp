// Feeds arbitrary text, parsed by the client's JSON parser, to the league
// reply readers: whatever the shape, they must give records without
// crashing, top leagues must come highest first, and every member record
// must name an object member of the reply.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Log.h"
#include "providers/Provider_Kiplink/KiplinkLeagueReaders.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool s_quiet = [] {
        Kiplink::SetLogSink([](const char*) {});
        return true;
    }();
    (void)s_quiet;
    const std::string text(reinterpret_cast<const char*>(data), size);
    Kiplink::RefPtr<Kiplink::IValue> value = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    value->Parse(text.c_str());
    const Kiplink::IValue& reply = *value;

    const auto users = Varnok::ReadLeagueUsers(reply);
    const auto feed = Varnok::ReadLeagueFeed(reply);
    const auto top = Varnok::ReadTopLeagues(reply);
    Check(users.size() <= reply.GetMemberCount() || !reply.IsObject());
    Check(users.size() == feed.size());
    for (size_t i = 1; i < top.size(); ++i) {
        Check(!(top[i - 1].second < top[i].second));
    }
    Check(top.size() <= users.size());
    (void)Varnok::LeagueErrorText(reply);
    (void)Varnok::ReadLeagueUsers(reply["results"]);
    return 0;
}
