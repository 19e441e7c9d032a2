#include "kiplink/Source/LeagueProviderImpl.h"

#include "kiplink/Public/IUser.h"
#include "kiplink/Source/KiplinkProviderImpl.h"

#include <cstring>

namespace Kiplink {

namespace {

using Handler = void (ILeagueProviderCallbacks::*)(ILeagueProvider*, uint32_t, const IValue&, const IValue&);

const struct {
    const char* method;
    Handler handler;
} kCalls[] = {
    {"getLeagueData", &ILeagueProviderCallbacks::OnLeagueData},
    {"getRecentActivity", &ILeagueProviderCallbacks::OnRecentActivity},
    {"getRecommendedLeague", &ILeagueProviderCallbacks::OnRecommendedLeague},
    {"getTopLeagues", &ILeagueProviderCallbacks::OnTopLeagues},
    {"getUserInfo", &ILeagueProviderCallbacks::OnUserInfo},
    {"getUserLeague", &ILeagueProviderCallbacks::OnUserLeague},
    {"joinLeague", &ILeagueProviderCallbacks::OnJoinLeague},
    {"leaveLeague", &ILeagueProviderCallbacks::OnLeaveLeague},
    {"updateLeagueScore", &ILeagueProviderCallbacks::OnUpdateLeagueScore},
    {"updateUser", &ILeagueProviderCallbacks::OnUpdateUser},
};

// The extra parameters of a call, as one array value.
struct Extra {
    Extra() : values(CreateValue()) {
        values->AppendInt(0);
        values->PopBack();
    }
    ~Extra() { values->Release(); }
    IValue* values;
};

}  // namespace

void LeagueProviderImpl::Send(const char* method, IUser* user, uint32_t* outCallId, const IValue* extra) {
    const uint32_t callId = NextCallId(outCallId);
    RequestContext context("leagues", method);
    IValue& params = context.Params();
    const char* token = user != nullptr ? user->GetAuthToken() : nullptr;
    const char* deviceId = m_root->Platform() != nullptr ? m_root->Platform()->GetDeviceInfo(kDeviceId) : nullptr;
    params.AppendString(token != nullptr ? token : "");
    params.AppendString(deviceId != nullptr ? deviceId : "");
    params.AppendString(m_root->GetBuildId());
    for (uint32_t i = 0; extra != nullptr && i < extra->GetMemberCount(); ++i) {
        params.AppendValue(*extra->GetMemberByInt(static_cast<int32_t>(i)));
    }
    SendRequest(context, m_root, this, &LeagueProviderImpl::OnReply, callId);
}

void LeagueProviderImpl::OnReply(RequestContext& context, const IValue& error, const IValue& result) {
    for (const auto& call : kCalls) {
        if (context.GetMethod() == call.method) {
            RefPtr<LeagueProviderImpl> self(this);
            m_listeners.Notify(call.handler, static_cast<ILeagueProvider*>(this), context.GetTag(), error, result);
            return;
        }
    }
}

void LeagueProviderImpl::GetLeagueData(IUser* user, uint32_t* outCallId) {
    Send("getLeagueData", user, outCallId, nullptr);
}

void LeagueProviderImpl::GetRecentActivity(IUser* user, uint32_t* outCallId, const char* text) {
    Extra extra;
    extra.values->AppendString(text != nullptr ? text : "");
    Send("getRecentActivity", user, outCallId, extra.values);
}

void LeagueProviderImpl::GetRecommendedLeague(IUser* user, uint32_t* outCallId) {
    Send("getRecommendedLeague", user, outCallId, nullptr);
}

void LeagueProviderImpl::GetTopLeagues(IUser* user, uint32_t* outCallId) {
    Send("getTopLeagues", user, outCallId, nullptr);
}

void LeagueProviderImpl::GetUserInfo(IUser* user, uint32_t* outCallId) { Send("getUserInfo", user, outCallId, nullptr); }

void LeagueProviderImpl::GetUserLeague(IUser* user, uint32_t* outCallId) {
    Send("getUserLeague", user, outCallId, nullptr);
}

void LeagueProviderImpl::JoinLeague(IUser* user, uint32_t* outCallId, const char* leagueId) {
    Extra extra;
    extra.values->AppendString(leagueId != nullptr ? leagueId : "");
    Send("joinLeague", user, outCallId, extra.values);
}

void LeagueProviderImpl::LeaveLeague(IUser* user, uint32_t* outCallId) { Send("leaveLeague", user, outCallId, nullptr); }

void LeagueProviderImpl::UpdateLeagueScore(IUser* user, uint32_t* outCallId, int32_t score, const IValue* data) {
    Extra extra;
    extra.values->AppendInt(score);
    IValue* copy = CreateValue();
    if (data != nullptr) {
        copy->SetAsValue(*data);
    }
    extra.values->AppendValue(*copy);
    copy->Release();
    Send("updateLeagueScore", user, outCallId, extra.values);
}

void LeagueProviderImpl::UpdateUser(IUser* user, uint32_t* outCallId, const IValue* data) {
    Extra extra;
    IValue* copy = CreateValue();
    if (data != nullptr) {
        copy->SetAsValue(*data);
    }
    extra.values->AppendValue(*copy);
    copy->Release();
    Send("updateUser", user, outCallId, extra.values);
}

}  // namespace Kiplink
