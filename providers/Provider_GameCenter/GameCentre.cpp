#include "providers/Provider_GameCenter/GameCentre.h"

#include <utility>

namespace Varnok {

namespace {
std::shared_ptr<GameCentre>& Installed() {
    static std::shared_ptr<GameCentre> s_gameCentre;
    return s_gameCentre;
}
}  // namespace

GameCentre* GameCentre::Get() {
    return Installed().get();
}

void GameCentre::Install(std::shared_ptr<GameCentre> gameCentre) {
    Installed() = std::move(gameCentre);
}

}  // namespace Varnok
