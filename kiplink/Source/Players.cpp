#include "kiplink/Source/Players.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/ValueImpl.h"
#include "kiplink/Source/ValuePath.h"

namespace Kiplink {

namespace {

// Keeps its profile alive until the download ends, then tells it.
struct PictureDone {
    RefPtr<UserProfileImpl> profile;
    void Complete(const char* path) {
        RefPtr<UserProfileImpl> held = profile;
        held->OnPictureDownloaded(path);
    }
    bool operator==(const PictureDone& other) const { return profile.Get() == other.profile.Get(); }
};

}  // namespace

bool IsSafeFileId(const std::string& id) {
    return !id.empty() && id.find('/') == std::string::npos && id.find("..") == std::string::npos;
}

const char* UserProfileImpl::GetProviderId(const char* network) const {
    auto found = network != nullptr ? m_ids.find(network) : m_ids.end();
    return found != m_ids.end() ? found->second.c_str() : nullptr;
}

void UserProfileImpl::Fill(const IValue& record) {
    if (const char* id = FindString(record, "kiplinkId")) {
        m_ids["kiplinkId"] = id;
    }
    if (const char* name = FindString(record, "displayName")) {
        m_displayName = name;
    }
    if (const char* image = FindString(record, "profileImage")) {
        m_pictureUrl = image;
    }
    const IValue* ids = FindMember(record, "providerIds");
    if (ids != nullptr && ids->IsObject()) {
        for (const ValueImpl::Member& member : Impl(*ids).Members()) {
            if (member.key->IsString() && member.value->IsString()) {
                m_ids[member.key->StringBytes()] = member.value->StringBytes();
            }
        }
    }
}

void UserProfileImpl::TakeFieldsOf(const UserProfileImpl& other) {
    for (const auto& field : other.m_ids) {
        m_ids[field.first] = field.second;
    }
    m_displayName = other.m_displayName;
    m_pictureUrl = other.m_pictureUrl;
    if (!other.m_picturePath.empty()) {
        m_picturePath = other.m_picturePath;
    }
}

bool UserProfileImpl::FindCachedPicture() {
    const char* id = GetProviderId("kiplinkId");
    if (id == nullptr || !IsSafeFileId(id) || m_root->Platform() == nullptr) {
        return false;
    }
    const std::string path = ProfilePicturePath(m_root->Platform()->GetSaveDirectory(), id);
    FileStatus status;
    if (m_root->Platform()->GetFileStatus(path.c_str(), &status) != 0) {
        return false;
    }
    m_picturePath = path;
    return true;
}

void UserProfileImpl::LoadPicture(bool refresh) {
    if (m_loading) {
        return;
    }
    RefPtr<UserProfileImpl> self(this);
    const char* id = GetProviderId("kiplinkId");
    if (m_pictureUrl.empty() || id == nullptr || !IsSafeFileId(id)) {
        if (!m_pictureUrl.empty()) {
            Log("kiplink: no picture file for player id \"%s\"", id != nullptr ? id : "");
        }
        m_loading = false;
        m_listeners.Notify(&IUserProfileCallbacks::OnPictureLoaded, static_cast<IUserProfile*>(this));
        return;
    }
    if (!refresh && FindCachedPicture()) {
        m_listeners.Notify(&IUserProfileCallbacks::OnPictureLoaded, static_cast<IUserProfile*>(this));
    }
    m_loading = true;
    m_root->Downloads().Download(m_pictureUrl,
                                 BoundRecordFunctor<PictureDone, const char*>(PictureDone{this}, &PictureDone::Complete),
                                 std::string("profilePics/") + id, refresh);
}

void UserProfileImpl::OnPictureDownloaded(const char* path) {
    m_loading = false;
    if (path != nullptr) {
        m_picturePath = path;
    }
    m_listeners.Notify(&IUserProfileCallbacks::OnPictureLoaded, static_cast<IUserProfile*>(this));
}

IUserProfile* PlayerPoolImpl::Find(const char* field, const char* text) {
    if (field == nullptr || text == nullptr) {
        return nullptr;
    }
    UserProfileImpl* found = FindProfile(field, text);
    if (found != nullptr) {
        found->Reference();
    }
    return found;
}

UserProfileImpl* PlayerPoolImpl::FindProfile(const std::string& field, const std::string& text) const {
    auto index = m_indexes.find(field);
    if (index == m_indexes.end()) {
        return nullptr;
    }
    auto entry = index->second.find(text);
    return entry != index->second.end() ? entry->second.Get() : nullptr;
}

UserProfileImpl* PlayerPoolImpl::Add(UserProfileImpl* profile) {
    const char* id = profile->GetProviderId("kiplinkId");
    if (id != nullptr) {
        UserProfileImpl* held = FindProfile("kiplinkId", id);
        if (held != nullptr && held != profile) {
            held->TakeFieldsOf(*profile);
            profile = held;  // indexed again below under any new field
        }
    }
    for (const auto& field : profile->Fields()) {
        m_indexes[field.first][field.second] = profile;
    }
    return profile;
}

void PlayerPoolImpl::Purge() {
    const int indexCount = static_cast<int>(m_indexes.size());
    for (auto& index : m_indexes) {
        for (auto entry = index.second.begin(); entry != index.second.end();) {
            if (entry->second->GetRefCount() <= indexCount) {
                entry = index.second.erase(entry);
            } else {
                ++entry;
            }
        }
    }
}

IPlayerPool* PlayerPoolDirectory::GetPool(const void* owner) {
    PlayerPoolImpl* pool = GetPoolImpl(owner);
    if (pool != nullptr) {
        pool->Reference();
    }
    return pool;
}

PlayerPoolImpl* PlayerPoolDirectory::GetPoolImpl(const void* owner) {
    if (owner == nullptr) {
        return nullptr;
    }
    RefPtr<PlayerPoolImpl>& pool = m_pools[owner];
    if (!pool) {
        pool = new PlayerPoolImpl();
    }
    return pool.Get();
}

}  // namespace Kiplink
