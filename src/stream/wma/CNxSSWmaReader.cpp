#include "stream/wma/CNxSSWmaReader.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <new>

#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaModule.h"
#include "stream/CNxSSDetailedException.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"
#include "stream/wma/CNxSSWmaInfo.h"
#include "stream/wma/WmaResultCode.h"

namespace {

using platform::wma::WmaReader;

// Half a second of CD audio: enough to ride out scheduling, small enough
// that a seek drops little decoded work.
constexpr size_t kPipeBytes = 88200;

}  // namespace

CNxSSWmaReader::CNxSSWmaReader(CNxSSObject* parent) : CNxSSComponent(parent), pipe_(kPipeBytes) {
    SetTag("WMAREAD ");
}

CNxSSWmaReader::~CNxSSWmaReader() {
    std::lock_guard lock(lock_);
    ReleaseReader();
}

void CNxSSWmaReader::Open(const std::string& path) {
    std::lock_guard lock(lock_);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        throw CNxSSException(nxss::kFileNotFound);
    }
    ReleaseReader();
    path_ = path;
    const auto probe = MakeReader();
    facts_ = probe->info();
    attributes_ = probe->attributes();
    positionMs_ = 0;
}

std::unique_ptr<WmaReader> CNxSSWmaReader::MakeReader() {
    try {
        return std::make_unique<WmaReader>(
            OpenDecoder(), [this](std::span<const uint8_t> pcm) { return Deliver(pcm); },
            [this](WmaReader::Status status, const std::string& detail) {
                OnStatus(status, detail);
            });
    } catch (const platform::wma::Error& e) {
        throw CNxSSDetailedException(nxss::wmaResultCode(e), nxss::wmaFailureText(e));
    } catch (const std::bad_alloc&) {
        throw CNxSSException(nxss::kOutOfMemory);
    }
}

std::unique_ptr<platform::wma::WmaDecoder> CNxSSWmaReader::OpenDecoder() const {
    return platform::wma::wmaCodec().openDecoder(path_);
}

int32_t CNxSSWmaReader::GetLength() {
    std::lock_guard lock(lock_);
    return static_cast<int32_t>(facts_.durationMs);
}

int32_t CNxSSWmaReader::GetPosition() {
    std::lock_guard lock(lock_);
    return static_cast<int32_t>(positionMs_);
}

int32_t CNxSSWmaReader::SetPosition(int32_t ms) {
    std::lock_guard lock(lock_);
    const auto previous = static_cast<int32_t>(positionMs_);
    const int64_t end = facts_.durationMs > 0 ? facts_.durationMs : INT32_MAX;
    const auto target = static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, end));
    positionMs_ = target;
    if (reader_ && GetState() != kStopped) {
        HaltReader();
        reader_->seek(target);
        reader_->start();
    }
    return previous;
}

void CNxSSWmaReader::Read(CNxSSPacket& packet) {
    const uint32_t align = packet.Format().blockAlign();
    if (!Running() || align == 0) {
        packet.SetFrames(0);
        return;
    }
    const size_t got = pipe_.Read({packet.Data(), size_t{packet.Capacity()} * align});
    const auto frames = static_cast<uint32_t>(got / align);
    packet.SetFrames(frames);
    std::lock_guard lock(lock_);
    positionMs_ += double(frames) * align / facts_.outputFormat().avgBytesPerSec() * 1000;
    if (frames == 0) {
        std::lock_guard failure(failureMutex_);
        if (readFailure_) {
            throw CNxSSDetailedException(nxss::kFileReadFailed, *readFailure_);
        }
    }
}

bool CNxSSWmaReader::GetFormat(platform::WaveFormat& format) {
    std::lock_guard lock(lock_);
    if (facts_.channels == 0) {
        return false;
    }
    format = facts_.outputFormat();
    return true;
}

void CNxSSWmaReader::SetState(int32_t state) {
    std::lock_guard lock(lock_);
    const int32_t before = GetState();
    if (state == before) {
        return;
    }
    CNxSSComponent::SetState(state);
    if (state == kStopped) {
        ReleaseReader();
    } else if (before == kStopped) {
        StartReader();
    }
}

uint32_t CNxSSWmaReader::GetInfo(NxRef<CNxSSInfo>& info) {
    info = MakeNx<CNxSSWmaInfo>(this);
    return 0;
}

platform::wma::Attributes CNxSSWmaReader::FileAttributes() const {
    std::lock_guard lock(lock_);
    return attributes_;
}

void CNxSSWmaReader::SetFileAttributes(platform::wma::Attributes attributes) {
    std::lock_guard lock(lock_);
    attributes_ = std::move(attributes);
}

void CNxSSWmaReader::StartReader() {
    ReleaseReader();
    if (path_.empty()) {
        return;  // never opened: the stream is empty
    }
    {
        std::lock_guard failure(failureMutex_);
        readFailure_.reset();
    }
    reader_ = MakeReader();
    reader_->seek(static_cast<uint32_t>(positionMs_));
    reader_->start();
}

// Closing the pipe first releases a delivery blocked on a full pipe, so
// the reader's thread can end; what it left behind is dropped.
void CNxSSWmaReader::HaltReader() {
    pipe_.Close();
    reader_->stop();
    pipe_.Reset();
    std::lock_guard failure(failureMutex_);
    readFailure_.reset();
}

void CNxSSWmaReader::ReleaseReader() {
    if (reader_) {
        HaltReader();
        reader_.reset();
    }
}

bool CNxSSWmaReader::Deliver(std::span<const uint8_t> pcm) {
    return pipe_.Write(pcm) == pcm.size();
}

void CNxSSWmaReader::OnStatus(WmaReader::Status status, const std::string& detail) {
    if (status == WmaReader::Status::Error) {
        std::lock_guard failure(failureMutex_);
        readFailure_ = detail;
    }
    pipe_.Close();
}

bool CNxSSWmaReader::Running() {
    std::lock_guard lock(lock_);
    return reader_ != nullptr;
}
