#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/NxRef.h"

namespace app {

class Engine;

// One conversion or rip: a source (a music file, or a CD track by its
// name "D:\Track3.cda") written into one file by a writer. The writing runs
// on the writer's own thread; the thread that owns the job makes, starts,
// polls, waits for and cancels it, and no call of the job ever comes from
// another thread (the writer only posts into the job's queue), so a window
// can poll it from a timer. Only cancel() may be called from any thread
// (and from a signal handler). A job that ends in any way but Finished
// leaves no file.
class ConversionJob {
  public:
    enum class State { Ready, Running, Finished, Failed, Cancelled };
    struct Progress {
        int32_t positionMs = 0;
        int32_t lengthMs = 0;
        bool started = false;  // the writer opened its output
    };
    struct Outcome {
        State state = State::Ready;
        uint32_t code = 0;   // the result code of a failure
        std::string text;    // its text for the user
        std::string reason;  // what else is known, may be empty
    };
    using ProgressCallback = std::function<void(const Progress&)>;

    // sinkKind: a writer of CNxSSManager::SinkKind (14 MP3, 15 WAVE, 16 WMA).
    ConversionJob(const Engine& engine, std::string sourceName, std::string outputPath,
                  int32_t sinkKind);
    ~ConversionJob();
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    // The writer for an output path by its extension; kSinkNone for none.
    static int32_t sinkKindFor(const std::string& outputPath);

    // Builds the chain; nothing is written yet. 0, else the failure (also
    // 0x80004005 for an empty output path or a sink kind without writer).
    uint32_t open();
    // The writer's option page, to read or change its settings before the
    // start; nothing before open() or for a writer without one.
    NxRef<CNxSSOptionPage> optionPage();
    // Starts writing and returns at once: 0, or the failure (the job is
    // Failed then).
    uint32_t start();
    // Asks the job to stop; the next poll() stops the writer, drops the
    // partial output and ends the job Cancelled (unless it finished first).
    void cancel() { cancelRequested_ = true; }

    Progress progress();
    // Takes what the writer reported, without waiting. The outcome once the
    // job has ended, nothing while it runs.
    std::optional<Outcome> poll();
    // As poll(), waiting up to timeoutMs for the writer to report.
    std::optional<Outcome> wait(int timeoutMs);
    // Starts (unless started) and follows the job to its end, calling
    // onProgress on this thread every pollMs; onProgress may cancel().
    Outcome run(const ProgressCallback& onProgress, int pollMs = 100);

    const std::string& outputPath() const { return outputPath_; }

  private:
    void take(uint32_t code);
    void finish();
    void end(State state, uint32_t code = 0, std::string reason = {});
    void settlePrevious(bool restore);
    bool ended() const;

    const Engine& engine_;
    const std::string sourceName_;
    const std::string outputPath_;
    const int32_t sinkKind_;
    platform::MessageQueue queue_;  // outlives the writer's thread
    NxRef<CNxSSManager> manager_;
    Outcome outcome_;
    Progress last_;  // kept when the chain is gone
    // The file the output replaces, kept under a second name until the job
    // has ended: a writer that made a file of nothing must not cost it.
    std::optional<std::filesystem::path> previous_;
    std::atomic<bool> cancelRequested_ = false;
};

}  // namespace app
