// Native dialogs: one on screen at a time, answered from the run loop.
#include "engine/iOS/DialogManager_iPhone.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using ::testing::ElementsAre;

// Answers as scripted and remembers what it was asked, in order.
class ScriptedPresenter : public HeadlessDialogPresenter {
public:
    explicit ScriptedPresenter(std::vector<std::string>& asked) : m_asked(asked) {}

protected:
    int Ask(const Dialog_iPhone& dialog) override {
        m_asked.push_back(std::string("shown ") + dialog.GetTitle().c_str());
        return HeadlessDialogPresenter::Ask(dialog);
    }

private:
    std::vector<std::string>& m_asked;
};

struct Answers {
    std::vector<std::string>* log = nullptr;
    DialogManager* manager = nullptr;
    void OnFirst(int index) { log->push_back("first pressed " + std::to_string(index)); }
    void OnSecond(int index) { log->push_back("second pressed " + std::to_string(index)); }
    // Opens another dialog from inside a callback.
    void OnOpenMore(int) {
        log->push_back("open more");
        manager->ShowMessage1("Third", "from a callback", "OK", DialogCallback(this, &Answers::OnSecond),
                              DialogManager::kOpenNow);
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto presenter = std::make_unique<ScriptedPresenter>(log);
        scripted = presenter.get();
        manager.SetPresenter(std::move(presenter));
        answers.log = &log;
        answers.manager = &manager;
    }

    std::vector<std::string> log;
    DialogManager_iPhone manager;
    ScriptedPresenter* scripted = nullptr;
    Answers answers;
};

TEST_F(DialogTest, QueuedDialogWaitsAndCallbackRunsBeforeTheNextShows) {
    manager.ShowMessage2("First", "one", "No", DialogCallback(&answers, &Answers::OnFirst), "Yes",
                         DialogCallback(&answers, &Answers::OnFirst), DialogManager::kOpenNow);
    manager.ShowMessage1("Second", "two", "OK", DialogCallback(&answers, &Answers::OnSecond),
                         DialogManager::kOpenNow);
    EXPECT_EQ(manager.GetOpenCount(), 2);
    EXPECT_EQ(scripted->GetWaitingCount(), 1);  // only the first is up

    scripted->QueueAnswer(1);
    manager.Pump();
    manager.Pump();
    manager.Pump();  // nothing left
    EXPECT_THAT(log, ElementsAre("shown First", "first pressed 1", "shown Second", "second pressed 0"));
    EXPECT_EQ(manager.GetOpenCount(), 0);
}

TEST_F(DialogTest, ClosingAndOddAnswersNeverCallAStrayCallback) {
    std::unique_ptr<Dialog> unopened =
        manager.ShowMessage("Unopened", "never shown", DialogManager::kReturnDialog);
    ASSERT_NE(unopened, nullptr);
    EXPECT_FALSE(manager.CloseDialog(unopened.get()));

    // A dialog without buttons goes away without a callback.
    manager.ShowMessage("Bare", "no buttons", DialogManager::kOpenNow);
    manager.Pump();
    EXPECT_THAT(log, ElementsAre("shown Bare"));
    EXPECT_EQ(manager.GetOpenCount(), 0);
    log.clear();

    // An index that names no button closes the dialog and calls nothing.
    manager.ShowMessage1("Odd", "answer 5", "OK", DialogCallback(&answers, &Answers::OnFirst),
                         DialogManager::kOpenNow);
    scripted->QueueAnswer(5);
    manager.Pump();
    EXPECT_THAT(log, ElementsAre("shown Odd"));
    log.clear();

    // Closing a waiting dialog leaves the shown one up, shown once.
    manager.ShowMessage1("Shown", "a", "OK", DialogCallback(&answers, &Answers::OnFirst), DialogManager::kOpenNow);
    std::unique_ptr<Dialog> waiting = manager.ShowMessage1(
        "Waiting", "b", "OK", DialogCallback(&answers, &Answers::OnSecond), DialogManager::kReturnDialog);
    Dialog* waitingDialog = waiting.get();
    manager.OpenDialog(std::move(waiting));
    EXPECT_TRUE(manager.CloseDialog(waitingDialog));
    EXPECT_EQ(scripted->GetWaitingCount(), 1);
    manager.Pump();
    EXPECT_THAT(log, ElementsAre("shown Shown", "first pressed 0"));
    log.clear();

    // Closing the shown dialog takes its alert down unanswered.
    manager.ShowMessage1("Gone", "c", "OK", DialogCallback(&answers, &Answers::OnFirst), DialogManager::kOpenNow);
    EXPECT_TRUE(manager.CloseDialog(manager.GetShownDialog()));
    manager.Pump();
    EXPECT_TRUE(log.empty());
}

