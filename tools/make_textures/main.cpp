// make_textures: writes ".tex" files from pictures it draws (the logo, a test
// pattern) or reads from PNG files, in the pixel layouts the GL uploads.
//
//   make_textures logo OUT.tex [--format F] [--size WxH]
//   make_textures test-pattern OUT.tex [--format F] [--size WxH]
//   make_textures png IN.png OUT.tex [--format F]
//   make_textures game-effects TEXTURES_DIR   (blade, shadows, splats, badges)
//   make_textures game-ui TEXTURES_DIR        (logo, back icon, paint stroke,
//                                              flash, backgrounds)
//
// Formats: rgba8 (the default), rgb8, rgb565, rgba4444, rgba5551, la8, a8.
#include "engine/render/ConvertedTextureImage.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/TexFileTextureImage.h"
#include "engine/render/TextureImage.h"
#include "tools/make_textures/TexFileWriter.h"
#include "tools/make_textures/TexturePictures.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

// The uncompressed layouts of the GL upload table, by name. rgba8 is the
// layout of the drawn and decoded pictures.
struct NamedFormat {
    const char* name;
    PixelDescriptor descriptor;
};
constexpr NamedFormat kFormats[] = {
    {"rgba8", kRgba8Descriptor},       {"rgb8", kRgb8Descriptor},
    {"rgb565", kRgb565Descriptor},     {"rgba4444", kRgba4444Descriptor},
    {"rgba5551", kRgba5551Descriptor}, {"la8", kLuminanceAlpha8Descriptor},
    {"a8", kAlpha8Descriptor},
};

const NamedFormat* FindFormat(const std::string& name) {
    for (const NamedFormat& format : kFormats) {
        if (name == format.name) {
            return &format;
        }
    }
    return nullptr;
}

bool ReadPng(const std::string& path, RgbaPicture& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        std::fprintf(stderr, "make_textures: cannot read %s: %s\n", path.c_str(), image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    if (image.width == 0 || image.height == 0 || image.width > 0xFFFF || image.height > 0xFFFF) {
        std::fprintf(stderr, "make_textures: %s is %u x %u pixels, too large for a texture\n",
                     path.c_str(), image.width, image.height);
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) == 0) {
        std::fprintf(stderr, "make_textures: cannot decode %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path target(path);
    std::error_code error;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), error);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_textures: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// The picture in the chosen layout, written and read back before it is saved.
bool Save(const RgbaPicture& picture, const NamedFormat& format, const std::string& path) {
    MemoryTextureImage source;
    source.description = RgbaDescription(static_cast<uint16_t>(picture.width),
                                         static_cast<uint16_t>(picture.height));
    source.SetBlock(picture.pixels.data(), picture.pixels.size());

    std::unique_ptr<ConvertedTextureImage> converted;
    if (PixelFormat::Compare(source.description.pixelFormat, format.descriptor) != 0) {
        converted = ConvertTextureImage(source, format.descriptor);
        if (converted == nullptr) {
            std::fprintf(stderr, "make_textures: cannot convert to %s\n", format.name);
            return false;
        }
    }
    const TextureImage& image = converted != nullptr ? static_cast<const TextureImage&>(*converted)
                                                     : static_cast<const TextureImage&>(source);
    std::vector<uint8_t> bytes;
    if (!WriteTexFile(image, bytes) ||
        TexFileTextureImage::Create(bytes.data(), bytes.size()) == nullptr) {
        std::fprintf(stderr, "make_textures: the %s file did not read back\n", format.name);
        return false;
    }
    return WriteFile(path, bytes);
}

bool ParseSize(const char* text, int& outWidth, int& outHeight) {
    int w = 0;
    int h = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 || w > 4096 ||
        h > 4096) {
        return false;
    }
    outWidth = w;
    outHeight = h;
    return true;
}

// The sample fruit kinds' badge colours (their juice colours).
struct KindBadge {
    const char* name;
    uint8_t r, g, b;
};
constexpr KindBadge kKindBadges[] = {
    {"apple", 235, 240, 180},     {"banana", 250, 235, 120}, {"strawberry", 220, 20, 40},
    {"kiwifruit", 120, 200, 40},  {"lime", 150, 230, 60},    {"watermelon", 240, 40, 60},
    {"pineapple", 250, 220, 50},  {"bean", 80, 200, 90},
};

// The challenge HUD's mod icons, one a mod name (file names in lower case).
struct ModIcon {
    const char* file;
    uint8_t r, g, b;
};
constexpr ModIcon kModIcons[] = {
    {"slicelimit", 200, 60, 60},    {"balloons", 60, 110, 220},      {"ropes", 170, 120, 60},
    {"collision", 120, 120, 130},   {"windows", 80, 160, 160},       {"circlevelocity", 150, 80, 200},
    {"fan", 90, 180, 220},          {"keepyuppy", 230, 160, 40},     {"bouncywalls", 220, 100, 160},
    {"fruitstack", 120, 190, 70},   {"fruitsuperstack", 80, 150, 40}, {"megafruit", 230, 80, 40},
    {"snakefruit", 60, 170, 90},    {"floatingfruit", 140, 200, 240}, {"fruitnowalls", 190, 190, 80},
    {"bombpushoff", 70, 70, 70},    {"fruitorder", 200, 140, 220},   {"nofeedback", 110, 110, 110},
    {"trampoline", 240, 120, 90},
};
constexpr int kModIconCount = static_cast<int>(sizeof(kModIcons) / sizeof(kModIcons[0]));

