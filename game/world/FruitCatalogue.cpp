// Reading the fruit list and picking kinds from it.
#include "game/world/FruitCatalogue.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/world/FruitModels.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace {

// The longest suffix formed from a kind's name: the name must leave room for
// it in the 64-byte statistic names.
constexpr const char* kLongestSuffix = "_point_total";

uint32_t Hash(const char* text) {
    return HashName(text, static_cast<int>(strlen(text)));
}

// Cut to fit, always terminated (size is never 0).
void Copy(char* out, size_t size, const char* text) {
    const char* source = text != nullptr ? text : "";
    const size_t length = strnlen(source, size - 1);
    memcpy(out, source, length);
    out[length] = '\0';
}

// name + suffix into out; the caller has checked that it fits.
void JoinName(char* out, size_t size, const char* name, const char* suffix) {
    const size_t nameLength = strnlen(name, size - 1);
    const size_t suffixLength = strnlen(suffix, size - 1 - nameLength);
    memcpy(out, name, nameLength);
    memcpy(out + nameLength, suffix, suffixLength);
    out[nameLength + suffixLength] = '\0';
}

bool HasText(const char* text) {
    return text != nullptr && text[0] != '\0';
}

// Attribute readers that leave the value alone when the attribute is absent
// or empty.
void ReadInt(const TiXmlElement& element, const char* name, int32_t& value) {
    const char* text = element.Attribute(name);
    if (HasText(text)) {
        value = static_cast<int32_t>(strtol(text, nullptr, 10));
    }
}

void ReadFloat(const TiXmlElement& element, const char* name, float& value) {
    const char* text = element.Attribute(name);
    if (HasText(text)) {
        value = strtof(text, nullptr);
    }
}

bool IsTrue(const char* text) {
    return text != nullptr && strcmp(text, "true") == 0;
}

}  // namespace

Colour ParseFruitColour(const char* text) {
    uint8_t values[4] = {255, 255, 255, 255};
    const char* cursor = text != nullptr ? text : "";
    for (int i = 0; i < 4 && *cursor != '\0'; ++i) {
        char* end = nullptr;
        const long value = strtol(cursor, &end, 10);
        if (end == cursor) {
            break;
        }
        values[i] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
        cursor = end;
        while (*cursor == ',' || *cursor == ' ') {
            ++cursor;
        }
    }
    return Colour(values[0], values[1], values[2], values[3]);
}

FruitCatalogue& FruitCatalogue::Get() {
    static FruitCatalogue s_catalogue;
    return s_catalogue;
}

void FruitCatalogue::Load(bool fastDevice) {
    if (m_loaded) {
        return;
    }
    TiXmlDocument document;
    (void)LoadXmlDocument(document, kFileName);  // LoadFromDocument reports the error
    LoadFromDocument(document, kFileName);
    FruitModels::Get().Load(*this, fastDevice);
}

void FruitCatalogue::LoadFromText(const char* text, size_t length) {
    Unload();
    TiXmlDocument document("fruit list text");
    (void)ParseXmlDocument(document, text, length);  // the XML layer reports a refusal
    LoadFromDocument(document, "fruit list text");
}

void FruitCatalogue::LoadFromDocument(const TiXmlDocument& document, const char* source) {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    const TiXmlElement* root = document.RootElement();
    if (document.Error() && document.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE) {
        return;  // the XML layer has said why in its one line; no kinds
    }
    if (document.Error() || root == nullptr || strcmp(root->Value(), "fruitInfoFile") != 0) {
        Log("FruitCatalogue: %s not read (%s), no fruit kinds", source,
            document.Error() ? document.ErrorDesc() : "no fruitInfoFile element");
        return;
    }
    if (const TiXmlElement* critical = root->FirstChildElement("critical")) {
        const char* colour = critical->Attribute("colour");
        if (colour != nullptr) {
            m_critical.colour = ParseFruitColour(colour);
        }
        ReadInt(*critical, "score", m_critical.score);
        ReadInt(*critical, "chance", m_critical.chance);
        ReadInt(*critical, "chance_inc", m_critical.chanceIncrement);
        ReadInt(*critical, "splats", m_critical.splats);
        ReadFloat(*critical, "scale", m_critical.scale);
        ReadFloat(*critical, "spread", m_critical.spread);
        ReadFloat(*critical, "disappear_speed", m_critical.disappearSpeed);
        ReadInt(*critical, "new_life_at", m_critical.newLifeAt);
    }
    if (const TiXmlElement* bomb = root->FirstChildElement("bomb")) {
        ReadFloat(*bomb, "size", m_bombSize);
        ReadFloat(*bomb, "collision", m_bombCollision);
    }
    for (const TiXmlElement* element = root->FirstChildElement("FruitInfo"); element != nullptr;
         element = element->NextSiblingElement("FruitInfo")) {
        FruitInfo info;
        if (ReadKind(*element, info, source)) {
            m_kinds.push_back(std::move(info));
        }
    }
}

