// The sound manager and its sounds over an output without a device, with
// sound files in a mounted scratch folder.
#include "engine/audio/SampleCache.h"
#include "engine/audio/SoundManager.h"

#include "AudioTestSupport.h"

#include "engine/core/DirectoryFileSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using test::UniqueName;

constexpr uint32_t kFrames = AudioMixerOutput::kBufferFrames;

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override { output = SmartPtr<NullMixerOutput>(new NullMixerOutput); }

    // A sound file "sound/<name>.ogg" made from a fixture; returns the name.
    std::string AddSound(const char* fixture) {
        const std::string name = UniqueName(fixture);
        folder.CopyFixture(fixture, "sound/" + name);
        return name;
    }
    // A music track "Music/<name>.ogg"; returns the name to play it by.
    std::string AddMusic(const char* fixture) {
        const std::string name = "Music/" + UniqueName(fixture);
        folder.CopyFixture(fixture, name);
        return name;
    }

    // Mixes `buffers` output buffers; returns the last.
    std::vector<int16_t> Mix(int buffers = 1) {
        const int16_t* out = nullptr;
        for (int i = 0; i < buffers; ++i) {
            out = output->MixOutputBuffer();
        }
        return std::vector<int16_t>(out, out + 2 * kFrames);
    }

    double LeftRms(const std::vector<int16_t>& buffer) const {
        return test::Rms(buffer.data(), 2, 0, 0, kFrames);
    }

    test::MountedFolder folder;
    SmartPtr<NullMixerOutput> output;
    SoundManager manager;
};

TEST_F(SoundManagerTest, PreloadsEachNameBeforeAComma) {
    const std::string a = AddSound("tone44k");
    const std::string b = AddSound("tone44k");
    const std::string c = AddSound("tone44k");
    const std::string d = AddSound("tone44k");
    // c follows the last comma; a line break becomes part of d's name.
    folder.WriteText("sfx/info.txt", a + "," + b + ",\n" + d + "," + c);
    manager.SetupWithOutput(output);
    for (const std::string& name : {a, b, c, d}) {
        folder.RemoveFile("sound/" + name + ".ogg");
    }
    EXPECT_TRUE(SampleCache::Get(a.c_str()));
    EXPECT_TRUE(SampleCache::Get(b.c_str()));
    EXPECT_FALSE(SampleCache::Get(c.c_str()));
    EXPECT_FALSE(SampleCache::Get(d.c_str()));
}

TEST_F(SoundManagerTest, SetsUpWithoutASoundList) {
    manager.SetupWithOutput(output);
    ASSERT_NE(manager.GetEffectsMixer(), nullptr);
    EXPECT_FLOAT_EQ(manager.GetEffectsVoice()->GetVolume(), SoundManager::kStageVolume);
    EXPECT_FLOAT_EQ(manager.GetMusicVoice()->GetVolume(), SoundManager::kStageVolume);
    EXPECT_TRUE(manager.GetEffectsVoice()->IsQueued());
    manager.SuspendOutput();
    EXPECT_TRUE(output->IsSuspended());
    manager.ResumeOutput();
    EXPECT_FALSE(output->IsSuspended());
    EXPECT_FALSE(manager.IsInterrupted());
}

TEST(SampleCache, NamesDifferingInCaseShareOneSample) {
    test::MountedFolder folder;
    const std::string name = UniqueName("case");
    folder.CopyFixture("tone44k", "sound/" + name);
    std::string upper = name;
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    SmartPtr<AudioSampleSource> first = SampleCache::Get(name.c_str());
    ASSERT_TRUE(first);
    EXPECT_EQ(SampleCache::Get(upper.c_str()), first);
    EXPECT_EQ(first->GetSampleRate(), 44100u);
}

TEST(SampleCache, AFailureIsCachedAndNeverRetried) {
    test::MountedFolder folder;
    const std::string name = UniqueName("late");
    EXPECT_FALSE(SampleCache::Get(name.c_str()));
    folder.CopyFixture("tone44k", "sound/" + name);
    EXPECT_FALSE(SampleCache::Get(name.c_str()));
    EXPECT_FALSE(SampleCache::Get(nullptr));
}

TEST_F(SoundManagerTest, PlaySoundWithoutASoundPlaysToItsEnd) {
    manager.SetupWithOutput(output);
    const std::string name = AddSound("tone44k");  // 4410 frames: 2.5 buffers
    manager.PlaySound(name.c_str(), 0, nullptr, 64, 0.0f);
    manager.PlaySound(name.c_str(), 0, nullptr, 64, 0.0f);  // a second voice
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 2u);
    EXPECT_GT(LeftRms(Mix()), 0.3);  // two tones in step: 2 x 0.8 x 0.354
    Mix(2);
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 2u);
    Mix();
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 0u);
}

