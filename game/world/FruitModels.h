// The models and textures fruit are drawn with: per kind the whole fruit and
// its two halves, the shadow textures (fast devices only) and the shared
// slice-streak models. Loaded once the catalogue has its kinds; a missing
// file leaves that piece undrawn. Main thread only.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/model/MeshModel.h"
#include "engine/render/Texture.h"

#include <vector>

namespace Varnok {

class FruitCatalogue;

class FruitModels {
public:
    // Impact kinds that have a streak model: 0 normal, 1 critical, 3 special.
    static constexpr int kStreakKinds = 4;

    static FruitModels& Get();

    // Loads the models of every kind of the catalogue (nothing when already
    // loaded); the shadow textures only when fastDevice is set.
    void Load(const FruitCatalogue& catalogue, bool fastDevice);
    void Unload();
    bool IsLoaded() const { return m_loaded; }

    // Null when the kind has no such model (or is out of range).
    const MeshModel* Whole(int kind) const;
    const MeshModel* Half(int kind, int half) const;
    const MeshModel* Streak(int impactKind) const;
    const SmartPtr<Texture>& ShadowTexture() const { return m_shadow; }
    const SmartPtr<Texture>& MenuShadowTexture() const { return m_menuShadow; }

    // Points every draw item's "DiffuseMap" of the model at the texture; the
    // count of parameters changed.
    static int ReplaceDiffuseMap(MeshModel& model, const SmartPtr<Texture>& texture);

private:
    struct KindModels {
        SmartPtr<MeshModel> halves[2];
        SmartPtr<MeshModel> whole;
    };

    std::vector<KindModels> m_kinds;
    SmartPtr<MeshModel> m_streaks[kStreakKinds];
    SmartPtr<Texture> m_shadow;
    SmartPtr<Texture> m_menuShadow;
    bool m_loaded = false;
};

}  // namespace Varnok
