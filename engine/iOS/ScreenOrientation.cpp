// Orientation values between the engine and the platform.
#include "engine/iOS/ScreenOrientation.h"

namespace Varnok {

int PlatformOrientationFromEngine(int orientation) {
    static const int kPlatform[] = {kPlatformPortrait, kPlatformPortraitUpsideDown,
                                    kPlatformLandscapeLeft, kPlatformLandscapeRight};
    if (orientation < Portrait || orientation > LandscapeRight) {
        return 0;
    }
    return kPlatform[orientation];
}

int EngineOrientationFromPlatform(int platformOrientation) {
    switch (platformOrientation) {
        case kPlatformPortrait:
            return Portrait;
        case kPlatformPortraitUpsideDown:
            return PortraitUpsideDown;
        case kPlatformLandscapeRight:
            return LandscapeRight;
        case kPlatformLandscapeLeft:
            return LandscapeLeft;
        default:
            return -1;
    }
}

int OrientationMask(int orientation) {
    const int platform = PlatformOrientationFromEngine(orientation);
    return platform == 0 ? 0 : 1 << platform;
}

}  // namespace Varnok
