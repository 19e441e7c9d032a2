// Dialogs as SDL message boxes over the game's window.
#pragma once

#include "engine/iOS/DialogManager_iPhone.h"

#include <memory>

namespace Varnok {

// Cannot show an alert (the presenter answers as headless) while SDL has no
// video or the message box fails.
std::unique_ptr<AlertBackend> CreateSdlAlertBackend();

}  // namespace Varnok
