// The keyboard manager, its hidden text field and the field's delegate.
#include "engine/iOS/KeyboardManager.h"

#include "engine/iOS/EAGLView.h"

#include <cstring>

namespace Varnok {
namespace {

// The platform's key codes for the two keys a text field reacts to.
constexpr int kKeyBackspace = 8;
constexpr int kKeyReturn = 13;

// Without its last UTF-8 character.
std::string DropLastCharacter(const std::string& text) {
    size_t end = text.size();
    while (end > 0) {
        --end;
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
            break;
        }
    }
    return text.substr(0, end);
}

}  // namespace

KeyboardManager& KeyboardManager::Get() {
    return KeyboardManager_iPhone::Instance();
}

void KeyboardManager::Recreate() {
    Create(originX, originY, width, height);
}

void KeyboardManager::Create(float x, float y, float w, float h) {
    originX = x;
    originY = y;
    width = w;
    height = h;
    created = true;
}

void KeyboardManager::SetPosition(float x, float y) {
    originX = x;
    originY = y;
}

bool KeyboardManager::OnTextChanged(const char* text) {
    if (textCallback.IsEmpty()) {
        return true;
    }
    return textCallback(text != nullptr ? text : "");
}

void Keyboard_iPhoneTextFieldDelegate::OnKeyboardShown() {
    EAGLView* view = m_manager.m_view;
    if (m_manager.shown && view != nullptr) {
        memcpy(originalGLTransform, view->transform(), sizeof(originalGLTransform));
    }
}

void Keyboard_iPhoneTextFieldDelegate::OnKeyboardWillHide() {
    EAGLView* view = m_manager.m_view;
    if (m_manager.shown && view != nullptr) {
        // Back to the centre of its frame: no offset.
        float transform[6];
        memcpy(transform, view->transform(), sizeof(transform));
        transform[4] = 0.0f;
        transform[5] = 0.0f;
        view->setTransform(transform);
    }
}

void Keyboard_iPhoneTextFieldDelegate::OnEditingBegan() {
    m_manager.shown = true;
}

void Keyboard_iPhoneTextFieldDelegate::OnEditingEnded() {
    m_manager.shown = false;
    if (EAGLView* view = m_manager.m_view) {
        view->setTransform(originalGLTransform);
    }
}

bool Keyboard_iPhoneTextFieldDelegate::ShouldChangeText(const std::string& proposed) {
    return m_manager.OnTextChanged(proposed.c_str());
}

bool Keyboard_iPhoneTextFieldDelegate::ShouldReturn() {
    m_manager.ResignFirstResponder();
    return true;
}

KeyboardManager_iPhone::KeyboardManager_iPhone(std::unique_ptr<KeyboardBackend> backend)
    : m_backend(std::move(backend)) {}

KeyboardManager_iPhone::~KeyboardManager_iPhone() = default;

KeyboardManager_iPhone& KeyboardManager_iPhone::Instance() {
    static KeyboardManager_iPhone manager;
    return manager;
}

void KeyboardManager_iPhone::Create(float x, float y, float w, float h) {
    KeyboardManager::Create(x, y, w, h);
    if (m_field != nullptr) {
        return;
    }
    m_field = std::make_unique<KeyboardTextField>();
    m_field->frame[0] = x;
    m_field->frame[1] = y;
    m_field->frame[2] = w;
    m_field->frame[3] = h;
    m_fieldDelegate = std::make_unique<Keyboard_iPhoneTextFieldDelegate>(*this);
    // Set from the request, then to the e-mail keyboard, which the field keeps.
    m_field->keyboardType = requestedKeyboardType;
    m_field->keyboardType = EmailAddress;
    m_field->enabled = false;
}

void KeyboardManager_iPhone::Destroy() {
    if (m_field != nullptr && m_field->firstResponder) {
        ResignFirstResponder();
    }
    m_fieldDelegate.reset();
    m_field.reset();
}

void KeyboardManager_iPhone::SetPosition(float x, float y) {
    KeyboardManager::SetPosition(x, y);
    if (m_field == nullptr) {
        return;
    }
    const EAGLView* view = m_view;
    const float scale = view != nullptr ? view->GetContentScaleFactor() : 1.0f;
    m_field->centreX = x / scale;
    m_field->centreY = y / scale;
}

void KeyboardManager_iPhone::Show(const char* text, int y) {
    // Without a field (never created, or destroyed) there is no keyboard to raise.
    if (m_field == nullptr) {
        OnTextChanged(text);
        SetPosition(originX, static_cast<float>(y));
        shown = true;
        return;
    }
    m_field->enabled = true;
    m_field->text = text != nullptr ? text : "";
    OnTextChanged(m_field->text.c_str());
    SetPosition(originX, static_cast<float>(y));
    shown = true;
    BecomeFirstResponder();
}

void KeyboardManager_iPhone::Hide() {
    if (m_field == nullptr) {
        shown = false;
        return;
    }
    m_field->enabled = false;
    shown = false;
    ResignFirstResponder();
}

void KeyboardManager_iPhone::SetText(const char* text) {
    if (m_field != nullptr) {
        m_field->text = text != nullptr ? text : "";
    }
}

void KeyboardManager_iPhone::OnPlatformText(const char* utf8) {
    if (m_field == nullptr || !m_field->firstResponder || utf8 == nullptr) {
        return;
    }
    ProposeText(m_field->text + utf8);
}

void KeyboardManager_iPhone::OnPlatformKey(int key, bool down) {
    if (!down || m_field == nullptr || !m_field->firstResponder) {
        return;
    }
    if (key == kKeyBackspace && !m_field->text.empty()) {
        ProposeText(DropLastCharacter(m_field->text));
    } else if (key == kKeyReturn) {
        m_fieldDelegate->ShouldReturn();
    }
}

void KeyboardManager_iPhone::ProposeText(const std::string& proposed) {
    if (m_fieldDelegate->ShouldChangeText(proposed)) {
        m_field->text = proposed;
    }
}

void KeyboardManager_iPhone::BecomeFirstResponder() {
    if (m_field->firstResponder) {
        return;
    }
    m_field->firstResponder = true;
    m_fieldDelegate->OnEditingBegan();
    if (m_backend != nullptr) {
        m_backend->Raise(m_field->centreX - width / 2, m_field->centreY - height / 2, width, height);
    }
    m_fieldDelegate->OnKeyboardShown();
}

void KeyboardManager_iPhone::ResignFirstResponder() {
    if (!m_field->firstResponder) {
        return;
    }
    m_fieldDelegate->OnKeyboardWillHide();
    if (m_backend != nullptr) {
        m_backend->Lower();
    }
    m_field->firstResponder = false;
    m_fieldDelegate->OnEditingEnded();
}

}  // namespace Varnok
