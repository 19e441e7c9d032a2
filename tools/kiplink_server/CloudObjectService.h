// "cloudObject" "updateObjects" and "getObjects": players' cloud objects kept
// in their owners' game data under "cloudObjectData", edited by operation
// lists from any signed-in player and answered as server copies with their
// CRC.
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/UserService.h"

namespace Varnok {
namespace Tools {

class CloudObjectService {
public:
    // accounts must outlive the server's use of this service.
    explicit CloudObjectService(UserService& accounts) : m_accounts(accounts) {}
    void Install(KiplinkServer& server);

private:
    ServiceReply Handle(const ServiceCall& call);

    UserService& m_accounts;
};

}  // namespace Tools
}  // namespace Varnok
