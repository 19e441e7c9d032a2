// The leaderboard's request, page answer, entry merging and rows.
#include "game/screens/ComponentLeaderboard.h"

#include "engine/core/HashName.h"
#include "engine/services/IDashboardService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ILoginService.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "engine/ui/ComponentButton.h"
#include "engine/ui/UIManager.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameFunctions.h"
#include "game/screens/ComponentTextValue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace Varnok {

namespace {

constexpr int32_t kPlayerRankPlaceholder = 999;
constexpr size_t kShownNameBytes = 10;
const char kEllipsis[] = "\xE2\x80\xA6";

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

// ---- entries ----

size_t LeaderboardEntryList::CutLength(const char* text, size_t maxBytes) {
    size_t length = 0;
    while (length < maxBytes && text[length] != '\0') {
        ++length;
    }
    if (text[length] != '\0') {
        // Back off to the start of the character the cut falls in.
        while (length > 0 && IsContinuationByte(text[length])) {
            --length;
        }
    }
    return length;
}

void LeaderboardEntryList::Add(const char* name, int64_t score, int32_t rank, const char* idText, bool player) {
    if (m_maxEntries > 0 && GetCount() >= m_maxEntries) {
        return;
    }
    const char* id = idText != nullptr ? idText : "";
    const uint32_t hash = HashName(id, static_cast<int>(std::strlen(id)));
    for (ComponentLeaderboardEntry& entry : m_entries) {
        if (entry.idHash == hash) {
            entry.rank = std::min(entry.rank, rank);
            entry.score = std::max(entry.score, score);
            entry.player = entry.player != 0 || player ? 1 : 0;
            return;
        }
    }
    ComponentLeaderboardEntry entry;
    const char* shown = name != nullptr ? name : "";
    const size_t length = CutLength(shown, ComponentLeaderboardEntry::kNameBytes - 1);
    std::memcpy(entry.name, shown, length);
    entry.name[length] = '\0';
    entry.rank = rank;
    entry.score = score;
    entry.idHash = hash;
    entry.player = player ? 1 : 0;
    m_entries.push_back(entry);
}

void LeaderboardEntryList::Sort() {
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const ComponentLeaderboardEntry& a, const ComponentLeaderboardEntry& b) {
                         return a.score > b.score;
                     });
    for (int i = 0; i < GetCount(); ++i) {
        m_entries[i].rank = i + 1;
    }
}

AsciiString LeaderboardEntryList::RankKey(int32_t rank) {
    const int digit = static_cast<int>(rank % 10 < 0 ? -(rank % 10) : rank % 10);
    const bool teen = rank >= 10 && rank <= 20;
    char key[32];
    std::snprintf(key, sizeof(key), "TB_FELIS_RANK_%d", !teen && (digit == 1 || digit == 2) ? digit : 4);
    return AsciiString(key);
}

AsciiString LeaderboardEntryList::ShortName(const char* name) {
    const char* shown = name != nullptr ? name : "";
    if (std::strlen(shown) <= kShownNameBytes) {
        return AsciiString(shown);
    }
    char cut[kShownNameBytes + sizeof(kEllipsis)];
    const size_t length = CutLength(shown, kShownNameBytes);
    std::memcpy(cut, shown, length);
    std::memcpy(cut + length, kEllipsis, sizeof(kEllipsis));
    return AsciiString(cut);
}

float LeaderboardEntryList::PlayerScroll(int k, int count, int stepSize) {
    if (k == count) {
        --k;  // the last row stays third from the top
    }
    return k > 2 ? static_cast<float>((2 - k) * stepSize) : 0.0f;
}

// ---- page answers ----

// Stands between a request and the leaderboard: the view may answer after
// the component was reset or destroyed, so the component detaches instead
// of being called. A receiver lives until its final answer (or the end of
// the program, for a request that is never answered).
class ComponentLeaderboard::PageReceiver {
public:
    explicit PageReceiver(ComponentLeaderboard* owner) : m_owner(owner) {}

    static PageReceiver* Make(ComponentLeaderboard* owner) {
        Registry().push_back(std::make_unique<PageReceiver>(owner));
        return Registry().back().get();
    }
    void Detach() { m_owner = nullptr; }

    void OnPage(LeaderboardErrorType error, const ILeaderboardPage* page, LeaderboardDownloadStatus status) {
        if (m_owner != nullptr) {
            m_owner->OnPageLoaded(error, page, status);
        }
        const bool loading = (error == LeaderboardErrorType::Success || error == LeaderboardErrorType::AlreadyLoading) &&
                             status == LeaderboardDownloadStatus::Started;
        if (!loading) {
            if (m_owner != nullptr && m_owner->m_receiver == this) {
                m_owner->m_receiver = nullptr;
            }
            Release(this);
        }
    }

private:
    static std::vector<std::unique_ptr<PageReceiver>>& Registry() {
        static std::vector<std::unique_ptr<PageReceiver>> s_receivers;
        return s_receivers;
    }
    static void Release(PageReceiver* receiver) {
        auto& all = Registry();
        for (auto it = all.begin(); it != all.end(); ++it) {
            if (it->get() == receiver) {
                all.erase(it);  // deletes the receiver; nothing touches it after
                return;
            }
        }
    }

