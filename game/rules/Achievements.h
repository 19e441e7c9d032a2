// The achievement list of "xml/achievementList.xml": every entry not yet
// unlocked waits in a pending set of its type, and the checks the game runs
// at a slice, a slash's end, a new wave, a statistic change or the results
// hand an entry whose condition is met to the unlock queue, which fires it
// later (reports it, shows its pop-up). Entries whose id does not start with
// a digit unlock the item of that name instead. Main thread only.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"
#include "game/rules/GameStats.h"
#include "game/rules/UnlockQueue.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class ScreenList;
class ServiceManager;

// Steps of names a run of slices must follow; each step lists alternatives.
struct AchievementSequence {
    static constexpr int kMaxSteps = 10;
    static constexpr int kMaxAlternatives = 10;

    struct Step {
        int32_t count = 0;
        uint32_t names[kMaxAlternatives] = {};
        bool Has(uint32_t hash) const;
    };

    int32_t position = 0;  // steps matched so far
    Step steps[kMaxSteps];
    int32_t length = 0;

    // "apple,(banana,pear)": a step is a name or a parenthesised list of
    // alternatives; steps and alternatives past ten are ignored.
    static AchievementSequence Parse(const char* text);
    // One sliced kind; true when the sequence completes (it starts over).
    bool Advance(uint32_t hash);
};

enum AchievementType : int32_t {
    kAchievementTotal = 0,
    kAchievementScore = 1,
    kAchievementScoreUnsullied = 2,
    kAchievementEndScore = 3,
    kAchievementSpecific = 4,
    kAchievementConsecutive = 5,
    kAchievementConsecutiveAny = 6,
    kAchievementCombo = 7,
    kAchievementComboStar = 8,
    kAchievementSpecificOrder = 9,
    kAchievementBonusAchieved = 10,
    kAchievementQuickshot = 11,
    kAchievementTypeCount = 12,
};

struct AchievementRecord {
    static constexpr int kTextBytes = 64;  // longer texts are cut

    char title[kTextBytes] = {};
    char id[kTextBytes] = {};
    uint32_t idHash = 0;
    SmartPtr<Texture> icon;
    std::string description;  // empty: none
    int32_t total = 0;
    float totalF = 0.0f;
    int32_t score = 0;  // the points the pop-up shows
    int32_t type = -1;
    uint32_t modeMask = 0xFFFFFFFFu;
    uint8_t isGameOver = 0;
    std::unique_ptr<AchievementSequence> sequence;

    // 1 for an achievement (id starting with a digit), 2 for an item unlock.
    int PopupKind() const;
};

class AchievementManager final : public StatWatcher {
public:
    static constexpr const char* kFileName = "xml/achievementList.xml";
    static constexpr const char* kPanelTexture = "hud/hud_unlocked_dialog.tex";
    static constexpr const char* kBadgeTexture = "textures/hud/pointscircle.tex";

    using PendingMap = std::map<uint32_t, AchievementRecord*>;

    static AchievementManager& Instance();

    // Loads the pop-up pictures and the list (skipping entries the unlock
    // queue shows already). A list that does not load leaves the manager
    // empty, with one log line.
    void Load();
    // The list from text; the icons load only when asked.
    void LoadFromText(const char* text, size_t length, bool loadTextures = false);
    void LoadFromDocument(const TiXmlDocument& document, const char* source, bool loadTextures);
    // Lays out every pop-up's texts once, so the first banner is ready.
    void PreparePopups();
    void Clear();

    bool Exists(uint32_t idHash) const { return m_achievements.count(idHash) != 0; }
    const AchievementRecord* Find(uint32_t idHash) const;
    const std::vector<uint32_t>& Order() const { return m_order; }
    const PendingMap& Pending(int type) const { return m_pending[type]; }
    // The services' id of an achievement; empty when the list gives none.
    std::string SocialIdOf(uint32_t idHash) const;

