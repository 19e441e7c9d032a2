// What the command line asks of the run that the game itself reads: the
// seed that makes a headless run repeatable, and the mode a bot plays
// without the menus.
#pragma once

#include <cstdint>
#include <string>

namespace Varnok {

struct RunOptions {
    bool seeded = false;  // --seed was given
    uint32_t seed = 0;
    std::string autoplay;  // --autoplay: "classic", or empty for the menus
};

// Set once by the program before the shell starts; read by the game.
void SetRunOptions(const RunOptions& options);
const RunOptions& GetRunOptions();

}  // namespace Varnok
