// PrefixFileSystem: every query goes to the target with the prefix joined on.
#include "engine/core/PrefixFileSystem.h"

namespace Varnok {

void PrefixFileSystem::SetTarget(FileSystem* target, const char* prefix) {
    m_target = target;
    m_prefix = prefix;  // null gives the empty string
}

void PrefixFileSystem::SetTargetByKey(uint32_t key, const char* prefix) {
    SetTarget(FileSystemRegistry::Get().Find(key), prefix);
}

bool PrefixFileSystem::Exists(const char* path) {
    return m_target != nullptr && m_target->Exists(Prefixed(path).c_str());
}

int32_t PrefixFileSystem::GetSize(const char* path) {
    return m_target != nullptr ? m_target->GetSize(Prefixed(path).c_str()) : -1;
}

bool PrefixFileSystem::Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
                            bool* outOwnsData) {
    return m_target != nullptr &&
           m_target->Load(Prefixed(path).c_str(), inOutData, inOutLength, outOwnsData);
}

std::unique_ptr<FileStream> PrefixFileSystem::Open(const char* path, int mode) {
    return m_target != nullptr ? m_target->Open(Prefixed(path).c_str(), mode) : nullptr;
}

}  // namespace Varnok
