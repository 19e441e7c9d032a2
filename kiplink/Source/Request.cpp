#include "kiplink/Source/Request.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Wire.h"

#include <utility>

namespace Kiplink {

namespace {

int32_t s_nextContextId = 0;

// The completion of one call: hands the finished request to HandleReply.
struct ReplyCompletion {
    RequestContext* context;
    void Complete(IWebRequest* request) { HandleReply(context, request); }
    bool operator==(const ReplyCompletion& other) const { return context == other.context; }
};

const IValue& SharedNull() {
    static IValue* s_null = CreateValue();
    return *s_null;
}

}  // namespace

void RestartRequestContextIds() { s_nextContextId = 0; }

RequestContext::RequestContext(const char* service, const char* method)
    : m_id(s_nextContextId++),
      m_service(service != nullptr ? service : ""),
      m_method(method != nullptr ? method : ""),
      m_params(CreateValue()) {}

RequestContext::RequestContext(const RequestContext& other)
    : m_id(other.m_id),
      m_tag(other.m_tag),
      m_service(other.m_service),
      m_method(other.m_method),
      m_params(other.m_params->Clone()),
      m_target(other.m_target),
      m_handler(other.m_handler) {}

RequestContext::~RequestContext() { m_params->Release(); }

IValue& RequestContext::Params() { return *m_params; }

void SendRequest(RequestContext& context, KiplinkProviderImpl* root, RefCounted* target,
                 ReplyHandler handler, uint32_t tag) {
    if (target == nullptr || handler == nullptr || root == nullptr) {
        return;
    }
    context.SetTag(tag);
    BuildAndPostRequest(new RequestContext(context), root, target, handler);
}

std::string BuildRequestText(const RequestContext& context, const char* language, uint32_t serverTime) {
    IValue* body = CreateValue();
    (*body)["method"].SetAsString(context.GetMethod().c_str());
    (*body)["id"].SetAsInt(context.GetId());
    (*body)["ver"].SetAsUInt(3001);
    (*body)["lang"].SetAsString(language != nullptr ? language : "en");
    (*body)["time"].SetAsUInt(serverTime);
    IValue& params = (*body)["params"];
    params.SetAsValue(*context.GetParams());
    if (!params.IsArray()) {
        params.AppendInt(0);  // turns null into an array
        params.PopBack();
    }
    TextBuffer* text = body->ToText();
    std::string out(text->GetText(), text->GetLength());
    text->Release();
    body->Release();
    return out;
}

void FailRequest(RequestContext* context) {
    IValue* error = CreateValue();
    error->SetAsString("error");
    if (context->m_target && context->m_handler != nullptr) {
        (context->m_target.Get()->*context->m_handler)(*context, *error, SharedNull());
    }
    error->Release();
    delete context;
}

void BuildAndPostRequest(RequestContext* copy, KiplinkProviderImpl* root, RefCounted* target,
                         ReplyHandler handler) {
    copy->m_target = target;
    copy->m_handler = handler;
    const std::string& baseUrl = root->GetBaseUrlText();
    if (baseUrl.empty()) {
        Log("kiplink: %s/%s not sent: no server address", copy->m_service.c_str(), copy->m_method.c_str());
        FailRequest(copy);
        return;
    }
    const std::string url = baseUrl + copy->m_service;
    IPlatform* platform = root->Platform();
    const std::string text = BuildRequestText(*copy, platform->GetDeviceInfo(kDeviceLanguage),
                                              root->GetServerTime());
    std::string body;
    if (!FrameBody(text.data(), text.size(), &body)) {
        // Every failure reaches the caller, a failed compression too.
        Log("kiplink: %s/%s not sent: compression failed", copy->m_service.c_str(), copy->m_method.c_str());
        FailRequest(copy);
        return;
    }
    IWebRequest* request = platform->CreateWebRequest(url.c_str(), kWebRequestPost);
    if (request == nullptr) {
        FailRequest(copy);
        return;
    }
    request->AddHeader("Content-Type", kKiplinkContentType);
    request->Send(body.data(), static_cast<uint32_t>(body.size()));
    root->Pending().Add(request,
                        BoundRecordFunctor<ReplyCompletion, IWebRequest*>(ReplyCompletion{copy},
                                                                          &ReplyCompletion::Complete),
                        copy);
    request->Release();
}

void HandleReply(RequestContext* context, IWebRequest* request) {
    const char* why = nullptr;
    IValue* reply = nullptr;
    const int32_t available = request != nullptr ? request->GetAvailable() : 0;
    if (request == nullptr || request->GetStatus() != kWebRequestDone) {
        why = "request failed";
    } else if (available <= 0) {
        why = "empty reply";
    } else {
        std::string bytes(static_cast<size_t>(available), '\0');
        if (request->Read(&bytes[0], available) != available) {
            why = "short read";
        } else {
            reply = DecodeReply(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                request->GetContentType(), &why);
        }
    }
    if (reply == nullptr) {
        Log("kiplink: %s/%s failed: %s", context->m_service.c_str(), context->m_method.c_str(), why);
        FailRequest(context);
        return;
    }
    context->m_currentReply = reply;
    const IValue& error = *static_cast<const IValue*>(reply)->GetMemberByString("error");
    const IValue& result = *static_cast<const IValue*>(reply)->GetMemberByString("result");
    if (context->m_target && context->m_handler != nullptr) {
        (context->m_target.Get()->*context->m_handler)(*context, error, result);
    }
    context->m_currentReply = nullptr;
    delete context;
    reply->Release();
}

const IValue& GetReplyMember(const RequestContext& context, const char* name) {
    if (context.GetCurrentReply() == nullptr) {
        return SharedNull();
    }
    return *context.GetCurrentReply()->GetMemberByString(name);
}

PendingRequestList::~PendingRequestList() {
    for (Entry& entry : m_entries) {
        delete entry.context;
        entry.request->Release();
    }
}

void PendingRequestList::Add(IWebRequest* request, const RequestCompletion& completion,
                             RequestContext* context) {
    if (request == nullptr) {
        return;
    }
    request->Reference();
    m_entries.push_back(Entry{request, completion, context});
}

void PendingRequestList::Poll() {
    size_t index = 0;
    while (index < m_entries.size()) {
        IWebRequest* request = m_entries[index].request;
        const int status = request->GetStatus();
        if (status != kWebRequestFailed && status != kWebRequestDone) {
            ++index;
            continue;
        }
        // Out of the list before the completion runs: it may add entries.
        Entry entry = std::move(m_entries[index]);
        if (index + 1 != m_entries.size()) {
            m_entries[index] = std::move(m_entries.back());
        }
        m_entries.pop_back();
        entry.completion.Invoke(request);
        request->Release();
    }
}

}  // namespace Kiplink
