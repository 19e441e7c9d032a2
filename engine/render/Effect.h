// A shader effect: a program from the shader program cache with the inputs it
// declares, found again by path through the one cache of loaded effects.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/GLResource.h"
#include "engine/render/MaterialParameter.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace Varnok {

// The vertex elements an effect reads, matched against a geometry's streams.
struct EffectStreamSet {
    static constexpr int kSlotCount = 5;
    struct Slot {
        SmartPtr<ParamName> semantic;
        int32_t format = 0;  // 0: any
    };
    Slot slots[kSlotCount];
};

class Effect : public ReferenceCounter, public GLResource {
public:
    ~Effect() override;

    // A loaded effect, or null when its program cannot be built.
    static SmartPtr<Effect> Create(const char* path, uint32_t flags);

    // Builds the program named by the path without its extension and
    // declares an input for every uniform of it that the engine does not
    // set itself. False, keeping nothing, when the program cannot be built.
    [[nodiscard]] bool Load(const char* path, uint32_t flags);

    const std::string& GetPath() const { return m_path; }
    uint32_t GetPathHash() const { return m_pathHash; }
    // The program's id in the shader program cache; -1 before a load.
    int32_t GetProgram() const { return m_program; }
    const std::vector<ParamDesc>& GetInputs() const { return m_inputs; }
    std::vector<ParamDesc>& GetInputs() { return m_inputs; }
    const std::vector<EffectStreamSet>& GetStreamSets() const { return m_streamSets; }

    // A live GL resource: there is nothing of its own to release; restoring
    // loads the program again.
    void Release() override {}
    void Restore() override;

private:
    explicit Effect(const char* path);

    std::vector<EffectStreamSet> m_streamSets;
    int32_t m_program = -1;
    std::vector<ParamDesc> m_inputs;
    std::string m_path;
    uint32_t m_pathHash = 0;
};

// Every effect loaded so far, in load order, held until the program exits.
class EffectCache {
public:
    // The loaded effect with that path's hash unless skipLookup, else a new
    // one, appended when it loads. Null when it does not.
    static SmartPtr<Effect> GetOrLoad(const char* path, bool skipLookup, uint32_t flags);

    static int GetCount();
    // Drops the cache's references (tests, shutdown).
    static void Clear();

private:
    static std::list<SmartPtr<Effect>>& List();
};

// The template for model parts that name no material: the unlit effect
// alone. Made on the first call and kept; null (and tried again next time)
// while the effect cannot be loaded.
SmartPtr<MaterialTemplate> GetDefaultMaterialTemplate();

// Drops the default template (tests, shutdown).
void ClearDefaultMaterialTemplate();

}  // namespace Varnok
