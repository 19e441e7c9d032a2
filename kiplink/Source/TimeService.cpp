#include "kiplink/Source/TimeService.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/ValuePath.h"

#include <string>

namespace Kiplink {

namespace {

struct TimeReply {
    TimeService* service;
    void Complete(IWebRequest* request) { service->OnReply(request); }
    bool operator==(const TimeReply& other) const { return service == other.service; }
};

}  // namespace

TimeService::TimeService(KiplinkProviderImpl* root)
    : m_root(root),
      m_file(new EncryptedJsonFile(root->Platform(), root->GetRootDataPath("Time.json"))),
      m_lastTick(LibraryWallSeconds()) {}

void TimeService::Load() {
    if (m_file->Load()) {
        const IValue& data = static_cast<const EncryptedJsonFile&>(*m_file).GetData();
        const IValue* serverTime = FindMember(data, "servertime");
        const IValue* difference = FindMember(data, "timedif");
        m_serverTime = serverTime != nullptr ? serverTime->AsUInt(0) : 0;
        m_difference = static_cast<int32_t>(difference != nullptr ? difference->AsUInt(0) : 0);
        m_valid = false;
        m_listeners.Notify(&ITimeServiceCallbacks::OnServerTimeInvalidated, static_cast<ITimeService*>(this));
    }
    RequestTime();
}

void TimeService::RequestTime() {
    std::string url = m_root->GetBaseUrlText();
    if (m_inFlight || m_countdown > 0 || url.empty() || m_root->Platform() == nullptr) {
        return;
    }
    if (url.back() != '/') {
        url += '/';
    }
    IWebRequest* request = m_root->Platform()->CreateWebRequest((url + "utc").c_str(), kWebRequestGet);
    if (request == nullptr) {
        return;
    }
    m_inFlight = true;
    m_requestTime = LibraryWallSeconds();
    m_countdown = kTicksAfterRequest;
    request->Send("", 0);
    m_root->Pending().Add(request, BoundRecordFunctor<TimeReply, IWebRequest*>(TimeReply{this}, &TimeReply::Complete));
    request->Release();
}

void TimeService::OnReply(IWebRequest* request) {
    m_inFlight = false;
    const int32_t available = request->GetStatus() == kWebRequestDone ? request->GetAvailable() : 0;
    std::string body(available > 0 ? static_cast<size_t>(available) : 0, '\0');
    if (available <= 0 || request->Read(&body[0], available) != available) {
        m_countdown = kTicksAfterFailure;
        return;
    }
    IValue* value = CreateValue();
    const bool parsed = value->Parse(body.c_str());
    if (!parsed || !value->IsNumber()) {
        value->Release();
        m_countdown = kTicksAfterFailure;
        return;
    }
    const uint32_t now = LibraryWallSeconds();
    m_serverTime = value->AsUInt(0) - ((now - m_requestTime) >> 1);
    value->Release();
    m_lastTick = now;
    m_difference = static_cast<int32_t>(now - m_serverTime);
    m_valid = true;
    m_gapTotal = 0;
    IValue& data = m_file->GetData();
    data["servertime"].SetAsUInt(m_serverTime);
    data["timedif"].SetAsInt(m_difference);
    m_file->Save();
    RefPtr<TimeService> self(this);
    m_listeners.Notify(&ITimeServiceCallbacks::OnServerTimeUpdated, static_cast<ITimeService*>(this));
}

void TimeService::Invalidate() {
    m_valid = false;
    m_listeners.Notify(&ITimeServiceCallbacks::OnServerTimeInvalidated, static_cast<ITimeService*>(this));
}

void TimeService::Update() {
    const uint32_t now = LibraryWallSeconds();
    if (m_valid) {
        if (now < m_lastTick || now - m_lastTick >= kJumpSeconds || m_gapTotal >= static_cast<int32_t>(kJumpSeconds)) {
            Invalidate();
        }
        if (now >= m_lastTick && now - m_lastTick >= kLongGapSeconds) {
            m_gapTotal += static_cast<int32_t>(now - m_lastTick);
        }
    }
    m_lastTick = now;
    if (m_countdown >= 1 && --m_countdown > 0) {
        return;
    }
    if (!m_valid) {
        RequestTime();
    }
}

}  // namespace Kiplink
