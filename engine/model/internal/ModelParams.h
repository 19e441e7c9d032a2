// The standard material parameters of model parts and the writes the
// readers make into them: a value is written only where the block has the
// parameter with the expected type.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/MaterialParameter.h"
#include "engine/render/Texture.h"

#include <vector>

namespace Varnok {

// "DiffuseMap", "UVWOffset", "Alpha", "Ambience", "Diffuse", "SelfIllum",
// "Specular", "SpecularStrength", "IsLit", in that order.
const std::vector<ParamDesc>& StandardMaterialParams();

// count floats into a parameter of that type.
void WriteParamFloats(const MaterialParamBlock& block, const char* name, ParamType type,
                      const float* values, int count);
void WriteParamBool(const MaterialParamBlock& block, const char* name, bool value);
void WriteParamTexture(const MaterialParamBlock& block, const char* name,
                       const SmartPtr<Texture>& texture);

}  // namespace Varnok
