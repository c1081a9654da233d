#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/CPlayController.h"
#include "app/Engine.h"
#include "app/EqualizerLevels.h"
#include "app/PlayerSettings.h"
#include "app/ShuffleRandom.h"
#include "app/TickClock.h"
#include "cli/Commands.h"
#include "cli/StopSignals.h"
#include "platform/MessageQueue.h"
#include "platform/WaveOut.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr int kPollMs = 100;

struct PlayOptions {
    std::optional<std::string> device;
    std::optional<uint32_t> volume;
    int32_t seekMs = 0;
    bool shuffle = false;
    int32_t repeat = app::CPlayController::kRepeatOff;
    int32_t gapTenths = 0;
    std::optional<uint32_t> seed;
    long plays = 0;  // 0: no limit
    std::optional<app::EqualizerLevels> eqLevels;
    std::optional<int32_t> eqGain;  // the gain slider's position
    std::vector<std::string> names;
};

// The equalizer's gain slider spans -10..+10; the player takes 5 per step.
constexpr long kEqGainSteps = 10;
constexpr int32_t kEqGainScale = 5;

std::optional<long> parseNumber(const std::string& text, long low, long high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> parseRepeat(const std::string& text) {
    if (text == "off")
        return app::CPlayController::kRepeatOff;
    if (text == "one")
        return app::CPlayController::kRepeatOne;
    if (text == "all")
        return app::CPlayController::kRepeatAll;
    return std::nullopt;
}

// One option with a value; false when the value is not acceptable.
bool parseValued(PlayOptions& o, const std::string& option, const std::string& value) {
    std::optional<long> n;
    if (option == "--device") {
        o.device = value;
    } else if (option == "--volume" && (n = parseNumber(value, 0, 10000))) {
        o.volume = static_cast<uint32_t>(*n);
    } else if (option == "--seek" && (n = parseNumber(value, 0, INT32_MAX))) {
        o.seekMs = static_cast<int32_t>(*n);
    } else if (option == "--gap" && (n = parseNumber(value, 0, 600))) {
        o.gapTenths = static_cast<int32_t>(*n);
    } else if (option == "--seed" && (n = parseNumber(value, 0, UINT32_MAX))) {
        o.seed = static_cast<uint32_t>(*n);
    } else if (option == "--plays" && (n = parseNumber(value, 1, INT32_MAX))) {
        o.plays = *n;
    } else if (option == "--eq-gain" && (n = parseNumber(value, -kEqGainSteps, kEqGainSteps))) {
        o.eqGain = static_cast<int32_t>(*n);
    } else if (const auto levels =
                   option == "--eq" ? app::EqualizerLevels::parse(value) : std::nullopt) {
        o.eqLevels = *levels;
    } else if (const auto mode = option == "--repeat" ? parseRepeat(value) : std::nullopt) {
        o.repeat = *mode;
    } else {
        return false;
    }
    return true;
}

std::optional<PlayOptions> parseOptions(const Args& args) {
    static const std::vector<std::string> valued = {"--device", "--volume", "--seek",
                                                    "--gap",    "--seed",   "--plays",
                                                    "--repeat", "--eq",     "--eq-gain"};
    PlayOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = std::find(valued.begin(), valued.end(), a) != valued.end();
        if (takesValue && i + 1 < args.size()) {
            if (!parseValued(o, a, args[++i]))
                return std::nullopt;
        } else if (a == "--shuffle") {
            o.shuffle = true;
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

// The names on the command line as the player's list: entries with the
// title and artist their files carry (else the file's name).
class NameList final : public app::PlayerRecordingPanel {
  public:
    NameList(const std::vector<std::string>& names, int32_t selected) : selected_(selected) {
        const auto manager = engine().makeManager();
        for (const std::string& name : names) {
            const std::string fileName = std::filesystem::path(name).filename().string();
            Entry entry{0, name, fileName, {}, 0};
            NxRef<CNxSSInfo> info;
            if (manager->GetInfo(name, info) == 0 && info) {
                entry.title = info->GetTitle().empty() ? fileName : info->GetTitle();
                entry.artist = info->GetArtist();
                entry.lengthSeconds = info->GetDuration() / 1000;
            }
            entries_.push_back(std::move(entry));
        }
    }

    int32_t Count() const override { return static_cast<int32_t>(entries_.size()); }
    Entry EntryAt(int32_t index) const override { return entries_[static_cast<size_t>(index)]; }
    std::string DriveText() const override { return {}; }
    std::string DiscArtist() const override { return {}; }
    int32_t DiscIdentity() const override { return 0; }
    bool IsRecording() const override { return false; }
    int32_t SelectedTrack() const override { return selected_; }
    int32_t RecordingTrack() const override { return -1; }
    void PlaybackChanged() override {}

  private:
    std::vector<Entry> entries_;
    const int32_t selected_;
};

// Prints the titles (for a list of more than one item) and the messages,
// and notes whether the player came to rest while handling one event.
class PrintingView final : public app::PlayerView {
  public:
    explicit PrintingView(bool titles) : titles_(titles) {}

    void ShowTitle(const std::string& text, int32_t, const std::string&) override {
        const size_t end = text.find_last_not_of(' ');
        if (titles_ && end != std::string::npos) {
            std::printf("%s\n", text.substr(0, end + 1).c_str());
            std::fflush(stdout);
        }
    }
    void ShowFormat(int32_t, const platform::WaveFormat&, int32_t, bool) override {}
    void ShowPlayButton(bool pressed) override { released_ = released_ || !pressed; }
    void RedrawPlayButton() override {}
    void ShowBlankBanner(bool) override {}
    void ShowMessage(uint32_t code, const std::string&) override {
        printError(code);
        std::fflush(stdout);
        failed_ = true;
        anyFailed_ = true;
    }

    void BeginEvent() { released_ = failed_ = false; }
    bool Released() const { return released_; }
    bool Failed() const { return failed_; }
    bool AnyFailed() const { return anyFailed_; }

  private:
    const bool titles_;
    bool released_ = false;
    bool failed_ = false;
    bool anyFailed_ = false;
};

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
        case nxss::kFollowed:
            return "Followed";
        default:
            return nullptr;
    }
}

enum class Outcome { Finished, Failed, Interrupted };

// Runs the player over the list until it rests at the end, the play limit
// is reached or a stop signal stops it.
class PlayRun {
  public:
    PlayRun(const PlayOptions& options, app::PlayerSettings& settings, app::ShuffleRandom& random)
        : options_(options),
          view_(options.names.size() > 1),
          list_(options.names,
                options.shuffle ? static_cast<int32_t>(random.Next() % options.names.size()) : 0),
          player_([] { return engine().makeManager(); }, settings, view_, random, window_) {
        player_.SetVolume(
            static_cast<int32_t>(options.volume.value_or(app::CPlayController::kMaxVolume)));
        player_.SetPanels(nullptr, &list_);
        // A play limit ends an item exactly, which reading on into the next
        // would not.
        player_.SetGapless(options.plays == 0);
        ApplyEqualizer();
    }

    Outcome Run(const StopSignals& stop) {
        player_.FollowRecordingPanel(true);
        if (!StartOrSkip(player_.PlayFrom(options_.seekMs))) {
            return Outcome::Failed;
        }
        for (;;) {
            if (stop.requested() && !stopping_) {
                position_ = player_.GetPosition();
                player_.Stop();
                stopping_ = true;
                if (player_.GetStatus() == 0) {
                    return Outcome::Interrupted;
                }
            }
            const auto message = window_.take(kPollMs);
            if (!message) {
                if (!stopping_)
                    position_ = player_.GetPosition();
                continue;
            }
            if (const auto outcome = Handle(message->wParam, message->lParam)) {
                return *outcome;
            }
        }
    }

  private:
    // Without equalizer options the player's equalizer is off.
    void ApplyEqualizer() {
        const bool on = options_.eqLevels || options_.eqGain;
        std::array<double, app::EqualizerLevels::kBands> levels{};
        if (options_.eqLevels) {
            std::copy(options_.eqLevels->levels.begin(), options_.eqLevels->levels.end(),
                      levels.begin());
        }
        player_.SetEqualizerLevels(levels);
        player_.SetEqualizerGain(options_.eqGain.value_or(0) * kEqGainScale);
        player_.SetEqualizerBypass(!on);
    }

    // One posted notification; an outcome when the run is over.
    std::optional<Outcome> Handle(uintptr_t wParam, intptr_t sender) {
        const auto code = static_cast<uint32_t>(wParam);
        if (player_.SenderOf(sender) != app::CPlayController::Sender::Item) {
            view_.BeginEvent();
            player_.OnMessage(wParam, sender);
            return Rested();
        }
        if (const char* name = notificationName(code)) {
            std::printf("%s\n", name);
        }
        if (code == nxss::kFinished) {
            std::printf("position %d\n", player_.GetLength());
            if (stopping_ || ++plays_ == options_.plays) {
                return stopping_ ? Outcome::Interrupted : Outcome::Finished;
            }
        } else if (code == nxss::kStopped) {
            std::printf("position %d\n", position_);
        }
        std::fflush(stdout);
        if (stopping_ && (code == nxss::kStopped || nxss::failed(code))) {
            return Outcome::Interrupted;
        }
        view_.BeginEvent();
        player_.OnMessage(wParam, sender);
        if (nxss::failed(code)) {
            std::printf("position %d\n", position_);
            std::fflush(stdout);
        }
        return Rested();
    }

    // After an event: whether the player has come to rest, and how. An
    // item that could not play is passed over while others are left.
    std::optional<Outcome> Rested() {
        const bool resting = (view_.Released() || view_.Failed()) && !player_.GapPending() &&
                             player_.GetStatus() == 0;
        if (!resting) {
            return std::nullopt;
        }
        if (view_.Failed() && SkipFailed()) {
            return std::nullopt;
        }
        return failed_ || view_.AnyFailed() ? Outcome::Failed : Outcome::Finished;
    }

    // Tries the following items until one starts; false when none is left.
    bool SkipFailed() {
        while (
            ++failuresInARow_ < player_.Count() &&
            !(player_.RepeatMode() == app::CPlayController::kRepeatOff && player_.AtLastItem())) {
            if (!nxss::failed(player_.Next()) && StartOrSkip(player_.Play())) {
                return true;
            }
        }
        return false;
    }

    // The result of a Play: a failure is printed and the next item tried.
    bool StartOrSkip(uint32_t rc) {
        if (!nxss::failed(rc)) {
            failuresInARow_ = 0;
            return true;
        }
        printError(rc);
        std::fflush(stdout);
        failed_ = true;
        return SkipFailed();
    }

    const PlayOptions& options_;
    platform::MessageQueue window_;
    PrintingView view_;
    NameList list_;
    app::CPlayController player_;
    int32_t position_ = 0;
    bool stopping_ = false;
    bool failed_ = false;
    long plays_ = 0;
    int32_t failuresInARow_ = 0;
};

}  // namespace

