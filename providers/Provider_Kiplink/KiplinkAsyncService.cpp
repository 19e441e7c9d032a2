#include "providers/Provider_Kiplink/KiplinkAsyncService.h"

#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/LobbyService.h"
#include "kiplink/Source/Players.h"
#include "providers/Provider_Kiplink/KiplinkPlayer.h"
#include "providers/Provider_Kiplink/KiplinkValue.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

namespace Varnok {

namespace {

AsyncResponseStatus StatusOf(int32_t status) { return static_cast<AsyncResponseStatus>(status); }

}  // namespace

// ---- match requests

// One match request: answers its delegate when the reply with its own call
// id arrives (with a null match once the adapter is gone), then leaves the
// library match's listeners, which hold it.
class KiplinkAsyncMatch::Callback final : public Kiplink::IAsyncMatchCallbacks {
public:
    Callback(AsyncMatchDelegate onDone, KiplinkAsyncMatch* owner) : owner(owner), m_onDone(onDone) {}

    void OnMatchUpdated(uint32_t replyId, int32_t status, Kiplink::AsyncMatchImpl* match) override {
        if (replyId != callId) {
            return;
        }
        Kiplink::RefPtr<Callback> self(this);
        if (owner != nullptr) {
            owner->m_pending.erase(this);
            owner->m_players.clear();
            owner->m_invited.clear();
        }
        if (!m_onDone.IsEmpty()) {
            m_onDone(StatusOf(status), owner);
        }
        match->RemoveCallbacks(this);
    }

