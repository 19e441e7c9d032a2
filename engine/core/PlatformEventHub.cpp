// The hub and the shell-side rules around its flags.
#include "engine/core/PlatformEventHub.h"

namespace Varnok {

PlatformEventHub& PlatformEventHub::Get() {
    static PlatformEventHub hub;
    return hub;
}

bool PlatformEventHub::DispatchPreUpdate(float stepSeconds) {
    skipUpdate = false;
    preUpdate.Invoke(stepSeconds);
    return !skipUpdate;
}

bool PlatformEventHub::DispatchPreRender() {
    skipRender = false;
    preRender.Invoke();
    return !skipRender;
}

bool PlatformEventHub::QueryRotation(int orientation) {
    bool allowed = true;
    rotationQuery.Invoke(orientation, &allowed);
    return allowed;
}

bool PlatformEventHub::DispatchOpenUrl(const char* url, const char* source) {
    urlRefused = false;
    openUrl.Invoke(url, source);
    return !urlRefused;
}

}  // namespace Varnok
