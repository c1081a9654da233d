#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "app/HandOverMessage.h"
#include "app/InstanceListener.h"
#include "platform/UniqueFd.h"

namespace app {

// One running instance per user. The first start holds an flock on
// "instance.lock" in the instance folder (the kernel frees it however the
// process ends) and listens on "instance.socket" beside it (mode 0600);
// a later start hands its files to it there and ends.
class SingleInstance {
  public:
    enum class Claim {
        First,       // this process is the running instance now
        HandedOver,  // the running instance took the files
        Refused,     // it refused them
        NoAnswer,    // none listened within the tries, or none answered
    };

    struct Timing {
        int tries = 30;
        std::chrono::milliseconds betweenTries{1000};
        std::chrono::milliseconds answerWait{30000};
        // How often the lock is tried while waiting between tries.
        std::chrono::milliseconds lockPoll{20};
    };

    // Throws std::runtime_error when the folder's lock file cannot be made.
    explicit SingleInstance(std::filesystem::path folder);
    SingleInstance(std::filesystem::path folder, Timing timing);
    ~SingleInstance();

    // Becomes the running instance, or hands `message` to the one running.
    // While it waits for a running instance to listen, it becomes the
    // running instance itself as soon as that one's lock is gone.
    // Throws std::runtime_error when the socket cannot be made.
    Claim claim(const HandOverMessage& message);
    // The hand-overs of other starts, once this is the running instance.
    InstanceListener* listener() { return listener_.get(); }
    std::filesystem::path socketPath() const { return folder_ / "instance.socket"; }

  private:
    bool tryLock();
    void listen();
    // Connects and hands over; nothing when no instance listens.
    std::optional<Claim> handOver(const HandOverMessage& message) const;
    Claim readAnswer(int connection) const;

    std::filesystem::path folder_;
    Timing timing_;
    platform::UniqueFd lock_;  // outlives the listener
    bool locked_ = false;
    std::unique_ptr<InstanceListener> listener_;
};

// The token a start was given to raise its window with:
// XDG_ACTIVATION_TOKEN, else DESKTOP_STARTUP_ID, else empty.
std::string activationToken();

}  // namespace app
