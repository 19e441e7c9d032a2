// Reading the achievement list, the checks and the hand-over to the queue.
#include "game/rules/Achievements.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "engine/iOS/PopupOverlay.h"
#include "engine/render/TextureManager.h"
#include "engine/services/IAchievementService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ServiceManager.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/Items.h"
#include "game/rules/StringTables.h"
#include "game/rules/UnlockQueue.h"
#include "game/screens/AchievementPopup.h"
#include "game/screens/CountdownTimer.h"
#include "game/screens/ScreenList.h"
#include "game/world/FruitCatalogue.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

constexpr const char* kTypeNames[kAchievementTypeCount] = {
    "TOTAL",    "SCORE",        "SCORE_UNSULLIED", "END_SCORE",      "SPECIFIC",       "CONSECUTIVE",
    "CONSECUTIVE_ANY", "COMBO", "COMBO_STAR",      "SPECIFIC_ORDER", "BONUS_ACHIEVED", "QUICKSHOT",
};
constexpr int kComboGameOverFruits = 3;

uint32_t Hash(const char* text) {
    return text != nullptr ? HashName(text, static_cast<int>(std::strlen(text))) : 0;
}

uint32_t Hash(const char* text, size_t length) {
    return HashName(text, static_cast<int>(length));
}

void CopyCut(char* out, size_t size, const char* text) {
    if (text == nullptr) {
        out[0] = '\0';
        return;
    }
    const size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int TypeFromName(const char* name) {
    const uint32_t hash = Hash(name);
    for (int i = 0; i < kAchievementTypeCount; ++i) {
        if (hash != 0 && hash == Hash(kTypeNames[i])) {
            return i;
        }
    }
    return -1;
}

// The description key hides in the raw name: "..._NN" at a fixed place.
std::string DescriptionOf(const char* name) {
    if (name == nullptr) {
        return std::string();
    }
    const size_t length = std::strlen(name);
    char key[32] = {};
    if (length >= 19 && IsDigit(name[17])) {
        std::snprintf(key, sizeof(key), "LITE_ACHIEVEMENT_DESC_%c%c", name[17], name[18]);
    } else if (length >= 14 && IsDigit(name[12])) {
        std::snprintf(key, sizeof(key), "ACHIEVEMENT_DESC_%c%c", name[12], name[13]);
    } else {
        return std::string();
    }
    const char* text = StringTables::Get(key);
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

bool AchievementSequence::Step::Has(uint32_t hash) const {
    for (int i = 0; i < count; ++i) {
        if (names[i] == hash) {
            return true;
        }
    }
    return false;
}

AchievementSequence AchievementSequence::Parse(const char* text) {
    AchievementSequence sequence;
    if (text == nullptr) {
        return sequence;
    }
    const char* p = text;
    auto skipBlanks = [&p] {
        while (*p == ' ' || *p == '\t') {
            ++p;
        }
    };
    // One name up to a comma or a closing parenthesis.
    auto readName = [&p](Step& step) {
        const char* start = p;
        while (*p != '\0' && *p != ',' && *p != '(' && *p != ')') {
            ++p;
        }
        if (p > start && step.count < kMaxAlternatives) {
            step.names[step.count++] = Hash(start, static_cast<size_t>(p - start));
        }
    };
    skipBlanks();
    while (*p != '\0' && sequence.length < kMaxSteps) {
        Step& step = sequence.steps[sequence.length];
        if (*p == '(') {
            ++p;
            while (*p != '\0' && *p != ')') {
                skipBlanks();
                readName(step);
                if (*p == ',') {
                    ++p;
                } else if (*p == '(') {
                    ++p;  // nesting is not part of the format: read past it
                }
            }
            if (*p == ')') {
                ++p;
            }
        } else {
            readName(step);
            if (*p == ')' || *p == '(') {
                ++p;
            }
        }
        skipBlanks();
        if (*p == ',') {
            ++p;
            skipBlanks();
        }
        if (step.count > 0) {
            ++sequence.length;
        }
    }
    return sequence;
}

bool AchievementSequence::Advance(uint32_t hash) {
    if (length <= 0) {
        return false;
    }
    if (steps[position].Has(hash)) {
        if (++position >= length) {
            position = 0;
            return true;
        }
        return false;
    }
    if (position > 0 && steps[0].Has(hash)) {
        // The slice starts the sequence over.
        position = 1;
        if (length == 1) {
            position = 0;
            return true;
        }
        return false;
    }
    position = 0;
    return false;
}

int AchievementRecord::PopupKind() const {
    return IsDigit(id[0]) ? 1 : 2;
}

AchievementManager& AchievementManager::Instance() {
    static AchievementManager manager;
    return manager;
}

void AchievementManager::Clear() {
    for (PendingMap& pending : m_pending) {
        pending.clear();
    }
    m_achievements.clear();
    m_order.clear();
    m_socialIds.clear();
    m_panel = SmartPtr<Texture>();
    m_badge = SmartPtr<Texture>();
}

void AchievementManager::Load() {
    LoadLocalizedTexture(m_panel, kPanelTexture);
    m_badge = TextureManager::Get().GetTexture(kBadgeTexture);
    PopupOverlay::Get().SetListener(PopupOverlay::Listener(this, &AchievementManager::OnOverlayUnlock));
    TiXmlDocument document;
    (void)LoadXmlDocument(document, kFileName);  // LoadFromDocument reports a refusal
    LoadFromDocument(document, kFileName, true);
}

void AchievementManager::LoadFromText(const char* text, size_t length, bool loadTextures) {
    TiXmlDocument document("achievement list text");
    (void)ParseXmlDocument(document, text, length);
    LoadFromDocument(document, "achievement list text", loadTextures);
}

void AchievementManager::LoadFromDocument(const TiXmlDocument& document, const char* source, bool loadTextures) {
    for (PendingMap& pending : m_pending) {
        pending.clear();
    }
    m_achievements.clear();
    m_order.clear();
    m_socialIds.clear();
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* file = nullptr;
    if (root != nullptr) {
        file = std::strcmp(root->Value(), "achievementManagerFile") == 0
                   ? root
                   : root->FirstChildElement("achievementManagerFile");
    }
    if (document.Error() || file == nullptr) {
        Log("AchievementManager: %s not read (%s), no achievements", source,
            document.Error() ? document.ErrorDesc() : "no achievementManagerFile element");
        return;
    }
    GameStats* stats = GetGameRecord().stats;
    int32_t running = 0;
    for (const TiXmlElement* e = file->FirstChildElement("achievement"); e != nullptr;
         e = e->NextSiblingElement("achievement")) {
        ReadEntry(*e, stats, loadTextures, running);
    }
}

void AchievementManager::ReadEntry(const TiXmlElement& entry, GameStats* stats, bool loadTextures,
                                   int32_t& running) {
    const char* id = entry.Attribute("id");
    if (id == nullptr || id[0] == '\0') {
        return;
    }
    auto record = std::make_unique<AchievementRecord>();
    CopyCut(record->id, sizeof(record->id), id);
    // Keyed by the id as kept, so a cut id and its unlock agree.
    record->idHash = Hash(record->id);
    if (IsDigit(id[0])) {
        const char* social = entry.Attribute("social_id");
        m_socialIds[record->idHash] = social != nullptr ? social : "";
    }
    if (stats != nullptr && UnlockQueue::StateOf(*stats, record->idHash) == UnlockQueue::kShown) {
        return;  // fired in an earlier run
    }
    const char* name = entry.Attribute("name");
    if (name != nullptr) {
        const char* title = StringTables::Get(name);
        CopyCut(record->title, sizeof(record->title), title != nullptr ? title : name);
    }
    record->description = DescriptionOf(name);
    (void)entry.QueryIntAttribute("score", &record->score);
    const char* totalF = entry.Attribute("totalF");
    if (totalF != nullptr && totalF[0] != '\0') {
        record->totalF = static_cast<float>(std::atof(totalF));
    } else {
        (void)entry.QueryIntAttribute("total", &record->total);
    }
    int gameOver = 0;
    (void)entry.QueryIntAttribute("isGameOver", &gameOver);
    record->isGameOver = gameOver == 1 ? 1 : 0;
    if (loadTextures) {
        record->icon = LoadNamedTexture(entry.Attribute("texture"));
    }
    record->modeMask = static_cast<uint32_t>(ModeMaskFromNames(entry.Attribute("mode")));

    const uint32_t hash = record->idHash;
    AchievementRecord* kept = record.get();
    if (m_achievements.count(hash) == 0) {
        m_order.push_back(hash);
    }
    // A repeated id replaces the earlier record: drop that one's pending key.
    if (m_achievements.count(hash) != 0) {
        const AchievementRecord* old = m_achievements[hash].get();
        for (PendingMap& pending : m_pending) {
            for (auto it = pending.begin(); it != pending.end();) {
                it = it->second == old ? pending.erase(it) : std::next(it);
            }
        }
    }
    m_achievements[hash] = std::move(record);

    const int type = TypeFromName(entry.Attribute("type"));
    kept->type = type;
    if (type < 0) {
        return;  // a record without a pending set: only a queued name shows it
    }
    const char* specific = entry.Attribute("specific_type");
    const bool hasSpecific = specific != nullptr && specific[0] != '\0';
    uint32_t key = 0;
    switch (type) {
        case kAchievementScore:
        case kAchievementScoreUnsullied:
            key = static_cast<uint32_t>(running++);
            break;
        case kAchievementSpecific:
        case kAchievementConsecutive:
        case kAchievementComboStar:
            key = Hash(specific);
            break;
        case kAchievementSpecificOrder:
            key = kept->idHash;
            break;
        case kAchievementBonusAchieved:
            key = hasSpecific ? Hash(specific) : Hash(name);
            break;
        default:
            key = static_cast<uint32_t>(kept->total);
            break;
    }
    m_pending[type][key] = kept;  // a later entry of the same key wins
    const bool takesSequence = type == kAchievementTotal || type == kAchievementEndScore ||
                               type == kAchievementConsecutiveAny || type == kAchievementCombo ||
                               type == kAchievementQuickshot;
    if (type == kAchievementSpecificOrder || (takesSequence && hasSpecific)) {
        kept->sequence = std::make_unique<AchievementSequence>(AchievementSequence::Parse(specific));
    }
}

const AchievementRecord* AchievementManager::Find(uint32_t idHash) const {
    auto it = m_achievements.find(idHash);
    return it != m_achievements.end() ? it->second.get() : nullptr;
}

std::string AchievementManager::SocialIdOf(uint32_t idHash) const {
    auto it = m_socialIds.find(idHash);
    return it != m_socialIds.end() ? it->second : std::string();
}

bool AchievementManager::ModeAllowed(const AchievementRecord& record) const {
    const int32_t mode = GetGameRecord().modeIndex;
    if (mode == 2) {
        return true;
    }
    if (mode < 0 || mode > 31) {
        return false;
    }
    return (record.modeMask & (1u << mode)) != 0;
}

bool AchievementManager::Unlock(AchievementRecord& record, PendingMap::iterator* position) {
    GameStats* stats = GetGameRecord().stats;
    if (stats == nullptr || !UnlockQueue::Add(*stats, record.id, record.idHash)) {
        return false;
    }
    if (record.type >= 0 && record.type < kAchievementTypeCount) {
        PendingMap& pending = m_pending[record.type];
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            if (it->second == &record) {
                auto next = pending.erase(it);
                if (position != nullptr) {
                    *position = next;
                }
                return true;
            }
        }
    }
    return true;
}

bool AchievementManager::CheckTotal(int32_t count) {
    bool unlocked = false;
    PendingMap& pending = m_pending[kAchievementTotal];
    for (auto it = pending.begin(); it != pending.end();) {
        if (count >= it->second->total && Unlock(*it->second, &it)) {
            unlocked = true;
        } else {
            ++it;
        }
    }
    return unlocked;
}

bool AchievementManager::CheckScore(int32_t score) {
    return CheckScoreOfType(kAchievementScore, score);
}

bool AchievementManager::CheckScoreUnsullied(int32_t score) {
    return CheckScoreOfType(kAchievementScoreUnsullied, score);
}

bool AchievementManager::CheckScoreOfType(AchievementType type, int32_t score) {
    bool unlocked = false;
    PendingMap& pending = m_pending[type];
    for (auto it = pending.begin(); it != pending.end();) {
        AchievementRecord& record = *it->second;
        if (score >= record.total && ModeAllowed(record) && Unlock(record, &it)) {
            unlocked = true;
        } else {
            ++it;
        }
    }
    return unlocked;
}

const AchievementRecord* AchievementManager::CheckSpecificRecord(int32_t value, uint32_t nameHash) {
    PendingMap& pending = m_pending[kAchievementSpecific];
    auto it = pending.find(nameHash);
    if (it == pending.end()) {
        return nullptr;
    }
    AchievementRecord* record = it->second;
    if (value >= record->total && ModeAllowed(*record)) {
        (void)Unlock(*record);
    }
    return record;
}

bool AchievementManager::CheckConsecutive(int32_t count, uint32_t kindHash) {
    bool unlocked = false;
    PendingMap& same = m_pending[kAchievementConsecutive];
    auto it = same.find(kindHash);
    if (it != same.end() && count >= it->second->total && ModeAllowed(*it->second)) {
        unlocked = Unlock(*it->second) || unlocked;
    }
    PendingMap& any = m_pending[kAchievementConsecutiveAny];
    auto exact = any.find(static_cast<uint32_t>(count));
    if (count >= 0 && exact != any.end() && ModeAllowed(*exact->second)) {
        unlocked = Unlock(*exact->second) || unlocked;
    }
    return unlocked;
}

bool AchievementManager::CheckCombo(int n, const int32_t* kinds, int kindCount) {
    const int readable = kindCount < 0 ? n : std::min(n, kindCount);
    bool unlocked = false;
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    PendingMap& pending = m_pending[kAchievementCombo];
    for (auto it = pending.begin(); it != pending.end();) {
        AchievementRecord& record = *it->second;
        bool qualifies = n >= record.total && ModeAllowed(record);
        if (qualifies && record.sequence != nullptr && record.sequence->length > 0) {
            const uint32_t wanted = record.sequence->steps[0].names[0];
            int matching = 0;
            for (int i = 0; kinds != nullptr && i < readable; ++i) {
                if (kinds[i] >= 0 && kinds[i] < catalogue.Count() && catalogue.NameHash(kinds[i]) == wanted) {
                    ++matching;
                }
            }
            qualifies = matching > 0;
        }
        if (qualifies && record.isGameOver != 0) {
            const CountdownTimer* timer = GetGameRecord().countdownTimer;
            qualifies = timer != nullptr && n >= kComboGameOverFruits && !(timer->m_timeLeft > 0.0f);
        }
        if (qualifies && Unlock(record, &it)) {
            unlocked = true;
        } else {
            ++it;
        }
    }
    return unlocked;
}

bool AchievementManager::CheckSpecificOrder(uint32_t kindHash) {
    bool unlocked = false;
    PendingMap& pending = m_pending[kAchievementSpecificOrder];
    for (auto it = pending.begin(); it != pending.end();) {
        AchievementRecord& record = *it->second;
        if (record.sequence != nullptr && record.sequence->Advance(kindHash) && Unlock(record, &it)) {
            unlocked = true;
        } else {
            ++it;
        }
    }
    return unlocked;
}

bool AchievementManager::CheckQuickshot(float seconds) {
    bool unlocked = false;
    PendingMap& pending = m_pending[kAchievementQuickshot];
    for (auto it = pending.begin(); it != pending.end();) {
        if (seconds <= it->second->totalF && Unlock(*it->second, &it)) {
            unlocked = true;
        } else {
            ++it;
        }
    }
    return unlocked;
}

void AchievementManager::ReportUnlocked(const char* name) {
    if (name == nullptr) {
        return;
    }
    ServiceManager& services = m_services != nullptr ? *m_services : ServiceManager::Get();
    auto* achievements = services.GetServiceAggregate<IAchievementService>();
    if (achievements == nullptr) {
        return;
    }
    const std::string social = SocialIdOf(Hash(name));
    achievements->SetProgress(services.GetCurrentUser(), social.c_str(), 1);
}

std::string AchievementManager::PopupText(const AchievementRecord& record) const {
    if (record.PopupKind() == 2) {
        if (const Item* item = ItemManager::Instance().FindItem(record.idHash)) {
            return item->title;
        }
    }
    return record.id;
}

bool AchievementManager::ShowUnlockPopup(uint32_t idHash, ScreenList* screens) {
    const AchievementRecord* record = Find(idHash);
    if (record == nullptr) {
        return false;
    }
    auto* popup = new AchievementPopup(record->title, record->score, record->icon, record->PopupKind(),
                                       PopupText(*record).c_str());
    popup->Open();
    if (screens == nullptr) {
        delete popup;  // nowhere to show it
        return true;
    }
    screens->Add(popup);
    return true;
}

void AchievementManager::OnOverlayUnlock(int32_t idHash) {
    const AchievementRecord* record = Find(static_cast<uint32_t>(idHash));
    if (record != nullptr) {
        m_namedUnlock(record->id, record->PopupKind());
    }
}

void AchievementManager::PreparePopups() {
    for (uint32_t hash : m_order) {
        const AchievementRecord* record = Find(hash);
        if (record != nullptr) {
            AchievementPopup::PrepareText(record->title, record->score, record->PopupKind(),
                                          PopupText(*record).c_str());
        }
    }
}

GameUnlockHost& GameUnlockHost::Get() {
    static GameUnlockHost host;
    return host;
}

void GameUnlockHost::ReportAchievementUnlocked(const char* name) {
    AchievementManager::Instance().ReportUnlocked(name);
}

void GameUnlockHost::UnlockItem(uint32_t nameHash) {
    (void)ItemManager::Instance().UnlockItem(nameHash);
}

int32_t GameUnlockHost::CountUnlockedItems() {
    return ItemManager::Instance().CountUnlocked();
}

void GameUnlockHost::ShowUnlockPopup(uint32_t nameHash, ScreenList* screens) {
    (void)AchievementManager::Instance().ShowUnlockPopup(nameHash, screens);
}

bool GameUnlockHost::IsLeaderboardOnline() {
    return GetGameRecord().leaderboardConnected;
}

void GameUnlockHost::PostScore(int mode, int64_t score) {
    const char* board = GetLeaderboardIdForModeIndex(mode, -1);
    ServiceManager& services = ServiceManager::Get();
    auto* leaderboards = services.GetServiceAggregate<ILeaderboardService>();
    if (board != nullptr && leaderboards != nullptr) {
        leaderboards->SetLeaderboardScore(services.GetCurrentUser(), board, score, LeaderboardResultDelegate());
    }
}

const char* GetLeaderboardIdForModeIndex(int mode, int kind) {
    static constexpr const char* kIds[4] = {"CLASSIC_SCORES", "NEW_MODE_SCORES", "0", "0"};
    if (mode < 0 || mode > 1) {
        return nullptr;
    }
    const int index = mode + (kind < 0 ? 0 : kind);
    return index < 4 ? kIds[index] : nullptr;
}

const char* GetLeaderboardIdForMode(int kind) {
    return GetLeaderboardIdForModeIndex(GetGameRecord().modeIndex, kind);
}

}  // namespace Varnok
