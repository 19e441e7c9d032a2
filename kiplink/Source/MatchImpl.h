// One asynchronous match as a user sees it: its record from the service, its
// requests ("async_game" join, leave, start, end, get, updateGameData and the
// "async_user" invitation lists) and the listeners told of each reply; and
// the list of matches a service keeps, looked up by match id.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"
#include "kiplink/Source/Request.h"

#include <string>
#include <vector>

namespace Kiplink {

class AsyncMatchImpl;
class KiplinkProviderImpl;

enum AsyncResponseStatus : int32_t {
    kAsyncSuccess = 0,
    kAsyncNothingDone = 1,   // no such match, not the owner, or no lobby list
    kAsyncServiceError = 2,  // an error reply or a failed transport
    kAsyncBadResult = 3,     // the result was not an object
    kAsyncMatchFull = 4,     // join only
};

enum AsyncMatchState : int32_t {
    kAsyncLobby = 1,
    kAsyncInProgress = 2,
};

class IAsyncMatchCallbacks : public RefCounted {
public:
    virtual void OnMatchUpdated(uint32_t callId, int32_t status, AsyncMatchImpl* match) = 0;
};

// Who sees the match: until accounts exist, the kiplink id and token that the
// caller gives.
struct AsyncViewer {
    std::string kiplinkId;
    std::string authToken;
};

class AsyncMatchImpl final : public RefCounted {
public:
    // root: not referenced, outlives the match's requests.
    AsyncMatchImpl(KiplinkProviderImpl* root, AsyncViewer viewer, std::string matchId);
    ~AsyncMatchImpl() override;

    void AddCallbacks(IAsyncMatchCallbacks* listener) { m_listeners.Add(listener); }
    void RemoveCallbacks(IAsyncMatchCallbacks* listener) { m_listeners.Remove(listener); }

    const char* GetGameType() const { return m_gameType.c_str(); }
    const char* GetMatchId() const { return m_matchId.c_str(); }
    int32_t GetState() const { return m_state; }
    uint32_t GetRevision() const { return m_revision; }
    bool IsCompleted() const { return m_completed; }
    bool IsOwner() const { return !m_owner.empty() && m_owner == m_viewer.kiplinkId; }
    const char* GetOwner() const { return m_owner.c_str(); }
    // The "matchData" of the last record (borrowed).
    const IValue* GetMatchData() const { return m_matchData; }
    uint32_t GetUserCount() const { return static_cast<uint32_t>(m_users.size()); }
    const char* GetUser(uint32_t index) const;  // a kiplink id, null out of range
    uint32_t GetInvitedUserCount() const { return static_cast<uint32_t>(m_invited.size()); }
    const char* GetInvitedUser(uint32_t index) const;

    // Each takes a call id first; the reply reaches OnMatchUpdated.
    void Join(uint32_t* outCallId = nullptr);
    void Leave(uint32_t* outCallId = nullptr);
    void Start(uint32_t* outCallId = nullptr);
    void End(uint32_t* outCallId = nullptr);
    void Get(uint32_t* outCallId = nullptr);
    // changes: the operation list sent as "changes".
    void UpdateGameData(const IValue& changes, uint32_t* outCallId = nullptr);
    void AddUserToList(const char* targetKiplinkId, uint32_t* outCallId = nullptr);
    void RemoveUserFromList(const char* targetKiplinkId, uint32_t* outCallId = nullptr);

    // Fills the match from a record of the service.
    void Fill(const IValue& record);

    void OnMatchReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnJoinReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnLeaveReply(RequestContext& context, const IValue& error, const IValue& result);
    void OnUpdateReply(RequestContext& context, const IValue& error, const IValue& result);

private:
    using Handler = void (AsyncMatchImpl::*)(RequestContext&, const IValue&, const IValue&);
    const char* StateText() const { return m_state == kAsyncInProgress ? "inProgress" : "lobby"; }
    void Send(const char* service, const char* method, IValue* parameters, Handler handler, uint32_t callId);
    IValue* MatchParameters() const;  // a new object with one reference
    void Report(const RequestContext& context, int32_t status);

    KiplinkProviderImpl* m_root;
    AsyncViewer m_viewer;
    std::string m_matchId;
    std::string m_gameType;
    std::string m_owner;
    int32_t m_state = kAsyncLobby;
    uint32_t m_revision = 0;
    bool m_completed = false;
    std::vector<std::string> m_users;
    std::vector<std::string> m_invited;
    IValue* m_matchData;
    ListenerSet<IAsyncMatchCallbacks> m_listeners;
};

// Matches in insertion order, one reference each; two with one id may both
// be held, lookups find the first.
class NamedObjectList {
public:
    NamedObjectList() = default;
    NamedObjectList(const NamedObjectList&) = delete;
    NamedObjectList& operator=(const NamedObjectList&) = delete;

    void Add(AsyncMatchImpl* match);
    void Remove(const char* matchId);  // the first with that id
    uint32_t Count() const { return static_cast<uint32_t>(m_matches.size()); }
    // With a reference, or null.
    AsyncMatchImpl* Find(const char* matchId) const;
    AsyncMatchImpl* GetAt(uint32_t index) const;

private:
    std::vector<RefPtr<AsyncMatchImpl>> m_matches;
};

// The three common parameters of a library request: the token, the device
// id and the build id, each "" when missing.
void AppendCommonParameters(KiplinkProviderImpl* root, const std::string& authToken, IValue& params);

}  // namespace Kiplink
