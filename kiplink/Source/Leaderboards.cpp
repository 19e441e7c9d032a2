#include "kiplink/Source/Leaderboards.h"

#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"

namespace Kiplink {

namespace {

void AppendCommon(KiplinkProviderImpl* root, IUser* user, IValue& params) {
    const char* token = user != nullptr ? user->GetAuthToken() : nullptr;
    const char* deviceId = root->Platform() != nullptr ? root->Platform()->GetDeviceInfo(kDeviceId) : nullptr;
    params.AppendString(token != nullptr ? token : "");
    params.AppendString(deviceId != nullptr ? deviceId : "");
    params.AppendString(root->GetBuildId());
}

const IValue& NullValue() {
    static IValue* s_null = CreateValue();
    return *s_null;
}

}  // namespace

std::string ScoreErrorText(const IValue& error) {
    if ((error.IsArray() || error.IsObject()) && error.GetMemberCount() > 1) {
        return error.GetMemberAt(1)->AsString("error");
    }
    return "error";
}

// ---- Achievements ----

AchievementImpl::AchievementImpl() : m_metaData(CreateValue()) {}
AchievementImpl::~AchievementImpl() { m_metaData->Release(); }

void AchievementImpl::Fill(const IValue& record, bool itemLayout) {
    const char* key = itemLayout ? "referenceId" : "achievementId";
    if (const char* id = FindString(record, key)) {
        m_referenceId = id;
    }
    if (const char* name = FindString(record, itemLayout ? "achievementName" : "name")) {
        m_name = name;
    }
    if (itemLayout) {
        const IValue* visible = FindMember(record, "achievementVisible");
        if (visible != nullptr && visible->IsNumber()) {
            m_visible = visible->AsInt(0) != 0;
        }
        const IValue* max = FindMember(record, "achievementMaxProgress");
        if (max != nullptr && max->IsNumber()) {
            m_maxProgress = max->AsInt(0);
        }
        const IValue* meta = FindMember(record, "achievementMetaData");
        if (meta != nullptr && meta->IsObject()) {
            m_metaData->SetAsValue(*meta);
        }
        return;
    }
    if (const char* description = FindString(record, "description")) {
        MakeEmptyObject(*m_metaData);
        (*m_metaData)["description"].SetAsString(description);
    }
    const IValue* visible = FindMember(record, "visible");
    if (visible != nullptr && visible->IsBool()) {
        m_visible = visible->AsBool(false);
    }
    const IValue* max = FindMember(record, "maxProgress");
    if (max != nullptr && max->IsNumber()) {
        m_maxProgress = max->AsInt(0);
    }
}

IUser* AchievementProgressImpl::GetUser() {
    if (m_user) {
        m_user->Reference();
    }
    return m_user.Get();
}

int32_t AchievementProgressImpl::GetProgress(const char* referenceId) const {
    if (referenceId == nullptr) {
        return 0;
    }
    const auto& state = static_cast<const UserImpl&>(*m_user).GetState();
    const IValue* achievements = FindMember(state, "achievements");
    const IValue* entry = achievements != nullptr ? FindMember(*achievements, referenceId) : nullptr;
    const IValue* progress = entry != nullptr ? FindMember(*entry, "progress") : nullptr;
    return progress != nullptr ? progress->AsInt(0) : 0;
}

int32_t AchievementProgressImpl::GetProgressOf(const IAchievement* achievement) const {
    return achievement != nullptr ? GetProgress(achievement->GetReferenceId()) : 0;
}

int32_t AchievementProgressImpl::AddProgress(const char* referenceId, int32_t amount) {
    auto* user = static_cast<UserImpl*>(m_user.Get());  // users come only from the root
    RefPtr<TransactionBatch> batch = RefPtr<TransactionBatch>::Adopt(user->GetOpenTransaction());
    const bool ownBatch = !batch;  // the caller opened none: this change gets a batch of its own
    if (ownBatch) {
        user->BeginTransaction();
        batch = RefPtr<TransactionBatch>::Adopt(user->GetOpenTransaction());
    }
    batch->Add(new Transaction_AchievementAdd(m_root, referenceId != nullptr ? referenceId : "", amount));
    if (ownBatch) {
        user->EndTransaction();
    } else {
        user->RebuildState();
    }
    RefPtr<AchievementProgressImpl> self(this);
    m_listeners.Notify(&IAchievementProgressCallbacks::OnProgressUpdated, static_cast<IAchievementProgress*>(this));
    return GetProgress(referenceId);
}

int32_t AchievementProgressImpl::AddProgressOf(const IAchievement* achievement, int32_t amount) {
    return achievement != nullptr ? AddProgress(achievement->GetReferenceId(), amount) : 0;
}

void AchievementProgressForwarder::OnProgressUpdated(IAchievementProgress* progress) {
    if (m_provider != nullptr) {
        m_provider->ForwardProgress(progress);
    }
}

AchievementProviderImpl::~AchievementProviderImpl() {
    if (m_forwarder) {
        m_forwarder->Detach();  // progress objects a caller still holds keep it
    }
}

void AchievementProviderImpl::ForwardProgress(IAchievementProgress* progress) {
    m_listeners.Notify(&IAchievementProviderCallbacks::OnProgressUpdated, progress);
}

IAchievementProgress* AchievementProviderImpl::GetProgress(IUser* user) {
    if (user == nullptr) {
        return nullptr;
    }
    Progress& entry = m_progress[user];
    if (!entry.progress) {
        if (!m_forwarder) {
            m_forwarder = new AchievementProgressForwarder(this);
        }
        entry.user = user;
        entry.progress = new AchievementProgressImpl(m_root, user);
        entry.progress->AddCallbacks(m_forwarder.Get());
    }
    entry.progress->Reference();
    return entry.progress.Get();
}

IAchievement* AchievementProviderImpl::GetAchievement(int index) {
    if (index < 0 || index >= GetAchievementCount()) {
        return nullptr;
    }
    m_ordered[index]->Reference();
    return m_ordered[index].Get();
}

IAchievement* AchievementProviderImpl::GetAchievementById(const char* referenceId) {
    auto found = referenceId != nullptr ? m_byId.find(referenceId) : m_byId.end();
    if (found == m_byId.end()) {
        return nullptr;
    }
    found->second->Reference();
    return found->second.Get();
}

void AchievementProviderImpl::LoadAchievements(const IValue& records, bool itemLayout) {
    const char* key = itemLayout ? "referenceId" : "achievementId";
    for (uint32_t i = 0; records.IsArray() && i < records.GetMemberCount(); ++i) {
        const IValue& record = *records.GetMemberByInt(static_cast<int32_t>(i));
        const char* id = FindString(record, key);
        if (id == nullptr) {
            continue;
        }
        RefPtr<AchievementImpl>& held = m_byId[id];
        if (!held) {
            held = new AchievementImpl();
            m_ordered.push_back(held);
        }
        held->Fill(record, itemLayout);
    }
    m_listeners.Notify(&IAchievementProviderCallbacks::OnAchievementsUpdated, static_cast<IAchievementProvider*>(this));
}

// ---- Leaderboards ----

LeaderboardEntryImpl::LeaderboardEntryImpl(UserProfileImpl* profile, int32_t score, const IValue& metaData)
    : m_profile(profile), m_score(score), m_metaData(metaData.Clone()) {}

LeaderboardEntryImpl::~LeaderboardEntryImpl() { m_metaData->Release(); }

IUserProfile* LeaderboardEntryImpl::GetUser() {
    m_profile->Reference();
    return m_profile.Get();
}

UserLeaderboardImpl::UserLeaderboardImpl(KiplinkProviderImpl* root, IUser* user, std::string leaderboardId,
                                         std::string timeSpan, bool option)
    : m_root(root), m_user(user), m_leaderboardId(std::move(leaderboardId)), m_timeSpan(std::move(timeSpan)),
      m_option(option) {
    const std::string path = CachePath();
    if (path.empty()) {
        return;
    }
    RefPtr<EncryptedJsonFile> file(new EncryptedJsonFile(root->Platform(), path));
    if (file->Load() && static_cast<const EncryptedJsonFile&>(*file).GetData().IsArray()) {
        ParseEntries(static_cast<const EncryptedJsonFile&>(*file).GetData());
        m_loaded = true;
    }
}

std::string UserLeaderboardImpl::CachePath() const {
    if (!IsSafeFileId(m_leaderboardId) || !IsSafeFileId(m_timeSpan)) {
        return std::string();
    }
    return m_root->GetUserDataPath(m_user->GetGUID(), "Leaderboards/" + m_leaderboardId + "_" + m_timeSpan + ".json");
}

ILeaderboardEntry* UserLeaderboardImpl::GetEntry(int index) {
    return index >= 0 && index < GetEntryCount() ? m_entries[index].Get() : nullptr;
}

IUser* UserLeaderboardImpl::GetUser() {
    m_user->Reference();
    return m_user.Get();
}

void UserLeaderboardImpl::GetFriendLeaderboard() {
    if (m_root == nullptr || !m_user) {
        return;
    }
    m_loaded = false;
    RequestContext context("leaderboards", "getFriendLeaderboard");
    AppendCommon(m_root, m_user.Get(), context.Params());
    context.Params().AppendString(m_leaderboardId.c_str());
    context.Params().AppendString(m_timeSpan.c_str());
    context.Params().AppendBool(m_option);
    SendRequest(context, m_root, this, &UserLeaderboardImpl::OnReply, 0);
}

void UserLeaderboardImpl::OnReply(RequestContext&, const IValue& error, const IValue& result) {
    RefPtr<UserLeaderboardImpl> self(this);
    if (!error.IsNull()) {
        const std::string text = ScoreErrorText(error);
        m_listeners.Notify(&IUserLeaderboardCallbacks::OnFriendsLeaderboardUpdate, text.c_str(),
                           static_cast<IUserLeaderboard*>(this));
        static_cast<UserImpl*>(m_user.Get())->CheckReplyError(error);
        return;
    }
    m_loaded = true;
    if (!result.IsArray()) {
        m_listeners.Notify(&IUserLeaderboardCallbacks::OnFriendsLeaderboardUpdate, "internal server error",
                           static_cast<IUserLeaderboard*>(this));
        return;
    }
    m_entries.clear();
    const std::string path = CachePath();
    if (!path.empty()) {
        RefPtr<EncryptedJsonFile> file(new EncryptedJsonFile(m_root->Platform(), path));
        file->GetData().SetAsValue(result);
        file->Save();
    }
    ParseEntries(result);
    m_listeners.Notify(&IUserLeaderboardCallbacks::OnFriendsLeaderboardUpdate, static_cast<const char*>(nullptr),
                       static_cast<IUserLeaderboard*>(this));
}

void UserLeaderboardImpl::ParseEntries(const IValue& result) {
    PlayerPoolImpl* pool = m_root->GetPlayerPools().GetPoolImpl(m_user.Get());
    for (uint32_t i = 0; i < result.GetMemberCount(); ++i) {
        const IValue& record = *result.GetMemberByInt(static_cast<int32_t>(i));
        const IValue* idValue = FindMember(record, "kiplinkId");
        if (!record.IsObject() || idValue == nullptr || idValue->IsNull() || idValue->IsObject() ||
            idValue->IsArray()) {
            continue;
        }
        const std::string id = idValue->AsString("");
        RefPtr<UserProfileImpl> profile(pool->FindProfile("kiplinkId", id));
        if (!profile) {
            profile = new UserProfileImpl(m_root);
        }
        profile->Fill(record);  // a leaderboard reply refreshes the player's details
        profile->SetProviderId("kiplinkId", id);  // also when the id came as a number
        profile = pool->Add(profile.Get());
        const IValue* score = FindMember(record, "score");
        const IValue* meta = FindMember(record, "metaData");
        RefPtr<LeaderboardEntryImpl> entry(new LeaderboardEntryImpl(
            profile.Get(), score != nullptr ? score->AsInt(0) : 0, meta != nullptr ? *meta : NullValue()));
        m_entries.push_back(entry);
    }
}

IUserLeaderboard* LeaderboardImpl::GetUserLeaderboard(IUser* user, const char* timeSpan, bool refresh, bool option) {
    if (user == nullptr) {
        return nullptr;
    }
    m_option = option;
    PerUser& perUser = m_users[user];
    perUser.user = user;
    const std::string span = timeSpan != nullptr ? timeSpan : "";
    RefPtr<UserLeaderboardImpl>& board = perUser.bySpan[span];
    if (!board) {
        board = new UserLeaderboardImpl(m_root, user, m_referenceId, span, m_option);
    }
    if (refresh) {
        board->GetFriendLeaderboard();
    }
    board->Reference();
    return board.Get();
}

uint32_t LeaderboardProviderImpl::SubmitScore(IUser* user, const char* leaderboardId, int32_t score,
                                              const IValue* metadata, uint32_t* outCallId) {
    const uint32_t callId = NextCallId(outCallId);
    RequestContext context("leaderboards", "submitScoreFriendLeaderboard");
    IValue& params = context.Params();
    AppendCommon(m_root, user, params);
    params.AppendString(leaderboardId != nullptr ? leaderboardId : "");
    params.AppendInt(score);
    IValue* copy = CreateValue();
    if (metadata != nullptr) {
        copy->SetAsValue(*metadata);
    }
    params.AppendValue(*copy);
    copy->Release();
    // The tag carries the call id: a reply answers its own submission only.
    SendRequest(context, m_root, this, &LeaderboardProviderImpl::OnSubmitScoreReply, callId);
    return callId;
}

void LeaderboardProviderImpl::OnSubmitScoreReply(RequestContext& context, const IValue& error, const IValue&) {
    RefPtr<LeaderboardProviderImpl> self(this);
    if (error.IsNull()) {
        m_listeners.Notify(&ILeaderboardProviderCallbacks::OnScoreSubmitted, context.GetTag(),
                           static_cast<const char*>(nullptr));
        return;
    }
    const std::string text = ScoreErrorText(error);
    m_listeners.Notify(&ILeaderboardProviderCallbacks::OnScoreSubmitted, context.GetTag(), text.c_str());
}

ILeaderboard* LeaderboardProviderImpl::FindLeaderboard(const char* referenceId) {
    auto found = referenceId != nullptr ? m_boards.find(referenceId) : m_boards.end();
    if (found == m_boards.end()) {
        return nullptr;
    }
    found->second->Reference();
    return found->second.Get();
}

void LeaderboardProviderImpl::LoadLeaderboards(const IValue& records, bool itemLayout) {
    if (!itemLayout) {
        return;
    }
    for (uint32_t i = 0; records.IsArray() && i < records.GetMemberCount(); ++i) {
        const IValue& record = *records.GetMemberByInt(static_cast<int32_t>(i));
        const char* id = FindString(record, "referenceId");
        if (id == nullptr) {
            continue;
        }
        RefPtr<LeaderboardImpl>& board = m_boards[id];
        if (!board) {
            board = new LeaderboardImpl(m_root, id);
        }
        if (const char* name = FindString(record, "leaderboardName")) {
            board->SetName(name);
        }
    }
    m_listeners.Notify(&ILeaderboardProviderCallbacks::OnLeaderboardsUpdated, static_cast<ILeaderboardProvider*>(this));
}

}  // namespace Kiplink
