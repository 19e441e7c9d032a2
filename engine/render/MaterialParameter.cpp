// Parameter declarations, value stores, blocks and templates.
#include "engine/render/MaterialParameter.h"

#include "engine/render/Effect.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/Texture.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Varnok {
namespace {

int TypeIndex(ParamType type) {
    return static_cast<int>(type);
}

bool IsValidType(ParamType type) {
    return TypeIndex(type) >= 0 && TypeIndex(type) < kParamTypeCount;
}

bool IsTextureType(ParamType type) {
    return type == ParamType::Texture2D || type == ParamType::Texture3D ||
           type == ParamType::TextureCube;
}

size_t AlignUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// The shared elements that out-of-range accesses read and write.
int32_t s_sharedInt = 0;
uint8_t s_sharedBool = 0;
float s_sharedFloats[16] = {};

bool NameLess(const ParamDesc& a, const ParamDesc& b) {
    return std::strcmp(a.GetNameText(), b.GetNameText()) < 0;
}

}  // namespace

bool ParamTypeFromGlsl(const char* glslType, ParamType& outType) {
    static const struct {
        const char* glsl;
        ParamType type;
    } kTypes[] = {
        {"float", ParamType::Float},         {"matrix", ParamType::Matrix},
        {"mat4", ParamType::Matrix},         {"vec2", ParamType::Vector2},
        {"vec3", ParamType::Vector3},        {"vec4", ParamType::Vector4},
        {"sampler2D", ParamType::Texture2D}, {"sampler2DShadow", ParamType::Texture2D},
        {"sampler3D", ParamType::Texture3D}, {"samplerCube", ParamType::TextureCube},
    };
    if (glslType == nullptr) {
        return false;
    }
    for (const auto& entry : kTypes) {
        if (std::strcmp(entry.glsl, glslType) == 0) {
            outType = entry.type;
            return true;
        }
    }
    return false;
}

SmartPtr<ParamName> MakeParamName(const char* text) {
    return SmartPtr<ParamName>(new ParamName(text != nullptr ? text : ""));
}

// ---- ParamDesc ----

ParamDesc::ParamDesc(SmartPtr<ParamName> paramName, ParamType paramType, int32_t elementCount)
    : name(std::move(paramName)), type(paramType), count(elementCount < 1 ? 1 : elementCount) {}

const char* ParamDesc::GetNameText() const {
    return name ? name->GetText().c_str() : "";
}

int32_t ParamDesc::UniformLocation(const ShaderProgram& program) {
    // Keyed by the program's id and GL name together: a GL name alone may be
    // reused by another program after the first was deleted.
    if (!locationKnown || locationProgramId != program.GetId() ||
        locationGLProgram != program.GetGLProgram()) {
        SetLocation(program, program.GetUniformLocation(GetNameText()));
    }
    return location;
}

void ParamDesc::SetLocation(const ShaderProgram& program, int32_t uniformLocation) {
    location = uniformLocation;
    locationKnown = true;
    locationProgramId = program.GetId();
    locationGLProgram = program.GetGLProgram();
}

// ---- ParamValueStore ----

size_t ParamValueStore::ElementSize(ParamType type) {
    switch (type) {
        case ParamType::Int:
        case ParamType::Float:
            return 4;
        case ParamType::Bool:
            return 1;
        case ParamType::Matrix:
            return 64;
        case ParamType::Vector2:
            return 8;
        case ParamType::Vector3:
            return 12;
        case ParamType::Vector4:
            return 16;
        case ParamType::Texture2D:
        case ParamType::Texture3D:
        case ParamType::TextureCube:
            return sizeof(SmartPtr<Texture>);
    }
    return 0;
}

