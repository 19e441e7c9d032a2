// Spheres, hemispheres with their cut faces, a cube, and their pictures.
#include "tools/make_models/SimpleModels.h"

#include "engine/core/MathUtil.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/TextureImage.h"
#include "tools/make_textures/TexFileWriter.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace ModelTool {

namespace {

constexpr int kRings = 12;
constexpr int kSegments = 16;
constexpr int kPictureSize = 16;

// The band of a unit sphere between two polar angles (0 at +y), u around
// and v from the top of the band to its bottom.
ModelPart SphereBand(const char* name, float fromAngle, float toAngle, int rings) {
    ModelPart part;
    part.name = name;
    part.texture = kSkinTexture;
    for (int r = 0; r <= rings; ++r) {
        const float polar = fromAngle + (toAngle - fromAngle) * static_cast<float>(r) / rings;
        for (int s = 0; s <= kSegments; ++s) {
            const float around = 2.0f * kPi * static_cast<float>(s) / kSegments;
            ModelVertex v;
            v.normal[0] = std::sin(polar) * std::cos(around);
            v.normal[1] = std::cos(polar);
            v.normal[2] = std::sin(polar) * std::sin(around);
            for (int i = 0; i < 3; ++i) {
                v.position[i] = v.normal[i];
            }
            v.uv[0] = static_cast<float>(s) / kSegments;
            v.uv[1] = polar / kPi;
            part.vertices.push_back(v);
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            const uint16_t a = static_cast<uint16_t>(r * (kSegments + 1) + s);
            const uint16_t b = static_cast<uint16_t>(a + kSegments + 1);
            part.indices.insert(part.indices.end(), {a, b, static_cast<uint16_t>(a + 1),
                                                     static_cast<uint16_t>(a + 1), b,
                                                     static_cast<uint16_t>(b + 1)});
        }
    }
    return part;
}

// The cut face: a unit disc at y 0 facing up or down, the flesh picture
// mapped across it.
ModelPart CutFace(bool facingUp) {
    ModelPart part;
    part.name = "flesh";
    part.texture = kFleshTexture;
    ModelVertex centre;
    centre.position[0] = centre.position[1] = centre.position[2] = 0.0f;
    centre.normal[0] = centre.normal[2] = 0.0f;
    centre.normal[1] = facingUp ? 1.0f : -1.0f;
    centre.uv[0] = centre.uv[1] = 0.5f;
    part.vertices.push_back(centre);
    for (int s = 0; s <= kSegments; ++s) {
        const float around = 2.0f * kPi * static_cast<float>(s) / kSegments;
        ModelVertex v = centre;
        v.position[0] = std::cos(around);
        v.position[2] = std::sin(around);
        v.uv[0] = 0.5f + 0.5f * v.position[0];
        v.uv[1] = 0.5f + 0.5f * v.position[2];
        part.vertices.push_back(v);
    }
    for (int s = 0; s < kSegments; ++s) {
        part.indices.insert(part.indices.end(),
                            {0, static_cast<uint16_t>(s + 1), static_cast<uint16_t>(s + 2)});
    }
    return part;
}

void Fill(RgbaPicture& picture, int x, int y, const uint8_t rgba[4]) {
    uint8_t* at = &picture.pixels[4 * (static_cast<size_t>(y) * picture.width + x)];
    for (int i = 0; i < 4; ++i) {
        at[i] = rgba[i];
    }
}

RgbaPicture EmptyPicture() {
    RgbaPicture picture;
    picture.width = kPictureSize;
    picture.height = kPictureSize;
    picture.pixels.assign(static_cast<size_t>(kPictureSize) * kPictureSize * 4, 255);
    return picture;
}

}  // namespace

ModelSource MakeSphere() {
    ModelSource model;
    model.name = "sphere";
    ModelMesh mesh;
    mesh.name = "sphere";
    mesh.parts.push_back(SphereBand("skin", 0.0f, kPi, kRings));
    model.meshes.push_back(std::move(mesh));
    return model;
}

