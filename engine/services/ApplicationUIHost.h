// The application's side of the UI host, shared by the game and the tools
// that show its screens: the language the shell handed the game, the shell's
// on-screen keyboard and the registered variables. It sits here because this
// is the lowest layer that sees the UI, the shell and the registry at once.
#pragma once

#include "engine/iOS/KeyboardManager.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIKeyboard.h"

namespace Varnok {

class ApplicationUIHost final : public UIHost {
public:
    // Over the shell's process-wide keyboard.
    ApplicationUIHost();
    // The keyboard must outlive the host.
    explicit ApplicationUIHost(KeyboardManager_iPhone& keyboard);
    ~ApplicationUIHost() override;
    ApplicationUIHost(const ApplicationUIHost&) = delete;
    ApplicationUIHost& operator=(const ApplicationUIHost&) = delete;

    // Hands the host to the UI manager; before the UI project loads, so that
    // its set-up reaches the keyboard.
    void Install();
    // Takes it back, if the UI manager still holds this host; the keyboard
    // is lowered and drops the callback of the field it served.
    void Uninstall();

    const char* GetDeviceLanguage() const override;
    void OnUISetUp() override {}
    bool IsKeyboardInitialised() const override;
    // Creates the hidden text field at the keyboard's stored frame.
    void InitialiseKeyboard() override;
    bool IsKeyboardActive() const override;
    // Keys reach the keyboard from the shell directly (backspace, return),
    // so what the UI passes on here would arrive twice: nothing is sent.
    void SendKeyToKeyboard(uint32_t /*keyCode*/) override {}
    UIKeyboard* GetKeyboard() override { return &m_adapter; }
    // Any registered type reads as a bool (non-zero, or the text "true").
    bool ReadBoolVariable(const char* name, bool& outValue) override;

private:
    KeyboardManager_iPhone& m_keyboard;
    UIKeyboardOver<KeyboardManager_iPhone> m_adapter;
};

}  // namespace Varnok
