// Opened app-request links and the social network's answer for the request:
// the link, a 0 byte, then the answer's text.
#include "providers/Provider_Facebook/AppRequestLink.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string url = input.substr(0, split);
    const std::string body = split == std::string::npos ? std::string() : input.substr(split + 1);

    std::vector<std::string> ids;
    if (Varnok::IsAppRequestLink(url.c_str()) && Varnok::ParseAppRequestIds(url, ids)) {
        for (const std::string& id : ids) {
            // Only ids reach the graph as paths.
            if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) {
                std::abort();
            }
        }
    }
    static const std::vector<std::string> kOptionNames{
        "openScreen", "highlightItem", "giveCurrency", "giveItem",
        "sentFromFacebookId", "sentFromFacebookName", "createdTime"};
    Varnok::AppRequestResult result;
    if (Varnok::ReadAppRequestResult(body, kOptionNames, result)) {
        const std::vector<std::string> paths = Varnok::AppRequestDeletionPaths(ids, result.recipientId);
        if (paths.size() != ids.size()) {
            std::abort();
        }
    }
    return 0;
}
