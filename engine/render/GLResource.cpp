// The process-wide list of live GL resources.
#include "engine/render/GLResource.h"

namespace Varnok {
namespace {

GLResource* s_firstResource = nullptr;

}  // namespace

GLResource::GLResource() : m_next(s_firstResource) {
    s_firstResource = this;
}

GLResource::~GLResource() {
    for (GLResource** link = &s_firstResource; *link != nullptr; link = &(*link)->m_next) {
        if (*link == this) {
            *link = m_next;
            return;
        }
    }
}

GLResource* GLResource::GetFirst() {
    return s_firstResource;
}

}  // namespace Varnok
