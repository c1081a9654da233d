#include "app/RecordingRun.h"

#include <algorithm>
#include <filesystem>

#include "app/ConversionJob.h"
#include "app/EntryFormat.h"
#include "stream/ErrorText.h"

namespace app {

namespace {

std::string failureText(const ConversionJob::Outcome& outcome) {
    return outcome.reason.empty() ? outcome.text : outcome.text + " (" + outcome.reason + ")";
}

}  // namespace

RecordingRun::RecordingRun(const Engine& engine, std::vector<RecordingEntry>& entries,
                           SourceName source, Hooks hooks)
    : engine_(engine), entries_(entries), source_(std::move(source)), hooks_(std::move(hooks)) {}

RecordingRun::~RecordingRun() = default;

bool RecordingRun::start(int32_t sinkKind, size_t width) {
    if (running_) {
        return true;
    }
    sinkKind_ = sinkKind;
    width_ = std::max<size_t>(width, 1);
    running_ = true;
    cancelled_ = false;
    last_ = -1;
    finishedMs_ = 0;
    for (RecordingEntry& entry : entries_) {
        if (entry.selection == RecordingEntry::kConfirmed) {
            entry.selection = RecordingEntry::kSelected;
        }
        entry.processed = false;
    }
    busy_ = true;
    recordMore();
    busy_ = false;
    return running_;
}

void RecordingRun::poll() {
    if (!running_ || busy_) {
        return;
    }
    busy_ = true;
    takeOutcomes();
    handOver();
    recordMore();
    busy_ = false;
}

// A writer that finished before it heard the stop still counts: its file
// is whole. The others stop at once, which drops their partial files; no
// wait, so the owner's thread never hangs on a busy writer.
void RecordingRun::stop() {
    if (!running_) {
        return;
    }
    for (Writing& writing : writing_) {
        writing.job->cancel();
    }
    while (!writing_.empty()) {
        Writing writing = std::move(writing_.front());
        writing_.pop_front();
        const auto outcome = writing.finished ? std::nullopt : writing.job->poll();
        writing.job.reset();
        if (writing.finished || (outcome && outcome->state == ConversionJob::State::Finished)) {
            complete(writing.index);
        } else {
            abort(writing.index);
        }
    }
    end();
}

int32_t RecordingRun::current() const {
    return writing_.empty() ? -1 : static_cast<int32_t>(writing_.front().index);
}

RecordingRun::Progress RecordingRun::progress() const {
    Progress at;
    at.finishedMs = finishedMs_;
    for (const Writing& writing : writing_) {
        const ConversionJob::Progress job = writing.job->progress();
        if (&writing == &writing_.front()) {
            at.positionMs = job.positionMs;
            at.lengthMs = job.lengthMs;
        }
        at.writingMs += job.positionMs;
    }
    return at;
}

// Entries that cannot be opened fail one by one; the run goes on. A stop
// from inside a question ends the search.
void RecordingRun::recordMore() {
    while (running_ && writing_.size() < width_) {
        const int32_t next = findNext();
        if (next < 0 || !running_) {
            break;
        }
        open(static_cast<size_t>(next));
    }
    if (running_ && writing_.empty()) {
        end();
    }
}

// A failure is marked at once; a whole file waits for its turn.
void RecordingRun::takeOutcomes() {
    for (auto at = writing_.begin(); at != writing_.end();) {
        const auto outcome = at->finished ? std::nullopt : at->job->poll();
        if (outcome && outcome->state != ConversionJob::State::Finished) {
            const size_t index = at->index;
            const std::string text = failureText(*outcome);
            at = writing_.erase(at);
            fail(index, text);
            continue;
        }
        at->finished = at->finished || outcome.has_value();
        ++at;
    }
}

// Whole files go to the owner in the order their entries started.
void RecordingRun::handOver() {
    while (!writing_.empty() && writing_.front().finished) {
        const size_t index = writing_.front().index;
        writing_.pop_front();
        complete(index);
    }
}

// After the last entry started, then once more from the top.
int32_t RecordingRun::findNext() {
    const auto count = static_cast<int32_t>(entries_.size());
    for (int32_t step = 1; step <= count && !cancelled_; ++step) {
        const int32_t index = (last_ + step) % count;
        if (index < 0) {
            continue;
        }
        if (confirm(static_cast<size_t>(index))) {
            last_ = index;
            return index;
        }
    }
    return -1;
}

bool RecordingRun::confirm(size_t index) {
    RecordingEntry& entry = entries_[index];
    if (entry.selection == RecordingEntry::kNotSelected || entry.processed) {
        return false;
    }
    if (entry.selection == RecordingEntry::kConfirmed) {
        return true;
    }
    if (entry.status == RecordingEntry::kRecorded) {
        return askAgain(index);
    }
    entry.status = RecordingEntry::kNone;
    return true;
}

bool RecordingRun::askAgain(size_t index) {
    const Question question = hooks_.askRecordedAgain(entries_[index]);
    if (question.answer == Answer::Cancel) {
        cancelled_ = true;
        return false;
    }
    const bool yes = question.answer == Answer::Yes;
    for (size_t i = index; i < entries_.size(); ++i) {
        RecordingEntry& entry = entries_[i];
        if (i != index && (!question.all || entry.selection != RecordingEntry::kSelected ||
                           (!yes && entry.status != RecordingEntry::kRecorded))) {
            continue;
        }
        entry.selection = yes ? RecordingEntry::kConfirmed : RecordingEntry::kNotSelected;
        hooks_.changed(i);
    }
    return yes;
}

void RecordingRun::open(size_t index) {
    RecordingEntry& entry = entries_[index];
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(entry.outputPath).parent_path();
    if (!folder.empty() && !std::filesystem::create_directories(folder, ec) && ec) {
        fail(index, ec.message() + ": " + folder.string());
        return;
    }
    auto job = std::make_unique<ConversionJob>(engine_, source_(entry), entry.outputPath,
                                               entrySinkKind(entry, sinkKind_));
    uint32_t rc = job->open();
    if (rc == 0) {
        rc = applyEntryFormat(*job, entry);
    }
    if (rc == 0) {
        rc = job->start();
    }
    if (rc != 0) {
        fail(index, GetErrorText(rc));
        return;
    }
    writing_.push_back({index, std::move(job)});
    entry.processed = true;  // the search for the next entry passes it by
    entry.status = RecordingEntry::kRecording;
    entry.error.clear();
    hooks_.changed(index);
}

void RecordingRun::fail(size_t index, const std::string& text) {
    RecordingEntry& entry = entries_[index];
    entry.status = RecordingEntry::kFailed;
    entry.error = text;
    entry.processed = true;
    hooks_.changed(index);
}

void RecordingRun::complete(size_t index) {
    RecordingEntry& entry = entries_[index];
    std::error_code ec;
    const auto written = std::filesystem::file_size(entry.outputPath, ec);
    entry.size = ec ? 0 : static_cast<int64_t>(written);
    entry.status = RecordingEntry::kRecorded;
    entry.processed = true;
    finishedMs_ += int64_t{entry.lengthSeconds} * 1000;
    hooks_.finished(index);
    hooks_.changed(index);
}

void RecordingRun::abort(size_t index) {
    RecordingEntry& entry = entries_[index];
    entry.status = RecordingEntry::kAborted;
    entry.processed = true;
    hooks_.changed(index);
}

void RecordingRun::end() {
    writing_.clear();
    running_ = false;
    hooks_.ended();
}

}  // namespace app
