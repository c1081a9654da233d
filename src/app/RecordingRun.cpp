#include "app/RecordingRun.h"

#include <filesystem>

#include "app/ConversionJob.h"
#include "stream/ErrorText.h"

namespace app {

namespace {

// The wait for a stopped writer to hand its last word over.
constexpr int kStopWaitMs = 5000;

std::string failureText(const ConversionJob::Outcome& outcome) {
    return outcome.reason.empty() ? outcome.text : outcome.text + " (" + outcome.reason + ")";
}

}  // namespace

RecordingRun::RecordingRun(const Engine& engine, std::vector<RecordingEntry>& entries,
                           SourceName source, Hooks hooks)
    : engine_(engine), entries_(entries), source_(std::move(source)), hooks_(std::move(hooks)) {}

RecordingRun::~RecordingRun() = default;

bool RecordingRun::start(int32_t sinkKind) {
    if (running_) {
        return true;
    }
    sinkKind_ = sinkKind;
    running_ = true;
    cancelled_ = false;
    current_ = last_ = -1;
    finishedMs_ = 0;
    for (RecordingEntry& entry : entries_) {
        if (entry.selection == RecordingEntry::kConfirmed) {
            entry.selection = RecordingEntry::kSelected;
        }
        entry.processed = false;
    }
    recordNext();
    return running_;
}

void RecordingRun::poll() {
    if (!job_) {
        return;
    }
    const auto outcome = job_->poll();
    if (!outcome) {
        return;
    }
    const auto index = static_cast<size_t>(current_);
    if (outcome->state == ConversionJob::State::Finished) {
        complete(index);
    } else {
        fail(index, failureText(*outcome));
    }
    recordNext();
}

// A writer that finished before it heard the stop still counts: its file
// is whole.
void RecordingRun::stop() {
    if (!running_) {
        return;
    }
    if (job_) {
        job_->cancel();
        const auto outcome = job_->wait(kStopWaitMs);
        const auto index = static_cast<size_t>(current_);
        if (outcome && outcome->state == ConversionJob::State::Finished) {
            complete(index);
        } else {
            entries_[index].status = RecordingEntry::kAborted;
            entries_[index].processed = true;
            job_.reset();
            hooks_.changed(index);
        }
    }
    end();
}

RecordingRun::Progress RecordingRun::progress() const {
    Progress at;
    at.finishedMs = finishedMs_;
    if (job_) {
        const ConversionJob::Progress job = job_->progress();
        at.positionMs = job.positionMs;
        at.lengthMs = job.lengthMs;
    }
    return at;
}

// Entries that cannot be opened fail one by one; the run goes on.
void RecordingRun::recordNext() {
    for (int32_t next = findNext(); next >= 0; next = findNext()) {
        if (open(static_cast<size_t>(next))) {
            return;
        }
    }
    end();
}

// After the current entry, then once more from the top.
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

bool RecordingRun::open(size_t index) {
    RecordingEntry& entry = entries_[index];
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(entry.outputPath).parent_path();
    if (!folder.empty() && !std::filesystem::create_directories(folder, ec) && ec) {
        fail(index, ec.message() + ": " + folder.string());
        return false;
    }
    job_ = std::make_unique<ConversionJob>(engine_, source_(entry), entry.outputPath, sinkKind_);
    uint32_t rc = job_->open();
    if (rc == 0) {
        rc = job_->start();
    }
    if (rc != 0) {
        fail(index, GetErrorText(rc));
        return false;
    }
    current_ = static_cast<int32_t>(index);
    entry.status = RecordingEntry::kRecording;
    entry.error.clear();
    hooks_.changed(index);
    return true;
}

void RecordingRun::fail(size_t index, const std::string& text) {
    job_.reset();
    current_ = -1;
    RecordingEntry& entry = entries_[index];
    entry.status = RecordingEntry::kFailed;
    entry.error = text;
    entry.processed = true;
    hooks_.changed(index);
}

void RecordingRun::complete(size_t index) {
    job_.reset();
    current_ = -1;
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

void RecordingRun::end() {
    job_.reset();
    running_ = false;
    current_ = -1;
    hooks_.ended();
}

}  // namespace app
