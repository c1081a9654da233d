#pragma once

#include <csignal>
#include <iterator>

namespace cli {

// While it lives, Ctrl+C (SIGINT), SIGTERM and SIGHUP only note that the
// user wants the command to stop, so that the command stops its job and
// the job drops what it was writing. A kill that cannot be caught leaves
// the temporary to the next writer into the folder.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool requested() const;
    // The exit code of a command the signal stopped: 128 + its number.
    int exitCode() const;

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction old_[std::size(kSignals)]{};
};

}  // namespace cli