TEST_F(DialogTest, ButtonsStopAtThreeAndOpenNowValuesDecide) {
    std::unique_ptr<Dialog> dialog = manager.ShowMessage3(
        "Three", "buttons", "A", DialogCallback(&answers, &Answers::OnFirst), "B", DialogCallback(), "C",
        DialogCallback(&answers, &Answers::OnSecond), DialogManager::kReturnDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetButtonCount(), 3);
    EXPECT_FALSE(dialog->AddButton("D", DialogCallback(&answers, &Answers::OnFirst)));
    EXPECT_EQ(dialog->GetButtonCount(), 3);
    EXPECT_EQ(dialog->GetCancelButtonIndex(), 0);
    dialog->OnButton(1);  // an empty callback
    dialog->OnButton(2);
    dialog->OnButton(3);
    dialog->OnButton(-1);
    EXPECT_THAT(log, ElementsAre("second pressed 2"));

    EXPECT_EQ(manager.ShowMessage("Dropped", "value 7", 7), nullptr);
    EXPECT_EQ(manager.GetOpenCount(), 0);
    DialogManager platformIndependent;
    EXPECT_EQ(platformIndependent.ShowMessage("None", "made", DialogManager::kReturnDialog), nullptr);
}

TEST_F(DialogTest, DialogOpenedFromACallbackWaitsForTheNextTurn) {
    manager.ShowMessage1("First", "opens more", "More", DialogCallback(&answers, &Answers::OnOpenMore),
                         DialogManager::kOpenNow);
    manager.Pump();
    EXPECT_THAT(log, ElementsAre("shown First", "open more"));
    manager.Pump();
    EXPECT_THAT(log, ElementsAre("shown First", "open more", "shown Third", "second pressed 0"));
}

// Answers from a script of back-end replies, remembering what it was asked.
class ScriptedAlerts : public AlertBackend {
public:
    int Ask(const Dialog& dialog) override {
        asked.push_back(dialog.GetTitle().c_str());
        const int reply = replies.front();
        replies.erase(replies.begin());
        return reply;
    }

    std::vector<int> replies;
    std::vector<std::string> asked;
};

TEST_F(DialogTest, BackendAnswersAndHeadlessAnswersWhenItCannotShow) {
    auto alerts = std::make_shared<ScriptedAlerts>();
    alerts->replies = {1, AlertBackend::kCannotShow, -1};
    manager.SetPresenter(std::make_unique<AlertBackendPresenter>(alerts));
    const DialogCallback first(&answers, &Answers::OnFirst);
    for (const char* title : {"Pressed", "No window", "Dismissed"}) {
        manager.ShowMessage2(title, "m", "No", first, "Yes", first, DialogManager::kOpenNow);
        manager.Pump();
    }
    EXPECT_THAT(alerts->asked, ElementsAre("Pressed", "No window", "Dismissed"));
    // The headless answer is the first button; going away without one calls nothing.
    EXPECT_THAT(log, ElementsAre("first pressed 1", "first pressed 0"));
    EXPECT_EQ(manager.GetOpenCount(), 0);
}

}  // namespace
}  // namespace Varnok
