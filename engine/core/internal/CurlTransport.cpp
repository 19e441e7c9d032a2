// libcurl multi-interface transport. Transfers advance only inside Poll(),
// which never waits: curl's sockets are non-blocking and names resolve on
// curl's own resolver threads.
#include "engine/core/internal/CurlTransport.h"

#include "engine/core/Log.h"
#include "engine/core/internal/HttpConnectionDelegate.h"

#include <curl/curl.h>

#include <strings.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace Varnok {

namespace {

// Enough for any sane redirect chain; a loop ends as a failure.
constexpr long kMaxRedirects = 16;
constexpr const char kAllowedProtocols[] = "http,https";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// Only absolute http and https URLs are fetched: anything else (file:, a bare
// host name, a zero byte inside) cannot start.
bool IsHttpUrl(const std::string& url) {
    if (url.find('\0') != std::string::npos) {
        return false;
    }
    CURLU* parsed = curl_url();
    if (parsed == nullptr) {
        return false;
    }
    bool isHttp = false;
    char* scheme = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
        isHttp = strcasecmp(scheme, "http") == 0 || strcasecmp(scheme, "https") == 0;
    }
    curl_free(scheme);
    curl_url_cleanup(parsed);
    return isHttp;
}

bool InitialiseCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

struct Transfer {
    Transfer(HttpTransferDef transferDef, HttpConnectionDelegate& transferDelegate)
        : def(std::move(transferDef)), delegate(&transferDelegate) {}
    ~Transfer() {
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
        curl_slist_free_all(headerList);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    HttpTransferDef def;  // curl reads the body from here while sending
    HttpConnectionDelegate* delegate;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    // The response header block being read.
    bool inHeaderBlock = false;
    bool hasContentType = false;
    std::string contentType;
};

// One header line of a response, terminator included.
size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    const std::string_view line(data, length);
    if (StartsWithNoCase(line, "HTTP/")) {
        // A new response (a redirect or an interim reply may come before the
        // final one): forget what the previous one said.
        transfer.inHeaderBlock = true;
        transfer.hasContentType = false;
        transfer.contentType.clear();
        return length;
    }
    if (!transfer.inHeaderBlock) {
        return length;  // trailers after a chunked body
    }
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty()) {
        transfer.inHeaderBlock = false;
        long status = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
        transfer.delegate->DidReceiveResponse(static_cast<int>(status),
                                              transfer.hasContentType ? &transfer.contentType
                                                                      : nullptr);
        return length;
    }
    const size_t colon = trimmed.find(':');
    constexpr std::string_view kContentType = "Content-Type";
    if (colon == kContentType.size() && StartsWithNoCase(trimmed, kContentType)) {
        transfer.hasContentType = true;
        transfer.contentType = std::string(TrimBlanks(trimmed.substr(colon + 1)));
    }
    return length;
}

size_t OnBodyData(char* data, size_t size, size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    transfer.delegate->DidReceiveData(data, size * count);
    return size * count;
}

bool HasHeader(const HttpTransferDef& def, const char* name) {
    return std::any_of(def.headers.begin(), def.headers.end(), [name](const auto& header) {
        return strcasecmp(header.first.c_str(), name) == 0;
    });
}

// Sets every option of the transfer; false when curl refused one.
bool Configure(Transfer& transfer) {
    CURL* easy = transfer.easy;
    const HttpTransferDef& def = transfer.def;
    bool ok = true;
    const auto set = [&ok](CURLcode result) { ok = ok && result == CURLE_OK; };

    set(curl_easy_setopt(easy, CURLOPT_URL, def.url.c_str()));
    set(curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kAllowedProtocols));
    set(curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols));
    set(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L));
    set(curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects));
    set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L));
    set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L));
    set(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
    set(curl_easy_setopt(easy, CURLOPT_TIMEOUT, static_cast<long>(std::max(def.timeoutSeconds, 0))));
    set(curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorText));
    set(curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer));
    set(curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeaderLine));
    set(curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer));
    set(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBodyData));
    set(curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer));

    const bool post = def.method == "POST";
    const bool put = def.method == "PUT";
    if (post || put) {
        // Never a null pointer: curl would then read the body from stdin.
        static const char kNoBody[] = "";
        const char* body = def.body.empty() ? kNoBody
                                            : reinterpret_cast<const char*>(def.body.data());
        set(curl_easy_setopt(easy, CURLOPT_POST, 1L));
        set(curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(def.body.size())));
        set(curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body));
        if (put) {
            set(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "PUT"));
        }
    } else if (def.method == "DELETE") {
        set(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "DELETE"));
    } else {
        set(curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L));
    }

    for (const auto& [name, value] : def.headers) {
        // curl reads "Name:" as "drop this field" and "Name;" as an empty one.
        const std::string line = value.empty() ? name + ";" : name + ": " + value;
        curl_slist* grown = curl_slist_append(transfer.headerList, line.c_str());
        if (grown == nullptr) {
            return false;
        }
        transfer.headerList = grown;
    }
    if (!HasHeader(def, "Expect")) {
        // Send bodies at once, as other HTTP clients do, rather than waiting
        // for a "100 Continue" that many servers never send.
        curl_slist* grown = curl_slist_append(transfer.headerList, "Expect:");
        if (grown == nullptr) {
            return false;
        }
        transfer.headerList = grown;
    }
    set(curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headerList));
    return ok;
}

