// Writes a model as a keyed binary model file (".binmodel").
#pragma once

#include "tools/make_models/ModelSource.h"

#include <cstdint>
#include <vector>

namespace Varnok {
namespace ModelTool {

// Per mesh: "Name", "matrix0" (identity with the translation), then per
// part "matname", "diffuse", "diffusetex" (when textured), "faces" and
// "verts". Texture names are written as given.
std::vector<uint8_t> WriteBinModel(const ModelSource& model);

}  // namespace ModelTool
}  // namespace Varnok
