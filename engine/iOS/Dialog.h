// Native dialogs: a title, a message and up to three buttons, each with a
// callback that receives the pressed button's index. The dialog manager
// shows one at a time and queues the rest.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"

#include <memory>
#include <vector>

namespace Varnok {

using DialogCallback = Delegate1<void, int>;

struct DialogButton {
    AsciiString label;
    DialogCallback callback;  // may be empty
};

class Dialog {
public:
    static constexpr int kMaxButtons = 3;

    Dialog() = default;
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    virtual void SetText(const char* title, const char* message);
    // False (with a log line) past the third button.
    virtual bool AddButton(const char* label, const DialogCallback& callback);
    // Calls the button's callback with its index; nothing for an empty
    // callback or an index that names no button.
    virtual void OnButton(int index);
    // Puts the dialog on screen; nothing in the platform-independent class.
    virtual void Show() {}

    const AsciiString& GetTitle() const { return m_title; }
    const AsciiString& GetMessage() const { return m_message; }
    int GetButtonCount() const { return m_buttonCount; }
    // Requires: 0 <= index < GetButtonCount().
    const DialogButton& GetButton(int index) const { return m_buttons[index]; }
    // The platform's cancel button: always the first one added.
    int GetCancelButtonIndex() const { return m_cancelButtonIndex; }

private:
    AsciiString m_message;
    AsciiString m_title;
    DialogButton m_buttons[kMaxButtons];
    int m_buttonCount = 0;
    int m_cancelButtonIndex = 0;
};

class DialogManager {
public:
    // What ShowMessage does with the dialog it made.
    static constexpr int kReturnDialog = 0;  // hand it back unopened
    static constexpr int kOpenNow = 1;       // open it at once

    DialogManager() = default;
    virtual ~DialogManager() = default;
    DialogManager(const DialogManager&) = delete;
    DialogManager& operator=(const DialogManager&) = delete;

    // The platform's manager, process-wide.
    static DialogManager& Get();

    // A new empty dialog; null in the platform-independent class.
    virtual std::unique_ptr<Dialog> CreateDialog() { return nullptr; }

    // A dialog with the texts (and buttons, in order). With kOpenNow it opens
    // and null is answered; with kReturnDialog the dialog is answered for the
    // caller to complete and open. Null when none could be made.
    std::unique_ptr<Dialog> ShowMessage(const char* title, const char* message, int openNow);
    std::unique_ptr<Dialog> ShowMessage1(const char* title, const char* message, const char* label,
                                         const DialogCallback& callback, int openNow);
    std::unique_ptr<Dialog> ShowMessage2(const char* title, const char* message, const char* label1,
                                         const DialogCallback& callback1, const char* label2,
                                         const DialogCallback& callback2, int openNow);
    std::unique_ptr<Dialog> ShowMessage3(const char* title, const char* message, const char* label1,
                                         const DialogCallback& callback1, const char* label2,
                                         const DialogCallback& callback2, const char* label3,
                                         const DialogCallback& callback3, int openNow);

    // Queues the dialog; shows it when no other is open. Null is ignored.
    virtual void OpenDialog(std::unique_ptr<Dialog> dialog);
    // Removes and deletes the dialog; when it was open and another waits,
    // shows that one. False when the dialog is not open or queued.
    virtual bool CloseDialog(Dialog* dialog);

    int GetOpenCount() const { return static_cast<int>(m_dialogs.size()); }
    // The dialog on screen, or null.
    Dialog* GetShownDialog() const { return m_dialogs.empty() ? nullptr : m_dialogs.front().get(); }

protected:
    // Deletes every dialog without calling anything.
    void CloseAll() { m_dialogs.clear(); }

private:
    std::unique_ptr<Dialog> Finish(std::unique_ptr<Dialog> dialog, int openNow);

    std::vector<std::unique_ptr<Dialog>> m_dialogs;  // in opening order; the first is shown
};

}  // namespace Varnok
