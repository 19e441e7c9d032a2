// Leaderboard page answers with hostile names, ranks and scores: the
// entries stay bounded and merged, every kept name is whole characters of at
// most 31 bytes, shown names are cut on a character boundary, and the rank
// texts are always one of the three keys. Run with -close_fd_mask=2.
#include "game/screens/ComponentLeaderboard.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

class Player final : public IPlayer {
public:
    std::string id;
    std::string name;
    const char* GetId(const char*) const override { return id.c_str(); }
    const char* GetDisplayName() const override { return name.c_str(); }
};

class Entry final : public ILeaderboardEntry {
public:
    Player player;
    int64_t score = 0;
    int64_t rank = 0;
    int64_t GetScore() const override { return score; }
    int64_t GetRank() const override { return rank; }
    const char* GetText() const override { return ""; }
    const IPlayer* GetPlayer() const override { return &player; }
};

class Page final : public ILeaderboardPage {
public:
    std::vector<Entry> entries;
    LeaderboardPageDelegate callback;
    const char* GetLeaderboardId() const override { return "CLASSIC_SCORES"; }
    const char* GetProviderId() const override { return "gc.classic"; }
    int GetPageNumber() const override { return 1; }
    int GetOptions() const override { return 0; }
    int GetEntryCount() const override { return static_cast<int>(entries.size()); }
    const ILeaderboardEntry* GetEntry(int index) const override {
        return index >= 0 && index < GetEntryCount() ? &entries[index] : nullptr;
    }
    const LeaderboardPageDelegate& GetCallback() const override { return callback; }
};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int64_t Int64() {
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            value = (value << 8) | Byte();
        }
        return static_cast<int64_t>(value);
    }
    std::string Text() {
        const size_t length = Byte() % 48;
        std::string text;
        for (size_t i = 0; i < length && More(); ++i) {
            const char c = static_cast<char>(Byte());
            text.push_back(c == '\0' ? 'z' : c);
        }
        return text;
    }
};

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    const int maxEntries = static_cast<int8_t>(in.Byte());
    Page page;
    while (in.More() && page.entries.size() < 64) {
        Entry entry;
        entry.player.name = in.Text();
        entry.player.id = in.Text();
        entry.score = in.Int64();
        entry.rank = in.Int64();
        page.entries.push_back(entry);
    }

    ComponentLeaderboard board;
    board.FindProperty<int>(AsciiString("maxEnteries"))->Set(maxEntries);
    board.Refresh();  // no services: it shows its error and asks nothing
    board.OnPageLoaded(LeaderboardErrorType::Success, &page, LeaderboardDownloadStatus::Finished);

    LeaderboardEntryList list;
    list.SetMaxEntries(maxEntries);
    for (const Entry& entry : page.entries) {
        list.Add(entry.player.name.c_str(), entry.score, static_cast<int32_t>(entry.rank & 0xFFFFFFFF),
                 entry.player.id.c_str(), false);
    }
    list.Sort();
    if (board.GetEntries().GetCount() != list.GetCount()) {
        __builtin_trap();
    }
    if (maxEntries > 0 && list.GetCount() > maxEntries) {
        __builtin_trap();
    }
    for (int i = 0; i < list.GetCount(); ++i) {
        const ComponentLeaderboardEntry& entry = list.Get(i);
        const size_t length = strnlen(entry.name, sizeof(entry.name));
        if (length >= sizeof(entry.name) || entry.rank != i + 1) {
            __builtin_trap();
        }
        if (i > 0 && list.Get(i - 1).score < entry.score) {
            __builtin_trap();
        }
        const AsciiString shown = LeaderboardEntryList::ShortName(entry.name);
        const char* text = shown.c_str();
        const size_t shownLength = std::strlen(text);
        if (length > 10) {
            // Whole characters of the name, then the ellipsis.
            const size_t cut = shownLength - 3;
            if (cut > 10 || std::memcmp(text + cut, "\xE2\x80\xA6", 3) != 0 ||
                (cut > 0 && IsContinuation(entry.name[cut]))) {
                __builtin_trap();
            }
        } else if (shownLength != length) {
            __builtin_trap();
        }
        const AsciiString key = LeaderboardEntryList::RankKey(entry.rank);
        if (!key.Equals(AsciiString("TB_FELIS_RANK_1")) && !key.Equals(AsciiString("TB_FELIS_RANK_2")) &&
            !key.Equals(AsciiString("TB_FELIS_RANK_4"))) {
            __builtin_trap();
        }
    }
    return 0;
}
