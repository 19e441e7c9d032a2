// Dialog texts and buttons, and the manager's queue.
#include "engine/iOS/Dialog.h"

#include "engine/core/Log.h"

#include <utility>

namespace Varnok {

void Dialog::SetText(const char* title, const char* message) {
    m_title = title;
    m_message = message;
}

bool Dialog::AddButton(const char* label, const DialogCallback& callback) {
    if (m_buttonCount >= kMaxButtons) {
        Log("Dialog: \"%s\" already has %d buttons, \"%s\" left out", m_title.c_str(), kMaxButtons,
            label != nullptr ? label : "");
        return false;
    }
    m_buttons[m_buttonCount].label = label;
    m_buttons[m_buttonCount].callback = callback;
    ++m_buttonCount;
    return true;
}

void Dialog::OnButton(int index) {
    if (index < 0 || index >= m_buttonCount) {
        Log("Dialog: \"%s\" has no button %d", m_title.c_str(), index);
        return;
    }
    m_buttons[index].callback(index);
}

std::unique_ptr<Dialog> DialogManager::ShowMessage(const char* title, const char* message, int openNow) {
    std::unique_ptr<Dialog> dialog = CreateDialog();
    if (dialog == nullptr) {
        return nullptr;
    }
    dialog->SetText(title, message);
    return Finish(std::move(dialog), openNow);
}

std::unique_ptr<Dialog> DialogManager::ShowMessage1(const char* title, const char* message,
                                                    const char* label, const DialogCallback& callback,
                                                    int openNow) {
    std::unique_ptr<Dialog> dialog = ShowMessage(title, message, kReturnDialog);
    if (dialog == nullptr) {
        return nullptr;
    }
    dialog->AddButton(label, callback);
    return Finish(std::move(dialog), openNow);
}

std::unique_ptr<Dialog> DialogManager::ShowMessage2(const char* title, const char* message,
                                                    const char* label1, const DialogCallback& callback1,
                                                    const char* label2, const DialogCallback& callback2,
                                                    int openNow) {
    std::unique_ptr<Dialog> dialog = ShowMessage1(title, message, label1, callback1, kReturnDialog);
    if (dialog == nullptr) {
        return nullptr;
    }
    dialog->AddButton(label2, callback2);
    return Finish(std::move(dialog), openNow);
}

std::unique_ptr<Dialog> DialogManager::ShowMessage3(const char* title, const char* message,
                                                    const char* label1, const DialogCallback& callback1,
                                                    const char* label2, const DialogCallback& callback2,
                                                    const char* label3, const DialogCallback& callback3,
                                                    int openNow) {
    std::unique_ptr<Dialog> dialog =
        ShowMessage2(title, message, label1, callback1, label2, callback2, kReturnDialog);
    if (dialog == nullptr) {
        return nullptr;
    }
    dialog->AddButton(label3, callback3);
    return Finish(std::move(dialog), openNow);
}

std::unique_ptr<Dialog> DialogManager::Finish(std::unique_ptr<Dialog> dialog, int openNow) {
    if (openNow == kOpenNow) {
        OpenDialog(std::move(dialog));
        return nullptr;
    }
    if (openNow != kReturnDialog) {
        Log("DialogManager: open-now value %d neither opens nor returns \"%s\"; dropped", openNow,
            dialog->GetTitle().c_str());
        return nullptr;
    }
    return dialog;
}

void DialogManager::OpenDialog(std::unique_ptr<Dialog> dialog) {
    if (dialog == nullptr) {
        return;
    }
    Dialog* opened = dialog.get();
    const bool wasEmpty = m_dialogs.empty();
    m_dialogs.push_back(std::move(dialog));
    if (wasEmpty) {
        opened->Show();
    }
}

bool DialogManager::CloseDialog(Dialog* dialog) {
    bool removed = false;
    const bool wasShown = !m_dialogs.empty() && m_dialogs.front().get() == dialog;
    for (auto it = m_dialogs.begin(); it != m_dialogs.end();) {
        if (it->get() == dialog) {
            // Out of the list before it is deleted: its destructor may look.
            std::unique_ptr<Dialog> closing = std::move(*it);
            it = m_dialogs.erase(it);
            closing.reset();
            removed = true;
        } else {
            ++it;
        }
    }
    // Only a new first dialog goes up: the one on screen must not be shown twice.
    if (wasShown && !m_dialogs.empty()) {
        m_dialogs.front()->Show();
    }
    return removed;
}

}  // namespace Varnok
