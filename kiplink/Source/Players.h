// Player profiles, the pools that keep one profile per player, and the
// directory of pools (one per user).
#pragma once

#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/IValue.h"

#include <map>
#include <string>

namespace Kiplink {

class KiplinkProviderImpl;

class UserProfileImpl final : public IUserProfile {
public:
    explicit UserProfileImpl(KiplinkProviderImpl* root) : m_root(root) {}

    void AddCallbacks(IUserProfileCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IUserProfileCallbacks* listener) override { m_listeners.Remove(listener); }
    const char* GetProviderId(const char* network) const override;
    const char* GetPicturePath() const override { return m_picturePath.c_str(); }
    const char* GetDisplayName() const override { return m_displayName.c_str(); }
    void LoadPicture(bool refresh) override;
    bool IsLoadingPicture() const override { return m_loading; }
    bool FindCachedPicture() override;

    // Members that are missing or not strings leave their field.
    void Fill(const IValue& record);
    // Copies every field of other (the pool keeps one profile per player).
    void TakeFieldsOf(const UserProfileImpl& other);
    void SetProviderId(const std::string& network, const std::string& id) { m_ids[network] = id; }
    const std::map<std::string, std::string>& Fields() const { return m_ids; }
    void OnPictureDownloaded(const char* path);

private:
    KiplinkProviderImpl* m_root;  // not referenced
    ListenerSet<IUserProfileCallbacks> m_listeners;
    std::map<std::string, std::string> m_ids;
    std::string m_displayName;
    std::string m_pictureUrl;
    std::string m_picturePath;
    bool m_loading = false;
};

// True for an id that may name a file: not empty, no "/", no "..".
bool IsSafeFileId(const std::string& id);

class PlayerPoolImpl final : public IPlayerPool {
public:
    IUserProfile* Find(const char* field, const char* text) override;
    void Purge() override;

    // The pooled profile of the same player, refreshed from profile's fields,
    // or profile itself, entered under each of its fields. No reference added.
    UserProfileImpl* Add(UserProfileImpl* profile);
    UserProfileImpl* FindProfile(const std::string& field, const std::string& text) const;

private:
    std::map<std::string, std::map<std::string, RefPtr<UserProfileImpl>>> m_indexes;
};

class PlayerPoolDirectory final : public IUserDirectory {
public:
    IPlayerPool* GetPool(const void* owner) override;
    PlayerPoolImpl* GetPoolImpl(const void* owner);  // no reference added

private:
    std::map<const void*, RefPtr<PlayerPoolImpl>> m_pools;
};

}  // namespace Kiplink
