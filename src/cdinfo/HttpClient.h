#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cdinfo {

struct HttpOptions {
    long connectTimeoutMs = 10000;
    long timeoutMs = 30000;                     // the whole exchange
    size_t maxBytes = 1 << 20;                  // a longer reply is cut off and refused
    const std::atomic<bool>* cancel = nullptr;  // set to abandon the exchange
};

struct HttpResponse {
    enum class Outcome { Ok, Failed, TooLarge };
    Outcome outcome = Outcome::Failed;
    long status = 0;  // the HTTP status when the exchange completed
    std::string body;
};

// One HTTP exchange through libcurl, in the HTTP module (loaded on the first
// exchange; without it the exchange fails). Proxies from the environment
// apply.
HttpResponse httpGet(const std::string& url, const HttpOptions& options);
HttpResponse httpPost(const std::string& url, const std::vector<std::string>& headers,
                      std::string_view body, const HttpOptions& options);

// Why no exchange can be made: the HTTP module's path and what is wrong
// with it (missing, unloadable); empty when the module is loaded.
std::string httpModuleFailure();

// Percent-encodes all but the unreserved characters of RFC 3986.
std::string urlEncode(std::string_view text);

}  // namespace cdinfo
