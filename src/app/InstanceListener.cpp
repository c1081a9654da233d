#include "app/InstanceListener.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace app {

namespace {

platform::UniqueFd makeEventFd() {
    platform::UniqueFd fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!fd.valid()) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    return fd;
}

void signal(int eventFd) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(eventFd, &one, sizeof one);
}

void drain(int eventFd) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(eventFd, &count, sizeof count);
}

// Waits for `fd` to be readable; false when `stop` is signalled first or
// the time runs out.
bool waitReadable(int fd, int stop, int timeoutMs) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
    int ready = 0;
    do {
        ready = ::poll(fds, 2, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && fds[1].revents == 0 && fds[0].revents != 0;
}

}  // namespace

InstanceListener::InstanceListener(platform::UniqueFd socket, uid_t allowedUser)
    : socket_(std::move(socket)),
      allowedUser_(allowedUser),
      stop_(makeEventFd()),
      ready_(makeEventFd()),
      worker_([this] { run(); }) {}

InstanceListener::~InstanceListener() {
    signal(stop_.get());
    worker_.join();
}

std::vector<HandOverRequest> InstanceListener::takeRequests() {
    drain(ready_.get());
    std::lock_guard guard(mutex_);
    return std::exchange(queue_, {});
}

void InstanceListener::run() {
    while (waitReadable(socket_.get(), stop_.get(), -1)) {
        platform::UniqueFd connection(::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (connection.valid()) {
            serve(std::move(connection));
        }
    }
}

void InstanceListener::serve(platform::UniqueFd connection) {
    std::optional<HandOverMessage> message;
    if (fromAllowedUser(connection.get())) {
        const auto bytes = receive(connection.get());
        message = bytes ? HandOverMessage::decode(*bytes) : std::nullopt;
    }
    if (!message) {
        const char refused = static_cast<char>(HandOverMessage::kAnswerRefused);
        sendAll(connection.get(), std::string_view(&refused, 1));
        return;
    }
    {
        std::lock_guard guard(mutex_);
        queue_.emplace_back(std::move(*message), std::move(connection));
    }
    signal(ready_.get());
}

bool InstanceListener::fromAllowedUser(int connection) const {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == allowedUser_;
}

std::optional<std::string> InstanceListener::receive(int connection) const {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kReadLimit;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 ||
            !waitReadable(connection, stop_.get(), static_cast<int>(left.count()))) {
            return std::nullopt;
        }
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0 ? std::optional(std::move(bytes)) : std::nullopt;
        }
        bytes.append(buffer, static_cast<size_t>(got));
        if (bytes.size() > HandOverMessage::kMaxBytes) {
            return std::nullopt;
        }
    }
}

}  // namespace app
