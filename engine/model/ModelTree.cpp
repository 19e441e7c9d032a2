// Parsing the node-tree container and reading node data.
#include "engine/model/ModelTree.h"

#include "engine/core/Log.h"
#include "engine/model/internal/ByteCursor.h"

#include <cstring>

namespace Varnok {

bool ModelTreeNode::Parse(const uint8_t* bytes, size_t size, const AsciiString& nodeName,
                          int depth) {
    name = nodeName;
    readPosition = 0;
    m_failed = false;
    data.clear();
    children.clear();
    if (depth > kMaxModelTreeDepth) {
        Log("ModelTree: nodes nested deeper than %d levels", kMaxModelTreeDepth);
        return false;
    }

    ByteCursor cursor(bytes, size);
    cursor.ReadU32();  // tag, no meaning here
    const uint32_t childCount = cursor.ReadU32();
    uint32_t nextSize = cursor.ReadU32();
    if (cursor.HasFailed()) {
        Log("ModelTree: node header cut short");
        return false;
    }
    // Every child costs at least its size word, so a larger count lies.
    if (childCount > cursor.Remaining() / 4) {
        Log("ModelTree: node declares %u children in %zu bytes", childCount, cursor.Remaining());
        return false;
    }
    children.reserve(childCount);
    for (uint32_t i = 0; i < childCount; ++i) {
        const uint8_t* childBytes = cursor.Take(nextSize);
        if (childBytes == nullptr) {
            Log("ModelTree: child of %u bytes with %zu left", nextSize, cursor.Remaining());
            return false;
        }
        children.emplace_back();
        if (!children.back().Parse(childBytes, nextSize, nodeName, depth + 1)) {
            return false;
        }
        nextSize = cursor.ReadU32();
        if (cursor.HasFailed()) {
            Log("ModelTree: node cut short after child %u", i);
            return false;
        }
    }
    const uint32_t skipWords = nextSize;
    if (skipWords > cursor.Remaining() / 4 || !cursor.Skip(static_cast<size_t>(skipWords) * 4)) {
        Log("ModelTree: %u skipped words with %zu bytes left", skipWords, cursor.Remaining());
        return false;
    }
    const uint32_t dataLength = cursor.ReadU32();
    const uint8_t* dataBytes = cursor.Take(dataLength);
    if (dataBytes == nullptr) {
        Log("ModelTree: data block of %u bytes with %zu left", dataLength, cursor.Remaining());
        return false;
    }
    data.assign(dataBytes, dataBytes + dataLength);
    return true;
}

bool ModelTreeNode::ReadBytes(void* destination, size_t n) {
    if (n > Remaining()) {
        std::memset(destination, 0, n);
        m_failed = true;
        return false;
    }
    if (n > 0) {
        std::memcpy(destination, data.data() + readPosition, n);
        readPosition += n;
    }
    return true;
}

const uint8_t* ModelTreeNode::TakeBytes(size_t n) {
    if (n > Remaining()) {
        m_failed = true;
        return nullptr;
    }
    const uint8_t* at = data.data() + readPosition;
    readPosition += n;
    return at;
}

uint8_t ModelTreeNode::ReadU8() {
    uint8_t value;
    ReadBytes(&value, 1);
    return value;
}

uint16_t ModelTreeNode::ReadU16() {
    uint8_t b[2];
    ReadBytes(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t ModelTreeNode::ReadU32() {
    uint8_t b[4];
    ReadBytes(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

float ModelTreeNode::ReadFloat() {
    const uint32_t bits = ReadU32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

AsciiString ModelTreeNode::ReadString() {
    const uint16_t length = ReadU16();
    const uint8_t* chars = TakeBytes(length);
    if (chars == nullptr) {
        return AsciiString();
    }
    return AsciiString(reinterpret_cast<const char*>(chars), length);
}

ModelTreeNode* ModelTreeNode::ReadChild() {
    const uint32_t reference = ReadU32();
    if (m_failed || reference == 0 || reference > children.size()) {
        return nullptr;
    }
    ModelTreeNode* child = &children[reference - 1];
    child->Rewind();
    return child;
}

}  // namespace Varnok