bool FruitCatalogue::ReadKind(const TiXmlElement& element, FruitInfo& info, const char* source) {
    const char* name = element.Attribute("name");
    if (HasText(name)) {
        if (strlen(name) + strlen(kLongestSuffix) >= kFruitNameBytes) {
            Log("FruitCatalogue: %s: the kind name \"%.20s...\" is too long for its statistic names, "
                "kind left out",
                source, name);
            return false;
        }
        Copy(info.name, sizeof(info.name), name);
        info.nameHash = Hash(info.name);
        if (info.name[0] >= 'a' && info.name[0] <= 'z') {
            info.name[0] = static_cast<char>(info.name[0] - 'a' + 'A');
        }
        info.capitalNameHash = Hash(info.name);
        if (info.name[0] >= 'A' && info.name[0] <= 'Z') {
            info.name[0] = static_cast<char>(info.name[0] - 'A' + 'a');
        }
        char formed[kFruitNameBytes + 16];
        snprintf(formed, sizeof(formed), "%s_trail", info.name);
        info.trailParticlesHash = Hash(formed);
        snprintf(formed, sizeof(formed), "%s_sliced", info.name);
        info.slicedParticlesHash = Hash(formed);
        JoinName(info.totalStatName, sizeof(info.totalStatName), info.name, "_total");
        JoinName(info.pointTotalStatName, sizeof(info.pointTotalStatName), info.name, kLongestSuffix);
        JoinName(info.dropsStatName, sizeof(info.dropsStatName), info.name, "_drops");
        info.totalStatHash = Hash(info.totalStatName);
        info.pointTotalStatHash = Hash(info.pointTotalStatName);
        info.dropsStatHash = Hash(info.dropsStatName);
        // The pictures keep the name as the file spells it.
        snprintf(info.hudTexture, sizeof(info.hudTexture), "hud/hud_%s.tex", name);
        snprintf(info.calmTexture, sizeof(info.calmTexture), "results_screen/calm_%s.tex", name);
    }
    if (const TiXmlElement* titles = element.FirstChildElement("titles")) {
        char pluralDefault[kFruitNameBytes + 2];
        snprintf(pluralDefault, sizeof(pluralDefault), "%ss", info.name);
        const char* plural = titles->Attribute("plural");
        const char* singular = titles->Attribute("singular");
        const char* pluralEnglish = titles->Attribute("pluralEnglish");
        const char* singularEnglish = titles->Attribute("singularEnglish");
        // The string tables translate the keys once the text library lands;
        // until then a key stands for itself, as a missing key does.
        Copy(info.plural, sizeof(info.plural), HasText(plural) ? plural : pluralDefault);
        Copy(info.singular, sizeof(info.singular), HasText(singular) ? singular : info.name);
        Copy(info.pluralEnglish, sizeof(info.pluralEnglish),
             HasText(pluralEnglish) ? pluralEnglish : pluralDefault);
        Copy(info.singularEnglish, sizeof(info.singularEnglish),
             HasText(singularEnglish) ? singularEnglish : info.name);
    }
    const char* factTexture = element.Attribute("factTexture");
    if (HasText(factTexture)) {
        Copy(info.factTexture, sizeof(info.factTexture), factTexture);
    }
    const char* modelName = element.Attribute("modelName");
    Copy(info.modelName, sizeof(info.modelName), HasText(modelName) ? modelName : info.name);
    if (const TiXmlElement* colours = element.FirstChildElement("colours")) {
        const char* colour = colours->Attribute("colour");
        if (colour != nullptr) {
            info.colour = ParseFruitColour(colour);
            if (info.colour.a == 0) {
                info.canBeCritical = false;
            }
        }
        const char* factColour = colours->Attribute("factColour");
        if (factColour != nullptr) {
            info.factColour = ParseFruitColour(factColour);
            info.factColour.a = 255;
        }
    }
    ReadFloat(element, "scale", info.scale);
    ReadFloat(element, "collision", info.collisionSize);
    ReadFloat(element, "hitInfluence", info.hitInfluence);
    ReadInt(element, "chance", info.chance);
    ReadInt(element, "score", info.score);
    info.scoresNothing = info.score == 0;
    int32_t coins = 0;
    if (HasText(element.Attribute("coins"))) {
        ReadInt(element, "coins", coins);
        info.coinsMin = info.coinsMax = coins;
    }
    ReadInt(element, "coinsMin", info.coinsMin);
    ReadInt(element, "coinsMax", info.coinsMax);
    int32_t seeds = 0;
    ReadInt(element, "hasSplatSeeds", seeds);
    info.hasSplatSeeds = seeds == 1;
    if (info.score >= m_critical.score) {
        info.canBeCritical = false;
    }
    const char* noCritical = element.Attribute("noCritical");
    if (HasText(noCritical)) {
        info.canBeCritical = !IsTrue(noCritical);
    }
    const char* onSide = element.Attribute("onside");
    if (!HasText(onSide)) {
        onSide = element.Attribute("onSide");
    }
    info.onSide = IsTrue(onSide);
    info.onlySprinkle = IsTrue(element.Attribute("onlySprinkle"));
    for (const TiXmlElement* fact = element.FirstChildElement("fact"); fact != nullptr;
         fact = fact->NextSiblingElement("fact")) {
        ++info.factCount;
    }
    int32_t running = 0;
    for (const TiXmlElement* sound = element.FirstChildElement("impact_sound"); sound != nullptr;
         sound = sound->NextSiblingElement("impact_sound")) {
        FruitImpactSound entry;
        Copy(entry.name, sizeof(entry.name), sound->GetText());
        ReadInt(*sound, "chance", entry.chance);
        running += entry.chance;
        entry.cumulativeChance = running;
        info.impactSounds.push_back(entry);
    }
    if (info.impactSounds.empty()) {
        FruitImpactSound entry;
        const char first = info.name[0];
        snprintf(entry.name, sizeof(entry.name), "Impact-%c%s",
                 first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first,
                 first != '\0' ? info.name + 1 : "");
        info.impactSounds.push_back(entry);
    }
    running = 0;
    for (const TiXmlElement* power = element.FirstChildElement("power"); power != nullptr;
         power = power->NextSiblingElement("power")) {
        FruitPower entry;
        const char* powerName = power->Attribute("name");
        entry.nameHash = powerName != nullptr ? Hash(powerName) : 0;
        ReadInt(*power, "chance", entry.chance);
        running += entry.chance;
        entry.cumulativeChance = running;
        info.powers.push_back(entry);
    }
    return true;
}

