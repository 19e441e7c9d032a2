// The URL a Google sign-in returns to the application with.
#include "platform/SignInClientStandIn.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);  // stops at a 0 byte below
    Varnok::SignInReturn answer;
    if (!Varnok::ParseSignInReturnUrl(url.c_str(), &answer)) {
        return 0;
    }
    // A taken URL names its scheme and ends in a token or an error, never
    // in neither.
    if (answer.scheme.empty() || url.compare(0, answer.scheme.size(), answer.scheme) != 0 ||
        (answer.error.empty() && answer.accessToken.empty())) {
        std::abort();
    }
    return 0;
}