// --- The unlockables: blades, backgrounds, achievement icons and the unlock
// banner's panel and points badge, below the textures folder.
bool WriteUnlockPictures(const std::string& dir) {
    const NamedFormat& rgba = kFormats[0];
    const NamedFormat& rgb = kFormats[1];
    struct Item {
        std::string path;
        RgbaPicture picture;
        const NamedFormat* format;
    };
    std::vector<Item> items;
    items.push_back({"effects/blade_ember.tex", DrawBladeRibbon(64, 32, 0.8f), &rgba});
    items.push_back({"effects/blade_frost.tex", DrawBladeRibbon(64, 32, 3.0f), &rgba});
    items.push_back({"gb_dojo.tex", DrawBackground(512, 256, 1), &rgb});
    items.push_back({"gb_dojo1.tex", DrawBackground(256, 128, 0), &rgba});
    items.push_back({"gb_dojo_sml.tex", DrawBackground(256, 128, 1), &rgb});
    items.push_back({"gb_dojo_sml1.tex", DrawBackground(128, 64, 0), &rgba});
    items.push_back({"hud/hud_unlocked_dialog.tex", DrawPaintStroke(256, 64), &rgba});
    items.push_back({"hud/pointscircle.tex", DrawFruitBadge(32, 250, 200, 60), &rgba});
    const KindBadge icons[] = {{"ach_total", 240, 200, 60},   {"ach_score", 90, 160, 240},
                               {"ach_combo", 230, 90, 40},    {"ach_order", 140, 220, 90},
                               {"ach_blade", 220, 60, 200}};
    for (const KindBadge& icon : icons) {
        items.push_back({std::string("achievements/") + icon.name + ".tex", DrawFruitBadge(64, icon.r, icon.g, icon.b),
                         &rgba});
    }
    for (const Item& item : items) {
        if (!Save(item.picture, *item.format, dir + "/" + item.path)) {
            return false;
        }
    }
    return true;
}
// --- end of the unlockables

// Every texture the play field loads by name, below the textures folder.
bool WriteGameEffects(const std::string& dir) {
    const NamedFormat& rgba = kFormats[0];
    struct Item {
        std::string path;
        RgbaPicture picture;
    };
    std::vector<Item> items;
    items.push_back({"effects/blade.tex", DrawBladeRibbon(64, 32, 1.5f)});
    items.push_back({"effects/rave_blade_glow.tex", DrawBladeRibbon(64, 32, 0.6f)});
    items.push_back({"effects/flatAlpha.tex", DrawFlatWhite(8, 8)});
    items.push_back({"effects/fruit_shadow.tex", DrawSoftShadow(64, 0.6f)});
    items.push_back({"menuFruitShadow.tex", DrawSoftShadow(64, 0.45f)});
    // Where the fruit's shadow drawing looks for it.
    items.push_back({"effects/menuFruitShadow.tex", DrawSoftShadow(64, 0.45f)});
    items.push_back({"effects/white_splash.tex", DrawSplashAtlas(256)});
    items.push_back({"effects/ultra_rare_plus_50.tex", DrawPlusFiftyBadge(64, 64)});
    items.push_back({"effects/bomb_explode.tex", DrawExplosionRay(32, 128)});
    items.push_back({"effects/pinataRope.tex", DrawRopeStrand(32, 16)});
    for (int i = 0; i < kModIconCount; ++i) {
        const ModIcon& icon = kModIcons[i];
        items.push_back({std::string("challenge/mods/") + icon.file + ".tex", DrawModIcon(32, icon.r, icon.g, icon.b, i)});
    }
    items.push_back({"effects/rays.tex", DrawSunburst(128, 12)});
    items.push_back({"effects/explosion_radius.tex", DrawShockRing(128, 0.84375f)});
    items.push_back({"effects/pomegranate_rays.tex", DrawExplosionRay(32, 128)});
    for (const KindBadge& kind : kKindBadges) {
        items.push_back({std::string("hud/hud_") + kind.name + ".tex", DrawFruitBadge(32, kind.r, kind.g, kind.b)});
        items.push_back(
            {std::string("results_screen/calm_") + kind.name + ".tex", DrawFruitBadge(64, kind.r, kind.g, kind.b)});
    }
    for (const Item& item : items) {
        if (!Save(item.picture, rgba, dir + "/" + item.path)) {
            return false;
        }
    }
    return WriteUnlockPictures(dir);
}

