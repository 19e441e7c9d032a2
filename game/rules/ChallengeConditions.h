// The conditions that decide a challenge round: a library of every condition
// of the game by name hash, the conditions of the running round, and the
// round's outcome as the game reports scores, statistics, runs of same-kind
// fruit and time. Main thread only.
#pragma once

#include "game/rules/GameHelpers.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace Varnok {

// What the conditions read of the running game; tests give their own.
class ConditionSource {
public:
    virtual ~ConditionSource() = default;
    virtual int32_t GetScore() const = 0;
    virtual int32_t GetStat(uint32_t nameHash) const = 0;
    // A fruit of the play field is still in play (not dead).
    virtual bool IsFruitInPlay() const = 0;
};

// The game record's score, the statistics store and the world's fruit list.
ConditionSource& GameConditionSource();

enum class ConditionType : int32_t {
    Invalid = 0,
    Score = 1,
    Stats = 2,
    Consecutive = 3,
    StatsCompare = 4,
    Time = 5,
};
// Invalid for null and for any name not listed.
ConditionType ConditionTypeFromName(const char* name);

// A round's outcome and a condition's status share these values.
enum : int32_t {
    kRoundRunning = 0,
    kRoundPassed = 1,
    kRoundFailed = 2,
};

class ChallengeCondition {
public:
    static constexpr int kNameBytes = 64;  // names are cut to 63 characters

    virtual ~ChallengeCondition() = default;

    // A new round: status 0; a "challengeFruit" condition matches the round's
    // challenge fruit. The source must outlive the round.
    virtual void Start(const ConditionSource& source, uint32_t challengeFruitHash);
    virtual void Parse(const TiXmlElement& element);
    virtual void OnRoundEnd() {}
    virtual void OnStatChanged() {}
    virtual void OnScoreChanged() {}
    virtual void OnConsecutive(int32_t count, uint32_t fruitHash) {
        (void)count;
        (void)fruitHash;
    }
    virtual void OnUpdate(float stepSeconds) { (void)stepSeconds; }
    virtual ConditionType GetType() const = 0;
    // SCORE and STATS count towards a total the HUD can show.
    virtual bool IsCounting() const { return false; }
    int32_t GetTotal() const { return total; }
    virtual int32_t GetCurrent() const { return 0; }
    uint32_t GetSpecificType() const { return specificType; }
    bool IsMet() const { return GetCurrent() >= GetTotal(); }
    // Status becomes kind when met, else 0; answers whether it changed.
    virtual bool Evaluate();
    bool IsFailCondition() const { return kind == kRoundFailed; }

    std::string name;
    uint32_t nameHash = 0;
    int32_t total = 0;
    uint32_t specificType = 0;
    uint32_t matchType = 0;
    bool evaluateOnEnd = false;
    int32_t kind = kRoundPassed;  // kRoundPassed or kRoundFailed
    int32_t status = 0;           // 0, or kind once met or triggered

protected:
    const ConditionSource* m_source = nullptr;  // set by Start
};

class ScoreCondition final : public ChallengeCondition {
public:
    void OnRoundEnd() override { Evaluate(); }
    void OnScoreChanged() override { Evaluate(); }
    ConditionType GetType() const override { return ConditionType::Score; }
    bool IsCounting() const override { return true; }
    int32_t GetCurrent() const override;
};

class StatsCondition final : public ChallengeCondition {
public:
    void OnRoundEnd() override { Evaluate(); }
    void OnStatChanged() override { Evaluate(); }
    ConditionType GetType() const override { return ConditionType::Stats; }
    bool IsCounting() const override { return true; }
    int32_t GetCurrent() const override;
};

// A run of same-kind fruit (of matchType, or of any kind when it is 0).
class ConsecutiveCondition final : public ChallengeCondition {
public:
    // A later, shorter run clears a met condition.
    void OnConsecutive(int32_t count, uint32_t fruitHash) override;
    ConditionType GetType() const override { return ConditionType::Consecutive; }
};

class StatsCompareCondition final : public ChallengeCondition {
public:
    void Parse(const TiXmlElement& element) override;
    void OnRoundEnd() override;
    void OnStatChanged() override;
    ConditionType GetType() const override { return ConditionType::StatsCompare; }
    bool Evaluate() override;

    uint32_t secondType = 0;
    CompareOp comparison = CompareOp::Equal;
};

// Survive a time; met once it has run out and no fruit is left in play.
class TimeCondition final : public ChallengeCondition {
public:
    static constexpr float kDefaultSeconds = 10.0f;

    // remaining = time; the status is left as it was.
    void Start(const ConditionSource& source, uint32_t challengeFruitHash) override;
    void Parse(const TiXmlElement& element) override;
    void OnUpdate(float stepSeconds) override;
    ConditionType GetType() const override { return ConditionType::Time; }

    float time = kDefaultSeconds;
    float remaining = 0.0f;
};

// A zeroed condition of the type; null for Invalid.
std::unique_ptr<ChallengeCondition> CreateChallengeCondition(ConditionType type);

class ChallengeConditionList {
public:
    // The source must outlive the list.
    explicit ChallengeConditionList(const ConditionSource& source) : m_source(&source) {}
    ChallengeConditionList() : ChallengeConditionList(GameConditionSource()) {}
    virtual ~ChallengeConditionList() = default;
    ChallengeConditionList(const ChallengeConditionList&) = delete;
    ChallengeConditionList& operator=(const ChallengeConditionList&) = delete;

    // Adds every "condition" child of root; a later one of the same name
    // replaces the earlier. Answers how many were read.
    int Parse(const TiXmlElement& root);
    virtual void ClearLibrary();
    // Status 0, time limit 0, no active conditions.
    virtual void ClearActive();
    // Status 0 and time limit 0; appends the library's conditions of those
    // names (unknown names are skipped) and starts them. Call ClearActive
    // first to begin a new round.
    void Activate(const std::vector<uint32_t>& names, uint32_t challengeFruitHash = 0);
    // At the first wave of a round; nothing to do.
    void Begin() {}
    virtual void Update(float stepSeconds);
    // Final: a triggered fail condition that waits for the end fails the
    // round; every pass condition evaluated at the end and met passes it.
    // Never changes a status that is not 0.
    void Evaluate(bool final);
    // At round end; afterwards the status is 1 or 2 (unless it already was).
    void EvaluateEnd();

    int32_t GetStatus() const { return m_status; }
    void SetStatus(int32_t status) { m_status = status; }
    void Fail() { m_status = kRoundFailed; }
    float GetTimeLimit() const { return m_timeLimit; }
    // Of the first active STATS pass condition: total minus current; 1
    // without one.
    int32_t GetRemaining() const;
    // Of the same condition: current / total; 0 without one (or a total of 0).
    float GetProgress() const;
    bool TargetsChallengeFruit() const;

    // Reports of the running game; the caller sends them only while the
    // challenge mode runs.
    void NotifyStatChanged();
    void NotifyScoreChanged();
    void NotifyConsecutive(int32_t count, uint32_t fruitHash);

    ChallengeCondition* Find(uint32_t nameHash) const;
    const std::vector<ChallengeCondition*>& GetActive() const { return m_active; }
    int LibrarySize() const { return static_cast<int>(m_library.size()); }

private:
    const StatsCondition* FirstStatsPassCondition() const;

    const ConditionSource* m_source;
    std::map<uint32_t, std::unique_ptr<ChallengeCondition>> m_library;
    std::vector<ChallengeCondition*> m_active;  // into the library
    float m_timeLimit = 0.0f;
    int32_t m_status = kRoundRunning;
};

}  // namespace Varnok
