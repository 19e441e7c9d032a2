// Stretched spheres, their cut halves and the streak quads of the fruit.
#include "tools/make_models/FruitModelSources.h"

#include "engine/core/MathUtil.h"

#include <cctype>
#include <cmath>

namespace Varnok {
namespace ModelTool {
namespace {

constexpr int kRings = 12;
constexpr int kSegments = 16;
constexpr int kPictureSize = 32;
constexpr float kStreakHalfLength = 5.0f;  // the shape table stretches it up to 20 times

// The band of the shape between two polar angles (0 at +y): the unit
// sphere's point scaled by the stretch, the normal by its inverse.
ModelPart Band(const FruitLook& look, const std::string& texture, float fromAngle, float toAngle, int rings) {
    ModelPart part;
    part.name = "skin";
    part.texture = texture;
    for (int r = 0; r <= rings; ++r) {
        const float polar = fromAngle + (toAngle - fromAngle) * static_cast<float>(r) / rings;
        for (int s = 0; s <= kSegments; ++s) {
            const float around = 2.0f * kPi * static_cast<float>(s) / kSegments;
            const float unit[3] = {std::sin(polar) * std::cos(around), std::cos(polar),
                                   std::sin(polar) * std::sin(around)};
            ModelVertex v;
            float length = 0.0f;
            for (int i = 0; i < 3; ++i) {
                v.position[i] = unit[i] * kFruitRadius * look.stretch[i];
                v.normal[i] = unit[i] / look.stretch[i];
                length += v.normal[i] * v.normal[i];
            }
            length = std::sqrt(length);
            for (float& n : v.normal) {
                n /= length;
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
            part.indices.insert(part.indices.end(), {a, b, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(a + 1),
                                                     b, static_cast<uint16_t>(b + 1)});
        }
    }
    return part;
}

// The cut face: the shape's section at y 0, facing up or down.
ModelPart CutFace(const FruitLook& look, const std::string& texture, bool facingUp) {
    ModelPart part;
    part.name = "flesh";
    part.texture = texture;
    ModelVertex centre;
    centre.position[0] = centre.position[1] = centre.position[2] = 0.0f;
    centre.normal[0] = centre.normal[2] = 0.0f;
    centre.normal[1] = facingUp ? 1.0f : -1.0f;
    centre.uv[0] = centre.uv[1] = 0.5f;
    part.vertices.push_back(centre);
    for (int s = 0; s <= kSegments; ++s) {
        const float around = 2.0f * kPi * static_cast<float>(s) / kSegments;
        ModelVertex v = centre;
        v.position[0] = std::cos(around) * kFruitRadius * look.stretch[0];
        v.position[2] = std::sin(around) * kFruitRadius * look.stretch[2];
        v.uv[0] = 0.5f + 0.5f * std::cos(around);
        v.uv[1] = 0.5f + 0.5f * std::sin(around);
        part.vertices.push_back(v);
    }
    for (int s = 0; s < kSegments; ++s) {
        const uint16_t next = static_cast<uint16_t>(s + 1);
        const uint16_t after = static_cast<uint16_t>(s + 2);
        if (facingUp) {
            part.indices.insert(part.indices.end(), {0, after, next});
        } else {
            part.indices.insert(part.indices.end(), {0, next, after});
        }
    }
    return part;
}

ModelSource OneMesh(const std::string& name, std::vector<ModelPart> parts) {
    ModelSource model;
    model.name = name;
    ModelMesh mesh;
    mesh.name = "fruit";
    mesh.parts = std::move(parts);
    model.meshes.push_back(std::move(mesh));
    return model;
}

RgbaPicture Blank() {
    RgbaPicture picture;
    picture.width = kPictureSize;
    picture.height = kPictureSize;
    picture.pixels.assign(static_cast<size_t>(kPictureSize) * kPictureSize * 4, 255);
    return picture;
}

void Put(RgbaPicture& picture, int x, int y, float r, float g, float b, float a) {
    uint8_t* at = &picture.pixels[4 * (static_cast<size_t>(y) * picture.width + x)];
    const float values[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(std::fmin(255.0f, std::fmax(0.0f, values[i])));
    }
}

// The skin: its colour with faint bands from pole to pole and a darker
// bottom, so that the tumbling shows.
RgbaPicture SkinPicture(const uint8_t skin[3]) {
    RgbaPicture picture = Blank();
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float band = (x / 4) % 2 == 0 ? 1.0f : 0.82f;
            const float shade = band * (1.0f - 0.3f * static_cast<float>(y) / kPictureSize);
            Put(picture, x, y, skin[0] * shade, skin[1] * shade, skin[2] * shade, 255.0f);
        }
    }
    return picture;
}

// The flesh: the juice colour, paler to the middle, inside a rind of the
// skin's colour.
RgbaPicture FleshPicture(const uint8_t flesh[3], const uint8_t skin[3]) {
    RgbaPicture picture = Blank();
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f) / kPictureSize - 0.5f;
            const float dy = (static_cast<float>(y) + 0.5f) / kPictureSize - 0.5f;
            const float d = std::sqrt(dx * dx + dy * dy) * 2.0f;
            if (d > 0.9f) {
                Put(picture, x, y, skin[0], skin[1], skin[2], 255.0f);
                continue;
            }
            const float pale = 0.35f * (1.0f - d);
            Put(picture, x, y, flesh[0] + (255.0f - flesh[0]) * pale, flesh[1] + (255.0f - flesh[1]) * pale,
                flesh[2] + (255.0f - flesh[2]) * pale, 255.0f);
        }
    }
    return picture;
}

