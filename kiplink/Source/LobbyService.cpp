#include "kiplink/Source/LobbyService.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/RecordFields.h"

#include <algorithm>
#include <utility>

namespace Kiplink {

AsyncUserService::AsyncUserService(KiplinkProviderImpl* root, AsyncViewer viewer)
    : m_root(root), m_viewer(std::move(viewer)), m_startKey(CreateValue()) {}

AsyncUserService::~AsyncUserService() { m_startKey->Release(); }

void AsyncUserService::Send(RequestContext& context, IValue* parameters,
                            void (AsyncUserService::*handler)(RequestContext&, const IValue&, const IValue&),
                            uint32_t callId) {
    AppendCommonParameters(m_root, m_viewer.authToken, context.Params());
    if (parameters != nullptr) {
        context.Params().AppendValue(*parameters);
        parameters->Release();
    }
    SendRequest(context, m_root, this, handler, callId);
}

RefPtr<AsyncMatchImpl> AsyncUserService::MatchFrom(const IValue& record) const {
    std::string id;
    if (!FieldText(record, "matchId", &id)) {
        return RefPtr<AsyncMatchImpl>();
    }
    RefPtr<AsyncMatchImpl> match(new AsyncMatchImpl(m_root, m_viewer, id));
    match->Fill(record);
    return match;
}

void AsyncUserService::LoadUserMatches(uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    m_userMatches.reset();
    RequestContext context("async_user", "list");
    Send(context, nullptr, &AsyncUserService::OnUserMatchesReply, id);
}

void AsyncUserService::OnUserMatchesReply(RequestContext& context, const IValue& error, const IValue& result) {
    const uint32_t id = context.GetTag();
    if (!error.IsNull()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadUserMatches, id, int32_t{kAsyncServiceError});
        return;
    }
    if (!result.IsObject()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadUserMatches, id, int32_t{kAsyncBadResult});
        return;
    }
    const IValue* items = FindField(result, "items");
    for (uint32_t i = 0; items != nullptr && items->IsArray() && i < items->GetMemberCount(); ++i) {
        RefPtr<AsyncMatchImpl> match = MatchFrom(*items->GetMemberAt(i));
        if (match) {
            if (!m_userMatches) {
                m_userMatches = std::make_unique<NamedObjectList>();
            }
            m_userMatches->Add(match.Get());
        }
    }
    m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadUserMatches, id, int32_t{kAsyncSuccess});
}

void AsyncUserService::LoadLobbies(const char* gameType, uint32_t* outCallId) {
    m_lobbyGameType = gameType != nullptr ? gameType : "";
    m_startKey->SetAsValue(*m_startKey->GetNull());
    m_page = 1;
    m_lobbies.reset();
    uint32_t id = 0;
    ListLobbies(&id);
    if (outCallId != nullptr) {
        *outCallId = id;
    }
}

void AsyncUserService::ListLobbies(uint32_t* callId) {
    const uint32_t id = NextCallId(callId);
    if (m_startKey->IsNull() && m_page > 1) {
        // The service said there is nothing more.
        --m_page;
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, id, int32_t{kAsyncSuccess});
        return;
    }
    IValue* parameters = CreateValue();
    (*parameters)["gameType"].SetAsString(m_lobbyGameType.c_str());
    (*parameters)["limit"].SetAsUInt(m_pageSize);
    if (!m_startKey->IsNull()) {
        (*parameters)["exclusiveStartKey"].SetAsValue(*m_startKey);
    }
    RequestContext context("async_lobbies", "list");
    Send(context, parameters, &AsyncUserService::OnLobbiesReply, id);
}

