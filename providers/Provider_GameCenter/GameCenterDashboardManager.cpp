#include "providers/Provider_GameCenter/GameCenterDashboardManager.h"

#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/ScreenOrientation.h"
#include "engine/iOS/VarnokGame.h"

namespace Varnok {

namespace {

int GameOrientation() {
    const VarnokGame* game = VarnokGame::Get();
    return game != nullptr ? game->GetOrientation() : LandscapeRight;
}

// Out-of-range platform values count as the first orientation.
int EngineOrZero(int platformOrientation) {
    const int orientation = EngineOrientationFromPlatform(platformOrientation);
    return orientation < 0 ? Portrait : orientation;
}

}  // namespace

void GameCenterDashboardManager::Attach(GameCentre::Screen screen, const std::string& category, bool animated) {
    GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr) {
        Log("Don't know how to attach view!");
        return;
    }
    if (m_hasCurrent) {
        RemoveCurrent(false);
        animated = false;
    }
    m_hasCurrent = true;
    const int generation = ++m_generation;
    Log("attach gamecentre dashboard");
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->PresentScreen(screen, category, animated && !gameCentre->HasUncontrolledView(),
                              [this, alive, generation] {
                                  if (!alive.expired()) {
                                      OnScreenFinished(generation);
                                  }
                              });
}

void GameCenterDashboardManager::RemoveCurrent(bool animated) {
    if (!m_hasCurrent) {
        return;
    }
    m_hasCurrent = false;
    if (GameCentre* gameCentre = GameCentre::Get()) {
        gameCentre->DismissScreen(animated && !gameCentre->HasUncontrolledView());
    }
}

void GameCenterDashboardManager::OnScreenFinished(int generation) {
    if (generation == m_generation) {
        RemoveCurrent(true);
    }
}

bool GameCenterDashboardManager::ShouldAutorotateToInterfaceOrientation(int platformOrientation) const {
    const GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre != nullptr && gameCentre->HasUncontrolledView()) {
        return platformOrientation == PlatformOrientationFromEngine(GameOrientation());
    }
    return PlatformEventHub::Get().QueryRotation(EngineOrZero(platformOrientation));
}

int GameCenterDashboardManager::SupportedInterfaceOrientations() const {
    int mask = 0;
    for (int orientation : {LandscapeLeft, LandscapeRight, Portrait, PortraitUpsideDown}) {
        if (PlatformEventHub::Get().QueryRotation(orientation)) {
            mask |= OrientationMask(orientation);
        }
    }
    return mask != 0 ? mask : kOrientationMaskLandscape;
}

void GameCenterDashboardManager::WillRotateToInterfaceOrientation(int platformOrientation, float durationSeconds) {
    const int current = m_orientation >= 0 ? m_orientation : GameOrientation();
    PlatformEventHub::Get().willRotate.Invoke(EngineOrZero(platformOrientation), current, durationSeconds);
    m_orientation = EngineOrZero(platformOrientation);
}

void GameCenterDashboardManager::DidRotateFromInterfaceOrientation(int previousPlatformOrientation) {
    const int current = m_orientation >= 0 ? m_orientation : GameOrientation();
    PlatformEventHub::Get().didRotate.Invoke(current, EngineOrZero(previousPlatformOrientation));
}

}  // namespace Varnok
