// Packing-tree insertion and the checks that make a saved tree safe to use.
#include "engine/render/AtlasPacker.h"

namespace Varnok {

AtlasPacker::AtlasPacker(int32_t width, int32_t height, TextureAtlasPage* page) : m_page(page) {
    AppendNode(0, 0, width, height);
}

AtlasNode* AtlasPacker::GetNode(int position) const {
    if (position < 0 || position >= NodeCount()) {
        return nullptr;
    }
    return m_nodes[position].get();
}

AtlasNode* AtlasPacker::AppendNode(int32_t x, int32_t y, int32_t right, int32_t bottom) {
    auto node = std::make_unique<AtlasNode>();
    node->x = x;
    node->y = y;
    node->right = right;
    node->bottom = bottom;
    node->page = m_page;
    node->position = NodeCount();
    m_nodes.push_back(std::move(node));
    return m_nodes.back().get();
}

AtlasNode* AtlasPacker::Insert(int32_t width, int32_t height) {
    // Depth first, first child before second. A walk with its own stack: a
    // loaded tree may be as deep as it has nodes.
    std::vector<AtlasNode*> pending;
    if (AtlasNode* root = GetRoot()) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        AtlasNode* node = pending.back();
        pending.pop_back();
        if (!node->IsLeaf()) {
            for (int i = 1; i >= 0; --i) {
                if (node->children[i] != nullptr) {
                    pending.push_back(node->children[i]);
                }
            }
            continue;
        }
        if (node->key.IsValid()) {
            continue;
        }
        const int32_t freeWidth = node->right - node->x;
        const int32_t freeHeight = node->bottom - node->y;
        if (freeWidth < width || freeHeight < height) {
            continue;
        }
        if (freeWidth == width && freeHeight == height) {
            return node;
        }
        // Split off the rectangle along the side that leaves the larger rest,
        // then carry on in the part that holds it.
        const int32_t x = node->x;
        const int32_t y = node->y;
        const int32_t right = node->right;
        const int32_t bottom = node->bottom;
        AtlasNode* first;
        AtlasNode* second;
        if (bottom - height - y >= right - width - x) {
            first = AppendNode(x, y, right, y + height);
            second = AppendNode(x, y + height, right, bottom);
        } else {
            first = AppendNode(x, y, x + width, bottom);
            second = AppendNode(x + width, y, right, bottom);
        }
        node->children[0] = first;
        node->children[1] = second;
        pending.push_back(first);
    }
    return nullptr;
}

bool AtlasPacker::CheckTree(const std::vector<AtlasNodeRecord>& records, int32_t pageWidth,
                            int32_t pageHeight, const char*& outReason) {
    const int32_t count = static_cast<int32_t>(records.size());
    if (count == 0) {
        outReason = "a page without a root node";
        return false;
    }
    std::vector<bool> hasParent(records.size(), false);
    for (int32_t i = 0; i < count; ++i) {
        const AtlasNodeRecord& record = records[i];
        if (record.position != i) {
            outReason = "a node position out of order";
            return false;
        }
        const AtlasNode& node = record.node;
        if (node.x < 0 || node.y < 0 || node.x > node.right || node.y > node.bottom ||
            node.right > pageWidth || node.bottom > pageHeight) {
            outReason = "a node rectangle outside the page";
            return false;
        }
        if (node.imageWidth < 0 || node.imageHeight < 0) {
            outReason = "a negative image size";
            return false;
        }
        const int32_t children[2] = {record.firstChild, record.secondChild};
        for (int32_t child : children) {
            if (child == -1) {
                continue;
            }
            // A child after its parent with one parent only: the walk ends.
            if (child <= i || child >= count) {
                outReason = "a child node index out of range";
                return false;
            }
            if (hasParent[child]) {
                outReason = "a node with two parents";
                return false;
            }
            hasParent[child] = true;
        }
    }
    return true;
}

void AtlasPacker::SetTree(const std::vector<AtlasNodeRecord>& records) {
    m_nodes.clear();
    m_nodes.reserve(records.size());
    for (const AtlasNodeRecord& record : records) {
        auto node = std::make_unique<AtlasNode>(record.node);
        node->page = m_page;
        node->position = record.position;
        node->children[0] = nullptr;
        node->children[1] = nullptr;
        m_nodes.push_back(std::move(node));
    }
    for (size_t i = 0; i < records.size(); ++i) {
        const int32_t children[2] = {records[i].firstChild, records[i].secondChild};
        for (int c = 0; c < 2; ++c) {
            m_nodes[i]->children[c] = GetNode(children[c]);
        }
    }
}

}  // namespace Varnok
