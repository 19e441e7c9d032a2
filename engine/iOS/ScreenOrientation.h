// The engine's names for the four interface orientations, and their mapping to
// the platform's orientation values and masks.
#pragma once

namespace Varnok {

enum ScreenOrientation : int {
    Portrait = 0,
    PortraitUpsideDown = 1,
    LandscapeLeft = 2,
    LandscapeRight = 3,
};

// The platform's interface-orientation values: Portrait 1, PortraitUpsideDown
// 2, LandscapeRight 3, LandscapeLeft 4. Its masks are 1 << value.
constexpr int kPlatformPortrait = 1;
constexpr int kPlatformPortraitUpsideDown = 2;
constexpr int kPlatformLandscapeRight = 3;
constexpr int kPlatformLandscapeLeft = 4;

constexpr int kOrientationMaskPortrait = 2;
constexpr int kOrientationMaskPortraitUpsideDown = 4;
constexpr int kOrientationMaskLandscapeRight = 8;
constexpr int kOrientationMaskLandscapeLeft = 16;
constexpr int kOrientationMaskLandscape = 24;
constexpr int kOrientationMaskAll = 30;

// 0 for a value outside the four orientations.
int PlatformOrientationFromEngine(int orientation);
// -1 for a value outside 1..4.
int EngineOrientationFromPlatform(int platformOrientation);
// The platform mask of one engine orientation; 0 outside the four.
int OrientationMask(int orientation);

}  // namespace Varnok
