// ComponentModel: loading by path and the model's matrix in UI space.
#include "engine/ui/ComponentModel.h"

#include "engine/model/MeshModel.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/ui/ScopedWorldMatrix.h"

namespace Varnok {

const ComponentClassInfo& ComponentModel::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentModel", ComponentClassId::Model,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentModel::ComponentModel()
    : m_modelPath(GetOrAddProperty<AsciiString>(AsciiString("model"), AsciiString())),
      m_modelSize(GetOrAddProperty<Vector3>(AsciiString("modelSize"), Vector3{0.0f, 0.0f, 0.0f})) {
    SetClassInfo(GetStaticClassInfo());
}

ComponentModel::~ComponentModel() = default;

void ComponentModel::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (property != m_modelPath) {
        return;
    }
    const AsciiString& path = m_modelPath->Get();
    if (path.Length() == 0) {
        m_model.Clear();
        return;
    }
    m_model = LoadModel(ModelLoadList::Get(), path);  // the reader logs a failure
}

Matrix4 ComponentModel::BuildModelMatrix() {
    Matrix4 matrix;
    Matrix4::RotateX(matrix, 1.0f, 0.0f);  // models stand up in the UI
    const Vector3& scale = GetWorldScale();
    const Vector3 size = m_modelSize->Get();
    Matrix4::Scale(matrix, scale.x * size.x, scale.y * size.y, scale.z * size.z);
    const Vector3 pivot = GetPivot();
    matrix.m[12] = scale.x * pivot.x;
    matrix.m[13] = scale.y * pivot.y;
    matrix.m[14] = scale.z * pivot.z;
    const Rotation rotation = m_rotation->Get();
    const Angle ax = AngleFromDegrees(rotation.x);
    const Angle ay = AngleFromDegrees(rotation.y);
    const Angle az = AngleFromDegrees(rotation.z);
    Matrix4::RotateX(matrix, SinLookup(ax), CosLookup(ax));
    Matrix4::RotateY(matrix, SinLookup(ay), CosLookup(ay));
    Matrix4::RotateZ(matrix, SinLookup(az), CosLookup(az));
    const Vector3 absolute = GetAbsolutePosition();
    matrix.m[12] += absolute.x;
    matrix.m[13] += absolute.y;
    matrix.m[14] += absolute.z;
    return matrix;
}

void ComponentModel::FlushBatchSoFar() {
    SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
    if (!batch.IsActive()) {
        return;
    }
    // Drawing the batch ends its pass and leaves the transforms and layer
    // matrices as its last layer set them; the pass that resumes after the
    // model must see what the UI had set up.
    RenderTransforms& transforms = RenderTransforms::Get();
    const Matrix4 projection = transforms.Projection().Current();
    const Matrix4 view = transforms.View().Current();
    const Matrix4 world = transforms.World().Current();
    const int32_t layerCount = batch.GetLayerCount();
    if (static_cast<int32_t>(m_savedLayerMatrices.size()) < layerCount) {
        m_savedLayerMatrices.resize(static_cast<size_t>(layerCount));
    }
    for (int32_t i = 0; i < layerCount; ++i) {
        m_savedLayerMatrices[static_cast<size_t>(i)] = batch.LayerMatrix(i);
    }
    const int32_t currentLayer = batch.GetCurrentLayer();
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{1.0f, 0.0f});
    batch.Reset();
    for (int32_t i = 0; i < layerCount; ++i) {
        batch.LayerMatrix(i) = m_savedLayerMatrices[static_cast<size_t>(i)];
    }
    batch.SetCurrentLayer(currentLayer);
    transforms.Projection().Set(projection);
    transforms.View().Set(view);
    transforms.World().Set(world);
    transforms.Apply(false);
}

void ComponentModel::Draw() {
    if (!m_model) {
        return;
    }
    // The model draws straight away; whatever the batch holds lies behind
    // it in the layer's order and must reach the screen first, or the
    // batch's later flush would paint over the model.
    FlushBatchSoFar();
    Renderer& renderer = Renderer::Get();
    const bool depthWrite = renderer.GetDepthWrite();
    const bool depthTest = renderer.GetDepthTest();
    if (!depthWrite) {
        renderer.SetDepthWrite(true);
    }
    // Depth from the batch's items or from the scene below would cut into
    // the model; its faces sort among themselves only. (A masked depth
    // buffer would not clear, hence after the write switch.)
    renderer.ClearDepth();
    if (!depthTest) {
        renderer.SetDepthTest(true);
    }
    {
        const ScopedWorldMatrix keep;
        DrawSortedByDepth(*m_model, BuildModelMatrix());
    }
    if (!depthWrite) {
        renderer.SetDepthWrite(false);
    }
    if (!depthTest) {
        renderer.SetDepthTest(false);
    }
}

}  // namespace Varnok