ModelSource MakeSphereHalves() {
    ModelSource model;
    model.name = "sphere_halves";
    ModelMesh top;
    top.name = "half_top";
    top.translation[0] = -0.15f;
    top.translation[1] = 0.15f;
    top.parts.push_back(SphereBand("skin", 0.0f, kPi / 2, kRings / 2));
    top.parts.push_back(CutFace(false));
    ModelMesh bottom;
    bottom.name = "half_bottom";
    bottom.translation[0] = 0.15f;
    bottom.translation[1] = -0.15f;
    bottom.parts.push_back(SphereBand("skin", kPi / 2, kPi, kRings / 2));
    bottom.parts.push_back(CutFace(true));
    model.meshes.push_back(std::move(top));
    model.meshes.push_back(std::move(bottom));
    return model;
}

ModelSource MakeBomb(int variant) {
    ModelSource model;
    model.name = variant == 1 ? "fruit/bomb_purple" : "fruit/bomb";
    ModelMesh mesh;
    mesh.name = "bomb";
    ModelPart shell = SphereBand("shell", 0.0f, kPi, kRings);
    shell.texture = variant == 1 ? kPurpleBombTexture : kBombTexture;
    mesh.parts.push_back(std::move(shell));
    model.meshes.push_back(std::move(mesh));
    return model;
}

ModelSource MakeBalloon() {
    constexpr float kHalfWidth = 50.0f;
    constexpr float kHalfHeight = 60.0f;
    constexpr float kKnotBottom = -72.0f;
    constexpr float kStringBottom = -240.0f;
    constexpr float kStringHalfWidth = 1.5f;
    ModelSource model;
    model.name = "fruit/balloon_blue";
    ModelMesh mesh;
    mesh.name = "balloon";
    ModelPart skin = SphereBand("skin", 0.0f, kPi, kRings);
    skin.texture = kBalloonTexture;
    for (ModelVertex& v : skin.vertices) {
        v.position[0] *= kHalfWidth;
        v.position[1] *= kHalfHeight;
        v.position[2] *= kHalfWidth;
        // A balloon narrows towards its knot.
        if (v.position[1] < 0.0f) {
            const float taper = 1.0f + 0.35f * v.position[1] / kHalfHeight;
            v.position[0] *= taper;
            v.position[2] *= taper;
        }
        v.uv[1] = std::min(v.uv[1], 0.9f);  // keep off the string's row
    }
    mesh.parts.push_back(std::move(skin));

    // The knot and the string: two flat strips facing the viewer.
    ModelPart string;
    string.name = "string";
    string.texture = kBalloonTexture;
    const float strips[2][3] = {{-kHalfHeight + 2.0f, kKnotBottom, 6.0f},
                                {kKnotBottom, kStringBottom, kStringHalfWidth}};
    for (const auto& strip : strips) {
        const uint16_t first = static_cast<uint16_t>(string.vertices.size());
        const float corners[4][2] = {{-1, strip[0]}, {1, strip[0]}, {1, strip[1]}, {-1, strip[1]}};
        for (const auto& corner : corners) {
            ModelVertex v;
            v.position[0] = corner[0] * strip[2];
            v.position[1] = corner[1];
            v.position[2] = 0.0f;
            v.normal[0] = v.normal[1] = 0.0f;
            v.normal[2] = 1.0f;
            v.uv[0] = 0.5f;
            v.uv[1] = 1.0f - 0.5f / kPictureSize;  // the grey bottom row
            string.vertices.push_back(v);
        }
        string.indices.insert(string.indices.end(),
                              {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2), first,
                               static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 3)});
    }
    mesh.parts.push_back(std::move(string));
    model.meshes.push_back(std::move(mesh));
    return model;
}