    ComponentLeaderboard* m_owner;  // null once detached
};

// ---- the component ----

const ComponentClassInfo& ComponentLeaderboard::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentLeaderboard", ComponentClassInfo::kNextFreeId,
                                           &ComponentScrollingList::GetStaticClassInfo());
    return s_info;
}

ComponentLeaderboard::ComponentLeaderboard()
    : m_leaderboardType(GetOrAddProperty<AsciiString>(AsciiString("leaderboardType"), AsciiString())),
      m_maxEntries(GetOrAddProperty<int>(AsciiString("maxEnteries"), 0)),
      m_stepSize(GetOrAddProperty<int>(AsciiString("enteriesStepSize"), 0)) {
    SetClassInfo(GetStaticClassInfo());
    GetOrAddProperty<Vector3>(AsciiString("enteriesPosition"), Vector3{});  // for UI files only
    OnFinishedLoadingEvent.AddListener(FlagEvent::Listener(this, &ComponentLeaderboard::OnLoaded));
    OnBeforeResetEvent.AddListener(FlagEvent::Listener(this, &ComponentLeaderboard::OnReset));
}

ComponentLeaderboard::~ComponentLeaderboard() { DropPendingRequest(); }

void ComponentLeaderboard::DropPendingRequest() {
    if (m_receiver != nullptr) {
        m_receiver->Detach();
        m_receiver = nullptr;
    }
}

void ComponentLeaderboard::Update(float dt) {
    ComponentScrollingList::Update(dt);
    if (m_rowsDirty) {
        RebuildRows();
    }
    if (m_refreshPending && dt > 0.0f) {
        m_refreshPending = false;
        Refresh();
    }
}

void ComponentLeaderboard::SetPartEnabled(const char* path, bool enabled, bool animateIn) {
    Component* part = FindChild(AsciiString(path));
    if (part == nullptr) {
        return;
    }
    part->GetEnabledProperty()->Set(enabled);
    if (animateIn) {
        part->PlayAnimation(AsciiString("animate_in"), true);
    }
}

void ComponentLeaderboard::Refresh() {
    m_entries.Clear();
    m_entries.SetMaxEntries(m_maxEntries->Get());
    SetPartEnabled("loading", false, false);
    SetPartEnabled("error", false, false);
    DropPendingRequest();
    const bool weekly = m_leaderboardType->Get().EqualsNoCase(AsciiString("weekly"));
    ServiceManager& services = ServiceManager::Get();
    ILoginService* login = services.GetService<ILoginService>();
    const bool loggedIn = login != nullptr && login->IsLoggedIn(services.GetCurrentUser());
    ILeaderboardService* leaderboards = services.GetService<ILeaderboardService>();
    const char* boardId = GetLeaderboardIdForMode(-1);
    ILeaderboard* board =
        leaderboards != nullptr && boardId != nullptr ? leaderboards->GetLeaderboard(boardId) : nullptr;
    if (board != nullptr && loggedIn) {
        ILeaderboardView* view = board->GetView(weekly ? LeaderboardGlobality::Friends : LeaderboardGlobality::Everybody,
                                                weekly ? LeaderboardTimeSpan::ThisWeek : LeaderboardTimeSpan::AllTime);
        if (view != nullptr) {
            SetPartEnabled("loading", true, true);
            m_receiver = PageReceiver::Make(this);
            view->RequestPage(1, kPageSize, 0, LeaderboardPageDelegate(m_receiver, &PageReceiver::OnPage), false);
            return;
        }
    }
    SetPartEnabled("error", true, true);
    SetPartEnabled("loading", false, false);
}

void ComponentLeaderboard::OnPageLoaded(LeaderboardErrorType error, const ILeaderboardPage* page,
                                        LeaderboardDownloadStatus status) {
    if (error != LeaderboardErrorType::Success && error != LeaderboardErrorType::AlreadyLoading) {
        SetPartEnabled("loading", false, false);
        SetPartEnabled("error", true, false);
        return;
    }
    if (status == LeaderboardDownloadStatus::Started) {
        return;
    }
    SetPartEnabled("loading", false, false);
    if (page == nullptr) {
        SetPartEnabled("error", true, false);
        return;
    }
    AddPlayerEntry(kPlayerRankPlaceholder);
    const int count = page->GetEntryCount();
    for (int i = 0; i < count; ++i) {
        const ILeaderboardEntry* entry = page->GetEntry(i);
        if (entry == nullptr) {
            continue;
        }
        const IPlayer* player = entry->GetPlayer();
        AddEntry(player != nullptr ? player->GetDisplayName() : "", entry->GetScore(),
                 static_cast<int32_t>(static_cast<uint32_t>(entry->GetRank() & 0xFFFFFFFF)),
                 player != nullptr ? player->GetId(nullptr) : "", false);
    }
    m_rowsDirty = true;
}

