#include "engine/render/BatchTextureCache.h"

#include "engine/render/Texture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

// A texture carrying a mesh and a chosen hash, as a ".tex" file would give it.
class MeshTexture final : public Texture {
public:
    MeshTexture(uint32_t hash, std::vector<TexturePair> pairs, std::vector<uint16_t> indices,
                uint32_t extraWord)
        : m_hash(hash) {
        MemoryTextureImage image;
        image.pairList = std::move(pairs);
        image.shortList = std::move(indices);
        image.extraWord = extraWord;
        TakeImageInfo(image, PixelDescriptor{});
    }
    uint32_t GetHash() const override { return m_hash; }

private:
    uint32_t m_hash;
};

class BatchTextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ClearBatchTextureCache(); }
    void TearDown() override { ClearBatchTextureCache(); }
};

TEST_F(BatchTextureCacheTest, BuildsOneIndexNodeOverACopyOfTheMesh) {
    SmartPtr<Texture> texture(
        new MeshTexture(0x1234, {{1, 2}, {3, 4}, {1, 2}, {5, 6}}, {0, 1, 3, 1, 2, 3}, 2));
    BatchTextureEntry* entry = BatchTextureCache::Get().GetEntry(texture.Get());
    ASSERT_NE(entry, nullptr);
    const BatchIndexSet& set = entry->GetIndexSet();
    ASSERT_EQ(set.GetVertexTable().size(), 4u);
    EXPECT_EQ(set.GetVertexTable()[3].first, 5u);
    EXPECT_EQ(set.GetVertexTable()[3].second, 6u);

    const struct {
        TexturePair pair;
        bool found;
        uint16_t position;
    } lookups[] = {
        {{1, 2}, true, 2},  // repeated: the last position wins
        {{3, 4}, true, 1},
        {{5, 6}, true, 3},
        {{2, 1}, false, 0},
    };
    for (const auto& lookup : lookups) {
        SCOPED_TRACE(lookup.pair.first);
        uint16_t position = 0xFFFF;
        EXPECT_EQ(set.FindPair(lookup.pair, position), lookup.found);
        if (lookup.found) {
            EXPECT_EQ(position, lookup.position);
        }
    }

    const BatchIndexNode* node = set.GetFirstNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->next, nullptr);
    EXPECT_EQ(std::vector<uint16_t>(node->indices.begin(), node->indices.end()),
              (std::vector<uint16_t>{0, 1, 3, 1, 2, 3}));
    EXPECT_EQ(node->value, 2u);
    EXPECT_EQ(node->firstVertex, 0);
    EXPECT_EQ(node->vertexCount, 4);
    for (int slot = 0; slot < BatchIndexSet::kSlotCount - 1; ++slot) {
        EXPECT_EQ(set.GetSlot(slot), node) << slot;
    }
    EXPECT_EQ(set.GetSlot(BatchIndexSet::kSlotCount - 1), nullptr);
    EXPECT_FALSE(set.IsBusy());
    EXPECT_GE(entry->GetPool().GetPageCount(), 1);  // the containers live in the entry's pool
}

TEST_F(BatchTextureCacheTest, EntriesAreSharedByHashUntilCleared) {
    SmartPtr<Texture> first(new MeshTexture(7, {{1, 1}}, {0}, 0));
    SmartPtr<Texture> sameHash(new MeshTexture(7, {{9, 9}, {8, 8}}, {0, 1}, 0));
    SmartPtr<Texture> other(new MeshTexture(8, {}, {}, 0));
    BatchTextureCache& cache = BatchTextureCache::Get();
    BatchTextureEntry* entry = cache.GetEntry(first.Get());
    EXPECT_EQ(cache.GetEntry(sameHash.Get()), entry);
    EXPECT_EQ(entry->GetIndexSet().GetVertexTable().size(), 1u);  // the first one's data
    EXPECT_NE(cache.GetEntry(other.Get()), entry);
    EXPECT_EQ(cache.EntryCount(), 2);

    ClearBatchTextureCache();
    EXPECT_EQ(cache.EntryCount(), 0);
    EXPECT_EQ(cache.GetEntry(sameHash.Get())->GetIndexSet().GetVertexTable().size(), 2u);
}

TEST_F(BatchTextureCacheTest, TexturesWithoutAMeshGetAnEmptyEntry) {
    SmartPtr<Texture> plain(new MeshTexture(3, {}, {}, 0));
    for (const Texture* texture :
         {static_cast<const Texture*>(plain.Get()), static_cast<const Texture*>(nullptr)}) {
        BatchTextureEntry* entry = BatchTextureCache::Get().GetEntry(texture);
        ASSERT_NE(entry, nullptr);
        const BatchIndexSet& set = entry->GetIndexSet();
        EXPECT_TRUE(set.GetVertexTable().empty());
        ASSERT_NE(set.GetFirstNode(), nullptr);
        EXPECT_TRUE(set.GetFirstNode()->indices.empty());
        EXPECT_EQ(set.GetFirstNode()->vertexCount, 0);
    }
}

// Positions are 16-bit: pairs past 65535 cannot be looked up, and say so.
TEST_F(BatchTextureCacheTest, PairsPastSixteenBitPositionsAreNotIndexed) {
    std::vector<TexturePair> pairs(70000);
    for (uint32_t i = 0; i < pairs.size(); ++i) {
        pairs[i] = TexturePair{i, 0};
    }
    SmartPtr<Texture> texture(new MeshTexture(11, pairs, {0, 1, 2}, 0));
    testing::internal::CaptureStderr();
    BatchTextureEntry* entry = BatchTextureCache::Get().GetEntry(texture.Get());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("only the first 65536"),
              std::string::npos);
    const BatchIndexSet& set = entry->GetIndexSet();
    EXPECT_EQ(set.GetVertexTable().size(), 70000u);
    uint16_t position = 0;
    EXPECT_TRUE(set.FindPair({65535, 0}, position));
    EXPECT_EQ(position, 65535);
    EXPECT_FALSE(set.FindPair({65536, 0}, position));
    EXPECT_EQ(set.GetFirstNode()->vertexCount, 0xFFFF);
}

}  // namespace
}  // namespace Varnok
