// ComponentModel: loading by path and the model's matrix in UI space.
#include "engine/ui/ComponentModel.h"

#include "engine/model/MeshModel.h"
#include "engine/render/Renderer.h"
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

void ComponentModel::Draw() {
    if (!m_model) {
        return;
    }
    Renderer& renderer = Renderer::Get();
    const bool depthWrite = renderer.GetDepthWrite();
    const bool depthTest = renderer.GetDepthTest();
    if (!depthWrite) {
        renderer.SetDepthWrite(true);
    }
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
