// Whole-file reads and writes for the signing tools.
#pragma once

#include <string>

namespace Varnok {
namespace Tools {

[[nodiscard]] bool ReadFileBytes(const std::string& path, std::string* outBytes);
// Writes through a temporary file and a rename, so a reader never sees half.
[[nodiscard]] bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace Tools
}  // namespace Varnok
