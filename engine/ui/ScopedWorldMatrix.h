// Keeps the world matrix across drawing that sets its own (vector sprites,
// models): the 2D batch takes the world matrix current when each later
// element is queued, so a leaked one would move everything after it.
#pragma once

#include "engine/render/RenderTransforms.h"

namespace Varnok {

class ScopedWorldMatrix {
public:
    ScopedWorldMatrix() : m_saved(RenderTransforms::Get().World().Current()) {}
    ~ScopedWorldMatrix() {
        RenderTransforms& transforms = RenderTransforms::Get();
        transforms.World().Set(m_saved);
        transforms.Apply(true);
    }
    ScopedWorldMatrix(const ScopedWorldMatrix&) = delete;
    ScopedWorldMatrix& operator=(const ScopedWorldMatrix&) = delete;

private:
    Matrix4 m_saved;
};

}  // namespace Varnok
