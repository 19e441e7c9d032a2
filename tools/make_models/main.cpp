// make_models: writes the bundle's sample models, each as a ".binmodel" and
// an ".mmd" file, with their ".tex" textures, under <bundle>/models/.
#include "tools/make_models/BinModelWriter.h"
#include "tools/make_models/FruitModelSources.h"
#include "tools/make_models/NodeModelWriter.h"
#include "tools/make_models/SimpleModels.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace Varnok::ModelTool;

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_models: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_models <bundle directory>\n");
        return 2;
    }
    const std::string bundle = argv[1];
    bool ok = true;
    const struct {
        const char* path;
        RgbaPicture picture;
    } textures[] = {
        {kSkinTexture, MakeSkinPicture()},
        {kFleshTexture, MakeFleshPicture()},
        {kCubeTexture, MakeCubePicture()},
        {kBombTexture, MakeBombPicture(0)},
        {kPurpleBombTexture, MakeBombPicture(1)},
        {kBalloonTexture, MakeBalloonPicture()},
    };
    for (const auto& texture : textures) {
        std::vector<uint8_t> bytes;
        if (!WriteTexPicture(texture.picture, bytes)) {
            std::fprintf(stderr, "make_models: cannot encode %s\n", texture.path);
            return 1;
        }
        ok = WriteFile(bundle + "/" + texture.path, bytes) && ok;
    }
    for (const ModelSource& model : {MakeSphere(), MakeSphereHalves(), MakeCube(), MakeBomb(0), MakeBomb(1), MakeBalloon()}) {
        const std::string stem = bundle + "/models/" + model.name;
        ok = WriteFile(stem + ".binmodel", WriteBinModel(model)) && ok;
        ok = WriteFile(stem + ".mmd", WriteNodeModel(model)) && ok;
    }
    // The fruit: names are bundle paths already.
    const FruitModelFiles fruit = MakeFruitModels();
    for (const FruitModelFiles::Picture& picture : fruit.pictures) {
        std::vector<uint8_t> bytes;
        if (!WriteTexPicture(picture.picture, bytes)) {
            std::fprintf(stderr, "make_models: cannot encode %s\n", picture.path.c_str());
            return 1;
        }
        ok = WriteFile(bundle + "/" + picture.path, bytes) && ok;
    }
    for (const ModelSource& model : fruit.models) {
        const std::string stem = bundle + "/" + model.name;
        ok = WriteFile(stem + ".binmodel", WriteBinModel(model)) && ok;
        ok = WriteFile(stem + ".mmd", WriteNodeModel(model)) && ok;
    }
    return ok ? 0 : 1;
}
