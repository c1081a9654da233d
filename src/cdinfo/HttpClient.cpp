#include "cdinfo/HttpClient.h"

#include "cdinfo/HttpTransport.h"
#include "platform/module/ModuleFolders.h"
#include "platform/module/SharedModule.h"

namespace cdinfo {

namespace {

// Loaded on the first exchange; without the module every exchange fails,
// as one would without a network, and httpModuleFailure() says why.
const platform::SharedModule& httpModule() {
    static const platform::SharedModule module(platform::moduleFolders(), kHttpModuleFile,
                                               kHttpTransportEntry, kHttpTransportVersion);
    return module;
}

const HttpTransport* transport() {
    return static_cast<const HttpTransport*>(httpModule().interface());
}

}  // namespace

HttpResponse httpGet(const std::string& url, const HttpOptions& options) {
    const HttpTransport* http = transport();
    return http != nullptr ? http->get(url, options) : HttpResponse{};
}

HttpResponse httpPost(const std::string& url, const std::vector<std::string>& headers,
                      std::string_view body, const HttpOptions& options) {
    const HttpTransport* http = transport();
    return http != nullptr ? http->post(url, headers, body, options) : HttpResponse{};
}

std::string httpModuleFailure() {
    const platform::SharedModule& module = httpModule();
    if (module.interface() != nullptr) {
        return {};
    }
    return "HTTP 通信を処理するモジュール " + module.path().string() + " を読み込めません（" +
           module.failure() + "）。";
}

std::string urlEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

}  // namespace cdinfo
