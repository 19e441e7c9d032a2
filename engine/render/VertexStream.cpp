// Float layouts and the conversion of integer vertex elements.
#include "engine/render/VertexStream.h"

#include "engine/render/VertexSemantics.h"

#include <cstring>

namespace Varnok {
namespace {

// One component as its plain numeric value (no scaling to 0..1); false for
// a type this does not convert.
bool ReadComponent(const uint8_t* at, uint32_t componentType, float& outValue) {
    switch (componentType) {
        case VertexComponentType::UnsignedByte:
            outValue = static_cast<float>(at[0]);
            return true;
        case VertexComponentType::Byte:
            outValue = static_cast<float>(static_cast<int8_t>(at[0]));
            return true;
        case VertexComponentType::UnsignedShort: {
            uint16_t value;
            std::memcpy(&value, at, sizeof(value));
            outValue = static_cast<float>(value);
            return true;
        }
        case VertexComponentType::Short: {
            int16_t value;
            std::memcpy(&value, at, sizeof(value));
            outValue = static_cast<float>(value);
            return true;
        }
        case VertexComponentType::Float:
            std::memcpy(&outValue, at, sizeof(outValue));
            return true;
        default:
            return false;
    }
}

bool SameSemantic(const SmartPtr<ParamName>& a, const SmartPtr<ParamName>& b) {
    if (a.Get() == b.Get()) {
        return true;
    }
    return a && b && a->GetText() == b->GetText();
}

}  // namespace

VertexStream::~VertexStream() {
    // The source may outlive the stream: it must not call into it afterwards.
    RemoveListeners();
    ReleaseGL();
}

void VertexStream::RemoveListeners() {
    if (!m_source) {
        return;
    }
    m_source->GetLayoutListeners().Remove(
        VertexDataSource::ChangeEvent::DelegateType(this, &VertexStream::OnSourceLayoutChanged));
    m_source->GetDataListeners().Remove(
        VertexDataSource::ChangeEvent::DelegateType(this, &VertexStream::OnSourceDataChanged));
}

void VertexStream::SetSource(const SmartPtr<VertexDataSource>& source) {
    RemoveListeners();
    m_source = source;
    if (m_source) {
        m_source->GetLayoutListeners().Add(VertexDataSource::ChangeEvent::DelegateType(
            this, &VertexStream::OnSourceLayoutChanged));
        m_source->GetDataListeners().Add(VertexDataSource::ChangeEvent::DelegateType(
            this, &VertexStream::OnSourceDataChanged));
    }
}

void VertexStream::OnSourceLayoutChanged(VertexDataSource* source) {
    if (source == m_source.Get()) {
        UpdateLayout(false);
    }
}

void VertexStream::OnSourceDataChanged(VertexDataSource* source) {
    if (source == m_source.Get()) {
        Upload();
    }
}

void VertexStream::UpdateLayout(bool defer) {
    m_floatLayout.clear();
    m_needsConversion = false;
    uint32_t components = 0;
    if (m_source) {
        for (const VertexElement& element : m_source->GetElements()) {
            VertexElement floatElement;
            floatElement.semantic = element.semantic;
            floatElement.componentCount = element.componentCount;
            floatElement.elementType = VertexComponentType::Float;
            floatElement.offset = 4 * components;
            components += element.componentCount;
            if (!SameSemantic(element.semantic, floatElement.semantic) ||
                element.componentCount != floatElement.componentCount ||
                element.offset != floatElement.offset ||
                (element.elementType & kVertexComponentTypeMask) != VertexComponentType::Float) {
                m_needsConversion = true;
            }
            m_floatLayout.push_back(floatElement);
        }
    }
    m_floatStride = 4 * components;
    // Packed floats with room to spare in each vertex are not packed: drawing
    // steps by the float stride, so they are converted too.
    if (m_source && !m_floatLayout.empty() && m_source->GetStride() != m_floatStride) {
        m_needsConversion = true;
    }
    m_layoutListeners.Invoke(this);
    if (!defer) {
        Upload();
    }
}

uint32_t VertexStream::GetVertexCount() const {
    return m_source ? m_source->GetVertexCount() : 0;
}

uint32_t VertexStream::GetByteSize() const {
    return m_floatStride * GetVertexCount();
}

void VertexStream::Upload() {
    if (!m_source) {
        return;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(m_source->LockData());
    if (!m_needsConversion) {
        GLVertexBuffer::Upload(bytes, m_source->GetByteSize());
    } else {
        const uint32_t byteCount = GetByteSize();
        if (!m_conversion || m_conversionBytes != byteCount) {
            m_conversion.reset(new float[byteCount / 4]());
            m_conversionBytes = byteCount;
        }
        Convert(bytes);
        GLVertexBuffer::Upload(m_conversion.get(), byteCount);
    }
    m_source->UnlockData();
}

void VertexStream::Convert(const uint8_t* bytes) {
    if (bytes == nullptr) {
        return;
    }
    const uint32_t vertexCount = m_source->GetVertexCount();
    const uint32_t stride = m_source->GetStride();
    // Components are read only inside the source's bytes.
    const uint64_t available = m_source->GetByteSize();
    float* out = m_conversion.get();
    const float* end = out + m_conversionBytes / 4;
    for (uint32_t v = 0; v < vertexCount; ++v) {
        const uint64_t vertexStart = static_cast<uint64_t>(v) * stride;
        for (const VertexElement& element : m_source->GetElements()) {
            const uint32_t type = element.elementType & kVertexComponentTypeMask;
            const uint32_t size = VertexElementTypeSize(element.elementType);
            for (uint32_t k = 0; k < element.componentCount && out < end; ++k, ++out) {
                const uint64_t at = vertexStart + element.offset + static_cast<uint64_t>(k) * size;
                float value;
                if (at + size <= available && ReadComponent(bytes + at, type, value)) {
                    *out = value;
                }
            }
        }
    }
}

}  // namespace Varnok
