// make_atlas: packs a few drawn pictures into one atlas page with the
// engine's packer and writes the finished atlas as the engine loads it: the
// layout file NAME.atlas and its page image NAME_0.tex beside it. Entries are
// keyed by the name hash of their names ("circle", "ring", ...), as the UI's
// "NAME.atlas#entry" references find them.
//
//   make_atlas OUT_FOLDER [NAME]      (NAME defaults to "shapes")
//
// NAME "menu" packs the menu's pictures ("play", "coin") instead: the UI
// finds textures/menu/play.tex as entry "play" of textures/menu/menu.atlas.
#include "engine/core/BinaryStream.h"
#include "engine/core/HashName.h"
#include "engine/render/AtlasLayoutFile.h"
#include "engine/render/AtlasPixelFormat.h"
#include "engine/render/TextureAtlas.h"
#include "engine/render/TextureImage.h"
#include "tools/make_textures/TexFileWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int32_t kPageSize = 128;
constexpr int32_t kPadding = 2;
constexpr uint32_t kFormat = 2;  // RGBA, 8 bits each

struct Picture {
    const char* name;
    int width;
    int height;
    std::vector<uint8_t> rgba;
};

// Coverage of a pixel by a shape, from 4 x 4 samples, so edges are smooth.
template <typename Inside>
Picture Draw(const char* name, int width, int height, const uint8_t colour[3], Inside inside) {
    Picture picture{name, width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    const float px = (x + (sx + 0.5f) / 4) / width * 2 - 1;
                    const float py = (y + (sy + 0.5f) / 4) / height * 2 - 1;
                    hits += inside(px, py) ? 1 : 0;
                }
            }
            picture.rgba.insert(picture.rgba.end(), {colour[0], colour[1], colour[2],
                                                     static_cast<uint8_t>(hits * 255 / 16)});
        }
    }
    return picture;
}

std::vector<Picture> DrawMenuPictures() {
    const uint8_t green[3] = {70, 190, 80};
    const uint8_t gold[3] = {250, 200, 40};
    std::vector<Picture> pictures;
    // A round play button with the triangle cut out of it.
    pictures.push_back(Draw("play", 48, 48, green, [](float x, float y) {
        const bool disc = x * x + y * y <= 1.0f;
        const bool triangle = x >= -0.35f && x <= 0.55f && std::fabs(y) <= (0.55f - x) * 0.6f;
        return disc && !triangle;
    }));
    pictures.push_back(Draw("coin", 32, 32, gold, [](float x, float y) { return x * x + y * y <= 1.0f; }));
    return pictures;
}

std::vector<Picture> DrawPictures() {
    const uint8_t red[3] = {230, 60, 50};
    const uint8_t green[3] = {80, 200, 90};
    const uint8_t blue[3] = {70, 120, 240};
    const uint8_t yellow[3] = {250, 210, 60};
    const uint8_t white[3] = {245, 245, 245};
    // Largest first: the tree packs them onto one page in this order.
    std::vector<Picture> pictures;
    pictures.push_back(Draw("bar", 100, 8, green, [](float, float) { return true; }));
    pictures.push_back(Draw("button", 60, 20, white, [](float x, float y) {
        // A rounded bar: a rectangle with half-disc ends.
        const float ex = std::fabs(x) > 0.66f ? (std::fabs(x) - 0.66f) / 0.34f : 0.0f;
        return ex * ex + y * y <= 1.0f;
    }));
    pictures.push_back(
        Draw("circle", 40, 40, red, [](float x, float y) { return x * x + y * y <= 1.0f; }));
    pictures.push_back(Draw("flower", 36, 36, yellow, [](float x, float y) {
        const float angle = std::atan2(y, x);
        const float radius = std::sqrt(x * x + y * y);
        return radius <= 0.55f + 0.45f * std::cos(5.0f * angle);
    }));
    pictures.push_back(Draw("diamond", 24, 36, green,
                            [](float x, float y) { return std::fabs(x) + std::fabs(y) <= 1.0f; }));
    pictures.push_back(Draw("ring", 32, 32, blue, [](float x, float y) {
        const float r = x * x + y * y;
        return r <= 1.0f && r >= 0.45f;
    }));
    return pictures;
}

bool WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

// The layout of one packed page, node by node as the packer left them.
AtlasLayoutPage DescribePage(const TextureAtlasPage& page, const std::string& imageName) {
    AtlasLayoutPage layout;
    const AtlasPacker& packer = page.GetPacker();
    for (int i = 0; i < packer.NodeCount(); ++i) {
        const AtlasNode* node = packer.GetNode(i);
        AtlasNodeRecord record;
        record.node = *node;
        record.position = node->position;
        record.firstChild = node->children[0] != nullptr ? node->children[0]->position : -1;
        record.secondChild = node->children[1] != nullptr ? node->children[1]->position : -1;
        layout.nodes.push_back(record);
        if (node->key.IsValid()) {
            layout.images.push_back(AtlasLayoutImage{node->key, node->position});
        }
    }
    layout.imageName = imageName.c_str();
    return layout;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_atlas OUT_FOLDER [NAME]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::string name = argc == 3 ? argv[2] : "shapes";
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    SmartPtr<TextureAtlas> atlas(new TextureAtlas(kPageSize, kPageSize, kPadding, kFormat, false));
    for (const Picture& picture : name == "menu" ? DrawMenuPictures() : DrawPictures()) {
        const AtlasKey key = AtlasKey::FromNameHash(
            HashName(picture.name, static_cast<int>(std::strlen(picture.name))));
        if (atlas->AddImage(picture.rgba.data(), picture.width, picture.height, key) == nullptr) {
            std::fprintf(stderr, "make_atlas: \"%s\" does not fit\n", picture.name);
            return 1;
        }
    }
    if (atlas->PageCount() != 1) {
        std::fprintf(stderr, "make_atlas: the pictures need %d pages, not one\n",
                     atlas->PageCount());
        return 1;
    }
    const TextureAtlasPage& page = *atlas->GetPage(0);

    // The page image, in the layout the atlas format names.
    MemoryTextureImage image;
    image.description.pixelFormat = AtlasPixelFormat::GetDescriptor(kFormat);
    image.description.width = static_cast<uint16_t>(kPageSize);
    image.description.height = static_cast<uint16_t>(kPageSize);
    image.description.apparentWidth = kPageSize;
    image.description.apparentHeight = kPageSize;
    image.SetBlock(page.GetPixels(), page.GetPixelByteCount());
    std::vector<uint8_t> tex;
    if (!WriteTexFile(image, tex)) {
        std::fprintf(stderr, "make_atlas: cannot encode the page image\n");
        return 1;
    }
    const std::string pageName = name + "_0.tex";
    if (!WriteBytes(folder / pageName, tex.data(), tex.size())) {
        std::fprintf(stderr, "make_atlas: cannot write %s\n", (folder / pageName).c_str());
        return 1;
    }

    AtlasLayout layout;
    layout.pageWidth = kPageSize;
    layout.pageHeight = kPageSize;
    layout.padding = kPadding;
    layout.format = kFormat;
    layout.embedded = false;
    layout.pages.push_back(DescribePage(page, pageName));
    BinaryStreamWriter writer(4096, kNativeByteOrder);
    WriteAtlasLayout(layout, writer);
    const std::filesystem::path layoutPath = folder / (name + ".atlas");
    if (!WriteBytes(layoutPath, writer.Data(), static_cast<size_t>(writer.Size()))) {
        std::fprintf(stderr, "make_atlas: cannot write %s\n", layoutPath.c_str());
        return 1;
    }
    return 0;
}
