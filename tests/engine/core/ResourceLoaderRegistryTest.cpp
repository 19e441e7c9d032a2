#include "engine/core/ResourceLoaderRegistry.h"

#include "engine/core/TypeInfo.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

struct RegistryMesh {};
struct RegistryModel {};

class CountedLoader : public ResourceLoader {
public:
    explicit CountedLoader(int& alive) : m_alive(alive) { ++m_alive; }
    ~CountedLoader() override { --m_alive; }

private:
    int& m_alive;
};

TEST(ResourceLoaderRegistry, SlotsByTypeId) {
    ResourceLoaderRegistry& registry = ResourceLoaderRegistry::Get();
    EXPECT_EQ(&registry, &ResourceLoaderRegistry::Get());

    const int meshId = TypeInfo<RegistryMesh>::ID;
    const int modelId = TypeInfo<RegistryModel>::ID;
    ASSERT_NE(meshId, modelId);
    EXPECT_EQ(registry[meshId], nullptr);  // a missing entry answers an empty slot

    int alive = 0;
    registry[meshId] = std::make_unique<CountedLoader>(alive);
    ResourceLoader* first = registry[meshId].get();
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(registry[modelId], nullptr);

    // Replacing a loader deletes the old one.
    registry[meshId] = std::make_unique<CountedLoader>(alive);
    EXPECT_EQ(alive, 1);
    EXPECT_NE(registry[meshId].get(), nullptr);

    registry[meshId].reset();
    EXPECT_EQ(alive, 0);
}

}  // namespace
}  // namespace Varnok