TEST_F(SoundManagerTest, SoundPlaysPausesAndStops) {
    manager.SetupWithOutput(output);
    const std::string name = AddSound("tone44k");
    Sound* sound = manager.CreateSound();
    EXPECT_FALSE(sound->IsPlaying());
    manager.PlaySound(name.c_str(), 0, sound, 64, 0.0f);
    EXPECT_TRUE(sound->IsPlaying());  // queued counts as playing
    EXPECT_NEAR(LeftRms(Mix()), 0.8 * 0.354, 0.02);
    sound->Pause();
    EXPECT_FALSE(sound->IsPlaying());
    Mix();
    EXPECT_TRUE(sound->IsPaused());
    EXPECT_EQ(LeftRms(Mix()), 0.0);
    sound->Resume();
    EXPECT_GT(LeftRms(Mix()), 0.2);
    sound->FadeOut(0.0f);  // stops at once
    EXPECT_EQ(LeftRms(Mix()), 0.0);
    EXPECT_FALSE(sound->IsPlaying());
    sound->Play();  // and starts again from the beginning
    EXPECT_NEAR(LeftRms(Mix()), 0.8 * 0.354, 0.02);
    manager.DestroySound(sound);
    EXPECT_EQ(manager.SoundCount(), 0);
    EXPECT_EQ(LeftRms(Mix()), 0.0);
}

TEST_F(SoundManagerTest, FadeOutOverTimeDropsTheVoiceAtSilence) {
    manager.SetupWithOutput(output);
    const std::string name = AddSound("left_only");
    Sound* sound = manager.CreateSound();
    manager.PlaySound(name.c_str(), 0, sound, 64, 0.0f);
    Mix();
    sound->FadeOut(0.2f);
    const double before = LeftRms(Mix());
    const double later = LeftRms(Mix(2));
    EXPECT_LT(later, before);
    Mix(4);  // 0.2 s is five buffers
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 0u);
}

TEST_F(SoundManagerTest, EmptySoundsIgnoreEverything) {
    manager.SetupWithOutput(output);
    Sound* sound = manager.CreateSound();
    sound->Load(UniqueName("missing").c_str());
    sound->Play();
    sound->SetVolume(0.5f);
    sound->SetPitch(1.0f);
    sound->Pause();
    sound->FadeOut(1.0f);
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_FALSE(sound->IsPaused());
    EXPECT_EQ(sound->GetVoice(), nullptr);
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 0u);
}

TEST_F(SoundManagerTest, TheThirtyThirdEffectStaysUnplayed) {
    manager.SetupWithOutput(output);
    const std::string name = AddSound("tone44k");
    std::vector<Sound*> sounds;
    for (int i = 0; i < 33; ++i) {
        sounds.push_back(manager.CreateSound());
        manager.PlaySound(name.c_str(), 0, sounds.back(), 64, 0.0f);
    }
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 32u);
    EXPECT_TRUE(sounds[31]->IsPlaying());
    EXPECT_FALSE(sounds[32]->IsPlaying());
    Mix();
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 32u);
    sounds[32]->Play();  // still full
    EXPECT_FALSE(sounds[32]->IsPlaying());
}

TEST_F(SoundManagerTest, SoundsBeforeSetUpDoNothing) {
    const std::string name = AddSound("tone44k");
    Sound* sound = manager.CreateSound();
    manager.PlaySound(name.c_str(), 0, sound, 64, 0.0f);
    EXPECT_FALSE(sound->IsPlaying());
    manager.PlayMusic("Music/none");
    manager.StopMusic();
    manager.PauseEffects();
    SUCCEED();
}

TEST_F(SoundManagerTest, DestroySoundDeletesOnlyItsOwnSounds) {
    manager.SetupWithOutput(output);
    const std::string name = AddSound("tone44k");
    Sound mine(manager);
    manager.PlaySound(name.c_str(), 0, &mine, 64, 0.0f);
    manager.DestroySound(&mine);  // not made by the manager: stopped, not deleted
    EXPECT_FALSE(mine.IsPlaying());
    manager.DestroySound(nullptr);
    Sound* made = manager.CreateSound();
    EXPECT_EQ(manager.SoundCount(), 1);
    manager.DestroySound(made);
    EXPECT_EQ(manager.SoundCount(), 0);
}

TEST_F(SoundManagerTest, MusicLoopsFromTheStartWithoutALoopPoint) {
    manager.SetupWithOutput(output);
    const std::string track = AddMusic("music_plain");  // 0.5 s
    manager.PlayMusic(track.c_str());
    EXPECT_NE(manager.GetMusicHash(), 0u);
    for (int i = 0; i < 40; ++i) {  // 1.6 s
        ASSERT_GT(LeftRms(Mix()), 0.1) << i;
    }
    manager.StopMusic();
    EXPECT_EQ(manager.GetMusicHash(), 0u);
    EXPECT_EQ(LeftRms(Mix()), 0.0);
}

