// The social accounts the server believes in: an access token of "facebook"
// or of an OAuth service names one account of that service. A login or a
// link with a token missing here is refused with "invalid token". Tests
// hand the table in; the program reads it from a file.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace Varnok {
namespace Tools {

class SocialTokens {
public:
    void Add(const std::string& service, const std::string& accessToken, const std::string& accountId);
    // Lines "service token accountId"; blank lines and "#" lines skipped.
    // False (one log line, the good lines kept) when the file cannot be
    // read or a line has not three words.
    bool LoadFile(const std::string& path);
    // The account that token names for the service, or "".
    std::string AccountOf(const std::string& service, const std::string& accessToken) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::pair<std::string, std::string>, std::string> m_accounts;  // (service, token): id
};

}  // namespace Tools
}  // namespace Varnok