    uint32_t callId = 0;  // written by the library when the request goes out
    KiplinkAsyncMatch* owner;

private:
    AsyncMatchDelegate m_onDone;
};

KiplinkAsyncMatch::KiplinkAsyncMatch(Kiplink::AsyncMatchImpl* match, Kiplink::IKiplinkProvider* root)
    : m_match(match), m_root(root) {}

KiplinkAsyncMatch::~KiplinkAsyncMatch() {
    for (Callback* callback : m_pending) {
        callback->owner = nullptr;
    }
}

const char* KiplinkAsyncMatch::GetGameType() const { return m_match->GetGameType(); }
const char* KiplinkAsyncMatch::GetMatchId() const { return m_match->GetMatchId(); }
int32_t KiplinkAsyncMatch::GetState() const { return m_match->GetState(); }
int KiplinkAsyncMatch::GetUserCount() const { return static_cast<int>(m_match->GetUserCount()); }
int KiplinkAsyncMatch::GetInvitedUserCount() const { return static_cast<int>(m_match->GetInvitedUserCount()); }
bool KiplinkAsyncMatch::IsCompleted() const { return m_match->IsCompleted(); }
bool KiplinkAsyncMatch::IsOwner() const { return m_match->IsOwner(); }

IPlayerProfile* KiplinkAsyncMatch::GetUser(int index) { return PlayerAt(m_players, false, index); }
IPlayerProfile* KiplinkAsyncMatch::GetInvitedUser(int index) { return PlayerAt(m_invited, true, index); }

IPlayerProfile* KiplinkAsyncMatch::PlayerAt(std::vector<std::unique_ptr<KiplinkPlayer>>& players, bool invited,
                                            int index) {
    if (index < 0) {
        return nullptr;
    }
    const auto slot = static_cast<size_t>(index);
    if (slot < players.size() && players[slot]) {
        return players[slot].get();
    }
    const uint32_t position = static_cast<uint32_t>(index);
    const char* id = invited ? m_match->GetInvitedUser(position) : m_match->GetUser(position);
    if (id == nullptr) {
        return nullptr;
    }
    // A match names its players by their service id only.
    auto profile = Kiplink::RefPtr<Kiplink::UserProfileImpl>(
        new Kiplink::UserProfileImpl(static_cast<Kiplink::KiplinkProviderImpl*>(m_root)));
    profile->SetProviderId("kiplinkId", id);
    if (slot >= players.size()) {
        players.resize(slot + 1);
    }
    players[slot] = std::make_unique<KiplinkPlayer>(profile.Get());
    return players[slot].get();
}

ServiceValueHandle KiplinkAsyncMatch::GetMatchData() {
    return ServiceValueHandle(KiplinkValue::Wrap(m_match->GetMatchData()));
}

void KiplinkAsyncMatch::Send(Request request, AsyncMatchDelegate onDone, const char* playerId,
                             const ServiceValueHandle& changes) {
    auto* callback = new Callback(onDone, this);
    m_pending.insert(callback);
    m_match->AddCallbacks(callback);
    uint32_t* id = &callback->callId;
    switch (request) {
        case Request::Join: m_match->Join(id); break;
        case Request::Leave: m_match->Leave(id); break;
        case Request::Start: m_match->Start(id); break;
        case Request::End: m_match->End(id); break;
        case Request::Get: m_match->Get(id); break;
        case Request::AddUser: m_match->AddUserToList(playerId, id); break;
        case Request::RemoveUser: m_match->RemoveUserFromList(playerId, id); break;
        case Request::Update: {
            const Kiplink::IValue* list = KiplinkValue::LibraryValueOf(changes);
            auto empty = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
            if (list == nullptr) {
                empty->AppendInt(0);  // an empty list, not null
                empty->PopBack();
                list = empty.Get();
            }
            m_match->UpdateGameData(*list, id);
            break;
        }
    }
}

void KiplinkAsyncMatch::Join(AsyncMatchDelegate onDone) { Send(Request::Join, onDone); }
void KiplinkAsyncMatch::Leave(AsyncMatchDelegate onDone) { Send(Request::Leave, onDone); }
void KiplinkAsyncMatch::Start(AsyncMatchDelegate onDone) { Send(Request::Start, onDone); }
void KiplinkAsyncMatch::End(AsyncMatchDelegate onDone) { Send(Request::End, onDone); }
void KiplinkAsyncMatch::Get(AsyncMatchDelegate onDone) { Send(Request::Get, onDone); }
void KiplinkAsyncMatch::UpdateGameData(const ServiceValueHandle& changes, AsyncMatchDelegate onDone) {
    Send(Request::Update, onDone, nullptr, changes);
}

void KiplinkAsyncMatch::AddUserToList(IPlayer* player, AsyncMatchDelegate onDone) {
    const char* id = player != nullptr ? player->GetId("kiplinkId") : nullptr;
    if (id != nullptr) {
        Send(Request::AddUser, onDone, id);
    }
}

void KiplinkAsyncMatch::RemoveUserFromList(IPlayer* player, AsyncMatchDelegate onDone) {
    const char* id = player != nullptr ? player->GetId("kiplinkId") : nullptr;
    if (id != nullptr) {
        Send(Request::RemoveUser, onDone, id);
    }
}

// ---- provider requests

class KiplinkAsyncMatchProvider::Callback final : public Kiplink::IAsyncProviderCallbacks {
public:
    Callback(KiplinkAsyncMatchProvider* owner, Kiplink::AsyncUserService* service, AsyncStatusDelegate onStatus,
             AsyncMatchDelegate onMatch)
        : owner(owner), m_service(service), m_onStatus(onStatus), m_onMatch(onMatch) {}

    void OnLoadLobbies(uint32_t replyId, int32_t status) override {
        if (replyId == callId) {
            Answer(status, [this] { owner->m_lobbies.clear(); });
        }
    }
    void OnLoadUserMatches(uint32_t replyId, int32_t status) override {
        if (replyId == callId) {
            Answer(status, [this] { owner->m_userMatches.clear(); });
        }
    }
    void OnCreateMatch(uint32_t replyId, int32_t status, Kiplink::AsyncMatchImpl* match) override {
        if (replyId != callId) {
            return;
        }
        KiplinkAsyncMatch* made = nullptr;
        Answer(status, [&] {
            if (match != nullptr) {
                owner->Replace(owner->m_lobbies, match);
                made = owner->Replace(owner->m_userMatches, match);
            }
        }, &made);
    }
    void OnDeleteMatch(uint32_t replyId, int32_t status, const char* matchId) override {
        if (replyId == callId) {
            Answer(status, [&] {
                if (matchId != nullptr) {
                    owner->m_lobbies.erase(matchId);
                    owner->m_userMatches.erase(matchId);
                }
            });
        }
    }