ParamValueStore::ParamValueStore(const int32_t* counts) {
    size_t offsets[kParamTypeCount] = {};
    size_t offset = 0;
    for (int i = 0; i < kParamTypeCount; ++i) {
        m_counts[i] = counts[i] > 0 ? counts[i] : 0;
        const ParamType type = static_cast<ParamType>(i);
        // The scalars and bytes first, then the float blocks, then the
        // references, each group starting aligned.
        if (type == ParamType::Matrix || type == ParamType::Texture2D ||
            type == ParamType::TextureCube) {
            offset = AlignUp(offset, sizeof(uint64_t));
        }
        offsets[i] = offset;
        offset += ElementSize(type) * static_cast<size_t>(m_counts[i]);
    }
    m_byteSize = offset;
    const size_t words = AlignUp(m_byteSize, sizeof(uint64_t)) / sizeof(uint64_t);
    if (words > 0) {
        m_buffer.reset(new uint64_t[words]());
    }
    uint8_t* base = reinterpret_cast<uint8_t*>(m_buffer.get());
    for (int i = 0; i < kParamTypeCount; ++i) {
        if (m_counts[i] == 0) {
            continue;
        }
        m_arrays[i] = base + offsets[i];
        const ParamType type = static_cast<ParamType>(i);
        if (IsTextureType(type)) {
            auto* references = static_cast<SmartPtr<Texture>*>(m_arrays[i]);
            for (int32_t k = 0; k < m_counts[i]; ++k) {
                new (&references[k]) SmartPtr<Texture>();
            }
        }
    }
}

ParamValueStore::~ParamValueStore() {
    for (ParamType type : {ParamType::Texture2D, ParamType::Texture3D, ParamType::TextureCube}) {
        auto* references = static_cast<SmartPtr<Texture>*>(GetArray(type));
        for (int32_t k = 0; k < GetCount(type); ++k) {
            references[k].~SmartPtr<Texture>();
        }
    }
}

// ---- MaterialParam ----

int32_t* MaterialParam::GetInt() const {
    if (type == ParamType::Int && store != nullptr && index >= 0 &&
        index < store->GetCount(type)) {
        return static_cast<int32_t*>(store->GetArray(type)) + index;
    }
    return &s_sharedInt;
}

uint8_t* MaterialParam::GetBool() const {
    if (type == ParamType::Bool && store != nullptr && index >= 0 &&
        index < store->GetCount(type)) {
        return static_cast<uint8_t*>(store->GetArray(type)) + index;
    }
    return &s_sharedBool;
}

float* MaterialParam::GetFloats() const {
    size_t floatsPerElement = 0;
    switch (type) {
        case ParamType::Float:
            floatsPerElement = 1;
            break;
        case ParamType::Matrix:
            floatsPerElement = 16;
            break;
        case ParamType::Vector2:
            floatsPerElement = 2;
            break;
        case ParamType::Vector3:
            floatsPerElement = 3;
            break;
        case ParamType::Vector4:
            floatsPerElement = 4;
            break;
        default:
            return s_sharedFloats;
    }
    if (store != nullptr && index >= 0 && index < store->GetCount(type)) {
        return static_cast<float*>(store->GetArray(type)) + floatsPerElement * index;
    }
    return s_sharedFloats;
}

bool MaterialParam::GetTexture(SmartPtr<Texture>& outTexture) const {
    if (type != ParamType::Texture2D) {
        return false;
    }
    if (store == nullptr || index < 0 || index >= store->GetCount(type)) {
        outTexture = nullptr;  // the shared element never holds a texture
        return true;
    }
    outTexture = static_cast<SmartPtr<Texture>*>(store->GetArray(type))[index];
    return true;
}

bool MaterialParam::SetTexture(const SmartPtr<Texture>& texture) const {
    if (type != ParamType::Texture2D || store == nullptr || index < 0 ||
        index >= store->GetCount(type)) {
        return false;
    }
    static_cast<SmartPtr<Texture>*>(store->GetArray(type))[index] = texture;
    return true;
}

// ---- MaterialParamBlock ----

