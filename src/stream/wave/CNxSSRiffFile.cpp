#include "stream/wave/CNxSSRiffFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/TextCodec.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace {

// The largest record a "fmt " chunk can hold: the header and 65535 extra bytes.
constexpr size_t kMaxFormatBytes = platform::WaveFormat::kHeaderSize + 0xFFFF;
constexpr size_t kMaxTitleBytes = 1024;

uint32_t MmioError(riff::Error error) {
    return nxss::kFailureBit | nxss::kFacilityMmio | error;
}

riff::Error OpenError(int err) {
    switch (err) {
        case ENOENT:
            return riff::kFileNotFound;
        case ENOTDIR:
            return riff::kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return riff::kAccessDenied;
        case EMFILE:
        case ENFILE:
            return riff::kTooManyOpenFiles;
        case ENOMEM:
            return riff::kOutOfMemory;
        default:
            return riff::kCannotOpen;
    }
}

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

CNxSSRiffFile::CNxSSRiffFile(CNxSSObject* parent, std::string path)
    : CNxSSObject(parent), path_(std::move(path)) {
    SetTag("RIFFFILE");
}

CNxSSRiffFile::~CNxSSRiffFile() {
    Abort();
}

void CNxSSRiffFile::Check(riff::Error error) const {
    if (error != riff::kOk) {
        throw CNxSSException(MmioError(error));
    }
}

void CNxSSRiffFile::Open(int32_t mode) {
    if (IsOpen() || mode < kRead || mode > kCreate) {
        throw CNxSSException(nxss::kFail);
    }
    mode_ = mode;
    dataOffset_ = dataSize_ = 0;
    fact_.reset();
    format_ = platform::WaveFormat();
    haveFormat_ = haveData_ = false;
    title_.clear();
    form_ = RiffChunk();
    if (mode == kCreate) {
        OpenTemporary();
        return;
    }
    OpenExisting(mode);
    try {
        Scan();
    } catch (const CNxSSException&) {
        io_.Close();
        throw;
    }
}

