// Typed text for engine UI: one hidden text field whose keyboard is raised
// and lowered on request; every proposed change of its text goes to a
// callback that accepts or refuses it.
#pragma once

#include "engine/core/Delegate.h"

#include <memory>
#include <string>
#include <utility>

namespace Varnok {

class KeyboardManager {
public:
    enum KeyboardType : int { DefaultKeyboard = 0, NumberPad = 1, EmailAddress = 2, UrlKeyboard = 3 };
    // The proposed text (UTF-8); true accepts it.
    using TextCallback = Delegate1<bool, const char*>;

    KeyboardManager() = default;
    virtual ~KeyboardManager() = default;
    KeyboardManager(const KeyboardManager&) = delete;
    KeyboardManager& operator=(const KeyboardManager&) = delete;

    // The platform's manager, process-wide.
    static KeyboardManager& Get();

    // Create with the stored frame.
    virtual void Recreate();
    // Stores the text field's frame in points and marks the field requested.
    virtual void Create(float originX, float originY, float width, float height);
    virtual void Extension1() {}
    virtual void Destroy() {}
    // Stores the point as the frame's origin.
    virtual void SetPosition(float x, float y);
    // The callback's answer; true without a callback.
    virtual bool OnTextChanged(const char* text);
    virtual void Extension2() {}

    bool IsCreated() const { return created; }
    bool IsShown() const { return shown; }

    // Set by the caller; may stay empty.
    TextCallback textCallback;
    int requestedKeyboardType = DefaultKeyboard;

protected:
    bool created = false;
    bool shown = false;  // from Show (or the start of editing) to Hide or the end of editing
    float originX = -250.0f;  // off screen until placed
    float originY = -70.0f;
    float width = 200.0f;
    float height = 30.0f;

    friend class Keyboard_iPhoneTextFieldDelegate;
};

// The hidden text field as the platform would keep it.
struct KeyboardTextField {
    std::string text;
    bool enabled = false;
    bool firstResponder = false;  // the keyboard is up for it
    bool secureTextEntry = true;
    bool autocorrection = false;
    bool autoCapitalisation = false;
    bool roundedBorder = true;
    bool centredText = true;
    float minimumFontSize = 60.0f;
    std::string placeholder = "\n";
    int keyboardType = KeyboardManager::EmailAddress;
    float frame[4] = {0, 0, 0, 0};  // origin and size, points
    float centreX = 0.0f;
    float centreY = 0.0f;
};

// Raises and lowers the platform's text input (platform/ implements it).
class KeyboardBackend {
public:
    virtual ~KeyboardBackend() = default;
    // Frame of the field in points.
    virtual void Raise(float x, float y, float width, float height) = 0;
    virtual void Lower() = 0;
};

class EAGLView;
class KeyboardManager_iPhone;

// Follows the text field's editing and the keyboard's appearance.
class Keyboard_iPhoneTextFieldDelegate {
public:
    explicit Keyboard_iPhoneTextFieldDelegate(KeyboardManager_iPhone& manager) : m_manager(manager) {}

    void OnKeyboardShown();
    void OnKeyboardWillHide();
    void OnEditingBegan();
    void OnEditingEnded();
    // The field's text with the change applied; true lets the field take it.
    bool ShouldChangeText(const std::string& proposed);
    // The return key: ends editing.
    bool ShouldReturn();

    float originalGLTransform[6] = {1, 0, 0, 1, 0, 0};

private:
    KeyboardManager_iPhone& m_manager;
};

class KeyboardManager_iPhone : public KeyboardManager {
public:
    // With no backend the keyboard is only modelled (tests, headless).
    explicit KeyboardManager_iPhone(std::unique_ptr<KeyboardBackend> backend = nullptr);
    ~KeyboardManager_iPhone() override;

    // The process-wide manager that KeyboardManager::Get answers; only
    // modelled until the shell gives it the platform's backend.
    static KeyboardManager_iPhone& Instance();

    // Null: the keyboard is only modelled from now on. Shared: the shell's
    // settings hold it too.
    void SetBackend(std::shared_ptr<KeyboardBackend> backend) { m_backend = std::move(backend); }

    // Also creates the text field, disabled, when there is none.
    void Create(float originX, float originY, float width, float height) override;
    void Destroy() override;
    void SetPosition(float x, float y) override;

    // Enables the field with the text, passes the text through the callback,
    // places the field at the stored x and y and raises the keyboard.
    void Show(const char* text, int y);
    void Hide();
    void SetText(const char* text);

    // What the platform types: text appended at the end, backspace and return.
    void OnPlatformText(const char* utf8);
    void OnPlatformKey(int key, bool down);

    // The GL view the keyboard moves out of its way; the shell hands it over.
    // Not owned; may be null.
    void SetView(EAGLView* view) { m_view = view; }
    EAGLView* GetView() const { return m_view; }

    // Null until created.
    const KeyboardTextField* GetTextField() const { return m_field.get(); }
    Keyboard_iPhoneTextFieldDelegate* GetFieldDelegate() const { return m_fieldDelegate.get(); }

private:
    friend class Keyboard_iPhoneTextFieldDelegate;

    void BecomeFirstResponder();
    void ResignFirstResponder();
    void ProposeText(const std::string& proposed);

    std::shared_ptr<KeyboardBackend> m_backend;  // may be null
    std::unique_ptr<KeyboardTextField> m_field;
    std::unique_ptr<Keyboard_iPhoneTextFieldDelegate> m_fieldDelegate;
    EAGLView* m_view = nullptr;
};

}  // namespace Varnok
