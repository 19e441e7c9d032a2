// A model as the writers take it: meshes of indexed triangle lists, each
// part with its own texture, in a form both model file formats can hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace ModelTool {

struct ModelVertex {
    float position[3];
    float normal[3];
    float uv[2];  // v = 0 at the image's first row
    float colour[4] = {1, 1, 1, 1};  // 0..1
};

struct ModelPart {
    std::string name;
    std::string texture;  // bundle path ("models/sphere_skin.tex"); empty for none
    float diffuse[3] = {1, 1, 1};  // 0..1
    std::vector<ModelVertex> vertices;
    std::vector<uint16_t> indices;  // triangle list
};

struct ModelMesh {
    std::string name;  // also the name of the node it hangs from
    float translation[3] = {0, 0, 0};
    std::vector<ModelPart> parts;
};

struct ModelSource {
    std::string name;
    std::vector<ModelMesh> meshes;
};

// An RGBA8 picture, rows from the top.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

}  // namespace ModelTool
}  // namespace Varnok
