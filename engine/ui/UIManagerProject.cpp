// Loading the UI project file and initialising the manager from it.
#include "engine/ui/UIManager.h"

#include "engine/ui/UIProjectReader.h"

namespace Varnok {

int UIManager::LoadProject(const char* path, const AsciiString& skuName) {
    UIProjectSettings settings;
    const int result = UIProjectReader::Read(path, settings);
    if (result == UIProjectReader::kRead) {
        Init(settings, skuName);
    }
    return result;
}

}  // namespace Varnok