    // The checks; each answers whether it unlocked something.
    bool CheckTotal(int32_t count);
    bool CheckScore(int32_t score);
    bool CheckScoreUnsullied(int32_t score);
    // Answers the record it looked at (null when none waits on that name).
    const AchievementRecord* CheckSpecificRecord(int32_t value, uint32_t nameHash);
    bool CheckConsecutive(int32_t count, uint32_t kindHash);
    // n fruit ended a slash; kinds holds the fruit kind indices of the
    // first kindCount of them (all n when kindCount is negative).
    bool CheckCombo(int n, const int32_t* kinds, int kindCount = -1);
    bool CheckSpecificOrder(uint32_t kindHash);
    bool CheckQuickshot(float seconds);

    // StatWatcher.
    void CheckSpecific(int32_t value, uint32_t nameHash) override { (void)CheckSpecificRecord(value, nameHash); }
    void OnStatChanged(uint32_t /*nameHash*/) override {}

    // Hands the record to the unlock queue; when the queue takes it, it
    // leaves its pending set. The caller's iterator (when given) moves past it.
    bool Unlock(AchievementRecord& record, PendingMap::iterator* position = nullptr);
    // The achievement services learn the unlock under its social id.
    void ReportUnlocked(const char* name);
    // The service framework reports go to (null: the game's own).
    void SetServiceManager(ServiceManager* services) { m_services = services; }
    // Appends the record's pop-up to the list; false without a record.
    bool ShowUnlockPopup(uint32_t idHash, ScreenList* screens);

    // The game's named-unlock pop-up: (name, kind), kind as PopupKind.
    using NamedUnlockCallback = Delegate2<void, const char*, int>;
    void SetNamedUnlockCallback(const NamedUnlockCallback& callback) { m_namedUnlock = callback; }
    // The popup overlay's listener carries one number: the id hash of an
    // unlock. It is turned into the record's id and kind for the callback;
    // a hash without a record reaches nothing.
    void OnOverlayUnlock(int32_t idHash);

    const SmartPtr<Texture>& PanelTexture() const { return m_panel; }
    const SmartPtr<Texture>& BadgeTexture() const { return m_badge; }

private:
    bool ModeAllowed(const AchievementRecord& record) const;
    // Unlocks the pending entries of a score type that the score reaches in
    // a mode they allow.
    bool CheckScoreOfType(AchievementType type, int32_t score);
    // The second text of a pop-up: the id, or an item's title.
    std::string PopupText(const AchievementRecord& record) const;
    void ReadEntry(const TiXmlElement& entry, GameStats* stats, bool loadTextures, int32_t& running);

    std::map<uint32_t, std::unique_ptr<AchievementRecord>> m_achievements;
    PendingMap m_pending[kAchievementTypeCount];
    std::vector<uint32_t> m_order;
    std::map<uint32_t, std::string> m_socialIds;
    SmartPtr<Texture> m_panel;
    SmartPtr<Texture> m_badge;
    ServiceManager* m_services = nullptr;
    NamedUnlockCallback m_namedUnlock;
};

// What a fired unlock reaches in the game: the achievement services, the
// item catalogue, the pop-up and the leaderboards.
class GameUnlockHost final : public UnlockHost {
public:
    static GameUnlockHost& Get();

    void ReportAchievementUnlocked(const char* name) override;
    void UnlockItem(uint32_t nameHash) override;
    int32_t CountUnlockedItems() override;
    void ShowUnlockPopup(uint32_t nameHash, ScreenList* screens) override;
    bool IsLeaderboardOnline() override;
    void PostScore(int mode, int64_t score) override;
};

// The leaderboard of a mode: "CLASSIC_SCORES" for 0, "NEW_MODE_SCORES" for
// 1, null above 1. A negative kind counts as 0.
const char* GetLeaderboardIdForModeIndex(int mode, int kind);
const char* GetLeaderboardIdForMode(int kind);

}  // namespace Varnok
