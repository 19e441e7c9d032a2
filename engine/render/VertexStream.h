// A vertex buffer over a vertex source that drawing can always bind as
// floats: integer elements, and layouts that are not packed floats, are
// converted before upload.
#pragma once

#include "engine/core/EventList.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/GLBuffer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class VertexStream final : public GLVertexBuffer {
public:
    using LayoutEvent = Event1<VertexStream*>;

    VertexStream() = default;
    ~VertexStream() override;

    // Moves the stream's listeners to the new source: a layout change then
    // rebuilds the layout and uploads, a data change uploads.
    void SetSource(const SmartPtr<VertexDataSource>& source);
    const SmartPtr<VertexDataSource>& GetSource() const { return m_source; }

    // Rebuilds the float layout from the source's elements, tells the layout
    // listeners and, unless deferred, uploads.
    void UpdateLayout(bool defer);
    // Uploads the source's bytes, converted to the float layout when needed.
    void Upload();

    uint32_t GetVertexCount() const override;
    // Of the float layout.
    uint32_t GetStride() const override { return m_floatStride; }
    uint32_t GetByteSize() const override;
    void Update() override { Upload(); }
    const std::vector<VertexElement>& GetElements() const override { return m_floatLayout; }
    void Restore() override { Upload(); }

    bool NeedsConversion() const { return m_needsConversion; }
    // Null until a conversion needed one.
    const float* GetConversionBuffer() const { return m_conversion.get(); }
    LayoutEvent& GetLayoutListeners() { return m_layoutListeners; }

private:
    void OnSourceLayoutChanged(VertexDataSource* source);
    void OnSourceDataChanged(VertexDataSource* source);
    void RemoveListeners();
    void Convert(const uint8_t* bytes);

    LayoutEvent m_layoutListeners;
    uint32_t m_floatStride = 0;
    std::unique_ptr<float[]> m_conversion;
    uint32_t m_conversionBytes = 0;
    std::vector<VertexElement> m_floatLayout;  // float elements, packed in source order
    SmartPtr<VertexDataSource> m_source;
    bool m_needsConversion = false;
};

}  // namespace Varnok
