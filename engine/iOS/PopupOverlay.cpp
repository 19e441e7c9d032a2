// The popup overlay's visibility, touch routing and message table.
#include "engine/iOS/PopupOverlay.h"

#include "engine/render/Renderer.h"

namespace Varnok {
namespace {

void DoNothing() {}

const char* const kStockMessages[] = {
    "OK",
    "Network error",
    "Unable to communicate with matchmaking servers.",
    "Please choose",
    "Game Center",
    "OpenFeint",
    "Which game network provider would you prefer to use?",
    "Still Connecting...",
    "A Game Center connection has not yet been established",
    "Connection Failed",
    "You must have a wifi or cellular connection to use Game Center",
    "Parental controls are blocking this content.",
};

}  // namespace

PopupOverlay& PopupOverlay::Get() {
    static PopupOverlay s_overlay;
    return s_overlay;
}

PopupOverlay::PopupOverlay() {
    int32_t index = 0;
    for (const char* message : kStockMessages) {
        m_messages[index++] = message;
    }
    for (int i = 0; i < kButtonCount; ++i) {
        ResetButton(i);
    }
}

bool PopupOverlay::Update(float elapsedSeconds) {
    if (!m_requested) {
        m_visible = false;
        return true;
    }
    m_visible = m_view.Update(elapsedSeconds);
    m_requested = m_visible;
    return true;
}

void PopupOverlay::Draw() {
    m_view.Draw();
}

void PopupOverlay::ToOverlayUnits(float x, float y, float& outX, float& outY) {
    const Renderer& renderer = Renderer::Get();
    const float width = static_cast<float>(renderer.GetViewportWidth());
    const float height = static_cast<float>(renderer.GetViewportHeight());
    outX = x * width - width / 2;
    outY = -(y * height - height / 2);
}

bool PopupOverlay::OnTouchMoved(uint32_t /*touchId*/, float x, float y) {
    if (!m_visible) {
        return false;
    }
    float unitsX = 0.0f;
    float unitsY = 0.0f;
    ToOverlayUnits(x, y, unitsX, unitsY);
    m_view.Touch(unitsX, unitsY);
    return true;
}

bool PopupOverlay::OnTouchEnded(uint32_t /*touchId*/, float x, float y) {
    if (!m_visible) {
        return false;
    }
    float unitsX = 0.0f;
    float unitsY = 0.0f;
    ToOverlayUnits(x, y, unitsX, unitsY);
    m_view.TouchEnded(unitsX, unitsY);
    return true;
}

void PopupOverlay::Hide() {
    m_view.ReleaseTextures();
    m_visible = false;
    m_requested = false;
}

void PopupOverlay::ReleaseResources() {
    m_view.ReleaseTextures();
}

void PopupOverlay::SetListener(const Listener& listener) {
    m_listener = listener;
}

const std::string& PopupOverlay::GetMessage(int32_t index) const {
    static const std::string s_none;
    const auto found = m_messages.find(index);
    return found != m_messages.end() ? found->second : s_none;
}

void PopupOverlay::SetMessage(int32_t index, const std::string& text) {
    m_messages[index] = text;
}

void PopupOverlay::ResetButton(int32_t index) {
    if (index < 0 || index >= kButtonCount) {
        return;
    }
    m_buttons[index].action = ButtonAction(&DoNothing);
    m_buttons[index].flag = false;
}

}  // namespace Varnok