void FruitCatalogue::Unload() {
    FruitModels::Get().Unload();
    m_kinds.clear();
    m_critical = CriticalSettings{};
    m_bombSize = 0.0f;
    m_bombCollision = 0.0f;
    m_grandTotal = m_coinFreeTotal = m_criticalTotal = m_criticalCoinFreeTotal = 0;
    m_loaded = false;
}

Colour FruitCatalogue::ColourOf(int index) const {
    if (index == Count()) {
        return m_critical.colour;
    }
    if (index < 0 || index > Count()) {
        return kColourBlack;
    }
    return At(index).colour;
}

int FruitCatalogue::IndexOf(const char* name, int randomFallback, Random* random) const {
    if (HasText(name)) {
        const uint32_t hash = Hash(name);
        for (int i = 0; i < Count(); ++i) {
            if (m_kinds[static_cast<size_t>(i)].nameHash == hash ||
                m_kinds[static_cast<size_t>(i)].capitalNameHash == hash) {
                return i;
            }
        }
    }
    if (randomFallback != 1 || random == nullptr || Count() == 0) {
        return -1;
    }
    const uint64_t draw = random->Next();
    return static_cast<int>((draw * static_cast<uint64_t>(Count() - 1)) >> 32);
}

void FruitCatalogue::BuildTotals(const int* candidates, int count) {
    for (int i = 0; i < count; ++i) {
        FruitInfo& info = m_kinds[static_cast<size_t>(candidates[i])];
        m_grandTotal += info.chance;
        info.cumulativeChance = m_grandTotal;
        if (info.coinsMax <= 0) {
            m_coinFreeTotal += info.chance;
        }
        if (info.canBeCritical) {
            m_criticalTotal += info.chance;
            if (info.coinsMax <= 0) {
                m_criticalCoinFreeTotal += info.chance;
            }
        }
        info.cumulativeCriticalChance = m_criticalTotal;
    }
}

