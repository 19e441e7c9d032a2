// SDL's text input raised and lowered for the engine's text field.
#include "platform/SdlKeyboardBackend.h"

#include <SDL2/SDL.h>

namespace Varnok {
namespace {

class SdlKeyboardBackend final : public KeyboardBackend {
public:
    void Raise(float x, float y, float width, float height) override {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            return;
        }
        SDL_Rect rect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                      static_cast<int>(height)};
        SDL_SetTextInputRect(&rect);
        SDL_StartTextInput();
    }

    void Lower() override {
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            SDL_StopTextInput();
        }
    }
};

}  // namespace

std::unique_ptr<KeyboardBackend> CreateSdlKeyboardBackend() {
    return std::make_unique<SdlKeyboardBackend>();
}

}  // namespace Varnok