MaterialParamBlock::MaterialParamBlock(const ParamDesc* first, const ParamDesc* last,
                                       SmartPtr<MaterialParamBlock> parent)
    : m_parent(std::move(parent)) {
    Build(first, last);
}

MaterialParamBlock::MaterialParamBlock(const std::vector<ParamDesc>& declarations,
                                       SmartPtr<MaterialParamBlock> parent)
    : m_parent(std::move(parent)) {
    Build(declarations.data(), declarations.data() + declarations.size());
}

MaterialParamBlock::~MaterialParamBlock() = default;

void MaterialParamBlock::Build(const ParamDesc* first, const ParamDesc* last) {
    auto parentHas = [this](const ParamDesc& declaration) {
        return m_parent && m_parent->Contains(declaration);
    };
    int32_t counts[kParamTypeCount] = {};
    size_t declared = 0;
    for (const ParamDesc* it = first; it != last; ++it) {
        if (!IsValidType(it->type) || parentHas(*it)) {
            continue;
        }
        counts[TypeIndex(it->type)] += it->count < 1 ? 1 : it->count;
        ++declared;
    }
    m_store.reset(new ParamValueStore(counts));
    m_params.reserve(declared);

    int32_t running[kParamTypeCount] = {};
    for (const ParamDesc* it = first; it != last; ++it) {
        if (!IsValidType(it->type) || parentHas(*it)) {
            continue;
        }
        MaterialParam param;
        static_cast<ParamDesc&>(param) = *it;
        param.store = m_store.get();
        param.index = running[TypeIndex(it->type)];
        running[TypeIndex(it->type)] += it->count < 1 ? 1 : it->count;
        m_params.push_back(param);
    }
    std::sort(m_params.begin(), m_params.end(), NameLess);
}

MaterialParam* MaterialParamBlock::FindOwn(const char* name) const {
    auto it = std::lower_bound(m_params.begin(), m_params.end(), name,
                               [](const MaterialParam& param, const char* text) {
                                   return std::strcmp(param.GetNameText(), text) < 0;
                               });
    if (it == m_params.end() || std::strcmp(it->GetNameText(), name) != 0) {
        return nullptr;
    }
    return const_cast<MaterialParam*>(&*it);
}

MaterialParam* MaterialParamBlock::Find(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (const MaterialParamBlock* block = this; block != nullptr; block = block->m_parent.Get()) {
        if (MaterialParam* param = block->FindOwn(name)) {
            return param;
        }
    }
    return nullptr;
}

bool MaterialParamBlock::Contains(const ParamDesc& declaration) const {
    return Find(declaration.GetNameText()) != nullptr;
}

// ---- MaterialTemplate ----

MaterialTemplate::MaterialTemplate() = default;
MaterialTemplate::~MaterialTemplate() = default;

void MaterialTemplate::AddEffect(const SmartPtr<Effect>& effect) {
    if (!effect) {
        return;
    }
    const std::string& path = effect->GetPath();
    auto place = std::lower_bound(
        m_effects.begin(), m_effects.end(), path,
        [](const SmartPtr<Effect>& held, const std::string& text) { return held->GetPath() < text; });
    if (place != m_effects.end() && (*place)->GetPath() == path) {
        return;
    }
    const size_t at = static_cast<size_t>(place - m_effects.begin());
    if (MergeParams(effect->GetInputs())) {
        m_effects.insert(m_effects.begin() + static_cast<std::ptrdiff_t>(at), effect);
    }
}

bool MaterialTemplate::MergeParams(const std::vector<ParamDesc>& inputs) {
    for (const ParamDesc& input : inputs) {
        auto place = std::lower_bound(m_params.begin(), m_params.end(), input, NameLess);
        if (place == m_params.end() || std::strcmp(place->GetNameText(), input.GetNameText()) != 0) {
            m_params.insert(place, input);
        } else if (place->type != input.type || place->count != input.count) {
            return false;
        }
    }
    return true;
}

}  // namespace Varnok