// A streak: bright along its middle, fading to the ends and the edges.
RgbaPicture StreakPicture(float r, float g, float b) {
    RgbaPicture picture = Blank();
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float u = std::fabs((static_cast<float>(x) + 0.5f) / kPictureSize - 0.5f) * 2.0f;
            const float v = std::fabs((static_cast<float>(y) + 0.5f) / kPictureSize - 0.5f) * 2.0f;
            const float alpha = (1.0f - u * u) * (1.0f - v) * 255.0f;
            Put(picture, x, y, r, g, b, alpha);
        }
    }
    return picture;
}

ModelSource StreakQuad(const std::string& name, const std::string& texture) {
    ModelPart part;
    part.name = "streak";
    part.texture = texture;
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& corner : corners) {
        ModelVertex v;
        v.position[0] = corner[0] * kStreakHalfLength;
        v.position[1] = corner[1] * kStreakHalfLength;
        v.position[2] = 0.0f;
        v.normal[0] = v.normal[1] = 0.0f;
        v.normal[2] = 1.0f;
        v.uv[0] = 0.5f + 0.5f * corner[0];
        v.uv[1] = 0.5f - 0.5f * corner[1];
        part.vertices.push_back(v);
    }
    part.indices = {0, 1, 2, 0, 2, 3};
    return OneMesh(name, {part});
}

}  // namespace

const std::vector<FruitLook>& SampleFruitLooks() {
    static const std::vector<FruitLook> s_looks = {
        {"apple", {200, 30, 30}, {235, 240, 180}, {1.0f, 0.95f, 1.0f}},
        {"banana", {250, 220, 60}, {250, 235, 120}, {1.35f, 0.55f, 0.6f}},
        {"strawberry", {220, 20, 40}, {220, 20, 40}, {0.9f, 1.1f, 0.9f}},
        {"kiwifruit", {120, 90, 50}, {120, 200, 40}, {1.0f, 0.85f, 0.85f}},
        {"lime", {60, 160, 40}, {150, 230, 60}, {1.0f, 0.95f, 0.95f}},
        {"watermelon", {40, 140, 50}, {240, 40, 60}, {1.15f, 1.0f, 1.0f}},
        {"pineapple", {200, 160, 40}, {250, 220, 50}, {0.85f, 1.25f, 0.85f}},
        {"bean", {60, 170, 70}, {80, 200, 90}, {1.0f, 0.7f, 0.7f}},
        // The super fruit: their halves are also the first two burst pieces
        // and the chest's lid.
        {"pomegranate", {170, 20, 50}, {200, 30, 60}, {1.0f, 1.0f, 1.0f}},
        {"chest", {140, 90, 30}, {230, 190, 70}, {1.1f, 0.8f, 0.8f}},
    };
    return s_looks;
}

