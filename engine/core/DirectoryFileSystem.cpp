// Host-folder file system: stat/fopen, case-blind fallback, atomic replace.
#include "engine/core/DirectoryFileSystem.h"

#include "engine/core/CString.h"
#include "engine/core/FileUtil.h"
#include "engine/core/Log.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Varnok {

namespace {

bool HostPathExists(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0;
}

// fopen accepts a folder for reading; only regular files are data.
FILE* OpenRegularFile(const char* path) {
    FILE* file = fopen(path, "rb");
    struct stat info {};
    if (file != nullptr && (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode))) {
        fclose(file);
        return nullptr;
    }
    return file;
}

// The entry of `folder` whose name matches `part` ignoring case; empty if none.
AsciiString FindNoCase(const AsciiString& folder, const AsciiString& part) {
    DIR* dir = opendir(folder.IsEmpty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return AsciiString();
    }
    AsciiString found;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, part.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

AsciiString AppendPart(const AsciiString& folder, const AsciiString& part) {
    AsciiString out(folder);
    if (!out.IsEmpty() && !out.EndsWith("/", 1)) {
        out.AppendChar('/');
    }
    out.AppendString(part);
    return out;
}

}  // namespace

// ---- StdioStream ----

StdioStream::StdioStream(FileSystem* owner, FILE* file, int mode, const char* openedPath)
    : FileStream(owner), m_file(file), m_mode(mode), m_path(openedPath) {
    if (fseek(m_file, 0, SEEK_END) == 0) {
        const long end = ftell(m_file);
        m_length = end > 0 && end <= INT32_MAX ? static_cast<int32_t>(end) : 0;
    }
    rewind(m_file);
}

StdioStream::~StdioStream() {
    Close();
}

void StdioStream::Close() {
    if (m_file == nullptr) {
        return;
    }
    if (m_mode == kOpenRead) {
        fclose(m_file);
        m_file = nullptr;
        return;
    }
    // Flushed and on the disk before the rename, so that a crash leaves either
    // the old file or the whole new one.
    bool ok = !m_failed && fflush(m_file) == 0 && SyncToDisk(m_file);
    ok = (fclose(m_file) == 0) && ok;
    m_file = nullptr;

    const AsciiString target = AsciiString::Substring(m_path, 0, m_path.Length() - 3);
    if (!ok) {
        Log("Error writing file %s; the old file is kept", target.c_str());
        remove(m_path.c_str());
        return;
    }
    if (rename(m_path.c_str(), target.c_str()) != 0) {
        Log("Error renaming file %s", target.c_str());
        remove(m_path.c_str());
    }
}

void StdioStream::SyncPosition() {
    const long at = ftell(m_file);
    m_position = at >= 0 && at <= INT32_MAX ? static_cast<int32_t>(at) : 0;
}

bool StdioStream::Read(void* buffer, int32_t n) {
    if (m_file == nullptr || n < 0) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    if (fread(buffer, static_cast<size_t>(n), 1, m_file) != 1) {
        SyncPosition();  // a short read still moved the file
        return false;
    }
    m_position += n;
    return true;
}

bool StdioStream::Write(const void* buffer, int32_t n) {
    if (m_file == nullptr || n < 0) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    if (fwrite(buffer, static_cast<size_t>(n), 1, m_file) != 1) {
        m_failed = true;
        SyncPosition();
        return false;
    }
    m_position += n;
    return true;
}

