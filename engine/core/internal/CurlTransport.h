// The HTTP transport over libcurl's multi interface: plain HTTP and HTTPS
// (peers verified against the system's certificates), redirects followed.
#pragma once

#include "engine/core/internal/HttpTransport.h"

#include <memory>

namespace Varnok {

// A failed transfer reports the negated libcurl error code, so that every
// failure status is below zero and never mistaken for an HTTP status.
std::unique_ptr<HttpTransport> CreateCurlTransport();

}  // namespace Varnok
