// Model geometry on the GPU: the sources that hold index and vertex bytes,
// and the GL buffer objects that copy them into GL.
#pragma once

#include "engine/core/EventList.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/GLResource.h"
#include "engine/render/MaterialParameter.h"
#include "engine/render/PrimitiveKind.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// One element of a vertex layout.
struct VertexElement {
    SmartPtr<ParamName> semantic;
    uint32_t componentCount = 0;
    uint32_t elementType = 0;  // component type in the low 12 bits (VertexComponentType)
    uint32_t offset = 0;       // bytes from the start of a vertex
};

// Index bytes and what they draw. Changes are announced to the listeners.
class IndexDataSource : public virtual ReferenceCounter {
public:
    using ChangeEvent = Event1<IndexDataSource*>;

    ~IndexDataSource() override = default;

    virtual uint32_t GetIndexSize() const = 0;  // bytes per index
    virtual uint32_t GetIndexCount() const = 0;
    virtual uint32_t GetPrimitiveKind() const = 0;
    // The index bytes for an upload; UnlockData ends the access.
    virtual const void* LockData() = 0;
    virtual void UnlockData() = 0;
    // Copies count x size bytes.
    virtual void CopyData(void* destination) const = 0;
    virtual const void* GetData() const = 0;

    ChangeEvent& GetChangeListeners() { return m_changeListeners; }

private:
    ChangeEvent m_changeListeners;
};

// Vertex bytes and their layout. Layout changes and data changes are
// announced to separate listeners.
class VertexDataSource : public virtual ReferenceCounter {
public:
    using ChangeEvent = Event1<VertexDataSource*>;

    ~VertexDataSource() override = default;

    virtual uint32_t GetVertexCount() const = 0;
    virtual uint32_t GetStride() const = 0;  // bytes per vertex
    virtual uint32_t GetByteSize() const = 0;
    virtual const void* LockData() = 0;
    virtual void UnlockData() = 0;
    virtual void CopyData(void* destination) const = 0;
    virtual const void* GetData() const = 0;
    virtual const std::vector<VertexElement>& GetElements() const = 0;

    ChangeEvent& GetLayoutListeners() { return m_layoutListeners; }
    ChangeEvent& GetDataListeners() { return m_dataListeners; }

private:
    ChangeEvent m_layoutListeners;
    ChangeEvent m_dataListeners;
};

// One GL buffer object and the size rules of its uploads.
class GLBufferStorage {
public:
    explicit GLBufferStorage(uint32_t target) : m_target(target) {}
    ~GLBufferStorage() { Delete(); }
    GLBufferStorage(const GLBufferStorage&) = delete;
    GLBufferStorage& operator=(const GLBufferStorage&) = delete;

    // 0 bytes delete the buffer. Otherwise the buffer is allocated anew
    // (GL_STATIC_DRAW) when the count is above the capacity or below half of
    // it, else its start is overwritten; null bytes overwrite nothing.
    void Upload(const void* bytes, uint32_t byteCount);
    void Bind() const;
    void Delete();

    uint32_t GetName() const { return m_name; }
    uint32_t GetCapacity() const { return m_capacity; }  // last allocation; 0 when none
    uint32_t GetSize() const { return m_size; }          // last upload

private:
    uint32_t m_target;
    uint32_t m_capacity = 0;
    uint32_t m_size = 0;
    uint32_t m_name = 0;
};

// An index buffer (GL_ELEMENT_ARRAY_BUFFER).
class GLIndexBuffer : public virtual ReferenceCounter, public GLResource {
public:
    ~GLIndexBuffer() override;

    virtual uint32_t GetIndexSize() const = 0;
    virtual uint32_t GetIndexCount() const = 0;
    virtual uint32_t GetPrimitiveKind() const = 0;
    // Deletes the GL buffer.
    virtual void ReleaseGL() { m_storage.Delete(); }
    virtual void MarkDirty() {}
    // Brings the GL data up to date; 0.
    virtual int Update() = 0;

    void Upload(const void* bytes, uint32_t byteCount) { m_storage.Upload(bytes, byteCount); }
    void Bind() const { m_storage.Bind(); }
    // The GL draw mode of the primitive kind; GL_POINTS for unknown kinds.
    uint32_t GetPrimitiveMode() const;

    uint32_t GetGLName() const { return m_storage.GetName(); }
    uint32_t GetCapacity() const { return m_storage.GetCapacity(); }
    uint32_t GetSize() const { return m_storage.GetSize(); }

    void Release() override { ReleaseGL(); }
    void Restore() override {}

protected:
    GLIndexBuffer();

private:
    GLBufferStorage m_storage;
};

// An index buffer over an index source: any number of source changes
// between two draws cost one upload, at the next Update.
class GLDataBuffer final : public GLIndexBuffer {
public:
    explicit GLDataBuffer(const SmartPtr<IndexDataSource>& source);
    ~GLDataBuffer() override;

    void SetSource(const SmartPtr<IndexDataSource>& source);
    const SmartPtr<IndexDataSource>& GetSource() const { return m_source; }

    // Forwarded to the source (0 without one).
    uint32_t GetIndexSize() const override;
    uint32_t GetIndexCount() const override;
    uint32_t GetPrimitiveKind() const override;
    void MarkDirty() override { m_dirty = true; }
    // Uploads count x size bytes from the source when dirty.
    int Update() override;
    void Restore() override { m_dirty = true; }

    bool IsDirty() const { return m_dirty; }

private:
    void OnSourceChanged(IndexDataSource* source);

    bool m_dirty = true;
    SmartPtr<IndexDataSource> m_source;
};

// A vertex buffer (GL_ARRAY_BUFFER).
class GLVertexBuffer : public virtual ReferenceCounter, public GLResource {
public:
    ~GLVertexBuffer() override;

    virtual uint32_t GetVertexCount() const = 0;
    virtual uint32_t GetStride() const = 0;
    virtual uint32_t GetByteSize() const = 0;
    virtual void ReleaseGL() { m_storage.Delete(); }
    virtual void Update() {}
    // The layout that drawing binds.
    virtual const std::vector<VertexElement>& GetElements() const = 0;

    void Upload(const void* bytes, uint32_t byteCount) { m_storage.Upload(bytes, byteCount); }
    void Bind() const { m_storage.Bind(); }

    uint32_t GetGLName() const { return m_storage.GetName(); }
    uint32_t GetCapacity() const { return m_storage.GetCapacity(); }
    uint32_t GetSize() const { return m_storage.GetSize(); }

    void Release() override { ReleaseGL(); }
    void Restore() override {}

protected:
    GLVertexBuffer();

private:
    GLBufferStorage m_storage;
};

}  // namespace Varnok
