// Loading of the fruit models by the kinds' model names.
#include "game/world/FruitModels.h"

#include "engine/core/Log.h"
#include "engine/model/MeshGeometry.h"
#include "engine/render/MaterialParameter.h"
#include "engine/render/TextureManager.h"
#include "game/rules/GameHelpers.h"
#include "game/world/FruitCatalogue.h"

#include <cctype>
#include <cstdio>

namespace Varnok {
namespace {

constexpr const char* kFlatAlphaTexture = "textures/effects/flatAlpha.tex";

SmartPtr<MeshModel> LoadIfPresent(const char* name) {
    return ModelFileExists(name) ? LoadNamedModel(name) : SmartPtr<MeshModel>();
}

// One line for a model that must be there and is not.
SmartPtr<MeshModel> LoadRequired(const char* name) {
    if (!ModelFileExists(name)) {
        Log("FruitModels: no model %s; that piece is not drawn", name);
        return SmartPtr<MeshModel>();
    }
    return LoadNamedModel(name);  // a damaged file is logged by its reader
}

}  // namespace

FruitModels& FruitModels::Get() {
    static FruitModels s_models;
    return s_models;
}

void FruitModels::Load(const FruitCatalogue& catalogue, bool fastDevice) {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    m_kinds.resize(static_cast<size_t>(catalogue.Count()));
    char name[128];
    for (int k = 0; k < catalogue.Count(); ++k) {
        const char* model = catalogue.At(k).modelName;
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(model[0])));
        KindModels& set = m_kinds[static_cast<size_t>(k)];
        for (int half = 0; half < 2; ++half) {
            snprintf(name, sizeof(name), "models/Fruit/%s_%c_piece_%d", model, letter, half + 1);
            set.halves[half] = LoadRequired(name);
        }
        snprintf(name, sizeof(name), "models/Fruit/%s_single", model);
        set.whole = LoadIfPresent(name);
    }
    if (fastDevice) {
        m_shadow = TextureManager::Get().GetTexture("textures/effects/fruit_shadow.tex");
        m_menuShadow = TextureManager::Get().GetTexture("textures/effects/menuFruitShadow.tex");
    }
    m_streaks[0] = LoadRequired("models/fruit/slice_fx");
    m_streaks[1] = LoadRequired("models/fruit/slice_fx_crit");
    // The special streak is its own copy of the plain one (loads share
    // nothing), its picture swapped for a flat alpha so it reads as a pale
    // flash; without the texture it keeps the plain one's.
    m_streaks[3] = LoadRequired("models/fruit/slice_fx");
    if (m_streaks[3]) {
        SmartPtr<Texture> flat = TextureManager::Get().GetTexture(kFlatAlphaTexture);
        if (flat.Get() != nullptr) {
            ReplaceDiffuseMap(*m_streaks[3], flat);
        }
    }
}

int FruitModels::ReplaceDiffuseMap(MeshModel& model, const SmartPtr<Texture>& texture) {
    int replaced = 0;
    for (int m = 0; m < model.GetMeshCount(); ++m) {
        SmartPtr<Mesh> mesh = model.GetMesh(m);
        for (int d = 0; d < mesh->GetDrawItemCount(); ++d) {
            MaterialParam* param = mesh->GetDrawItem(d)->FindParam("DiffuseMap");
            if (param != nullptr && param->SetTexture(texture)) {
                ++replaced;
            }
        }
    }
    return replaced;
}

void FruitModels::Unload() {
    m_kinds.clear();
    for (SmartPtr<MeshModel>& streak : m_streaks) {
        streak = SmartPtr<MeshModel>();
    }
    m_shadow = SmartPtr<Texture>();
    m_menuShadow = SmartPtr<Texture>();
    m_loaded = false;
}

const MeshModel* FruitModels::Whole(int kind) const {
    if (kind < 0 || kind >= static_cast<int>(m_kinds.size())) {
        return nullptr;
    }
    return m_kinds[static_cast<size_t>(kind)].whole.Get();
}

const MeshModel* FruitModels::Half(int kind, int half) const {
    if (kind < 0 || kind >= static_cast<int>(m_kinds.size()) || half < 0 || half > 1) {
        return nullptr;
    }
    return m_kinds[static_cast<size_t>(kind)].halves[half].Get();
}

const MeshModel* FruitModels::Streak(int impactKind) const {
    if (impactKind < 0 || impactKind >= kStreakKinds) {
        return nullptr;
    }
    return m_streaks[impactKind].Get();
}

}  // namespace Varnok