int runPlay(const Args& args) {
    const auto options = parseOptions(args);
    if (!options) {
        std::fputs(
            "usage: melodux-cli play [--device null|file:PATH|alsa[:N]] [--volume 0..10000] "
            "[--seek MS] [--shuffle] [--seed N] [--repeat off|one|all] [--gap TENTHS] "
            "[--plays N] [--eq L1,...,L10] [--eq-gain -10..10] NAME...\n",
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
    // The options stand for the player's settings; the user's stay as they are.
    app::PlayerSettings settings;
    settings.write(app::settings::kShuffleMode, options->shuffle ? 1 : 0);
    settings.write(app::settings::kRepeatMode, options->repeat);
    settings.write(app::settings::kInsertBlank, options->gapTenths > 0 ? 1 : 0);
    settings.write(app::settings::kBlankTime, options->gapTenths);
    const app::SteadyTickClock clock;
    app::StdShuffleRandom random =
        options->seed ? app::StdShuffleRandom(*options->seed) : app::StdShuffleRandom(clock);
    const StopSignals stop;
    PlayRun run(*options, settings, random);
    switch (run.Run(stop)) {
        case Outcome::Interrupted:
            return stop.exitCode();
        case Outcome::Failed:
            return 1;
        case Outcome::Finished:
            return 0;
    }
    return 1;
}

}  // namespace cli
