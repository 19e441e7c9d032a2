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

std::vector<TiXmlElement*> ChildElements(TiXmlElement& element) {
    std::vector<TiXmlElement*> children;
    for (TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        children.push_back(child);
    }
    return children;
}

void AppendCopiesOfChildren(TiXmlElement& target, const TiXmlElement& source) {
    for (const TiXmlElement* child = source.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        target.InsertEndChild(*child);
    }
}

bool HasFilterChild(const TiXmlElement& element) {
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (IsElementNamed(child, "filter")) {
            return true;
        }
    }
    return false;
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
    do {
        std::vector<TiXmlElement*> passing;
        for (TiXmlElement* child : ChildElements(element)) {
            if (!IsElementNamed(child, "filter")) {
                continue;
            }
            if (FilterPasses(*child, defines)) {
                passing.push_back(child);
            } else {
                element.RemoveChild(child);
            }
        }
        // Their content goes after every other child, in filter order.
        for (TiXmlElement* filter : passing) {
            AppendCopiesOfChildren(element, *filter);
            element.RemoveChild(filter);
        }
    } while (HasFilterChild(element));
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
                AppendCopiesOfChildren(*target, *child);
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
    for (TiXmlElement* child : ChildElements(element)) {
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
        AppendCopiesOfChildren(element, *root);
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