    uint32_t callId = 0;  // written by the library when the request goes out
    KiplinkAsyncMatchProvider* owner;

private:
    template <typename Change>
    void Answer(int32_t status, Change change, KiplinkAsyncMatch** made = nullptr) {
        Kiplink::RefPtr<Callback> self(this);
        if (owner != nullptr) {
            owner->m_pending.erase(this);
            change();
        }
        if (!m_onStatus.IsEmpty()) {
            m_onStatus(StatusOf(status));
        }
        if (!m_onMatch.IsEmpty()) {
            m_onMatch(StatusOf(status), made != nullptr ? *made : nullptr);
        }
        m_service->RemoveCallbacks(this);
    }

    Kiplink::AsyncUserService* m_service;  // alive while it reports to us
    AsyncStatusDelegate m_onStatus;
    AsyncMatchDelegate m_onMatch;
};

KiplinkAsyncMatchProvider::KiplinkAsyncMatchProvider(Kiplink::AsyncUserService* service, User* user,
                                                     Kiplink::IKiplinkProvider* root)
    : m_service(service), m_user(user), m_root(root) {}

KiplinkAsyncMatchProvider::~KiplinkAsyncMatchProvider() {
    for (Callback* callback : m_pending) {
        callback->owner = nullptr;
    }
    m_lobbies.clear();
    m_userMatches.clear();
}

KiplinkAsyncMatchProvider::Callback* KiplinkAsyncMatchProvider::Listen(AsyncStatusDelegate onStatus,
                                                                        AsyncMatchDelegate onMatch) {
    auto* callback = new Callback(this, m_service.Get(), onStatus, onMatch);
    m_pending.insert(callback);
    m_service->AddCallbacks(callback);
    return callback;
}

void KiplinkAsyncMatchProvider::CreateMatch(const char* gameType, uint32_t maxUsers, AsyncMatchDelegate onDone) {
    Callback* callback = Listen(AsyncStatusDelegate(), onDone);
    m_service->CreateMatch(gameType != nullptr ? gameType : "", maxUsers, &callback->callId);
}

void KiplinkAsyncMatchProvider::LoadLobbies(const char* gameType, AsyncStatusDelegate onDone) {
    Callback* callback = Listen(onDone, AsyncMatchDelegate());
    m_service->LoadLobbies(gameType != nullptr ? gameType : "", &callback->callId);
}

void KiplinkAsyncMatchProvider::LoadUserMatches(AsyncStatusDelegate onDone) {
    Callback* callback = Listen(onDone, AsyncMatchDelegate());
    m_service->LoadUserMatches(&callback->callId);
}

// A page step reports under the id it is given when it fetches nothing, so
// the listener's id is taken before the call.
void KiplinkAsyncMatchProvider::NextLobbyPage(AsyncStatusDelegate onDone) {
    Callback* callback = Listen(onDone, AsyncMatchDelegate());
    Kiplink::NextCallId(&callback->callId);
    m_service->NextLobbyPage(&callback->callId);
}

void KiplinkAsyncMatchProvider::PreviousLobbyPage(AsyncStatusDelegate onDone) {
    Callback* callback = Listen(onDone, AsyncMatchDelegate());
    Kiplink::NextCallId(&callback->callId);
    m_service->PreviousLobbyPage(&callback->callId);
}

void KiplinkAsyncMatchProvider::DeleteMatch(IAsyncMatch* match, AsyncStatusDelegate onDone) {
    if (match == nullptr) {
        if (!onDone.IsEmpty()) {
            onDone(AsyncResponseStatus::NothingDone);
        }
        return;
    }
    Callback* callback = Listen(onDone, AsyncMatchDelegate());
    m_service->DeleteMatch(match->GetMatchId(), &callback->callId);
}

int KiplinkAsyncMatchProvider::GetLobbyCount() const { return m_service->GetLobbyCount(); }
int KiplinkAsyncMatchProvider::GetUserMatchCount() const { return static_cast<int>(m_service->GetUserMatchCount()); }

IAsyncMatch* KiplinkAsyncMatchProvider::GetLobby(int index) {
    return index < 0 ? nullptr : Kept(m_lobbies, m_service->GetLobby(static_cast<uint32_t>(index)));
}

IAsyncMatch* KiplinkAsyncMatchProvider::GetUserMatch(int index) {
    return index < 0 ? nullptr : Kept(m_userMatches, m_service->GetUserMatch(static_cast<uint32_t>(index)));
}

IAsyncMatch* KiplinkAsyncMatchProvider::FindUserMatch(const char* matchId) {
    if (matchId == nullptr) {
        return nullptr;
    }
    auto kept = m_userMatches.find(matchId);
    if (kept != m_userMatches.end()) {
        return kept->second.get();
    }
    return Kept(m_userMatches, m_service->FindUserMatch(matchId));
}

void KiplinkAsyncMatchProvider::SetLobbyPageSize(uint32_t size) { m_service->SetLobbyPageSize(size); }

KiplinkAsyncMatch* KiplinkAsyncMatchProvider::Replace(MatchMap& map, Kiplink::AsyncMatchImpl* match) {
    std::unique_ptr<KiplinkAsyncMatch>& slot = map[match->GetMatchId()];
    slot = std::make_unique<KiplinkAsyncMatch>(match, m_root);
    return slot.get();
}

KiplinkAsyncMatch* KiplinkAsyncMatchProvider::Kept(MatchMap& map, Kiplink::AsyncMatchImpl* match) {
    auto held = Kiplink::RefPtr<Kiplink::AsyncMatchImpl>::Adopt(match);
    if (held.Get() == nullptr) {
        return nullptr;
    }
    auto kept = map.find(held->GetMatchId());
    if (kept != map.end() && kept->second->GetKiplinkMatch() == held.Get()) {
        return kept->second.get();
    }
    return Replace(map, held.Get());
}

// ---- the service

KiplinkAsyncService::KiplinkAsyncService(Kiplink::IKiplinkProvider* root) : m_root(root) {}

KiplinkAsyncService::~KiplinkAsyncService() {
    m_providers.clear();
    m_games.Reset();
}

bool KiplinkAsyncService::Initialise() {
    m_games = Kiplink::RefPtr<Kiplink::IAsyncGames>::Adopt(m_root->GetAsyncGames());
    return m_games.Get() != nullptr;
}

const AsciiString& KiplinkAsyncService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

KiplinkAsyncMatchProvider* KiplinkAsyncService::GetAsyncMatchProvider(User* user) {
    if (user == nullptr || m_games.Get() == nullptr) {
        return nullptr;
    }
    auto kept = m_providers.find(user);
    if (kept != m_providers.end()) {
        return kept->second.get();
    }
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    const char* id = libraryUser != nullptr ? libraryUser->GetKiplinkID() : nullptr;
    if (id == nullptr) {
        return nullptr;
    }
    const char* token = libraryUser->GetAuthToken();
    Kiplink::AsyncViewer viewer{id, token != nullptr ? token : ""};
    auto service = Kiplink::RefPtr<Kiplink::AsyncUserService>::Adopt(m_games->GetService(viewer));
    if (service.Get() == nullptr) {
        return nullptr;
    }
    std::unique_ptr<KiplinkAsyncMatchProvider>& made = m_providers[user];
    made = std::make_unique<KiplinkAsyncMatchProvider>(service.Get(), user, m_root);
    return made.get();
}

}  // namespace Varnok
