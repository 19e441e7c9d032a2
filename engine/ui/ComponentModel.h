// A 3D model inside the UI: placed at the visual's pivot, scaled with it
// and "modelSize", turned by the full three-axis "rotation". It ignores the
// outline and clipping.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/ui/ComponentVisual.h"

#include <vector>

namespace Varnok {

class MeshModel;

class ComponentModel : public ComponentVisual {
public:
    ComponentModel();
    ~ComponentModel() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void Draw() override;
    // A change of "model" loads it (an empty path releases it).
    void OnPropertyChanged(UIPropertyBase* property) override;

    const SmartPtr<MeshModel>& GetModel() const { return m_model; }
    // The world matrix Draw hands to the depth-sorted drawing.
    Matrix4 BuildModelMatrix();

private:
    // Draws what the batch queued so far and starts its pass afresh with the
    // same layer, layer matrices and transforms.
    void FlushBatchSoFar();

    UIProperty<AsciiString>* m_modelPath;
    UIProperty<Vector3>* m_modelSize;
    SmartPtr<MeshModel> m_model;
    std::vector<Matrix4> m_savedLayerMatrices;  // kept to spare a per-frame allocation
};

}  // namespace Varnok
