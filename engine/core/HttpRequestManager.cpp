// The manager the engine's users get: request reaping over libcurl.
#include "engine/core/HttpRequestManager.h"

#include "engine/core/internal/CurlTransport.h"
#include "engine/core/internal/IosHttpBackend.h"

namespace Varnok {

std::unique_ptr<HttpRequestManager> CreateHttpRequestManager() {
    return std::make_unique<IosHttpBackend>(CreateCurlTransport());
}

}  // namespace Varnok
