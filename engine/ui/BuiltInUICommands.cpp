// The commands the UI registers at start-up, in their order.
#include "engine/ui/UICommand.h"

#include "engine/ui/UIManager.h"

namespace Varnok {

void RegisterBuiltInUICommands() {
    // The built-in commands are created and registered here as they come.
}

}  // namespace Varnok
