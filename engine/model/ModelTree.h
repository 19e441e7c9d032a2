// The generic container of node-tree model files: a tree of nodes, each with
// a data block and ordered children, and the primitives that readers use to
// walk a node's data.
#pragma once

#include "engine/core/AsciiString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Varnok {

// Deeper trees are refused: no model needs more than a handful of levels.
constexpr int kMaxModelTreeDepth = 32;

class ModelTreeNode {
public:
    ModelTreeNode() = default;

    // Parses a node (and its children) from bytes; name is given to every
    // node. Sizes are checked against the bytes that remain, so a lying size
    // or count fails the parse (one log line) instead of reading on.
    [[nodiscard]] bool Parse(const uint8_t* bytes, size_t size, const AsciiString& nodeName,
                             int depth = 0);

    // Data primitives at the read position. Reading past the data block
    // yields zeros and latches HasFailed().
    AsciiString ReadString();  // u16 length, then the characters
    bool ReadBytes(void* destination, size_t n);
    // Points at the next n data bytes and consumes them; null when fewer remain.
    const uint8_t* TakeBytes(size_t n);
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int32_t ReadS32() { return static_cast<int32_t>(ReadU32()); }
    float ReadFloat();
    // u32 r: 0 or past the child count yields null; otherwise child r - 1,
    // rewound to the start of its data.
    ModelTreeNode* ReadChild();

    size_t Remaining() const { return data.size() - readPosition; }
    bool HasFailed() const { return m_failed; }
    void Rewind() {
        readPosition = 0;
        m_failed = false;
    }

    size_t readPosition = 0;
    AsciiString name;  // the model file's directory, on every node
    std::vector<uint8_t> data;
    std::vector<ModelTreeNode> children;

private:
    bool m_failed = false;
};

}  // namespace Varnok