class CurlTransport final : public HttpTransport {
public:
    CurlTransport() {
        if (InitialiseCurlOnce()) {
            m_multi = curl_multi_init();
        }
        if (m_multi == nullptr) {
            Log("HttpRequest: libcurl could not be initialised; requests will fail");
        }
    }

    ~CurlTransport() override {
        while (!m_transfers.empty()) {
            Remove(*m_transfers.back());
        }
        if (m_multi != nullptr) {
            curl_multi_cleanup(m_multi);
        }
    }

    bool Start(HttpTransferDef def, HttpConnectionDelegate& delegate) override {
        if (m_multi == nullptr) {
            return false;
        }
        if (!IsHttpUrl(def.url)) {
            Log("HttpRequest: cannot request \"%s\": not an http or https URL", def.url.c_str());
            return false;
        }
        auto transfer = std::make_unique<Transfer>(std::move(def), delegate);
        transfer->easy = curl_easy_init();
        if (transfer->easy == nullptr || !Configure(*transfer)) {
            Log("HttpRequest: cannot set up the request to \"%s\"", transfer->def.url.c_str());
            return false;
        }
        if (curl_multi_add_handle(m_multi, transfer->easy) != CURLM_OK) {
            Log("HttpRequest: cannot start the request to \"%s\"", transfer->def.url.c_str());
            return false;
        }
        m_transfers.push_back(std::move(transfer));
        return true;
    }

    void Cancel(HttpConnectionDelegate& delegate) override {
        const auto found =
            std::find_if(m_transfers.begin(), m_transfers.end(),
                         [&delegate](const auto& transfer) { return transfer->delegate == &delegate; });
        if (found != m_transfers.end()) {
            Remove(**found);
        }
    }

    void Poll() override {
        if (m_multi == nullptr || m_transfers.empty()) {
            return;
        }
        int running = 0;
        const CURLMcode performed = curl_multi_perform(m_multi, &running);
        if (performed != CURLM_OK) {
            Log("HttpRequest: libcurl failed to advance transfers: %s",
                curl_multi_strerror(performed));
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            // The message lives in the easy handle: read it before removal.
            CURL* easy = message->easy_handle;
            const CURLcode result = message->data.result;
            const auto found =
                std::find_if(m_transfers.begin(), m_transfers.end(),
                             [easy](const auto& transfer) { return transfer->easy == easy; });
            if (found != m_transfers.end()) {
                End(**found, result);
            }
        }
    }

private:
    // Reports the end to the delegate after the transfer is gone, so that the
    // delegate's owner may do anything with this transport meanwhile.
    void End(Transfer& transfer, CURLcode result) {
        HttpConnectionDelegate* delegate = transfer.delegate;
        if (result != CURLE_OK) {
            Log("HttpRequest: %s \"%s\" failed: %s", transfer.def.method.c_str(),
                transfer.def.url.c_str(),
                transfer.errorText[0] != '\0' ? transfer.errorText : curl_easy_strerror(result));
        }
        Remove(transfer);
        if (result == CURLE_OK) {
            delegate->DidFinishLoading();
        } else {
            delegate->DidFailWithError(-static_cast<int>(result));
        }
    }

    void Remove(Transfer& transfer) {
        curl_multi_remove_handle(m_multi, transfer.easy);
        const auto found = std::find_if(m_transfers.begin(), m_transfers.end(),
                                        [&transfer](const auto& held) { return held.get() == &transfer; });
        m_transfers.erase(found);
    }

    CURLM* m_multi = nullptr;
    std::vector<std::unique_ptr<Transfer>> m_transfers;
};

}  // namespace

std::unique_ptr<HttpTransport> CreateCurlTransport() {
    return std::make_unique<CurlTransport>();
}

}  // namespace Varnok
