// What the program hands the application shell when it starts it.
#pragma once

#include "engine/iOS/PlatformServices.h"

#include <string>

namespace Varnok {

class PlatformDisplay;

struct ShellDef {
    PlatformDisplay* display = nullptr;  // the GL context and window; required, not owned
    std::string bundleDir;     // the game's read-only data
    std::string documentsDir;  // saves
    std::string cachesDir;
    std::string bundleVersion = "1.0.0";
    PlatformServices services;  // installed when the shell starts
};

}  // namespace Varnok
