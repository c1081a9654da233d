#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "cdinfo/HttpTransport.h"

namespace cdinfo {

namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Transfer {
    std::string body;
    size_t maxBytes = 0;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0;  // makes libcurl stop with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(user);
    return transfer->cancel != nullptr && transfer->cancel->load() ? 1 : 0;
}

std::unique_ptr<CURL, EasyDeleter> makeEasy(const std::string& url, const HttpOptions& options,
                                            Transfer& transfer) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl) {
        return curl;
    }
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_USERAGENT, "MP3-Melodux/" MELODUX_VERSION);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    return curl;
}

// Appends to the owned list; false when out of memory (the list stays).
bool appendHeader(std::unique_ptr<curl_slist, ListDeleter>& list, const char* header) {
    curl_slist* head = curl_slist_append(list.get(), header);
    if (head == nullptr) {
        return false;
    }
    if (!list) {
        list.reset(head);
    }
    return true;
}

HttpResponse perform(CURL* curl, Transfer& transfer) {
    HttpResponse response;
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    if (transfer.tooLarge) {
        response.outcome = HttpResponse::Outcome::TooLarge;
    } else if (rc == CURLE_OK) {
        response.outcome = HttpResponse::Outcome::Ok;
        response.body = std::move(transfer.body);
    }
    return response;
}

HttpResponse performGet(const std::string& url, const HttpOptions& options) {
    Transfer transfer{{}, options.maxBytes, false, options.cancel};
    const auto curl = makeEasy(url, options, transfer);
    return curl ? perform(curl.get(), transfer) : HttpResponse{};
}

HttpResponse performPost(const std::string& url, const std::vector<std::string>& headers,
                         std::string_view body, const HttpOptions& options) {
    Transfer transfer{{}, options.maxBytes, false, options.cancel};
    const auto curl = makeEasy(url, options, transfer);
    if (!curl) {
        return {};
    }
    std::unique_ptr<curl_slist, ListDeleter> list;
    for (const std::string& header : headers) {
        if (!appendHeader(list, header.c_str())) {
            return {};
        }
    }
    // No "Expect: 100-continue" round trip: CDDB servers do not answer it.
    if (!appendHeader(list, "Expect:")) {
        return {};
    }
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, list.get());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    return perform(curl.get(), transfer);
}

// The transport the module hands out.
class CurlTransport final : public HttpTransport {
  public:
    HttpResponse get(const std::string& url, const HttpOptions& options) const override {
        return performGet(url, options);
    }
    HttpResponse post(const std::string& url, const std::vector<std::string>& headers,
                      std::string_view body, const HttpOptions& options) const override {
        return performPost(url, headers, body, options);
    }
};

}  // namespace

}  // namespace cdinfo

extern "C" const void* melodux_http_transport(int version) {
    static const cdinfo::CurlTransport transport;
    const cdinfo::HttpTransport* answer = &transport;
    return version == cdinfo::kHttpTransportVersion ? answer : nullptr;
}
