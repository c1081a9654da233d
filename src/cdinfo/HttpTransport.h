#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cdinfo/HttpClient.h"

namespace cdinfo {

// HTTP exchanges as the HTTP module does them with libcurl, which the
// programs never link: httpGet and httpPost load the module on first use.
class HttpTransport {
  public:
    virtual ~HttpTransport() = default;

    virtual HttpResponse get(const std::string& url, const HttpOptions& options) const = 0;
    virtual HttpResponse post(const std::string& url, const std::vector<std::string>& headers,
                              std::string_view body, const HttpOptions& options) const = 0;
};

// The module's file and its entry point (a platform::SharedModule::Entry).
inline constexpr const char* kHttpModuleFile = "melodux-http.so";
inline constexpr int kHttpTransportVersion = 1;
inline constexpr const char* kHttpTransportEntry = "melodux_http_transport";

}  // namespace cdinfo
