// What one piece of a mesh is drawn from: its vertex streams, its index
// buffer and the material template whose effects are its passes, with the
// match of each pass's vertex inputs against the streams, kept until a
// stream, the index buffer or the template changes.
#pragma once

#include "engine/core/EventList.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Effect.h"
#include "engine/render/GLBuffer.h"
#include "engine/render/MaterialParameter.h"
#include "engine/render/VertexStream.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Varnok {

// One vertex attribute's source.
struct StreamSlot {
    int32_t format = 0;  // of the matched element; 0 = any
    int32_t stride = 0;
    int32_t offset = 0;
    SmartPtr<VertexStream> stream;  // null when no stream has the element
};

// The slots of one stream set of an effect ("Position", "Normal", "Diffuse",
// "TexCoord0", "TexCoord1") and the index buffer drawn with them.
struct StreamBinding {
    StreamSlot slots[EffectStreamSet::kSlotCount];
    SmartPtr<GLIndexBuffer> indexBuffer;
};

struct PassBinding {
    Effect* effect = nullptr;  // held by the template
    std::vector<StreamBinding> streams;  // one per stream set of the effect
};

class MeshGeometry : public ReferenceCounter {
public:
    using TemplateEvent = Event1<MeshGeometry*>;

    MeshGeometry() = default;

    // A stream already held is not added again.
    void AddVertexStream(const SmartPtr<VertexStream>& stream);
    // The drawn buffer with an empty name, a kept named one otherwise.
    void SetIndexBuffer(const SmartPtr<GLIndexBuffer>& buffer, const std::string& name);
    // Tells the template listeners when the template really changes.
    void SetTemplate(const SmartPtr<MaterialTemplate>& materialTemplate);

    // The first element, stream by stream, whose semantic is the wanted one
    // (same object or equal text) and whose format matches (or either is 0).
    void FindStream(const SmartPtr<ParamName>& semantic, int32_t format,
                    StreamSlot& outSlot) const;

    // Built on demand: one binding per template effect, in template order.
    const std::vector<PassBinding>& GetPassBindings();

    const SmartPtr<MaterialTemplate>& GetTemplate() const { return m_template; }
    const std::vector<SmartPtr<VertexStream>>& GetVertexStreams() const { return m_vertexStreams; }
    const SmartPtr<GLIndexBuffer>& GetIndexBuffer() const { return m_indexBuffer; }
    // Null when no buffer has that name.
    SmartPtr<GLIndexBuffer> GetNamedIndexBuffer(const std::string& name) const;
    TemplateEvent& GetTemplateListeners() { return m_templateChanged; }
    bool HasPassBindings() const { return !m_passBindings.empty(); }

private:
    SmartPtr<MaterialTemplate> m_template;
    std::vector<SmartPtr<VertexStream>> m_vertexStreams;
    SmartPtr<GLIndexBuffer> m_indexBuffer;
    std::map<std::string, SmartPtr<GLIndexBuffer>> m_namedIndexBuffers;  // kept, never drawn
    std::vector<PassBinding> m_passBindings;
    TemplateEvent m_templateChanged;
};

// One draw item: a geometry, the pass drawn, and a block of its own that
// declares the template's inputs the material and mesh blocks lack.
class MaterialInstance : public ReferenceCounter {
public:
    MaterialInstance(const SmartPtr<MeshGeometry>& geometry,
                     const SmartPtr<MaterialParamBlock>& parent);

    // False, keeping the old pass, when the geometry has no such pass.
    bool SelectPass(int32_t index);
    // Along the chain of blocks; null when absent.
    MaterialParam* FindParam(const char* name) const;

    // Draws the selected pass. Requires: a current GL context.
    void Draw();

    int32_t GetPassIndex() const { return m_passIndex; }
    const SmartPtr<MeshGeometry>& GetGeometry() const { return m_geometry; }
    MaterialParamBlock& GetBlock() const { return *m_block; }

private:
    // Points the attributes at the position stream; the vertex count.
    uint32_t BindStreams(const StreamBinding& binding);

    int32_t m_passIndex = 0;
    SmartPtr<MeshGeometry> m_geometry;
    SmartPtr<MaterialParamBlock> m_block;  // this instance's alone
    std::vector<SmartPtr<Texture>> m_boundTextures;  // during one draw
};

}  // namespace Varnok
