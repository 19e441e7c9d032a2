// Named, typed material parameters: the declarations that shaders and
// materials share, the block of values a material carries (with a parent block
// for what it lacks) and the template a material is made from.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class Effect;
class ShaderProgram;
class Texture;

// The type code of a parameter; it decides the value's element size, the
// array of the value store it lives in and the uniform call that sets it.
enum class ParamType : int32_t {
    Int = 0,          // 4 bytes; declared, never set or uploaded
    Float = 1,        // "float"
    Bool = 2,         // 1 byte
    Matrix = 3,       // 16 floats; "matrix", "mat4"
    Vector2 = 4,      // "vec2"
    Vector3 = 5,      // "vec3"
    Vector4 = 6,      // "vec4"
    Texture2D = 7,    // "sampler2D", "sampler2DShadow"
    Texture3D = 8,    // "sampler3D"
    TextureCube = 9,  // "samplerCube"
};
constexpr int kParamTypeCount = 10;

// The type a GLSL uniform type declares; false for a type the table lacks.
bool ParamTypeFromGlsl(const char* glslType, ParamType& outType);

// A shared parameter name; two names are the same when their texts are equal.
class ParamName : public ReferenceCounter {
public:
    explicit ParamName(std::string text) : m_text(std::move(text)) {}

    const std::string& GetText() const { return m_text; }

private:
    std::string m_text;
};

SmartPtr<ParamName> MakeParamName(const char* text);

// The declaration of one parameter, copied by value.
struct ParamDesc {
    SmartPtr<ParamName> name;
    ParamType type = ParamType::Int;
    int32_t count = 1;  // elements; at least 1
    // The uniform location in the program named by locationProgramId and
    // locationGLProgram; -1 with locationKnown set means that program has no
    // such uniform. A location belongs to one program only: another program
    // looks it up again (see UniformLocation).
    int32_t location = -1;
    bool locationKnown = false;
    int32_t locationProgramId = -1;
    uint32_t locationGLProgram = 0;

    ParamDesc() = default;
    // A count of 0 or less becomes 1.
    ParamDesc(SmartPtr<ParamName> paramName, ParamType paramType, int32_t elementCount);

    const char* GetNameText() const;

    // The uniform location of this parameter in `program`, looked up by name
    // the first time this program asks and remembered for it.
    int32_t UniformLocation(const ShaderProgram& program);
    // Records a location that `program` reported.
    void SetLocation(const ShaderProgram& program, int32_t uniformLocation);
};

// The values of one block: one array per type code in one zero-filled
// allocation. Destroying it releases every texture reference it holds.
class ParamValueStore {
public:
    // counts: kParamTypeCount element counts, by type code.
    explicit ParamValueStore(const int32_t* counts);
    ~ParamValueStore();
    ParamValueStore(const ParamValueStore&) = delete;
    ParamValueStore& operator=(const ParamValueStore&) = delete;

    // The first element of a type's array, or null when its count is 0.
    void* GetArray(ParamType type) const { return m_arrays[static_cast<int>(type)]; }
    int32_t GetCount(ParamType type) const { return m_counts[static_cast<int>(type)]; }
    size_t GetByteSize() const { return m_byteSize; }

    // The size of one element of a type's array in this store.
    static size_t ElementSize(ParamType type);

private:
    std::unique_ptr<uint64_t[]> m_buffer;  // 8-aligned for the texture references
    size_t m_byteSize = 0;
    void* m_arrays[kParamTypeCount] = {};
    int32_t m_counts[kParamTypeCount] = {};
};

// One parameter of a block: its declaration and where its value lives.
struct MaterialParam : ParamDesc {
    ParamValueStore* store = nullptr;  // of the block that declared it
    int32_t index = 0;                 // first element within the store's array for `type`

    // Value access. Each answers the element at `index` of the array for the
    // parameter's type, or, when the index lies outside that array (or the
    // parameter is of another type), a shared element that starts zeroed:
    // writes to it are lost to every parameter but read back by the next.
    int32_t* GetInt() const;
    uint8_t* GetBool() const;
    // Float, Matrix, Vector2, Vector3 and Vector4: the element's 1, 16, 2, 3 or
    // 4 floats.
    float* GetFloats() const;

    // Only for Texture2D parameters (false otherwise, nothing changed). A
    // texture is never stored into the shared element: an index outside the
    // array answers false.
    bool GetTexture(SmartPtr<Texture>& outTexture) const;
    bool SetTexture(const SmartPtr<Texture>& texture) const;
};

// The parameters a material carries, found by name along a chain of blocks.
// A block declares only what its parent chain lacks.
class MaterialParamBlock : public ReferenceCounter {
public:
    // Declares every entry of [first, last) that the parent chain does not
    // have, in one new store; duplicates within the range are not merged.
    MaterialParamBlock(const ParamDesc* first, const ParamDesc* last,
                       SmartPtr<MaterialParamBlock> parent);
    MaterialParamBlock(const std::vector<ParamDesc>& declarations,
                       SmartPtr<MaterialParamBlock> parent);
    ~MaterialParamBlock() override;

    // By exact name text (case matters), here and then up the chain; null
    // when no block of the chain declares it.
    MaterialParam* Find(const char* name) const;
    MaterialParam* Find(const std::string& name) const { return Find(name.c_str()); }
    bool Contains(const ParamDesc& declaration) const;

    const SmartPtr<MaterialParamBlock>& GetParent() const { return m_parent; }
    // This block's own parameters, sorted by name.
    std::vector<MaterialParam>& GetParams() { return m_params; }
    const std::vector<MaterialParam>& GetParams() const { return m_params; }
    ParamValueStore& GetStore() const { return *m_store; }

private:
    void Build(const ParamDesc* first, const ParamDesc* last);
    MaterialParam* FindOwn(const char* name) const;

    SmartPtr<MaterialParamBlock> m_parent;  // may be null
    std::unique_ptr<ParamValueStore> m_store;
    std::vector<MaterialParam> m_params;
};

// What a material is made from: its effects (one per pass, ordered by path)
// and the union of their declared inputs.
class MaterialTemplate : public ReferenceCounter {
public:
    MaterialTemplate();
    ~MaterialTemplate() override;

    // Adds the effect unless one with the same path is there or its inputs
    // conflict with the template's (the effect is then left out).
    void AddEffect(const SmartPtr<Effect>& effect);
    // Inserts each input the template lacks, in order. False at the first
    // input declared here with another type or count; inputs before it stay.
    bool MergeParams(const std::vector<ParamDesc>& inputs);

    const std::vector<ParamDesc>& GetParams() const { return m_params; }
    std::vector<ParamDesc>& GetParams() { return m_params; }
    const std::vector<SmartPtr<Effect>>& GetEffects() const { return m_effects; }

private:
    std::vector<ParamDesc> m_params;            // sorted by name
    std::vector<SmartPtr<Effect>> m_effects;    // sorted by path
};

}  // namespace Varnok
