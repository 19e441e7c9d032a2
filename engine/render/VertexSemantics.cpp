// The nine semantic names, made on first use so that no static
// initialisation order matters.
#include "engine/render/VertexSemantics.h"

namespace Varnok {

const SmartPtr<ParamName>& GetVertexSemantic(VertexSemantic semantic) {
    static const SmartPtr<ParamName> kNames[kVertexSemanticCount] = {
        MakeParamName("Position"),    MakeParamName("Normal"),      MakeParamName("Tangent"),
        MakeParamName("Binormal"),    MakeParamName("TexCoord0"),   MakeParamName("BoneIndices"),
        MakeParamName("BoneWeights"), MakeParamName("Ambient"),     MakeParamName("Diffuse"),
    };
    const int index = static_cast<int>(semantic);
    return kNames[index >= 0 && index < kVertexSemanticCount ? index : 0];
}

uint32_t VertexElementTypeSize(uint32_t elementType) {
    switch (elementType & kVertexComponentTypeMask) {
        case VertexComponentType::UnsignedByte:
        case VertexComponentType::Byte:
            return 1;
        case VertexComponentType::UnsignedShort:
        case VertexComponentType::Short:
        case 4:
            return 2;
        default:
            return 4;
    }
}

}  // namespace Varnok