TEST_F(SoundManagerTest, MusicThatDoesNotOpenStillStopsTheOldTrack) {
    manager.SetupWithOutput(output);
    manager.PlayMusic(AddMusic("music_plain").c_str());
    EXPECT_GT(LeftRms(Mix()), 0.1);
    manager.PlayMusic("Music/no_such_track");
    EXPECT_EQ(LeftRms(Mix()), 0.0);
    manager.PlayMusic(AddMusic("music_plain").c_str());
    Mix();
    manager.CrossfadeMusic("Music/no_such_track", 0.2f);
    Mix(6);
    EXPECT_EQ(LeftRms(Mix()), 0.0);
}

TEST_F(SoundManagerTest, CrossfadesNestChainsAndDropThemWhenFaded) {
    manager.SetupWithOutput(output);
    SubMixer& duck = output->GetDuckMixer();
    manager.PlayMusic(AddMusic("music_plain").c_str());
    Mix();
    manager.CrossfadeMusic(AddMusic("music_loop").c_str(), 0.2f);
    Mix();
    manager.CrossfadeMusic(AddMusic("music_plain").c_str(), 0.2f);
    Mix();
    // The newest chain holds the previous one (still fading) and its track.
    EXPECT_EQ(duck.ActiveAndPendingCount(), 1u);
    EXPECT_EQ(manager.GetMusicMixer()->ActiveAndPendingCount(), 2u);
    Mix(6);  // past 0.2 s
    EXPECT_EQ(duck.ActiveAndPendingCount(), 1u);
    EXPECT_EQ(manager.GetMusicMixer()->ActiveAndPendingCount(), 1u);
}

TEST_F(SoundManagerTest, MusicVolumeHoldsThroughACrossfade) {
    manager.SetupWithOutput(output);
    manager.SetMusicVolume(0.5f);  // the stage at 0.4
    manager.PlayMusic(AddMusic("music_plain").c_str());
    const double before = LeftRms(Mix(2));
    EXPECT_NEAR(before, 0.4 * 0.4 * 0.707, 0.01);
    manager.CrossfadeMusic(AddMusic("music_loop").c_str(), 0.1f);
    double highest = 0.0;
    for (int i = 0; i < 10; ++i) {
        highest = std::max(highest, LeftRms(Mix()));
    }
    EXPECT_LT(highest, before * 1.5);
    EXPECT_NEAR(LeftRms(Mix()), before, 0.01);  // the new track at the same level
}

TEST_F(SoundManagerTest, PausedEffectsStopAdvancing) {
    manager.SetupWithOutput(output);
    const std::string name = AddSound("tone44k");
    manager.PlaySound(name.c_str(), 0, nullptr, 64, 0.0f);
    Mix();
    manager.PauseEffects();
    Mix(10);
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 1u);
    manager.ResumeEffects();
    Mix(3);
    EXPECT_EQ(manager.GetEffectsMixer()->ActiveAndPendingCount(), 0u);
}

TEST(SoundManager, GetAlwaysGivesTheSameManager) {
    SoundManager& manager = SoundManager::Get();
    manager.SetupPlatform();
    EXPECT_EQ(&manager, &SoundManager::Get());
}

TEST(SoundManager, PlaysTheBundleSounds) {
    // The sounds that make_sounds wrote, preloaded from their list.
    Varnok::FileSystem* bundle = FileSystemRegistry::Get().Add(
        std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true), FileSystemKey("bundle"),
        999);
    SmartPtr<NullMixerOutput> output(new NullMixerOutput);
    SoundManager manager;
    manager.SetupWithOutput(output);
    for (const char* name : {"swipe", "splat", "thud", "tick", "hum_lp"}) {
        SCOPED_TRACE(name);
        SmartPtr<AudioSampleSource> sample = SampleCache::Get(name);
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->GetSampleRate(), 44100u);
        EXPECT_GT(sample->GetLength(), 1000u);
    }
    EXPECT_EQ(SampleCache::Get("hum_lp")->GetLoopStart(), 4410u);
    EXPECT_EQ(SampleCache::Get("swipe")->GetLength(), 2u * 5512u);  // 22050 Hz, converted
    manager.PlayMusic("sound/music_lp");
    Sound* hum = manager.CreateSound();
    manager.PlaySound("hum_lp", 0, hum, 64, 0.0f);
    double level = 0.0;
    for (int i = 0; i < 60; ++i) {
        level = test::Rms(output->MixOutputBuffer(), 2, 1, 0, kFrames);
    }
    EXPECT_GT(level, 0.05);  // the hum loops on past its end
    EXPECT_TRUE(hum->IsPlaying());
    FileSystemRegistry::Get().Remove(bundle);
}

}  // namespace
}  // namespace Varnok
