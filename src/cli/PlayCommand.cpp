#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/Engine.h"
#include "cli/Commands.h"
#include "cli/StopSignals.h"
#include "platform/MessageQueue.h"
#include "platform/WaveOut.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr uint32_t kNotifyMessage = 0x401;
constexpr int kPollMs = 100;

struct PlayOptions {
    std::optional<std::string> device;
    std::optional<uint32_t> volume;
    std::optional<int32_t> seekMs;
    std::vector<std::string> names;
};

std::optional<long> parseNumber(const std::string& text, long low, long high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<PlayOptions> parseOptions(const Args& args) {
    PlayOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--device" && hasValue) {
            o.device = args[++i];
        } else if (a == "--volume" && hasValue) {
            const auto v = parseNumber(args[++i], 0, 10000);
            if (!v)
                return std::nullopt;
            o.volume = static_cast<uint32_t>(*v);
        } else if (a == "--seek" && hasValue) {
            const auto v = parseNumber(args[++i], 0, INT32_MAX);
            if (!v)
                return std::nullopt;
            o.seekMs = static_cast<int32_t>(*v);
        } else if (a.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            o.names.push_back(a);
        }
    }
    if (o.names.empty())
        return std::nullopt;
    return o;
}

const char* notificationName(uint32_t code) {
    switch (code) {
        case nxss::kStarted:
            return "Started";
        case nxss::kStopped:
            return "Stopped";
        case nxss::kFinished:
            return "Finished";
        case nxss::kPauseChanged:
            return "PauseChanged";
        default:
            return nullptr;
    }
}

void printNotification(uint32_t code) {
    if (const char* name = notificationName(code)) {
        std::printf("%s\n", name);
    } else {
        printError(code);
    }
    std::fflush(stdout);
}

enum class Outcome { Finished, Failed, Interrupted };

// Follows one started chain until it ends; a stop signal stops it.
Outcome follow(CNxSSManager& manager, platform::MessageQueue& window, const StopSignals& stop) {
    int32_t position = 0;
    bool stopping = false;
    for (;;) {
        if (stop.requested() && !stopping) {
            position = manager.GetPosition();
            manager.Stop();
            stopping = true;
        }
        const auto message = window.take(kPollMs);
        if (!message) {
            if (!stopping)
                position = manager.GetPosition();
            continue;
        }
        const auto code = static_cast<uint32_t>(message->wParam);
        printNotification(code);
        if (code == nxss::kFinished) {
            std::printf("position %d\n", manager.GetLength());
            return Outcome::Finished;
        }
        if (code == nxss::kStopped || nxss::failed(code)) {
            std::printf("position %d\n", position);
            return stopping ? Outcome::Interrupted : Outcome::Failed;
        }
    }
}

Outcome playOne(const std::string& name, const PlayOptions& options, const StopSignals& stop) {
    platform::MessageQueue window;
    auto manager = engine().makeManager();
    if (const uint32_t rc = manager->CreateChainFor(name, "")) {
        printError(rc);
        return Outcome::Failed;
    }
    manager->Advise(&window, kNotifyMessage, 0);
    if (options.volume) {
        manager->SetVolume(*options.volume);
    }
    manager->Start();
    if (options.seekMs) {
        manager->Seek(*options.seekMs);
    }
    return follow(*manager, window, stop);
}

}  // namespace

int runPlay(const Args& args) {
    const auto options = parseOptions(args);
    if (!options) {
        std::fputs(
            "usage: melodux-cli play [--device null|file:PATH|alsa[:N]] [--volume 0..10000] "
            "[--seek MS] NAME...\n",
            stderr);
        return 2;
    }
    if (options->device) {
        auto driver = platform::makeWaveOutDriver(*options->device);
        if (!driver) {
            std::fprintf(stderr, "melodux-cli: unknown audio device '%s'\n",
                         options->device->c_str());
            return 2;
        }
        platform::WaveOutDriver::setCurrent(std::move(driver));
    }
    const StopSignals stop;
    bool allFinished = true;
    for (const std::string& name : options->names) {
        const Outcome outcome = playOne(name, *options, stop);
        if (outcome == Outcome::Interrupted) {
            return stop.exitCode();
        }
        allFinished = allFinished && outcome == Outcome::Finished;
    }
    return allFinished ? 0 : 1;
}

}  // namespace cli
