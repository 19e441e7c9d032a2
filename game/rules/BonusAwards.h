// The bonus table of "xml/bonusAwards.xml": combo bonus values by combo
// size, and award definitions with conditions on statistics (kept; nothing
// in the game judges them). Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

#include <tinyxml.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Varnok {

class GameStats;

struct BonusCondition {
    int32_t min = 0;
    int32_t max = 10000000;
    std::map<uint32_t, int32_t> minStats;  // statistic name hash to bound
    std::map<uint32_t, int32_t> maxStats;
    int32_t multiple = 0;
    int32_t points = 5;  // -1 for an achievement without points
    std::string text;    // localised, at most 127 characters
    Colour colour{255, 255, 255, 255};
    std::vector<uint32_t> valuesEqual;
    uint32_t achievement = 0;
    SmartPtr<Texture> texture;
};

struct BonusAward {
    std::map<uint32_t, int32_t> totals;
    SmartPtr<Texture> texture;
    std::vector<BonusCondition> conditions;
    bool hasAchievement = false;
};

class BonusAwards {
public:
    static constexpr const char* kFileName = "xml/bonusAwards.xml";
    static constexpr int kComboMinFruits = 3;

    static BonusAwards& Instance();

    // A file that does not load leaves the table empty (one log line).
    void Load();
    // The same over a parsed document; textures load only when asked.
    void LoadFromDocument(const TiXmlDocument& document, const char* source, bool loadTextures);
    void LoadFromText(const char* text, size_t length);
    void Clear();

    // A slash closed a combo of n fruit (n >= 3): "combo_bonus" gains the
    // value for that size (0 without combo values) and "best_combo" becomes
    // at least n, in the current game's statistics.
    void RecordComboStats(int n, GameStats& stats) const;
    void RecordComboStats(int n) const;
    int32_t ComboBonusFor(int n) const;

    const std::vector<BonusAward>& Awards() const { return m_awards; }
    const std::vector<int32_t>& ComboBonus() const { return m_comboBonus; }

private:
    std::vector<BonusAward> m_awards;
    std::vector<int32_t> m_comboBonus;
};

}  // namespace Varnok
