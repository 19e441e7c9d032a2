// GL buffer uploads and the index buffer over an index source.
#include "engine/render/GLBuffer.h"

#include <GLES2/gl2.h>

namespace Varnok {

// ---- GLBufferStorage ----

void GLBufferStorage::Upload(const void* bytes, uint32_t byteCount) {
    if (byteCount == 0) {
        Delete();
        return;
    }
    if (m_name == 0) {
        glGenBuffers(1, &m_name);
        m_capacity = 0;
    }
    m_size = byteCount;
    glBindBuffer(m_target, m_name);
    // Shrinking below half the allocation gives the memory back; anything
    // else that fits is written over the start.
    if (byteCount < m_capacity / 2 || byteCount > m_capacity) {
        m_capacity = byteCount;
        glBufferData(m_target, static_cast<GLsizeiptr>(byteCount), bytes, GL_STATIC_DRAW);
    } else if (bytes != nullptr) {
        glBufferSubData(m_target, 0, static_cast<GLsizeiptr>(byteCount), bytes);
    }
    glBindBuffer(m_target, 0);
}

void GLBufferStorage::Bind() const {
    glBindBuffer(m_target, m_name);
}

void GLBufferStorage::Delete() {
    if (m_name != 0) {
        glDeleteBuffers(1, &m_name);
    }
    m_name = 0;
    m_capacity = 0;
}

// ---- GLIndexBuffer ----

GLIndexBuffer::GLIndexBuffer() : m_storage(GL_ELEMENT_ARRAY_BUFFER) {}

GLIndexBuffer::~GLIndexBuffer() = default;

uint32_t GLIndexBuffer::GetPrimitiveMode() const {
    uint32_t mode = GL_POINTS;
    GLModeForPrimitiveKind(GetPrimitiveKind(), mode);
    return mode;
}

// ---- GLDataBuffer ----

GLDataBuffer::GLDataBuffer(const SmartPtr<IndexDataSource>& source) {
    SetSource(source);
}

GLDataBuffer::~GLDataBuffer() {
    SetSource(nullptr);
}

void GLDataBuffer::SetSource(const SmartPtr<IndexDataSource>& source) {
    if (source == m_source) {
        return;
    }
    const IndexDataSource::ChangeEvent::DelegateType listener(this, &GLDataBuffer::OnSourceChanged);
    if (m_source) {
        m_source->GetChangeListeners().Remove(listener);
    }
    m_source = source;
    m_dirty = true;
    if (m_source) {
        m_source->GetChangeListeners().Add(listener);
    }
}

void GLDataBuffer::OnSourceChanged(IndexDataSource* source) {
    if (source == m_source.Get()) {
        m_dirty = true;
    }
}

uint32_t GLDataBuffer::GetIndexSize() const {
    return m_source ? m_source->GetIndexSize() : 0;
}

uint32_t GLDataBuffer::GetIndexCount() const {
    return m_source ? m_source->GetIndexCount() : 0;
}

uint32_t GLDataBuffer::GetPrimitiveKind() const {
    return m_source ? m_source->GetPrimitiveKind() : PrimitiveKind::Points;
}

int GLDataBuffer::Update() {
    if (!m_dirty) {
        return 0;
    }
    if (m_source) {
        const void* bytes = m_source->LockData();
        Upload(bytes, GetIndexCount() * GetIndexSize());
        m_source->UnlockData();
    }
    m_dirty = false;
    return 0;
}

// ---- GLVertexBuffer ----

GLVertexBuffer::GLVertexBuffer() : m_storage(GL_ARRAY_BUFFER) {}

GLVertexBuffer::~GLVertexBuffer() = default;

}  // namespace Varnok
