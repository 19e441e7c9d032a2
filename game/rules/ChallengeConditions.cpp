// Condition types, the condition library and the round outcome.
#include "game/rules/ChallengeConditions.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/world/WorldObjectManager.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstring>

namespace Varnok {
namespace {

uint32_t HashText(const char* text) {
    return text != nullptr ? HashName(text, static_cast<int>(std::strlen(text))) : 0u;
}

uint32_t ChallengeFruitKey() {
    static const uint32_t s_key = HashText("challengeFruit");
    return s_key;
}

bool IsText(const char* value, const char* expected) {
    return value != nullptr && std::strcmp(value, expected) == 0;
}

class GameSource final : public ConditionSource {
public:
    int32_t GetScore() const override { return Varnok::GetScore(); }
    int32_t GetStat(uint32_t nameHash) const override {
        const GameStats* stats = GetGameRecord().stats;
        return stats != nullptr ? stats->GetByHash(nameHash) : 0;
    }
    bool IsFruitInPlay() const override {
        WorldObjectManager& world = WorldObjectManager::Instance();
        WorldObjectManager::Cursor cursor = nullptr;
        const uint32_t fruitType = static_cast<uint32_t>(WorldObjectType::Fruit);
        for (WorldObject* object = world.First(fruitType, cursor); object != nullptr;
             object = world.Next(fruitType, cursor)) {
            if (!object->IsDead()) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace

ConditionSource& GameConditionSource() {
    static GameSource s_source;
    return s_source;
}

ConditionType ConditionTypeFromName(const char* name) {
    static const struct {
        const char* name;
        ConditionType type;
    } kTypes[] = {
        {"SCORE", ConditionType::Score},
        {"STATS", ConditionType::Stats},
        {"CONSECUTIVE", ConditionType::Consecutive},
        {"STATS_COMPARE", ConditionType::StatsCompare},
        {"TIME", ConditionType::Time},
    };
    for (const auto& entry : kTypes) {
        if (IsText(name, entry.name)) {
            return entry.type;
        }
    }
    return ConditionType::Invalid;
}

void ChallengeCondition::Start(const ConditionSource& source, uint32_t challengeFruitHash) {
    m_source = &source;
    status = 0;
    if (specificType == ChallengeFruitKey()) {
        matchType = challengeFruitHash;
    }
}

void ChallengeCondition::Parse(const TiXmlElement& element) {
    const char* text = element.Attribute("name");
    name.assign(text != nullptr ? text : "");
    if (name.size() >= static_cast<size_t>(kNameBytes)) {
        name.resize(kNameBytes - 1);
    }
    nameHash = HashText(name.c_str());
    kind = IsText(element.Attribute("result"), "FAIL") ? kRoundFailed : kRoundPassed;
    int value = 0;
    if (element.QueryIntAttribute("total", &value) == TIXML_SUCCESS) {
        total = value;
    }
    specificType = HashText(element.Attribute("specific_type"));
    matchType = specificType;
    evaluateOnEnd = IsText(element.Attribute("evaluateOnEnd"), "true");
}

bool ChallengeCondition::Evaluate() {
    const int32_t before = status;
    status = IsMet() ? kind : 0;
    return status != before;
}

int32_t ScoreCondition::GetCurrent() const {
    return m_source != nullptr ? m_source->GetScore() : 0;
}

int32_t StatsCondition::GetCurrent() const {
    return m_source != nullptr ? m_source->GetStat(matchType) : 0;
}

void ConsecutiveCondition::OnConsecutive(int32_t count, uint32_t fruitHash) {
    if (matchType != 0 && fruitHash != matchType) {
        return;
    }
    status = count >= total ? kind : 0;
}

void StatsCompareCondition::Parse(const TiXmlElement& element) {
    ChallengeCondition::Parse(element);
    const char* comparisonName = element.Attribute("comparison");
    if (comparisonName != nullptr) {
        comparison = CompareOpFromName(comparisonName);
        secondType = HashText(element.Attribute("specific_type2"));
    } else {
        comparison = CompareOp::Equal;
        secondType = 0;
    }
}

void StatsCompareCondition::OnRoundEnd() {
    if (evaluateOnEnd) {
        Evaluate();
    }
}

void StatsCompareCondition::OnStatChanged() {
    if (!evaluateOnEnd) {
        Evaluate();
    }
}

bool StatsCompareCondition::Evaluate() {
    const int32_t before = status;
    const int32_t a = m_source != nullptr ? m_source->GetStat(matchType) : 0;
    const int32_t b = m_source != nullptr ? m_source->GetStat(secondType) : 0;
    status = TestCompare(comparison, a, b) ? kind : 0;
    return status != before;
}

void TimeCondition::Start(const ConditionSource& source, uint32_t challengeFruitHash) {
    m_source = &source;
    if (specificType == ChallengeFruitKey()) {
        matchType = challengeFruitHash;
    }
    remaining = time;
}

void TimeCondition::Parse(const TiXmlElement& element) {
    ChallengeCondition::Parse(element);
    double seconds = 0.0;
    if (element.QueryDoubleAttribute("time", &seconds) == TIXML_SUCCESS) {
        time = static_cast<float>(seconds);
    }
}

void TimeCondition::OnUpdate(float stepSeconds) {
    remaining -= stepSeconds;
    if (remaining > 0.0f) {
        status = 0;
        return;
    }
    // Time is up, but a fruit still flying may yet be missed.
    const bool fruitLeft = m_source != nullptr && m_source->IsFruitInPlay();
    status = fruitLeft ? 0 : kind;
}

std::unique_ptr<ChallengeCondition> CreateChallengeCondition(ConditionType type) {
    switch (type) {
        case ConditionType::Score:
            return std::make_unique<ScoreCondition>();
        case ConditionType::Stats:
            return std::make_unique<StatsCondition>();
        case ConditionType::Consecutive:
            return std::make_unique<ConsecutiveCondition>();
        case ConditionType::StatsCompare:
            return std::make_unique<StatsCompareCondition>();
        case ConditionType::Time:
            return std::make_unique<TimeCondition>();
        case ConditionType::Invalid:
            break;
    }
    return nullptr;
}

int ChallengeConditionList::Parse(const TiXmlElement& root) {
    int read = 0;
    for (const TiXmlElement* element = root.FirstChildElement("condition"); element != nullptr;
         element = element->NextSiblingElement("condition")) {
        std::unique_ptr<ChallengeCondition> condition =
            CreateChallengeCondition(ConditionTypeFromName(element->Attribute("type")));
        if (condition == nullptr) {
            Log("ChallengeConditions: condition \"%s\" has no known type, skipped",
                element->Attribute("name") != nullptr ? element->Attribute("name") : "");
            continue;
        }
        condition->Parse(*element);
        const uint32_t key = condition->nameHash;
        // A condition the running round holds must not die under it.
        for (ChallengeCondition*& active : m_active) {
            if (active->nameHash == key) {
                active = nullptr;
            }
        }
        m_active.erase(std::remove(m_active.begin(), m_active.end(), nullptr), m_active.end());
        m_library[key] = std::move(condition);
        ++read;
    }
    return read;
}

void ChallengeConditionList::ClearLibrary() {
    m_active.clear();
    m_library.clear();
}

void ChallengeConditionList::ClearActive() {
    m_status = kRoundRunning;
    m_timeLimit = 0.0f;
    m_active.clear();
}

void ChallengeConditionList::Activate(const std::vector<uint32_t>& names, uint32_t challengeFruitHash) {
    m_status = kRoundRunning;
    m_timeLimit = 0.0f;
    for (uint32_t nameHash : names) {
        ChallengeCondition* condition = Find(nameHash);
        if (condition == nullptr) {
            continue;
        }
        condition->Start(*m_source, challengeFruitHash);
        m_active.push_back(condition);
        if (condition->GetType() == ConditionType::Time) {
            m_timeLimit = static_cast<TimeCondition*>(condition)->remaining;
        }
    }
}

void ChallengeConditionList::Update(float stepSeconds) {
    for (ChallengeCondition* condition : m_active) {
        condition->OnUpdate(stepSeconds);
    }
    Evaluate(false);
}

void ChallengeConditionList::Evaluate(bool final) {
    if (m_status != kRoundRunning) {
        return;
    }
    if (final) {
        for (const ChallengeCondition* condition : m_active) {
            if (condition->evaluateOnEnd && condition->status == kRoundFailed) {
                m_status = kRoundFailed;
                return;
            }
        }
    }
    bool anyPass = false;
    for (const ChallengeCondition* condition : m_active) {
        if (condition->IsFailCondition()) {
            continue;
        }
        anyPass = true;
        // A pass condition that is not evaluated at the end never passes
        // the round by itself: its status may have come and gone in play.
        if (!condition->evaluateOnEnd || condition->status != kRoundPassed) {
            return;
        }
    }
    if (anyPass && final) {
        m_status = kRoundPassed;
    }
}

void ChallengeConditionList::EvaluateEnd() {
    for (ChallengeCondition* condition : m_active) {
        condition->OnRoundEnd();
    }
    Evaluate(true);
    if (m_status != kRoundRunning) {
        return;
    }
    bool allFail = true;
    for (const ChallengeCondition* condition : m_active) {
        allFail = allFail && condition->IsFailCondition();
    }
    m_status = allFail ? kRoundPassed : kRoundFailed;
}

const StatsCondition* ChallengeConditionList::FirstStatsPassCondition() const {
    for (const ChallengeCondition* condition : m_active) {
        if (condition->GetType() == ConditionType::Stats && !condition->IsFailCondition()) {
            return static_cast<const StatsCondition*>(condition);
        }
    }
    return nullptr;
}

int32_t ChallengeConditionList::GetRemaining() const {
    const StatsCondition* condition = FirstStatsPassCondition();
    return condition != nullptr ? condition->GetTotal() - condition->GetCurrent() : 1;
}

float ChallengeConditionList::GetProgress() const {
    const StatsCondition* condition = FirstStatsPassCondition();
    if (condition == nullptr || condition->GetTotal() == 0) {
        return 0.0f;
    }
    return static_cast<float>(condition->GetCurrent()) / static_cast<float>(condition->GetTotal());
}

bool ChallengeConditionList::TargetsChallengeFruit() const {
    for (const ChallengeCondition* condition : m_active) {
        if (condition->GetSpecificType() == ChallengeFruitKey()) {
            return true;
        }
    }
    return false;
}

void ChallengeConditionList::NotifyStatChanged() {
    for (ChallengeCondition* condition : m_active) {
        condition->OnStatChanged();
    }
}

void ChallengeConditionList::NotifyScoreChanged() {
    for (ChallengeCondition* condition : m_active) {
        condition->OnScoreChanged();
    }
}

void ChallengeConditionList::NotifyConsecutive(int32_t count, uint32_t fruitHash) {
    for (ChallengeCondition* condition : m_active) {
        condition->OnConsecutive(count, fruitHash);
    }
}

ChallengeCondition* ChallengeConditionList::Find(uint32_t nameHash) const {
    const auto found = m_library.find(nameHash);
    return found != m_library.end() ? found->second.get() : nullptr;
}

}  // namespace Varnok
