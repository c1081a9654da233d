#pragma once

#include <cstdint>
#include <string>

namespace cli {

// The progress of one long job on stderr: on a terminal one line that keeps
// changing, elsewhere a line for every tenth.
class JobProgress {
  public:
    // `label` goes in front of every line (may be empty).
    explicit JobProgress(std::string label = {});
    ~JobProgress();
    JobProgress(const JobProgress&) = delete;
    JobProgress& operator=(const JobProgress&) = delete;

    void show(int32_t positionMs, int32_t lengthMs);
    // Ends the changing line, so that what follows starts on its own.
    void end();

  private:
    const std::string label_;
    const bool tty_;
    int shown_ = -1;
};

}  // namespace cli