bool StdioStream::WriteScrambled(const void* buffer, int32_t n) {
    if (m_file == nullptr || n < 0) {
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    std::vector<uint8_t> scrambled(bytes, bytes + n);
    for (int32_t i = 0; i < n; ++i) {
        scrambled[i] ^= ScrambleByte(int64_t(m_position) + i);
    }
    return Write(scrambled.data(), n);
}

bool StdioStream::Seek(int origin, int32_t offset) {
    if (m_file == nullptr) {
        return false;
    }
    const int whence = origin == kSeekStart ? SEEK_SET : origin == kSeekCurrent ? SEEK_CUR
                     : origin == kSeekEnd   ? SEEK_END
                                            : -1;
    if (whence < 0) {
        return false;
    }
    const bool ok = fseek(m_file, offset, whence) == 0;
    SyncPosition();
    return ok;
}

// ---- DirectoryFileSystem ----

void DirectoryFileSystem::SetRoot(const char* root, bool readOnly) {
    m_hasRoot = root != nullptr && root[0] != '\0';
    m_root = m_hasRoot ? root : "";
    m_readOnly = readOnly;
}

AsciiString DirectoryFileSystem::ResolvePath(const char* name) const {
    return m_hasRoot ? JoinHostPath(m_root.c_str(), name) : AsciiString(name);
}

AsciiString DirectoryFileSystem::FindHostPath(const char* name) const {
    AsciiString exact = ResolvePath(name);
    if (HostPathExists(exact.c_str())) {
        return exact;
    }
    // Walk the name part by part below the root; keep each part that exists
    // as spelled, otherwise take its case-blind match in that folder.
    const bool absolute = m_hasRoot ? m_root[0] == '/' : (name != nullptr && name[0] == '/');
    AsciiString folder = m_hasRoot ? JoinHostPath(m_root.c_str(), nullptr)
                                   : AsciiString(absolute ? "/" : "");
    const char* const separators[] = {kSlashSeparator, kBackslashSeparator};
    const std::vector<AsciiString> parts = SplitString(AsciiString(name), separators, 2, false);
    for (size_t i = 0; i < parts.size(); ++i) {
        AsciiString next = AppendPart(folder, parts[i]);
        if (!HostPathExists(next.c_str())) {
            const AsciiString match = FindNoCase(folder, parts[i]);
            if (match.IsEmpty()) {
                return exact;  // nothing to fall back to: keep the given spelling
            }
            next = AppendPart(folder, match);
        }
        folder = next;
    }
    return folder;
}

bool DirectoryFileSystem::Exists(const char* path) {
    return HostPathExists(FindHostPath(path).c_str());
}

int32_t DirectoryFileSystem::GetSize(const char* path) {
    struct stat info {};
    if (stat(FindHostPath(path).c_str(), &info) != 0 || info.st_size > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(info.st_size);
}

bool DirectoryFileSystem::Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                               bool* outOwnsData) {
    const AsciiString host = FindHostPath(path);
    FILE* file = OpenRegularFile(host.c_str());
    if (file == nullptr) {
        return false;
    }
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) {
        size = ftell(file);
    }
    rewind(file);
    if (size < 0 || size > INT32_MAX) {
        fclose(file);
        return false;
    }
    const bool allocate = *inOutData == nullptr;
    int32_t want = static_cast<int32_t>(size);
    uint8_t* target = *inOutData;
    if (allocate) {
        // At least one byte, so that an empty file still has a data pointer.
        target = static_cast<uint8_t*>(std::malloc(want > 0 ? static_cast<size_t>(want) : 1));
        if (target == nullptr) {
            Log("Out of memory loading %s (%d bytes)", host.c_str(), want);
            fclose(file);
            return false;
        }
    } else if (*inOutLength < want) {
        want = *inOutLength > 0 ? *inOutLength : 0;
    }
    const bool ok = want == 0 || fread(target, static_cast<size_t>(want), 1, file) == 1;
    fclose(file);
    if (!ok) {
        if (allocate) {
            std::free(target);
        }
        return false;
    }
    *inOutData = target;
    *inOutLength = want;
    *outOwnsData = allocate;
    return true;
}

std::unique_ptr<FileStream> DirectoryFileSystem::Open(const char* path, int mode) {
    const AsciiString host = FindHostPath(path);
    if (mode == kOpenRead) {
        FILE* file = OpenRegularFile(host.c_str());
        if (file == nullptr) {
            return nullptr;
        }
        return std::make_unique<StdioStream>(this, file, mode, host.c_str());
    }
    if (m_readOnly) {
        return nullptr;
    }
    AsciiString temp(host);
    temp.Append("tmp");
    FILE* file = nullptr;
    if (mode == kOpenUpdate) {
        file = fopen(temp.c_str(), "r+b");
    } else {
        file = fopen(temp.c_str(), "w+b");
        if (file == nullptr) {
            const int slash = temp.FindLastChar('/');
            if (slash > 0) {
                // The second open says whether it worked.
                (void)CreateDirectory(AsciiString::Substring(temp, 0, slash).c_str());
            }
            file = fopen(temp.c_str(), "w+b");
        }
    }
    if (file == nullptr) {
        return nullptr;
    }
    return std::make_unique<StdioStream>(this, file, mode, temp.c_str());
}

bool DirectoryFileSystem::Delete(const char* path) {
    if (m_readOnly) {
        return false;
    }
    const AsciiString host = FindHostPath(path);
    if (RemoveFile(host.c_str())) {
        return true;
    }
    Log("Error deleting file %s", host.c_str());
    return false;
}

}  // namespace Varnok
