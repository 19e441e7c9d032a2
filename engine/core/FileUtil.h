// Folder creation, file removal, and syncing a file before it replaces another.
#pragma once

#include <cstdio>

namespace Varnok {

// Creates the directory and any missing parents; true also when it exists.
[[nodiscard]] bool CreateDirectory(const char* path);
// Removes a file or an empty directory.
bool RemoveFile(const char* path);
// Pushes a flushed file's data to the disk before it replaces another; true
// also on file systems that cannot sync.
bool SyncToDisk(FILE* file);

}  // namespace Varnok