void AddFruitModels(const FruitLook& look, FruitModelFiles& out) {
    const std::string stem = std::string("models/fruit/") + look.name;
    const std::string skin = stem + "_skin.tex";
    const std::string flesh = stem + "_flesh.tex";
    out.pictures.push_back({skin, SkinPicture(look.skin)});
    out.pictures.push_back({flesh, FleshPicture(look.flesh, look.skin)});
    out.models.push_back(OneMesh(stem + "_single", {Band(look, skin, 0.0f, kPi, kRings)}));
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(look.name[0])));
    const std::string piece = stem + "_" + letter + "_piece_";
    out.models.push_back(OneMesh(piece + "1", {Band(look, skin, 0.0f, kPi / 2, kRings / 2), CutFace(look, flesh, false)}));
    out.models.push_back(OneMesh(piece + "2", {Band(look, skin, kPi / 2, kPi, kRings / 2), CutFace(look, flesh, true)}));
}

// The super pomegranate bursts into twelve pieces (the halves are pieces 1
// and 2; the rest are bands of its skin) and throws small round jiblets; the
// chest's third piece is the lid of an empty chest.
void AddSuperFruitPieces(FruitModelFiles& out) {
    const FruitLook pomegranate = {"pomegranate", {170, 20, 50}, {200, 30, 60}, {0.45f, 0.45f, 0.45f}};
    const std::string skin = "models/fruit/pomegranate_skin.tex";
    const std::string flesh = "models/fruit/pomegranate_flesh.tex";
    for (int i = 3; i <= 12; ++i) {
        const float from = kPi * static_cast<float>(i - 3) / 10.0f;
        out.models.push_back(OneMesh("models/fruit/pomegranate_p_piece_" + std::to_string(i),
                                     {Band(pomegranate, skin, from, from + kPi / 10.0f, 2),
                                      CutFace(pomegranate, flesh, (i & 1) != 0)}));
    }
    const FruitLook seed = {"pomegranate_jiblet", {220, 30, 70}, {240, 60, 90}, {0.12f, 0.16f, 0.12f}};
    out.models.push_back(OneMesh("models/fruit/pomegranate_jiblet", {Band(seed, flesh, 0.0f, kPi, 4)}));
    const FruitLook lid = {"chest", {90, 60, 30}, {120, 90, 50}, {1.1f, 0.3f, 0.8f}};
    out.models.push_back(OneMesh("models/fruit/chest_c_piece_3",
                                 {Band(lid, "models/fruit/chest_skin.tex", 0.0f, kPi / 2, kRings / 2),
                                  CutFace(lid, "models/fruit/chest_flesh.tex", false)}));
}

FruitModelFiles MakeFruitModels() {
    FruitModelFiles files;
    for (const FruitLook& look : SampleFruitLooks()) {
        AddFruitModels(look, files);
    }
    AddSuperFruitPieces(files);
    files.pictures.push_back({"models/fruit/slice_fx.tex", StreakPicture(255.0f, 255.0f, 255.0f)});
    files.pictures.push_back({"models/fruit/slice_fx_crit.tex", StreakPicture(255.0f, 240.0f, 60.0f)});
    files.models.push_back(StreakQuad("models/fruit/slice_fx", "models/fruit/slice_fx.tex"));
    files.models.push_back(StreakQuad("models/fruit/slice_fx_crit", "models/fruit/slice_fx_crit.tex"));
    return files;
}

}  // namespace ModelTool
}  // namespace Varnok
