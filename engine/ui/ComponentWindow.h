// A texture drawn as a nine-patch: corners keep their size, edges and the
// middle stretch to the window. The cut comes from a segmentation file (or
// the built-in one); the middle may come from a texture of its own.
#pragma once

#include "engine/ui/ComponentTexture.h"
#include "engine/ui/NinePatchSegmentation.h"

namespace Varnok {

// One batch submission: a run of triangles sharing texture and mode.
struct NinePatchRun {
    int32_t first = 0;  // into the window's triangle vertices
    int32_t count = 0;
    SmartPtr<Texture> texture;
    int32_t mode = 0;  // 0 by the texture's alpha, 1 translucent, 2 opaque
};

class ComponentWindow : public ComponentTexture {
public:
    ComponentWindow();
    ~ComponentWindow() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void Draw() override;
    Component* Clone() const override;
    // Loading finished: the segmentation and the main body are read; once
    // loaded, a change of "smetafile" or "mainbody" reads them again.
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;

    // Reads "smetafile" again (nothing is cached); the built-in cut when it
    // is empty or unusable.
    void LoadSegmentationFile();
    void LoadMainBodyTexture();

    const NinePatchSegmentation& GetSegmentation() const { return m_segmentation; }
    const NinePatchSegmentation& GetSegmentationUV() const { return m_segmentationUV; }
    const std::vector<NinePatchRun>& GetRuns() const { return m_ninePatchRuns; }
    const std::vector<ImmediateVertex>& GetTriangleVertices() const { return m_ninePatchVertices; }
    // A segment's clipped polygon in drawing order; empty when clipped away.
    const std::vector<ImmediateVertex>& GetSegmentVertices(int segment) const {
        return m_segmentVertices[segment];
    }

private:
    void BuildNinePatch();
    void BuildDrawRuns();

    UIProperty<float>* m_componentScale;
    UIProperty<AsciiString>* m_segmentationFile;
    UIProperty<AsciiString>* m_mainBody;
    UIProperty<bool>* m_drawNinePatch;
    UIProperty<bool>* m_scaleIfTooSmall;

    NinePatchSegmentation m_segmentation;
    NinePatchSegmentation m_segmentationUV;
    SmartPtr<Texture> m_mainBodyTexture;
    std::vector<ImmediateVertex> m_segmentVertices[NinePatchSegment::Count];
    std::vector<NinePatchRun> m_ninePatchRuns;
    std::vector<ImmediateVertex> m_ninePatchVertices;
    UIVertexList m_segmentQuad;
    UIVertexList m_segmentClipped;
    UIVertexList m_segmentScratch;
};

}  // namespace Varnok
