// One user's view of asynchronous games: the user's own matches
// ("async_user" "list") and the open lobbies of one game type, paged through
// "async_lobbies" "list" with the service's exclusive start key; creating and
// deleting matches. AsyncGamesRoot keeps one service per user.
#pragma once

#include "kiplink/Source/MatchImpl.h"

#include <map>
#include <memory>
#include <string>

namespace Kiplink {

class AsyncUserService;

class IAsyncProviderCallbacks : public RefCounted {
public:
    virtual void OnLoadLobbies(uint32_t callId, int32_t status) = 0;
    virtual void OnLoadUserMatches(uint32_t callId, int32_t status) = 0;
    virtual void OnCreateMatch(uint32_t callId, int32_t status, AsyncMatchImpl* match) = 0;
    virtual void OnDeleteMatch(uint32_t callId, int32_t status, const char* matchId) = 0;
};

class AsyncUserService final : public RefCounted {
public:
    static constexpr uint32_t kMaxPageSize = 50;

    AsyncUserService(KiplinkProviderImpl* root, AsyncViewer viewer);
    ~AsyncUserService() override;

    void AddCallbacks(IAsyncProviderCallbacks* listener) { m_listeners.Add(listener); }
    void RemoveCallbacks(IAsyncProviderCallbacks* listener) { m_listeners.Remove(listener); }

    void LoadUserMatches(uint32_t* outCallId = nullptr);
    void LoadLobbies(const char* gameType, uint32_t* outCallId = nullptr);
    // callId: in, the id reported when nothing is fetched (the caller's own);
    // out, the new call id when a page is fetched. Null reports 0.
    void NextLobbyPage(uint32_t* callId);
    void PreviousLobbyPage(uint32_t* callId);
    void DeleteMatch(const char* matchId, uint32_t* outCallId = nullptr);
    void CreateMatch(const char* gameType, uint32_t maxUsers, uint32_t* outCallId = nullptr);

    // The lobbies GetLobby answers on the current page: never below 0, also
    // while a later page is being fetched.
    int32_t GetLobbyCount() const;
    AsyncMatchImpl* GetLobby(uint32_t index) const;  // with a reference, or null
    AsyncMatchImpl* FindLobby(const char* matchId) const;
    uint32_t GetUserMatchCount() const { return m_userMatches ? m_userMatches->Count() : 0; }
    AsyncMatchImpl* GetUserMatch(uint32_t index) const;
    AsyncMatchImpl* FindUserMatch(const char* matchId) const;
    bool SetLobbyPageSize(uint32_t size);

    uint32_t GetPage() const { return m_page; }
    uint32_t GetPageSize() const { return m_pageSize; }
    const IValue& GetExclusiveStartKey() const { return *m_startKey; }

    void OnUserMatchesReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnLobbiesReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnCreateReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnDeleteReply(RequestContext& context, const IValue& error, const IValue& result);

private:
    void ListLobbies(uint32_t* callId);
    RefPtr<AsyncMatchImpl> MatchFrom(const IValue& record) const;  // null without a text "matchId"
    void Send(RequestContext& context, IValue* parameters,
              void (AsyncUserService::*handler)(RequestContext&, const IValue&, const IValue&), uint32_t callId);

    KiplinkProviderImpl* m_root;
    AsyncViewer m_viewer;
    std::unique_ptr<NamedObjectList> m_lobbies;
    std::unique_ptr<NamedObjectList> m_userMatches;
    IValue* m_startKey;
    std::string m_lobbyGameType;
    uint32_t m_page = 1;
    uint32_t m_pageSize = kMaxPageSize;
    ListenerSet<IAsyncProviderCallbacks> m_listeners;
};

// What the root hands out as its asynchronous games.
class IAsyncGames : public RefCounted {
public:
    // The viewer's service with a reference, made on first use; null for an
    // empty kiplink id.
    virtual AsyncUserService* GetService(const AsyncViewer& viewer) = 0;
};

class AsyncGamesRoot final : public IAsyncGames {
public:
    explicit AsyncGamesRoot(KiplinkProviderImpl* root) : m_root(root) {}

    AsyncUserService* GetService(const AsyncViewer& viewer) override;
    void RemoveService(const std::string& kiplinkId);

private:
    KiplinkProviderImpl* m_root;
    std::map<std::string, RefPtr<AsyncUserService>> m_services;
};

}  // namespace Kiplink
