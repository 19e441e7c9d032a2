// A fresh documents folder with the game's save container mounted over it as
// the only file system, as the game mounts it; removed again at the end.
#pragma once

#include "engine/core/FileSystem.h"
#include "engine/core/SaveContainerFileSystem.h"

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace Varnok {
namespace TestSupport {

class SaveFolder {
public:
    // base: where the folder is made (the system's temporary folder when empty).
    explicit SaveFolder(const std::string& tag, const std::filesystem::path& base = {})
        : m_path((base.empty() ? std::filesystem::temp_directory_path() : base) /
                 ("varnok-save-" + tag + "-" + std::to_string(getpid()))) {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
        Mount();
    }
    ~SaveFolder() {
        FileSystemRegistry::Get().Clear();
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    SaveFolder(const SaveFolder&) = delete;
    SaveFolder& operator=(const SaveFolder&) = delete;

    // Mounts the container as stored on disk, as a new run of the game does.
    SaveContainerFileSystem& Mount() {
        FileSystemRegistry& files = FileSystemRegistry::Get();
        files.Clear();
        auto container = std::make_unique<SaveContainerFileSystem>();
        container->LoadContainer(m_path.c_str(), "save2.bin", SaveContainerFileSystem::kGameImageSize);
        m_container = container.get();
        files.Add(std::move(container), FileSystemKey("saveBin"), 3);
        return *m_container;
    }

    SaveContainerFileSystem& Container() { return *m_container; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    SaveContainerFileSystem* m_container = nullptr;
};

}  // namespace TestSupport
}  // namespace Varnok
