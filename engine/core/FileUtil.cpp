// The file helpers over mkdir, remove and fsync.
#include "engine/core/FileUtil.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace Varnok {

bool CreateDirectory(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    // Make each prefix that ends at a separator, then the whole path.
    std::string partial(path);
    for (size_t i = 1; i <= partial.size(); ++i) {
        if (i < partial.size() && partial[i] != '/') {
            continue;
        }
        const std::string prefix = partial.substr(0, i);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool RemoveFile(const char* path) {
    return path != nullptr && remove(path) == 0;
}

bool SyncToDisk(FILE* file) {
    return file != nullptr && (fsync(fileno(file)) == 0 || errno == EINVAL || errno == EROFS);
}

}  // namespace Varnok
