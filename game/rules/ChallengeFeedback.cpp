// Round parts, the run's record and the challenge HUD's pop-up feedback.
#include "game/rules/ChallengeFeedback.h"

#include "engine/core/AsciiString.h"
#include "engine/core/HashName.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentVisual.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/VoiceOverManager.h"
#include "game/world/Fruit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kComboVolume = 0.25f;
constexpr float kVoiceDelaySeconds = 0.4f;
constexpr float kFastReflexSeconds = 0.4f;  // a cut this quick earns a voice line too
constexpr float kMissPenalty = 0.2f;        // of the fruit count, per slash that cut nothing

uint32_t HashOf(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

Component* Find(Component* root, const char* path) {
    return root != nullptr ? root->FindChild(AsciiString(path)) : nullptr;
}

bool IsVisual(const Component* component) {
    return component != nullptr && component->IsKindOf(ComponentVisual::GetStaticClassInfo());
}

void SetShown(Component* element, bool shown) {
    if (element != nullptr && element->GetEnabledProperty() != nullptr) {
        element->GetEnabledProperty()->Set(shown);
    }
}

void SetValueText(Component* element, const char* text) {
    if (element == nullptr) {
        return;
    }
    if (Component* value = element->FindChild(AsciiString("value"))) {
        value->SetText(AsciiString(text));
    }
}

// Placed at a world position (the HUD's y points down), shown, restarted.
void PopUp(Component* element, const Vector3& worldPosition, const char* animation) {
    if (element == nullptr) {
        return;
    }
    element->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})
        ->Set(Vector3{worldPosition.x, -worldPosition.y, worldPosition.z});
    SetShown(element, true);
    element->StopAllAnimations(true);
    element->PlayAnimation(AsciiString(animation), true);
}

void PlayRestarted(const char* name) {
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (sounds == nullptr) {
        return;
    }
    (void)sounds->PauseSound(name);
    sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
}

void PlayComboLine(float delaySeconds) {
    if (VoiceOverManager* voice = GetGameRecord().voiceOver) {
        voice->PlayComboDelegate(delaySeconds, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
    }
}

}  // namespace

// ---- ChallengeHudPopups ----

void ChallengeHudPopups::HideAll() {
    for (Component* c : {slice, quickShot, fruitNumber, challengeEnd, bonus[0], bonus[1], bonus[2]}) {
        SetShown(c, false);
    }
}

// ---- ChallengeFeedback ----

void ChallengeFeedback::Bind(ChallengeHudPopups* hudPopups) {
    lastComboSound = 0;
    m_popups = hudPopups;
}

void ChallengeFeedback::BindPopups(ChallengeHudPopups& popups, Component* root) {
    popups = ChallengeHudPopups{};
    popups.slice = Find(root, "@slice");
    popups.quickShot = Find(root, "@quickShot");
    popups.fruitNumber = Find(root, "@fruitNumber");
    popups.challengeEnd = Find(root, "@challengeEnd");
    popups.pinataBonus = Find(root, "@pinataBonus");
    popups.extraHeart = Find(root, "@extraHeart");
    popups.extraPoints = Find(root, "@extraPoints");
    popups.badLuck = Find(root, "@badLuck");
    if (popups.badLuck != nullptr) {
        popups.list.push_back(popups.badLuck);
    }
    for (int i = 0; i < 3; ++i) {
        char name[24];
        std::snprintf(name, sizeof(name), "@bonus_%i", i + 1);
        Component* element = Find(root, name);
        // The bonus pop-ups are moved and drawn as visuals; anything else is
        // left out.
        if (IsVisual(element)) {
            popups.bonus[i] = element;
            popups.list.push_back(element);
        }
    }
    popups.HideAll();
}

void ChallengeFeedback::BeginRound(bool scoringRound) {
    std::fill(std::begin(parts), std::end(parts), 0.0f);
    bestReflex = kStartReflex;
    quickShotDone = false;
    scoring = scoringRound;
    comboPoints = 0;
    bonusPoints = 0;
}

