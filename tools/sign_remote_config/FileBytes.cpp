#include "tools/sign_remote_config/FileBytes.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace Varnok {
namespace Tools {

bool ReadFileBytes(const std::string& path, std::string* outBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *outBytes = bytes.str();
    return true;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", temporary.c_str());
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "cannot rename %s to %s\n", temporary.c_str(), path.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace Tools
}  // namespace Varnok
