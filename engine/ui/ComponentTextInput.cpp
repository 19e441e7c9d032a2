// Editing, the placeholder, the limit and the caret of the text field.
#include "engine/ui/ComponentTextInput.h"

#include "engine/text/StyledText.h"
#include "engine/text/TextLabel.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/UIHost.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIUtil.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

// Where the blink cycle restarts after an edit: the caret shows 0.08 s later.
constexpr float kCaretRestart = 0.42f;
constexpr float kCaretTolerance = 0.001f;

int KeyboardTypeFromName(const AsciiString& name) {
    if (name.EqualsNoCase(AsciiString("url"))) {
        return 3;
    }
    if (name.EqualsNoCase(AsciiString("emailaddress"))) {
        return 2;
    }
    if (name.EqualsNoCase(AsciiString("numberpad"))) {
        return 1;
    }
    return 0;
}

}  // namespace

const ComponentClassInfo& ComponentTextInput::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTextInput", ComponentClassId::TextInput,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentTextInput::ComponentTextInput()
    : m_maskText(GetOrAddProperty<bool>(AsciiString("maskText"), false)),
      m_scrollOffset(GetOrAddProperty<float>(AsciiString("scrollOffset"), 0.0f)),
      m_unfocusColour(GetOrAddProperty<Colour>(AsciiString("unfocusColour"), kColourWhite)),
      m_focusColour(GetOrAddProperty<Colour>(AsciiString("focusColour"), kColourWhite)),
      m_unfocusAlign(GetOrAddProperty<AsciiString>(AsciiString("unfocusAlign"), AsciiString())),
      m_defaultText(GetOrAddProperty<AsciiString>(AsciiString("defaultText"), AsciiString())),
      m_useFocusColours(GetOrAddProperty<bool>(AsciiString("useFocusColours"), false)),
      m_charsLimitEnabled(GetOrAddProperty<bool>(AsciiString("charsLimitEnabled"), false)),
      m_charsLimit(GetOrAddProperty<int>(AsciiString("charsLimit"), 0)),
      m_keyboardType(GetOrAddProperty<AsciiString>(AsciiString("KeyboardTypePreference"), AsciiString())),
      m_keyboardCallback(this, &ComponentTextInput::OnKeyboardText) {
    SetClassInfo(GetStaticClassInfo());
    RegisterEvent(AsciiString("OnTextInputEdited"), &OnTextInputEdited);
    RegisterEvent(AsciiString("OnTextInputFinishedEdit"), &OnTextInputFinishedEdit);
    OnTouchDownEvent.AddListener(TouchEvent::Listener(this, &ComponentTextInput::OnTouchDown));
    OnTouchUpEvent.AddListener(TouchEvent::Listener(this, &ComponentTextInput::OnTouchUp));
    OnTouchUpHeldOutsideEvent.AddListener(TouchEvent::Listener(this, &ComponentTextInput::OnTouchUpOutside));
    OnFocusGainedEvent.AddListener(FlagEvent::Listener(this, &ComponentTextInput::OnGainedFocus));
    OnFocusLostEvent.AddListener(FlagEvent::Listener(this, &ComponentTextInput::OnLostFocus));
}

ComponentTextInput::~ComponentTextInput() { DetachKeyboard(Keyboard(), m_keyboardCallback); }

UIKeyboard* ComponentTextInput::Keyboard() {
    UIHost* host = UIManager::Get().GetHost();
    return host != nullptr ? host->GetKeyboard() : nullptr;
}

void ComponentTextInput::OnFinishedLoading() {
    ComponentText::OnFinishedLoading();
    m_maxLines->Set(1);
    GetOrAddProperty<AsciiString>(AsciiString("clip"), AsciiString())->Set(AsciiString("local"));
    GetOrAddProperty<bool>(AsciiString("confineToHeight"), false)->Set(false);
    m_alignment->Set(AsciiString("textbox"));
    m_placeholder = m_defaultText->Get();
    if (m_placeholder.IsEmpty()) {
        SetInputText(m_text->Get());  // an initial text becomes the edited text
    } else {
        SetInputText(AsciiString());
        m_text->Set(m_placeholder);
    }
    if (m_useFocusColours->Get()) {
        m_colour->Set(m_unfocusColour->Get());
    }
    m_caretBlinkTime = 0.0f;
    m_caretVisible = false;
    FindCaret();
}

