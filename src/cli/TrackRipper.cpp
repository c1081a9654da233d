#include "cli/TrackRipper.h"

#include <cstdio>

#include "cli/JobProgress.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/CNxSSWriter.h"
#include "stream/ErrorText.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr uint32_t kNotifyMessage = 0x401;
constexpr int kPollMs = 100;

// Set by the signal handler, which may touch nothing else.
volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

void printFailure(const std::string& label, uint32_t code, const std::string& reason = {}) {
    std::fprintf(stderr, "melodux-cli: cd rip: %s: error 0x%08X %s\n", label.c_str(), code,
                 GetErrorText(code).c_str());
    if (!reason.empty()) {
        std::fprintf(stderr, "melodux-cli: cd rip: %s\n", reason.c_str());
    }
}

TrackRipper::Outcome follow(CNxSSManager& manager, platform::MessageQueue& window,
                            const std::string& label) {
    JobProgress progress(label);
    for (;;) {
        if (stopRequested) {
            manager.Stop();
            return TrackRipper::Outcome::Interrupted;
        }
        const auto message = window.take(kPollMs);
        if (!message) {
            progress.show(manager.GetPosition(), manager.GetLength());
            continue;
        }
        const auto code = static_cast<uint32_t>(message->wParam);
        if (code == nxss::kFinished) {
            progress.show(manager.GetLength(), manager.GetLength());
            return TrackRipper::Outcome::Finished;
        }
        if (nxss::failed(code)) {
            printFailure(label, code);
            return TrackRipper::Outcome::Failed;
        }
    }
}

void installHandler(int signal, struct sigaction& old) {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, &old);
}

}  // namespace

TrackRipper::TrackRipper(CNxSSComponentCatalog catalog, int32_t sinkKind)
    : catalog_(std::move(catalog)), sinkKind_(sinkKind) {
    stopRequested = 0;
    installHandler(SIGINT, oldInt_);
    installHandler(SIGTERM, oldTerm_);
}

TrackRipper::~TrackRipper() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
}

bool TrackRipper::interrupted() const {
    return stopRequested != 0;
}

std::optional<std::string> TrackRipper::checkWriter() const {
    auto manager = MakeNx<CNxSSManager>(catalog_);
    if (const uint32_t rc = manager->CreateChain("", "temp", sinkKind_)) {
        printFailure("writer", rc);
        return std::nullopt;
    }
    void* out = nullptr;
    if (manager->Sink() == nullptr ||
        manager->GetInterface(CNxSSWriter::kOptionPageInterface, &out) != 0) {
        std::fputs("melodux-cli: cd rip: this program cannot write files of that format\n", stderr);
        return std::nullopt;
    }
    const auto page = NxRef<CNxSSOptionPage>::adopt(static_cast<CNxSSOptionPage*>(out));
    if (auto* choice = dynamic_cast<CNxSSFormatChoice*>(page.get())) {
        if (const uint32_t rc = choice->CheckSettings()) {
            printFailure("format", rc, choice->ErrorText());
            return std::nullopt;
        }
    }
    return page->Settings().Describe();
}

TrackRipper::Outcome TrackRipper::rip(const std::string& trackName, const std::string& outputPath,
                                      const std::string& label) const {
    platform::MessageQueue window;  // outlives the writer's thread
    auto manager = MakeNx<CNxSSManager>(catalog_);
    if (const uint32_t rc = manager->CreateChain(trackName, outputPath, sinkKind_)) {
        printFailure(label, rc);
        return Outcome::Failed;
    }
    manager->Advise(&window, kNotifyMessage, 0);
    if (const uint32_t rc = manager->Start(); nxss::failed(rc)) {
        printFailure(label, rc);
        return Outcome::Failed;
    }
    return follow(*manager, window, label);
}

}  // namespace cli
