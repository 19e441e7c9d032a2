// The shop's module state that outlives its screen: the remembered scroll
// offset of the item list. The screen itself is built elsewhere.
#pragma once

namespace Varnok {

class ShopScreen {
public:
    static constexpr float kUnsetScroll = 1.0f;

    // The next shop opens at the top of its list (a new item joined it).
    static void ForgetScrollPosition();
    static void RememberScrollPosition(float offset);
    static float RememberedScrollPosition();
};

}  // namespace Varnok
