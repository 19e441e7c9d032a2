// Path joining, splitting and normalising for the file layer.
#include "engine/core/FilePath.h"

#include <cstring>

namespace Varnok {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Appends the parts of path to out, each preceded by '/' unless out is empty.
void AppendParts(AsciiString& out, const char* path) {
    if (path == nullptr) {
        return;
    }
    const char* p = path;
    while (*p != '\0') {
        while (IsSeparator(*p)) {
            ++p;
        }
        const char* start = p;
        while (*p != '\0' && !IsSeparator(*p)) {
            ++p;
        }
        if (p > start) {
            if (!out.IsEmpty()) {
                out.AppendChar('/');
            }
            out.AppendChars(start, static_cast<int>(p - start));
        }
    }
}

const char* const kPathSeparators[] = {kBackslashSeparator, kSlashSeparator};

}  // namespace

AsciiString JoinPaths(const char* first, const char* second) {
    AsciiString out;
    AppendParts(out, first);
    AppendParts(out, second);
    return out;
}

AsciiString JoinHostPath(const char* root, const char* name) {
    AsciiString out;
    if (root != nullptr && root[0] == '/') {
        out.AppendChar('/');
    }
    out.AppendString(JoinPaths(root, name));
    return out;
}

std::vector<AsciiString> SplitString(const AsciiString& text, const char* const* separators,
                                     int count, bool keepEmpty) {
    std::vector<AsciiString> pieces;
    const char* s = text.c_str();
    const int length = text.Length();
    int pieceStart = 0;
    int i = 0;
    while (i < length) {
        int matched = 0;
        for (int k = 0; k < count && matched == 0; ++k) {
            const int n = static_cast<int>(strlen(separators[k]));
            if (n > 0 && n <= length - i && memcmp(s + i, separators[k], n) == 0) {
                matched = n;
            }
        }
        if (matched == 0) {
            ++i;
            continue;
        }
        if (keepEmpty || i > pieceStart) {
            pieces.emplace_back(s + pieceStart, i - pieceStart);
        }
        i += matched;
        pieceStart = i;
    }
    if (keepEmpty || length > pieceStart) {
        pieces.emplace_back(s + pieceStart, length - pieceStart);
    }
    return pieces;
}

AsciiString JoinParts(const std::vector<AsciiString>& parts, int first, int count) {
    AsciiString out;
    const int size = static_cast<int>(parts.size());
    if (first < 0 || first >= size || count <= 0) {
        return out;
    }
    const int end = count > size - first ? size : first + count;
    for (int i = first; i < end; ++i) {
        if (i > first) {
            out.AppendChar('/');
        }
        out.AppendString(parts[i]);
    }
    return out;
}

AsciiString NormalisePath(const char* path) {
    const std::vector<AsciiString> parts =
        SplitString(AsciiString(path), kPathSeparators, 2, false);
    std::vector<AsciiString> kept;
    for (const AsciiString& part : parts) {
        if (part == AsciiString(".")) {
            continue;
        }
        if (part == AsciiString("..") && !kept.empty() && kept.back() != AsciiString("..")) {
            kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    return JoinParts(kept, 0, static_cast<int>(kept.size()));
}

AsciiString CombinePath(const char* base, const char* relative) {
    AsciiString joined(base);
    joined.AppendChar('/');
    joined.Append(relative);
    return NormalisePath(joined.c_str());
}

AsciiString GetDirectory(const char* path) {
    const std::vector<AsciiString> parts =
        SplitString(AsciiString(path), kPathSeparators, 2, false);
    if (parts.size() < 2) {
        return AsciiString();
    }
    return JoinParts(parts, 0, static_cast<int>(parts.size()) - 1);
}

AsciiString GetSpecialFolderPath(int /*folder*/) {
    return AsciiString();
}

FilePath::FilePath(const char* path) : m_path(path) {
    const int length = m_path.Length();
    const char* s = m_path.c_str();
    m_fileNameIndex = 0;
    for (int i = 0; i < length; ++i) {
        if (IsSeparator(s[i])) {
            m_fileNameIndex = i + 1;
        }
    }
    m_extensionIndex = length;
    for (int i = length - 1; i >= m_fileNameIndex; --i) {
        if (s[i] == '.') {
            m_extensionIndex = i;
            break;
        }
    }
}

}  // namespace Varnok
