#include "stream/CNxSSWriter.h"

#include "platform/Event.h"
#include "stream/ResultCodes.h"

CNxSSWriter::CNxSSWriter(CNxSSObject* parent, std::string outputPath, uint32_t pageInterface)
    : CNxSSActiveComponent(parent),
      outputPath_(std::move(outputPath)),
      pageInterface_(pageInterface) {}

void CNxSSWriter::SetOptionPage(NxRef<CNxSSOptionPage> page) {
    page_ = std::move(page);
}

uint32_t CNxSSWriter::GetInterface(uint32_t id, void** out) {
    if (out) {
        *out = nullptr;
    }
    if ((id != kOptionPageInterface && id != pageInterface_) || !page_ || !out) {
        return nxss::kNoInterface;
    }
    platform::WaveFormat format;
    if (InputPin() && InputPin()->GetPeer() && GetFormat(format) && format.channels() != 0) {
        page_->SetSourceFormat(format);
    }
    page_->AddRef();
    *out = page_.get();
    return 0;
}

void CNxSSWriter::SetPumping(bool on) {
    SetWaitTimeout(on ? 0 : platform::Event::kInfinite);
}

uint32_t CNxSSWriter::OnCommand(uint32_t code, int32_t, int32_t) {
    switch (code) {
        case kCmdQuit:
        case kCmdStop:
            Abort();
            return 0;
        case kCmdStart:
            return RunStart();
        case kCmdPause:
            return RunPause();
        case kCmdSeek:
            return nxss::kFail;  // a file is written front to back
        case kCmdIdle:
            return RunTick();
        default:
            return 0;
    }
}

uint32_t CNxSSWriter::RunStart() {
    std::lock_guard lock(lock_);
    if (GetState() != kStopped) {
        Abort();
    }
    const uint32_t started = DoStart();
    SetState(kRunning);
    SetPumping(true);
    return started;
}

uint32_t CNxSSWriter::RunTick() {
    std::lock_guard lock(lock_);
    if (GetState() != kRunning) {
        SetPumping(false);
        return 0;
    }
    const uint32_t result = DoTick();
    if (result == nxss::kFinished) {
        SetState(kStopped);
        SetPumping(false);
    }
    return result;
}

// A stopped writer has nothing to resume: only running and paused toggle.
uint32_t CNxSSWriter::RunPause() {
    std::lock_guard lock(lock_);
    if (GetState() == kRunning) {
        SetState(kPaused);
        SetPumping(false);
    } else if (GetState() == kPaused) {
        SetState(kRunning);
        SetPumping(true);
    }
    return 0;
}

void CNxSSWriter::Abort() {
    std::lock_guard lock(lock_);
    DoAbort();
    SetState(kStopped);
    SetPumping(false);
}
