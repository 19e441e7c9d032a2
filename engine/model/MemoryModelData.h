// Vertex and index bytes read from model files, owned in memory, with the
// layout that describes them; GL buffers are made over them when a model is
// turned into drawable meshes.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/GLBuffer.h"
#include "engine/render/MaterialParameter.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace Varnok {

// One declared vertex element: semantic, component count, element type
// (VertexComponentType, plus 0x12000 for colour bytes) and byte offset.
using VertexElementDesc = VertexElement;

// Colour stored as four unsigned bytes.
constexpr uint32_t kVertexElementColourBytes = 0x12000;

class MemoryVertexData : public VertexDataSource {
public:
    MemoryVertexData(std::vector<uint8_t> bytes, uint32_t vertexCount, uint32_t stride,
                     std::vector<VertexElementDesc> elements)
        : m_bytes(std::move(bytes)), m_vertexCount(vertexCount), m_stride(stride),
          m_elements(std::move(elements)) {}

    uint32_t GetVertexCount() const override { return m_vertexCount; }
    uint32_t GetStride() const override { return m_stride; }
    uint32_t GetByteSize() const override { return m_vertexCount * m_stride; }
    const void* LockData() override { return m_bytes.data(); }
    void UnlockData() override {}
    void CopyData(void* destination) const override {
        if (!m_bytes.empty()) {
            std::memcpy(destination, m_bytes.data(), m_bytes.size());
        }
    }
    const void* GetData() const override { return m_bytes.data(); }
    const uint8_t* GetBytes() const { return m_bytes.data(); }
    const std::vector<VertexElementDesc>& GetElements() const override { return m_elements; }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_vertexCount;
    uint32_t m_stride;
    std::vector<VertexElementDesc> m_elements;
};

// Index size 0 (and count 0) stands for a geometry drawn in vertex order.
// Primitive kinds are those of PrimitiveKind.
class MemoryIndexData : public IndexDataSource {
public:
    MemoryIndexData(std::vector<uint8_t> bytes, uint32_t indexCount, uint32_t indexSize,
                    uint32_t kind)
        : m_bytes(std::move(bytes)), m_indexCount(indexCount), m_indexSize(indexSize),
          m_kind(kind) {}

    uint32_t GetIndexSize() const override { return m_indexSize; }  // 0, 2 or 4 bytes
    uint32_t GetIndexCount() const override { return m_indexCount; }
    uint32_t GetPrimitiveKind() const override { return m_kind; }
    const void* LockData() override { return m_bytes.data(); }
    void UnlockData() override {}
    void CopyData(void* destination) const override {
        if (!m_bytes.empty()) {
            std::memcpy(destination, m_bytes.data(), m_bytes.size());
        }
    }
    const void* GetData() const override { return m_bytes.data(); }
    const uint8_t* GetBytes() const { return m_bytes.data(); }
    // The largest index, or -1 without indices.
    int64_t GetMaxIndex() const;
    // A 16-bit copy of 32-bit indices that all fit in 16 bits; null otherwise.
    SmartPtr<MemoryIndexData> Narrowed() const;

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_indexCount;
    uint32_t m_indexSize;
    uint32_t m_kind;
};

// The index buffer of a geometry without indices: drawn in vertex order with
// the record's primitive kind. It has no source and nothing to upload.
class GLEmptyIndexBuffer final : public GLIndexBuffer {
public:
    explicit GLEmptyIndexBuffer(uint32_t kind) : m_kind(kind) {}

    uint32_t GetIndexSize() const override { return 0; }
    uint32_t GetIndexCount() const override { return 0; }
    uint32_t GetPrimitiveKind() const override { return m_kind; }
    int Update() override { return 0; }

private:
    uint32_t m_kind;
};

// The GL index buffer of index data: a GLDataBuffer over it, or an empty
// one of its primitive kind when it holds no indices.
SmartPtr<GLIndexBuffer> MakeIndexBuffer(const SmartPtr<MemoryIndexData>& indices);

}  // namespace Varnok
