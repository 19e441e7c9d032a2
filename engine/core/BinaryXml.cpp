// Reading binary XML images. Every field, reference and count is checked
// against the image before it is used.
#include "engine/core/BinaryXml.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Varnok {

namespace {

constexpr size_t kHeaderSize = 12;   // magic, version, limit, N
constexpr size_t kStreamSkip = 12;   // bytes at N that the reader passes over
constexpr size_t kMinNodeSize = 5;   // a type byte and one reference
constexpr size_t kReferenceSize = 4;

enum NodeType : uint8_t {
    kElement = 1,
    kComment = 2,
    kUnknown = 3,
    kText = 4,
    kDeclaration = 5,
};

// For log lines: documents loaded from files are named after them.
const char* NameOf(const TiXmlDocument& document) {
    return document.Value()[0] != '\0' ? document.Value() : "image in memory";
}

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

class ImageReader {
public:
    ImageReader(TiXmlDocument& document, const uint8_t* image, size_t length)
        : m_document(document), m_image(image), m_length(length) {}

    size_t Position() const { return m_cursor; }
    void SetPosition(size_t position) { m_cursor = position; }
    size_t Left() const { return m_length - m_cursor; }

    // Each fails (setting `error` on the document) when the field, or the
    // string it names, lies outside the image.
    bool Byte(uint8_t& out, int error) {
        if (Left() < 1) {
            return Fail(error, "node record cut short");
        }
        out = m_image[m_cursor++];
        return true;
    }

    bool Word(uint32_t& out, int error) {
        if (Left() < 4) {
            return Fail(error, "node record cut short");
        }
        out = ReadU32(m_image + m_cursor);
        m_cursor += 4;
        return true;
    }

    // A count of items of at least itemSize bytes each, all still to come.
    bool Count(uint32_t& out, size_t itemSize, int error) {
        if (!Word(out, error)) {
            return false;
        }
        if (out > Left() / itemSize) {
            return Fail(error, "count runs past the image");
        }
        return true;
    }

    bool String(const char*& out, int error) {
        uint32_t reference = 0;
        if (!Word(reference, error)) {
            return false;
        }
        const size_t offset = kHeaderSize + static_cast<size_t>(reference);
        if (offset >= m_length ||
            std::memchr(m_image + offset, '\0', m_length - offset) == nullptr) {
            return Fail(error, "string reference outside the image");
        }
        out = reinterpret_cast<const char*>(m_image + offset);
        return true;
    }

