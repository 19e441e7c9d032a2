// The Game Center screen over the game: at most one is up, a second replaces
// the first without animation, and the player's finishing takes it away.
// While one is up the device rotates as the game allows: through the
// platform hub's rotation listeners, or, when the game's view sits straight
// in the window, to the game's own orientation only. Owned by the provider;
// main thread only.
#pragma once

#include "providers/Provider_GameCenter/GameCentre.h"

#include <memory>
#include <string>

namespace Varnok {

class GameCenterDashboardManager {
public:
    GameCenterDashboardManager() = default;
    GameCenterDashboardManager(const GameCenterDashboardManager&) = delete;
    GameCenterDashboardManager& operator=(const GameCenterDashboardManager&) = delete;

    // Presents the screen; one already up leaves first, and both changes are
    // then made without animation.
    void Attach(GameCentre::Screen screen, const std::string& category, bool animated);
    // Takes the screen that is up away; nothing when none is.
    void RemoveCurrent(bool animated);
    bool HasCurrentScreen() const { return m_hasCurrent; }

    // Rotation questions of the platform, in its orientation values (1..4).
    bool ShouldAutorotateToInterfaceOrientation(int platformOrientation) const;
    // The platform's orientation mask; both landscapes when nothing is allowed.
    int SupportedInterfaceOrientations() const;
    // Tells the hub's listeners; the manager then takes the new orientation
    // as the current one once the rotation ends.
    void WillRotateToInterfaceOrientation(int platformOrientation, float durationSeconds);
    void DidRotateFromInterfaceOrientation(int previousPlatformOrientation);

private:
    void OnScreenFinished(int generation);

    bool m_hasCurrent = false;
    int m_generation = 0;  // tells a replaced screen's late finish from the current one's
    int m_orientation = -1;  // engine value of the screen's orientation; -1: the game's
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace Varnok
