// Class records and factories.
#include "engine/ui/ComponentClassInfo.h"

#include "engine/ui/ComponentFactory.h"
#include "engine/ui/UIManager.h"

namespace Varnok {

namespace {

int32_t TakeNextClassId() {
    static int32_t s_next = kFirstFreeComponentClassId;
    return s_next++;
}

}  // namespace

ComponentClassInfo::ComponentClassInfo(const char* className, int32_t classId,
                                       const ComponentClassInfo* base)
    : name(className), id(classId == kNextFreeId ? TakeNextClassId() : classId), parent(base) {}

bool ComponentClassInfo::IsKindOf(const ComponentClassInfo& other) const {
    for (const ComponentClassInfo* info = this; info != nullptr; info = info->parent) {
        if (info->id == other.id) {
            return true;
        }
    }
    return false;
}

ComponentFactory::ComponentFactory(const std::string& className) : m_className(className) {
    UIManager::Get().RegisterFactory(AsciiString(className.c_str()), this);
}

ComponentFactory::~ComponentFactory() {
    UIManager::Get().UnregisterFactory(AsciiString(m_className.c_str()), this);
}

}  // namespace Varnok
