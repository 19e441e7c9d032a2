// SDL message boxes for the platform's alerts.
#include "platform/SdlAlertBackend.h"

#include "engine/core/Log.h"

#include <SDL2/SDL.h>

#include <vector>

namespace Varnok {
namespace {

constexpr int kDismissWithoutButton = -1;

class SdlAlertBackend final : public AlertBackend {
public:
    int Ask(const Dialog& dialog) override {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            return kCannotShow;
        }
        std::vector<SDL_MessageBoxButtonData> buttons;
        for (int i = 0; i < dialog.GetButtonCount(); ++i) {
            SDL_MessageBoxButtonData button{};
            button.buttonid = i;
            button.text = dialog.GetButton(i).label.c_str();
            if (i == dialog.GetCancelButtonIndex()) {
                button.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            }
            if (i == 0) {
                button.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            }
            buttons.push_back(button);
        }
        // A box needs a way out; with no buttons of the dialog's own it goes
        // away without calling anything.
        if (buttons.empty()) {
            SDL_MessageBoxButtonData close{};
            close.flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            close.buttonid = kDismissWithoutButton;
            close.text = "OK";
            buttons.push_back(close);
        }
        SDL_MessageBoxData box{};
        box.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
        box.window = SDL_GL_GetCurrentWindow();
        box.title = dialog.GetTitle().c_str();
        box.message = dialog.GetMessage().c_str();
        box.numbuttons = static_cast<int>(buttons.size());
        box.buttons = buttons.data();
        int pressed = kDismissWithoutButton;
        if (SDL_ShowMessageBox(&box, &pressed) != 0) {
            Log("Dialog \"%s\": no message box (%s), answering as headless", dialog.GetTitle().c_str(),
                SDL_GetError());
            return kCannotShow;
        }
        // Closing the box is the cancel button, as the platform's alerts have no other way out.
        if (pressed < 0 && dialog.GetButtonCount() > 0) {
            pressed = dialog.GetCancelButtonIndex();
        }
        return pressed;
    }
};

}  // namespace

std::unique_ptr<AlertBackend> CreateSdlAlertBackend() {
    return std::make_unique<SdlAlertBackend>();
}

}  // namespace Varnok
