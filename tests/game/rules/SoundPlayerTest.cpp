// The game's sound player over a sound manager without a device: looping
// effects in slots with their volume and pitch, one-shots at full volume,
// and the slot limit.
#include "game/rules/SoundPlayer.h"

#include "SoundFolder.h"

#include "engine/audio/Sound.h"
#include "engine/core/HashName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

class SoundPlayerTest : public ::testing::Test {
protected:
    SoundPlayerTest() {
        folder.AddSound("bean-lp");
        folder.AddSound("Bomb-Fuse");
        folder.AddSound("splat");
        // "slot_spin_lp" never has a file in this process.
    }

    // Enough buffers for the 0.1 s tone to end and leave the mixer.
    void PlayOut() { folder.Mix(4); }

    test::SoundFolder folder;
    SoundPlayer player{folder.manager};
};

TEST_F(SoundPlayerTest, LoopingNamesTakeSlotsWithTheirVolumeAndPitch) {
    Sound* bean = player.Play("bean-lp", 1.0f, 0.5f, SoundPlayerNoCompletion, 1.0f);
    Sound* fuse = player.Play("bomb-fuse", 0.0f, 0.7f, SoundPlayerNoCompletion, -1.0f);
    Sound* second = player.Play("bean-lp", 1.0f, 0.5f, SoundPlayerNoCompletion, 0.0f);
    ASSERT_NE(bean, nullptr);
    ASSERT_NE(fuse, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, bean);  // the same loop twice holds two slots
    EXPECT_EQ(player.BusySlotCount(), 3);
    // The fifth argument is the pitch in octaves, kept as a rate factor.
    EXPECT_FLOAT_EQ(bean->GetVoice()->GetPitch(), 2.0f);
    EXPECT_FLOAT_EQ(fuse->GetVoice()->GetPitch(), 0.5f);
    EXPECT_FLOAT_EQ(bean->GetVoice()->GetVolume(), 0.5f);
    EXPECT_FLOAT_EQ(fuse->GetVoice()->GetVolume(), 0.7f);
    EXPECT_EQ(player.GetSlot(1).nameHash, Hash("Bomb-Fuse"));
    EXPECT_TRUE(player.IsPlaying("BEAN-LP"));
    EXPECT_TRUE(player.IsPlayingByHash(Hash("bomb-fuse")));
    EXPECT_FALSE(player.IsPlaying("slot_spin_lp"));
}

TEST_F(SoundPlayerTest, RefusesThe33rdLoop) {
    std::set<Sound*> sounds;
    for (int i = 0; i < SoundPlayer::kSlotCount; ++i) {
        Sound* sound = player.Play("bean-lp", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f);
        ASSERT_NE(sound, nullptr) << "loop " << i;
        sounds.insert(sound);
    }
    EXPECT_EQ(sounds.size(), 32u);
    EXPECT_EQ(player.Play("bean-lp", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f), nullptr);
    EXPECT_EQ(player.Play("Bomb-Fuse", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f), nullptr);
    player.StopAll();
    EXPECT_EQ(player.BusySlotCount(), 0);
    EXPECT_NE(player.Play("Bomb-Fuse", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f), nullptr);
}

TEST_F(SoundPlayerTest, OneShotsPlayAtFullVolumeAndNormalPitch) {
    EXPECT_EQ(player.Play("splat", 1.0f, 0.25f, SoundPlayerNoCompletion, 2.0f), nullptr);
    EXPECT_EQ(folder.manager.GetEffectsMixer()->ActiveAndPendingCount(), 1u);
    EXPECT_EQ(player.BusySlotCount(), 0);
    const double throughPlayer = folder.Mix();
    PlayOut();
    folder.manager.PlaySound("splat", 0, nullptr, 0, 0.0f);
    const double direct = folder.Mix();
    EXPECT_GT(direct, 0.1);
    EXPECT_NEAR(throughPlayer, direct, 1e-6);
}

TEST_F(SoundPlayerTest, WithSoundOffNothingStartsButRunningLoopsGoOn) {
    Sound* fuse = player.Play("Bomb-Fuse", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f);
    player.SetEnabled(false);
    EXPECT_EQ(player.Play("bean-lp", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f), nullptr);
    player.Play("splat", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f);
    EXPECT_EQ(folder.manager.GetEffectsMixer()->ActiveAndPendingCount(), 1u);  // the fuse only
    EXPECT_EQ(player.BusySlotCount(), 1);
    EXPECT_TRUE(fuse->IsPlaying());
}

struct HoldingCompletion {
    bool Done(Sound* /*sound*/) {
        ++calls;
        return calls <= holdFrames;
    }
    int calls = 0;
    int holdFrames = 2;
};

TEST_F(SoundPlayerTest, ACompletionThatHoldsStopsTheUpdateAtItsSlot) {
    HoldingCompletion hold;
    player.Play("bean-lp", 1.0f, 1.0f, SoundCompletion(&hold, &HoldingCompletion::Done), 0.0f);
    player.Play("Bomb-Fuse", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f);
    player.Update();
    EXPECT_EQ(hold.calls, 0);  // both still playing
    PlayOut();
    for (int frame = 1; frame <= hold.holdFrames; ++frame) {
        player.Update();
        EXPECT_EQ(hold.calls, frame);
        EXPECT_EQ(player.BusySlotCount(), 2);  // the later slot waits too
    }
    player.Update();
    EXPECT_EQ(player.BusySlotCount(), 0);
    EXPECT_EQ(player.GetSlot(0).nameHash, 0u);
}

TEST_F(SoundPlayerTest, AMissingLoopHoldsASlotUntilTheNextUpdate) {
    EXPECT_NE(player.Play("slot_spin_lp", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f), nullptr);
    EXPECT_EQ(player.BusySlotCount(), 1);
    player.Update();
    EXPECT_EQ(player.BusySlotCount(), 0);
}

TEST_F(SoundPlayerTest, StopFreesOnlyTheSlotOfThatSoundAndName) {
    Sound* bean = player.Play("bean-lp", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f);
    player.Stop(bean, "Bomb-Fuse");
    player.Stop(nullptr, "bean-lp");
    EXPECT_EQ(player.BusySlotCount(), 1);
    player.Stop(bean, "bean-lp");
    EXPECT_EQ(player.BusySlotCount(), 0);
    EXPECT_FALSE(bean->IsPlaying());
    EXPECT_EQ(folder.manager.GetEffectsMixer()->ActiveAndPendingCount(), 0u);
}

TEST_F(SoundPlayerTest, PausedLoopsKeepTheirSlotsAndResume) {
    Sound* bean = player.Play("bean-lp", 1.0f, 1.0f, SoundPlayerNoCompletion, 0.0f);
    player.PauseAll();
    EXPECT_FALSE(bean->IsPlaying());
    player.Update();  // paused before the mixer took it: not ended
    folder.Mix(4);
    player.Update();
    EXPECT_EQ(player.BusySlotCount(), 1);
    player.Resume();
    EXPECT_TRUE(player.IsPlaying("bean-lp"));
    EXPECT_FALSE(player.GetSlot(0).pausedByPlayer);
    EXPECT_TRUE(player.PauseSound("bean-lp"));
    EXPECT_FALSE(player.PauseSound("Bomb-Fuse"));
}

}  // namespace
}  // namespace Varnok
