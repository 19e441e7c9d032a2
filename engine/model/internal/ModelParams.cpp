// Standard part parameters and typed writes into material blocks.
#include "engine/model/internal/ModelParams.h"

#include <algorithm>

namespace Varnok {

const std::vector<ParamDesc>& StandardMaterialParams() {
    static const std::vector<ParamDesc> params = {
        ParamDesc(MakeParamName("DiffuseMap"), ParamType::Texture2D, 1),
        ParamDesc(MakeParamName("UVWOffset"), ParamType::Vector3, 3),
        ParamDesc(MakeParamName("Alpha"), ParamType::Float, 1),
        ParamDesc(MakeParamName("Ambience"), ParamType::Vector3, 1),
        ParamDesc(MakeParamName("Diffuse"), ParamType::Vector3, 1),
        ParamDesc(MakeParamName("SelfIllum"), ParamType::Vector3, 1),
        ParamDesc(MakeParamName("Specular"), ParamType::Vector3, 1),
        ParamDesc(MakeParamName("SpecularStrength"), ParamType::Float, 1),
        ParamDesc(MakeParamName("IsLit"), ParamType::Bool, 1),
    };
    return params;
}

void WriteParamFloats(const MaterialParamBlock& block, const char* name, ParamType type,
                      const float* values, int count) {
    const MaterialParam* param = block.Find(name);
    if (param != nullptr && param->type == type) {
        std::copy(values, values + count, param->GetFloats());
    }
}

void WriteParamBool(const MaterialParamBlock& block, const char* name, bool value) {
    const MaterialParam* param = block.Find(name);
    if (param != nullptr && param->type == ParamType::Bool) {
        *param->GetBool() = value ? 1 : 0;
    }
}

void WriteParamTexture(const MaterialParamBlock& block, const char* name,
                       const SmartPtr<Texture>& texture) {
    const MaterialParam* param = block.Find(name);
    if (param != nullptr) {
        (void)param->SetTexture(texture);  // only a Texture2D parameter takes it
    }
}

}  // namespace Varnok
