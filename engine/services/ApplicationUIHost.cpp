#include "engine/services/ApplicationUIHost.h"

#include "engine/iOS/VarnokGame.h"
#include "engine/services/RegisteredVariables.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

ApplicationUIHost::ApplicationUIHost() : ApplicationUIHost(KeyboardManager_iPhone::Instance()) {}

ApplicationUIHost::ApplicationUIHost(KeyboardManager_iPhone& keyboard) : m_keyboard(keyboard), m_adapter(keyboard) {}

ApplicationUIHost::~ApplicationUIHost() { Uninstall(); }

void ApplicationUIHost::Install() { UIManager::Get().SetHost(this); }

void ApplicationUIHost::Uninstall() {
    UIManager& ui = UIManager::Get();
    if (ui.GetHost() != this) {
        return;
    }
    ui.SetHost(nullptr);
    // Fields still on screen can no longer reach the keyboard to let go of
    // it: it is lowered and forgets their callback.
    if (m_keyboard.IsShown()) {
        m_keyboard.Hide();
    }
    m_keyboard.textCallback = UIKeyboard::TextCallback();
}

const char* ApplicationUIHost::GetDeviceLanguage() const {
    const VarnokGame* game = VarnokGame::Get();
    return game != nullptr ? game->GetLanguageCode() : "";
}

bool ApplicationUIHost::IsKeyboardInitialised() const { return m_keyboard.IsCreated(); }

void ApplicationUIHost::InitialiseKeyboard() { m_keyboard.Recreate(); }

bool ApplicationUIHost::IsKeyboardActive() const { return m_keyboard.IsShown(); }

bool ApplicationUIHost::ReadBoolVariable(const char* name, bool& outValue) {
    if (name == nullptr || name[0] == '\0') {
        return false;
    }
    RegisteredVariable variable(name);
    if (!variable.Bind()) {
        return false;
    }
    outValue = variable.GetBool();
    return true;
}

}  // namespace Varnok
