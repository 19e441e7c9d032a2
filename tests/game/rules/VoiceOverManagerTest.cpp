// Voice-over lines: one at a time, forced cuts, delays and silent draws.
#include "game/rules/VoiceOverManager.h"

#include "SoundFolder.h"

#include "engine/audio/Sound.h"
#include "engine/core/HashName.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

uint32_t Hash(const std::string& name) {
    return HashName(name.c_str(), static_cast<int>(name.size()));
}

class VoiceOverTest : public ::testing::Test {
protected:
    VoiceOverTest() {
        const struct {
            const char* stem;
            int lines;
        } lines[] = {{"VO_Combo_", 14}, {"VO_Bomb_", 8}, {"VO_Life_", 3}, {"VO_HighScore_", 3},
                     {"VO_Equip_", 6}};
        for (const auto& l : lines) {
            for (int i = 1; i <= l.lines; ++i) {
                folder.AddSound(l.stem + std::to_string(i));
            }
        }
    }

    bool IsBombLine(uint32_t hash) const {
        for (int i = 1; i <= 8; ++i) {
            if (hash == Hash("VO_Bomb_" + std::to_string(i))) {
                return true;
            }
        }
        return false;
    }

    test::SoundFolder folder;
    VoiceOverManager voice{folder.manager};
};

TEST_F(VoiceOverTest, WithTheVoiceOffNoLinePlays) {
    voice.SetEnabled(false);
    EXPECT_EQ(voice.Play("VO_Bomb_1", 0.0f, 1.0f, true, VoiceOverNoCompletion), nullptr);
    EXPECT_EQ(voice.PlayBomb(0.0f, 1.0f, VoiceOverNoCompletion), nullptr);
    EXPECT_TRUE(voice.IsIdle());
    EXPECT_EQ(folder.manager.GetEffectsMixer()->ActiveAndPendingCount(), 0u);
}

TEST_F(VoiceOverTest, ComboLinesNeverCutInButBombLinesDo) {
    Sound* bomb = voice.PlayBomb(0.0f, 1.0f, VoiceOverNoCompletion);
    ASSERT_NE(bomb, nullptr);
    const uint32_t bombLine = voice.GetLineHash();
    EXPECT_TRUE(IsBombLine(bombLine));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(voice.PlayCombo(0.0f, 1.0f, VoiceOverNoCompletion), nullptr);
    }
    EXPECT_EQ(voice.GetLineHash(), bombLine);

    voice.Stop();
    EXPECT_TRUE(voice.IsIdle());
    Sound* combo = nullptr;
    for (int i = 0; i < 30 && combo == nullptr; ++i) {
        combo = voice.PlayCombo(0.0f, 0.6f, VoiceOverNoCompletion);  // some draws are silent
    }
    ASSERT_NE(combo, nullptr);
    EXPECT_FLOAT_EQ(combo->GetVoice()->GetVolume(), 0.6f);
    EXPECT_NE(voice.PlayBomb(0.0f, 1.0f, VoiceOverNoCompletion), nullptr);
    EXPECT_TRUE(IsBombLine(voice.GetLineHash()));
}

TEST_F(VoiceOverTest, ADelayedLineWaitsSilentlyAndMayBeCut) {
    Sound* line = voice.Play("VO_Life_1", 0.5f, 1.0f, false, VoiceOverNoCompletion);
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->IsPlaying());
    voice.Update(0.2f);
    folder.Mix(4);  // longer than the line: waiting is not ending
    voice.Update(0.2f);
    EXPECT_FALSE(voice.IsIdle());
    EXPECT_FALSE(line->IsPlaying());
    voice.Update(0.2f);
    EXPECT_TRUE(line->IsPlaying());
    EXPECT_FLOAT_EQ(voice.GetDelay(), 0.0f);

    voice.Play("VO_Life_2", 1.0f, 1.0f, false, VoiceOverNoCompletion);
    voice.Stop();
    voice.Play("VO_Life_2", 1.0f, 1.0f, false, VoiceOverNoCompletion);
    EXPECT_NE(voice.PlayHighScore(0.0f, 1.0f, VoiceOverNoCompletion), nullptr);  // forced
    EXPECT_TRUE(voice.GetSound()->IsPlaying());
}

TEST_F(VoiceOverTest, AnEndedLineLeavesTheVoiceIdle) {
    voice.PlayEquip(0.0f, 1.0f, VoiceOverNoCompletion);
    voice.Update(0.016f);
    EXPECT_FALSE(voice.IsIdle());
    folder.Mix(4);
    voice.Update(0.016f);
    EXPECT_TRUE(voice.IsIdle());
    EXPECT_EQ(voice.GetLineHash(), 0u);
    EXPECT_FALSE(voice.PlayUnlockLineKind1());
    EXPECT_FALSE(voice.PlayUnlockLineKind2());
}

TEST_F(VoiceOverTest, AboutHalfTheComboAndLifePicksAreSilent) {
    const int kPicks = 400;
    int combos = 0;
    int lives = 0;
    for (int i = 0; i < kPicks; ++i) {
        combos += voice.PlayCombo(0.0f, 1.0f, VoiceOverNoCompletion) != nullptr ? 1 : 0;
        voice.Stop();
        lives += voice.PlayLife(0.0f, 1.0f, VoiceOverNoCompletion) != nullptr ? 1 : 0;
        voice.Stop();
    }
    EXPECT_GT(combos, kPicks * 35 / 100);
    EXPECT_LT(combos, kPicks * 65 / 100);
    EXPECT_GT(lives, kPicks * 30 / 100);
    EXPECT_LT(lives, kPicks * 70 / 100);
}

}  // namespace
}  // namespace Varnok
