// Effect loading through the shader program cache, and the effect cache.
#include "engine/render/Effect.h"

#include "engine/core/HashName.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/VertexSemantics.h"

#include <cstring>

namespace Varnok {
namespace {

constexpr const char* kDefaultEffectPath = "shaders/gles2/common/gles1_vertex_unlit";

// The uniforms the program cache sets itself.
bool IsEngineUniform(const char* name) {
    static const char* const kNames[] = {"displaycolour", "diffusetexture", "viewmatrix",
                                         "projectionmatrix", "texturematrix", "worldmatrix",
                                         "worldmatrixrot"};
    for (const char* engineName : kNames) {
        if (std::strcmp(engineName, name) == 0) {
            return true;
        }
    }
    return false;
}

// The path without the extension of its file name.
std::string WithoutExtension(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path;
    }
    return path.substr(0, dot);
}

SmartPtr<MaterialTemplate> s_defaultTemplate;

}  // namespace

Effect::Effect(const char* path) : m_path(path != nullptr ? path : "") {
    m_pathHash = HashName(m_path.c_str(), static_cast<int>(m_path.size()));
}

Effect::~Effect() = default;

SmartPtr<Effect> Effect::Create(const char* path, uint32_t flags) {
    SmartPtr<Effect> effect(new Effect(path));
    if (!effect->Load(path, flags)) {
        return nullptr;
    }
    return effect;
}

bool Effect::Load(const char* path, uint32_t /*flags*/) {
    m_streamSets.clear();
    // A reload (a restore) declares the inputs afresh.
    m_inputs.clear();
    m_path = path != nullptr ? path : "";
    m_pathHash = HashName(m_path.c_str(), static_cast<int>(m_path.size()));

    EffectStreamSet set;
    const SmartPtr<ParamName> names[EffectStreamSet::kSlotCount] = {
        GetVertexSemantic(VertexSemantic::Position), GetVertexSemantic(VertexSemantic::Normal),
        GetVertexSemantic(VertexSemantic::Diffuse), GetVertexSemantic(VertexSemantic::TexCoord0),
        MakeParamName("TexCoord1")};
    for (int i = 0; i < EffectStreamSet::kSlotCount; ++i) {
        set.slots[i].semantic = names[i];
    }
    m_streamSets.push_back(set);

    const std::string programName = WithoutExtension(m_path);
    ShaderProgram* program = ShaderProgramCache::Get().FindOrCreate(
        programName.c_str(), ShaderProgramCache::kAutomaticId, nullptr);
    if (program == nullptr) {
        m_program = -1;  // the cache has said why
        return false;
    }
    m_program = program->GetId();

    for (const ShaderDeclaration& declaration : program->GetDeclarations()) {
        const char* name = declaration.name.c_str();
        ParamType type;
        if (declaration.isAttribute || IsEngineUniform(name) ||
            !ParamTypeFromGlsl(declaration.type.c_str(), type)) {
            continue;
        }
        // A uniform declared in both stages is one input.
        bool known = false;
        for (const ParamDesc& input : m_inputs) {
            known = known || std::strcmp(input.GetNameText(), name) == 0;
        }
        if (known) {
            continue;
        }
        ParamDesc input(MakeParamName(name), type, 1);
        input.SetLocation(*program, program->GetUniformLocation(name));
        m_inputs.push_back(input);
    }
    return true;
}

void Effect::Restore() {
    const std::string path = m_path;
    // A failure leaves no program; the cache has logged it.
    (void)Load(path.c_str(), 0);
}

std::list<SmartPtr<Effect>>& EffectCache::List() {
    static std::list<SmartPtr<Effect>> s_effects;
    return s_effects;
}

SmartPtr<Effect> EffectCache::GetOrLoad(const char* path, bool skipLookup, uint32_t flags) {
    const char* text = path != nullptr ? path : "";
    if (!skipLookup) {
        const uint32_t hash = HashName(text, static_cast<int>(std::strlen(text)));
        for (const SmartPtr<Effect>& effect : List()) {
            if (effect->GetPathHash() == hash) {
                return effect;
            }
        }
    }
    SmartPtr<Effect> effect = Effect::Create(text, flags);
    if (effect) {
        List().push_back(effect);
    }
    return effect;
}

int EffectCache::GetCount() {
    return static_cast<int>(List().size());
}

void EffectCache::Clear() {
    List().clear();
}

SmartPtr<MaterialTemplate> GetDefaultMaterialTemplate() {
    if (!s_defaultTemplate) {
        SmartPtr<Effect> effect = EffectCache::GetOrLoad(kDefaultEffectPath, true, 0);
        if (!effect) {
            return nullptr;
        }
        SmartPtr<MaterialTemplate> material(new MaterialTemplate());
        material->AddEffect(effect);
        s_defaultTemplate = material;
    }
    return s_defaultTemplate;
}

void ClearDefaultMaterialTemplate() {
    s_defaultTemplate = nullptr;
}

}  // namespace Varnok