    bool Fail(int error, const char* what) {
        Log("BinaryXml: %s: %s at byte %zu", NameOf(m_document), what, m_cursor);
        m_document.SetError(error, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }

private:
    TiXmlDocument& m_document;
    const uint8_t* m_image;
    size_t m_length;
    size_t m_cursor = 0;
};

struct Level {
    uint32_t remaining;  // siblings still to read at this level
    TiXmlNode* parent;
};

// Reads the element's name and attributes; children are read by the caller.
TiXmlElement* ReadElement(ImageReader& in, uint32_t& outChildCount) {
    const char* name = nullptr;
    uint32_t attributeCount = 0;
    if (!in.String(name, TiXmlBase::TIXML_ERROR_PARSING_ELEMENT) ||
        !in.Count(attributeCount, 2 * kReferenceSize, TiXmlBase::TIXML_ERROR_READING_ATTRIBUTES)) {
        return nullptr;
    }
    auto* element = new TiXmlElement(name);
    for (uint32_t i = 0; i < attributeCount; ++i) {
        const char* attributeName = nullptr;
        const char* value = nullptr;
        if (!in.String(attributeName, TiXmlBase::TIXML_ERROR_READING_ATTRIBUTES) ||
            !in.String(value, TiXmlBase::TIXML_ERROR_READING_ATTRIBUTES)) {
            delete element;
            return nullptr;
        }
        // XML has no nameless attributes, and TinyXML aborts on a second one.
        if (attributeName[0] == '\0') {
            in.Fail(TiXmlBase::TIXML_ERROR_READING_ATTRIBUTES, "attribute without a name");
            delete element;
            return nullptr;
        }
        element->SetAttribute(attributeName, value);
    }
    if (!in.Count(outChildCount, kMinNodeSize, TiXmlBase::TIXML_ERROR_PARSING_ELEMENT)) {
        delete element;
        return nullptr;
    }
    return element;
}

// A node with a single text reference: comment, unknown or text.
TiXmlNode* ReadTextNode(ImageReader& in, uint8_t type) {
    const int error = type == kComment   ? TiXmlBase::TIXML_ERROR_PARSING_COMMENT
                      : type == kUnknown ? TiXmlBase::TIXML_ERROR_PARSING_UNKNOWN
                                         : TiXmlBase::TIXML_ERROR_READING_ELEMENT_VALUE;
    const char* text = nullptr;
    if (!in.String(text, error)) {
        return nullptr;
    }
    TiXmlNode* node;
    if (type == kComment) {
        node = new TiXmlComment(text);
    } else if (type == kUnknown) {
        node = new TiXmlUnknown();
        node->SetValue(text);
    } else {
        node = new TiXmlText(text);
    }
    return node;
}

TiXmlNode* ReadDeclaration(ImageReader& in) {
    const int error = TiXmlBase::TIXML_ERROR_PARSING_DECLARATION;
    const char* version = nullptr;
    const char* encoding = nullptr;
    const char* standalone = nullptr;
    if (!in.String(version, error) || !in.String(encoding, error) ||
        !in.String(standalone, error)) {
        return nullptr;
    }
    return new TiXmlDeclaration(version, encoding, standalone);
}

}  // namespace

bool IsBinaryXml(const void* bytes, size_t length) {
    return bytes != nullptr && length > 4 && std::memcmp(bytes, "bxml", 4) == 0;
}

const uint8_t* ReadBinaryXml(TiXmlDocument& document, const uint8_t* image, size_t length) {
    document.ClearError();
    ImageReader in(document, image, image != nullptr ? length : 0);
    if (image == nullptr || length < kHeaderSize) {
        in.Fail(TiXmlBase::TIXML_ERROR_OPENING_FILE, "header cut short");
        return nullptr;
    }
    if (ReadU16(image + 4) != kBinaryXmlVersion) {
        in.Fail(TiXmlBase::TIXML_ERROR_OPENING_FILE, "unknown version");
        return nullptr;
    }
    const int depthLimit = std::min<int>(ReadU16(image + 6), kBinaryXmlMaxDepth);
    const size_t streamOffset = ReadU32(image + 8);
    if (streamOffset < kHeaderSize || streamOffset > length ||
        length - streamOffset < kStreamSkip + 4) {
        in.Fail(TiXmlBase::TIXML_ERROR_OPENING_FILE, "node stream outside the image");
        return nullptr;
    }
    in.SetPosition(streamOffset + kStreamSkip);
    uint32_t topCount = 0;
    if (!in.Count(topCount, kMinNodeSize, TiXmlBase::TIXML_ERROR_PARSING_ELEMENT)) {
        return nullptr;
    }

    // Levels 0 .. depthLimit: an element at depthLimit - 1 may still hold
    // texts, comments and the like at depthLimit.
    std::vector<Level> levels(static_cast<size_t>(depthLimit) + 1);
    levels[0] = {topCount, &document};
    int level = 0;
    for (;;) {
        while (levels[level].remaining == 0) {
            if (level == 0) {
                return image + in.Position();
            }
            --level;
        }
        Level& current = levels[level];
        --current.remaining;

        uint8_t type = 0;
        if (!in.Byte(type, TiXmlBase::TIXML_ERROR_PARSING_ELEMENT)) {
            return nullptr;
        }
        if (type == kElement) {
            uint32_t childCount = 0;
            TiXmlElement* element = ReadElement(in, childCount);
            if (element == nullptr) {
                return nullptr;
            }
            current.parent->LinkEndChild(element);
            if (level >= depthLimit) {
                Log("BinaryXml: %s: element \"%s\" nests deeper than %d levels", NameOf(document),
                    element->Value(), depthLimit);
                document.SetError(TiXmlBase::TIXML_ERROR_PARSING_ELEMENT, nullptr, nullptr,
                                  TIXML_ENCODING_UNKNOWN);
                return nullptr;
            }
            if (childCount > 0) {
                ++level;
                levels[level] = {childCount, element};
            }
            continue;
        }
        TiXmlNode* node = nullptr;
        switch (type) {
            case kComment:
            case kUnknown:
            case kText:
                node = ReadTextNode(in, type);
                break;
            case kDeclaration:
                node = ReadDeclaration(in);
                break;
            default:
                // Not a node: reading ends here, keeping what was built and
                // setting no error, as the format's readers always have.
                Log("BinaryXml: %s: unknown node type %u at byte %zu; the rest is not read",
                    NameOf(document), static_cast<unsigned>(type), in.Position() - 1);
                return nullptr;
        }
        if (node == nullptr) {
            return nullptr;
        }
        current.parent->LinkEndChild(node);
    }
}

}  // namespace Varnok
