// The standard user defaults as this platform keeps them: integers under text
// keys in one JSON object, the file "UserDefaults.json" in the documents
// folder ("save"). A missing key reads as 0; a damaged file is logged once
// per read and reads as empty. Main thread only.
#pragma once

#include <cstdint>

namespace Varnok {

class UserDefaults {
public:
    static constexpr const char* kFileName = "UserDefaults.json";

    // fileSystemKey: where the file lives ("save" when 0).
    explicit UserDefaults(uint32_t fileSystemKey = 0);

    int64_t GetInteger(const char* key) const;
    // False (with a log line) when the file could not be written.
    bool SetInteger(const char* key, int64_t value);

private:
    uint32_t m_fileSystemKey;
};

}  // namespace Varnok
