// The logical screen size from the renderer's viewport.
#include "game/rules/GameFunctions.h"

#include "engine/render/Renderer.h"

namespace Varnok {

float LogicalScreenWidth() {
    const Renderer& renderer = Renderer::Get();
    const int height = renderer.GetViewportHeight();
    if (height <= 0) {
        return LogicalScreenHeight();
    }
    return LogicalScreenHeight() * static_cast<float>(renderer.GetViewportWidth()) /
           static_cast<float>(height);
}

}  // namespace Varnok
