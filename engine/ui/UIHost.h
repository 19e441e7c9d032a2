// What the UI needs of the application above it: the device language, the
// game's set-up hook and the on-screen keyboard. The shell and the game sit
// above the UI, so they plug in through this interface
// (UIManager::SetHost); without a host the UI sees an empty language and no
// keyboard.
#pragma once

#include <cstdint>

namespace Varnok {

class UIKeyboard;

class UIHost {
public:
    virtual ~UIHost() = default;

    // The language the shell handed the game; may be empty, never null.
    virtual const char* GetDeviceLanguage() const = 0;
    // Called at the start of UIManager::Init.
    virtual void OnUISetUp() = 0;
    virtual bool IsKeyboardInitialised() const = 0;
    virtual void InitialiseKeyboard() = 0;
    // Whether the on-screen keyboard is up; a key no component handles then
    // goes to it.
    virtual bool IsKeyboardActive() const { return false; }
    virtual void SendKeyToKeyboard(uint32_t /*keyCode*/) {}
    // The keyboard text fields edit on; null: fields show no keyboard.
    virtual UIKeyboard* GetKeyboard() { return nullptr; }
    // A live bool the application registered under name (toggles load
    // their state from one); false when nothing answers to the name.
    virtual bool ReadBoolVariable(const char* /*name*/, bool& /*outValue*/) { return false; }
};

}  // namespace Varnok
