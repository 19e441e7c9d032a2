// An editable one-line text field: a ComponentText whose edited text comes
// whole from the on-screen keyboard (UIHost::GetKeyboard), with a
// placeholder while it is empty, optional masking, a byte limit cut on a
// character boundary, focus colours and a blinking "caret" child.
#pragma once

#include "engine/core/EventList.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/UIKeyboard.h"

namespace Varnok {

class ComponentQuad;

class ComponentTextInput : public ComponentText {
public:
    using EditedEvent = UIComponentEvent<>;
    // Before an edit is applied: (field, proposed text, text to use); a
    // listener may change the text to use.
    using EditListeners = ListenerList<Component*, const AsciiString&, AsciiString&>;

    ComponentTextInput();
    // Lets go of the keyboard's callback when it is still this field's; the
    // keyboard itself is not lowered.
    ~ComponentTextInput() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    AsciiString GetDisplayText() const override;

    // Cut to "charsLimit" bytes, back to a whole character, while
    // "charsLimitEnabled" is set.
    void SetInputText(const AsciiString& text);
    const AsciiString& GetInputText() const { return m_editedText; }
    const AsciiString& GetPlaceholder() const { return m_placeholder; }
    // The keyboard's callback: takes the whole new text, shows it (masked
    // when asked), tells the manager's and the field's listeners; true keeps
    // the change.
    bool OnKeyboardTextChanged(const AsciiString& text);
    // Takes the focus first when the field lacks it.
    void BeginEditing();
    void EndEditing();
    // Clears the keyboard's callback when it is callback; true when it was.
    bool DetachKeyboard(UIKeyboard* keyboard, const UIKeyboard::TextCallback& callback);

    bool IsCaretVisible() const { return m_caretVisible; }
    // The child "caret" when it is a quad; null otherwise.
    ComponentQuad* GetCaret() const { return m_caret; }
    EditListeners& GetEditListeners() { return m_editListeners; }

    EditedEvent OnTextInputEdited{this};
    EditedEvent OnTextInputFinishedEdit{this};

private:
    static UIKeyboard* Keyboard();
    bool OnKeyboardText(const char* text) { return OnKeyboardTextChanged(AsciiString(text)); }
    void FindCaret();
    void PlaceCaret();
    // The text's inner margin of that name; 0 when the text has none.
    float Margin(const char* name) const;
    void OnTouchDown(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUp(Component* sender, const Vector2& point, bool& handled);
    void OnTouchUpOutside(Component* sender, const Vector2& point, bool& handled);
    void OnGainedFocus(Component* sender, bool& handled);
    void OnLostFocus(Component* sender, bool& handled);

    UIProperty<bool>* m_maskText;
    UIProperty<float>* m_scrollOffset;
    UIProperty<Colour>* m_unfocusColour;
    UIProperty<Colour>* m_focusColour;
    UIProperty<AsciiString>* m_unfocusAlign;
    UIProperty<AsciiString>* m_defaultText;
    UIProperty<bool>* m_useFocusColours;
    UIProperty<bool>* m_charsLimitEnabled;
    UIProperty<int>* m_charsLimit;
    UIProperty<AsciiString>* m_keyboardType;
    EditListeners m_editListeners;
    AsciiString m_editedText;
    float m_caretBlinkTime = 0.0f;  // in the 1-second blink cycle
    bool m_caretVisible = false;
    bool m_caretSearched = false;
    AsciiString m_placeholder;
    ComponentQuad* m_caret = nullptr;  // owned by the tree
    UIKeyboard::TextCallback m_keyboardCallback;
    bool m_textChanged = false;  // the keyboard shows something else than m_editedText
    bool m_pressed = false;      // a touch went down on the field and has not ended
};

}  // namespace Varnok
