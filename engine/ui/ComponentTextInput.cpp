#include "engine/ui/ComponentTextInput.h"

#include "engine/ui/UIManager.h"

#include <algorithm>

namespace Varnok {

const ComponentClassInfo& ComponentTextInput::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTextInput", ComponentClassId::TextInput,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentTextInput::ComponentTextInput()
    : m_maskText(GetOrAddProperty<bool>(AsciiString("maskText"), false)),
      m_unfocusColour(GetOrAddProperty<Colour>(AsciiString("unfocusColour"), kColourWhite)),
      m_focusColour(GetOrAddProperty<Colour>(AsciiString("focusColour"), kColourWhite)),
      m_unfocusAlign(GetOrAddProperty<AsciiString>(AsciiString("unfocusAlign"), AsciiString())),
      m_defaultText(GetOrAddProperty<AsciiString>(AsciiString("defaultText"), AsciiString())),
      m_useFocusColours(GetOrAddProperty<bool>(AsciiString("useFocusColours"), false)),
      m_charsLimitEnabled(GetOrAddProperty<bool>(AsciiString("charsLimitEnabled"), false)),
      m_charsLimit(GetOrAddProperty<int>(AsciiString("charsLimit"), 0)) {
    SetClassInfo(GetStaticClassInfo());
    GetOrAddProperty<float>(AsciiString("scrollOffset"), 0.0f);
    GetOrAddProperty<AsciiString>(AsciiString("KeyboardTypePreference"), AsciiString());
    RegisterEvent(AsciiString("OnTextInputEdited"), &OnTextInputEdited);
    RegisterEvent(AsciiString("OnTextInputFinishedEdit"), &OnTextInputFinishedEdit);
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentTextInput::OnTouchDown));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentTextInput::OnTouchUp));
    OnFocusGainedEvent.AddListener(FlagEvent::Listener(this, &ComponentTextInput::OnGainedFocus));
    OnFocusLostEvent.AddListener(FlagEvent::Listener(this, &ComponentTextInput::OnLostFocus));
}

void ComponentTextInput::OnFinishedLoading() {
    ComponentText::OnFinishedLoading();
    m_placeholder = m_defaultText->Get();
    if (m_editedText.IsEmpty() && m_text->Get().IsEmpty()) {
        m_text->Set(m_placeholder);
    }
}

AsciiString ComponentTextInput::GetDisplayText() const {
    // Typed text is never looked up; only the placeholder may be a key.
    if (!m_placeholder.IsEmpty() && m_localiseText->Get() && m_editedText.IsEmpty() &&
        m_text->Get() == m_placeholder) {
        return ComponentText::GetDisplayText();
    }
    return m_text->Get();
}

void ComponentTextInput::SetInputText(const AsciiString& text) {
    AsciiString kept = text;
    if (m_charsLimitEnabled->Get()) {
        const int limit = std::max(0, m_charsLimit->Get());
        if (text.Length() > limit) {
            kept = AsciiString(text.c_str(), limit);
        }
    }
    if (!(m_editedText == text)) {
        m_editedText = kept;
        m_textChanged = true;
    }
}

bool ComponentTextInput::OnKeyboardTextChanged(const AsciiString& text) {
    SetInputText(text);
    if (m_maskText->Get()) {
        AsciiString stars;
        const char* p = m_editedText.c_str();
        for (; *p != '\0'; ++p) {
            // One star per UTF-8 character: continuation bytes add none.
            if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) {
                stars.Append("*");
            }
        }
        m_text->Set(stars);
    } else {
        m_text->Set(m_editedText);
    }
    UpdateTextLayout();
    UIManager::Get().TextInputEditedListeners().Invoke(this);
    OnTextInputEdited.Raise();
    return true;
}

void ComponentTextInput::BeginEditing() {
    if (!HasFocus()) {
        SetFocus();
        return;
    }
    m_editing = true;
    m_alignment->Set(AsciiString("textbox"));
    m_colour->Set(m_focusColour->Get());
    if (m_editedText.IsEmpty() && m_text->Get() == m_placeholder) {
        m_text->Set(AsciiString());
    }
}

void ComponentTextInput::EndEditing() {
    if (!m_editing) {
        return;
    }
    m_editing = false;
    m_alignment->Set(m_unfocusAlign->Get());
    if (m_editedText.IsEmpty()) {
        if (m_useFocusColours->Get()) {
            m_colour->Set(m_unfocusColour->Get());
        }
        m_text->Set(m_placeholder);
    }
    UIManager::Get().TextInputFinishedListeners().Invoke(this);
    OnTextInputFinishedEdit.Raise();
}

void ComponentTextInput::OnTouchDown(Component*, const Vector2&, bool& handled) {
    m_pressed = true;
    SetFocus();
    handled = true;
}

void ComponentTextInput::OnTouchUp(Component*, const Vector2&, bool& handled) {
    m_pressed = false;
    SetFocus();
    if (!m_editing) {
        BeginEditing();
    }
    handled = true;
}

void ComponentTextInput::OnGainedFocus(Component* sender, bool& handled) {
    if (sender == this && !m_pressed) {
        BeginEditing();
        handled = true;
    }
}

void ComponentTextInput::OnLostFocus(Component* sender, bool& handled) {
    if (sender == this) {
        m_pressed = false;
        EndEditing();
        handled = true;
    }
}

}  // namespace Varnok