void ChallengeFeedback::ComputeParts(const ChallengeRoundFigures& figures) {
    const GameStats* stats = GetGameRecord().stats;
    if (stats == nullptr) {
        ComputeParts(figures, 0, 0, 0);
        return;
    }
    ComputeParts(figures, stats->Get("slashes"), stats->Get("slashesScoring"), stats->Get("totalfruit"));
}

void ChallengeFeedback::ComputeParts(const ChallengeRoundFigures& figures, int32_t slashes,
                                     int32_t slashesScoring, int32_t totalFruit) {
    if (figures.failed) {
        std::fill(std::begin(parts), std::end(parts), 0.0f);
        return;
    }
    const float progress = figures.progress > 0.0f ? 100.0f * figures.progress : 100.0f;
    parts[FruitPart] = static_cast<float>(bonusPoints) + progress;

    // A round in which nothing was cut has no accuracy to score.
    if (totalFruit > 0) {
        const float fruit = static_cast<float>(totalFruit);
        const float empty = static_cast<float>(slashes - slashesScoring);
        const float slice = 100.0f * (fruit + static_cast<float>(comboPoints) - kMissPenalty * empty * fruit) / fruit;
        parts[SlicePart] = std::max(slice, 0.0f);
    } else {
        parts[SlicePart] = 0.0f;
    }

    parts[ReflexPart] = bestReflex > 0.0f ? 50.0f * (2.0f - std::min(bestReflex, 2.0f)) : 100.0f;
}

int32_t ChallengeFeedback::RoundScore() const {
    if (!scoring) {
        return 0;
    }
    int32_t total = 0;
    for (int i = 0; i < kPartCount; ++i) {
        total += GetScorePart(*this, i);
    }
    return total;
}

void ChallengeFeedback::OnFruitHit(float onScreenSeconds) {
    if (!quickShotDone) {
        bestReflex = std::min(bestReflex, onScreenSeconds);
    }
}

void ChallengeFeedback::OnFruitSliced(const Fruit& fruit, float onScreenSeconds, const ChallengeRoundFigures& figures) {
    OnFruitHit(onScreenSeconds);
    if (!scoring || fruit.isMenuFruit || fruit.collision == nullptr) {
        return;
    }
    Update(fruit.position, figures);
}

void ChallengeFeedback::ShowCombo(int cutCount, const Vector3& slashPosition) {
    if (!scoring || cutCount < 3 || m_popups == nullptr || m_popups->slice == nullptr) {
        return;
    }
    SetLabelTopValue(m_popups->slice, cutCount);
    InGameMode::ShowPopupAt(m_popups->slice, slashPosition, -1);
    GameRecord& record = GetGameRecord();
    if (record.voiceOver != nullptr) {
        record.voiceOver->PlayCombo(kVoiceDelaySeconds, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
    }
    if (record.soundPlayer != nullptr) {
        if (lastComboSound != 0) {
            (void)record.soundPlayer->PauseByHash(lastComboSound);
        }
        char name[16];
        std::snprintf(name, sizeof(name), "combo-%i", ComboSoundIndex(cutCount));
        record.soundPlayer->Play(name, kComboVolume, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
        lastComboSound = HashOf(name);
    }
}

void ChallengeFeedback::ShowValue(int cutCount, const Vector3& slashPosition) {
    if (cutCount >= 3) {
        comboPoints += static_cast<uint32_t>(cutCount);
    }
    if (cutCount < 1 || quickShotDone) {
        return;
    }
    quickShotDone = true;
    (void)AchievementManager::Instance().CheckQuickshot(bestReflex);
    if (m_popups == nullptr || m_popups->quickShot == nullptr || bestReflex > kQuickShotLimit) {
        return;
    }
    char text[24];
    FormatTenths(*this, ReflexPart, text, sizeof(text));
    SetValueText(m_popups->quickShot, text);
    m_popups->quickShot->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})
        ->Set(Vector3{slashPosition.x, -slashPosition.y, slashPosition.z});
    SetShown(m_popups->quickShot, true);
    m_popups->quickShot->PlayAnimation(AsciiString("animate_trigger"), true);
    if (bestReflex < kFastReflexSeconds) {
        PlayComboLine(kVoiceDelaySeconds);
    }
}

