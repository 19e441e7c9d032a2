// Helpers on relative file paths as the file layer names them: parts joined
// by '/', with '\' accepted as a separator on input.
#pragma once

#include "engine/core/AsciiString.h"

#include <vector>

namespace Varnok {

// The parts of `first` and then of `second`, one '/' between parts. Empty
// parts (leading, trailing or repeated separators) are dropped, so the result
// never begins or ends with a separator and never holds '\'. Null is empty.
AsciiString JoinPaths(const char* first, const char* second);

// JoinPaths for a host path under a mount root: a root that begins with '/'
// keeps it, so absolute roots stay absolute.
AsciiString JoinHostPath(const char* root, const char* name);

// Splits at any of the `count` separator strings. With keepEmpty false,
// empty pieces are dropped.
std::vector<AsciiString> SplitString(const AsciiString& text, const char* const* separators,
                                     int count, bool keepEmpty);

// `count` parts from index `first`, joined with '/'; clamped to the vector.
AsciiString JoinParts(const std::vector<AsciiString>& parts, int first, int count);

// Drops empty and "." parts and resolves ".." against the part before it; a
// ".." with nothing to undo is kept. Never begins with a separator.
AsciiString NormalisePath(const char* path);
AsciiString CombinePath(const char* base, const char* relative);

// All parts but the last; empty when there are fewer than two parts.
AsciiString GetDirectory(const char* path);

// The platform's special folders; there are none here, so always empty.
AsciiString GetSpecialFolderPath(int folder);

// A path with the positions of its file name and its extension's dot.
class FilePath {
public:
    explicit FilePath(const char* path);

    AsciiString GetPath() const { return m_path; }
    // Index just after the last separator (0 when there is none).
    int GetFileNameIndex() const { return m_fileNameIndex; }
    // Index of the dot starting the extension; the path's length when none.
    int GetExtensionIndex() const { return m_extensionIndex; }

private:
    AsciiString m_path;
    int m_fileNameIndex = 0;
    int m_extensionIndex = 0;
};

}  // namespace Varnok
