// The game's generated sample data in the built bundle: the named sounds the
// game preloads, the two music tracks with their loop points, and the
// start-up and menu textures, all read back by the engine's own decoders.
#include "engine/audio/OggVorbisSample.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/TexFileTextureImage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Varnok {
namespace {

class BundleData : public ::testing::Test {
protected:
    BundleData() {
        m_bundle = FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                                 FileSystemKey("base"), 0);
    }
    ~BundleData() override { FileSystemRegistry::Get().Remove(m_bundle); }

    FileSystem* m_bundle;
};

TEST_F(BundleData, TheGamesNamedSoundsDecode) {
    // A name of each recipe and the ends of the numbered ranges.
    for (const char* name : {"achievement", "bean-lp", "blade-fire-7", "Bomb-explode", "Bomb-Fuse",
                             "Bonus-Explosion-5", "Clean-Slice-3", "Impact-kiwifruit", "pome-lp",
                             "silencio", "slot_spin_lp", "togo-5", "Upsell-whoosh", "VO_Combo_14",
                             "VO_Life_3", "Sword-swipe-7", "Visceral-impact-3", "Combo-8"}) {
        SCOPED_TRACE(name);
        OggVorbisSample sample;
        ASSERT_TRUE(sample.Open((std::string("sound/") + name + ".ogg").c_str()));
        EXPECT_GT(sample.GetLength(), 0u);
    }
    // The three looping effects loop past their swell.
    for (const char* loop : {"sound/Bomb-Fuse.ogg", "sound/slot_spin_lp.ogg", "sound/bean-lp.ogg"}) {
        OggVorbisSample sample;
        ASSERT_TRUE(sample.Open(loop));
        EXPECT_GT(sample.GetLoopStart(), 0u) << loop;
        EXPECT_LT(sample.GetLoopStart(), sample.GetLength()) << loop;
    }
}

TEST_F(BundleData, MusicTracksCarryTheirLoopPoints) {
    for (const char* track : {"Music/Music-menu.ogg", "Music/background.ogg"}) {
        SCOPED_TRACE(track);
        OggVorbisSample sample;
        ASSERT_TRUE(sample.Open(track));
        EXPECT_EQ(sample.GetChannelCount(), 2u);
        EXPECT_GT(sample.GetLoopStart(), 0u);
        EXPECT_LT(sample.GetLoopStart(), sample.GetLength());
    }
}

TEST_F(BundleData, TheStartUpAndMenuTexturesRead) {
    for (const char* texture : {"textures/title_screen/VM_logo.tex", "textures/titles_for_menus/back_icon.tex",
                                "textures/menus/paintStroke.tex", "textures/effects/flash.tex",
                                "textures/gb_game.tex", "textures/gb_game1.tex", "textures/gb_game_sml.tex",
                                "textures/gb_game_sml1.tex"}) {
        SCOPED_TRACE(texture);
        uint8_t* data = nullptr;
        int32_t length = 0;
        bool owns = false;
        ASSERT_TRUE(FileSystemRegistry::Get().Load(texture, &data, &length, 0, &owns));
        const auto image = TexFileTextureImage::Create(data, static_cast<size_t>(length));
        EXPECT_NE(image, nullptr);
        FreeFileData(data);
    }
}

}  // namespace
}  // namespace Varnok
