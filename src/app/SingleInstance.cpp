#include "app/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace app {

namespace {

sockaddr_un socketAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path) {
        throw std::runtime_error(text + ": the path is too long for a socket");
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

platform::UniqueFd streamSocket() {
    return platform::UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

}  // namespace

SingleInstance::SingleInstance(std::filesystem::path folder)
    : SingleInstance(std::move(folder), Timing{}) {}

SingleInstance::SingleInstance(std::filesystem::path folder, Timing timing)
    : folder_(std::move(folder)), timing_(timing) {
    const std::filesystem::path lockPath = folder_ / "instance.lock";
    lock_.reset(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock_.valid()) {
        throw std::runtime_error(lockPath.string() + ": " + std::strerror(errno));
    }
}

SingleInstance::~SingleInstance() {
    if (listener_) {
        listener_.reset();
        ::unlink(socketPath().c_str());
    }
}

SingleInstance::Claim SingleInstance::claim(const HandOverMessage& message) {
    using Clock = std::chrono::steady_clock;
    for (int attempt = 0; attempt < timing_.tries; ++attempt) {
        if (tryLock()) {
            listen();
            return Claim::First;
        }
        if (const auto handed = handOver(message)) {
            return *handed;
        }
        const auto until = Clock::now() + timing_.betweenTries;
        while (Clock::now() < until) {
            std::this_thread::sleep_for(timing_.lockPoll);
            if (tryLock()) {
                listen();
                return Claim::First;
            }
        }
    }
    return Claim::NoAnswer;
}

bool SingleInstance::tryLock() {
    if (!locked_) {
        locked_ = ::flock(lock_.get(), LOCK_EX | LOCK_NB) == 0;
    }
    return locked_;
}

void SingleInstance::listen() {
    const std::filesystem::path path = socketPath();
    const sockaddr_un address = socketAddress(path);
    // Whoever made a socket file there has died: the lock is ours.
    ::unlink(path.c_str());
    platform::UniqueFd socket = streamSocket();
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(socket.get(), 8) != 0) {
        throw std::runtime_error(path.string() + ": " + std::strerror(errno));
    }
    listener_ = std::make_unique<InstanceListener>(std::move(socket), ::getuid());
}

std::optional<SingleInstance::Claim> SingleInstance::handOver(
    const HandOverMessage& message) const {
    const sockaddr_un address = socketAddress(socketPath());
    platform::UniqueFd connection = streamSocket();
    if (!connection.valid() ||
        ::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0) {
        return std::nullopt;
    }
    if (!sendAll(connection.get(), message.encode())) {
        return Claim::NoAnswer;
    }
    ::shutdown(connection.get(), SHUT_WR);
    return readAnswer(connection.get());
}

SingleInstance::Claim SingleInstance::readAnswer(int connection) const {
    pollfd fd{connection, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&fd, 1, static_cast<int>(timing_.answerWait.count()));
    } while (ready < 0 && errno == EINTR);
    char answer = 0;
    if (ready <= 0 || ::recv(connection, &answer, 1, 0) != 1) {
        return Claim::NoAnswer;
    }
    return static_cast<uint8_t>(answer) == HandOverMessage::kAnswerDone ? Claim::HandedOver
                                                                        : Claim::Refused;
}

std::string activationToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        if (const char* token = std::getenv(name); token != nullptr && token[0] != '\0') {
            return token;
        }
    }
    return "";
}

}  // namespace app
