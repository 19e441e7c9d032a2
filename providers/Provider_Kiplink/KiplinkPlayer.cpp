#include "providers/Provider_Kiplink/KiplinkPlayer.h"

#include "kiplink/Public/IFriends.h"

#include <algorithm>

namespace Varnok {

// One picture request: answers its delegate when the player's own picture
// arrives, then leaves the profile's listeners (which hold it).
class KiplinkPlayer::PictureListener final : public Kiplink::IUserProfileCallbacks {
public:
    PictureListener(IPlayerProfile::PictureDelegate onLoaded, KiplinkPlayer* owner)
        : m_onLoaded(onLoaded), m_owner(owner) {}

    void OnPictureLoaded(Kiplink::IUserProfile* profile) override {
        if (profile != m_owner->GetProfile()) {
            return;
        }
        const char* path = profile->GetPicturePath();
        auto& pending = m_owner->m_pending;
        pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
        if (!m_onLoaded.IsEmpty()) {
            m_onLoaded(m_owner, path);
        }
        profile->RemoveCallbacks(this);  // may delete this
    }

private:
    IPlayerProfile::PictureDelegate m_onLoaded;
    KiplinkPlayer* m_owner;
};

KiplinkPlayer::KiplinkPlayer(Kiplink::IUserProfile* profile) : m_profile(profile) {}

KiplinkPlayer::~KiplinkPlayer() {
    for (PictureListener* listener : m_pending) {
        m_profile->RemoveCallbacks(listener);
    }
}

const char* KiplinkPlayer::GetId(const char* serviceName) const {
    if (m_profile.Get() == nullptr) {
        return nullptr;
    }
    return m_profile->GetProviderId(serviceName != nullptr ? serviceName : "kiplinkId");
}

const char* KiplinkPlayer::GetDisplayName() const {
    return m_profile.Get() != nullptr ? m_profile->GetDisplayName() : nullptr;
}

const char* KiplinkPlayer::GetPicturePath() const {
    return m_profile.Get() != nullptr ? m_profile->GetPicturePath() : nullptr;
}

bool KiplinkPlayer::LoadPicture(PictureDelegate onLoaded, bool refresh) {
    if (m_profile.Get() == nullptr) {
        return false;
    }
    auto* listener = new PictureListener(onLoaded, this);
    m_pending.push_back(listener);
    m_profile->AddCallbacks(listener);
    m_profile->LoadPicture(refresh);
    return m_profile->IsLoadingPicture();
}

bool KiplinkPlayer::IsLoadingPicture() const { return m_profile.Get() != nullptr && m_profile->IsLoadingPicture(); }

bool KiplinkPlayer::FindCachedPicture() { return m_profile.Get() != nullptr && m_profile->FindCachedPicture(); }

}  // namespace Varnok