void AsyncUserService::OnLobbiesReply(RequestContext& context, const IValue& error, const IValue& result) {
    const uint32_t id = context.GetTag();
    if (!error.IsNull()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, id, int32_t{kAsyncServiceError});
        return;
    }
    if (!result.IsObject()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, id, int32_t{kAsyncBadResult});
        return;
    }
    const IValue* key = FindField(result, "exclusiveStartKey");
    m_startKey->SetAsValue(key != nullptr ? *key : *m_startKey->GetNull());
    const IValue* items = FindField(result, "items");
    const uint32_t count = items != nullptr && items->IsArray() ? items->GetMemberCount() : 0;
    for (uint32_t i = 0; i < count; ++i) {
        RefPtr<AsyncMatchImpl> match = MatchFrom(*items->GetMemberAt(i));
        if (match) {
            if (!m_lobbies) {
                m_lobbies = std::make_unique<NamedObjectList>();
            }
            m_lobbies->Add(match.Get());
        }
    }
    if (count == 0 && m_page > 1) {
        --m_page;
    }
    m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, id, int32_t{kAsyncSuccess});
}

void AsyncUserService::NextLobbyPage(uint32_t* callId) {
    const uint32_t reported = callId != nullptr ? *callId : 0;
    if (!m_lobbies) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, reported, int32_t{kAsyncNothingDone});
        return;
    }
    ++m_page;
    const uint64_t held = m_lobbies->Count();
    if (held <= static_cast<uint64_t>(m_page - 1) * m_pageSize) {
        uint32_t id = reported;
        ListLobbies(&id);
        if (callId != nullptr) {
            *callId = id;
        }
        return;
    }
    m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, reported, int32_t{kAsyncSuccess});
}

void AsyncUserService::PreviousLobbyPage(uint32_t* callId) {
    const uint32_t reported = callId != nullptr ? *callId : 0;
    if (!m_lobbies) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, reported, int32_t{kAsyncNothingDone});
        return;
    }
    if (m_page > 1) {
        --m_page;
    }
    m_listeners.Notify(&IAsyncProviderCallbacks::OnLoadLobbies, reported, int32_t{kAsyncSuccess});
}

int32_t AsyncUserService::GetLobbyCount() const {
    if (!m_lobbies) {
        return 0;
    }
    const int64_t held = m_lobbies->Count();
    if (held >= static_cast<int64_t>(m_page) * m_pageSize) {
        return static_cast<int32_t>(m_pageSize);
    }
    // What GetLobby can answer on this page. While a later page is being
    // fetched the page has already advanced and nothing of it is held: 0,
    // never a negative count or the size of pages already passed.
    return static_cast<int32_t>(std::max<int64_t>(0, held - static_cast<int64_t>(m_page - 1) * m_pageSize));
}

AsyncMatchImpl* AsyncUserService::GetLobby(uint32_t index) const {
    if (!m_lobbies) {
        return nullptr;
    }
    const uint64_t position = static_cast<uint64_t>(m_page - 1) * m_pageSize + index;
    return position < m_lobbies->Count() ? m_lobbies->GetAt(static_cast<uint32_t>(position)) : nullptr;
}

AsyncMatchImpl* AsyncUserService::FindLobby(const char* matchId) const {
    return m_lobbies ? m_lobbies->Find(matchId) : nullptr;
}

AsyncMatchImpl* AsyncUserService::GetUserMatch(uint32_t index) const {
    return m_userMatches ? m_userMatches->GetAt(index) : nullptr;
}

AsyncMatchImpl* AsyncUserService::FindUserMatch(const char* matchId) const {
    return m_userMatches ? m_userMatches->Find(matchId) : nullptr;
}

bool AsyncUserService::SetLobbyPageSize(uint32_t size) {
    m_pageSize = std::min(size, kMaxPageSize);
    if (m_pageSize == 0) {
        m_pageSize = 1;  // a page of nothing would divide the list by zero pages
    }
    m_startKey->SetAsValue(*m_startKey->GetNull());
    m_page = 1;
    return true;
}

void AsyncUserService::CreateMatch(const char* gameType, uint32_t maxUsers, uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    IValue* parameters = CreateValue();
    (*parameters)["gameType"].SetAsString(gameType != nullptr ? gameType : "");
    (*parameters)["lobbyOrInProgress"].SetAsString("lobby");
    (*parameters)["maxUsers"].SetAsUInt(maxUsers);
    RequestContext context("async_game", "create");
    Send(context, parameters, &AsyncUserService::OnCreateReply, id);
}