void ComponentLeaderboard::AddEntry(const char* name, int64_t score, int32_t rank, const char* idText,
                                    bool player) {
    m_entries.Add(name, score, rank, idText, player);
}

void ComponentLeaderboard::AddPlayerEntry(int32_t rank) {
    ServiceManager& services = ServiceManager::Get();
    ILeaderboardService* leaderboards = services.GetService<ILeaderboardService>();
    User* user = services.GetCurrentUser();
    if (leaderboards == nullptr || user == nullptr ||
        !leaderboards->GetProviderName().Equals(AsciiString("Provider_GameCenter"))) {
        return;
    }
    IUserComponent* component = user->GetComponent("UserComponent_GameCenter");
    const char* name = component != nullptr ? component->GetDisplayName() : nullptr;
    AddEntry(name, static_cast<int64_t>(GetScore()), rank, user->GetId("GCUserID"), true);
}

void ComponentLeaderboard::RebuildRows() {
    m_rowsDirty = false;
    ClearItems();
    if (m_entries.GetCount() <= 1) {
        SetPartEnabled("addFriends", true, false);
        m_holdsInput->Set(false);
        return;
    }
    m_holdsInput->Set(true);
    SetPartEnabled("textureDivider_0", true, false);
    SetPartEnabled("textureDivider_1", true, false);
    m_entries.Sort();
    UIManager& ui = UIManager::Get();
    const int step = m_stepSize->Get();
    int playerRow = 0;
    for (int i = 0; i < m_entries.GetCount(); ++i) {
        const ComponentLeaderboardEntry& entry = m_entries.Get(i);
        const bool player = entry.player != 0;
        Component* row = ui.CreateComponent(
            this, AsciiString(player ? "ComponentLeaderboardItemPlayer" : "ComponentLeaderboardItem"),
            AsciiString(entry.name));
        if (row == nullptr) {
            continue;
        }
        row->SetDescSerialisable(false);
        row->GetOrAddProperty<float>(AsciiString("height"), 0.0f)->Set(static_cast<float>(step));
        Component* holder = row;
        if (player) {
            playerRow = i + 1;
            holder = row->FindChild(AsciiString("item"));
            if (holder == nullptr) {
                holder = row;
            }
            holder->GetOrAddProperty<float>(AsciiString("height"), 0.0f)->Set(static_cast<float>(step));
        }
        Component* rank = holder->FindChild(AsciiString("rank"));
        if (rank != nullptr && rank->IsKindOf(ComponentTextValue::GetStaticClassInfo())) {
            auto* label = static_cast<ComponentTextValue*>(rank);
            label->SetStringProperty(AsciiString("text"), LeaderboardEntryList::RankKey(entry.rank));
            label->m_value = entry.rank;
            label->RefreshText();
        }
        Component* score = holder->FindChild(AsciiString("score"));
        if (score != nullptr && score->IsKindOf(ComponentTextValue::GetStaticClassInfo())) {
            auto* label = static_cast<ComponentTextValue*>(score);
            label->m_value = static_cast<int32_t>(static_cast<uint32_t>(entry.score & 0xFFFFFFFF));
            label->RefreshText();
        }
        if (Component* name = holder->FindChild(AsciiString("name"))) {
            name->SetStringProperty(AsciiString("text"), LeaderboardEntryList::ShortName(entry.name));
        }
        UIManager::MarkLoaded(row);
        holder->Update(0.0f);
        AddItem(row);
    }
    if (playerRow > 0) {
        const float scroll = LeaderboardEntryList::PlayerScroll(playerRow, GetItemCount(), step);
        if (scroll != 0.0f) {
            ScrollBy(scroll);
        }
    }
}

void ComponentLeaderboard::OnLoaded(Component*, bool&) {
    Component* button = FindChild(AsciiString("addFriends.button"));
    if (button != nullptr && button->IsKindOf(ComponentButton::GetStaticClassInfo())) {
        auto& pressed = static_cast<ComponentButton*>(button)->OnButtonPressed;
        pressed.GetListeners().Clear();
        pressed.AddListener(ComponentButton::PressedEvent::Listener(this, &ComponentLeaderboard::OnAddFriends));
    }
}

void ComponentLeaderboard::OnReset(Component*, bool&) {
    DropPendingRequest();  // a late answer belongs to the list before the reset
    ClearItems();
    m_refreshPending = true;
    m_rowsDirty = false;
}

void ComponentLeaderboard::OnAddFriends(Component*, uint8_t*) {
    IDashboardService* dashboard = ServiceManager::Get().GetService<IDashboardService>();
    if (dashboard != nullptr) {
        dashboard->ShowScreen("AddFriendsScreen", "");
    }
}

}  // namespace Varnok
