// The platform's dialogs: each open dialog goes up as an alert through a
// presenter (the platform's alert back end, or scripted answers when
// headless), and the pressed button comes back from the run loop.
#pragma once

#include "engine/iOS/Dialog.h"

#include <deque>
#include <memory>

namespace Varnok {

class DialogManager_iPhone;
class DialogPresenter;

class Dialog_iPhone : public Dialog {
public:
    explicit Dialog_iPhone(DialogManager_iPhone& manager) : m_manager(manager) {}
    // An alert still up for the dialog is taken down without a callback.
    ~Dialog_iPhone() override;

    void Show() override;

    DialogManager_iPhone& GetManager() const { return m_manager; }

private:
    DialogManager_iPhone& m_manager;
};

// The alert views: shows dialogs and, once per run-loop turn, answers the
// one that is up. A press calls the button's callback, then closes and
// deletes the dialog (which shows the next one queued).
class DialogPresenter {
public:
    virtual ~DialogPresenter() = default;

    void Present(Dialog_iPhone& dialog);
    // The dialog is gone: its alert is dropped unanswered.
    void Forget(const Dialog_iPhone& dialog);
    // Main thread, once per run-loop turn.
    void Pump();

    int GetWaitingCount() const { return static_cast<int>(m_waiting.size()); }

protected:
    // The pressed button's index, or -1 when the alert went away without
    // one. May block until the user answers.
    virtual int Ask(const Dialog_iPhone& dialog) = 0;

private:
    std::deque<Dialog_iPhone*> m_waiting;  // alerts up, oldest first; not owned
    Dialog_iPhone* m_answering = nullptr;  // cleared when the dialog goes during its callback
};

// Answers each alert with the next scripted index, else its first button
// (none when it has no buttons), and logs what it answered.
class HeadlessDialogPresenter : public DialogPresenter {
public:
    void QueueAnswer(int buttonIndex) { m_answers.push_back(buttonIndex); }

protected:
    int Ask(const Dialog_iPhone& dialog) override;

private:
    std::deque<int> m_answers;
};

class DialogManager_iPhone : public DialogManager {
public:
    // Headless answers until a presenter is set.
    DialogManager_iPhone();
    ~DialogManager_iPhone() override;

    // The process-wide manager that DialogManager::Get answers.
    static DialogManager_iPhone& Instance();

    std::unique_ptr<Dialog> CreateDialog() override;

    // Takes over; a dialog already open goes up again through the new one.
    // Not from inside a dialog callback.
    void SetPresenter(std::unique_ptr<DialogPresenter> presenter);
    DialogPresenter& GetPresenter() { return *m_presenter; }
    // Answers the alert that is up, if any (the run loop calls it).
    void Pump() { m_presenter->Pump(); }

private:
    std::unique_ptr<DialogPresenter> m_presenter;
};

// The platform's alert view (platform/ implements it over the window).
class AlertBackend {
public:
    // Ask's answer when no alert can go up now (no window, no message box).
    static constexpr int kCannotShow = -2;

    virtual ~AlertBackend() = default;
    // Shows the dialog and waits for the user: the pressed button's index,
    // -1 when the alert went away without one, or kCannotShow.
    virtual int Ask(const Dialog& dialog) = 0;
};

// Alerts through the platform's back end; the headless answers whenever it
// cannot show one.
class AlertBackendPresenter final : public HeadlessDialogPresenter {
public:
    // Shared: the shell's settings and this presenter both hold it.
    explicit AlertBackendPresenter(std::shared_ptr<AlertBackend> backend);

protected:
    int Ask(const Dialog_iPhone& dialog) override;

private:
    std::shared_ptr<AlertBackend> m_backend;
};

}  // namespace Varnok