void CNxSSRiffFile::OpenExisting(int32_t mode) {
    const int flags = (mode == kRead ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    platform::UniqueFd fd(::open(path_.c_str(), flags));
    if (!fd.valid()) {
        throw CNxSSException(MmioError(OpenError(errno)));
    }
    io_ = RiffIo(std::move(fd));
}

// The temporary file's owner removes it unless Close publishes it; the
// chunks are written through a descriptor of our own that can seek back.
void CNxSSRiffFile::OpenTemporary() {
    auto temporary = std::make_unique<platform::AtomicFile>(path_);
    if (!temporary->ok()) {
        throw CNxSSException(nxss::errnoError(errno));
    }
    platform::UniqueFd fd(::open(temporary->tempPath().c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid()) {
        throw CNxSSException(nxss::errnoError(errno));
    }
    io_ = RiffIo(std::move(fd));
    temporary_ = std::move(temporary);
}

void CNxSSRiffFile::Close() {
    if (!IsOpen()) {
        return;
    }
    io_.Close();
    if (temporary_ && !temporary_->publish()) {
        const int err = errno;
        temporary_.reset();
        throw CNxSSException(nxss::errnoError(err));
    }
    temporary_.reset();
}

void CNxSSRiffFile::Abort() {
    io_.Close();
    temporary_.reset();
}

size_t CNxSSRiffFile::Read(void* buffer, size_t bytes) {
    if (!IsOpen()) {
        throw CNxSSException(nxss::kFail);
    }
    if (mode_ == kRead) {
        const uint64_t end = dataOffset_ + dataSize_;
        bytes = io_.Tell() >= end
                    ? 0
                    : static_cast<size_t>(std::min<uint64_t>(bytes, end - io_.Tell()));
    }
    size_t got = 0;
    Check(io_.Read(buffer, bytes, got));
    return got;
}

void CNxSSRiffFile::Write(const void* buffer, size_t bytes) {
    if (!IsOpen()) {
        throw CNxSSException(nxss::kFail);
    }
    Check(io_.Write(buffer, bytes));
}

int64_t CNxSSRiffFile::Seek(int64_t offset, int origin) {
    if (!IsOpen()) {
        throw CNxSSException(nxss::kFail);
    }
    int64_t base = 0;
    if (origin == SEEK_CUR) {
        base = static_cast<int64_t>(io_.Tell() - dataOffset_);
    } else if (origin == SEEK_END) {
        base = static_cast<int64_t>(dataSize_);
    }
    if (base + offset < 0) {
        throw CNxSSException(MmioError(riff::kCannotSeek));
    }
    io_.Seek(dataOffset_ + static_cast<uint64_t>(base + offset));
    return base + offset;
}

uint32_t CNxSSRiffFile::CreateChunk(RiffChunk& chunk, uint32_t flags) {
    return IsOpen() ? io_.CreateChunk(chunk, flags) : riff::kCannotWrite;
}

uint32_t CNxSSRiffFile::Ascend(RiffChunk& chunk) {
    return IsOpen() ? io_.Ascend(chunk) : riff::kCannotSeek;
}

uint32_t CNxSSRiffFile::Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t flags) {
    return IsOpen() ? io_.Descend(chunk, parent, flags) : riff::kChunkNotFound;
}

// A "WAVE" form needs its format and its data; an "RMP3" form only data.
void CNxSSRiffFile::Scan() {
    io_.Seek(0);
    form_.formType = riff::kWave;
    const riff::Error wave = io_.Descend(form_, nullptr, riff::kFindRiff);
    if (wave == riff::kOk) {
        ScanWave();
    } else {
        io_.Seek(0);
        form_ = RiffChunk{.formType = riff::kRmp3};
        Check(io_.Descend(form_, nullptr, riff::kFindRiff));
        ScanRmp3();
    }
    if (!haveData_ || (form_.formType == riff::kWave && !haveFormat_)) {
        throw CNxSSException(nxss::kBadRiff);
    }
    io_.Seek(mode_ == kUpdate ? form_.dataOffset + 4 : dataOffset_);
}

void CNxSSRiffFile::ScanWave() {
    // Some writers leave the form's size at 0 when they cannot seek back.
    if (form_.size == 0) {
        form_.size = static_cast<uint32_t>(
            std::min<uint64_t>(io_.FileSize() - form_.dataOffset, 0xFFFFFFFFu));
    }
    for (;;) {
        RiffChunk chunk;
        const riff::Error e = io_.Descend(chunk, &form_, 0);
        if (e == riff::kChunkNotFound) {
            return;
        }
        Check(e);
        if (chunk.id == riff::kFmt && !haveFormat_) {
            ReadFormat(chunk);
        } else if (chunk.id == riff::kData && !haveData_) {
            KeepData(chunk);
        } else if (chunk.id == riff::kFact) {
            ReadFact(chunk);
        } else if (chunk.id == riff::kList && chunk.formType == riff::kInfo) {
            ReadInfo(chunk);
        }
        Check(io_.Ascend(chunk));
    }
}

void CNxSSRiffFile::ScanRmp3() {
    RiffChunk chunk{.id = riff::kData};
    const riff::Error e = io_.Descend(chunk, &form_, riff::kFindChunk);
    if (e != riff::kChunkNotFound) {
        Check(e);
        KeepData(chunk);
    }
}

// A size past the end of the file (a cut-off recording, or a writer that
// could not go back) means "up to the end of the file".
void CNxSSRiffFile::KeepData(const RiffChunk& chunk) {
    dataOffset_ = chunk.dataOffset;
    dataSize_ = std::min<uint64_t>(chunk.size, io_.FileSize() - chunk.dataOffset);
    haveData_ = true;
}

// A PCM record ignores any extra size; another tag's extra bytes are cut
// to what the chunk holds.
void CNxSSRiffFile::ReadFormat(const RiffChunk& chunk) {
    const size_t want = std::min<size_t>(chunk.size, kMaxFormatBytes);
    std::vector<uint8_t> record(std::max(want, platform::WaveFormat::kHeaderSize));
    size_t got = 0;
    Check(io_.Read(record.data(), want, got));
    if (got < want) {
        throw CNxSSException(nxss::kFail);
    }
    size_t extra = 0;
    if (Le16(record.data()) != platform::kWaveFormatPcm) {
        const size_t room =
            want > platform::WaveFormat::kHeaderSize ? want - platform::WaveFormat::kHeaderSize : 0;
        extra = std::min<size_t>(Le16(record.data() + 16), room);
    }
    record[16] = static_cast<uint8_t>(extra);
    record[17] = static_cast<uint8_t>(extra >> 8);
    record.resize(platform::WaveFormat::kHeaderSize + extra);
    format_ = *platform::WaveFormat::fromBytes(record);
    haveFormat_ = true;
}

void CNxSSRiffFile::ReadFact(const RiffChunk& chunk) {
    uint8_t value[4];
    size_t got = 0;
    if (chunk.size >= 4 && io_.Read(value, 4, got) == riff::kOk && got == 4) {
        fact_ = uint32_t{Le16(value)} | uint32_t{Le16(value + 2)} << 16;
    }
}

void CNxSSRiffFile::ReadInfo(const RiffChunk& list) {
    RiffChunk name{.id = riff::kName};
    if (io_.Descend(name, &list, riff::kFindChunk) != riff::kOk) {
        return;
    }
    std::string text(std::min<size_t>(name.size, kMaxTitleBytes), '\0');
    size_t got = 0;
    if (io_.Read(text.data(), text.size(), got) != riff::kOk) {
        return;
    }
    text.resize(std::min(got, text.find('\0')));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    title_ = platform::toUtf8Guess(text);
}
