// Alerts for the platform's dialogs, and the headless answers.
#include "engine/iOS/DialogManager_iPhone.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <utility>

namespace Varnok {

DialogManager& DialogManager::Get() {
    return DialogManager_iPhone::Instance();
}

Dialog_iPhone::~Dialog_iPhone() {
    m_manager.GetPresenter().Forget(*this);
}

void Dialog_iPhone::Show() {
    m_manager.GetPresenter().Present(*this);
}

void DialogPresenter::Present(Dialog_iPhone& dialog) {
    m_waiting.push_back(&dialog);
}

void DialogPresenter::Forget(const Dialog_iPhone& dialog) {
    m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), &dialog), m_waiting.end());
    if (m_answering == &dialog) {
        m_answering = nullptr;
    }
}

void DialogPresenter::Pump() {
    // One alert a turn: a callback that opens another dialog is answered on
    // the next turn, never in a loop here.
    if (m_waiting.empty()) {
        return;
    }
    Dialog_iPhone* dialog = m_waiting.front();
    m_waiting.pop_front();
    const int index = Ask(*dialog);
    m_answering = dialog;
    if (index >= 0) {
        dialog->OnButton(index);
    }
    // The callback may have closed the dialog itself.
    if (m_answering != nullptr) {
        m_answering = nullptr;
        dialog->GetManager().CloseDialog(dialog);
    }
}

int HeadlessDialogPresenter::Ask(const Dialog_iPhone& dialog) {
    int index = dialog.GetButtonCount() > 0 ? 0 : -1;
    if (!m_answers.empty()) {
        index = m_answers.front();
        m_answers.pop_front();
    }
    const char* label = index >= 0 && index < dialog.GetButtonCount()
                            ? dialog.GetButton(index).label.c_str()
                            : "(none)";
    Log("Dialog \"%s\": \"%s\" answered %d %s", dialog.GetTitle().c_str(), dialog.GetMessage().c_str(),
        index, label);
    return index;
}

AlertBackendPresenter::AlertBackendPresenter(std::shared_ptr<AlertBackend> backend)
    : m_backend(std::move(backend)) {}

int AlertBackendPresenter::Ask(const Dialog_iPhone& dialog) {
    const int index = m_backend != nullptr ? m_backend->Ask(dialog) : AlertBackend::kCannotShow;
    return index == AlertBackend::kCannotShow ? HeadlessDialogPresenter::Ask(dialog) : index;
}

DialogManager_iPhone::DialogManager_iPhone() : m_presenter(std::make_unique<HeadlessDialogPresenter>()) {}

DialogManager_iPhone::~DialogManager_iPhone() {
    // The dialogs tell the presenter when they go, so they go first.
    CloseAll();
}

DialogManager_iPhone& DialogManager_iPhone::Instance() {
    static DialogManager_iPhone manager;
    return manager;
}

std::unique_ptr<Dialog> DialogManager_iPhone::CreateDialog() {
    return std::make_unique<Dialog_iPhone>(*this);
}

void DialogManager_iPhone::SetPresenter(std::unique_ptr<DialogPresenter> presenter) {
    if (presenter == nullptr) {
        Log("DialogManager: no presenter given, keeping the one in use");
        return;
    }
    m_presenter = std::move(presenter);
    if (Dialog* shown = GetShownDialog()) {
        shown->Show();
    }
}

}  // namespace Varnok
