#include "platform/WaveOut.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/WaveOutDrivers.h"

namespace platform {

namespace {

// The process's chosen driver, made on first use.
struct CurrentDriver {
    std::mutex mutex;
    std::shared_ptr<WaveOutDriver> driver;
};

CurrentDriver& currentDriver() {
    static CurrentDriver current;
    return current;
}

std::shared_ptr<WaveOutDriver> driverFromEnvironment() {
    const char* selection = std::getenv("MELODUX_AUDIO");
    if (selection == nullptr || *selection == '\0') {
        return makeAlsaWaveOutDriver();
    }
    if (auto driver = makeWaveOutDriver(selection)) {
        return driver;
    }
    std::fprintf(stderr,
                 "melodux: MELODUX_AUDIO=\"%s\" は使えません (null, file:PATH, alsa, alsa:NAME "
                 "のいずれか)。ALSA で再生します。\n",
                 selection);
    return makeAlsaWaveOutDriver();
}

}  // namespace

std::shared_ptr<WaveOutDriver> WaveOutDriver::current() {
    CurrentDriver& current = currentDriver();
    std::lock_guard lock(current.mutex);
    if (!current.driver) {
        current.driver = driverFromEnvironment();
    }
    return current.driver;
}

void WaveOutDriver::setCurrent(std::shared_ptr<WaveOutDriver> driver) {
    CurrentDriver& current = currentDriver();
    std::lock_guard lock(current.mutex);
    current.driver = std::move(driver);
}

std::shared_ptr<WaveOutDriver> makeWaveOutDriver(std::string_view selection) {
    constexpr std::string_view kFile = "file:", kAlsa = "alsa:";
    if (selection == "null") {
        return makeNullWaveOutDriver();
    }
    if (selection == "alsa") {
        return makeAlsaWaveOutDriver();
    }
    if (selection.starts_with(kFile) && selection.size() > kFile.size()) {
        return makeFileWaveOutDriver(std::string(selection.substr(kFile.size())));
    }
    if (selection.starts_with(kAlsa) && selection.size() > kAlsa.size()) {
        const std::string name(selection.substr(kAlsa.size()));
        // "alsa:N" is card N, as the renderer's device ids number them.
        const bool cardIndex = name.find_first_not_of("0123456789") == std::string::npos;
        return makeAlsaWaveOutDriver(cardIndex ? "plughw:" + name : name);
    }
    return nullptr;
}

}  // namespace platform
