// Vertex and index bytes read from model files, owned in memory, with the
// layout that describes them. GL buffers are made over these when a model is
// turned into drawable meshes.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/MaterialParameter.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace Varnok {

// One declared vertex element.
struct VertexElementDesc {
    SmartPtr<ParamName> semantic;  // a VertexSemantics name
    uint32_t componentCount = 0;
    uint32_t elementType = 0;  // VertexComponentType, plus 0x12000 for colour bytes
    uint32_t offset = 0;       // bytes from the vertex start
};

// Colour stored as four unsigned bytes.
constexpr uint32_t kVertexElementColourBytes = 0x12000;

class MemoryVertexData : public ReferenceCounter {
public:
    MemoryVertexData(std::vector<uint8_t> bytes, uint32_t vertexCount, uint32_t stride,
                     std::vector<VertexElementDesc> elements)
        : m_bytes(std::move(bytes)), m_vertexCount(vertexCount), m_stride(stride),
          m_elements(std::move(elements)) {}

    uint32_t GetVertexCount() const { return m_vertexCount; }
    uint32_t GetStride() const { return m_stride; }
    uint32_t GetByteSize() const { return m_vertexCount * m_stride; }
    const uint8_t* GetData() const { return m_bytes.data(); }
    void CopyData(void* destination) const {
        if (!m_bytes.empty()) {
            std::memcpy(destination, m_bytes.data(), m_bytes.size());
        }
    }
    const std::vector<VertexElementDesc>& GetElements() const { return m_elements; }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_vertexCount;
    uint32_t m_stride;
    std::vector<VertexElementDesc> m_elements;
};

// Primitive kinds as index buffers report them.
enum class PrimitiveKind : int32_t {
    Points = 0,
    LineList = 1,
    LineStrip = 2,
    TriangleList = 3,
    TriangleStrip = 4,
    TriangleFan = 5,
};

// Index size 0 (and count 0) stands for a geometry drawn in vertex order.
class MemoryIndexData : public ReferenceCounter {
public:
    MemoryIndexData(std::vector<uint8_t> bytes, uint32_t indexCount, uint32_t indexSize,
                    PrimitiveKind kind)
        : m_bytes(std::move(bytes)), m_indexCount(indexCount), m_indexSize(indexSize),
          m_kind(kind) {}

    uint32_t GetIndexSize() const { return m_indexSize; }  // 0, 2 or 4 bytes
    uint32_t GetIndexCount() const { return m_indexCount; }
    PrimitiveKind GetPrimitiveKind() const { return m_kind; }
    const uint8_t* GetData() const { return m_bytes.data(); }
    void CopyData(void* destination) const {
        if (!m_bytes.empty()) {
            std::memcpy(destination, m_bytes.data(), m_bytes.size());
        }
    }
    // The largest index, or -1 without indices.
    int64_t GetMaxIndex() const;

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_indexCount;
    uint32_t m_indexSize;
    PrimitiveKind m_kind;
};

}  // namespace Varnok
