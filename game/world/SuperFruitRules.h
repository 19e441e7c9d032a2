// The rules that swap a fruit about to be thrown for a special kind (the super
// fruit and any kind a rule names), read from "xml/globalprobabilities.xml".
// A rule keeps its state as a statistic named after it: a countdown of thrown
// fruit (lifetime, carried from game to game), a score threshold or a
// play-time threshold (session, set at every game start). Draws come from the
// game-wide generator, never the wave generator, so the waves stay as they
// were. Main thread only.
#pragma once

#include "engine/core/EventList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;
class TiXmlDocument;

namespace Varnok {

class Fruit;
class GameStats;

struct FruitChance {
    std::string type;       // a catalogue kind's name
    int32_t chance = 100;
    int32_t cumulative = 0;  // running total up to and including this entry
};

// The fruit-count rule ("globalProbability"); the base of the other two.
class SuperFruitProbabilityRule {
public:
    enum class Kind { FruitCount, PointBased, Timed };

    SuperFruitProbabilityRule() = default;
    virtual ~SuperFruitProbabilityRule() = default;
    SuperFruitProbabilityRule(const SuperFruitProbabilityRule&) = delete;
    SuperFruitProbabilityRule& operator=(const SuperFruitProbabilityRule&) = delete;

    virtual Kind GetKind() const { return Kind::FruitCount; }
    // The common attributes, the fruit list, then ParseExtra.
    void Parse(const TiXmlElement& element);
    virtual void ParseExtra(const TiXmlElement& /*element*/) {}
    // True when the rule fires for the fruit about to be thrown; kind then
    // holds the replacement.
    virtual bool Test(int32_t& kind);
    // Takes a firing back (its fruit never entered play).
    virtual void Cancel();
    virtual void StartGame() {}

    // Whether the play allows a replacement now (waves, powers).
    bool CanSpawn() const;
    // A catalogue kind by weight; 0 when no listed type names a kind.
    int PickFruit() const;

    // Attached to a fruit thrown under the rule.
    void OnFruitDropped(Fruit* fruit);
    void OnFruitLaunched(Fruit* fruit);
    using FruitHook = Event1<Fruit*>::DelegateType;
    FruitHook DropHook() { return FruitHook(this, &SuperFruitProbabilityRule::OnFruitDropped); }
    FruitHook LaunchHook() { return FruitHook(this, &SuperFruitProbabilityRule::OnFruitLaunched); }

    int32_t total = 0;
    std::vector<FruitChance> fruits;
    std::string name;
    uint32_t nameHash = 0;
    int32_t modeMask = -1;
    int32_t minWait = 0;
    int32_t maxWait = 0;
    uint8_t canSpawnWithPowers = 1;
    int32_t dontSpawnBeforeWave = 0;

protected:
    // False when the running mode is not one of the rule's.
    bool InCurrentMode() const;
    // The rule's statistic (0 without a store).
    int32_t Value() const;
    // Lifetime with the achievement check for fruit-count rules, session
    // without it for the others.
    void SetValue(int32_t value);
};

class PointBasedProbabilityRule : public SuperFruitProbabilityRule {
public:
    Kind GetKind() const override { return Kind::PointBased; }
    void ParseExtra(const TiXmlElement& element) override;
    bool Test(int32_t& kind) override;
    void Cancel() override;
    void StartGame() override;

    int32_t everyMin = 0;
    int32_t everyMax = 0;
    int32_t fromMin = 0;
    int32_t fromMax = 0;
};

class TimedProbabilityRule : public SuperFruitProbabilityRule {
public:
    Kind GetKind() const override { return Kind::Timed; }
    bool Test(int32_t& kind) override;
    void Cancel() override;
    void StartGame() override;
};

// A whole number between a and b from the game-wide generator: a when they
// are equal, else trunc(a + (b - a) * u) in floats.
int32_t RuleWholeBetween(int32_t a, int32_t b);

// The rules in asking order: fruit-count rules in document order, then
// point-based, then timed.
class SuperFruitRuleSet {
public:
    static constexpr const char* kFileName = "xml/globalprobabilities.xml";

    SuperFruitRuleSet() = default;
    ~SuperFruitRuleSet() { Clear(); }
    SuperFruitRuleSet(const SuperFruitRuleSet&) = delete;
    SuperFruitRuleSet& operator=(const SuperFruitRuleSet&) = delete;

    // Replaces the rules by those of the file's section "probabilityFile%i"
    // (%i the statistic "super_fruit_probability_system"). A missing or
    // broken file leaves no rules, with one log line.
    void Load(const char* fileName);
    // The same over text already read, for tests and the fuzz target.
    void LoadText(const char* text, size_t length);
    // Deletes the rules and takes their hooks off every fruit in play, so
    // that no fruit calls a deleted rule.
    void Clear();
    void StartGame();
    // The first rule that fires, which may change kind; null when none.
    SuperFruitProbabilityRule* FindRule(int32_t& kind);
    // Hooks the rule's drop and launch handlers onto the fruit.
    static void Attach(SuperFruitProbabilityRule& rule, Fruit& fruit);

    size_t Count() const { return m_rules.size(); }
    SuperFruitProbabilityRule& At(size_t index) { return *m_rules[index]; }

private:
    void Build(const TiXmlDocument& document, const char* source);

    std::vector<std::unique_ptr<SuperFruitProbabilityRule>> m_rules;
};

}  // namespace Varnok
