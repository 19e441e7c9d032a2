// The binary-tree rectangle packer of an atlas page: nodes split the page
// into used and free rectangles, and a new image takes the first free leaf
// that fits.
#pragma once

#include "engine/render/AtlasKey.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class TextureAtlasPage;

// One rectangle of a page's packing tree.
struct AtlasNode {
    int32_t imageWidth = 0;  // 0 while the node holds no image
    int32_t imageHeight = 0;
    // Where the image lies in the page texture.
    float umin = 0.0f;
    float vmin = 0.0f;
    float umax = 0.0f;
    float vmax = 0.0f;
    // Carried unchanged from a layout file; 0 for images packed here.
    float extra[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    AtlasKey key;  // all zero while the node is free
    // In page pixels; right and bottom are exclusive.
    int32_t x = 0;
    int32_t y = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    TextureAtlasPage* page = nullptr;             // the page that owns the node
    int32_t position = 0;                         // in the page's node list
    AtlasNode* children[2] = {nullptr, nullptr};  // owned by the packer; null for a leaf

    bool IsLeaf() const { return children[0] == nullptr && children[1] == nullptr; }
};

// A node of a saved tree: children by position, -1 for none.
struct AtlasNodeRecord {
    AtlasNode node;  // its children and page are ignored
    int32_t position = 0;
    int32_t firstChild = -1;
    int32_t secondChild = -1;
};

class AtlasPacker {
public:
    // A single free root covering width x height. page may be null.
    AtlasPacker(int32_t width, int32_t height, TextureAtlasPage* page);
    AtlasPacker(const AtlasPacker&) = delete;
    AtlasPacker& operator=(const AtlasPacker&) = delete;

    // A free leaf of exactly width x height, splitting leaves on the way; null
    // when nothing fits. The caller fills in the image.
    AtlasNode* Insert(int32_t width, int32_t height);

    // Replaces the tree. Requires: records that CheckTree accepts.
    void SetTree(const std::vector<AtlasNodeRecord>& records);
    // Whether records form a tree that Insert can walk safely on a page of
    // the given size: at least a root, positions in order, every child after
    // its parent and under one parent only, rectangles inside the page. On
    // refusal outReason says why.
    static bool CheckTree(const std::vector<AtlasNodeRecord>& records, int32_t pageWidth,
                          int32_t pageHeight, const char*& outReason);

    AtlasNode* GetRoot() const { return m_nodes.empty() ? nullptr : m_nodes[0].get(); }
    int NodeCount() const { return static_cast<int>(m_nodes.size()); }
    // Null outside 0..NodeCount() - 1.
    AtlasNode* GetNode(int position) const;

private:
    AtlasNode* AppendNode(int32_t x, int32_t y, int32_t right, int32_t bottom);

    std::vector<std::unique_ptr<AtlasNode>> m_nodes;  // node 0 is the root
    TextureAtlasPage* m_page;
};

}  // namespace Varnok
