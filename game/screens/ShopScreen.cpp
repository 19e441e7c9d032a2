// The shop's remembered scroll offset.
#include "game/screens/ShopScreen.h"

namespace Varnok {

namespace {

float s_scroll = ShopScreen::kUnsetScroll;

}  // namespace

void ShopScreen::ForgetScrollPosition() {
    s_scroll = kUnsetScroll;
}

void ShopScreen::RememberScrollPosition(float offset) {
    s_scroll = offset;
}

float ShopScreen::RememberedScrollPosition() {
    return s_scroll;
}

}  // namespace Varnok
