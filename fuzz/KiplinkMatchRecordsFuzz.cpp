// Any JSON as the result of each lobby and match reply: records fill
// matches, lists grow and shrink, and every getter and page stays in range.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/LobbyService.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Request.h"

#include <cstddef>
#include <cstdint>
#include <string>

using Kiplink::IValue;
using Kiplink::RefPtr;

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Kiplink::SetLogSink([](const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    RefPtr<IValue> result = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    result->Parse(std::string(reinterpret_cast<const char*>(bytes), size).c_str());
    RefPtr<IValue> noError = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    RefPtr<IValue> error = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    error->AppendInt(1);
    error->AppendValue(*result);

    // No root: requests go nowhere, replies are handed in directly.
    RefPtr<Kiplink::AsyncUserService> service(new Kiplink::AsyncUserService(nullptr, {"me", "token"}));
    Kiplink::RequestContext context("async_lobbies", "list");
    service->OnLobbiesReply(context, *noError, *result);
    service->OnLobbiesReply(context, *noError, *result);
    service->OnUserMatchesReply(context, *noError, *result);
    service->OnCreateReply(context, *noError, *result);
    for (int step = 0; step < 4; ++step) {
        uint32_t id = 0;
        service->NextLobbyPage(&id);
        const int32_t count = service->GetLobbyCount();
        Check(count >= 0 && count <= static_cast<int32_t>(service->GetPageSize()));
        for (int32_t i = 0; i < count; ++i) {
            RefPtr<Kiplink::AsyncMatchImpl> lobby = RefPtr<Kiplink::AsyncMatchImpl>::Adopt(service->GetLobby(i));
            Check(static_cast<bool>(lobby));  // every counted lobby is there
        }
    }
    for (uint32_t i = 0; i <= service->GetUserMatchCount(); ++i) {
        RefPtr<Kiplink::AsyncMatchImpl> match = RefPtr<Kiplink::AsyncMatchImpl>::Adopt(service->GetUserMatch(i));
        if (match) {
            match->OnMatchReply(context, *noError, *result);
            match->OnJoinReply(context, *error, *result);
            for (uint32_t u = 0; u <= match->GetUserCount(); ++u) {
                Check((match->GetUser(u) != nullptr) == (u < match->GetUserCount()));
            }
            (void)match->IsOwner();
        }
    }
    service->OnDeleteReply(context, *noError, *result);
    service->OnDeleteReply(context, *error, *result);
    return 0;
}
