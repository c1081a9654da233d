#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/RecordingEntry.h"

namespace app {

class ConversionJob;
class Engine;

// One run over the recording list: every selected entry, one after
// another, into its output file. The writing runs on the writer's thread;
// the owner's thread starts, polls (a timer) and stops the run, and every
// hook is called on that thread. An entry is marked Recorded only once its
// writer finished; a stopped entry becomes Aborted and a failing one
// Failed, and neither leaves a file behind.
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
    };
    // The chain's source for an entry ("D:\Track3.cda" or the file path).
    using SourceName = std::function<std::string(const RecordingEntry&)>;

    RecordingRun(const Engine& engine, std::vector<RecordingEntry>& entries, SourceName source,
                 Hooks hooks);
    ~RecordingRun();
    RecordingRun(const RecordingRun&) = delete;
    RecordingRun& operator=(const RecordingRun&) = delete;

    // Starts with the first entry to record; false when there was none
    // (the run has ended at once).
    bool start(int32_t sinkKind);
    // Takes what the writer reported: a finished entry makes way for the
    // next one.
    void poll();
    void stop();

    bool running() const { return running_; }
    // The entry being written, -1 for none.
    int32_t current() const { return current_; }
    Progress progress() const;

  private:
    void recordNext();
    int32_t findNext();
    bool confirm(size_t index);
    bool askAgain(size_t index);
    bool open(size_t index);
    void fail(size_t index, const std::string& text);
    void complete(size_t index);
    void end();

    const Engine& engine_;
    std::vector<RecordingEntry>& entries_;
    SourceName source_;
    Hooks hooks_;
    int32_t sinkKind_ = 0;
    bool running_ = false;
    bool cancelled_ = false;  // the user cancelled the already-recorded question
    int32_t current_ = -1;
    int32_t last_ = -1;  // where the search for the next entry starts
    int64_t finishedMs_ = 0;
    std::unique_ptr<ConversionJob> job_;
};

}  // namespace app