void ChallengeFeedback::Update(const Vector3& fruitPosition, const ChallengeRoundFigures& figures) {
    const int32_t r = figures.remaining;
    if (r > kFeedbackRange || figures.noFeedback) {
        return;
    }
    Component* popup = nullptr;
    if (r < 0) {
        if (m_popups != nullptr) {
            Component* next = m_popups->bonus[m_popups->bonusIndex];
            popup = IsVisual(next) ? next : nullptr;
            m_popups->bonusIndex = (m_popups->bonusIndex + 1) % 3;
        }
        PlayRestarted(FeedbackSoundForRemaining(r));
    } else if (r == 0) {
        PlayRestarted(FeedbackSoundForRemaining(r));
        PlayComboLine(kVoiceDelaySeconds);
        popup = m_popups != nullptr ? m_popups->challengeEnd : nullptr;
    } else if (r <= 5) {
        if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
            sounds->Play(FeedbackSoundForRemaining(r), kComboVolume, 1.0f, SoundCompletion(&SoundPlayerNoCompletion),
                         0.0f);
        }
        popup = m_popups != nullptr ? m_popups->fruitNumber : nullptr;
        char text[16];
        std::snprintf(text, sizeof(text), "%i", r);
        SetValueText(popup, text);
    } else {
        return;
    }
    PopUp(popup, fruitPosition, "trigger");
}

void ChallengeFeedback::RestoreState(const SavedState& state) {
    bestReflex = state.bestReflex;
    quickShotDone = state.quickShotDone != 0;
    comboPoints = state.comboPoints;
    scoring = true;
}

// ---- ChallengeSession ----

void ChallengeSession::Clear() {
    const int32_t pinata = roundPinataBonus;
    *this = ChallengeSession{};
    roundPinataBonus = pinata;
}

void ChallengeSession::AddRoundScore(int32_t score) {
    ++roundsScored;
    ++consecutivePasses;
    totalScore += score;
    lastRoundScore = score;
    if (GameStats* stats = GetGameRecord().stats) {
        stats->Set("challenge_score", score, 0, 1);
        stats->Add("challenge_complete", 1, 1, 1);
    }
}

int32_t ChallengeSession::GetScorePart(const ChallengeFeedback& feedback, int part) {
    return Varnok::GetScorePart(feedback, part);
}

// ---- Free functions ----

int32_t GetScorePart(const ChallengeFeedback& feedback, int part) {
    if (!feedback.scoring || part < 0 || part >= ChallengeFeedback::kPartCount) {
        return 0;
    }
    const float value = feedback.parts[part] * feedback.multipliers[part];
    if (!(value > 0.0f)) {  // NaN gives 0 too
        return 0;
    }
    return static_cast<int32_t>(std::min(value + 0.5f, 2.0e9f));
}

int32_t ChallengeRankForScore(int32_t score) {
    if (score < 200) {
        return 0;
    }
    return score < 300 ? 1 : 2;
}

int FormatTenths(const ChallengeFeedback& feedback, int part, char* buffer, size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) {
        return 0;
    }
    if (part != ChallengeFeedback::ReflexPart) {
        buffer[0] = '\0';
        return 0;
    }
    const float seconds = std::clamp(feedback.bestReflex, 0.0f, 1000.0f);
    const int hundredths = static_cast<int>(std::lround(seconds * 100.0f));
    std::snprintf(buffer, bufferSize, "%i.%02i", hundredths / 100, hundredths % 100);
    return 1;
}

int32_t PinataBonusPoints(int hits) {
    return 50 * (std::clamp(hits, 0, 6) + 1);
}

int PinataBonusTrigger(int hits) {
    return std::clamp(hits, 0, 4);
}

const char* FeedbackSoundForRemaining(int32_t remaining) {
    static const char* const kToGo[5] = {"togo-5", "togo-4", "togo-3", "togo-2", "togo-1"};
    if (remaining < 0) {
        return "bonus";
    }
    if (remaining == 0) {
        return "challenge-pass";
    }
    return remaining <= 5 ? kToGo[remaining - 1] : nullptr;
}

int ComboSoundIndex(int cutCount) {
    return std::clamp(cutCount - 2, 1, 5);
}

}  // namespace Varnok