void ComponentTextInput::FindCaret() {
    if (m_caretSearched) {
        return;
    }
    m_caretSearched = true;
    Component* caret = FindChild(AsciiString("caret"));
    m_caret = caret != nullptr && caret->IsKindOf(ComponentQuad::GetStaticClassInfo())
                  ? static_cast<ComponentQuad*>(caret)
                  : nullptr;
    if (m_caret != nullptr) {
        m_caret->GetEnabledProperty()->Set(false);
    }
}

void ComponentTextInput::OnPropertyChanged(UIPropertyBase* property) {
    ComponentText::OnPropertyChanged(property);
    if (!IsLoaded()) {
        return;
    }
    if (property == m_defaultText) {
        m_placeholder = m_defaultText->Get();
    } else if ((property == m_charsLimit && m_charsLimitEnabled->Get()) ||
               (property == m_charsLimitEnabled && m_charsLimitEnabled->Get())) {
        OnKeyboardTextChanged(m_editedText);  // the new limit applies now
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
        const size_t limit = static_cast<size_t>(std::max(0, m_charsLimit->Get()));
        const size_t length = static_cast<size_t>(text.Length());
        if (length > limit) {
            kept = AsciiString(text.c_str(), static_cast<int>(UIUtil::Utf8CutPoint(text.c_str(), length, limit)));
        }
    }
    // Compared with what is kept, so that a tighter limit cuts a text the
    // field already holds.
    if (!(m_editedText == kept)) {
        m_editedText = kept;
        m_textChanged = true;
    }
}

