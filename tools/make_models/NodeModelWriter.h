// Writes a model as a node-tree model file (".mmd").
#pragma once

#include "tools/make_models/ModelSource.h"

#include <cstdint>
#include <vector>

namespace Varnok {
namespace ModelTool {

// One root node holding the model record, with a part node (and its
// texture node) and a geometry node per part as children. Every mesh hangs
// from a node of its own name; vertices are stored as float texture
// coordinates, colour bytes, float normal and position (format 0x1FF) with
// 16-bit triangle-list indices. Texture paths are written relative to the
// model file's directory.
std::vector<uint8_t> WriteNodeModel(const ModelSource& model);

}  // namespace ModelTool
}  // namespace Varnok