void AsyncUserService::OnCreateReply(RequestContext& context, const IValue& error, const IValue& result) {
    const uint32_t id = context.GetTag();
    AsyncMatchImpl* none = nullptr;
    if (!error.IsNull()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnCreateMatch, id, int32_t{kAsyncServiceError}, none);
        return;
    }
    if (!result.IsObject()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnCreateMatch, id, int32_t{kAsyncBadResult}, none);
        return;
    }
    RefPtr<AsyncMatchImpl> mine = MatchFrom(result);
    if (mine) {
        if (!m_userMatches) {
            m_userMatches = std::make_unique<NamedObjectList>();
        }
        m_userMatches->Add(mine.Get());
        std::string gameType;
        if (FieldText(result, "gameType", &gameType) && gameType == m_lobbyGameType) {
            // A separate object: the lobby list holds its own copy.
            RefPtr<AsyncMatchImpl> lobby = MatchFrom(result);
            if (!m_lobbies) {
                m_lobbies = std::make_unique<NamedObjectList>();
            }
            m_lobbies->Add(lobby.Get());
        }
    }
    m_listeners.Notify(&IAsyncProviderCallbacks::OnCreateMatch, id, int32_t{kAsyncSuccess}, mine.Get());
}

void AsyncUserService::DeleteMatch(const char* matchId, uint32_t* outCallId) {
    const uint32_t id = NextCallId(outCallId);
    RefPtr<AsyncMatchImpl> match = RefPtr<AsyncMatchImpl>::Adopt(FindUserMatch(matchId));
    if (!match) {
        match = RefPtr<AsyncMatchImpl>::Adopt(FindLobby(matchId));
    }
    if (!match || !match->IsOwner()) {
        const char* none = nullptr;
        m_listeners.Notify(&IAsyncProviderCallbacks::OnDeleteMatch, id, int32_t{kAsyncNothingDone}, none);
        return;
    }
    IValue* parameters = CreateValue();
    (*parameters)["matchId"].SetAsString(match->GetMatchId());
    (*parameters)["gameType"].SetAsString(match->GetGameType());
    (*parameters)["lobbyOrInProgress"].SetAsString(match->GetState() == kAsyncLobby ? "lobby" : "inProgress");
    RequestContext context("async_game", "delete");
    Send(context, parameters, &AsyncUserService::OnDeleteReply, id);
}

void AsyncUserService::OnDeleteReply(RequestContext& context, const IValue& error, const IValue& result) {
    const uint32_t id = context.GetTag();
    const char* none = nullptr;
    if (!error.IsNull()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnDeleteMatch, id, int32_t{kAsyncServiceError}, none);
        return;
    }
    std::string matchId;
    if (!result.IsObject()) {
        m_listeners.Notify(&IAsyncProviderCallbacks::OnDeleteMatch, id, int32_t{kAsyncBadResult}, none);
        return;
    }
    (void)FieldText(result, "matchId", &matchId);
    if (m_userMatches) {
        m_userMatches->Remove(matchId.c_str());
    }
    if (m_lobbies) {
        m_lobbies->Remove(matchId.c_str());
    }
    const char* deleted = matchId.c_str();
    m_listeners.Notify(&IAsyncProviderCallbacks::OnDeleteMatch, id, int32_t{kAsyncSuccess}, deleted);
}

AsyncUserService* AsyncGamesRoot::GetService(const AsyncViewer& viewer) {
    if (viewer.kiplinkId.empty()) {
        return nullptr;
    }
    RefPtr<AsyncUserService>& service = m_services[viewer.kiplinkId];
    if (!service) {
        service = new AsyncUserService(m_root, viewer);
    }
    service->Reference();
    return service.Get();
}

void AsyncGamesRoot::RemoveService(const std::string& kiplinkId) { m_services.erase(kiplinkId); }

}  // namespace Kiplink
