#include "tools/kiplink_server/SocialTokens.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace Varnok {
namespace Tools {

void SocialTokens::Add(const std::string& service, const std::string& accessToken, const std::string& accountId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accounts[{service, accessToken}] = accountId;
}

bool SocialTokens::LoadFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "kiplink_server: cannot read the social token file %s\n", path.c_str());
        return false;
    }
    bool allGood = true;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string service, token, account, extra;
        if (!(words >> service) || service[0] == '#') {
            continue;
        }
        if (!(words >> token >> account) || (words >> extra)) {
            std::fprintf(stderr, "kiplink_server: %s:%d is not \"service token accountId\"\n", path.c_str(), number);
            allGood = false;
            continue;
        }
        Add(service, token, account);
    }
    return allGood;
}

std::string SocialTokens::AccountOf(const std::string& service, const std::string& accessToken) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_accounts.find({service, accessToken});
    return found != m_accounts.end() ? found->second : std::string();
}

}  // namespace Tools
}  // namespace Varnok
