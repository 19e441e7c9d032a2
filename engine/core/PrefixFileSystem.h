// A view of another mounted file system under a folder prefix.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/FileSystem.h"

#include <cstdint>
#include <memory>

namespace Varnok {

class PrefixFileSystem : public FileSystem {
public:
    PrefixFileSystem() = default;

    // The target is not owned and must outlive the view (mount it first and
    // unmount it last). Null or empty prefix: names pass unchanged.
    void SetTarget(FileSystem* target, const char* prefix);
    // Looks the target up once, now, in the process-wide registry.
    void SetTargetByKey(uint32_t key, const char* prefix);

    bool Exists(const char* path) override;
    int32_t GetSize(const char* path) override;
    [[nodiscard]] bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                            bool* outOwnsData) override;
    std::unique_ptr<FileStream> Open(const char* path, int mode) override;
    bool Delete(const char* path) override { (void)path; return false; }

    FileSystem* GetTarget() const { return m_target; }

private:
    AsciiString Prefixed(const char* path) const { return JoinPaths(m_prefix.c_str(), path); }

    FileSystem* m_target = nullptr;
    AsciiString m_prefix;
};

}  // namespace Varnok
