// The keyboard over SDL's text input.
#pragma once

#include "engine/iOS/KeyboardManager.h"

#include <memory>

namespace Varnok {

// Does nothing while SDL has no video.
std::unique_ptr<KeyboardBackend> CreateSdlKeyboardBackend();

}  // namespace Varnok
