// An editable one-line text field: a ComponentText whose edited text comes
// whole from the on-screen keyboard, with a placeholder while it is empty.
#pragma once

#include "engine/ui/ComponentText.h"

namespace Varnok {

class ComponentTextInput : public ComponentText {
public:
    using EditedEvent = UIComponentEvent<>;

    ComponentTextInput();

    static const ComponentClassInfo& GetStaticClassInfo();

    void OnFinishedLoading() override;
    AsciiString GetDisplayText() const override;

    // Cut to "charsLimit" bytes when "charsLimitEnabled" is set.
    void SetInputText(const AsciiString& text);
    const AsciiString& GetInputText() const { return m_editedText; }
    // The keyboard's callback: takes the whole new text, shows it (masked
    // when asked), tells the manager's and the field's listeners; true keeps
    // the change.
    bool OnKeyboardTextChanged(const AsciiString& text);
    void BeginEditing();
    void EndEditing();

    EditedEvent OnTextInputEdited{this};
    EditedEvent OnTextInputFinishedEdit{this};

private:
    void OnTouchDown(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUp(Component* sender, const Vector2& point, bool& handled);
    void OnGainedFocus(Component* sender, bool& handled);
    void OnLostFocus(Component* sender, bool& handled);

    UIProperty<bool>* m_maskText;
    UIProperty<Colour>* m_unfocusColour;
    UIProperty<Colour>* m_focusColour;
    UIProperty<AsciiString>* m_unfocusAlign;
    UIProperty<AsciiString>* m_defaultText;
    UIProperty<bool>* m_useFocusColours;
    UIProperty<bool>* m_charsLimitEnabled;
    UIProperty<int>* m_charsLimit;
    AsciiString m_editedText;
    AsciiString m_placeholder;
    bool m_textChanged = false;
    bool m_pressed = false;
    bool m_editing = false;
};

}  // namespace Varnok
