// Opened URLs handed to the desktop through xdg-open.
#pragma once

#include "engine/iOS/LaunchUrl.h"

#include <memory>

namespace Varnok {

// Runs xdg-open (found on PATH) with the URL as its one argument, no shell
// between, and waits for it: true when it exits with status 0.
std::unique_ptr<UrlOpener> CreateXdgUrlOpener();

}  // namespace Varnok