int FruitCatalogue::PickWeighted(Random& random, bool criticalPhase, int coinFlag, const int* candidates,
                                 int count) {
    if (candidates == nullptr || count <= 0) {
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        if (candidates[i] < 0 || candidates[i] >= Count()) {
            return -1;  // the caller's fault; no kind to give
        }
    }
    if (m_grandTotal <= 0) {
        BuildTotals(candidates, count);
    }
    auto below = [&random](int32_t total) { return random.NextBelow(total > 0 ? static_cast<uint32_t>(total) : 1u); };
    if (criticalPhase && coinFlag == 1) {
        const uint32_t u = below(m_criticalTotal);
        for (int i = 0; i < count; ++i) {
            if (static_cast<uint32_t>(At(candidates[i]).cumulativeCriticalChance) > u) {
                return candidates[i];
            }
        }
    } else if (criticalPhase) {
        const uint32_t u = below(m_criticalCoinFreeTotal);
        uint32_t sum = 0;
        for (int i = 0; i < count; ++i) {
            const FruitInfo& info = At(candidates[i]);
            if (info.canBeCritical && info.coinsMax <= 0) {
                sum += static_cast<uint32_t>(info.chance);
                if (sum > u) {
                    return candidates[i];
                }
            }
        }
    } else if (coinFlag != 0) {
        const uint32_t u = below(m_grandTotal);
        for (int i = 0; i < count; ++i) {
            if (static_cast<uint32_t>(At(candidates[i]).cumulativeChance) > u) {
                return candidates[i];
            }
        }
    } else {
        const uint32_t u = below(m_coinFreeTotal);
        uint32_t sum = 0;
        for (int i = 0; i < count; ++i) {
            const FruitInfo& info = At(candidates[i]);
            if (info.coinsMax <= 0) {
                sum += static_cast<uint32_t>(info.chance);
                if (sum > u) {
                    return candidates[i];
                }
            }
        }
    }
    // Uniform fallback; the last candidate is never the uniform choice.
    const uint64_t draw = random.Next();
    return candidates[(draw * static_cast<uint64_t>(count - 1)) >> 32];
}

int FruitCatalogue::PickAny(Random& random, bool criticalPhase, int coinFlag) {
    m_scratch.clear();
    for (int i = 0; i < Count(); ++i) {
        m_scratch.push_back(i);
    }
    return PickWeighted(random, criticalPhase, coinFlag, m_scratch.data(), Count());
}

int FruitCatalogue::PickAnyExceptBanana(Random& random, bool criticalPhase, int coinFlag) {
    const uint32_t banana = Hash("banana");
    m_scratch.clear();
    for (int i = 0; i < Count(); ++i) {
        if (NameHash(i) != banana) {
            m_scratch.push_back(i);
        }
    }
    return PickWeighted(random, criticalPhase, coinFlag, m_scratch.data(), static_cast<int>(m_scratch.size()));
}

int FruitCatalogue::PickNamed(Random& random, bool criticalPhase, int coinFlag, const char* const* names,
                              int nameCount) {
    m_scratch.clear();
    for (int i = 0; i < Count(); ++i) {
        for (int n = 0; n < nameCount; ++n) {
            if (NameHash(i) == Hash(names[n])) {
                m_scratch.push_back(i);
                break;
            }
        }
    }
    return PickWeighted(random, criticalPhase, coinFlag, m_scratch.data(), static_cast<int>(m_scratch.size()));
}

int FruitCatalogue::PickSmallFruit(Random& random, bool criticalPhase, int coinFlag) {
    static const char* const kNames[] = {"strawberry", "kiwifruit", "lime"};
    return PickNamed(random, criticalPhase, coinFlag, kNames, 3);
}

int FruitCatalogue::PickMediumFruit(Random& random, bool criticalPhase, int coinFlag) {
    static const char* const kNames[] = {"orange", "mango", "apple_red", "tomato", "apple",
                                         "plum",   "passionfruit", "lemon", "peach", "pear"};
    return PickNamed(random, criticalPhase, coinFlag, kNames, 10);
}

int FruitCatalogue::PickLargeFruit(Random& random, bool criticalPhase, int coinFlag) {
    static const char* const kNames[] = {"banana", "watermelon", "pineapple"};
    return PickNamed(random, criticalPhase, coinFlag, kNames, 3);
}

}  // namespace Varnok
