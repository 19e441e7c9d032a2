// The writer of the saved logins: after every social login the process
// records on this device which online account it logged into, for the
// player's other devices to offer.
#pragma once

#include "engine/iOS/LoginInfo.h"

namespace Varnok {
class ServiceManager;
}

namespace Klui {

// A login found on another device.
using ExistingLoginInfo = Varnok::LoginInfo;

// Writes this device's entry for the service and account, under the game
// family of the manager's online provider.
void SaveLoginInfo(const char* service, const char* accountId, Varnok::ServiceManager& manager);

}  // namespace Klui
