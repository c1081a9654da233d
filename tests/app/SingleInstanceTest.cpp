#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/HandOverMessage.h"
#include "app/InstanceFolder.h"
#include "app/SingleInstance.h"
#include "support/TempDir.h"

extern char** environ;

namespace app {
namespace {

using namespace std::chrono_literals;

// A run of the probe program with its output on a pipe.
class Probe {
  public:
    Probe(const std::string& runtimeDir, const std::vector<std::string>& args,
          const std::string& token = "") {
        int out[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtimeDir,
                                        "XDG_ACTIVATION_TOKEN=" + token, "PATH=/usr/bin:/bin"};
        std::vector<std::string> argStrings = {MELODUX_INSTANCE_PROBE};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        const auto argv = pointers(argStrings);
        const auto envp = pointers(env);
        EXPECT_EQ(::posix_spawn(&pid_, MELODUX_INSTANCE_PROBE, &actions, nullptr, argv.data(),
                                envp.data()),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
    }
    ~Probe() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }

    // The next line of output; empty after `limit` or at the end.
    std::string line(std::chrono::milliseconds limit = 20s) {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
                std::string result = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return result;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd fd{out_, POLLIN, 0};
            char chunk[256];
            const ssize_t got =
                left.count() > 0 && ::poll(&fd, 1, static_cast<int>(left.count())) > 0
                    ? ::read(out_, chunk, sizeof chunk)
                    : 0;
            if (got <= 0) {
                return "";
            }
            buffer_.append(chunk, static_cast<size_t>(got));
        }
    }
    // The exit status once it has ended by itself.
    int wait() {
        int status = 0;
        ::waitpid(std::exchange(pid_, -1), &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(std::exchange(pid_, -1), nullptr, 0);
    }

  private:
    static std::vector<char*> pointers(std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) {
            result.push_back(s.data());
        }
        result.push_back(nullptr);
        return result;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

// Sends raw bytes to a running instance and returns its answer byte, -1
// for none.
int sendRaw(const std::filesystem::path& socketPath, const std::string& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.c_str());
    int answer = -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        unsigned char byte = 0;
        if (::recv(fd, &byte, 1, 0) == 1) {
            answer = byte;
        }
    }
    ::close(fd);
    return answer;
}

TEST(SingleInstanceTest, SecondStartsHandOverAndAKilledInstanceIsReplacedAtOnce) {
    testsupport::TempDir runtime;
    const std::string folder = (runtime / "mp3-melodux").string();
    const std::filesystem::path socketPath = runtime / "mp3-melodux/instance.socket";
    Probe first(runtime.path().string(), {});
    ASSERT_EQ(first.line(), "first");
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    Probe second(runtime.path().string(), {"/music/a.mp3", "/music/b c.mp3"}, "token-1");
    EXPECT_EQ(second.line(), "handed-over");
    EXPECT_EQ(second.wait(), 0);
    EXPECT_EQ(first.line(), "files /music/a.mp3|/music/b c.mp3 token token-1");

    const std::string good = HandOverMessage{{"/x.mp3"}, ""}.encode();
    std::string forged = good;
    forged[0] = 2;  // another version
    std::string unterminated = good;
    unterminated.erase(unterminated.size() - 6, 1);  // the list's final zero
    unterminated[1] = static_cast<char>(unterminated[1] - 1);
    const std::string truncated = good.substr(0, good.size() - 3);
    const std::string relative = HandOverMessage{{"x.mp3"}, ""}.encode();
    for (const std::string& bad : {forged, unterminated, truncated, relative}) {
        EXPECT_EQ(sendRaw(socketPath, bad), HandOverMessage::kAnswerRefused);
    }
    EXPECT_EQ(sendRaw(socketPath, good), HandOverMessage::kAnswerDone);
    EXPECT_EQ(first.line(), "files /x.mp3 token ");  // the refused ones never arrived

    first.kill();
    const auto start = std::chrono::steady_clock::now();
    Probe next(runtime.path().string(), {"/music/c.mp3"});
    EXPECT_EQ(next.line(), "first");
    // Far from the thirty tries: the freed lock was taken at once.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(SingleInstanceTest, TakesOverWhenTheHolderGoesBeforeListening) {
    testsupport::TempDir runtime;
    // A running instance that holds the lock but never listens.
    const int holder = ::open((runtime / "instance.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    SingleInstance instance(runtime.path(), {3, 500ms, 1s, 10ms});
    std::thread release([&] {
        std::this_thread::sleep_for(200ms);
        ::close(holder);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(instance.claim(HandOverMessage{}), SingleInstance::Claim::First);
    const auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    EXPECT_LT(waited, 500ms);  // within the first wait between tries
    EXPECT_NE(instance.listener(), nullptr);
}

TEST(SingleInstanceTest, ListenerRefusesAnotherUser) {
    testsupport::TempDir runtime;
    const std::filesystem::path path = runtime / "socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    InstanceListener listener(platform::UniqueFd(fd), ::getuid() + 1);
    EXPECT_EQ(sendRaw(path, HandOverMessage{{"/x.mp3"}, "t"}.encode()),
              HandOverMessage::kAnswerRefused);
    EXPECT_TRUE(listener.takeRequests().empty());
}

}  // namespace
}  // namespace app