bool ComponentTextInput::OnKeyboardTextChanged(const AsciiString& text) {
    const AsciiString proposed = text;
    AsciiString result = text;
    m_editListeners.Invoke(this, proposed, result);
    if (!(result == proposed)) {
        m_textChanged = true;
    }
    SetInputText(result);
    if (m_maskText->Get()) {
        AsciiString stars;
        for (const char* p = m_editedText.c_str(); *p != '\0'; ++p) {
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
    m_caretBlinkTime = kCaretRestart;
    m_caretVisible = true;
    if (m_caret != nullptr) {
        m_caret->GetEnabledProperty()->Set(false);  // back through the blink
    }
    UIManager::Get().TextInputEditedListeners().Invoke(this);
    OnTextInputEdited.Raise();
    return true;
}

void ComponentTextInput::BeginEditing() {
    if (!HasFocus()) {
        SetFocus();  // the focus-gained handler comes back here
        return;
    }
    m_alignment->Set(AsciiString("textbox"));
    m_colour->Set(m_focusColour->Get());
    if (m_editedText.IsEmpty() && m_text->Get() == m_placeholder) {
        m_text->Set(AsciiString());
    }
    if (UIKeyboard* keyboard = Keyboard()) {
        keyboard->SetKeyboardType(KeyboardTypeFromName(m_keyboardType->Get()));
        keyboard->SetTextCallback(m_keyboardCallback);
        const int y = static_cast<int>(GetAbsolutePosition().y + m_scrollOffset->Get());
        keyboard->Show(m_editedText.c_str(), y);
    }
    m_caretVisible = true;
    m_caretBlinkTime = kCaretRestart;
}

void ComponentTextInput::EndEditing() {
    m_caretBlinkTime = 0.0f;
    m_alignment->Set(m_unfocusAlign->Get());
    if (m_editedText.IsEmpty()) {
        if (m_useFocusColours->Get()) {
            m_colour->Set(m_unfocusColour->Get());
        }
        m_text->Set(m_placeholder);
    }
    UIManager::Get().TextInputFinishedListeners().Invoke(this);
    OnTextInputFinishedEdit.Raise();
    if (UIKeyboard* keyboard = Keyboard()) {
        keyboard->Hide();
        DetachKeyboard(keyboard, m_keyboardCallback);
    }
}

bool ComponentTextInput::DetachKeyboard(UIKeyboard* keyboard, const UIKeyboard::TextCallback& callback) {
    if (keyboard == nullptr || !(keyboard->GetTextCallback() == callback)) {
        return false;
    }
    keyboard->SetTextCallback(UIKeyboard::TextCallback());
    return true;
}

void ComponentTextInput::Update(float dt) {
    if (HasFocus()) {
        m_caretBlinkTime = UIUtil::FloorMod(m_caretBlinkTime + dt, 1.0f);
        m_caretVisible = m_caretBlinkTime >= 0.5f;
    } else {
        m_caretVisible = false;
    }
    if (m_caret != nullptr) {
        const bool shown = m_caret->IsActive();
        if (shown != m_caretVisible) {
            m_caret->GetEnabledProperty()->Set(m_caretVisible);
        }
        if (m_caretVisible && GetLabel() != nullptr) {
            PlaceCaret();
        }
    }
    UIKeyboard* keyboard = Keyboard();
    if (m_textChanged && HasFocus() && keyboard != nullptr && keyboard->IsVisible()) {
        // A cut or a listener's change goes back to the keyboard's text.
        keyboard->SetText(m_editedText.c_str());
        m_textChanged = false;
    }
    ComponentText::Update(dt);
}

float ComponentTextInput::Margin(const char* name) const {
    const UIProperty<int>* margin = FindProperty<int>(AsciiString(name));
    return margin != nullptr ? static_cast<float>(margin->Get()) : 0.0f;
}

void ComponentTextInput::PlaceCaret() {
    TextLabel& label = *GetLabel();
    const Vector3 pivot = GetPivot();
    Vector3 origin{-pivot.x + Margin("marginsLeft"), -pivot.y, 0.0f};
    const float advance = static_cast<float>(label.GetLineStep());
    const int lines = label.GetLineCount();
    if (lines > 0) {
        StyledText* last = &label.GetLine(lines - 1);
        const TextRect bounds = StyledText::ComputeBounds({last});
        origin.x += bounds.right - bounds.left;
        origin.y += advance * static_cast<float>(lines - 1);
    }
    const float caretWidth = m_caret->GetWidth();
    const float right = GetWidth() - pivot.x - Margin("marginsRight") - caretWidth;
    const float x = std::min(origin.x, right);
    UIProperty<float>* height = m_caret->GetOrAddProperty<float>(AsciiString("height"), 0.0f);
    if (std::fabs(height->Get() - advance * 1.2f) > kCaretTolerance) {
        height->Set(advance * 1.2f);
        m_caret->GetOrAddProperty<Vector3>(AsciiString("origin"), Vector3{})->Set(Vector3{0.0f, advance * 0.1f, 0.0f});
    }
    UIProperty<Vector3>* position = m_caret->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{});
    const Vector3 at = position->Get();
    if (std::fabs(at.x - x) > kCaretTolerance || std::fabs(at.y - origin.y) > kCaretTolerance ||
        std::fabs(at.z - origin.z) > kCaretTolerance) {
        position->Set(Vector3{x, origin.y, origin.z});
    }
}

void ComponentTextInput::OnTouchDown(Component*, const Vector2&, bool& handled) {
    m_pressed = true;
    SetFocus();
    handled = true;
}

void ComponentTextInput::OnTouchUp(Component*, const Vector2&, bool& handled) {
    m_pressed = false;
    SetFocus();
    UIKeyboard* keyboard = Keyboard();
    if (keyboard == nullptr || !keyboard->IsVisible()) {
        BeginEditing();
    }
    handled = true;
}

void ComponentTextInput::OnTouchUpOutside(Component*, const Vector2&, bool&) {
    m_pressed = false;
    UIKeyboard* keyboard = Keyboard();
    if (HasFocus() && (keyboard == nullptr || !keyboard->IsVisible())) {
        BeginEditing();
    }
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
