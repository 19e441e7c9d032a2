// Filters, includes and merged sections of the service configuration files.
#include "engine/services/ServiceConfigDocument.h"

#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"

#include <algorithm>
#include <cstring>

namespace Varnok {

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualFolded(const char* a, size_t aLength, const char* b, size_t bLength) {
    if (aLength != bLength) {
        return false;
    }
    for (size_t i = 0; i < aLength; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Calls visit(start, length) for each non-empty entry of a value list.
template <typename Visit>
bool AnyEntry(const char* list, Visit visit) {
    const char* start = list;
    for (const char* p = list;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (p > start && visit(start, static_cast<size_t>(p - start))) {
                return true;
            }
            if (*p == '\0') {
                return false;
            }
            start = p + 1;
        }
    }
}

// TinyXML 1 can only copy a node into another place (InsertEndChild clones
// the whole subtree) or delete it (RemoveChild); preparing a document moves
// whole included files and filter contents around, and copying them cost more
// than parsing them. The sibling and parent links are protected members of
// TiXmlNode: a class derived from it may name them as pointers to members,
// which then reach them on any node. Taking a node out this way and handing
// it to LinkEndChild, which takes ownership of a parentless node, moves it
// without a copy.
class NodeLinks : private TiXmlNode {
public:
    NodeLinks() = delete;

    // Takes node out of its parent's list; the caller owns it afterwards.
    static void Unlink(TiXmlNode& node) {
        TiXmlNode* const parentNode = node.*kParent;
        TiXmlNode* const before = node.*kPrev;
        TiXmlNode* const after = node.*kNext;
        if (before != nullptr) {
            before->*kNext = after;
        } else if (parentNode != nullptr) {
            parentNode->*kFirstChild = after;
        }
        if (after != nullptr) {
            after->*kPrev = before;
        } else if (parentNode != nullptr) {
            parentNode->*kLastChild = before;
        }
        node.*kParent = nullptr;
        node.*kPrev = nullptr;
        node.*kNext = nullptr;
    }

private:
    static constexpr TiXmlNode* TiXmlNode::*kParent = &NodeLinks::parent;
    static constexpr TiXmlNode* TiXmlNode::*kFirstChild = &NodeLinks::firstChild;
    static constexpr TiXmlNode* TiXmlNode::*kLastChild = &NodeLinks::lastChild;
    static constexpr TiXmlNode* TiXmlNode::*kPrev = &NodeLinks::prev;
    static constexpr TiXmlNode* TiXmlNode::*kNext = &NodeLinks::next;
};

// Moves the child elements of source, in order, to the end of target; the
// other children (comments, text) stay behind and go with source.
void MoveChildElements(TiXmlElement& target, TiXmlElement& source) {
    TiXmlElement* child = source.FirstChildElement();
    while (child != nullptr) {
        TiXmlElement* const next = child->NextSiblingElement();
        NodeLinks::Unlink(*child);
        target.LinkEndChild(child);
        child = next;
    }
}

}  // namespace

bool IsElementNamed(const TiXmlNode* node, const char* name) {
    const char* value = node->Value();
    return EqualFolded(value, std::strlen(value), name, std::strlen(name));
}

bool ValueListsShareEntry(const char* a, const char* b) {
    return AnyEntry(a, [b](const char* entry, size_t length) {
        return AnyEntry(b, [entry, length](const char* other, size_t otherLength) {
            return EqualFolded(entry, length, other, otherLength);
        });
    });
}

bool FilterPasses(const TiXmlElement& filter, const ServiceDefines& defines) {
    if (defines.empty()) {
        return false;
    }
    for (const TiXmlAttribute* attribute = filter.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        const auto define = defines.find(AsciiString(attribute->Name()));
        if (define == defines.end() || define->second.IsEmpty() || attribute->Value()[0] == '\0') {
            continue;
        }
        if (!ValueListsShareEntry(define->second.c_str(), attribute->Value())) {
            return false;
        }
    }
    return true;
}

void ApplyFilters(TiXmlElement& element, const ServiceDefines& defines) {
    // One walk: a passing filter's content goes after every other child, in
    // filter order, and the walk reaches it there, so filters nested in
    // passing ones come up after all those of the level before.
    TiXmlElement* child = element.FirstChildElement();
    while (child != nullptr) {
        if (!IsElementNamed(child, "filter")) {
            child = child->NextSiblingElement();
            continue;
        }
        if (FilterPasses(*child, defines)) {
            MoveChildElements(element, *child);
        }
        TiXmlElement* const next = child->NextSiblingElement();
        element.RemoveChild(child);
        child = next;
    }
}

void MergeRepeatedSections(TiXmlElement& root) {
    TiXmlElement* target = root.FirstChildElement();
    if (target == nullptr) {
        return;
    }
    const std::string name = target->Value();
    TiXmlElement* child = target->NextSiblingElement();
    while (child != nullptr) {
        TiXmlElement* next = child->NextSiblingElement();
        if (IsElementNamed(child, name.c_str())) {
            if (child->FirstAttribute() != nullptr) {
                target = child;
            } else {
                MoveChildElements(*target, *child);
                root.RemoveChild(child);
            }
        }
        child = next;
    }
}

bool LoadServiceConfigDocument(TiXmlDocument& document, const char* path) {
    if (LoadXmlDocument(document, path)) {
        return true;
    }
    // The XML layer has already named a file it could read but not parse.
    if (document.ErrorId() == TiXmlBase::TIXML_ERROR_OPENING_FILE) {
        Log("ServiceManagerConfig: cannot read %s", path);
    }
    return false;
}

void ResolveIncludes(TiXmlElement& element, const std::string& folder, IncludeState& state) {
    // Only the children the element had when the visit began: what includes
    // append is resolved already.
    const TiXmlNode* last = element.LastChild();
    while (last != nullptr && last->ToElement() == nullptr) {
        last = last->PreviousSibling();
    }
    TiXmlElement* next = element.FirstChildElement();
    while (next != nullptr) {
        TiXmlElement* const child = next;
        next = child == last ? nullptr : child->NextSiblingElement();
        if (!IsElementNamed(child, "include")) {
            ResolveIncludes(*child, folder, state);
            continue;
        }
        const char* file = child->Attribute("file");
        if (file == nullptr) {
            continue;
        }
        std::vector<std::string> pieces;
        std::string piece;
        for (const char* p = file;; ++p) {
            if (*p == '/' || *p == '\\' || *p == '\0') {
                if (!piece.empty()) {
                    pieces.push_back(piece);
                    piece.clear();
                }
                if (*p == '\0') {
                    break;
                }
            } else {
                piece += *p;
            }
        }
        if (pieces.empty()) {
            continue;
        }
        std::string includedFolder = folder;
        for (size_t i = 0; i + 1 < pieces.size(); ++i) {
            includedFolder += pieces[i];
            includedFolder += '/';
        }
        const std::string path = includedFolder + pieces.back();
        if (std::find(state.chain.begin(), state.chain.end(), path) != state.chain.end()) {
            continue;
        }
        if (state.loads >= kMaxServiceConfigIncludes) {
            if (state.loads == kMaxServiceConfigIncludes) {
                Log("ServiceManagerConfig: more than %d includes under %s; %s and later ones skipped",
                    kMaxServiceConfigIncludes, state.chain.front().c_str(), path.c_str());
                ++state.loads;
            }
            continue;
        }
        ++state.loads;
        TiXmlDocument included;
        if (!LoadServiceConfigDocument(included, path.c_str())) {
            continue;
        }
        TiXmlElement* root = included.RootElement();
        if (root == nullptr) {
            continue;
        }
        state.chain.push_back(path);
        ResolveIncludes(*root, includedFolder, state);
        state.chain.pop_back();
        MoveChildElements(element, *root);
    }
}

TiXmlElement* PrepareProviderDocument(TiXmlDocument& document, const std::string& folder,
                                      const std::string& path, const ServiceDefines& defines) {
    TiXmlElement* root = document.RootElement();
    if (root == nullptr || !IsElementNamed(root, "provider")) {
        Log("ServiceManagerConfig: %s has no \"provider\" root element", path.c_str());
        return nullptr;
    }
    IncludeState state;
    state.chain.push_back(path);
    ResolveIncludes(*root, folder, state);
    ApplyFilters(*root, defines);
    MergeRepeatedSections(*root);
    return root;
}

}  // namespace Varnok
