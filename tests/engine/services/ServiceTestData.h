// Mounts the services tests' data folder in the file registry for one test.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"

#include <memory>

namespace Varnok {
namespace TestSupport {

class MountedServiceData {
public:
    MountedServiceData() {
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_TEST_DATA_DIR, true),
            FileSystemKey("servicesTestData"), 100);
    }
    ~MountedServiceData() { FileSystemRegistry::Get().Remove(m_mounted); }
    MountedServiceData(const MountedServiceData&) = delete;
    MountedServiceData& operator=(const MountedServiceData&) = delete;

private:
    FileSystem* m_mounted;
};

inline ServiceDefines IosPhoneDefines() {
    ServiceDefines defines;
    defines[AsciiString("platform")] = AsciiString("ios");
    defines[AsciiString("product")] = AsciiString("SD");
    defines[AsciiString("tablet")] = AsciiString("false");
    return defines;
}

}  // namespace TestSupport
}  // namespace Varnok
