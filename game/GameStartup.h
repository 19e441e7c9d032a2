// The game's one-time set-up on the first frame and its tear-down at
// termination: engine services, the service framework with its providers,
// the game's core objects and the resources that live for the whole run.
// Main thread only.
#pragma once

#include <string>
#include <vector>

namespace Varnok {

// The names of the set-up steps as they run, for checking their order.
using StartupTrace = std::vector<std::string>;

// Runs once, from the application object's second initialisation step. The
// trace (may be null) receives each step's name.
void GameInit(StartupTrace* trace = nullptr);
// Called once by GameInit: the sound player, voice-over, statistics, the
// record's start-up values and switches, the blade colours, the font manager.
void CreateCoreObjects(StartupTrace* trace = nullptr);
// The two game fonts for the language, each with its fallbacks.
void LoadFonts();
void LoadPaintStrokeTexture();
// Hands every game sound name to the sound manager's preload.
void LoadSoundNames();
// The advertising provider is left out on the devices that cannot show it.
bool WantsAdvertisingProvider(const char* platformName);
// The names LoadSoundNames hands over, in order.
const std::vector<std::string>& GameSoundNames();
// Runs once at termination, after the game state was left: releases what
// GameInit made, in a fixed order. Safe without a GameInit before.
void GameShutdown();

}  // namespace Varnok
