#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cdtest {

struct HttpRequest {
    std::string method;
    std::string target;  // path and query
    std::map<std::string, std::string> headers;
    std::string body;

    // The "cmd" words of a CDDB GET, decoded ("cddb", "query", ...).
    std::vector<std::string> command() const;
    // A decoded query parameter ("hello", "proto").
    std::string parameter(const std::string& name) const;
};

struct HttpReply {
    int status = 200;
    std::string body;
    bool silent = false;  // never answer; hold the connection open
};

// An HTTP server on 127.0.0.1 for one test, answering each request with the
// handler's reply on its own thread.
class CddbTestServer {
  public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;

    explicit CddbTestServer(Handler handler);
    ~CddbTestServer();
    CddbTestServer(const CddbTestServer&) = delete;
    CddbTestServer& operator=(const CddbTestServer&) = delete;

    std::string url() const;  // http://127.0.0.1:PORT/~cddb/cddb.cgi
    std::vector<HttpRequest> requests() const;

  private:
    void run();
    void serve(int client);
    bool readRequest(int client, HttpRequest& request) const;

    Handler handler_;
    int port_ = 0;  // set while the listener is made
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<HttpRequest> requests_;
    std::thread thread_;
};

// A port nothing listens on.
int closedPort();

}  // namespace cdtest
