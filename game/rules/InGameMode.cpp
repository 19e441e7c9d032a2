// The modes' shared bomb reaction.
#include "game/rules/InGameMode.h"

#include "game/rules/GameRecord.h"
#include "game/rules/VoiceOverManager.h"

namespace Varnok {

namespace {
constexpr float kBombLineDelaySeconds = 1.0f;
}  // namespace

void InGameMode::OnBombHit(const Vector3& /*position*/) {
    // The pause button's exit animation joins here with the HUD.
    VoiceOverManager* voice = GetGameRecord().voiceOver;
    if (voice != nullptr) {
        voice->PlayBomb(kBombLineDelaySeconds, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
    }
}

}  // namespace Varnok
