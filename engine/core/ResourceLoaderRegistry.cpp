// The loader map behind ResourceLoaderRegistry.
#include "engine/core/ResourceLoaderRegistry.h"

namespace Varnok {

ResourceLoaderRegistry& ResourceLoaderRegistry::Get() {
    static ResourceLoaderRegistry s_registry;
    return s_registry;
}

std::unique_ptr<ResourceLoader>& ResourceLoaderRegistry::operator[](int typeId) {
    return m_loaders[static_cast<uint32_t>(typeId)];
}

}  // namespace Varnok