// The particle sprites the particle files name, below the particles folder.
bool WriteGameParticles(const std::string& dir) {
    const NamedFormat& rgba = kFormats[0];
    const struct {
        const char* name;
        int shape;
        int size;
    } sprites[] = {{"dot", 0, 32}, {"smoke", 1, 64}, {"spark", 2, 32}, {"heart", 3, 32}};
    for (const auto& sprite : sprites) {
        if (!Save(DrawParticleSprite(sprite.size, sprite.shape), rgba, dir + "/" + sprite.name + ".tex")) {
            return false;
        }
    }
    return true;
}

// The start-up logo, the menus' shared pictures and the play-field
// backgrounds (full size, and the "_sml" pair for slow devices).
bool WriteGameUi(const std::string& dir) {
    const NamedFormat& rgba = kFormats[0];
    const NamedFormat& rgb = kFormats[1];
    struct Item {
        std::string path;
        RgbaPicture picture;
        const NamedFormat* format;
    };
    const Item items[] = {
        {"title_screen/VM_logo.tex", DrawLogo(256, 128), &rgba},
        {"titles_for_menus/back_icon.tex", DrawBackIcon(64), &rgba},
        {"menus/paintStroke.tex", DrawPaintStroke(256, 64), &rgba},
        {"effects/flash.tex", DrawFlash(64), &rgba},
        {"gb_game.tex", DrawBackground(512, 256, 0), &rgb},
        {"gb_game1.tex", DrawBackground(256, 128, 1), &rgba},
        {"gb_game_sml.tex", DrawBackground(256, 128, 0), &rgb},
        {"gb_game_sml1.tex", DrawBackground(128, 64, 1), &rgba},
    };
    for (const Item& item : items) {
        if (!Save(item.picture, *item.format, dir + "/" + item.path)) {
            return false;
        }
    }
    return true;
}

// The UI gallery's pictures: a nine-patch frame, a 4 x 2 sprite sheet and
// the plain picture the menu atlas stands in for.
bool WriteUiGallery(const std::string& dir) {
    const NamedFormat& rgba = kFormats[0];
    return Save(DrawNinePatchFrame(32), rgba, dir + "/ui/frame32.tex") &&
           Save(DrawNumberedSheet(4, 2, 32), rgba, dir + "/ui/sheet4x2.tex") &&
           Save(DrawFlatWhite(8, 8), rgba, dir + "/menu/play.tex");
}

int Usage() {
    std::fprintf(stderr,
                 "usage: make_textures logo OUT.tex [--format F] [--size WxH]\n"
                 "       make_textures test-pattern OUT.tex [--format F] [--size WxH]\n"
                 "       make_textures png IN.png OUT.tex [--format F]\n"
                 "       make_textures game-effects TEXTURES_DIR\n"
                 "       make_textures game-ui TEXTURES_DIR\n"
                 "       make_textures ui-gallery TEXTURES_DIR\n"
                 "       make_textures game-particles PARTICLES_DIR\n"
                 "formats: rgba8 (default), rgb8, rgb565, rgba4444, rgba5551, la8, a8\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::string command = argv[1];
    std::vector<std::string> paths;
    const NamedFormat* format = &kFormats[0];
    int width = 0;
    int height = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--format" && i + 1 < argc) {
            format = FindFormat(argv[++i]);
            if (format == nullptr) {
                std::fprintf(stderr, "make_textures: unknown format %s\n", argv[i]);
                return Usage();
            }
        } else if (arg == "--size" && i + 1 < argc) {
            if (!ParseSize(argv[++i], width, height)) {
                std::fprintf(stderr, "make_textures: bad size %s\n", argv[i]);
                return Usage();
            }
        } else if (arg.rfind("--", 0) == 0) {
            return Usage();
        } else {
            paths.push_back(arg);
        }
    }

    if (command == "game-effects") {
        return paths.size() == 1 && WriteGameEffects(paths[0]) ? 0 : Usage();
    }
    if (command == "game-ui") {
        return paths.size() == 1 && WriteGameUi(paths[0]) ? 0 : Usage();
    }
    if (command == "ui-gallery") {
        return paths.size() == 1 && WriteUiGallery(paths[0]) ? 0 : Usage();
    }
    if (command == "game-particles") {
        return paths.size() == 1 && WriteGameParticles(paths[0]) ? 0 : Usage();
    }
    RgbaPicture picture;
    std::string out;
    if (command == "logo" && paths.size() == 1) {
        picture = DrawLogo(width > 0 ? width : 256, height > 0 ? height : 128);
        out = paths[0];
    } else if (command == "test-pattern" && paths.size() == 1) {
        picture = DrawTestPattern(width > 0 ? width : 64, height > 0 ? height : 64);
        out = paths[0];
    } else if (command == "png" && paths.size() == 2 && width == 0) {
        if (!ReadPng(paths[0], picture)) {
            return 1;
        }
        out = paths[1];
    } else {
        return Usage();
    }
    return Save(picture, *format, out) ? 0 : 1;
}
