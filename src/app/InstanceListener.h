#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "app/HandOverRequest.h"
#include "platform/UniqueFd.h"

namespace app {

// Takes hand-overs on the running instance's socket on a worker thread, so
// that a slow or silent sender never holds the owner's thread up. Messages
// from another user (SO_PEERCRED), cut short, malformed or not complete
// within kReadLimit are answered kAnswerRefused and dropped; good ones wait
// in a queue for the owner's thread.
//
// The owner's thread learns of waiting requests from readyFd(), which is
// readable while any wait. A Qt window hooks it with a QSocketNotifier
// (type Read) on readyFd() whose activated signal calls takeRequests(),
// opens each request's files, raises itself with its activation token and
// answers it.
class InstanceListener {
  public:
    static constexpr std::chrono::milliseconds kReadLimit{5000};

    // `socket` is listening already; only `allowedUser` may hand over.
    InstanceListener(platform::UniqueFd socket, uid_t allowedUser);
    // Stops the worker; requests still queued are dropped unanswered.
    ~InstanceListener();
    InstanceListener(const InstanceListener&) = delete;
    InstanceListener& operator=(const InstanceListener&) = delete;

    int readyFd() const { return ready_.get(); }
    // The requests received since the last call, oldest first.
    std::vector<HandOverRequest> takeRequests();

  private:
    void run();
    void serve(platform::UniqueFd connection);
    bool fromAllowedUser(int connection) const;
    // The sender's bytes up to its shutdown; nothing when it sends too much,
    // too slowly, or the listener stops.
    std::optional<std::string> receive(int connection) const;

    platform::UniqueFd socket_;
    uid_t allowedUser_;
    platform::UniqueFd stop_;   // eventfd: the worker is to end
    platform::UniqueFd ready_;  // eventfd: requests are waiting
    std::mutex mutex_;
    std::vector<HandOverRequest> queue_;
    std::thread worker_;  // last: it uses the members above
};

}  // namespace app
