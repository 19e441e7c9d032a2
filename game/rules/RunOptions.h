// What the command line asks of the run that the game itself reads: the
// seed that makes a headless run repeatable.
#pragma once

#include <cstdint>

namespace Varnok {

struct RunOptions {
    bool seeded = false;  // --seed was given
    uint32_t seed = 0;
};

// Set once by the program before the shell starts; read by the game.
void SetRunOptions(const RunOptions& options);
const RunOptions& GetRunOptions();

}  // namespace Varnok
