// The desktop's set of platform services for the game program: the host's
// device settings and network, PNG launch images, and the window's dialogs
// and keyboard.
#pragma once

#include "engine/iOS/PlatformServices.h"

namespace Varnok {

struct DesktopServicesDef {
    bool windowed = false;  // SDL message boxes and text input over the window
    bool xdgOpen = false;   // opened URLs go to xdg-open; otherwise only logged
};

PlatformServices CreateDesktopServices(const DesktopServicesDef& def);

}  // namespace Varnok