ModelSource MakeCube() {
    ModelSource model;
    model.name = "cube";
    ModelMesh mesh;
    mesh.name = "cube";
    ModelPart part;
    part.name = "face";
    part.texture = kCubeTexture;
    constexpr float h = 0.8f;
    // Per face: its normal axis and sign; the other two axes span it.
    for (int axis = 0; axis < 3; ++axis) {
        for (int sign = -1; sign <= 1; sign += 2) {
            const int u = (axis + 1) % 3;
            const int w = (axis + 2) % 3;
            const uint16_t first = static_cast<uint16_t>(part.vertices.size());
            const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (const auto& corner : corners) {
                ModelVertex v;
                v.position[axis] = h * static_cast<float>(sign);
                v.position[u] = h * corner[0];
                v.position[w] = h * corner[1];
                v.normal[0] = v.normal[1] = v.normal[2] = 0.0f;
                v.normal[axis] = static_cast<float>(sign);
                v.uv[0] = 0.5f + 0.5f * corner[0];
                v.uv[1] = 0.5f - 0.5f * corner[1];
                part.vertices.push_back(v);
            }
            part.indices.insert(part.indices.end(),
                                {first, static_cast<uint16_t>(first + 1),
                                 static_cast<uint16_t>(first + 2), first,
                                 static_cast<uint16_t>(first + 2),
                                 static_cast<uint16_t>(first + 3)});
        }
    }
    mesh.parts.push_back(std::move(part));
    model.meshes.push_back(std::move(mesh));
    return model;
}

RgbaPicture MakeBombPicture(int variant) {
    RgbaPicture picture = EmptyPicture();
    const uint8_t shell[4] = {static_cast<uint8_t>(variant == 1 ? 70 : 30), 25,
                              static_cast<uint8_t>(variant == 1 ? 90 : 30), 255};
    const uint8_t band[4] = {120, 120, 130, 255};
    const uint8_t warning[4] = {220, 30, 30, 255};
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const uint8_t* colour = shell;
            if (y == kPictureSize / 2) {
                colour = warning;
            } else if (y == kPictureSize / 2 - 1 || y == kPictureSize / 2 + 1) {
                colour = band;
            }
            Fill(picture, x, y, colour);
        }
    }
    return picture;
}

RgbaPicture MakeBalloonPicture() {
    RgbaPicture picture = EmptyPicture();
    const uint8_t rubber[4] = {40, 90, 220, 255};
    const uint8_t shine[4] = {170, 200, 255, 255};
    const uint8_t string[4] = {200, 200, 200, 255};
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const uint8_t* colour = rubber;
            if (y == kPictureSize - 1) {
                colour = string;
            } else if (y >= 2 && y <= 4 && x >= 3 && x <= 5) {
                colour = shine;
            }
            Fill(picture, x, y, colour);
        }
    }
    return picture;
}

RgbaPicture MakeSkinPicture() {
    RgbaPicture picture = EmptyPicture();
    const uint8_t light[4] = {90, 200, 60, 255};
    const uint8_t dark[4] = {20, 100, 30, 255};
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            Fill(picture, x, y, (x / 2) % 2 == 0 ? light : dark);
        }
    }
    return picture;
}

RgbaPicture MakeFleshPicture() {
    RgbaPicture picture = EmptyPicture();
    const uint8_t flesh[4] = {250, 80, 90, 255};
    const uint8_t rind[4] = {240, 250, 200, 255};
    const uint8_t seed[4] = {30, 20, 20, 255};
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f) / kPictureSize - 0.5f;
            const float dy = (static_cast<float>(y) + 0.5f) / kPictureSize - 0.5f;
            const float distance = std::sqrt(dx * dx + dy * dy);
            const bool onSeedRing = distance > 0.22f && distance < 0.3f && (x + y) % 3 == 0;
            Fill(picture, x, y, distance > 0.42f ? rind : (onSeedRing ? seed : flesh));
        }
    }
    return picture;
}

RgbaPicture MakeCubePicture() {
    RgbaPicture picture = EmptyPicture();
    const uint8_t frame[4] = {240, 140, 20, 255};
    const uint8_t middle[4] = {250, 250, 250, 255};
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const bool edge = x < 3 || y < 3 || x >= kPictureSize - 3 || y >= kPictureSize - 3;
            Fill(picture, x, y, edge ? frame : middle);
        }
    }
    return picture;
}

bool WriteTexPicture(const RgbaPicture& picture, std::vector<uint8_t>& outBytes) {
    MemoryTextureImage image;
    image.description = RgbaDescription(static_cast<uint16_t>(picture.width),
                                        static_cast<uint16_t>(picture.height));
    image.SetBlock(picture.pixels.data(), picture.pixels.size());
    return WriteTexFile(image, outBytes);
}

}  // namespace ModelTool
}  // namespace Varnok
