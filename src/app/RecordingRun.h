#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/RecordingEntry.h"

namespace app {

class ConversionJob;
class Engine;

// One run over the recording list: every selected entry into its output
// file, up to `width` entries at once, each on its writer's thread. The
// owner's thread starts, polls (a timer) and stops the run, and every hook
// is called on that thread. Entries start in list order and finished files
// are handed over in that order too, so a later entry that is done first
// waits for the earlier ones. An entry is marked Recorded only once its
// writer finished; a stopped entry becomes Aborted and a failing one
// Failed at once while the others go on, and neither leaves a file behind.
// Cancelling the already-recorded question starts nothing more; entries
// being written by then still finish.
class RecordingRun {
  public:
    enum class Answer { Yes, No, Cancel };
    struct Question {
        Answer answer = Answer::Cancel;
        bool all = false;  // the same answer for every following entry
    };
    struct Hooks {
        // The entry was recorded before: record it again?
        std::function<Question(const RecordingEntry&)> askRecordedAgain;
        // The entry's file is complete: file it into the library.
        std::function<void(size_t)> finished;
        // The entry's row must be shown again.
        std::function<void(size_t)> changed;
        // The run has ended.
        std::function<void()> ended;
    };
    struct Progress {
        int32_t positionMs = 0;
        int32_t lengthMs = 0;
        int64_t finishedMs = 0;  // lengths of the entries done in this run
        int64_t writingMs = 0;   // positions of every entry being written
    };
    // The chain's source for an entry ("D:\Track3.cda" or the file path).
    using SourceName = std::function<std::string(const RecordingEntry&)>;

    RecordingRun(const Engine& engine, std::vector<RecordingEntry>& entries, SourceName source,
                 Hooks hooks);
    ~RecordingRun();
    RecordingRun(const RecordingRun&) = delete;
    RecordingRun& operator=(const RecordingRun&) = delete;

    // Starts with the first `width` entries to record; false when there
    // was none (the run has ended at once).
    bool start(int32_t sinkKind, size_t width = 1);
    // Takes what the writers reported: a finished entry makes way for the
    // next one. A call made while a question of the run is open (a nested
    // event loop) does nothing.
    void poll();
    void stop();

    bool running() const { return running_; }
    // The earliest entry being written (the next to be handed over), -1
    // for none.
    int32_t current() const;
    // Of the current entry, and of the whole run.
    Progress progress() const;

  private:
    struct Writing {
        size_t index = 0;
        std::unique_ptr<ConversionJob> job;
        bool finished = false;  // whole, waiting for its turn to be handed over
    };

    void recordMore();
    void takeOutcomes();
    void handOver();
    int32_t findNext();
    bool confirm(size_t index);
    bool askAgain(size_t index);
    void open(size_t index);
    void fail(size_t index, const std::string& text);
    void complete(size_t index);
    void abort(size_t index);
    void end();

    const Engine& engine_;
    std::vector<RecordingEntry>& entries_;
    SourceName source_;
    Hooks hooks_;
    int32_t sinkKind_ = 0;
    size_t width_ = 1;
    bool running_ = false;
    bool busy_ = false;       // inside start() or poll(), maybe asking the user
    bool cancelled_ = false;  // the user cancelled the already-recorded question
    int32_t last_ = -1;       // where the search for the next entry starts
    int64_t finishedMs_ = 0;
    std::deque<Writing> writing_;  // in the order the entries started
};

}  // namespace app
