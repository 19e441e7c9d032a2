// The preparation steps of service configuration documents: filters kept or
// dropped by the defines, includes of other files, and sections split over
// several places joined into one. ServiceManagerConfig runs them; they are
// public for the tools that show or measure a prepared document.
#pragma once

#include "engine/core/AsciiString.h"

#include <tinyxml.h>

#include <map>
#include <string>
#include <vector>

namespace Varnok {

// Define name to value list ("platform" -> "ios").
using ServiceDefines = std::map<AsciiString, AsciiString, AsciiStringLess>;

// Element names are compared without regard to the case of A to Z.
bool IsElementNamed(const TiXmlNode* node, const char* name);

// Whether two value lists (entries separated by ",", empty entries ignored,
// A to Z folded, spaces kept) share an entry.
bool ValueListsShareEntry(const char* a, const char* b);

// A filter passes when there are defines and none of its attributes that
// name a non-empty define has a non-empty value list sharing no entry with
// the define's.
bool FilterPasses(const TiXmlElement& filter, const ServiceDefines& defines);

// Drops the failing "filter" children of element and moves the content of
// the passing ones to its end, repeating while filters nested in passing ones
// come up. Filters deeper in the tree are left alone.
void ApplyFilters(TiXmlElement& element, const ServiceDefines& defines);

// Joins later children named like the first child that carry no attribute
// into the nearest earlier one of that name.
void MergeRepeatedSections(TiXmlElement& root);

// Loads a configuration document from the mounted file systems; false with
// one log line naming the file when it is missing or malformed.
[[nodiscard]] bool LoadServiceConfigDocument(TiXmlDocument& document, const char* path);

struct IncludeState {
    std::vector<std::string> chain;  // the files being included, outermost first
    int loads = 0;                   // included files read so far
};

// Most included files one document may read: a few files that include each
// other several times over must not multiply without end.
constexpr int kMaxServiceConfigIncludes = 256;

// Appends the root children of every file that an "include" in the tree
// names, relative to folder (ending in "/"); an included file's own includes
// are relative to its folder. A file already in the chain is skipped.
void ResolveIncludes(TiXmlElement& element, const std::string& folder, IncludeState& state);

// Includes, filters and merged sections of a loaded provider document; the
// "provider" root, or null (with one log line) when there is none.
TiXmlElement* PrepareProviderDocument(TiXmlDocument& document, const std::string& folder,
                                      const std::string& path, const ServiceDefines& defines);

}  // namespace Varnok
