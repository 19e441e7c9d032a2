// The table of fruit kinds the game knows, read from "xml/fruitlist.xml":
// one record per kind in file order (a kind is its index everywhere), the
// critical-hit settings, the bomb sizes, look-ups by name and the weighted
// random pick of a kind. Main thread only.
#pragma once

#include "engine/core/Colour.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

namespace Varnok {

class Random;

constexpr size_t kFruitNameBytes = 64;

struct FruitImpactSound {
    char name[kFruitNameBytes] = {};
    int32_t chance = 10;
    int32_t cumulativeChance = 0;
};

struct FruitPower {
    uint32_t nameHash = 0;
    int32_t chance = 100;
    int32_t cumulativeChance = 0;
};

struct FruitInfo {
    char name[kFruitNameBytes] = {};  // first letter lower case after loading
    char singularEnglish[kFruitNameBytes] = {};
    char pluralEnglish[kFruitNameBytes] = {};
    char singular[kFruitNameBytes] = {};
    char plural[kFruitNameBytes] = {};
    char totalStatName[kFruitNameBytes] = {};       // "<name>_total"
    char pointTotalStatName[kFruitNameBytes] = {};  // "<name>_point_total"
    char dropsStatName[kFruitNameBytes] = {};       // "<name>_drops"
    char modelName[kFruitNameBytes] = {};
    Colour colour = kColourBlack;  // juice colour
    float scale = 25.0f;           // hundredths of a unit per unit of fruit size
    float collisionSize = 1.0f;    // extra hit radius
    float hitInfluence = 0.75f;    // how much a hit deflects the halves
    uint32_t nameHash = 0;
    uint32_t capitalNameHash = 0;
    uint32_t trailParticlesHash = 0;
    uint32_t slicedParticlesHash = 0;
    uint32_t totalStatHash = 0;
    uint32_t pointTotalStatHash = 0;
    uint32_t dropsStatHash = 0;
    bool onSide = false;
    uint32_t factCount = 0;
    uint32_t factIndex = 0;
    char factTexture[128] = {};
    Colour factColour = kColourBlack;
    bool onlySprinkle = false;
    char hudTexture[128] = {};   // "hud/hud_<name>.tex", as written in the file
    char calmTexture[128] = {};  // "results_screen/calm_<name>.tex"
    int32_t chance = 0;
    int32_t cumulativeChance = 0;
    int32_t cumulativeCriticalChance = 0;
    int32_t score = 1;
    bool canBeCritical = true;
    bool hasSplatSeeds = false;
    std::vector<FruitImpactSound> impactSounds;
    int32_t coinsMin = 0;
    int32_t coinsMax = 0;
    std::vector<FruitPower> powers;
    bool scoresNothing = false;
};

struct CriticalSettings {
    Colour colour{0, 0, 0, 0};
    int32_t score = 5;
    int32_t chance = 5;
    int32_t chanceIncrement = 30;
    int32_t splats = 10;
    float scale = 1.5f;
    float spread = 1.2f;
    float disappearSpeed = 2.0f;  // kept; nothing reads it
    int32_t newLifeAt = 100;      // kept; nothing reads it
};

class FruitCatalogue {
public:
    static constexpr const char* kFileName = "xml/fruitlist.xml";

    static FruitCatalogue& Get();

    // Reads the file through the file layer and loads the kinds' models
    // (FruitModels; the shadow textures only on a fast device); nothing when
    // already loaded. A missing or malformed file leaves no kinds and logs
    // one line. Requires a renderer for the models.
    void Load(bool fastDevice = true);
    // The same over a document already parsed. A refused document gives no
    // kinds: a parse error (an empty file too) was logged by the XML layer;
    // a missing file or a document of another kind logs one line here.
    void LoadFromDocument(const TiXmlDocument& document, const char* source);
    // Text of a fruit list, for tests and the fuzz target.
    void LoadFromText(const char* text, size_t length);
    // Forgets the kinds and releases the models.
    void Unload();
    bool IsLoaded() const { return m_loaded; }

    int Count() const { return static_cast<int>(m_kinds.size()); }
    // Requires: 0 <= index < Count().
    const FruitInfo& At(int index) const { return m_kinds[static_cast<size_t>(index)]; }
    uint32_t NameHash(int index) const { return At(index).nameHash; }
    // The index equal to the count means the critical colour; any other
    // index out of range gives opaque black.
    Colour ColourOf(int index) const;
    // The first kind whose name or capitalised name hashes as `name`; -1 for
    // none, or a uniform random kind from `random` when randomFallback is 1.
    int IndexOf(const char* name, int randomFallback, Random* random = nullptr) const;

    const CriticalSettings& Critical() const { return m_critical; }
    float BombSize() const { return m_bombSize; }
    float BombCollision() const { return m_bombCollision; }

    // A kind among the candidates, weighted by chance. random is the wave
    // manager's generator; criticalPhase says whether its wave is in its
    // critical phase. coinFlag 1 lets kinds with coins in. -1 when there is
    // no candidate (the caller keeps what it had).
    int PickWeighted(Random& random, bool criticalPhase, int coinFlag, const int* candidates,
                     int count);
    int PickAny(Random& random, bool criticalPhase, int coinFlag);
    int PickAnyExceptBanana(Random& random, bool criticalPhase, int coinFlag);
    int PickSmallFruit(Random& random, bool criticalPhase, int coinFlag);
    int PickMediumFruit(Random& random, bool criticalPhase, int coinFlag);
    int PickLargeFruit(Random& random, bool criticalPhase, int coinFlag);

private:
    bool ReadKind(const TiXmlElement& element, FruitInfo& info, const char* source);
    void BuildTotals(const int* candidates, int count);
    int PickNamed(Random& random, bool criticalPhase, int coinFlag, const char* const* names,
                  int nameCount);

    std::vector<FruitInfo> m_kinds;
    CriticalSettings m_critical;
    float m_bombSize = 0.0f;  // 0: the file gave none
    float m_bombCollision = 0.0f;
    bool m_loaded = false;
    int32_t m_grandTotal = 0;
    int32_t m_coinFreeTotal = 0;
    int32_t m_criticalTotal = 0;
    int32_t m_criticalCoinFreeTotal = 0;
    std::vector<int> m_scratch;  // candidate lists of the named picks
};

// "r,g,b[,a]" in decimal; missing components are 255.
Colour ParseFruitColour(const char* text);

}  // namespace Varnok
