// What the game adds to the engine's UI: its project and component classes,
// default fonts of two engine classes, its global message listener, the one
// way every screen and mode shows a named layout, and the two background
// textures of the "Background" screen. Main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "game/rules/GameRecord.h"

namespace Varnok {

class Component;
class UIManager;

constexpr const char* kGameUiProject = "xml/TamberloFelis_skuLayout.xml";
constexpr const char* kGameUiSku = "~iPhone";
constexpr const char* kGameUiListenerName = "TamberloFRx_Global";
constexpr int kBackgroundStemBytes = 72;  // 71 characters and the terminator

// Registers the game's countdown timer under "ComponentTimer". Runs once at
// program start, before the UI manager's built-ins, so that the game's class
// wins the name; later calls do nothing.
void RegisterGameTimerComponent();

// Loads the game's UI project (which initialises the UI manager); when it
// loads, registers the game's eight component classes, the default font of
// texts and buttons and the global message listener. False when the project
// did not load: nothing else is done.
bool RegisterGameUiComponents();

// Parses valueText as the property's type and makes it the class
// definition's default. Nothing for an unknown class or property.
void SetComponentDefaultProperty(UIManager& ui, const AsciiString& className,
                                 const AsciiString& propertyName, const AsciiString& valueText);

// Shows the named layout: loaded (or found) enabled; then, when it is
// active, its "enabled" follows `enabled` (non-zero: true); when it is not
// active only enabled 1 sets it. "inputEnabled" becomes true. Null when the
// UI has no such screen.
Component* ShowScreenLayout(LoadedScreenMap& screens, const char* name, int enabled);

// The background's two textures: "<stem>.tex" and "<stem>1.tex" (localised
// when the language has them) for the stem name (or "gb_game") plus "_sml"
// on a slow device. They belong in "Background"'s "@backgroundTexture1" and
// "@backgroundTexture2" once the UI library has texture components; until
// then they are held here. Without a "Background" component nothing
// changes. A stem past 71 characters is refused with one log line.
void LoadBackgroundTextures(const char* name);
// A new reference to the first background texture; empty when none.
SmartPtr<Texture> GetBackgroundTexture();
const SmartPtr<Texture>& GetBackgroundTextureAt(int index);
// Lets both go (the game flow's exit).
void ReleaseBackgroundTextures();

}  // namespace Varnok
