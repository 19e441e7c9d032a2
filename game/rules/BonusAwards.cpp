// Reading the bonus table and recording combo statistics.
#include "game/rules/BonusAwards.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/StringTables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

constexpr size_t kTextMax = 127;

uint32_t HashOf(const char* text, size_t length) {
    return HashName(text, static_cast<int>(length));
}

std::vector<uint32_t> HashList(const char* text) {
    std::vector<std::string> names;
    SplitCommaList(text, names);
    std::vector<uint32_t> hashes;
    for (const std::string& name : names) {
        hashes.push_back(HashOf(name.c_str(), name.size()));
    }
    return hashes;
}

BonusCondition ReadCondition(const TiXmlElement& element, const SmartPtr<Texture>& awardTexture, bool loadTextures) {
    BonusCondition condition;
    int value = 0;
    if (element.QueryIntAttribute("min", &value) == TIXML_SUCCESS) {
        condition.min = value;
    }
    if (element.QueryIntAttribute("max", &value) == TIXML_SUCCESS) {
        condition.max = value;
    }
    if (element.QueryIntAttribute("equals", &value) == TIXML_SUCCESS && value >= 0) {
        condition.min = condition.max = value;
    }
    for (const TiXmlAttribute* a = element.FirstAttribute(); a != nullptr; a = a->Next()) {
        const char* name = a->Name();
        if (std::strncmp(name, "min-", 4) == 0 && name[4] != '\0') {
            condition.minStats[HashOf(name + 4, std::strlen(name + 4))] = std::atoi(a->Value());
        } else if (std::strncmp(name, "max-", 4) == 0 && name[4] != '\0') {
            condition.maxStats[HashOf(name + 4, std::strlen(name + 4))] = std::atoi(a->Value());
        }
    }
    (void)element.QueryIntAttribute("multiple", &condition.multiple);
    const char* achievement = element.Attribute("achievement");
    if (achievement != nullptr && achievement[0] != '\0') {
        condition.achievement = HashOf(achievement, std::strlen(achievement));
        condition.points = -1;
    }
    (void)element.QueryIntAttribute("points", &condition.points);
    if (const char* key = element.GetText()) {
        const char* text = StringTables::Get(key);
        const char* shown = text != nullptr ? text : key;
        condition.text.assign(shown, std::min(std::strlen(shown), kTextMax));
    }
    if (const char* colour = element.Attribute("colour")) {
        ParseColour(condition.colour, colour);
    }
    condition.valuesEqual = HashList(element.Attribute("valuesEqual"));
    const char* texture = element.Attribute("texture");
    condition.texture = texture != nullptr && loadTextures ? LoadNamedTexture(texture) : awardTexture;
    return condition;
}

}  // namespace

BonusAwards& BonusAwards::Instance() {
    static BonusAwards awards;
    return awards;
}

void BonusAwards::Clear() {
    m_awards.clear();
    m_comboBonus.clear();
}

void BonusAwards::Load() {
    TiXmlDocument document;
    (void)LoadXmlDocument(document, kFileName);  // LoadFromDocument reports a refusal
    LoadFromDocument(document, kFileName, true);
}

void BonusAwards::LoadFromText(const char* text, size_t length) {
    TiXmlDocument document("bonus award text");
    (void)ParseXmlDocument(document, text, length);
    LoadFromDocument(document, "bonus award text", false);
}

void BonusAwards::LoadFromDocument(const TiXmlDocument& document, const char* source, bool loadTextures) {
    Clear();
    if (document.Error() && document.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE) {
        return;  // the XML layer has said why; the table stays empty
    }
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* file = nullptr;
    if (root != nullptr) {
        file = std::strcmp(root->Value(), "bonusAwardsFile") == 0 ? root : root->FirstChildElement("bonusAwardsFile");
    }
    if (document.Error() || file == nullptr) {
        Log("BonusAwards: %s not read (%s), no bonus table", source,
            document.Error() ? document.ErrorDesc() : "no bonusAwardsFile element");
        return;
    }
    for (const TiXmlElement* e = file->FirstChildElement(); e != nullptr; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Value(), "bonusType") == 0) {
            BonusAward award;
            for (uint32_t hash : HashList(e->Attribute("total"))) {
                award.totals[hash] = 0;
            }
            const char* texture = e->Attribute("texture");
            if (texture != nullptr && loadTextures) {
                award.texture = LoadNamedTexture(texture);
            }
            for (const TiXmlElement* b = e->FirstChildElement("bonus"); b != nullptr; b = b->NextSiblingElement("bonus")) {
                award.conditions.push_back(ReadCondition(*b, award.texture, loadTextures));
                award.hasAchievement = award.hasAchievement || award.conditions.back().achievement != 0;
            }
            m_awards.push_back(std::move(award));
        } else if (std::strcmp(e->Value(), "combo") == 0) {
            int bonus = 0;
            (void)e->QueryIntAttribute("bonus", &bonus);
            m_comboBonus.push_back(bonus);
        }
    }
}

int32_t BonusAwards::ComboBonusFor(int n) const {
    if (m_comboBonus.empty()) {
        return 0;  // no values: a combo adds nothing
    }
    const int last = static_cast<int>(m_comboBonus.size()) - 1;
    const int index = n <= kComboMinFruits ? 0 : std::min(n - kComboMinFruits, last);
    return m_comboBonus[static_cast<size_t>(index)];
}

void BonusAwards::RecordComboStats(int n, GameStats& stats) const {
    stats.Add("combo_bonus", ComboBonusFor(n), 0, 0);
    const int32_t best = stats.Get("best_combo");
    stats.Add("best_combo", n > best ? n - best : 0, 0, 0);
}

void BonusAwards::RecordComboStats(int n) const {
    if (GameStats* stats = GetGameRecord().stats) {
        RecordComboStats(n, *stats);
    }
}

}  // namespace Varnok
