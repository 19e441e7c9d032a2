// The sample models of the bundle, made by code: a textured sphere, the two
// halves a slice leaves (each with its cut face), and a cube, with the
// pictures their textures are made from.
#pragma once

#include "tools/make_models/ModelSource.h"

#include <cstdint>
#include <vector>

namespace Varnok {
namespace ModelTool {

// Bundle paths of the textures the models name.
constexpr const char* kSkinTexture = "models/sphere_skin.tex";
constexpr const char* kFleshTexture = "models/sphere_flesh.tex";
constexpr const char* kCubeTexture = "models/cube_face.tex";
constexpr const char* kBombTexture = "models/fruit/bomb_skin.tex";
constexpr const char* kPurpleBombTexture = "models/fruit/bomb_purple_skin.tex";
constexpr const char* kBalloonTexture = "models/fruit/balloon_blue.tex";

// Radius 1 about the origin; 12 rings of 16 segments.
ModelSource MakeSphere();
// "half_top" and "half_bottom": hemispheres of radius 1 capped by a disc
// on the cut, hanging from nodes 0.3 apart along x and y.
ModelSource MakeSphereHalves();
// Edge 1.6 about the origin; every face the whole texture.
ModelSource MakeCube();
// "fruit/bomb" (variant 0) and "fruit/bomb_purple" (variant 1): the unit
// sphere in the bomb's skin.
ModelSource MakeBomb(int variant);
// "fruit/balloon_blue": a balloon 100 wide and 120 tall about the origin
// with a knot and a string hanging 240 below its centre, in the units the
// balloon's half scale takes to the play field (its load hangs 120 below).
ModelSource MakeBalloon();

// 16 x 16 pictures, rows from the top.
RgbaPicture MakeSkinPicture();   // green stripes from pole to pole
RgbaPicture MakeFleshPicture();  // pale flesh with a ring of dark seeds
RgbaPicture MakeCubePicture();   // orange frame about a white square
// A dark shell with a pale band and a red warning ring (variant 0 black,
// 1 purple).
RgbaPicture MakeBombPicture(int variant);
// Blue rubber with a pale highlight near the top left; the bottom row is the
// string's grey.
RgbaPicture MakeBalloonPicture();

// The picture as a ".tex" file (RGBA8, one level). False when the writer
// refuses it.
bool WriteTexPicture(const RgbaPicture& picture, std::vector<uint8_t>& outBytes);

}  // namespace ModelTool
}  // namespace Varnok
