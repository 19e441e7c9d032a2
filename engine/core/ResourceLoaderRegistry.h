// The process-wide map from a resource type id (TypeInfo<T>::ID) to the
// loader that makes such resources; the model readers register and look up
// their loaders here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace Varnok {

// Base of every registered loader; the registry owns and deletes them.
class ResourceLoader {
public:
    virtual ~ResourceLoader() = default;
};

// Has no lock of its own: callers hold their loader mutex around every
// registration and lookup.
class ResourceLoaderRegistry {
public:
    // Made on first use; destroyed at exit with every loader.
    static ResourceLoaderRegistry& Get();

    // The loader slot of a type id, inserted empty when missing. Assigning
    // the slot deletes the loader it held.
    std::unique_ptr<ResourceLoader>& operator[](int typeId);

private:
    ResourceLoaderRegistry() = default;

    std::map<uint32_t, std::unique_ptr<ResourceLoader>> m_loaders;  // ids ordered unsigned
};

// Hooks the game calls at start-up and shutdown; nothing needs doing yet.
class ResourceSystem {
public:
    static void Initialise() {}
    static void Shutdown() {}
};

}  // namespace Varnok
