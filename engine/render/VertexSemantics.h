// The global names of vertex elements, and the sizes of vertex component types.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/MaterialParameter.h"

#include <cstdint>

namespace Varnok {

enum class VertexSemantic {
    Position,
    Normal,
    Tangent,
    Binormal,
    TexCoord0,
    BoneIndices,
    BoneWeights,
    Ambient,
    Diffuse,
};
constexpr int kVertexSemanticCount = 9;

// The shared name object of a semantic ("Position", "Normal", "Tangent",
// "Binormal", "TexCoord0", "BoneIndices", "BoneWeights", "Ambient",
// "Diffuse"); the same object on every call.
const SmartPtr<ParamName>& GetVertexSemantic(VertexSemantic semantic);

// The component type in the low 12 bits of a vertex element type.
namespace VertexComponentType {
enum : uint32_t {
    UnsignedByte = 0,
    Byte = 1,
    UnsignedShort = 2,
    Short = 3,
    Float = 5,
};
}  // namespace VertexComponentType
constexpr uint32_t kVertexComponentTypeMask = 0xFFF;

// Bytes of one component: 1 for the byte types, 2 for the 16-bit types and
// type 4, 4 for floats and anything else.
uint32_t VertexElementTypeSize(uint32_t elementType);

}  // namespace Varnok
