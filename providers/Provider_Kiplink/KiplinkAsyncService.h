// Asynchronous matches of the online service: one match provider per engine
// user over the library's async service of that user, and one match object
// per library match in each of its two lists (the lobby page, the user's own
// matches). Every request answers its delegate once, by the reply that
// carries its own call id, with the library's status unchanged.
#pragma once

#include "engine/services/IAsyncService.h"
#include "engine/services/OnlineObjects.h"
#include "kiplink/Public/RefCounted.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Kiplink {
class AsyncMatchImpl;
class AsyncUserService;
class IAsyncGames;
class IKiplinkProvider;
}  // namespace Kiplink

namespace Varnok {

class KiplinkPlayer;

class KiplinkAsyncMatch final : public IAsyncMatch {
public:
    // Takes a reference of its own on match; root makes bare player records.
    KiplinkAsyncMatch(Kiplink::AsyncMatchImpl* match, Kiplink::IKiplinkProvider* root);
    ~KiplinkAsyncMatch() override;

    const char* GetGameType() const override;
    const char* GetMatchId() const override;
    int32_t GetState() const override;
    int GetUserCount() const override;
    int GetInvitedUserCount() const override;
    // Players are made on first request and made again after any reply to a
    // request of this match, so that they follow the updated match.
    IPlayerProfile* GetUser(int index) override;
    IPlayerProfile* GetInvitedUser(int index) override;
    bool IsCompleted() const override;
    bool IsOwner() const override;
    ServiceValueHandle GetMatchData() override;
    void Join(AsyncMatchDelegate onDone) override;
    void Leave(AsyncMatchDelegate onDone) override;
    void Start(AsyncMatchDelegate onDone) override;
    void UpdateGameData(const ServiceValueHandle& changes, AsyncMatchDelegate onDone) override;
    void End(AsyncMatchDelegate onDone) override;
    void Get(AsyncMatchDelegate onDone) override;
    void AddUserToList(IPlayer* player, AsyncMatchDelegate onDone) override;
    void RemoveUserFromList(IPlayer* player, AsyncMatchDelegate onDone) override;

    Kiplink::AsyncMatchImpl* GetKiplinkMatch() const { return m_match.Get(); }

private:
    class Callback;
    enum class Request { Join, Leave, Start, End, Get, AddUser, RemoveUser, Update };

    void Send(Request request, AsyncMatchDelegate onDone, const char* playerId = nullptr,
              const ServiceValueHandle& changes = ServiceValueHandle());
    IPlayerProfile* PlayerAt(std::vector<std::unique_ptr<KiplinkPlayer>>& players, bool invited, int index);

    Kiplink::RefPtr<Kiplink::AsyncMatchImpl> m_match;
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    std::vector<std::unique_ptr<KiplinkPlayer>> m_players;  // by index; empty slots not yet made
    std::vector<std::unique_ptr<KiplinkPlayer>> m_invited;
    std::set<Callback*> m_pending;  // told when this adapter goes first
};

class KiplinkAsyncMatchProvider final : public IAsyncMatchProvider {
public:
    // Takes a reference of its own on service.
    KiplinkAsyncMatchProvider(Kiplink::AsyncUserService* service, User* user, Kiplink::IKiplinkProvider* root);
    ~KiplinkAsyncMatchProvider() override;

    void CreateMatch(const char* gameType, uint32_t maxUsers, AsyncMatchDelegate onDone) override;
    void LoadLobbies(const char* gameType, AsyncStatusDelegate onDone) override;
    void LoadUserMatches(AsyncStatusDelegate onDone) override;
    void NextLobbyPage(AsyncStatusDelegate onDone) override;
    void PreviousLobbyPage(AsyncStatusDelegate onDone) override;
    // A null match answers NothingDone at once.
    void DeleteMatch(IAsyncMatch* match, AsyncStatusDelegate onDone) override;
    int GetLobbyCount() const override;
    IAsyncMatch* GetLobby(int index) override;
    int GetUserMatchCount() const override;
    IAsyncMatch* GetUserMatch(int index) override;
    IAsyncMatch* FindUserMatch(const char* matchId) override;
    void SetLobbyPageSize(uint32_t size) override;

    Kiplink::AsyncUserService* GetKiplinkMatchProvider() const { return m_service.Get(); }
    User* GetUser() const { return m_user; }

private:
    class Callback;
    using MatchMap = std::map<std::string, std::unique_ptr<KiplinkAsyncMatch>>;

    Callback* Listen(AsyncStatusDelegate onStatus, AsyncMatchDelegate onMatch);
    // A new adapter for match in map, replacing any of the same id.
    KiplinkAsyncMatch* Replace(MatchMap& map, Kiplink::AsyncMatchImpl* match);
    // The adapter kept for match in map, made when there is none; releases
    // the reference that match carries.
    KiplinkAsyncMatch* Kept(MatchMap& map, Kiplink::AsyncMatchImpl* match);

    Kiplink::RefPtr<Kiplink::AsyncUserService> m_service;
    User* m_user;
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    MatchMap m_userMatches;
    MatchMap m_lobbies;
    std::set<Callback*> m_pending;  // told when this provider goes first
};

class KiplinkAsyncService final : public IAsyncService {
public:
    explicit KiplinkAsyncService(Kiplink::IKiplinkProvider* root);
    ~KiplinkAsyncService() override;

    // False when the library has no asynchronous games.
    bool Initialise() override;
    const AsciiString& GetProviderName() const override;
    // Null for a user without a signed-in library user.
    KiplinkAsyncMatchProvider* GetAsyncMatchProvider(User* user) override;

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Kiplink::IAsyncGames> m_games;
    std::map<User*, std::unique_ptr<KiplinkAsyncMatchProvider>> m_providers;
};

}  // namespace Varnok
