// A player of the online service as the engine sees it: one library profile,
// shared by every list that shows the player.
#pragma once

#include "engine/services/OnlineObjects.h"
#include "kiplink/Public/RefCounted.h"

#include <vector>

namespace Kiplink {
class IUserProfile;
}

namespace Varnok {

class KiplinkPlayer final : public IPlayerProfile {
public:
    // Takes a reference on profile (may be null).
    explicit KiplinkPlayer(Kiplink::IUserProfile* profile);
    ~KiplinkPlayer() override;

    // The id on the named network; null names the online service itself.
    const char* GetId(const char* serviceName) const override;
    const char* GetDisplayName() const override;
    const char* GetPicturePath() const override;
    // The delegate hears this player's picture once, when it arrives.
    bool LoadPicture(PictureDelegate onLoaded, bool refresh) override;
    bool IsLoadingPicture() const override;
    bool FindCachedPicture() override;

    Kiplink::IUserProfile* GetProfile() const { return m_profile.Get(); }

private:
    class PictureListener;

    Kiplink::RefPtr<Kiplink::IUserProfile> m_profile;
    // Picture requests still waiting: taken out of the profile's listeners
    // when this player goes first, since the pool's profile outlives it.
    std::vector<PictureListener*> m_pending;
};

}  // namespace Varnok
