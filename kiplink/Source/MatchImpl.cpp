#include "kiplink/Source/MatchImpl.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/RecordFields.h"

#include <cstring>
#include <utility>

namespace Kiplink {

namespace {

constexpr const char kMatchFull[] = "Match is full.";

void ReadIds(const IValue& record, const char* name, std::vector<std::string>* out) {
    out->clear();
    const IValue* ids = FindField(record, name);
    for (uint32_t i = 0; ids != nullptr && ids->IsArray() && i < ids->GetMemberCount(); ++i) {
        uint32_t length = 0;
        const char* text = ids->GetMemberAt(i)->AsStringWithLength(&length);
        if (length > 0) {
            out->emplace_back(text, length);
        }
    }
}

}  // namespace

void AppendCommonParameters(KiplinkProviderImpl* root, const std::string& authToken, IValue& params) {
    IPlatform* platform = root != nullptr ? root->Platform() : nullptr;
    const char* deviceId = platform != nullptr ? platform->GetDeviceInfo(kDeviceId) : nullptr;
    params.AppendString(authToken.c_str());
    params.AppendString(deviceId != nullptr ? deviceId : "");
    params.AppendString(root != nullptr ? root->GetBuildId() : "");
}

AsyncMatchImpl::AsyncMatchImpl(KiplinkProviderImpl* root, AsyncViewer viewer, std::string matchId)
    : m_root(root), m_viewer(std::move(viewer)), m_matchId(std::move(matchId)), m_matchData(CreateValue()) {}

AsyncMatchImpl::~AsyncMatchImpl() { m_matchData->Release(); }

const char* AsyncMatchImpl::GetUser(uint32_t index) const {
    return index < m_users.size() ? m_users[index].c_str() : nullptr;
}

const char* AsyncMatchImpl::GetInvitedUser(uint32_t index) const {
    return index < m_invited.size() ? m_invited[index].c_str() : nullptr;
}

void AsyncMatchImpl::Fill(const IValue& record) {
    ReadIds(record, "users", &m_users);
    ReadIds(record, "invitedUsers", &m_invited);
    std::string state;
    m_state = FieldText(record, "lobbyOrInProgress", &state) && state == "inProgress" ? kAsyncInProgress : kAsyncLobby;
    m_completed = false;
    (void)FieldBool(record, "completed", &m_completed);
    const IValue* data = FindField(record, "matchData");
    if (data != nullptr) {
        m_matchData->SetAsValue(*data);
    }
    const IValue* revision = FindField(record, "revision");
    m_revision = revision != nullptr && revision->IsNumber() ? revision->AsUInt(0) : 0;
    m_gameType.clear();
    m_owner.clear();
    (void)FieldText(record, "gameType", &m_gameType);
    (void)FieldText(record, "owner", &m_owner);
}

IValue* AsyncMatchImpl::MatchParameters() const {
    IValue* parameters = CreateValue();
    (*parameters)["matchId"].SetAsString(m_matchId.c_str());
    (*parameters)["gameType"].SetAsString(m_gameType.c_str());
    (*parameters)["lobbyOrInProgress"].SetAsString(StateText());
    return parameters;
}

void AsyncMatchImpl::Send(const char* service, const char* method, IValue* parameters, Handler handler,
                          uint32_t callId) {
    RequestContext context(service, method);
    AppendCommonParameters(m_root, m_viewer.authToken, context.Params());
    context.Params().AppendValue(*parameters);
    parameters->Release();
    SendRequest(context, m_root, this, handler, callId);
}

void AsyncMatchImpl::Join(uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    Send("async_game", "join", MatchParameters(), &AsyncMatchImpl::OnJoinReply, id);
}

void AsyncMatchImpl::Leave(uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    Send("async_game", "leave", MatchParameters(), &AsyncMatchImpl::OnLeaveReply, id);
}

void AsyncMatchImpl::Start(uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    Send("async_game", "start", MatchParameters(), &AsyncMatchImpl::OnMatchReply, id);
}

void AsyncMatchImpl::End(uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    Send("async_game", "end", MatchParameters(), &AsyncMatchImpl::OnMatchReply, id);
}

void AsyncMatchImpl::Get(uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    Send("async_game", "get", MatchParameters(), &AsyncMatchImpl::OnMatchReply, id);
}

void AsyncMatchImpl::UpdateGameData(const IValue& changes, uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    IValue* parameters = MatchParameters();
    (*parameters)["changes"].SetAsValue(changes);
    Send("async_game", "updateGameData", parameters, &AsyncMatchImpl::OnUpdateReply, id);
}

void AsyncMatchImpl::AddUserToList(const char* targetKiplinkId, uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    IValue* parameters = CreateValue();
    (*parameters)["matchId"].SetAsString(m_matchId.c_str());
    (*parameters)["gameType"].SetAsString(m_gameType.c_str());
    (*parameters)["targetKiplinkId"].SetAsString(targetKiplinkId != nullptr ? targetKiplinkId : "");
    (*parameters)["lobbyOrInProgress"].SetAsString(StateText());
    (*parameters)["listName"].SetAsString("invitedUsers");
    Send("async_user", "addUserToList", parameters, &AsyncMatchImpl::OnMatchReply, id);
}

void AsyncMatchImpl::RemoveUserFromList(const char* targetKiplinkId, uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    IValue* parameters = CreateValue();
    (*parameters)["matchId"].SetAsString(m_matchId.c_str());
    (*parameters)["gameType"].SetAsString(m_gameType.c_str());
    (*parameters)["targetKiplinkId"].SetAsString(targetKiplinkId != nullptr ? targetKiplinkId : "");
    (*parameters)["lobbyOrInProgress"].SetAsString(StateText());
    (*parameters)["listName"].SetAsString("invitedUsers");
    Send("async_user", "removeUserFromList", parameters, &AsyncMatchImpl::OnMatchReply, id);
}

void AsyncMatchImpl::Report(const RequestContext& context, int32_t status) {
    m_listeners.Notify(&IAsyncMatchCallbacks::OnMatchUpdated, context.GetTag(), status, this);
}

void AsyncMatchImpl::OnMatchReply(RequestContext& context, const IValue& error, const IValue& result) {
    if (!error.IsNull()) {
        Report(context, kAsyncServiceError);
    } else if (result.IsObject()) {
        Fill(result);
        Report(context, kAsyncSuccess);
    } else {
        Report(context, kAsyncBadResult);
    }
}

void AsyncMatchImpl::OnJoinReply(RequestContext& context, const IValue& error, const IValue& result) {
    if (!error.IsNull()) {
        const IValue* text = ElementAt(error, 1);
        const bool full = text != nullptr && text->IsString() && std::strcmp(text->AsString(""), kMatchFull) == 0;
        Report(context, full ? kAsyncMatchFull : kAsyncServiceError);
        return;
    }
    OnMatchReply(context, error, result);
}

void AsyncMatchImpl::OnLeaveReply(RequestContext& context, const IValue& error, const IValue&) {
    Report(context, error.IsNull() ? kAsyncSuccess : kAsyncServiceError);
}

void AsyncMatchImpl::OnUpdateReply(RequestContext& context, const IValue& error, const IValue& result) {
    OnMatchReply(context, error, result);
}

void NamedObjectList::Add(AsyncMatchImpl* match) {
    if (match != nullptr) {
        m_matches.emplace_back(match);
    }
}

void NamedObjectList::Remove(const char* matchId) {
    if (matchId == nullptr) {
        return;
    }
    for (auto it = m_matches.begin(); it != m_matches.end(); ++it) {
        if (std::strcmp((*it)->GetMatchId(), matchId) == 0) {
            m_matches.erase(it);
            return;
        }
    }
}

AsyncMatchImpl* NamedObjectList::Find(const char* matchId) const {
    if (matchId == nullptr) {
        return nullptr;
    }
    for (const auto& match : m_matches) {
        if (std::strcmp(match->GetMatchId(), matchId) == 0) {
            match->Reference();
            return match.Get();
        }
    }
    return nullptr;
}

AsyncMatchImpl* NamedObjectList::GetAt(uint32_t index) const {
    if (index >= m_matches.size()) {
        return nullptr;
    }
    m_matches[index]->Reference();
    return m_matches[index].Get();
}

}  // namespace Kiplink
