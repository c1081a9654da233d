#pragma once

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>

#include "stream/CNxSSComponentCatalog.h"

namespace cli {

// Rips CD tracks into files one after another, each through a chain of its
// own: the track reader into a writer of one kind. Progress goes to
// stderr. While it lives, Ctrl+C or a termination signal abandons the file
// being written (the writer never leaves a partial file behind).
class TrackRipper {
  public:
    enum class Outcome { Finished, Failed, Interrupted };

    TrackRipper(CNxSSComponentCatalog catalog, int32_t sinkKind);
    ~TrackRipper();
    TrackRipper(const TrackRipper&) = delete;
    TrackRipper& operator=(const TrackRipper&) = delete;

    // The writer's saved format in words. Prints why and gives nothing when
    // this program has no such writer or the writer refuses its settings.
    std::optional<std::string> checkWriter() const;
    // Writes the track named trackName ("D:\Track3.cda") into outputPath;
    // label introduces the progress lines. Failures are printed.
    Outcome rip(const std::string& trackName, const std::string& outputPath,
                const std::string& label) const;
    bool interrupted() const;

  private:
    const CNxSSComponentCatalog catalog_;
    const int32_t sinkKind_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

}  // namespace cli
