// The game's leaderboard list: once shown it asks the first leaderboard
// service for the top 25 of the current mode (all-time or weekly), adds the
// player's own latest score, sorts, and fills itself with one row per entry
// from the definitions "ComponentLeaderboardItem" and
// "ComponentLeaderboardItemPlayer". "loading", "error" and "addFriends"
// (with its "addFriends.button") are shown as the request goes.
#pragma once

#include "engine/services/ServiceTypes.h"
#include "game/screens/ComponentScrollingList.h"

#include <cstdint>
#include <vector>

namespace Varnok {

struct ComponentLeaderboardEntry {
    static constexpr int kNameBytes = 32;  // 31 bytes and a terminating zero

    int32_t rank = 0;  // the service's, then the position after sorting (1 first)
    char name[kNameBytes] = {};
    int64_t score = 0;
    uint32_t idHash = 0;  // name hash of the player's id text
    uint8_t player = 0;   // 1 for the local player's own entry
};

// The entries of one page answer, merged by player and bounded.
class LeaderboardEntryList {
public:
    // 0 or less keeps every entry.
    void SetMaxEntries(int maxEntries) { m_maxEntries = maxEntries; }
    void Clear() { m_entries.clear(); }
    // A full list drops the entry (also one that would merge); an entry of a
    // player already listed merges: the better rank, the higher score.
    void Add(const char* name, int64_t score, int32_t rank, const char* idText, bool player);
    // Highest score first; ranks become the positions 1, 2, 3, ...
    void Sort();

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const ComponentLeaderboardEntry& Get(int index) const { return m_entries[index]; }

    // The string key of a rank's ordinal ending: "TB_FELIS_RANK_1" or "_2"
    // for ranks ending in 1 or 2 outside 10..20, "TB_FELIS_RANK_4" otherwise.
    static AsciiString RankKey(int32_t rank);
    // At most maxBytes bytes of text, never cut inside a UTF-8 character.
    static size_t CutLength(const char* text, size_t maxBytes);
    // A name of 11 bytes or more shows its first 10 (whole characters)
    // followed by an ellipsis.
    static AsciiString ShortName(const char* name);
    // How far to scroll so that the player's row (1-based position k of
    // count rows) ends up second from the top, third when it is the last.
    static float PlayerScroll(int k, int count, int stepSize);

private:
    std::vector<ComponentLeaderboardEntry> m_entries;
    int m_maxEntries = 0;
};

class ComponentLeaderboard : public ComponentScrollingList {
public:
    static constexpr int kPageSize = 25;

    ComponentLeaderboard();
    ~ComponentLeaderboard() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    // Rows rebuilt when the entries changed; the request made on the first
    // update with time passing.
    void Update(float dt) override;
    void Refresh();
    // The page answer. Answers to a request made before a reset or a
    // destruction never reach it.
    void OnPageLoaded(LeaderboardErrorType error, const ILeaderboardPage* page, LeaderboardDownloadStatus status);
    void AddEntry(const char* name, int64_t score, int32_t rank, const char* idText, bool player);
    void AddPlayerEntry(int32_t rank);

    const LeaderboardEntryList& GetEntries() const { return m_entries; }
    bool IsRefreshPending() const { return m_refreshPending; }

private:
    class PageReceiver;

    void RebuildRows();
    void SetPartEnabled(const char* path, bool enabled, bool animateIn);
    void DropPendingRequest();
    void OnLoaded(Component* sender, bool& handled);
    void OnReset(Component* sender, bool& handled);
    void OnAddFriends(Component* sender, uint8_t* argument);

    UIProperty<AsciiString>* m_leaderboardType;
    UIProperty<int>* m_maxEntries;
    UIProperty<int>* m_stepSize;
    LeaderboardEntryList m_entries;
    bool m_rowsDirty = false;
    bool m_refreshPending = true;
    PageReceiver* m_receiver = nullptr;  // owned by the receivers' registry
};

}  // namespace Varnok
