// What a text field asks of the on-screen keyboard. The keyboard manager
// lives in the shell above the UI, so the application hands the UI one of
// these through its UIHost; UIKeyboardOver adapts any manager with the
// shell's names (IsShown, requestedKeyboardType, textCallback, Show, Hide,
// SetText) without the UI knowing its type.
#pragma once

#include "engine/core/Delegate.h"

namespace Varnok {

class UIKeyboard {
public:
    // The whole proposed text (UTF-8); true accepts it.
    using TextCallback = Delegate1<bool, const char*>;

    virtual ~UIKeyboard() = default;

    virtual bool IsVisible() const = 0;
    // 0 plain text, 1 number pad, 2 e-mail address, 3 URL.
    virtual void SetKeyboardType(int type) = 0;
    virtual const TextCallback& GetTextCallback() const = 0;
    virtual void SetTextCallback(const TextCallback& callback) = 0;
    // Raises the keyboard over a field holding text; the keyboard reports
    // that text through the callback as part of showing. y is the screen
    // position to keep in view.
    virtual void Show(const char* text, int y) = 0;
    virtual void Hide() = 0;
    // Replaces the text the keyboard edits, without asking the callback.
    virtual void SetText(const char* text) = 0;
};

template <typename Manager>
class UIKeyboardOver final : public UIKeyboard {
public:
    // The manager must outlive the adapter.
    explicit UIKeyboardOver(Manager& manager) : m_manager(manager) {}

    bool IsVisible() const override { return m_manager.IsShown(); }
    void SetKeyboardType(int type) override { m_manager.requestedKeyboardType = type; }
    const TextCallback& GetTextCallback() const override { return m_manager.textCallback; }
    void SetTextCallback(const TextCallback& callback) override { m_manager.textCallback = callback; }
    void Show(const char* text, int y) override { m_manager.Show(text, y); }
    void Hide() override { m_manager.Hide(); }
    void SetText(const char* text) override { m_manager.SetText(text); }

private:
    Manager& m_manager;
};

}  // namespace Varnok
