// ResultsScreen: the end-of-game sequence.
#include "game/screens/ResultsScreen.h"

#include "engine/core/AsciiString.h"
#include "engine/core/Random.h"
#include "engine/ui/Component.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/rules/SessionControl.h"
#include "game/screens/ComponentScore.h"
#include "game/screens/ComponentTextValue.h"
#include "game/screens/GameUi.h"

#include <cstdio>
#include <memory>

namespace Varnok {

namespace {

constexpr int kFruitFacts = 71;

Component* Find(Component* root, const char* path) {
    return root != nullptr ? root->FindChild(AsciiString(path)) : nullptr;
}

template <typename T>
T* FindKind(Component* root, const char* path) {
    Component* found = Find(root, path);
    return found != nullptr && found->IsKindOf(T::GetStaticClassInfo()) ? static_cast<T*>(found) : nullptr;
}

}  // namespace

ResultsScreen::ResultsScreen(ResultsServices& services, Component* layout) : m_services(services) {
    if (layout == nullptr) {
        GameRecord& game = GetGameRecord();
        if (game.loadedScreens == nullptr) {
            game.loadedScreens = std::make_unique<LoadedScreenMap>();
        }
        layout = ShowScreenLayout(*game.loadedScreens, kLayoutName, 1);
    }
    m_layout = layout;
    m_scoreLabel = FindKind<ComponentScore>(m_layout, "backgroundControl.score.score");
    m_bestLabel = FindKind<ComponentTextValue>(m_layout, "backgroundControl.score.bestScore");
    m_newBest = Find(m_layout, "backgroundControl.score.newBest");
    (void)SetBestScoreForMode(GetScore());
}

ResultsScreen::~ResultsScreen() = default;

const char* ResultsScreen::LeaderboardIdForMode(int mode) {
    return mode == InGameMode::kClassic ? "CLASSIC_SCORES" : mode == InGameMode::kChallenge ? "NEW_MODE_SCORES" : nullptr;
}

const char* ResultsScreen::WeeklyLeaderboardIdForMode(int mode) {
    return mode == InGameMode::kClassic     ? "CLASSIC_SCORES_WEEKLY"
           : mode == InGameMode::kChallenge ? "NEW_MODE_SCORES_WEEKLY"
                                            : nullptr;
}

int ResultsScreen::NextFruitFact(int last) {
    // A negative count read from a damaged save still lands in 1..71.
    const int n = ((last % kFruitFacts) + kFruitFacts) % kFruitFacts;
    return n + 1;
}

void ResultsScreen::Open() {
    if (m_opened) {
        return;
    }
    m_opened = true;
    GameRecord& game = GetGameRecord();
    game.savedGameState = false;
    game.menuPhase = kMenuPhaseOpen;
    const int32_t score = GetScore();
    const bool classic = game.modeIndex == InGameMode::kClassic;
    if (m_scoreLabel != nullptr) {
        if (classic) {
            m_scoreLabel->m_shownValue = 0.0f;  // counts up from nothing
        }
        m_scoreLabel->RefreshText();
        m_scoreLabel->m_hold = false;
        m_scoreLabel->m_countSounds = true;
        m_scoreLabel->m_newBestLabel = nullptr;
    }
    ShowBestScore(score);
    ShowFruitFact();
    if (m_layout != nullptr) {
        m_layout->PlayAnimation(AsciiString("animate_in"), true);
    }
    PostScore(score);
    CountFinishedGame();
    if (GameStats* stats = game.stats) {
        stats->DecrementCountdowns();
        stats->ClearSession();
    }
    SaveGame(0);
}

void ResultsScreen::ShowBestScore(int32_t score) {
    const int32_t best = GetBestScoreForMode();
    if (m_bestLabel != nullptr) {
        m_bestLabel->m_value = best;
        m_bestLabel->RefreshText();
    }
    if (m_newBest == nullptr) {
        return;
    }
    m_newBest->GetEnabledProperty()->Set(false);
    m_newBest->StopAllAnimations(true);
    if (auto* badgeScore = FindKind<ComponentTextValue>(m_newBest, "bestScore")) {
        badgeScore->m_value = score;
        badgeScore->RefreshText();
    }
    // The best already took this score: equal means a new (or equalled) best.
    if (best > score) {
        return;
    }
    if (GetGameRecord().modeIndex == InGameMode::kClassic) {
        if (m_scoreLabel != nullptr) {
            m_scoreLabel->m_newBestLabel = m_newBest;  // shown when the count completes
        }
    } else {
        m_newBest->GetEnabledProperty()->Set(true);
        m_newBest->PlayAnimation(AsciiString("animate_in_delay"), true);
    }
}

void ResultsScreen::ShowFruitFact() {
    Component* text = Find(m_layout, "backgroundControl.fruitFact.poster.animation_wrapper.text2");
    GameStats* stats = GetGameRecord().stats;
    if (text == nullptr || stats == nullptr) {
        return;
    }
    int last = stats->Get("lastFruitFact");
    if (last == 0) {
        last = static_cast<int>(GlobalRandom().NextBelow(kFruitFacts));
    }
    const int fact = NextFruitFact(last);
    stats->Set("lastFruitFact", fact, 1, 0);
    char key[32];
    snprintf(key, sizeof(key), "TB_FELIS_FACT_%03d", fact);
    text->SetText(AsciiString(key));
}

void ResultsScreen::PostScore(int32_t score) {
    GameRecord& game = GetGameRecord();
    const char* board = LeaderboardIdForMode(game.modeIndex);
    if (board == nullptr) {
        return;
    }
    if (!m_services.IsLeaderboardOnline() && game.stats != nullptr &&
        score > game.stats->unposted[game.modeIndex]) {
        game.stats->unposted[game.modeIndex] = score;  // posted when the boards come back
    }
    if (m_services.PostScore(board, score)) {
        (void)m_services.PostScore(WeeklyLeaderboardIdForMode(game.modeIndex), score);
    }
}

void ResultsScreen::CountFinishedGame() {
    GameRecord& game = GetGameRecord();
    if (game.stats == nullptr) {
        return;
    }
    if (game.modeIndex == InGameMode::kClassic) {
        game.stats->Add("desperadoGamesFinished", 1, 1, 0);
    } else if (game.modeIndex == InGameMode::kChallenge) {
        game.stats->Add("banditoGamesFinished", 1, 1, 0);
    }
}

void ResultsScreen::Update(float /*stepSeconds*/) {
    UpdateExitAnimations();
    if (m_exitDone) {
        m_exitDone = false;
        if (m_onExit) {
            m_onExit();
        }
        return;
    }
    // The score starts counting once the screen has slid in.
    if (m_scoreLabel != nullptr && m_scoreLabel->m_hold && m_layout != nullptr &&
        !m_layout->IsAnimationPlaying(AsciiString("animate_in"), true)) {
        m_scoreLabel->m_hold = false;
    }
}

}  // namespace Varnok
