#include "app/ConversionJob.h"

#include <filesystem>

#include "app/Engine.h"
#include "app/WriterPage.h"
#include "platform/TemporaryFiles.h"
#include "stream/ErrorText.h"
#include "stream/ResultCodes.h"
#include "stream/SourceName.h"

namespace app {

namespace {

constexpr uint32_t kNotifyMessage = 0x401;
constexpr uint32_t kFileReadFailed = 0x83EB0105;

}  // namespace

ConversionJob::ConversionJob(const Engine& engine, std::string sourceName, std::string outputPath,
                             int32_t sinkKind)
    : engine_(engine),
      sourceName_(std::move(sourceName)),
      outputPath_(std::move(outputPath)),
      sinkKind_(sinkKind) {}

// Dropping a running chain stops its writer, which removes its temporary.
ConversionJob::~ConversionJob() {
    manager_.reset();
    settlePrevious(false);
}

int32_t ConversionJob::sinkKindFor(const std::string& outputPath) {
    return outputPath.empty() ? CNxSSManager::kSinkNone : CNxSSManager::SinkKindFor(outputPath);
}

uint32_t ConversionJob::open() {
    if (outputPath_.empty() || !engine_.canWrite(sinkKind_)) {
        return nxss::kFail;
    }
    manager_ = engine_.makeManager();
    if (const uint32_t rc = manager_->CreateChain(sourceName_, outputPath_, sinkKind_)) {
        manager_.reset();
        return rc;
    }
    return 0;
}

NxRef<CNxSSOptionPage> ConversionJob::optionPage() {
    return manager_ ? writerPage(*manager_) : NxRef<CNxSSOptionPage>();
}

uint32_t ConversionJob::start() {
    if (!manager_ || outcome_.state != State::Ready) {
        return nxss::kFail;
    }
    previous_ = platform::temporary::linkFor(outputPath_);
    manager_->Advise(&queue_, kNotifyMessage, 0);
    const uint32_t rc = manager_->Start();
    if (nxss::failed(rc)) {
        end(State::Failed, rc);
        return rc;
    }
    outcome_.state = State::Running;
    return 0;
}

ConversionJob::Progress ConversionJob::progress() {
    if (manager_ && !ended()) {
        last_.positionMs = manager_->GetPosition();
        last_.lengthMs = manager_->GetLength();
    }
    return last_;
}

std::optional<ConversionJob::Outcome> ConversionJob::poll() {
    return wait(0);
}

std::optional<ConversionJob::Outcome> ConversionJob::wait(int timeoutMs) {
    if (outcome_.state == State::Running) {
        for (auto message = queue_.take(timeoutMs); message && !ended(); message = queue_.take(0)) {
            take(static_cast<uint32_t>(message->wParam));
        }
        if (cancelRequested_ && !ended()) {
            manager_->Stop();
            end(State::Cancelled);
        }
    }
    return ended() ? std::optional<Outcome>(outcome_) : std::nullopt;
}

ConversionJob::Outcome ConversionJob::run(const ProgressCallback& onProgress, int pollMs) {
    if (outcome_.state == State::Ready && start() != 0) {
        return outcome_;
    }
    for (;;) {
        if (const auto outcome = wait(pollMs)) {
            return *outcome;
        }
        if (onProgress) {
            onProgress(progress());
        }
    }
}

void ConversionJob::take(uint32_t code) {
    if (code == nxss::kStarted) {
        last_.started = true;
    } else if (code == nxss::kFinished) {
        finish();
    } else if (code == nxss::kStopped) {
        end(State::Cancelled);
    } else if (nxss::failed(code)) {
        end(State::Failed, code);
    }
}

// A source that claims a length but gave nothing has failed to read,
// whatever the writer made of it: an empty file must not pass for the
// track or the file.
void ConversionJob::finish() {
    const Progress at = progress();
    if (at.lengthMs > 0 && at.positionMs <= 0) {
        manager_.reset();
        settlePrevious(true);
        const bool cd = nxss::parseCdTrackName(sourceName_).has_value();
        end(State::Failed, cd ? nxss::kCdReadError : kFileReadFailed,
            "the source gave no audio, although it claims " + std::to_string(at.lengthMs) + " ms");
        return;
    }
    last_.positionMs = at.lengthMs;
    end(State::Finished);
}

// The chain goes at once, which ends the writer's thread: a dropped output
// is gone by the time the outcome is known.
void ConversionJob::end(State state, uint32_t code, std::string reason) {
    outcome_.state = state;
    outcome_.code = code;
    outcome_.text = code != 0 ? GetErrorText(code) : std::string();
    outcome_.reason = std::move(reason);
    manager_.reset();
    settlePrevious(false);
}

// Puts the file the output replaced back, or drops its second name; without
// one, a restore removes the output.
void ConversionJob::settlePrevious(bool restore) {
    std::error_code ignored;
    if (restore && !previous_) {
        std::filesystem::remove(outputPath_, ignored);
    } else if (restore) {
        std::filesystem::rename(*previous_, outputPath_, ignored);
    } else if (previous_) {
        std::filesystem::remove(*previous_, ignored);
    }
    previous_.reset();
}

bool ConversionJob::ended() const {
    return outcome_.state != State::Ready && outcome_.state != State::Running;
}

}  // namespace app
