// One remote call (service, method, positional parameters, id), how it is
// sent through the platform's web request, the list of calls that wait for
// their replies (polled once per update), and how a reply reaches the
// caller's handler.
#pragma once

#include "kiplink/Public/Functor.h"
#include "kiplink/Public/IPlatform.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kiplink {

class KiplinkProviderImpl;
class RequestContext;

// handler(context, error, result) on the target; error and result are never
// null (a missing member is given as a null value).
using ReplyHandler = void (RefCounted::*)(RequestContext& context, const IValue& error,
                                          const IValue& result);

class RequestContext {
public:
    RequestContext(const char* service, const char* method);
    RequestContext(const RequestContext& other);
    RequestContext& operator=(const RequestContext&) = delete;
    ~RequestContext();

    int32_t GetId() const { return m_id; }
    uint32_t GetTag() const { return m_tag; }
    void SetTag(uint32_t tag) { m_tag = tag; }
    const std::string& GetService() const { return m_service; }
    const std::string& GetMethod() const { return m_method; }
    // The positional parameters: null until first used, then an array.
    IValue& Params();
    const IValue* GetParams() const { return m_params; }
    // The whole reply while the handler runs, else null.
    const IValue* GetCurrentReply() const { return m_currentReply; }

private:
    friend void BuildAndPostRequest(RequestContext*, KiplinkProviderImpl*, RefCounted*, ReplyHandler);
    friend void HandleReply(RequestContext*, IWebRequest*);
    friend void FailRequest(RequestContext*);

    int32_t m_id;
    uint32_t m_tag = 0;
    std::string m_service;
    std::string m_method;
    IValue* m_params;
    const IValue* m_currentReply = nullptr;
    RefPtr<RefCounted> m_target;
    ReplyHandler m_handler = nullptr;
};

// Test hook: the next context gets id 0 again.
void RestartRequestContextIds();

// Sends a copy of the context; nothing happens (and no reply ever comes)
// without a target, a handler or a root.
void SendRequest(RequestContext& context, KiplinkProviderImpl* root, RefCounted* target,
                 ReplyHandler handler, uint32_t tag);

template <class Target>
void SendRequest(RequestContext& context, KiplinkProviderImpl* root, Target* target,
                 void (Target::*handler)(RequestContext&, const IValue&, const IValue&), uint32_t tag) {
    SendRequest(context, root, static_cast<RefCounted*>(target), static_cast<ReplyHandler>(handler), tag);
}

// Owns the heap copy: posts it, or fails it at once.
void BuildAndPostRequest(RequestContext* copy, KiplinkProviderImpl* root, RefCounted* target,
                         ReplyHandler handler);
// Turns the finished request's reply into values, calls the handler once and
// deletes the context.
void HandleReply(RequestContext* context, IWebRequest* request);
// Calls the handler with the error "error" and deletes the context.
void FailRequest(RequestContext* context);

// The member of the reply being handled, or the shared null.
const IValue& GetReplyMember(const RequestContext& context, const char* name);

// The body object of a call as JSON text, members in the protocol's order.
std::string BuildRequestText(const RequestContext& context, const char* language, uint32_t serverTime);

// Completes one pending request with the web request once it has finished.
using RequestCompletion = FunctorHolder<IWebRequest*>;

class PendingRequestList {
public:
    PendingRequestList() = default;
    PendingRequestList(const PendingRequestList&) = delete;
    PendingRequestList& operator=(const PendingRequestList&) = delete;
    // Completes nothing: pending calls are dropped unanswered.
    ~PendingRequestList();

    // Takes a reference on the request. A call's context, when given, is
    // owned by the entry until its completion runs (which deletes it), so a
    // list destroyed with calls still pending frees them unanswered.
    void Add(IWebRequest* request, const RequestCompletion& completion,
             RequestContext* context = nullptr);
    // Completes every finished entry; entries a completion adds are examined
    // in the same poll.
    void Poll();
    size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        IWebRequest* request;
        RequestCompletion completion;
        RequestContext* context;
    };
    std::vector<Entry> m_entries;
};

}  // namespace Kiplink
